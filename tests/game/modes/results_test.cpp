// The results tally in the screen harness, driven by Start presses: the multi-stage
// game's decision by quota and courses left, the single-course grade and its road to
// name entry, a roll-up ended early showing the whole count through the real digit
// writer, and random tables.
#include "game/modes/results_screens.h"

#include "board/board_memory.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/name_entry_ram.h"
#include "game/modes/results_ram.h"
#include "game/services/gameplay_ram.h"
#include "tests/game/modes/select_fixture.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <random>

namespace {

const screen_input START = {0, SCREEN_START, 511, 511, 0};

struct race {
    int32_t mode, course, score, time_left, quota, mask, ending_flag;
    int32_t stage_day = 0x00010002, continues = 0;
};

class Results : public testing::Test {
protected:
    // A race just ended: top state 3, sub-state 6, the race's words; the set-up's frame.
    static void enter(const race& r) {
        screen_start();
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_GAME_SUB_STATE, 6);
        w_write16(WRAM_BASE + W_GAME_MODE, uint32_t(r.mode));
        w_cell_set(W_COURSE_NUMBER, r.course);
        w_cell_set(W_RUN_SCORE, r.score);
        w_cell_set(W_RACE_TIMER, r.time_left);
        w_cell_set(W_RACE_TIMER_SHOWN, r.time_left);
        w_cell_set(W_STAGE_QUOTA, r.quota);
        w_write16(WRAM_BASE + W_COURSES_LEFT, uint32_t(r.mask));
        w_cell_set(W_END_FLAG, r.ending_flag);
        w_cell_set(W_COURSE_PAIR, r.stage_day);
        w_word_set(W_COURSE_LEFT, r.continues);
        w_cell_set(W_ENDING_TOTAL, 0);
        w_cell_set(W_ATTRACT_SEQ_INDEX, 0);
        wram_export();
        screen_frame();
    }
    // Start every other frame until the tally decides (at most `frames` frames).
    static void press_through(int frames = 4000) {
        for (int f = 0; f < frames && screen_sub_state() == 7; f++) screen_frame(f % 2 ? screen_input{} : START);
    }
    static int32_t shown_digits() {
        int32_t n = 0;
        for (int i = 4; i >= 0; i--) {
            int32_t d = w_word(W_SCORE_DIGITS + 2 * uint32_t(i));
            n = n * 10 + (d == 10 ? 0 : d);
        }
        return n;
    }
};

TEST_F(Results, MultiStageDecisionByQuotaAndCoursesLeft) {
    struct row {
        const char* name;
        race r;
        int32_t sub, points, total, mask, stage_day, seq, mode_low;
    };
    // points = score + (time left / 6) x 5 + 1000 with the goal (ending_flag 1); time up
    // (2) counts the score alone.
    const row rows[] = {
        {"quota met, courses left: intermission, stage and day + 1", {1, 0, 900, 600, 1000, 0xF, 1, 0x00010002, 2},
         26, 2400, 2400, 0xE, 0x00020003, 0, 0},
        {"time up, quota missed on course 1: continue", {1, 1, 400, 0, 1000, 0xD, 2}, 28, 400, 0, 0xD, 0x00010002, 0, 0},
        {"quota missed on course 3: added, fade to name entry", {1, 3, 900, 60, 5000, 0x8, 1}, 16, 1950, 1950, 0x8,
         0x00010002, 11, 0},
        {"quota missed on course 3 without a place: total", {1, 3, 100, 0, 5000, 0x8, 2}, 30, 100, 100, 0x8, 0x00010002,
         11, 0},
        {"last course cleared: fade out, name entry", {1, 3, 3000, 120, 1000, 0x8, 1}, 16, 4100, 4100, 0, 0x00010002, 11,
         1},
        {"quota met exactly on course 2 with a course left", {1, 2, 1000, 0, 1000, 0xC, 2}, 26, 1000, 1000, 0x8,
         0x00020003, 0, 0},
    };
    for (const row& c : rows) {
        SCOPED_TRACE(c.name);
        enter(c.r);
        press_through();
        EXPECT_EQ(screen_sub_state(), c.sub);
        EXPECT_EQ(w_cell(W_TIME_SCORE), c.points);
        EXPECT_EQ(w_cell(W_ENDING_TOTAL), c.total);
        EXPECT_EQ(w_read16(WRAM_BASE + W_COURSES_LEFT), c.mask);
        EXPECT_EQ(w_cell(W_COURSE_PAIR), c.stage_day);
        EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), c.seq);
        EXPECT_EQ(w_word(W_GAME_MODE + 2), c.mode_low);
        if (c.sub == 26) {
            EXPECT_EQ(w_word(W_COURSE_LEFT), 0);
        }
    }
}

TEST_F(Results, GradeAtAndAroundEachThreshold) {
    screen_start();
    for (int course = 0; course < 4; course++)
        for (int i = 0; i < 5; i++) {
            int32_t t = SYNTH_GRADE_THRESHOLDS[course][i];
            EXPECT_EQ(results_grade(course, t - 1), i) << course << " " << t;
            EXPECT_EQ(results_grade(course, t), i + 1) << course << " " << t;
            EXPECT_EQ(results_grade(course, t + 1), i + 1) << course << " " << t;
        }
    EXPECT_EQ(results_grade(0, -5), 0);
    EXPECT_EQ(results_grade(0, 99999), 5);
}

