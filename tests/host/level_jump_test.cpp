// The level jump: spec parsing, requests, the work-RAM words it applies and the
// course-select steering.
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/coin_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "host/host_ram.h"
#include "host/level_jump.h"
#include "tests/board/board_fixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class LevelJump : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        level_jump = level_jump_record{LEVEL_NONE, 0, false, 0, 0, false, false, 0, -1};
        stage_debug = false;
    }
    // What the frame step does between frames: the byte image imported into the slots.
    static int32_t byte_long(uint32_t offset) { return bus_read32(WRAM_BASE + offset); }
};

TEST(LevelSpec, FormsOfTheLevelSpec) {
    struct row {
        const char* text;
        bool ok, advanced;
        int course;
        uint32_t frame;
    } rows[] = {
        {"adv2@300", true, true, 2, 300},  {"N", true, false, 0, 10},     {"nov:1", true, false, 1, 10},
        {"A3", true, true, 3, 10},         {"adv@300", true, true, 0, 300}, {"n@25", true, false, 0, 25},
        {"x7", true, true, 7, 10},         {"end", false, false, 0, 0},     {"", false, false, 0, 0},
    };
    for (const row& r : rows) {
        bool advanced = false;
        int course = -1;
        uint32_t frame = 0;
        ASSERT_EQ(parse_level_spec(r.text, &advanced, &course, &frame), r.ok) << r.text;
        if (!r.ok) continue;
        EXPECT_EQ(advanced, r.advanced) << r.text;
        EXPECT_EQ(course, r.course) << r.text;
        EXPECT_EQ(frame, r.frame) << r.text;
    }
    bool a;
    int c;
    uint32_t f;
    EXPECT_FALSE(parse_level_spec(nullptr, &a, &c, &f));
}

TEST(LevelSpec, FormsOfTheEndingSpec) {
    struct row {
        const char* text;
        bool ok, cleared;
        int phase;
        uint32_t frame;
    } rows[] = {
        {"end", true, true, -1, 10},        {"end:bad", true, false, -1, 10}, {"end:fail", true, false, -1, 10},
        {"end:ok:7", true, true, 7, 10},    {"end:ok:20", true, true, 20, 10}, {"end:bad:9@200", true, false, 9, 200},
        {"adv2", false, true, -1, 10},
    };
    for (const row& r : rows) {
        bool cleared = true;
        int phase = 0;
        uint32_t frame = 0;
        ASSERT_EQ(parse_ending_spec(r.text, &cleared, &phase, &frame), r.ok) << r.text;
        if (!r.ok) continue;
        EXPECT_EQ(cleared, r.cleared) << r.text;
        EXPECT_EQ(phase, r.phase) << r.text;
        EXPECT_EQ(frame, r.frame) << r.text;
    }
}

TEST(LevelSpec, Labels) {
    EXPECT_STREQ(level_label(true, 3), "ADVANCED day 4  FINAL STAGE");
    EXPECT_STREQ(level_label(false, 1), "NOVICE  GALE GROVE");
    EXPECT_STREQ(level_label(false, 4), "?");
    EXPECT_STREQ(level_label(true, -1), "?");
}

TEST_F(LevelJump, RequestsClampTheCourseAndSendTheGameToItsStageStart) {
    struct row {
        bool advanced;
        int asked, course;
    } rows[] = {{false, 3, 2}, {true, 7, 3}, {true, -1, 0}, {false, 1, 1}};
    for (const row& r : rows) {
        bus_write32(WRAM_BASE + W_PLAYER_CELL, 9);
        host_frame = 77;
        testing::internal::CaptureStdout();
        level_request(r.advanced, r.asked);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(level_jump.course, r.course);
        EXPECT_EQ(level_jump.state, LEVEL_REQUESTED);
        EXPECT_EQ(level_jump.request_frame, 77u);
        EXPECT_EQ(byte_long(W_GAME_STATE), STATE_STAGE_START);
        EXPECT_EQ(byte_long(W_PLAYER_CELL), 0);
        EXPECT_EQ(out, "[LEVEL] " + std::string(level_label(r.advanced, r.course)) + "\n");
    }
}

TEST_F(LevelJump, EndingRequestPrintsItsLines) {
    struct row {
        bool cleared;
        int phase;
        const char* out;
    } rows[] = {
        {false, 9, "[LEVEL] ADVANCED day 4  FINAL STAGE\n[LEVEL] ENDING (bad, time up)\n[LEVEL]   phase 9\n"},
        {true, 20, "[LEVEL] ADVANCED day 4  FINAL STAGE\n[LEVEL] ENDING (cleared)\n"},
        {true, -3, "[LEVEL] ADVANCED day 4  FINAL STAGE\n[LEVEL] ENDING (cleared)\n"},
    };
    for (const row& r : rows) {
        testing::internal::CaptureStdout();
        ending_request(r.cleared, r.phase, 8995);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), r.out);
        EXPECT_TRUE(level_jump.ending_pending);
        EXPECT_EQ(level_jump.ending_phase, r.phase == 9 ? 9 : -1);
    }
}

