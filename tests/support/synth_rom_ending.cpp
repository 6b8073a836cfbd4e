#include "tests/support/synth_rom_tables.h"

#include <cstring>

void synth_ending_phase_ends(synth_rom_set* set) {
    synth_put16(set, 0x37A60, uint16_t(SYNTH_ENDING_WORD_BEFORE));
    for (uint32_t p = 0; p < 12; p++) synth_put16(set, 0x37A62 + 2 * p, uint16_t(SYNTH_PHASE_ENDS[p]));
}

void synth_ending_roll(synth_rom_set* set) {
    uint32_t at = 0x38560, text = 0x39100;
    for (const synth_roll_record& r : SYNTH_ROLL_RECORDS) {
        synth_put32(set, at, uint32_t(r.first));
        synth_put32(set, at + 4, uint32_t(r.length));
        synth_put16(set, at + 8, uint16_t(r.column));
        synth_put16(set, at + 10, uint16_t(r.palette));
        synth_put32(set, at + 12, text);
        synth_put16(set, at + 16, r.model);
        synth_put16(set, at + 18, r.kind);
        size_t n = strlen(r.text);
        for (size_t k = 0; k <= n; k++) synth_put8(set, text + uint32_t(k), uint8_t(r.text[k]));
        text += uint32_t(n + 1);
        at += 20;
    }
    synth_put32(set, at, 0xFFFFFFFFu);
    for (uint32_t k = 0; k < 3; k++) synth_put16(set, 0x39078 + 2 * k, SYNTH_ROLL_COLOURS[k]);
}
