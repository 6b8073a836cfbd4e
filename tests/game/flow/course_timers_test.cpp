// Stage and course timers: the timers a run keeps, and the game booked into the settings
// block's bookkeeping words at the game-over screen, then saved.
#include "board/scores_file.h"
#include "game/services/course_timers.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/run_ram.h"
#include "tests/game/flow/flow_fixture.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr uint32_t BOOK_FIRST = 0xE040B0, BOOK_LAST = 0xE0416E;  // words compared

int32_t word(uint32_t x) {
    return int16_t(w_read16(WRAM_BASE + x));
}
void word_set(uint32_t x, int32_t v) {
    w_write16(WRAM_BASE + x, uint32_t(v));
}

class CourseTimers : public FlowTest {
protected:
    void SetUp() override {
        FlowTest::SetUp();
        dir = temp_dir_make("timers");
        path = dir + "/scores.nv";
        scores_path_set(path.c_str());
        scores_load();
    }
    void TearDown() override {
        scores_path_set(nullptr);
        temp_dir_remove(dir);
    }
    // Whether `step` saved the settings: the score head changes first, so a sync writes.
    bool syncs(void (*step)()) {
        std::remove(path.c_str());
        w_cell_set(W_SCORE_HEAD, ++score_head);
        step();
        return file_size(path) > 0;
    }
    // The bookkeeping words that are not 0, by address.
    static std::map<uint32_t, int> book_words() {
        std::map<uint32_t, int> out;
        for (uint32_t a = BOOK_FIRST; a <= BOOK_LAST; a += 2)
            if (int v = w_read16(a)) out[a] = v;
        return out;
    }
    std::string dir, path;
    int32_t score_head = 0;
};

struct book_case {
    const char* name;
    int mode;
    bool stage_timing;
    int32_t stage, result, stages_before, idle_stages;
    int8_t courses[4];
    std::map<uint32_t, int> words;  // besides the totals
};

// frame_counter 10000; the game began at 1000, the stage at 4000, the last stage ended at
// 7000, the course took 2500 frames.
TEST_F(CourseTimers, UpdateBooksTheGame) {
    const book_case cases[] = {
        {"course game: result 0 raises its row twice", 0, true, 0, 0, 0, 0, {2, -1, -1, -1},
         {{0xE0413E, 2}, {0xE0415A, 2500}}},
        {"course game: result 3, stage timing off", 0, false, 0, 3, 5, 2, {1, -1, -1, -1},
         {{0xE0412E, 1}, {0xE04134, 1}, {0xE04156, 2500}}},
        {"course game: course 3's row lies past the cleared words", 0, true, 0, 9, 0, 0, {3, 0, 0, 0},
         {{0xE0414E, 1}, {0xE0415E, 2500}}},
        {"course game: no course recorded", 0, true, 0, 2, 0, 0, {-1, 1, 2, 3}, {}},
        {"story: stage 2 cleared from course 0", 1, true, 2, 1, 1, 0, {0, 1, 2, -1},
         {{0xE040C0, 1}, {0xE040E2, 1}, {0xE040E4, 1}, {0xE040E6, 1}}},
        {"story: the last stage cleared on course 2", 1, true, 3, 1, 7, 0, {2, 0, 3, 1},
         {{0xE040E0, 1}, {0xE0410A, 1}, {0xE0410C, 1}, {0xE0410E, 1}, {0xE04110, 1}, {0xE04112, 1}}},
        {"story: another second course", 1, true, 1, 0, 2, 0, {1, 2, -1, 0},
         {{0xE040C6, 1}, {0xE040F6, 1}, {0xE04102, 1}, {0xE04106, 1}}},
        {"story: no course recorded, the stage row only", 1, true, 0, 0, 0, 0, {-1, 1, 1, 1}, {{0xE040B0, 1}}},
        {"story: a negative stage count books no stage row", 1, true, 0, 0, -1, 0, {-1, 1, 1, 1}, {}},
        {"story: beyond the last stage", 1, true, 4, 1, 0, 0, {-1, 1, 1, 1}, {}},
    };
    for (const book_case& c : cases) {
        SCOPED_TRACE(c.name);
        board_memory_clear();
        w_cell_set(W_FRAME_COUNTER, 10000);
        w_cell_set(W_GAME_START_FRAME, 1000);
        w_cell_set(W_STAGE_FRAMES, 4000);
        w_cell_set(W_LAST_STAGE_FRAME, 7000);
        w_cell_set(W_COURSE_FRAMES, 2500);
        word_set(W_TIMING_ENABLED, 1);
        word_set(W_STAGE_TIMING, c.stage_timing);
        word_set(W_GAME_MODE, c.mode);
        word_set(W_STAGE_INDEX, c.stage);
        word_set(W_COURSE_RESULT, c.result);
        word_set(W_STAGE_COUNT, c.stages_before);
        word_set(W_IDLE_STAGES, c.idle_stages);
        for (uint32_t j = 0; j < 4; j++) w_cell_set(W_STAGE_COURSES + j, c.courses[j]);

        EXPECT_TRUE(syncs(course_timer_update));
        int32_t idle_after = c.idle_stages + (c.stage_timing ? 0 : 1);
        EXPECT_EQ(w_cell(W_STAGE_FRAMES), c.stage_timing ? 6000 : 4000);
        EXPECT_EQ(w_cell(W_BOOK_PLAY_FRAMES), 9000);
        EXPECT_EQ(w_cell(W_BOOK_STAGE_FRAMES), c.stage_timing ? 6000 : 4000);
        EXPECT_EQ(w_cell(W_BOOK_IDLE_FRAMES), c.stage_timing ? 0 : 3000);
        EXPECT_EQ(word(W_IDLE_STAGES), idle_after);
        EXPECT_EQ(w_cell(W_BOOK_GAMES), 0x10000 | idle_after);
        EXPECT_EQ(w_cell(W_BOOK_STAGES), (c.stages_before + 1) << 16);
        EXPECT_EQ(word(W_STAGE_COUNT), c.stages_before + 1);
        EXPECT_EQ(w_cell(W_TIMING_ENABLED), 0);
        EXPECT_EQ(book_words(), c.words);
    }
}

