// The screens after the results in the screen harness: the continue screen paid in free
// play and with coins, given up or timed out; the total screen's 240 frames and fade;
// the game-over screen's hand-over to attract or the attract demo; the demo-flight
// screen's end; random tables.
#include "game/modes/continue_screens.h"

#include "board/board_memory.h"
#include "board/inputs.h"
#include "board/palette_marks.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/name_entry_ram.h"
#include "game/modes/results_drawing.h"
#include "game/modes/results_ram.h"
#include "game/modes/results_screens.h"
#include "game/services/gameplay_ram.h"
#include "tests/game/modes/select_fixture.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <random>

namespace {

const screen_input START = {0, SCREEN_START, 511, 511, 0};
const screen_input COIN = {SCREEN_COIN, 0, 511, 511, 0};
const screen_input GIVE_UP = {0, 0, 192, 511, 0};  // the handle turned: bit 0 of its new directions

struct game {
    bool free_play = true;
    int32_t credits = 0, price = 2, points = 0, total = 0, stage_continues = 0, continues_used = 0;
    int32_t ending_flag = 0, course = 0;
};

class AfterResults : public testing::Test {
protected:
    // Top state 3 at sub-state `sub` with the game's words; the set-up's frame.
    static void enter(int32_t sub, const game& g = {}) {
        screen_start();
        screen_handle_centred();
        w_cell_set(W_GAME_STATE, 3);
        w_cell_set(W_GAME_SUB_STATE, sub);
        w_write16(WRAM_BASE + W_FREE_PLAY, g.free_play ? 1 : 0);
        w_cell_set(W_COIN_COUNT, g.credits);
        w_word_set(W_COIN_VALUE2, g.price);
        w_word_set(W_GAME_VALUE1, 0);  // the first continue time
        w_cell_set(W_TIME_SCORE, g.points);
        w_cell_set(W_ENDING_TOTAL, g.total);
        w_word_set(W_COURSE_LEFT, g.stage_continues);
        w_word_set(W_STAGE_WORD, g.continues_used);
        w_cell_set(W_END_FLAG, g.ending_flag);
        w_cell_set(W_COURSE_NUMBER, g.course);
        w_cell_set(W_ATTRACT_SEQ_INDEX, 0);
        wram_export();
        screen_frame();
    }
    static int32_t choice() { return w_word(W_NEEDLE); }
    static int32_t timer() { return w_cell(W_CONTINUE_TIMER); }
    static void words_set(uint32_t w, int32_t value) {
        w_cell_set(w, value);
        wram_export();
    }
    // Frames while the sub-state stays `sub` (at most `max`); the count run.
    static int frames_in(int32_t sub, int max, const screen_input& in = {}) {
        int n = 0;
        while (screen_sub_state() == sub && screen_state() == 3 && n < max) {
            screen_frame(in);
            n++;
        }
        return n;
    }
};

TEST_F(AfterResults, FreePlayContinueIsPayableAtOnceAndTakesNoCredit) {
    enter(28, {true, 0, 2, 500, 0, 1, 3});
    EXPECT_EQ(screen_sub_state(), 29);
    EXPECT_EQ(w_word(W_CONTINUE_ENABLED + 2), 1);
    EXPECT_EQ(choice(), 1);
    EXPECT_EQ(timer(), SYNTH_CONTINUE_TIMES[0] - 1);
    screen_frame(START);
    EXPECT_EQ(screen_sub_state(), 0);
    EXPECT_EQ(w_cell(W_COIN_COUNT), 0);
    EXPECT_EQ(w_word(W_COURSE_LEFT), 2);
    EXPECT_EQ(w_word(W_STAGE_WORD), 4);
    EXPECT_EQ(w_cell(W_ENDING_TOTAL), 0);  // the missed stage is flown again
}

TEST_F(AfterResults, CoinRestartsTheTimerAndAtThePriceSetsContinue) {
    enter(28, {false, 0, 2});
    EXPECT_EQ(w_word(W_CONTINUE_ENABLED + 2), 0);
    screen_frames(100);
    EXPECT_EQ(timer(), SYNTH_CONTINUE_TIMES[0] - 101);
    screen_frame(START);  // continue chosen but not payable: whole seconds only
    EXPECT_EQ(screen_sub_state(), 29);
    EXPECT_EQ(timer(), 479);
    w_word_set(W_NEEDLE, 0);  // give up chosen
    wram_export();
    screen_frame(COIN);
    EXPECT_EQ(timer(), SYNTH_CONTINUE_TIMES[0] - 1);  // restarted
    EXPECT_EQ(choice(), 0);                            // one credit short
    EXPECT_EQ(w_cell(W_COIN_COUNT), 1);
    screen_frames(50);
    screen_frame(COIN);
    EXPECT_EQ(timer(), SYNTH_CONTINUE_TIMES[0] - 1);
    EXPECT_EQ(choice(), 1);
    EXPECT_EQ(w_word(W_CONTINUE_REVEAL), 15);  // the reveal restarted; it runs once payable
    screen_frame();
    EXPECT_EQ(w_word(W_CONTINUE_ENABLED + 2), 1);
    screen_frame(START);
    EXPECT_EQ(screen_sub_state(), 0);
    EXPECT_EQ(w_cell(W_COIN_COUNT), 0);
    EXPECT_EQ(w_word(W_COURSE_LEFT), 1);
}

TEST_F(AfterResults, StartOnGiveUpEndsTheScreenInTheSameFrame) {
    enter(28, {true, 0, 2, 700, 500});
    screen_frame(GIVE_UP);
    EXPECT_EQ(choice(), 0);
    screen_frame();
    screen_frame(START);
    EXPECT_EQ(screen_sub_state(), 16);  // 1200 places in the multi-stage table
    EXPECT_EQ(w_cell(W_ENDING_TOTAL), 1200);
    EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), 11);
}

