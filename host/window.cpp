#include "host/window.h"

#include "base/run_flags.h"
#include "render/wide_margins.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

window_size headless_window_size(const char* wide) {
    window_size s{640, 480};
    float aspect = wide ? strtof(wide, nullptr) : 0.0f;
    if (aspect > 4.0f / 3.0f) {
        s.w = int(aspect * 480.0f + 0.5f) & ~1;
        hud_margin_left = (640 - s.w) / 2;
        hud_margin_right = (s.w - 640) / 2 + 640;
    }
    return s;
}

window_size windowed_size(const SDL_Rect* usable, const char* window_env) {
    window_size s{1280, 960};
    if (usable && usable->w > 0 && usable->h > 0) {
        float scale = SDL_min(0.9f * usable->w / 640.0f, 0.9f * usable->h / 480.0f);
        scale = SDL_clamp(scale, 1.0f, 2.0f);
        s = {int(640 * scale), int(480 * scale)};
    }
    int w, h;
    if (window_env && sscanf(window_env, "%dx%d", &w, &h) == 2 && w >= 160 && h >= 120) s = {w, h};
    return s;
}

bool gl_driver_check(SDL_Window* window) {
    static const char* const software[] = {"llvmpipe", "softpipe", "swrast", "GDI Generic",
                                           "Microsoft Basic Render", "SwiftShader", "Software Rasterizer"};
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    printf("OpenGL: %s | %s | %s\n", vendor ? vendor : "?", renderer ? renderer : "?", version ? version : "?");
    if (headless || !renderer) return true;
    for (const char* name : software) {
        if (!strstr(renderer, name)) continue;
        fprintf(stderr,
                "[GL] WARNING: \"%s\" is a SOFTWARE renderer: the graphics card is not being used and the game "
                "will be slow. Install your graphics driver, or on a laptop with two graphics chips make sure the "
                "game runs on the fast one (README: \"Slow?\").\n",
                renderer);
        break;
    }
    if (strstr(renderer, "GDI Generic")) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Sky Volta",
                                 "No OpenGL graphics driver was found (Windows gave the basic 'GDI Generic' "
                                 "renderer).\n\nInstall or update the graphics driver for your GPU. This also "
                                 "happens over Remote Desktop.",
                                 window);
        return false;
    }
    return true;
}

void gl_driver_libraries_pin() {
#if defined(__SANITIZE_ADDRESS__)
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            // RTLD_NOLOAD takes another reference to a library already loaded; NODELETE
            // keeps it mapped after the last dlclose. The program itself has no name.
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

#if defined(__SANITIZE_ADDRESS__)
// The desktop session bus library keeps a buffer of SDL's windowed start-up until exit:
// not ours to report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif
