#include "host/void_log.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "host/headless_picture.h"
#include "host/host_ram.h"
#include "host/terrain_cell.h"
#include "render/wide_margins.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void_log_switches void_log;

namespace {

constexpr int NEAR_BLACK = 24;  // a level the mixer's colour table keeps below this counts too
constexpr int HEADLESS_HEIGHT = 480;

bool opened;
FILE* out;

}  // namespace

void void_log_open() {
    opened = true;
    if (out && out != stderr) fclose(out);
    out = nullptr;
    const char* path = env_text("SKYVOLTA_VOIDLOG");
    void_log.on = path && *path && path[0] != '0';
    void_log.percent = env_int("SKYVOLTA_VOIDPCT", 8);
    void_log.every = env_int("SKYVOLTA_VOIDEVERY", 4);
    if (void_log.every < 1) void_log.every = 1;
    if (!void_log.on) return;
    out = strcmp(path, "1") == 0 ? stderr : fopen(path, "w");
    if (!out) out = stderr;
    fprintf(out, "# void log: report frames >= %d%% near-black, sampled every %d frames\n", void_log.percent,
            void_log.every);
    fflush(out);
}

long near_black_percent(const uint8_t* rgb, int width, int height) {
    long total = long(width) * height, dark = 0;
    if (total <= 0) return 0;
    for (long i = 0; i < total; i++) {
        const uint8_t* p = rgb + 3 * i;
        dark += p[0] <= NEAR_BLACK && p[1] <= NEAR_BLACK && p[2] <= NEAR_BLACK;
    }
    return dark * 100 / total;
}

void void_log_check(SDL_Window* window) {
    if (!opened) void_log_open();
    if (!void_log.on || host_frame % uint32_t(void_log.every) != 0) return;
    if (w_cell(W_GAME_STATE) != STATE_GAMEPLAY || w_cell(W_GAME_SUB_STATE) != SUB_RACING) return;
    int w = int(hud_margin_right - hud_margin_left + 0.5), h = HEADLESS_HEIGHT;
    if (!headless) SDL_GL_GetDrawableSize(window, &w, &h);
    // Read through the mixer's colour tables: a level they keep below the threshold is dark.
    uint8_t* rgb = picture_read_back(w, h, true);
    if (!rgb) return;
    long percent = near_black_percent(rgb, w, h);
    free(rgb);
    if (percent < void_log.percent) return;
    int32_t x = w_cell(W_PLAYER_X), y = w_cell(W_PLAYER_Y), z = w_cell(W_PLAYER_Z);
    terrain_cell c = terrain_cell_of(w_cell(W_COURSE_NUMBER), x, z);
    fprintf(out, "VOID f%-7u %4ld%% black  player (%ld,%ld,%ld) heading=%ld  cell=%ld (gx=%ld gz=%ld) chunk=%d\n",
            host_frame, percent, long(x), long(y), long(z), long(uint32_t(w_cell(W_EASED_HEADING)) & 0xFFFF),
            long(c.cell), long(c.grid_x), long(c.grid_z), c.chunk);
    fflush(out);
}
