#include "board/text_print.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/text_hex_label.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int TEXT_CELLS = TEXT_COLUMNS * TEXT_ROWS;
constexpr int TILE_BYTES = 128;
constexpr int TILE_ROW_BYTES = 8;
constexpr uint32_t TEXT_REGISTER_1 = 0x8A0002;
constexpr uint32_t ROM_MESSAGE_BLOCKS = 0x354D4;
constexpr uint32_t ROM_LAMP_PATTERNS = 0x373D8;
constexpr uint32_t ROM_LAMP_LABEL = 0x3ABB2;
constexpr uint32_t LAMP_WORD = 0x7D2E;       // commsram, big-endian
constexpr int BANNER_BLOCK = 228;
constexpr int BANNER_TILE = 288;

struct block_record {
    int32_t source;
    int32_t width;
    int32_t height;
};

struct tdb_entry {
    int column, row, width, height, base, palette;
};

tdb_entry tdb_entries[TDB_LIST_SIZE];
int tdb_count;

// A big-endian long of the program ROM; 0 for any part past its end.
int32_t rom_long(int64_t address) {
    if (address < 0 || address + 4 > PROGRAM_ROM_END) return 0;
    const uint8_t* p = program_rom + address;
    return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
}

// The block's record (+12, the colour-set number of the same record number, is read by
// palette_bank_load). Records past the ROM read as empty blocks.
block_record block_read(int block) {
    int64_t at = int64_t(BLOCK_TABLE) + 16 * int64_t(block);
    return {rom_long(at), rom_long(at + 4), rom_long(at + 8)};
}

// Width x height as the loaders count tiles: the product modulo 65536.
uint32_t block_tile_count(const block_record& b) {
    return (uint32_t(b.width) * uint32_t(b.height)) & 0xFFFF;
}

// Width or height as a drawn block uses it: above 64 (or negative) counts as 0.
int block_extent(int32_t v) { return v >= 0 && v <= 64 ? v : 0; }

// Program-ROM address of source tile `index` of a block; -1 when its bytes leave the ROM.
int64_t source_tile(const block_record& b, uint32_t k) {
    int64_t at = int64_t(BLOCK_TILE_DATA) + TILE_BYTES * (int64_t(b.source) + k);
    return at >= 0 && at + TILE_BYTES <= PROGRAM_ROM_END ? at : -1;
}

void cell_store(int index, uint32_t cell) {
    textram[2 * index] = uint8_t(cell >> 8);
    textram[2 * index + 1] = uint8_t(cell);
}

// A cell by column and row; cells outside the 64 x 64 map are not written.
void cell_put(int column, int row, uint32_t cell) {
    if (column < 0 || column >= TEXT_COLUMNS || row < 0 || row >= TEXT_ROWS) return;
    cell_store(row * TEXT_COLUMNS + column, cell);
}

uint32_t cell_of(int palette, uint32_t tile) { return (uint32_t(palette) << 12 | tile) & 0xFFFF; }

bool cg_log_on() {
    static const bool on = env_present("SKYVOLTA_CGLOG");
    return on;
}

bool tdb_log_on() {
    static const bool on = env_on("SKYVOLTA_TDBLOG");
    return on;
}

// Copies `bytes` bytes at `offset` within each tile of the block into consecutive
// character-RAM tiles from `destination` on. Tiles below 0 are skipped (the first one
// is left in `skipped`, which starts positive); the run stops at the end of character
// RAM or of the ROM with a guard line.
void cgram_copy(const char* who, int block, const block_record& b, int destination, uint32_t offset, uint32_t bytes,
                int64_t* skipped) {
    uint32_t count = block_tile_count(b);
    for (uint32_t k = 0; k < count; k++) {
        int64_t dst = int64_t(destination) + k;
        if (dst < 0) {
            if (*skipped > 0) *skipped = dst;
            continue;
        }
        if (dst >= CGRAM_TILES) {
            fprintf(stderr, "[GUARD] %s: block %d runs past character RAM at tile %lld -- %u tiles dropped\n", who,
                    block, static_cast<long long>(dst), count - k);
            return;
        }
        int64_t src = source_tile(b, k);
        if (src < 0) {
            fprintf(stderr, "[GUARD] %s: block %d source tile %u lies past the program ROM -- %u tiles dropped\n", who,
                    block, k, count - k);
            return;
        }
        for (uint32_t i = 0; i < bytes; i++) CGRAM[dst * TILE_BYTES + offset + i] = program_rom[src + offset + i];
    }
}

}  // namespace

