// The triangle batch behind the quad drawer: polygons appended as fans while their GL
// state stays the same, drawn in one call when it changes; GL state calls are made only
// for the parts that differ from what was last set.
#include "render/quad_batch.h"

#include "base/env_switch.h"
#include "render/gl_functions.h"
#include "render/stage_clock.h"
#include "render/texture_atlas.h"
#include "render/texture_cache.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

batch_polygon batch_poly;
quad_batch_counter_block quad_batch_counters;

namespace {

constexpr int BATCH_VERTICES = 60000;

struct batch_arrays {
    float pos2[BATCH_VERTICES][2];
    float colour[BATCH_VERTICES][4];
    float tex[BATCH_VERTICES][4];
    float (*pos3)[3];  // allocated the first time the depth test is used
    int count;
    quad_draw_state state;
    bool state_applied;
};
batch_arrays batch;

// What GL was last told; invalid after any outside change.
struct gl_state_cache {
    bool valid;
    quad_draw_state s;
    GLuint bound;  // texture bound on unit 0
};
gl_state_cache cache;

bool nobatch_read = false, nobatch = false;

// The fog method and texture unit 1's white texture.
struct fog_method_state {
    bool decided;
    bool two_unit;
    PFNGLACTIVETEXTUREPROC active_texture;
    GLuint white;
};
fog_method_state fog;

void combine_rgb(GLenum function, GLenum src0, GLenum src1, GLenum src2, int scale) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GLint(function));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GLint(src0));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GLint(src1));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GLint(src2));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);  // the interpolation weight
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, float(scale));
}

void combine_alpha(GLenum function, GLenum src0, GLenum src1) {
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GLint(function));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GLint(src0));
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GLint(src1));
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
}

void env_colour(const float rgb[3]) {
    const float c[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, c);
}

// Unit 0 without fog: the texture times the vertex colour, scaled.
void unit0_plain(int scale) {
    if (scale == 0) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        return;
    }
    combine_rgb(GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR, GL_CONSTANT, scale);
    combine_alpha(GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR);
}
bool stats_registered = false;

void runstats_print() {
    const quad_batch_counter_block& c = quad_batch_counters;
    fprintf(stderr, "[RUNSTATS] quads %ld  breaks: tex %ld env %ld alpha %ld blend %ld prio %ld scissor %ld fog %ld hook %ld full %ld\n",
            c.quads, c.tex, c.env, c.alpha, c.blend, c.prio, c.scissor, c.fog, c.hook, c.full);
}

bool same_fog(const quad_draw_state& a, const quad_draw_state& b) {
    return a.fog_unit == b.fog_unit && (a.fog_unit == 0 || memcmp(a.fog_rgb, b.fog_rgb, sizeof a.fog_rgb) == 0);
}

bool same_scissor(const quad_draw_state& a, const quad_draw_state& b) {
    return a.scissor == b.scissor &&
           (!a.scissor || (a.scissor_x == b.scissor_x && a.scissor_y == b.scissor_y && a.scissor_w == b.scissor_w &&
                           a.scissor_h == b.scissor_h));
}

bool same_texture(const quad_draw_state& a, const quad_draw_state& b) {
    return a.textured == b.textured && (!a.textured || a.texture == b.texture);
}

bool same_state(const quad_draw_state& a, const quad_draw_state& b) {
    return same_texture(a, b) && a.rgb_scale == b.rgb_scale && a.alpha_test == b.alpha_test && a.blend == b.blend &&
           a.prio == b.prio && same_scissor(a, b) && same_fog(a, b) && a.depth_test == b.depth_test;
}

