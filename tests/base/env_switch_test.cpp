// The dump switches' "DIR:F1,F2,..." reader: the directory and the frame list, and the
// values that give no dump.
#include "base/env_switch.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(EnvDirFrames, DirectoryAndFrames) {
    const struct {
        const char* value;  // nullptr: unset
        std::string dir;
        std::vector<int32_t> frames;
    } cases[] = {
        {nullptr, "", {}},
        {"dumps", "", {}},                             // no colon
        {"dumps:", "dumps", {}},
        {"dumps:3,40,-2", "dumps", {3, 40, -2}},
        {"d:7,x,9", "d", {7}},                         // the list ends at what is not a number
        {"a/b:1,2,3,4,5", "a/b", {1, 2, 3, 4}},        // at most four taken here
        {"0123456789:1", "", {}},                      // the directory does not fit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            setenv("SKYVOLTA_TEST_DIRFRAMES", c.value, 1);
        else
            unsetenv("SKYVOLTA_TEST_DIRFRAMES");
        char dir[10] = "unset";
        int32_t frames[4] = {};
        int n = env_dir_frames("SKYVOLTA_TEST_DIRFRAMES", dir, sizeof dir, frames, 4);
        EXPECT_EQ(std::vector<int32_t>(frames, frames + n), c.frames);
        if (!c.dir.empty()) {
            EXPECT_EQ(std::string(dir), c.dir);
        }
    }
    unsetenv("SKYVOLTA_TEST_DIRFRAMES");
}

}  // namespace
