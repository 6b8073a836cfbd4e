// The game-flow tests: the board images as after start-up with the synthetic program
// ROM, game state and sub-state set by hand, and readers of the text cells and of the
// sprites a frame added.
#pragma once
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"

#include <vector>

// A sprite as added to the record list (x and y as passed).
struct flow_sprite {
    int32_t tile, x, y, width, height, p8;
    bool operator==(const flow_sprite&) const = default;
};

class FlowTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        host_frame = 0;
        tdb_list_clear();
    }
    static void game(int32_t state, int32_t sub = 0) {
        w_cell_set(W_GAME_STATE, state);
        w_cell_set(W_GAME_SUB_STATE, sub);
    }
    static uint32_t text_cell(int column, int row) {
        uint32_t at = 2 * uint32_t(row * 64 + column);
        return uint32_t(textram[at]) << 8 | textram[at + 1];
    }
    // The sprites of write buffer 0 in the order they were added.
    static std::vector<flow_sprite> sprites_added() {
        std::vector<flow_sprite> out;
        for (int32_t r = 1; r <= w_cell(W_SPRITE_COUNT); r++) {
            uint32_t at = W_SPRITE_BUFFERS + SPRITE_RECORD_BYTES * uint32_t(r);
            auto field = [&](uint32_t offset) { return int32_t(int16_t(w_cell(at + offset))); };
            out.push_back({field(0), field(2) - 640, field(4) - 810, field(12), field(14), field(16)});
        }
        return out;
    }
};
