// The texture cache: every texture rectangle a quad uses is baked from the texture ROM
// into RGBA once (on an atlas page, or into a GL texture of its own when atlas mode is
// off) and reused while the same rectangle, bank, palette, format, transparency mode,
// resolution cap and palette change count come back.
#pragma once
#include <SDL_opengl.h>
#include <cstddef>
#include <cstdint>

constexpr int TEX_SLOTS = 65536;
constexpr int TEX_PROBES = 32;

// What a quad asks for: a rectangle of texture space and how to colour it.
struct tex_request {
    int u, v, w, h;
    int bank, palette, format;
};

// Maps a texel coordinate t of the quad to (t - origin) / size * scale + offset.
struct tex_coords {
    float scale_u, scale_v, offset_u, offset_v;
};

struct tex_key {
    uint16_t u, v, w, h;
    uint8_t bank, palette, format;
    uint32_t transparency;
    uint16_t cap;
    uint16_t palette_changes;
};

enum tex_slot_state : uint8_t { tex_slot_empty, tex_slot_used, tex_slot_deleted };

struct tex_entry {
    tex_key key;
    GLuint texture;  // its own texture, or its atlas page's
    uint16_t baked_w, baked_h, alloc_w, alloc_h;
    int16_t page;  // -1 outside atlas mode
    uint16_t page_x, page_y;
    tex_coords coords;
    uint32_t bytes;
    tex_slot_state state;  // a deleted slot keeps later entries of its probe chain reachable
    bool referenced;
};
extern tex_entry tex_slots[TEX_SLOTS];

// Counters of the painter's statistics (it prints and clears hit, miss and evict per frame).
struct tex_counter_block {
    long hit, miss, evict;
    double texels_baked;  // allocated texels of every bake
    long realloc, sub;    // single textures: storage (re)defined, or only texels replaced
};
extern tex_counter_block tex_counters;

// The transparency mode: 0 makes entry 0 and black transparent; the frame driver sets 1.
extern uint32_t tex_transparency_mode;
// The quad's on-screen size in pixels; the quad drawer sets it around each fetch.
extern int tex_resolution_tier;
// One change count per 3D palette, part of the key.
extern uint16_t tex_palette_changes[128];
// Running estimate of the bake cost, for the per-frame budget.
extern double tex_ns_per_texel;

// The SKYVOLTA_TEX* switches, read at the first lookup and again by a reset.
struct tex_switch_block {
    bool atlas;        // SKYVOLTA_TEXATLAS not "0" and no power-of-two mode
    bool fixed_cap;    // SKYVOLTA_TEX_FIXEDCAP
    bool fifo;         // SKYVOLTA_TEX_FIFO
    bool pow2_alloc;   // SKYVOLTA_TEX_POW2ALLOC
    bool pow2_sample;  // SKYVOLTA_TEX_POW2SAMPLE
    bool orphan;       // SKYVOLTA_TEXORPHAN not 0
    uint64_t cap_bytes;  // SKYVOLTA_TEXBUDGET megabytes, 448 by default
};
extern tex_switch_block tex_switches;

// A side below 16 texels becomes 16 about its centre, never starting below 0 (the
// rectangle every bake and its texture coordinates use).
void tex_rect_widen(int* origin, int* size);

// The FNV-1a hash of a key's fields (without the palette change count).
uint32_t tex_key_hash(const tex_key& key);

// One lookup: the GL texture holding the request (0 when none could be had) and its
// coordinates. `forced_cap` replaces the resolution cap when nonzero; with `hit_only`
// a miss returns 0 without baking.
GLuint tex_cache_lookup(const tex_request& req, int forced_cap, bool hit_only, tex_coords* out);

// The per-quad fetch with the per-frame bake budget and its fall-backs (any output
// pointer may be null).
GLuint texture_fetch(int u, int v, int w, int h, int bank, int palette, int format, float* u_scale,
                     float* v_scale, float* u_offset, float* v_offset);

// Sets the per-frame bake budget and the deferred-bake budget in texels (0: no budget).
void tex_budget_set(long per_frame, long deferred);

// Drops every entry living on an atlas page (the page is being emptied).
void tex_cache_drop_page(int page);

// Deletes every page and texture, empties the table and counters and reads the switches
// again; in atlas mode then opens ENG_ATLAS_PREALLOC pages (32 MB worth by default).
void tex_cache_reset();

// In atlas mode, opens the first atlas page now: the program calls it at start-up, since
// making a page (a 4096 x 4096 texture and its shadow) in the middle of a frame stalls
// that frame. Needs the GL context.
void tex_cache_first_page_open();

// Bytes of all cached entries, and how many entries are cached.
uint64_t tex_cache_bytes();
int tex_cache_entries();

// Copies every palette of an image held in three colour planes `plane_distance` bytes
// apart that differs from the 3D palette into it, counting a change for it.
void palette_change_track(const uint8_t* planes, size_t plane_distance);