TEST_F(LevelJump, ApplyWithoutARequestChangesNothing) {
    w_cell_set(W_GAME_SUB_STATE, 5);
    EXPECT_FALSE(level_apply());
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 5);
}

TEST_F(LevelJump, AdvancedCoursesWriteTheirCourseBits) {
    const uint32_t courses_left[4] = {0xF, 0xE, 0xC, 0x8};
    for (int course = 0; course < 4; course++) {
        board_memory_clear();
        w_write16(WRAM_BASE + W_COURSES_LEFT + 2, 0x1234);  // the neighbouring word is kept
        w_write16(WRAM_BASE + W_COURSE_PAIR + 4, 0x5678);
        w_cell_set(W_CAMERA_X, 1000);
        testing::internal::CaptureStdout();
        level_request(true, course);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(level_apply());
        EXPECT_EQ(unsigned(w_read16(WRAM_BASE + W_COURSES_LEFT)), courses_left[course]);
        EXPECT_EQ(w_read16(WRAM_BASE + W_COURSES_LEFT + 2), 0x1234);
        EXPECT_EQ(w_read32(WRAM_BASE + W_COURSE_PAIR), (course << 16) | course);
        EXPECT_EQ(w_read16(WRAM_BASE + W_COURSE_LEFT), 0);
        EXPECT_EQ(w_read16(WRAM_BASE + W_COURSE_PAIR + 4), 0x5678);
        EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_MODE), 0x10000);
        EXPECT_EQ(w_read32(WRAM_BASE + W_COURSE_NUMBER), course);
        EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_SUB_STATE), SUB_PRE_COURSE);
        EXPECT_EQ(w_cell(W_CAMERA_X), 0);
        EXPECT_EQ(level_jump.state, LEVEL_APPLIED);
        EXPECT_FALSE(level_apply());  // applied once
    }
}

TEST_F(LevelJump, NoviceCourseKeepsTheModeWordsLowHalf) {
    w_write32(WRAM_BASE + W_GAME_MODE, 0x1ABCD);
    w_write32(WRAM_BASE + W_ATTRACT_SCENE_FLAG, 6);
    testing::internal::CaptureStdout();
    level_request(false, 1);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(level_apply());
    EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_MODE), 0xABCD);
    EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_SUB_STATE), SUB_COURSE_SELECT);
    EXPECT_EQ(w_read32(WRAM_BASE + W_COURSE_NUMBER), 1);
    EXPECT_EQ(w_read32(WRAM_BASE + W_ATTRACT_SCENE_FLAG), 0);
}

// The armed flag is the coin routines' own cell at 0xE02C12; a long written there by
// address would land in the words around it and leave the game armed, so that the Start
// pressed in the course select started a new game instead of the course.
TEST_F(LevelJump, ApplyDisarmsTheStartAndLeavesTheCoinWordsAlone) {
    for (bool ending : {false, true}) {
        board_memory_clear();
        w_cell_set(W_ARMED_FLAG, 1);
        w_cell_set(W_COIN_WORD, 0x1234);
        w_cell_set(W_CREDIT_ROW, CREDIT_ROW_RESET);
        testing::internal::CaptureStdout();
        if (ending)
            ending_request(true, -1, 8995);
        else
            level_request(false, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(level_apply());
        EXPECT_EQ(w_cell(W_ARMED_FLAG), 0) << ending;
        EXPECT_EQ(wram[W_COIN_WORD], 0x1234) << ending;
        EXPECT_EQ(wram[W_CREDIT_ROW], CREDIT_ROW_RESET) << ending;
    }
}

TEST_F(LevelJump, EndingApplyWritesTheEndingWords) {
    stage_debug = true;
    host_frame = 33;
    testing::internal::CaptureStdout();
    ending_request(false, 4, 8995);
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(level_apply());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[LEVEL] f33 ending: E18=2 total=8995\n");
    EXPECT_EQ(w_read16(WRAM_BASE + W_COURSES_LEFT), 8);
    EXPECT_EQ(w_read32(WRAM_BASE + W_END_FLAG), 2);
    EXPECT_EQ(w_read32(WRAM_BASE + W_COURSE_NUMBER), 3);
    EXPECT_EQ(w_read32(WRAM_BASE + W_ENDING_TOTAL), 8995);
    EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_MODE), 0x10000);
    EXPECT_EQ(w_read32(WRAM_BASE + W_COURSE_PAIR), 0x30003);
    EXPECT_EQ(w_read32(WRAM_BASE + W_GAME_SUB_STATE), 14);
    EXPECT_EQ(level_jump.state, LEVEL_NONE);
    EXPECT_FALSE(level_jump.ending_pending);
    EXPECT_EQ(level_jump.ending_phase, 4);  // left for the ending's set-up
}

TEST_F(LevelJump, AnUnappliedRequestIsDroppedAfter600Frames) {
    host_frame = 100;
    testing::internal::CaptureStdout();
    level_request(false, 0);
    testing::internal::GetCapturedStdout();
    host_frame = 700;
    EXPECT_FALSE(level_stage_chosen_log());
    EXPECT_EQ(level_jump.state, LEVEL_REQUESTED);
    host_frame = 701;
    EXPECT_FALSE(level_stage_chosen_log());
    EXPECT_EQ(level_jump.state, LEVEL_NONE);
    EXPECT_FALSE(level_apply());
}

