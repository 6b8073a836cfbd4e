#include "host/display_settings.h"

#include "host/settings.h"

#include <cmath>
#include <cstdlib>

const aspect_row aspect_table[ASPECT_ROWS] = {
    {0.0f, "Stretch to window"},
    {4.0f / 3.0f, "4:3 (pillarboxed)"},
    {8.0f / 7.0f, "8:7 (hardware pixels)"},
    {16.0f / 9.0f, "16:9 (crop-free fill)"},
};
display_mode_list display_modes;

namespace {

const display_mode_entry fixed_modes[] = {
    {640, 480},   {800, 600},   {960, 720},   {1024, 768},  {1280, 960},  {1600, 1200}, {1920, 1440},
    {1280, 800},  {1440, 900},  {1680, 1050}, {1920, 1200}, {2560, 1600}, {1280, 720},  {1366, 768},
    {1600, 900},  {1920, 1080}, {2560, 1440}, {3840, 2160}, {2560, 1080}, {3440, 1440},
};
constexpr double SAME_RATIO = 0.02;

int window_display(SDL_Window* window) {
    int d = window ? SDL_GetWindowDisplayIndex(window) : 0;
    return d < 0 ? 0 : d;
}

}  // namespace

float display_aspect() {
    if (host_settings.widescreen) return -1.0f;
    int a = host_settings.aspect;
    return a >= 0 && a < ASPECT_ROWS ? aspect_table[a].ratio : aspect_table[1].ratio;
}

void render_size(SDL_Window* window, int* w, int* h) {
    *w = host_settings.resolution_w;
    *h = host_settings.resolution_h;
    if (!host_settings.widescreen || *w <= 0 || *h <= 0 || !window) return;
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0) SDL_GetWindowSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0) return;
    int wide = int(std::lround(double(*h) * dw / dh));
    *w = wide + (wide & 1);
}

void display_mode_add(int w, int h) {
    display_mode_list& l = display_modes;
    if (w < 640 || h < 480 || l.count >= DISPLAY_MODES_MAX) return;
    for (int i = 0; i < l.count; i++)
        if (l.modes[i].w == w && l.modes[i].h == h) return;
    l.modes[l.count++] = {w, h};
}

int display_mode_compare(const void* a, const void* b) {
    const display_mode_entry& x = *static_cast<const display_mode_entry*>(a);
    const display_mode_entry& y = *static_cast<const display_mode_entry*>(b);
    double rx = double(x.w) / x.h, ry = double(y.w) / y.h;
    if (std::fabs(rx - ry) >= SAME_RATIO) return rx < ry ? -1 : 1;
    long ax = long(x.w) * x.h, ay = long(y.w) * y.h;
    return ax < ay ? -1 : ax > ay ? 1 : 0;
}

void build_display_modes(SDL_Window* window) {
    display_modes.count = 0;
    int display = window_display(window);
    if (host_settings.window_mode != 2)
        for (const display_mode_entry& m : fixed_modes) display_mode_add(m.w, m.h);
    int n = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < n; i++) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0) display_mode_add(mode.w, mode.h);
    }
    if (display_modes.count == 0) display_mode_add(640, 480);
    qsort(display_modes.modes, size_t(display_modes.count), sizeof(display_mode_entry), display_mode_compare);
}

void apply_window_mode(SDL_Window* window) {
    if (!window) return;
    host_settings_state& s = host_settings;
    if (s.window_mode == 0) {
        SDL_SetWindowFullscreen(window, 0);
    } else if (s.window_mode == 1) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        int display = window_display(window);
        SDL_DisplayMode want{}, mode{};
        want.w = s.resolution_w;
        want.h = s.resolution_h;
        bool found = s.resolution_w > 0 && s.resolution_h > 0 &&
                     SDL_GetClosestDisplayMode(display, &want, &mode) != nullptr;
        if (!found) SDL_GetDesktopDisplayMode(display, &mode);
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowDisplayMode(window, &mode);
        if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
            fprintf(stderr, "[DISPLAY] exclusive %dx%d failed (%s), using desktop fullscreen\n", mode.w, mode.h,
                    SDL_GetError());
            s.window_mode = 1;
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            s.resolution_w = mode.w;
            s.resolution_h = mode.h;
        }
    }
    build_display_modes(window);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    fprintf(stderr, "[DISPLAY] mode %d want %dx%d -> window %dx%d%s\n", s.window_mode, s.resolution_w, s.resolution_h,
            ww, wh, SDL_GetWindowFlags(window) & SDL_WINDOW_MAXIMIZED ? " (maximized)" : "");
}
