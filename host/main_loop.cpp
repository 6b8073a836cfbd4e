#include "host/main_loop.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "game/flow/frame_step.h"
#include "game/services/sound_sweep.h"
#include "host/display_settings.h"
#include "host/flight_log.h"
#include "host/flight_recorder.h"
#include "host/frame_pacing.h"
#include "host/gui_backend.h"
#include "host/headless_picture.h"
#include "host/host_ram.h"
#include "host/input_logs.h"
#include "host/input_update.h"
#include "host/level_jump.h"
#include "host/loop_hooks.h"
#include "host/map_view.h"
#include "host/menu.h"
#include "host/menu_input.h"
#include "host/options.h"
#include "host/pads.h"
#include "host/paused_camera.h"
#include "host/picture_reshow.h"
#include "host/replay.h"
#include "host/screenshot.h"
#include "host/settings.h"
#include "host/terrain_cell.h"
#include "host/void_log.h"
#include "render/cz_fog.h"
#include "render/engine_frame.h"
#include "render/frame_render.h"
#include "render/framedump_draw.h"
#include "render/layer2d.h"
#include "render/map_view_scene.h"
#include "render/model_diagnostics.h"
#include "render/model_placement.h"
#include "render/quad_reports.h"
#include "render/render_target.h"
#include "render/renderer_switches.h"
#include "render/stage_clock.h"
#include "render/texture_cache.h"
#include "render/wide_margins.h"
#include "sound/sound_system.h"

#include <SDL_opengl.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr int FORCED_TITLE_STATE = 6;
constexpr double MISSED_VSYNC_MS = 25.0;
constexpr double FALLBACK_ASPECT = 4.0 / 3.0;  // a wide target too narrow for wide margins

double game_seconds, render_seconds;
SDL_Window* pacing_window;
bool screenshot_requested;
bool headless_product_lost;  // the headless run's screenshot could not be written
uint32_t camera_step_ms;  // SDL ticks of the last keyboard camera step (0: none yet)

constexpr double CAMERA_FIRST_STEP_S = 0.016, CAMERA_LONGEST_STEP_S = 0.1;
constexpr float FREE_CAMERA_STEP = 100, FREE_CAMERA_FAST_STEP = 1000;

uint64_t counter_ns() {
    uint64_t count = SDL_GetPerformanceCounter(), frequency = SDL_GetPerformanceFrequency();
    return count / frequency * 1000000000ull + count % frequency * 1000000000ull / frequency;
}

void log_to_stderr(const char* line) {
    fputs(line, stderr);
}

// The model viewer steps to the next or previous model code.
void model_viewer_step(int delta) {
    long code = model_viewer.code;
    if ((delta < 0 && code > 1) || (delta > 0 && code > 0)) model_viewer_select(code + delta);
}

// Keys 1-3 jump to novice courses 0-2, 4 to the advanced final stage; the model viewer
// gives way.
void level_key(int n) {
    level_request(n == 3, n);
    if (model_viewer.code != 0) model_viewer_select(0);
}

void key_down(SDL_Keycode key) {
    switch (key) {
    case SDLK_COMMA:
    case SDLK_LEFT:
        model_viewer_step(-1);
        break;
    case SDLK_PERIOD:
    case SDLK_RIGHT:
        model_viewer_step(1);
        break;
    case SDLK_l:
        level_view_toggle();
        break;
    case SDLK_ESCAPE:
        if (!menu_is_open())
            toggle_menu();
        else if (!take_pending_rebind())
            run_flag = 0;
        break;
    case SDLK_BACKSPACE:
        if (menu_is_open() && !take_pending_rebind()) toggle_menu();
        break;
    case SDLK_p:
        pause_toggle("P");
        break;
    case SDLK_F12:
        screenshot_requested = true;
        break;
    case SDLK_1:
    case SDLK_2:
    case SDLK_3:
    case SDLK_4:
        level_key(int(key - SDLK_1));
        break;
    case SDLK_g:
        level_key(int(w_cell(W_COURSE_NUMBER) & 3));
        break;
    case SDLK_F9:
        recording_toggle();
        break;
    case SDLK_t:
        printf("[INPUT] Forcing title screen (state 6)...\n");
        bus_write32(WRAM_BASE + W_GAME_STATE, FORCED_TITLE_STATE);  // the next frame step imports it
        break;
    default:
        break;
    }
}

