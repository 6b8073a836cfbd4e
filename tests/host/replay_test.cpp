// Flight replay: loading (hostile files included), what it forces into work RAM and
// when, and the comparison lines.
#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/probe_ram.h"
#include "host/host_ram.h"
#include "host/replay.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Replay : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("replay");
        board_memory_clear();
        racing(true);
    }
    void TearDown() override {
        replay_unload();
        replay_allocate = malloc;
        replay_frames_max = REPLAY_FRAMES_MAX;
        temp_dir_remove(dir);
    }
    static void racing(bool on) {
        w_cell_set(W_GAME_STATE, STATE_GAMEPLAY);
        w_cell_set(W_GAME_SUB_STATE, on ? SUB_RACING : 1);
    }
    // Writes the text as a recording and loads it; gives what the load printed.
    std::string load(const std::string& text, bool loads = true) {
        std::string path = dir + "/flight.rec";
        EXPECT_TRUE(file_write(path, std::vector<uint8_t>(text.begin(), text.end())));
        testing::internal::CaptureStderr();
        EXPECT_EQ(replay_load(path.c_str()), loads);
        return testing::internal::GetCapturedStderr();
    }
    static std::string f_lines(int n) {
        std::string text;
        for (int i = 0; i < n; i++) text += "F " + std::to_string(i) + " p=1,2,3\n";
        return text;
    }
    // One racing frame as the loop runs it: apply, the flight step's hook, compare.
    std::string frame() {
        testing::internal::CaptureStderr();
        replay_apply();
        replay_apply_attitude_hook();
        replay_compare();
        return testing::internal::GetCapturedStderr();
    }
    std::string dir;
};

TEST_F(Replay, LoadReadsTheFieldsOfEachFLine) {
    std::string out = load(
        "# header\n"
        "F 40 course=1 st=3/3 p=100,-200,300 hdg=65535 pit=-7 rol=8 spd=2304 cell=0 chunk=1173 adc=1,2 pedal=0 "
        "eul=11,-12,13 gates=00/00/00 layers=0 mask=00 contact=1 probes=01 pfloor=0 pnf=0 psurf=00 nspr=0 pxyz=[] "
        "jump=0 floor=-55 surf=00 col=2 S@1 P@2\n"
        "F 41 p=1,2,3\n"
        "G 42 p=1,2,3\n"
        "F 43 hdg=5 pit=6 rol=7 p=4,5,6\n"
        "# END frames=3 contact_frames=1 resets=0\n");
    EXPECT_EQ(out, "[REPLAY] 3 frames from " + dir + "/flight.rec\n");
    EXPECT_EQ(replay_count(), 3);
    EXPECT_TRUE(replay_active());

    frame();
    EXPECT_EQ(w_cell(W_PLAYER_X), 100);
    EXPECT_EQ(w_cell(W_PLAYER_Y), -200);
    EXPECT_EQ(w_cell(W_PLAYER_Z), 300);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_PLAYER_Z), 300);  // in the byte image too
    EXPECT_EQ(w_cell(W_PLAYER_PITCH), 11);
    EXPECT_EQ(w_cell(W_EASED_PITCH), 11);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_PLAYER_HEADING), -12);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 2304);
    EXPECT_EQ(w_cell(W_TARGET_PITCH), -7);
    EXPECT_EQ(w_cell(W_EASED_ROLL), 8);
    EXPECT_EQ(w_cell(W_TARGET_ROLL), 8);
    // 65535 is one step below the Euler heading -12 (0xFFF4) + 11: -1.
    EXPECT_EQ(w_cell(W_EASED_HEADING), -1);
    EXPECT_EQ(w_cell(W_TARGET_HEADING), -1);

    // Position only: the angles and attitude are the game's.
    w_cell_set(W_PLAYER_PITCH, 999);
    w_cell_set(W_PLAYER_SPEED, 123);
    frame();
    EXPECT_EQ(w_cell(W_PLAYER_X), 1);
    EXPECT_EQ(w_cell(W_PLAYER_PITCH), 999);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 123);

    // Three of the four attitude fields: no attitude.
    frame();
    EXPECT_EQ(w_cell(W_PLAYER_X), 4);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 123);
    EXPECT_FALSE(replay_active());
}

TEST_F(Replay, HeadingIsPutBesideTheUnboundedEulerHeading) {
    load("F 1 p=0,0,0 hdg=16 pit=0 rol=0 spd=0 eul=0,131056,0\n");  // 0x1FFF0
    frame();
    EXPECT_EQ(w_cell(W_EASED_HEADING), 0x20010);
}

TEST_F(Replay, ThreeRecordsThenNothingChanges) {
    load("F 1 p=10,0,0 contact=0 floor=0 col=0\nF 2 p=20,0,0 contact=0 floor=0 col=0\n"
         "F 3 p=30,0,0 contact=0 floor=0 col=0\n");
    racing(false);
    EXPECT_EQ(frame(), "");  // course select: the cursor waits
    racing(true);
    std::string first = frame();
    EXPECT_NE(first.find("[REPATT] rec_f1 hdg 0/0 pit 0/0 rol 0/0 spd 0/0 cam 0,0,0 eul 0,0,0\n"), std::string::npos)
        << first;
    EXPECT_NE(first.find("[REPLAY] rec_f1 p=10,0,0 cell=0 layers=0 mask=00 ours: contact=0 floor=0 col=0  "
                         "(recorded: contact=0 floor=0 col=0)\n"),
              std::string::npos)
        << first;
    EXPECT_EQ(frame().find("done"), std::string::npos);
    std::string third = frame();
    EXPECT_NE(third.find("[REPLAY] done: 3 frames, 0 disagreed with the recording\n"), std::string::npos) << third;
    EXPECT_EQ(w_cell(W_PLAYER_X), 30);
    w_cell_set(W_PLAYER_X, 777);
    EXPECT_EQ(frame(), "");
    EXPECT_EQ(w_cell(W_PLAYER_X), 777);
    EXPECT_EQ(bus_read32(WRAM_BASE + W_PLAYER_X), 30);
}

