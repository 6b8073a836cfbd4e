#include "render/sprite_layer.h"

#include "base/rom_files.h"
#include "board/board_memory.h"
#include "render/palette_source.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Test tiles: 0 = pixel value is the column, 1 = the row, 2 = solid 7,
// 3 = left half 255 (transparent), right half 254.
enum { TILE_COLUMNS, TILE_ROWS, TILE_SOLID, TILE_HALF_CLEAR, TILE_COUNT };

struct sprite_spec {
    int x = 0, y = 0;  // screen position
    int sx = 32, sy = 32;
    uint32_t control = 0x00FF0011;  // consecutive tiles, clip set 0, 1 x 1 tiles
    uint16_t tile = TILE_COLUMNS;
    uint16_t p8 = 0;
    uint32_t key = 0;
    uint16_t colour = 0;  // palette group, bit 7 no depth cue
    uint16_t depth = 0;
};

struct sprite_fixture : ::testing::Test {
    std::vector<uint8_t> ram = std::vector<uint8_t>(SPRITE_RAM_BYTES);
    std::vector<uint8_t> region = std::vector<uint8_t>(SPRITE_REGION_BYTES);
    std::vector<uint8_t> rom = std::vector<uint8_t>(TILE_COUNT * 1024);
    std::vector<uint8_t> pal = std::vector<uint8_t>(PALETTE_BYTES);
    uint32_t regs[SPRITE_REGISTERS] = {};
    std::unique_ptr<fog_state> fog = std::make_unique<fog_state>();
    sprite_input in{};
    const uint8_t* saved_rom = nullptr;
    uint32_t saved_rom_size = 0;
    int count = 0;

