#include "render/texture_bake.h"

#include "render/graphics_rom.h"

#include <cstring>

namespace {

constexpr int BAKE_MAX = 1024;          // no cap exceeds this many texels a side

int pow2_at_least(int n, int cap) {
    int p = 8;
    while (p < n && p < cap) p *= 2;
    return p;
}

int alloc_size(int baked, int cap, tex_alloc_rule rule) {
    switch (rule) {
    case tex_alloc_gutter:
        return baked + 1;
    case tex_alloc_pow2:
        return pow2_at_least(baked, cap);
    case tex_alloc_pow2_gutter:
        return baked < pow2_at_least(baked, cap) ? baked + 1 : baked;
    }
    return baked + 1;
}

}  // namespace

tex_bake_plan tex_bake_plan_make(int width, int height, int cap, bool pow2_sample, tex_alloc_rule rule) {
    tex_bake_plan p{};
    if (pow2_sample) {
        float s = 1.0f;
        if (width > 256) s = 256.0f / float(width);
        if (height > 256 && 256.0f / float(height) < s) s = 256.0f / float(height);
        auto resampled = [&](int size) {
            int n = int(float(size) * s + 0.5f);
            n = n < 8 ? 8 : n > 256 ? 256 : n;
            return pow2_at_least(n, cap);
        };
        p.baked_w = resampled(width);
        p.baked_h = resampled(height);
        p.num_u = width;
        p.den_u = p.baked_w;
        p.num_v = height;
        p.den_v = p.baked_h;
    } else {
        int step_u = (width + cap - 1) / cap, step_v = (height + cap - 1) / cap;
        if (step_u < 1) step_u = 1;
        if (step_v < 1) step_v = 1;
        p.baked_w = (width + step_u - 1) / step_u;
        p.baked_h = (height + step_v - 1) / step_v;
        p.num_u = step_u;
        p.num_v = step_v;
        p.den_u = p.den_v = 1;
    }
    p.alloc_w = alloc_size(p.baked_w, cap, rule);
    p.alloc_h = alloc_size(p.baked_h, cap, rule);
    return p;
}

void tex_colour_table(const uint8_t* palette_rgb, int palette, uint32_t transparency, uint8_t out[256][4]) {
    const uint8_t* rgb = palette_rgb + size_t(palette & 0x7F) * 256 * 3;
    for (int i = 0; i < 256; ++i, rgb += 3) {
        bool clear = transparency == 0 && (i == 0 || (rgb[0] | rgb[1] | rgb[2]) == 0);
        out[i][0] = clear ? 0 : rgb[0];
        out[i][1] = clear ? 0 : rgb[1];
        out[i][2] = clear ? 0 : rgb[2];
        out[i][3] = clear ? 0 : 255;
    }
}

void tex_bake(const tex_bake_plan& plan, int u, int v, int bank, int format, const uint8_t colours[256][4],
              uint8_t* out, size_t stride) {
    // The colour of every possible ROM byte in this format, and of a texel without one.
    uint32_t of_byte[256], none;
    for (int b = 0; b < 256; ++b) memcpy(&of_byte[b], colours[texel_colour_index(uint32_t(format), b)], 4);
    memcpy(&none, colours[texel_colour_index(uint32_t(format), -1)], 4);

    // Source columns wrap within the 4096-texel bank, as the 12-bit texel address does.
    static uint16_t src_u[BAKE_MAX];
    int bw = plan.baked_w < BAKE_MAX ? plan.baked_w : BAKE_MAX;
    int bh = plan.baked_h < BAKE_MAX ? plan.baked_h : BAKE_MAX;
    for (int i = 0; i < bw; ++i) src_u[i] = uint16_t((u + int64_t(i) * plan.num_u / plan.den_u) & 0xFFF);
    uint32_t bank_entries = uint32_t(bank & 15) << 16;

    for (int j = 0; j < bh; ++j) {
        uint32_t sv = uint32_t(v + int64_t(j) * plan.num_v / plan.den_v) & 0xFFF;
        uint32_t row_entries = bank_entries | (sv >> 4) << 8;
        uint8_t* dst = out + size_t(j) * stride;
        uint32_t last_col = ~0u;
        texel_tile tile{};
        uint32_t r = sv & 15;
        for (int i = 0; i < bw; ++i) {
            uint32_t col = src_u[i] >> 4;
            if (col != last_col) {
                tile = texel_tile_at(row_entries | col);
                last_col = col;
            }
            uint32_t colour = none;
            if (tile.bytes) colour = of_byte[tile.bytes[texel_tile_offset(tile, r, src_u[i] & 15)]];
            memcpy(dst + size_t(i) * 4, &colour, 4);
        }
        for (int i = bw; i < plan.alloc_w; ++i) memcpy(dst + size_t(i) * 4, dst + size_t(bw - 1) * 4, 4);
    }
    const uint8_t* last_row = out + size_t(bh - 1) * stride;
    for (int j = bh; j < plan.alloc_h; ++j) memcpy(out + size_t(j) * stride, last_row, size_t(plan.alloc_w) * 4);
}
