// Baking: a rectangle of texture-ROM texels turned into RGBA through one palette of
// the 3D palette, at the resolution the cache chose. No GL here.
#pragma once
#include <cstddef>
#include <cstdint>

// How one rectangle is baked: baked texel i of a row samples source u + i*num_u/den_u
// (nearest), likewise for rows; the allocation adds the gutter texels around it.
struct tex_bake_plan {
    int baked_w, baked_h;
    int alloc_w, alloc_h;
    int num_u, den_u, num_v, den_v;
};

// How the allocated size follows the baked size.
enum tex_alloc_rule {
    tex_alloc_gutter,       // atlas: one gutter texel right and below
    tex_alloc_pow2,         // the power of two from 8 up (at most the cap) at or above it
    tex_alloc_pow2_gutter,  // a gutter texel in each direction that is not a power of two
};

// Plans a width x height rectangle (both at least 1) under a resolution cap: whole
// source steps of ceil(size / cap), or with `pow2_sample` a resample to power-of-two
// sizes of at most 256 (and at most the cap).
tex_bake_plan tex_bake_plan_make(int width, int height, int cap, bool pow2_sample, tex_alloc_rule rule);

// 256 RGBA colours from palette (palette & 0x7F) of a 0x8000-entry RGB palette. With
// transparency mode 0, entry 0 and every black entry are fully transparent.
void tex_colour_table(const uint8_t* palette_rgb, int palette, uint32_t transparency, uint8_t out[256][4]);

// Writes the plan's alloc_w x alloc_h texels to `out` (rows `stride` bytes apart) for
// the rectangle at (u, v) of `bank` in texel format `format`; the gutter repeats the
// last baked column and row. Texels outside the ROM (or with no images loaded) take
// their format's base colour.
void tex_bake(const tex_bake_plan& plan, int u, int v, int bank, int format, const uint8_t colours[256][4],
              uint8_t* out, size_t stride);
