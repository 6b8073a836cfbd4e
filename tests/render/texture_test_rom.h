// A synthetic texture ROM and tile map for the texture tests, and a texel-by-texel
// reference of the texel address rule and the texel formats to check bakes against.
#pragma once
#include "render/graphics_rom.h"
#include "render/palette_source.h"

#include <cstdint>
#include <cstdlib>

// Scrambled tile numbers, every flip and exchange attribute in bank 0, and bank 3
// wholly made of tiles beyond the ROM (attribute bit 0).
inline void texture_test_rom_fill() {
    if (!texture_rom) texture_rom = static_cast<uint8_t*>(calloc(TEXTURE_ROM_SIZE, 1));
    if (!texture_tilemap) texture_tilemap = static_cast<uint8_t*>(calloc(TEXTURE_TILEMAP_SIZE, 1));
    for (uint32_t i = 0; i < TEXTURE_ROM_SIZE; ++i) texture_rom[i] = uint8_t(i ^ (i >> 8) * 13 ^ (i >> 16) * 101);
    for (uint32_t e = 0; e < 0x100000; ++e) {
        uint32_t tile = (e * 7 + 3) & 0xFFFF;
        texture_tilemap[2 * e] = uint8_t(tile);
        texture_tilemap[2 * e + 1] = uint8_t(tile >> 8);
        uint32_t attr = (e >> 16) == 3 ? 1 : (e % 9 == 4) ? 1 : (e * 5 >> 2) & 14;
        uint8_t& pair = texture_tilemap[0x200000 + (e >> 1)];
        pair = (e & 1) ? uint8_t((pair & 0xF0) | attr) : uint8_t((pair & 0x0F) | attr << 4);
    }
}

// Palette p, entry i: (i, 255 - i, 2p), with entry 7 of palette 5 pure black.
inline void texture_test_palette_fill() {
    for (int p = 0; p < 128; ++p)
        for (int i = 0; i < 256; ++i) {
            uint8_t* rgb = palette_3d + (p * 256 + i) * 3;
            rgb[0] = uint8_t(i);
            rgb[1] = uint8_t(255 - i);
            rgb[2] = uint8_t(2 * p);
        }
    uint8_t* black = palette_3d + (5 * 256 + 7) * 3;
    black[0] = black[1] = black[2] = 0;
}

// The ROM byte of texel (u, v) of a bank, or -1 where the address lies beyond the ROM.
inline int ref_texel_byte(int bank, int u, int v) {
    u &= 0xFFF;
    v &= 0xFFF;
    uint32_t e = uint32_t(bank & 15) << 16 | uint32_t(v >> 4) << 8 | uint32_t(u >> 4);
    uint32_t t = texture_tilemap[2 * e] | texture_tilemap[2 * e + 1] << 8;
    uint8_t pair = texture_tilemap[0x200000 + (e >> 1)];
    uint32_t a = (e & 1) ? pair & 15 : pair >> 4;
    if (a & 1) t += 0x10000;
    int r = v & 15, c = u & 15;
    if (a & 2) r = 15 - r;
    if (a & 4) c = 15 - c;
    uint32_t off = t * 256 + ((a & 8) ? c * 16 + r : r * 16 + c);
    return off < TEXTURE_ROM_SIZE ? texture_rom[off] : -1;
}

inline int ref_colour_index(int format, int byte) {
    int base = 0, index = byte;
    if (format & 4) {
        base = 236 + ((format & 8) ? 16 : 0);
        index = byte >> ((3 - (format & 3)) * 2) & 3;
    } else if (format & 2) {
        base = 224 + ((format & 8) ? 16 : 0);
        index = (format & 1) ? byte & 15 : byte >> 4;
    }
    return byte < 0 ? base : (base + index) & 0xFF;
}

// The RGBA texel a bake must hold for texel (u, v), as one little-endian word.
inline uint32_t ref_texel_rgba(int bank, int u, int v, int format, int palette, uint32_t mode) {
    int i = ref_colour_index(format, ref_texel_byte(bank, u, v));
    const uint8_t* rgb = palette_3d + ((palette & 0x7F) * 256 + i) * 3;
    if (mode == 0 && (i == 0 || (rgb[0] | rgb[1] | rgb[2]) == 0)) return 0;
    return uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16 | 0xFF000000u;
}

inline uint32_t rgba_at(const uint8_t* texels, size_t stride, int x, int y) {
    const uint8_t* p = texels + size_t(y) * stride + size_t(x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
