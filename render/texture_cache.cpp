#include "render/texture_cache.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "render/palette_source.h"
#include "render/stage_clock.h"
#include "render/texture_atlas.h"
#include "render/texture_bake.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

tex_entry tex_slots[TEX_SLOTS];
tex_counter_block tex_counters;
uint32_t tex_transparency_mode = 0;
int tex_resolution_tier = 256;
uint16_t tex_palette_changes[128];
double tex_ns_per_texel = 6.0;
tex_switch_block tex_switches;

namespace {

constexpr int POOL_BATCH = 512;
constexpr int RELEASED_MAX = 65536;
constexpr int SINGLE_MAX = 1025;  // largest single texture a side: a 1024 bake and its gutter
constexpr uint64_t DEFAULT_CAP_BYTES = 0x1C000000;
constexpr int SWEEP_STEPS_MAX = 0x20000;

struct released_texture {
    GLuint name;
    uint16_t w, h;
};

struct cache_state {
    bool switches_read;
    uint64_t bytes;
    int clock_hand;
    GLuint pool[POOL_BATCH];
    int pool_count;
    released_texture released[RELEASED_MAX];
    int released_count;
    bool caplog_tried;
    FILE* caplog;
};
cache_state cache;

uint8_t single_texels[size_t(SINGLE_MAX) * SINGLE_MAX * 4];

void switches_read() {
    tex_switch_block& s = tex_switches;
    s.fixed_cap = env_present("SKYVOLTA_TEX_FIXEDCAP");
    s.fifo = env_present("SKYVOLTA_TEX_FIFO");
    s.pow2_alloc = env_present("SKYVOLTA_TEX_POW2ALLOC");
    s.pow2_sample = env_present("SKYVOLTA_TEX_POW2SAMPLE");
    s.atlas = env_default_on("SKYVOLTA_TEXATLAS") && !s.pow2_alloc && !s.pow2_sample;
    s.orphan = !env_present("SKYVOLTA_TEXORPHAN") || env_int("SKYVOLTA_TEXORPHAN", 0) != 0;
    const char* budget = env_text("SKYVOLTA_TEXBUDGET");
    long mb = budget ? strtol(budget, nullptr, 10) : 0;
    s.cap_bytes = mb > 0 ? uint64_t(mb) << 20 : DEFAULT_CAP_BYTES;
    cache.switches_read = true;
}

uint16_t clamp16(int n) { return uint16_t(n < 0 ? 0 : n > 0xFFFF ? 0xFFFF : n); }

void caplog_open() {
    if (cache.caplog_tried) return;
    cache.caplog_tried = true;
    const char* path = env_text("ENG_TEX_CAPLOG");
    if (path && *path) cache.caplog = fopen(path, "w");
}

void caplog_line(const tex_key& k) {
    if (cache.caplog && k.cap != 256)
        fprintf(cache.caplog, "%d %d %d %d %d %d %d\n", k.u, k.v, k.w, k.h, k.bank, k.palette, k.cap);
}

tex_key key_make(const tex_request& req, int forced_cap) {
    int u = req.u, v = req.v, w = req.w < 1 ? 1 : req.w, h = req.h < 1 ? 1 : req.h;
    tex_rect_widen(&u, &w);
    tex_rect_widen(&v, &h);
    int cap = 256;
    if (!tex_switches.fixed_cap && (w > 256 || h > 256)) {
        cap = tex_resolution_tier > 512 ? 1024 : tex_resolution_tier <= 256 ? 256 : 512;
        caplog_open();
    }
    if (forced_cap) cap = forced_cap;
    // A page holds a bake of at most half its size, so that one always fits.
    if (tex_switches.atlas) {
        atlas_init();
        if (cap > atlas.dim / 2) cap = atlas.dim / 2;
    }
    tex_key k{};
    k.u = clamp16(u);
    k.v = clamp16(v);
    k.w = clamp16(w);
    k.h = clamp16(h);
    k.bank = uint8_t(req.bank);
    k.palette = uint8_t(req.palette);
    k.format = uint8_t(req.format & 15);
    k.transparency = tex_transparency_mode;
    k.cap = uint16_t(cap);
    k.palette_changes = tex_palette_changes[req.palette & 0x7F];
    return k;
}

bool key_equal(const tex_key& a, const tex_key& b) {
    return a.u == b.u && a.v == b.v && a.w == b.w && a.h == b.h && a.bank == b.bank && a.palette == b.palette &&
           a.format == b.format && a.transparency == b.transparency && a.cap == b.cap &&
           a.palette_changes == b.palette_changes;
}

void texture_release(GLuint name, int w, int h) {
    if (cache.released_count < RELEASED_MAX) {
        cache.released[cache.released_count++] = released_texture{name, uint16_t(w), uint16_t(h)};
    } else {
        glDeleteTextures(1, &name);
    }
}

void entry_evict(int slot) {
    tex_entry& e = tex_slots[slot];
    if (e.page < 0) texture_release(e.texture, e.alloc_w, e.alloc_h);
    cache.bytes -= e.bytes;
    e.state = tex_slot_deleted;
    tex_counters.evict++;
}

// Clock sweep with a second chance until the new entry fits under the cap.
void memory_cap_enforce(uint32_t incoming, int filling) {
    for (int steps = 0; cache.bytes + incoming > tex_switches.cap_bytes && steps < SWEEP_STEPS_MAX; ++steps) {
        int s = cache.clock_hand;
        cache.clock_hand = (s + 1) & (TEX_SLOTS - 1);
        tex_entry& e = tex_slots[s];
        if (s == filling || e.state != tex_slot_used) continue;
        if (e.referenced && !tex_switches.fifo) {
            e.referenced = false;
        } else {
            entry_evict(s);
        }
    }
}

// A GL texture of exactly w x h: the newest released one of that size, else a fresh name.
GLuint single_texture_take(int w, int h, bool* reused) {
    for (int i = cache.released_count - 1; i >= 0; --i) {
        if (cache.released[i].w != w || cache.released[i].h != h) continue;
        GLuint name = cache.released[i].name;
        memmove(&cache.released[i], &cache.released[i + 1],
                sizeof(released_texture) * size_t(cache.released_count - i - 1));
        cache.released_count--;
        *reused = true;
        return name;
    }
    if (cache.pool_count == 0) {
        glGenTextures(POOL_BATCH, cache.pool);
        cache.pool_count = POOL_BATCH;
    }
    *reused = false;
    return cache.pool[--cache.pool_count];
}

bool bake_single(tex_entry& e, const tex_bake_plan& plan, const tex_request& req, const uint8_t colours[256][4]) {
    if (plan.alloc_w > SINGLE_MAX || plan.alloc_h > SINGLE_MAX) return false;
    bool reused = false;
    GLuint name = single_texture_take(plan.alloc_w, plan.alloc_h, &reused);
    atlas_evict_notify(name);
    tex_bake(plan, e.key.u, e.key.v, req.bank, e.key.format, colours, single_texels, size_t(plan.alloc_w) * 4);
    driver_span_begin();
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (reused && !tex_switches.orphan) {
        tex_counters.sub++;
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, plan.alloc_w, plan.alloc_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        tex_counters.realloc++;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, plan.alloc_w, plan.alloc_h, GL_RGBA, GL_UNSIGNED_BYTE, single_texels);
    driver_span_end();
    e.texture = name;
    e.page = -1;
    e.page_x = e.page_y = 0;
    float su = float(e.key.w) * plan.den_u / (float(plan.alloc_w) * plan.num_u);
    float sv = float(e.key.h) * plan.den_v / (float(plan.alloc_h) * plan.num_v);
    e.coords = tex_coords{su, sv, 0.0f, 0.0f};
    return true;
}

bool bake_atlas(tex_entry& e, const tex_bake_plan& plan, const tex_request& req, const uint8_t colours[256][4]) {
    int page, x, y;
    if (!atlas_alloc(plan.alloc_w, plan.alloc_h, &page, &x, &y)) return false;
    atlas_page& p = atlas.pages[page];
    const int d = atlas.dim;
    if (p.shadow)
        tex_bake(plan, e.key.u, e.key.v, req.bank, e.key.format, colours, p.shadow + (size_t(y) * d + x) * 4,
                 size_t(d) * 4);
    atlas_dirty_add(page, x, y, plan.alloc_w, plan.alloc_h);
    e.texture = p.texture;
    e.page = int16_t(page);
    e.page_x = uint16_t(x);
    e.page_y = uint16_t(y);
    float su = float(e.key.w) * plan.den_u / (float(d) * plan.num_u);
    float sv = float(e.key.h) * plan.den_v / (float(d) * plan.num_v);
    e.coords = tex_coords{su, sv, float(x) / float(d), float(y) / float(d)};
    return true;
}

// Bakes the key into `slot` (empty or deleted); false leaves the slot as it was.
bool bake(int slot, const tex_key& key, const tex_request& req) {
    tex_alloc_rule rule = tex_switches.atlas        ? tex_alloc_gutter
                          : tex_switches.pow2_alloc ? tex_alloc_pow2
                                                    : tex_alloc_pow2_gutter;
    tex_bake_plan plan = tex_bake_plan_make(key.w, key.h, key.cap, tex_switches.pow2_sample, rule);
    uint32_t bytes = uint32_t(plan.alloc_w) * uint32_t(plan.alloc_h) * 4;
    memory_cap_enforce(bytes, slot);

    static uint8_t colours[256][4];
    tex_colour_table(palette_3d, key.palette, key.transparency, colours);

    tex_entry& e = tex_slots[slot];
    e.key = key;
    double start = monotonic_seconds();
    bool placed = tex_switches.atlas ? bake_atlas(e, plan, req, colours) : bake_single(e, plan, req, colours);
    if (!placed) return false;
    long texels = long(plan.alloc_w) * plan.alloc_h;
    if (texels >= 5000) {
        double ns = (monotonic_seconds() - start) * 1e9 / double(texels);
        tex_ns_per_texel += 0.1 * (ns - tex_ns_per_texel);
    }
    e.baked_w = uint16_t(plan.baked_w);
    e.baked_h = uint16_t(plan.baked_h);
    e.alloc_w = uint16_t(plan.alloc_w);
    e.alloc_h = uint16_t(plan.alloc_h);
    e.bytes = bytes;
    e.state = tex_slot_used;
    e.referenced = true;
    cache.bytes += bytes;
    tex_counters.texels_baked += double(texels);
    return true;
}

GLuint entry_result(const tex_entry& e, tex_coords* out) {
    if (out) *out = e.coords;
    return e.texture;
}

}  // namespace