    void SetUp() override {
        saved_rom = sprite_rom;
        saved_rom_size = sprite_rom_size;
        for (int r = 0; r < 32; r++)
            for (int c = 0; c < 32; c++) {
                rom[TILE_COLUMNS * 1024 + 32 * r + c] = uint8_t(c);
                rom[TILE_ROWS * 1024 + 32 * r + c] = uint8_t(r);
                rom[TILE_SOLID * 1024 + 32 * r + c] = 7;
                rom[TILE_HALF_CLEAR * 1024 + 32 * r + c] = c < 16 ? 255 : 254;
            }
        sprite_rom = rom.data();
        sprite_rom_size = uint32_t(rom.size());
        // Entry e: R = its index within the group, G = 2 x group.
        for (uint32_t e = 0; e < PALETTE_ENTRIES; e++) {
            pal[e] = uint8_t(e);
            pal[PALETTE_ENTRIES + e] = uint8_t(2 * (e >> 8));
            pal[2 * PALETTE_ENTRIES + e] = 0x33;
        }
        // The header as the game's upload writes it: origin (640, 810), clip set 0 the screen.
        const uint8_t head[16] = {0x00, 0x06, 0x00, 0x01, 0, 0, 0x00, 0x53, 0x03, 0x00, 0x02, 0x00, 0x03, 0x00, 0, 0};
        memcpy(ram.data(), head, sizeof head);
        const uint8_t clip[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
        memcpy(ram.data() + 0x200, clip, 8);
        memcpy(ram.data() + 0x208, clip, 8);
    }
    void TearDown() override {
        sprite_rom = saved_rom;
        sprite_rom_size = saved_rom_size;
    }

    void put16(size_t at, uint32_t v) {
        ram[at] = uint8_t(v >> 8);
        ram[at + 1] = uint8_t(v);
    }
    void put32(size_t at, uint32_t v) {
        put16(at, v >> 16);
        put16(at + 2, v & 0xFFFF);
    }
    void set_count(int n) { put16(4, uint32_t(n)); }

    // Sprite entry k (from 1) and its attribute entry, in the upload's layout.
    void add(const sprite_spec& s) {
        size_t e = 0x4010 + 16 * size_t(count), a = 0x20008 + 8 * size_t(count);
        put16(e, uint32_t(s.x + 640));
        put16(e + 2, uint32_t(s.y + 810));
        put16(e + 4, uint32_t(s.sx));
        put16(e + 6, uint32_t(s.sy));
        put32(e + 8, s.control);
        put16(e + 12, s.tile);
        put16(e + 14, s.p8);
        put32(a, s.key);
        put16(a + 4, s.colour);
        put16(a + 6, s.depth);
        set_count(++count);
    }

    void intake() {
        ASSERT_TRUE(sprite_input_from_live(&in, ram.data(), ram.size(), region.data(), region.size(), regs, pal.data()));
    }

    std::vector<sprite_layer> layers(int max = SPRITE_LAYERS_MAX) {
        intake();
        std::vector<sprite_layer> out(size_t(max > 0 ? max : 1));
        out.resize(size_t(sprite_list_build(&in, out.data(), max)));
        return out;
    }

    std::vector<uint8_t> raster_layer(const sprite_layer& l, bool keep_alpha = true) {
        std::vector<uint8_t> buf(size_t(l.width) * size_t(l.height) * 4, 0xEE);
        sprite_layer_raster(&in, fog.get(), &l, buf.data(), keep_alpha);
        return buf;
    }

    std::vector<uint8_t> screen(std::vector<uint8_t>* map = nullptr, bool keep_alpha = false) {
        intake();
        std::vector<uint8_t> buf(640 * 480 * 4, 0xEE);
        if (map) map->assign(640 * 480, 0xEE);
        sprites_raster(&in, fog.get(), buf.data(), map ? map->data() : nullptr, keep_alpha);
        return buf;
    }

    static const uint8_t* at(const std::vector<uint8_t>& buf, int width, int x, int y) {
        return buf.data() + 4 * (size_t(y) * size_t(width) + size_t(x));
    }
};

TEST_F(sprite_fixture, UploadedHeaderPlacesASpriteOnTheScreen) {
    add({.x = 100, .y = 50});
    auto l = layers();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].x0, 100);
    EXPECT_EQ(l[0].y0, 50);
    EXPECT_EQ(l[0].width, 33);  // both box ends are included
    EXPECT_EQ(l[0].height, 33);
    auto buf = raster_layer(l[0]);
    for (int c = 0; c < 32; c++) {
        EXPECT_EQ(at(buf, 33, c, 0)[0], c);
        EXPECT_EQ(at(buf, 33, c, 31)[3], 255);
    }
    EXPECT_EQ(at(buf, 33, 32, 5)[3], 0);  // the extra box column stays clear
    EXPECT_EQ(at(buf, 33, 5, 32)[3], 0);
}

TEST_F(sprite_fixture, ZoomSamplesTheSourceAtSpanCentres) {
    struct {
        int sx;
        std::vector<int> columns;  // source column of destination columns 0, 1, 2, ...
    } cases[] = {
        {64, {0, 0, 1, 1, 2, 2, 3, 3}},
        {16, {1, 3, 5, 7, 9, 11, 13, 15}},
        {32, {0, 1, 2, 3, 4, 5, 6, 7}},
    };
    for (auto& c : cases) {
        count = 0;
        add({.x = 10, .y = 10, .sx = c.sx});
        auto l = layers();
        ASSERT_EQ(l.size(), 1u);
        EXPECT_EQ(l[0].width, c.sx + 1);
        auto buf = raster_layer(l[0]);
        for (size_t j = 0; j < c.columns.size(); j++) EXPECT_EQ(at(buf, l[0].width, int(j), 3)[0], c.columns[j]) << c.sx;
        EXPECT_EQ(at(buf, l[0].width, c.sx - 1, 3)[0], 31) << "the last column samples the last pixel";
    }
}

