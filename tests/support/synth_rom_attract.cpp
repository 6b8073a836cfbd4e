// The tables of the attract scenes (constants and layout in synth_rom_tables.h).
#include "tests/support/synth_rom_tables.h"

#include "board/text_print.h"

void synth_attract_scene_list(synth_rom_set* set) {
    for (uint32_t k = 0; k < 16; k++) synth_put16(set, 0x3510C + 2 * k, uint16_t(SYNTH_ATTRACT_SCENES[k]));
}

void synth_attract_demo_tables(synth_rom_set* set) {
    for (uint32_t kind = 0; kind < 2; kind++) {
        synth_put8(set, 0x35354 + 2 * kind, uint8_t(SYNTH_CLOSING_FRAMES[kind]));
        synth_put8(set, 0x35358 + 2 * kind, uint8_t(SYNTH_CLOSING_LENGTHS[kind]));
    }
    synth_put32s(set, 0x35394, SYNTH_DEMO_SEGMENTS, 4);
    synth_put32(set, 0x353A4, uint32_t(SYNTH_DEMO_TEXT_1));
    synth_put32s(set, 0x353A8, SYNTH_DEMO_NUMBERS, 3);
    synth_put32(set, 0x353B4, uint32_t(SYNTH_DEMO_TEXT_5));
    synth_put32s(set, 0x353B8, SYNTH_MODEL_A_SEGMENTS, 5);
    synth_put32s(set, 0x353CC, SYNTH_MODEL_A_TEXTS, 5);
    synth_put32s(set, 0x353E0, SYNTH_MODEL_A_BLOCKS, 5);
    synth_put32s(set, 0x353F4, SYNTH_MODEL_B_SEGMENTS, 10);
    synth_put32s(set, 0x3541C, SYNTH_MODEL_B_TEXTS, 5);
    synth_put32s(set, 0x35430, SYNTH_MODEL_B_DEMOS, 5);
    synth_put32s(set, 0x35484, SYNTH_MODEL_B_BLOCKS, 4);
}

void synth_course_demo_tables(synth_rom_set* set) {
    synth_put32s(set, 0x39858, SYNTH_COURSE_DEMO_THRESHOLDS, 5);
    for (uint32_t c = 0; c < 4; c++) synth_put32s(set, 0x3986C + 28 * c, SYNTH_COURSE_DEMO_CAMERAS[c], 7);
}

void synth_reveal_masks(synth_rom_set* set) {
    for (uint32_t k = 0; k < 24; k++) synth_put8(set, 0x398DC + k, synth_reveal_mask(int32_t(k)));
}

void synth_replay_tables(synth_rom_set* set) {
    for (uint32_t q = 0; q < 4; q++) synth_put32s(set, 0x39D38 + 16 * q, SYNTH_REPLAY_VALUES[q], 4);
    for (uint32_t s = 0; s < 3; s++) synth_put8(set, 0x39D78 + s, SYNTH_REPLAY_MOVES[s]);
}

void synth_replay_marker_bytes(synth_rom_set* set) {
    for (uint32_t k = 0; k < 16; k++) synth_put8(set, 0x39DE8 + 4 * k, uint8_t(k & 3));
}

void synth_demo_closing_text(synth_rom_set* set) {
    synth_put_string(set, 0x3A214, SYNTH_DEMO_CLOSING_TEXT);
}

void synth_attract_blocks(synth_rom_set* set) {
    for (int32_t n = SYNTH_LETTER_BLOCKS_FIRST; n <= SYNTH_LETTER_BLOCKS_LAST; n++)
        synth_block_put(set, {n, SYNTH_LETTER_BLOCK_SOURCE + 4 * (n - SYNTH_LETTER_BLOCKS_FIRST), 2, 2, 9});
    for (int32_t s = 0; s < 10; s++) synth_block_put(set, {288 + s, SYNTH_LETTER_BLOCK_SOURCE + 4 * s, 2, 2, 9});
    for (const synth_block& b : SYNTH_ATTRACT_BLOCKS) synth_block_put(set, b);
}