// The sounds of an applied jump on the synthetic sound table (sound 15: slot 15, command
// 0x010F): every jump stops what runs; sound 15 starts for a novice course and for
// advanced course 0, the course select's way in.
class LevelJumpSound : public BoardTest {};

TEST_F(LevelJumpSound, StopsTheSoundsAndStartsSoundFifteenForTheCourseSelect) {
    struct row {
        bool advanced;
        int course;
        bool sound_15;
    } rows[] = {{false, 0, true}, {false, 2, true}, {true, 0, true}, {true, 1, false}, {true, 3, false}};
    for (const row& r : rows) {
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        w_word_set(W_SOUND_HOLD_TIMER, -1);  // no hold: plays are not deferred
        w_cell_set(W_GAME_STATE, STATE_GAMEPLAY_INIT);
        slot_command_set(3, 0x8103);  // running
        level_jump = level_jump_record{LEVEL_NONE, 0, false, 0, 0, false, false, 0, -1};
        testing::internal::CaptureStdout();
        level_request(r.advanced, r.course);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(level_apply());
        uint32_t running = 0, fifteen = 0;
        ASSERT_TRUE(slot_command(3, &running));
        ASSERT_TRUE(slot_command(15, &fifteen));
        EXPECT_EQ(running & 0x8000, 0u) << r.advanced << r.course;
        EXPECT_EQ(fifteen, r.sound_15 ? 0x410Fu : 0u) << r.advanced << r.course;
    }
}

// Course select offering courses 2, 0, 1 (one per byte from the top), the request applied.
class CourseSelect : public LevelJump {
protected:
    void arrive(bool advanced, int course) {
        testing::internal::CaptureStdout();
        level_request(advanced, course);
        testing::internal::GetCapturedStdout();
        level_apply();
        bus_write32(WRAM_BASE + W_GAME_STATE, STATE_GAMEPLAY);
        bus_write32(WRAM_BASE + W_GAME_SUB_STATE, SUB_COURSE_SELECT_RUN);
        w_write16(WRAM_BASE + W_SELECT_MAX, 3);
        w_cell_set(W_SELECT_COURSES, 0x02000100);
    }
    // Frames after arrival at which Start is pressed.
    std::string presses(int frames) {
        std::string at;
        for (int i = 0; i < frames; i++, host_frame++)
            if (level_stage_chosen_log()) at += std::to_string(i) + " ";
        return at;
    }
};

TEST_F(CourseSelect, StartIsPressedFortyAndSixtyFramesAfterArrival) {
    host_frame = 500;
    arrive(false, 1);
    EXPECT_EQ(presses(100), "40 41 42 43 60 61 62 63 ");
    EXPECT_EQ(w_cell(W_SELECT_CURSOR), 2);
    EXPECT_EQ(level_jump.arrival_frame, 500u);
}

TEST_F(CourseSelect, AHeldCursorIsNotMoved) {
    host_frame = 0;
    arrive(true, 0);
    w_cell_set(W_SELECT_CURSOR, 7);
    w_write16(WRAM_BASE + W_SELECT_HOLD, 1);
    EXPECT_EQ(presses(65), "41 42 43 44 61 62 63 64 ");  // arrival at frame 0 is kept as frame 1
    EXPECT_EQ(w_cell(W_SELECT_CURSOR), 7);
    EXPECT_EQ(level_jump.arrival_frame, 1u);  // host frame 0 counts as 1
}

TEST_F(CourseSelect, AdvancedFinalStageIsNeverSteered) {
    arrive(true, 3);
    w_cell_set(W_SELECT_COURSES, 0x03000000);
    EXPECT_EQ(presses(100), "");
    EXPECT_EQ(level_jump.state, LEVEL_APPLIED);
}

TEST_F(CourseSelect, ACourseNotOfferedIsNotPressed) {
    arrive(false, 1);
    w_write16(WRAM_BASE + W_SELECT_MAX, 2);  // course 1 is the third byte
    EXPECT_EQ(presses(100), "");
}

TEST_F(CourseSelect, TheJumpEndsWhenTheStageStartsOrTheGameLeavesGameplay) {
    stage_debug = true;
    host_frame = 12;
    arrive(false, 2);
    bus_write32(WRAM_BASE + W_COURSE_NUMBER, 2);
    bus_write32(WRAM_BASE + W_GAME_SUB_STATE, 2);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(level_stage_chosen_log());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[LEVEL] f12 stage chosen, course=2\n");
    EXPECT_EQ(level_jump.state, LEVEL_NONE);

    arrive(false, 2);
    bus_write32(WRAM_BASE + W_GAME_STATE, 0);
    EXPECT_FALSE(level_stage_chosen_log());
    EXPECT_EQ(level_jump.state, LEVEL_NONE);
}

}  // namespace