TEST_F(sprite_fixture, FlipsMirrorWithinTheSameBox) {
    add({.x = 200, .y = 100, .control = 0x00FF0011 | 0x80});                     // horizontal
    add({.x = 300, .y = 100, .control = 0x00FF0011 | 0x08, .tile = TILE_ROWS});  // vertical
    auto l = layers();
    ASSERT_EQ(l.size(), 2u);
    for (auto& layer : l) {
        auto buf = raster_layer(layer);
        if (layer.x0 < 250) {
            // The pixels stay at 200..231 (the box takes in the column before them);
            // the columns are mirrored.
            EXPECT_EQ(layer.x0, 199);
            EXPECT_EQ(layer.width, 33);
            EXPECT_EQ(at(buf, 33, 0, 4)[3], 0);
            for (int c = 0; c < 32; c++) EXPECT_EQ(at(buf, 33, 1 + c, 4)[0], 31 - c);
        } else {
            EXPECT_EQ(layer.y0, 99);
            for (int r = 0; r < 32; r++) EXPECT_EQ(at(buf, 33, 4, 1 + r)[0], 31 - r);
        }
    }
}

TEST_F(sprite_fixture, TileBlocksAnchorsAndTileTables) {
    // rows = cols = 0 means 8 x 8 tiles of 8 x 8 pixels.
    add({.x = 0, .y = 0, .sx = 8, .sy = 8, .control = 0x00FF0000, .tile = 0});
    auto l = layers();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].width, 65);
    EXPECT_EQ(l[0].height, 65);

    // Anchored right and bottom: the block ends at (x, y).
    count = 0;
    add({.x = 400, .y = 300, .control = 0x00FF0011 | 0x300, .tile = TILE_SOLID});
    l = layers();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].x0, 369);
    EXPECT_EQ(l[0].y0, 269);
    auto buf = raster_layer(l[0]);
    EXPECT_EQ(at(buf, 33, 0, 0)[0], 7);
    EXPECT_EQ(at(buf, 33, 31, 31)[0], 7);

    // Table 2 names the tiles: entry k at sprite RAM 0x800 + 16 + 2k, added to the base.
    count = 0;
    add({.x = 0, .y = 0, .control = 0x00020021, .tile = 1});  // 1 row, 2 columns
    put16(0x810, 1);   // tile 2: solid
    put16(0x812, 2);   // tile 3: half clear
    auto s = screen();
    EXPECT_EQ(at(s, 640, 3, 3)[0], 7);
    EXPECT_EQ(at(s, 640, 32 + 3, 3)[3], 0);
    EXPECT_EQ(at(s, 640, 32 + 20, 3)[0], 254);
}

TEST_F(sprite_fixture, ClipSetsAndTheScreenBoundTheLayer) {
    // Clip set 1: x 50..99, y 60..69 (board values minus the origin).
    put16(0x208, 640 + 50);
    put16(0x20A, 640 + 99);
    put16(0x20C, 810 + 60);
    put16(0x20E, 810 + 69);
    add({.x = 40, .y = 40, .sx = 64, .sy = 64, .control = 0x01FF0011, .tile = TILE_SOLID});
    add({.x = 620, .y = 470, .tile = TILE_SOLID});
    auto l = layers();
    ASSERT_EQ(l.size(), 2u);
    for (auto& layer : l) {
        if (layer.x0 < 600) {
            EXPECT_EQ(layer.x0, 50);
            EXPECT_EQ(layer.width, 50);
            EXPECT_EQ(layer.y0, 60);
            EXPECT_EQ(layer.height, 10);
        } else {
            EXPECT_EQ(layer.width, 20);
            EXPECT_EQ(layer.height, 10);
        }
    }
    auto s = screen();
    EXPECT_EQ(at(s, 640, 49, 65)[3], 0);
    EXPECT_EQ(at(s, 640, 50, 65)[3], 255);
    EXPECT_EQ(at(s, 640, 99, 69)[3], 255);
    EXPECT_EQ(at(s, 640, 100, 65)[3], 0);
    EXPECT_EQ(at(s, 640, 60, 70)[3], 0);
    EXPECT_EQ(at(s, 640, 639, 479)[3], 255);
}

