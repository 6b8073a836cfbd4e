// Hostile terrain tables: pointers and records past the ROM's end, oversized layers,
// bad neighbours and lattice points, cut and overflowing zone lists, out-of-range
// counts and an empty step table. The collision keeps to the stage area, the probes
// and the flight words it owns, and says each fault once at most.
#include "game/world/collision_driver.h"

#include "board/bus.h"
#include "game/world/terrain_triangles.h"
#include "tests/game/world/terrain_fixture.h"

#include <gtest/gtest.h>
#include <functional>
#include <set>
#include <sstream>

namespace {

constexpr uint32_t GEOMETRY0 = 0x0CB410, SLOPES0 = 0x101CDC, COUNTS0 = 0x0B971C, ZONES0 = 0x118550;
constexpr uint32_t SPARE = 0x3F0000;  // filler the hostile records go into

// Work-RAM ranges the collision may write: the stage, the player and flight words, the
// look-ahead words, the probes, the triangle history, the published outputs.
constexpr uint32_t WRITABLE[][2] = {{0x0010, 0x09A4}, {0x0D00, 0x0DB4}, {0x12CC, 0x12E8},
                                    {0x1300, 0x1A80}, {0x1F90, 0x2908}, {0x2A70, 0x2B24}};

uint32_t flat_layer_list() { return uint32_t(bus_read32(GEOMETRY0 + 4 * SYNTH_CELL_FLAT)); }
uint32_t flat_layer_record() { return uint32_t(bus_read32(flat_layer_list())); }

// Calls f(address, length) for every vertex record of the flat cell's layer.
void each_flat_vertex(const std::function<void(uint32_t, int)>& f) {
    uint32_t at = flat_layer_record() + 2;
    int count = bus_read8(flat_layer_record());
    for (int k = 0; k < count; k++) {
        int length = bus_read8(at + 2);
        f(at, length);
        at += uint32_t(length) + 2;
    }
}

void zone_put(uint32_t at, int type, int surface, int32_t x, int32_t y, int32_t z) {
    bus_write16(at, uint32_t(surface << 8 | type));
    bus_write32(at + 2, uint32_t(x));
    bus_write32(at + 6, uint32_t(y));
    bus_write32(at + 10, uint32_t(z));
    bus_write16(at + 14, 0);
    for (uint32_t k = 16; k < 24; k += 2) bus_write16(at + k, 0x200);
    bus_write16(at + 24, 0x100);
}

struct hostile_case {
    const char* name;
    int cell;
    std::function<void()> spoil;
    std::vector<const char*> says = {};  // guard lines it must print (the first time)
};

const hostile_case CASES[] = {
    {"geometry pointer past the ROM", SYNTH_CELL_FLAT, [] { bus_write32(GEOMETRY0 + 4 * SYNTH_CELL_FLAT, 0x3FFFFE); }},
    {"layer record past the ROM", SYNTH_CELL_FLAT, [] { bus_write32(flat_layer_list(), 0x3FFFFF); }},
    {"layer record at the ROM end", SYNTH_CELL_FLAT,
     [] {
         bus_write32(flat_layer_list(), 0x3FFFF0);
         bus_write8(0x3FFFF0, 200);
         for (uint32_t a = 0x3FFFF1; a < PROGRAM_ROM_END; a++) bus_write8(a, 0);
     }},
    {"more than 128 vertices", SYNTH_CELL_FLAT,
     [] {
         bus_write32(flat_layer_list(), SPARE);
         bus_write8(SPARE, 255);
         bus_write8(SPARE + 1, 255);
         for (uint32_t i = 0; i < 510; i++) {
             uint32_t at = SPARE + 2 + 4 * i;
             bus_write8(at, i % 16);
             bus_write8(at + 1, (i / 16) % 16);
             bus_write8(at + 2, 2);
             bus_write8(at + 3, 10);
         }
     },
     {"world_stage_geometry_load: layer 0 holds more than 128"}},
    {"neighbours beyond the pointer table", SYNTH_CELL_FLAT,
     [] {
         each_flat_vertex([](uint32_t at, int length) {
             for (int k = 4; k < length + 2; k += 2) bus_write8(at + uint32_t(k), 200);
         });
     },
     {"NULL face ptr"}},
    {"lattice beyond the grid", SYNTH_CELL_FLAT, [] { each_flat_vertex([](uint32_t at, int) { bus_write8(at, 200); }); }},
    {"rings running past their records", SYNTH_CELL_FLAT,
     [] { each_flat_vertex([](uint32_t at, int) { bus_write8(at + 2, 255); }); }},
    {"slope list past the ROM", SYNTH_CELL_FLAT, [] { bus_write32(SLOPES0 + 4 * SYNTH_CELL_FLAT, 0x3FFFFE); }},
    {"layer count -128", SYNTH_CELL_FLAT, [] { bus_write8(COUNTS0 + SYNTH_CELL_FLAT, 0x80); }},
    {"layer count 100", SYNTH_CELL_LAYERS, [] { bus_write8(COUNTS0 + SYNTH_CELL_LAYERS, 100); },
     {"layer count 100 (cell 11)"}},
    {"zone list cut by the ROM end", SYNTH_CELL_ZONES,
     [] {
         bus_write32(ZONES0 + 4 * SYNTH_CELL_ZONES, 0x3FFFF0);
         bus_write16(0x3FFFF0, 0x2005);
     }},
    {"zone type 9", SYNTH_CELL_ZONES,
     [] { bus_write16(uint32_t(bus_read32(ZONES0 + 4 * SYNTH_CELL_ZONES)), 0x2009); }},
    {"zones overflowing the column and the specials", SYNTH_CELL_ZONES,
     [] {
         bus_write32(ZONES0 + 4 * SYNTH_CELL_ZONES, SPARE);
         int32_t x = 0x18000 + 0x8000, z = 0x30000 + 0x8000;
         for (uint32_t i = 0; i < 20; i++) zone_put(SPARE + 26 * i, 0, i < 12 ? 0xE0 : 0x20, x, 1000 * int32_t(i), z);
         bus_write16(SPARE + 26 * 20, 0xFFFF);
     },
     {"column full", "more than 10 special entries"}},
    {"dynamic zone count 1000", SYNTH_CELL_ZONES, [] { w_cell_set(W_SUBPART_COUNT, 1000); }},
};

class HostileTest : public TerrainTest, public testing::WithParamInterface<int> {};

bool writable(uint32_t x) {
    for (const auto& r : WRITABLE)
        if (x >= r[0] && x < r[1]) return true;
    return false;
}

TEST_P(HostileTest, StaysInItsAreaAndSaysEachFaultOnce) {
    const hostile_case& c = CASES[GetParam()];
    SCOPED_TRACE(c.name);
    c.spoil();
    testing::internal::CaptureStderr();
    // Flying at the ground, nose down: the look-ahead search runs too.
    place(c.cell, 0x8000, 12000, 0x8000);
    w_cell_set(W_TARGET_PITCH, -0x3000);
    w_cell_set(W_PLAYER_SPEED, 3000);
    std::vector<int64_t> before(wram, wram + WRAM_SIZE);
    for (int f = 0; f < 3; f++) {
        w_cell_set(W_PLAYER_X, w_cell(W_PLAYER_X) + 0x900);
        player_cell_update();
        collision_update();
    }
    std::string err = testing::internal::GetCapturedStderr();
    for (uint32_t x = 0; x < WRAM_SIZE; x++)
        if (!writable(x)) {
            ASSERT_EQ(wram[x], before[x]) << "work RAM 0x" << std::hex << x;
        }
    for (const char* text : c.says) EXPECT_NE(err.find(text), std::string::npos) << text << "\n" << err;
    std::set<std::string> said;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("[GUARD]", 0) != 0) continue;
        std::string who = line.substr(0, line.find(':'));
        EXPECT_TRUE(said.insert(who).second) << "said twice: " << line;
    }
    EXPECT_LE(w_cell(W_STAGE_LAYER_COUNT), 3);
    EXPECT_GE(w_cell(W_STAGE_LAYER_COUNT), 0);
}

