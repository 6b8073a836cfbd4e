// The GUI back end on Mesa through SDL's offscreen driver: the GL state around a render,
// scissor boxes on a scaled drawable, keys and text as the GUI sees them, and the
// clipboard through SDL's.
#include "host/gui_backend.h"
#include "tests/support/menu_driver.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>
#include <imgui.h>
#include <cstring>
#include <string>

namespace {

class GuiBackend : public testing::Test {
protected:
    void SetUp() override {
        window = gui_window_open(640, 480);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_TRUE(gui_init(window));
        gui_font_stash_end();
        SDL_SetModState(KMOD_NONE);
    }
    void TearDown() override { gui_window_close(window); }
    // One GUI frame holding a window with a text field (focused on the first frame).
    void edit_frame(const SDL_Event* events, int count, bool focus = false) {
        gui_input_begin();
        for (int i = 0; i < count; i++) gui_handle_event(&events[i]);
        gui_frame_begin();
        ImGui::SetNextWindowPos(ImVec2(10, 10));
        ImGui::Begin("edit");
        if (focus) ImGui::SetKeyboardFocusHere();
        ImGui::InputText("##text", text, sizeof text);
        ImGui::End();
        gui_render();
    }
    // A key tapped with Ctrl held: pressed in one frame, released in the next.
    void ctrl_tap(SDL_Scancode key) {
        SDL_SetModState(KMOD_LCTRL);
        SDL_Event down = key_event(key, true), up = key_event(key, false);
        edit_frame(&down, 1);
        edit_frame(&up, 1);
        SDL_SetModState(KMOD_NONE);
    }
    SDL_Window* window = nullptr;
    char text[64] = "hello";
};

struct gl_snapshot {
    bool enables[9];
    GLint blend_src, blend_dst, matrix_mode, texture, viewport[4];
    GLfloat projection[16], modelview[16];
    bool arrays[3];
};

gl_snapshot gl_snapshot_take() {
    static const GLenum caps[9] = {GL_CULL_FACE, GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_BLEND,   GL_TEXTURE_2D,
                                   GL_ALPHA_TEST, GL_FOG,       GL_LIGHTING,     GL_DITHER};
    gl_snapshot s{};
    for (int i = 0; i < 9; i++) s.enables[i] = glIsEnabled(caps[i]);
    glGetIntegerv(GL_BLEND_SRC, &s.blend_src);
    glGetIntegerv(GL_BLEND_DST, &s.blend_dst);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrix_mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    s.arrays[0] = glIsEnabled(GL_VERTEX_ARRAY);
    s.arrays[1] = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    s.arrays[2] = glIsEnabled(GL_COLOR_ARRAY);
    return s;
}

TEST_F(GuiBackend, RenderLeavesTheGlStateAsItFoundIt) {
    // A game pass's leftovers: odd enables, blend function, matrices, a bound texture and
    // a viewport over part of the window.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (GLenum cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_ALPHA_TEST, GL_FOG}) glEnable(cap);
    for (GLenum cap : {GL_SCISSOR_TEST, GL_BLEND, GL_TEXTURE_2D}) glDisable(cap);
    glBlendFunc(GL_ONE, GL_DST_COLOR);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3, 4, -5);
    glMatrixMode(GL_TEXTURE);
    glViewport(100, 50, 200, 100);
    gl_snapshot before = gl_snapshot_take();

    SDL_Event none{};
    edit_frame(&none, 0, true);
    edit_frame(&none, 0);  // the window is shown from its second frame: several draw commands
    ASSERT_GT(ImGui::GetDrawData()->TotalIdxCount, 0);
    gl_snapshot after = gl_snapshot_take();

    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (int i = 0; i < 9; i++) EXPECT_EQ(after.enables[i], before.enables[i]) << "enable " << i;
    EXPECT_EQ(after.blend_src, GL_ONE);
    EXPECT_EQ(after.blend_dst, GL_DST_COLOR);
    EXPECT_EQ(after.matrix_mode, GL_TEXTURE);
    EXPECT_EQ(0, memcmp(after.projection, before.projection, sizeof before.projection));
    EXPECT_EQ(0, memcmp(after.modelview, before.modelview, sizeof before.modelview));
    EXPECT_EQ(after.texture, 0);
    for (bool on : after.arrays) EXPECT_FALSE(on);
    const GLint whole[4] = {0, 0, 640, 480};
    EXPECT_EQ(0, memcmp(after.viewport, whole, sizeof whole));
    glDeleteTextures(1, &texture);
}

