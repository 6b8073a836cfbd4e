#include "render/render_target.h"

#include "render/gl_functions.h"
#include "tests/support/gl_test_window.h"

#include <gtest/gtest.h>
#include <cstring>

TEST(PresentRectFit, LetterboxesToTheTargetAspect) {
    struct fit_case {
        int tw, th, dw, dh;
        bool stretch;
        present_rect want;
    };
    const fit_case cases[] = {
        {640, 480, 1920, 1080, false, {240, 0, 1440, 1080, true}},  // pillarbox, 2.25x
        {640, 480, 1280, 960, false, {0, 0, 1280, 960, false}},     // exactly 2x: sharp
        {640, 480, 640, 960, false, {0, 240, 640, 480, false}},     // letterbox, 1x
        {640, 480, 1920, 1080, true, {0, 0, 1920, 1080, true}},     // stretched
        {320, 240, 1280, 960, true, {0, 0, 1280, 960, false}},      // stretched, 4x
    };
    for (const fit_case& c : cases) {
        present_rect r = present_rect_fit(c.tw, c.th, c.dw, c.dh, c.stretch);
        SCOPED_TRACE(testing::Message() << c.tw << "x" << c.th << " in " << c.dw << "x" << c.dh);
        EXPECT_EQ(r.x, c.want.x);
        EXPECT_EQ(r.y, c.want.y);
        EXPECT_EQ(r.w, c.want.w);
        EXPECT_EQ(r.h, c.want.h);
        EXPECT_EQ(r.linear, c.want.linear);
    }
}

