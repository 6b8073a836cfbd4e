// The name entry in the screen harness: the set-up's decision, the cursor on its grid,
// the back and end cells, three letters, the skip button, the store into the rankings
// and the scores file, and SKYVOLTA_TEST_NAME's test drive.
#include "game/modes/name_entry.h"

#include "board/board_memory.h"
#include "board/inputs.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/name_entry_ram.h"
#include "game/modes/test_env.h"
#include "tests/support/screen_harness.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

constexpr int16_t HANDLE_LOW = 192, HANDLE_HIGH = 830;
const screen_input RIGHT = {0, 0, HANDLE_LOW, 511, 0};
const screen_input LEFT = {0, 0, HANDLE_HIGH, 511, 0};
const screen_input UP = {0, 0, 511, HANDLE_HIGH, 0};
const screen_input DOWN = {0, 0, 511, HANDLE_LOW, 0};
const screen_input START = {0, SCREEN_START, 511, 511, 0};

class NameEntry : public testing::Test {
protected:
    void TearDown() override {
        unsetenv("SKYVOLTA_TEST_NAME");
        test_env_init();
    }
    // Top state 3, sub-state 16 in the given mode on course 0, then the set-up's frame.
    static void enter(int mode, int32_t total, int32_t time_score = 0) {
        screen_start();
        screen_handle_centred();
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_GAME_SUB_STATE, 16);
        w_cell_set(W_COURSE_NUMBER, 0);
        w_write16(WRAM_BASE + W_GAME_MODE, uint32_t(mode));
        w_cell_set(W_ENDING_TOTAL, total);
        w_cell_set(W_TIME_SCORE, time_score);
        wram_export();
        screen_frame();
    }
    // The cursor put on a cell, as if moved there.
    static void cursor_to(int cell) {
        w_word_set(W_NAME_ROW, cell / NAME_GRID_COLUMNS);
        w_word_set(W_NAME_COLUMN, cell % NAME_GRID_COLUMNS);
        w_word_set(W_NAME_CELL, cell);
        wram_export();
    }
    static void press_on(int cell) {
        cursor_to(cell);
        screen_press(START);
    }
    static int slot() { return w_word(W_NAME_SLOT); }
    static int timer() { return w_word(W_NAME_TIMER); }
    static std::vector<int> initials() {
        return {w_cell_byte(W_NAME_INITIALS), w_cell_byte(W_NAME_INITIALS + 1), w_cell_byte(W_NAME_INITIALS + 2)};
    }
    // The value and initials of entry k of ranking table t.
    static int32_t ranked_value(int t, int k) { return w_cell(uint32_t(ranking_entry_cell(t, k))); }
    static std::vector<int> ranked_initials(int t, int k) {
        uint32_t at = uint32_t(ranking_entry_cell(t, k));
        return {w_cell_byte(at + 4), w_cell_byte(at + 5), w_cell_byte(at + 6)};
    }
};

TEST_F(NameEntry, SetUpShowsTheGridWithNothingChosen) {
    enter(1, 2345);
    EXPECT_EQ(screen_sub_state(), 17);
    EXPECT_EQ(initials(), (std::vector<int>{49, 49, 49}));
    EXPECT_EQ(timer(), 1799);  // the first frame ran in the set-up's
    EXPECT_EQ(w_cell(W_ARMED_FLAG), 0);
    const int digits[5] = {5, 4, 3, 2, 10};
    for (uint32_t k = 0; k < 5; k++) EXPECT_EQ(w_word(W_SCORE_DIGITS + 2 * k), digits[k]) << k;
}

// Game mode 0 enters only for places 1 to 3 or no place; otherwise the score goes in
// without initials and the game over follows in the same frame.
TEST_F(NameEntry, SingleCourseEntersOnlyForTheTopThree) {
    struct row {
        int32_t total;
        int sub_state;
    };
    // Course table 0: 1700, 1650, ... 750.
    const row rows[] = {{1800, 17}, {1660, 17}, {1620, 17}, {1580, 11}, {1000, 11}, {700, 17}};
    for (const row& r : rows) {
        enter(0, r.total);
        EXPECT_EQ(screen_sub_state(), r.sub_state) << r.total;
        if (r.sub_state == 11) {
            int place = 0;
            for (int k = 0; k < 20; k++)
                if (ranked_value(0, k) == r.total) place = k + 1;
            ASSERT_GT(place, 3) << r.total;
            EXPECT_EQ(ranked_initials(0, place - 1), (std::vector<int>{0, 0, 0})) << r.total;
        }
    }
}

struct move_case {
    int from;
    screen_input direction;
    int to;
};

TEST_F(NameEntry, TheGridDoesNotWrap) {
    const move_case cases[] = {
        {0, UP, 0},   {0, LEFT, 0},   {12, RIGHT, 12}, {39, DOWN, 39}, {51, RIGHT, 51},
        {0, DOWN, 13}, {0, RIGHT, 1}, {14, UP, 1},     {14, LEFT, 13}, {38, DOWN, 51},
    };
    for (const move_case& c : cases) {
        enter(1, 1000);
        cursor_to(c.from);
        screen_press(c.direction);
        EXPECT_EQ(w_word(W_NAME_CELL), c.to) << c.from;
        EXPECT_EQ(slot(), 0);
    }
}

