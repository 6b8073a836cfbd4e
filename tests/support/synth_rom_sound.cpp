#include "tests/support/synth_rom_tables.h"

#include <cmath>

void synth_wave_tone(synth_rom_set* set) {
    for (uint32_t i = 0; i < SYNTH_WAVE_TONE_LEN; i++) {
        double phase = 2.0 * M_PI * i / SYNTH_WAVE_TONE_LEN;
        set->wave_a[SYNTH_WAVE_TONE_ADDR + i] = uint8_t(int8_t(std::lround(SYNTH_WAVE_TONE_PEAK * std::sin(phase))));
    }
}
