// Quad geometry: transform, back-face test, depth key, lighting, near clip, guard band
// and projection, on the synthetic models and on hand-made quads.
#include "render/quad_geometry.h"

#include "base/rom_files.h"
#include "render/model_walk.h"
#include "render/point_words.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t ONE = 0x8000;  // 1.0 in 1.15: makes the transform exact

void collect(const quad_record* q, void* data) {
    static_cast<std::vector<quad_record>*>(data)->push_back(*q);
}

// Camera with rotation m (column-major, view x = m0 x + m3 y + m6 z), translation t.
geo_camera_record camera(const int32_t m[9], int32_t tx, int32_t ty, int32_t tz, int32_t focal, int32_t shift) {
    geo_camera_record c;
    memset(&c, 0, sizeof c);
    memcpy(c.m, m, sizeof c.m);
    c.tx = tx, c.ty = ty, c.tz = tz;
    c.focal = focal, c.shift = shift;
    c.v[0] = c.v[4] = c.v[8] = ONE;
    return c;
}

geo_camera_record identity_camera(int32_t tz, int32_t focal = 256, int32_t shift = 0) {
    const int32_t m[9] = {ONE, 0, 0, 0, ONE, 0, 0, 0, ONE};
    return camera(m, 0, 0, tz, focal, shift);
}

class QuadGeometryTest : public testing::Test {
protected:
    void SetUp() override {
        saved_rom = point_rom;
        saved_count = point_rom_count;
        use_synthetic();
        memset(&geo_counters, 0, sizeof geo_counters);
        light_list_reset();
        geo_current_code = -1;
    }
    void TearDown() override {
        point_rom = saved_rom;
        point_rom_count = saved_count;
        point_ram_words = nullptr;
    }
    void use_synthetic() {
        point_rom = synth_rom_shared()->point;
        point_rom_count = POINT_ROM_WORDS;
    }
    // A local image: a quad's texture words at 0..7 and its corners at 8..19.
    void use_quad(const int32_t corners[12], const uint32_t tex[8] = nullptr) {
        memset(local, 0, sizeof local);
        for (int k = 0; k < 8; k++) local[k] = tex ? tex[k] : 0;
        for (int k = 0; k < 12; k++) local[8 + k] = uint32_t(corners[k]) & 0xFFFFFF;
        point_rom = local;
        point_rom_count = 20;
    }
    std::vector<quad_record> emit_quad(uint32_t attr = 0, int32_t depth_word = 0, uint32_t colour = 0x800000) {
        std::vector<quad_record> out;
        quad_transform_cull(colour, 0, depth_word, attr, 0, collect, &out);
        return out;
    }
    std::vector<quad_record> emit_model(int32_t code) {
        std::vector<quad_record> out;
        model_quads_emit(code, collect, &out);
        return out;
    }

    const uint32_t* saved_rom;
    uint32_t saved_count;
    uint32_t local[64];
};

// Rotation about y by yaw, then about x by pitch, as integer 1.15 (rows, then stored
// column-major).
void corner_view_matrix(int32_t m[9], double r[3][3]) {
    double yaw = M_PI / 4, pitch = std::atan(1 / std::sqrt(2.0));
    double ry[3][3] = {{std::cos(yaw), 0, -std::sin(yaw)}, {0, 1, 0}, {std::sin(yaw), 0, std::cos(yaw)}};
    double rx[3][3] = {{1, 0, 0}, {0, std::cos(pitch), std::sin(pitch)}, {0, -std::sin(pitch), std::cos(pitch)}};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            double s = 0;
            for (int k = 0; k < 3; k++) s += rx[i][k] * ry[k][j];
            m[i + 3 * j] = int32_t(std::lround(32767 * s));
            r[i][j] = m[i + 3 * j] / 32768.0;  // the integer matrix, exactly
        }
    }
}

