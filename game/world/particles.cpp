#include "game/world/particles.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/rig_packets.h"
#include "board/sprite_projection.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rom_table.h"
#include "game/services/terrain_ram.h"
#include "game/world/hud_ram.h"

#include <cstdio>

namespace {

constexpr rom_table ROM_TYPES = {ROM_PARTICLE_TYPES, 2, 11};  // kinds 0..10
constexpr int32_t BURST = 3, BURST_WITH_MAP = 1;
constexpr uint32_t SLOTS = 4;

// Contact kinds (the surface byte the collision driver copies) and emitter kinds.
constexpr int32_t FAST = 8192, SLOW = 6145, SPRAY_SPEED = 2960;
constexpr int32_t COURSE_WITH_SHALLOWS = 1, SHALLOWS_FROM_CELL = 72;
constexpr int32_t KIND_DUST = 3, KIND_SPLASH_SLOW = 7, KIND_SPLASH_FAST = 8, KIND_WATER = 2, KIND_SHALLOWS = 9;
constexpr int32_t KIND_SPRAY = 4, KIND_SPECIAL = 10;
constexpr int32_t SPECIAL_DUST_A = 224, SPECIAL_DUST_B = 225, SPECIAL_SPARK = 229;

constexpr int32_t ATTRIBUTE_SECOND_VIEW = int32_t(0xFFE04000), ATTRIBUTE = int32_t(0xFFC00000);

uint32_t random_state;

// The offsets' generator: a 32-bit LCG, its upper half as a signed 16-bit value.
int32_t random16() {
    random_state = random_state * 1103515245u + 12345u;
    return int16_t(random_state >> 16);
}

int32_t emitter_count(uint32_t i) {
    return int16_t(uint32_t(w_cell(W_PARTICLE_EMITTERS + 4 * i)) >> 16);
}

void emitter_set(uint32_t i, int32_t count, int32_t type) {
    w_cell_set(W_PARTICLE_EMITTERS + 4 * i, int32_t(uint32_t(count) << 16 | (uint32_t(type) & 0xFFFF)));
}

uint32_t particle(uint32_t i, uint32_t slot) {
    return W_PARTICLE_POOL + PARTICLE_EMITTER_BYTES * i + PARTICLE_BYTES * slot;
}

// The emitter kind a contact of kind k fires at smoothed speed s, or 0 for none.
int32_t contact_kind(int32_t k, int32_t s) {
    bool ground_hold = w_cell(W_LOOKAHEAD_GROUND_HOLD) != 0;
    switch (k) {
    case 3:
    case 6:
        if (s > FAST) return KIND_SPLASH_FAST;
        if (s < SLOW) return ground_hold ? KIND_SPLASH_FAST : KIND_SPLASH_SLOW;
        return ground_hold ? KIND_SPLASH_FAST : KIND_DUST;
    case 2:
        if (w_cell(W_COURSE_NUMBER) == COURSE_WITH_SHALLOWS && w_cell(W_PLAYER_CELL) >= SHALLOWS_FROM_CELL)
            return KIND_SHALLOWS;
        return KIND_WATER;
    case 4:
    case 1:
    case 5: {
        bool spray = k == 4 || (w_cell(W_FRAME_TICK) & 0x14) != 0;
        return s >= SPRAY_SPEED ? (spray ? KIND_SPRAY : k) : 0;
    }
    default:
        return 0;
    }
}

void contacts_fire(int32_t s) {
    for (uint32_t i = 0; i < PARTICLE_EMITTER_COUNT; i++) {
        if (w_cell(W_CONTACT_HITS + 4 * i) == 0) continue;
        int32_t kind = contact_kind(w_cell(W_CONTACT_SURFACES + 4 * i), s);
        if (kind != 0) particle_emitter_fire(int32_t(i), kind);
    }
    for (uint32_t i = 1; i < PARTICLE_EMITTER_COUNT; i++) {
        if (w_cell(probe_field(i, PROBE_SPECIAL)) == 0) continue;
        int32_t type = w_cell(probe_field(i, PROBE_SPECIAL_TYPE));
        if (type == SPECIAL_DUST_A || type == SPECIAL_DUST_B) particle_emitter_fire(int32_t(i), KIND_DUST);
        if (type == SPECIAL_SPARK) particle_emitter_fire(int32_t(i), KIND_SPECIAL);
    }
}

void spawn(uint32_t i, uint32_t slot) {
    int32_t count = emitter_count(i);
    uint32_t at = particle(i, slot);
    for (uint32_t axis = 0; axis < 3; axis++)
        w_cell_set(at + 4 * axis, wrap_add(w_cell(probe_field(i, PROBE_POS + 4 * axis)), random16() >> 6));
    int32_t type = int16_t(w_cell(W_PARTICLE_EMITTERS + 4 * i));
    w_cell_set(at + PARTICLE_TYPE, type);
    w_cell_set(at + PARTICLE_AGE, BURST - count);
    emitter_set(i, count - 1, type);
}

void draw_and_age(uint32_t at, bool ages) {
    int32_t age = w_cell(at + PARTICLE_AGE);
    if (age < 0) return;
    int32_t type = w_cell(at + PARTICLE_TYPE);
    int32_t size = type == KIND_SPRAY ? age * 8191 + 0x8000 : age * 0x3FFF;
    int32_t attribute = w_cell(W_WING_SET) != 0 ? ATTRIBUTE_SECOND_VIEW : ATTRIBUTE;
    world_sprite_draw(0, type + age, wrap_sub(w_cell(at), w_cell(W_CAMERA_X)),
                      wrap_sub(w_cell(at + 4), w_cell(W_CAMERA_Y)), wrap_sub(w_cell(at + 8), w_cell(W_CAMERA_Z)),
                      size, attribute);
    if (ages) w_cell_set(at + PARTICLE_AGE, age >= 3 ? -1 : age + 1);
}

}  // namespace

