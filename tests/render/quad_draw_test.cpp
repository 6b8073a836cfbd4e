// The quad drawer: depth sort, clipping, batching into draw calls, the texture cache's
// eviction hook, the wide-screen range and the backdrop margin copies.
#include "render/quad_draw.h"

#include "render/quad_batch.h"
#include "render/texture_atlas.h"
#include "tests/render/frame_scene.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

quad_record make_quad(int x0, int y0, int x1, int y1, int32_t z, uint32_t zsort = 0, uint32_t seq = 0) {
    quad_record q{};
    const int corners[4][4] = {{x0, y0, 0, 0}, {x1, y0, 15, 0}, {x1, y1, 15, 15}, {x0, y1, 0, 15}};
    for (int k = 0; k < 4; k++) {
        quad_vertex& v = q.near[k];
        v.sx = corners[k][0] * 16, v.sy = corners[k][1] * 16, v.z = z;
        v.u = int32_t(SYNTH_TEX_U_8BIT) + corners[k][2], v.v = corners[k][3];
        v.u16 = v.u << 16, v.v16 = v.v << 16;
        v.b = 64, v.b16 = 64 << 16, v.valid = 1;
    }
    q.near_count = 4;
    q.colour = SYNTH_CUBE_PALETTE << 8;
    q.tex_bank = SYNTH_TEX_BANK;
    q.clip_x0 = 0, q.clip_x1 = 639, q.clip_y0 = 0, q.clip_y1 = 479;
    q.u_min = uint16_t(SYNTH_TEX_U_8BIT), q.u_max = uint16_t(SYNTH_TEX_U_8BIT + 15), q.v_min = 0, q.v_max = 15;
    q.zsort = zsort, q.seq = seq;
    return q;
}

TEST(QuadsZsort, FarthestFirstAndTiesByTheTieOrder) {
    std::vector<quad_record> q = {make_quad(0, 0, 1, 1, 1, 5, 0), make_quad(0, 0, 1, 1, 1, 9, 1),
                                  make_quad(0, 0, 1, 1, 1, 5, 2), make_quad(0, 0, 1, 1, 1, 0xE00001, 3)};
    quads_zsort(q.data(), int(q.size()), 1);
    const uint32_t arrival[4] = {3, 1, 0, 2};
    for (int i = 0; i < 4; i++) EXPECT_EQ(q[size_t(i)].seq, arrival[i]) << i;
    quads_zsort(q.data(), int(q.size()), 0);
    const uint32_t reversed[4] = {3, 1, 2, 0};
    for (int i = 0; i < 4; i++) EXPECT_EQ(q[size_t(i)].seq, reversed[i]) << i;
}

// The painter's order leaves the records where they are and names them in the order
// the in-place sort puts them, for both tie orders, equal keys and equal arrival numbers
// included (those by index), across keys that differ in every byte.
TEST(QuadsZsort, TheOrderMatchesTheSortedRecordsAndMovesNothing) {
    std::vector<quad_record> q;
    const uint32_t keys[][2] = {{5, 7},          {0xE00001, 2}, {5, 7},     {0x1FFFFF, 0x10000}, {5, 1},
                                {0x200000, 2},   {0, 0},        {5, 0x300}, {0xE00001, 0x01000000}, {9, 3}};
    for (const auto& k : keys) q.push_back(make_quad(0, 0, 1, 1, 1, k[0], k[1]));
    for (int tie : {1, 0}) {
        std::vector<quad_record> moved = q;
        quads_zsort(moved.data(), int(moved.size()), tie);
        std::vector<int32_t> order(q.size());
        quads_zsort_order(q.data(), int(q.size()), tie, order.data());
        for (size_t i = 0; i < q.size(); i++) {
            EXPECT_EQ(q[i].zsort, keys[i][0]) << "record " << i << " moved";
            const quad_record& named = q[size_t(order[i])];
            EXPECT_EQ(named.zsort, moved[i].zsort) << "tie " << tie << " place " << i;
            EXPECT_EQ(named.seq, moved[i].seq) << "tie " << tie << " place " << i;
        }
        // The two records with key 5 and arrival 7 keep their index order.
        auto first = std::find(order.begin(), order.end(), 0), second = std::find(order.begin(), order.end(), 2);
        EXPECT_LT(first, second) << "tie " << tie;
    }
}

TEST(PolyClipEdge, KeepsTheInsideAndCutsTheEdges) {
    // A square from x 10 to 30 against x >= 20: half is left, with s interpolated.
    const float in[4][CLIP_FLOATS] = {{10, 0, 0, 0, 1, 1}, {30, 0, 1, 0, 1, 1}, {30, 10, 1, 1, 1, 1}, {10, 10, 0, 1, 1, 1}};
    float out[CLIP_VERTICES_MAX][CLIP_FLOATS];
    int n = poly_clip_edge(&in[0][0], 4, &out[0][0], 0, 1, 20.0f);
    ASSERT_EQ(n, 4);
    for (int i = 0; i < n; i++) {
        EXPECT_GE(out[i][0], 20.0f);
        if (out[i][0] == 20.0f) {
            EXPECT_FLOAT_EQ(out[i][2], 0.5f);
        }
    }
    EXPECT_EQ(poly_clip_edge(&in[0][0], 4, &out[0][0], 0, -1, 5.0f), 0);  // wholly right of x <= 5
}