void textram_clear() {
    mixer_registers[MIX_FOG_LEVEL] = 0;
    bus_write16(TEXT_REGISTER_1, 0);
    for (int i = 0; i < TEXT_CELLS; i++) cell_store(i, TEXT_BLANK_CELL);
}

int text_print(int column, int row, uint32_t string, int palette) {
    int64_t at = int64_t(row) * TEXT_COLUMNS + column;
    for (int n = 0;; n++) {
        int c = bus_read8(string + uint32_t(n));
        if (c == 256) c = 0;  // open bus: nothing there ends the string
        c &= 0xFF;
        if (c == 0 || n == TEXT_COLUMNS || at + n < 0 || at + n >= TEXT_CELLS) return c;
        cell_store(int(at + n), cell_of(palette, uint32_t(c)));
    }
}

void text_print_hex(int column, int row, int n, uint32_t value, int palette) {
    for (int j = 0; j < n; j++) {
        uint32_t digit = j < 8 ? (value >> (4 * j)) & 0xF : 0;
        cell_put(column + n - 1 - j, row, cell_of(j < 4 ? palette : palette + 1, digit));
    }
}

void text_print_signed(int column, int row, int n, int32_t value, int palette) {
    cell_put(column - 1, row, cell_of(palette, value < 0 ? '-' : '+'));
    uint32_t rest = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    for (int i = 0; i < n; i++) {
        uint32_t cell = i == 0 || rest != 0 ? cell_of(palette, rest % 10) : TEXT_BLANK_CELL;
        cell_put(column + n - 1 - i, row, cell);
        rest /= 10;
    }
}

void cgram_load_tile_block(int block, int destination) {
    block_record b = block_read(block);
    if (cg_log_on())
        fprintf(stderr, "[CG] f=%d blk=%-4d dst=0x%04X src=0x%06X w=%d h=%d rows=%d ra=%p\n", int(host_frame), block,
                unsigned(destination), unsigned(BLOCK_TILE_DATA + uint32_t(b.source) * TILE_BYTES), b.width, b.height,
                int(block_tile_count(b)), __builtin_return_address(0));
    int64_t skipped = 1;
    cgram_copy("cgram_load_tile_block", block, b, destination, 0, TILE_BYTES, &skipped);
    static bool warned;  // the first skip of the run is reported
    if (skipped <= 0 && !warned) {
        warned = true;
        fprintf(stderr, "  [WARN] cgram_load_tile_block: dest row out of range (param_1=%d param_2=%d row=%d) -- skipping\n",
                block, destination, int(skipped));
    }
}

void cgram_load_block_at(int block, int destination, int pixel_row) {
    if (destination < 0 || pixel_row < 0 || pixel_row > 15) return;
    int64_t skipped = 1;  // a destination of 0 or more never skips
    cgram_copy("cgram_load_block_at", block, block_read(block), destination, uint32_t(pixel_row) * TILE_ROW_BYTES,
               TILE_ROW_BYTES, &skipped);
}

