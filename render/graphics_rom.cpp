#include "render/graphics_rom.h"

#include "host/rom_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t* texture_rom = nullptr;
uint8_t* texture_tilemap = nullptr;

namespace {
constexpr size_t CG_FILE_SIZE = 0x200000;
constexpr size_t TILE_NUMBERS_SIZE = 0x200000;
constexpr size_t TILE_ATTRS_SIZE = 0x80000;
}  // namespace

bool rom_file_read(const char* dir, const char* name, void* buf, size_t len) {
    return rom_read_at(dir, name, buf, 0, len);
}

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
        if (cg_names[i] && !rom_file_read(dir, cg_names[i], texture_rom + i * CG_FILE_SIZE, CG_FILE_SIZE))
            return 0;
    }
    if (!rom_file_read_2mb(dir, tile_name, texture_tilemap)) return 0;
    return rom_file_read(dir, attr_name, texture_tilemap + TILE_NUMBERS_SIZE, TILE_ATTRS_SIZE) ? 1 : 0;
}
