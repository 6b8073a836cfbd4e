#include "host/gui_backend.h"

#include <SDL_opengl.h>
#include <cstdint>
#include <imgui.h>

namespace {

constexpr int MOUSE_BUTTONS = 5;

struct gui_backend_state {
    SDL_Window* window;
    ImGuiContext* context;
    GLuint font_texture;
    Uint64 last_render_ms;
    char* clipboard;  // SDL's copy of the last paste, freed at the next
    // Keys and mouse buttons pressed in this input frame, and those of them released in
    // it too: the release waits for the next frame, else the GUI would never see them.
    bool key_pressed_now[SDL_NUM_SCANCODES], key_release_due[SDL_NUM_SCANCODES];
    bool button_pressed_now[MOUSE_BUTTONS], button_release_due[MOUSE_BUTTONS];
};
gui_backend_state gui;

// How a key reaches the GUI: always; only with Ctrl down on a key-down (copy, paste, cut,
// undo, redo: released on every other event of the key); or only while Ctrl is held
// (select all, so that typing 'a' sends the glyph alone).
enum key_kind { KEY_PLAIN, KEY_CTRL_PRESS, KEY_CTRL_ONLY };
struct key_route {
    SDL_Scancode scancode;
    ImGuiKey key;
    key_kind kind;
};
const key_route key_routes[] = {
    {SDL_SCANCODE_DELETE, ImGuiKey_Delete, KEY_PLAIN},     {SDL_SCANCODE_RETURN, ImGuiKey_Enter, KEY_PLAIN},
    {SDL_SCANCODE_KP_ENTER, ImGuiKey_KeyPadEnter, KEY_PLAIN}, {SDL_SCANCODE_TAB, ImGuiKey_Tab, KEY_PLAIN},
    {SDL_SCANCODE_BACKSPACE, ImGuiKey_Backspace, KEY_PLAIN}, {SDL_SCANCODE_ESCAPE, ImGuiKey_Escape, KEY_PLAIN},
    {SDL_SCANCODE_UP, ImGuiKey_UpArrow, KEY_PLAIN},        {SDL_SCANCODE_DOWN, ImGuiKey_DownArrow, KEY_PLAIN},
    {SDL_SCANCODE_LEFT, ImGuiKey_LeftArrow, KEY_PLAIN},    {SDL_SCANCODE_RIGHT, ImGuiKey_RightArrow, KEY_PLAIN},
    {SDL_SCANCODE_HOME, ImGuiKey_Home, KEY_PLAIN},         {SDL_SCANCODE_END, ImGuiKey_End, KEY_PLAIN},
    {SDL_SCANCODE_PAGEUP, ImGuiKey_PageUp, KEY_PLAIN},     {SDL_SCANCODE_PAGEDOWN, ImGuiKey_PageDown, KEY_PLAIN},
    {SDL_SCANCODE_C, ImGuiKey_C, KEY_CTRL_PRESS},          {SDL_SCANCODE_V, ImGuiKey_V, KEY_CTRL_PRESS},
    {SDL_SCANCODE_X, ImGuiKey_X, KEY_CTRL_PRESS},          {SDL_SCANCODE_Z, ImGuiKey_Z, KEY_CTRL_PRESS},
    {SDL_SCANCODE_R, ImGuiKey_Y, KEY_CTRL_PRESS},  // redo
    {SDL_SCANCODE_A, ImGuiKey_A, KEY_CTRL_ONLY},
};

// SDL's left, middle, right, X1, X2 as the GUI's button numbers (left 0, right 1, middle 2).
int gui_button(Uint8 sdl_button) {
    switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
    }
}

// A press counts at once; a release in the frame of its press waits for the next frame.
void state_set(bool* down, bool* pressed_now, bool* release_due, bool pressed) {
    if (pressed) {
        *down = true;
        *pressed_now = true;
        *release_due = false;
    } else if (*pressed_now) {
        *release_due = true;
    } else {
        *down = false;
    }
}

