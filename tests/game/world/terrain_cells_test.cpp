// The player's cell words, the stage load on a cell change and the seed vertices.
#include "game/world/terrain_cells.h"

#include "board/bus.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_rom.h"
#include "tests/game/world/terrain_fixture.h"

#include <gtest/gtest.h>
#include <climits>
#include <tuple>
#include <utility>
#include <vector>

namespace {

int32_t grid(int layer, int gx, int gz) {
    return w_cell(W_LOOKUP_GRID + LOOKUP_GRID_SIZE * uint32_t(layer) + uint32_t(gz * 16 + gx));
}
int32_t seed(int layer) { return w_cell(W_SEED_VERTEX + 4 * uint32_t(layer)); }

struct cell_case {
    int32_t x, z;
    int32_t cell, column, row, mod_x, step_x, fraction_x;
};

TEST_F(TerrainTest, PlayerCellDividesTowardZero) {
    const cell_case cases[] = {
        {-1, 0, 0, 0, 0, -1, -1, 0x1FFF},
        {0x18000, 0x30000, 17, 1, 2, 0, 0, 0},
        {0x2FFFF, 0x17FFF, 1, 1, 0, 0x17FFF, 11, 0x1FFF},
        {0x19234, 0x0, 1, 1, 0, 0x1234, 0, 0x1234},
        {-0x18001, 0x18000, 8 - 1, -1, 1, -1, -1, 0x1FFF},
    };
    for (const cell_case& c : cases) {
        w_cell_set(W_PLAYER_X, c.x);
        w_cell_set(W_PLAYER_Z, c.z);
        player_cell_update();
        SCOPED_TRACE(c.x);
        EXPECT_EQ(w_cell(W_PLAYER_CELL), c.cell);
        EXPECT_EQ(w_cell(W_PLAYER_COLUMN), c.column);
        EXPECT_EQ(w_cell(W_PLAYER_ROW), c.row);
        EXPECT_EQ(w_cell(W_PLAYER_CELL_X), c.mod_x);
        EXPECT_EQ(w_cell(W_PLAYER_STEP_X), c.step_x);
        EXPECT_EQ(w_cell(W_PLAYER_FRACTION_X), c.fraction_x);
    }
    EXPECT_EQ(w_cell(W_PLAYER_CELL_Z), 0);
}

TEST_F(TerrainTest, CourseTablesAndChunkBase) {
    course(3);
    EXPECT_EQ(uint32_t(w_cell(W_COURSE_TABLES)), 0x0FADECu);
    EXPECT_EQ(uint32_t(w_cell(W_COURSE_TABLES + 16)), 0x120BF4u);
    EXPECT_EQ(w_cell(W_CHUNK_MODEL_BASE), 0x615);
    EXPECT_EQ(uint32_t(w_cell(W_CHUNK_MASK_ADDRESS)), 0x08CA80u);
    w_cell_set(W_CHUNK_SLOTS + 5, -1);
    terrain_course_base(1);
    EXPECT_EQ(w_cell(W_CHUNK_SLOTS + 5), 0);
    EXPECT_EQ(w_cell(W_CHUNK_MODEL_BASE), 0x515);
    // A course beyond the table changes no table address, only the history counters.
    w_cell_set(W_HISTORY_HELD, 2);
    world_props_init(4);
    EXPECT_EQ(w_cell(W_HISTORY_HELD), 0);
    EXPECT_EQ(uint32_t(w_cell(W_COURSE_TABLES)), 0x0FADECu);
    uint32_t out[5] = {};
    EXPECT_FALSE(course_terrain_pointers_load(4, out));
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(chunk_model_base(4), -1);
    EXPECT_EQ(chunk_model_base(2), 0x595);
}

TEST_F(TerrainTest, ChunkAccessorsRefuseOutOfRange) {
    int32_t r[5] = {};
    ASSERT_TRUE(chunk_record_read(3, 9, r));  // column 9 % 7 - 3, row 9 / 7 - 4
    EXPECT_EQ(std::vector<int32_t>(r, r + 5), (std::vector<int32_t>{-1 - 24, -1, -3, -CELL_SIZE, -3 * CELL_SIZE}));
    ASSERT_TRUE(chunk_record_read(31, 59, r));  // the sectors behind: rows negated
    EXPECT_EQ(r[2], -4);
    for (auto [direction, index] : {std::pair{32, 0}, {0, 60}, {-1, 0}, {0, -1}})
        EXPECT_FALSE(chunk_record_read(direction, index, r)) << direction << "," << index;
    bus_write32(ROM_CHUNK_LISTS + 4 * 5, PROGRAM_ROM_END - 90);  // a list cut by the ROM end
    EXPECT_TRUE(chunk_record_read(5, 3, r));
    EXPECT_FALSE(chunk_record_read(5, 4, r));

    // Camera cell 17 (column 1, row 2): columns 0..3 and rows 0..5 are visible.
    EXPECT_EQ(chunk_mask_byte(2, 17, 0), 0xF0);
    EXPECT_EQ(chunk_mask_byte(2, 17, 5), 0xF0);
    EXPECT_EQ(chunk_mask_byte(2, 17, 6), 0);
    EXPECT_EQ(chunk_mask_byte(3, 127, 15), 0x07);
    for (auto [course, cell, row] : {std::tuple{4, 17, 0}, {-1, 17, 0}, {0, 128, 0}, {0, -1, 0}, {0, 17, 16}})
        EXPECT_EQ(chunk_mask_byte(course, cell, row), 0) << course << "," << cell << "," << row;
}

TEST_F(TerrainTest, CellChangeLoadsGridAndPointersOnce) {
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    EXPECT_EQ(w_cell(W_LOADED_CELL), SYNTH_CELL_FLAT);
    EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 1);
    EXPECT_EQ(w_cell(W_STAGE_ORIGIN_X), 0x18000);
    EXPECT_EQ(w_cell(W_STAGE_ORIGIN_Z), 0x18000);
    // Vertex (i, j) sits at lattice (2i, 2j) with index 8j + i; odd lattice points are empty.
    EXPECT_EQ(grid(0, 0, 0), 0);
    EXPECT_EQ(grid(0, 4, 2), 8 + 2);
    EXPECT_EQ(grid(0, 14, 14), 63);
    EXPECT_EQ(grid(0, 1, 0), NO_VERTEX);
    EXPECT_NE(w_cell(W_VERTEX_POINTERS + 4 * 63), 0);
    EXPECT_EQ(w_cell(W_VERTEX_POINTERS + 4 * 64), 0);