TEST_F(CourseTimers, UpdateDisabledOrRepeatedChangesNothing) {
    std::vector<int64_t> before;
    for (bool enable_first : {false, true}) {
        SCOPED_TRACE(enable_first ? "repeated" : "disabled");
        board_memory_clear();
        w_cell_set(W_FRAME_COUNTER, 500);
        word_set(W_STAGE_TIMING, 1);
        word_set(W_IDLE_STAGES, 3);
        w_cell_set(W_STAGE_COURSES, 1);
        if (enable_first) {
            word_set(W_TIMING_ENABLED, 1);
            EXPECT_TRUE(syncs(course_timer_update));
        }
        before.assign(wram, wram + WRAM_SIZE);
        EXPECT_FALSE(syncs(course_timer_update));
        before[W_SCORE_HEAD] = wram[W_SCORE_HEAD];  // the sync probe's own change
        EXPECT_TRUE(std::equal(before.begin(), before.end(), wram));
    }
}

TEST_F(CourseTimers, StartRecordsTheStagesCourse) {
    struct start_case {
        int32_t stage_word, index, byte_at;  // byte_at -1: none written
    };
    const start_case cases[] = {{0, 0, 0}, {2, 2, 2}, {3, 3, 3}, {7, 3, 3}, {-1, -1, -1}};
    for (const start_case& c : cases) {
        SCOPED_TRACE(c.stage_word);
        board_memory_clear();
        w_cell_set(W_FRAME_COUNTER, 321);
        w_cell_set(W_COURSE_NUMBER, 2);
        w_cell_set(W_COURSE_PAIR, c.stage_word);
        for (uint32_t j = 0; j < 4; j++) w_cell_set(W_STAGE_COURSES + j, -1);
        w_cell_set(W_STAGE_COURSES - 1, 0x55);
        course_timer_start();  // timing disabled: nothing
        EXPECT_EQ(w_cell(W_COURSE_FRAMES), 0);
        word_set(W_TIMING_ENABLED, 1);
        course_timer_start();
        EXPECT_EQ(w_cell(W_COURSE_FRAMES), 321);
        EXPECT_EQ(word(W_COURSE_RUNNING), 1);
        EXPECT_EQ(word(W_STAGE_INDEX), c.index);
        for (int32_t j = 0; j < 4; j++)
            EXPECT_EQ(int8_t(w_cell_byte(W_STAGE_COURSES + uint32_t(j))), j == c.byte_at ? 2 : -1) << j;
        EXPECT_EQ(w_cell(W_STAGE_COURSES - 1), 0x55);
    }
}

