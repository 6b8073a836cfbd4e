#include "render/gl_functions.h"

#include <cstdio>

static void* sdl_proc_address(const char* name) { return SDL_GL_GetProcAddress(name); }

void* (*gl_proc_loader)(const char* name) = sdl_proc_address;
gl_fbo_functions gl_fbo;

void* gl_proc_lookup(const char* core_name) {
    if (void* p = gl_proc_loader(core_name)) return p;
    char ext_name[96];
    snprintf(ext_name, sizeof ext_name, "%sEXT", core_name);
    return gl_proc_loader(ext_name);
}

bool gl_fbo_functions_load() {
    gl_fbo_functions f;
    f.gen_framebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(gl_proc_lookup("glGenFramebuffers"));
    f.delete_framebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(gl_proc_lookup("glDeleteFramebuffers"));
    f.bind_framebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(gl_proc_lookup("glBindFramebuffer"));
    f.gen_renderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(gl_proc_lookup("glGenRenderbuffers"));
    f.delete_renderbuffers =
        reinterpret_cast<PFNGLDELETERENDERBUFFERSPROC>(gl_proc_lookup("glDeleteRenderbuffers"));
    f.bind_renderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(gl_proc_lookup("glBindRenderbuffer"));
    f.renderbuffer_storage =
        reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(gl_proc_lookup("glRenderbufferStorage"));
    f.framebuffer_renderbuffer =
        reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(gl_proc_lookup("glFramebufferRenderbuffer"));
    f.check_framebuffer_status =
        reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(gl_proc_lookup("glCheckFramebufferStatus"));
    f.blit_framebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(gl_proc_lookup("glBlitFramebuffer"));
    bool all = f.gen_framebuffers && f.delete_framebuffers && f.bind_framebuffer && f.gen_renderbuffers &&
               f.delete_renderbuffers && f.bind_renderbuffer && f.renderbuffer_storage &&
               f.framebuffer_renderbuffer && f.check_framebuffer_status && f.blit_framebuffer;
    gl_fbo = all ? f : gl_fbo_functions{};
    return all;
}
