#include "tests/support/synth_rom_tables.h"

#include <cmath>

void synth_wave_tone(synth_rom_set* set) {
    for (uint32_t i = 0; i < SYNTH_WAVE_TONE_LEN; i++) {
        double phase = 2.0 * M_PI * i / SYNTH_WAVE_TONE_LEN;
        set->wave_a[SYNTH_WAVE_TONE_ADDR + i] = uint8_t(int8_t(std::lround(SYNTH_WAVE_TONE_PEAK * std::sin(phase))));
    }
}

void synth_driver_command_table(uint8_t* driver_image) {
    uint8_t* bank = driver_image + 0x10000;
    bank[0] = uint8_t(SYNTH_COMMAND_TABLE);
    bank[1] = uint8_t(SYNTH_COMMAND_TABLE >> 8);
    for (uint32_t n = 0; n < 0x800; n++) {
        uint8_t* entry = bank + SYNTH_COMMAND_TABLE + 3 * n;
        uint32_t sequence = SYNTH_SEQUENCE_BASE + 16 * n;
        entry[0] = uint8_t(sequence);
        entry[1] = uint8_t(sequence >> 8);
        entry[2] = uint8_t(SYNTH_SEQUENCE_BANK);
    }
}

void synth_driver_id_bytes(uint8_t* driver_image, uint8_t byte2, uint8_t byte3) {
    driver_image[2] = byte2;
    driver_image[3] = byte3;
}
