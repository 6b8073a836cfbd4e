// Probe columns and their classification: terrain layers, the column merge rules,
// zone boxes of every type, markers, special regions and the edge hold.
#include "game/world/collision_driver.h"
#include "game/world/probe_collision.h"

#include "board/wram.h"
#include "game/world/collision_zones.h"
#include "game/world/terrain_triangles.h"
#include "tests/game/world/terrain_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t FLAT = 10 * 1024;
constexpr int32_t P = KIND_PASS, S = KIND_SOLID;

class ProbeTest : public TerrainTest {
protected:
    // The player (probe 0) at (dx, y, dz) of the cell, all probes run.
    static void probes_at(int cell, int32_t dx, int32_t y, int32_t dz) {
        place(cell, dx, y, dz);
        probe_update();
    }
    static void zone_probe(int a, int b, int32_t dx, int32_t y, int32_t e) {
        probes_at(SYNTH_CELL_ZONES, 0x3000 + 0x6000 * a + dx, y, 0x3000 + 0x6000 * b + e);
    }
    static bool has(const std::vector<entry>& c, entry e) {
        for (const entry& x : c)
            if (x == e) return true;
        return false;
    }
};

struct flat_case {
    int32_t y;
    int32_t hit, contact, surface;
};

TEST_F(ProbeTest, FlatCellAboveOnAndBelowTheGround) {
    const flat_case cases[] = {
        {20000, 0, FLAT, 0},
        {FLAT + 1, 0, FLAT, 0},
        {FLAT, 1, FLAT, 5},  // exactly at a SOLID surface: below it
        {5000, 1, 5000, 5},
    };
    for (const flat_case& c : cases) {
        probes_at(SYNTH_CELL_FLAT, 0x8100, c.y, 0x8100);
        SCOPED_TRACE(c.y);
        EXPECT_EQ(column(0), (std::vector<entry>{{COLUMN_TOP, P, 1, 0}, {FLAT, S, 5, 0}, {COLUMN_BOTTOM, S, 1, 0}}));
        EXPECT_EQ(probe(0, PROBE_PARITY), 0);
        EXPECT_EQ(probe(0, PROBE_HIT), c.hit);
        EXPECT_EQ(probe(0, PROBE_CONTACT), c.contact);
        EXPECT_EQ(probe(0, PROBE_SURFACE), c.surface);
    }
}

TEST_F(ProbeTest, ProbesSitAtTheirBodyOffsets) {
    probes_at(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000);
    EXPECT_EQ(w_cell(W_PROBE_COUNT), 6);
    const int32_t offsets[6][3] = {{0, 0, 0}, {2240, 256, 512}, {-2240, 256, 512}, {0, 0, 688}, {0, 1248, 512},
                                   {0, 0, 688}};
    for (int n = 0; n < 6; n++)
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(probe(n, PROBE_OFFSET + 4 * uint32_t(k)), offsets[n][k], 2) << n << "," << k;
            EXPECT_EQ(probe(n, PROBE_POS + 4 * uint32_t(k)),
                      w_cell(W_PLAYER_X + 4 * uint32_t(k)) + probe(n, PROBE_OFFSET + 4 * uint32_t(k)));
        }
    // The look-ahead probe follows the target heading, the others the displayed one.
    w_cell_set(W_TARGET_HEADING, 0x4000);
    probe_positions_update();
    EXPECT_NEAR(probe(5, PROBE_OFFSET), -688, 2);
    EXPECT_NEAR(probe(3, PROBE_OFFSET + 8), 688, 2);
}

TEST_F(ProbeTest, PassSurfaceHeightBelongsToTheSolidAboveIt) {
    // Cell 11 where all three layers lie: SOLID 50 over PASS 30 (a slab), a tunnel down
    // to SOLID 4. The probe at the PASS height counts as above it, inside the slab.
    const flat_case cases[] = {
        {30 * 1024, 1, 30 * 1024, 3},
        {30 * 1024 - 1, 0, 4 * 1024, 0},
        {4 * 1024, 1, 4 * 1024, 1},
        {60 * 1024, 0, 50 * 1024, 0},
    };
    for (const flat_case& c : cases) {
        probes_at(SYNTH_CELL_LAYERS, 0x4100, c.y, 0x8100);
        SCOPED_TRACE(c.y);
        EXPECT_EQ(column(0), (std::vector<entry>{{COLUMN_TOP, P, 1, 0},
                                                 {50 * 1024, S, 3, 0},
                                                 {30 * 1024, P, 2, 0},
                                                 {4 * 1024, S, 1, 0},
                                                 {COLUMN_BOTTOM, S, 1, 0}}));
        EXPECT_EQ(probe(0, PROBE_HIT), c.hit);
        EXPECT_EQ(probe(0, PROBE_CONTACT), c.contact);
        EXPECT_EQ(probe(0, PROBE_SURFACE), c.surface);
    }
}