void key_event(const SDL_KeyboardEvent& key) {
    ImGuiIO& io = ImGui::GetIO();
    SDL_Keymod mods = SDL_GetModState();
    bool ctrl = (mods & KMOD_CTRL) != 0;
    io.KeyCtrl = ctrl;
    io.KeyShift = (mods & KMOD_SHIFT) != 0;
    io.KeyAlt = (mods & KMOD_ALT) != 0;
    bool down = key.type == SDL_KEYDOWN;
    for (const key_route& r : key_routes) {
        if (r.scancode != key.keysym.scancode) continue;
        if (r.kind == KEY_CTRL_ONLY && !ctrl) return;
        bool pressed = r.kind == KEY_CTRL_PRESS ? down && ctrl : down;
        int i = r.scancode;
        state_set(&io.KeysDown[i], &gui.key_pressed_now[i], &gui.key_release_due[i], pressed);
        return;
    }
}

void button_event(const SDL_MouseButtonEvent& b) {
    int i = gui_button(b.button);
    if (i < 0) return;
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(float(b.x), float(b.y));
    state_set(&io.MouseDown[i], &gui.button_pressed_now[i], &gui.button_release_due[i], b.type == SDL_MOUSEBUTTONDOWN);
}

void drawable_size(int* ww, int* wh, int* dw, int* dh) {
    SDL_GetWindowSize(gui.window, ww, wh);
    SDL_GL_GetDrawableSize(gui.window, dw, dh);
    if (*dw <= 0 || *dh <= 0) {
        *dw = *ww;
        *dh = *wh;
    }
}

void draw_lists(const ImDrawData* data, int ww, int wh, int dw, int dh) {
    for (int n = 0; n < data->CmdListsCount; n++) {
        const ImDrawList* list = data->CmdLists[n];
        const char* vertices = reinterpret_cast<const char*>(list->VtxBuffer.Data);
        glVertexPointer(2, GL_FLOAT, sizeof(ImDrawVert), vertices + offsetof(ImDrawVert, pos));
        glTexCoordPointer(2, GL_FLOAT, sizeof(ImDrawVert), vertices + offsetof(ImDrawVert, uv));
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ImDrawVert), vertices + offsetof(ImDrawVert, col));
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            if (cmd.ElemCount == 0) continue;
            const float clip[4] = {cmd.ClipRect.x, cmd.ClipRect.y, cmd.ClipRect.z, cmd.ClipRect.w};
            gui_box box = gui_scissor_box(clip, ww, wh, dw, dh);
            glBindTexture(GL_TEXTURE_2D, GLuint(reinterpret_cast<intptr_t>(cmd.GetTexID())));
            glScissor(box.x, box.y, box.w, box.h);
            glDrawElements(GL_TRIANGLES, GLsizei(cmd.ElemCount), GL_UNSIGNED_SHORT,
                           list->IdxBuffer.Data + cmd.IdxOffset);
        }
    }
}

}  // namespace

static_assert(sizeof(ImDrawVert) == 20 && sizeof(ImDrawIdx) == 2, "the vertex layout the back end draws");

bool gui_init(SDL_Window* window) {
    if (!window) return false;
    if (gui.context) ImGui::DestroyContext(gui.context);  // a new window starts over
    SDL_free(gui.clipboard);
    gui = gui_backend_state{};
    gui.window = window;
    gui.context = ImGui::CreateContext();
    ImGui::SetCurrentContext(gui.context);
    ImGui::StyleColorsDark();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // the menu keeps nothing but the settings file
    io.LogFilename = nullptr;
    io.BackendPlatformName = io.BackendRendererName = "skyvolta";
    io.SetClipboardTextFn = gui_clipboard_copy;
    io.GetClipboardTextFn = gui_clipboard_paste;
    for (const key_route& r : key_routes) io.KeyMap[r.key] = r.scancode;
    gui.last_render_ms = SDL_GetTicks64();
    return true;
}

