// The tables of the intro, the mode select, the day card and the course select.
#include "tests/support/synth_rom_tables.h"

#include "board/text_print.h"

void synth_select_blocks(synth_rom_set* set) {
    for (const synth_block& b : SYNTH_SELECT_BLOCKS) synth_block_put(set, b);
}

void synth_mode_pointer(synth_rom_set* set) {
    for (uint32_t k = 0; k < 2; k++) synth_put32(set, 0x35080 + 4 * k, uint32_t(SYNTH_POINTER_TARGETS[k]));
    synth_put32(set, 0x35088, uint32_t(SYNTH_POINTER_BASE_Y));
}

void synth_course_map_frames(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++)
        for (uint32_t k = 0; k < 8; k++) synth_put32(set, 0x3508C + 32 * c + 4 * k, uint32_t(SYNTH_COURSE_FRAME[k]));
}

void synth_handle_hint_tiles(synth_rom_set* set) {
    for (uint32_t side = 0; side < 2; side++)
        for (uint32_t e = 0; e < 4; e++) synth_put16(set, 0x35190 + 8 * side + 2 * e, uint16_t(SYNTH_HANDLE_TILES[side][e]));
}

void synth_intro_starts(synth_rom_set* set) {
    for (uint32_t s = 0; s < 8; s++) synth_put32(set, 0x398F4 + 4 * s, uint32_t(SYNTH_INTRO_STARTS[s]));
}

void synth_intro_texts(synth_rom_set* set) {
    for (uint32_t s = 0; s < 7; s++) {
        synth_put32(set, 0x3991C + 4 * s, s == 0 ? 0xFF000000u : uint32_t(SYNTH_INTRO_TEXT_BLOCK) + s);
        synth_put32(set, 0x39938 + 8 * s, 2 + s);
        synth_put32(set, 0x3993C + 8 * s, 18);
    }
}

void synth_day_cards(synth_rom_set* set) {
    for (uint32_t d = 0; d < 4; d++) {
        synth_put32(set, 0x39970 + 4 * d, uint32_t(SYNTH_DAY_BLOCK) + d);
        synth_put32(set, 0x39984 + 8 * d, 6 + 2 * d);
        synth_put32(set, 0x39988 + 8 * d, 10);
    }
}
