// The frame renderer end to end: display lists, sprites, text and mixer state written by
// the board's writers, drawn headless by render_frame_3d and compared with reference
// pictures (tests/render/golden), plus the painter's ordering and fade rules.
#include "render/frame_render.h"

#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/dl_walker.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "tests/render/frame_scene.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

constexpr int GOLDEN_TOLERANCE = 3;
const uint8_t FOG_RGB[3] = {0xE0, 0x90, 0x40};

class FrameRender : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_test_window());
        SDL_GL_MakeCurrent(gl_engine_window, gl_engine_context);
        saved = scene_rom_save();
        scene_board_reset();
        video_mixer_init();
        scene_mixer_neutral();
        for (int i = 0; i < 0x400; i++) czram[i] = 0;
        mixer_registers[MIX_FADE_AMOUNT] = 0;
        mixer_registers[MIX_FADE_FLAGS] = 0;
        text_blank();
        frame_quads_clear();
    }
    // Every cell the blank cell, whose tile is all transparent (pixel value 15).
    static void text_blank() {
        textram_clear();
        memset(CGRAM + 0x20 * 128, 0xFF, 128);
    }
    void TearDown() override {
        unsetenv("ENG_FOG2PASS");
        quad_draw_switches_reset();
        scene_rom_restore(saved);
    }

    // Cubes at several depths, turned to show three faces each.
    static void cubes_write() {
        dl_object_at(0, SCENE_CUBE, -0x16000, 0x6000, 0x30000, 0x1800, 0x1000, 0, 0);
        dl_object_at(0, SCENE_CUBE, 0x4000, 0x2000, 0x50000, 0x2800, 0x3000, 0, 0);
        dl_object_at(0, SCENE_CUBE, 0x30000, 0x8000, 0x90000, 0x1000, 0x2000, 0, 0);
        dl_object_at(0, SCENE_CUBE, -0x40000, 0x10000, 0xE0000, 0x3000, 0x1000, 0, 0);
    }
    // Ground tiles (0x10000 wide as drawn) from near to far below the camera.
    static void ground_write() {
        for (int row = 0; row < 19; row++)
            for (int col = -5; col <= 5; col++)
                dl_marker(0, SCENE_GROUND, col * 0x10000, -0xC000, 0x8000 + row * 0x10000);
    }
    // Sprites through the game's record list and its upload (buffer 0 written, then
    // uploaded four frames later).
    static void sprites_write(const int32_t (*calls)[4], int n) {
        wram_long_set(W_FRAME_TICK, 4);
        sprite_list_upload();
        for (int i = 0; i < n; i++)
            sprite_call(calls[i][0], calls[i][1], calls[i][2], calls[i][3], calls[i][0] == 7 ? 0x40000 : 0x100, 0x20,
                        0x20, 0, 1);
        wram_long_set(W_FRAME_TICK, 8);
        sprite_list_upload();
    }
    static void text_write() {
        cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
        text_blank();
        text_print(4, 3, SYNTH_STRING_TEN, 1);
        text_print(20, 26, SYNTH_STRING_TEN, 2);
    }
    static void list_end() {
        dl_terminate();
        ASSERT_EQ(dl_guard_count, 0u);
    }
    static rgb_picture draw(int w, int h) {
        scene_viewport(w, h);
        render_frame_3d();
        return scene_read(w, h);
    }
    static void golden(const rgb_picture& p, const char* name) {
        EXPECT_EQ(golden_check(p, golden_path(name), GOLDEN_TOLERANCE), "") << name;
    }

    scene_rom_pointers saved;
};

TEST_F(FrameRender, CubesOverAFoggedGroundAt4x3And16x9) {
    scene_fog_set(FOG_RGB[0], FOG_RGB[1], FOG_RGB[2]);
    ground_write();
    cubes_write();
    list_end();
    rgb_picture narrow = draw(640, 480);
    golden(narrow, "cubes_fog_ground_4x3");
    ASSERT_TRUE(live_feed_active());
    EXPECT_GT(last_frame_quad_count(), 40);

    // Far ground approaches the fog colour; the near ground keeps its texture.
    const uint8_t* far = scene_pixel(narrow, 320, 263);
    for (int c = 0; c < 3; c++) EXPECT_NEAR(far[c], FOG_RGB[c], 12) << c;
    const uint8_t* near = scene_pixel(narrow, 320, 470);
    EXPECT_GT(abs(near[2] - FOG_RGB[2]) + abs(near[0] - FOG_RGB[0]), 60);

    // The wide picture shows the same scene with the ground reaching into the margins.
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    ground_write();
    cubes_write();
    list_end();
    golden(draw(854, 480), "cubes_fog_ground_16x9");
}

