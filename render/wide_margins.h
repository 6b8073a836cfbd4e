// The wide-screen margins: the screen's left and right edges in 640-wide board units,
// and the quad entry that can stretch a full-screen backdrop across them.
#pragma once
#include "render/quad_geometry.h"

extern int hud_margin_left;   // 0 on a 4:3 picture, negative on a wide one
extern int hud_margin_right;  // 640 on a 4:3 picture

struct quad_draw_context;

// quad_draw, then, when the context's margin_copy flag asks for it on a wide screen
// (and ENG_WIDE_BACKDROP does not begin with '0'), two copies of a flat quad covering
// the whole 640 x 480 picture that stretch its outermost texel columns into the margins.
void quad_draw_wide(const quad_record* quad, const quad_draw_context* ctx);
