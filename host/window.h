// The window's size at start-up and the GL driver checks.
#pragma once
#include <SDL.h>

struct window_size {
    int w, h;
};

// Headless: 640x480, or wider for SKYVOLTA_WIDE above 4/3 (sets the HUD margins).
window_size headless_window_size(const char* wide);

// Windowed: 90% of the usable bounds in whole 640x480 steps between 1x and 2x
// (1280x960 without bounds), or SKYVOLTA_WINDOW when at least 160x120.
window_size windowed_size(const SDL_Rect* usable, const char* window_env);

// Prints the GL strings; warns about a software renderer; false (after a message box)
// for the basic "GDI Generic" driver, which ends the program.
bool gl_driver_check(SDL_Window* window);

// In sanitizer builds, keeps every shared library loaded now (the GL driver's, which the
// context just brought in) loaded until exit: SDL_Quit would unload them, and
// LeakSanitizer would then report their live allocations as leaks it cannot name. Other
// builds do nothing.
void gl_driver_libraries_pin();