bool gui_ready() {
    return gui.context != nullptr;
}

void gui_font_stash_end() {
    if (!gui.context) return;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->AddFontDefault();
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGenTextures(1, &gui.font_texture);
    glBindTexture(GL_TEXTURE_2D, gui.font_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(intptr_t(gui.font_texture)));
    io.Fonts->ClearTexData();  // the texture holds the pixels now
}

void gui_input_begin() {
    if (!gui.context) return;
    ImGuiIO& io = ImGui::GetIO();
    for (int i = 0; i < SDL_NUM_SCANCODES; i++) {
        if (gui.key_release_due[i]) io.KeysDown[i] = false;
        gui.key_release_due[i] = gui.key_pressed_now[i] = false;
    }
    for (int i = 0; i < MOUSE_BUTTONS; i++) {
        if (gui.button_release_due[i]) io.MouseDown[i] = false;
        gui.button_release_due[i] = gui.button_pressed_now[i] = false;
    }
}

bool gui_handle_event(const SDL_Event* e) {
    if (!gui.context) return false;
    ImGuiIO& io = ImGui::GetIO();
    switch (e->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        key_event(e->key);
        return true;
    case SDL_TEXTINPUT: {
        char glyph[5] = {0};  // the first four bytes: one UTF-8 glyph
        SDL_memcpy(glyph, e->text.text, 4);
        io.AddInputCharactersUTF8(glyph);
        return true;
    }
    case SDL_MOUSEMOTION:
        io.MousePos = ImVec2(float(e->motion.x), float(e->motion.y));
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        button_event(e->button);
        return true;
    case SDL_MOUSEWHEEL:
        io.MouseWheelH += e->wheel.preciseX;
        io.MouseWheel += e->wheel.preciseY;
        return true;
    default:
        return false;
    }
}

void gui_frame_begin() {
    if (!gui.context) return;
    ImGuiIO& io = ImGui::GetIO();
    int ww = 0, wh = 0, dw = 0, dh = 0;
    drawable_size(&ww, &wh, &dw, &dh);
    io.DisplaySize = ImVec2(float(ww), float(wh));
    io.DisplayFramebufferScale = ImVec2(ww > 0 ? float(dw) / ww : 1.0f, wh > 0 ? float(dh) / wh : 1.0f);
    Uint64 now = SDL_GetTicks64();
    // The GUI refuses a frame time of 0: two frames in one millisecond count 1 ms.
    io.DeltaTime = now > gui.last_render_ms ? float(now - gui.last_render_ms) / 1000.0f : 0.001f;
    ImGui::NewFrame();
}

void gui_render() {
    if (!gui.context) return;
    gui.last_render_ms = SDL_GetTicks64();
    ImGui::Render();
    int ww = 0, wh = 0, dw = 0, dh = 0;
    drawable_size(&ww, &wh, &dw, &dh);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    // The game's passes may leave these on; inside the saved enables, so the pop restores them.
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, dw, dh);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, ww, wh, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);

    draw_lists(ImGui::GetDrawData(), ww, wh, dw, dh);

    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void gui_clipboard_copy(void*, const char* text) {
    if (text && text[0]) SDL_SetClipboardText(text);
}

const char* gui_clipboard_paste(void*) {
    SDL_free(gui.clipboard);
    gui.clipboard = SDL_GetClipboardText();
    return gui.clipboard;
}

gui_box gui_scissor_box(const float clip[4], int window_w, int window_h, int drawable_w, int drawable_h) {
    float sx = window_w > 0 ? float(drawable_w) / window_w : 1.0f;
    float sy = window_h > 0 ? float(drawable_h) / window_h : 1.0f;
    float w = clip[2] - clip[0], h = clip[3] - clip[1];
    return {int(clip[0] * sx), int(float(window_h - int(clip[1] + h)) * sy), int(w * sx), int(h * sy)};
}
