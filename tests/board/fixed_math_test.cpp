// Fixed-point math over the synthetic ROM tables, held against libm.
#include "board/fixed_math.h"

#include "board/bus.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"

#include <cmath>
#include <string>

namespace {

constexpr double TURN = 65536.0;
constexpr double UNITS_PER_RADIAN = TURN / (2 * M_PI);
constexpr double SINE_STEP = 32768.0 * 4 / UNITS_PER_RADIAN;  // the change of one table entry
constexpr double ATAN_STEP = UNITS_PER_RADIAN / 1024;         // the same for the arc tangent

double radians(int32_t angle) {
    return angle / UNITS_PER_RADIAN;
}

// The distance of two angles around the turn, in angle units.
double angle_error(double got, double want) {
    double d = std::fmod(got - want, TURN);
    if (d < 0) d += TURN;
    return std::min(d, TURN - d);
}

// The board's angle of (a, b): 0 along +b, a quarter turn toward -a.
double libm_angle(double a, double b) {
    return std::atan2(-a, b) * UNITS_PER_RADIAN;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
    return n;
}

using MathTest = BoardTest;

TEST_F(MathTest, SineAndCosineStayWithinOneTableStepOverTheWholeTurn) {
    double worst = 0;
    for (int32_t a = 0; a < 0x10000; a++) {
        worst = std::max(worst, std::fabs(math_sin(a) - 32768 * std::sin(radians(a))));
        worst = std::max(worst, std::fabs(math_cos(a) - 32768 * std::cos(radians(a))));
    }
    EXPECT_LE(worst, SINE_STEP + 1);
    EXPECT_EQ(math_sin(0x1235), math_sin(0x1234));  // low two bits dropped, never interpolated
    EXPECT_EQ(math_sin(0x1237), math_sin(0x1234));
    EXPECT_NE(math_sin(0x1238), math_sin(0x1234));
    EXPECT_EQ(math_sin(0x12345), math_sin(0x2345));  // angles wrap at a full turn
    EXPECT_EQ(math_cos(0), 0x7FFF);
    EXPECT_EQ(math_sin(0xC000), -0x8000);
}

TEST_F(MathTest, ArcTangentsStayWithinOneTableStepOverTheWholeTurn) {
    const double radii[] = {100000, 4000000};
    double worst = 0;
    for (double r : radii) {
        for (int32_t angle = 0; angle < 0x10000; angle++) {
            int32_t a = int32_t(std::lround(-r * std::sin(radians(angle))));
            int32_t b = int32_t(std::lround(r * std::cos(radians(angle))));
            int32_t got = math_atan2(a, b);
            ASSERT_GE(got, 0);
            ASSERT_LE(got, 0xFFFF);
            worst = std::max(worst, angle_error(got, libm_angle(a, b)));
        }
    }
    EXPECT_LE(worst, ATAN_STEP + 1);

    // The coarse table: every lattice difference it holds.
    double coarse_worst = 0;
    for (int32_t a = -31; a <= 31; a++)
        for (int32_t b = -31; b <= 31; b++)
            if (a || b) coarse_worst = std::max(coarse_worst, angle_error(math_atan2_coarse(a, b), libm_angle(a, b)));
    EXPECT_LE(coarse_worst, 1.0);
}

TEST_F(MathTest, ArcTangentQuadrantsAndExtremes) {
    const int32_t t0 = bus_read16(ATAN_TABLE);
    struct {
        int32_t a, b, expect;
    } cases[] = {
        {0, 5, (0x10000 - t0) & 0xFFFF},      // the negated entry 0
        {5, 0, (t0 - 0x4000) & 0xFFFF},
        {5, 5, 0xE000},
        {-5, -5, 0x6000},                     // half a turn from (5, 5)
        {-5, 5, 0x2000},
        {5, -5, 0xA000},
        {INT32_MIN, 1, 0x4000},               // no overflow in the magnitudes
        {1, INT32_MIN, 0x8000},
        {INT32_MIN, INT32_MIN, 0x4000},       // |b| << 10 wraps to 0, as on the board
    };
    for (const auto& c : cases) EXPECT_EQ(math_atan2(c.a, c.b), c.expect) << c.a << ", " << c.b;
}

TEST_F(MathTest, SlopeAngleIsTheArcCosineOfTheRatio) {
    const int32_t b_values[] = {80000, -80000};
    for (int32_t b : b_values) {
        for (int32_t a = -80000; a <= 80000; a += 37) {
            double ratio = double(a) / b;
            double want = std::acos(ratio) * UNITS_PER_RADIAN;
            // One step of the table around the index taken.
            double k = std::floor(std::fabs(ratio) * 4096);
            double step = (std::acos(k / 4096) - std::acos(std::min(k + 1, 4096.0) / 4096)) * UNITS_PER_RADIAN;
            double err = angle_error(math_slope_angle(a, b), want);
            if (err > step + 1) {
                ADD_FAILURE() << "slope(" << a << ", " << b << ") off by " << err;
                return;
            }
        }
    }
    // a << 9 = INT32_MIN over b / 8 = -1: the wrapped quotient indexes entry 0 (0x10000 x 2 wraps).
    EXPECT_EQ(math_slope_angle(-(1 << 22), -8), bus_read16(SLOPE_TABLE));
}

TEST_F(MathTest, DivisionTrapsReturnZeroAndReportOncePerRun) {
    math_counters.div_traps = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(math_atan2(0, 0), 0);
    EXPECT_EQ(math_atan2(0, 0), 0);
    EXPECT_EQ(math_slope_angle(100, 7), 0);  // 7 / 8 = 0
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[V2-TRAP] math_atan2: division by zero (hardware would take the zero-divide trap)\n");
    EXPECT_EQ(math_counters.div_traps, 3u);

    math_counters.div_traps = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(math_slope_angle(100, -7), 0);
    EXPECT_EQ(linear_map(1, 2, 3, 3, 4), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[V2-TRAP] math_slope_angle: division by zero (hardware would take the zero-divide trap)\n");
}

TEST_F(MathTest, CoarseArcTangentOutsideItsTableWarnsEightTimesAndReadsOn) {
    math_counters.coarse_warnings = 0;
    uint32_t calls = math_counters.atan2_coarse_calls;
    bus_write16(ATAN_COARSE_TABLE + 64 * 3 + 2 * 40, 0x0123);  // where (40, 3) lands
    testing::internal::CaptureStderr();
    int32_t got = 0;
    for (int k = 0; k < 10; k++) got = math_atan2_coarse(40, 3);
    EXPECT_EQ(math_atan2_coarse(-2, 1), math_atan2_coarse(-2, 1));  // inside: no warning
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(got, (0x0123 - 0x4000) & 0xFFFF);
    EXPECT_EQ(count(err, "[V2-WARN] math_atan2_coarse(40,3): index outside 32x32 table (faithful read proceeds)\n"), 8);
    EXPECT_EQ(count(err, "\n"), 8);
    EXPECT_EQ(math_counters.atan2_coarse_calls - calls, 12u);
}

// Real-valued rotations in the same planes and orders, for comparison.
void rotate(double& u, double& v, int32_t angle) {
    double s = std::sin(radians(angle)), c = std::cos(radians(angle));
    double u2 = u * c - v * s;
    v = v * c + u * s;
    u = u2;
}

TEST_F(MathTest, RotationsMatchRealRotationsInTheirOrder) {
    typedef void (*rotation)(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*);
    // Each routine and its order of plane rotations: 'r' roll (y into x), 'p' pitch (z into y),
    // 'h' heading (x into z).
    const struct { const char* name; rotation fn; const char* order; } rotations[] = {
        {"rph", vec_rotate_rph, "rph"}, {"hrp", vec_rotate_hrp, "hrp"}, {"phr", vec_rotate_phr, "phr"}};
    const int32_t vecs[][3] = {{0x10000, 0, 0}, {0, 0x10000, 0}, {0, 0, 0x10000}, {-30000, 45000, 12345}};
    const int32_t angles[][3] = {{0x4000, 0, 0}, {0, 0x4000, 0}, {0, 0, 0x4000}, {0x1234, 0xA5A4, 0x7FFC}, {0xF000, 0x2000, 0x9000}};
    for (const auto& v : vecs) {
        for (const auto& ang : angles) {
            int32_t p = ang[0], h = ang[1], r = ang[2];
            SCOPED_TRACE(testing::Message() << "v " << v[0] << "," << v[1] << "," << v[2] << " p " << p << " h " << h << " r " << r);
            int32_t x, y, z;
            double rx, ry, rz;
            for (const auto& rot : rotations) {
                SCOPED_TRACE(rot.name);
                rot.fn(v[0], v[1], v[2], p, h, r, &x, &y, &z);
                rx = v[0], ry = v[1], rz = v[2];
                for (const char* step = rot.order; *step; step++) {
                    if (*step == 'r') rotate(ry, rx, r);
                    if (*step == 'p') rotate(rz, ry, p);
                    if (*step == 'h') rotate(rx, rz, h);
                }
                EXPECT_NEAR(x, rx, 12);
                EXPECT_NEAR(y, ry, 12);
                EXPECT_NEAR(z, rz, 12);
            }

            int32_t w;
            vec_rotate_plane(v[0], v[1], v[2], h, &x, &y, &w);
            rx = v[0], ry = v[1];
            rotate(rx, ry, h);
            EXPECT_NEAR(x, rx, 6);
            EXPECT_NEAR(y, ry, 6);
            EXPECT_EQ(w, v[2]);
        }
    }
    // Zero angles (mod a turn) skip every step of vec_rotate_phr: the input comes back exactly.
    int32_t x, y, z;
    vec_rotate_phr(123456, -7, INT32_MIN, 0, 0x10000, 0, &x, &y, &z);
    EXPECT_EQ(x, 123456);
    EXPECT_EQ(y, -7);
    EXPECT_EQ(z, INT32_MIN);
}

TEST_F(MathTest, PolarAndAngleVectorsRoundTrip) {
    const int32_t cases[][3] = {{0, 0, 20000}, {0x0800, 0x3000, 30000}, {0xF400, 0xB124, 25000}, {0x2000, 0x8000, 10000}};
    for (const auto& c : cases) {
        int32_t pitch = c[0], heading = c[1], length = c[2];
        SCOPED_TRACE(testing::Message() << "pitch " << pitch << " heading " << heading);
        int32_t p, q;
        polar_to_xy(heading, length, &p, &q);
        EXPECT_NEAR(p, -length * std::sin(radians(heading)), length * 0.001);
        EXPECT_NEAR(q, length * std::cos(radians(heading)), length * 0.001);

        int32_t x, y, z;
        angles_to_vector(pitch, heading, length, &x, &y, &z);
        EXPECT_NEAR(y, length * std::sin(radians(pitch)), length * 0.001);
        EXPECT_NEAR(std::hypot(x, z), length * std::cos(radians(pitch)), length * 0.001);
        EXPECT_LE(angle_error(math_atan2(x, z), heading), 2 * ATAN_STEP);

        int32_t l2, p2, h2;
        vec_to_length_angles(x, y, z, &l2, &p2, &h2);
        EXPECT_NEAR(l2, length, length * 0.002);
        EXPECT_LE(angle_error(p2, pitch), 3 * ATAN_STEP);
        EXPECT_LE(angle_error(h2, heading), 2 * ATAN_STEP);

        int32_t vec[3] = {x, y, z}, out[3] = {9, 9, 9};
        int32_t l3 = vec_to_angles(w_pointer(vec), w_pointer(out));
        EXPECT_NEAR(l3, length, length * 0.002);
        EXPECT_LE(angle_error(-out[1], heading), 2 * ATAN_STEP);
        EXPECT_LE(angle_error(-out[0], pitch - 0x4000), 3 * ATAN_STEP);
        EXPECT_EQ(out[2], 0);
    }
}

TEST_F(MathTest, LengthsThroughArcTangents) {
    // Both routines divide by a table cosine or sine shifted down by 4 or 5 bits: they
    // are close only where that divisor is not small (c not tiny beside a; a not tiny
    // beside b), which is where the game uses them.
    const int32_t cases[][3] = {{3000, 4000, 12000}, {-50000, 20000, 30000}, {100, -90000, -40000}, {0, 0, 65000},
                                {77777, 0, 0}, {-1234, -5678, -9012}, {40000, -30000, 5000}};
    for (const auto& c : cases) {
        double len = std::sqrt(double(c[0]) * c[0] + double(c[1]) * c[1] + double(c[2]) * c[2]);
        EXPECT_NEAR(vec_length3(c[0], c[1], c[2]), len, len * 0.01) << c[0] << "," << c[1] << "," << c[2];
        if (4 * std::abs(c[0]) >= std::abs(c[1]) && c[0] != 0) {
            EXPECT_NEAR(angle_from_components(c[0], c[1], c[2], 0), len / 4, len * 0.01);
            EXPECT_NEAR(angle_from_components(c[0], c[1], c[2], 1), len / 15, len * 0.01);
        }
    }
}

TEST_F(MathTest, LinearMapWrapsAndTruncates) {
    struct {
        int32_t a, b, c, d, e, expect;
    } cases[] = {
        {0, 100, 0, 10, 5, 50}, {10, 20, 0, 4, 3, 17}, {10, 20, 0, 4, -3, 3}, {100, 0, 8, 4, 6, 50},
        {0, 7, 0, 2, 1, 3},                           // 3.5 truncates toward zero
        {0, -7, 0, 2, 1, -3},
        {INT32_MAX, INT32_MAX, 0, 1, 1, INT32_MAX},  // a + 0
        {0, INT32_MIN, 0, -1, 1, INT32_MIN},         // INT32_MIN / -1 wraps, no trap
        {INT32_MIN, 0, 0, -1, 1, 0},                 // ... and so does the sum
    };
    for (const auto& c : cases) EXPECT_EQ(linear_map(c.a, c.b, c.c, c.d, c.e), c.expect);
}

TEST_F(MathTest, CurveEvaluatesItsPolynomialAndAdvancesTheAccumulator) {
    constexpr uint32_t REC = 0x300400;
    const int32_t c = 3000000, e = -200000, step = 0x1234, base = 5000;
    bus_write32(REC + 2, uint32_t(c));
    bus_write32(REC + 6, uint32_t(e));
    bus_write32(REC + 10, uint32_t(step));
    bus_write32(REC + 14, uint32_t(base));
    auto want = [&](int32_t i, int32_t g) {
        double t = i / 512.0;
        return e * t * t + c * t * t * t + g / 256.0 + base;
    };
    for (int32_t i = 0; i < 512; i += 17) EXPECT_NEAR(rom_curve_eval(REC, 0, i), want(i, step), 3) << i;

    int32_t host = 1000;
    EXPECT_NEAR(rom_curve_eval(REC, w_pointer(&host), 100), want(100, 1000 + step), 3);
    EXPECT_EQ(host, 1000 + step);
    wram[0x800] = 0x10000;
    EXPECT_NEAR(rom_curve_eval(REC, WRAM_BASE + 0x800, 511), want(511, 0x10000 + step), 3);
    EXPECT_EQ(wram[0x800], 0x10000 + step);

    const struct {
        uint32_t record;
        int32_t index;
    } nothing[] = {{REC, 512}, {REC, -1}, {0x3FFFEF, 0}, {0xFFFFFFF0, 0}};
    for (const auto& n : nothing) EXPECT_EQ(rom_curve_eval(n.record, WRAM_BASE + 0x800, n.index), 0);
    EXPECT_EQ(wram[0x800], 0x10000 + step);  // not advanced either
}

TEST_F(MathTest, CameraTurnsTowardAPointByAFractionOfTheWay) {
    struct {
        int32_t heading;  // current camera heading
        int32_t toward;   // direction of the point
        int32_t elevation;
        int32_t k;
        int32_t heading_after;
    } cases[] = {
        {0, 0x2000, 0, 1, 0x2000},
        {0, 0x2000, 0, 0, 0x2000},
        {0, 0x2000, 0, 2, 0x1000},
        {0x100, -0x1000, 0, 2, -0x780},          // the short way, through 0
        {0x7000, -0x7000, 0, 2, 0x8000},         // the short way, through half a turn
        {0, 0x3000, 0x0800, 1, 0x3000},
        {0, -0x2400, -0x0C00, 4, -0x900},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "heading " << c.heading << " toward " << c.toward << " k " << c.k);
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        wram[W_CAMERA_X] = 1000;
        wram[W_CAMERA_Y] = -2000;
        wram[W_CAMERA_Z] = 3000;
        wram[W_CAMERA_HEADING] = c.heading;
        wram[W_CAMERA_ROLL] = 0x123;
        const double r = 0x100000;
        double horizontal = r * std::cos(radians(c.elevation));
        int32_t point[3] = {int32_t(1000 - horizontal * std::sin(radians(c.toward))),
                            int32_t(-2000 + r * std::sin(radians(c.elevation))),
                            int32_t(3000 + horizontal * std::cos(radians(c.toward)))};
        angles_from_delta(c.k, w_pointer(point));
        int32_t k = c.k ? c.k : 1;
        EXPECT_NEAR(double(wram[W_CAMERA_HEADING]), c.heading_after, 2 * ATAN_STEP / k + 1);
        EXPECT_NEAR(double(wram[W_CAMERA_PITCH]), double(c.elevation) / k, 2 * ATAN_STEP);
        EXPECT_EQ(wram[W_CAMERA_ROLL], 0);
    }
}

TEST_F(MathTest, DirectionPacketsStretchAModelBetweenTwoPoints) {
    wram[W_CAMERA_X] = 100;
    wram[W_CAMERA_Y] = 200;
    wram[W_CAMERA_Z] = 300;
    int32_t to[3] = {1000, 2000, 3000}, from[3] = {1000, 2000, 3000 + 0x8000};
    int32_t* out = reinterpret_cast<int32_t*>(dspram + 0x10400);
    int32_t* end = vec_direction(w_pointer(from), w_pointer(to), out);
    ASSERT_EQ(end, out + 19);
    // Length 32769 through the tables: scale 2^28 / 32769.
    const int32_t want[19] = {0x8008, 3, 6, 8191, 0, 0, 0, 0, -8191, -8191, 2048, 0, -1,
                              0x800A, 590, 3, 900, 1800, 2700};
    for (int k = 0; k < 19; k++) EXPECT_EQ(out[k], want[k]) << k;
    EXPECT_EQ(wram[0x17294], -0xC000);  // -pitch of a vector along +z
    EXPECT_EQ(wram[0x17298], 0);
    EXPECT_EQ(wram[0x1729C], 0);

    // A short vector: the scale stops at 0x7FFF.
    from[2] = 3000 + 0x100;
    vec_direction(w_pointer(from), w_pointer(to), out);
    EXPECT_EQ(out[3], 0x7FFF);
    EXPECT_EQ(out[10], 16);

    // A cursor without room for the pair: nothing written, the cursor stays, one guard line.
    int32_t* tail = reinterpret_cast<int32_t*>(dspram + sizeof dspram) - 18;
    tail[0] = 77;
    testing::internal::CaptureStderr();
    EXPECT_EQ(vec_direction(w_pointer(from), w_pointer(to), tail), tail);
    EXPECT_EQ(vec_direction(w_pointer(from), w_pointer(to), tail), tail);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(tail[0], 77);
    EXPECT_EQ(count(err, "[GUARD] vec_direction: cursor "), 1);
}

TEST_F(MathTest, NodeTransformsPlaceChildrenFromTheParentsAngles) {
    constexpr int32_t PARENT = 0x2000, DEST = 0x2080, DEST2 = 0x2100;
    wram[PARENT + 0] = 1000;
    wram[PARENT + 4] = 2000;
    wram[PARENT + 8] = 3000;
    int32_t v[3] = {0x1000, 0x200, 0x300};

    // Zero angles: the offset itself, less the truncation of two 0x7FFF products.
    node_transform2(w_pointer(v), WRAM_BASE + PARENT, WRAM_BASE + DEST);
    EXPECT_EQ(wram[DEST + 0], 1000 + 4094);
    EXPECT_EQ(wram[DEST + 4], 2000 + 510);
    EXPECT_EQ(wram[DEST + 8], 3000 + 766);

    // A quarter turn of the first angle swings y into z and z into -y.
    wram[PARENT + 0x0C] = 0x4000;
    node_transform2(w_pointer(v), w_pointer(&wram[PARENT]), DEST);
    EXPECT_EQ(wram[DEST + 0], 1000 + 4094);
    EXPECT_EQ(wram[DEST + 4], 2000 - 768);
    EXPECT_EQ(wram[DEST + 8], 3000 + 510);

    // The mirrored pair: the first component negated for dest1 only.
    wram[PARENT + 0x0C] = 0;
    node_transform3(w_pointer(v), WRAM_BASE + DEST, WRAM_BASE + DEST2, WRAM_BASE + PARENT);
    EXPECT_EQ(wram[DEST + 0], 1000 - 4096);
    EXPECT_EQ(wram[DEST + 4], 2000 + 510);
    EXPECT_EQ(wram[DEST + 8], 3000 + 766);
    EXPECT_EQ(wram[DEST2 + 0], 1000 + 4094);
    EXPECT_EQ(wram[DEST2 + 4], 2000 + 510);

    // Records outside work RAM: nothing written.
    wram[0x3FFF0] = 55;
    node_transform2(w_pointer(v), WRAM_BASE + PARENT, WRAM_BASE + 0x3FFF8);
    node_transform2(w_pointer(v), WRAM_BASE + 0x3FFF0, WRAM_BASE + DEST2);
    node_transform3(w_pointer(v), 0, WRAM_BASE + DEST2, WRAM_BASE + PARENT);
    EXPECT_EQ(wram[0x3FFF8], 0);
    EXPECT_EQ(wram[0x3FFF0], 55);
    EXPECT_EQ(wram[DEST2 + 0], 1000 + 4094);
}

}  // namespace