void enable(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// Each part of the new state that differs from the cache goes to GL.
void state_apply(const quad_draw_state& s) {
    driver_span_begin();
    const quad_draw_state& c = cache.s;
    bool all = !cache.valid;
    if (all || c.textured != s.textured) enable(GL_TEXTURE_2D, s.textured);
    if (s.textured && (all || cache.bound != s.texture)) {
        glBindTexture(GL_TEXTURE_2D, s.texture);
        cache.bound = s.texture;
    }
    if (all || c.rgb_scale != s.rgb_scale || !same_fog(c, s)) tex_env_apply(s.fog_unit, s.fog_rgb, s.rgb_scale);
    if (all || c.alpha_test != s.alpha_test) enable(GL_ALPHA_TEST, s.alpha_test);
    if (all || c.blend != s.blend) {
        enable(GL_BLEND, s.blend);
        if (s.blend) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (all || c.prio != s.prio) glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, s.prio ? GL_FALSE : GL_TRUE);
    if (all || !same_scissor(c, s)) {
        enable(GL_SCISSOR_TEST, s.scissor);
        if (s.scissor) glScissor(s.scissor_x, s.scissor_y, s.scissor_w, s.scissor_h);
    }
    if (all || c.depth_test != s.depth_test) {
        enable(GL_DEPTH_TEST, s.depth_test);
        if (s.depth_test) {
            glDepthFunc(GL_LEQUAL);
            glDepthMask(GL_TRUE);
        }
    }
    cache.s = s;
    cache.valid = true;
    driver_span_end();
}

void breaks_count(const quad_draw_state& a, const quad_draw_state& b) {
    quad_batch_counter_block& c = quad_batch_counters;
    if (!same_texture(a, b)) c.tex++;
    if (a.rgb_scale != b.rgb_scale) c.env++;
    if (a.alpha_test != b.alpha_test) c.alpha++;
    if (a.blend != b.blend) c.blend++;
    if (a.prio != b.prio) c.prio++;
    if (!same_scissor(a, b)) c.scissor++;
    if (!same_fog(a, b)) c.fog++;
}

bool batching_off() {
    if (!nobatch_read) {
        const char* v = env_text("ENG_NOBATCH");
        nobatch = v && strcmp(v, "1") == 0;
        nobatch_read = true;
    }
    return nobatch || !tex_switches.atlas;
}

}  // namespace

void fog_method_decide() {
    if (fog.decided) return;
    fog.decided = true;
    fog.active_texture = reinterpret_cast<PFNGLACTIVETEXTUREPROC>(gl_proc_loader("glActiveTexture"));
    const char* two_pass = env_text("ENG_FOG2PASS");
    fog.two_unit = fog.active_texture && !(two_pass && strcmp(two_pass, "1") == 0);
    if (!fog.two_unit || fog.white) return;
    static const uint8_t white[4] = {255, 255, 255, 255};
    fog.active_texture(GL_TEXTURE1);
    glGenTextures(1, &fog.white);
    glBindTexture(GL_TEXTURE_2D, fog.white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    fog.active_texture(GL_TEXTURE0);
}

bool quad_fog_two_unit() {
    return fog.two_unit;
}

void tex_env_apply(int fog_unit, const float fog_rgb[3], int rgb_scale) {
    if (!fog.two_unit) {
        unit0_plain(rgb_scale);
        return;
    }
    fog.active_texture(GL_TEXTURE1);
    if (fog_unit == 0) {
        glDisable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, fog.white);
        if (fog_unit == 1) {
            combine_rgb(GL_MODULATE, GL_PREVIOUS, GL_PRIMARY_COLOR, GL_CONSTANT, rgb_scale ? rgb_scale : 1);
        } else {
            combine_rgb(GL_INTERPOLATE, GL_PREVIOUS, GL_CONSTANT, GL_PRIMARY_COLOR, 1);
            env_colour(fog_rgb);
        }
        combine_alpha(GL_REPLACE, GL_PREVIOUS, GL_PREVIOUS);
    }
    fog.active_texture(GL_TEXTURE0);
    if (fog_unit == 1) {
        combine_rgb(GL_INTERPOLATE, GL_TEXTURE, GL_CONSTANT, GL_PRIMARY_COLOR, 1);
        combine_alpha(GL_REPLACE, GL_TEXTURE, GL_TEXTURE);
        env_colour(fog_rgb);
    } else if (fog_unit == 2) {
        combine_rgb(GL_MODULATE, GL_TEXTURE, GL_PRIMARY_COLOR, GL_CONSTANT, rgb_scale ? rgb_scale : 1);
        combine_alpha(GL_REPLACE, GL_TEXTURE, GL_TEXTURE);
    } else {
        unit0_plain(rgb_scale);
    }
}