TEST_F(sprite_fixture, LayersComeHighestKeyFirstAndLaterSpritesFirstOnTies) {
    add({.x = 0, .key = 0x200005});
    add({.x = 50, .key = 0x000010});
    add({.x = 100, .key = 0x200005});
    add({.x = 150, .key = 0x5F000007});  // only 24 bits of the key count
    auto l = layers();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0].index, 2);
    EXPECT_EQ(l[1].index, 0);
    EXPECT_EQ(l[0].priority, 0x200005u);
    EXPECT_EQ(l[2].index, 1);
    EXPECT_EQ(l[3].priority, 7u);
    EXPECT_EQ(layers(2).size(), 2u);

    // On one screen the lowest key ends on top.
    count = 0;
    add({.x = 10, .y = 10, .tile = TILE_SOLID, .key = 5, .colour = 1});
    add({.x = 10, .y = 10, .tile = TILE_SOLID, .key = 9, .colour = 2});
    auto s = screen();
    EXPECT_EQ(at(s, 640, 20, 20)[1], 2);
}

TEST_F(sprite_fixture, TransparentPixelsLeaveTheBufferAlone) {
    add({.x = 0, .y = 0, .tile = TILE_SOLID, .key = 9, .colour = 3});
    add({.x = 0, .y = 0, .tile = TILE_HALF_CLEAR, .key = 1});
    std::vector<uint8_t> map;
    auto s = screen(&map);
    EXPECT_EQ(at(s, 640, 5, 5)[0], 7);  // value 255: the sprite beneath shows
    EXPECT_EQ(at(s, 640, 5, 5)[1], 6);
    EXPECT_EQ(at(s, 640, 20, 5)[0], 254);  // value 254 is drawn
    EXPECT_EQ(at(s, 640, 20, 5)[1], 0);
    EXPECT_EQ(map[5 * 640 + 5], 2);
    EXPECT_EQ(map[5 * 640 + 40], 0);
    EXPECT_EQ(at(s, 640, 40, 5)[3], 0);
}

TEST_F(sprite_fixture, HeaderCountsAndSwitches) {
    for (int i = 0; i < 1023; i++) add({.x = i % 600, .y = 10, .sx = 1, .sy = 1, .control = 0x00FF0011});
    EXPECT_EQ(layers().size(), 1023u);
    add({.x = 5, .y = 5});
    EXPECT_EQ(count, 1024);
    EXPECT_TRUE(layers().empty());  // number - 1 = 1023: no sprite RAM sprite is listed

    count = 0;
    add({.x = 5, .y = 5});
    ram[1] |= 0x01;  // word 0 bit 16: sprites off
    EXPECT_TRUE(layers().empty());
    ram[1] &= ~0x01;
    set_count(0);  // the last entry before the base: nothing
    EXPECT_TRUE(layers().empty());
}

TEST_F(sprite_fixture, InterlacedHeaderDoublesYAndTheStep) {
    ram[1] = 0x02;  // word 0 bit 18 clear: interlaced, origin y = 768 + 21
    add({.x = 10, .y = 100 - 21, .sy = 16, .tile = TILE_ROWS});
    auto l = layers();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].y0, 2 * (100 - 21 + 810 - 789));
    EXPECT_EQ(l[0].height, 33);
    auto buf = raster_layer(l[0]);
    EXPECT_EQ(at(buf, l[0].width, 0, 31)[0], 31);
}

