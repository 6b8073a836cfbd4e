#include "render/text_layer.h"

#include "board/board_memory.h"
#include "render/palette_source.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Tile pattern: pixel (px, py) = (px + 2 py) mod 16, so value 15 (transparent) appears too.
int pattern(int px, int py) {
    return (px + 2 * py) & 15;
}

struct text_fixture : ::testing::Test {
    std::vector<uint8_t> chars = std::vector<uint8_t>(TEXT_CHARS_BYTES);
    std::vector<uint8_t> pal = std::vector<uint8_t>(PALETTE_BYTES);
    std::vector<uint8_t> out = std::vector<uint8_t>(640 * 480 * 4);
    uint16_t regs[TEXT_REGISTERS] = {860, 0};
    std::unique_ptr<fog_state> fog = std::make_unique<fog_state>();
    text_input in{};

    void SetUp() override {
        fog->text_group = 0x7F;
        fog->text_clear_low = 0xFF;
        fog->text_clear_pixel = 0x0F;
        // Group g entry j: R = j, G = g, B = 0x80.
        for (uint32_t e = 0; e < PALETTE_ENTRIES; e++) {
            pal[e] = uint8_t(e);
            pal[PALETTE_ENTRIES + e] = uint8_t(e >> 8);
            pal[2 * PALETTE_ENTRIES + e] = 0x80;
        }
        for (int bank = 0; bank < 4; bank++)
            for (int py = 0; py < 16; py++)
                for (int px = 0; px < 16; px++) set_pixel(bank, 'A', px, py, bank == 0 ? pattern(px, py) : bank);
        for (int r = 0; r < 64; r++)
            for (int c = 0; c < 64; c++) set_cell(c, r, 0, ' ');  // tile 0x20: all zero
    }

    void set_pixel(int bank, int code, int px, int py, int v) {
        uint8_t& b = chars[size_t(bank) * 0x8000 + size_t(code) * 128 + size_t(py) * 8 + size_t(px) / 2];
        b = (px & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | v << 4);
    }
    void set_cell(int col, int row, uint8_t attr, uint8_t code) {
        chars[TEXT_MAP_OFFSET + 2 * size_t(64 * row + col)] = attr;
        chars[TEXT_MAP_OFFSET + 2 * size_t(64 * row + col) + 1] = code;
    }
    const uint8_t* raster(bool background = false) {
        text_input_set(&in, chars.data(), pal.data(), regs);
        text_layer_raster(&in, fog.get(), out.data(), background);
        return out.data();
    }
    const uint8_t* at(int x, int y) const { return out.data() + 4 * (size_t(y) * 640 + size_t(x)); }

    // Compares the 16 x 16 screen block at (x, y) with cell pixels read through `read`.
    template <typename F>
    void expect_cell_at(int x, int y, int colour, F read) {
        for (int py = 0; py < 16; py++)
            for (int px = 0; px < 16; px++) {
                int v = read(px, py);
                const uint8_t* p = at(x + px, y + py);
                if (v == 15) {
                    ASSERT_EQ(p[3], 0) << px << "," << py;
                } else {
                    ASSERT_EQ(p[0], colour + v) << px << "," << py;
                    ASSERT_EQ(p[1], 0x7F);
                    ASSERT_EQ(p[3], 255);
                }
            }
    }
};

TEST_F(text_fixture, Register0Of860PutsCellZeroAtTheTopLeft) {
    set_cell(0, 0, 0x30, 'A');
    raster();
    expect_cell_at(0, 0, 0x30, pattern);
    EXPECT_EQ(at(16, 0)[0], 0);  // the blank cell: pixel 0, colour 0 of the group
    EXPECT_EQ(at(16, 0)[3], 255);
}

TEST_F(text_fixture, ScrollWrapsTheMap) {
    set_cell(1, 2, 0x10, 'A');
    struct {
        uint16_t x, y;
        int screen_x, screen_y;
    } cases[] = {
        {860, 0, 16, 32},        {860 + 16, 32, 0, 0},     {860 + 1024, 0x400, 16, 32},
        {860 - 8, 0x400 + 4, 24, 28}, {uint16_t(860 + 16 + 65536 - 1024), 32, 0, 0},
    };
    for (auto& c : cases) {
        regs[0] = c.x;
        regs[1] = c.y;
        raster();
        expect_cell_at(c.screen_x, c.screen_y, 0x10, pattern);
    }
}

