// The engine frame: a second, self-contained way from one frame of board state to a
// picture, for tests and tools (the program draws through render_frame_3d and takes only
// the final colour stage from here, to end its windowed frame). Its input is a frame-dump
// file set as the viewer loads it (the words, sprite and text inputs of framedump_shown,
// the fog and mixer state in fog_current); its picture ends in the final colour stage,
// the mixer's colour table applied on the GPU. Main thread, with a current GL context.
#pragma once
#include "render/quad_geometry.h"

#include <cstdint>

// The engine frame's quad sink: a record whose band_count is negative is dropped, one
// with a positive band_count is kept with the band as its near vertices (unless
// ENG_GUARDBAND_OFF is set); seq = the arrival number. The list starts with room for
// 8192 records and doubles when full. The new count, or 0 when the list cannot grow.
int32_t quad_sink_collect(const quad_record* quad);
// The same as a quad_sink.
void quad_sink_collect_to(const quad_record* quad, void* data);
const quad_record* engine_quads();
int32_t engine_quad_count();

// One textured quad over the whole viewport through its own 0..1 projection, white,
// texture coordinates 0..u and 0..v (the part of the texture the picture fills); both
// matrices are restored.
void fullscreen_quad_draw(float u = 1, float v = 1);

// The final colour stage over the current framebuffer's width x height pixels: each
// channel through its 256-entry table. The method is chosen on first use: a GLSL
// program when its entry points exist and it compiles and links, else the pixel maps
// ("[POST] final colour stage: %s").
void post_stage_apply(const uint8_t* red, const uint8_t* green, const uint8_t* blue, int width, int height);
// Chooses the method and runs the stage once over one pixel with identity tables, so
// that the first frame that needs the stage does not wait for the shader to compile.
void post_stage_prepare();
enum post_stage_method { POST_UNCHOSEN, POST_GLSL, POST_PIXEL_MAP };
// The method in use; tests set POST_PIXEL_MAP (or POST_UNCHOSEN to choose again).
extern post_stage_method post_method;

// The frame dump shown (framedump_shown) through the packet decoder into the collected
// list, emptied first. The primitives decoded.
int engine_frame_intake();
// The collected quads and the dump's sprite layers by priority, the fade and the text
// layer into a width x height viewport of the 640 x 480 screen (with the HUD margins
// in force), cleared to the mixer's background colour; then the final colour stage
// with the mixer's colour table when it is in use.
void engine_frame_present(int width, int height);
