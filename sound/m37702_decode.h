// Static decoding of M37702 instructions from their bytes, for translating the sound
// driver ahead of running it: how long an instruction is under given M/X widths.
#pragma once
#include <cstdint>

// M/X state as (ps >> 4) & 3: bit 1 the M flag (8-bit accumulator and memory), bit 0
// the X flag (8-bit index registers).
constexpr uint32_t m377_mx_x = 1;
constexpr uint32_t m377_mx_m = 2;

inline uint32_t m377_mx_state(uint16_t ps) {
    return (ps >> 4) & 3u;
}

// Bytes of the instruction at `bytes` (at least six readable) under M/X state mx, the
// 0x42 prefix included: what the dispatch and the executor fetch for it. BRK (0x00)
// counts its signature byte; a byte the executor does not perform counts 1.
uint32_t m377_instruction_length(const uint8_t* bytes, uint32_t mx);
