// The off-screen render target: the game picture at an internal resolution of its own,
// copied letterboxed into the window. Without framebuffer objects the picture simply
// follows the window's size.
#pragma once
#include <SDL.h>

// Binds what this frame draws into and gives the size to draw at: the wanted size when
// the target is used, else the window's drawable size. A wanted size of 0 in either
// dimension, or the drawable size itself, draws straight into the window.
void render_target_begin(SDL_Window* window, int want_w, int want_h, int* out_w, int* out_h);

// When this frame went to the target: copies it into the window, letterboxed to the
// target's aspect (or over the whole drawable with `stretch`). Otherwise does nothing.
void render_target_present(SDL_Window* window, bool stretch);

// Copies the target into the window rectangle (x, y from the top left, w x h), with
// linear or nearest filtering. Does nothing when this frame did not go to the target.
void render_target_present_rect(SDL_Window* window, int x, int y, int w, int h, bool linear);

// Where the present puts a tw x th picture in a dw x dh drawable (x, y from the top left),
// and whether it filters linearly (any scale that is not whole in both directions).
struct present_rect {
    int x, y, w, h;
    bool linear;
};
present_rect present_rect_fit(int tw, int th, int dw, int dh, bool stretch);

// Deletes the target and forgets whether framebuffer objects exist; needs the context
// the target was made in.
void render_target_reset();