class QuadDrawGl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        saved = scene_rom_save();
        scene_board_reset();
        tex_transparency_mode = 1;
        ctx = quad_draw_context{};
        ctx.lit = 1;
        ctx.half_texel = 1;
    }
    void TearDown() override {
        unsetenv("ENG_NOBATCH");
        quad_draw_switches_reset();
        scene_rom_restore(saved);
    }
    void begin(int w, int h) {
        scene_viewport(w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(hud_margin_left, hud_margin_right, 480, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        quad_draw_begin();
    }
    long calls_for(int quads) {
        begin(640, 480);
        long before = quad_batch_counters.draw_calls;
        for (int i = 0; i < quads; i++) {
            quad_record q = make_quad(i % 600, (i / 600) * 20, i % 600 + 30, (i / 600) * 20 + 30, 0x10000);
            quad_draw(&q, &ctx);
        }
        quad_draw_end();
        return quad_batch_counters.draw_calls - before;
    }
    scene_rom_pointers saved;
    quad_draw_context ctx;
};

TEST_F(QuadDrawGl, AThousandQuadsOnOnePageBatchIntoAFewCallsUnlessNoBatch) {
    long batched = calls_for(1000);
    EXPECT_GE(batched, 1);
    EXPECT_LE(batched, 3);
    setenv("ENG_NOBATCH", "1", 1);
    quad_draw_switches_reset();
    EXPECT_EQ(calls_for(1000), 1000);
}

TEST_F(QuadDrawGl, AQuadWhollyOffThePictureLeavesTheBatchAlone) {
    begin(640, 480);
    quad_record q = make_quad(-300, 10, -100, 100, 0x10000);
    long quads = quad_batch_counters.quads;
    quad_draw(&q, &ctx);
    EXPECT_EQ(quad_batch_counters.quads, quads);
    quad_draw_end();
}

TEST_F(QuadDrawGl, AnEvictionDrawsThePendingBatchFirst) {
    begin(640, 480);
    quad_record q = make_quad(10, 10, 100, 100, 0x10000);
    quad_draw(&q, &ctx);
    long hooks = quad_batch_counters.hook, calls = quad_batch_counters.draw_calls;
    atlas_evict_notify(atlas.pages[0].texture);
    EXPECT_EQ(quad_batch_counters.hook, hooks + 1);
    EXPECT_EQ(quad_batch_counters.draw_calls, calls + 1);
    quad_draw_end();
}

TEST_F(QuadDrawGl, FullWidthClipUsesTheMarginsNarrowerClipIsScissored) {
    // 854 x 480: the board picture spans window x 107 .. 746.
    for (bool full : {true, false}) {
        begin(854, 480);
        quad_record q = make_quad(-100, 100, 740, 200, 0x10000);
        if (!full) q.clip_x0 = 100, q.clip_x1 = 539;
        quad_draw(&q, &ctx);
        quad_draw_end();
        rgb_picture p = scene_read(854, 480);
        auto drawn = [&](int x) {
            const uint8_t* c = scene_pixel(p, x, 150);
            return (c[0] | c[1] | c[2]) != 0;
        };
        EXPECT_EQ(drawn(20), full) << full;       // left margin
        EXPECT_EQ(drawn(830), full) << full;      // right margin
        EXPECT_EQ(drawn(107 + 50), full) << full;  // inside the picture, left of the clip
        EXPECT_TRUE(drawn(107 + 320)) << full;
    }
}

TEST_F(QuadDrawGl, BackdropMarginCopiesOnlyForFullScreenQuadsWhenAsked) {
    struct backdrop_case {
        int x0, x1;
        int near_count;
        int32_t margin_copy;
        long quads;  // polygons appended: the quad and its copies
    };
    const backdrop_case cases[] = {
        {-4, 644, 4, 1, 3},  // the whole picture: both copies
        {8, 632, 4, 1, 1},   // short of the edges: none
        {-4, 644, 5, 1, 1},  // five vertices after clipping: none
        {-4, 644, 4, 0, 1},  // the live painter's context: none
    };
    for (const backdrop_case& c : cases) {
        begin(854, 480);
        quad_record q = make_quad(c.x0, -2, c.x1, 482, 0x10000);
        if (c.near_count == 5) {
            q.near[4] = q.near[3];
            q.near[4].sx += 16;
            q.near_count = 5;
        }
        ctx.margin_copy = c.margin_copy;
        long before = quad_batch_counters.quads;
        quad_draw_wide(&q, &ctx);
        quad_draw_end();
        EXPECT_EQ(quad_batch_counters.quads - before, c.quads) << c.x0 << " " << c.near_count << " " << c.margin_copy;
        if (c.quads == 3) {
            rgb_picture p = scene_read(854, 480);
            const uint8_t* margin = scene_pixel(p, 5, 240);
            EXPECT_NE(margin[0] | margin[1] | margin[2], 0);
        }
    }
}

}  // namespace
