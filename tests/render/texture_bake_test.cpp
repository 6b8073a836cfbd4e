#include "render/texture_bake.h"

#include "tests/render/texture_test_rom.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

TEST(TexBakePlan, ResolutionStepsAndAllocation) {
    struct plan_case {
        int w, h, cap;
        bool pow2_sample;
        tex_alloc_rule rule;
        int baked_w, baked_h, alloc_w, alloc_h;
    };
    const plan_case cases[] = {
        {600, 100, 256, false, tex_alloc_gutter, 200, 100, 201, 101},  // steps 3 and 1
        {16, 16, 256, false, tex_alloc_gutter, 16, 16, 17, 17},
        {1024, 300, 512, false, tex_alloc_gutter, 512, 300, 513, 301},
        {601, 257, 256, false, tex_alloc_gutter, 201, 129, 202, 130},   // ceil on both sides
        {600, 100, 32, false, tex_alloc_gutter, 32, 25, 33, 26},        // the 32-texel fall-back
        {17, 16, 256, false, tex_alloc_pow2, 17, 16, 32, 16},
        {17, 16, 256, false, tex_alloc_pow2_gutter, 17, 16, 18, 16},
        {600, 100, 256, true, tex_alloc_pow2_gutter, 256, 64, 256, 64},  // 256/600 scale, 43 -> 64
        {20, 20, 256, true, tex_alloc_pow2, 32, 32, 32, 32},
    };
    for (const plan_case& c : cases) {
        tex_bake_plan p = tex_bake_plan_make(c.w, c.h, c.cap, c.pow2_sample, c.rule);
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " cap " << c.cap);
        EXPECT_EQ(p.baked_w, c.baked_w);
        EXPECT_EQ(p.baked_h, c.baked_h);
        EXPECT_EQ(p.alloc_w, c.alloc_w);
        EXPECT_EQ(p.alloc_h, c.alloc_h);
    }
}

TEST(TexColourTable, ModeZeroClearsEntryZeroAndBlackOnly) {
    texture_test_palette_fill();
    uint8_t clear[256][4], opaque[256][4];
    tex_colour_table(palette_3d, 0x85, 0, clear);  // palette 0x85 is palette 5
    tex_colour_table(palette_3d, 5, 1, opaque);
    const uint8_t none[4] = {0, 0, 0, 0}, black[4] = {0, 0, 0, 255}, zero[4] = {0, 255, 10, 255};
    EXPECT_EQ(memcmp(clear[0], none, 4), 0);
    EXPECT_EQ(memcmp(clear[7], none, 4), 0);
    EXPECT_EQ(memcmp(opaque[0], zero, 4), 0);
    EXPECT_EQ(memcmp(opaque[7], black, 4), 0);
    const uint8_t entry9[4] = {9, 246, 10, 255};
    EXPECT_EQ(memcmp(clear[9], entry9, 4), 0);
    EXPECT_EQ(memcmp(opaque[9], entry9, 4), 0);
}

class TexBake : public testing::Test {
protected:
    static void SetUpTestSuite() {
        texture_test_rom_fill();
        texture_test_palette_fill();
    }
    // Bakes and compares every texel, gutter included, with the reference rule.
    static void expect_bake(int u, int v, int w, int h, int bank, int format, int cap) {
        tex_bake_plan plan = tex_bake_plan_make(w, h, cap, false, tex_alloc_gutter);
        uint8_t colours[256][4];
        tex_colour_table(palette_3d, 3, 1, colours);
        size_t stride = size_t(plan.alloc_w) * 4 + 12;  // rows further apart than the texture
        std::vector<uint8_t> out(stride * size_t(plan.alloc_h), 0xCD);
        tex_bake(plan, u, v, bank, format, colours, out.data(), stride);
        int bad = 0;
        for (int j = 0; j < plan.alloc_h; ++j)
            for (int i = 0; i < plan.alloc_w; ++i) {
                int si = i < plan.baked_w ? i : plan.baked_w - 1, sj = j < plan.baked_h ? j : plan.baked_h - 1;
                uint32_t want = ref_texel_rgba(bank, u + si * plan.num_u, v + sj * plan.num_v, format, 3, 1);
                if (rgba_at(out.data(), stride, i, j) != want && bad++ < 5)
                    ADD_FAILURE() << "texel " << i << "," << j << " format " << format;
            }
        EXPECT_EQ(bad, 0);
        EXPECT_EQ(out[size_t(plan.alloc_w) * 4], 0xCD) << "wrote past the row";
    }
};

TEST_F(TexBake, EveryFormatFollowsTheTexelAddressRule) {
    // Bank 0 mixes flipped, exchanged and beyond-ROM tiles.
    for (int format : {0, 1, 2, 3, 4, 5, 6, 7, 8, 0xA, 0xB, 0xC, 0xF}) expect_bake(40, 72, 70, 50, 0, format, 256);
}

TEST_F(TexBake, StepsWrapAndBanks) {
    expect_bake(4070, 4090, 600, 100, 1, 0, 256);  // steps 3 and 1, wrapping within the bank
    expect_bake(16, 0, 1000, 40, 0x12, 2, 512);    // bank 0x12 reads bank 2
}

TEST_F(TexBake, TileBeyondTheRomBakesTheBaseColour) {
    for (int format : {0, 2, 0xA, 4, 0xC}) {
        tex_bake_plan plan = tex_bake_plan_make(32, 32, 256, false, tex_alloc_gutter);
        uint8_t colours[256][4];
        tex_colour_table(palette_3d, 3, 1, colours);
        std::vector<uint8_t> out(size_t(plan.alloc_w) * plan.alloc_h * 4);
        tex_bake(plan, 100, 200, 3, format, colours, out.data(), size_t(plan.alloc_w) * 4);
        int base = ref_colour_index(format, -1);
        uint32_t want = uint32_t(base) | uint32_t(255 - base) << 8 | 6u << 16 | 0xFF000000u;
        for (int j = 0; j < plan.alloc_h; ++j)
            for (int i = 0; i < plan.alloc_w; ++i)
                ASSERT_EQ(rgba_at(out.data(), size_t(plan.alloc_w) * 4, i, j), want) << "format " << format;
    }
}
