// Driving the menu in a test: a window with an OpenGL 2.1 context, menu frames as the
// main loop runs them (the GUI's input frame, then menu_draw), and SDL events handed to
// the menu's filter or pushed into SDL's queue for the loop's own pump.
#pragma once
#include "tests/support/png_compare.h"

#include <SDL.h>

// A hidden window of w x h with a GL 2.1 context on SDL's video driver (the offscreen
// one unless SDL_VIDEODRIVER names another); null on failure.
SDL_Window* gui_window_open(int w, int h);
void gui_window_close(SDL_Window* window);

// One menu frame: input frame opened, the events given to menu_event_filter, then
// menu_draw. True when the menu asked to quit.
bool menu_frame(SDL_Window* window, const SDL_Event* events = nullptr, int count = 0);
// A left click at (x, y): pressed in one frame, released in the next, then a frame more
// for what the click opened. True when the menu asked to quit.
bool menu_click(SDL_Window* window, int x, int y);

// A key event (down or up) as SDL reports it.
SDL_Event key_event(SDL_Scancode scancode, bool down);

// The window's back buffer as RGB, top row first.
rgb_picture gui_window_picture(SDL_Window* window);
