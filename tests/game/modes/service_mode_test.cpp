// The service mode's frame: entry from top state 6, the page dispatch, leaving with the
// test switch (settings written back, the reset that keeps them) and the re-entry rules.
#include "tests/game/modes/service_fixture.h"

#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/frame_step.h"
#include "game/modes/service_mode.h"
#include "game/modes/service_ram.h"
#include "game/modes/service_toolkit.h"

#include <gtest/gtest.h>

namespace {

TEST(ServiceMode, EntryShowsTheMainMenuAndRunsInState7) {
    service_start();
    service_frames(2);
    EXPECT_EQ(screen_state(), 7);
    EXPECT_EQ(service_page(), 1);
    EXPECT_EQ(service_text(14, 3, 9), "TEST MENU");
    EXPECT_EQ(service_text(8, 18, 10), "BOARD TEST");
    EXPECT_EQ(service_text(22, 27, 11), "START:ENTER");
    EXPECT_EQ(service_colour(22, 27), 12);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "service_main_menu"), "");
}

TEST(ServiceMode, MainMenuOpensThePageOfTheItemAndKeepsItsCursor) {
    service_start();
    service_frame();
    service_open(4);  // SOUND TEST
    EXPECT_EQ(service_page(), 19);
    EXPECT_EQ(int8_t(testmode_read8(WRAM_BASE + 0x3FB6)), 4);
}

// (page when left, frames until re-entry, service switch held) -> page entered
struct reentry_case {
    int left_page;
    uint32_t frames_after;
    bool service;
    int entered;
};

TEST(ServiceMode, ReentryRules) {
    const reentry_case cases[] = {
        {31, 100, false, 22},  // the ROM check resumes on the board test menu
        {25, 600, false, 22},  // 600 frames still count as a re-entry
        {9, 100, false, 8},    // a page pair resumes through its entry page
        {9, 601, false, 0},    // later: the main menu
        {9, 100, true, 32},    // the service switch always gives the handle page
        {9, 5000, true, 32},
        {33, 100, false, 0},   // the handle page does not resume
    };
    for (const reentry_case& c : cases) {
        service_start();
        testmode_set_page(c.left_page);
        service_long_set(W_FRAME_COUNTER, 1000);
        screen_frame_after_edits();  // leaves
        EXPECT_EQ(int(reset_pending), 1);
        screen_frame_after_edits();  // the reset
        service_long_set(W_FRAME_COUNTER, 1000 + int32_t(c.frames_after));
        service_state_6();
        screen_input in;
        if (c.service) in.switch0 = SCREEN_SERVICE;
        service_frame(in);
        EXPECT_EQ(service_page(), c.entered) << "left on " << c.left_page << ", " << c.frames_after << " frames";
    }
}

TEST(ServiceMode, LeavingResetsIntoAttractWithTheSettingsKept) {
    service_start();
    service_frame();
    service_open(1);  // GAME OPTIONS
    ASSERT_EQ(service_page(), 5);
    service_increase();  // DIFFICULTY + 1, no cursor move: saved only by leaving
    int32_t edited = service_word(W_SCRATCH_2A);
    testing::internal::CaptureStderr();
    service_leave();
    screen_frame_after_edits();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[RESET] the program restarted (entry_reset 0x00BC4C), settings kept\n"), std::string::npos);
    EXPECT_NE(screen_state(), 7);
    EXPECT_EQ(service_word(W_MODE_SETTING), edited);
    EXPECT_EQ(service_word(W_SERVICE_EXIT_MARK), 1);
    EXPECT_EQ(service_page(), 4);
}

// An OFF/ON value shows the text its kind's table names (the game options' reset line).
TEST(ServiceMode, AnOnOffValueShowsItsText) {
    service_start();
    service_frame();
    service_open(1);  // GAME OPTIONS
    ASSERT_EQ(service_page(), 5);
    service_frame();
    EXPECT_EQ(service_text(24, 12, 3), "OFF");
}

TEST(ServiceMode, CoinOptionsEditedThenLeftSurviveTheReset) {
    service_start();
    service_frame();
    service_open(0);  // COIN OPTIONS
    ASSERT_EQ(service_page(), 3);
    service_increase();  // coin value 1: 4 -> 5
    service_leave();
    screen_frame_after_edits();
    EXPECT_EQ(service_long(W_COINS_PER_CREDIT), 5);
}

TEST(ServiceMode, APageAbove33RunsNothingButTheSwitchStillLeaves) {
    service_start();
    service_frame();
    testmode_set_page(40);
    uint16_t before = screen_text_cell(14, 3);
    w_cell_set(W_FRAME_TICK, 8);  // a blink frame would redraw the menu line
    service_frames(20);
    EXPECT_EQ(service_page(), 40);
    EXPECT_EQ(screen_text_cell(14, 3), before);
    service_leave();
    EXPECT_EQ(int(reset_pending), 1);
    screen_frame_after_edits();
    EXPECT_NE(screen_state(), 7);
}

TEST(ServiceMode, TheStayWordHoldsTheModeWithoutTheSecondPortsBit8) {
    service_start();
    service_frame();
    service_word_set(W_STOP_FLAG, 1);
    screen_frame_after_edits();  // test switch off
    EXPECT_EQ(int(reset_pending), 0);
    EXPECT_EQ(screen_state(), 7);
}

}  // namespace