INSTANTIATE_TEST_SUITE_P(Tables, HostileTest, testing::Range(0, int(std::size(CASES))));

TEST_F(TerrainTest, OversizedLayerKeeps128VerticesAndOneGuardLine) {
    CASES[3].spoil();
    testing::internal::CaptureStderr();
    place(SYNTH_CELL_FLAT, 0x8000, 12000, 0x8000);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(guard_lines(err), 1) << err;
    EXPECT_EQ(uint32_t(w_cell(W_VERTEX_POINTERS + 4 * 127)), SPARE + 2 + 4 * 127);
    EXPECT_EQ(w_cell(W_VERTEX_POINTERS + VERTEX_POINTER_LAYER), 0);  // layer 1 untouched
}

TEST_F(TerrainTest, MissingNeighbourOrSlopeRecordIsNoSurface) {
    for (int spoiled : {4, 7}) {
        SCOPED_TRACE(CASES[spoiled].name);
        SetUp();
        CASES[spoiled].spoil();
        place(SYNTH_CELL_FLAT, 0x8100, 12000, 0x8100);
        w_cell_set(W_WALK_LAYER, 0);
        EXPECT_EQ(terrain_cell_find_triangle(w_cell(W_PLAYER_X), w_cell(W_PLAYER_Z)), -2);
        EXPECT_EQ(w_cell(W_TRI_HEIGHT), NO_SURFACE_HEIGHT);
    }
}

TEST_F(TerrainTest, StepTableWithoutStepsLeavesTargetsAndPosition) {
    bus_write32(0x039FA0, 0x8000);
    place(SYNTH_CELL_FLAT, 0x8000, 10400, 0x8000);
    w_cell_set(W_TARGET_PITCH, -0x3000);
    w_cell_set(W_TARGET_HEADING, 0x1234);
    w_cell_set(W_PLAYER_SPEED, 3000);
    collision_update();
    EXPECT_EQ(w_cell(W_TARGET_PITCH), -0x3000);
    EXPECT_EQ(w_cell(W_TARGET_HEADING), 0x1234);
    EXPECT_EQ(w_cell(W_PLAYER_X), origin_x(SYNTH_CELL_FLAT) + 0x8000);
    EXPECT_EQ(w_cell(W_AVOID_STATE), 0);
    EXPECT_EQ(w_cell(W_EASE_CODE), 0);
}

}  // namespace
