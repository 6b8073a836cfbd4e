#include "render/wide_margins.h"

#include "base/env_switch.h"
#include "render/quad_draw.h"

#include <cmath>
#include <cstdlib>
#include <utility>

int hud_margin_left = 0;
int hud_margin_right = 640;

namespace {

bool backdrop_copies_on() {
    static const bool on = env_default_on("ENG_WIDE_BACKDROP");
    return on;
}

// The two vertices of one side of the backdrop, top first.
struct side_pair {
    quad_vertex top, bottom;
};

// Draws a copy of a side with its outer vertices moved to x (1/16 pixel).
void side_copy_draw(const quad_record* q, const quad_draw_context* ctx, const side_pair& side, int32_t x) {
    quad_record copy = *q;
    quad_vertex outer_top = side.top, outer_bottom = side.bottom;
    outer_top.sx = outer_bottom.sx = x;
    copy.near[0] = side.top;
    copy.near[1] = side.bottom;
    copy.near[2] = outer_bottom;
    copy.near[3] = outer_top;
    copy.near_count = 4;
    quad_draw(&copy, ctx);
}

}  // namespace

void quad_draw_wide(const quad_record* q, const quad_draw_context* ctx) {
    quad_draw(q, ctx);
    if (!ctx->margin_copy || !(float(hud_margin_left) < -0.5f) || !backdrop_copies_on() || q->near_count != 4 ||
        q->clip_x0 > 2 || q->clip_x1 < 637)
        return;
    const quad_vertex* v = q->near;
    int32_t x0 = v[0].sx, x1 = v[0].sx, y0 = v[0].sy, y1 = v[0].sy;
    for (int i = 0; i < 4; i++) {
        if (v[i].z <= 0 || v[i].z != v[0].z) return;  // not flat and facing the viewer
        x0 = v[i].sx < x0 ? v[i].sx : x0, x1 = v[i].sx > x1 ? v[i].sx : x1;
        y0 = v[i].sy < y0 ? v[i].sy : y0, y1 = v[i].sy > y1 ? v[i].sy : y1;
    }
    if (x0 < -128 || x0 > 64 || x1 < 10160 || x1 > 10368 || y0 > 64 || y1 < 7616) return;
    side_pair sides[2];
    int counts[2] = {0, 0};
    for (int i = 0; i < 4; i++) {
        int side = std::abs(v[i].sx - x0) <= 16 ? 0 : std::abs(v[i].sx - x1) <= 16 ? 1 : -1;
        if (side < 0 || counts[side] == 2) return;
        (counts[side]++ == 0 ? sides[side].top : sides[side].bottom) = v[i];
    }
    if (counts[0] != 2 || counts[1] != 2) return;
    for (side_pair& s : sides)
        if (s.top.sy > s.bottom.sy) std::swap(s.top, s.bottom);
    if (std::abs(sides[0].top.sy - sides[1].top.sy) > 16 || std::abs(sides[0].bottom.sy - sides[1].bottom.sy) > 16)
        return;
    side_copy_draw(q, ctx, sides[0], int32_t(std::floor(float(hud_margin_left))) * 16);
    side_copy_draw(q, ctx, sides[1], int32_t(std::ceil(float(hud_margin_right))) * 16);
}
