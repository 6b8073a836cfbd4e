// Table lookups of the game's math: sine and cosine, the arc tangents, the slope
// angle, the ROM curve evaluator and the linear map, with the division-trap report.
#include "board/fixed_math.h"

#include "base/run_flags.h"
#include "board/bus.h"
#include "board/wram.h"

#include <cstdio>

math_counter_set math_counters;

namespace {

constexpr uint32_t COARSE_WARN_LIMIT = 8;
constexpr uint32_t CURVE_POINTS = 512;
constexpr uint32_t CURVE_RECORD_SIZE = 18;

int32_t rom_word(uint32_t address) {
    return int16_t(bus_read16(address));
}

// The board would take the zero-divide trap here; we report it and the caller returns 0.
void math_trap_report(const char* routine) {
    if (math_counters.div_traps++ == 0 || verbose_enabled())
        fprintf(stderr, "[V2-TRAP] %s: division by zero (hardware would take the zero-divide trap)\n", routine);
}

// The quadrant rule shared by both arc tangents: c is the angle from the a axis toward
// the b axis in the first quadrant.
int32_t atan2_quadrant(int32_t a, int32_t b, uint32_t c) {
    int s = (a < 0 ? 1 : 0) + (b < 0 ? 2 : 0);
    uint32_t r = 0;
    switch (s) {
    case 0: r = c - 0x4000; break;
    case 1: r = 0x4000 - c; break;
    case 2: r = 0u - c - 0x4000; break;
    case 3: r = c + 0x4000; break;
    }
    return int32_t(r & 0xFFFF);
}

uint32_t magnitude(int32_t v) {
    return v < 0 ? 0u - uint32_t(v) : uint32_t(v);
}

}  // namespace

int32_t math_sin(int32_t angle) {
    return rom_word(SINE_TABLE + (uint32_t(angle) & 0xFFFC));
}

int32_t math_cos(int32_t angle) {
    return rom_word(SINE_TABLE + 2 + (uint32_t(angle) & 0xFFFC));
}

// The ratio of the smaller to the larger magnitude indexes the 1025-entry table. The
// shift by 10 wraps for components of 2^22 and more, as on the board.
int32_t math_atan2(int32_t a, int32_t b) {
    math_counters.atan2_calls++;
    uint32_t ua = magnitude(a), ub = magnitude(b);
    uint32_t c;
    if (ua < ub) {
        c = 0x4000 - uint32_t(bus_read16(ATAN_TABLE + 2 * ((ua << 10) / ub)));
    } else if (ua == 0) {
        math_trap_report("math_atan2");
        return 0;
    } else {
        c = uint32_t(bus_read16(ATAN_TABLE + 2 * ((ub << 10) / ua)));
    }
    return atan2_quadrant(a, b, c);
}

int32_t math_atan2_coarse(int32_t a, int32_t b) {
    math_counters.atan2_coarse_calls++;
    uint32_t ua = magnitude(a), ub = magnitude(b);
    if ((ua > 31 || ub > 31) && math_counters.coarse_warnings++ < COARSE_WARN_LIMIT)
        fprintf(stderr, "[V2-WARN] math_atan2_coarse(%d,%d): index outside 32x32 table (faithful read proceeds)\n",
                a, b);
    uint32_t c = uint32_t(bus_read16(ATAN_COARSE_TABLE + 64 * ub + 2 * ua));
    return atan2_quadrant(a, b, c);
}

int32_t math_slope_angle(int32_t a, int32_t b) {
    math_counters.slope_angle_calls++;
    int32_t bq = b / 8;
    if (bq == 0) {
        math_trap_report("math_slope_angle");
        return 0;
    }
    int32_t aq = wrap_shl(a, 9);
    if ((aq < 0) != (bq < 0)) {
        uint32_t t = uint32_t(bus_read16(SLOPE_TABLE + 2 * uint32_t(wrap_div(aq, -bq))));
        return int32_t((0x8000 - t) & 0xFFFF);
    }
    return int32_t(uint32_t(bus_read16(SLOPE_TABLE + 2 * uint32_t(wrap_div(aq, bq)))) & 0xFFFF);
}

int32_t linear_map(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    if (d == c) {
        math_trap_report("linear_map");
        return 0;
    }
    return wrap_add(a, wrap_div(wrap_mul(wrap_sub(e, c), wrap_sub(b, a)), wrap_sub(d, c)));
}

int32_t rom_curve_eval(uint32_t record, int64_t acc, int32_t index) {
    if (uint64_t(record) + CURVE_RECORD_SIZE > PROGRAM_ROM_END || uint32_t(index) >= CURVE_POINTS) return 0;
    int64_t c = bus_read32(record + 2), e = bus_read32(record + 6);
    int32_t step = bus_read32(record + 10), base = bus_read32(record + 14);
    int32_t g = step;
    if (acc != 0) {
        g = wrap_add(w_read32(acc), step);
        w_write32(acc, g);
    }
    int64_t t1 = bus_read32(CURVE_TABLE_1 + 4 * uint32_t(index));
    int64_t t2 = bus_read32(CURVE_TABLE_2 + 4 * uint32_t(index));
    uint32_t r = uint32_t((e * t1) >> 16) + uint32_t((c * t2) >> 24) + uint32_t(g >> 8) + uint32_t(base);
    return int32_t(r);
}
