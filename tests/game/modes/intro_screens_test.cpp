// The intro, the mode select and the day card on the synthetic ROM set: the intro's steps
// from its start table and its early end, the mode select's choice by handle, Start and
// countdown, the day card's time and fade, and their pictures.
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/intro_screens.h"
#include "game/modes/select_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "tests/game/modes/select_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <string>

namespace {

uint16_t cell(int palette, int tile) {
    return uint16_t(palette << 12 | tile);
}

int32_t game_mode() {
    return w_read16(WRAM_BASE + W_GAME_MODE);
}

bool confirmed() {
    return w_read16(WRAM_BASE + W_SELECT_HOLD) != 0;
}

// A game start: top state 2 runs gameplay_init and the inline sub-state 20.
void game_start() {
    select_setting s;
    select_enter(s);
    w_cell_set(W_GAME_STATE, 2);
    select_frame_after_edits();
    ASSERT_EQ(screen_sub_state(), 21);
}

// A new game's score starts at 0 and so does the HUD's count of it, which only climbs:
// the last game's count does not stand over the new score.
TEST(Intro, GameStartClearsTheScoreAndItsCount) {
    select_setting s;
    select_enter(s);
    w_cell_set(W_RUN_SCORE, 900);
    w_cell_set(W_RACE_POINTS, 720);
    w_cell_set(W_GAME_STATE, 2);
    select_frame_after_edits();
    ASSERT_EQ(screen_sub_state(), 21);
    EXPECT_EQ(w_cell(W_RUN_SCORE), 0);
    EXPECT_EQ(w_cell(W_RACE_POINTS), 0);
}

TEST(Intro, StartOnItsFirstFrameGoesToTheModeSelect) {
    game_start();
    select_start_press();  // the intro's first frame sees it
    EXPECT_EQ(screen_sub_state(), 13);  // 12 set, its set-up ran on the released frame
    EXPECT_EQ(w_cell(W_INTRO_TIMER), 1);
}

TEST(Intro, PressEndsItToo) {
    game_start();
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 1);
    intro_sequence_run();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 12);
}

// Each frame's step follows the start table (-1 before the first start); step 7 ends it.
TEST(Intro, StepsFollowTheirStartsAndStepSevenEndsIt) {
    game_start();
    std::string steps;
    int frame = 0;
    while (screen_sub_state() == 21 && frame < 600) {
        screen_frame();
        int32_t step = w_cell(W_INTRO_STEP_NUMBER);
        int32_t expected = -1;
        for (int32_t start : SYNTH_INTRO_STARTS) expected += frame >= start ? 1 : 0;
        ASSERT_EQ(step, expected) << frame;
        if (step >= 0) {
            ASSERT_EQ(w_cell(W_INTRO_STEP_FRAMES), frame - SYNTH_INTRO_STARTS[step]) << frame;
        }
        frame++;
    }
    EXPECT_EQ(frame, SYNTH_INTRO_STARTS[7] + 1);
    EXPECT_EQ(screen_sub_state(), 12);
}

// Before the first step only the title block is drawn; then the step's text, its still
// block and its blinking block.
TEST(Intro, StepTextsAndBlocks) {
    game_start();
    screen_frames(10);
    EXPECT_EQ(screen_text_cell(15, 6), cell(1, 480));  // the title block 205
    for (int row : {14, 18})
        for (int column = 0; column < 64; column++) ASSERT_EQ(screen_text_cell(column, row), TEXT_BLANK_CELL) << column;
    screen_frames(SYNTH_INTRO_STARTS[1] + 20 - 10);  // step 1, frame 20
    EXPECT_EQ(w_cell(W_INTRO_STEP_NUMBER), 1);
    EXPECT_EQ(screen_text_cell(3, 18), cell(1, 352));       // step 1's text at column 3
    EXPECT_EQ(screen_text_cell(12, 19), cell(1, 352 + 19));  // 10 x 2 tiles
    EXPECT_EQ(screen_text_cell(25, 14), cell(1, 432));      // block 250
    EXPECT_EQ(screen_text_cell(27, 14), cell(1, 576));      // block 201, blinking
    screen_frames(16);                                      // bit 5 of the step's frames
    EXPECT_EQ(screen_text_cell(27, 14), TEXT_BLANK_CELL);
    EXPECT_EQ(screen_text_cell(25, 14), cell(1, 432));
}

