#include "render/texture_cache.h"

#include "render/quad_draw.h"
#include "render/quad_geometry.h"
#include "render/texture_atlas.h"
#include "tests/support/gl_test_window.h"
#include "tests/render/texture_test_rom.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<GLuint> evicted_textures;
void record_eviction(GLuint texture) { evicted_textures.push_back(texture); }

class TexCache : public testing::Test {
protected:
    static void SetUpTestSuite() {
        texture_test_rom_fill();
        texture_test_palette_fill();
    }
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        setenv("ENG_ATLAS_DIM", "1024", 1);
        setenv("ENG_ATLAS_PREALLOC", "1", 1);
        for (const char* name : {"SKYVOLTA_TEXBUDGET", "SKYVOLTA_TEXATLAS", "SKYVOLTA_TEXORPHAN"}) unsetenv(name);
        reset();
    }
    // The atlas of the switches' defaults and the quad batch's flush, which the batch
    // installs only once per process, for the tests that follow.
    void TearDown() override {
        for (const char* name : {"ENG_ATLAS_DIM", "ENG_ATLAS_PREALLOC"}) unsetenv(name);
        atlas_evict_callback_set(batch_evict_callback);
        testing::internal::CaptureStderr();
        tex_cache_reset();
        testing::internal::GetCapturedStderr();
    }
    void reset() {
        tex_transparency_mode = 1;
        tex_resolution_tier = 256;
        tex_budget_set(0, 0);
        evicted_textures.clear();
        atlas_evict_callback_set(record_eviction);
        testing::internal::CaptureStderr();
        tex_cache_reset();
        reset_messages = testing::internal::GetCapturedStderr();
    }
    static GLuint fetch(int u, int v, int w, int h, int bank, int palette, int format, tex_coords* c = nullptr) {
        tex_coords local{};
        if (!c) c = &local;
        return texture_fetch(u, v, w, h, bank, palette, format, &c->scale_u, &c->scale_v, &c->offset_u, &c->offset_v);
    }
    static const tex_entry* entry_of(int u, int v, int w, int h) {
        for (const tex_entry& e : tex_slots)
            if (e.state == tex_slot_used && e.key.u == u && e.key.v == v && e.key.w == w && e.key.h == h) return &e;
        return nullptr;
    }
    // Every texel of an entry on its page, gutter included, against the reference rule.
    static void expect_page_texels(const tex_entry& e, int step_u, int step_v) {
        const uint8_t* shadow = atlas.pages[e.page].shadow;
        int bad = 0;
        for (int j = 0; j < e.alloc_h; ++j)
            for (int i = 0; i < e.alloc_w; ++i) {
                int si = i < e.baked_w ? i : e.baked_w - 1, sj = j < e.baked_h ? j : e.baked_h - 1;
                uint32_t want = ref_texel_rgba(e.key.bank, e.key.u + si * step_u, e.key.v + sj * step_v,
                                               e.key.format, e.key.palette, e.key.transparency);
                if (rgba_at(shadow, size_t(atlas.dim) * 4, e.page_x + i, e.page_y + j) != want && bad++ < 5)
                    ADD_FAILURE() << "texel " << i << "," << j;
            }
        EXPECT_EQ(bad, 0);
    }
    static std::vector<uint8_t> read_texture(GLuint texture, int w, int h) {
        std::vector<uint8_t> px(size_t(w) * h * 4);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    std::string reset_messages;
};

TEST_F(TexCache, PagesAreSizedOnceWithTheirMessage) {
    GLint g = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &g);
    EXPECT_EQ(reset_messages, "[TEX] atlas pages 1024x1024 (GL max " + std::to_string(g) + "), up to 28 pages\n");
    EXPECT_EQ(atlas.open_pages, 1);
    const uint8_t white[4] = {255, 255, 255, 255};
    EXPECT_EQ(memcmp(atlas.pages[0].shadow, white, 4), 0);
}