TEST_F(QuadGeometryTest, CubeShowsItsThreeFacingFacesWithinASixteenthPixel) {
    int32_t m[9];
    double r[3][3];
    corner_view_matrix(m, r);
    const int32_t tz = 0x30000, focal = 0x4548, shift = 5;
    geo_camera_record cam = camera(m, 0, 0, tz, focal, shift);
    geo_camera_set(&cam);
    std::vector<quad_record> quads = emit_model(SYNTH_MODEL_CUBE);
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(geo_counters.cull, 3u);
    EXPECT_EQ(geo_counters.emitted, 3u);

    // The cube's records in the synthetic ROM, face k at chunk + 1 + 24 k.
    const uint32_t* rom = synth_rom_shared()->point;
    uint32_t chunk = rom[rom[SYNTH_MODEL_CUBE]];
    for (const quad_record& q : quads) {
        uint32_t face = (q.colour >> 8 & 0x7F) - SYNTH_CUBE_PALETTE;
        ASSERT_LT(face, 6u);
        // A face is visible when its outward normal points towards the viewer.
        const double normal[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
        double nz = r[2][0] * normal[face][0] + r[2][1] * normal[face][1] + r[2][2] * normal[face][2];
        EXPECT_LT(nz, 0) << "face " << face;
        EXPECT_EQ(q.tex_format, SYNTH_CUBE_FORMAT[face]);
        EXPECT_EQ(q.tex_bank, SYNTH_TEX_BANK);
        EXPECT_EQ(q.near_count, 4);
        EXPECT_EQ(q.band_count, 0);
        EXPECT_EQ(q.behind, 0u);
        for (int k = 0; k < 4; k++) {
            double p[3], v[3];
            for (int j = 0; j < 3; j++) p[j] = sign_extend24(rom[chunk + 1 + 24 * face + 12 + 3 * k + j]);
            for (int i = 0; i < 3; i++) v[i] = r[i][0] * p[0] + r[i][1] * p[1] + r[i][2] * p[2];
            v[2] += tz;
            double scale = focal * 16.0 / (1 << shift) / v[2];
            SCOPED_TRACE(testing::Message() << "face " << face << " corner " << k);
            EXPECT_NEAR(q.src[k].sx, v[0] * scale + 320 * 16, 1.0);
            EXPECT_NEAR(q.src[k].sy, 240 * 16 - v[1] * scale, 1.0);
            EXPECT_NEAR(q.src[k].z, v[2], 0.5);
            EXPECT_EQ(q.src[k].valid, 1);
            EXPECT_EQ(q.src[k].b, 0x80);
            EXPECT_EQ(q.near[k].sx, q.src[k].sx);
            EXPECT_EQ(q.near[k].sy, q.src[k].sy);
            EXPECT_EQ(q.near[k].u, q.src[k].u);
        }
    }

    // A mirrored view reverses the test: the three far faces.
    cam.cull_sense = 1;
    geo_camera_set(&cam);
    std::vector<quad_record> back = emit_model(SYNTH_MODEL_CUBE);
    ASSERT_EQ(back.size(), 3u);
    for (const quad_record& q : back)
        for (const quad_record& f : quads) EXPECT_NE(q.colour, f.colour);
}

// A quad faces away only when both of its triangles do: a quad with a repeated corner (a
// triangle, one determinant 0) or a twisted one (determinants of opposite signs) is
// drawn, in the normal and the mirrored view alike.
TEST_F(QuadGeometryTest, OnlyAQuadWhoseTrianglesBothFaceAwayIsCulled) {
    // Corners in the plane z = 100 in front of an identity camera; a-b-c-d winds so that
    // the quad faces the viewer. Attribute bit 5 asks for the test.
    constexpr uint32_t CULL_BACK_FACES = 0x20;
    constexpr int32_t A[3] = {-100, -100, 100}, B[3] = {100, -100, 100}, C[3] = {100, 100, 100},
                      D[3] = {-100, 100, 100};
    struct row {
        const char* name;
        const int32_t* corner[4];
        int cull_sense;
        bool drawn;
    } rows[] = {
        {"facing", {A, B, C, D}, 0, true},
        {"facing away", {D, C, B, A}, 0, false},
        {"facing, mirrored view", {A, B, C, D}, 1, false},
        {"facing away, mirrored view", {D, C, B, A}, 1, true},
        {"triangle facing", {A, A, C, D}, 0, true},
        {"triangle facing away, mirrored view", {D, C, A, A}, 1, true},
        {"twisted", {A, B, D, C}, 0, true},
        {"twisted, mirrored view", {A, B, D, C}, 1, true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        geo_camera_record cam = identity_camera(0);
        cam.cull_sense = r.cull_sense;
        geo_camera_set(&cam);
        int32_t corners[12];
        for (int k = 0; k < 4; k++) memcpy(corners + 3 * k, r.corner[k], 3 * sizeof(int32_t));
        use_quad(corners);
        EXPECT_EQ(emit_quad(CULL_BACK_FACES).size(), r.drawn ? 1u : 0u);
    }
}

TEST_F(QuadGeometryTest, QuadWhollyBehindCountsAsBehind) {
    int32_t m[9];
    double r[3][3];
    corner_view_matrix(m, r);
    geo_camera_record cam = camera(m, 0, 0, -0x30000, 0x4548, 5);
    geo_camera_set(&cam);
    EXPECT_TRUE(emit_model(SYNTH_MODEL_CUBE).empty());
    EXPECT_EQ(geo_counters.behind, 6u);
    EXPECT_EQ(geo_counters.cull, 0u);
    EXPECT_EQ(geo_counters.emitted, 0u);
}

TEST_F(QuadGeometryTest, NearClipKeepsFourOrThreeVertices) {
    geo_camera_record cam = identity_camera(0);
    geo_camera_set(&cam);
    // u runs 0 .. 0x100 along each edge; corner 2 is the one in front in the second case.
    const uint32_t tex[8] = {0, 0, 0, 0, 0x100, 0, 0x100, 0};

    // Corners 0 and 1 behind (z -99), 2 and 3 in front (z 101).
    const int32_t two[12] = {-100, -100, -99, 100, -100, -99, 100, 100, 101, -100, 100, 101};
    use_quad(two, tex);
    std::vector<quad_record> q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].near_count, 4);
    EXPECT_EQ(q[0].behind, 1u);
    EXPECT_EQ(geo_counters.partclip, 1u);
    EXPECT_EQ(geo_counters.behind, 0u);
    EXPECT_EQ(q[0].src[0].valid, 0);
    EXPECT_EQ(q[0].src[0].sx, 0);
    EXPECT_EQ(q[0].src[2].valid, 1);
    // Edge 1-2 meets z = 1 half way: (100, 0, 1), u 0x80; projection 256 * 16 per unit.
    const quad_vertex& n0 = q[0].near[0];
    EXPECT_EQ(n0.z, 1);
    EXPECT_EQ(n0.u, 0x80);
    EXPECT_EQ(n0.u16, 0x80 << 16);
    EXPECT_EQ(n0.sx, 100 * 256 * 16 + 320 * 16);
    EXPECT_EQ(n0.sy, 240 * 16);
    EXPECT_EQ(n0.valid, 1);
    EXPECT_EQ(q[0].near[1].z, 101);
    EXPECT_EQ(q[0].near[3].sx, -100 * 256 * 16 + 320 * 16);

    // Only corner 2 in front: three vertices.
    const int32_t three[12] = {-100, -100, -99, 100, -100, -99, 100, 100, 101, -100, 100, -99};
    use_quad(three, tex);
    q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].near_count, 3);
    EXPECT_EQ(q[0].near[1].z, 101);

    // A corner exactly at z = 0 is not in front but does not make the quad "behind".
    const int32_t touching[12] = {0, 0, 0, 100, 0, 50, 100, 100, 50, 0, 100, 50};
    use_quad(touching, tex);
    q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].behind, 1u);
    EXPECT_EQ(q[0].src[0].valid, 0);
    EXPECT_EQ(q[0].near_count, 5);
    EXPECT_EQ(geo_counters.behind, 0u);
}

