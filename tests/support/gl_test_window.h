// One hidden 1920x1080 GL window per test process, opened on first use (SDL's
// offscreen driver: Mesa's software OpenGL, no X server).
#pragma once
#include "render/gl_window.h"

#include <SDL_opengl.h>
#include <cstdint>
#include <vector>

inline bool gl_test_window() {
    static int opened = gl_headless_window(1920, 1080);
    return opened == 1;
}

// One row of the current read buffer, counted from the top of a window of height h.
inline std::vector<uint8_t> gl_read_row(int row, int w, int h) {
    std::vector<uint8_t> px(size_t(w) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, h - 1 - row, w, 1, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}
