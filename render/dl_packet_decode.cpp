#include "render/dl_packet_decode.h"

#include "render/model_walk.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int MAX_PACKETS = 4096;
constexpr uint32_t PKT_MATRIX = 10;
constexpr uint32_t PKT_OBJECT = 13;
constexpr uint32_t PKT_SHIFT_CZ = 16;
constexpr uint32_t PKT_VIEW = 21;

struct replay_state {
    dl_word_fetch fetch;
    geo_camera_record cam;
    uint32_t mirror;  // 0x10 / 0x20 flags of the last view packet
    bool view_seen;
};

int32_t signed_bits(uint32_t w, int bits) {
    uint32_t sign = 1u << (bits - 1), mask = (sign << 1) - 1;
    return int32_t((w & mask) ^ sign) - int32_t(sign);
}

// A 16-bit mantissa with its exponent in bits 16-21: mantissa / 2^(46 - e).
double float_word(uint32_t w) {
    int e = int(w >> 16 & 63);
    return std::ldexp(double(int16_t(w & 0xFFFF)), e >= 46 ? 0 : e - 46);
}

// Nine words, row after row, into the column-major 1.15 matrix of the camera record.
void matrix_read(const replay_state& st, uint32_t at, int32_t out[9]) {
    for (uint32_t p = 0; p < 3; p++)
        for (uint32_t k = 0; k < 3; k++) out[p + 3 * k] = int16_t(st.fetch(at + 3 * p + k) & 0xFFFF);
}

void view_setup(replay_state& st, uint32_t a) {
    geo_camera_record& c = st.cam;
    uint32_t w3 = st.fetch(a + 3), w4 = st.fetch(a + 4), w5 = st.fetch(a + 5), w7 = st.fetch(a + 7),
             w8 = st.fetch(a + 8);
    c.ambient = int32_t(w3 >> 16);
    c.light_scale = int32_t(w3 & 0xFFFF);
    c.lx = int16_t(w4 & 0xFFFF);
    c.ly = int16_t(w5 & 0xFFFF);
    c.lz = int16_t(st.fetch(a + 6) & 0xFFFF);
    c.prio_base = int32_t(w5 >> 16);
    c.ox = signed_bits(w7 >> 16, 12);
    c.oy = signed_bits(w7, 12);
    c.focal = int16_t(w8 & 0xFFFF);
    int e = int(w8 >> 16 & 63);
    c.shift = e < 46 ? 46 - e : 0;
    double focal = float_word(w8);
    auto inset = [&](uint32_t w) { return float(float_word(w) * focal - 0.5); };
    float left = inset(st.fetch(a + 10)), right = inset(st.fetch(a + 9));
    float top = inset(st.fetch(a + 11)), bottom = inset(st.fetch(a + 12));
    bool swap_x = w4 >> 20 & 1, swap_y = w4 >> 21 & 1;
    c.left = swap_x ? right : left;
    c.right = swap_x ? left : right;
    c.top = swap_y ? bottom : top;
    c.bottom = swap_y ? top : bottom;
    c.cull_sense = swap_x != swap_y;
    st.mirror = (swap_x ? 0x10u : 0) | (swap_y ? 0x20u : 0);
    matrix_read(st, a + 14, c.v);
    matrix_sign_flip(c.v, st.mirror);
    c.window = 1;
    c.obj_shift = c.cz = c.fog_mode = 0;
    st.view_seen = true;
}

// Camera = view matrix x object matrix, translation = view matrix x position.
void object_render(replay_state& st, uint32_t a, int32_t code, quad_sink sink, void* data) {
    geo_camera_record& c = st.cam;
    int32_t o[9];
    matrix_read(st, a + 3, o);
    int64_t pos[3];
    for (uint32_t k = 0; k < 3; k++) pos[k] = signed_bits(st.fetch(a + 12 + k), 24);
    int32_t t[3];
    for (int r = 0; r < 3; r++) {
        for (int col = 0; col < 3; col++) {
            int64_t sum = 0;
            for (int k = 0; k < 3; k++) sum += int64_t(c.v[r + 3 * k]) * o[k + 3 * col];
            c.m[r + 3 * col] = int32_t(sum >> 15);
        }
        int64_t sum = 0;
        for (int k = 0; k < 3; k++) sum += int64_t(c.v[r + 3 * k]) * pos[k];
        t[r] = int32_t(sum >> 15);
    }
    c.tx = t[0], c.ty = t[1], c.tz = t[2];
    geo_camera_set(&c);
    geo_current_code = code;
    if (geo_objlog_selects(code))
        fprintf(stderr, "[OBJ] code %d t %d %d %d  ap %d objshift %06X cz %06X\n", code, c.tx, c.ty, c.tz,
                c.prio_base, uint32_t(c.obj_shift), uint32_t(c.cz));
    model_quads_emit(code, sink, data);
    geo_current_code = -1;
    c.fog_mode &= ~2;
}

}  // namespace

int dl_packet_decode(dl_word_fetch fetch, const dl_decode_request* request, quad_sink sink, void* data) {
    if (!fetch || !request) return 0;
    replay_state st;
    memset(&st, 0, sizeof st);
    st.fetch = fetch;
    st.cam.focal = 0x7FFF;
    st.cam.shift = 15;
    st.cam.v[0] = st.cam.v[4] = st.cam.v[8] = 0x7FFF;
    int objects = 0;
    uint32_t a = request->start;
    for (int i = 0; i < MAX_PACKETS; i++) {
        int32_t code = int32_t(fetch(a) & 0xFFFF);
        uint32_t d = fetch(a + 1) & 0xFFFF;
        if (d != PKT_MATRIX && d != PKT_OBJECT && d != PKT_SHIFT_CZ && d != PKT_VIEW) break;
        if ((fetch(a + 3 + d) & 0x7FFF) != a + 4 + d) break;
        switch (d) {
        case PKT_VIEW:
            view_setup(st, a);
            break;
        case PKT_SHIFT_CZ:
            st.cam.cz = int32_t(fetch(a + 3) & 0xFFFFFF);
            st.cam.obj_shift = int32_t(fetch(a + 4) & 0xFFFFFF);
            if (request->fog_mode) st.cam.fog_mode = int32_t(fetch(a + 5) >> 21 & 7);
            break;
        case PKT_MATRIX:
            matrix_read(st, a + 3, st.cam.v);
            matrix_sign_flip(st.cam.v, st.mirror);
            st.view_seen = true;
            break;
        default:
            if (st.view_seen && (code == 5 || code > 68)) {
                object_render(st, a, code, sink, data);
                objects++;
            }
            break;
        }
        a += 4 + d;
    }
    if (request->focal_out) *request->focal_out = st.cam.focal;
    if (request->shift_out) *request->shift_out = st.cam.shift;
    if (request->ox_out) *request->ox_out = st.cam.ox;
    if (request->oy_out) *request->oy_out = st.cam.oy;
    return objects;
}