TEST_F(QuadGeometryTest, GuardBandClipsFarReachingQuads) {
    // Focal 256, shift 0: S = 4096, so the band (4096 pixels) is at |x| = 16 z.
    geo_camera_record cam = identity_camera(0);
    geo_camera_set(&cam);
    const uint32_t tex[8] = {0, 0, 0x200, 0, 0x200, 0, 0, 0};

    const int32_t reaching[12] = {0, -100, 100, 3200, -100, 100, 3200, 100, 100, 0, 100, 100};
    use_quad(reaching, tex);
    std::vector<quad_record> q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].near_count, 4);
    ASSERT_EQ(q[0].band_count, 4);
    int32_t max_sx = INT32_MIN;
    for (int i = 0; i < 4; i++) {
        const quad_vertex& v = q[0].band[i];
        EXPECT_EQ(v.z, 100);
        if (v.sx > max_sx) max_sx = v.sx;
        if (v.sx > 320 * 16) {
            EXPECT_EQ(v.u, 0x100) << i;  // cut half way along u
        }
    }
    EXPECT_EQ(max_sx, 65536 + 320 * 16);

    const int32_t outside[12] = {2000, -100, 100, 3000, -100, 100, 3000, 100, 100, 2000, 100, 100};
    use_quad(outside, tex);
    q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].band_count, -1);

    const int32_t inside[12] = {0, -100, 100, 1000, -100, 100, 1000, 100, 100, 0, 100, 100};
    use_quad(inside, tex);
    q = emit_quad();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].band_count, 0);
}

