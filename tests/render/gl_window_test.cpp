#include "render/gl_window.h"

#include "base/env_switch.h"
#include "tests/support/gl_test_window.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>

// The window's line is printed at the process's first open: the case runs in a child.
TEST(GlHeadlessWindowChild, OpensHiddenOffscreenWindowWithCurrentContext) {
    if (!test_child()) GTEST_SKIP() << "run by GlHeadlessWindow.OpensHiddenOffscreenWindowWithCurrentContext";
    testing::internal::CaptureStdout();
    ASSERT_TRUE(gl_test_window());
    std::string out = testing::internal::GetCapturedStdout();
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(out, std::string("[GL] headless: ") + renderer + "\n");
    EXPECT_STREQ(env_text("SDL_VIDEODRIVER"), "offscreen");
    ASSERT_NE(gl_engine_window, nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), gl_engine_context);
    EXPECT_STREQ(SDL_GetWindowTitle(gl_engine_window), "engine");
    EXPECT_TRUE(SDL_GetWindowFlags(gl_engine_window) & SDL_WINDOW_HIDDEN);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(gl_engine_window, &w, &h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    // The offscreen driver draws into a single-buffered surface; the alpha bits and
    // the compatibility profile's fixed-function calls must be there.
    int alpha = 0;
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &alpha);
    EXPECT_EQ(alpha, 8);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GlHeadlessWindow, OpensHiddenOffscreenWindowWithCurrentContext) {
    std::string out;
    EXPECT_EQ(test_child_run("", "GlHeadlessWindowChild.OpensHiddenOffscreenWindowWithCurrentContext", &out), 0) << out;
}
