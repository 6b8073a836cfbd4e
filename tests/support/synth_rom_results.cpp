#include "tests/support/synth_rom_tables.h"

void synth_grade_thresholds(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++)
        for (uint32_t i = 0; i < 5; i++) synth_put32(set, 0x15C478 + 32 * c + 4 * i, uint32_t(SYNTH_GRADE_THRESHOLDS[c][i]));
}

void synth_needle_targets(synth_rom_set* set) {
    for (int g = 0; g <= 5; g++) synth_put16(set, 0x37508 + 2 * uint32_t(g), uint16_t(synth_needle_target(g)));
}

void synth_final_texts(synth_rom_set* set) {
    for (uint32_t g = 0; g <= 5; g++) {
        const uint32_t record[4] = {262 + g % 2, 12, 21, 576 + 64 * (g % 2)};
        for (uint32_t k = 0; k < 4; k++) synth_put32(set, 0x375FC + 16 * g + 4 * k, record[k]);
    }
}

void synth_results_map_frames(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++)
        for (uint32_t k = 0; k < 8; k++) {
            uint32_t at = 0x3757C + 32 * c + 4 * k;
            if (at >= 0x375C0 && at < 0x375D8) continue;  // the hit sets' field masks
            synth_put32(set, at, uint32_t(k == 2 ? 848 : SYNTH_COURSE_FRAME[k]));
        }
}

void synth_continue_times(synth_rom_set* set) {
    for (uint32_t i = 0; i < 3; i++) synth_put32(set, 0x15C4FC + 4 * i, uint32_t(SYNTH_CONTINUE_TIMES[i]));
}

void synth_cycle_entry(synth_rom_set* set) {
    synth_put16(set, 0x37958, SYNTH_CYCLE_ENTRY);
}

void synth_results_blocks(synth_rom_set* set) {
    const synth_block named[] = {
        {183, 1000, 16, 2, 2}, {212, 1040, 14, 2, 3},  {227, 1070, 12, 2, 3}, {261, 1100, 2, 3, 0},
        {262, 1110, 14, 2, 4}, {263, 1140, 14, 2, 5},  {298, 1200, 16, 2, 7},
        {283, 1240, 10, 3, 4}, {284, 1280, 10, 3, 5},  {285, 1320, 10, 3, 6}, {286, 1360, 10, 3, 7},
    };
    for (const synth_block& b : named) synth_block_put(set, b);
    for (int32_t d = 0; d < 10; d++) {
        synth_block_put(set, {230 + d, 1400 + 4 * d, 2, 2, 0});
        synth_block_put(set, {251 + d, 1450 + 6 * d, 2, 3, 2});
    }
}

void synth_screen_sprite_tiles(synth_rom_set* set) {
    constexpr uint16_t ONE_CELL = 0x11;  // one row, one column
    constexpr uint16_t NO_DEPTH_CUE = 0x80;  // a screen's sprites keep their colours under fog
    auto one_cell = [&](int16_t tile, uint32_t rom_tile, uint32_t colour_tile) {
        synth_rom_entries_of("synth_sprite_tile_table_1");
        synth_put16(set, 0xB79C0 + 2 * uint32_t(tile), ONE_CELL);
        synth_rom_entries_of("synth_sprite_tile_table_2");
        synth_put16(set, 0xB7DBC + 2 * uint32_t(tile), uint16_t(rom_tile));
        synth_rom_entries_of("synth_sprite_tile_table_3");
        synth_put16(set, 0xB81B8 + 2 * uint32_t(tile), synth_sprite_tile_word(3, colour_tile) | NO_DEPTH_CUE);
        synth_rom_entries_of(nullptr);
    };
    for (int16_t tile : SYNTH_SCREEN_SPRITE_TILES)
        one_cell(tile, SYNTH_SPRITE_DISC_TILE + uint32_t(tile) % 4, uint32_t(tile));
    for (int16_t tile : SYNTH_PANEL_SPRITE_TILES)
        one_cell(tile, SYNTH_SPRITE_PANEL_TILE, uint32_t(SYNTH_PANEL_SPRITE_TILES[0]));
}
