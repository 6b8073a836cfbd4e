#include "render/render_target.h"

#include "render/gl_functions.h"

#include <cmath>
#include <cstdio>

namespace {

enum fbo_availability { fbo_undecided, fbo_available, fbo_missing };

struct target_state {
    fbo_availability fbo = fbo_undecided;
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int w = 0, h = 0;
    bool active = false;  // this frame draws into the target
};

target_state target;

}  // namespace

static void drawable_size(SDL_Window* window, int* w, int* h) {
    SDL_GL_GetDrawableSize(window, w, h);
    if (*w <= 0 || *h <= 0) SDL_GetWindowSize(window, w, h);
}

static void target_delete() {
    if (target.framebuffer) gl_fbo.delete_framebuffers(1, &target.framebuffer);
    if (target.colour) gl_fbo.delete_renderbuffers(1, &target.colour);
    if (target.depth) gl_fbo.delete_renderbuffers(1, &target.depth);
    target.framebuffer = target.colour = target.depth = 0;
    target.w = target.h = 0;
}

// Makes a w x h target with an RGBA8 colour and a 24-bit depth renderbuffer; false
// (and no target) when the driver calls it incomplete.
static bool target_create(int w, int h) {
    gl_fbo.gen_framebuffers(1, &target.framebuffer);
    gl_fbo.gen_renderbuffers(1, &target.colour);
    gl_fbo.gen_renderbuffers(1, &target.depth);
    gl_fbo.bind_renderbuffer(GL_RENDERBUFFER, target.colour);
    gl_fbo.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    gl_fbo.bind_renderbuffer(GL_RENDERBUFFER, target.depth);
    gl_fbo.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    gl_fbo.bind_renderbuffer(GL_RENDERBUFFER, 0);
    gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, target.framebuffer);
    gl_fbo.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    gl_fbo.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    GLenum status = gl_fbo.check_framebuffer_status(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        fprintf(stderr, "[DISPLAY] %dx%d render target incomplete (0x%x): drawing to the window\n", w, h, status);
        target_delete();
        return false;
    }
    target.w = w;
    target.h = h;
    fprintf(stderr, "[DISPLAY] render target %dx%d\n", w, h);
    return true;
}

// True when the target of the wanted size is bound for this frame.
static bool target_bind(int want_w, int want_h) {
    if (target.fbo == fbo_undecided) {
        if (gl_fbo_functions_load()) {
            target.fbo = fbo_available;
        } else {
            fprintf(stderr, "[DISPLAY] no framebuffer objects: resolution follows the window\n");
            target.fbo = fbo_missing;
        }
    }
    if (target.fbo != fbo_available) return false;
    if (target.framebuffer && target.w == want_w && target.h == want_h) {
        gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, target.framebuffer);
        return true;
    }
    target_delete();
    return target_create(want_w, want_h);
}

void render_target_begin(SDL_Window* window, int want_w, int want_h, int* out_w, int* out_h) {
    int dw, dh;
    drawable_size(window, &dw, &dh);
    target.active = false;
    if (want_w > 0 && want_h > 0 && (want_w != dw || want_h != dh)) {
        if (target_bind(want_w, want_h)) {
            target.active = true;
            *out_w = want_w;
            *out_h = want_h;
            return;
        }
    }
    if (target.fbo == fbo_available) gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, 0);
    *out_w = dw;
    *out_h = dh;
}

present_rect present_rect_fit(int tw, int th, int dw, int dh, bool stretch) {
    present_rect r{0, 0, dw, dh, false};
    if (!stretch && tw > 0 && th > 0) {
        double aspect = double(tw) / th;
        int h = int(std::lround(dw / aspect));
        if (h > dh) {
            r.w = int(std::lround(double(dh) * tw / th));
            r.x = (dw - r.w) / 2;
        } else {
            r.h = h;
            r.y = (dh - h) / 2;
        }
    }
    bool whole = tw > 0 && th > 0 && r.w % tw == 0 && r.h % th == 0;
    r.linear = !whole;
    return r;
}

void render_target_present_rect(SDL_Window* window, int x, int y, int w, int h, bool linear) {
    if (!target.active) return;
    target.active = false;
    int dw, dh;
    drawable_size(window, &dw, &dh);
    gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, dw, dh);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gl_fbo.bind_framebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    gl_fbo.bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // GL counts rows from the bottom; the rectangle is given from the top.
    int y0 = dh - y - h;
    gl_fbo.blit_framebuffer(0, 0, target.w, target.h, x, y0, x + w, y0 + h, GL_COLOR_BUFFER_BIT,
                            linear ? GL_LINEAR : GL_NEAREST);
    gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, 0);
}

void render_target_present(SDL_Window* window, bool stretch) {
    if (!target.active) return;
    int dw, dh;
    drawable_size(window, &dw, &dh);
    present_rect r = present_rect_fit(target.w, target.h, dw, dh, stretch);
    render_target_present_rect(window, r.x, r.y, r.w, r.h, r.linear);
}

void render_target_reset() {
    if (target.fbo == fbo_available) {
        gl_fbo.bind_framebuffer(GL_FRAMEBUFFER, 0);
        target_delete();
    }
    target = target_state{};
}
