// The ending's phase machine: where it starts, how the counter runs on through the
// phases, the start button's jump to the END card and the results, the roll of texts,
// and the story-end test drive.
#include "tests/game/modes/ending_fixture.h"

#include "base/host_hooks.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_landing.h"
#include "game/services/gameplay_ram.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_ram.h"
#include "game/modes/test_env.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

constexpr uint32_t TEXT_SCROLL_Y = 0x8A0002;

struct start_case {
    int32_t flag;
    const char* env;  // SKYVOLTA_ENDING_PHASE, null unset
    int requested;    // requested_ending_phase
    int32_t phase, counter;
    int32_t fade;
};

TEST(EndingStart, PhaseAndCounterFromFlagSwitchAndRequest) {
    const start_case cases[] = {
        {1, nullptr, -1, 0, 0, 239},       // a good ending; the fly-in's first frame fades by 16
        {2, nullptr, -1, 9, 6075, 239},    // time up: the bad ending's first frame fades in by 16
        {0, nullptr, -1, 9, 6075, 239},    // anything but 1
        {1, "3", -1, 3, 2145, 255},        // the switch
        {2, "0", -1, 0, 0, 239},
        {2, "13", -1, 9, 6075, 239},       // out of range: nothing changes
        {1, "x", -1, 0, 0, 239},           // not a number
        {1, "4z", -1, 0, 0, 239},
        {1, "", -1, 0, 0, 239},
        {1, "3", 5, 5, 3375, 0},           // the request wins, and 5 starts unfaded
        {2, nullptr, 12, 12, 7945, 255},  // the END card fades out at once
        {1, nullptr, 4, 4, 2775, 255},     // below 5 the fade stays
    };
    for (const start_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flag " << c.flag << " env " << (c.env ? c.env : "-") << " request "
                                        << c.requested);
        if (c.env)
            setenv("SKYVOLTA_ENDING_PHASE", c.env, 1);
        else
            unsetenv("SKYVOLTA_ENDING_PHASE");
        ending_board(c.flag);
        requested_ending_phase = c.requested;
        ending_init();
        EXPECT_EQ(requested_ending_phase, -1);
        EXPECT_EQ(wram_long(W_GAME_SUB_STATE) == 6 ? 12 : ending_phase(), c.phase);
        // ending_init runs the first frame, which counts it.
        if (c.phase != 12) {
            EXPECT_EQ(ending_counter(), c.counter + 1);
        }
        EXPECT_EQ(w_cell(W_FADE_AMOUNT), c.fade);
        if (c.fade == 0) {
            EXPECT_EQ(w_read16(WRAM_BASE + W_VIEW_CENTRE + 2), 161);
        }
    }
    unsetenv("SKYVOLTA_ENDING_PHASE");
}

TEST(EndingStart, TotalSwitchReplacesTheTotal) {
    setenv("SKYVOLTA_ENDING_TOTAL", "4321", 1);
    ending_start(1);
    unsetenv("SKYVOLTA_ENDING_TOTAL");
    EXPECT_EQ(wram_long(W_ENDING_TOTAL), 4321);
    EXPECT_EQ(wram_long(W_COURSE_NUMBER), 3);
    EXPECT_EQ(screen_sub_state(), 15);
}

TEST(EndingPhases, CounterRunsOnAcrossPhaseBoundaries) {
    ending_start(1);
    ending_jump(1, 1558);
    ending_frame();
    EXPECT_EQ(ending_phase(), 1);
    ending_frame();  // counter 1559 run, 1560 is phase 1's end
    EXPECT_EQ(ending_phase(), 2);
    EXPECT_EQ(ending_counter(), 1560);
    ending_frame();
    EXPECT_EQ(ending_phase(), 2);
    EXPECT_EQ(ending_counter(), 1561);
}

TEST(EndingPhases, StartPressBringsTheEndCardThenTheResults) {
    ending_start(1);
    ending_jump(2, 1700);
    screen_input start;
    start.switch1 = SCREEN_START;
    ending_frame(start);
    EXPECT_EQ(ending_phase(), 12);
    EXPECT_EQ(ending_counter(), 7945);
    EXPECT_EQ(screen_sub_state(), 15);
    ending_frame();
    EXPECT_EQ(screen_sub_state(), 6);  // the END card hands over to the results
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    EXPECT_EQ(w_cell(W_FADE_RED), 255);  // to white after a good ending
}

