// The frame renderer end to end: display lists, sprites, text and mixer state written by
// the board's writers, drawn headless by render_frame_3d and compared with reference
// pictures (tests/render/golden), plus the painter's ordering and fade rules.
#include "render/frame_render.h"

#include "base/host_hooks.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/dl_walker.h"
#include "render/quad_reports.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "tests/render/frame_scene.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// The box of the pixels unlike the black background.
struct pixel_box {
    int x0 = 1 << 20, x1 = -1, y0 = 1 << 20, y1 = -1;
};
pixel_box drawn_box(const rgb_picture& p) {
    pixel_box b;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            const uint8_t* px = scene_pixel(p, x, y);
            if (px[0] + px[1] + px[2] == 0) continue;
            b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
            b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
        }
    return b;
}

TEST_F(FrameRender, BboxOfTheCubesCodeIsTheBoxItsQuadsCover) {
    if (!renderer_switches_loaded) renderer_switches_read();
    renderer_switches.bbox = SYNTH_MODEL_CUBE;
    dl_object_at(0, SCENE_CUBE, 0x2000, 0x1000, 0x40000, 0x1800, 0x1000, 0, 0);
    list_end();
    rgb_picture p = draw(640, 480);
    testing::internal::CaptureStdout();
    bbox_report();
    std::string line = testing::internal::GetCapturedStdout();
    renderer_switches.bbox = -1;
    int code = 0, verts = 0, x0 = 0, x1 = 0, w = 0, y0 = 0, y1 = 0, h = 0;
    ASSERT_EQ(sscanf(line.c_str(), "  [BBOX] code=%d verts=%d screen x[%d..%d] w=%d  y[%d..%d] h=%d\n", &code, &verts,
                     &x0, &x1, &w, &y0, &y1, &h),
              8)
        << line;
    EXPECT_EQ(code, SYNTH_MODEL_CUBE);
    EXPECT_EQ(verts % 4, 0);
    EXPECT_GE(verts, 12);  // three faces at least, culled ones included
    EXPECT_EQ(w, x1 - x0);
    EXPECT_EQ(h, y1 - y0);
    // The corners span what the cube covers on screen (the back faces lie inside it).
    pixel_box b = drawn_box(p);
    EXPECT_NEAR(b.x0, x0, 2);
    EXPECT_NEAR(b.x1, x1, 2);
    EXPECT_NEAR(b.y0, y0, 2);
    EXPECT_NEAR(b.y1, y1, 2);
    EXPECT_GT(w, 20);
}

TEST_F(FrameRender, ZordPrintsItsHeaderAndOneLinePerCodeNearestLast) {
    if (!renderer_switches_loaded) renderer_switches_read();
    renderer_switches.zord = 1;
    ground_write();
    cubes_write();
    list_end();
    testing::internal::CaptureStderr();
    draw(640, 480);
    std::string out = testing::internal::GetCapturedStderr();
    renderer_switches.zord = 0;
    const std::string header = "[ZORD] painted last (on top) first:\n"
                               "[ZORD] code   quads  ap   depth     view_ap   objshift  screen bbox\n";
    ASSERT_EQ(out.substr(0, header.size()), header) << out;
    std::vector<std::string> lines;
    for (size_t at = header.size(), nl; (nl = out.find('\n', at)) != std::string::npos; at = nl + 1)
        if (out.compare(at, 7, "[ZORD] ") == 0) lines.push_back(out.substr(at, nl - at));
    ASSERT_EQ(lines.size(), 2u) << out;
    int code[2], quads[2], ap[2], depth[2];
    for (int i = 0; i < 2; i++)
        ASSERT_EQ(sscanf(lines[size_t(i)].c_str(), "[ZORD] %d %d %d %d", &code[i], &quads[i], &ap[i], &depth[i]), 4);
    // The nearest ground tile lies in front of the nearest cube: the ground comes first.
    EXPECT_EQ(code[0], SYNTH_MODEL_GROUND);
    EXPECT_EQ(code[1], SYNTH_MODEL_CUBE);
    EXPECT_LE(uint32_t(ap[0]) << 21 | uint32_t(depth[0]), uint32_t(ap[1]) << 21 | uint32_t(depth[1]));
    EXPECT_GE(quads[0], 19 * 11 / 2);
    EXPECT_GE(quads[1], 4 * 3);
    // The table is emptied for the next frame.
    testing::internal::CaptureStderr();
    zord_report();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The side fill's words for the second walk, kept for the hook below.
std::vector<int32_t> side_words;
const int32_t* side_fill_stub(int32_t* count, double, double) {
    *count = int32_t(side_words.size());
    return side_words.data();
}

// In a wide picture the side fill's list is walked after the game's: a placement the
// first walk drew is not drawn again, a new one is, and the log line counts both.
TEST_F(FrameRender, TheSecondWalkDrawsOnlyWhatTheFirstDidNot) {
    const int32_t near_cube[3] = {0, 0, 0x30000}, side_cube[3] = {0x30000, 0, 0x40000};
    dl_object_at(0, SCENE_CUBE, near_cube[0], near_cube[1], near_cube[2], 0x1800, 0x1000, 0, 0);
    list_end();
    // The same cube and one more, written into the other buffer and taken out.
    int32_t* cursor = dl_cursor_get();
    int32_t* other = dl_packet_area(1);
    dl_cursor_set(other);
    dl_object_at(0, SCENE_CUBE, near_cube[0], near_cube[1], near_cube[2], 0x1800, 0x1000, 0, 0);
    dl_object_at(0, SCENE_CUBE, side_cube[0], side_cube[1], side_cube[2], 0x1800, 0x1000, 0, 0);
    side_words.assign(other, dl_cursor_get());
    dl_cursor_set(cursor);
    ASSERT_GT(side_words.size(), 10u);

    if (!renderer_switches_loaded) renderer_switches_read();
    auto saved_hook = wide_fill_hook;
    wide_fill_hook = side_fill_stub;
    renderer_switches.widefill_log = 1;
    host_frame = 120;
    testing::internal::CaptureStderr();
    scene_viewport(854, 480);
    render_frame_3d();
    int32_t quads = last_frame_quad_count();
    std::string out = testing::internal::GetCapturedStderr();
    renderer_switches.widefill_log = 0;
    wide_fill_hook = saved_hook;
    host_frame = 0;
    EXPECT_NE(out.find("[WIDEFILL] f120: 1 placements added at the sides, 1 already drawn\n"), std::string::npos) << out;

    // Against the game's list alone: the second walk added one cube's quads.
    scene_board_reset();
    dl_object_at(0, SCENE_CUBE, near_cube[0], near_cube[1], near_cube[2], 0x1800, 0x1000, 0, 0);
    list_end();
    scene_viewport(854, 480);
    render_frame_3d();
    int32_t alone = last_frame_quad_count();
    EXPECT_GT(alone, 0);
    EXPECT_GT(quads, alone);
    EXPECT_LE(quads, 2 * alone + 2);
}

}  // namespace
