// SKYVOLTA_VOIDLOG: while racing, the frames whose picture is mostly near-black (the
// player looking into a hole of the world), with where the player was. The value is a
// path, or "1" for stderr; "0" or empty is off.
#pragma once
#include <SDL.h>
#include <cstdint>

struct void_log_switches {
    bool on;
    int percent;  // SKYVOLTA_VOIDPCT: near-black share reported, 8 by default
    int every;    // SKYVOLTA_VOIDEVERY: sampling period, 4 by default, at least 1
};
extern void_log_switches void_log;

// Reads the three switches and opens the log (stderr when the path cannot be opened),
// writing its header. The loop's first check calls it.
void void_log_open();

// The share of pixels, in percent, whose R, G and B are each at most 24 (RGB rows).
long near_black_percent(const uint8_t* rgb, int width, int height);

// Step 18 of an iteration: a sampled racing frame reported when dark enough.
void void_log_check(SDL_Window* window);
