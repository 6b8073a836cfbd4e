// Test values for the name-entry and ending screens.
#include "game/modes/test_env.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

TEST(TestEnv, ReadsTheSwitches) {
    setenv("SKYVOLTA_TEST_NAME", "1,2,3,4,5,6,7,8,9,10", 1);
    setenv("SKYVOLTA_TEST_HISCORE", "123456", 1);
    setenv("SKYVOLTA_TEST_STORYEND", "2,1", 1);
    setenv("SKYVOLTA_STAGEDBG", "", 1);
    test_env_init();
    EXPECT_EQ(test_env.name_count, 8);
    EXPECT_EQ(std::vector<int>(test_env.name_codes, test_env.name_codes + 8), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(test_env.hiscore, 123456);
    EXPECT_EQ(test_env.story_end, 2);
    EXPECT_EQ(test_env.story_end_flag, 1);
    EXPECT_TRUE(test_env.stage_debug);

    setenv("SKYVOLTA_TEST_NAME", "7", 1);
    setenv("SKYVOLTA_TEST_STORYEND", "3", 1);
    unsetenv("SKYVOLTA_TEST_HISCORE");
    unsetenv("SKYVOLTA_STAGEDBG");
    test_env_init();
    EXPECT_EQ(test_env.name_count, 1);
    EXPECT_EQ(test_env.name_codes[0], 7);
    EXPECT_EQ(test_env.hiscore, -1);
    EXPECT_EQ(test_env.story_end, 3);
    EXPECT_EQ(test_env.story_end_flag, -1);
    EXPECT_FALSE(test_env.stage_debug);

    unsetenv("SKYVOLTA_TEST_NAME");
    unsetenv("SKYVOLTA_TEST_STORYEND");
    test_env_init();
    EXPECT_EQ(test_env.name_count, 0);
    EXPECT_EQ(test_env.story_end, -1);
}

}  // namespace