TEST_F(sprite_fixture, DepthCueFadeAndTranslucency) {
    fog->fog_colour[0] = 200;
    fog->fog_colour[1] = 100;
    fog->fade_colour[0] = 10;
    fog->fade_colour[1] = 20;
    fog->fade_colour[2] = 30;
    fog->fade_amount = 255;
    fog->sprite_clear_group = 5;
    struct {
        const char* name;
        uint16_t colour, depth, p8;
        uint8_t flags;
        bool keep_alpha;
        uint8_t r, g, b, a;
    } cases[] = {
        {"plain", 0, 0, 0, 0, true, 7, 0, 0x33, 255},
        {"full depth cue reaches the fog colour", 0, 0xFF, 0, 0, true, 200, 100, 0, 255},
        {"half depth cue", 0, 0x80, 0, 0, true, (7 * 127 + 200 * 129) >> 8, (100 * 129) >> 8, (0x33 * 127) >> 8, 255},
        {"no-depth-cue colour bit", 0x80, 0xFF, 0, 0, true, 7, 0, 0x33, 255},
        {"fade 255 covers completely", 0, 0, 0, 2, true, 10, 20, 30, 255},
        {"depth bit 15 fades without the flag", 0, 0x8000, 0, 0, true, 10, 20, 30, 255},
        {"no fade without flag or bit", 0, 0, 0, 1, true, 7, 0, 0x33, 255},
        {"translucency to alpha", 0, 0, 0x4000, 0, true, 7, 0, 0x33, 0xBF},
        {"translucency over clear black", 0, 0, 0x4000, 0, false, (7 * 0xBF) >> 8, 0, (0x33 * 0xBF) >> 8, 255},
        {"the clear group is opaque", 5, 0, 0x4000, 0, true, 7, 10, 0x33, 255},
    };
    for (auto& c : cases) {
        count = 0;
        fog->fade_flags = c.flags;
        add({.x = 0, .y = 0, .tile = TILE_SOLID, .p8 = c.p8, .colour = c.colour, .depth = c.depth});
        auto s = screen(nullptr, c.keep_alpha);
        const uint8_t* p = at(s, 640, 3, 3);
        EXPECT_EQ(p[0], c.r) << c.name;
        EXPECT_EQ(p[1], c.g) << c.name;
        EXPECT_EQ(p[2], c.b) << c.name;
        EXPECT_EQ(p[3], c.a) << c.name;
    }
    // In the clear group only the chosen pixel value is translucent.
    fog->fade_flags = 0;
    fog->sprite_clear_pixel = 7;
    count = 0;
    add({.x = 0, .y = 0, .tile = TILE_SOLID, .p8 = 0x4000, .colour = 5});
    EXPECT_EQ(at(screen(nullptr, true), 640, 3, 3)[3], 0xBF);
}

// The layer's change key moves with whatever its picture reads and stays put for what
// it does not (another palette group, another sprite's words).
TEST_F(sprite_fixture, ChangeKeyFollowsWhatTheLayerReads) {
    add({.x = 40, .y = 30, .tile = TILE_COLUMNS, .colour = 3});
    add({.x = 200, .y = 100, .tile = TILE_ROWS, .colour = 4});
    auto key_of_first = [&]() {
        std::vector<sprite_layer> l = layers();
        auto it = std::find_if(l.begin(), l.end(), [](const sprite_layer& x) { return x.index == 0; });
        return it == l.end() ? uint64_t(0) : sprite_layer_change_key(&in, fog.get(), &*it, true);
    };
    const uint64_t base = key_of_first();
    EXPECT_EQ(key_of_first(), base);
    struct change_case {
        const char* name;
        std::function<void()> change, undo;
        bool moves;
    };
    uint8_t saved = 0;
    const change_case cases[] = {
        {"its palette group", [&] { saved = pal[3 * 256 + 5], pal[3 * 256 + 5] ^= 1; },
         [&] { pal[3 * 256 + 5] = saved; }, true},
        {"another palette group", [&] { saved = pal[4 * 256 + 5], pal[4 * 256 + 5] ^= 1; },
         [&] { pal[4 * 256 + 5] = saved; }, false},
        {"its position", [&] { put16(0x4010, 40 + 640 + 1); }, [&] { put16(0x4010, 40 + 640); }, true},
        {"its tile", [&] { put16(0x4010 + 12, TILE_SOLID); }, [&] { put16(0x4010 + 12, TILE_COLUMNS); }, true},
        {"the other sprite", [&] { put16(0x4020 + 12, TILE_SOLID); }, [&] { put16(0x4020 + 12, TILE_ROWS); }, false},
        {"its clip set", [&] { put16(0x200, 0x0290); }, [&] { put16(0x200, 0x0280); }, true},
        {"the fog colour", [&] { fog->fog_colour[1] = 9; }, [&] { fog->fog_colour[1] = 0; }, true},
        {"the fade", [&] { fog->fade_flags = 2, fog->fade_amount = 40; },
         [&] { fog->fade_flags = 0, fog->fade_amount = 0; }, true},
        {"the sprite ROM", [&] { sprite_rom_size -= 1024; }, [&] { sprite_rom_size += 1024; }, true},
    };
    for (const change_case& c : cases) {
        c.change();
        EXPECT_EQ(key_of_first() != base, c.moves) << c.name;
        c.undo();
        EXPECT_EQ(key_of_first(), base) << c.name;
    }
}