void tex_env_reset() {
    static const float black[3] = {0, 0, 0};
    tex_env_apply(0, black, 0);
}

GLuint batch_pending_texture() {
    return batch.state_applied && batch.state.textured ? batch.state.texture : 0;
}

void batch_texture_binding_lost() {
    cache.bound = 0;
}

void batch_state_forget() {
    cache.valid = false;
    cache.bound = 0;
}

void batch_flush() {
    if (batch.count == 0) return;
    driver_span_begin();
    const quad_draw_state& s = batch.state;
    if (s.textured) {
        if (cache.bound != s.texture) {
            glBindTexture(GL_TEXTURE_2D, s.texture);
            cache.bound = s.texture;
        }
        atlas_page_flush(s.texture);
    }
    if (s.depth_test) glVertexPointer(3, GL_FLOAT, 0, batch.pos3);
    glDrawArrays(GL_TRIANGLES, 0, batch.count);
    quad_batch_counters.draw_calls++;
    if (s.depth_test) glVertexPointer(2, GL_FLOAT, 0, batch.pos2);
    batch.count = 0;
    driver_span_end();
}

void batch_state_set(int count, const quad_draw_state& state) {
    quad_batch_counters.quads++;
    if (!stats_registered) {
        stats_registered = true;
        if (env_present("ENG_RUNSTATS")) atexit(runstats_print);
    }
    if (count < 3) return;
    if (state.depth_test && !batch.pos3) {
        batch.pos3 = static_cast<float(*)[3]>(calloc(BATCH_VERTICES, sizeof *batch.pos3));
        if (!batch.pos3) return;
    }
    quad_draw_state s = state;
    // A plain textured polygon on the texture of a fogged batch joins it: its vertex
    // alpha of 1 keeps its own colour through the interpolation.
    if (batch.count > 0 && s.textured && s.fog_unit == 0 && batch.state.textured && batch.state.texture == s.texture &&
        batch.state.fog_unit != 0) {
        s.fog_unit = batch.state.fog_unit;
        memcpy(s.fog_rgb, batch.state.fog_rgb, sizeof s.fog_rgb);
    }
    int triangles = 3 * (count - 2);
    if (!batch.state_applied || !same_state(batch.state, s)) {
        if (batch.state_applied) breaks_count(batch.state, s);
        driver_span_begin();  // one span for the draw and the state change
        batch_flush();
        state_apply(s);
        driver_span_end();
        batch.state = s;
        batch.state_applied = true;
    } else if (batch.count + triangles > BATCH_VERTICES) {
        quad_batch_counters.full++;
        batch_flush();
    }
    for (int k = 2; k < count; k++) {
        const int fan[3] = {0, k - 1, k};
        for (int i : fan) {
            int n = batch.count++;
            memcpy(batch.pos2[n], batch_poly.pos[i], sizeof batch.pos2[n]);
            if (s.depth_test) memcpy(batch.pos3[n], batch_poly.pos[i], sizeof batch.pos3[n]);
            memcpy(batch.colour[n], batch_poly.colour[i], sizeof batch.colour[n]);
            memcpy(batch.tex[n], batch_poly.tex[i], sizeof batch.tex[n]);
        }
    }
    if (batching_off()) batch_flush();
}

void batch_evict_callback(GLuint) {
    if (batch.count > 0) {
        quad_batch_counters.hook++;
        batch_flush();
    }
    batch_state_forget();
    batch.state_applied = false;
}

void batch_arrays_bind() {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, batch.pos2);
    glColorPointer(4, GL_FLOAT, 0, batch.colour);
    glTexCoordPointer(4, GL_FLOAT, 0, batch.tex);
    batch_state_forget();
    batch.state_applied = false;
}

void batch_arrays_release() {
    batch_flush();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    batch_state_forget();
    batch.state_applied = false;
}

void quad_draw_switches_reset() {
    nobatch_read = false;
    fog.decided = false;
}
