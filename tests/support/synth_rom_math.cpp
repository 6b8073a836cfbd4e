// The math tables of the synthetic program ROM, computed from their functions so tests
// can hold the game's lookups against libm.
#include "tests/support/synth_rom_tables.h"

#include <cmath>

namespace {

constexpr double TURN = 65536.0;  // 16-bit angle units per full turn

uint16_t angle_units(double radians) {
    return uint16_t(std::lround(radians * TURN / (2 * M_PI)));
}

int16_t q15(double v) {
    long q = std::lround(v * 32768.0);
    return int16_t(q > 32767 ? 32767 : q < -32768 ? -32768 : q);
}

}  // namespace

void synth_sine_table(synth_rom_set* set) {
    // Pair j holds (sin, cos) of angle 4 (j - 1): the pair at 0x20B000 is angle -4, of
    // which the game reads only the cosine (the word before sin 0); its sine word is the
    // shear table's last.
    for (uint32_t j = 0; j <= 16384; j++) {
        double a = (double(j) - 1) * 4 * 2 * M_PI / TURN;
        if (j > 0) synth_put16(set, 0x20B000 + 4 * j, uint16_t(q15(std::sin(a))));
        synth_put16(set, 0x20B002 + 4 * j, uint16_t(q15(std::cos(a))));
    }
}

void synth_atan_table(synth_rom_set* set) {
    for (uint32_t i = 0; i <= 1024; i++) synth_put16(set, 0x200000 + 2 * i, angle_units(std::atan(i / 1024.0)));
}

void synth_atan_coarse_table(synth_rom_set* set) {
    for (uint32_t b = 0; b < 32; b++)
        for (uint32_t a = 0; a < 32; a++)
            synth_put16(set, 0x200802 + 64 * b + 2 * a, a || b ? angle_units(std::atan2(double(b), double(a))) : 0);
}

void synth_slope_table(synth_rom_set* set) {
    for (uint32_t k = 0; k <= 4096; k++) synth_put16(set, 0x201002 + 2 * k, angle_units(std::acos(k / 4096.0)));
}

void synth_curve_square_table(synth_rom_set* set) {
    for (uint32_t i = 0; i < 512; i++) {
        double t = i / 512.0;
        synth_put32(set, 0x15332C + 4 * i, uint32_t(std::lround(t * t * 65536.0)));
    }
}

void synth_curve_cube_table(synth_rom_set* set) {
    for (uint32_t i = 0; i < 512; i++) {
        double t = i / 512.0;
        synth_put32(set, 0x153B2C + 4 * i, uint32_t(std::lround(t * t * t * 16777216.0)));
    }
}

void synth_block_param_masks(synth_rom_set* set) {
    for (uint32_t k = 0; k < 6; k++) synth_put32(set, 0x037664 + 4 * k, 1u << k);
}
