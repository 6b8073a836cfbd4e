// The goal sequence at the end of every gameplay tick: the fade, the end counter, time
// up and the goal with their titles, the debug aid; and the event colours.
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "board/palette_mixer.h"
#include "game/services/coin_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/run_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/goal_sequence.h"
#include "tests/game/flow/flow_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

namespace {

class GoalSequence : public FlowTest {};

using sprites = std::vector<flow_sprite>;

sprites time_up(int32_t n) {
    int32_t p8 = int16_t(n << 9);
    return {{-347, 128, 160, 32, 32, p8}, {-348, 384, 160, 32, 32, p8}};
}
sprites goal(int32_t n) {
    int32_t p8 = int16_t(n << 9);
    return {{-351, 96, 160, 32, 32, p8}, {-352, 352, 160, 32, 32, p8}};
}
sprites both(int32_t n) {
    sprites s = time_up(n), g = goal(n);
    s.insert(s.end(), g.begin(), g.end());
    return s;
}

struct goal_case {
    const char* name;
    int32_t end, counter, fade, timer, distance, threshold, course;
    int32_t end_after, counter_after, fade_after, sub_after, over_after;
    sprites titles;
};

TEST_F(GoalSequence, GoalSequenceCases) {
    const goal_case cases[] = {
        {"racing: the fade falls", 0, 0, 10, 100, 500, 0, 0, 0, 0, 8, 3, 0, {}},
        {"racing: below 64 the fade rises", 0, 0, 10, 63, 500, 0, 0, 0, 0, 12, 3, 0, {}},
        {"racing: the fade stops at 0", 0, 0, 1, 64, 500, 0, 0, 0, 0, 0, 3, 0, {}},
        {"racing: the fade stops at 255", 0, 0, 254, 1, 500, 0, 0, 0, 0, 255, 3, 0, {}},
        {"time up", 0, 0, 0, 0, 500, 0, 0, 2, 0, 2, 3, 1, time_up(0)},
        {"time up with a negative timer", 0, 0, 0, -5, 500, 0, 0, 2, 0, 2, 3, 1, time_up(0)},
        {"the goal", 0, 0, 20, 50, 100, 100, 0, 1, 0, 22, 3, 1, goal(0)},
        {"the goal wins over time up", 0, 0, 20, 0, 99, 100, 0, 1, 0, 22, 3, 1, both(0)},
        {"after the goal the counter runs", 1, 40, 100, 50, 100, 100, 0, 1, 41, 102, 3, 1, goal(41)},
        {"after time up the counter runs", 2, 10, 100, 0, 500, 0, 0, 2, 11, 102, 3, 1, time_up(11)},
        {"the counter past 126: results", 1, 126, 200, 50, 100, 100, 0, 1, 127, 202, 6, 1, goal(127)},
        {"the counter past 126 on course 3: the ending", 2, 126, 254, 0, 500, 0, 3, 2, 127, 255, 14, 1,
         time_up(127)},
    };
    for (const goal_case& c : cases) {
        SCOPED_TRACE(c.name);
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        game(3, 3);
        w_cell_set(W_END_FLAG, c.end);
        w_cell_set(W_LEVEL_ADJUST, c.counter);
        w_cell_set(W_FADE_AMOUNT, c.fade);
        w_cell_set(W_RACE_TIMER, c.timer);
        w_cell_set(W_BALLOON_TARGET, c.distance);
        w_cell_set(W_RUN_SCORE, c.threshold);
        w_cell_set(W_COURSE_NUMBER, c.course);
        sound_ram_word_set(2 * 20, 0x8000);  // a running sound the run's end stops
        goal_sequence_step();
        EXPECT_EQ(w_cell(W_END_FLAG), c.end_after);
        EXPECT_EQ(w_cell(W_LEVEL_ADJUST), c.counter_after);
        EXPECT_EQ(w_cell(W_FADE_AMOUNT), c.fade_after);
        EXPECT_EQ(w_cell(W_GAME_SUB_STATE), c.sub_after);
        EXPECT_EQ(w_cell(W_RUN_OVER), c.over_after);
        EXPECT_EQ(sprites_added(), c.titles);
        EXPECT_EQ(sound_ram_word(2 * 20), c.sub_after == 3 ? 0x8000u : 0u);
    }
}

TEST_F(GoalSequence, GoalDebugAid) {
    struct debug_case {
        int32_t dips, pressed, repeat, frame;
        int32_t timer, shown, threshold, points;
    };
    // Distance 1234; before: timer 50, shown 60, threshold 0, points 7.
    const debug_case cases[] = {
        {0x10, 0x100, 0, 1, 600, 600, 1000, 7},
        {0x10, 0x200, 0, 1, 50, 60, 1234, 984},
        {0x10, 0x300, 0, 1, 600, 600, 1234, 984},
        {0x10, 0, 1, 1024, 600, 600, 1234, 984},
        {0x10, 0, 1, 1023, 50, 60, 0, 7},
        {0x00, 0x300, 1, 1024, 50, 60, 0, 7},
    };
    for (const debug_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pressed " << c.pressed << " frame " << c.frame);
        board_memory_clear();
        game(3, 3);
        w_cell_set(W_DIP_SWITCH_BITS, c.dips);
        w_cell_set(W_PORT1_PRESSED, c.pressed);
        w_cell_set(W_GOAL_DEBUG_REPEAT, c.repeat);
        w_cell_set(W_FRAME_COUNTER, c.frame);
        w_cell_set(W_RACE_TIMER, 50);
        w_cell_set(W_RACE_TIMER_SHOWN, 60);
        w_cell_set(W_RACE_POINTS, 7);
        w_cell_set(W_BALLOON_TARGET, 1234);
        goal_sequence_step();
        EXPECT_EQ(w_cell(W_RACE_TIMER), c.timer);
        EXPECT_EQ(w_cell(W_RACE_TIMER_SHOWN), c.shown);
        EXPECT_EQ(w_cell(W_RUN_SCORE), c.threshold);
        EXPECT_EQ(w_cell(W_RACE_POINTS), c.points);
        EXPECT_EQ(w_cell(W_END_FLAG), c.threshold == 1234 ? 1 : 0);  // the goal put here is reached
    }
}

TEST_F(GoalSequence, EventRecordColours) {
    w_cell_set(W_FADE_FLAGS, 3);
    event_record_load(7);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255);
    for (uint32_t c = 0; c < 3; c++) EXPECT_EQ(w_cell(W_FADE_RED + 2 * c), synth_event_colour(7, c));
    EXPECT_EQ(w_cell(W_FADE_FLAGS), 3);
    event_record_load(SYNTH_EVENT_RECORDS - 1);
    EXPECT_EQ(w_cell(W_FADE_RED + 4), synth_event_colour(SYNTH_EVENT_RECORDS - 1, 2));
    // The table's last record lies over the fly-in's tables: its blue is the long there.
    const int32_t last = SYNTH_EVENT_RECORDS_BOUND - 1;
    const int32_t last_blue = int32_t(bus_read32(SYNTH_EVENT_RECORDS_ADDR + 12 * uint32_t(last) + 8) & 0xFFFF);
    event_record_load(last);
    EXPECT_EQ(w_cell(W_FADE_RED + 4), last_blue);
    // Outside the table nothing changes.
    w_cell_set(W_FADE_AMOUNT, 9);
    for (int32_t n : {-1, SYNTH_EVENT_RECORDS_BOUND, 0x7FFFFFFF}) event_record_load(n);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 9);
    EXPECT_EQ(w_cell(W_FADE_RED + 4), last_blue);
}

}  // namespace
