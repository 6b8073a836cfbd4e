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

// Reads "dir/name" into buf; succeeds only when exactly len bytes were read.
bool rom_file_read(const char* dir, const char* name, void* buf, size_t len);

// Reads up to 2 MB; succeeds on a nonzero multiple of 512 KB and zero-fills the rest.
bool rom_file_read_2mb(const char* dir, const char* name, void* buf);
