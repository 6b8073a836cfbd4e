// Point-ROM arrays for tests that read point words directly (the master DSP's point
// space): 24-bit words in unsigned 32-bit entries, bits 24-31 zero.
#pragma once
#include <cstdint>
#include <initializer_list>

// Stores `words` (each masked to 24 bits) from entry `index` on; false, storing nothing,
// when they would run past the array's `count` entries.
bool point_rom_array_write(uint32_t* rom, uint32_t count, uint32_t index, std::initializer_list<int32_t> words);
