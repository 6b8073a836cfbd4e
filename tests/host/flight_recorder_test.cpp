// The flight recorder on prepared work RAM: its header, the F line, when it writes,
// the END line and names that never replace a file.
#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/sprite_records.h"
#include "board/wram_cell.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "host/flight_recorder.h"
#include "host/host_ram.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr time_t FIXED_START = 1700000000;

void probe_set(uint32_t i, uint32_t field, int32_t v) {
    w_cell_set(probe_field(i, field), v);
}

// A racing frame of course 1 with every field the F line reads set to a known value.
void racing_frame_prepare(int32_t x) {
    board_memory_clear();
    host_frame = 1234;
    w_cell_set(W_GAME_STATE, STATE_GAMEPLAY);
    w_cell_set(W_GAME_SUB_STATE, SUB_RACING);
    w_cell_set(W_COURSE_NUMBER, 1);
    w_cell_set(W_PLAYER_X, x);
    w_cell_set(W_PLAYER_Y, -2000);
    w_cell_set(W_PLAYER_Z, 0x48000);
    w_cell_set(W_TARGET_HEADING, 0x12345);
    w_cell_set(W_TARGET_PITCH, -300);
    w_cell_set(W_TARGET_ROLL, 150);
    w_cell_set(W_EASED_HEADING, 0x4444);  // the eased attitude, still following the targets
    w_cell_set(W_EASED_ROLL, -7);
    w_cell_set(W_PLAYER_SPEED, 0x900);
    w_cell_set(W_PITCH_INPUT, -1000);
    w_cell_set(W_TURN_INPUT, 2000);
    w_cell_set(W_PEDAL_DELTA, 3);
    w_cell_set(W_PLAYER_PITCH, 10);
    w_cell_set(W_PLAYER_HEADING, 70000);
    w_cell_set(W_PLAYER_ROLL, -5);
    w_cell_set(W_GATE_BYTES[0], 0x1A1);
    w_cell_set(W_GATE_BYTES[1], 2);
    w_cell_set(W_GATE_BYTES[2], 0xFF);
    w_cell_set(W_STAGE_LAYER_COUNT, 3);
    w_cell_set(W_STAGE_LAYER_MASK, 0x1F5);
    w_cell_set(W_SPRITE_COUNT, 12);
    for (uint32_t i = 0; i < PROBE_COUNT; i++) {
        probe_set(i, PROBE_HIT, i == 0 ? 1 : i == 5 ? 7 : 0);
        probe_set(i, PROBE_CONTACT, 100 * int32_t(i) - 50);
        probe_set(i, PROBE_COLUMN_COUNT, i == 0 ? 3 : int32_t(i));
        probe_set(i, PROBE_SPECIAL_TYPE, 0xE0 + int32_t(i));
        probe_set(i, PROBE_POS, int32_t(i));
        probe_set(i, PROBE_POS + 4, -int32_t(i));
        probe_set(i, PROBE_POS + 8, 1000 + int32_t(i));
    }
    probe_set(PROBE_CENTRE, PROBE_SURFACE, 0x1C7);
    const int32_t faces[3] = {100 * 16 + 4, -20 * 16 + 1, 5 * 16};  // pass-through at 100, solid at -20 and 5
    for (uint32_t f = 0; f < 3; f++) w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN) + 4 * f, faces[f]);
}

class FlightRecorder : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("recorder");
        ASSERT_NE(getcwd(home, sizeof home), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        recording_clock = [] { return FIXED_START; };
    }
    void TearDown() override {
        testing::internal::CaptureStderr();
        recording_stop();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(chdir(home), 0);
        temp_dir_remove(dir);
    }
    // Starts a recording, its stderr line captured; gives the path.
    std::string start() {
        testing::internal::CaptureStderr();
        recording_start();
        start_message = testing::internal::GetCapturedStderr();
        return recording_path() ? recording_path() : "";
    }
    std::string stop() {
        testing::internal::CaptureStderr();
        recording_stop();
        return testing::internal::GetCapturedStderr();
    }
    std::string dir, start_message;
    char home[4096];
};

// The last recorded position is kept for the whole run (a later recording's first jump is
// measured from it), so the cases that count resets from their first frame run in a
// fresh process.
using FlightRecorderChild = FlightRecorder;

