// The host's sound debug aids: the sweep through every id and the random commands, and
// the deferred sound that the frame step ticks.
#include "board/bus.h"
#include "board/scores_file.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "game/services/sound_sweep.h"
#include "game/services/sound_tables.h"
#include "tests/game/flow/sound_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using SoundSweep = SoundTest;

// The slot and command word a play of id writes.
uint32_t played_word(int32_t id) {
    sound_record r;
    return sound_record_read(id, &r) && r.slot >= 0 && r.slot < 0x4000 ? r.command | 0x4000 : 0;
}

TEST_F(SoundSweep, EveryIdInTurnThenWithEachParameter) {
    for (int32_t every : {1, 3}) {
        SetUp();
        sound_sweep_state s = {0, 0, -1, 0};
        std::vector<int32_t> advanced_at;
        std::vector<uint32_t> slot1_params;
        testing::internal::CaptureStderr();
        for (uint32_t call = 1; call <= 1000 + 445 * uint32_t(every) + 20; call++) {
            host_frame = call - 1;
            int32_t before = s.counter;
            sound_sweep_step(&s, every, 0);
            if (s.counter == before) continue;
            advanced_at.push_back(int32_t(call));
            int32_t id = s.counter % SOUND_IDS;
            sound_record r;
            ASSERT_TRUE(sound_record_read(id, &r));
            if (r.slot >= 0 && r.slot < 0x4000) {
                ASSERT_EQ(command(r.slot), played_word(id)) << "a = " << s.counter;
            }
            if (id == 2) slot1_params.push_back(param(2));
        }
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(advanced_at.size(), 445u) << every;
        EXPECT_EQ(advanced_at.front(), 1000);
        EXPECT_EQ(advanced_at[1], 1000 + every);
        EXPECT_EQ(advanced_at.back(), 1000 + 444 * every);
        EXPECT_EQ(err, "[SNDSWEEP] done at frame " + std::to_string(999 + 444 * every) + "\n");
        // Id 2 (parameter slot 2) played plain, then with the four parameters.
        EXPECT_EQ(slot1_params, std::vector<uint32_t>({0, 0x10, 0x40, 0x80, 0xC0}));
    }
}

TEST_F(SoundSweep, StopsTheIdBeforeTheNext) {
    sound_sweep_state s = {999, 0, -1, 0};
    sound_sweep_step(&s, 1, 0);  // a = 1: id 1 on slot 0
    EXPECT_EQ(command(0), 0x4101u);
    command_put(0, 0x8101);  // the driver took it
    sound_sweep_step(&s, 1, 0);
    EXPECT_EQ(command(0), 0x0101u);
    EXPECT_EQ(command(2), 0x4102u);
}

TEST_F(SoundSweep, RandomCommandsEverySixthCallTakePrecedence) {
    const std::vector<uint8_t> zero(sizeof commsram, 0);
    std::vector<uint8_t> runs[2];
    for (std::vector<uint8_t>& run : runs) {
        memset(commsram, 0, sizeof commsram);
        sound_sweep_state s = {0, 0, -1, 0};
        for (int call = 1; call <= 999; call++) sound_sweep_step(&s, 1, 7);
        EXPECT_TRUE(changed(zero).empty());
        for (int call = 1000; call < 1060; call++) {
            std::vector<uint8_t> before = sound_ram();
            sound_sweep_step(&s, 1, 7);
            EXPECT_EQ(!changed(before).empty(), (call - 1000) % 6 == 0) << call;
        }
        EXPECT_EQ(s.counter, 0) << "no sweep while the random commands run";
        for (uint32_t at : changed(zero)) {
            bool command_byte = at < 64, param_byte = at >= 0x100 && at < 0x140;
            ASSERT_TRUE(command_byte || param_byte) << at;
            if (at % 2 == 0 && command_byte) {
                EXPECT_TRUE(commsram[at] == 0x40 || commsram[at] == 0xC0) << at;
            }
            if (at % 2 == 0 && param_byte) {
                EXPECT_EQ(commsram[at], 0) << at;
            }
        }
        run = sound_ram();
    }
    EXPECT_EQ(runs[0], runs[1]) << "the same seed, the same commands";
}

// The frame step ticks the hold timer once per frame.
TEST_F(SoundSweep, FrameStepTicksTheDeferredSound) {
    scores_path_set(nullptr);
    game_init();
    wram_long_set(W_ATTRACT_SOUND, 0x10000);
    w_word_set(W_SOUND_DEFERRED_ID, -1);
    command_put(5, 0x8105);
    sound_hold_and_defer(5);
    sound_play_or_defer(9);
    wram_export();
    for (int frame = 1; frame <= 286; frame++) {
        frame_due = 1;
        game_frame();
        ASSERT_EQ(command(9), frame == 286 ? 0x4109u : 0u) << frame;
    }
}

}  // namespace
