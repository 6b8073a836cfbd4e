#include "tests/support/synth_rom_tables.h"

#include "board/area_environment.h"
#include "board/palette_mixer.h"
#include "board/video_setup.h"

#include <initializer_list>

uint16_t synth_colour_ramp_word(uint32_t i) {
    return uint16_t((255 - i) << 2 | (i & 3));
}

void synth_colour_ramp(synth_rom_set* set) {
    for (uint32_t i = 0; i < 256; i++) synth_put16(set, ROM_COLOUR_RAMP + 2 * i, synth_colour_ramp_word(i));
}

void synth_group127_triples(synth_rom_set* set) {
    for (uint32_t j = 0; j < 256; j++) {
        synth_put8(set, ROM_GROUP127_TRIPLES + 3 * j, uint8_t(j));
        synth_put8(set, ROM_GROUP127_TRIPLES + 3 * j + 1, uint8_t(255 - j));
        synth_put8(set, ROM_GROUP127_TRIPLES + 3 * j + 2, uint8_t(j ^ 0x55));
    }
}

void synth_group_colours(synth_rom_set* set) {
    for (uint32_t k = 0; k < 3; k++)
        for (uint32_t c = 0; c < 3; c++) {
            synth_put8(set, ROM_GROUP_COLOURS + 3 * k + c, SYNTH_GROUP_COLOURS[k][c]);
            synth_put8(set, ROM_ROW_COLOURS + 3 * k + c, SYNTH_ROW_COLOURS[k][c]);
        }
}

void synth_cz_tables(synth_rom_set* set) {
    for (uint32_t b = 0; b < 4; b++)
        for (uint32_t k = 0; k < 256; k++) synth_put16(set, ROM_CZ_TABLES + 0x200 * (3 - b) + 2 * k, uint16_t(0x1000 * b + k));
}

void synth_cgram_init(synth_rom_set* set) {
    synth_put16(set, ROM_CGRAM_INIT_COUNT, SYNTH_CGRAM_INIT_LONGS - 1);
    for (uint32_t i = 0; i < SYNTH_CGRAM_INIT_LONGS; i++) synth_put32(set, ROM_CGRAM_INIT_DATA + 4 * i, 0xC0DE0000 + i);
}

void synth_colour_set_rgb(uint32_t set_number, uint32_t j, uint8_t* rgb) {
    rgb[0] = uint8_t(0x10 * set_number + j);
    rgb[1] = uint8_t(0x80 + j);
    rgb[2] = uint8_t(255 - set_number);
}

void synth_colour_sets(synth_rom_set* set) {
    for (uint32_t s : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 0x8E77u}) {
        for (uint32_t j = 0; j < 16; j++) {
            uint32_t at = ROM_COLOUR_SETS + 64 * s + 4 * j;
            uint8_t rgb[3];
            synth_colour_set_rgb(s, j, rgb);
            synth_put8(set, at, 0xEE);  // not read
            for (uint32_t c = 0; c < 3; c++) synth_put8(set, at + 1 + c, rgb[c]);
        }
    }
}

void synth_fog_records(synth_rom_set* set) {
    for (uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 8u}) {
        const synth_fog_record& f = SYNTH_FOG_RECORDS[n];
        const int16_t words[5] = {f.r, f.g, f.b, f.bias, f.fog_switch};
        for (uint32_t k = 0; k < 5; k++) synth_put16(set, ROM_FOG_RECORDS + 10 * n + 2 * k, uint16_t(words[k]));
    }
}

void synth_height_bias(synth_rom_set* set) {
    synth_put16(set, ROM_HEIGHT_BIAS_G, uint16_t(SYNTH_HEIGHT_BIAS_G));
    synth_put16(set, ROM_HEIGHT_BIAS_H, uint16_t(SYNTH_HEIGHT_BIAS_H));
}

void synth_area_entries(synth_rom_set* set) {
    for (uint32_t a = 0; a < 30; a++) {
        synth_area e = {int(a), 0, 1};
        for (const synth_area& named : SYNTH_AREAS)
            if (named.area == int(a)) e = named;
        synth_put16(set, ROM_AREA_ENTRIES + 4 * a, e.record);
        synth_put16(set, ROM_AREA_ENTRIES + 4 * a + 2, e.frames);
    }
}

void synth_cell_areas(synth_rom_set* set) {
    for (uint32_t course = 0; course < 4; course++) {
        for (uint32_t cell = 0; cell < 128; cell++) {
            int8_t a = 0;
            if (course == 0 && cell < 10) a = SYNTH_COURSE0_CELL_AREAS[cell];
            if (course == 2) a = cell == 10 || cell == 41 || cell == 76 ? 26 : 15;
            synth_put8(set, ROM_CELL_AREAS + 128 * course + cell, uint8_t(a));
        }
    }
}