TEST_F(CourseTimers, StepTimesTheStage) {
    w_cell_set(W_FRAME_COUNTER, 900);
    w_cell_set(W_STAGE_FRAMES, 300);
    word_set(W_STAGE_TIMING, 1);
    word_set(W_STAGE_COUNT, 2);
    course_timer_step();
    EXPECT_EQ(w_cell(W_LAST_STAGE_FRAME), 900);
    EXPECT_EQ(w_cell(W_STAGE_FRAMES), 600);
    EXPECT_EQ(word(W_STAGE_TIMING), 0);
    EXPECT_EQ(word(W_STAGE_COUNT), 3);
    EXPECT_EQ(word(W_IDLE_STAGES), 0);
    course_timer_step();  // not timing: counted as idle
    EXPECT_EQ(w_cell(W_STAGE_FRAMES), 600);
    EXPECT_EQ(word(W_IDLE_STAGES), 1);
    EXPECT_EQ(word(W_STAGE_COUNT), 4);
}

TEST_F(CourseTimers, FinishGivesTheCourseResult) {
    struct finish_case {
        int mode;
        int32_t quota, score, grade, result;
    };
    const finish_case cases[] = {
        {1, 500, 500, 0, 1}, {1, 501, 500, 0, 0}, {0, 0, 0, 2, 3}, {0, 0, 0, 7, 6}, {0, 0, 0, -5, 1},
    };
    for (const finish_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " grade " << c.grade);
        board_memory_clear();
        w_cell_set(W_FRAME_COUNTER, 5000);
        w_cell_set(W_COURSE_FRAMES, 1200);
        word_set(W_GAME_MODE, c.mode);
        w_cell_set(W_STAGE_QUOTA, c.quota);
        w_cell_set(W_TIME_SCORE, c.score);
        word_set(W_COURSE_GRADE, c.grade);
        word_set(W_COURSE_RESULT, 77);
        word_set(W_TIMING_ENABLED, 1);
        course_timer_finish();  // the course is not running: nothing
        EXPECT_EQ(word(W_COURSE_RESULT), 77);
        word_set(W_COURSE_RUNNING, 1);
        course_timer_finish();
        EXPECT_EQ(word(W_COURSE_RESULT), c.result);
        EXPECT_EQ(w_cell(W_COURSE_FRAMES), c.mode ? 1200 : 3800);
        EXPECT_EQ(word(W_COURSE_RUNNING), 0);
    }
}

TEST_F(CourseTimers, StageStateResetClearsTheBookkeeping) {
    for (uint32_t x = 0x4000; x < 0x4170; x += 4) w_cell_set(x, int32_t(0x10001 * (x & 0xFF) + 1));
    stage_state_reset();
    for (uint32_t x : {0x4010u, 0x4014u, 0x4018u, 0x401Cu, 0x4020u, 0x4150u, 0x4154u, 0x4158u, 0x415Cu})
        EXPECT_EQ(w_cell(x), 0) << std::hex << x;
    EXPECT_EQ(word(W_BOOK_STAGES), 0);
    EXPECT_EQ(word(W_BOOK_STAGES + 2), 0x25);  // the low word of W 0x4024 is kept
    for (uint32_t a = 0xE040B0; a < 0xE0414E; a += 2) EXPECT_EQ(w_read16(a), 0) << std::hex << a;
    for (uint32_t x : {0x400Cu, 0x4028u, 0x40ACu, 0x4160u})
        EXPECT_EQ(w_cell(x), int32_t(0x10001 * (x & 0xFF) + 1)) << std::hex << x;
    EXPECT_EQ(w_read16(0xE0414E), 0x4D);  // past the cleared words
}

}  // namespace