TEST_F(TexCache, NarrowTextureIsBakedSixteenWideAboutItsCentre) {
    tex_coords c{};
    GLuint t = fetch(10, 20, 4, 4, 0, 3, 0, &c);
    ASSERT_EQ(t, atlas.pages[0].texture);
    const tex_entry* e = entry_of(4, 14, 16, 16);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->baked_w, 16);
    EXPECT_EQ(e->alloc_w, 17);
    EXPECT_EQ(e->page_x, 1) << "texel (0, 0) is never handed out";
    EXPECT_FLOAT_EQ(c.scale_u, 16.0f / 1024);
    EXPECT_FLOAT_EQ(c.offset_u, e->page_x / 1024.0f);
    EXPECT_FLOAT_EQ(c.offset_v, e->page_y / 1024.0f);
    expect_page_texels(*e, 1, 1);
    // Negative origins start at 0.
    fetch(-5, 3, 2, 2, 0, 3, 0);
    EXPECT_NE(entry_of(0, 0, 16, 16), nullptr);
}

TEST_F(TexCache, WideTextureAtTier256IsBakedWithStepsThreeAndOne) {
    tex_coords c{};
    fetch(100, 50, 600, 100, 0, 3, 0, &c);
    const tex_entry* e = entry_of(100, 50, 600, 100);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->key.cap, 256);
    EXPECT_EQ(e->baked_w, 200);
    EXPECT_EQ(e->baked_h, 100);
    EXPECT_EQ(e->alloc_w, 201);
    EXPECT_EQ(e->alloc_h, 101);
    EXPECT_EQ(e->bytes, 201u * 101 * 4);
    EXPECT_FLOAT_EQ(c.scale_u, 600.0f / (1024 * 3));
    EXPECT_FLOAT_EQ(c.scale_v, 100.0f / 1024);
    expect_page_texels(*e, 3, 1);
    tex_coords next{};
    fetch(0, 0, 16, 16, 0, 3, 0, &next);
    EXPECT_FLOAT_EQ(next.offset_u * 1024, float(e->page_x + 201)) << "the rectangle is 201 wide";
    EXPECT_FLOAT_EQ(next.offset_v, c.offset_v);
}

TEST_F(TexCache, HigherTierRaisesTheCapWithinHalfAPage) {
    tex_resolution_tier = 600;  // 1024, but a 1024 page holds at most 512
    fetch(0, 0, 1000, 300, 0, 3, 0);
    const tex_entry* e = entry_of(0, 0, 1000, 300);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->key.cap, 512);
    EXPECT_EQ(e->baked_w, 500);
    EXPECT_EQ(e->baked_h, 300);
    expect_page_texels(*e, 2, 1);
    tex_resolution_tier = 400;  // cap 512: the same entry
    long misses = tex_counters.miss;
    fetch(0, 0, 1000, 300, 0, 3, 0);
    EXPECT_EQ(tex_counters.miss, misses);
}

TEST_F(TexCache, FlushedPageReadsBackEqualToItsShadow) {
    struct flush_case {
        const char* what;
        int count;
        bool varied_heights;
        int dirty_count;
        bool overflow;
    };
    const flush_case cases[] = {
        {"side by side on one shelf merge", 40, false, 1, false},
        {"beyond 128 rectangles use the bounding box", 140, true, ATLAS_DIRTY_MAX, true},
    };
    for (const flush_case& fc : cases) {
        SCOPED_TRACE(fc.what);
        reset();
        for (int i = 0; i < fc.count; ++i) fetch(i * 16, 32, 16, fc.varied_heights ? 16 + i % 2 : 16, 0, 3, 0);
        atlas_page& p = atlas.pages[0];
        EXPECT_EQ(p.dirty_count, fc.dirty_count);
        EXPECT_EQ(p.dirty_overflow, fc.overflow);
        atlas_page_flush(p.texture);
        EXPECT_EQ(p.dirty_count, 0);
        std::vector<uint8_t> gpu = read_texture(p.texture, atlas.dim, atlas.dim);
        EXPECT_EQ(memcmp(gpu.data(), p.shadow, gpu.size()), 0);
        GLint row_length = -1;
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &row_length);
        EXPECT_EQ(row_length, 0);
    }
}

