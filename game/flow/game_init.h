// Game initialisation in the board's boot order (entry_reset, ROM 0x00BC4C): brings
// every board image and the game's work RAM to the state the board reaches after its
// boot. Runs once at start-up and again for every reset the game asks for.
#pragma once
#include <cstdint>

constexpr uint32_t BOOT_BLOCK_TABLE = 0x1C4F40;   // 16-byte tile-block records
constexpr uint32_t BOOT_BLOCK_TILES = 0x238504;   // 128-byte source tiles
constexpr uint32_t BOOT_BLOCK_TILES_MAX = 500;

// 0x00BC4C (entry_reset): work RAM 0xE00000-0xE1EFFF starts cleared in both images
// (slot-only values and host pointers included); the marks of the owned ranges are set
// again (they last). Every ROM table is read within the ROM image, whatever it holds.
void game_init();

// The boot's title text: rows 0-29, columns 0-39 of text RAM hold the cell 0x03BF and
// these texts, cell = attribute << 12 | character.
struct boot_title_text {
    int row, column, attribute;
    const char* text;
};
extern const boot_title_text BOOT_TITLE_TEXTS[7];