    // The same cell again: no reload (a planted grid byte stays), seeds recomputed.
    w_cell_set(W_LOOKUP_GRID + 1, 0x44);
    w_cell_set(W_SEED_VERTEX, 0x33);
    w_cell_set(W_HISTORY_HELD, 2);
    world_stage_update();
    EXPECT_EQ(w_cell(W_LOOKUP_GRID + 1), 0x44);
    EXPECT_EQ(w_cell(W_HISTORY_HELD), 2);
    EXPECT_NE(seed(0), 0x33);
    // A new cell clears the history.
    place(SYNTH_CELL_SLOPE, 0x8000, 20000, 0x8000);
    EXPECT_EQ(w_cell(W_HISTORY_HELD), 0);
    EXPECT_EQ(w_cell(W_LOOKUP_GRID + 1), NO_VERTEX);
}

TEST_F(TerrainTest, AnotherCoursesTablesReloadTheSameCell) {
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    w_cell_set(W_LOOKUP_GRID + 1, 0x44);
    world_props_init(0);  // the same course again (as the fly-in frames do): kept
    world_stage_update();
    EXPECT_EQ(w_cell(W_LOOKUP_GRID + 1), 0x44);
    EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 1);
    course(3);  // course 3 has no layers in this cell
    world_stage_update();
    EXPECT_EQ(w_cell(W_LOADED_CELL), SYNTH_CELL_FLAT);
    EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 0);
}

TEST_F(TerrainTest, ZeroLayerCellLeavesGridsAlone) {
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    place(SYNTH_CELL_WALL, 0x8000, 20000, 0x8000);
    EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 0);
    EXPECT_EQ(grid(0, 4, 2), 10);  // the flat cell's grid, untouched
    EXPECT_EQ(seed(0), NO_VERTEX);
}

