// Reading what an X server shows: the pixels of a program's top-level window as the
// server holds them (for the windowed picture tests under xvfb-run).
#pragma once
#include "tests/support/png_compare.h"

#include <string>

// The window on $DISPLAY whose name is `title` (a child of the root, as without a window
// manager), read with XGetImage into *out; false with the reason in *why.
bool x11_window_grab(const char* title, rgb_picture* out, std::string* why);
