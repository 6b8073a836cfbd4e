// The renderer's palettes: the 3D palette fixed at start-up from the program ROM's
// static colours (or a palette captured from a running board), and the composed palette
// of the sprite and text layers, which takes every entry the game wrote from palette RAM.
#pragma once
#include "board/palette_marks.h"

#include <cstdint>

constexpr uint32_t PALETTE_BYTES = 3 * PALETTE_ENTRIES;

// 0x8000 entries of R, G, B, entry after entry; valid once palette_3d_ready is set.
extern uint8_t palette_3d[PALETTE_BYTES];
extern bool palette_3d_ready;

// Fills palette_3d from "<rom_dir>/palette_runtime.bin" when that holds a whole
// palette, else from the program ROM image. Called once after the ROMs are loaded.
void palette_source_init(const char* rom_dir);

// The composed palette as three planes of 0x8000 bytes (R, G, B, the layout of
// palette_ram), rebuilt on every call so that it follows palette RAM; null until
// palette_source_init has run (the layers then take palette_ram itself).
const uint8_t* palette_compose();
