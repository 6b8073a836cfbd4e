// The sprite tables of the synthetic program ROM: tile words computed from the tile
// number (synth_rom_tables.h gives the rules), the eight size multipliers, and the disc
// and panel tiles of the sprite ROM.
#include "tests/support/synth_rom_tables.h"

#include <cstring>

namespace {

void tile_table(synth_rom_set* set, uint32_t address, int table) {
    for (uint32_t tile = 0; tile < SYNTH_SPRITE_TILES; tile++)
        synth_put16(set, address + 2 * tile, synth_sprite_tile_word(table, tile));
}

}  // namespace

void synth_sprite_tile_table_1(synth_rom_set* set) {
    tile_table(set, 0xB79C0, 1);
}

void synth_sprite_tile_table_2(synth_rom_set* set) {
    tile_table(set, 0xB7DBC, 2);
}

void synth_sprite_tile_table_3(synth_rom_set* set) {
    tile_table(set, 0xB81B8, 3);
}

void synth_sprite_size_multipliers(synth_rom_set* set) {
    for (uint32_t i = 0; i < 8; i++) synth_put32(set, 0x3AC14 + 4 * i, uint32_t(SYNTH_SPRITE_SIZE_MULTIPLIER[i]));
}

void synth_sprite_disc_tiles(synth_rom_set* set) {
    for (uint32_t k = 0; k < SYNTH_SPRITE_DISC_COUNT; k++) {
        uint8_t* tile = set->sprite + size_t(SYNTH_SPRITE_DISC_TILE + k) * 1024;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++) {
                int d2 = (2 * x - 31) * (2 * x - 31) + (2 * y - 31) * (2 * y - 31);
                tile[32 * y + x] = d2 > 31 * 31 ? 255 : uint8_t(1 + (d2 / 160 + k) % 7);
            }
    }
}

void synth_sprite_panel_tile(synth_rom_set* set) {
    uint8_t* tile = set->sprite + size_t(SYNTH_SPRITE_PANEL_TILE) * 1024;
    for (int y = 0; y < 32; y++) memset(tile + 32 * y, y / 4 % 2 ? 160 : 40, 32);
}
