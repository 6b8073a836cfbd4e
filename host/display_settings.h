// What the display settings mean for the window and the picture: the aspect table, the
// internal render size, the list of display modes the menu offers, and putting the
// window into the chosen window mode.
#pragma once
#include <SDL.h>

struct aspect_row {
    float ratio;  // 0 = stretch to the window
    const char* label;
};
constexpr int ASPECT_ROWS = 4;
extern const aspect_row aspect_table[ASPECT_ROWS];

// -1 when widescreen is on, else the ratio of the aspect row (0 = stretch).
float display_aspect();

// The internal render size: the resolution setting; with widescreen on and a positive
// resolution, its width follows the window's drawable aspect (rounded, then even).
void render_size(SDL_Window* window, int* w, int* h);

struct display_mode_entry {
    int w, h;
};
constexpr int DISPLAY_MODES_MAX = 96;
struct display_mode_list {
    display_mode_entry modes[DISPLAY_MODES_MAX];
    int count;
};
extern display_mode_list display_modes;

// Adds a mode of at least 640x480 that is not yet listed, while there is room.
void display_mode_add(int w, int h);
// Aspect ratio ascending (ratios within 0.02 count as equal), then area ascending.
int display_mode_compare(const void* a, const void* b);
// Rebuilds the list: the fixed modes (except in exclusive mode) and the display's own,
// sorted; 640x480 when nothing was taken.
void build_display_modes(SDL_Window* window);

// Puts the window into window_mode (exclusive mode at the closest mode to the
// resolution, falling back to desktop fullscreen), rebuilds the mode list and logs
// "[DISPLAY] mode ...". Nothing without a window.
void apply_window_mode(SDL_Window* window);
