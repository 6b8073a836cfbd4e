// One quad record into the batch: texture fetch, perspective-correct coordinates,
// brightness, clipping to the picture, and CZ fog in the main pass (texture unit 1) or
// in a second blended pass.
#include "render/quad_draw.h"

#include "base/env_switch.h"
#include "render/cz_fog.h"
#include "render/palette_source.h"
#include "render/quad_batch.h"
#include "render/stage_clock.h"
#include "render/texture_atlas.h"
#include "render/texture_cache.h"
#include "render/wide_margins.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

quad_draw_frame_stats quad_frame_stats;

namespace {

constexpr int BOARD_W = 640;
constexpr int BOARD_H = 480;
enum { VX, VY, VS, VT, VQ, VB };

struct run_state {
    bool callback_installed;
    GLint viewport[4];
};
run_state run;

bool clipbox_switch() {
    static const bool on = env_present("SKYVOLTA_TEX_CLIPBOX");
    return on;
}

bool degen_uv_legacy() {
    static const bool on = env_on("SKYVOLTA_DEGEN_UV_LEGACY");
    return on;
}

// The pixel range a quad may draw in, and its scissor rectangle.
struct draw_range {
    int x0, x1, y0, y1;
    bool widened;  // the whole wide-screen range
    bool scissor;
    int sx, sy, sw, sh;
    float k;  // window pixels per board pixel across
};

bool range_make(const quad_record* q, draw_range* r) {
    float left = float(hud_margin_left), right = float(hud_margin_right);
    r->widened = q->clip_x0 < 3 && q->clip_x1 > 636;
    if (r->widened) {
        r->x0 = hud_margin_left;
        r->x1 = hud_margin_right - 1;
    } else {
        r->x0 = q->clip_x0 > 0 ? q->clip_x0 : 0;
        r->x1 = q->clip_x1 < BOARD_W - 1 ? q->clip_x1 : BOARD_W - 1;
    }
    r->y0 = q->clip_y0 > 0 ? q->clip_y0 : 0;
    r->y1 = q->clip_y1 < BOARD_H - 1 ? q->clip_y1 : BOARD_H - 1;
    if (r->x0 > r->x1 || r->y0 > r->y1) return false;
    const GLint* vp = run.viewport;
    r->k = right > left ? float(vp[2]) / (right - left) : 1.0f;
    r->scissor = !(r->x0 == hud_margin_left && r->x1 == hud_margin_right - 1 && r->y0 == 0 && r->y1 == BOARD_H - 1);
    if (r->scissor) {
        int ox = int(lroundf((float(r->x0) - left) * r->k));
        int oy = int(lroundf(float(BOARD_H - 1 - r->y1) * float(vp[3]) / BOARD_H));
        r->sx = vp[0] + ox;
        r->sw = int(lroundf((float(r->x1 + 1) - left) * r->k)) - ox;
        r->sy = vp[1] + oy;
        r->sh = int(lroundf(float(BOARD_H - r->y0) * float(vp[3]) / BOARD_H)) - oy;
    }
    return true;
}

// Clips the polygon in place against the picture edges; returns what is left (0 below 3).
// A polygon wholly inside comes back as it was, without the four passes.
int clip_to_picture(float (*poly)[CLIP_FLOATS], int n, const draw_range& r) {
    float left = r.widened ? float(hud_margin_left) : 0.0f;
    float right = r.widened ? float(hud_margin_right) : float(BOARD_W);
    bool inside = true;
    for (int i = 0; i < n && inside; i++)
        inside = poly[i][VX] >= left && poly[i][VX] <= right && poly[i][VY] >= 0.0f && poly[i][VY] <= float(BOARD_H);
    if (inside) return n;
    const struct {
        int axis, side;
        float boundary;
    } edges[4] = {{0, 1, left}, {0, -1, right}, {1, 1, 0.0f}, {1, -1, float(BOARD_H)}};
    float other[CLIP_VERTICES_MAX][CLIP_FLOATS];
    for (const auto& e : edges) {
        n = poly_clip_edge(&poly[0][0], n, &other[0][0], e.axis, e.side, e.boundary);
        if (n < 3) return 0;
        memcpy(poly, other, sizeof(float) * CLIP_FLOATS * size_t(n));
    }
    return n;
}

// Larger and smaller of two floats that are never NaN (inline, unlike fmaxf and fminf).
float max_of(float a, float b) {
    return a > b ? a : b;
}

float min_of(float a, float b) {
    return a < b ? a : b;
}

// The larger on-screen side of the quad in window pixels (the texture resolution tier).
int screen_tier(const quad_record* q, int n, const draw_range& r) {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (int i = 0; i < n; i++) {
        float x = float(q->near[i].sx) / 16.0f, y = float(q->near[i].sy) / 16.0f;
        x0 = min_of(x0, x), x1 = max_of(x1, x), y0 = min_of(y0, y), y1 = max_of(y1, y);
    }
    x0 = max_of(x0, float(r.x0)), x1 = min_of(x1, float(r.x1 + 1));
    y0 = max_of(y0, float(r.y0)), y1 = min_of(y1, float(r.y1 + 1));
    float w = max_of(0.0f, x1 - x0) * r.k, h = max_of(0.0f, y1 - y0) * float(run.viewport[3]) / BOARD_H;
    return int(max_of(w, h));
}

// The constant colour of a quad with a nonzero fog_mode: a 3D palette entry.
void fog_mode_colour(const quad_record* q, float rgb[3]) {
    uint32_t p, e;
    if ((q->fog_mode & 6) == 0) {
        p = (q->colour >> 8) & 0x7F;
        e = (q->cz >> 16) & (((q->colour >> 8) & 0xFF) | 0x1F) & 0x7F;
    } else {
        p = (q->cz >> 8) & 0x7F;
        e = q->cz & 0xFF;
    }
    const uint8_t* c = palette_3d + (p * 256 + e) * 3;
    for (int i = 0; i < 3; i++) rgb[i] = float(c[i]) / 255.0f;
}

// The atlas page an untextured quad can join: the pending batch's, else the first.
GLuint white_texel_page() {
    GLuint pending = batch_pending_texture();
    for (int i = 0; i < atlas.open_pages; i++)
        if (pending && atlas.pages[i].texture == pending) return pending;
    return atlas.open_pages > 0 ? atlas.pages[0].texture : 0;
}

void colour_through(const quad_draw_context* ctx, float* rgb) {
    if (ctx->colour_callback) ctx->colour_callback(&rgb[0], &rgb[1], &rgb[2]);
}

int depth_of(float q) {
    return q > 0.0f ? int(1.0f / q) : 1;
}

void stats_fog(int visibility) {
    quad_draw_frame_stats& s = quad_frame_stats;
    if (visibility < s.fog_min) s.fog_min = visibility;
    if (visibility > s.fog_max) s.fog_max = visibility;
}

void stats_brightness(const quad_record* q, int n) {
    quad_draw_frame_stats& s = quad_frame_stats;
    for (int i = 0; i < n; i++) {
        int b = q->near[i].b;
        if (b < s.bri_min) s.bri_min = b;
        if (b > s.bri_max) s.bri_max = b;
    }
}

void positions_copy(float (*poly)[CLIP_FLOATS], int n, float z) {
    for (int i = 0; i < n; i++) {
        batch_poly.pos[i][0] = poly[i][VX];
        batch_poly.pos[i][1] = poly[i][VY];
        batch_poly.pos[i][2] = z;
    }
}

// The whole polygon untextured in one colour (solid fill and the override hook).
void flat_draw(const quad_record* q, const quad_draw_context* ctx, float (*poly)[CLIP_FLOATS], int n,
               const draw_range& r, const float rgb[3]) {
    bool depth = ctx->depth && ctx->depth_callback;
    positions_copy(poly, n, depth ? ctx->depth_callback(q) : 0.0f);
    for (int i = 0; i < n; i++) {
        memcpy(batch_poly.colour[i], rgb, 3 * sizeof(float));
        batch_poly.colour[i][3] = 1.0f;
        memset(batch_poly.tex[i], 0, sizeof batch_poly.tex[i]);
        batch_poly.tex[i][3] = 1.0f;
    }
    quad_draw_state s{};
    s.alpha_test = !ctx->alpha_marking;
    s.scissor = r.scissor, s.scissor_x = r.sx, s.scissor_y = r.sy, s.scissor_w = r.sw, s.scissor_h = r.sh;
    s.depth_test = depth;
    batch_state_set(n, s);
}

// The fog pass over a polygon the main pass left unfogged.
void fog_pass(const quad_draw_context* ctx, float (*poly)[CLIP_FLOATS], int n,
              const quad_fog_record& fog, const quad_draw_state& main) {
    bool any = false;
    for (int i = 0; i < n; i++) {
        int a;
        if (fog.table) {
            int32_t depth = depth_of(poly[i][VQ]);
            int index = depth < 0 ? 0 : depth > 0x1FFFFF ? FOG_TABLE_SIZE - 1 : depth >> 8;
            a = fog.table[index] + fog.offset;
        } else {
            a = fog.constant < 0 ? 0 : 255 - fog.constant;
        }
        a = a < 0 ? 0 : a > 255 ? 255 : a;
        any = any || a > 0;
        float rgb[3] = {fog.rgb[0] / 255.0f, fog.rgb[1] / 255.0f, fog.rgb[2] / 255.0f};
        colour_through(ctx, rgb);
        if (ctx->colour_scale)
            for (float& c : rgb) c *= poly[i][VB];
        memcpy(batch_poly.colour[i], rgb, sizeof rgb);
        batch_poly.colour[i][3] = float(a) / 255.0f;
        memset(batch_poly.tex[i], 0, sizeof batch_poly.tex[i]);
        batch_poly.tex[i][3] = 1.0f;
    }
    if (!any) return;
    quad_frame_stats.fogged++;
    for (int i = 0; i < n; i++) stats_fog(255 - int(lroundf(batch_poly.colour[i][3] * 255.0f)));
    positions_copy(poly, n, 0.0f);
    quad_draw_state s{};
    s.blend = true;
    s.prio = ctx->alpha_marking != 0;
    s.scissor = main.scissor, s.scissor_x = main.scissor_x, s.scissor_y = main.scissor_y;
    s.scissor_w = main.scissor_w, s.scissor_h = main.scissor_h;
    batch_state_set(n, s);
}

}  // namespace

