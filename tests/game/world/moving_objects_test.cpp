// Moving objects: positions on the circle, the cell, the heading's advance; inactive
// records stay where they are; clearing stops all eight.
#include "game/world/moving_objects.h"

#include "board/wram_cell.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "tests/board/board_fixture.h"

#include <vector>

namespace {

struct move_case {
    const char* name;
    int32_t centre[3], radius, rate, heading, status;
    int32_t x, y, z, cell, next_heading;
};

class MovingObjectTest : public BoardTest {};

TEST_F(MovingObjectTest, RecordsCircleTheirCentres) {
    const move_case cases[] = {
        {"heading 0", {0x20000, 5000, 0x40000}, 4096, 0x100, 0, 0, 0x20000 + 4094, 5000, 0x40000, 1 + 8 * 2, 0x100},
        {"quarter turn", {0x20000, 5000, 0x40000}, 4096, 0x100, 0x4000, 0, 0x20000, 5000, 0x40000 + 4094, 17, 0x4100},
        {"half turn", {0x20000, 0, 0x40000}, 0x2000, -0x200, 0x8000, 7, 0x20000 - 8192, 0, 0x40000, 17, 0x7E00},
        {"turn rate 0", {0x20000, 0, 0x40000}, 4096, 0, 0x4000, 0, 0x20000, 0, 0x40000 + 4094, 17, 0x4000},
        {"heading past a turn", {0, 0, 0}, 4096, 0x100, 0x14000, 0, 0, 0, 4094, 0, 0x14100},
        {"negative x", {-0x100, 0, 0x30000}, 4096, 0, 0x8000, 0, -0x100 - 4096, 0, 0x30000, 16, 0x8000},
    };
    for (const move_case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t r = moving_object(3);
        for (uint32_t k = 0; k < 3; k++) w_cell_set(r + MO_CENTRE + 4 * k, c.centre[k]);
        w_cell_set(r + MO_RADIUS, c.radius);
        w_cell_set(r + MO_TURN_RATE, c.rate);
        w_cell_set(r + MO_HEADING, c.heading);
        w_cell_set(r + MO_STATUS, c.status);
        EXPECT_EQ(objects_move_update(), 0);
        EXPECT_EQ(w_cell(r + MO_POSITION), c.x);
        EXPECT_EQ(w_cell(r + MO_POSITION + 4), c.y);
        EXPECT_EQ(w_cell(r + MO_POSITION + 8), c.z);
        EXPECT_EQ(w_cell(r + MO_CELL), c.cell);
        EXPECT_EQ(w_cell(r + MO_HEADING), c.next_heading);
    }
}

TEST_F(MovingObjectTest, InactiveRecordKeepsPositionAndHeading) {
    for (int32_t status : {-1, int32_t(0x80000000u), 16 - 500}) {
        SCOPED_TRACE(status);
        uint32_t r = moving_object(7);
        const int32_t fields[] = {0x10000, 0, 0x10000, 4096, 0x100};
        for (uint32_t k = 0; k < 5; k++) w_cell_set(r + 4 * k, fields[k]);
        w_cell_set(r + MO_POSITION, 111);
        w_cell_set(r + MO_POSITION + 4, 222);
        w_cell_set(r + MO_POSITION + 8, 333);
        w_cell_set(r + MO_CELL, 44);
        w_cell_set(r + MO_HEADING, 0x1234);
        w_cell_set(r + MO_STATUS, status);
        objects_move_update();
        EXPECT_EQ(std::vector<int32_t>({w_cell(r + MO_POSITION), w_cell(r + MO_POSITION + 4),
                                        w_cell(r + MO_POSITION + 8), w_cell(r + MO_CELL), w_cell(r + MO_HEADING)}),
                  (std::vector<int32_t>{111, 222, 333, 44, 0x1234}));
    }
}

// The fly-in's clear: all eight records stop where they stand, their other fields kept.
TEST_F(MovingObjectTest, ClearStopsAllEight) {
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) {
        uint32_t r = moving_object(i);
        w_cell_set(r + MO_RADIUS, 4096);
        w_cell_set(r + MO_TURN_RATE, 0x100);
        w_cell_set(r + MO_POSITION, 100 + i);
        w_cell_set(r + MO_HEADING, 0x1000 * i);
        w_cell_set(r + MO_STATUS, i % 2 ? 0 : 5);
    }
    moving_objects_clear();
    objects_move_update();
    for (int32_t i = 0; i < MOVING_OBJECTS; i++) {
        uint32_t r = moving_object(i);
        EXPECT_EQ(w_cell(r + MO_STATUS), int32_t(0x80000000u)) << i;
        EXPECT_EQ(w_cell(r + MO_POSITION), 100 + i) << i;
        EXPECT_EQ(w_cell(r + MO_HEADING), 0x1000 * i) << i;
        EXPECT_EQ(w_cell(r + MO_RADIUS), 4096) << i;
    }
}

}  // namespace