TEST_F(ProbeTest, TwoSolidFirstSurfacesKeepTheLower) {
    probes_at(SYNTH_CELL_LAYERS, 0x12100, 40 * 1024, 0x8100);  // beyond the PASS layer
    EXPECT_EQ(column(0), (std::vector<entry>{{COLUMN_TOP, P, 1, 0}, {4 * 1024, S, 1, 0}, {COLUMN_BOTTOM, S, 1, 0}}));
    EXPECT_EQ(probe(0, PROBE_HIT), 0);
    EXPECT_EQ(probe(0, PROBE_CONTACT), 4 * 1024);
}

struct sort_case {
    int course, layers;
    std::vector<int32_t> in;   // heights x 16 | kind, in layer order
    std::vector<int32_t> out;
};

TEST_F(ProbeTest, ColumnMergeRules) {
    auto e = [](int32_t h, int32_t k) { return h * 16 | k; };
    const sort_case cases[] = {
        {0, 1, {e(10, S)}, {e(10, S)}},
        {3, 1, {e(10, S)}, {}},                                       // course 3: single surface emptied
        {3, 2, {e(4, S), e(30, S)}, {}},                              // course 3: second above the first
        {3, 2, {e(30, P), e(4, S)}, {e(30, P), e(4, S)}},
        {3, 3, {e(30, S), e(4, S)}, {e(4, S)}},                       // then the two-SOLID rule
        {0, 3, {e(30, S), e(4, S)}, {e(4, S)}},
        {0, 3, {e(4, S), e(30, S)}, {e(4, S)}},
        {0, 2, {e(30, S), e(4, S)}, {e(30, S), e(4, S)}},             // only with three layers
        {0, 3, {e(30, S), e(4, P)}, {e(30, S), e(4, P)}},
        {0, 3, {e(4, S), e(50, P), e(30, S)}, {e(4, S)}},             // P, S, S from the top
        {0, 3, {e(4, S), e(30, P), e(50, S)}, {e(50, S), e(30, P), e(4, S)}},
    };
    for (const sort_case& c : cases) {
        w_cell_set(W_COURSE_NUMBER, c.course);
        w_cell_set(W_STAGE_LAYER_COUNT, c.layers);
        w_cell_set(W_WORK_COUNT, int32_t(c.in.size()));
        for (size_t i = 0; i < c.in.size(); i++) {
            w_cell_set(W_WORK_ENTRIES + 4 * uint32_t(i), c.in[i]);
            w_cell_set(W_WORK_FLAGS + 4 * uint32_t(i), int32_t(i) + 1);
        }
        column_entries_sort();
        std::vector<int32_t> out;
        for (int32_t i = 0; i < w_cell(W_WORK_COUNT); i++) out.push_back(w_cell(W_WORK_ENTRIES + 4 * uint32_t(i)));
        EXPECT_EQ(out, c.out) << "course " << c.course << " first " << c.in[0];
    }
}

TEST_F(ProbeTest, ZeroLayerCellIsSolidExceptOnCourse3) {
    probes_at(SYNTH_CELL_WALL, 0x8000, 500000, 0x8000);
    EXPECT_EQ(probe(0, PROBE_PARITY), 1);
    EXPECT_EQ(probe(0, PROBE_HIT), 1);
    course(3);
    probes_at(SYNTH_C3_EMPTY, 0x8000, 100000, 0x8000);
    EXPECT_EQ(probe(0, PROBE_PARITY), 0);
    EXPECT_EQ(probe(0, PROBE_HIT), 0);
    EXPECT_EQ(probe(0, PROBE_CONTACT), COLUMN_BOTTOM);
}

TEST_F(ProbeTest, Course3EmptiesASingleSurface) {
    course(3);
    for (int cell : {SYNTH_C3_SINGLE, SYNTH_C3_RISING}) {
        probes_at(cell, 0x8100, 5000, 0x8100);  // below the surfaces
        EXPECT_EQ(column(0), (std::vector<entry>{{COLUMN_TOP, P, 1, 0}, {COLUMN_BOTTOM, S, 1, 0}})) << cell;
        EXPECT_EQ(probe(0, PROBE_HIT), 0);
        EXPECT_EQ(probe(0, PROBE_CONTACT), COLUMN_BOTTOM);
    }
}