TEST_F(Replay, ContactOrFaceCountThatDiffersIsCounted) {
    load("F 5 p=0,0,0 contact=0 floor=0 col=0\nF 6 p=0,0,0 contact=1 floor=9 col=2\n");
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_HIT), 1);
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN_COUNT), 1);
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN), 7 * 16 + 4);
    std::string out = frame();
    EXPECT_NE(out.find("ours: contact=1 floor=0 col=1 P@7  (recorded: contact=0 floor=0 col=0)"), std::string::npos)
        << out;
    EXPECT_NE(out.find("[REPLAY-DIFF] rec_f5 at (0,0,0) cell 0: contact 0->1, faces 0->1\n"), std::string::npos) << out;
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN_COUNT), 2);
    out = frame();
    EXPECT_EQ(out.find("[REPLAY-DIFF]"), std::string::npos) << out;
    EXPECT_NE(out.find("[REPLAY] done: 2 frames, 1 disagreed with the recording\n"), std::string::npos) << out;
    EXPECT_EQ(replay_disagreed(), 1);
}

TEST_F(Replay, HostileFilesLoadWhatTheyCan) {
    struct row {
        const char* name;
        std::string text;
        int records;
    } rows[] = {
        {"empty", "", 0},
        {"a line over 1023 characters is skipped whole",
         "F 1 p=1,2,3 " + std::string(1100, 'x') + "\nF 2 p=4,5,6\n", 1},
        {"exactly 1023 characters is kept", "F 1 p=1,2,3 " + std::string(1023 - 12, 'x') + "\n", 1},
        {"a truncated last line is skipped", "F 1 p=1,2,3\nF 2 p=4,5,6", 1},
        {"unparsable lines", "F\nF x p=1,2,3\nF 1 p=1,2\nF 1 p=,,\nFp=1,2,3\n\n\n", 0},
        {"huge numbers are clamped", "F 99999999999999999999 p=-99999999999999999999,2,3 eul=1,2\n", 1},
        {"NUL bytes and binary", std::string("F 1 p=1\0,2,3\n\xff\xfe F 2 p=1,2,3\nF 3 p=1,2,3\n", 40), 1},
        {"a newline-only file", std::string(5000, '\n'), 0},
    };
    for (const row& r : rows) {
        load(r.text);
        EXPECT_EQ(replay_count(), r.records) << r.name;
    }
    load("F 1 p=-99999999999999999999,2,3\n");
    frame();
    EXPECT_EQ(w_cell(W_PLAYER_X), INT32_MIN);
}

// The record array is one allocation of one record per F line, whatever else the file
// holds: no spare room, nothing per other line.
std::vector<size_t> allocations;
TEST_F(Replay, TheArrayHoldsExactlyOneRecordPerFLine) {
    allocations.clear();
    replay_allocate = [](size_t bytes) {
        allocations.push_back(bytes);
        return malloc(bytes);
    };
    load("# header\n" + f_lines(4097) + std::string(3000, '\n') + "F bad\n# END frames=4097\n");
    EXPECT_EQ(replay_count(), 4097);
    EXPECT_EQ(allocations, std::vector<size_t>{4097 * sizeof(replay_record)});

    allocations.clear();
    load("# nothing to replay\n\n");
    EXPECT_EQ(replay_count(), 0);
    EXPECT_TRUE(allocations.empty());
}

TEST_F(Replay, AFileWithMoreFramesThanTheLimitIsRefused) {
    EXPECT_EQ(REPLAY_FRAMES_MAX, 24 * 60 * 60 * 60) << "a day of racing at 60 frames a second";
    replay_frames_max = 3;
    EXPECT_EQ(load(f_lines(3)), "[REPLAY] 3 frames from " + dir + "/flight.rec\n");
    EXPECT_EQ(replay_count(), 3);

    allocations.clear();
    replay_allocate = [](size_t bytes) {
        allocations.push_back(bytes);
        return malloc(bytes);
    };
    std::string out = load("# comments and other lines do not count\n\n" + f_lines(4), false);
    EXPECT_EQ(out, "[REPLAY] " + dir + "/flight.rec has more than 3 frames -- not replayed\n");
    EXPECT_TRUE(allocations.empty()) << "refused before any memory is taken";
    EXPECT_EQ(replay_count(), 0);
    EXPECT_FALSE(replay_active());
    EXPECT_EQ(frame(), "");
}

TEST_F(Replay, RunningOutOfMemoryLoadsNothing) {
    replay_allocate = [](size_t) -> void* { return nullptr; };
    std::string out = load(f_lines(5), false);
    EXPECT_EQ(out, "[REPLAY] out of memory for the 5 frames of " + dir + "/flight.rec -- not replayed\n");
    EXPECT_EQ(replay_count(), 0);
    EXPECT_EQ(frame(), "");
}

TEST_F(Replay, AFileThatCannotBeReadIsReported) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(replay_load((dir + "/none.rec").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[REPLAY] cannot open " + dir + "/none.rec\n");
    EXPECT_FALSE(replay_active());
    EXPECT_EQ(frame(), "");
}

}  // namespace
