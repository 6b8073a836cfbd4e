#include "game/services/sound_sweep.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t RANDOM_EVERY = 6;
constexpr uint32_t RANDOM_COMMANDS = 4;
constexpr uint64_t GOLDEN = 0x9E3779B97F4A7C15ull;

uint64_t xorshift(uint64_t* x) {
    *x ^= *x << 13;
    *x ^= *x >> 7;
    *x ^= *x << 17;
    return *x;
}

// Four slots of 0-31 get a random command (0x40xx, 0xC0xx or 0) and parameter byte.
void random_commands(sound_sweep_state* s, int32_t seed) {
    if (!s->random) s->random = uint64_t(seed) * GOLDEN;
    for (uint32_t i = 0; i < RANDOM_COMMANDS; i++) {
        uint64_t r = xorshift(&s->random);
        int32_t slot = int32_t(r % SOUND_STOPPABLE_SLOTS);
        static const uint32_t high[3] = {0x4000, 0xC000, 0};
        uint32_t kind = uint32_t(r >> 8) % 3;
        slot_command_set(slot, kind < 2 ? high[kind] | (uint32_t(r >> 16) & 0xFF) : 0);
        slot_param_set(slot, uint32_t(r >> 24) & 0xFF);
    }
}

void sweep_next(sound_sweep_state* s) {
    if (s->previous >= 0) sound_stop(s->previous);
    int32_t a = ++s->counter;
    int32_t id = a % SOUND_IDS;
    if (a < SOUND_IDS)
        sound_play_ungated(id);
    else
        sound_play_p_ungated(id << 16 | SOUND_SWEEP_PARAMS[std::min(a / SOUND_IDS, 4) - 1]);
    s->previous = id;
    if (a == SOUND_SWEEP_LAST) fprintf(stderr, "[SNDSWEEP] done at frame %u\n", host_frame);
}

}  // namespace

void sound_sweep_step(sound_sweep_state* s, int32_t every, int32_t random_seed) {
    uint32_t call = ++s->calls;
    if (call < SOUND_SWEEP_FIRST_CALL) return;
    uint32_t since = call - SOUND_SWEEP_FIRST_CALL;
    if (random_seed > 0) {
        if (since % RANDOM_EVERY == 0) random_commands(s, random_seed);
    } else if (every > 0 && since % uint32_t(every) == 0 && s->counter < SOUND_SWEEP_LAST) {
        sweep_next(s);
    }
}

void sound_sweep() {
    static const int32_t every = env_int("SKYVOLTA_SNDSWEEP", 0);
    static const int32_t seed = env_int("SKYVOLTA_SNDRAND", 0);
    static sound_sweep_state state = {0, 0, -1, 0};
    if (every > 0 || seed > 0) sound_sweep_step(&state, every, seed);
}
