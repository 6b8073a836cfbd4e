#include "host/rom_loader.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "host/rom_set.h"
#include "render/graphics_rom.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

constexpr size_t PROGRAM_FILE_SIZE = 0x100000;
constexpr size_t POINT_FILE_WORDS = 0x80000;
constexpr uintptr_t ROM_MAP_ADDRESS = 0x10000;
constexpr size_t ROM_MAP_SIZE = 0x3F0000;

uint32_t point_rom_image[POINT_ROM_WORDS];
void* rom_map = nullptr;

// Program ROM files in table order hold bytes 3, 2, 1, 0 of each big-endian long.
bool program_rom_load(const char* dir) {
    uint8_t* parts[4] = {};
    bool ok = true;
    for (int i = 0; i < 4 && ok; i++) {
        parts[i] = static_cast<uint8_t*>(malloc(PROGRAM_FILE_SIZE));
        ok = parts[i] && rom_read_at(dir, rom_table[i].name, parts[i], 0, PROGRAM_FILE_SIZE);
    }
    if (ok) {
        for (size_t i = 0; i < PROGRAM_FILE_SIZE; i++)
            for (int b = 0; b < 4; b++) program_rom[4 * i + size_t(3 - b)] = parts[b][i];
    }
    for (uint8_t* p : parts) free(p);
    if (!ok) fprintf(stderr, "FATAL: Program ROM load failed\n");
    return ok;
}

// A copy of the ROM from 0x10000 on at the same host address, for code that follows
// ROM addresses as pointers. Never replaces an existing mapping; optional.
void rom_map_create() {
    if (!rom_map) {
        void* want = reinterpret_cast<void*>(ROM_MAP_ADDRESS);
        void* got = mmap(want, ROM_MAP_SIZE, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (got != MAP_FAILED && got != want) munmap(got, ROM_MAP_SIZE);  // kernel took it as a hint
        if (got != want) {
            fprintf(stderr, "WARNING: Cannot map ROM at 0x%zX — transpiled code may crash\n",
                    size_t(ROM_MAP_ADDRESS));
            return;
        }
        rom_map = got;
    }
    memcpy(rom_map, program_rom + ROM_MAP_ADDRESS, ROM_MAP_SIZE);
    printf("  ROM mapped at %p-%p (M68K address space, big-endian)\n", rom_map,
           static_cast<void*>(static_cast<uint8_t*>(rom_map) + ROM_MAP_SIZE - 1));
}

// Nine files: low, middle and high bytes, each in three ranges of 0x80000 words.
bool point_rom_load(const char* dir) {
    point_rom = nullptr;
    point_rom_count = 0;
    uint8_t* planes[3] = {};
    bool ok = true;
    for (int p = 0; p < 3 && ok; p++) {
        planes[p] = static_cast<uint8_t*>(calloc(POINT_ROM_WORDS, 1));
        ok = planes[p] != nullptr;
        for (int r = 0; r < 3 && ok; r++)
            ok = rom_read_at(dir, rom_table[4 + 3 * p + r].name, planes[p], r * POINT_FILE_WORDS,
                             POINT_FILE_WORDS);
    }
    if (ok) {
        for (uint32_t i = 0; i < POINT_ROM_WORDS; i++)
            point_rom_image[i] = uint32_t(planes[2][i]) << 16 | uint32_t(planes[1][i]) << 8 | planes[0][i];
        printf("  Point ROM: %u entries (%.1f MB)\n", POINT_ROM_WORDS, POINT_ROM_WORDS * 4 / 1048576.0);
        point_rom = point_rom_image;
        point_rom_count = POINT_ROM_WORDS;
    }
    for (uint8_t* p : planes) free(p);
    return ok;
}

bool sprite_rom_load(const char* dir) {
    static uint8_t* image = nullptr;
    if (!image) image = static_cast<uint8_t*>(calloc(SPRITE_ROM_SIZE, 1));
    if (!image) return false;
    bool ok = rom_read_at(dir, rom_table[23].name, image, 0, SPRITE_ROM_SIZE / 2) &&
              rom_read_at(dir, rom_table[24].name, image, SPRITE_ROM_SIZE / 2, SPRITE_ROM_SIZE / 2);
    sprite_rom = image;
    sprite_rom_size = SPRITE_ROM_SIZE;
    if (ok) printf("  Sprite ROM: %d tiles (4 MB)\n", 4096);
    return ok;
}

}  // namespace

bool load_roms(const char* dir) {
    printf("Loading ROMs from: %s\n", dir);
    if (!program_rom_load(dir)) return false;
    uint32_t sp = load_be32(program_rom), pc = load_be32(program_rom + 4);
    printf("  Program ROM: SP=0x%08X PC=0x%08X %s\n", sp, pc,
           sp == 0x00E20000 && pc == 0x0000BC4C ? "OK" : "MISMATCH!");
    if (!env_present("SKYVOLTA_NO_ROMMAP")) rom_map_create();

    bool points = point_rom_load(dir);
    const char* cg_names[8];
    for (int i = 0; i < 8; i++) cg_names[i] = rom_table[13 + i].name;
    bool textures = texture_rom_load(dir, cg_names, rom_table[21].name, rom_table[22].name);
    if (textures) printf("  Texture ROM: %d tiles (16 MB)\n  Texture tilemap: 2.5 MB\n", 65536);
    bool sprites = sprite_rom_load(dir);
    if (!(points && textures && sprites))
        fprintf(stderr, "WARNING: Some asset ROMs failed to load, 3D will be unavailable\n");
    printf("ROM loading complete\n");
    return true;
}
