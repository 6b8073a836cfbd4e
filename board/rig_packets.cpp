#include "board/rig_packets.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <initializer_list>

namespace {

constexpr uint32_t RECORD_BYTES = 128;
constexpr int32_t WING_DEPTH = 2240;

struct node_record {
    int32_t n;  // work-RAM offset
    int32_t model, parent, scale, x, y, z, angle[3], slot;
};

int32_t slot_long(int64_t offset) {
    return w_cell(uint32_t(offset));
}

bool record_fits(int64_t n) {
    return n >= 0 && n + RECORD_BYTES <= WRAM_SIZE;
}

bool record_read(int64_t record, node_record* r) {
    int32_t n = w_index(record);
    if (!record_fits(n)) return false;
    r->n = n;
    r->model = slot_long(n);
    r->parent = int16_t(uint32_t(slot_long(n + 4)) >> 16);
    r->scale = int16_t(slot_long(n + 8));
    r->x = slot_long(n + 0x24);
    r->y = slot_long(n + 0x28);
    r->z = slot_long(n + 0x2C);
    for (int i = 0; i < 3; i++) r->angle[i] = slot_long(n + 0x30 + 4 * i) & 0xFFFF;
    r->slot = slot_long(n + 0x78);
    return true;
}

// The slot of the record `parent` records away, 0 when it lies outside work RAM.
int32_t parent_slot(const node_record& r) {
    int64_t m = int64_t(r.n) + int64_t(r.parent) * RECORD_BYTES;
    return record_fits(m) ? slot_long(m + 0x78) : 0;
}

int32_t anchor(int axis) {
    return wram_long(W_NODE_ANCHOR + 4 * uint32_t(axis));
}

void anchor_set(int32_t x, int32_t y, int32_t z) {
    wram_long_set(W_NODE_ANCHOR, x);
    wram_long_set(W_NODE_ANCHOR + 4, y);
    wram_long_set(W_NODE_ANCHOR + 8, z);
}

// 0x800A with a translation, unfiltered: the rig draws every one of its models.
void node_model(int32_t model, int32_t slot, int32_t dx, int32_t dy, int32_t dz) {
    const int32_t words[6] = {DL_NODE_MODEL, model, slot, dx, dy, dz};
    dl_emit(words, 6);
}

void node_model_at_anchor(int32_t model, int32_t slot) {
    node_model(model, slot, anchor(0), anchor(1), anchor(2));
}

// 0x8008, slot, 6, the nine 1.15 entries row by row, -1.
void node_matrix(int32_t slot, const int32_t (&m)[9]) {
    int32_t words[13] = {DL_NODE, slot, 6};
    for (int i = 0; i < 9; i++) words[3 + i] = m[i];
    words[12] = DL_END;
    dl_emit(words, 13);
}

void node_scale(int32_t slot, int32_t k) {
    node_matrix(slot, {k, 0, 0, 0, k, 0, 0, 0, k});
}

// (k v) >> 15 and (k v) >> 14, formed in 32 bits.
int32_t k15(int32_t k, int32_t v) {
    return wrap_mul(k, v) >> 15;
}
int32_t k14(int32_t k, int32_t v) {
    return wrap_mul(k, v) >> 14;
}

int32_t ratio(int32_t v, int32_t d) {
    return wrap_div(wrap_mul(v, 2048), d);
}

// "/4" of the wing arithmetic: x 512 / 2048, truncated toward zero.
int32_t quarter(int32_t v) {
    return wrap_div(wrap_mul(v, 512), 2048);
}

}  // namespace

void camera_dsp_sky_render() {
    int32_t frame = wram_long(W_PLAY_FRAME_COUNTER);
    dl_model_rotated(3, 0, -320, 0, 0, (frame & 0x3F) << 10, 0, 0);
    dl_packet_8009(3, wram_long(W_SKY_PARENT_SLOT), 3);
    int32_t model = 779 + ((frame >> 2) & 1) + (wram_long(W_WING_SET) ? 2 : 0);
    node_model_at_anchor(model, 3);
}

void dl_model_offset(int32_t slot, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a,
                     int32_t angle_b, int32_t angle_c, int32_t scale) {
    int32_t s = wrap_add(slot, 3);
    dl_model_rotated(s, x, wrap_add(y, 800), wrap_sub(z, 848), angle_a, angle_b, angle_c, scale);
    dl_packet_8009(s, 4, s);
    node_model_at_anchor(model, s);
}

void dl_model_from_object(int64_t record, int32_t k) {
    node_record r;
    if (!record_read(record, &r)) return;
    dl_model_rotated(4, k15(k, r.x), k15(k, r.y), k15(k, r.z), wrap_neg(r.angle[0]), r.angle[1] + 0x8000,
                     r.angle[2], r.scale);
    dl_packet_8009(4, parent_slot(r), 4);
}