TEST_F(text_fixture, FlipsAndBanks) {
    set_cell(0, 0, 0x04, 'A');
    set_cell(1, 0, 0x08, 'A');
    set_cell(2, 0, 0x0C, 'A');
    set_cell(3, 0, 0x02, 'A');
    raster();
    expect_cell_at(0, 0, 0, [](int px, int py) { return pattern(15 - px, py); });
    expect_cell_at(16, 0, 0, [](int px, int py) { return pattern(px, 15 - py); });
    expect_cell_at(32, 0, 0, [](int px, int py) { return pattern(15 - px, 15 - py); });
    expect_cell_at(48, 0, 0, [](int, int) { return 2; });
}

TEST_F(text_fixture, TransparentPixelsShowTheBackground) {
    set_cell(0, 0, 0x20, 'A');
    fog->bg_colour[0] = 0x11;
    fog->bg_colour[1] = 0x22;
    fog->bg_colour[2] = 0x33;
    raster(true);
    const uint8_t* clear = at(15, 0);  // pattern 15
    EXPECT_EQ(clear[0], 0x11);
    EXPECT_EQ(clear[2], 0x33);
    EXPECT_EQ(clear[3], 255);
    EXPECT_EQ(at(3, 0)[0], 0x23);

    // The lookup tables colour every pixel of the background picture.
    for (int i = 0; i < 256; i++) fog->lut[0][i] = uint8_t(255 - i);
    fog->lut_active = 1;
    raster(true);
    EXPECT_EQ(at(15, 0)[0], 0xEE);
    EXPECT_EQ(at(3, 0)[0], 0xDC);
    raster(false);
    EXPECT_EQ(at(3, 0)[0], 0x23);  // the live layer is not put through them
}

TEST_F(text_fixture, FadeOfTheTextLayer) {
    set_cell(0, 0, 0x30, 'A');
    fog->fade_amount = 255;
    fog->fade_flags = 2;
    raster();
    for (int x = 0; x < 16; x++) {
        if (pattern(x, 0) != 15) {
            EXPECT_EQ(at(x, 0)[0] | at(x, 0)[1] | at(x, 0)[2], 0) << x;
        }
    }
    fog->fade_colour[0] = 200;
    fog->fade_amount = 0x80;
    raster();
    EXPECT_EQ(at(3, 0)[0], (0x33 * 127 + 200 * 128) / 255);
    fog->fade_flags = 1;  // the fade quad alone leaves the layer alone
    raster();
    EXPECT_EQ(at(3, 0)[0], 0x33);
}

TEST_F(text_fixture, Translucency) {
    set_cell(0, 0, 0x30, 'A');
    fog->text_clear_amount = 0x40;
    fog->text_clear_pixel = 3;
    raster();
    EXPECT_EQ(at(3, 0)[3], 0xBF);  // the chosen pixel value
    EXPECT_EQ(at(3, 0)[0], 0x33);
    EXPECT_EQ(at(4, 0)[3], 255);

    fog->text_clear_low = 0x34;
    fog->text_clear_high = 0x36;
    raster();
    EXPECT_EQ(at(4, 0)[3], 0xBF);  // colours 0x34..0x36
    EXPECT_EQ(at(6, 0)[3], 0xBF);
    EXPECT_EQ(at(7, 0)[3], 255);

    fog->bg_colour[0] = 0xFF;
    raster(true);
    EXPECT_EQ(at(4, 0)[0], (0x34 * (255 - 0x40) + 0xFF * 0x40) / 255);
    EXPECT_EQ(at(4, 0)[3], 255);

    fog->text_clear_amount = 0;
    raster();
    EXPECT_EQ(at(3, 0)[3], 255);
}

TEST_F(text_fixture, PaletteGroupComesFromTheMixer) {
    set_cell(0, 0, 0x30, 'A');
    fog->text_group = 0x85;  // bits 0-6 only
    raster();
    EXPECT_EQ(at(3, 0)[1], 5);
    EXPECT_EQ(at(3, 0)[0], 0x33);
}