void quad_frame_stats_reset() {
    quad_frame_stats = quad_draw_frame_stats{0, 255, 0, 0x7FFFFFFF, -0x7FFFFFFF};
}

int poly_clip_edge(const float* in, int count, float* out, int axis, int keep_side, float boundary) {
    auto inside = [&](const float* v) { return keep_side > 0 ? v[axis] >= boundary : v[axis] <= boundary; };
    int m = 0;
    for (int k = 0; k < count && m < CLIP_VERTICES_MAX; k++) {
        const float* a = in + CLIP_FLOATS * k;
        const float* b = in + CLIP_FLOATS * ((k + 1) % count);
        bool ia = inside(a), ib = inside(b);
        if (ia) memcpy(out + CLIP_FLOATS * m++, a, sizeof(float) * CLIP_FLOATS);
        if (ia == ib || m >= CLIP_VERTICES_MAX) continue;
        float t = (boundary - a[axis]) / (b[axis] - a[axis]);
        float* o = out + CLIP_FLOATS * m++;
        for (int i = 0; i < CLIP_FLOATS; i++) o[i] = a[i] + t * (b[i] - a[i]);
        o[axis] = boundary;
    }
    return m;
}

int fog_factor(const quad_fog_record* fog, int32_t depth) {
    if (!fog->table) return fog->constant < 0 ? 255 : fog->constant;
    return fog_density_lookup(fog->table, fog->offset, depth);
}

