// Hostile ROM tables and work RAM: whatever the sound tables, the sine table and the work
// RAM hold, every operation of the sound layer and 600 calls of area_sound_update write
// nothing outside the sound RAM (the images beside it stay as they were) and the
// sanitizers find nothing.
#include "board/bus.h"
#include "board/fixed_math.h"
#include "game/services/area_sounds.h"
#include "game/services/course_sounds.h"
#include "game/services/sound_sweep.h"
#include "game/services/sound_tables.h"
#include "tests/game/flow/sound_fixture.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

struct rng {
    uint64_t x;
    uint32_t next() {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return uint32_t(x >> 16);
    }
    // A 16-bit value, mostly near the edges of the slot ranges and the sound ids.
    int32_t edge_word() {
        static const int32_t edges[] = {-129, -128, 0, 88, 89, 0x3FFF, 0x4000, 16255, 16256, 0x7FFF, -32768};
        switch (next() % 4) {
        case 0: return int32_t(next() % 0x10000) - 0x8000;
        case 1: return int32_t(next() % 100) - 10;
        default: return edges[next() % std::size(edges)] + int32_t(next() % 5) - 2;
        }
    }
    // An argument: an edge word, an edge word in the upper half (id or slot), or anything.
    int32_t value() {
        switch (next() % 3) {
        case 0: return edge_word();
        case 1: return int32_t(uint32_t(edge_word()) << 16 | (next() & 0xFFFF));
        default: return int32_t(next() << 16 | (next() & 0xFFFF));
        }
    }
};

constexpr uint32_t SOUND_TABLES_FIRST = SOUND_TABLE, SOUND_TABLES_END = 0x035BC8;
constexpr uint32_t SINE_BYTES = 0x10004;
constexpr uint32_t AUX_VOLUMES = AUX_SOUND_VOLUMES - 0xF80000;

// The words the layer and the course sounds read, given hostile values (the work RAM
// around them is random already).
const uint32_t READ_WORDS[] = {W_GAME_STATE,   W_GAME_SUB_STATE, W_ATTRACT_SCENE_FLAG, W_COURSE_NUMBER, W_CAMERA_CELL,
                               W_PLAYER_CELL,  W_END_FLAG,       W_RACE_TIMER,         W_ATTRACT_SOUND, W_STEM_WAIT,
                               W_POINT_COOLDOWN, W_SOUND_ONCE_FLAG, W_AREA_CELL,        W_SOUND_HOLD_TIMER - 2};

using SoundHostile = SoundTest;

TEST_F(SoundHostile, RandomRomAndWorkRamWriteOnlyTheSoundRam) {
    for (uint64_t seed = 1; seed <= 6; seed++) {
        SetUp();
        rng r{seed * 0x9E3779B97F4A7C15ull};
        for (uint32_t a = SOUND_TABLES_FIRST; a < SOUND_TABLES_END; a += 2) bus_write16(a, uint32_t(r.edge_word()));
        for (uint32_t a = 0; a < SINE_BYTES; a++) program_rom[SINE_TABLE - 4 + a] = uint8_t(r.next());
        for (int64_t& slot : wram) slot = int32_t(r.next());
        for (uint8_t& b : dspram) b = uint8_t(r.next());
        for (uint8_t& b : aux_ram) b = uint8_t(r.next());
        for (uint8_t& b : commsram) b = uint8_t(r.next());
        std::vector<uint8_t> dsp_before(dspram, dspram + sizeof dspram), aux_before(aux_ram, aux_ram + sizeof aux_ram);

        const std::function<void()> ops[] = {
            [&] { sound_play(r.value()); },
            [&] { sound_play_or_defer(r.value()); },
            [&] { sound_play_ungated(r.value()); },
            [&] { sound_play_p(r.value()); },
            [&] { sound_play_p_ungated(r.value()); },
            [&] { sound_play_p2(r.value(), r.value()); },
            [&] { sound_play_p2val(r.value(), r.value()); },
            [&] { sound_param2_set(r.value(), r.value()); },
            [&] { sound_stop(r.value()); },
            [&] { sound_stop_unless_held(r.value()); },
            [&] { sound_hold_and_defer(r.value()); },
            [&] { sound_params_reset(); },
            [&] { sound_stop_all(); },
            [&] { sound_reset_all(); },
            [&] { sound_stop_upper(); },
            [&] { sound_play_once(); },
            [&] { sound_once_flag_clear(); },
            [&] { sound_play_throttled(r.value()); },
            [&] { sound_play_cooldown(r.value()); },
            [&] { balloon_sound_cooldown(); },
            [&] { sound_play_indexed(r.value()); },
            [&] { sound_preset_from_rom(); },
            [&] { sound_param_level_set(r.value()); },
            [&] { scenery_sound_play(r.value(), r.value()); },
            [&] { contact_pick(r.value(), r.value(), r.value()); },
            [&] { sound_volumes_put(); },
            [&] { sound_defer_tick(); },
            [&] { course_start_sound_play(); },
            [&] { course_sounds_full(); },
            [&] { course_sounds_fade_in(); },
            [&] { sound_course_reset(); },
            [&] { music_stem_update(); },
            [&] { music_stem_reset(r.value()); },
            [&] { sound_mailbox_write(r.value(), r.value()); },
            [&] { idle_frames_flag_update(); },
            [&] { sound_table_max_cmd(); },
        };
        sound_sweep_state sweep = {990, 0, -1, 0};
        for (int call = 0; call < 600; call++) {
            for (uint32_t w : READ_WORDS)
                if (r.next() % 3 == 0) wram_long_set(w, r.next() % 2 ? r.value() : int32_t(r.next() % 8));
            if (r.next() % 2) wram_long_set(W_ATTRACT_SCENE_FLAG, 0);
            ops[r.next() % std::size(ops)]();
            sound_sweep_step(&sweep, 1 + int32_t(r.next() % 3), call % 7 == 0 ? int32_t(seed) : 0);
            area_sound_update();
        }
        for (uint32_t i = 0; i < 8; i++) aux_before[AUX_VOLUMES + i] = aux_ram[AUX_VOLUMES + i];
        EXPECT_TRUE(std::equal(dsp_before.begin(), dsp_before.end(), dspram)) << "seed " << seed;
        EXPECT_TRUE(std::equal(aux_before.begin(), aux_before.end(), aux_ram)) << "seed " << seed;
    }
}

}  // namespace
