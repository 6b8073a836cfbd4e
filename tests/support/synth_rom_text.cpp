#include "tests/support/synth_rom_tables.h"

#include "board/text_print.h"

#include <cstring>

uint8_t synth_block_tile_byte(uint32_t tile, uint32_t i) {
    return uint8_t(tile * 13 + i * 7 + (tile >> 8));
}

void synth_block_tiles(synth_rom_set* set) {
    for (uint32_t t = 0; t < SYNTH_BLOCK_TILES; t++)
        for (uint32_t i = 0; i < 128; i++) synth_put8(set, BLOCK_TILE_DATA + 128 * t + i, synth_block_tile_byte(t, i));
}

void synth_block_put(synth_rom_set* set, const synth_block& b) {
    uint32_t at = BLOCK_TABLE + 16 * uint32_t(b.number);
    synth_rom_entries_of("synth_block_table");
    synth_put32(set, at, uint32_t(b.source));
    synth_put32(set, at + 4, uint32_t(b.width));
    synth_put32(set, at + 8, uint32_t(b.height));
    synth_put32(set, at + 12, b.colour_set);
    synth_rom_entries_of(nullptr);
}

void synth_block_table(synth_rom_set* set) {
    for (int n = 0; n < SYNTH_BLOCK_RECORDS; n++) {
        synth_block b = {n, 0, 1, 1, 0};
        if (n >= 32 && n <= 40) b = synth_digit_block(n);
        for (const synth_block& named : SYNTH_BLOCKS)
            if (named.number == n) b = named;
        synth_block_put(set, b);
    }
}

void synth_message_blocks(synth_rom_set* set) {
    for (uint32_t m = 0; m < 8; m++) synth_put32(set, 0x354D4 + 4 * m, uint32_t(SYNTH_MESSAGE_BLOCKS[m]));
}

void synth_lamp_patterns(synth_rom_set* set) {
    for (uint32_t p = 0; p < 2; p++)
        for (uint32_t i = 0; i < 8; i++) synth_put16(set, 0x373D8 + 2 * (8 * p + i), SYNTH_LAMP_PATTERNS[p][i]);
}

void synth_lamp_label(synth_rom_set* set) {
    for (uint32_t i = 0; i <= strlen(SYNTH_LAMP_LABEL); i++) synth_put8(set, 0x3ABB2 + i, uint8_t(SYNTH_LAMP_LABEL[i]));
}

void synth_test_strings(synth_rom_set* set) {
    const char* ten = "ABCDEFGHIJ";
    for (uint32_t i = 0; i <= strlen(ten); i++) synth_put8(set, SYNTH_STRING_TEN + i, uint8_t(ten[i]));
    for (uint32_t i = 0; i < SYNTH_STRING_LONG_LEN; i++) synth_put8(set, SYNTH_STRING_LONG + i, uint8_t('a' + i % 26));
    synth_put8(set, SYNTH_STRING_LONG + SYNTH_STRING_LONG_LEN, 0);
}

void synth_title_prompt_text(synth_rom_set* set) {
    for (uint32_t i = 0; i <= strlen(SYNTH_TITLE_TEXT); i++) synth_put8(set, 0x03ACD4 + i, uint8_t(SYNTH_TITLE_TEXT[i]));
}
