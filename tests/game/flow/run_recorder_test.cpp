// The recording of a run for the attract demo: the snapshot, the per-tick input records,
// position keys, the recording lamp and the map trail; and the sounds at a run's end.
#include "board/inputs.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/run_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/run_recorder.h"
#include "tests/game/flow/flow_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

class RunRecorder : public FlowTest {
protected:
    void SetUp() override {
        FlowTest::SetUp();
        game(3, 3);
        w_cell_set(W_PLAYER_X, 0x123456);
        w_cell_set(W_PLAYER_Y, 0x2000);
        w_cell_set(W_PLAYER_Z, -0x5000);
        w_cell_set(W_PITCH_INPUT, -170);
        w_cell_set(W_TURN_INPUT, 20400);
        w_cell_set(W_PEDAL_DELTA, 3);
    }
    static void play_frame(int32_t f) { w_cell_set(W_PLAY_FRAME_COUNTER, f); }
    static std::vector<int32_t> longs(uint32_t x, uint32_t n) {
        std::vector<int32_t> out;
        for (uint32_t i = 0; i < n; i++) out.push_back(w_cell(x + 4 * i));
        return out;
    }
    static bool lamp_shown() { return text_cell(32, 26) == (13u << 12 | 608); }
};

TEST_F(RunRecorder, SnapshotCopiesThePlayerAndStartsTheBuffer) {
    for (uint32_t x = 0x0D00; x < 0x0E0C; x += 4) w_cell_set(x, int32_t(x * 3 + 1));
    for (uint32_t x = 0x12C0; x <= 0x12F4; x += 4) w_cell_set(x, int32_t(x + 7));
    for (uint32_t x = 0; x < 0x80; x += 4) w_cell_set(W_DEMO_KEYS + x, 9);
    w_cell_set(W_DEMO_KEYS + 0x80, 9);  // the word after the keys is not theirs
    w_cell_set(W_RECORDING, 1);
    w_cell_set(W_DEMO_FRAMES, 55);
    w_cell_set(W_COURSE_NUMBER, 2);
    w_write16(WRAM_BASE + W_COURSE_PAIR, 0x0102);
    w_cell_set(W_BALLOON_LAYOUT, 77);

    game(3, 24);  // the demo's own entry keeps the count and the flag
    run_snapshot_save();
    EXPECT_EQ(w_cell(W_DEMO_FRAMES), 55);
    EXPECT_EQ(w_cell(W_RECORDING), 1);

    game(3, 2);
    run_snapshot_save();
    EXPECT_EQ(w_cell(W_RECORDING), 0);
    EXPECT_EQ(w_cell(W_DEMO_FRAMES), 0);
    EXPECT_EQ(longs(W_DEMO_KEYS, 32), std::vector<int32_t>(32, 0));
    EXPECT_EQ(w_cell(W_DEMO_KEYS + 0x80), 9);
    for (uint32_t i = 0; i < 64; i++) EXPECT_EQ(w_cell(0x17124 + 4 * i), int32_t((0x0D00 + 4 * i) * 3 + 1)) << i;
    EXPECT_EQ(longs(0x17224, 3), (std::vector<int32_t>{0x0E00 * 3 + 1, 0x0E04 * 3 + 1, 0x0E08 * 3 + 1}));
    for (uint32_t i = 0; i < 14; i++) EXPECT_EQ(w_cell(0x17230 + 4 * i), int32_t(0x12C0 + 4 * i + 7)) << i;
    EXPECT_EQ(w_cell(W_DEMO_CURSOR), 0xE0EB60);
    EXPECT_EQ(w_cell(0x15BE8), 2);
    EXPECT_EQ(w_cell(0x15BEA), 0x0102);
    EXPECT_EQ(w_cell(0x15BEC), 77);
}

TEST_F(RunRecorder, SnapshotOnlyInGameplay) {
    w_cell_set(W_DEMO_FRAMES, 55);
    w_cell_set(W_RECORDING, 1);
    game(11, 2);
    std::vector<int64_t> before(wram, wram + WRAM_SIZE);
    run_snapshot_save();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), wram));
}

TEST_F(RunRecorder, WhatStartsARecording) {
    struct start_case {
        const char* name;
        int mode, course;
        int32_t speed, frame, stage_event;
        bool records;
    };
    const start_case cases[] = {
        {"slow, early", 0, 0, 14800, 5, 0, false},
        {"fast", 0, 0, 14801, 5, 0, true},
        {"frame 1800", 0, 1, 0, 1800, 0, true},
        {"the stage event 9", 0, 2, 0, 5, 9, true},
        {"story mode waits for the flag", 1, 1, 20000, 1800, 9, false},
        {"story mode's last course records", 1, 3, 20000, 5, 0, true},
    };
    for (const start_case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        w_write16(WRAM_BASE + W_GAME_MODE, c.mode);
        w_cell_set(W_COURSE_NUMBER, c.course);
        w_cell_set(W_PLAYER_SPEED, c.speed);
        w_write16(WRAM_BASE + W_BALLOONS_LEFT, c.stage_event);
        w_cell_set(W_DEMO_FRAMES, 40);  // a fresh snapshot restarts the count
        play_frame(c.frame);
        run_recorder_tick();
        EXPECT_EQ(w_cell(W_RECORDING), c.records);
        EXPECT_EQ(w_cell(W_DEMO_FRAMES), c.records ? 1 : 40);
        EXPECT_EQ(w_cell(W_DEMO_CURSOR), c.records ? 0xE0EB60 : 0);
    }
}

