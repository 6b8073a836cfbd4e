// The world-frame tests of the chunks and the balloons: the display-list fixture with a
// course set up and the camera placed in a cell, the visible list as cells.
#pragma once
#include "board/display_list.h"
#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_rom.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <vector>

using words_t = std::vector<int32_t>;

class ChunkTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        course(0);
    }
    static void course(int n) {
        w_cell_set(W_COURSE_NUMBER, n);
        world_props_init(n);
    }
    static int32_t cell_x(int cell) { return (cell % 8) * CELL_SIZE; }
    static int32_t cell_z(int cell) { return (cell / 8) * CELL_SIZE; }
    // The camera at (dx, y, dz) in the cell, heading 0; the chunks it sees listed.
    void camera_in(int cell, int32_t dx, int32_t y, int32_t dz, int32_t heading = 0) {
        camera_at(cell_x(cell) + dx, y, cell_z(cell) + dz);
        terrain_chunk_visibility(cell_x(cell) + dx, y, cell_z(cell) + dz, heading);
        cursor_at(PACKETS0);
    }
    // The visible list's cells, in order.
    static std::vector<int32_t> visible_cells() {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < w_cell(W_VISIBLE_COUNT); i++)
            out.push_back(w_cell(W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i)));
        return out;
    }
    static int32_t slot(int cell) { return w_cell(W_CHUNK_SLOTS + uint32_t(cell)); }
    // Every mask byte of the course set: every chunk on the grid is visible.
    static void masks_all_open(int n) {
        for (uint32_t b = 0; b < CELL_COUNT * CHUNK_MASK_ROWS; b++) program_rom[CHUNK_MASK_ADDRESS[n] + b] = 0xFF;
    }
    static void rom_put32(uint32_t address, uint32_t v) {
        for (int k = 0; k < 4; k++) program_rom[address + uint32_t(k)] = uint8_t(v >> (24 - 8 * k));
    }
    static void rom_put16(uint32_t address, uint16_t v) {
        program_rom[address] = uint8_t(v >> 8);
        program_rom[address + 1] = uint8_t(v);
    }
};
