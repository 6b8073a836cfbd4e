// Rotations, vector directions and lengths, the camera aim step, the stretched-model
// packets and the rig node transforms, all through the ROM sine and arc-tangent tables.
#include "board/fixed_math.h"

#include "board/board_memory.h"
#include "board/wram.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t DIRECTION_WORDS = 19;

struct trig {
    int32_t s, c;
};

trig trig_of(int32_t angle) {
    return {math_sin(angle), math_cos(angle)};
}

// (p s + q t) >> 15 in 32-bit wrapping arithmetic.
int32_t mac15(int32_t p, int32_t s, int32_t q, int32_t t) {
    return wrap_add(wrap_mul(p, s), wrap_mul(q, t)) >> 15;
}

// The sine-table word at a byte offset from the first sine (may be -2: the cosine of
// angle -4, which the pitch cosine of angles_to_vector reads).
int32_t sine_word(int32_t offset) {
    return int16_t(bus_read16(SINE_TABLE + uint32_t(offset)));
}

struct vec3 {
    int32_t x, y, z;
};

vec3 vec_read(int64_t address) {
    return {w_read32_offset(address, 0), w_read32_offset(address, 4), w_read32_offset(address, 8)};
}

// Length and direction (-pitch, -heading, 0) of (x, y, z): the heading turns the vector
// into the y-z plane (its horizontal length d), the pitch of (d, y) gives the length.
int32_t vec_angles(vec3 v, int32_t dir[3]) {
    int32_t h = math_atan2(v.x, v.z);
    int32_t c = math_cos(h);
    int32_t d = wrap_shl(v.z, 15), e;
    if (c != 0) {
        d = wrap_div(d, c);
        e = wrap_shl(d, 13);
    } else {
        e = wrap_shl(v.z, 28);
    }
    int32_t p = math_atan2(d, v.y);
    int32_t s = math_sin(p) >> 2;
    dir[0] = wrap_neg(p);
    dir[1] = wrap_neg(h);
    dir[2] = 0;
    return wrap_abs(s != 0 ? wrap_div(e, s) : e);
}

// A rig node record of `size` bytes wholly inside work RAM: its slot index.
bool node_record(int64_t record, uint32_t size, int32_t* index) {
    *index = w_index(record);
    return *index >= 0 && uint32_t(*index) + size <= WRAM_SIZE;
}

int32_t node_long(int32_t index, uint32_t offset) {
    return wram_long(uint32_t(index) + offset);
}

// The vector (16-bit components) rotated by the parent's angles at +0x0C, +0x10, +0x14,
// narrowing the intermediate components to 16 bits as the board does.
vec3 node_rotate(int32_t vx, int32_t vy, int32_t vz, int32_t parent) {
    trig t1 = trig_of(node_long(parent, 0x0C)), t2 = trig_of(node_long(parent, 0x10)),
         t3 = trig_of(node_long(parent, 0x14));
    int32_t y1 = int16_t(mac15(vy, t1.s, vz, t1.c));
    int32_t z1 = int16_t(mac15(vy, t1.c, vz, -t1.s));
    int32_t x1 = int16_t(mac15(vx, t2.c, y1, t2.s));
    return {mac15(x1, t3.c, z1, -t3.s), mac15(z1, t3.c, x1, t3.s), mac15(y1, t2.c, vx, -t2.s)};
}

// dest position = parent position + offset, +8 first as on the board.
void node_place(int32_t dest, int32_t parent, vec3 offset) {
    uint32_t d = WRAM_BASE + uint32_t(dest);
    w_write32(d + 8, wrap_add(node_long(parent, 8), offset.z));
    w_write32(d + 0, wrap_add(node_long(parent, 0), offset.x));
    w_write32(d + 4, wrap_add(node_long(parent, 4), offset.y));
}

constexpr uint32_t NODE_PARENT_SIZE = 0x18;  // position and angles
constexpr uint32_t NODE_DEST_SIZE = 12;      // position

}  // namespace

void vec_rotate_rph(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz) {
    trig r = trig_of(roll), p = trig_of(pitch), h = trig_of(heading);
    int32_t x1 = mac15(y, r.s, x, r.c), y1 = mac15(y, r.c, x, -r.s);
    int32_t y2 = mac15(z, p.s, y1, p.c), z1 = mac15(z, p.c, y1, -p.s);
    *ox = mac15(x1, h.c, z1, -h.s);
    *oz = mac15(x1, h.s, z1, h.c);
    *oy = y2;
}