TEST(FlightRecorderFresh, FrameLinesFromPreparedWorkRam) {
    std::string out;
    EXPECT_EQ(test_child_run("", "FlightRecorderChild.FrameLinesFromPreparedWorkRam", &out), 0) << out;
}

TEST(FlightRecorderFresh, ARecordingNeverReplacesAFile) {
    std::string out;
    EXPECT_EQ(test_child_run("", "FlightRecorderChild.ARecordingNeverReplacesAFile", &out), 0) << out;
}

TEST_F(FlightRecorder, HeaderLinesExact) {
    host_frame = 77;
    std::string path = start();
    EXPECT_EQ(start_message, "[REC] recording to " + path + "\n");
    ASSERT_TRUE(recording_active());
    std::vector<std::string> lines = file_lines(path);
    const std::vector<std::string> header = {
        "# skyvolta flight recording v1",
        "# started_at_frame=77 (course is on the first F line)",
        "# F <frame> st=<state>/<sub> p=<x>,<y>,<z> hdg=<h> pit=<p> rol=<r> spd=<s>",
        "#   cell=<c> chunk=<model> adc=<x>,<y> pedal=<n> eul=<a0>,<a1>,<a2>",
        "#     eul = W[0x0D0C]/0x0D10/0x0D14, the angles the six probes are",
        "#     rotated by. The contact is attitude-dependent, so a comparison",
        "#     against another run is meaningless without them.",
        "#   layers=<n> mask=<hex> contact=<0|1> probes=<hex bitmask>",
        "#   pfloor=<f0..f5> each probe's resolved floor; pnf=<n0..n5> each",
        "#     probe's FACE COUNT -- 0 faces means its layer walk found nothing",
        "#     (row 144), a full column that still buries is the walk (row 146)",
        "#   jump=<units moved this frame>[ RESET] floor=<y> surf=<hex> col=<n>[ S@h|P@h ...]",
        "# S = solid face (blocks), P = pass-through face (fly through).",
        "# probes bit0 centre, 1 right wing, 2 left wing, 3 nose, 4 top,",
        "#   5 LOOK-AHEAD -- bit 5 is the one world_render_terrain's hit",
        "#   response is gated on, so a wall can show there and nowhere else.",
        "# RESET marks the hard-reset branch (speed forced to 0x900 and the",
        "#   position restored) -- the 'thrown back' a player feels as a wall.",
    };
    EXPECT_EQ(lines, header);
    EXPECT_EQ(path.rfind("recordings/flight_", 0), 0u);
    EXPECT_EQ(path.substr(path.size() - 4), ".rec");
}

TEST_F(FlightRecorderChild, FrameLinesFromPreparedWorkRam) {
    if (!test_child()) GTEST_SKIP() << "run by FlightRecorderFresh.FrameLinesFromPreparedWorkRam";
    std::string path = start();
    racing_frame_prepare(0x30005);
    w_cell_set(W_PLAYER_SPEED, 0x800);  // whatever an earlier recording left, no hard reset
    recording_write_frame();
    racing_frame_prepare(0x30005 + 30000);  // thrown back 30,000 units at speed 0x900: a hard reset
    host_frame = 1235;
    recording_write_frame();
    racing_frame_prepare(0x30005 + 60000);
    w_cell_set(W_PLAYER_SPEED, 0x901);  // the same jump at another speed is no reset
    host_frame = 1236;
    recording_write_frame();
    std::vector<std::string> lines = file_lines(path);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[19],
              "F 1235 course=1 st=3/3 p=226613,-2000,294912 hdg=9029 pit=-300 rol=150 spd=2304 cell=26 chunk=1327 "
              "adc=-1000,2000 pedal=3 eul=10,70000,-5 gates=A1/02/FF layers=3 mask=F5 contact=1 probes=21 "
              "pfloor=-50,50,150,250,350,450 pnf=3,1,2,3,4,5 psurf=E0,E1,E2,E3,E4,E5 nspr=12 "
              "pxyz=[0/0/1000 1/-1/1001 2/-2/1002 3/-3/1003 4/-4/1004 5/-5/1005] jump=30000 RESET floor=-50 "
              "surf=C7 col=3 P@100 S@-20 S@5");
    EXPECT_NE(lines[20].find(" jump=30000 floor=-50 "), std::string::npos) << lines[20];
    EXPECT_EQ(recording_frames(), 3);
    EXPECT_EQ(recording_contact_frames(), 3);
    EXPECT_EQ(recording_resets(), 1);

    // A later recording of the run measures its first jump from the last recorded frame.
    std::string next = start();
    racing_frame_prepare(0x30005 + 60000 + 5);
    recording_write_frame();
    lines = file_lines(next);
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_NE(lines[18].find(" jump=5 floor="), std::string::npos) << lines[18];
}

