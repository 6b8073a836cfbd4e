// Loads the ROM files of the set into the board's images: the program ROM (essential),
// the point ROM, the texture ROM and tile map, and the sprite ROM.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint32_t POINT_ROM_WORDS = 0x180000;
constexpr uint32_t SPRITE_ROM_SIZE = 0x400000;

// Point ROM: 24-bit words (high << 16 | middle << 8 | low); null and 0 until all nine
// files were read.
extern const uint32_t* point_rom;
extern uint32_t point_rom_count;

// Sprite ROM: 4,096 tiles, null until loaded.
extern const uint8_t* sprite_rom;
extern uint32_t sprite_rom_size;

// True when the program ROM was loaded, whatever happened to the other images.
bool load_roms(const char* dir);

// Reads exactly len bytes of "dir/name" into buf + offset; names the file on failure.
bool rom_read_at(const char* dir, const char* name, void* buf, size_t offset, size_t len);

// The one line that names a file shorter than a loader needs.
void rom_short_read_report(const char* dir, const char* name, size_t got, size_t want);

// Reads at most len bytes of "dir/name" into buf; returns the count, or -1 (with the
// "Cannot open" line) when the file does not open.
long rom_read_upto(const char* dir, const char* name, void* buf, size_t len);