void tex_rect_widen(int* origin, int* size) {
    if (*size < 16) {
        *origin = (*size + 2 * *origin) / 2 - 8;
        *size = 16;
    }
    if (*origin < 0) *origin = 0;
}

uint32_t tex_key_hash(const tex_key& k) {
    const uint32_t fields[] = {k.u, k.v, k.w, k.h, k.bank, k.palette, k.format, k.transparency, k.cap};
    uint32_t h = 2166136261u;
    for (uint32_t f : fields) h = (h ^ f) * 16777619u;
    return h;
}

GLuint tex_cache_lookup(const tex_request& req, int forced_cap, bool hit_only, tex_coords* out) {
    if (!cache.switches_read) switches_read();
    tex_key key = key_make(req, forced_cap);
    int home = int(tex_key_hash(key) & (TEX_SLOTS - 1));
    // Deleted slots do not end the probe: an entry behind one must still be found,
    // or it would be baked a second time.
    int free_slot = -1;
    for (int i = 0; i < TEX_PROBES; ++i) {
        int s = (home + i) & (TEX_SLOTS - 1);
        tex_entry& e = tex_slots[s];
        if (e.state == tex_slot_empty) {
            if (free_slot < 0) free_slot = s;
            break;
        }
        if (e.state == tex_slot_deleted) {
            if (free_slot < 0) free_slot = s;
            continue;
        }
        if (!key_equal(e.key, key)) continue;
        e.referenced = true;
        caplog_line(key);
        tex_counters.hit++;
        return entry_result(e, out);
    }
    if (hit_only) return 0;
    tex_counters.miss++;
    caplog_line(key);
    if (free_slot < 0) {
        entry_evict(home);
        free_slot = home;
    }
    if (!bake(free_slot, key, req)) return 0;
    return entry_result(tex_slots[free_slot], out);
}

