// Internals shared by the quad drawer and its batch: the texture environment of the
// two fog methods and the GL state cache.
#pragma once
#include "render/quad_draw.h"

// Decides the fog method once: texture unit 1 with a white texture when glActiveTexture
// exists and ENG_FOG2PASS is not "1", else the second pass.
void fog_method_decide();

// Texture environment of unit 0 (and unit 1 with the two-unit method) for a fog-unit
// mode, its fog colour and the RGB scale (0: plain GL_MODULATE).
void tex_env_apply(int fog_unit, const float fog_rgb[3], int rgb_scale);
// Unit 1 off, unit 0 back to plain GL_MODULATE with scale 1.
void tex_env_reset();

// Forgets what GL was last told (the next polygon sets every part again).
void batch_state_forget();
// The texture of the pending batch's state (0 when untextured or none).
GLuint batch_pending_texture();
// A bake or a new atlas page may have bound another texture on unit 0.
void batch_texture_binding_lost();
// Flushes and disables the three client arrays.
void batch_arrays_release();

// Reads ENG_NOBATCH and ENG_FOG2PASS again at their next use (tests switch them).
void quad_draw_switches_reset();
