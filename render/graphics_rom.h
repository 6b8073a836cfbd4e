// The texture ROM (65,536 tiles of 16x16 one-byte texels) and its tile map.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t TEXTURE_ROM_SIZE = 0x1000000;
constexpr size_t TEXTURE_TILEMAP_SIZE = 0x280000;

// Null until the first load allocates them; zero-filled, alive for the whole run.
extern uint8_t* texture_rom;
extern uint8_t* texture_tilemap;

// Reads the eight 2 MB CG files in order, then the tile numbers (up to 2 MB, a nonzero
// multiple of 512 KB) and the 512 KB of attributes. 1 when every file was read, else 0.
int texture_rom_load(const char* dir, const char* const cg_names[8], const char* tile_name,
                     const char* attr_name);

// Reads up to 2 MB; succeeds on a nonzero multiple of 512 KB and zero-fills the rest.
bool rom_file_read_2mb(const char* dir, const char* name, void* buf);

// Tile-map entry of texel (u, v) in bank k: 16 banks of 256 x 256 tiles.
inline uint32_t texel_tile_entry(uint32_t bank, uint32_t u, uint32_t v) {
    return (bank & 15) << 16 | (v & 0xFFF) >> 4 << 8 | (u & 0xFFF) >> 4;
}

// One tile of the tile map as a reader sees it: its 256 ROM bytes (null for a tile
// beyond the texture ROM, or while an image is missing) and its flips and exchange.
struct texel_tile {
    const uint8_t* bytes;
    bool flip_rows, flip_cols, swap;
};
texel_tile texel_tile_at(uint32_t entry);

// Offset within a tile's bytes of texel row r and column c (0..15).
inline uint32_t texel_tile_offset(const texel_tile& t, uint32_t r, uint32_t c) {
    if (t.flip_rows) r = 15 - r;
    if (t.flip_cols) c = 15 - c;
    return t.swap ? c * 16 + r : r * 16 + c;
}

// Byte offset of texel (u, v) of bank k in texture_rom through the tile map: the tile
// number, attribute bit 0 (+0x10000 tiles), the flips (bits 1 and 2) and the
// row/column exchange (bit 3). An offset of TEXTURE_ROM_SIZE or more holds no ROM byte
// (the reader takes its base colour); so does every texel while the tile map is missing.
uint32_t texel_offset(uint32_t bank, uint32_t u, uint32_t v);

// The ROM byte of texel (u, v) of bank k, or 0 when the images are missing or the
// tile lies beyond the texture ROM.
uint8_t texel_fetch(uint32_t bank, uint32_t u, uint32_t v);

// The colour index of a texel of format f (4 bits) from its ROM byte, or from no byte
// (rom_byte < 0): bit 2 picks one of four 2-bit fields (base 236), else bit 1 one of
// two nibbles (base 224), else the whole byte (base 0); bit 3 adds 16 to the 2- and
// 4-bit bases. A texel without a ROM byte takes the base itself.
uint8_t texel_colour_index(uint32_t format, int rom_byte);

// Board fix-up of the tile map, kept for captured tile maps that need it: every entry
// whose attribute bit 0 is clear gets tile high byte (high & 0x3F) | 0x80, and
// attribute bit 0 stops adding 0x10000 tiles for the rest of the run.
void texture_tilemap_fixup();
