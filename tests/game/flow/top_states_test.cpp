// The top state machine and the gameplay dispatch on the synthetic ROM set: every top
// state and sub-state reaches its handler, the flight input's dead zone, the start
// lamp, the countdown's 331 frames and sounds, the attract demo's end and long forced
// runs on a random and an all-zero program ROM.
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/attract_demo.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "game/flow/game_state_dispatch.h"
#include "game/flow/gameplay_dispatch.h"
#include "game/flow/gameplay_tick.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"
#include "game/world/balloon_ram.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace {

// A long in both images, so that the frame step's import keeps it.
void both_long(uint32_t offset, int32_t value) {
    w_cell_set(offset, value);
    bus_write32(WRAM_BASE + offset, uint32_t(value));
}

void force(int32_t state, int32_t sub = 0) {
    both_long(W_GAME_STATE, state);
    both_long(W_GAME_SUB_STATE, sub);
}

int32_t play_frames() {
    return w_cell(W_PLAY_FRAME_COUNTER);
}

class TopStates : public testing::Test {
protected:
    void SetUp() override { screen_start(); }
};

// The game restarted on the board the fixture set up (quicker than a new board).
void restart() {
    game_init();
    host_frame = 0;
}

struct state_case {
    const char* name;
    int32_t state, sub;
    std::function<void()> check;
};

TEST_F(TopStates, EachTopStateReachesItsHandler) {
    const state_case cases[] = {
        {"0 attract set-up: armed, on to 1", 0, 0, [] {
             EXPECT_EQ(screen_state(), 1);
             EXPECT_EQ(w_cell(W_ARMED_FLAG), 1);
             EXPECT_EQ(w_cell(W_ATTRACT_SCENE_FLAG), 0);
         }},
        {"1 attract rests", 1, 0, [] { EXPECT_EQ(screen_state(), 1); }},
        {"2 gameplay init: sub-state 20 entered, 21 next", 2, 9, [] {
             EXPECT_EQ(screen_state(), 3);
             EXPECT_EQ(screen_sub_state(), 21);
             EXPECT_EQ(w_read16(WRAM_BASE + W_COURSES_LEFT), 0x000F);
         }},
        {"4 stage start prepared", 4, 0, [] {
             EXPECT_EQ(screen_state(), 5);
             EXPECT_EQ(w_cell(W_STAGE_START_SUB_STATE), 0);
             EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
         }},
        {"6 service entry runs the service mode", 6, 0, [] { EXPECT_EQ(screen_state(), 7); }},
        {"7 service rests", 7, 0, [] { EXPECT_EQ(screen_state(), 7); }},
        {"8 timer", 8, 0, [] {
             EXPECT_EQ(screen_state(), 9);
             EXPECT_EQ(w_cell(W_STATE8_TIMER), 600);
         }},
        {"9 back to attract at its one-time entry", 9, 0, [] {
             EXPECT_EQ(screen_state(), 0);
             EXPECT_EQ(w_cell(W_ATTRACT_SEQ_INDEX), 15);
         }},
        {"10 demo set up, its first frame played", 10, 0, [] {
             EXPECT_EQ(screen_state(), 11);
             EXPECT_EQ(uint32_t(w_cell(W_DEMO_CURSOR)), SYNTH_DEMO_INPUT + 16);
             EXPECT_EQ(play_frames(), 100);
         }},
        {"12 title set up, its frame drawn", 12, 0, [] {
             EXPECT_EQ(screen_state(), 13);
             EXPECT_EQ(w_cell(W_FADE_AMOUNT), 192);
             EXPECT_EQ(w_cell(W_FADE_FLAGS), 1);
         }},
        {"14 course select set up", 14, 5, [] {
             EXPECT_EQ(screen_state(), 15);
             EXPECT_EQ(screen_sub_state(), 1);
             EXPECT_EQ(w_cell(W_BALLOON_LAYOUT), 0xFFFF);
         }},
        {"15 course select frame rests", 15, 1, [] { EXPECT_EQ(screen_state(), 15); }},
        {"16 runs nothing", 16, 0, [] {
             EXPECT_EQ(screen_state(), 16);
             EXPECT_EQ(w_cell(W_FRAME_TICK), 2);
         }},
    };
    for (const state_case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        screen_frame();
        force(c.state, c.sub);
        screen_frame();
        c.check();
    }
}

// The stage start begins at its first step whatever sub-state a previous one left.
TEST_F(TopStates, StageStartPrepareRestartsItsSubState) {
    w_cell_set(W_STAGE_START_SUB_STATE, 3);
    stage_start_prepare();
    EXPECT_EQ(screen_state(), 5);
    EXPECT_EQ(w_cell(W_STAGE_START_SUB_STATE), 0);
}