TEST_F(Results, SingleCourseNameEntryOnlyWithGradeFiveAndAPlace) {
    struct row {
        const char* name;
        race r;
        int32_t grade, sub;
    };
    const row rows[] = {
        {"grade 5 and place 1: name entry", {0, 0, 5200, 0, 0, 0xF, 2}, 5, 16},
        {"grade 5 below every place of course 1: game over", {0, 1, 600, 0, 0, 0xF, 2}, 5, 10},
        {"grade 4 with a place: game over", {0, 0, 4500, 0, 0, 0xF, 2}, 4, 10},
        {"grade 3 with the time and goal bonus: game over", {0, 0, 1500, 1200, 0, 0xF, 1}, 3, 10},
    };
    for (const row& c : rows) {
        SCOPED_TRACE(c.name);
        enter(c.r);
        press_through();
        EXPECT_EQ(w_word(W_COURSE_GRADE), c.grade);
        EXPECT_EQ(screen_sub_state(), c.sub);
        EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), 6);
        EXPECT_EQ(w_cell(W_ENDING_TOTAL), w_cell(W_TIME_SCORE));
    }
}

// Start in the first roll-up ends it with the whole score on the rolling digits, which
// keep it; in the single-course game it also snaps the gauge to the grade.
TEST_F(Results, StartEndsARollUpWithTheWholeValueShown) {
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode);
        enter({mode, 0, 4321, 600, 100, 0xF, 1});
        while (w_word(W_RESULTS_STEP_WORD) != 1) screen_frame();
        screen_frames(5);
        EXPECT_LT(shown_digits(), 4321);  // still rolling
        screen_press(START);
        if (mode == 0) {
            EXPECT_EQ(w_word(W_COURSE_GRADE), 4);
        }
        screen_frames(mode == 0 ? 40 : 1);  // the gauge settles
        if (mode == 0) {
            EXPECT_EQ(w_word(W_NEEDLE), synth_needle_target(4));
        }
        EXPECT_EQ(w_word(W_RESULTS_STEP_WORD), 2);
        EXPECT_EQ(shown_digits(), 4321);
        EXPECT_EQ(w_cell(W_RESULTS_POINTS_SHOWN), 8 * 4321);
        screen_frames(10);
        EXPECT_EQ(w_cell(W_RESULTS_POINTS_SHOWN), 8 * 4321);
    }
}

// Unpressed, the digits roll up to the score by themselves and the step then ends.
TEST_F(Results, DigitsRollUpToTheScore) {
    enter({1, 0, 123, 0, 100, 0xF, 2});
    for (int f = 0; f < 400 && w_word(W_RESULTS_STEP_WORD) != 1; f++) screen_frame();
    for (int f = 0; f < 400 && w_word(W_RESULTS_STEP_WORD) == 1; f++) screen_frame();
    EXPECT_EQ(w_word(W_RESULTS_STEP_WORD), 2);
    EXPECT_EQ(shown_digits(), 123);
    EXPECT_EQ(w_cell(W_RESULTS_POINTS_SHOWN), 8 * 123);
}

// The best-record swing adds 512 and 8192 to its two halves, 32 frames, never carried.
TEST_F(Results, BestRecordSwingEndsAfter32Frames) {
    enter({1, 0, 500, 0, 100, 0xF, 2});
    while (w_word(W_RESULTS_STEP_WORD) != 5) screen_press(START);
    int frames = ((w_word(W_RESULTS_BEST_FLAG) - int16_t(0xC000)) & 0xFFFF) / 512;  // already swung
    while (w_cell(W_RESULTS_BEST_FLAG) < 0 && frames < 100) {
        screen_frame();
        frames++;
    }
    EXPECT_EQ(frames, 32);
    EXPECT_EQ(w_cell(W_RESULTS_BEST_FLAG), 0);
}

// Random bytes in every table the screens read: no sanitizer report, the tally goes on.
TEST_F(Results, RandomTablesStayInsideTheImages) {
    std::mt19937 random(5);
    for (int mode : {0, 1}) {
        enter({mode, 2, 2500, 300, 2000, 0xF, 1});
        for (uint32_t at : {0x15C478u, 0x37508u, 0x3757Cu, 0x375FCu})
            for (uint32_t i = 0; i < 0x100; i++) program_rom[at + i] = uint8_t(random());
        w_cell_set(W_TRAIL_COUNT, 0x7FFFFFFF);
        wram_export();
        press_through(3000);
        EXPECT_NE(screen_sub_state(), 7);
    }
}

// The flown path: a loop of points around the course map's middle.
void path_set(int points) {
    for (int k = 0; k < points; k++) {
        int32_t x = 0x30 * (k % 20) - 0x1E0, z = 0x10 * k - 0x100;
        w_word_set(W_TRAIL + 4 * uint32_t(k), x);
        w_word_set(W_TRAIL + 4 * uint32_t(k) + 2, z);
    }
    w_cell_set(W_TRAIL_COUNT, points);
    wram_export();
}

// The multi-stage board on course 1 during the time bonus: the quota and score digit
// plates and the course map with the flown path.
TEST_F(Results, MultiStagePicture) {
    enter({1, 1, 2345, 1800, 3000, 0xF, 1});
    path_set(60);
    while (w_word(W_RESULTS_STEP_WORD) != 3) screen_frame();
    screen_frames(250);
    EXPECT_EQ(select_golden_check(__FILE__, "results_multi"), "");
}

// The single-course board at the grade call: gauge, grade models, final text.
TEST_F(Results, SingleCoursePicture) {
    enter({0, 0, 4200, 600, 0, 0xF, 2});
    path_set(40);
    for (int f = 0; f < 3000 && w_word(W_RESULTS_STEP_WORD) != 9; f++) screen_frame(f % 2 ? screen_input{} : START);
    screen_frames(86);  // the final text's blink on
    EXPECT_EQ(select_golden_check(__FILE__, "results_single"), "");
}

}  // namespace
