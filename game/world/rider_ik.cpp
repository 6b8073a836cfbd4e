// Rider pedalling, targets and limb solutions.
#include "game/world/rider_ik.h"

#include "base/env_switch.h"
#include "board/bus.h"
#include "board/fixed_math.h"
#include "board/inputs.h"
#include "board/rig_packets.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_ram.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

constexpr int32_t LEG_SUM_SQUARES = 133077;   // thigh^2 + shin^2
constexpr int32_t LEG_TWICE_PRODUCT = 128235;  // 2 thigh shin
constexpr int32_t ARM_SUM_SQUARES = ARM_UPPER * ARM_UPPER + ARM_LOWER * ARM_LOWER;
constexpr int32_t ARM_TWICE_PRODUCT = 2 * ARM_UPPER * ARM_LOWER;
constexpr int32_t REACH_LIMIT = 0x10000;       // longer reaches are straight limbs anyway
constexpr int32_t HEAD_MODEL = 92, HEAD_HIT_MODEL = 93;
constexpr int32_t SPIN_MODEL = 110, SPIN_MODEL_VIEW = 119;
constexpr int32_t SPIN_FAST_SPEED = 8192;
constexpr int32_t LIMB_WORD = 2;
constexpr uint32_t KEYFRAME_PAIRS_MAX = 32;

struct limb {
    uint32_t upper;  // the lower segment is the next node
    int32_t length_upper, length_lower, sum_squares, twice_product;
    int32_t bend;    // +1 or -1: the side the knee or elbow goes
};
constexpr limb ARM_A = {NODE_ARM_A, ARM_UPPER, ARM_LOWER, ARM_SUM_SQUARES, ARM_TWICE_PRODUCT, -1};
constexpr limb ARM_B = {NODE_ARM_B, ARM_UPPER, ARM_LOWER, ARM_SUM_SQUARES, ARM_TWICE_PRODUCT, -1};
constexpr limb LEG_L = {NODE_LEG_L, LEG_UPPER, LEG_LOWER, LEG_SUM_SQUARES, LEG_TWICE_PRODUCT, 1};
constexpr limb LEG_R = {NODE_LEG_R, LEG_UPPER, LEG_LOWER, LEG_SUM_SQUARES, LEG_TWICE_PRODUCT, 1};

bool ikdump() {
    static const bool on = env_present("SKYVOLTA_IKDUMP");
    return on;
}

int32_t node_field(uint32_t k, uint32_t f) {
    return w_cell(rig_node(k) + f);
}
void node_field_set(uint32_t k, uint32_t f, int32_t v) {
    w_cell_set(rig_node(k) + f, v);
}
void node_offset_set(uint32_t k, const int32_t p[3]) {
    for (uint32_t i = 0; i < 3; i++) node_field_set(k, NODE_X + 4 * i, p[i]);
}
void node_angles_set(uint32_t k, int32_t pitch, int32_t heading, int32_t roll) {
    node_field_set(k, NODE_PITCH, pitch);
    node_field_set(k, NODE_HEADING, heading);
    node_field_set(k, NODE_ROLL, roll);
}
void node_link_set(uint32_t k, int32_t link) {
    w_word_set(rig_node(k) + NODE_LINK, uint32_t(link));
}

int32_t narrow(int64_t v) {
    return int32_t(uint32_t(uint64_t(v)));
}

// (u, v) turned by angle a in the plane: (u c - v s, u s + v c), 1.15 products.
void plane_turn(int64_t& u, int64_t& v, int32_t a) {
    int64_t s = math_sin(a), c = math_cos(a);
    int64_t nu = (u * c - v * s) >> 15, nv = (u * s + v * c) >> 15;
    u = nu, v = nv;
}

// Leg constant i (0..8) of the ROM table.
int32_t leg_constant(uint32_t i) {
    return i < 9 && ROM_LEG_CONSTANTS + 4 * i + 4 <= PROGRAM_ROM_END ? bus_read32(ROM_LEG_CONSTANTS + 4 * i) : 0;
}