TEST_F(TopStates, EachSubStateReachesItsHandlerAndCountsPlayFrames) {
    static constexpr int32_t RECORDED_FRAME = 250;  // the frame of the run's first record
    const state_case cases[] = {
        {"0 course select set-up", 0, 0, [] { EXPECT_EQ(screen_sub_state(), 1); }},
        {"1 course select frame", 0, 1, [] { EXPECT_EQ(screen_sub_state(), 1); }},
        {"2 course start, countdown's first frame", 0, 2, [] {
             EXPECT_EQ(screen_sub_state(), 5);
             EXPECT_EQ(play_frames(), -330);
             EXPECT_EQ(countdown_timer(), 329);
             EXPECT_EQ(w_cell(W_END_FLAG), -1);
             EXPECT_EQ(w_cell(W_STOP_MODEL), 650);
         }},
        {"3 race tick", 0, 3, [] { EXPECT_EQ(screen_sub_state(), 3); }},
        {"4 course start tail", 0, 4, [] {
             EXPECT_EQ(screen_sub_state(), 5);
             EXPECT_EQ(countdown_timer(), 329);
         }},
        {"8 nothing", 0, 8, [] { EXPECT_EQ(screen_sub_state(), 8); }},
        {"9 nothing", 0, 9, [] { EXPECT_EQ(screen_sub_state(), 9); }},
        {"32 nothing", 0, 32, [] { EXPECT_EQ(screen_sub_state(), 32); }},
        {"0x10007: low 16 bits above 31, nothing", 0, 0x7FFF0020, [] {
             EXPECT_EQ(screen_sub_state(), 0x7FFF0020);
         }},
        {"10 game over set up, its screen's first frame run", 0, 10, [] {
             EXPECT_EQ(screen_sub_state(), 11);
             EXPECT_EQ(w_cell(W_RESULTS_TIMER), 62);  // 63, less the first fade-in frame
         }},
        {"6 results set up, the tally's first frame run", 0, 6, [] {
             EXPECT_EQ(screen_sub_state(), 7);
             EXPECT_EQ(w_cell(W_RESULTS_TIMER), 30);
         }},
        {"28 continue set up, its first frame run", 0, 28, [] { EXPECT_EQ(screen_sub_state(), 29); }},
        {"30 total set up, its first frame run", 0, 30, [] {
             EXPECT_EQ(screen_sub_state(), 31);
             EXPECT_EQ(w_cell(W_FADE_AMOUNT), 255 - 8);
         }},
        {"16 name entry set up, its first frame run", 0, 16, [] { EXPECT_EQ(screen_sub_state(), 17); }},
        {"17 name entry with its timer run out: stored, game over next", 0, 17, [] {
             EXPECT_EQ(screen_sub_state(), 10);
         }},
        {"26 intermission set up, its first frame run", 0, 26, [] { EXPECT_EQ(screen_sub_state(), 27); }},
        {"18 fly-in on course 0", 0, 18, [] {
             EXPECT_EQ(screen_sub_state(), 19);
             EXPECT_EQ(w_cell(W_COURSE_NUMBER), 0);
             EXPECT_EQ(w_cell(W_FADE_FLAGS), 3);
         }},
        {"20 words and sounds only", 0, 20, [] {
             EXPECT_EQ(screen_sub_state(), 21);
             EXPECT_EQ(w_cell(W_FADE_FLAGS), 3);
             EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
         }},
        {"22 pre-course screen", 0, 22, [] {
             EXPECT_EQ(screen_sub_state(), 23);
             EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0xFF - 4);  // from black, its first frame run
         }},
        {"24 demo screen: state 10's set-up stays in state 3, its first frame run", 0, 24, [] {
             EXPECT_EQ(screen_state(), 3);
             EXPECT_EQ(screen_sub_state(), 25);
             EXPECT_EQ(w_cell(W_FADE_RED), 0xFF);
             // In state 3 the set-up points the demo at the run just recorded; the screen's
             // first frame takes its first record's frame, counted once.
             EXPECT_EQ(play_frames(), RECORDED_FRAME + 1);
         }},
    };
    for (const state_case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        screen_frame();
        force(3, c.sub);
        both_long(W_PLAY_FRAME_COUNTER, 1000);
        both_long(W_DEMO_INPUT + 12, RECORDED_FRAME);
        screen_frame();
        c.check();
        if (c.sub != 2 && c.sub != 4 && c.sub != 24) {
            EXPECT_EQ(play_frames(), 1001);
        }
    }
    // The countdown, the ending's phases and the fly-in run on in their sub-state.
    for (int32_t sub : {5, 15, 19}) {
        SCOPED_TRACE(sub);
        restart();
        force(3, sub);
        screen_frame();
        EXPECT_EQ(screen_state(), 3);
        EXPECT_EQ(screen_sub_state(), sub);
    }
}

