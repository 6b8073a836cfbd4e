// The rider: limbs placed as the renderer composes the node words, the crank's sway of
// the body, and the keyframe grid's hysteresis.
#include "board/inputs.h"
#include "game/world/player_rig.h"
#include "game/world/rider_ik.h"
#include "render/rotation_math.h"
#include "tests/game/world/rig_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <cmath>
#include <map>

namespace {

using V = std::vector<int32_t>;

// One slot as the renderer keeps it: rows v' = v x A + T.
struct slot {
    int32_t a[9] = {0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, 0, 0x7FFF};
    int32_t t[3] = {0, 0, 0};
};

// The renderer's node slots after the words of a list, and the slot each model was
// drawn through.
struct composed {
    std::map<int32_t, slot> slots;
    std::map<int32_t, slot> by_model;
};

composed compose(const V& w) {
    composed c;
    for (size_t i = 0; i < w.size();) {
        if (w[i] == 0x8008 && i + 10 < w.size()) {
            int32_t words[6];
            for (int k = 0; k < 6; k++) words[k] = int16_t(w[i + 3 + k]);
            slot s;
            euler_rotation_compose(words, s.a, 4);
            bool is_short = w[i + 10] == -1;
            if (!is_short)
                for (int k = 0; k < 3; k++) s.t[k] = w[i + 11 + k];
            c.slots[w[i + 1]] = s;
            i += is_short ? 11 : 15;
        } else if (w[i] == 0x8009) {
            const slot k = c.slots[w[i + 1]], p = c.slots[w[i + 2]];
            slot d;
            for (int j = 0; j < 3; j++)
                d.t[j] = p.t[j] + int32_t((int64_t(k.t[0]) * p.a[j] + int64_t(k.t[1]) * p.a[3 + j] +
                                           int64_t(k.t[2]) * p.a[6 + j]) >> 15);
            mat3_mul_fx15(k.a, p.a, d.a);
            c.slots[w[i + 3]] = d;
            i += 4;
        } else if (w[i] == 0x800A) {
            c.by_model[w[i + 1]] = c.slots[w[i + 2]];
            i += 6;
        } else {
            i++;
        }
    }
    return c;
}

void point_through(const slot& s, const double v[3], double out[3]) {
    for (int j = 0; j < 3; j++) out[j] = s.t[j] + (v[0] * s.a[j] + v[1] * s.a[3 + j] + v[2] * s.a[6 + j]) / 32768.0;
}

double distance(const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

class RiderTest : public RigTest {
protected:
    void SetUp() override {
        RigTest::SetUp();
        word_set(W_RIG_FLAG, 1);
    }
    // The rider of one frame at crank frame f, as the renderer would place it.
    composed rider_frame(int32_t f) {
        frame_start();
        w_cell_set(W_CRANK_FRAME, f);
        camera_setup_simple();
        return compose(written());
    }
};

TEST_F(RiderTest, HandsHoldTheGripsAndFeetThePedalsOverACrankTurn) {
    const double leg_reach = LEG_UPPER + LEG_LOWER, arm_reach = ARM_UPPER + ARM_LOWER;
    for (int32_t pedal : {0, 5})
        for (int32_t lean : {-32640, 32640})
            for (int32_t turn : {-32640, 32640}) {
                SCOPED_TRACE(testing::Message() << "pedal " << pedal << " lean " << lean << " turn " << turn);
                w_cell_set(W_PEDAL_DELTA, pedal);
                w_cell_set(W_PITCH_INPUT, lean);
                w_cell_set(W_TURN_INPUT, turn);
                for (int i = 0; i < 40; i++) rider_frame(0);  // the smoothed inputs settle
                double worst_foot = 0, worst_hand = 0;
                for (int32_t f = 0; f < 64; f++) {
                    composed c = rider_frame(f);
                    const slot& root = c.slots[4];
                    // Feet: the shin's end against the pedal's contact point.
                    for (int side = 0; side < 2; side++) {
                        const double ankle_local[3] = {0, -double(LEG_LOWER), 0}, zero[3] = {0, 0, 0};
                        double ankle[3], pedal_at[3], contact[3];
                        point_through(c.by_model[side ? 108 : 105], ankle_local, ankle);
                        point_through(c.by_model[side ? 97 : 96], zero, pedal_at);
                        const double offset[3] = {side ? -double(SYNTH_LEG_CONSTANTS[3]) : SYNTH_LEG_CONSTANTS[3],
                                                  double(SYNTH_LEG_CONSTANTS[4]),
                                                  double(SYNTH_LEG_CONSTANTS[side ? 6 : 5])};
                        slot turn_only = root;
                        point_through(turn_only, offset, contact);
                        for (int j = 0; j < 3; j++) contact[j] += pedal_at[j];
                        worst_foot = std::max(worst_foot, distance(ankle, contact));
                    }
                    // Hands: the forearm's end against the grip, which bobs with the crank.
                    int32_t s = rom_pair(f * 1024)[0], co = rom_pair(f * 1024)[1];
                    int32_t cs = int8_t(uint8_t(s >> 8)) - (s >> 12), cc = int8_t(uint8_t(co >> 8)) - (co >> 12);
                    const double grips[2][3] = {{152, 406.0 - cs, -154.0 + cc}, {-152, 405.0 + cs, -155.0 - cc}};
                    for (int side = 0; side < 2; side++) {
                        const double wrist_local[3] = {0, -double(ARM_LOWER), 0};
                        double wrist[3], grip[3];
                        point_through(c.by_model[side ? 103 : 101], wrist_local, wrist);
                        point_through(root, grips[side], grip);
                        worst_hand = std::max(worst_hand, distance(wrist, grip));
                    }
                }
                EXPECT_LT(worst_foot, 0.02 * leg_reach);
                EXPECT_LT(worst_hand, 0.02 * arm_reach);
            }
}

TEST_F(RiderTest, CrankSwaysTheBodyMoreAtHigherPedal) {
    struct {
        int32_t pedal, shift;
    } const rows[] = {{0, 14}, {3, 11}, {5, 10}, {9, 10}};
    for (const auto& r : rows)
        for (int32_t f : {8, 16, 40}) {
            SCOPED_TRACE(testing::Message() << "pedal " << r.pedal << " frame " << f);
            w_cell_set(W_PEDAL_DELTA, r.pedal);
            w_cell_set(W_TURN_INPUT, 0);
            w_cell_set(W_RIDER_TURN, 0);
            rider_frame(f);
            EXPECT_EQ(node(NODE_BODY, NODE_X), SYNTH_BODY_OFFSET[0] + (rom_pair(f * 1024)[0] >> r.shift));
        }
}

TEST_F(RiderTest, KeyframeRowsAndColumnsChangeOnlyPastTheirHysteresis) {
    // Lean L stays where it is when the input's target equals it: target = m + (m >> 1)
    // - 256 pedal for pitch input 16 m. Rows change at L = -3072 (+-128 once moved).
    struct lean_step {
        int32_t l, pedal, m, row;
    } const rows[] = {{-3200, 12, -85, 0}, {-3072, 12, 0, 1}, {-3200, 12, -85, 1},
                      {-3201, 12, -86, 0}, {-2945, 11, -86, 0}, {-2944, 11, -85, 1}};
    w_cell_set(W_TURN_INPUT, 0);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.l);
        w_cell_set(W_RIDER_LEAN, r.l);
        w_cell_set(W_PEDAL_DELTA, r.pedal);
        w_cell_set(W_PITCH_INPUT, 16 * r.m);
        frame_start();
        player_animation_keyframe_update(5);
        ASSERT_EQ(w_cell(W_RIDER_LEAN), r.l);
        EXPECT_EQ(w_cell(W_KEY_ROW), r.row);
        EXPECT_EQ(node(NODE_BODY, NODE_Z), synth_keyframe_z(uint32_t(w_cell(W_KEY_COLUMN) + 9 * r.row), 5));
    }
    // Turn T stays for turn input 32 T; columns change at T = 128 (+-16 once moved).
    struct turn_step {
        int32_t t, column;
    } const columns[] = {{100, 4}, {128, 5}, {112, 5}, {111, 4}, {143, 4}, {144, 5}};
    for (const auto& c : columns) {
        SCOPED_TRACE(c.t);
        w_cell_set(W_RIDER_TURN, c.t);
        w_cell_set(W_TURN_INPUT, 32 * c.t);
        frame_start();
        player_animation_keyframe_update(9);
        EXPECT_EQ(w_cell(W_KEY_COLUMN), c.column);
        EXPECT_EQ(node(NODE_BODY, NODE_Z), synth_keyframe_z(uint32_t(c.column + 9 * w_cell(W_KEY_ROW)), 9));
        EXPECT_EQ(node(NODE_CRANK, NODE_PITCH), 9 * 1024);
    }
    // Record 0's store into the player's x is refused.
    w_cell_set(W_PLAYER_X, 77);
    w_cell_set(W_RIDER_TURN, -2000);
    w_cell_set(W_TURN_INPUT, -64000);
    w_cell_set(W_RIDER_LEAN, -8000);
    w_cell_set(W_PITCH_INPUT, 0);
    w_cell_set(W_PEDAL_DELTA, 40);
    player_animation_keyframe_update(3);
    EXPECT_EQ(w_cell(W_KEY_ROW) + w_cell(W_KEY_COLUMN), 0);
    EXPECT_EQ(node(NODE_BODY, NODE_Z), synth_keyframe_z(0, 3));
    EXPECT_EQ(w_cell(W_PLAYER_X), 77);
}

}  // namespace
