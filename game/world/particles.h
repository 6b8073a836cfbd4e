// Contact particles: when a probe of the machine touches the ground, water or a special
// region, its emitter spawns a short burst of world sprites at the contact point, the
// sprite type chosen by the kind of contact and the speed. One emitter per probe 0..4,
// four particle slots each; a particle lives four frames of its sprite.
#pragma once
#include <cstdint>

// Emitter i, slot c at W 0x16A40 + 160 i + 20 c: x, y, z, type, age (-1 dead, 0..3).
constexpr uint32_t W_PARTICLE_POOL = 0x16A40;
constexpr uint32_t PARTICLE_POOL_LONGS = 200;
constexpr uint32_t PARTICLE_EMITTER_BYTES = 160, PARTICLE_BYTES = 20;
constexpr uint32_t PARTICLE_X = 0, PARTICLE_TYPE = 12, PARTICLE_AGE = 16;
// One long per emitter: particles left to spawn in the upper word (-1 idle), the
// particle type in the lower.
constexpr uint32_t W_PARTICLE_EMITTERS = 0x16D60;
constexpr uint32_t PARTICLE_EMITTER_COUNT = 5;
constexpr uint32_t W_PARTICLE_PHASE = 0x16D74;   // frame phase 0..15
constexpr uint32_t W_PARTICLE_SPEED = 0x16D78;   // smoothed speed
constexpr uint32_t ROM_PARTICLE_TYPES = 0x3797A;  // one word per emitter kind 1..10

// The per-frame step: fires emitters by the probes' contacts, spawns, draws and ages.
void particles_update();
// Starts emitter i with kind: three particles to spawn after the first (one while the
// course map shows), the type from the kind's ROM word.
void particle_emitter_fire(int32_t i, int32_t kind);
// Course start: the pool and the emitters idle (-1), phase and speed 0, the offsets'
// random generator seeded afresh.
void particles_reset();