TEST(GuiScissor, BoxesScaleWithTheDrawable) {
    const struct {
        float clip[4];  // x1, y1, x2, y2 in window coordinates
        int ww, wh, dw, dh;
        gui_box want;
    } cases[] = {
        {{0, 0, 640, 480}, 640, 480, 640, 480, {0, 0, 640, 480}},
        {{8, 34, 248, 454}, 640, 480, 640, 480, {8, 26, 240, 420}},
        {{8, 34, 248, 454}, 640, 480, 1280, 960, {16, 52, 480, 840}},  // twice the window
        {{0, 452, 640, 480}, 640, 480, 1280, 960, {0, 0, 1280, 56}},   // the bottom edge stays in
        {{10.5f, 20.25f, 30.5f, 40.75f}, 640, 480, 640, 480, {10, 440, 20, 20}},
    };
    for (const auto& c : cases) {
        gui_box b = gui_scissor_box(c.clip, c.ww, c.wh, c.dw, c.dh);
        EXPECT_EQ(b.x, c.want.x) << c.clip[0] << "," << c.clip[1] << " at " << c.dw << "x" << c.dh;
        EXPECT_EQ(b.y, c.want.y) << c.clip[0] << "," << c.clip[1] << " at " << c.dw << "x" << c.dh;
        EXPECT_EQ(b.w, c.want.w) << c.clip[0] << "," << c.clip[1] << " at " << c.dw << "x" << c.dh;
        EXPECT_EQ(b.h, c.want.h) << c.clip[0] << "," << c.clip[1] << " at " << c.dw << "x" << c.dh;
    }
}

TEST_F(GuiBackend, LetterKeysNeedCtrlToBeCommands) {
    ImGuiIO& io = ImGui::GetIO();
    gui_input_begin();
    SDL_Event a = key_event(SDL_SCANCODE_A, true), c = key_event(SDL_SCANCODE_C, true);
    SDL_Event glyph{};
    glyph.type = SDL_TEXTINPUT;
    strcpy(glyph.text.text, "a");
    for (const SDL_Event* e : {&a, &glyph, &c}) EXPECT_TRUE(gui_handle_event(e));
    EXPECT_FALSE(io.KeysDown[SDL_SCANCODE_A]) << "'a' alone is no select-all";
    EXPECT_FALSE(io.KeysDown[SDL_SCANCODE_C]) << "'c' alone is no copy";
    ASSERT_EQ(io.InputQueueCharacters.Size, 1);
    EXPECT_EQ(io.InputQueueCharacters[0], ImWchar('a'));

    SDL_SetModState(KMOD_RCTRL);
    gui_handle_event(&a);
    gui_handle_event(&c);
    EXPECT_TRUE(io.KeysDown[SDL_SCANCODE_A]);
    EXPECT_TRUE(io.KeysDown[SDL_SCANCODE_C]);
    EXPECT_TRUE(io.KeyCtrl);
    // Released in the frame of its press: the GUI still sees it down until the next frame.
    SDL_Event up = key_event(SDL_SCANCODE_A, false);
    gui_handle_event(&up);
    EXPECT_TRUE(io.KeysDown[SDL_SCANCODE_A]);
    gui_input_begin();
    EXPECT_FALSE(io.KeysDown[SDL_SCANCODE_A]);

    SDL_Event other{};
    other.type = SDL_WINDOWEVENT;
    EXPECT_FALSE(gui_handle_event(&other));
}

TEST_F(GuiBackend, CopyAndPasteGoThroughSdlsClipboard) {
    SDL_Event none{};
    edit_frame(&none, 0, true);
    edit_frame(&none, 0);
    ctrl_tap(SDL_SCANCODE_A);
    ctrl_tap(SDL_SCANCODE_C);
    char* copied = SDL_GetClipboardText();
    EXPECT_STREQ(copied, "hello");
    SDL_free(copied);

    ASSERT_EQ(SDL_SetClipboardText("sky"), 0);
    ctrl_tap(SDL_SCANCODE_V);  // replaces the selection
    EXPECT_STREQ(text, "sky");

    // 'v' without Ctrl types nothing by itself (the glyph comes as text input).
    SDL_Event v = key_event(SDL_SCANCODE_V, true);
    edit_frame(&v, 1);
    EXPECT_STREQ(text, "sky");
}

}  // namespace
