// Contact particles: the emitter kind chosen by contact, speed and place; the burst of a
// fired emitter (four particles, or two while the map shows) with their ages; three
// slots drawn a frame; the special regions; the reset.
#include "game/world/particles.h"

#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/rig_packets.h"
#include "board/sprite_records.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/hud_ram.h"
#include "tests/board/dl_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <climits>
#include <cstdlib>

namespace {

class ParticleTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        particles_reset();
        w_cell_set(W_MAP_TIMER, -1);
        *at(DL_BUFFER_BASE + 4 * DL_VIEW_FOV_WORD) = 45 << 5;
        // Every probe's contact point 20000 units ahead of the camera.
        for (uint32_t p = 0; p < 5; p++) w_cell_set(probe_field(p, PROBE_POS + 8), 20000);
    }
    static int32_t count(uint32_t i) { return int16_t(uint32_t(w_cell(W_PARTICLE_EMITTERS + 4 * i)) >> 16); }
    static int32_t type(uint32_t i) { return int16_t(w_cell(W_PARTICLE_EMITTERS + 4 * i)); }
    static uint32_t slot(uint32_t i, uint32_t c) { return W_PARTICLE_POOL + 160 * i + 20 * c; }
    static void contact(uint32_t i, int32_t kind) {
        w_cell_set(W_CONTACT_HITS + 4 * i, 1);
        w_cell_set(W_CONTACT_SURFACES + 4 * i, kind);
    }
    // Runs a frame; returns the ages of the particles spawned in it (emitter 0).
    std::vector<int32_t> frame(std::vector<int32_t>* drawn = nullptr) {
        int32_t phase = (w_cell(W_PARTICLE_PHASE) + 1) & 15;
        int32_t before = count(0);
        sprite_call_list_reset();
        particles_update();
        if (drawn) drawn->push_back(sprite_call_list_count());
        if ((phase & 3) != 0 || before < 0) return {};
        return {before == count(0) ? -9 : 3 - before};
    }
};

struct kind_case {
    int32_t contact, speed, ground_hold, course, cell, tick;
    int32_t kind;  // 0: nothing fired
};

TEST_F(ParticleTest, ContactKindAndSpeedChooseTheEmitterKind) {
    const kind_case cases[] = {
        {3, 8193, 0, 0, 0, 0, 8}, {3, 8192, 0, 0, 0, 0, 3}, {3, 8192, 1, 0, 0, 0, 8}, {6, 6144, 0, 0, 0, 0, 7},
        {6, 6144, 1, 0, 0, 0, 8}, {6, 6145, 0, 0, 0, 0, 3},
        {2, 0, 0, 1, 71, 0, 2},   {2, 0, 0, 1, 72, 0, 9},   {2, 0, 0, 0, 72, 0, 2},
        {4, 2960, 0, 0, 0, 0, 4}, {4, 2959, 0, 0, 0, 0, 0},
        {1, 2960, 0, 0, 0, 0, 1}, {5, 2960, 0, 0, 0, 0x04, 4}, {5, 2960, 0, 0, 0, 0x10, 4}, {1, 2959, 0, 0, 0, 0x10, 0},
        {5, 2960, 0, 0, 0, 0x08, 5}, {7, 90000, 0, 0, 0, 0, 0},
    };
    for (const kind_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "contact " << c.contact << " speed " << c.speed << " tick " << c.tick);
        particles_reset();
        w_cell_set(W_PARTICLE_SPEED, c.speed);
        w_cell_set(W_LOOKAHEAD_GROUND_HOLD, c.ground_hold);
        w_cell_set(W_COURSE_NUMBER, c.course);
        w_cell_set(W_PLAYER_CELL, c.cell);
        w_cell_set(W_FRAME_TICK, c.tick);
        contact(2, c.contact);
        particles_update();
        if (c.kind == 0) {
            EXPECT_EQ(count(2), -1);
        } else {
            EXPECT_EQ(type(2), synth_particle_type(c.kind));
            EXPECT_EQ(count(2), 3);  // fired in this frame, the first spawn a later frame's
        }
    }
}

TEST_F(ParticleTest, SpecialRegionsFireOnTheWingAndTopProbesOnly) {
    const std::pair<int32_t, std::vector<int32_t>> cases[] = {{224, {3}}, {225, {3}}, {229, {10}}, {230, {}}};
    for (const auto& [region, kinds] : cases) {
        SCOPED_TRACE(region);
        particles_reset();
        for (uint32_t p = 0; p < 5; p++) {
            w_cell_set(probe_field(p, PROBE_SPECIAL), 1);
            w_cell_set(probe_field(p, PROBE_SPECIAL_TYPE), region);
        }
        particles_update();
        EXPECT_EQ(count(0), -1);
        for (uint32_t p = 1; p < 5; p++) {
            EXPECT_EQ(count(p), kinds.empty() ? -1 : 3);
            if (!kinds.empty()) {
                EXPECT_EQ(type(p), synth_particle_type(kinds[0]));
            }
        }
    }
}

