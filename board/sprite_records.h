// The game's 2D sprites: a key-sorted record list in work RAM, one of four buffers
// collected per frame, and its upload into the sprite RAM image four frames later.
//
// Buffer b (0..3) is 0x1800 bytes at W 0x4AF0 + 0x1800 b: 24-byte records, record 0
// the head (+22 the first record), records 1-255 the sprites. Each field lives in the
// slot of its offset:
//   +0 tile (negative: mirrored)  +2 x + 640  +4 y + 810  +8 key = layer x 0x200000
//   + priority  +12 width  +14 height  +16 p8  +18 no-depth flag  +20 prev  +22 next
// W[0x4AEC] counts the records of the list being written; the upper half of the long
// at W 0xAAF0 names its buffer. While W[0x0CA8] or W[0x0CAC] is non-zero the list is
// halted: nothing is added and nothing uploaded.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"

constexpr uint32_t W_SPRITE_BUFFERS = 0x4AF0;
constexpr uint32_t SPRITE_BUFFER_BYTES = 0x1800;
constexpr uint32_t SPRITE_RECORD_BYTES = 24;
constexpr uint32_t SPRITE_RECORDS_MAX = 255;
constexpr uint32_t W_SPRITE_COUNT = 0x4AEC;
constexpr uint32_t W_SPRITE_WRITE_BUFFER = 0xAAF0;  // 16-bit word, upper half of the long

// Sprite tile tables (program ROM, one big-endian word per tile number 0-509).
constexpr uint32_t SPRITE_TILE_TABLE_1 = 0xB79C0;  // also the size multiplier selectors
constexpr uint32_t SPRITE_TILE_TABLE_2 = 0xB7DBC;
constexpr uint32_t SPRITE_TILE_TABLE_3 = 0xB81B8;

// Sprite RAM as the upload writes it (big-endian):
//   0x0000  00 06 00 01, sprite count n (16-bit), 00 53 03 00 02 00 03 00, 0000
//   0x0200  02 80 04 FF 03 2A 05 09, twice
//   0x4010 + 16 (k - 1)   sprite k: x, y, width, height, 0x00FF, tile table 1 and 2
//                         words of |tile|, p8
//   0x20008 + 8 (k - 1)   attribute k: key (32-bit), tile table 3 word of |tile| (0x80
//                         in its low byte when mirrored), depth word (0xFFFF without
//                         depth, else (key >> 13) & 0xFF sign-extended from 8 bits)
constexpr uint32_t SPRITE_RAM_ENTRIES = 0x4010;
constexpr uint32_t SPRITE_RAM_ATTRIBUTES = 0x20008;

// Adds one record to the write buffer, sorted by the signed key, ascending; among
// equal keys the newest comes first. Ignored while halted or once 255 are held.
// SKYVOLTA_SPR and SKYVOLTA_SPRCALL trace the calls.
void sprite_call(int32_t layer, int32_t tile, int32_t x, int32_t y, int32_t priority, int32_t width,
                 int32_t height, int32_t p8, int32_t nodepth);

// Once per frame, after frame_tick has advanced: buffer frame_tick & 3 becomes the
// write buffer; its list (at most 255 records along the links; a loop ends the walk)
// is written into sprite RAM, then its head and the count are cleared.
// SKYVOLTA_SPR2 and SKYVOLTA_SPRREC trace the uploads.
void sprite_list_upload();

// The host-side copy of the world sprites of a frame for the 3D frame renderer: up to
// 64 entries (tile, key & 0xFFFFFF, x, y), filled while world_sprite_draw calls
// sprite_call, emptied by the host once per main-loop iteration.
void sprite_call_list_reset();
int sprite_call_list_count();
// Entry n; outside 0..count-1, tile = -1 and the rest 0. Any pointer may be null.
void sprite_call_list_get(int n, int32_t* tile, int32_t* key, int32_t* x, int32_t* y);
// Drops the entries past the first `count` (what a scene build added and must not keep).
void sprite_call_list_truncate(int count);
// Raised by world_sprite_draw around its own sprite_call.
void sprite_call_list_collect(bool on);
