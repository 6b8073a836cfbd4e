// Whole pages of the board's sprite and text writers rasterised on the CPU and compared
// with reference pictures pixel for pixel (tests/render/golden).
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/sprite_layer.h"
#include "render/text_layer.h"
#include "tests/render/frame_scene.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

rgb_picture rgb_of(const std::vector<uint8_t>& rgba) {
    rgb_picture p;
    p.width = 640;
    p.height = 480;
    p.rgb.resize(640 * 480 * 3);
    for (size_t i = 0; i < 640 * 480; i++) memcpy(&p.rgb[3 * i], &rgba[4 * i], 3);
    return p;
}

class LayerPages : public testing::Test {
protected:
    void SetUp() override {
        saved = scene_rom_save();
        const synth_rom_set* rom = synth_rom_shared();
        board_memory_clear();
        memcpy(program_rom, rom->program, sizeof program_rom);
        sprite_rom = scene_sprite_rom(&sprite_rom_size);
        palette_source_init("/nonexistent");
        video_mixer_init();
        textram_clear();
    }
    void TearDown() override { scene_rom_restore(saved); }
    scene_rom_pointers saved;
};

TEST_F(LayerPages, SpritePageOfTheBoardsSpriteWriter) {
    wram_long_set(W_FRAME_TICK, 4);
    sprite_list_upload();
    // A row of single tiles, blocks of 2 x 2 and 3 x 3 tiles, and overlapping keys.
    for (int i = 0; i < 8; i++) sprite_call(7, 0x11, 20 + 70 * i, 30, 0x100 - i, 0x20, 0x20, 0, 1);
    sprite_call(3, 0x22, 60, 150, 0x10, 0x20, 0x20, 0, 1);
    sprite_call(3, 0x33, 250, 150, 0x10, 0x20, 0x20, 0, 1);
    sprite_call(2, 0x11, 80, 170, 0x10, 0x20, 0x20, 0, 1);   // over the 2 x 2 block
    sprite_call(5, 0x11, 270, 170, 0x10, 0x20, 0x20, 0, 1);  // under the 3 x 3 block
    sprite_call(1, -0x11, 500, 300, 0x10, 0x30, 0x18, 0, 1);  // mirrored, zoomed
    wram_long_set(W_FRAME_TICK, 8);
    sprite_list_upload();
    sprite_input in{};
    ASSERT_TRUE(sprite_intake(&in));
    ASSERT_TRUE(fog_mixer_intake());
    std::vector<uint8_t> rgba(640 * 480 * 4);
    sprites_raster_all(&in, &fog_current, rgba.data(), nullptr);
    EXPECT_EQ(golden_check(rgb_of(rgba), golden_path("sprite_page"), 0), "");
}

TEST_F(LayerPages, TextPageOfTheBoardsTextWriter) {
    cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
    memset(CGRAM + 0x20 * 128, 0xFF, 128);  // the blank cell's tile: all transparent
    text_print(2, 1, SYNTH_STRING_TEN, 1);
    text_print(60, 4, SYNTH_STRING_LONG, 2);  // runs on into the next rows
    text_print_hex(10, 10, 8, 0x89ABCDEF, 3);
    text_print_signed(30, 12, 5, -1234, 4);
    text_block_draw(SYNTH_BLOCK_SMALL.number, 6, 20, 100, 5);
    text_input in{};
    ASSERT_TRUE(text_intake(&in));
    ASSERT_TRUE(fog_mixer_intake());
    std::vector<uint8_t> rgba(640 * 480 * 4);
    text_layer_raster(&in, &fog_current, rgba.data(), true);
    EXPECT_EQ(golden_check(rgb_of(rgba), golden_path("text_page"), 0), "");
}

}  // namespace
