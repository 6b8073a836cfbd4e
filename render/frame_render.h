// One frame of the board's video: the display list's scene, the sprite layers by
// priority, the fade and the text layer, into the current render target.
#pragma once
#include "render/quad_draw.h"

#include <cstdint>

// Called once per main-loop iteration after the game and sound steps, with the render
// target bound and the viewport set; the screen edges are hud_margin_left/right.
void render_frame_3d();

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

// CPU seconds of the stages of the last frame (wall clock on the main thread).
struct frame_stage_times {
    double intake;   // fog/mixer, sprite and text inputs
    double walk;     // display-list walk, placement and quad geometry
    double sort;
    double quads;    // the painter's quads: texture fetch and bake, vertices, batching
    double sprites;  // sprite layers: raster, upload and draw
    double text;     // text layer: hash, raster when changed, upload and draw
    double total;
};
extern frame_stage_times frame_times;