TEST_F(ProbeTest, SlopeHeightFollowsTheTriangleFormula) {
    place(SYNTH_CELL_SLOPE, 0x8000, 200000, 0x8000);
    const int32_t points[][2] = {{0x0100, 0x0100}, {0x3F00, 0x0200}, {0x8123, 0x9456}, {0x17F00, 0x17F00},
                                 {0x0, 0x11111}, {0x12345, 0x6789}, {0x10000, 0x10001}};
    // Vertex (0, 0) sits one lattice step before the cell origin; the plane through it.
    int32_t vx = origin_x(SYNTH_CELL_SLOPE) - 0x2000, vz = origin_z(SYNTH_CELL_SLOPE) - 0x2000;
    for (const auto& p : points) {
        int32_t x = origin_x(SYNTH_CELL_SLOPE) + p[0], z = origin_z(SYNTH_CELL_SLOPE) + p[1];
        w_cell_set(W_WALK_LAYER, 0);
        layer_seed_faces(origin_x(SYNTH_CELL_SLOPE) + 0x8000, origin_z(SYNTH_CELL_SLOPE) + 0x8000);
        int32_t h = terrain_cell_find_triangle(x, z);
        int32_t px = w_cell(W_TRI_CORNERS), pz = w_cell(W_TRI_CORNERS + 4);
        SCOPED_TRACE(testing::Message() << std::hex << p[0] << "," << p[1]);
        EXPECT_EQ(w_cell(W_TRI_SLOPE_X), 32);
        EXPECT_EQ(w_cell(W_TRI_SLOPE_Z), -32);
        EXPECT_EQ(w_cell(W_TRI_EDGE_FLAGS), 9);
        EXPECT_EQ(h, w_cell(W_TRI_HEIGHT) * 1024 + ((x - px) * 32 >> 9) + ((z - pz) * -32 >> 9));
        EXPECT_EQ(h, 40 * 1024 + ((x - vx) * 32 >> 9) + ((z - vz) * -32 >> 9));
        // The same point against the stored triangle.
        EXPECT_EQ(terrain_face_height(x, z), h);
    }
}

TEST_F(ProbeTest, RepeatPointUsesTheHistory) {
    probes_at(SYNTH_CELL_SLOPE, 0x8100, 200000, 0x8100);
    int32_t first = probe(0, PROBE_COLUMN + 4);
    int32_t held = w_cell(W_HISTORY_HELD), next = w_cell(W_HISTORY_NEXT);
    EXPECT_GE(held, 1);
    probe_walk(0);
    EXPECT_EQ(probe(0, PROBE_COLUMN), first);
    EXPECT_EQ(w_cell(W_HISTORY_HELD), held);  // found in the history: nothing stored
    EXPECT_EQ(w_cell(W_HISTORY_NEXT), next);
    // A point in another triangle is searched and stored.
    probe_set(0, PROBE_POS, origin_x(SYNTH_CELL_SLOPE) + 0x14000);
    probe_walk(0);
    EXPECT_EQ(w_cell(W_HISTORY_NEXT), (next + 1) % 2);
}

struct zone_case {
    int a, b;
    int32_t top, bottom;  // absolute heights of the two entries
    int surface;
};

TEST_F(ProbeTest, ZoneTypesGiveTheirTopsAndBottoms) {
    // Probe 0 at (1024, 6000, 512) from each zone's centre: t = u = 0, e = 512, dx = 1024.
    const zone_case cases[] = {
        {0, 0, 8192, 4096, 0x20},   // type 0: the top height
        {1, 0, 11008, 4096, 0x21},  // type 1, selector 0: a = 6144 - 512, slope 256
        {2, 0, 8448, 4096, 0x22},   // type 2, selector 2: a = u - dx, slope 128
        {3, 0, 8320, 4096, 0x23},   // type 3: the lower of the p (256) and q (128) slopes
        {0, 1, 9024, 5440, 0x24},   // type 4, selector 1: bottom 0x20 x 16 + the slope
        {1, 1, 9088, 5752, 0x25},   // type 5, selector 3: bottom |a| 100 >> 9 + 0x10 x 16
    };
    for (const zone_case& c : cases) {
        zone_probe(c.a, c.b, 1024, 6000, 512);
        std::vector<entry> col = column(0);
        SCOPED_TRACE(c.surface);
        EXPECT_TRUE(has(col, {c.top, S, c.surface, 1}));
        EXPECT_TRUE(has(col, {c.bottom, P, c.surface, 1}));
        EXPECT_EQ(col.size(), 5u);
        EXPECT_EQ(probe(0, PROBE_HIT), 1);
        EXPECT_EQ(probe(0, PROBE_SURFACE), c.surface);
    }
    // Above the box the zone top is the floor.
    zone_probe(0, 0, 1024, 9000, 512);
    EXPECT_EQ(probe(0, PROBE_HIT), 0);
    EXPECT_EQ(probe(0, PROBE_CONTACT), 8192);
}

