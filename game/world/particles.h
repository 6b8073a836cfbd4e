// Contact particles: when a probe of the machine touches the ground, water or a special
// region, its emitter spawns a short burst of world sprites at the contact point, the
// sprite type chosen by the kind of contact and the speed. One emitter per probe 0..4,
// four particle slots each; a particle lives four frames of its sprite.
#pragma once
#include <cstdint>

#include "game/world/hud_ram.h"  // the particle pool and emitters

constexpr uint32_t ROM_PARTICLE_TYPES = 0x3797A;  // one word per emitter kind 1..10

// The per-frame step: fires emitters by the probes' contacts, spawns, draws and ages.
void particles_update();
// Starts emitter i with kind: three particles to spawn after the first (one while the
// course map shows), the type from the kind's ROM word.
void particle_emitter_fire(int32_t i, int32_t kind);
// Course start: the pool and the emitters idle (-1), phase and speed 0, the offsets'
// random generator seeded afresh.
void particles_reset();
