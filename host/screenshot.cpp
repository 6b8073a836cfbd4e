#include "host/screenshot.h"

#include "base/env_switch.h"
#include "host/headless_picture.h"
#include "host/png_file.h"
#include "render/cz_fog.h"

#include <SDL_opengl.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr size_t SHOT_DIR_MAX = 255;
constexpr int SHOT_SUFFIX_MAX = 99;

time_t clock_now() {
    return time(nullptr);
}

void window_drawable_size(SDL_Window* window, int* w, int* h) {
    SDL_GL_GetDrawableSize(window, w, h);
}

char shot_path[SHOT_DIR_MAX + 64];

}  // namespace

screenshot_io_set screenshot_io = {clock_now, window_drawable_size};

const char* shot_directory() {
    static char dir[SHOT_DIR_MAX + 1];
    const char* v = env_text("SKYVOLTA_SHOTDIR");
    snprintf(dir, sizeof dir, "%s", v && v[0] ? v : "screenshots");
    return dir;
}

const char* screenshot_save(const char* directory, uint32_t frame, int width, int height, const uint8_t* rgb) {
    if (mkdir(directory, 0755) != 0 && errno != EEXIST)
        fprintf(stderr, "[shot] cannot create %s: %s\n", directory, strerror(errno));
    time_t now = screenshot_io.now();
    struct tm local;
    char stamp[32] = "00000000-000000";
    if (localtime_r(&now, &local)) strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int k = 0; k <= SHOT_SUFFIX_MAX; k++) {
        if (k == 0)
            snprintf(shot_path, sizeof shot_path, "%s/shot_%s_f%06u.png", directory, stamp, frame);
        else
            snprintf(shot_path, sizeof shot_path, "%s/shot_%s_f%06u_%d.png", directory, stamp, frame, k);
        bool taken = false;
        if (png_create_rgb(shot_path, width, height, rgb, &taken)) {
            printf("[shot] %s (%dx%d)\n", shot_path, width, height);
            fflush(stdout);
            return shot_path;
        }
        if (!taken) break;
    }
    fprintf(stderr, "[shot] failed to write %s\n", shot_path);
    return nullptr;
}

const char* png_screenshot(SDL_Window* window, const char* directory, uint32_t frame) {
    int w = 0, h = 0;
    screenshot_io.drawable_size(window, &w, &h);
    if (w <= 0 || h <= 0) {
        fprintf(stderr, "[shot] drawable is %dx%d, nothing to capture\n", w, h);
        return nullptr;
    }
    glReadBuffer(GL_BACK);
    uint8_t* rgb = picture_read_back(w, h, fog_current_valid && fog_current.lut_active);
    if (!rgb) {
        fprintf(stderr, "[shot] out of memory for %dx%d\n", w, h);
        return nullptr;
    }
    const char* path = screenshot_save(directory, frame, w, h, rgb);
    free(rgb);
    return path;
}
