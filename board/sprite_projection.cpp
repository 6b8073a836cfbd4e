#include "board/sprite_projection.h"

#include "board/bus.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/sprite_records.h"
#include "board/wram.h"

namespace {

constexpr int64_t VIEW_FOV_BYTE = DL_BUFFER_BASE + 4 * DL_VIEW_FOV_WORD;  // 0x10038

// A 1.15 table value narrowed to 9 bits.
int32_t s7(int32_t v) {
    return v >> 7;
}

// (p a + q b) >> 8 in wrapping 32-bit arithmetic.
int32_t mac8(int32_t p, int32_t a, int32_t q, int32_t b) {
    return wrap_add(wrap_mul(p, a), wrap_mul(q, b)) >> 8;
}

// c x inner / d as the 68020's 64-by-32 division: false when the quotient overflows.
bool scaled_quotient(int64_t product, int32_t d, int32_t* q) {
    int64_t v = product / d;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *q = int32_t(v);
    return true;
}

int32_t half_fov(int32_t view) {
    int64_t offset = VIEW_FOV_BYTE + int64_t(DL_BUFFER_SIZE) * dl_buffer_current() + int64_t(DL_VIEW_BLOCK_BYTES) * view;
    if (offset < 0 || offset > 0x1FFFF) return 0;
    int32_t degrees32 = dsp_word(uint32_t(offset) / 4);
    return ((degrees32 >> 5) & 0x7FFFF) * 4096 / 45;
}

}  // namespace

void world_sprite_draw(int32_t view, int32_t tile, int32_t x, int32_t y, int32_t z, int32_t p8, int32_t priority) {
    int32_t m[8];
    for (uint32_t i = 0; i < 8; i++) m[i] = bus_read32(SPRITE_SIZE_MULTIPLIERS + 4 * i);
    int32_t h = wrap_neg(wram_long(W_CAMERA_HEADING)) & 0xFFFC;
    int32_t p = wrap_neg(wram_long(W_CAMERA_PITCH)) & 0xFFFC;
    int32_t r = wram_long(W_CAMERA_ROLL) & 0xFFFC;
    int32_t sin_h = s7(math_sin(h)), cos_h = s7(math_cos(h));
    int32_t sin_p = s7(math_sin(p)), cos_p = s7(math_cos(p));
    int32_t sin_r = s7(math_sin(r)), cos_r = s7(math_cos(r));

    int32_t e = mac8(x, sin_h, z, cos_h);
    int32_t depth = mac8(e, cos_p, wrap_neg(y), sin_p);
    if (depth <= 0) return;

    int32_t f = half_fov(view);
    wram_long_set(W_SPRITE_HALF_FOV, f);
    int32_t sin_f = s7(math_sin(f & 0xFFFC)), cos_f = s7(math_cos(f & 0xFFFC));
    int32_t d = wrap_mul(depth, sin_f) >> 8;
    if (d == 0) return;
    int32_t k = wrap_div(cos_f * 256000, d) >> 8;
    k = k < 1 ? 1 : k > 256 ? 256 : k;

    uint32_t magnitude = tile < 0 ? 0u - uint32_t(tile) : uint32_t(tile);
    int32_t t = bus_read16(SPRITE_TILE_TABLE_1 + 2 * magnitude) & 0xFFFF;
    int32_t a = wrap_mul(m[t & 7], k), b = wrap_mul(m[(t >> 4) & 7], k);
    if (a < 0) a++;  // so the halving below truncates toward zero
    if (b < 0) b++;

    int32_t u = mac8(x, cos_h, wrap_neg(z), sin_h);
    int32_t v = mac8(e, sin_p, y, cos_p);
    int32_t c = (cos_f * 5) >> 2;
    int32_t qx, qy;
    if (!scaled_quotient(int64_t(c) * mac8(u, cos_r, wrap_neg(v), sin_r), d, &qx)) return;
    int32_t sx = wrap_sub(qx, b >> 1);
    if (sx < -1600 || sx > 960) return;
    if (!scaled_quotient(-(int64_t(c) * mac8(u, sin_r, v, cos_r)), d, &qy)) return;
    int32_t sy = wrap_sub(qy, a >> 1);
    if (sy < -1520 || sy > 1040) return;

    sprite_call_list_collect(true);
    sprite_call(wrap_sub(7, view), tile, sx + 320, sy + 240, wrap_add(depth, priority), k, k, p8, 0);
    sprite_call_list_collect(false);
}
