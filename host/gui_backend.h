// The menu's GUI back end: the one Dear ImGui context, SDL events turned into its input,
// its built-in 13-pixel font baked into a GL texture, and each frame's draw lists drawn
// with the fixed-function OpenGL 2.1 pipeline over the finished picture, the GL state it
// touches saved and restored. The GUI's clipboard is SDL's. Main thread only.
#pragma once
#include <SDL.h>

// Creates the context for the window (default style, no imgui.ini, clipboard hooks, the
// key map); false when there is no window. Called once by menu_init (a second call, for
// a new window, starts over).
bool gui_init(SDL_Window* window);
// True once gui_init has made the context.
bool gui_ready();
// Bakes the atlas (the built-in font) as RGBA into a GL texture with linear filters and
// makes it the atlas' texture. Needs the GL context; the 2D binding is kept.
void gui_font_stash_end();

// The input frame before the SDL event pump: lets go of keys and buttons released in the
// previous frame after being pressed in it, so that a tap shorter than a frame still
// counts. Nothing without a context. (The GUI takes the input when its frame starts, so
// the pump needs no closing step.)
void gui_input_begin();
// Feeds one event; true for the kinds it handles (keys, text, mouse motion, buttons and
// wheel). Keys go by scancode; copy, paste, cut, undo and redo count only with Ctrl
// held, select-all ('a') reaches the GUI only while Ctrl is held.
bool gui_handle_event(const SDL_Event* event);

// Starts the GUI's frame: the window's size, the drawable's scale and the time since the
// last render (at least 1 ms). Then the menu lays out its widgets.
void gui_frame_begin();
// Draws the frame's GUI over the picture (lines and fills anti-aliased: the default
// style's choice, which the GUI takes at the start of a frame). Afterwards the enables, blend function, matrix mode and both matrices are as before,
// the viewport is the whole drawable, texture 2D binding 0 and the client arrays off.
void gui_render();

// The GUI's clipboard hooks: SDL's clipboard text.
void gui_clipboard_copy(void* user, const char* text);
const char* gui_clipboard_paste(void* user);

// A draw command's scissor box in drawable pixels from its clip rectangle (x1, y1, x2,
// y2 in window coordinates, y down): x and width scaled by drawable / window width, y
// measured from the bottom and scaled by drawable / window height, each truncated.
struct gui_box {
    int x, y, w, h;
};
gui_box gui_scissor_box(const float clip[4], int window_w, int window_h, int drawable_w, int drawable_h);
