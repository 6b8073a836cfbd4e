// Expansion of ROM lists of animation records into 128-byte blocks of work RAM (one
// slot per byte), the form the node-list walkers animate and emit.
#pragma once
#include <cstdint>

// For each 32-bit ROM pointer of the list at list_address (at most 64, ending at a 0
// entry, the ROM's end or the end of work RAM), fills the block at slot index i (from
// index on, 128 slots apart) from the record's head longs and six parameters, the
// camera when the block's first long is 0x7FFF; then writes the end mark -1 into the
// slot past the last block and clears W[0xEB04] and W[0xEB06]. Returns the end mark's
// index (index unchanged, nothing written, when index lies outside work RAM).
int32_t rom_block_list_expand(int32_t index, uint32_t list_address);

// rom_block_list_expand after storing list_address in W_LIST_ADDRESS, when a block fits
// at index (0 <= index, index + 128 <= 0x40000); otherwise index unchanged.
constexpr uint32_t W_LIST_ADDRESS = 0x169F4;
int32_t w_list_walk(int32_t index, uint32_t list_address);