// Step 4 of an iteration: the keyboard flies the map view's camera, or the perspective
// preview's free camera.
void keyboard_camera_tick() {
    if (headless || menu_is_open()) return;
    uint32_t now = SDL_GetTicks();
    double dt = camera_step_ms ? std::min((now - camera_step_ms) / 1000.0, CAMERA_LONGEST_STEP_S) : CAMERA_FIRST_STEP_S;
    camera_step_ms = now;
    keyboard_camera_step(SDL_GetKeyboardState(nullptr), dt, menu_is_open());
}

// The background colour of the mixer (of the frame dump's when one is shown); a dark
// blue while the first frames have none.
void clear_colour_set() {
    uint8_t dump_bg[3] = {0, 0, 0};
    const uint8_t* bg = mixer_registers + MIX_BACKGROUND;
    if (seam_test.active) {
        glClearColor(1, 0, 1, 1);  // what the seam test leaves undrawn shows
        return;
    }
    if (framedump_active()) {
        clear_colour_from_mixer(&dump_bg[0], &dump_bg[1], &dump_bg[2]);
        bg = dump_bg;
    }
    if (!bg[0] && !bg[1] && !bg[2] && host_frame < 2)
        glClearColor(0, 0, 0.1f, 1);
    else
        glClearColor(bg[0] / 255.0f, bg[1] / 255.0f, bg[2] / 255.0f, 1);
}

// The render target at the settings' render size (its size in *w, *h) and the viewport of
// the picture's aspect within it; a wide aspect widens the HUD margins instead. Gives the
// aspect in force (0: stretch).
float target_prepare(SDL_Window* window, int* target_w, int* target_h) {
    int want_w = 0, want_h = 0, w = 0, h = 0;
    render_size(window, &want_w, &want_h);
    render_target_begin(window, want_w, want_h, &w, &h);
    *target_w = w;
    *target_h = h;
    float aspect = display_aspect();
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, w, h);
    hud_margin_left = 0;
    hud_margin_right = 640;
    h = h > 0 ? h : 1;
    if (aspect < 0) {
        int m = int((double(w) * 480 / h - 640) / 2 + 0.5);
        if (m >= 1) {
            hud_margin_left = -m;
            hud_margin_right = 640 + m;
            return aspect;
        }
        aspect = float(FALLBACK_ASPECT);
    }
    if (aspect > 0) {
        int vw = w, vh = int(w / aspect + 0.5);
        if (vh > h) {
            vh = h;
            vw = int(h * aspect + 0.5);
        }
        glViewport((w - vw) / 2, (h - vh) / 2, vw, vh);
    }
    return aspect;
}

// The window shows the board's video output, which ends in the mixer's colour table when
// it is in use; the map view is no picture of the board and goes without. True when the
// stage ran over the target's width x height.
bool colour_stage_run(int width, int height) {
    if (!fog_current_valid || !fog_current.lut_active || map_view_active()) return false;
    post_stage_apply(fog_current.lut[0], fog_current.lut[1], fog_current.lut[2], width, height);
    return true;
}