TEST_F(QuadGeometryTest, DepthWordsObjectShiftAndPriorityMakeTheSortKey) {
    // The depth model's squares lie in z = 0: at tz 0x1000 the nearest depth is 0x1000.
    struct {
        int32_t obj_shift;
        uint32_t key1, key2;
    } cases[] = {
        // Quad 1: absolute depth; quad 2: 0x1000 - 0x100, priority 6 + 3 wraps to 1.
        {0, 6u << 21 | SYNTH_DEPTH_ABSOLUTE, 1u << 21 | 0xF00},
        // Absolute object shift replaces both depths.
        {0x200000 | 0x777, 6u << 21 | 0x777, 1u << 21 | 0x777},
        // Offset -0x10 and priority +2 (6 + 3 + 2 = 11 wraps to 3).
        {2 << 18 | (-0x10 & 0x3FFFF), 0u << 21 | (SYNTH_DEPTH_ABSOLUTE - 0x10), 3u << 21 | 0xEF0},
        // A depth below 0 clamps to 0.
        {0x20000, 6u << 21 | 0, 1u << 21 | 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "objshift " << k.obj_shift);
        geo_camera_record cam = identity_camera(0x1000);
        cam.prio_base = 0xE;  // low 3 bits: 6
        cam.obj_shift = k.obj_shift;
        geo_camera_set(&cam);
        std::vector<quad_record> q = emit_model(SYNTH_MODEL_DEPTH);
        ASSERT_EQ(q.size(), 2u);
        EXPECT_EQ(q[0].zsort, k.key1);
        EXPECT_EQ(q[1].zsort, k.key2);
        // Flag bit 6: unlit corners take bits 16-23 of texture word k.
        for (int c = 0; c < 4; c++) EXPECT_EQ(q[0].src[c].b, int32_t(SYNTH_DEPTH_TEX_BRIGHT[c]));
        EXPECT_EQ(q[1].src[0].b, 0x80);
        EXPECT_EQ(q[0].depth_index, 0x1000u >> 8);
    }
}

TEST_F(QuadGeometryTest, LightListCursorRule) {
    geo_camera_record cam = identity_camera(100);
    geo_camera_set(&cam);
    const int32_t square[12] = {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0};
    use_quad(square);
    // Three values: every corner takes the next in turn.
    light_list.count = 3;
    for (int i = 0; i < 3; i++) light_list.values[i] = 10 * (i + 1);
    std::vector<quad_record> a = emit_quad(), b = emit_quad();
    const int32_t three[2][4] = {{10, 20, 30, 10}, {20, 30, 10, 20}};
    for (int c = 0; c < 4; c++) {
        EXPECT_EQ(a[0].src[c].b, three[0][c]);
        EXPECT_EQ(b[0].src[c].b, three[1][c]);
    }
    // Six values: each quad takes one value for all its corners.
    light_list_reset();
    light_list.count = 6;
    for (int i = 0; i < 6; i++) light_list.values[i] = 100 + i;
    a = emit_quad(), b = emit_quad();
    for (int c = 0; c < 4; c++) {
        EXPECT_EQ(a[0].src[c].b, 100);
        EXPECT_EQ(b[0].src[c].b, 101);
    }
}

TEST_F(QuadGeometryTest, LitModelTakesItsNormalsBrightness) {
    // Exact camera: normals and light unrotated; light (0, 0x4000, 0), scale 0x1000,
    // ambient 5, so a normal y >= 0 gives (y >> 4) + 5 and one facing away gives 5.
    geo_camera_record cam = identity_camera(0x4000);
    cam.ly = 0x4000;
    cam.light_scale = 0x1000;
    cam.ambient = 5;
    geo_camera_set(&cam);
    std::vector<quad_record> q = emit_model(SYNTH_MODEL_LIT);
    ASSERT_EQ(q.size(), 3u);
    // Chunk 1: eight values {2052, 5, 5, 1029, 517, 1541, 261, 2052}; from five values
    // on, quad q takes value q for all corners.
    // Chunk 2: the type-16 record restarts the list: {261, 517, 773, 1029}, one per corner.
    const int32_t want[3][4] = {{2052, 2052, 2052, 2052}, {5, 5, 5, 5}, {261, 517, 773, 1029}};
    for (int i = 0; i < 3; i++)
        for (int c = 0; c < 4; c++) EXPECT_EQ(q[i].src[c].b, want[i][c]) << i << " " << c;
    EXPECT_EQ(light_list.count, 4);
}

