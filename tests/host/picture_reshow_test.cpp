// The re-show texture puts the captured picture back pixel for pixel over the whole
// drawable, whatever colour, blend and viewport state the frame left, and restores that
// state; its 16-pixel test tells a re-shown picture from the reference.
#include "host/picture_reshow.h"

#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct drawable {
    int w, h;
};

drawable drawable_size() {
    drawable d{};
    SDL_GL_GetDrawableSize(gl_engine_window, &d.w, &d.h);
    return d;
}

// A 5 x 3 grid of colours, cells of unequal size, so that a flipped, shifted or scaled
// re-show moves an edge.
void pattern_draw(drawable d, int seed) {
    glDisable(GL_BLEND);
    glViewport(0, 0, d.w, d.h);
    glEnable(GL_SCISSOR_TEST);
    for (int row = 0; row < 3; row++)
        for (int column = 0; column < 5; column++) {
            int x0 = d.w * column * column / 25, x1 = d.w * (column + 1) * (column + 1) / 25;
            int y0 = d.h * row / 3 + 7 * row, y1 = row == 2 ? d.h : d.h * (row + 1) / 3 + 7 * (row + 1);
            glScissor(x0, y0, x1 - x0, y1 - y0);
            glClearColor(float((40 * column + seed) % 256) / 255, float((90 * row + seed) % 256) / 255,
                         float((17 * (row + column) + 3 * seed) % 256) / 255, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
    glDisable(GL_SCISSOR_TEST);
}

std::vector<uint8_t> back_buffer(drawable d) {
    std::vector<uint8_t> px(size_t(d.w) * size_t(d.h) * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, d.w, d.h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (size_t i = 3; i < px.size(); i += 4) px[i] = 255;  // the texture keeps RGB only
    return px;
}

void black_clear() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

class PictureReshow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        size = drawable_size();
        ASSERT_GT(size.w, 0);
    }
    drawable size{};
};

TEST_F(PictureReshow, DrawsTheCapturedPictureBackOverTheWholeDrawable) {
    pattern_draw(size, 0);
    std::vector<uint8_t> shown = back_buffer(size);
    ASSERT_TRUE(reshow_capture(gl_engine_window, true));
    black_clear();
    EXPECT_FALSE(reshow_draw(gl_engine_window, true));  // every test pixel as captured
    EXPECT_TRUE(back_buffer(size) == shown);
}

TEST_F(PictureReshow, IgnoresAndRestoresTheStateTheFrameLeft) {
    pattern_draw(size, 5);
    std::vector<uint8_t> shown = back_buffer(size);
    ASSERT_TRUE(reshow_capture(gl_engine_window, false));
    black_clear();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    glColor4f(1, 0, 0, 0.5f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glViewport(10, 20, 30, 40);
    glMatrixMode(GL_PROJECTION);
    reshow_draw(gl_engine_window, false);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glDisable(GL_BLEND);
    EXPECT_TRUE(back_buffer(size) == shown);

    GLint viewport[4], mode = 0, env = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[3], 40);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(env, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, size.w, size.h);
}

TEST_F(PictureReshow, TheTestPixelsTellAnotherPictureFromTheReference) {
    pattern_draw(size, 0);
    ASSERT_TRUE(reshow_capture(gl_engine_window, true));
    pattern_draw(size, 128);  // a new frame, captured without a new reference
    ASSERT_TRUE(reshow_capture(gl_engine_window, false));
    EXPECT_TRUE(reshow_draw(gl_engine_window, true));
}

}  // namespace
