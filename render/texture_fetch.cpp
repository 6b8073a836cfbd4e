// The per-quad fetch: a per-frame budget of baked texels keeps a frame from stalling on
// new textures. Over budget, a large texture shows another resolution tier's bake, or
// a 32-texel version, and its real bake waits for a later frame.
#include "base/env_switch.h"
#include "render/quad_geometry.h"
#include "render/texture_cache.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int DEFERRED_MAX = 8192;

struct deferred_bake {
    tex_request req;
    int tier;
    uint32_t transparency;
};

struct budget_state {
    bool read;
    long per_frame, deferred;  // texels; no budget when per_frame is 0
    bool frame_seen;
    uint32_t frame;
    double frame_texels;
    deferred_bake queue[DEFERRED_MAX];
    int queued;
    bool log_tried;
    FILE* log;
    bool sticky, fallback;  // ENG_TEX_TIERSTICKY, ENG_TEX_TIERFALLBACK
};
budget_state budget;

void budget_read() {
    budget.read = true;
    budget.sticky = env_default_on("ENG_TEX_TIERSTICKY");
    budget.fallback = env_default_on("ENG_TEX_TIERFALLBACK");
    const char* text = env_text("ENG_TEX_BUDGET");
    long first = 0, second = 0;
    int n = text ? sscanf(text, "%ld:%ld", &first, &second) : 0;
    if (n < 1 || first <= 0) return;
    budget.per_frame = first;
    budget.deferred = n == 2 ? second : first;
}

// The budget shrinks when bakes run slower than 6 ns a texel.
double allowance(long texels) {
    double f = 6.0 / tex_ns_per_texel;
    f = f < 0.05 ? 0.05 : f > 1.0 ? 1.0 : f;
    return double(texels) * f;
}

bool is_large(const tex_request& r) { return r.w > 256 || r.h > 256; }

// Lookup that counts what it bakes into this frame's texels.
GLuint bake_counted(const tex_request& req, int forced_cap, tex_coords* out) {
    double before = tex_counters.texels_baked;
    GLuint t = tex_cache_lookup(req, forced_cap, false, out);
    budget.frame_texels += tex_counters.texels_baked - before;
    return t;
}

void defer(const tex_request& req) {
    if (budget.queued < DEFERRED_MAX)
        budget.queue[budget.queued++] = deferred_bake{req, tex_resolution_tier, tex_transparency_mode};
}

// At the first fetch of a rendered frame: log the last frame, then bake waiting
// requests, newest first, within the deferred allowance.
void frame_start() {
    if (budget.frame_seen && budget.frame == engine_frame_counter) return;
    if (!budget.log_tried) {
        budget.log_tried = true;
        const char* path = env_text("ENG_TEX_BUDGETLOG");
        if (path && *path) budget.log = fopen(path, "w");
    }
    if (budget.log && budget.frame_seen && budget.frame_texels > 0) {
        fprintf(budget.log, "texbudget f%u baked %.0f texels, %.2f ns/texel\n", budget.frame, budget.frame_texels,
                tex_ns_per_texel);
        fflush(budget.log);
    }
    budget.frame_seen = true;
    budget.frame = engine_frame_counter;
    budget.frame_texels = 0;
    double limit = allowance(budget.deferred), used = 0;
    int tier = tex_resolution_tier;
    uint32_t mode = tex_transparency_mode;
    while (budget.queued > 0 && used < limit) {
        const deferred_bake& d = budget.queue[--budget.queued];
        tex_resolution_tier = d.tier;
        tex_transparency_mode = d.transparency;
        double before = tex_counters.texels_baked;
        tex_cache_lookup(d.req, 0, false, nullptr);
        used += tex_counters.texels_baked - before;
    }
    // The deferred bakes had their own allowance; the frame's budget starts untouched.
    tex_resolution_tier = tier;
    tex_transparency_mode = mode;
}

GLuint fetch(const tex_request& req, tex_coords* out) {
    if (!budget.read) budget_read();
    bool large = is_large(req);
    if (large && budget.sticky && tex_resolution_tier <= 512) {
        if (GLuint t = tex_cache_lookup(req, 1024, true, out)) return t;
        if (tex_resolution_tier <= 256)
            if (GLuint t = tex_cache_lookup(req, 512, true, out)) return t;
    }
    if (budget.per_frame <= 0) return tex_cache_lookup(req, 0, false, out);

    frame_start();
    if (GLuint t = tex_cache_lookup(req, 0, true, out)) return t;
    if (budget.frame_texels < allowance(budget.per_frame) || (req.w <= 32 && req.h <= 32))
        return bake_counted(req, 0, out);
    if (large && budget.fallback) {
        static const int tiers[] = {1024, 512, 256};
        for (int cap : tiers) {
            if (GLuint t = tex_cache_lookup(req, cap, true, out)) {
                defer(req);
                return t;
            }
        }
    }
    if (GLuint t = tex_cache_lookup(req, 32, true, out)) return t;
    GLuint t = bake_counted(req, 32, out);
    defer(req);
    return t;
}

}  // namespace

void tex_budget_set(long per_frame, long deferred) {
    if (!budget.read) budget_read();
    budget.per_frame = per_frame > 0 ? per_frame : 0;
    budget.deferred = deferred > 0 ? deferred : 0;
}

GLuint texture_fetch(int u, int v, int w, int h, int bank, int palette, int format, float* u_scale,
                     float* v_scale, float* u_offset, float* v_offset) {
    tex_coords c{};
    GLuint t = fetch(tex_request{u, v, w, h, bank, palette, format}, &c);
    if (u_scale) *u_scale = c.scale_u;
    if (v_scale) *v_scale = c.scale_v;
    if (u_offset) *u_offset = c.offset_u;
    if (v_offset) *v_offset = c.offset_v;
    return t;
}
