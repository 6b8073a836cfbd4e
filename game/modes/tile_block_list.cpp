#include "game/modes/tile_block_list.h"

#include "board/board_memory.h"
#include "board/bus.h"

namespace {

constexpr uint32_t TEXT_BYTES = sizeof textram;

// The ROM word at address, or false past the ROM's end.
bool rom_word(uint32_t address, uint16_t* value) {
    if (address > PROGRAM_ROM_END - 2) return false;
    *value = uint16_t(program_rom[address] << 8 | program_rom[address + 1]);
    return true;
}

// Writes a cell at byte offset `at` and moves on; false once past text RAM.
bool cell_put(uint32_t* at, uint16_t cell) {
    if (*at > TEXT_BYTES - 2) return false;
    textram[*at] = uint8_t(cell >> 8);
    textram[*at + 1] = uint8_t(cell);
    *at += 2;
    return true;
}

void row_runs(uint32_t address, uint32_t at) {
    for (uint16_t k, cell; rom_word(address, &k) && !(k & 0x8000) && rom_word(address + 2, &cell); address += 4)
        for (uint32_t i = 0; i <= k; i++)
            if (!cell_put(&at, cell)) return;
}

void row_literal(uint32_t address, uint32_t at) {
    uint16_t k, cell;
    if (!rom_word(address, &k) || (k & 0x8000)) return;
    for (uint32_t i = 0; i <= k && rom_word(address + 2 + 2 * i, &cell); i++)
        if (!cell_put(&at, cell)) return;
}

void row_draw(uint32_t description, uint32_t at) {
    uint16_t kind;
    if (!rom_word(description, &kind)) return;
    if (kind == 0) row_runs(description + 2, at);
    if (kind == 1) row_literal(description + 2, at);
}

}  // namespace

void tile_block_list_draw(uint32_t list) {
    uint16_t column, row, stride;
    if (!rom_word(list, &column) || !rom_word(list + 2, &row) || !rom_word(list + 4, &stride)) return;
    uint32_t at = (uint32_t(row) * 64 + column) * 2;
    uint32_t entry = list + 6;
    for (uint32_t walked = 0; walked < TEXT_BYTES && at < TEXT_BYTES; walked++, entry += 6) {
        uint16_t count, high, low;
        if (!rom_word(entry, &count) || (count & 0x8000)) return;
        if (!rom_word(entry + 2, &high) || !rom_word(entry + 4, &low)) return;
        uint32_t description = uint32_t(high) << 16 | low;
        uint32_t rows = stride ? uint32_t(count) + 1 : 1;
        for (uint32_t r = 0; r < rows && at + r * stride < TEXT_BYTES; r++)
            if (description < PROGRAM_ROM_END) row_draw(description, at + r * stride);
        at += stride * (uint32_t(count) + 1);
    }
}

void text_screen_image_build() {
    for (uint32_t row = 0; row < 30; row++)
        for (uint32_t column = 0; column < 40; column++) {
            uint32_t at = (row * 64 + column) * 2;
            cell_put(&at, BOOT_TEXT_FILL);
        }
    tile_block_list_draw(BOOT_TEXT_LIST);
}
