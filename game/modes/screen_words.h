// The 16-bit work-RAM words of the screens: the word at W x is a half of the slot of
// the long that holds it (board/wram.h), so a word at x + 2 survives the image
// import that would overwrite a slot of its own.
#pragma once
#include <cstdint>

#include "board/wram.h"

// The signed 16-bit word at W x, and its store (the low 16 bits of value).
inline int32_t screen_word(uint32_t x) {
    return int16_t(uint16_t(w_read16(WRAM_BASE + x)));
}
inline void screen_word_set(uint32_t x, int32_t value) {
    w_write16(WRAM_BASE + x, uint32_t(value) & 0xFFFF);
}
