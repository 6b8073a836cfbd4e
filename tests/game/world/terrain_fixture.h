// The synthetic ROM's terrain loaded for a course, the player placed in a cell, and
// helpers to read a probe's column.
#pragma once
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_cells.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <string>
#include <vector>

class TerrainTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        terrain_guards = {};
        course(0);
    }
    static void course(int n) {
        w_cell_set(W_COURSE_NUMBER, n);
        world_props_init(n);
    }
    static int32_t origin_x(int cell) { return (cell % 8) * CELL_SIZE; }
    static int32_t origin_z(int cell) { return (cell / 8) * CELL_SIZE; }
    // The player at (dx, y, dz) in the cell, level, its cell words and the stage updated.
    static void place(int cell, int32_t dx, int32_t y, int32_t dz) {
        w_cell_set(W_PLAYER_X, origin_x(cell) + dx);
        w_cell_set(W_PLAYER_Y, y);
        w_cell_set(W_PLAYER_Z, origin_z(cell) + dz);
        player_cell_update();
        world_stage_update();
    }
    static int32_t probe(int n, uint32_t field) { return w_cell(probe_field(n, field)); }
    static void probe_set(int n, uint32_t field, int32_t v) { w_cell_set(probe_field(n, field), v); }
    // Probe n's column as (height, kind, surface, zone) rows.
    struct entry {
        int32_t height, kind, surface, zone;
        bool operator==(const entry&) const = default;
    };
    static std::vector<entry> column(int n) {
        std::vector<entry> out;
        for (int32_t i = 0; i < probe(n, PROBE_COLUMN_COUNT) && i < PROBE_COLUMN_MAX; i++) {
            int32_t v = probe(n, PROBE_COLUMN + 4 * uint32_t(i));
            out.push_back({v >> 4, v & 15, probe(n, PROBE_COLUMN_BYTES + uint32_t(i)) & 0xFF,
                           probe(n, PROBE_ZONE_FLAGS + uint32_t(i)) & 0xFF});
        }
        return out;
    }
    static int guard_lines(const std::string& err) {
        int n = 0;
        for (size_t at = err.find("[GUARD]"); at != std::string::npos; at = err.find("[GUARD]", at + 1)) n++;
        return n;
    }
};