TEST_F(TexCache, WholePageEvictionKeepsTheWhiteTexel) {
    tex_resolution_tier = 512;  // each 512 x 512 bake takes a 513 x 513 rectangle: one per page
    for (int k = 0; k < 28; ++k) fetch(k * 16, 0, 512, 512, 0, 3, 0);
    ASSERT_EQ(atlas.open_pages, 28);
    ASSERT_EQ(tex_counters.evict, 0);
    GLuint page0 = atlas.pages[0].texture;
    evicted_textures.clear();
    tex_coords c{};
    fetch(28 * 16, 0, 512, 512, 0, 3, 0, &c);
    EXPECT_EQ(tex_counters.evict, 1);
    EXPECT_NE(std::find(evicted_textures.begin(), evicted_textures.end(), page0), evicted_textures.end());
    const tex_entry* e = entry_of(28 * 16, 0, 512, 512);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->page, 0);
    EXPECT_EQ(e->page_x, 1);
    EXPECT_EQ(e->page_y, 0);
    EXPECT_EQ(tex_cache_lookup(tex_request{0, 0, 512, 512, 0, 3, 0}, 0, true, nullptr), 0u) << "dropped with its page";
    EXPECT_EQ(tex_cache_lookup(tex_request{16, 0, 512, 512, 0, 3, 0}, 0, true, nullptr), atlas.pages[1].texture);
    fetch(29 * 16, 0, 512, 512, 0, 3, 0);  // the next victim is page 1
    EXPECT_EQ(tex_counters.evict, 2);
    EXPECT_EQ(entry_of(29 * 16, 0, 512, 512)->page, 1);

    for (int page : {0, 1}) {
        atlas_page_flush(atlas.pages[page].texture);
        std::vector<uint8_t> gpu = read_texture(atlas.pages[page].texture, atlas.dim, atlas.dim);
        EXPECT_EQ(rgba_at(gpu.data(), size_t(atlas.dim) * 4, 0, 0), 0xFFFFFFFFu) << "page " << page;
        EXPECT_EQ(memcmp(gpu.data(), atlas.pages[page].shadow, gpu.size()), 0);
    }
}

TEST_F(TexCache, ManyDistinctKeysStayUnderTheMemoryCap) {
    setenv("SKYVOLTA_TEXBUDGET", "2", 1);
    reset();
    const uint64_t cap = 2u << 20;
    const int keys = 100000;
    uint64_t most = 0;
    for (int i = 0; i < keys; ++i) {
        ASSERT_NE(fetch((i % 256) * 16, (i / 256 % 256) * 16, 16, 16, i / 65536, 3, 0), 0u) << i;
        most = std::max(most, tex_cache_bytes());
    }
    EXPECT_LE(most, cap);
    EXPECT_EQ(tex_counters.miss, keys);
    EXPECT_EQ(tex_counters.hit, 0);
    for (int i = keys - 50; i < keys; ++i) fetch((i % 256) * 16, (i / 256 % 256) * 16, 16, 16, i / 65536, 3, 0);
    EXPECT_EQ(tex_counters.hit, 50) << "the newest entries are still cached";
    EXPECT_EQ(tex_counters.miss, keys);
    int entries = tex_cache_entries();
    EXPECT_EQ(entries, tex_counters.miss - tex_counters.evict);
    EXPECT_EQ(tex_cache_bytes(), uint64_t(entries) * 17 * 17 * 4);
    EXPECT_GT(entries, int(cap / (17 * 17 * 4)) - 10) << "the cache fills up to the cap";
    std::set<std::tuple<int, int, int>> distinct;
    for (const tex_entry& e : tex_slots)
        if (e.state == tex_slot_used) distinct.insert({e.key.u, e.key.v, e.key.bank});
    EXPECT_EQ(int(distinct.size()), entries) << "no key is cached twice";
}