// The limb from root to target: the upper segment's roll turns its plane through the
// target, the lower segment's pitch is the bend of the law of cosines (straight past
// the reach), the upper pitch aims the pair at the target.
void limb_solve(const limb& lb, const int32_t root[3], const int32_t target[3]) {
    int64_t dx = int64_t(target[0]) - root[0], dy = int64_t(target[1]) - root[1], dz = int64_t(target[2]) - root[2];
    dx = std::clamp<int64_t>(dx, -REACH_LIMIT, REACH_LIMIT);
    dy = std::clamp<int64_t>(dy, -REACH_LIMIT, REACH_LIMIT);
    dz = std::clamp<int64_t>(dz, -REACH_LIMIT, REACH_LIMIT);
    int32_t roll = dx != 0 || dy != 0 ? math_atan2(int32_t(-dx), int32_t(-dy)) : 0;
    int64_t across = (dx * math_sin(roll) - dy * math_cos(roll)) >> 15;  // in the plane, from the root
    int32_t aim = across != 0 || dz != 0 ? math_atan2(int32_t(dz), int32_t(across)) : 0;
    int64_t reach = (across * math_cos(aim) - dz * math_sin(aim)) >> 15;
    int64_t law = reach * reach - lb.sum_squares;
    law = std::clamp<int64_t>(law, -lb.twice_product, lb.twice_product);
    int32_t bend = lb.bend * math_slope_angle(int32_t(law), lb.twice_product);
    int32_t lower_across = narrow((int64_t(lb.length_lower) * math_sin(bend)) >> 15);
    int32_t lower_along = narrow((int64_t(lb.length_lower) * math_cos(bend)) >> 15);
    int32_t offset_angle = math_atan2(-lower_across, lb.length_upper + lower_along);

    node_offset_set(lb.upper, root);
    node_angles_set(lb.upper, wrap_sub(aim, offset_angle), 0, roll);
    const int32_t elbow[3] = {0, -lb.length_upper, 0};
    node_offset_set(lb.upper + 1, elbow);
    node_angles_set(lb.upper + 1, bend, 0, 0);
}

// Point v of node k's frame carried up to the machine's frame through node k's parents
// below node 0 (links followed while they stay within the rider).
void rider_point_in_machine(uint32_t k, const int32_t v[3], int32_t out[3]) {
    int32_t p[3] = {v[0], v[1], v[2]};
    for (uint32_t depth = 0; k != 0 && depth < 8; depth++) {
        rig_node_point(k, p, p);
        int32_t link = w_word(rig_node(k) + NODE_LINK);
        if (link >= 0 || int32_t(k) + link < 0) break;
        k = uint32_t(int32_t(k) + link);
    }
    for (uint32_t i = 0; i < 3; i++) out[i] = p[i];
}

// Node 11's head and node 12's spinning model.
void rider_models_set() {
    bool top_hit = w_cell(probe_field(PROBE_TOP, PROBE_HIT)) != 0;
    node_field_set(NODE_HEAD, NODE_MODEL, top_hit ? HEAD_HIT_MODEL : HEAD_MODEL);
    int32_t speed = w_cell(W_PLAYER_SPEED);
    int32_t q = speed < SPIN_FAST_SPEED ? 3 - (speed >> 11) : 0;
    q = std::clamp(q, 0, 31);
    int32_t base = w_cell(W_WING_SET) != 0 ? SPIN_MODEL_VIEW : SPIN_MODEL;
    node_field_set(NODE_SPIN, NODE_MODEL, ((w_cell(W_PLAY_FRAME_COUNTER) >> q) & 7) + base);
}

