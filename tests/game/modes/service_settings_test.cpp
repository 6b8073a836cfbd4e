// The settings pages: saving the options, the bookkeeping views and averages, the clear
// and factory-reset confirmations, the handle page, and the credit line.
#include "tests/game/modes/service_fixture.h"

#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/credit_text.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

constexpr int ITEM_COIN = 0, ITEM_GAME = 1, ITEM_BOOKKEEPING = 5, ITEM_BOARD = 6;

TEST(ServiceSettings, OptionsAreSavedOnACursorMove) {
    service_start();
    service_frame();
    service_open(ITEM_COIN);
    service_increase();  // coin value 1: 4 -> 5
    EXPECT_EQ(service_long(W_COINS_PER_CREDIT), 4);
    EXPECT_EQ(service_mark(0), SERVICE_MARK_CHANGED);
    service_down();
    EXPECT_EQ(service_long(W_COINS_PER_CREDIT), 5);
    EXPECT_EQ(service_page(), 3);

    service_start();
    service_frame();
    service_open(ITEM_GAME);
    service_decrease();  // DIFFICULTY
    service_down();
    EXPECT_EQ(service_word(W_MODE_SETTING), service_word(W_SCRATCH_2A));
}

TEST(ServiceSettings, GameOptionsExitResetsRankingsOnlyWhenChosen) {
    for (bool chosen : {false, true}) {
        service_start();
        service_frame();
        w_cell_set(W_SCORE_TABLE, 99999);
        service_open(ITEM_GAME);
        service_down();
        service_down();  // RESET RANKING
        if (chosen) service_increase();
        service_down();
        service_down();  // EXIT
        service_select();
        EXPECT_EQ(service_page(), 1);  // the main menu, entered on the frame after
        EXPECT_EQ(w_cell(W_SCORE_TABLE) == 99999, !chosen) << "chosen " << chosen;
    }
}

void bookkeeping_figures() {
    service_long_set(W_BOOK_PLAY_FRAMES, 1000);
    service_word_set(W_BOOK_STAGES, 8);
    service_long_set(W_BOOK_PLAY_FRAMES + 4, 777);
    service_word_set(W_BOOK_GAMES, 0);
    service_long_set(W_BOOK_PLAY_FRAMES + 8, 90);
    service_word_set(W_BOOK_COUNT_3, 9);
    service_long_set(W_FRAME_COUNTER, 3725 * 60);
    for (uint32_t k = 0; k < 25; k++) service_word_set(W_BOOK_COUNTERS + 2 * k, int32_t(k + 1));
}

TEST(ServiceSettings, BookkeepingAveragesWithZeroCountsGiveZero) {
    service_start();
    bookkeeping_figures();
    service_frame();
    service_open(ITEM_BOOKKEEPING);
    EXPECT_EQ(service_long(W_SCRATCH_1C), 125);
    EXPECT_EQ(service_long(W_SCRATCH_24), 0);
    EXPECT_EQ(service_long(W_SCRATCH_20), 10);
    EXPECT_EQ(service_text(24, 8, 6), "000125");
    EXPECT_EQ(service_text(24, 10, 6), "000000");
    EXPECT_EQ(service_text(24, 14, 7), "1'02\"05");
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_bookkeeping"), "");
}

TEST(ServiceSettings, BookkeepingSumsItsLastView) {
    service_start();
    bookkeeping_figures();
    service_frame();
    service_open(ITEM_BOOKKEEPING);
    service_up();  // view 3
    EXPECT_EQ(service_text(12, 3, 15), "BOOKKEEPING 4/4");
    EXPECT_EQ(service_text(8, 10, 4), "0001");
    EXPECT_EQ(service_text(34, 10, 4), "0015");  // 1 + 2 + 3 + 4 + 5
    EXPECT_EQ(service_text(34, 22, 4), "0115");  // 21 + ... + 25
}

// Clear: from bookkeeping with UP + START; only YES (item 0) clears.
TEST(ServiceSettings, ClearActsOnlyOnItsFirstItem) {
    for (bool yes : {false, true}) {
        service_start();
        bookkeeping_figures();
        w_cell_set(W_SCORE_TABLE, 99999);
        service_frame();
        service_open(ITEM_BOOKKEEPING);
        screen_input clear;
        clear.turn = HANDLE_CENTRE - 300;
        clear.switch1 = SCREEN_START;
        service_frame(clear);
        service_frame();
        ASSERT_EQ(service_page(), 27);
        EXPECT_EQ(testmode_cursor_get(), 1);
        if (yes) service_up();
        service_select();
        EXPECT_EQ(service_page(), 21);
        EXPECT_EQ(service_long(W_BOOK_PLAY_FRAMES) == 0, yes);
        EXPECT_EQ(service_long(W_FRAME_COUNTER) < 100, yes);  // counted on from 0
        EXPECT_EQ(w_cell(W_SCORE_TABLE), 99999);  // the high scores between the counters stay
    }
}