class RenderTargetGl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        render_target_reset();
        clear_window(0, 0, 255);
    }
    void TearDown() override {
        render_target_reset();
        gl_proc_loader = SDL_GL_GetProcAddress;
    }
    static void clear_window(int r, int g, int b) {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Fills the bound target: a uniform colour, or 1-pixel columns of white and black.
    static void paint_target(int w, int h, bool stripes) {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1.0f, stripes ? 1.0f : 0.5f, stripes ? 1.0f : 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (!stripes) return;
        glEnable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        for (int x = 0; x < w; x += 2) {
            glScissor(x, 0, 1, h);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    static bool pixel_is(const std::vector<uint8_t>& row, int x, int r, int g, int b) {
        const uint8_t* p = &row[size_t(x) * 4];
        return p[0] == r && p[1] == g && p[2] == b;
    }
};

TEST_F(RenderTargetGl, SmallTargetIsPillarboxedIntoTheWindow) {
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    render_target_begin(gl_engine_window, 640, 480, &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[DISPLAY] render target 640x480\n");
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    paint_target(w, h, false);
    render_target_present(gl_engine_window, false);

    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    for (int row : {0, 540, 1079}) {
        std::vector<uint8_t> px = gl_read_row(row, 1920, 1080);
        SCOPED_TRACE(row);
        EXPECT_TRUE(pixel_is(px, 0, 0, 0, 0));
        EXPECT_TRUE(pixel_is(px, 239, 0, 0, 0));
        EXPECT_TRUE(pixel_is(px, 240, 255, 128, 0));
        EXPECT_TRUE(pixel_is(px, 960, 255, 128, 0));
        EXPECT_TRUE(pixel_is(px, 1679, 255, 128, 0));
        EXPECT_TRUE(pixel_is(px, 1680, 0, 0, 0));
        EXPECT_TRUE(pixel_is(px, 1919, 0, 0, 0));
    }
}

TEST_F(RenderTargetGl, FractionalScaleFiltersLinearlyAndWholeScaleStaysSharp) {
    int w = 0, h = 0;
    render_target_begin(gl_engine_window, 640, 480, &w, &h);
    paint_target(w, h, true);
    render_target_present(gl_engine_window, false);
    std::vector<uint8_t> wide = gl_read_row(540, 1920, 1080);
    int blended = 0;
    for (int x = 240; x < 1680; ++x) blended += wide[size_t(x) * 4] != 0 && wide[size_t(x) * 4] != 255;
    EXPECT_GT(blended, 100) << "2.25x must be filtered linearly";

    // The same target in a 1280x960 window is exactly 2x: nearest, every column doubled.
    SDL_Window* second = SDL_CreateWindow("second", 0, 0, 1280, 960, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(SDL_GL_MakeCurrent(second, gl_engine_context), 0);
    render_target_begin(second, 640, 480, &w, &h);
    ASSERT_EQ(w, 640);
    paint_target(w, h, true);
    render_target_present(second, false);
    std::vector<uint8_t> sharp = gl_read_row(480, 1280, 960);
    SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
    SDL_DestroyWindow(second);
    for (int x = 0; x < 1280; ++x) {
        int want = (x / 2) % 2 ? 255 : 0;
        ASSERT_TRUE(pixel_is(sharp, x, want, want, want)) << "column " << x;
    }
}

TEST_F(RenderTargetGl, NoTargetWhenTheWantedSizeIsTheWindowOrZero) {
    const int wanted[][2] = {{1920, 1080}, {0, 480}, {640, 0}};
    for (const auto& want : wanted) {
        int w = 0, h = 0;
        render_target_begin(gl_engine_window, want[0], want[1], &w, &h);
        EXPECT_EQ(w, 1920);
        EXPECT_EQ(h, 1080);
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
        EXPECT_EQ(bound, 0);
        render_target_present(gl_engine_window, false);
        std::vector<uint8_t> px = gl_read_row(540, 1920, 1080);
        EXPECT_TRUE(pixel_is(px, 0, 0, 0, 255)) << "present must leave the window alone";
        EXPECT_TRUE(pixel_is(px, 960, 0, 0, 255));
    }
}

static void* loader_without_blit(const char* name) {
    if (strncmp(name, "glBlitFramebuffer", 17) == 0) return nullptr;
    return SDL_GL_GetProcAddress(name);
}

TEST_F(RenderTargetGl, WithoutFramebufferObjectsTheResolutionFollowsTheWindow) {
    gl_proc_loader = loader_without_blit;
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    render_target_begin(gl_engine_window, 640, 480, &w, &h);
    render_target_begin(gl_engine_window, 800, 600, &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[DISPLAY] no framebuffer objects: resolution follows the window\n");
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    render_target_present(gl_engine_window, false);
    std::vector<uint8_t> px = gl_read_row(540, 1920, 1080);
    EXPECT_TRUE(pixel_is(px, 0, 0, 0, 255));
    EXPECT_TRUE(pixel_is(px, 960, 0, 0, 255));
}

TEST_F(RenderTargetGl, TargetFollowsAChangedSizeAndIsReusedOtherwise) {
    int w = 0, h = 0;
    render_target_begin(gl_engine_window, 640, 480, &w, &h);
    render_target_present(gl_engine_window, false);
    testing::internal::CaptureStderr();
    render_target_begin(gl_engine_window, 640, 480, &w, &h);
    render_target_present(gl_engine_window, false);
    render_target_begin(gl_engine_window, 320, 240, &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[DISPLAY] render target 320x240\n");
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    GLint colour_w = 0, bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_NE(bound, 0);
    GLint rb = 0;
    PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC attachment_param =
        reinterpret_cast<PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC>(
            SDL_GL_GetProcAddress("glGetFramebufferAttachmentParameteriv"));
    PFNGLGETRENDERBUFFERPARAMETERIVPROC renderbuffer_param =
        reinterpret_cast<PFNGLGETRENDERBUFFERPARAMETERIVPROC>(SDL_GL_GetProcAddress("glGetRenderbufferParameteriv"));
    attachment_param(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &rb);
    gl_fbo.bind_renderbuffer(GL_RENDERBUFFER, GLuint(rb));
    renderbuffer_param(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &colour_w);
    EXPECT_EQ(colour_w, 320);
    GLint depth_bits = 0;
    attachment_param(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &rb);
    gl_fbo.bind_renderbuffer(GL_RENDERBUFFER, GLuint(rb));
    renderbuffer_param(GL_RENDERBUFFER, GL_RENDERBUFFER_DEPTH_SIZE, &depth_bits);
    EXPECT_GE(depth_bits, 24);
}