// Drive smoothed; body and torso placed from lean l, turn t, extra height b and depth c.
void rider_body_place(int32_t l, int32_t t, int32_t b, int32_t c) {
    int32_t pedal = w_cell(W_PEDAL_DELTA);
    int32_t d = w_cell(W_RIDER_DRIVE);
    d = wrap_add(d, wrap_sub(wrap_mul(pedal, 256), d) >> 3);
    w_cell_set(W_RIDER_DRIVE, d);

    int32_t s = math_sin(node_field(NODE_CRANK, NODE_PITCH));
    int64_t k = pedal < 5 ? 14 - int64_t(pedal) : 10;  // a demo record's pedal may be any long
    int32_t crank_sway = k >= 32 ? (s < 0 ? -1 : 0) : s >> k;
    node_field_set(NODE_BODY, NODE_X, wrap_add(wrap_add(node_field(NODE_BODY, NODE_BASE_X), t >> 4), crank_sway));
    node_field_set(NODE_BODY, NODE_Y, wrap_add(wrap_add(node_field(NODE_BODY, NODE_BASE_Y), b), d >> 10));
    node_field_set(NODE_BODY, NODE_Z, wrap_add(wrap_add(node_field(NODE_BODY, NODE_BASE_Z), c), l >> 5));
    node_field_set(NODE_BODY, NODE_ROLL, wrap_sub(node_field(NODE_BODY, NODE_BASE_ROLL), t));
    int32_t torso_pitch = wrap_sub(wrap_add(wrap_add(node_field(NODE_TORSO, NODE_BASE_PITCH), l), l >> 1), d);
    node_field_set(NODE_TORSO, NODE_PITCH, torso_pitch);
    node_field_set(NODE_TORSO, NODE_ROLL, wrap_add(node_field(NODE_TORSO, NODE_BASE_ROLL), t));
    rider_models_set();

    const int32_t inspect[8] = {w_cell(W_PITCH_INPUT), l, w_cell(W_TURN_INPUT), t, pedal, d,
                                node_field(NODE_TORSO, NODE_BASE_PITCH), torso_pitch};
    for (uint32_t i = 0; i < 8; i++) w_cell_set(W_SOUND_BYTE_COPIES + 4 * i, inspect[i]);
}

// Row or column of the keyframe grid with its hysteresis: the bias follows the last
// move, so a change back needs the value `bias` past the boundary.
int32_t keyframe_index(int32_t value, uint32_t bias_word, uint32_t previous_cell, int32_t shift, int32_t last,
                       int32_t bias) {
    int32_t b = w_word(bias_word);
    int32_t index = std::clamp(wrap_add(value, b) >> shift, 0, last);
    int32_t previous = w_cell(previous_cell);
    if (previous < index) w_word_set(bias_word, uint32_t(bias));
    if (previous > index) w_word_set(bias_word, uint32_t(-bias));
    return index;
}

// A keyframe store is allowed into the rider's nodes and the arm targets only.
bool keyframe_target(uint32_t w) {
    bool rider = w >= rig_node(RIG_RIDER_FIRST_NODE) && w < rig_node(NODE_LEG_R + 3);
    bool arms = w >= W_ARM_B_TARGET && w < W_RIG_MODE;
    return (rider || arms) && (w & 3) == 0;
}

// The keyframe record: pairs of (work-RAM offset, table pointer) longs, ended by an
// offset of 0; each store takes the table's long for the crank frame.
void keyframe_apply(uint32_t record, int32_t frame) {
    for (uint32_t i = 0; i < KEYFRAME_PAIRS_MAX; i++) {
        uint32_t at = record + 8 * i;
        if (record == 0 || uint64_t(at) + 8 > PROGRAM_ROM_END) return;
        uint32_t target = uint32_t(bus_read32(at)), table = uint32_t(bus_read32(at + 4));
        if (target == 0) return;
        uint64_t entry = uint64_t(table) + 4 * uint64_t(uint32_t(frame));
        if (!keyframe_target(target) || entry + 4 > PROGRAM_ROM_END) continue;
        w_cell_set(target, bus_read32(uint32_t(entry)));
    }
}

}  // namespace

void rig_node_point(uint32_t k, const int32_t v[3], int32_t out[3]) {
    int64_t x = v[0], y = v[1], z = v[2];
    plane_turn(y, z, node_field(k, NODE_PITCH));
    int64_t rx = x, ry = y;
    // Roll on rows: (x c - y s, x s + y c).
    plane_turn(rx, ry, node_field(k, NODE_ROLL));
    x = rx, y = ry;
    // Heading on rows: (x c + z s, -x s + z c).
    int64_t hz = z, hx = x;
    plane_turn(hz, hx, node_field(k, NODE_HEADING));
    x = hx, z = hz;
    out[0] = narrow(x + node_field(k, NODE_X));
    out[1] = narrow(y + node_field(k, NODE_Y));
    out[2] = narrow(z + node_field(k, NODE_Z));
}