TEST(ServiceSettings, FactoryResetKeepsCentresAndMenuCursorAndSavesScores) {
    for (bool yes : {false, true}) {
        service_start();
        service_long_set(W_COINS_PER_CREDIT, 7);
        w_cell_set(W_SCORE_TABLE, 99999);
        scores_save();
        service_frame();
        service_open(ITEM_BOARD);  // board test menu, the main-menu cursor at 6
        service_select();          // FACTORY RESET
        service_frame();
        ASSERT_EQ(service_page(), 29);
        EXPECT_EQ(testmode_cursor_get(), 1);
        w_cell_set(W_HANDLE_CENTRE_TURN, 600);
        bookkeeping_figures();
        if (yes) service_up();
        testing::internal::CaptureStderr();
        service_select();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(service_page(), 23);
        EXPECT_EQ(service_long(W_COINS_PER_CREDIT) == 7, !yes);
        EXPECT_EQ(w_cell(W_HANDLE_CENTRE_TURN), 600);
        EXPECT_EQ(service_long(W_BOOK_PLAY_FRAMES) == 0, yes);  // the bookkeeping goes too
        EXPECT_EQ(int8_t(testmode_read8(WRAM_BASE + 0x3FB6)), 6);
        EXPECT_EQ(err.find("[SCORES] saved") != std::string::npos, yes) << err;
        if (yes) {
            EXPECT_EQ(testmode_read8(WRAM_BASE + 0x3F30), 'S');  // the header's identification
        }
    }
}

TEST(ServiceSettings, HandlePageRecentresOnTheServiceSwitch) {
    screen_input entry;
    entry.switch0 = SCREEN_SERVICE;
    entry.turn = 530;
    entry.pitch = 480;
    service_start(entry);
    service_frame(entry);
    EXPECT_EQ(service_page(), 33);
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_TURN), 530);
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_PITCH), 480);
    screen_input moved;
    moved.turn = 560;
    moved.pitch = 470;
    service_frame(moved);
    EXPECT_EQ(service_word(W_SCRATCH_2A), 30);
    EXPECT_EQ(service_word(W_SCRATCH_28), -10);
    EXPECT_EQ(service_text(24, 12, 4), "001E");
    moved.switch0 = SCREEN_SERVICE;
    service_frame(moved);
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_TURN), 560);
    EXPECT_EQ(service_page(), 33);
}

TEST(CreditLine, FreePlayAndCredits) {
    screen_start();
    textram_clear();
    service_word_set(W_ARMED_FLAG, 1);
    service_long_set(W_CREDIT_ROW, 22);
    service_word_set(W_FREE_PLAY, 1);
    credit_text_draw();
    EXPECT_EQ(service_text(28, 28, 9), "FREE PLAY");
    EXPECT_EQ(service_text(25, 29, 11), "INSERT COIN");
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "credit_line_free_play"), "");

    textram_clear();
    service_word_set(W_FREE_PLAY, 0);
    service_long_set(W_COINS_PER_CREDIT, 2);
    service_word_set(W_COIN_COUNT, 14);  // shown as 9
    service_long_set(W_CREDIT_ROW, 23);
    credit_text_draw();
    EXPECT_EQ(service_text(25, 29, 13), "CREDIT+   9/2");
    EXPECT_EQ(service_text(25, 28, 11), "INSERT COIN");
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "credit_line_credits"), "");
}

TEST(CreditLine, CyclesItsColourEvery64FramesAndWaitsForTheArmedFlag) {
    screen_start();
    textram_clear();
    service_word_set(W_ARMED_FLAG, 0);
    w_cell_set(W_FRAME_TICK, 3 * 64);
    credit_text_draw();
    EXPECT_EQ(palette_ram[0x7FE0], program_rom[0x3795A + 12]);
    EXPECT_EQ(palette_ram[0x8000 + 0x7FE0], program_rom[0x3795A + 13]);
    EXPECT_EQ(palette_ram[0x7FE1], 0);
    EXPECT_EQ(service_text(25, 28, 11), "           ");
}

}  // namespace
