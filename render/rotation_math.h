// 1.15 fixed-point 3x3 rotations of the live renderer. Matrices are nine words,
// row-major (M[r][c] = m[3r + c]); vectors are rows (v' = v x M), which is also the
// layout of the camera record's model rotation.
#pragma once
#include <cstdint>

// out[r][i] = (A[r][0] B[0][i] + A[r][1] B[1][i] + A[r][2] B[2][i]) >> 15, the sum exact,
// the result wrapped to 32 bits. out may alias a or b.
void mat3_mul_fx15(const int32_t a[9], const int32_t b[9], int32_t out[9]);

// Row vector times matrix: out[j] = (v0 M[0][j] + v1 M[1][j] + v2 M[2][j]) >> shift.
void vec3_mul_fx(const int64_t v[3], const int32_t m[9], int shift, int32_t out[3]);

void mat3_identity(int32_t m[9], int32_t one);

// Three elementary rotations of the pairs (w0, w1), (w2, w3), (w4, w5) taken as (sin,
// cos) about x, y and z, multiplied in the axis order: 0 Y X Z, 1 Z X Y, 2 X Y Z,
// 3 Z Y X, 4 X Z Y, 5 Y Z X; any other order acts as 0.
void euler_rotation_compose(const int32_t w[6], int32_t out[9], int32_t order);

// The game camera's matrix (H x P) x R from the heading, pitch and roll longs of
// camera_state (low 16 bits, signed; a turn is 65536); without roll H x P.
void camera_matrix_build(int32_t out[9], bool with_roll);
