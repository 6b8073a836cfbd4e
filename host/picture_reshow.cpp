#include "host/picture_reshow.h"

#include "render/engine_frame.h"

#include <SDL_opengl.h>
#include <cstring>
#include <initializer_list>

namespace {

struct reshow_texture {
    GLuint name;
    int tex_w, tex_h;  // powers of two
    int pic_w, pic_h;  // the captured picture
    uint8_t reference[16][4];
};
reshow_texture reshow;

int power_of_two_at_least(int n) {
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

void test_pixels_read(int w, int h, uint8_t out[16][4]) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int j = 0; j < 4; j++)
        for (int i = 0; i < 4; i++)
            glReadPixels(w * (2 * i + 1) / 8, h * (2 * j + 1) / 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, out[4 * j + i]);
}

}  // namespace

bool reshow_capture(SDL_Window* window, bool take_reference) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    if (w <= 0 || h <= 0) return false;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    int tw = power_of_two_at_least(w), th = power_of_two_at_least(h);
    if (!reshow.name || tw != reshow.tex_w || th != reshow.tex_h) {
        if (reshow.name) glDeleteTextures(1, &reshow.name);
        glGenTextures(1, &reshow.name);
        glBindTexture(GL_TEXTURE_2D, reshow.name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, tw, th, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        reshow.tex_w = tw;
        reshow.tex_h = th;
    }
    glBindTexture(GL_TEXTURE_2D, reshow.name);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    reshow.pic_w = w;
    reshow.pic_h = h;
    if (take_reference) test_pixels_read(w, h, reshow.reference);
    return true;
}

bool reshow_draw(SDL_Window* window, bool compare) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum cap : {GL_DEPTH_TEST, GL_BLEND, GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_FOG, GL_LIGHTING, GL_CULL_FACE})
        glDisable(cap);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, w, h);
    glBindTexture(GL_TEXTURE_2D, reshow.name);
    fullscreen_quad_draw(float(reshow.pic_w) / float(reshow.tex_w), float(reshow.pic_h) / float(reshow.tex_h));
    glPopAttrib();
    if (!compare) return false;
    uint8_t now[16][4];
    test_pixels_read(w, h, now);
    for (int k = 0; k < 16; k++)
        if (memcmp(now[k], reshow.reference[k], 3) != 0) return true;
    return false;
}
