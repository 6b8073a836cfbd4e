// The sprite records the frame's sprite_call calls left in the write buffer, in call
// order, with x and y back in screen units: for tests of the HUD and the number drawers.
#pragma once
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <vector>

struct sprite_made {
    int32_t tile, x, y, key, width, height, p8, nodepth;
};

inline std::vector<sprite_made> sprites_made() {
    std::vector<sprite_made> out;
    uint32_t b = uint32_t(w_word(W_SPRITE_WRITE_BUFFER)) & 3;
    uint32_t count = uint32_t(w_cell(W_SPRITE_COUNT)) & 0xFFFF;
    for (uint32_t r = 1; r <= count && r <= SPRITE_RECORDS_MAX; r++) {
        uint32_t at = W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * b + SPRITE_RECORD_BYTES * r;
        out.push_back({w_cell(at), w_cell(at + 2) - 640, w_cell(at + 4) - 810, w_cell(at + 8), w_cell(at + 12),
                       w_cell(at + 14), w_cell(at + 16), w_cell(at + 18)});
    }
    return out;
}

// Empties the write buffer's list.
inline void sprites_clear() {
    uint32_t b = uint32_t(w_word(W_SPRITE_WRITE_BUFFER)) & 3;
    w_cell_set(W_SPRITE_COUNT, 0);
    w_cell_set(W_SPRITE_BUFFERS + SPRITE_BUFFER_BYTES * b + 22, 0);
}
