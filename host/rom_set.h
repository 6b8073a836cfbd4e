// The board's ROM set: the 28 files of exact sizes, the check of a ROM directory,
// and the installer that unpacks skyvolta.zip into it.
#pragma once
#include <cstddef>
#include <cstdint>

struct rom_entry {
    const char* name;
    uint32_t size;
    uint8_t optional;   // 0 for every entry: all are required
    const char* alias;  // another member name the archive may use, or null
};

constexpr int ROM_COUNT = 28;
extern const rom_entry rom_table[ROM_COUNT];

// True when every required file exists in dir with exactly its table size.
bool rom_set_complete(const char* dir);

// Looks for skyvolta.zip (working directory, roms/, then base_path and base_path/roms)
// and unpacks it into dir. On failure leaves one line in err.
bool find_rom_zip(const char* dir, const char* base_path, char* err, size_t errlen);

// Unpacks and checks the archive at zip_path into dir, reading the central directory and
// each member through the file. Each table file is inflated at most once; a quit signal
// (run_flag cleared) stops the unpack between members and between inflate chunks. On
// failure leaves one line in err.
bool unpack_rom_zip(const char* zip_path, const char* dir, char* err, size_t errlen);

// Test hooks. When rom_test_sizes is set, the set check and the installer expect these
// sizes in place of the table's (small sets for the fuzz targets). When
// rom_unpack_chunk_done is set, it is called after each chunk of a member's bytes
// (inflated or copied), before the quit flag is looked at.
extern const uint32_t* rom_test_sizes;
extern void (*rom_unpack_chunk_done)(int entry);
