// OpenGL entry points beyond 1.1, fetched from the driver by name at run time.
#pragma once
#include <SDL.h>
#include <SDL_opengl.h>

// The name lookup behind every fetch: SDL_GL_GetProcAddress. Tests put a narrower
// one here to stand for a driver that lacks some entry points.
extern void* (*gl_proc_loader)(const char* name);

// The entry point under its core name, else with the suffix "EXT"; null when neither exists.
void* gl_proc_lookup(const char* core_name);

// The framebuffer-object entry points; all null until gl_fbo_functions_load succeeds.
struct gl_fbo_functions {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status;
    PFNGLBLITFRAMEBUFFERPROC blit_framebuffer;
};
extern gl_fbo_functions gl_fbo;

// Looks up all ten; true when every one was found, else false with all left null.
bool gl_fbo_functions_load();