TEST(Intro, PictureOfStepOne) {
    game_start();
    screen_frames(SYNTH_INTRO_STARTS[1] + 20);
    EXPECT_EQ(w_cell(W_INTRO_STEP_NUMBER), 1);
    EXPECT_EQ(select_golden_check(__FILE__, "intro_step_1"), "");
}

void mode_select() {
    select_setting s;
    s.sub_state = 12;
    select_enter(s);
    screen_frame();
    ASSERT_EQ(screen_sub_state(), 13);
}

TEST(ModeSelect, NoInputConfirmsModeZeroAfterSixHundredFrames) {
    mode_select();
    int frames = 1;  // the set-up's frame ran the first
    while (!confirmed() && frames < 700) {
        screen_frame();
        frames++;
    }
    EXPECT_EQ(frames, 600);
    EXPECT_EQ(game_mode(), 0);
    EXPECT_EQ(select_frames_while(13, 100), 46);
    EXPECT_EQ(screen_sub_state(), 0);  // the course select
}

TEST(ModeSelect, HandlePicksModeOneStartConfirmsAndLeadsToTheDayCard) {
    mode_select();
    select_turn(HANDLE_LOW);
    EXPECT_EQ(w_cell(W_SELECT_CURSOR), 1);
    EXPECT_EQ(game_mode(), 1);
    select_turn(HANDLE_HIGH);
    EXPECT_EQ(game_mode(), 0);
    select_turn(HANDLE_LOW);
    select_start_press();
    EXPECT_TRUE(confirmed());
    EXPECT_EQ(select_frames_while(13, 100), 45);  // 46 frames after confirmation, one already run
    EXPECT_EQ(screen_sub_state(), 22);
}

TEST(ModeSelect, StartAfterConfirmationSkipsTheWait) {
    mode_select();
    select_start_press();
    ASSERT_TRUE(confirmed());
    screen_frames(5);
    EXPECT_EQ(screen_sub_state(), 13);
    screen_input start;
    start.switch1 = SCREEN_START;
    screen_frame(start);
    EXPECT_EQ(screen_sub_state(), 0);
}

TEST(ModeSelect, PortButtonsChooseAndPressConfirms) {
    mode_select();
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0x10);
    mode_select_run();
    EXPECT_EQ(game_mode(), 1);
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0x20);
    mode_select_run();
    EXPECT_EQ(game_mode(), 0);
    w_cell_set(W_SWITCH_PORT0 + SP_REPEAT, 0);
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 1);
    mode_select_run();
    EXPECT_TRUE(confirmed());
}

TEST(ModeSelect, Picture) {
    mode_select();
    screen_frames(30);
    select_turn(HANDLE_LOW);
    EXPECT_EQ(screen_text_cell(19, 28), cell(5, 320));  // the hint block
    EXPECT_EQ(select_golden_check(__FILE__, "mode_select"), "");
}

void day_card(int32_t day) {
    select_setting s;
    s.sub_state = 22;
    s.game_mode = 1;
    s.day = day;
    select_enter(s);
    screen_frame();
    ASSERT_EQ(screen_sub_state(), 23);
}

// 87 frames, the fade from black falling by 4, then out by 6 to the course select.
TEST(DayCard, EightySevenFramesThenTheFade) {
    day_card(0);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255 - 4);
    int frames = 1 + select_frames_while(23, 300);
    EXPECT_EQ(frames, 87 + 43);  // 43 x 6 reaches 256
    EXPECT_EQ(screen_sub_state(), 0);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
}

TEST(DayCard, StartLeavesEarly) {
    day_card(1);
    screen_frames(10);
    select_start_press();
    // The fade at 211 when Start came: 6 more frames of 6 pass 255.
    EXPECT_EQ(select_frames_while(23, 300), 6);
}

TEST(DayCard, EachDaysBlockAndDayThreesExtra) {
    for (int32_t day = 0; day < 4; day++) {
        day_card(day);
        screen_frames(5);
        EXPECT_EQ(screen_text_cell(6 + 2 * day, 10), cell(1, 288)) << day;
        EXPECT_EQ(screen_text_cell(13 + 2 * day, 11), cell(1, 288 + 15)) << day;
        EXPECT_EQ(screen_text_cell(10, 16), day == 3 ? cell(5, 416) : TEXT_BLANK_CELL) << day;
    }
}

TEST(DayCard, PictureOfDayThree) {
    day_card(3);
    screen_frames(60);
    EXPECT_EQ(select_golden_check(__FILE__, "day_card_3"), "");
}

}  // namespace