TEST_F(FrameRender, SecondPassFogMatchesTheTextureUnitFog) {
    scene_fog_set(FOG_RGB[0], FOG_RGB[1], FOG_RGB[2]);
    ground_write();
    list_end();
    rgb_picture single = draw(640, 480);
    setenv("ENG_FOG2PASS", "1", 1);
    quad_draw_switches_reset();
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    ground_write();
    list_end();
    rgb_picture two_pass = draw(640, 480);
    EXPECT_FALSE(quad_fog_two_unit());
    EXPECT_EQ(picture_difference(two_pass, single, 3), "");
}

TEST_F(FrameRender, SpritesInterleaveWithQuadsByKeyUnderTheText) {
    cubes_write();
    list_end();
    // Layer 7 between the cubes' keys (under the near cube, over the far one); layer 0
    // in front of everything.
    const int32_t calls[3][4] = {{7, 0x22, 80, 150}, {7, 0x11, 480, 190}, {0, 0x11, 330, 215}};
    sprites_write(calls, 3);
    text_write();
    golden(draw(640, 480), "sprites_text_4x3");
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    cubes_write();
    list_end();
    sprites_write(calls, 3);
    golden(draw(854, 480), "sprites_text_16x9");
}

TEST_F(FrameRender, FadeBlendsTheSceneAndFullFadeIsSolid) {
    scene_fog_set(FOG_RGB[0], FOG_RGB[1], FOG_RGB[2]);
    ground_write();
    cubes_write();
    list_end();
    text_write();
    mixer_registers[MIX_FADE_FLAGS] = 1;
    mixer_registers[MIX_FADE_AMOUNT] = 0x90;
    mixer_registers[MIX_FADE_COLOUR] = 0x30, mixer_registers[MIX_FADE_COLOUR + 1] = 0x00;
    mixer_registers[MIX_FADE_COLOUR + 2] = 0x50;
    golden(draw(640, 480), "fade_4x3");
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    ground_write();
    cubes_write();
    list_end();
    golden(draw(854, 480), "fade_16x9");

    // Amount 255: alpha 1, one solid colour over the whole wide picture (the text layer
    // is not faded by flag bit 0 and is off here).
    text_blank();
    mixer_registers[MIX_FADE_AMOUNT] = 0xFF;
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    ground_write();
    cubes_write();
    list_end();
    rgb_picture solid = draw(854, 480);
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 854; x += 7) {
            const uint8_t* p = scene_pixel(solid, x, y);
            ASSERT_TRUE(p[0] == 0x30 && p[1] == 0 && p[2] == 0x50) << x << "," << y;
        }
}

// The cached text raster is redrawn when the mixer moves the text layer to another
// palette group (nothing else about the text changed).
TEST_F(FrameRender, TextLayerFollowsItsPaletteGroup) {
    list_end();
    text_write();
    for (int e = 0; e < 0x200; e++) palette_ram[e] = uint8_t(e & 0xFF), palette_ram[0x100 + e] = 0x40;
    for (uint32_t e = 0; e < 0x200; e++) palette_entry_mark_written(e);
    mixer_registers[MIX_TEXT_GROUP] = 0;
    rgb_picture group0 = draw(640, 480);
    mixer_registers[MIX_TEXT_GROUP] = 1;
    rgb_picture group1 = draw(640, 480);
    EXPECT_NE(picture_difference(group0, group1, 0), "");
}