TEST_F(sprite_fixture, TranslucencyMixesWithTheSpriteBeneath) {
    fog->sprite_clear_group = 1;
    add({.x = 0, .y = 0, .tile = TILE_SOLID, .key = 9, .colour = 100});
    add({.x = 0, .y = 0, .tile = TILE_SOLID, .p8 = 0x4000, .key = 1});
    auto s = screen();
    EXPECT_EQ(at(s, 640, 3, 3)[1], (200 * 65) >> 8);
    EXPECT_EQ(at(s, 640, 3, 3)[3], 255);
}

TEST_F(sprite_fixture, MarkedSpritesAndMissingTiles) {
    add({.x = 0, .y = 0, .tile = TILE_SOLID, .depth = 0xFE});
    add({.x = 100, .y = 0, .tile = TILE_COUNT});  // beyond the sprite ROM
    std::vector<uint8_t> map;
    auto l = layers();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].mark + l[1].mark, 1);
    auto s = screen(&map);
    EXPECT_EQ(map[3 * 640 + 3], 3);
    EXPECT_EQ(at(s, 640, 110, 3)[3], 0);
}

TEST_F(sprite_fixture, HugeStepsStayBoundedByTheScreen) {
    add({.x = 0, .y = 0, .sx = 0xFFFF, .sy = 0xFFFF, .control = 0x00FF0000, .tile = TILE_SOLID});
    auto l = layers();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].width, 640);
    EXPECT_EQ(l[0].height, 480);
    auto start = std::chrono::steady_clock::now();
    auto s = screen();
    EXPECT_EQ(at(s, 640, 639, 479)[0], 7);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(sprite_fixture, SecondListFromTheRegionAndRegisters) {
    add({.x = 0, .y = 0, .tile = TILE_SOLID});
    // Pass 0: data at region word 0x100, attributes at word 0x200, two entries.
    regs[16] = 0x100 * 4;
    regs[18] = 0x200 * 4;
    regs[22] = 2 << 4;
    for (uint32_t k = 0; k < 2; k++) {
        uint8_t* d = region.data() + 4 * (0x100 + 4 * k);
        uint32_t words[4] = {uint32_t(640 + 100 + 100 * k) << 16 | (810 + 200), 32u << 16 | 32, 0x00FF0011,
                             TILE_ROWS << 16};
        for (int w = 0; w < 4; w++)
            for (int b = 0; b < 4; b++) d[4 * w + b] = uint8_t(words[w] >> (24 - 8 * b));
        region[4 * (0x200 + 2 * k) + 3] = uint8_t(50 + k);  // key
    }
    auto l = layers();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].priority, 51u);
    EXPECT_EQ(l[0].x0, 200);
    EXPECT_EQ(l[0].y0, 200);
    EXPECT_EQ(at(raster_layer(l[0]), 33, 0, 9)[0], 9);

    regs[12] = 0x1000000;  // second list off
    EXPECT_EQ(layers().size(), 1u);
}

