#include "render/rotation_math.h"

#include "board/wram.h"

#include <cmath>
#include <cstring>

namespace {

using i128 = __int128;

constexpr int32_t ONE = 0x7FFF;

int32_t wrap32(i128 v) {
    return int32_t(uint32_t(uint64_t(v)));
}

// sin and cos of a 16-bit angle as rounded 1.15 words.
void angle_pair(int32_t angle, int32_t* s, int32_t* c) {
    double a = int16_t(angle & 0xFFFF) * (2.0 * M_PI / 65536.0);
    *s = int32_t(std::lrint(32767.0 * std::sin(a)));
    *c = int32_t(std::lrint(32767.0 * std::cos(a)));
}

}  // namespace

void mat3_mul_fx15(const int32_t a[9], const int32_t b[9], int32_t out[9]) {
    int32_t r[9];
    for (int row = 0; row < 3; row++)
        for (int i = 0; i < 3; i++) {
            i128 sum = i128(a[3 * row]) * b[i] + i128(a[3 * row + 1]) * b[3 + i] + i128(a[3 * row + 2]) * b[6 + i];
            r[3 * row + i] = wrap32(sum >> 15);
        }
    memcpy(out, r, sizeof r);
}

void vec3_mul_fx(const int64_t v[3], const int32_t m[9], int shift, int32_t out[3]) {
    for (int j = 0; j < 3; j++) {
        i128 sum = i128(v[0]) * m[j] + i128(v[1]) * m[3 + j] + i128(v[2]) * m[6 + j];
        out[j] = wrap32(sum >> shift);
    }
}

void mat3_identity(int32_t m[9], int32_t one) {
    for (int k = 0; k < 9; k++) m[k] = (k % 4 == 0) ? one : 0;
}

void euler_rotation_compose(const int32_t w[6], int32_t out[9], int32_t order) {
    const int32_t s0 = w[0], c0 = w[1], s1 = w[2], c1 = w[3], s2 = w[4], c2 = w[5];
    const int32_t x[9] = {ONE, 0, 0, 0, c0, s0, 0, wrap32(-i128(s0)), c0};
    const int32_t y[9] = {c1, 0, wrap32(-i128(s1)), 0, ONE, 0, s1, 0, c1};
    const int32_t z[9] = {c2, s2, 0, wrap32(-i128(s2)), c2, 0, 0, 0, ONE};
    static const char* const orders[6] = {"YXZ", "ZXY", "XYZ", "ZYX", "XZY", "YZX"};
    const char* seq = orders[order >= 0 && order < 6 ? order : 0];
    auto axis = [&](char c) { return c == 'X' ? x : c == 'Y' ? y : z; };
    mat3_mul_fx15(axis(seq[0]), axis(seq[1]), out);
    mat3_mul_fx15(out, axis(seq[2]), out);
}

void camera_matrix_build(int32_t out[9], bool with_roll) {
    int32_t sh, ch, sp, cp, sr, cr;
    angle_pair(wram_long(W_CAMERA_HEADING), &sh, &ch);
    angle_pair(wram_long(W_CAMERA_PITCH), &sp, &cp);
    angle_pair(wram_long(W_CAMERA_ROLL), &sr, &cr);
    const int32_t h[9] = {ch, 0, -sh, 0, ONE, 0, sh, 0, ch};
    const int32_t p[9] = {ONE, 0, 0, 0, cp, sp, 0, -sp, cp};
    const int32_t r[9] = {cr, sr, 0, -sr, cr, 0, 0, 0, ONE};
    mat3_mul_fx15(h, p, out);
    if (with_roll) mat3_mul_fx15(out, r, out);
}