TEST(EndingPhases, EndCardFadesToBlackAfterTimeUp) {
    ending_start(2);
    ending_jump(12, 7945);
    ending_frame();
    EXPECT_EQ(screen_sub_state(), 6);
    for (uint32_t c = 0; c < 3; c++) EXPECT_EQ(w_cell(W_FADE_RED + 2 * c), 0);
}

TEST(EndingPhases, EndCardOutsideGameplayParksThePhaseWordUntilTheWordBefore) {
    ending_board(1);
    ending_init();
    wram_long_set(W_GAME_STATE, 2);
    ending_phase_set(12, 7945);
    ending_phase_dispatch();
    EXPECT_EQ(ending_phase(), 0xFFFF);
    EXPECT_EQ(ending_counter(), 0);  // 0xFFFF + 1
    for (int32_t c = 0; c < SYNTH_ENDING_WORD_BEFORE; c++) ending_phase_dispatch();
    EXPECT_EQ(ending_phase(), 0);  // wrapped at the word before the table
    EXPECT_EQ(ending_counter(), SYNTH_ENDING_WORD_BEFORE);
}

// The END card is no timed phase: its counter runs past the word after the phase-end
// table (phase 12's end) without a phase change, each frame handing over to the results;
// only Start moves it.
TEST(EndingPhases, EndCardCounterRunsPastTheWordAfterTheTable) {
    ending_start(1);
    const int32_t after = SYNTH_PHASE_ENDS[PHASE_END_CARD];
    ASSERT_EQ(int32_t(bus_read16(ROM_PHASE_ENDS.address + 2 * (PHASE_END_CARD + 1))), after);
    ending_jump(PHASE_END_CARD, after - 1);
    for (int i = 0; i < 3; i++) {
        ending_dispatch();
        EXPECT_EQ(ending_phase(), PHASE_END_CARD) << i;
        EXPECT_EQ(screen_sub_state(), 6) << i;
    }
    EXPECT_EQ(ending_counter(), after + 2);
}

