// Word reads of the model data: the point ROM, and beyond it an optional point-RAM
// source. Words are 24 bits, read sign-extended from bit 23.
#pragma once
#include "base/byte_order.h"
#include "base/rom_files.h"

#include <cstdint>

// Point-RAM words for indices beyond the point ROM (the list of model 5 starts at
// 0xF00000). Nothing installs one in the running game; null reads beyond the ROM as 0.
using point_ram_source = uint32_t (*)(uint32_t index);
extern point_ram_source point_ram_words;

// Words beyond the point ROM (point RAM, else 0).
int32_t point_word_beyond(uint32_t index);

// Inline: the model walk reads some twenty words per quad.
inline int32_t point_word(uint32_t index) {
    if (point_rom && index < point_rom_count) return sign_extend24(point_rom[index]);
    return point_word_beyond(index);
}

// True when words start .. start + len - 1 can be read: all inside the point ROM, or
// a point-RAM source is installed.
bool point_span_readable(uint32_t start, uint32_t len);
