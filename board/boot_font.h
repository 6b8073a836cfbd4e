// The built-in font the boot copies into character RAM: 96 tiles for the characters
// 0x20-0x7F in the text layer's tile format (16 rows of 8 bytes, two 4-bit pixels a
// byte, the left one in the high nibble).
#pragma once
#include <cstdint>

constexpr uint32_t BOOT_FONT_FIRST_CHAR = 0x20;
constexpr uint32_t BOOT_FONT_TILES = 96;
constexpr uint32_t BOOT_FONT_BYTES = BOOT_FONT_TILES * 128;  // 0x3000
constexpr uint8_t BOOT_FONT_INK = 1;     // pixel value of a glyph's strokes
constexpr uint8_t BOOT_FONT_PAPER = 15;  // the text layer's see-through pixel

// Writes the 0x3000 font bytes to out.
void boot_font_build(uint8_t* out);
