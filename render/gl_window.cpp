#include "render/gl_window.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>

SDL_Window* gl_engine_window = nullptr;
SDL_GLContext gl_engine_context = nullptr;

void gl_attributes_set() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

static bool video_start(const char* driver) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    setenv("SDL_VIDEODRIVER", driver, 1);
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

int gl_headless_window(int width, int height) {
    // An empty driver name lets SDL pick its default when offscreen is not built in.
    if (!video_start("offscreen") && !video_start("")) {
        fprintf(stderr, "[GL] no video: %s\n", SDL_GetError());
        return 0;
    }
    gl_attributes_set();
    SDL_Window* window = SDL_CreateWindow("engine", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        fprintf(stderr, "[GL] no window: %s\n", SDL_GetError());
        return 0;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        fprintf(stderr, "[GL] no context: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return 0;
    }
    gl_engine_window = window;
    gl_engine_context = context;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    printf("[GL] headless: %s\n", renderer ? renderer : "?");
    return 1;
}
