// Sky Volta: start-up, shutdown and restart.
#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "board/scores_file.h"
#include "dsp/master.h"
#include "game/flow/game_init.h"
#include "host/encoder.h"
#include "host/env_switches.h"
#include "host/framedump.h"
#include "host/main_loop.h"
#include "host/map_view.h"
#include "host/menu.h"
#include "host/menu_input.h"
#include "host/offline_tools.h"
#include "host/options.h"
#include "host/pads.h"
#include "host/rom_loader.h"
#include "host/rom_set.h"
#include "host/settings.h"
#include "host/trace.h"
#include "host/wide_view.h"
#include "host/window.h"
#include "render/cz_fog.h"
#include "render/engine_frame.h"
#include "render/frame_render.h"
#include "render/layer2d.h"
#include "render/palette_source.h"
#include "render/renderer_switches.h"
#include "render/stage_clock.h"
#include "render/texture_cache.h"
#include "sound/audio_output.h"
#include "sound/sound_system.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

void quit_signals_install() {
    struct sigaction sa {};
    sa.sa_handler = on_quit_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

// Finds a complete ROM directory, else unpacks skyvolta.zip into the chosen one.
void rom_directory_prepare(command_line* cl) {
    if (!rom_set_complete(cl->rom_dir) && strcmp(cl->rom_dir, "extracted") == 0 && rom_set_complete("roms"))
        cl->rom_dir = "roms";
    if (rom_set_complete(cl->rom_dir)) return;
    char err[1024];
    char* base = SDL_GetBasePath();
    bool ok = find_rom_zip(cl->rom_dir, base, err, sizeof err);
    SDL_free(base);
    if (ok || headless || !run_flag) return;
    char text[1536];
    snprintf(text, sizeof text,
             "Sky Volta needs its ROMs.\n\nPut your skyvolta.zip (the board's ROM set) in the \"roms\" folder "
             "next to this program, then start it again.\n\n(%s)",
             err);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Sky Volta", text, nullptr);
}

// The settings file's free-play choice into the game's free-play word.
void freeplay_apply() {
    int choice = host_settings.freeplay_override;
    if (headless || choice < 0 || env_present("SKYVOLTA_COINPLAY")) return;
    bus_write16(WRAM_BASE + W_FREE_PLAY, uint32_t(choice));
    printf("  %s (skyvolta_controls.cfg)\n", choice ? "free play" : "coins required");
}

// SKYVOLTA_PERF: the run's timing totals; figures the renderer does not keep apart
// print 0 (flush is its painter, gl the painter's time inside the GL driver).
void perf_report() {
    if (!env_present("SKYVOLTA_PERF")) return;
    const render_run_totals& r = render_totals;
    double game = 0, render = 0;
    loop_seconds(&game, &render);
    printf("[PERF]   flush = bake %.3f + clip %.3f + gl %.3f   (texels baked %.0fM, realloc %d / reuse %d)\n", 0.0, 0.0,
           r.stages.quads.driver, tex_counters.texels_baked / 1e6, int(tex_counters.realloc), int(tex_counters.sub));
    fprintf(stderr, "[PERF] game %.3f (sync %.3f)  render %.3f = walk %.3f + flush %.3f + text %.3f (fog %.3f)  evict %d\n",
            game, 0.0, render, r.stages.walk.wall, r.stages.quads.wall, r.stages.text.wall, fog_intake_seconds(),
            int(r.evictions));
    fprintf(stderr, "[PERF]   text = render %.3f + alphacount %.3f + upload %.3f\n", r.stages.text.wall, 0.0, 0.0);
    fprintf(stderr, "[PERF]   text cache: %ld calls, %ld misses (%.1f%%)\n", r.text_calls, r.text_misses,
            r.text_calls ? 100.0 * double(r.text_misses) / double(r.text_calls) : 0.0);
}

// Re-executes the program with the arguments left after the overrides were taken out.
int restart_exec(char** argv) {
    fflush(nullptr);
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = 0;
        execv(self, argv);
    }
    execvp(argv[0], argv);
    perror("restart failed");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);  // progress and warnings keep their order in a log
    set_overrides_collect(&argc, argv);
    quit_signals_install();
    command_line cl;
    options_parse(argc, argv, &cl);
    if (cl.joytest) return joytest_run();
    if (cl.enctest) return enctest_run();
    headless = cl.screenshot;

    printf("Sky Volta - Velmo System Kestrel reimplementation\n");
    if (headless) printf("Headless mode: screenshot after %d frames → %s\n", cl.screenshot_frame, cl.screenshot_path);
    board_memory_clear();

    rom_directory_prepare(&cl);
    if (!run_flag) return 1;  // quit during start-up: a stopped unpack said so
    if (!load_roms(cl.rom_dir)) {
        fprintf(stderr, "Failed to load ROMs\n");
        return 1;
    }

    if (options_offline_tool(&cl)) headless = 1;
    if (headless) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "SDL_Init failed: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

    window_size size;
    Uint32 flags = SDL_WINDOW_OPENGL;
    if (headless) {
        size = headless_window_size(env_text("SKYVOLTA_WIDE"));
        flags |= SDL_WINDOW_HIDDEN;
    } else {
        SDL_Rect usable;
        bool have = SDL_GetDisplayUsableBounds(0, &usable) == 0;
        size = windowed_size(have ? &usable : nullptr, env_text("SKYVOLTA_WINDOW"));
        flags |= SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* window = SDL_CreateWindow("Sky Volta", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          size.w, size.h, flags);
    if (!window) {
        fprintf(stderr, "SDL_CreateWindow failed: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GLContext gl = SDL_GL_CreateContext(window);
    if (!gl) {
        fprintf(stderr, "SDL_GL_CreateContext failed: %s\n", SDL_GetError());
        return 1;
    }
    gl_driver_libraries_pin();
    if (!headless) pacing_init(window);
    if (!gl_driver_check(window)) return 1;

    audio_open(!headless && !cl.no_audio && !env_present("SKYVOLTA_NOAUDIO"));
    printf("  [GL] %s | %s%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
           reinterpret_cast<const char*>(glGetString(GL_VERSION)), headless ? "  (headless)" : "");
    glViewport(0, 0, size.w, size.h);
    audio_init(nullptr, cl.rom_dir);

    menu_init(window);
    host_env_switches_read();
    stage_timing = env_present("SKYVOLTA_PERF") || env_present("SKYVOLTA_PERFFRAME");
    driver_time_split = env_present("SKYVOLTA_PERF");
    map_view_from_environment();
    wide_view_install();
    pads_init();
    // After the controller subsystem is up: before it, SDL lists no joysticks.
    if (!headless) controller_toast_show();
    encoder_init(!headless);
    layer2d_texture_create();
    renderer_reset();
    render_textures_open();
    if (!headless) post_stage_prepare();  // the window's frames end in the colour stage
    palette_source_init(cl.rom_dir);

    if (cl.framedump_path) {
        if (!framedump_open(cl.framedump_path)) return 1;
        setenv("SKYVOLTA_FRAMEDUMP", "1", 1);
        setenv("SKYVOLTA_GEO_HW", "1", 1);
    }
    if (options_offline_tool(&cl)) return offline_tool_run(&cl) ? 0 : 1;
    if (cl.trace_dir && !trace_open(cl.trace_dir, cl.trace_max)) return 1;

    scores_path_from_environment();
    printf("Running game init...\n");
    game_init();
    freeplay_apply();
    master_boot(cl.rom_dir);
    printf("Game init complete, entering main loop\n");
    if (cl.model > 0) {
        model_viewer_select(cl.model);
        printf("Model viewer mode: use Left/Right arrows to cycle, Q to quit\n");
    }
    // The screenshot is a headless run's one product: without it the run failed.
    bool product_made = main_loop(window, &cl);

    trace_close();
    SDL_GL_DeleteContext(gl);
    SDL_DestroyWindow(window);
    perf_report();
    SDL_Quit();
    if (!headless && restart_requested()) return restart_exec(argv);
    return product_made ? 0 : 1;
}