TEST_F(TexCache, EvictionKeepsLaterEntriesOfTheProbeChainReachable) {
    setenv("SKYVOLTA_TEXBUDGET", "1", 1);
    reset();
    // Two keys whose home slot is 0: the second lands in slot 1.
    std::vector<std::pair<int, int>> at_home0;  // (u, v)
    for (int n = 0; n < (1 << 20) && at_home0.size() < 2; ++n) {
        tex_key k{};
        k.u = uint16_t(n & 0xFFFF);
        k.v = uint16_t(4000 + (n >> 16));
        k.w = k.h = 16;
        k.palette = 3;
        k.transparency = 1;
        k.cap = 256;
        if ((tex_key_hash(k) & 0xFFFF) == 0) at_home0.push_back({k.u, k.v});
    }
    ASSERT_EQ(at_home0.size(), 2u);
    auto [u0, v0] = at_home0[0];
    auto [u1, v1] = at_home0[1];
    fetch(u0, v0, 16, 16, 0, 3, 0);
    fetch(u1, v1, 16, 16, 0, 3, 0);
    ASSERT_EQ(tex_slots[0].key.u, u0);
    ASSERT_EQ(tex_slots[1].key.u, u1);
    // Fill to the cap: the clock's second pass evicts slot 0 first.
    for (int i = 0; tex_counters.evict == 0; ++i) fetch((i % 200) * 16, (i / 200) * 16, 16, 16, 1, 3, 0);
    EXPECT_EQ(tex_counters.evict, 1);
    EXPECT_EQ(tex_slots[0].state, tex_slot_deleted);
    long misses = tex_counters.miss, hits = tex_counters.hit;
    fetch(u1, v1, 16, 16, 0, 3, 0);
    EXPECT_EQ(tex_counters.hit, hits + 1);
    EXPECT_EQ(tex_counters.miss, misses) << "the entry behind the evicted one was baked again";
    fetch(u0, v0, 16, 16, 0, 3, 0);
    EXPECT_EQ(tex_counters.miss, misses + 1);
}

TEST_F(TexCache, TransparencyModeAndPaletteChangesMakeNewEntries) {
    tex_coords opaque{}, clear{};
    fetch(0, 64, 16, 16, 0, 5, 0, &opaque);
    tex_transparency_mode = 0;
    fetch(0, 64, 16, 16, 0, 5, 0, &clear);
    EXPECT_EQ(tex_counters.miss, 2);
    EXPECT_NE(opaque.offset_u, clear.offset_u);
    for (const tex_entry& e : tex_slots)
        if (e.state == tex_slot_used) expect_page_texels(e, 1, 1);

    // A changed palette 3 counts a change; its textures bake again, others still hit.
    fetch(0, 0, 16, 16, 0, 3, 0);
    fetch(0, 0, 16, 16, 0, 4, 0);
    std::vector<uint8_t> planes(3 * 0x8000);
    for (int e = 0; e < 0x8000; ++e)
        for (int c = 0; c < 3; ++c) planes[size_t(c) * 0x8000 + size_t(e)] = palette_3d[e * 3 + c];
    planes[3 * 256 + 77] ^= 0xFF;
    palette_change_track(planes.data(), 0x8000);
    EXPECT_EQ(tex_palette_changes[3], 1);
    EXPECT_EQ(tex_palette_changes[4], 0);
    EXPECT_EQ(palette_3d[(3 * 256 + 77) * 3], planes[3 * 256 + 77]);
    long misses = tex_counters.miss, hits = tex_counters.hit;
    fetch(0, 0, 16, 16, 0, 4, 0);
    fetch(0, 0, 16, 16, 0, 3, 0);
    EXPECT_EQ(tex_counters.hit, hits + 1);
    EXPECT_EQ(tex_counters.miss, misses + 1);
    palette_change_track(planes.data(), 0x8000);
    EXPECT_EQ(tex_palette_changes[3], 1) << "an unchanged palette counts nothing";
    texture_test_palette_fill();
    tex_palette_changes[3] = 0;
}