void particle_emitter_fire(int32_t i, int32_t kind) {
    static const bool log = env_present("SKYVOLTA_CONTACTLOG");
    static int32_t calls;
    if (i < 0 || uint32_t(i) >= PARTICLE_EMITTER_COUNT) return;
    int32_t count = w_cell(W_MAP_TIMER) > 0 ? BURST_WITH_MAP : BURST;
    emitter_set(uint32_t(i), count, rom_table_word(ROM_TYPES, kind, 0));
    if (log && calls % 20 == 0)
        printf("[PARTICLE] emitter fired: layer %d kind %d  (call %d, frame %u)\n", int(i), int(kind), int(calls),
               unsigned(host_frame));
    calls++;
}

void particles_update() {
    int32_t s = w_cell(W_PARTICLE_SPEED);
    contacts_fire(s);
    int32_t counter = (w_cell(W_PARTICLE_PHASE) + 1) & 15;
    w_cell_set(W_PARTICLE_PHASE, counter);
    uint32_t c = uint32_t(counter) >> 2;
    bool step = (counter & 3) == 0;
    for (uint32_t i = 0; i < PARTICLE_EMITTER_COUNT; i++) {
        if (step && emitter_count(i) >= 0) spawn(i, c);
        for (uint32_t back = 0; back < 3; back++) draw_and_age(particle(i, (c + SLOTS - back) % SLOTS), step);
    }
    w_cell_set(W_PARTICLE_SPEED, int32_t((int64_t(w_cell(W_PLAYER_SPEED_COPY)) + s) / 2));
}

void particles_reset() {
    for (uint32_t k = 0; k < PARTICLE_POOL_LONGS; k++) w_cell_set(W_PARTICLE_POOL + 4 * k, -1);
    for (uint32_t i = 0; i < PARTICLE_EMITTER_COUNT; i++) {
        uint32_t x = W_PARTICLE_EMITTERS + 4 * i;
        w_cell_set(x, int32_t(0xFFFF0000u | (uint32_t(w_cell(x)) & 0xFFFF)));
    }
    w_cell_set(W_PARTICLE_PHASE, 0);
    w_cell_set(W_PARTICLE_SPEED, 0);
    random_state = 0x5EED;
}