void text_block_draw(int block, int column, int row, int base, int palette) {
    block_record b = block_read(block);
    int width = block_extent(b.width);
    int height = block_extent(b.height);
    if (tdb_count < TDB_LIST_SIZE) tdb_entries[tdb_count++] = {column, row, width, height, base, palette};
    w_cell_set(W_BLOCK_WIDTH, width);
    w_cell_set(W_BLOCK_HEIGHT, height);
    if (tdb_log_on())
        fprintf(stderr, "[TDB] f=%d blk=%d col=%d row=%d base=0x%x pal=%d w=%d h=%d ret=%p\n", int(host_frame), block,
                column, row, unsigned(base), palette, width, height, __builtin_return_address(0));
    uint32_t k = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) cell_put(column + x, row + y, cell_of(palette, uint32_t(base) + k++));
}

void text_block_clear(int block, int column, int row) {
    block_record b = block_read(block);
    if (b.width < 1 || b.width > 64 || b.height < 1 || b.height > 64) return;
    for (int y = 0; y < b.height; y++)
        for (int x = 0; x < b.width; x++) cell_put(column + x, row + y, TEXT_BLANK_CELL);
}

void tdb_list_clear() { tdb_count = 0; }

int tdb_list_count() { return tdb_count; }

void tdb_list_truncate(int count) {
    if (count >= 0 && count < tdb_count) tdb_count = count;
}

void tdb_list_get(int index, int* column, int* row, int* width, int* height, int* base, int* palette) {
    tdb_entry e = index >= 0 && index < tdb_count ? tdb_entries[index] : tdb_entry{-1, -1, 0, 0, 0, 0};
    *column = e.column;
    *row = e.row;
    *width = e.width;
    *height = e.height;
    *base = e.base;
    *palette = e.palette;
}

void screen_banner_setup() {
    int32_t step = w_cell(W_TOTAL_FRAMES);
    if (step == 3) {
        textram_clear();
        cgram_load_tile_block(BANNER_BLOCK, BANNER_TILE);
        palette_bank_load(BANNER_BLOCK, 1);
    }
    if (step >= 3) text_block_draw(BANNER_BLOCK, 14, 9, BANNER_TILE, 1);
}

void block_rows_copy(int k) {
    int64_t message = w_cell(W_HINT_MESSAGE);
    cgram_load_block_at(rom_long(int64_t(ROM_MESSAGE_BLOCKS) + 4 * message), BANNER_TILE, k);
}

void block_rows_course_set(int n) {
    if (w_cell(W_HINT_MESSAGE) < 0) w_cell_set(W_HINT_MESSAGE, n);
}

namespace {

void lamp_bit_set(int bit, bool on) {
    uint32_t w = uint32_t(commsram[LAMP_WORD]) << 8 | commsram[LAMP_WORD + 1];
    w = on ? w | 1u << bit : w & ~(1u << bit);
    commsram[LAMP_WORD] = uint8_t(w >> 8);
    commsram[LAMP_WORD + 1] = uint8_t(w);
}

}  // namespace

void lamp_bit2_set(int on) { lamp_bit_set(2, on != 0); }

void start_lamp_blink(int pattern) {
    int64_t at = int64_t(ROM_LAMP_PATTERNS) + 2 * (int64_t(pattern) * 8 + (uint32_t(w_cell(W_FRAME_TICK)) & 7));
    bool lit = at >= 0 && at + 2 <= PROGRAM_ROM_END && (program_rom[at] | program_rom[at + 1]) != 0;
    lamp_bit_set(1, lit);
    if ((uint32_t(w_cell(W_DIP_SWITCH_BITS)) & 0x10) == 0) return;
    // Debug DIP switch 5: the pattern number after the ROM label.
    char label[TEXT_COLUMNS + 1];
    int n = 0;
    for (int c; n < TEXT_COLUMNS && (c = bus_read8(ROM_LAMP_LABEL + uint32_t(n))) > 0 && c < 256; n++) label[n] = char(c);
    label[n] = 0;
    text_put_ascii_hex(15, 1, 1, label, pattern, 0);
}

void start_lamp_idle() { start_lamp_blink(0); }
