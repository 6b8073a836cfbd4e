// The quad drawer: a frame's quad records sorted back to front, each turned into a
// clipped screen polygon with perspective-correct texture coordinates, brightness and
// CZ fog, and fed into a batch of triangles that is drawn only when the GL state it
// needs changes. Main thread, GL context current.
#pragma once
#include "render/quad_geometry.h"

#include <SDL_opengl.h>
#include <cstdint>

// The fog of one quad as a fog callback reports it: the colour, and either a density
// table (8192 entries, index depth >> 8) with an offset, or a constant visibility.
struct quad_fog_record {
    uint8_t rgb[3];
    const uint8_t* table;
    int offset;
    int constant;  // used without a table; negative: no fog
};

// Returns nonzero when the quad is fogged (the drawer clears the record and sets the
// constant to -1 before the call).
using quad_fog_callback = int (*)(const quad_record* quad, quad_fog_record* out);
// Applied to every colour the drawer makes (vertex and fog colours).
using quad_colour_callback = void (*)(float* r, float* g, float* b);
// May take the whole quad over: nonzero draws it untextured in the colour written.
using quad_override_hook = int (*)(const quad_record* quad, float rgb[3]);
// Depth of an overridden polygon for the depth test (context depth flag).
using quad_depth_callback = float (*)(const quad_record* quad);

// What the caller passes with every quad.
struct quad_draw_context {
    int lit;            // brightness from the vertices, else full brightness
    int fog;            // draw CZ fog
    int colour_scale;   // the fog colour follows the vertex brightness
    int solid_fill;     // untextured white (the seam test)
    int alpha_marking;  // vertex alpha records the texel format in the destination alpha
    int half_texel;     // sample texel centres
    int depth;          // overridden polygons take the depth test
    quad_fog_callback fog_callback;
    quad_colour_callback colour_callback;
    int32_t margin_copy;  // full-screen backdrops get their margin copies (quad_draw_wide)
    quad_override_hook override_hook;
    quad_depth_callback depth_callback;
};

// The GL state one polygon is drawn with; compared whole with the pending batch's.
struct quad_draw_state {
    GLuint texture;
    int rgb_scale;  // 4 textured, 0 plain GL_MODULATE
    bool alpha_test, blend;
    bool prio;      // alpha writes masked
    bool textured, scissor;
    int fog_unit;   // 0 none, 1 fog before brightness, 2 fog after it
    int scissor_x, scissor_y, scissor_w, scissor_h;  // window pixels
    float fog_rgb[3];
    bool depth_test;
};

// The polygon batch_state_set appends: x, y (z with the depth test), RGBA colour and
// homogeneous texture coordinates (s, t, 0, q) per vertex.
constexpr int POLY_VERTICES_MAX = 32;
struct batch_polygon {
    float pos[POLY_VERTICES_MAX][3];
    float colour[POLY_VERTICES_MAX][4];
    float tex[POLY_VERTICES_MAX][4];
};
extern batch_polygon batch_poly;

// Break counters (ENG_RUNSTATS prints them at exit) and the draw calls made.
struct quad_batch_counter_block {
    long quads;
    long tex, env, alpha, blend, prio, scissor, fog, hook, full;
    long draw_calls;
};
extern quad_batch_counter_block quad_batch_counters;

// Per-frame figures for the painter's statistics line (the painter resets them).
struct quad_draw_frame_stats {
    long fogged;
    int fog_min, fog_max;  // 255 - factor over fogged vertices (255: unfogged)
    int bri_min, bri_max;  // vertex brightness words of drawn quads
};
extern quad_draw_frame_stats quad_frame_stats;
void quad_frame_stats_reset();

// The painting order of the records: order[0..count) gets their indices by zsort
// descending (farthest first); equal keys by seq ascending when tie_order is nonzero,
// else descending; then by index. The records do not move.
void quads_zsort_order(const quad_record* records, int count, int tie_order, int32_t* order);
// The records themselves moved into that order.
void quads_zsort(quad_record* records, int count, int tie_order);

// Per-run set-up; advances the engine frame counter.
void quad_draw_begin();
// Draws one quad (batched).
void quad_draw(const quad_record* quad, const quad_draw_context* ctx);
// Flushes and leaves the GL state as the other layers expect it.
void quad_draw_end();

// Appends batch_poly's first n vertices as a triangle fan, flushing first when the
// state differs from the pending batch's.
void batch_state_set(int count, const quad_draw_state& state);
// Draws the pending triangles.
void batch_flush();
// The texture cache's eviction callback: draws the pending batch, forgets the GL state.
void batch_evict_callback(GLuint texture);
// Points the vertex, colour and texture-coordinate arrays at the batch again (after
// another layer drew in between) and forgets the GL state.
void batch_arrays_bind();
// True when fog uses texture unit 1 (decided by the first quad_draw_begin).
bool quad_fog_two_unit();

// One Sutherland-Hodgman step over vertices of six floats (x, y, s, t, q, brightness):
// keeps the side of axis (0 x, 1 y) at or above boundary (keep_side > 0) or at or below
// it. Returns the output count (at most 30).
constexpr int CLIP_FLOATS = 6;
constexpr int CLIP_VERTICES_MAX = 30;
int poly_clip_edge(const float* in, int count, float* out, int axis, int keep_side, float boundary);

// Visibility 0..255 of a depth through a fog record (255: no fog).
int fog_factor(const quad_fog_record* fog, int32_t depth);
