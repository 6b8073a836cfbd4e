// Whole headless runs on the synthetic ROM set: the stage start at frame 10, level and
// ending specs, the one-frame warp and pause, and the recorder and replay switches.
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class LevelRecordRun : public ProgramRunFixture {
protected:
    std::string run(const std::string& env, int frames, const std::string& args = "") {
        std::string out;
        EXPECT_EQ(program_run(dir, env, "--screenshot s.ppm " + std::to_string(frames) + args, &out), 0) << out;
        return out;
    }
};

TEST_F(LevelRecordRun, StageStartsAtFrameTenUnlessSwitchedOff) {
    std::string out = run("SKYVOLTA_COURSE=2 SKYVOLTA_STAGEDBG=1", 12);
    expect_lines_in_order(out, {"  [SIM] Forcing stage start (course 2) at frame 10\n", "[COURSE] f11 state=5 sub="});
    EXPECT_NE(out.find("[COURSE] f11 state=5 sub=0 course=2\n"), std::string::npos) << out;
    out = run("SKYVOLTA_COURSE=7", 12);
    EXPECT_NE(out.find("  [SIM] Forcing stage start (course 0) at frame 10\n"), std::string::npos) << out;
    out = run("SKYVOLTA_NO_AUTOSTART=1", 12);
    EXPECT_EQ(out.find("[SIM]"), std::string::npos) << out;
    out = run("SKYVOLTA_VERBOSE=1 SKYVOLTA_NO_AUTOSTART=1", 12, " --autostart 3");
    EXPECT_NE(out.find("[AUTO] Forcing stage start (course 3)\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("[SIM]"), std::string::npos) << out;
}

TEST_F(LevelRecordRun, LevelAndEndingSpecsAtTheirFrame) {
    std::string out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_LEVEL=end:bad:9@20", 22);
    expect_lines_in_order(out, {"  frame 20 / 22\n", "[LEVEL] ADVANCED day 4  FINAL STAGE\n",
                                "[LEVEL] ENDING (bad, time up)\n", "[LEVEL]   phase 9\n"});
    out = run("SKYVOLTA_NO_AUTOSTART=1", 22, " --level N@15");
    expect_lines_in_order(out, {"  frame 10 / 22\n", "[LEVEL] NOVICE  ASHEN MESA\n", "  frame 20 / 22\n"});
    out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_LEVEL=end:ok:20@5", 12);
    EXPECT_NE(out.find("[LEVEL] ENDING (cleared)\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("phase"), std::string::npos) << out;
}

TEST_F(LevelRecordRun, OneFrameWarpAndPause) {
    std::string out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_TEST_WARP=12:200000,2,100000,5 SKYVOLTA_TEST_PAUSE=13", 15);
    expect_lines_in_order(out, {"[WARP] f12 -> player (200000,2,100000) heading=5  cell=10\n",
                                "[POS] PAUSED   frame 13  state ",
                                "      player  x=200000    y=2         z=100000     heading=5 "});
}

TEST_F(LevelRecordRun, RecordAndReplaySwitchesAtStartUp) {
    std::string out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_RECORD=1", 12);
    size_t at = out.find("[REC] recording to recordings/flight_");
    ASSERT_NE(at, std::string::npos) << out;
    std::string path = out.substr(at + 19, out.find('\n', at) - at - 19);
    std::vector<std::string> lines = file_lines(dir + "/" + path);
    ASSERT_EQ(lines.size(), 18u);  // nothing raced; open at the end, so no END line
    EXPECT_EQ(lines[1], "# started_at_frame=0 (course is on the first F line)");

    std::string rec = "F 1 p=1,2,3\nF 2 p=1,2,3\nF 3 p=1,2,3\n";
    ASSERT_TRUE(file_write(dir + "/three.rec", std::vector<uint8_t>(rec.begin(), rec.end())));
    out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_REPLAY=three.rec", 12);
    EXPECT_NE(out.find("[REPLAY] 3 frames from three.rec\n"), std::string::npos) << out;
    out = run("SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_REPLAY=missing.rec", 12);
    EXPECT_NE(out.find("[REPLAY] cannot open missing.rec\n"), std::string::npos) << out;
}

}  // namespace