void player_rig_set_crank(int32_t a) {
    node_field_set(NODE_CRANK, NODE_PITCH, a);
    node_field_set(NODE_PEDAL_L, NODE_PITCH, wrap_sub(CRANK_OPPOSITE, a));
    node_field_set(NODE_PEDAL_R, NODE_PITCH, wrap_sub(CRANK_OPPOSITE, a));
}

void player_rig_targets_from_input() {
    int32_t l = w_cell(W_RIDER_LEAN), t = w_cell(W_RIDER_TURN);
    l = wrap_add(l, wrap_sub(w_cell(W_PITCH_INPUT) >> 4, l) >> 2);
    t = wrap_add(t, wrap_sub(w_cell(W_TURN_INPUT) >> 5, t) >> 1);
    w_cell_set(W_RIDER_LEAN, l);
    w_cell_set(W_RIDER_TURN, t);
    rider_body_place(l, t, 0, 0);
}

void player_rig_targets_set(int32_t a, int32_t t, int32_t b, int32_t c) {
    w_cell_set(W_RIDER_LEAN, a);
    w_cell_set(W_RIDER_TURN, t);
    rider_body_place(a, t, b, c);
}

void player_ik_arms() {
    const int32_t shoulder_b[3] = {-SHOULDER[0], SHOULDER[1], SHOULDER[2]};
    int32_t sa[3], sb[3];
    rider_point_in_machine(NODE_TORSO, SHOULDER, sa);
    rider_point_in_machine(NODE_TORSO, shoulder_b, sb);

    int32_t s = math_sin(node_field(NODE_CRANK, NODE_PITCH)), c = math_cos(node_field(NODE_CRANK, NODE_PITCH));
    int32_t cs = int8_t(uint8_t(s >> 8)) - (s >> 12), cc = int8_t(uint8_t(c >> 8)) - (c >> 12);
    const int32_t grip_a[3] = {152, 406 - cs, -154 + cc}, grip_b[3] = {-152, 405 + cs, -155 - cc};
    for (uint32_t i = 0; i < 3; i++) {
        w_cell_set(W_ARM_A_TARGET + 4 * i, wrap_sub(sa[i], grip_a[i]));
        w_cell_set(W_ARM_B_TARGET + 4 * i, wrap_sub(sb[i], grip_b[i]));
    }
    limb_solve(ARM_A, sa, grip_a);
    limb_solve(ARM_B, sb, grip_b);
    node_link_set(NODE_ARM_A, -int32_t(NODE_ARM_A));
    node_link_set(NODE_ARM_B, -int32_t(NODE_ARM_B));
    for (uint32_t k : {NODE_ARM_A, NODE_ARM_B}) w_word_set(rig_node(k) + NODE_WORD, LIMB_WORD);
    if (ikdump())
        printf("[IKA] f=%d in1=%ld,%ld,%ld in2=%ld,%ld,%ld shA=%ld,%ld,%ld shB=%ld,%ld,%ld\n", int(host_frame),
               long(grip_a[0]), long(grip_a[1]), long(grip_a[2]), long(grip_b[0]), long(grip_b[1]), long(grip_b[2]),
               long(sa[0]), long(sa[1]), long(sa[2]), long(sb[0]), long(sb[1]), long(sb[2]));
}

