// Whole headless runs with scripted coins on the synthetic ROM set: the [COIN] lines
// around each listed frame and the coins the game counts.
#include "tests/support/program_run.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class CoinRun : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("coinrun");
        ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/extracted").c_str()));
    }
    void TearDown() override { temp_dir_remove(dir); }
    std::string dir;
};

// A coin at frames 20 and 40: three frames of coin bit each, one new press each, counted
// by the game (the verbose line of frame 60 shows both); the prompt's row is 22.
TEST_F(CoinRun, ScriptedCoinsReachTheGame) {
    std::string out;
    ASSERT_EQ(run_in(dir,
                     headless_env + "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_COINPLAY=1 SKYVOLTA_VERBOSE=1 "
                                    "SKYVOLTA_TEST_COIN=20,40 " + skyvolta_exe + " --screenshot s.ppm 62",
                     &out),
              0)
        << out;
    // W 0x2C14 is 23: the first attract frame (phase 0) toggled it from 22.
    const std::string quiet = " commsram[7D02]=00 W[2B80]=0000 edge W[2B82]=0000 credits W[2C14]=23\n";
    const std::string held = " commsram[7D02]=01 W[2B80]=0001 edge W[2B82]=0000 credits W[2C14]=23\n";
    const std::string pressed = " commsram[7D02]=01 W[2B80]=0001 edge W[2B82]=0001 credits W[2C14]=23\n";
    expect_lines_in_order(out, {"  [COIN] f=18" + quiet, "  [COIN] f=19" + quiet, "  [COIN] f=20" + pressed,
                                "  [COIN] f=21" + held, "  [COIN] f=22" + held, "  [COIN] f=23" + quiet,
                                "  [COIN] f=28" + quiet, "  [COIN] f=38" + quiet, "  [COIN] f=40" + pressed,
                                "  [COIN] f=48" + quiet});
    EXPECT_EQ(count_of(out, "  [COIN] f="), 22);
    EXPECT_EQ(out.find("  [COIN] f=17 "), std::string::npos);
    EXPECT_EQ(out.find("  [COIN] f=29 "), std::string::npos);
    expect_lines_in_order(out, {"[DBG] frame=20 ", " cr=0 ", "[DBG] frame=40 ", " cr=1 ", "[DBG] frame=60 ",
                                " cr=2 "});
}

}  // namespace
