#include "render/graphics_rom.h"

#include "base/rom_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t* texture_rom = nullptr;
uint8_t* texture_tilemap = nullptr;

namespace {
constexpr size_t CG_FILE_SIZE = 0x200000;
constexpr size_t TILE_NUMBERS_SIZE = 0x200000;
constexpr size_t TILE_ATTRS_SIZE = 0x80000;
constexpr uint32_t TILE_ENTRIES = 0x100000;

// Cleared by the tile-map fix-up: attribute bit 0 then no longer selects the upper tiles.
bool attr_upper_tiles = true;

uint32_t tile_number(uint32_t e) {
    return uint32_t(texture_tilemap[2 * e]) | uint32_t(texture_tilemap[2 * e + 1]) << 8;
}

uint32_t tile_attr(uint32_t e) {
    uint8_t pair = texture_tilemap[TILE_NUMBERS_SIZE + (e >> 1)];
    return (e & 1) ? pair & 15u : pair >> 4;
}
}  // namespace

bool rom_file_read_2mb(const char* dir, const char* name, void* buf) {
    long got = rom_read_upto(dir, name, buf, TILE_NUMBERS_SIZE);
    if (got < 0) return false;
    if (got == 0 || size_t(got) % 0x80000 != 0) {
        rom_short_read_report(dir, name, size_t(got), TILE_NUMBERS_SIZE);
        return false;
    }
    memset(static_cast<uint8_t*>(buf) + got, 0, TILE_NUMBERS_SIZE - size_t(got));
    return true;
}

int texture_rom_load(const char* dir, const char* const cg_names[8], const char* tile_name,
                     const char* attr_name) {
    if (!texture_rom) texture_rom = static_cast<uint8_t*>(calloc(TEXTURE_ROM_SIZE, 1));
    if (!texture_tilemap) texture_tilemap = static_cast<uint8_t*>(calloc(TEXTURE_TILEMAP_SIZE, 1));
    if (!texture_rom || !texture_tilemap) return 0;
    for (int i = 0; i < 8; i++) {
        if (cg_names[i] && !rom_read_at(dir, cg_names[i], texture_rom, i * CG_FILE_SIZE, CG_FILE_SIZE))
            return 0;
    }
    if (!rom_file_read_2mb(dir, tile_name, texture_tilemap)) return 0;
    return rom_read_at(dir, attr_name, texture_tilemap, TILE_NUMBERS_SIZE, TILE_ATTRS_SIZE) ? 1 : 0;
}

namespace {
// The tile number of entry e with attribute bit 0's upper tiles, and the attribute.
uint32_t tile_number_resolved(uint32_t e, uint32_t* attr) {
    *attr = tile_attr(e);
    uint32_t t = tile_number(e);
    return (*attr & 1) && attr_upper_tiles ? t + 0x10000 : t;
}

texel_tile tile_of(uint32_t number, uint32_t attr) {
    return {texture_rom + size_t(number) * 256, (attr & 2) != 0, (attr & 4) != 0, (attr & 8) != 0};
}
}  // namespace

texel_tile texel_tile_at(uint32_t entry) {
    if (!texture_rom || !texture_tilemap) return {nullptr, false, false, false};
    uint32_t attr, t = tile_number_resolved(entry, &attr);
    if (size_t(t) * 256 >= TEXTURE_ROM_SIZE) return {nullptr, false, false, false};
    return tile_of(t, attr);
}

uint32_t texel_offset(uint32_t bank, uint32_t u, uint32_t v) {
    if (!texture_tilemap) return uint32_t(TEXTURE_ROM_SIZE);
    uint32_t attr, t = tile_number_resolved(texel_tile_entry(bank, u, v), &attr);
    return t * 256 + texel_tile_offset(tile_of(0, attr), v & 15, u & 15);
}

uint8_t texel_fetch(uint32_t bank, uint32_t u, uint32_t v) {
    texel_tile t = texel_tile_at(texel_tile_entry(bank, u, v));
    return t.bytes ? t.bytes[texel_tile_offset(t, v & 15, u & 15)] : 0;
}

uint8_t texel_colour_index(uint32_t format, int rom_byte) {
    uint32_t base = 0, index = 0, byte = uint32_t(rom_byte) & 0xFF;
    if (format & 4) {
        base = 236;
        index = byte >> ((3 - (format & 3)) * 2) & 3;
    } else if (format & 2) {
        base = 224;
        index = (format & 1) ? byte & 15 : byte >> 4;
    } else {
        return uint8_t(rom_byte < 0 ? 0 : byte);
    }
    if (format & 8) base += 16;
    return uint8_t(rom_byte < 0 ? base : base + index);
}

void texture_tilemap_fixup() {
    if (!texture_tilemap) return;
    for (uint32_t e = 0; e < TILE_ENTRIES; e++) {
        if (tile_attr(e) & 1) continue;
        uint8_t& high = texture_tilemap[2 * e + 1];
        high = uint8_t((high & 0x3F) | 0x80);
    }
    attr_upper_tiles = false;
}