TEST_F(TopStates, FlightInputDeadZone) {
    struct row {
        int32_t difference, input;
    };
    const row rows[] = {{0, 0},         {80, 0},       {-80, 0},       {81, 170},    {200, 20400},
                        {272, 32640},   {273, 32640},  {-81, -170},    {-273, -32640}, {100000, 32640}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.difference);
        w_cell_set(W_HANDLE_CENTRE_PITCH, 511);
        w_cell_set(W_HANDLE_CENTRE_TURN, 400);
        w_cell_set(W_HANDLE_PITCH, 511 + r.difference);
        w_cell_set(W_HANDLE_TURN, 400 + r.difference);
        flight_input_update();
        EXPECT_EQ(w_cell(W_PITCH_INPUT), r.input);
        EXPECT_EQ(w_cell(W_TURN_INPUT), -r.input);
        EXPECT_EQ(w_cell(W_HANDLE_PITCH), 511 + r.difference);  // the analog words stay
    }
}

TEST_F(TopStates, StartLampPattern) {
    struct row {
        const char* name;
        int32_t stop, end, speed, slope, lamp_word, pattern;
    };
    const row rows[] = {
        {"stopped", 1, 0, 6000, 0, 0, 0},
        {"ended", 0, 1, 6000, 0, 0, 0},
        {"negative speed", 0, 0, -1, 40, 0, 0},
        {"steep", 0, 0, 6000, 17, 0, 6},
        {"slope at 16", 0, 0, 3072, 16, 0, 2},
        {"speed and word", 0, 0, 1536 * 2, 0, 6 * 3, 5},
        {"just below 6", 0, 0, 1535, 0, 6 * 5 + 5, 5},
        {"capped at 5", 0, 0, 1536 * 9, 0, 60, 5},
        {"at rest", 0, 0, 0, 0, 0, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        w_cell_set(W_STOP_FLAG, r.stop);
        w_cell_set(W_END_FLAG, r.end);
        w_cell_set(W_PLAYER_SPEED, r.speed);
        w_cell_set(W_SLOPE_TERM, r.slope);
        w_cell_set(W_LAMP_FLIGHT_WORD, r.lamp_word);
        EXPECT_EQ(start_lamp_pattern(), r.pattern);
    }
}

// The countdown sound's parameter slot, read after each frame: (frame, parameter) at
// every change.
TEST_F(TopStates, CountdownRuns331FramesWithItsSoundsThenTheRace) {
    sound_record countdown;
    ASSERT_TRUE(sound_record_read(10, &countdown));
    screen_frame();
    force(3, 2);
    std::vector<std::pair<int, uint32_t>> plays;
    uint32_t last = 0;
    slot_param(countdown.param_slot, &last);
    int frames = 0;
    while (screen_sub_state() != 3 && frames < 400) {
        screen_frame();
        frames++;
        uint32_t p;
        ASSERT_TRUE(slot_param(countdown.param_slot, &p));
        if (p != last) plays.push_back({frames, p});
        last = p;
    }
    EXPECT_EQ(frames, 331);
    // Frame k runs with the timer at 331 - k: 180, 120, 60 and 0.
    const std::vector<std::pair<int, uint32_t>> expected = {{151, 131}, {211, 132}, {271, 133}, {331, 134}};
    EXPECT_EQ(plays, expected);
    EXPECT_EQ(play_frames(), 0);
    EXPECT_EQ(w_cell(W_END_FLAG), 0);
}

TEST_F(TopStates, CountdownOutsideGameplayReturnsToSubStateZero) {
    w_cell_set(W_GAME_STATE, 11);
    w_cell_set(W_GAME_SUB_STATE, 5);
    countdown_start();
    auto countdown_frame = [] {
        dl_cursor_set(dl_packet_area(dl_buffer_current()));  // as each frame step starts the list
        pre_race_countdown();
    };
    for (int i = 0; i < COUNTDOWN_FRAMES; i++) countdown_frame();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 5);
    countdown_frame();
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 0);
    EXPECT_EQ(w_cell(W_GAME_STATE), 11);
}