void quad_draw_begin() {
    if (!run.callback_installed) {
        atlas_evict_callback_set(batch_evict_callback);
        run.callback_installed = true;
    }
    fog_method_decide();
    glGetIntegerv(GL_VIEWPORT, run.viewport);
    batch_arrays_bind();
    engine_frame_counter++;
}

void quad_draw(const quad_record* q, const quad_draw_context* ctx) {
    int n = q->near_count < 10 ? q->near_count : 10;
    if (n < 3) return;
    draw_range r{};
    if (!range_make(q, &r)) return;

    // Screen position, homogeneous depth and brightness of each vertex; s and t follow
    // once the texture is known.
    float poly[CLIP_VERTICES_MAX][CLIP_FLOATS];
    for (int i = 0; i < n; i++) {
        const quad_vertex& v = q->near[i];
        float qv = v.z > 0 ? 1.0f / float(v.z) : 1.0f;
        float bri = ctx->lit ? max_of(0.0f, float(v.b16) / 65536.0f / 64.0f) : 1.0f;
        poly[i][VX] = float(v.sx) / 16.0f;
        poly[i][VY] = float(v.sy) / 16.0f;
        poly[i][VS] = 0, poly[i][VT] = 0;
        poly[i][VQ] = qv;
        poly[i][VB] = bri;
    }

    float flat[3] = {1.0f, 1.0f, 1.0f};
    if (ctx->solid_fill || (ctx->override_hook && ctx->override_hook(q, flat))) {
        int m = clip_to_picture(poly, n, r);
        if (m >= 3) flat_draw(q, ctx, poly, m, r, flat);
        return;
    }

    quad_draw_state s{};
    s.alpha_test = !ctx->alpha_marking;
    s.scissor = r.scissor, s.scissor_x = r.sx, s.scissor_y = r.sy, s.scissor_w = r.sw, s.scissor_h = r.sh;
    float constant[3] = {0, 0, 0};
    float u_off = 0, v_off = 0;
    bool white_texel = false;
    if (q->fog_mode != 0) {
        fog_mode_colour(q, constant);
        GLuint page = tex_switches.atlas && !ctx->colour_scale ? white_texel_page() : 0;
        if (page) {
            white_texel = true;
            s.texture = page, s.textured = true, s.rgb_scale = 4;
            float centre = 0.5f / float(atlas.dim);
            for (int i = 0; i < n; i++) poly[i][VS] = poly[i][VT] = centre * poly[i][VQ];
        }
    } else {
        int u0 = q->u_min, v0 = q->v_min;
        int w = q->u_max - q->u_min + 1, h = q->v_max - q->v_min + 1;
        if (clipbox_switch()) {
            int u1 = q->near[0].u, v1 = q->near[0].v;
            u0 = u1, v0 = v1;
            for (int i = 1; i < n; i++) {
                u0 = q->near[i].u < u0 ? q->near[i].u : u0, u1 = q->near[i].u > u1 ? q->near[i].u : u1;
                v0 = q->near[i].v < v0 ? q->near[i].v : v0, v1 = q->near[i].v > v1 ? q->near[i].v : v1;
            }
            w = u1 - u0 + 1, h = v1 - v0 + 1;
        }
        w = w < 1 ? 1 : w, h = h < 1 ? 1 : h;
        tex_resolution_tier = screen_tier(q, n, r);
        long misses = tex_counters.miss;
        float u_scale = 0, v_scale = 0;
        GLuint texture = texture_fetch(u0, v0, w, h, int(q->tex_bank), int((q->colour >> 8) & 0x7F),
                                       int(q->tex_format), &u_scale, &v_scale, &u_off, &v_off);
        tex_resolution_tier = 256;
        if (tex_counters.miss != misses) batch_texture_binding_lost();
        if (!texture) return;  // no GL texture could be had: nothing sensible to draw
        s.texture = texture, s.textured = true, s.rgb_scale = 4;
        // The coordinates follow the rectangle the cache baked.
        float hs = ctx->half_texel ? 0.5f : 0.0f, ht = hs;
        if (!degen_uv_legacy()) {
            int wide_w = w, wide_h = h;
            tex_rect_widen(&u0, &wide_w);
            tex_rect_widen(&v0, &wide_h);
            if (w < 2) hs = 0.5f;
            if (h < 2) ht = 0.5f;
            w = wide_w, h = wide_h;
        }
        for (int i = 0; i < n; i++) {
            const quad_vertex& v = q->near[i];
            float su = (float(v.u16) / 65536.0f - float(u0) + hs) / float(w) * u_scale;
            float tv = (float(v.v16) / 65536.0f - float(v0) + ht) / float(h) * v_scale;
            poly[i][VS] = su * poly[i][VQ];
            poly[i][VT] = tv * poly[i][VQ];
        }
    }

    n = clip_to_picture(poly, n, r);
    if (n < 3) return;
    stats_brightness(q, q->near_count < 10 ? q->near_count : 10);

    for (int i = 0; i < n; i++) {
        float qv = poly[i][VQ];
        float* c = batch_poly.colour[i];
        if (q->fog_mode == 0) {
            c[0] = c[1] = c[2] = poly[i][VB] * 0.25f;
        } else {
            float b = (q->fog_mode & 6) == 0 ? poly[i][VB] : 1.0f;
            for (int k = 0; k < 3; k++) c[k] = constant[k] * b;
        }
        colour_through(ctx, c);
        if (white_texel)
            for (int k = 0; k < 3; k++) c[k] *= 0.25f;
        c[3] = ctx->alpha_marking ? ((q->tex_format & 7) == 1 ? 1.0f : 0.0f) : 1.0f;
        batch_poly.tex[i][0] = poly[i][VS] + u_off * qv;
        batch_poly.tex[i][1] = poly[i][VT] + v_off * qv;
        batch_poly.tex[i][2] = 0;
        batch_poly.tex[i][3] = qv;
    }
    positions_copy(poly, n, 0.0f);

    bool fog_wanted = ctx->fog && ctx->fog_callback && !(q->cz & 0x800000);
    quad_fog_record fog;
    bool fog_asked = false, fogged = false;
    auto ask = [&]() {
        if (!fog_asked) {
            memset(&fog, 0, sizeof fog);
            fog.constant = -1;
            fogged = ctx->fog_callback(q, &fog) != 0;
            fog_asked = true;
        }
        return fogged;
    };
    if (fog_wanted && quad_fog_two_unit() && !ctx->alpha_marking && (q->fog_mode == 0 || white_texel) && ask()) {
        int factor[CLIP_VERTICES_MAX];
        bool any = false;
        for (int i = 0; i < n; i++) {
            factor[i] = fog_factor(&fog, depth_of(poly[i][VQ]));
            any = any || factor[i] < 255;
        }
        if (any) {
            quad_frame_stats.fogged++;
            s.fog_unit = ctx->colour_scale ? 1 : 2;
            s.fog_rgb[0] = fog.rgb[0] / 255.0f, s.fog_rgb[1] = fog.rgb[1] / 255.0f, s.fog_rgb[2] = fog.rgb[2] / 255.0f;
            colour_through(ctx, s.fog_rgb);
            for (int i = 0; i < n; i++) {
                batch_poly.colour[i][3] = float(factor[i]) / 255.0f;
                if (q->fog_mode == 0) stats_fog(factor[i]);
            }
        }
    }
    if (!s.textured) s.rgb_scale = 0;
    batch_state_set(n, s);
    if (s.fog_unit == 0 && fog_wanted && ask()) fog_pass(ctx, poly, n, fog, s);
}

void quad_draw_end() {
    driver_span_begin();
    batch_arrays_release();
    tex_env_reset();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    driver_span_end();
}
