#include "tests/support/synth_rom_tables.h"

void synth_static_palette(synth_rom_set* set) {
    for (uint32_t k = 1; k < 128; k++) {
        uint32_t block = SYNTH_STATIC_PALETTE_ADDR + 0x300 * (k - 1);
        for (uint32_t j = 0; j < 256; j++) {
            uint8_t rgb[3];
            synth_static_palette_colour(k, j, rgb);
            for (uint32_t c = 0; c < 3; c++) synth_put8(set, block + 0x100 * c + j, rgb[c]);
        }
    }
}

void synth_static_palette_colour(uint32_t group, uint32_t entry, uint8_t* rgb) {
    rgb[0] = uint8_t(2 * group + 1);
    rgb[1] = uint8_t(entry);
    rgb[2] = uint8_t(group ^ entry);
}

void synth_palette_override(synth_rom_set* set) {
    synth_put16(set, SYNTH_PALETTE_OVERRIDE_COUNT_ADDR, SYNTH_PALETTE_OVERRIDE_GROUPS);
    for (uint32_t g = 0; g < SYNTH_PALETTE_OVERRIDE_GROUPS; g++) {
        for (uint32_t j = 0; j < 256; j++) {
            uint32_t at = SYNTH_PALETTE_OVERRIDE_ADDR + 0x300 * g + 3 * j;
            synth_put8(set, at, uint8_t(255 - j));
            synth_put8(set, at + 1, uint8_t(116 + g));
            synth_put8(set, at + 2, 0x5A);
        }
    }
}

void synth_event_records(synth_rom_set* set) {
    for (int32_t n = 0; n < SYNTH_EVENT_RECORDS; n++)
        for (uint32_t c = 0; c < 3; c++)
            synth_put32(set, SYNTH_EVENT_RECORDS_ADDR + 12 * uint32_t(n) + 4 * c, 0x5A5A0000u | synth_event_colour(n, c));
}
