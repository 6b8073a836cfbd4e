// The text layer as the game writes it: cells in text RAM, tile pixels in character
// RAM, and the list of tile blocks drawn this frame.
//
// Text RAM (0x89E000, 8 KB): 64 rows of 64 big-endian cells, cell (x, y) at byte
// y * 128 + x * 2; a cell is palette << 12 | tile (bits 10 and 11 flip). The blank cell
// is 0x0020. Printed text uses the character code as the tile; number printers use
// tiles 0..15 as the digits 0..F.
// Character RAM (0x880000, 0x1E000 bytes): 960 tiles of 128 bytes (16 rows of 8 bytes).
// Tile blocks are 16-byte records at ROM 0x1C4F40: source tile (pixels at ROM
// 0x238504 + source * 128), width, height, big-endian longs; the long at +12 is not a
// destination here but the colour set that palette_bank_load takes for the same record
// number (its records at 0x1C4F4C are this table shifted by 12 bytes).
//
// String arguments are board addresses (program ROM, work RAM or any other window),
// read byte by byte through the bus.
#pragma once
#include <cstdint>

constexpr uint32_t BLOCK_TABLE = 0x1C4F40;      // tile-block records, 16 bytes each
constexpr uint32_t BLOCK_TILE_DATA = 0x238504;  // source tiles, 128 bytes each
constexpr int TEXT_COLUMNS = 64;
constexpr int TEXT_ROWS = 64;
constexpr int CGRAM_TILES = 960;
constexpr uint16_t TEXT_BLANK_CELL = 0x0020;
constexpr int TDB_LIST_SIZE = 64;

// The text layer's flag byte in the mixer and register 0x8A0002 := 0, every cell blank.
void textram_clear();

// Prints the zero-terminated string at board address `string` from (column, row) on,
// cell = palette << 12 | character, running on into the next row past column 63; stops
// at the terminator, after 64 characters or at the end of text RAM. Returns the
// character it stopped at (0 at the terminator).
int text_print(int column, int row, uint32_t string, int palette);

// The n lowest hex digits of value as tiles 0..15, the last at column + n - 1; the four
// lowest digits in palette, higher ones in palette + 1.
void text_print_hex(int column, int row, int n, uint32_t value, int palette);

// Sign cell '+' or '-' at column - 1, then |value| in decimal in n cells ending at
// column + n - 1 (units always, higher places blank once the rest is 0).
void text_print_signed(int column, int row, int n, int32_t value, int palette);

// Copies the block's width x height tiles (count modulo 65536) from ROM into character
// RAM from tile `destination` on. Tiles below 0 are skipped (the first skip of the run
// warns); the run stops with one guard line at the end of character RAM or of the ROM.
void cgram_load_tile_block(int block, int destination);

// Copies pixel row `pixel_row` (0..15) of each of the block's tiles into the same row of
// consecutive character-RAM tiles from `destination` on (0 or more; stops, with a guard
// line, at the end of character RAM).
void cgram_load_block_at(int block, int destination, int pixel_row);

// Fills the block's width x height cells from (column, row) with palette << 12 |
// (base + k), k counting row by row; a width or height above 64 counts as 0. Cells off
// the map (right or bottom edge) are clipped, not wrapped. Records the draw in the
// frame's block list and the size in W_BLOCK_WIDTH / W_BLOCK_HEIGHT.
constexpr uint32_t W_BLOCK_WIDTH = 0x3EA4;
constexpr uint32_t W_BLOCK_HEIGHT = 0x3EA8;
void text_block_draw(int block, int column, int row, int base, int palette);

// Blanks the block's width x height cells from (column, row).
void text_block_clear(int block, int column, int row);

// The block draws of the current frame (at most TDB_LIST_SIZE), in call order.
void tdb_list_clear();
int tdb_list_count();
// Drops the draws past the first `count`.
void tdb_list_truncate(int count);
// An index outside the list gives -1, -1, 0, 0, 0, 0.
void tdb_list_get(int index, int* column, int* row, int* width, int* height, int* base, int* palette);

// The game's banner screen: set up at banner step 3, drawn from step 3 on.
constexpr uint32_t W_TOTAL_FRAMES = 0x173C8;  // also the text banner's step
void screen_banner_setup();

// The race HUD's hint message showing (-1 none): its block is the one block_rows_copy copies.
constexpr uint32_t W_HINT_MESSAGE = 0x15EE4;
// Pixel row k of the hint message's block (ROM 0x354D4) into character RAM from tile 288 on.
void block_rows_copy(int k);
// Selects message n for block_rows_copy when none is selected yet.
void block_rows_course_set(int n);

// The output lamp word (commsram 0x7D2E): bit 2, and the blinking start lamp (bit 1).
void lamp_bit2_set(int on);
void start_lamp_blink(int pattern);
void start_lamp_idle();
