#include "tests/support/menu_driver.h"

#include "base/env_switch.h"
#include "host/gui_backend.h"
#include "host/menu.h"
#include "host/window.h"

#include <SDL_opengl.h>
#include <algorithm>
#include <cstdlib>

namespace {

SDL_GLContext gui_context;

SDL_Event mouse_event(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.x = x;
        e.motion.y = y;
        return e;
    }
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    return e;
}

}  // namespace

SDL_Window* gui_window_open(int w, int h) {
    if (!env_present("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("menu test", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) return nullptr;
    gui_context = SDL_GL_CreateContext(window);
    if (!gui_context) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    gl_driver_libraries_pin();
    return window;
}

void gui_window_close(SDL_Window* window) {
    SDL_GL_DeleteContext(gui_context);
    SDL_DestroyWindow(window);
}

bool menu_frame(SDL_Window* window, const SDL_Event* events, int count) {
    gui_input_begin();
    for (int i = 0; i < count; i++) menu_event_filter(&events[i]);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    bool quit = false;
    menu_draw(window, &quit);
    return quit;
}

bool menu_click(SDL_Window* window, int x, int y) {
    SDL_Event down[2] = {mouse_event(SDL_MOUSEMOTION, x, y), mouse_event(SDL_MOUSEBUTTONDOWN, x, y)};
    SDL_Event up = mouse_event(SDL_MOUSEBUTTONUP, x, y);
    bool quit = menu_frame(window, down, 2);
    quit |= menu_frame(window, &up, 1);
    quit |= menu_frame(window);
    return quit;
}

SDL_Event key_event(SDL_Scancode scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    return e;
}

rgb_picture gui_window_picture(SDL_Window* window) {
    rgb_picture p;
    SDL_GL_GetDrawableSize(window, &p.width, &p.height);
    std::vector<uint8_t> rows(size_t(p.width) * size_t(p.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    p.rgb.resize(rows.size());
    size_t stride = size_t(p.width) * 3;
    for (int y = 0; y < p.height; y++)
        std::copy_n(rows.begin() + long(size_t(p.height - 1 - y) * stride), stride, p.rgb.begin() + long(size_t(y) * stride));
    return p;
}
