#include "board/text_hex_label.h"

#include "board/board_memory.h"

namespace {

constexpr int64_t ROW_BYTES = 128;

// Cell x of row y; false once the cells lie beyond the end of text RAM for good.
bool cell_put(int64_t x, int64_t y, char code) {
    int64_t at = y * ROW_BYTES + 2 * x;
    if (at >= 0 && at + 1 < int64_t(sizeof textram)) {
        textram[at] = 0;
        textram[at + 1] = uint8_t(code);
    }
    return at + 1 < int64_t(sizeof textram);
}

}  // namespace

void text_put_ascii_hex(int32_t x, int32_t y, int32_t n, const char* label, int32_t value, int32_t extra) {
    int64_t column = x;
    for (const char* c = label; c && *c; c++)
        if (!cell_put(column++, y, *c)) return;
    for (int32_t j = n - 1; j >= 0; j--) {
        uint32_t digit = (uint32_t(value) >> (4 * (j & 7))) & 0xF;
        if (!cell_put(column++, y, char(digit < 10 ? '0' + digit : 'A' + digit - 10))) return;
    }
}
