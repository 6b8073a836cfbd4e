// The game's integer geometry over the program ROM's tables: 16-bit angles (0x10000 a
// full turn), 1.15 sines and cosines, 32-bit world coordinates.
//
// All 32-bit arithmetic wraps as on the 68020 (through unsigned arithmetic, never signed
// overflow); a product of a 32-bit value and a 1.15 value is formed in 32 bits and
// shifted right arithmetically by 15; divisions truncate toward zero, and the minimum
// value over -1 gives the minimum value back. A division by zero is never taken: the
// routine reports it once per run (every time under SKYVOLTA_VERBOSE) with
//   "[V2-TRAP] <routine>: division by zero (hardware would take the zero-divide trap)"
// and returns 0.
//
// Angles returned by the lookups are 0..0xFFFF. Vector arguments given as slot values
// (int64_t) are three longs at +0, +4, +8 read through w_read32_offset: a work-RAM
// address, a host pointer into wram or into host memory.
#pragma once
#include <cstdint>

// ---- ROM tables (program ROM addresses) --------------------------------------------
constexpr uint32_t SINE_TABLE = 0x20B004;       // (sin, cos) 1.15 pairs of angles 0, 4, 8, ...
constexpr uint32_t ATAN_TABLE = 0x200000;       // 1025 angles: atan(i / 1024)
constexpr uint32_t ATAN_COARSE_TABLE = 0x200802;  // 32 x 32 angles, row |b| (64 bytes), column |a|
constexpr uint32_t SLOPE_TABLE = 0x201002;      // angles by the ratio x 4096
constexpr uint32_t CURVE_TABLE_1 = 0x15332C;    // 512 signed longs (T1 of rom_curve_eval)
constexpr uint32_t CURVE_TABLE_2 = 0x153B2C;    // 512 signed longs (T2)

// ---- Wrapping 32-bit arithmetic ----------------------------------------------------
inline int32_t wrap_add(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrap_sub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
inline int32_t wrap_mul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }
inline int32_t wrap_neg(int32_t a) { return int32_t(0u - uint32_t(a)); }
inline int32_t wrap_abs(int32_t a) { return a < 0 ? wrap_neg(a) : a; }
inline int32_t wrap_shl(int32_t a, int n) { return int32_t(uint32_t(a) << n); }
// Truncating division for a non-zero divisor; INT32_MIN / -1 is INT32_MIN.
inline int32_t wrap_div(int32_t a, int32_t b) { return b == -1 ? wrap_neg(a) : a / b; }

// ---- Table lookups -----------------------------------------------------------------
// The 1.15 sine and cosine of an angle; its low two bits are dropped, never interpolated.
int32_t math_sin(int32_t angle);
int32_t math_cos(int32_t angle);

// The angle of the vector (a, b): 0 along +b, 0xC000 along +a (atan2(-a, b) as a turn
// fraction). (0, 0) traps and returns 0.
int32_t math_atan2(int32_t a, int32_t b);
// The same through the 32 x 32 table for small components; components beyond 31 read
// wherever the index lands (warning for the first 8 such calls).
int32_t math_atan2_coarse(int32_t a, int32_t b);
// The angle whose cosine is a / b (the table is indexed by a x 512 / (b / 8)); 0x8000
// minus the entry for opposite signs. |b| < 8 traps and returns 0.
int32_t math_slope_angle(int32_t a, int32_t b);

// Host counters of the lookups; atan2 and slope share the trap counter.
struct math_counter_set {
    uint32_t atan2_calls;
    uint32_t atan2_coarse_calls;
    uint32_t slope_angle_calls;
    uint32_t div_traps;        // every division-by-zero report, printed while 0
    uint32_t coarse_warnings;  // out-of-table coarse reads, printed while below 8
};
extern math_counter_set math_counters;

// ---- Rotations (results through the output pointers) -------------------------------
// Roll (x-y plane), then pitch (y-z), then heading (x-z): model to world.
void vec_rotate_rph(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz);
// Heading, then roll, then pitch.
void vec_rotate_hrp(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz);
// Pitch, then heading, then roll, each step skipped when its angle is 0 (mod 0x10000).
void vec_rotate_phr(int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading, int32_t roll,
                    int32_t* ox, int32_t* oy, int32_t* oz);
// One plane rotation of (u, v) by angle; w passed through.
void vec_rotate_plane(int32_t u, int32_t v, int32_t w, int32_t angle, int32_t* ou, int32_t* ov, int32_t* ow);

// ---- Vectors and angles ------------------------------------------------------------
// p = -length sin angle, q = length cos angle (through the cosine of angle + 0x4000).
void polar_to_xy(int32_t angle, int32_t length, int32_t* p, int32_t* q);
// The vector of a pitch and heading: y along the pitch sine, x and z from the heading.
void angles_to_vector(int32_t pitch, int32_t heading, int32_t length, int32_t* x, int32_t* y, int32_t* z);
// Direction and length of the vector at `vector`: out (slot value) receives the longs
// -pitch, -heading and 0; returns the length.
int32_t vec_to_angles(int64_t vector, int64_t out);
// Length, pitch (+0x4000, 0..0xFFFF) and heading of (x, y, z) by rotating it onto z.
void vec_to_length_angles(int32_t x, int32_t y, int32_t z, int32_t* length, int32_t* pitch, int32_t* heading);
// Turns the camera (camera_state) toward the world point by 1/k of the way (k = 0: all
// the way); roll becomes 0.
void angles_from_delta(int32_t k, int64_t point);
// Through two arc tangents: about |(a, b, c)| / 4 (flag clear) or / 15 (flag set).
int32_t angle_from_components(int32_t a, int32_t b, int32_t c, int32_t flag);
// The length of (a, b, c) through two arc tangents.
int32_t vec_length3(int32_t a, int32_t b, int32_t c);
// a + (e - c)(b - a) / (d - c); d = c traps and returns 0.
int32_t linear_map(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e);
// The curve record at ROM `record` (longs c +2, e +6, step +10, base +14) at point
// index 0..511: ((e T1[i]) >> 16) + ((c T2[i]) >> 24) + (g >> 8) + base, where g is
// the accumulator advanced by step (acc a slot value: a work-RAM address or a host
// pointer to an int; 0 for none, then g = step). 0 for a record past the ROM or an
// index outside 0..511.
int32_t rom_curve_eval(uint32_t record, int64_t acc, int32_t index);
// The stretched-model packet pair from `to` toward `from` (19 words at out, which must
// lie inside dspram: else nothing is written, a guard line prints once and out is
// returned). Keeps the three direction angles in the longs from W_ENDING_OBJECT on.
// Returns out + 19.
constexpr uint32_t W_ENDING_OBJECT = 0x17294;  // also the vector routines' direction scratch
int32_t* vec_direction(int64_t from, int64_t to, int32_t* out);

// ---- Rig nodes (records in work RAM; nothing written when one lies outside) --------
// dest position = parent position + the vector (its longs taken as 16-bit values)
// rotated by the parent's angles at +0x0C, +0x10, +0x14.
void node_transform2(int64_t vector, int64_t parent, int64_t dest);
// The same for a mirrored pair: dest2 as node_transform2, dest1 with the vector's
// first component negated before the rotation.
void node_transform3(int64_t vector, int64_t dest1, int64_t dest2, int64_t parent);
