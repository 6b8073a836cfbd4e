// The synthetic ROM set: logical images of every ROM region, filled with
// deterministic filler and the named tables below, split into the 28 files on output.
// Built by the project itself; never the board's real ROMs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct synth_rom_set {
    uint8_t program[0x400000];   // big-endian, byte n at board address n
    uint32_t point[0x180000];    // 24-bit point-ROM words
    uint8_t texture[0x1000000];  // 65,536 tiles of 16x16 texels
    uint8_t tilemap[0x280000];   // tile numbers (2 MB, low byte first) then attribute nibbles
    uint8_t sprite[0x400000];
    uint8_t sound_driver[0x80000];
    uint8_t wave_a[0x400000];
    uint8_t wave_b[0x400000];
};

// A full set: filler, then every table of synth_rom_tables_write. Free with synth_rom_free.
synth_rom_set* synth_rom_new();
// An all-zero set holding only the program ROM's reset vector.
synth_rom_set* synth_rom_new_blank();
void synth_rom_free(synth_rom_set* set);
// One full set built on first use and kept for the test program's life (read-only).
const synth_rom_set* synth_rom_shared();

// The bytes of ROM table entry `entry` (0..27) as the board's file holds them.
std::vector<uint8_t> synth_rom_file(const synth_rom_set* set, int entry);

// Writes the 28 files into dir (created when missing); names[entry] replaces a file
// name when given (for alias and case tests).
bool synth_rom_write_dir(const synth_rom_set* set, const char* dir, const char* const* names = nullptr);

// Packs the 28 files into a zip with deflated members.
bool synth_rom_write_zip(const synth_rom_set* set, const char* path);