void player_ik_legs() {
    int32_t k[9];
    for (uint32_t i = 0; i < 9; i++) k[i] = leg_constant(i);
    const int32_t hip_l[3] = {k[0], k[1], k[2]}, hip_r[3] = {wrap_neg(k[0]), k[1], k[2]};
    int32_t hl[3], hr[3], pl[3], pr[3];
    rider_point_in_machine(NODE_BODY, hip_l, hl);
    rider_point_in_machine(NODE_BODY, hip_r, hr);
    const int32_t pedal_l[3] = {node_field(NODE_PEDAL_L, NODE_X), node_field(NODE_PEDAL_L, NODE_Y),
                                node_field(NODE_PEDAL_L, NODE_Z)};
    const int32_t pedal_r[3] = {node_field(NODE_PEDAL_R, NODE_X), node_field(NODE_PEDAL_R, NODE_Y),
                                node_field(NODE_PEDAL_R, NODE_Z)};
    rig_node_point(NODE_CRANK, pedal_l, pl);
    rig_node_point(NODE_CRANK, pedal_r, pr);
    // The feet rest on the pedals: sideways a, up b, forward e (left) and f (right).
    const int32_t foot_l[3] = {wrap_add(pl[0], k[3]), wrap_add(pl[1], k[4]), wrap_add(pl[2], k[5])};
    const int32_t foot_r[3] = {wrap_sub(pr[0], k[3]), wrap_add(pr[1], k[4]), wrap_add(pr[2], k[6])};
    limb_solve(LEG_L, hl, foot_l);
    limb_solve(LEG_R, hr, foot_r);
    node_offset_set(NODE_LEG_L + 2, foot_l);
    node_offset_set(NODE_LEG_R + 2, foot_r);
    node_angles_set(NODE_LEG_L + 2, wrap_neg(k[7]), k[8], 0);
    node_angles_set(NODE_LEG_R + 2, k[7], wrap_neg(k[8]), 0);
    for (uint32_t n : {NODE_LEG_L, NODE_LEG_L + 2, NODE_LEG_R, NODE_LEG_R + 2}) node_link_set(n, -int32_t(n));
    if (ikdump())
        printf("[IKL] f=%d crank=%ld n9ang=%ld,%ld,%ld tgtL=%ld,%ld,%ld tgtR=%ld,%ld,%ld hipL=%ld,%ld,%ld "
               "hipR=%ld,%ld,%ld br=%d\n",
               int(host_frame), long(node_field(NODE_CRANK, NODE_PITCH)), long(node_field(NODE_BODY, NODE_PITCH)),
               long(node_field(NODE_BODY, NODE_HEADING)), long(node_field(NODE_BODY, NODE_ROLL)), long(foot_l[0]),
               long(foot_l[1]), long(foot_l[2]), long(foot_r[0]), long(foot_r[1]), long(foot_r[2]), long(hl[0]),
               long(hl[1]), long(hl[2]), long(hr[0]), long(hr[1]), long(hr[2]), 0);
}

void rider_keyframe_pose(int32_t a) {
    int32_t pitch_in = w_cell(W_PITCH_INPUT);
    int32_t l = w_cell(W_RIDER_LEAN);
    l = wrap_add(l, wrap_sub(wrap_sub(wrap_add(pitch_in >> 4, pitch_in >> 5), wrap_mul(w_cell(W_PEDAL_DELTA), 256)), l) >> 3);
    w_cell_set(W_RIDER_LEAN, l);
    int32_t row = keyframe_index(wrap_add(l, 5120), W_KEY_ROW_BIAS, W_KEY_ROW, 11, KEYFRAME_ROWS - 1, 128);

    int32_t t = w_cell(W_RIDER_TURN);
    t = wrap_add(t, wrap_sub(w_cell(W_TURN_INPUT) >> 5, t) >> 2);
    w_cell_set(W_RIDER_TURN, t);
    int32_t column = keyframe_index(wrap_add(t, 1152), W_KEY_COLUMN_BIAS, W_KEY_COLUMN, 8, KEYFRAME_COLUMNS - 1, 16);

    player_rig_set_crank(wrap_mul(a, 1024));
    uint32_t index = uint32_t(column) + KEYFRAME_COLUMNS * uint32_t(row);
    uint32_t record = uint32_t(bus_read32(ROM_KEYFRAMES + 4 * index));
    keyframe_apply(record, a & 63);
    rider_models_set();
    w_cell_set(W_KEY_ROW, row);
    w_cell_set(W_KEY_COLUMN, column);
}

void rider_ik_pose() {
    player_rig_set_crank(wrap_mul(w_cell(W_CRANK_FRAME), 1024));
    player_rig_targets_from_input();
    player_ik_arms();
    player_ik_legs();
}

void rider_ik_pose_targets(int32_t crank_angle, int32_t a, int32_t t, int32_t b, int32_t c) {
    player_rig_set_crank(crank_angle);
    player_rig_targets_set(a, t, b, c);
    player_ik_arms();
    player_ik_legs();
}
