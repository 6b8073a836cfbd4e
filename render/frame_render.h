// One frame of the board's video: the display list's scene, the sprite layers by
// priority, the fade and the text layer, into the current render target.
#pragma once
#include "render/quad_draw.h"
#include "render/stage_clock.h"

#include <cstdint>

// Called once per main-loop iteration after the game and sound steps, with the render
// target bound and the viewport set; the screen edges are hud_margin_left/right.
void render_frame_3d();

// Makes the renderer's large textures before the first frame: the first texture-atlas
// page and the sprite-layer atlas. Each stalls the frame that first needs it otherwise.
// Needs the GL context.
void render_textures_open();

// True after this frame's fog/mixer, sprite and text inputs all came from live board RAM
// (the main loop then skips the fallback 2D layer and fade).
bool live_feed_active();

// The mixer's background colour from the fog state when that is valid.
bool clear_colour_from_mixer(uint8_t* r, uint8_t* g, uint8_t* b);

// The painter's fog callback (the quad's CZ fog through the frame's fog state) and
// colour callback (the mixer's colour scale).
int fog_callback_live(const quad_record* quad, quad_fog_record* out);
void fog_colour_callback(float* r, float* g, float* b);

// Quads drawn in the last frame.
int32_t last_frame_quad_count();

// Time of the stages of the last frame on the render thread: wall clock, thread CPU
// time, and the part of it inside GL driver calls (stage_clock).
struct frame_stage_times {
    stage_time intake;   // fog/mixer, sprite and text inputs
    stage_time walk;     // display-list walk, placement and quad geometry
    stage_time sort;
    stage_time quads;    // the painter: texture fetch and bake, vertices, batching and the draws
                         // (placed sprite layers' polygons included)
    stage_time sprites;  // sprite layers: list, change keys, raster and upload of the changed
                         // ones (and the whole draw of a layer with no atlas room)
    stage_time text;     // text layer: change key, raster and upload when changed, draw
    stage_time total;
};
extern frame_stage_times frame_times;

// The projection distance (pixels) the side fill of a wide picture is asked for.
constexpr double WIDE_FILL_DISTANCE = 554.25;

// Sums over the run, kept while stage_timing is on (SKYVOLTA_PERF, SKYVOLTA_PERFFRAME):
// every frame's stages, the text layer's change checks and the rasters they caused,
// texture evictions.
struct render_run_totals {
    frame_stage_times stages;
    long text_calls, text_misses;
    long evictions;
    long frames;
};
extern render_run_totals render_totals;

// The painter over any quad list (the live frame's, or the engine frame's collected
// one): the quads sorted, the sprite layers of `sprites` (none when null) interleaved by
// priority. frame_draw_context gives the live frame's draw options.
struct sprite_input;
struct text_input;
void frame_paint(const quad_record* quads, int32_t count, const sprite_input* sprites, const quad_draw_context& ctx);
quad_draw_context frame_draw_context();
// The mixer's fade quad and the text layer (none when null), as the frame draws them.
void frame_fade_draw();
void frame_text_draw(const text_input* text);
