// The final colour stage: by GLSL and by pixel maps, every level of every channel comes
// out within one level of the mixer's colour table on the CPU; the engine frame's sink
// keeps the guard-band vertices and numbers the records.
#include "render/engine_frame.h"

#include "render/cz_fog.h"
#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int W = 256, H = 4;

// Row y of a 256 x 4 picture: red, green and blue run 0..255 along x in different
// orders so that each channel meets every level against unlike neighbours.
void levels_fill(std::vector<uint8_t>* rgba) {
    rgba->assign(size_t(W) * H * 4, 255);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            uint8_t* p = &(*rgba)[(size_t(y) * W + x) * 4];
            p[0] = uint8_t(x), p[1] = uint8_t(255 - x), p[2] = uint8_t(x * 7 + y * 64);
        }
}

class PostStage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        // A table unlike the identity in every channel.
        for (int i = 0; i < 256; i++) {
            fog_current.lut[0][i] = uint8_t(255 - i);
            fog_current.lut[1][i] = uint8_t(i * i / 255);
            fog_current.lut[2][i] = uint8_t(i / 2 + 64);
        }
        fog_current.lut_active = 1;
        fog_current_valid = true;
        post_method = POST_UNCHOSEN;  // chosen afresh, whatever an earlier frame of this program chose
    }
    void TearDown() override {
        fog_current_valid = false;
        post_method = POST_UNCHOSEN;
    }
    // The levels drawn into the framebuffer, the stage applied, the pixels read back.
    static std::vector<uint8_t> staged() {
        std::vector<uint8_t> in;
        levels_fill(&in);
        glViewport(0, 0, W, H);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRasterPos2f(-1, -1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glDrawPixels(W, H, GL_RGBA, GL_UNSIGNED_BYTE, in.data());
        post_stage_apply(fog_current.lut[0], fog_current.lut[1], fog_current.lut[2], W, H);
        std::vector<uint8_t> out(in.size());
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    static void expect_table_applied(const std::vector<uint8_t>& out) {
        std::vector<uint8_t> in;
        levels_fill(&in);
        int worst = 0;
        for (size_t i = 0; i < in.size(); i += 4) {
            uint8_t want[3] = {in[i], in[i + 1], in[i + 2]};
            mixer_colour_lut_apply(&want[0], &want[1], &want[2]);
            for (int c = 0; c < 3; c++) worst = std::max(worst, std::abs(int(out[i + c]) - int(want[c])));
        }
        EXPECT_LE(worst, 1);
    }
};

TEST_F(PostStage, GlslMatchesTheTableOnTheCpu) {
    testing::internal::CaptureStderr();
    std::vector<uint8_t> out = staged();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[POST] final colour stage: GLSL\n");
    ASSERT_EQ(post_method, POST_GLSL);
    expect_table_applied(out);
}

TEST_F(PostStage, PixelMapsMatchTheTableOnTheCpu) {
    post_method = POST_PIXEL_MAP;
    expect_table_applied(staged());
}

TEST(EngineSink, BandVerticesReplaceTheNearOnesAndRecordsAreNumbered) {
    quad_record q{};
    q.near_count = 4;
    q.near[0].sx = 11;
    q.band_count = 5;
    q.band[0].sx = 22;
    int32_t before = engine_quad_count();
    EXPECT_EQ(quad_sink_collect(&q), before + 1);
    q.band_count = -1;  // nothing left after the guard band
    EXPECT_EQ(quad_sink_collect(&q), before + 1);
    q.band_count = 0;
    EXPECT_EQ(quad_sink_collect(&q), before + 2);
    const quad_record* list = engine_quads();
    EXPECT_EQ(list[before].near_count, 5);
    EXPECT_EQ(list[before].near[0].sx, 22);
    EXPECT_EQ(list[before].seq, uint32_t(before));
    EXPECT_EQ(list[before + 1].near_count, 4);
    EXPECT_EQ(list[before + 1].near[0].sx, 11);
    EXPECT_EQ(list[before + 1].seq, uint32_t(before + 1));
    // The list grows past its first 8192 records.
    for (int i = 0; i < 9000; i++) quad_sink_collect(&q);
    EXPECT_EQ(engine_quad_count(), before + 9002);
    EXPECT_EQ(engine_quads()[before + 9001].seq, uint32_t(before + 9001));
}

}  // namespace
