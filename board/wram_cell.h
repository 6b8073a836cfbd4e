// Single work-RAM cells as the transcribed routines keep them: one value per slot,
// whatever the slot's offset (a long, a word or a byte of the game's own), of which the
// low 32 bits count. Offsets are checked against the image.
#pragma once
#include <cstdint>

#include "board/board_memory.h"
#include "board/bus.h"

// The low 32 bits of slot x, or 0 outside work RAM.
inline int32_t w_cell(uint32_t x) {
    return x < WRAM_SIZE ? int32_t(uint32_t(uint64_t(wram[x]))) : 0;
}
// Slot x := value, sign-extended; nothing outside work RAM.
inline void w_cell_set(uint32_t x, int32_t value) {
    if (x < WRAM_SIZE) wram[x] = value;
}
// The low byte of slot x (a byte cell).
inline uint8_t w_cell_byte(uint32_t x) {
    return uint8_t(w_cell(x));
}