void vec_rotate_hrp(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz) {
    trig r = trig_of(roll), p = trig_of(pitch), h = trig_of(heading);
    int32_t x1 = mac15(x, h.c, z, -h.s), z1 = mac15(z, h.c, x, h.s);
    int32_t y1 = mac15(y, r.c, x1, -r.s);
    *ox = mac15(x1, r.c, y, r.s);
    *oy = mac15(z1, p.s, y1, p.c);
    *oz = mac15(z1, p.c, y1, -p.s);
}

void vec_rotate_phr(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz) {
    if (pitch & 0xFFFF) {
        trig p = trig_of(pitch);
        int32_t z1 = mac15(z, p.c, y, -p.s);
        y = mac15(y, p.c, z, p.s);
        z = z1;
    }
    if (heading & 0xFFFF) {
        trig h = trig_of(heading);
        int32_t z2 = mac15(z, h.c, x, h.s);
        x = mac15(x, h.c, z, -h.s);
        z = z2;
    }
    if (roll & 0xFFFF) {
        trig r = trig_of(roll);
        int32_t y3 = mac15(y, r.c, x, -r.s);
        x = mac15(x, r.c, y, r.s);
        y = y3;
    }
    *ox = x;
    *oy = y;
    *oz = z;
}

void vec_rotate_plane(int32_t u, int32_t v, int32_t w, int32_t angle, int32_t* ou, int32_t* ov, int32_t* ow) {
    trig t = trig_of(angle);
    *ou = mac15(u, t.c, v, -t.s);
    *ov = mac15(v, t.c, u, t.s);
    *ow = w;
}

void polar_to_xy(int32_t angle, int32_t length, int32_t* p, int32_t* q) {
    int32_t c = wrap_add(angle, 0x4000);
    *p = wrap_mul(length, math_cos(c)) >> 15;
    *q = wrap_mul(length, math_sin(c)) >> 15;
}

void angles_to_vector(int32_t pitch, int32_t heading, int32_t length, int32_t* x, int32_t* y, int32_t* z) {
    int32_t po = int32_t(uint32_t(pitch) & 0xFFFC);
    int32_t ho = int32_t(uint32_t(wrap_add(heading, 0x4000)) & 0xFFFC);
    int32_t sp = sine_word(po), cp = sine_word(po - 2);
    int32_t sh = sine_word(ho), ch = sine_word(ho - 2);
    *y = wrap_mul(length, sp) >> 15;
    *x = wrap_mul(length, int16_t(wrap_mul(cp, ch) >> 15)) >> 15;
    *z = wrap_mul(length, int16_t(wrap_mul(cp, sh) >> 15)) >> 15;
}

int32_t vec_to_angles(int64_t vector, int64_t out) {
    int32_t dir[3];
    int32_t length = vec_angles(vec_read(vector), dir);
    for (int k = 0; k < 3; k++) w_write32_offset(out, 4 * k, dir[k]);
    return length;
}

void vec_to_length_angles(int32_t x, int32_t y, int32_t z, int32_t* length, int32_t* pitch, int32_t* heading) {
    int32_t h = math_atan2(x, z);
    int32_t x1, y1, z1;
    vec_rotate_phr(x, y, z, 0, wrap_neg(h), 0, &x1, &y1, &z1);
    int32_t p = math_atan2(z1, y1);
    int32_t x2, y2, z2;
    vec_rotate_phr(x1, y1, z1, wrap_sub(wrap_neg(p), 0x4000), 0, 0, &x2, &y2, &z2);
    *length = z2;
    *pitch = (p + 0x4000) & 0xFFFF;
    *heading = h;
}

int32_t vec_length3(int32_t a, int32_t b, int32_t c) {
    int32_t k = math_cos(math_atan2(a, c));
    int32_t r = a;
    if (k & 0xFFE0) r = wrap_div(wrap_mul(c, 1024), k >> 5);
    r = wrap_abs(r);
    int32_t k2 = math_cos(math_atan2(b, r));
    if (k2 & 0xFFE0) b = wrap_div(wrap_mul(r, 1024), k2 >> 5);
    return wrap_abs(b);
}

int32_t angle_from_components(int32_t a, int32_t b, int32_t c, int32_t flag) {
    int32_t s = math_sin(math_atan2(a, b));
    int32_t a2 = wrap_shl(a, 11);
    if (s & 0xFFF0) a2 = wrap_div(a2, s >> 4);
    int32_t f = wrap_mul(a2 / 4, -4096);
    int32_t g = math_cos(wrap_sub(math_atan2(c, a2), 0x8000));
    int32_t h = flag ? wrap_mul(g, 60) >> 7 : g >> 3;
    return h != 0 ? wrap_div(f, h) : f;
}