// The bars beside (or above and below) a picture of another aspect than the target are
// black, whatever the background and the colour table.
void letterbox_clear(int width, int height, const GLint picture[4]) {
    const GLint x = picture[0], y = picture[1], w = picture[2], h = picture[3];
    const GLint bars[4][4] = {{0, 0, x, height}, {x + w, 0, width - x - w, height}, {0, 0, width, y},
                              {0, y + h, width, height - y - h}};
    glClearColor(0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    for (const GLint* b : bars) {
        if (b[2] <= 0 || b[3] <= 0) continue;
        glScissor(b[0], b[1], b[2], b[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

// SKYVOLTA_EXIT_AT=N: iteration times after frame SKYVOLTA_FPS_FROM, a summary line
// at frame N, then the run ends.
struct exit_statistics {
    bool read;
    int exit_at, fps_from;
    double* ms;
    int count;
    uint64_t last_ns;
};
exit_statistics exit_stats;

void exit_statistics_tick() {
    exit_statistics& s = exit_stats;
    if (!s.read) {
        s.read = true;
        s.exit_at = env_int("SKYVOLTA_EXIT_AT", 0);
        s.fps_from = env_int("SKYVOLTA_FPS_FROM", 0);
        if (s.exit_at > 0) s.ms = static_cast<double*>(calloc(size_t(s.exit_at) + 1, sizeof(double)));
        if (s.exit_at > 0 && !s.ms) s.exit_at = 0;
        s.last_ns = counter_ns();
        return;
    }
    if (s.exit_at <= 0) return;
    uint64_t now = counter_ns();
    if (int64_t(host_frame) > s.fps_from && s.count < s.exit_at + 1) s.ms[s.count++] = double(now - s.last_ns) / 1e6;
    s.last_ns = now;
    if (int64_t(host_frame) < s.exit_at) return;
    run_flag = 0;
    if (!s.count) return;
    double sum = 0;
    int missed = 0;
    for (int i = 1; i < s.count; i++)
        for (int j = i; j > 0 && s.ms[j - 1] > s.ms[j]; j--) std::swap(s.ms[j - 1], s.ms[j]);
    for (int i = 0; i < s.count; i++) {
        sum += s.ms[i];
        missed += s.ms[i] > MISSED_VSYNC_MS;
    }
    printf("[FPS] frames %d-%d: %.1f fps average, frame ms p50 %.2f p99 %.2f max %.2f, %d of %d frames missed vsync "
           "(>25 ms)\n",
           s.fps_from + 1, s.exit_at, s.count * 1000.0 / sum, s.ms[s.count / 2], s.ms[int(0.99 * s.count)],
           s.ms[s.count - 1], missed, s.count);
}

// F12, or every SKYVOLTA_SHOT_EVERY frames: a PNG of the window, marked in the blink log.
void screenshot_take(SDL_Window* window) {
    static const int every = env_int("SKYVOLTA_SHOT_EVERY", 0);
    if (!screenshot_requested && !(every > 0 && host_frame % uint32_t(every) == 0)) return;
    screenshot_requested = false;
    png_screenshot(window, shot_directory(), host_frame);
    blink_log_mark("screenshot", host_frame);
}

// SKYVOLTA_TEST_MENU=N: the menu opens at frame N after its game step, so the frame's
// game state is the one a run without the menu reaches.
void test_menu_open() {
    static const int at = env_int("SKYVOLTA_TEST_MENU", -1, true);
    if (int64_t(host_frame) == at && !menu_is_open()) toggle_menu();
}

// SKYVOLTA_TEST_SHOWN=N: once frame N is presented the program stops itself (SIGSTOP),
// and a test reads what the window shows from the X server before it continues it.
void shown_picture_hold() {
    static const int at = env_int("SKYVOLTA_TEST_SHOWN", -1, true);
    if (int64_t(host_frame) != at) return;
    glFinish();
    SDL_PumpEvents();  // flushes the X connection
    raise(SIGSTOP);
}

// SKYVOLTA_PERFFRAME=N: a "[SLOW]" line for each frame whose game and render time since
// the last check reach N ms.
void slow_frame_check() {
    static const int limit_ms = env_int("SKYVOLTA_PERFFRAME", 0);
    static double game_before, render_before;
    if (limit_ms <= 0) return;
    double game = (game_seconds - game_before) * 1000, render = (render_seconds - render_before) * 1000;
    game_before = game_seconds, render_before = render_seconds;
    if (game + render < limit_ms) return;
    const frame_stage_times& f = frame_times;
    fprintf(stderr, "[SLOW] f%d %.2fms = game %.2f + render %.2f (walk %.2f flush %.2f text %.2f)  quads %d  tex hit %d miss %d evict %d\n",
            int(host_frame), game + render, game, render, f.walk.wall * 1000, f.quads.wall * 1000, f.text.wall * 1000,
            int(last_frame_quad_count()), int(tex_counters.hit), int(tex_counters.miss), int(tex_counters.evict));
}

void iteration(SDL_Window* window, const command_line* cl) {
    if (headless)
        menu_clicks_feed(host_frame);
    else
        events_poll();
    if (!headless && !menu_is_open()) menu_start_hold(pad_button_held(SDL_CONTROLLER_BUTTON_START));
    keyboard_camera_tick();
    frame_due = 1;
    input_update();
    menu_stick_test();
    loop_hooks_before_step(cl, pause_toggle);
    if (!paused)
        pedal_emulate();
    else if (!menu_is_open())
        paused_camera();
    if (paused) loop_hooks_paused();
    frame_game_step();
    audio_frame();
    input_log_frame();
    flight_log_frame();
    if (host_frame == 5) palette_dump_write();
    float aspect = 0;
    int target_w = 0, target_h = 0;
    GLint picture[4] = {0, 0, 0, 0};
    if (!headless) {
        aspect = target_prepare(window, &target_w, &target_h);
        glGetIntegerv(GL_VIEWPORT, picture);
    }
    frame_picture_draw();
    if (!headless) {
        picture_colour_staged = colour_stage_run(target_w, target_h);
        letterbox_clear(target_w, target_h, picture);
        render_target_present(window, aspect == 0);
    }
    test_menu_open();
    bool quit = false;
    menu_draw(window, &quit);
    if (quit) run_flag = 0;
    screenshot_take(window);
    void_log_check(window);
    if (headless)
        glFinish();
    else {
        // The first call anchors both clocks at the first picture.
        if (!pacing.rate_fixed) set_picture_rate(host_settings.frame_rate);
        pacing_present_and_wait();
        shown_picture_hold();
    }
    host_frame++;
    exit_statistics_tick();
    if (!headless) return;
    if (int64_t(host_frame) >= cl->screenshot_frame) {
        bbox_report();
        headless_product_lost = !headless_end(cl->screenshot_path);
    }
    else if (host_frame % 10 == 0)
        printf("  frame %d / %d\n", int(host_frame), cl->screenshot_frame);
}

}  // namespace

void events_poll() {
    gui_input_begin();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_QUIT) run_flag = 0;
        pads_hotplug(&e);
        if (e.type == SDL_CONTROLLERBUTTONDOWN && e.cbutton.button == SDL_CONTROLLER_BUTTON_RIGHTSTICK) {
            toggle_menu();
            continue;
        }
        // A controller's Start pauses while racing (and resumes), else it is the game's.
        if (e.type == SDL_CONTROLLERBUTTONDOWN && e.cbutton.button == SDL_CONTROLLER_BUTTON_START &&
            !menu_is_open() && (paused || is_racing())) {
            pause_toggle("Start");
            continue;
        }
        // The menu's own keys reach the loop even while the menu takes every other event.
        SDL_Keycode key = e.type == SDL_KEYDOWN ? e.key.keysym.sym : SDLK_UNKNOWN;
        bool loop_key = key == SDLK_ESCAPE || key == SDLK_BACKSPACE || key == SDLK_F12;
        if (!loop_key && menu_event_filter(&e)) continue;
        if (!menu_is_open() && map_view_active()) {
            if (e.type == SDL_MOUSEMOTION) map_view_mouse(e.motion.xrel, e.motion.yrel, SDL_GetMouseState(nullptr, nullptr), 0);
            if (e.type == SDL_MOUSEWHEEL) map_view_mouse(0, 0, 0, e.wheel.y);
        }
        if (e.type == SDL_KEYDOWN) key_down(key);
    }
}

void frame_game_step() {
    static const bool dump_runs_game = env_present("SKYVOLTA_FRAMEDUMP_RUNGAME");
    if (paused || (framedump_active() && !dump_runs_game)) return;
    sprite_call_list_reset();
    tdb_list_clear();
    replay_apply();
    sound_sweep();
    double start = monotonic_seconds();
    game_frame();
    game_seconds += monotonic_seconds() - start;
    recording_write_frame();
    replay_compare();
}

void keyboard_camera_step(const uint8_t* keys, double dt, bool menu_open) {
    if (menu_open) return;
    if (map_view_active()) {
        map_view_keys(keys, dt);
        return;
    }
    float step = keys[SDL_SCANCODE_LSHIFT] ? FREE_CAMERA_FAST_STEP : FREE_CAMERA_STEP;
    auto axis = [keys](SDL_Scancode plus, SDL_Scancode minus) { return float(keys[plus] ? 1 : 0) - float(keys[minus] ? 1 : 0); };
    float dx = axis(SDL_SCANCODE_D, SDL_SCANCODE_A), dy = axis(SDL_SCANCODE_Q, SDL_SCANCODE_E);
    float dz = axis(SDL_SCANCODE_W, SDL_SCANCODE_S);
    if (dx != 0 || dy != 0 || dz != 0) free_camera_offset_add(dx * step, dy * step, dz * step, nullptr, nullptr);
}

void loop_seconds(double* game, double* render) {
    *game = game_seconds;
    *render = render_seconds;
}

void frame_scene_draw() {
    if (!env_present("SKYVOLTA_NO_3D")) {
        double start = monotonic_seconds();
        render_frame_3d();
        render_seconds += monotonic_seconds() - start;
        slow_frame_check();
    }
    // The simpler 2D path when the renderer did not take this frame's 2D input (a frame
    // dump brings its own, or none); the map view and the model viewer have no 2D layers.
    bool own_view = map_view_active() || model_viewer.code > 0;
    if ((!framedump_active() && !own_view && !live_feed_active()) || env_present("SKYVOLTA_FORCE_2D")) {
        if (!env_present("SKYVOLTA_NO_2D")) layer2d_draw();
        fade_quad_draw();
    }
}

void frame_picture_draw() {
    clear_colour_set();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loop_hooks_after_clear();
    coin_test_log();
    frame_scene_draw();
}

void pacing_init(SDL_Window* window) {
    pacing_window = window;
    pacing_io.now_ns = counter_ns;
    pacing_io.delay_ms = [](uint32_t ms) { SDL_Delay(ms); };
    pacing_io.present = [] { SDL_GL_SwapWindow(pacing_window); };
    pacing_io.swap_interval_set = [](int interval) { return SDL_GL_SetSwapInterval(interval) == 0; };
    pacing_io.reshow_capture = [](bool reference) { return reshow_capture(pacing_window, reference); };
    pacing_io.reshow_draw = [](bool compare) { return reshow_draw(pacing_window, compare); };
    pacing_io.log = log_to_stderr;

    SDL_DisplayMode mode;
    int display_hz = SDL_GetWindowDisplayMode(window, &mode) == 0 ? mode.refresh_rate : 0;
    display_hz = env_int("ENG_DISPLAY_HZ", display_hz);
    pacing_setup(display_hz, env_int("SKYVOLTA_VSYNC", -1), env_present("ENG_FPSLOG"),
                 env_present("ENG_VSYNC_CHECK"));
    if (const char* fps = env_text("ENG_FPS")) {
        set_picture_rate(atoi(fps));
        pacing.rate_fixed = true;
    }
    fprintf(stderr, "[HOST] display %d Hz, %s\n", pacing.display_hz, pacing_mode_text());
}

bool main_loop(SDL_Window* window, const command_line* cl) {
    while (run_flag) iteration(window, cl);
    return !headless_product_lost;
}

void pause_toggle(const char* source) {
    pause_view_offsets_clear();
    paused = !paused;
    pause_view.active = paused;
    char mark[64];
    snprintf(mark, sizeof mark, "%s pressed (%s)", source, paused ? "paused" : "resumed");
    blink_log_mark(mark, host_frame);
    pause_report();
}

void pause_report() {
    auto w = [](uint32_t x) { return long(wram_long(x)); };
    long course = w(W_COURSE_NUMBER);
    printf("[POS] %s  frame %u  state %d/%d  course %d\n", paused ? "PAUSED " : "RESUMED", host_frame,
           int(w(W_GAME_STATE)), int(w(W_GAME_SUB_STATE)), int(course));
    printf("      player  x=%-9ld y=%-9ld z=%-9ld  heading=%-6ld speed=%ld\n", w(W_PLAYER_X), w(W_PLAYER_Y),
           w(W_PLAYER_Z), w(W_EASED_HEADING) & 0xFFFF, w(W_PLAYER_SPEED));
    printf("      camera  x=%-9ld y=%-9ld z=%-9ld  heading=%ld\n", w(W_CAMERA_X), w(W_CAMERA_Y), w(W_CAMERA_Z),
           w(W_CAMERA_HEADING) & 0xFFFF);
    terrain_cell c = terrain_cell_of(int32_t(course), wram_long(W_PLAYER_X), wram_long(W_PLAYER_Z));
    printf("      grid    cell=%d  (grid_x=%d grid_z=%d)  terrain chunk model=%d\n", c.cell, c.grid_x, c.grid_z,
           c.chunk);
    watch_pause_report();
    if (paused) codes_log();
    fflush(stdout);
}
