#include "tests/support/synth_rom_tables.h"

void synth_boot_text_list(synth_rom_set* set) {
    constexpr uint32_t list = 0x1C0E4;
    synth_put16(set, list, SYNTH_BOOT_TEXT_COLUMN);
    synth_put16(set, list + 2, SYNTH_BOOT_TEXT_ROW);
    synth_put16(set, list + 4, 128);  // one text row
    synth_put16(set, list + 6, 1);    // the runs row, twice
    synth_put32(set, list + 8, SYNTH_BOOT_TEXT_RUNS);
    synth_put16(set, list + 12, 0);   // the literal row, once
    synth_put32(set, list + 14, SYNTH_BOOT_TEXT_LITERAL);
    synth_put16(set, list + 18, 0xFFFF);

    synth_put16(set, SYNTH_BOOT_TEXT_RUNS, 0);
    synth_put16(set, SYNTH_BOOT_TEXT_RUNS + 2, 2);
    synth_put16(set, SYNTH_BOOT_TEXT_RUNS + 4, SYNTH_BOOT_TEXT_CELLS[0]);
    synth_put16(set, SYNTH_BOOT_TEXT_RUNS + 6, 0);
    synth_put16(set, SYNTH_BOOT_TEXT_RUNS + 8, SYNTH_BOOT_TEXT_CELLS[1]);
    synth_put16(set, SYNTH_BOOT_TEXT_RUNS + 10, 0x8000);

    synth_put16(set, SYNTH_BOOT_TEXT_LITERAL, 1);
    synth_put16(set, SYNTH_BOOT_TEXT_LITERAL + 2, 3);
    for (uint32_t i = 0; i < 4; i++) synth_put16(set, SYNTH_BOOT_TEXT_LITERAL + 4 + 2 * i, SYNTH_BOOT_TEXT_CELLS[2 + i]);
}

void synth_title_text_registers(synth_rom_set* set) {
    static const uint16_t registers[4] = {860, 0, 110, 0};
    for (uint32_t i = 0; i < 4; i++) synth_put16(set, SYNTH_TITLE_TEXT_REGISTERS + 2 * i, registers[i]);
}

void synth_title_tiles(synth_rom_set* set) {
    for (uint32_t i = 0; i < 0x4000; i++) synth_put8(set, SYNTH_TITLE_TILES + i, 0xFF);
}

void synth_title_palette(synth_rom_set* set) {
    for (uint32_t plane = 0; plane < 3; plane++)
        for (uint32_t j = 0; j < 256; j++) synth_put8(set, SYNTH_TITLE_PALETTE + 256 * plane + j, uint8_t((j & 15) * 17));
}
