// Reading the files of the ROM set, and the ROM images every layer may read once the
// start-up loader (host/rom_loader) has filled them.
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

// Reads exactly len bytes of "dir/name" into buf + offset; names the file on failure.
bool rom_read_at(const char* dir, const char* name, void* buf, size_t offset, size_t len);

// The one line that names a file shorter than a loader needs.
void rom_short_read_report(const char* dir, const char* name, size_t got, size_t want);

// Reads at most len bytes of "dir/name" into buf; returns the count, or -1 (with the
// "Cannot open" line) when the file does not open.
long rom_read_upto(const char* dir, const char* name, void* buf, size_t len);