TEST_F(TopStates, DemoReadsItsRecordsAndEndsAtTheLast) {
    screen_frame();
    force(10);
    screen_frame();
    for (int i = 1; i < SYNTH_DEMO_RECORDS; i++) {
        EXPECT_FALSE(attract_demo_ended());
        screen_frame();
        EXPECT_EQ(w_cell(W_PITCH_INPUT), 1000 * i) << i;
        EXPECT_EQ(w_cell(W_TURN_INPUT), -500 * i) << i;
        EXPECT_EQ(play_frames(), 100 + i) << i;
    }
    screen_frame();  // the record with frame -1
    EXPECT_TRUE(attract_demo_ended());
    EXPECT_EQ(screen_state(), 11);
    int frames = 1;
    while (screen_state() == 11 && frames < 200) {
        screen_frame();
        frames++;
    }
    EXPECT_EQ(frames, 128);  // 2 a frame from 0 to 256, the first step in the ending frame
    EXPECT_EQ(screen_state(), 0);
}

TEST_F(TopStates, DemoCursorOutsideRomAndWorkRamEndsTheDemo) {
    for (int64_t cursor : {int64_t(0), int64_t(0x3FFFF8), int64_t(0x400000), int64_t(0xA04000), int64_t(0xE3FFF8)}) {
        SCOPED_TRACE(cursor);
        restart();
        screen_frame();
        force(10);
        screen_frame();
        ASSERT_FALSE(attract_demo_ended());
        both_long(W_DEMO_CURSOR, int32_t(cursor));
        screen_frame();
        EXPECT_TRUE(attract_demo_ended());
    }
    // A cursor into work RAM reads the records there (the saved run's buffer).
    restart();
    screen_frame();
    force(10);
    screen_frame();
    both_long(W_DEMO_INPUT, 777);
    both_long(W_DEMO_INPUT + 12, 5);
    both_long(W_DEMO_CURSOR, int32_t(WRAM_BASE + W_DEMO_INPUT));
    screen_frame();
    EXPECT_FALSE(attract_demo_ended());
    EXPECT_EQ(w_cell(W_PITCH_INPUT), 777);
    EXPECT_EQ(play_frames(), 5);
}

TEST_F(TopStates, StartPressEndsTheDemo) {
    screen_frame();
    force(10);
    screen_frame();
    screen_press({0, SCREEN_START});
    EXPECT_TRUE(attract_demo_ended());
}

// Forced states on a hostile program ROM: nothing may read or write out of bounds.
void forced_run(int32_t state, int32_t sub) {
    SCOPED_TRACE("state " + std::to_string(state) + " sub-state " + std::to_string(sub));
    game_init();
    force(state, sub);
    for (int f = 0; f < 600; f++) {
        frame_due = 1;
        game_frame();
        dsp_word_set(DSP_WORD_LIST_READY, 0);
        // The sanitizers watch every access; the display-list cursor stays in DSP RAM.
        uint8_t* cursor = static_cast<uint8_t*>(w_host(wram[W_DL_CURSOR]));
        ASSERT_TRUE(cursor >= dspram && cursor <= dspram + sizeof dspram) << "frame " << f;
    }
}

void random_rom() {
    board_memory_clear();
    scores_path_set(nullptr);
    std::mt19937 random(21);
    for (uint8_t& b : program_rom) b = uint8_t(random());
}

void zero_rom() {
    synth_rom_set* blank = synth_rom_new_blank();
    ASSERT_TRUE(blank);
    board_memory_clear();
    memcpy(program_rom, blank->program, sizeof program_rom);
    synth_rom_free(blank);
    scores_path_set(nullptr);
}

TEST(TopStatesHostileRom, RandomRomEachTopState) {
    random_rom();
    for (int32_t state = 0; state <= 16; state++) forced_run(state, 0);
}

TEST(TopStatesHostileRom, RandomRomEachSubState) {
    random_rom();
    for (int32_t sub = 0; sub <= 32; sub++) forced_run(3, sub);
}

TEST(TopStatesHostileRom, AllZeroRomEachTopState) {
    zero_rom();
    for (int32_t state = 0; state <= 16; state++) forced_run(state, 0);
}

TEST(TopStatesHostileRom, AllZeroRomEachSubState) {
    zero_rom();
    for (int32_t sub = 0; sub <= 32; sub++) forced_run(3, sub);
}

TEST(TopStatesHostileRom, AllZeroRomDemoHasCursorZeroAndEnds) {
    zero_rom();
    game_init();
    force(10);
    frame_due = 1;
    game_frame();
    EXPECT_EQ(w_cell(W_DEMO_CURSOR), 0);
    EXPECT_TRUE(attract_demo_ended());
    for (int f = 0; f < 130; f++) {
        frame_due = 1;
        game_frame();
    }
    EXPECT_EQ(w_cell(W_GAME_STATE), 1);  // attract again (state 0 set it up)
}

}  // namespace
