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

// Unpacks and checks the archive at zip_path into dir. On failure leaves one line in err.
bool unpack_rom_zip(const char* zip_path, const char* dir, char* err, size_t errlen);

// The archive walk over bytes in memory, shared by the installer and the fuzz target.
// Offset of the end-of-central-directory record, or -1 when there is none.
int64_t zip_end_record_find(const uint8_t* zip, uint64_t size);

// Receives each member that names a table entry and passed every check (size, local
// header, bounds, inflation, CRC-32). Returns false with one line in err to stop the walk.
typedef bool (*rom_member_sink)(int entry, const uint8_t* data, uint32_t size, void* ctx,
                                char* err, size_t errlen);

// Walks the central directory from the end record; marks present[entry] for every member
// the sink took. False (with one line in err) only when allocation or the sink failed.
bool zip_members_walk(const uint8_t* zip, uint64_t size, uint64_t end_record,
                      rom_member_sink sink, void* ctx, bool present[ROM_COUNT],
                      char* err, size_t errlen);
