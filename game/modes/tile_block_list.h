// Tile-block lists: the ROM's text-layer pictures (the boot screen and the service
// mode's test patterns), drawn straight into text RAM.
//
// A list (big-endian): +0 column, +2 row, +4 row stride in bytes, then 6-byte entries:
// word n (negative ends the list), long address of a row description, drawn n + 1
// times on successive rows; after an entry the position moves on by stride x (n + 1).
// A row description starts with a word: 0 = runs, pairs (k, cell) writing k + 1 copies
// of cell until a pair whose k has bit 15 set; 1 = literal, k then k + 1 cells (none
// when k has bit 15 set); anything else draws nothing.
#pragma once
#include <cstdint>

constexpr uint32_t BOOT_TEXT_LIST = 0x1C0E4;  // the list of test pattern 0
constexpr uint16_t BOOT_TEXT_FILL = 0x03BF;   // cell 959

// Draws the list at ROM address `list`. Cells outside text RAM and row descriptions
// beyond the program ROM are skipped; the walk ends at the list's end mark, at the end
// of the ROM, once the position has left text RAM, or after as many entries as text RAM
// has bytes (a list with stride 0 draws each entry's row once).
void tile_block_list_draw(uint32_t list);

// The boot text screen: rows 0-29, columns 0-39 := BOOT_TEXT_FILL, then the list at
// BOOT_TEXT_LIST.
void text_screen_image_build();
