// The collision driver: the look-ahead avoidance (slowing, stall, turn and sharp turn,
// relocation past a wall), the hold countdowns and the published probe outputs.
#include "game/world/collision_driver.h"

#include "game/world/probe_collision.h"
#include "tests/game/world/terrain_fixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t TUNNEL_TOP = 30 * 1024;  // the PASS layer of cell 11 over its tunnel
constexpr int32_t LEDGE_EDGE = 0xE000;     // the ledge cell's ground starts here in x

class CollisionTest : public TerrainTest {
protected:
    // The player at (dx, y, dz) of the cell, flying level along `heading` with the
    // targets at (pitch, heading, 0).
    static void fly(int cell, int32_t dx, int32_t y, int32_t dz, int32_t heading, int32_t target_pitch,
                    int32_t speed) {
        place(cell, dx, y, dz);
        w_cell_set(W_PLAYER_HEADING, heading);
        w_cell_set(W_TARGET_HEADING, heading);
        w_cell_set(W_EASED_HEADING, heading);
        w_cell_set(W_TARGET_PITCH, target_pitch);
        w_cell_set(W_PLAYER_SPEED, speed);
    }
    static int32_t angle_diff(int32_t a, int32_t b) { return int16_t(a - b); }
};

TEST_F(CollisionTest, CollisionOffChangesNothing) {
    fly(SYNTH_CELL_LEDGE, 0xB000, 20000, 0x8000, 0xC000, 0, 4000);
    w_cell_set(W_PLAYER_CELL, SYNTH_CELL_FLAT);  // a cell change would load
    w_cell_set(W_COLLISION_OFF, 1);
    w_cell_set(W_EASE_CODE, 10);
    std::vector<int64_t> before(wram, wram + WRAM_SIZE);
    collision_update();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), wram));
}

TEST_F(CollisionTest, FastContactSlowsByAnEighth) {
    fly(SYNTH_CELL_LAYERS, 0x4100, TUNNEL_TOP - 300, 0x8100, 0, 0x2000, 4000);
    collision_update();
    EXPECT_EQ(w_cell(W_PLAYER_SPEED_COPY), 4000);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 3500);
    EXPECT_EQ(w_cell(W_AVOID_STATE), 3);
    EXPECT_EQ(w_cell(W_LOOKAHEAD_FAST_AVOID), 1);  // no relocation, above 2987
    EXPECT_LT(int16_t(w_cell(W_TARGET_PITCH)), 0x2000);
    EXPECT_EQ(w_cell(W_PLAYER_Y), TUNNEL_TOP - 300);
}

TEST_F(CollisionTest, StallLowersTheTargetPitchBeforeTheSearch) {
    fly(SYNTH_CELL_LAYERS, 0x4100, TUNNEL_TOP - 300, 0x8100, 0, 0x2000, 500);
    collision_update();
    // 0x2000 - 0x4800, then the first try (+0x400) is free.
    EXPECT_NEAR(int16_t(w_cell(W_TARGET_PITCH)), 0x2000 - 0x4800 + 0x400, 8);
    EXPECT_EQ(w_cell(W_AVOID_STATE), 5);
    EXPECT_EQ(w_cell(W_BANK_DAMPING_TIMER), 120);
    EXPECT_EQ(w_cell(W_EASE_CODE), 120);
    EXPECT_EQ(w_cell(W_THRUST_OFF_TIMER), 0);  // never raised
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 500);
    EXPECT_EQ(w_cell(W_LOOKAHEAD_FAST_AVOID), 0);
}

struct turn_case {
    int32_t heading, dx;
    int32_t state, hold, turn_hold;
};