TEST_F(NameEntry, BackOnTheFirstSlotStaysThere) {
    enter(1, 1000);
    press_on(NAME_CELL_BACK);
    EXPECT_EQ(slot(), 0);
    press_on(5);
    press_on(NAME_CELL_BACK);
    EXPECT_EQ(slot(), 0);
    EXPECT_EQ(initials()[0], 5);  // going back leaves the letter until it is replaced
    press_on(7);
    EXPECT_EQ(initials()[0], 7);
    EXPECT_EQ(slot(), 1);
}

// Three letters: input stops at once, the entry ends 150 frames later with the letters
// in the multi-stage table, the score table and the scores file.
TEST_F(NameEntry, ThreeLettersAreStoredAndSaved) {
    enter(1, 1750);
    press_on(3);
    press_on(14);
    press_on(25);
    EXPECT_EQ(slot(), 3);
    EXPECT_EQ(timer(), 148);  // 150 set by the press; its frame and the release counted
    press_on(7);
    EXPECT_EQ(initials(), (std::vector<int>{3, 14, 25}));
    screen_frames(146);
    EXPECT_EQ(screen_sub_state(), 17);
    screen_frame();
    EXPECT_EQ(screen_sub_state(), 10);
    EXPECT_EQ(uint32_t(w_cell(W_NAME_SCORE)), 0x7F000000u + 1750);
    EXPECT_EQ(ranked_value(3, 0) & 0xFFFFFF, 1750);
    EXPECT_EQ(ranked_initials(3, 0), (std::vector<int>{3, 14, 25}));
    int head = w_cell_byte(W_SCORE_HEAD);
    ASSERT_LT(head, 10);
    EXPECT_EQ(w_cell(W_SCORE_TABLE + 8 * uint32_t(head)) & 0xFFFFFF, 1750);

    std::vector<uint8_t> file = file_read(scores_path());
    ASSERT_EQ(file.size(), SCORES_FILE_SIZE);
    const uint8_t* record = &file[8 + 8 * size_t(head)];
    EXPECT_EQ(record[3] | record[2] << 8, 1750);
    EXPECT_EQ(record[4], 3);
    EXPECT_EQ(record[5], 14);
    EXPECT_EQ(record[6], 25);
}

TEST_F(NameEntry, EndCellWithNoLettersStoresNotChosen) {
    enter(1, 1750);
    press_on(NAME_CELL_END);
    EXPECT_EQ(slot(), 3);
    EXPECT_EQ(timer(), 118);
    screen_frames(119);
    EXPECT_EQ(screen_sub_state(), 10);
    EXPECT_EQ(ranked_initials(3, 0), (std::vector<int>{49, 49, 49}));
}

TEST_F(NameEntry, UntouchedEntryEndsAfter1800FramesWithTheTimeScore) {
    enter(0, 1800, 1720);
    screen_frames(1799);
    EXPECT_EQ(screen_sub_state(), 17);
    EXPECT_EQ(slot(), 3);  // the last 150 frames take no input
    screen_frame();
    EXPECT_EQ(screen_sub_state(), 10);
    EXPECT_EQ(uint32_t(w_cell(W_NAME_SCORE)), 0x7F000000u + 1720);
    EXPECT_EQ(ranked_value(0, 0) & 0xFFFFFF, 1720);
}

// Random letter models: every initial's model is read inside the ROM whatever it holds.
TEST_F(NameEntry, RandomLetterModelsStayInsideTheImages) {
    enter(1, 1750);
    for (uint32_t a = ROM_LETTER_MODELS; a < ROM_LETTER_MODELS + 4 * 52; a++) program_rom[a] = uint8_t(a * 73 + 11);
    for (int cell : {0, 25, 48}) press_on(cell);
    screen_frames(160);
    EXPECT_EQ(screen_sub_state(), 11);
}

// The skip bit sits on a port no device answers: the cell is written here.
TEST_F(NameEntry, SkipButtonStoresNothing) {
    enter(1, 1750);
    press_on(4);
    std::vector<int32_t> before;
    for (int k = 0; k < 10; k++) before.push_back(ranked_value(3, k));
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 0x100);
    name_entry_run();
    EXPECT_EQ(screen_sub_state(), 10);
    for (int k = 0; k < 10; k++) EXPECT_EQ(ranked_value(3, k), before[size_t(k)]) << k;
}

// The handle readings the test drive asks for reach the next frame's inputs, then the
// handle springs back to the centre, as the host's input update lets it.
screen_input driven = {};
void drive_handle(int turn, int pitch) {
    driven.turn = int16_t(turn);
    driven.pitch = int16_t(pitch);
}

// SKYVOLTA_TEST_NAME=3,14,51: after 40 frames the handle walks to each cell in turn and
// presses on it; the end cell as the third ends the input with two letters.
TEST_F(NameEntry, TestNameDrivesTheEntry) {
    setenv("SKYVOLTA_TEST_NAME", "3,14,51", 1);
    test_env_init();
    void (*const host_hook)(int, int) = name_entry_analog_hook;
    name_entry_analog_hook = drive_handle;
    enter(1, 1750);
    int frames = 0;
    while (slot() < 3 && frames < 1500) {
        screen_input in = driven;
        driven = {};
        screen_frame(in);
        frames++;
    }
    name_entry_analog_hook = host_hook;
    EXPECT_EQ(slot(), 3);
    EXPECT_GT(frames, 40);
    EXPECT_EQ(initials(), (std::vector<int>{3, 14, 49}));
    screen_frames(timer() + 1);
    EXPECT_EQ(screen_sub_state(), 10);
    EXPECT_EQ(ranked_initials(3, 0), (std::vector<int>{3, 14, 49}));
}

}  // namespace