TEST_F(AfterResults, TimeoutLeadsToNameEntryOrTheTotal) {
    struct row {
        int32_t points, total, sub;
    };
    for (const row& r : {row{200, 500, 30}, row{500, 1000, 16}, row{0, 0, 30}}) {
        SCOPED_TRACE(r.total);
        enter(28, {true, 0, 2, r.points, r.total});
        words_set(W_CONTINUE_TIMER, 3);
        EXPECT_EQ(frames_in(29, 10), 4);
        EXPECT_EQ(screen_sub_state(), r.sub);
        EXPECT_EQ(w_cell(W_ENDING_TOTAL), r.points + r.total);
        EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), 11);
    }
}

TEST_F(AfterResults, TotalShows240FramesThenFadesOutToGameOver) {
    enter(30, {true, 0, 2, 0, 12345});
    EXPECT_EQ(screen_sub_state(), 31);
    int32_t shown = 0;
    for (int i = 4; i >= 0; i--) shown = shown * 10 + w_word(W_SCORE_DIGITS + 2 * uint32_t(i));
    EXPECT_EQ(shown, 12345);
    screen_frames(239);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
    EXPECT_EQ(w_cell(W_TOTAL_FRAMES), 240);
    screen_frame();
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 8);
    EXPECT_EQ(frames_in(31, 100), 31);
    EXPECT_EQ(screen_sub_state(), 10);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
}

TEST_F(AfterResults, GameOverHandsOverToTheDemoOnlyAfterTheGoal) {
    struct row {
        int32_t ending_flag, state, armed;
    };
    for (const row& r : {row{1, 10, 1}, row{2, 0, 0}, row{0, 0, 0}}) {
        SCOPED_TRACE(r.ending_flag);
        enter(10, {true, 0, 2, 0, 900, 0, 0, r.ending_flag});
        w_cell_set(W_ARMED_FLAG, 0);
        wram_export();
        int n = 1;
        while (screen_state() == 3 && n < 400) {
            screen_frame();
            n++;
        }
        EXPECT_EQ(n, 64 + 181 + 64);  // fade in, hold, fade out
        EXPECT_EQ(screen_state(), r.state);
        EXPECT_EQ(w_cell(W_ARMED_FLAG), r.armed);
        EXPECT_EQ(w_cell(W_TIME_SCORE), 900);  // the total shown
        EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    }
}