TEST_F(QuadGeometryTest, RecordCarriesWordsClipRectangleAndRanges) {
    geo_camera_record cam = identity_camera(1000);
    cam.ox = 10, cam.oy = -20;
    cam.window = 1;
    cam.left = 5.5f, cam.right = 7.5f, cam.top = 3.5f, cam.bottom = 2.5f;
    cam.cz = 0x812345;
    cam.fog_mode = 3;
    geo_camera_set(&cam);
    const int32_t square[12] = {0, 0, 0x300000, 10, 0, 0x300000, 10, 10, 0x300000, 0, 10, 0x300000};
    const uint32_t tex[8] = {0x5010, 0xB020, 0x0030, 0x0FFF, 0x0005, 0x0040, 0x0011, 0x0002};
    use_quad(square, tex);
    std::vector<quad_record> q = emit_quad(0xA5C21, 0, 0x1234567);
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].colour, 0x234567u);
    EXPECT_EQ(q[0].attr, 0x0A5C21u);
    EXPECT_EQ(q[0].attr_mode, 3u);
    EXPECT_EQ(q[0].tex_format, 5u);
    EXPECT_EQ(q[0].tex_bank, 0xBu);
    EXPECT_EQ(q[0].cz, 0x812345u);
    EXPECT_EQ(q[0].fog_mode, 3u);
    EXPECT_EQ(q[0].depth_index, 8191u);  // farthest beyond 0x200000
    EXPECT_EQ(q[0].clip_x0, 335);        // 330 + 5.5
    EXPECT_EQ(q[0].clip_x1, 321);        // 330 - 7.5 - 1
    EXPECT_EQ(q[0].clip_y0, 223);        // 220 + 3.5
    EXPECT_EQ(q[0].clip_y1, 216);        // 220 - 2.5 - 1
    EXPECT_EQ(q[0].u_min, 0x5u);
    EXPECT_EQ(q[0].u_max, 0x30u);
    EXPECT_EQ(q[0].v_min, 0x2u);
    EXPECT_EQ(q[0].v_max, 0xFFFu);
    EXPECT_EQ(geo_counters.z_min, 0x300000 + 1000);

    cam.window = 0;
    geo_camera_set(&cam);
    q = emit_quad();
    EXPECT_EQ(q[0].clip_x0, 0);
    EXPECT_EQ(q[0].clip_x1, 639);
    EXPECT_EQ(q[0].clip_y1, 479);
}

TEST_F(QuadGeometryTest, MatrixSignFlip) {
    int32_t m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    matrix_sign_flip(m, 0x10);
    const int32_t x[9] = {-1, 2, 3, -4, 5, 6, -7, 8, 9};
    EXPECT_EQ(0, memcmp(m, x, sizeof m));
    matrix_sign_flip(m, 0x30);
    const int32_t xy[9] = {1, -2, 3, 4, -5, 6, 7, -8, 9};
    EXPECT_EQ(0, memcmp(m, xy, sizeof m));
}

TEST_F(QuadGeometryTest, CullDumpNamesTheModel) {
    // The switch is read once per run: a re-executed child reads it fresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SKYVOLTA_CULLDUMP", "70", 1);
            int32_t m[9];
            double r[3][3];
            corner_view_matrix(m, r);
            geo_camera_record cam = camera(m, 0, 0, 0x30000, 0x4548, 5);
            geo_camera_set(&cam);
            engine_frame_counter = 7;
            geo_current_code = SYNTH_MODEL_CUBE;
            model_quads_emit(SYNTH_MODEL_CUBE, nullptr, nullptr);
            exit(0);
        },
        testing::ExitedWithCode(0),
        "\\[CULL\\] f7 code 70 c1=[0-9]+ c2=[0-9]+ \\([0-9.]+,[0-9.]+,[0-9]+\\) "
        "\\([0-9.]+,[0-9.]+,[0-9]+\\) \\([0-9.]+,[0-9.]+,[0-9]+\\) \\([0-9.]+,[0-9.]+,[0-9]+\\)\n");
}

}  // namespace