TEST_F(CollisionTest, FreeFirstStepTurnsWithoutRelocation) {
    // Along the ledge's edge, the look-ahead point just over it; the first free try is
    // heading +0x400. Across 0x8000 the signed 16-bit headings differ by almost a turn:
    // a sharp turn.
    const turn_case cases[] = {
        {0x7000, LEDGE_EDGE + 220, 3, 56, 0},
        {0x7E00, LEDGE_EDGE + 20, 4, 120, 120},
    };
    for (const turn_case& c : cases) {
        fly(SYNTH_CELL_LEDGE, c.dx, 10000, 0x8000, c.heading, 0, 3000);
        w_cell_set(W_TARGET_ROLL, 0x123);
        w_cell_set(W_BANK_DAMPING_TIMER, 0);
        w_cell_set(W_EASE_CODE, 0);
        collision_update();
        SCOPED_TRACE(c.heading);
        EXPECT_EQ(w_cell(W_AVOID_STATE), c.state);
        EXPECT_EQ(w_cell(W_EASE_CODE), c.hold);
        EXPECT_EQ(w_cell(W_BANK_DAMPING_TIMER), c.turn_hold);
        // (the old target roll turns the candidate a little)
        EXPECT_NEAR(angle_diff(w_cell(W_TARGET_HEADING), c.heading + 0x400), 0, 40);
        EXPECT_NEAR(int16_t(w_cell(W_TARGET_PITCH)), 0, 40);
        EXPECT_EQ(w_cell(W_TARGET_ROLL), 0);
        EXPECT_EQ(w_cell(W_PLAYER_X), origin_x(SYNTH_CELL_LEDGE) + c.dx);
        EXPECT_EQ(w_cell(W_PLAYER_SPEED), 3000);
        EXPECT_EQ(w_cell(W_LOOKAHEAD_FAST_AVOID), 1);
    }
}

TEST_F(CollisionTest, AlternativeDriverTurnsTheNoseOffTheWall) {
    // The nose at the ledge's wall; +1024 of heading frees it, as the look-ahead finds.
    fly(SYNTH_CELL_LEDGE, LEDGE_EDGE + 220, 10000, 0x8000, 0x7000, 0, 3000);
    w_cell_set(W_PLAYER_ROLL, 0x200);
    probe_update();
    ASSERT_EQ(probe(PROBE_NOSE, PROBE_HIT), 1);
    collision_probe_driver_alt();
    EXPECT_EQ(probe(PROBE_NOSE, PROBE_HIT), 0);
    EXPECT_NEAR(angle_diff(w_cell(W_PLAYER_HEADING), 0x7000 + 1024), 0, 40);
    EXPECT_EQ(w_cell(W_PLAYER_ROLL), 0);
    EXPECT_EQ(w_cell(W_PROBE_COUNT), 6);
    // Free already: nothing turns.
    collision_probe_driver_alt();
    EXPECT_NEAR(angle_diff(w_cell(W_PLAYER_HEADING), 0x7000 + 1024), 0, 40);
}

TEST_F(CollisionTest, WallMovesThePlayerToTheFirstFreePointFurtherOut) {
    // Inside the ledge cell's solid part, facing the ground 0x3000 away: nothing is free
    // at 688 or 6832 units; at 12976 the first try (pitch +0x400) reaches the ground side.
    fly(SYNTH_CELL_LEDGE, 0xB000, 20000, 0x8000, 0xC000, 0, 3000);
    collision_update();
    int32_t x = w_cell(W_PLAYER_X) - origin_x(SYNTH_CELL_LEDGE);
    EXPECT_GE(x, LEDGE_EDGE);
    EXPECT_NEAR(x, 0xB000 + 12914, 16);
    EXPECT_NEAR(w_cell(W_PLAYER_Y), 20000 + 1271, 16);
    EXPECT_EQ(w_cell(W_PLAYER_Z), origin_z(SYNTH_CELL_LEDGE) + 0x8000);
    EXPECT_EQ(w_cell(W_PLAYER_SPEED), 2304);
    EXPECT_EQ(w_cell(W_LOOKAHEAD_FAST_AVOID), 0);
    EXPECT_EQ(w_cell(W_AVOID_STATE), 3);
    EXPECT_EQ(w_cell(W_PROBE_COUNT), 1);  // left as the search used it
    EXPECT_EQ(probe(0, PROBE_HIT), 0);
    // The next frame's probes see the player on the ground side.
    w_cell_set(W_TARGET_PITCH, 0);
    player_cell_update();
    collision_update();
    EXPECT_EQ(w_cell(W_PROBE_COUNT), 6);
    EXPECT_EQ(probe(0, PROBE_HIT), 0);
    EXPECT_EQ(probe(0, PROBE_CONTACT), 2048);
}