TEST_F(TerrainTest, LayerByteFiveLoadsThreeLayersWithOneGuardLine) {
    testing::internal::CaptureStderr();
    place(SYNTH_CELL_FIVE, 0x8000, 20000, 0x8000);
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    place(SYNTH_CELL_FIVE, 0x8000, 20000, 0x8000);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 3);
    EXPECT_EQ(guard_lines(err), 1) << err;
    EXPECT_NE(err.find("layer count 5 (cell 12)"), std::string::npos) << err;
    EXPECT_EQ(w_cell(W_STAGE_LAYER_MASK), 0x02);
    // Layer 1 covers vertices i <= 3 only: lattice x 0..6.
    EXPECT_EQ(grid(1, 6, 0), 3);
    EXPECT_EQ(grid(1, 8, 0), NO_VERTEX);
    EXPECT_EQ(grid(2, 8, 0), 4);
}

struct seed_case {
    int32_t dx, dz;   // within the flat cell
    int32_t seed;     // index 8j + i of vertex (i, j) at lattice (2i, 2j)
};

TEST_F(TerrainTest, SeedsRoundAtE00InXAndC00InZ) {
    // Lattice g stands for (g - 1) steps: step 0 with the rounding is g = 2 (vertex 1),
    // without it g = 1, whose nearest keyed point in the seed order lies at g - 1.
    const seed_case cases[] = {
        {0x0DFF, 0x2000, 8 + 0}, {0x0E00, 0x2000, 8 + 1},  // x: 0xDFF stays, 0xE00 rounds up
        {0x2000, 0x0BFF, 0 + 1}, {0x2000, 0x0C00, 8 + 1},  // z: 0xBFF stays, 0xC00 rounds up
        {0x2000, 0x4BFF, 8 + 1}, {0x2000, 0x4C00, 16 + 1},
    };
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    for (const seed_case& c : cases) {
        layer_seed_faces(origin_x(SYNTH_CELL_FLAT) + c.dx, origin_z(SYNTH_CELL_FLAT) + c.dz);
        EXPECT_EQ(seed(0), c.seed) << std::hex << c.dx << "," << c.dz;
        EXPECT_EQ(seed(1), NO_VERTEX);
    }
}

// Positions wrap at 32 bits as on the board. A player at the edge of the coordinate range
// lies in a cell off the grid: its row times the cell size wraps into the stage origin,
// no layer loads, and the seed lattice (the position less the origin) wraps too.
TEST_F(TerrainTest, FarCellsWrapTheirOriginAndFindNoSeed) {
    struct far_case {
        int32_t x, z;
        int32_t cell, origin_x, origin_z;
    };
    const far_case cases[] = {
        // cell -21845 + 8 x -21845: stage column 3, row -24576; -24576 x 0x18000 wraps
        {INT32_MIN, INT32_MIN, -196605, 3 * CELL_SIZE, 1879048192},
        // cell 21845 + 8 x 21845: stage column 5, row 24575
        {INT32_MAX, INT32_MAX, 196605, 5 * CELL_SIZE, -1879146496},
        {INT32_MIN, INT32_MAX, 152915, 3 * CELL_SIZE, 19114 * CELL_SIZE},
    };
    for (const far_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.z);
        w_cell_set(W_SEED_VERTEX, 0x33);
        w_cell_set(W_PLAYER_X, c.x);
        w_cell_set(W_PLAYER_Z, c.z);
        player_cell_update();
        world_stage_update();
        EXPECT_EQ(w_cell(W_LOADED_CELL), c.cell);
        EXPECT_EQ(w_cell(W_STAGE_ORIGIN_X), c.origin_x);
        EXPECT_EQ(w_cell(W_STAGE_ORIGIN_Z), c.origin_z);
        EXPECT_EQ(w_cell(W_STAGE_LAYER_COUNT), 0);
        EXPECT_EQ(seed(0), NO_VERTEX);
    }
    // A loaded cell's lattice from a point at either edge: off the lattice, no seed.
    place(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    for (int32_t p : {INT32_MIN, INT32_MAX}) {
        layer_seed_faces(p, p);
        EXPECT_EQ(seed(0), NO_VERTEX) << p;
    }
    layer_seed_faces(origin_x(SYNTH_CELL_FLAT) + 0x2000, origin_z(SYNTH_CELL_FLAT) + 0x2000);
    EXPECT_EQ(seed(0), 8 + 1);
}

}  // namespace
