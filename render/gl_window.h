// The engine's own GL set-up: context attributes and a hidden offscreen window.
#pragma once
#include <SDL.h>

// The window and context gl_headless_window made (null before, or after a failure).
extern SDL_Window* gl_engine_window;
extern SDL_GLContext gl_engine_context;

// Asks for an OpenGL 2.1 compatibility context with 8 alpha bits and double buffering.
void gl_attributes_set();

// Starts SDL video on the "offscreen" driver (or the default one when that fails) and
// opens a hidden GL window "engine" of the given size with a current context. 1 or 0.
int gl_headless_window(int width, int height);