void dl_model_from_object34(int64_t record, int32_t k) {
    node_record r;
    if (!record_read(record, &r)) return;
    if (r.parent < 0) {
        node_scale(4, k);
        dl_model_rotated(3, r.x, r.y, r.z, r.angle[0], r.angle[1], r.angle[2], r.scale);
        dl_packet_8009(3, 4, 3);
        dl_packet_8009(3, parent_slot(r), r.slot);
        node_model_at_anchor(r.model, r.slot);
    } else if (r.parent == 0) {
        node_scale(3, k);
        dl_node_rotated(r.slot, r.angle[0], r.angle[1], r.angle[2], r.scale);
        dl_packet_8009(r.slot, 3, r.slot);
        anchor_set(dl_relative_x(r.x), dl_relative_y(r.y), dl_relative_z(r.z));
        node_model_at_anchor(r.model, r.slot);
    } else {
        int32_t a1[2], a3[2];
        dl_rotation_pair(r.angle[0], a1);
        dl_rotation_pair(r.angle[2], a3);
        const int32_t entry[9] = {r.model,       dl_relative_x(r.x), dl_relative_y(r.y),
                                  dl_relative_z(r.z), k14(k, a1[0]),  k14(k, a1[1]),
                                  k14(k, a3[0]), k14(k, a3[1]),      r.scale};
        dl_emit(entry, 9);
    }
}

void wings_packet_build(int32_t model, int32_t p, int32_t q, int32_t r, int32_t e) {
    if (e == 0) return;
    int32_t qe = ratio(q, e);
    if (qe < -10240 || qe > 10240) return;
    int32_t s[3];
    for (int i = 0; i < 3; i++) s[i] = wram_long(W_WING_SCALE + 4 * uint32_t(i));
    node_matrix(3, {ratio(p, e), 0, s[0], qe, 0, s[1], ratio(r, e), 0, s[2]});
    dl_packet_8009(4, 3, 3);
    node_model_at_anchor(model, 3);
}

void hud_draw_wings() {
    auto w = [](uint32_t offset) { return wram_long(offset); };
    int32_t player_y = w(W_PLAYER_Y);
    if (w(W_COURSE_NUMBER) == 3) {
        for (uint32_t offset : {W_WING_ROOT_Y, ground_point_contact(2), ground_point_contact(3), ground_point_contact(1),
                                ground_point_contact(0)})
            if (w(offset) <= 0) wram_long_set(offset, wrap_sub(player_y, 0x40000));
    }
    int32_t root = w(W_WING_ROOT_Y);
    int32_t a = wrap_neg(wrap_add(w(W_PITCH_INPUT_SMOOTH) >> 3, w(W_PLAYER_PITCH))) & 0xFFFC;
    int32_t c = math_cos(a);

    // Front or rear view when the wing pitch is within 60 degrees of level, else side.
    bool front = c < -0x5555 || c > 0x5555;
    int32_t s[3];
    if (front) {
        int32_t d = c < 0 ? -688 : 688;
        s[0] = ratio(w(0x2A7C), d);
        s[1] = ratio(wrap_sub(w(0x2A84), root), d);
        s[2] = ratio(w(0x2A80), d);
    } else {
        int32_t d = math_sin(a) < 0 ? -1248 : 1248;
        s[0] = ratio(wrap_sub(w(0x2A70), w(0x2AA0)), d);
        s[1] = ratio(wrap_sub(w(0x2A78), root), d);
        s[2] = ratio(wrap_sub(w(0x2A74), w(0x2AA4)), d);
    }
    int32_t sq[3];
    for (uint32_t i = 0; i < 3; i++) {
        sq[i] = quarter(s[i]);
        wram_long_set(W_WING_SCALE + 4 * i, s[i]);
        wram_long_set(W_WING_SCALE + 12 + 4 * i, sq[i]);
    }

    bool contact = w(front ? W_CONTACT_FRONT : W_CONTACT_SIDE) != 0;
    int32_t floor = wrap_div(wrap_mul(wrap_sub(root, wram_long(W_CAMERA_Y)), 2048), 10240);
    if ((s[1] < floor && !contact) || s[1] > 11008 || s[1] < -0x7FFF) return;

    int32_t b = wrap_neg(wrap_add(w(W_TURN_INPUT_SMOOTH) >> 3, w(W_PLAYER_ROLL))) & 0xFFFC;
    const int32_t node[11] = {DL_NODE, 4, 1, math_sin(a), c, 0, 0x7FFF, math_sin(b), math_cos(b), 1, DL_END};
    dl_emit(node, 11);
    bool second_set = w(W_WING_SET) != 0;
    bool banded = second_set && wrap_sub(player_y, root) > wrap_add(w(W_COURSE8_BANK), 4096);
    if (banded) dl_bank_select(wrap_sub(w(W_BAND_HEIGHT), 12000));
    anchor_set(dl_relative_x(w(W_PLAYER_X)), dl_relative_y(root), dl_relative_z(w(W_PLAYER_Z)));
    wings_packet_build(second_set ? 51 : 75, wrap_sub(w(0x2A88), sq[0]), wrap_sub(wrap_sub(w(0x2A90), sq[1]), root),
                       wrap_sub(w(0x2A8C), sq[2]), WING_DEPTH);
    wings_packet_build(second_set ? 50 : 76, wrap_sub(sq[0], w(0x2A94)), wrap_sub(wrap_add(sq[1], root), w(0x2A9C)),
                       wrap_sub(sq[2], w(0x2A98)), WING_DEPTH);
    if (banded) dl_bank_end();
}