TEST_F(CollisionTest, HoldsCountDownWithoutContact) {
    fly(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000, 0x6000, 0, 3000);
    w_cell_set(W_EASED_HEADING, 0);
    w_cell_set(W_AVOID_STATE, 3);
    w_cell_set(W_EASE_CODE, 100);
    w_cell_set(W_THRUST_OFF_TIMER, 1);
    w_cell_set(W_BANK_DAMPING_TIMER, 5);
    w_cell_set(W_LOOKAHEAD_GROUND_HOLD, 0);
    w_cell_set(W_LOOKAHEAD_IMPACT, 7);
    collision_update();
    EXPECT_EQ(w_cell(W_EASE_CODE), 97);  // by |0x6000 - 0| >> 13
    EXPECT_EQ(w_cell(W_THRUST_OFF_TIMER), 0);
    EXPECT_EQ(w_cell(W_BANK_DAMPING_TIMER), 4);
    EXPECT_EQ(w_cell(W_LOOKAHEAD_GROUND_HOLD), 0);
    EXPECT_EQ(w_cell(W_LOOKAHEAD_IMPACT), 0);
    EXPECT_EQ(w_cell(W_AVOID_STATE), 3);
    w_cell_set(W_AVOID_STATE, 0);
    collision_update();
    EXPECT_EQ(w_cell(W_EASE_CODE), 96);
}

TEST_F(CollisionTest, PublishesGroundPointsAndContacts) {
    fly(SYNTH_CELL_FLAT, 0x8000, 20000, 0x8000, 0, 0, 3000);
    collision_update();
    const int order[5] = {4, 3, 1, 2, 0};
    for (int i = 0; i < 5; i++) {
        int n = order[i];
        uint32_t g = W_GROUND_POINTS + 12 * uint32_t(i), c = W_CONTACT_COPY + 12 * uint32_t(i);
        EXPECT_EQ(w_cell(g), probe(n, PROBE_OFFSET));
        EXPECT_EQ(w_cell(g + 4), probe(n, PROBE_OFFSET + 8));
        EXPECT_EQ(w_cell(g + 8), 10 * 1024);
        EXPECT_EQ(w_cell(c + 8), probe(n, PROBE_OFFSET + 4));
        EXPECT_EQ(w_cell(W_CONTACT_HITS + 4 * uint32_t(n)), 0);
    }
    // While the ground hold runs, the nose's point follows the probe and the others
    // stay within 2048 of it.
    w_cell_set(W_LOOKAHEAD_GROUND_HOLD, 30);
    collision_update();
    EXPECT_EQ(w_cell(W_GROUND_POINTS + 12 + 8), probe(3, PROBE_POS + 4));
    EXPECT_EQ(w_cell(W_GROUND_POINTS + 48 + 8), 20000 - 2048);
    EXPECT_EQ(w_cell(W_GROUND_POINTS + 8), 10 * 1024);  // the top probe keeps its floor
    // Under the tunnel roof only the top probe reaches into the slab above.
    fly(SYNTH_CELL_LAYERS, 0x4100, TUNNEL_TOP - 600, 0x8100, 0, 0, 3000);
    collision_update();
    EXPECT_EQ(w_cell(W_CONTACT_HITS), 0);
    EXPECT_EQ(w_cell(W_CONTACT_HITS + 16), 1);
    EXPECT_EQ(w_cell(W_CONTACT_SURFACES + 16), 3);
    EXPECT_EQ(w_cell(W_CONTACT_SURFACES), 0);
}

}  // namespace
