#include "render/engine_frame.h"

#include "base/env_switch.h"
#include "render/cz_fog.h"
#include "render/dl_packet_decode.h"
#include "render/frame_render.h"
#include "render/framedump_draw.h"
#include "render/wide_margins.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

post_stage_method post_method = POST_UNCHOSEN;

namespace {

constexpr int32_t COLLECT_FIRST = 8192;
constexpr int LUT_ENTRIES = 256;
constexpr double BOARD_SCREEN_H = 480;

struct collected_list {
    quad_record* quads;
    int32_t count, capacity;
};
collected_list collected;

// ---- Final colour stage --------------------------------------------------------------
struct glsl_entry_points {
    PFNGLCREATESHADERPROC create_shader;
    PFNGLSHADERSOURCEPROC shader_source;
    PFNGLCOMPILESHADERPROC compile_shader;
    PFNGLGETSHADERIVPROC get_shader;
    PFNGLGETSHADERINFOLOGPROC shader_log;
    PFNGLCREATEPROGRAMPROC create_program;
    PFNGLATTACHSHADERPROC attach_shader;
    PFNGLLINKPROGRAMPROC link_program;
    PFNGLGETPROGRAMIVPROC get_program;
    PFNGLUSEPROGRAMPROC use_program;
    PFNGLGETUNIFORMLOCATIONPROC uniform_location;
    PFNGLUNIFORM1IPROC uniform1i;
    PFNGLACTIVETEXTUREPROC active_texture;
};

struct post_state {
    glsl_entry_points gl;
    GLuint program;
    GLuint frame_texture, lut_texture;
    int frame_w, frame_h;
    uint8_t* pixels;  // the pixel maps' read-back, kept
    size_t pixels_size;
};
post_state post;

// The texel centres of a 256-wide table: k = c x 255/256 + 0.5/256.
const char* const POST_FRAGMENT = R"(
uniform sampler2D frame;
uniform sampler2D lut;
void main() {
    vec3 k = texture2D(frame, gl_TexCoord[0].st).rgb * (255.0 / 256.0) + 0.5 / 256.0;
    gl_FragColor = vec4(texture2D(lut, vec2(k.r, 0.5)).r, texture2D(lut, vec2(k.g, 0.5)).g,
                        texture2D(lut, vec2(k.b, 0.5)).b, 1.0);
}
)";
const char* const POST_VERTEX = R"(
void main() {
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

template <typename F>
bool entry_point(F* out, const char* name) {
    *out = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return *out != nullptr;
}

bool glsl_entry_points_load(glsl_entry_points* g) {
    return entry_point(&g->create_shader, "glCreateShader") && entry_point(&g->shader_source, "glShaderSource") &&
           entry_point(&g->compile_shader, "glCompileShader") && entry_point(&g->get_shader, "glGetShaderiv") &&
           entry_point(&g->shader_log, "glGetShaderInfoLog") && entry_point(&g->create_program, "glCreateProgram") &&
           entry_point(&g->attach_shader, "glAttachShader") && entry_point(&g->link_program, "glLinkProgram") &&
           entry_point(&g->get_program, "glGetProgramiv") && entry_point(&g->use_program, "glUseProgram") &&
           entry_point(&g->uniform_location, "glGetUniformLocation") && entry_point(&g->uniform1i, "glUniform1i") &&
           entry_point(&g->active_texture, "glActiveTexture");
}

GLuint shader_compile(const glsl_entry_points& g, GLenum kind, const char* source) {
    GLuint s = g.create_shader(kind);
    g.shader_source(s, 1, &source, nullptr);
    g.compile_shader(s);
    GLint ok = 0;
    g.get_shader(s, GL_COMPILE_STATUS, &ok);
    if (ok) return s;
    char log[512] = "";
    g.shader_log(s, sizeof log, nullptr, log);
    fprintf(stderr, "[POST] shader: %s\n", log);
    return 0;
}

bool glsl_program_build() {
    glsl_entry_points& g = post.gl;
    if (!glsl_entry_points_load(&g)) return false;
    GLuint vertex = shader_compile(g, GL_VERTEX_SHADER, POST_VERTEX);
    GLuint fragment = vertex ? shader_compile(g, GL_FRAGMENT_SHADER, POST_FRAGMENT) : 0;
    if (!fragment) return false;
    GLuint p = g.create_program();
    g.attach_shader(p, vertex);
    g.attach_shader(p, fragment);
    g.link_program(p);
    GLint linked = 0;
    g.get_program(p, GL_LINK_STATUS, &linked);
    if (!linked) return false;
    g.use_program(p);
    g.uniform1i(g.uniform_location(p, "frame"), 0);
    g.uniform1i(g.uniform_location(p, "lut"), 1);
    g.use_program(0);
    post.program = p;
    return true;
}

void post_method_choose() {
    post_method = glsl_program_build() ? POST_GLSL : POST_PIXEL_MAP;
    fprintf(stderr, "[POST] final colour stage: %s\n", post_method == POST_GLSL ? "GLSL" : "pixel map (slow)");
}

GLuint nearest_texture(GLuint* texture) {
    if (!*texture) {
        glGenTextures(1, texture);
        glBindTexture(GL_TEXTURE_2D, *texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, *texture);
    return *texture;
}

// The framebuffer into the frame texture (reallocated when the size changes).
void frame_copy(int width, int height) {
    nearest_texture(&post.frame_texture);
    if (post.frame_w != width || post.frame_h != height) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        post.frame_w = width, post.frame_h = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void glsl_apply(const uint8_t* const tables[3], int width, int height) {
    glsl_entry_points& g = post.gl;
    uint8_t rgb[LUT_ENTRIES * 3];
    for (int i = 0; i < LUT_ENTRIES; i++)
        for (int c = 0; c < 3; c++) rgb[3 * i + c] = tables[c][i];
    g.active_texture(GL_TEXTURE1);
    nearest_texture(&post.lut_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, LUT_ENTRIES, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    g.active_texture(GL_TEXTURE0);
    frame_copy(width, height);
    g.use_program(post.program);
    fullscreen_quad_draw();
    g.use_program(0);
}

// The framebuffer is read back through the maps and uploaded as the frame texture: the
// pixel transfer of a texture copy is not dependable on every driver.
void pixel_map_apply(const uint8_t* const tables[3], int width, int height) {
    const GLenum maps[3] = {GL_PIXEL_MAP_R_TO_R, GL_PIXEL_MAP_G_TO_G, GL_PIXEL_MAP_B_TO_B};
    for (int c = 0; c < 3; c++) {
        float values[LUT_ENTRIES];
        for (int i = 0; i < LUT_ENTRIES; i++) values[i] = tables[c][i] / 255.0f;
        glPixelMapfv(maps[c], LUT_ENTRIES, values);
    }
    size_t bytes = size_t(width) * size_t(height) * 4;
    if (post.pixels_size < bytes) {
        auto* grown = static_cast<uint8_t*>(realloc(post.pixels, bytes));
        if (!grown) return;
        post.pixels = grown;
        post.pixels_size = bytes;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelTransferi(GL_MAP_COLOR, GL_TRUE);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, post.pixels);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    nearest_texture(&post.frame_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, post.pixels);
    post.frame_w = post.frame_h = 0;  // the GLSL copy reallocates
    fullscreen_quad_draw();
}

}  // namespace

int32_t quad_sink_collect(const quad_record* quad) {
    static const bool band_off = env_present("ENG_GUARDBAND_OFF");
    if (!band_off && quad->band_count < 0) return collected.count;
    if (collected.count == collected.capacity) {
        int32_t capacity = collected.capacity ? collected.capacity * 2 : COLLECT_FIRST;
        auto* grown = static_cast<quad_record*>(realloc(collected.quads, sizeof(quad_record) * size_t(capacity)));
        if (!grown) return 0;
        collected.quads = grown;
        collected.capacity = capacity;
    }
    quad_record& q = collected.quads[collected.count];
    q = *quad;
    if (!band_off && quad->band_count > 0) {
        memcpy(q.near, quad->band, sizeof q.near);
        q.near_count = quad->band_count;
    }
    q.seq = uint32_t(collected.count);
    return ++collected.count;
}

void quad_sink_collect_to(const quad_record* quad, void*) {
    quad_sink_collect(quad);
}

const quad_record* engine_quads() {
    return collected.quads;
}

int32_t engine_quad_count() {
    return collected.count;
}

void fullscreen_quad_draw(float u, float v) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(u, 0), glVertex2f(1, 0);
    glTexCoord2f(u, v), glVertex2f(1, 1);
    glTexCoord2f(0, v), glVertex2f(0, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void post_stage_apply(const uint8_t* red, const uint8_t* green, const uint8_t* blue, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (post_method == POST_UNCHOSEN) post_method_choose();
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, width, height);
    const uint8_t* const tables[3] = {red, green, blue};
    if (post_method == POST_GLSL)
        glsl_apply(tables, width, height);
    else
        pixel_map_apply(tables, width, height);
}

void post_stage_prepare() {
    uint8_t identity[LUT_ENTRIES];
    for (int i = 0; i < LUT_ENTRIES; i++) identity[i] = uint8_t(i);
    post_stage_apply(identity, identity, identity, 1, 1);
}

int engine_frame_intake() {
    collected.count = 0;
    int32_t focal = 0, shift = 0, ox = 0, oy = 0;
    dl_decode_request request = {0, 0, &focal, &shift, &ox, &oy};
    return dl_packet_decode(framedump_word, &request, quad_sink_collect_to, nullptr);
}

void engine_frame_present(int width, int height) {
    uint8_t bg[3] = {0, 0, 0};
    clear_colour_from_mixer(&bg[0], &bg[1], &bg[2]);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(bg[0] / 255.0f, bg[1] / 255.0f, bg[2] / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(hud_margin_left, hud_margin_right, BOARD_SCREEN_H, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    frame_paint(collected.quads, collected.count, framedump_sprite_state(), frame_draw_context());
    frame_fade_draw();
    frame_text_draw(framedump_text_state());
    if (fog_current_valid && fog_current.lut_active)
        post_stage_apply(fog_current.lut[0], fog_current.lut[1], fog_current.lut[2], width, height);
}