// The look-ahead avoidance rewrites the targets after the flight step; the line keeps
// those that the collision tested, which a replay puts back at the flight step's end.
TEST_F(FlightRecorder, AttitudeIsTheTargetsAtTheFlightStepsEnd) {
    std::string path = start();
    racing_frame_prepare(0);
    replay_apply_attitude_hook();  // the flight step's end
    w_cell_set(W_TARGET_HEADING, 0x2000);
    w_cell_set(W_TARGET_PITCH, 0x800);
    w_cell_set(W_TARGET_ROLL, 0);
    recording_write_frame();
    std::string line = file_lines(path).back();
    EXPECT_NE(line.find(" hdg=9029 pit=-300 rol=150 "), std::string::npos) << line;
    recording_write_frame();  // no flight step this frame: the targets as they are
    line = file_lines(path).back();
    EXPECT_NE(line.find(" hdg=8192 pit=2048 rol=0 "), std::string::npos) << line;
    w_cell_set(W_TARGET_ROLL, 40);
    recording_write_frame();  // again none: not the last frame's targets
    line = file_lines(path).back();
    EXPECT_NE(line.find(" hdg=8192 pit=2048 rol=40 "), std::string::npos) << line;
}

TEST_F(FlightRecorder, FaceListIsClampedToSixteenAndStaysShort) {
    std::string path = start();
    racing_frame_prepare(0);
    probe_set(PROBE_CENTRE, PROBE_COLUMN_COUNT, 40);
    for (uint32_t f = 0; f < 16; f++)
        w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN) + 4 * f, int32_t(0x80000001u));  // S@-134217728
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_COLUMN) + 4 * 16, 99 * 16 + 4);  // the 17th is never read
    recording_write_frame();
    std::string line = file_lines(path).back();
    size_t col = line.find(" col=16 ");
    ASSERT_NE(col, std::string::npos) << line;
    std::string faces = line.substr(col + 7);
    EXPECT_LT(faces.size(), 488u);
    EXPECT_EQ(faces.find("P@99"), std::string::npos);
    size_t entries = 0;
    for (size_t at = 0; (at = faces.find(" S@-134217728", at)) != std::string::npos; at++) entries++;
    EXPECT_EQ(entries, 16u);

    probe_set(PROBE_CENTRE, PROBE_COLUMN_COUNT, -2);
    recording_write_frame();
    line = file_lines(path).back();
    EXPECT_EQ(line.substr(line.size() - 6), " col=0");
}

TEST_F(FlightRecorder, ChunkOfACellOffTheCourseIsMinusOne) {
    std::string path = start();
    struct row {
        int32_t course, x, z;
        const char* cell_chunk;
    } rows[] = {
        {0, 0, 0, " cell=0 chunk=1173 "},
        {3, 0x18000 * 7, 0x18000 * 15, " cell=127 chunk=1684 "},
        {0, -0x18000, 0, " cell=-1 chunk=-1 "},
        {2, 0, 0x18000 * 16, " cell=128 chunk=-1 "},
        {4, 0, 0, " cell=0 chunk=-1 "},
        {-1, 0, 0, " cell=0 chunk=-1 "},
    };
    for (const row& r : rows) {
        racing_frame_prepare(r.x);
        w_cell_set(W_COURSE_NUMBER, r.course);
        w_cell_set(W_PLAYER_Z, r.z);
        recording_write_frame();
        std::string line = file_lines(path).back();
        EXPECT_NE(line.find(r.cell_chunk), std::string::npos) << line;
    }
}

TEST_F(FlightRecorder, NothingIsWrittenOutsideRacing) {
    std::string path = start();
    const int32_t states[][2] = {{0, 0}, {3, 1}, {2, 3}, {3, 29}, {4, 3}};
    for (const auto& s : states) {
        racing_frame_prepare(0);
        w_cell_set(W_GAME_STATE, s[0]);
        w_cell_set(W_GAME_SUB_STATE, s[1]);
        recording_write_frame();
    }
    EXPECT_EQ(file_lines(path).size(), 18u);
    EXPECT_EQ(recording_frames(), 0);
}

