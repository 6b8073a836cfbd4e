// The 2D fallback: text cells and the game's sprite records into the 1024 x 512 picture,
// the list consumed, and the fallback fade's factor range.
#include "render/layer2d.h"

#include "board/sprite_records.h"
#include "tests/render/frame_scene.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class Layer2d : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        saved = scene_rom_save();
        board_memory_clear();
        layer2d_texture_create();
        rom.assign(8 * 1024, 0);
        rom[5 * 1024 + 2 * 32 + 1] = 7;  // tile 5: one pixel at (1, 2)
        sprite_rom = rom.data();
        sprite_rom_size = uint32_t(rom.size());
        palette_ram[0x7407] = 0xFF;  // sprite colour 0x7400 + 7: red
        palette_ram[PALETTE_ENTRIES + 0x0031] = 0xFF;  // text colour group 0, colour 3, pixel 1: green
        text_registers[0] = 1500 >> 8, text_registers[1] = 1500 & 0xFF;  // sprite origin (0, 0)
        text_registers[2] = 810 >> 8, text_registers[3] = 810 & 0xFF;
    }
    void TearDown() override { scene_rom_restore(saved); }
    static void cell_set(int column, int row, uint16_t cell) {
        textram[row * 128 + column * 2] = uint8_t(cell >> 8);
        textram[row * 128 + column * 2 + 1] = uint8_t(cell);
    }
    static const uint8_t* px(int x, int y) { return layer2d_pixels + (size_t(y) * LAYER2D_W + size_t(x)) * 4; }
    // Sprite record r of buffer 0 in the work-RAM slots.
    static void record_set(int r, int32_t tile, int32_t x, int32_t y, int32_t flags, int32_t next) {
        uint32_t at = W_SPRITE_BUFFERS + SPRITE_RECORD_BYTES * uint32_t(r);
        wram[at] = tile, wram[at + 2] = x, wram[at + 4] = y, wram[at + 18] = flags, wram[at + 22] = next;
    }
    scene_rom_pointers saved;
    std::vector<uint8_t> rom;
};

TEST_F(Layer2d, TextCellsSkipTheBlankCodesAndMirror) {
    // Tile 958: pixel value 1 in the left column of every row (high nibble of byte 0).
    for (int row = 0; row < 16; row++) {
        for (int b = 0; b < 8; b++) CGRAM[958 * 128 + row * 8 + b] = 0xFF;
        CGRAM[958 * 128 + row * 8] = 0x1F;
    }
    memset(CGRAM + 0x3BF * 128, 0x11, 128);  // would draw if the code were not skipped
    memset(CGRAM, 0x11, 128);
    cell_set(0, 0, 0x03BF);
    cell_set(1, 0, 0x0000);
    cell_set(2, 0, 0x47BE);  // tile 958, bit 10: mirrored, colour 4
    cell_set(3, 0, 0x33BE);  // not mirrored, colour 3
    cell_set(4, 0, 0x43BE);  // bit 14 is colour, not a flip: tile 958 unmirrored
    layer2d_draw();
    for (int x = 0; x < 32; x++) EXPECT_EQ(px(x, 5)[3], 0) << x;
    EXPECT_EQ(px(32 + 15, 5)[3], 255);  // the mirrored column
    EXPECT_EQ(px(32, 5)[3], 0);
    EXPECT_EQ(px(48, 5)[1], 0xFF);      // colour 3, pixel 1: entry 0x31
    EXPECT_EQ(px(48 + 15, 5)[3], 0);
    EXPECT_EQ(px(64, 5)[3], 255);
    EXPECT_EQ(px(64 + 15, 5)[3], 0);
}

TEST_F(Layer2d, SpriteRecordsDrawUnflippedByTheSignAndTheListIsConsumed) {
    wram[W_SPRITE_BUFFERS + 22] = 1;
    record_set(1, -5, 100, 40, 0, 2);
    record_set(2, 5, 200, 40, 8, 2);  // horizontally flipped; links to itself: the walk ends
    record_set(3, 5, 300, 40, 0, 0);  // never reached
    wram[W_SPRITE_COUNT] = 3;
    wram_bytes[W_SPRITE_COUNT + 3] = 3;
    layer2d_draw();
    EXPECT_EQ(px(101, 42)[0], 0xFF);       // tile -5 is tile 5, unflipped
    EXPECT_EQ(px(200 + 30, 42)[0], 0xFF);  // flag bit 3 mirrors it
    EXPECT_EQ(px(301, 42)[3], 0);
    EXPECT_EQ(wram[W_SPRITE_COUNT], 0);
    EXPECT_EQ(wram_bytes[W_SPRITE_COUNT + 3], 0);
    EXPECT_EQ(wram[W_SPRITE_BUFFERS + 22], 0);
}

TEST_F(Layer2d, FallbackFadeDrawsFactorsUpTo239) {
    for (int factor : {239, 240, 0}) {
        scene_viewport(640, 480);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 480, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        mixer_registers[0] = 0xFF, mixer_registers[1] = 0, mixer_registers[2] = 0;
        mixer_registers[3] = uint8_t(factor);
        fade_quad_draw();
        rgb_picture p = scene_read(640, 480);
        EXPECT_NEAR(scene_pixel(p, 320, 240)[0], factor == 239 ? 239 : 0, 1) << factor;
    }
}

TEST(PaletteLookup, BlackEntriesFallBackToThe3dPalette) {
    board_memory_clear();
    bool ready = palette_3d_ready;
    palette_3d_ready = true;
    palette_3d[3 * 0x123] = 9, palette_3d[3 * 0x123 + 1] = 8, palette_3d[3 * 0x123 + 2] = 7;
    uint8_t r, g, b;
    palette_lookup_rgb(0x123, &r, &g, &b);
    EXPECT_EQ(r, 9);
    EXPECT_EQ(b, 7);
    palette_ram[2 * PALETTE_ENTRIES + 0x123] = 1;
    palette_lookup_rgb(0x123, &r, &g, &b);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(b, 1);
    palette_3d_ready = ready;
}

}  // namespace