void tex_cache_drop_page(int page) {
    for (int s = 0; s < TEX_SLOTS; ++s)
        if (tex_slots[s].state == tex_slot_used && tex_slots[s].page == page) entry_evict(s);
}

void tex_cache_reset() {
    atlas_release_all();
    for (tex_entry& e : tex_slots)
        if (e.state == tex_slot_used && e.page < 0) glDeleteTextures(1, &e.texture);
    if (cache.pool_count) glDeleteTextures(cache.pool_count, cache.pool);
    for (int i = 0; i < cache.released_count; ++i) glDeleteTextures(1, &cache.released[i].name);
    memset(tex_slots, 0, sizeof tex_slots);
    tex_counters = tex_counter_block{};
    cache.bytes = 0;
    cache.clock_hand = 0;
    cache.pool_count = 0;
    cache.released_count = 0;
    tex_ns_per_texel = 6.0;
    switches_read();
    if (!tex_switches.atlas) return;
    atlas_init();
    long dd = long(atlas.dim) * atlas.dim;
    int pages = dd > 0x2000000 ? 1 : int(0x2000000 / dd);
    const char* prealloc = env_text("ENG_ATLAS_PREALLOC");
    if (prealloc && *prealloc) pages = atoi(prealloc);
    atlas_prealloc(pages);
}

void tex_cache_first_page_open() {
    if (!cache.switches_read) switches_read();
    if (tex_switches.atlas) atlas_prealloc(1);
}

uint64_t tex_cache_bytes() { return cache.bytes; }

int tex_cache_entries() {
    int n = 0;
    for (const tex_entry& e : tex_slots) n += e.state == tex_slot_used;
    return n;
}

void palette_change_track(const uint8_t* planes, size_t plane_distance) {
    for (int p = 0; p < 128; ++p) {
        uint8_t* rgb = palette_3d + size_t(p) * 256 * 3;
        bool changed = false;
        for (int i = 0; i < 256; ++i) {
            size_t at = size_t(p) * 256 + size_t(i);
            for (int c = 0; c < 3; ++c) {
                uint8_t value = planes[at + size_t(c) * plane_distance];
                changed |= rgb[i * 3 + c] != value;
                rgb[i * 3 + c] = value;
            }
        }
        if (changed) tex_palette_changes[p]++;
    }
}
