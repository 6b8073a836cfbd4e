// PNG screenshots of the window (F12, SKYVOLTA_SHOT_EVERY): the drawable read back,
// through the mixer's colour table as the final colour stage would (unless the frame's
// stage ran already), into
// "<dir>/shot_<local time>_f<frame>.png". A shot never replaces a file.
#pragma once
#include <SDL.h>
#include <cstdint>
#include <ctime>

// The clock and the drawable's size, replaceable by tests.
struct screenshot_io_set {
    time_t (*now)();
    void (*drawable_size)(SDL_Window* window, int* w, int* h);
};
extern screenshot_io_set screenshot_io;

// SKYVOLTA_SHOTDIR when set and not empty (at most 255 characters), else "screenshots".
const char* shot_directory();

// Captures the window's drawable and writes the PNG; the path written, or null (with
// one "[shot]" line). The path stays valid until the next shot.
const char* png_screenshot(SDL_Window* window, const char* directory, uint32_t frame);

// Writes width x height RGB bytes (top row first) under the first free name of the frame
// and the current second, creating the directory; the path, or null with one line.
const char* screenshot_save(const char* directory, uint32_t frame, int width, int height, const uint8_t* rgb);