TEST_F(RunRecorder, RecordsKeysAndLamp) {
    w_cell_set(W_RECORDING, 1);
    w_cell_set(W_FRAME_TICK, 0x08);
    play_frame(77);
    run_recorder_tick();  // record 0: the first key, the lamp lit
    EXPECT_EQ(longs(0xEB60, 4), (std::vector<int32_t>{-170, 20400, 3, 77}));
    EXPECT_EQ(longs(0x17070, 4), (std::vector<int32_t>{0x123456, 0x2000, -0x5000, 1}));
    EXPECT_TRUE(lamp_shown());
    EXPECT_EQ(text_cell(37, 27), (13u << 12 | 619));
    EXPECT_EQ(w_cell(W_DEMO_FRAMES), 1);

    w_cell_set(W_FRAME_TICK, 0x20);  // bits 3-4 clear: the lamp off
    play_frame(78);
    run_recorder_tick();
    EXPECT_EQ(longs(0xEB70, 4), (std::vector<int32_t>{-170, 20400, 3, 78}));
    EXPECT_EQ(longs(0x17080, 4), std::vector<int32_t>(4, 0));  // no key for record 1
    EXPECT_EQ(text_cell(32, 26), TEXT_BLANK_CELL);

    w_cell_set(W_DEMO_FRAMES, 1792);  // the eighth key, the last record's neighbourhood
    w_cell_set(W_FRAME_TICK, 0x10);
    play_frame(1000);
    run_recorder_tick();
    EXPECT_EQ(longs(0xEB60 + 16 * 1792, 4), (std::vector<int32_t>{-170, 20400, 3, 1000}));
    EXPECT_EQ(longs(0x17070 + 16 * 7, 4), (std::vector<int32_t>{0x123456, 0x2000, -0x5000, 1}));
    EXPECT_TRUE(lamp_shown());

    w_cell_set(W_DEMO_FRAMES, 1800);  // full: nothing written, the lamp cleared
    std::vector<int32_t> after_buffer = longs(0x15BE0, 8);
    run_recorder_tick();
    EXPECT_EQ(w_cell(W_DEMO_FRAMES), 1800);
    EXPECT_EQ(longs(0x15BE0, 8), after_buffer);
    EXPECT_EQ(text_cell(32, 26), TEXT_BLANK_CELL);
}

TEST_F(RunRecorder, MapTrail) {
    w_cell_set(W_TRAIL_COUNT, 3);
    play_frame(128);
    run_recorder_tick();
    EXPECT_EQ(uint32_t(w_cell(0x16D8C + 12)), 0x1234FFB0u);
    EXPECT_EQ(w_cell(W_TRAIL_COUNT), 4);
    EXPECT_EQ(w_cell(W_TRAIL_COUNT_SHOWN), 4);
    play_frame(130);
    run_recorder_tick();
    EXPECT_EQ(w_cell(W_TRAIL_COUNT), 4);
    w_cell_set(W_TRAIL_COUNT, 170);  // the trail is full
    w_cell_set(W_TRAIL_COUNT_SHOWN, 0);
    play_frame(192);
    run_recorder_tick();
    EXPECT_EQ(w_cell(W_TRAIL_COUNT), 170);
    EXPECT_EQ(w_cell(W_TRAIL_COUNT_SHOWN), 0);
}

TEST_F(RunRecorder, RunEndStopsTheSoundsAboveTheCoin) {
    struct end_case {
        int32_t course, stem_state;
        bool mailbox_cleared;
        uint32_t stem_4;
    };
    // Synthetic slots: the coin's 12, the goal's 14.
    for (const end_case& c : {end_case{1, 0, true, 1}, end_case{1, -1, true, 0}, end_case{0, 0, false, 0xAAAA}}) {
        SCOPED_TRACE(c.course);
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        for (uint32_t m = 0x21E; m < 0x242; m += 2) sound_ram_word_set(m, 0xAAAA);
        for (int32_t s = 0; s < 34; s++) sound_ram_word_set(2 * uint32_t(s), 0xC000 | uint32_t(s));
        w_cell_set(W_COURSE_NUMBER, c.course);
        w_word_set(W_STEM_STATE, c.stem_state);
        run_end_cleanup();
        for (int32_t s = 0; s < 34; s++) {
            bool stopped = s == 13 || (s >= 15 && s <= 31);
            EXPECT_EQ(sound_ram_word(2 * uint32_t(s)), (stopped ? 0x4000u : 0xC000u) | uint32_t(s)) << s;
        }
        for (int32_t s : SYNTH_PARAM_RESET_SLOTS) EXPECT_EQ(sound_ram_word(0x100 + 2 * uint32_t(s)), 0x00FFu) << s;
        for (uint32_t m = 0x220; m < 0x240; m += 2)
            EXPECT_EQ(sound_ram_word(m), m == 0x226 ? c.stem_4 : c.mailbox_cleared ? 0u : 0xAAAAu) << std::hex << m;
        EXPECT_EQ(sound_ram_word(0x21E), 0xAAAAu);
        EXPECT_EQ(sound_ram_word(0x240), 0xAAAAu);
    }
}

}  // namespace
