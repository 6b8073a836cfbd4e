#include "game/services/object_motion.h"

#include "base/run_flags.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "game/services/object_ram.h"

#include <cstdio>

namespace {

constexpr uint32_t OBJECT_BYTES = 12;
constexpr int32_t DAMPING = 42;
constexpr int32_t CHAIN_SPRING = 3328;

// The position block of object i, when every long the steps touch (the force below it,
// the neighbours, the velocities above it, the previous position) lies in work RAM.
bool object_block(int32_t i, uint32_t* at) {
    if (i < 0) return false;
    uint64_t pos = W_SPRING_POSITION + uint64_t(OBJECT_BYTES) * uint64_t(i);
    uint64_t prev = W_SPRING_PREVIOUS + uint64_t(OBJECT_BYTES) * uint64_t(i);
    if (pos + SPRING_VELOCITY + OBJECT_BYTES > WRAM_SIZE || prev + OBJECT_BYTES > WRAM_SIZE) return false;
    *at = uint32_t(pos);
    return true;
}

bool divisor_ok(int32_t d, const char* routine) {
    if (d != 0) return true;
    static uint32_t traps = 0;
    if (traps++ == 0 || verbose_enabled())
        fprintf(stderr, "[V2-TRAP] %s: division by zero (hardware would take the zero-divide trap)\n", routine);
    return false;
}

int32_t ext_of(const int32_t* ext, int j) {
    return ext ? ext[j] : 0;
}

// The old position into the previous-position block.
void previous_keep(int32_t i, uint32_t pos) {
    uint32_t prev = W_SPRING_PREVIOUS + OBJECT_BYTES * uint32_t(i);
    for (uint32_t j = 0; j < 3; j++) wram_long_set(prev + 4 * j, wram_long(pos + 4 * j));
}

// The sum of the axis' neighbours p[-1] + p[+1].
int32_t neighbours(uint32_t axis) {
    return wrap_add(wram_long(axis - OBJECT_BYTES), wram_long(axis + OBJECT_BYTES));
}

}  // namespace

void object_motion_step(int32_t i, int32_t a, int32_t b, int32_t c, const int32_t* ext) {
    uint32_t pos;
    if (!object_block(i, &pos) || !divisor_ok(a, "object_motion_step")) return;
    previous_keep(i, pos);
    for (uint32_t j = 0; j < 3; j++) {
        uint32_t axis = pos + 4 * j;
        int32_t e = wram_long(axis), f = wram_long(axis + SPRING_VELOCITY);
        int32_t pull = wrap_add(wrap_mul(wrap_sub(wram_long(axis + SPRING_TARGET1), e), b),
                                wrap_mul(c, wrap_sub(wram_long(axis + SPRING_TARGET2), e)));
        int32_t g = wrap_sub(wrap_add(wrap_div(pull, a), ext_of(ext, int(j))), wrap_div(wrap_mul(f, DAMPING), a));
        wram_long_set(uint32_t(int32_t(axis) + SPRING_FORCE), g);
        wram_long_set(axis, wrap_add(wrap_add(e, f / 240), g / 57600));
        wram_long_set(axis + SPRING_VELOCITY, wrap_add(f, g / 60));
    }
}

void object_motion_step_chain(int32_t i, int32_t a, const int32_t* ext) {
    uint32_t pos;
    if (!object_block(i, &pos) || !divisor_ok(a, "object_motion_step_chain")) return;
    int32_t d = wrap_mul(-480, a);
    uint32_t prev = W_SPRING_PREVIOUS + OBJECT_BYTES * uint32_t(i);
    for (uint32_t j = 0; j < 3; j++) {
        uint32_t axis = pos + 4 * j;
        int32_t v = wram_long(axis + SPRING_VELOCITY), old = wram_long(prev + 4 * j);
        int32_t pull = wrap_div(wrap_add(wrap_div(wrap_mul(neighbours(axis), CHAIN_SPRING), a), ext_of(ext, int(j))), 120);
        int32_t velocity = wrap_add(wrap_add(pull, wrap_div(wrap_mul(v, wrap_add(d, DAMPING)), d)), old);
        wram_long_set(axis + SPRING_VELOCITY, velocity);
        wram_long_set(axis, wrap_add(wram_long(axis), velocity / 480));
    }
}

void object_motion_step_damped(int32_t i, int32_t b, const int32_t* ext) {
    uint32_t pos;
    if (!object_block(i, &pos) || !divisor_ok(b, "object_motion_step_damped")) return;
    for (uint32_t j = 0; j < 3; j++) {
        uint32_t axis = pos + 4 * j;
        int32_t p = wram_long(axis), v = wram_long(axis + SPRING_VELOCITY);
        int32_t bend = wrap_sub(neighbours(axis), wrap_mul(2, p));
        int32_t force = wrap_add(wrap_div(wrap_sub(wrap_mul(bend, CHAIN_SPRING), wrap_mul(DAMPING, v)), b),
                                 ext_of(ext, int(j)));
        wram_long_set(uint32_t(int32_t(axis) + SPRING_FORCE), force);
        int32_t velocity = wrap_add(v, force / 120);
        wram_long_set(axis + SPRING_VELOCITY, velocity);
        wram_long_set(axis, wrap_add(p, velocity / 480));
    }
}