void angles_from_delta(int32_t k, int64_t point) {
    vec3 target = vec_read(point);
    int32_t dx = wrap_sub(target.x, wram_long(W_CAMERA_X));
    int32_t dy = wrap_sub(target.y, wram_long(W_CAMERA_Y));
    int32_t dz = wrap_sub(target.z, wram_long(W_CAMERA_Z));

    int32_t h = math_atan2(dx >> 4, dz >> 4);
    int32_t q = wrap_shl(dx, 7);
    int32_t sh = math_sin(h);
    if (sh & 0xFFF0) q = wrap_div(q, sh >> 4);  // the horizontal distance
    int32_t p = math_atan2(dy >> 4, q);

    int32_t pitch = wram_long(W_CAMERA_PITCH);
    int32_t step = wrap_sub(wrap_sub(p, pitch), 0x8000);
    if (k != 0) step = wrap_div(step, k);
    wram_long_set(W_CAMERA_PITCH, wrap_add(pitch, step));

    // The target heading within half a turn of the current one.
    int32_t heading = wram_long(W_CAMERA_HEADING);
    int64_t target_heading = h;
    if (target_heading > int64_t(heading) + 0x8000)
        target_heading -= 0x10000;
    else if (target_heading < int64_t(heading) - 0x8000)
        target_heading += 0x10000;
    int32_t turn = wrap_sub(int32_t(target_heading), heading);
    wram_long_set(W_CAMERA_HEADING, k != 0 ? wrap_add(heading, wrap_div(turn, k)) : int32_t(target_heading));
    wram_long_set(W_CAMERA_ROLL, 0);
}

int32_t* vec_direction(int64_t from, int64_t to, int32_t* out) {
    vec3 f = vec_read(from), t = vec_read(to);
    vec3 v = {wrap_sub(f.x, t.x), wrap_sub(f.y, t.y), wrap_sub(f.z, t.z)};
    int32_t dir[3];
    int32_t length = vec_angles(v, dir);
    for (uint32_t k = 0; k < 3; k++) wram_long_set(W_ENDING_OBJECT + 4 * k, dir[k]);

    uintptr_t p = reinterpret_cast<uintptr_t>(out), start = reinterpret_cast<uintptr_t>(dspram);
    if (p < start || p - start > sizeof dspram - DIRECTION_WORDS * sizeof(int32_t)) {
        static bool warned = false;
        if (!warned) {
            warned = true;
            fprintf(stderr, "[GUARD] vec_direction: cursor %p outside dspram -- packets dropped\n",
                    static_cast<void*>(out));
        }
        return out;
    }

    // Stretch scale 2^28 / length, at most 1.0 in 1.15.
    int32_t d = 0x7FFF;
    if (length & 0x1FFFFFFF) {
        uint32_t q = 0x80000000u / (uint32_t(length) << 3);
        d = q > 0x7FFF ? 0x7FFF : int32_t(q);
    }
    auto scaled = [](int32_t c) { return wrap_div(wrap_mul(c, 2048), 0x8000); };
    const int32_t words[DIRECTION_WORDS] = {
        0x8008, 3, 6,
        d, scaled(v.x), 0, 0, scaled(v.y), -d, -d, scaled(v.z), 0,
        -1,
        0x800A, 590, 3,
        wrap_sub(t.x, wram_long(W_CAMERA_X)), wrap_sub(t.y, wram_long(W_CAMERA_Y)),
        wrap_sub(t.z, wram_long(W_CAMERA_Z)),
    };
    std::memcpy(out, words, sizeof words);
    return out + DIRECTION_WORDS;
}

void node_transform2(int64_t vector, int64_t parent, int64_t dest) {
    int32_t pi, di;
    if (!node_record(parent, NODE_PARENT_SIZE, &pi) || !node_record(dest, NODE_DEST_SIZE, &di)) return;
    vec3 v = vec_read(vector);
    node_place(di, pi, node_rotate(int16_t(v.x), int16_t(v.y), int16_t(v.z), pi));
}

void node_transform3(int64_t vector, int64_t dest1, int64_t dest2, int64_t parent) {
    int32_t pi, d1, d2;
    if (!node_record(parent, NODE_PARENT_SIZE, &pi) || !node_record(dest1, NODE_DEST_SIZE, &d1) ||
        !node_record(dest2, NODE_DEST_SIZE, &d2))
        return;
    vec3 v = vec_read(vector);
    vec3 mirrored = node_rotate(int16_t(wrap_neg(v.x)), int16_t(v.y), int16_t(v.z), pi);
    vec3 direct = node_rotate(int16_t(v.x), int16_t(v.y), int16_t(v.z), pi);
    node_place(d1, pi, mirrored);
    node_place(d2, pi, direct);
}