TEST_F(AfterResults, DemoFlightScreenEndsByTimeOrStart) {
    struct row {
        const char* name;
        int32_t grade, total, start_at, frames, sub, seq, phase;
    };
    const row rows[] = {
        {"the last 128 of 1200 frames, no grade 5: game over", 4, 5000, -1, 1200, 10, 15, 2},
        {"start on frame 10: 128 frames of fade, grade 5 and a place: name entry", 5, 5000, 10, 137, 16, 6, 6},
        {"grade 5 without a place: game over", 5, 10, 10, 137, 10, 15, 2},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        enter(24, {true, 0, 2, 0, r.total});
        w_word_set(W_COURSE_GRADE, r.grade);
        wram_export();
        int n = 1;
        while (screen_sub_state() == 25 && n < 1500) {
            screen_frame(n == r.start_at - 1 ? START : screen_input{});
            n++;
        }
        EXPECT_EQ(n, r.frames);
        EXPECT_EQ(screen_sub_state(), r.sub);
        EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), r.seq);
        EXPECT_EQ(w_cell(W_ATTRACT_PHASE), r.phase);
        EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    }
}

// The cycling palette entry is written and marked only inside the palette (0..0x7FFF).
TEST_F(AfterResults, CyclePaletteEntryOutsideThePaletteIsNotWritten) {
    enter(28);
    EXPECT_TRUE(palette_written[SYNTH_CYCLE_ENTRY]);
    uint32_t marked = palette_written_count;
    program_rom[0x37958] = 0x80;
    program_rom[0x37959] = 0x05;
    screen_frames(3);
    EXPECT_EQ(palette_written_count, marked);
}

// Random bytes in the tables the continue and total screens read.
TEST_F(AfterResults, RandomTablesStayInsideTheImages) {
    std::mt19937 random(9);
    for (bool free_play : {true, false}) {
        enter(28, {free_play, 1, 3, 100, 200});
        for (uint32_t at : {0x15C4F8u, 0x37958u, 0x35190u, 0x3ACB0u})
            for (uint32_t i = 0; i < 0x40; i++) program_rom[at + i] = uint8_t(random());
        words_set(W_GAME_VALUE1, int32_t(random()));
        screen_frames(80);
        screen_frames(5, COIN);
        screen_frames(600, GIVE_UP);
        EXPECT_NE(screen_sub_state(), 29);
    }
}

// The continue screen after the results' tiles are loaded: payable (the choice, the
// handle hint) and not (the quota deduction notice and the missing credits).
TEST_F(AfterResults, ContinuePictures) {
    enter(28, {true, 0, 2, 500, 1000});
    results_tiles_load();
    screen_frames(40);
    EXPECT_EQ(select_golden_check(__FILE__, "continue_payable"), "");
    enter(28, {false, 1, 3, 500, 1000});
    results_tiles_load();
    screen_frames(20);
    EXPECT_EQ(select_golden_check(__FILE__, "continue_not_payable"), "");
}

TEST_F(AfterResults, GameOverAndTotalPictures) {
    enter(10, {true, 0, 2, 0, 4321});
    screen_frames(80);
    EXPECT_EQ(select_golden_check(__FILE__, "game_over"), "");
    enter(30, {true, 0, 2, 0, 4321});
    screen_frames(60);
    EXPECT_EQ(select_golden_check(__FILE__, "total"), "");
}

// The name entry with two initials chosen.
TEST_F(AfterResults, NameEntryPicture) {
    enter(16, {true, 0, 2, 0, 4321});
    for (int cell : {7, 20}) {  // the cursor put on a cell, as if moved there, and pressed
        w_word_set(W_NAME_ROW, cell / 13);
        w_word_set(W_NAME_COLUMN, cell % 13);
        w_word_set(W_NAME_CELL, cell);
        wram_export();
        screen_press(START);
    }
    screen_frames(40);
    EXPECT_EQ(w_word(W_NAME_SLOT), 2);
    EXPECT_EQ(select_golden_check(__FILE__, "name_entry"), "");
}

}  // namespace