TEST_F(sprite_fixture, LiveIntakeReadsTheBoardImages) {
    add({.x = 30, .y = 40, .tile = TILE_SOLID});
    memcpy(sprite_ram, ram.data(), ram.size());
    memset(board_memory.sprite_registers, 0, sizeof board_memory.sprite_registers);
    board_memory.sprite_registers[4 * 12] = 0x01;  // register 12 bit 24: no second list
    palette_3d_ready = false;
    palette_ram[7] = 0x44;
    sprite_input live{};
    ASSERT_TRUE(sprite_intake(&live));
    EXPECT_EQ(live.regs[12], 0x1000000u);
    EXPECT_EQ(live.palette, palette_ram);
    std::vector<uint8_t> s(640 * 480 * 4);
    sprites_raster_all(&live, fog.get(), s.data(), nullptr);
    EXPECT_EQ(at(s, 640, 31, 41)[0], 0x44);
    sprite_input_free(&live);
}

struct sprite_dump_fixture : sprite_fixture {
    std::string dir = temp_dir_make("sprdump");
    void TearDown() override {
        temp_dir_remove(dir);
        sprite_fixture::TearDown();
    }
    std::string path(const char* name, int frame) { return dir + "/" + name + "_f" + std::to_string(frame) + ".bin"; }
};

TEST_F(sprite_dump_fixture, DumpDrawsLikeTheLiveInput) {
    add({.x = 64, .y = 32, .tile = TILE_COLUMNS});
    ASSERT_TRUE(file_write(path("sprite", 5), ram));
    ASSERT_TRUE(file_write(path("pal", 5), pal));
    auto live = screen();

    sprite_input dump{};
    ASSERT_TRUE(sprite_dump_load(&dump, dir.c_str(), 5, pal.data()));
    EXPECT_EQ(dump.palette, pal.data());  // equal bytes: the shared palette is used
    EXPECT_EQ(dump.palette_owned, 0);
    EXPECT_EQ(dump.regs_valid, 0);
    std::vector<uint8_t> s(640 * 480 * 4);
    sprites_raster_all(&dump, fog.get(), s.data(), nullptr);
    EXPECT_EQ(s, live);
    sprite_input_free(&dump);

    std::vector<uint8_t> other = pal;
    other[0] ^= 1;
    ASSERT_TRUE(sprite_dump_load(&dump, dir.c_str(), 5, other.data()));
    EXPECT_EQ(dump.palette_owned, 1);
    sprite_input_free(&dump);
    EXPECT_EQ(dump.words, nullptr);
}

TEST_F(sprite_dump_fixture, RequiredFiles) {
    ASSERT_TRUE(file_write(path("sprite", 1), ram));
    sprite_input dump{};
    EXPECT_FALSE(sprite_dump_load(&dump, dir.c_str(), 1, nullptr));  // no palette
    EXPECT_EQ(dump.words, nullptr);
    EXPECT_EQ(dump.valid, 0);
    ASSERT_TRUE(file_write(path("pal", 2), pal));
    EXPECT_FALSE(sprite_dump_load(&dump, dir.c_str(), 2, nullptr));  // no sprite RAM

    // An empty sprite file loads but lists nothing; the register file counts with the region.
    FILE* empty = fopen(path("sprite", 2).c_str(), "wb");
    ASSERT_NE(empty, nullptr);
    fclose(empty);
    ASSERT_TRUE(file_write(path("vicsd", 2), region));
    ASSERT_TRUE(file_write(path("vicsc", 2), std::vector<uint8_t>(200, 0)));
    ASSERT_TRUE(sprite_dump_load(&dump, dir.c_str(), 2, nullptr));
    EXPECT_EQ(dump.word_count, 0u);
    EXPECT_EQ(dump.attr_count, SPRITE_REGION_BYTES / 4);
    EXPECT_EQ(dump.regs_valid, 1);
    sprite_layer l[4];
    EXPECT_EQ(sprite_list_build(&dump, l, 4), 0);
    sprite_input_free(&dump);
}

}  // namespace