TEST_F(ProbeTest, ShearedBoxMovesWithX) {
    // Shear 1/2: t = dx / 2 and u = -e / 2 shift the box: (2000, 6500) lies inside,
    // (4096, -5000) outside, though an unsheared box would take the second, not the first.
    zone_probe(2, 1, 2000, 6000, 6500);
    EXPECT_TRUE(has(column(0), {8192, S, 0x26, 1}));
    zone_probe(2, 1, 4096, 6000, -5000);
    EXPECT_EQ(column(0).size(), 3u);
}

struct marker_case {
    int a, b;
    int32_t y, hit, contact;
};

TEST_F(ProbeTest, MarkerBoxesCutHoles) {
    const marker_case cases[] = {
        {1, 2, 0, 0, -6000},      // 0xFD: under the ground inside the hole
        {3, 2, 0, 0, -6000},      // 0xFF: the same
        {0, 3, 0, 1, 0},          // no hole: inside the ground
        {2, 2, 11000, 0, 10000},  // 0xFE: a hole in the floating box
        {2, 2, 9000, 1, 9000},    // the box below the hole
        {2, 2, 13000, 1, 13000},  // the box above the hole
    };
    for (const marker_case& c : cases) {
        zone_probe(c.a, c.b, 100, c.y, 100);
        SCOPED_TRACE(testing::Message() << c.a << "," << c.b << " y " << c.y);
        EXPECT_EQ(probe(0, PROBE_HIT), c.hit);
        EXPECT_EQ(probe(0, PROBE_CONTACT), c.contact);
    }
}

TEST_F(ProbeTest, LeavingA0xE0RegionHoldsE5For19Frames) {
    zone_probe(0, 2, 100, 3000, 100);
    EXPECT_EQ(probe(0, PROBE_SPECIAL_COUNT), 2);
    EXPECT_EQ(probe(0, PROBE_SPECIAL), 1);
    EXPECT_EQ(probe(0, PROBE_SPECIAL_TYPE), 0xE0);
    EXPECT_EQ(probe(0, PROBE_HIT), 0);  // special entries do not block
    EXPECT_EQ(probe(0, PROBE_CONTACT), 2048);
    int frames = 0;
    for (int f = 0; f < 30; f++) {
        zone_probe(0, 3, 100, 3000, 100);
        EXPECT_EQ(probe(0, PROBE_SPECIAL), 0);
        if (probe(0, PROBE_SPECIAL_TYPE) == 0xE5) frames++;
        else EXPECT_EQ(probe(0, PROBE_SPECIAL_TYPE), 0);
    }
    EXPECT_EQ(frames, 19);
}

TEST_F(ProbeTest, DynamicZonesFromAnimatedObjectSlots) {
    uint32_t slot8 = W_ANIMATED_SLOTS + 8 * ANIMATED_SLOT_SIZE, slot9 = slot8 + ANIMATED_SLOT_SIZE;
    int32_t x = origin_x(SYNTH_CELL_ZONES) + 0x3000, z = origin_z(SYNTH_CELL_ZONES) + 0x15000;
    w_cell_set(slot8, x);
    w_cell_set(slot8 + 4, 20000 + 1459);
    w_cell_set(slot8 + 8, z);
    w_write16(WRAM_BASE + slot8 + 0x44, 1);   // size kind 1
    w_write16(WRAM_BASE + slot8 + 0x48, 0);
    w_write16(WRAM_BASE + slot9 + 0x48, 0x8000);  // a free slot ends the list
    zone_link_update();
    EXPECT_EQ(w_cell(W_SUBPART_COUNT), 1);
    EXPECT_EQ(w_cell(W_SUBPART_Y), 20000);
    EXPECT_EQ(w_cell(W_SUBPART_SIZE), SYNTH_DYNAMIC_SIZES[1][0]);
    EXPECT_EQ(w_cell(W_SUBPART_TOP), SYNTH_DYNAMIC_SIZES[1][2]);
    probes_at(SYNTH_CELL_ZONES, 0x3000 + 100, 21000, 0x15000 + 100);
    EXPECT_TRUE(has(column(0), {23000, S, 1, 1}));
    EXPECT_TRUE(has(column(0), {20000, P, 1, 1}));
    EXPECT_EQ(probe(0, PROBE_HIT), 1);
    // Too far from the player: not tested.
    w_cell_set(W_SUBPART_X, x + 45000);
    probe_update();
    EXPECT_EQ(column(0).size(), 3u);
}

}  // namespace