TEST_F(FlightRecorder, StopWritesTheEndLine) {
    std::string path = start();
    racing_frame_prepare(0);
    w_cell_set(W_PLAYER_SPEED, 0x800);  // whatever an earlier recording left, no hard reset
    recording_write_frame();
    probe_set(PROBE_CENTRE, PROBE_HIT, 0);
    probe_set(5, PROBE_HIT, 0);
    recording_write_frame();
    EXPECT_EQ(stop(), "[REC] stopped: 2 frames, 1 with terrain contact, 0 hard resets -> " + path + "\n");
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(recording_path(), nullptr);
    EXPECT_EQ(file_lines(path).back(), "# END frames=2 contact_frames=1 resets=0");
    EXPECT_EQ(stop(), "");  // nothing open
}

TEST_F(FlightRecorderChild, ARecordingNeverReplacesAFile) {
    if (!test_child()) GTEST_SKIP() << "run by FlightRecorderFresh.ARecordingNeverReplacesAFile";
    std::string first = start();
    racing_frame_prepare(0);
    w_cell_set(W_PLAYER_SPEED, 0x800);  // whatever an earlier recording left, no hard reset
    recording_write_frame();
    std::string second = start();  // the same second: the first is stopped and kept
    std::string third = start();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(second, first.substr(0, first.size() - 4) + "_1.rec");
    EXPECT_EQ(third, first.substr(0, first.size() - 4) + "_2.rec");
    std::vector<std::string> kept = file_lines(first);
    ASSERT_EQ(kept.size(), 20u);
    EXPECT_EQ(kept.back(), "# END frames=1 contact_frames=1 resets=0");
    recording_toggle();
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(file_lines(third).back(), "# END frames=0 contact_frames=0 resets=0");
}

TEST_F(FlightRecorder, AFileThatCannotBeCreatedLeavesTheRecorderOff) {
    ASSERT_TRUE(file_write("recordings", {'x'}));  // a file where the folder should be
    std::string path = start();
    EXPECT_TRUE(path.empty());
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(start_message.rfind("[REC] could not open recordings/flight_", 0), 0u) << start_message;
    EXPECT_NE(start_message.find(".rec for writing\n"), std::string::npos) << start_message;
}

// Files of this process may not grow past `bytes` (a full disk as the recorder sees it:
// the write fails, here with EFBIG) until the scope ends.
struct file_size_limit {
    rlimit old{};
    explicit file_size_limit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit low = old;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~file_size_limit() { setrlimit(RLIMIT_FSIZE, &old); }
};

TEST_F(FlightRecorder, AFailedWriteStopsTheRecordingWithItsReason) {
    std::string path = start();
    racing_frame_prepare(0);
    recording_write_frame();
    ASSERT_TRUE(recording_active());
    std::string out;
    {
        file_size_limit full(rlim_t(file_size(path)));
        testing::internal::CaptureStderr();
        recording_write_frame();
        recording_write_frame();  // already stopped: nothing more
        out = testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(out, "[REC] write failed: File too large -- recording stopped\n");
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(stop(), "");
    std::vector<std::string> kept = file_lines(path);
    ASSERT_EQ(kept.size(), 19u) << "the lines written before the failure stay";
    EXPECT_EQ(kept.back().rfind("F 1234 course=1 ", 0), 0u) << kept.back();
}

TEST_F(FlightRecorder, AnEndLineThatCannotBeWrittenIsReportedNotStopped) {
    std::string path = start();
    racing_frame_prepare(0);
    recording_write_frame();
    std::string out;
    {
        file_size_limit full(rlim_t(file_size(path)));
        out = stop();
    }
    EXPECT_EQ(out, "[REC] write failed: File too large -- recording stopped\n");
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(file_lines(path).size(), 19u);
}

TEST_F(FlightRecorder, AHeaderThatCannotBeWrittenStartsNoRecording) {
    {
        file_size_limit full(100);
        start();
    }
    EXPECT_EQ(start_message, "[REC] write failed: File too large -- recording stopped\n");
    EXPECT_FALSE(recording_active());
    EXPECT_EQ(recording_path(), nullptr);
}

}  // namespace