TEST_F(text_fixture, ChangeKeyFollowsEveryInputOfThePicture) {
    text_input_set(&in, chars.data(), pal.data(), regs);
    uint64_t k0 = text_layer_change_key(&in, fog.get());
    EXPECT_EQ(text_layer_change_key(&in, fog.get()), k0);
    struct {
        const char* name;
        void (*change)(text_fixture*);
        bool moves;
    } cases[] = {
        {"character byte", [](text_fixture* f) { f->chars[0x1FFFF] ^= 1; }, true},
        {"palette byte", [](text_fixture* f) { f->pal[PALETTE_BYTES - 1] ^= 1; }, true},
        {"register", [](text_fixture* f) { f->in.text_regs[7] ^= 1; }, true},
        {"colour scale", [](text_fixture* f) { f->fog->colour_scale[2] ^= 1; }, true},
        {"lookup table", [](text_fixture* f) { f->fog->lut[2][255] ^= 1; }, true},
        {"fade flags", [](text_fixture* f) { f->fog->fade_flags ^= 1; }, true},
        {"fade amount without the layer fade", [](text_fixture* f) { f->fog->fade_amount ^= 1; }, false},
        {"background colour", [](text_fixture* f) { f->fog->bg_colour[0] ^= 1; }, false},
    };
    for (auto& c : cases) {
        c.change(this);
        EXPECT_EQ(text_layer_change_key(&in, fog.get()) != k0, c.moves) << c.name;
        c.change(this);
        EXPECT_EQ(text_layer_change_key(&in, fog.get()), k0) << c.name;
    }
    fog->fade_flags = 2;
    fog->fade_amount = 9;
    uint64_t faded = text_layer_change_key(&in, fog.get());
    fog->fade_amount = 10;
    EXPECT_NE(text_layer_change_key(&in, fog.get()), faded);
    fog->fade_colour[1] = 1;
    EXPECT_NE(text_layer_change_key(&in, fog.get()), faded);
}

TEST_F(text_fixture, IntakeCopiesTheBoardImages) {
    memcpy(CGRAM, chars.data(), sizeof CGRAM);
    memset(textram, 0, sizeof textram);
    textram[128 + 2] = 0x30;  // cell (1, 1)
    textram[128 + 3] = 'A';
    board_memory.text_registers[0] = 860 >> 8;
    board_memory.text_registers[1] = 860 & 0xFF;
    board_memory.text_registers[3] = 16;  // y scroll
    memcpy(palette_ram, pal.data(), PALETTE_BYTES);
    palette_3d_ready = false;
    text_input live{};
    ASSERT_TRUE(text_intake(&live));
    EXPECT_EQ(live.text_regs[0], 860);
    EXPECT_EQ(live.text_regs[1], 16);
    EXPECT_EQ(live.palette, palette_ram);
    EXPECT_EQ(live.chars[TEXT_MAP_OFFSET + 128 + 3], 'A');
    text_layer_raster(&live, fog.get(), out.data(), false);
    EXPECT_EQ(at(16 + 3, 2)[0], 0x30 + pattern(3, 2));
    text_input_free(&live);

    palette_source_init("/nonexistent");
    ASSERT_TRUE(text_intake(&live));
    EXPECT_EQ(live.palette, palette_compose());
}

struct text_dump_fixture : text_fixture {
    std::string dir = temp_dir_make("textdump");
    void TearDown() override { temp_dir_remove(dir); }
    std::string path(const char* name, int frame) { return dir + "/" + name + "_f" + std::to_string(frame) + ".bin"; }
};

TEST_F(text_dump_fixture, DumpLoadsAndSharesEqualData) {
    set_cell(0, 1, 0x30, 'A');
    ASSERT_TRUE(file_write(path("cgram", 4), chars));
    ASSERT_TRUE(file_write(path("pal", 4), pal));
    ASSERT_TRUE(file_write(path("tattr", 4), {0x03, 0x5C, 0x00, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAB}));
    text_input dump{};
    ASSERT_TRUE(text_dump_load(&dump, dir.c_str(), 4, pal.data(), nullptr));
    EXPECT_EQ(dump.enabled, 1);
    EXPECT_EQ(dump.palette, pal.data());
    EXPECT_EQ(dump.palette_owned, 0);
    EXPECT_EQ(dump.chars_owned, 1);
    EXPECT_EQ(dump.text_regs[0], 860);
    EXPECT_EQ(dump.text_regs[1], 16);
    EXPECT_EQ(dump.text_regs[7], 0xAB);
    text_layer_raster(&dump, fog.get(), out.data(), false);
    EXPECT_EQ(at(3, 1)[0], 0x30 + pattern(3, 1));
    text_input_free(&dump);
    EXPECT_EQ(dump.chars, nullptr);

    ASSERT_TRUE(file_write(path("tattr", 5), std::vector<uint8_t>(15)));
    ASSERT_TRUE(file_write(path("cgram", 5), chars));
    ASSERT_TRUE(file_write(path("pal", 5), pal));
    EXPECT_FALSE(text_dump_load(&dump, dir.c_str(), 5, nullptr, chars.data()));
    EXPECT_EQ(dump.enabled, 0);
    EXPECT_EQ(dump.chars, nullptr);
    text_layer_raster(&dump, fog.get(), out.data(), false);
    EXPECT_EQ(at(3, 0)[3], 0);
}

}  // namespace
