// A whole headless race on the synthetic ROM set, recorded and then replayed. The level
// jump takes the stage start of frame 10 through the course select and the countdown into
// the race; the warp then puts the machine low over the flat cell, where the pedal, the
// handle pushed forward and a steering square wave bring it down onto the ground with
// the flight, the terrain and the collision running.
#include "tests/support/program_run.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string RACE = "SKYVOLTA_LEVEL=N SKYVOLTA_STAGEDBG=1 ";
const std::string FLIGHT_INPUTS = "SKYVOLTA_WARP=131072,10600,131072,0,0 SKYVOLTA_TEST_PEDAL=20 "
                                  "SKYVOLTA_TEST_ANALOG=511,831 SKYVOLTA_TEST_STEER=40,200,420 ";
constexpr int FRAMES = 480;

class RaceRecordReplayRun : public ProgramRunFixture {
protected:
    std::string run(const std::string& switches) {
        std::string out;
        EXPECT_EQ(program_run(dir, switches, "--screenshot s.ppm " + std::to_string(FRAMES), &out), 0) << out;
        return out;
    }
};

TEST_F(RaceRecordReplayRun, ARecordedRaceReplaysWithoutDisagreement) {
    std::string out = run(RACE + FLIGHT_INPUTS + "SKYVOLTA_RECORD=1");
    expect_lines_in_order(out, {"  [SIM] Forcing stage start (course 0) at frame 10\n", "[LEVEL] NOVICE  ASHEN MESA\n",
                                "[LEVEL] f75 stage chosen, course=0\n", "[WARPDBG] WARPED at f="});
    size_t at = out.find("[REC] recording to ");
    ASSERT_NE(at, std::string::npos) << out;
    std::string path = out.substr(at + 19, out.find('\n', at) - at - 19);

    // Every F line is a racing frame; the machine touches the flat cell's ground.
    int frames = 0, contact_on_flat = 0;
    for (const std::string& line : file_lines(dir + "/" + path)) {
        if (line.rfind("F ", 0) != 0) continue;
        frames++;
        EXPECT_NE(line.find(" st=3/3 "), std::string::npos) << line;
        bool flat = line.find(" cell=" + std::to_string(SYNTH_CELL_FLAT) + " ") != std::string::npos;
        contact_on_flat += flat && line.find(" probes=00 ") == std::string::npos;
    }
    ASSERT_GT(frames, 0);
    EXPECT_GT(contact_on_flat, 0);

    // The same inputs, and then none at all: the replay alone puts the recorded flight back.
    // The pictures play no part in the flight, and the replays run faster without them.
    const std::string done =
        "[REPLAY] done: " + std::to_string(frames) + " frames, 0 disagreed with the recording\n";
    for (const std::string& inputs : {FLIGHT_INPUTS, std::string()}) {
        out = run(RACE + inputs + "SKYVOLTA_NO_3D=1 SKYVOLTA_NO_2D=1 SKYVOLTA_REPLAY=" + path);
        expect_lines_in_order(out, {"[REPLAY] " + std::to_string(frames) + " frames from " + path + "\n", done});
        EXPECT_EQ(out.find("[REPLAY-DIFF]"), std::string::npos) << out;
    }
}

// A replay whose positions sit at the edge of the coordinate range: the world's position
// arithmetic wraps at 32 bits as on the board, so the race runs through the file's frames
// and on to the picture (a sanitizer build stops at any signed overflow).
TEST_F(RaceRecordReplayRun, AReplayAtTheCoordinateEdgeRunsToItsEnd) {
    const std::string text = "F 0 p=0,0,0\n"
                             "F 1 p=-2147483648,0,-2147483648\n"
                             "F 2 p=-2147483648,0,-2147483648\n";
    ASSERT_TRUE(file_write(dir + "/edge.rec", std::vector<uint8_t>(text.begin(), text.end())));
    std::string out;
    EXPECT_EQ(program_run(dir, "SKYVOLTA_LEVEL=N SKYVOLTA_REPLAY=edge.rec", "--screenshot s.ppm 700", &out), 0) << out;
    expect_lines_in_order(out, {"[REPLAY] 3 frames from edge.rec\n", "[REPLAY] rec_f1 p=-2147483648,0,-2147483648 ",
                                "[REPLAY] done: 3 frames, "});
    EXPECT_GT(file_size(dir + "/s.ppm"), 0);
}

}  // namespace
