// The menu's cost per main-loop iteration on Mesa (SDL's offscreen driver, 640 x 480):
// the toast alone while the menu is closed, and the largest drop-down (Display, with its
// 150-high list of modes) open. Each iteration lays the GUI out, converts it and draws it
// over a cleared picture, then glFinish waits for the drawing.
#include "host/menu.h"
#include "tests/support/menu_driver.h"
#include "tests/support/test_files.h"

#include <SDL_opengl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

SDL_Window* bench_window() {
    static SDL_Window* window = [] {
        std::string dir = temp_dir_make("menubench");  // the settings file stays out of the tree
        if (chdir(dir.c_str()) != 0) return static_cast<SDL_Window*>(nullptr);
        SDL_Window* w = gui_window_open(640, 480);
        if (w) menu_init(w);
        return w;
    }();
    return window;
}

void BM_MenuClosedWithToast(benchmark::State& state) {
    SDL_Window* window = bench_window();
    if (!window) {
        state.SkipWithError("no GL window");
        return;
    }
    if (menu_is_open()) toggle_menu();
    for (auto _ : state) {
        menu_toast("Menu: R3 (right stick click) or hold Start", 480);
        menu_frame(window);
        glFinish();
    }
}
BENCHMARK(BM_MenuClosedWithToast)->Unit(benchmark::kMillisecond);

void BM_MenuDisplayDropDownOpen(benchmark::State& state) {
    SDL_Window* window = bench_window();
    if (!window) {
        state.SkipWithError("no GL window");
        return;
    }
    if (!menu_is_open()) toggle_menu();
    menu_frame(window);
    menu_click(window, 80, 10);  // Display
    for (auto _ : state) {
        menu_frame(window);
        glFinish();
    }
}
BENCHMARK(BM_MenuDisplayDropDownOpen)->Unit(benchmark::kMillisecond);

}  // namespace
