// Zoom words of the display objects. STAND-IN: reports once and does nothing until the
// camera work fills it.
#pragma once
#include <cstdint>

// Rewrites the zoom words of a packet list in work RAM (a slot value) for the current
// camera; nothing for a pointer outside work RAM or below 0x10000.
void camera_zoom_rewrite_w(int64_t pointer);
