// The re-show texture: a copy of the last presented picture, drawn again at picture
// slots between game frames, with the optional 16-pixel test of ENG_VSYNC_CHECK.
#pragma once
#include <SDL.h>

// Copies the window's back buffer into the texture (RGB, power-of-two size, NEAREST);
// false for a drawable of zero size. With take_reference, stores the 16 test pixels.
bool reshow_capture(SDL_Window* window, bool take_reference);
// Draws the texture over the whole drawable; with compare, true when a test pixel of
// the back buffer then differs from the reference.
bool reshow_draw(SDL_Window* window, bool compare);