TEST_F(ParticleTest, ABurstSpawnsFourAgesInSixteenFramesOrTwoWhileTheMapShows) {
    for (int32_t map : {-1, 100}) {
        SCOPED_TRACE(map);
        particles_reset();
        w_cell_set(W_MAP_TIMER, map);
        particle_emitter_fire(0, 3);
        std::vector<int32_t> ages;
        for (int f = 0; f < 20; f++)
            for (int32_t a : frame()) ages.push_back(a);
        EXPECT_EQ(ages, map < 0 ? std::vector<int32_t>({0, 1, 2, 3}) : std::vector<int32_t>({2, 3}));
        EXPECT_EQ(count(0), -1);
    }
}

TEST_F(ParticleTest, ThreeOfTheFourSlotsAreDrawnAFrameAtTheContactPoint) {
    for (uint32_t c = 0; c < 4; c++) {
        w_cell_set(slot(0, c) + 8, 20000);
        w_cell_set(slot(0, c) + PARTICLE_TYPE, 40);
        w_cell_set(slot(0, c) + PARTICLE_AGE, 1);
    }
    std::vector<int32_t> drawn;
    frame(&drawn);
    frame(&drawn);
    EXPECT_EQ(drawn, (std::vector<int32_t>{3, 3}));
    int32_t tile = 0;
    sprite_call_list_get(0, &tile, nullptr, nullptr, nullptr);
    EXPECT_EQ(tile, 41);  // type + age
    // The frame that starts a slot ages the three drawn ones; the fourth keeps its age.
    for (int f = 0; f < 2; f++) frame();
    int live_two = 0, live_one = 0;
    for (uint32_t c = 0; c < 4; c++) {
        live_two += w_cell(slot(0, c) + PARTICLE_AGE) == 2;
        live_one += w_cell(slot(0, c) + PARTICLE_AGE) == 1;
    }
    EXPECT_EQ(live_two, 3);
    EXPECT_EQ(live_one, 1);
}

TEST_F(ParticleTest, ResetIdlesEveryEmitterAndTheRandomOffsetsRepeat) {
    auto burst = [this] {
        particles_reset();
        particle_emitter_fire(4, 3);
        for (int f = 0; f < 4; f++) particles_update();
        return std::vector<int32_t>{w_cell(slot(4, 1)), w_cell(slot(4, 1) + 4), w_cell(slot(4, 1) + 8),
                                    w_cell(slot(4, 1) + PARTICLE_AGE)};
    };
    std::vector<int32_t> a = burst(), b = burst();
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[3], 1);  // spawned at 0, aged by the frame that spawned it
    EXPECT_LE(std::abs(a[2] - 20000), 512);
    particles_reset();
    for (uint32_t k = 0; k < PARTICLE_POOL_LONGS; k++) ASSERT_EQ(w_cell(W_PARTICLE_POOL + 4 * k), -1);
    for (uint32_t i = 0; i < 5; i++) EXPECT_EQ(count(i), -1);
}

TEST_F(ParticleTest, SmoothedSpeedHalvesTowardTheSpeedCopy) {
    w_cell_set(W_PLAYER_SPEED_COPY, 1000);
    std::vector<int32_t> s;
    for (int f = 0; f < 3; f++) {
        particles_update();
        s.push_back(w_cell(W_PARTICLE_SPEED));
    }
    EXPECT_EQ(s, (std::vector<int32_t>{500, 750, 875}));
}

// Positions wrap at 32 bits: a burst where the camera and the contact point sit at the
// edges of the coordinate range (the offsets crossing them) spawns and draws exactly as
// the same burst near the origin.
TEST_F(ParticleTest, ABurstAcrossTheCoordinateEdgeDrawsAsOneNearTheOrigin) {
    auto burst = [this](int32_t camera_x, int32_t camera_z) {
        particles_reset();
        w_cell_set(W_CAMERA_X, camera_x);
        w_cell_set(W_CAMERA_Z, camera_z);
        w_cell_set(probe_field(0, PROBE_POS), camera_x);
        w_cell_set(probe_field(0, PROBE_POS + 8), wrap_add(camera_z, 20000));
        particle_emitter_fire(0, 3);
        std::vector<int32_t> seen;
        for (int f = 0; f < 16; f++) {
            sprite_call_list_reset();
            particles_update();
            for (int n = 0; n < sprite_call_list_count(); n++) {
                int32_t tile, key, x, y;
                sprite_call_list_get(n, &tile, &key, &x, &y);
                seen.insert(seen.end(), {tile, key, x, y});
            }
        }
        for (uint32_t c = 0; c < 4; c++)
            for (uint32_t axis : {0u, 8u})
                seen.push_back(wrap_sub(w_cell(slot(0, c) + axis), w_cell(W_CAMERA_X + axis)));
        return seen;
    };
    std::vector<int32_t> near = burst(0, 0);
    ASSERT_GT(near.size(), 8u);
    EXPECT_EQ(burst(INT32_MIN, INT32_MAX - 20000), near);
    EXPECT_EQ(burst(INT32_MAX, INT32_MIN), near);
}

}  // namespace