TEST_F(TexCache, SingleTexturesWithoutAtlasAreReusedWhenEvicted) {
    setenv("SKYVOLTA_TEXATLAS", "0", 1);
    setenv("SKYVOLTA_TEXORPHAN", "0", 1);
    setenv("SKYVOLTA_TEXBUDGET", "1", 1);
    reset();
    EXPECT_EQ(atlas.open_pages, 0);
    tex_coords c{};
    GLuint t = fetch(32, 48, 16, 16, 0, 3, 2, &c);
    ASSERT_NE(t, 0u);
    EXPECT_FLOAT_EQ(c.scale_u, 1.0f);  // 16 is a power of two: no gutter
    EXPECT_FLOAT_EQ(c.offset_u, 0.0f);
    std::vector<uint8_t> px = read_texture(t, 16, 16);
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i) ASSERT_EQ(rgba_at(px.data(), 64, i, j), ref_texel_rgba(0, 32 + i, 48 + j, 2, 3, 1));
    fetch(0, 0, 20, 16, 0, 3, 0, &c);
    EXPECT_FLOAT_EQ(c.scale_u, 20.0f / 21);
    EXPECT_FLOAT_EQ(c.scale_v, 1.0f);

    // 1 MB holds 1024 textures of 16 x 16; the next ones reuse evicted ones' storage.
    for (int i = 0; i < 1030; ++i) fetch((i % 200) * 16, (i / 200) * 16 + 512, 16, 16, 0, 3, 0);
    EXPECT_GT(tex_counters.evict, 0);
    EXPECT_GT(tex_counters.sub, 0);
    EXPECT_EQ(tex_counters.sub + tex_counters.realloc, tex_counters.miss);
    GLuint last = fetch(1029 % 200 * 16, 1029 / 200 * 16 + 512, 16, 16, 0, 3, 0);
    px = read_texture(last, 16, 16);
    EXPECT_EQ(rgba_at(px.data(), 64, 5, 7), ref_texel_rgba(0, 1029 % 200 * 16 + 5, 1029 / 200 * 16 + 512 + 7, 0, 3, 1));
}

TEST_F(TexCache, OverBudgetLargeTexturesShowALowResolutionAndBakeLater) {
    std::string log_path = testing::TempDir() + "texbudget.log";
    setenv("ENG_TEX_BUDGETLOG", log_path.c_str(), 1);
    tex_budget_set(1000, 1000000);
    engine_frame_counter = 1;
    fetch(0, 0, 300, 300, 0, 3, 0);  // under budget: baked now
    ASSERT_NE(entry_of(0, 0, 300, 300), nullptr);
    tex_coords c{};
    GLuint t = fetch(0, 1024, 400, 400, 0, 3, 0, &c);  // over budget: a 32-texel version for now
    ASSERT_NE(t, 0u);
    const tex_entry* low = entry_of(0, 1024, 400, 400);
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->key.cap, 32);
    EXPECT_EQ(low->baked_w, 31);
    EXPECT_FLOAT_EQ(c.scale_u, 400.0f / (1024 * 13));
    fetch(0, 16, 20, 20, 0, 3, 0);  // small textures are always baked
    EXPECT_NE(entry_of(0, 16, 20, 20), nullptr);

    engine_frame_counter = 2;  // the next frame's first fetch bakes the waiting request
    fetch(0, 16, 20, 20, 0, 3, 0);
    EXPECT_NE(tex_cache_lookup(tex_request{0, 1024, 400, 400, 0, 3, 0}, 0, true, nullptr), 0u);
    long misses = tex_counters.miss;
    fetch(0, 1024, 400, 400, 0, 3, 0, &c);
    EXPECT_EQ(tex_counters.miss, misses);
    EXPECT_FLOAT_EQ(c.scale_u, 400.0f / (1024 * 2)) << "the full bake at cap 256";

    // Frame 1 baked 151 x 151, 32 x 32 and 21 x 21 texels.
    FILE* log = fopen(log_path.c_str(), "r");
    ASSERT_NE(log, nullptr);
    char line[128] = {};
    ASSERT_NE(fgets(line, sizeof line, log), nullptr);
    fclose(log);
    EXPECT_EQ(std::string(line).rfind("texbudget f1 baked 24266 texels, ", 0), 0u) << line;
}

}  // namespace