// The ending's fade step: nothing at 0 or below; while the hold word is set and the fade
// is not full, event record 0 is loaded and the step becomes the hold step; else the
// fade moves by the step, kept within 0 and the ceiling (-1: the amount is the record's).
TEST(EndingPhases, FadeStepHoldsAndStaysWithinItsCeiling) {
    const struct {
        const char* name;
        int32_t fade, step, hold, most;
        int32_t fade_after, step_after;
    } cases[] = {
        {"down by the step", 100, 30, 0, 255, 70, 30},
        {"not below 0", 20, 30, 0, 255, 0, 30},
        {"up to the ceiling", 190, -20, 0, 200, 200, -20},
        {"no ceiling", 250, -20, 0, INT32_MAX, 270, -20},
        {"nothing at 0", 0, -20, 0, 255, 0, -20},
        {"hold loads event record 0 and takes the hold step", 100, 30, 1, 255, -1, 0x40},
        {"hold at full fades on", 255, 30, 1, 255, 255 - 30, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ending_board(1);
        w_cell_set(W_FADE_AMOUNT, c.fade);
        w_write16(WRAM_BASE + W_FADE_STEP, uint32_t(c.step) & 0xFFFF);
        w_write16(WRAM_BASE + W_FADE_HOLD, uint32_t(c.hold));
        ending_fade_run(0x40, c.most);
        if (c.fade_after >= 0) {
            EXPECT_EQ(w_cell(W_FADE_AMOUNT), c.fade_after);
        }
        EXPECT_EQ(int16_t(w_read16(WRAM_BASE + W_FADE_STEP)), c.step_after);
    }
}

// A phase word past the END card (but 0xFFFF) reads no end: its counter runs past the
// word after the phase-end table, the word before it and 0 (what a read outside the
// table gives), and the phase stays.
TEST(EndingPhases, CorruptPhasesNeverAdvance) {
    const int32_t ends[] = {SYNTH_PHASE_ENDS[PHASE_END_CARD], SYNTH_ENDING_WORD_BEFORE, 0};
    for (int32_t phase : {PHASE_END_CARD + 1, 0x1234, 0xFFFE}) {
        for (int32_t end : ends) {
            SCOPED_TRACE(testing::Message() << "phase " << phase << " end " << end);
            ending_board(1);
            ending_init();
            ending_phase_set(phase, (end - 1) & 0xFFFF);
            for (int i = 0; i < 3; i++) ending_phase_dispatch();
            EXPECT_EQ(ending_phase(), phase);
            EXPECT_EQ(ending_counter(), end + 2);
        }
    }
}

// Row (b / 8 + 42) mod 64 of the text layer as characters.
std::string roll_row(int32_t b) {
    return screen_text_row((b / 8 + 42) % 64);
}

TEST(EndingRoll, TextsAppearOnTheirFirstFrameInTheirRow) {
    ending_board(1);
    ending_init();
    const synth_roll_record& first = SYNTH_ROLL_RECORDS[0];
    ending_phase_set(3, first.first - 1);
    ending_roll_emit();
    EXPECT_EQ(roll_row(first.first).find("STAFF"), std::string::npos);  // l - 1 only marks the roll
    EXPECT_EQ(bus_read16(TEXT_SCROLL_Y), ((first.first - 1) & 0x1FF) * 2);
    ending_phase_set(3, first.first);
    ending_roll_emit();
    EXPECT_EQ(roll_row(first.first).substr(first.column, 5), "STAFF");
    EXPECT_EQ(screen_text_cell(first.column, (first.first / 8 + 42) % 64), SYNTH_ROLL_COLOURS[1] + 'S');
    EXPECT_EQ(bus_read16(TEXT_SCROLL_Y), (first.first & 0x1FF) * 2);
    EXPECT_EQ(bus_read16(0x8A0000), 860);

    const synth_roll_record& edge = SYNTH_ROLL_RECORDS[2];
    ending_phase_set(3, edge.first);
    ending_roll_emit();
    EXPECT_EQ(roll_row(edge.first).substr(60), "ABCD");  // cells past column 63 dropped
}

TEST(EndingRoll, EvenCountersClearTheRowAhead) {
    ending_board(1);
    ending_init();
    int32_t b = 2300;  // inside every record
    int32_t row = ((b * 16 - 256) & 0x1F80) / 128;
    for (int32_t odd : {b + 1, b}) {
        for (int32_t c = 0; c < 64; c++) bus_write16(0x89E000 + row * 128 + c * 2, 0x1041);
        ending_phase_set(3, odd);
        ending_roll_emit();
        bool cleared = odd % 2 == 0;
        EXPECT_EQ(screen_text_cell(5, row), cleared ? 0x20 : 0x1041) << odd;
    }
}

TEST(EndingRoll, ScrollIsZeroOutsideTheRoll) {
    ending_board(1);
    ending_init();
    ending_phase_set(1, 700);
    ending_roll_emit();
    EXPECT_EQ(bus_read16(TEXT_SCROLL_Y), 0);
}

TEST(StoryEndTest, HiscoreInResultsAndOneJumpToNameEntry) {
    ending_board(1);
    test_env.hiscore = 77777;
    test_env.story_end = 5000;
    test_env.story_end_flag = 1;
    wram_long_set(W_GAME_SUB_STATE, 7);
    story_end_test_hook();
    EXPECT_EQ(wram_long(W_TIME_SCORE), 77777);

    wram_long_set(W_END_FLAG, 0);
    wram_long_set(W_GAME_SUB_STATE, 3);
    w_write16(WRAM_BASE + W_GAME_MODE + 2, 0);
    testing::internal::CaptureStdout();
    story_end_test_hook();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[TEST] f0: story end -> name entry (sub 16), total 5000\n"), std::string::npos) << out;
    EXPECT_EQ(wram_long(W_GAME_SUB_STATE), 16);
    EXPECT_EQ(wram_long(W_ENDING_TOTAL), 5000);
    EXPECT_EQ(wram_long(W_END_FLAG), 1);
    EXPECT_EQ(w_read16(WRAM_BASE + W_GAME_MODE), 1);
    EXPECT_EQ(w_read16(WRAM_BASE + W_GAME_MODE + 2), 1);

    wram_long_set(W_GAME_SUB_STATE, 3);
    story_end_test_hook();
    EXPECT_EQ(wram_long(W_GAME_SUB_STATE), 3);  // once only
    test_env_init();
}

}  // namespace