// The sprite layers and the text layer are drawn again only when what they show
// changes: a repeated frame gives the same picture, a frame with the sprite moved and
// the text on another row shows both changes, so does a fade of the 2D layers, and going
// back gives the first picture.
TEST_F(FrameRender, ChangedSpritesAndTextShowAndRepeatedFramesStayTheSame) {
    cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
    auto frame = [&](int32_t x, int row) {
        dl_cursor_set(dl_packet_area(dl_buffer_current()));
        list_end();
        const int32_t call[1][4] = {{7, 0x11, x, 200}};
        sprites_write(call, 1);
        text_blank();
        text_print(4, row, SYNTH_STRING_TEN, 1);
        return draw(640, 480);
    };
    // Pixels of the box (x0, y0)-(x1, y1) that differ between two pictures.
    auto differing = [](const rgb_picture& a, const rgb_picture& b, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) n += memcmp(scene_pixel(a, x, y), scene_pixel(b, x, y), 3) != 0;
        return n;
    };
    rgb_picture first = frame(100, 3);
    EXPECT_EQ(picture_difference(frame(100, 3), first, 0), "");
    rgb_picture moved = frame(400, 20);
    EXPECT_GT(differing(first, moved, 104, 204, 124, 224), 200) << "the sprite left its first place";
    EXPECT_GT(differing(first, moved, 404, 204, 424, 224), 200) << "the sprite shows at its new place";
    EXPECT_GT(differing(first, moved, 0, 48, 640, 64), 100) << "the text left row 3";
    EXPECT_GT(differing(first, moved, 0, 320, 640, 336), 100) << "the text shows on row 20";
    // The 2D layers' fade changes the sprite's and the text's colours where they stand.
    mixer_registers[MIX_FADE_FLAGS] = 2;
    mixer_registers[MIX_FADE_AMOUNT] = 0x80;
    rgb_picture faded = frame(100, 3);
    EXPECT_GT(differing(first, faded, 104, 204, 124, 224), 200) << "the sprite fades";
    EXPECT_GT(differing(first, faded, 0, 48, 640, 64), 100) << "the text fades";
    mixer_registers[MIX_FADE_FLAGS] = 0;
    mixer_registers[MIX_FADE_AMOUNT] = 0;
    EXPECT_EQ(picture_difference(frame(100, 3), first, 0), "");
}

// One quad and one sprite layer with the same key: the layer is drawn first, the quad
// over it; a quad one key farther goes under the layer.
TEST_F(FrameRender, AQuadWithTheLayersKeyPaintsOverTheLayer) {
    dl_marker(0, SCENE_CUBE, 0, 0, 0x30000);
    list_end();
    dl_source_select_live();
    walk_display_list();
    ASSERT_GT(frame_quad_count, 0);
    uint32_t key = frame_quads[0].zsort & 0xFFFFFF;
    frame_quads_clear();

    struct order_case {
        int32_t key_delta;  // sprite key - quad key
        bool quad_on_top;
    };
    for (const order_case c : {order_case{0, true}, order_case{-1, false}}) {
        scene_board_reset();
        video_mixer_init();
        scene_mixer_neutral();
        text_blank();
        dl_marker(0, SCENE_CUBE, 0, 0, 0x30000);
        list_end();
        // A layer covering the cube's middle (sprite_call's key is layer << 21 + priority).
        int32_t sprite_key = int32_t(key) + c.key_delta;
        wram_long_set(W_FRAME_TICK, 4);
        sprite_list_upload();
        sprite_call(sprite_key >> 21, 0x11, 300, 220, sprite_key & 0x1FFFFF, 0x20, 0x20, 0, 1);
        wram_long_set(W_FRAME_TICK, 8);
        sprite_list_upload();
        rgb_picture with_sprite = draw(640, 480);
        // The same frame without the sprite gives the cube's own pixels.
        scene_board_reset();
        video_mixer_init();
        scene_mixer_neutral();
        text_blank();
        dl_marker(0, SCENE_CUBE, 0, 0, 0x30000);
        list_end();
        rgb_picture cube_only = draw(640, 480);
        int same = 0, total = 0;
        for (int y = 224; y < 250; y++)
            for (int x = 304; x < 330; x++) {
                total++;
                same += memcmp(scene_pixel(with_sprite, x, y), scene_pixel(cube_only, x, y), 3) == 0;
            }
        if (c.quad_on_top)
            EXPECT_EQ(same, total) << "the quad must cover the layer of equal key";
        else
            EXPECT_LT(same, total / 2) << "the layer of the nearer key must cover the quad";
    }
}

}  // namespace
