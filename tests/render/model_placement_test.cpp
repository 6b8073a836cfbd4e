// Model placement: the camera record from the game camera and the view blocks, lens
// view, ending viewpoint, screen models, the wide-screen HUD shift, the two-pass sets,
// the pause orbit and the live quad sink, over the synthetic models.
#include "render/model_placement.h"

#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "render/dl_walker.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "render/rotation_math.h"
#include "render/wide_margins.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t CUBE = SYNTH_MODEL_CUBE - MODEL_CODE_OFFSET;  // display-list numbers
constexpr int32_t LIT = SYNTH_MODEL_LIT - MODEL_CODE_OFFSET;
constexpr int32_t DEPTH = SYNTH_MODEL_DEPTH - MODEL_CODE_OFFSET;
constexpr int32_t WIDE_MODEL = 802;
constexpr int32_t MARGIN = 107;  // left margin of a 16:9 picture 480 high

// The synthetic point ROM, with model 802 a copy of the depth model and the pivot
// class codes 113, 114 and 138 copies of the cube.
const uint32_t* point_image() {
    static std::vector<uint32_t> image = [] {
        const uint32_t* rom = synth_rom_shared()->point;
        std::vector<uint32_t> v(rom, rom + POINT_ROM_WORDS);
        v[WIDE_MODEL + MODEL_CODE_OFFSET] = v[SYNTH_MODEL_DEPTH];
        v[113] = v[114] = v[138] = v[SYNTH_MODEL_CUBE];
        return v;
    }();
    return image.data();
}

class PlacementTest : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        dl_buffers_init();
        saved_switches = renderer_switches;
        saved_rom = point_rom;
        saved_count = point_rom_count;
        saved_margin = hud_margin_left;
        point_rom = point_image();
        point_rom_count = POINT_ROM_WORDS;
        memset(&dl_walk, 0, sizeof dl_walk);
        dl_walk.header_code = 0x8000;
        dl_walk.axis_order = -1;
        dl_walker_reset();
        placement_sets_clear();
        memset(&pause_view, 0, sizeof pause_view);
        frame_quads_clear();
    }
    void TearDown() override {
        renderer_switches = saved_switches;
        point_rom = saved_rom;
        point_rom_count = saved_count;
        hud_margin_left = saved_margin;
        memset(&pause_view, 0, sizeof pause_view);
        placement_sets_clear();
        frame_quads_clear();
    }
    void state(int32_t game_state, int32_t sub_state) {
        w_write32(WRAM_BASE + 0x0CBC, game_state);
        w_write32(WRAM_BASE + 0x0CC0, sub_state);
    }
    void view_word_set(int32_t block, int word, int32_t value) {
        dsp_word_set(uint32_t(DL_LIST_BASE_0 - 0x400 + 128 * block + 4 * word) / 4, value);
    }
    // The sx of every near vertex of the frame's quads.
    std::vector<int32_t> near_sx() {
        std::vector<int32_t> sx;
        for (int32_t i = 0; i < frame_quad_count; i++)
            for (int32_t k = 0; k < frame_quads[i].near_count; k++) sx.push_back(frame_quads[i].near[k].sx);
        return sx;
    }

    renderer_switch_set saved_switches;
    const uint32_t* saved_rom;
    uint32_t saved_count;
    int saved_margin;
};

TEST_F(PlacementTest, DefaultViewBlocksGiveFocalShiftAndPriorityBase) {
    for (int32_t k = 0; k < 8; k++) {
        dl_walk.prio = k;
        render_model(CUBE, nullptr, 0, 0, 0x30000);
        // Word 14 = 1920 (30 degrees): 320 / tan 30 = 554.26, x 32 = 17736; block 1 has
        // 2432 (38 degrees): 409.58 x 64 = 26213.
        EXPECT_EQ(geo_camera.focal, k == 1 ? 26213 : 0x4548) << k;
        EXPECT_EQ(geo_camera.shift, k == 1 ? 6 : 5) << k;
        EXPECT_EQ(geo_camera.prio_base, 7 - k) << k;
    }
    EXPECT_GT(frame_quad_count, 0);
}

TEST_F(PlacementTest, WithoutViewBlocksTheDefaultsStay) {
    dl_source.list_base = 0x200;  // no view area below it
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    EXPECT_EQ(geo_camera.focal, 0x4548);
    EXPECT_EQ(geo_camera.shift, 5);
    EXPECT_EQ(geo_camera.prio_base, 7);
}

TEST_F(PlacementTest, TheGameCameraTurnsTheModelAndItsTranslation) {
    w_write32(WRAM_BASE + W_CAMERA_HEADING, 0x4000);
    int32_t cam[9];
    camera_matrix_build(cam, true);
    // H of 90 degrees times P and R of angle 0 (0x7FFF): [[0, 0, -32767], [0, 32765, 0],
    // [32765, 0, 0]] (negative products floor).
    const int32_t want[9] = {0, 0, -32767, 0, 32765, 0, 32765, 0, 0};
    for (int k = 0; k < 9; k++) EXPECT_EQ(cam[k], want[k]) << k;

    render_model(CUBE, nullptr, 0, 0, 1000);
    // T = z x (32765 >> 1) >> 14 = 1000 x 16382 >> 14 = 999 along x.
    EXPECT_EQ(geo_camera.tx, 999);
    EXPECT_EQ(geo_camera.ty, 0);
    EXPECT_EQ(geo_camera.tz, 0);
    // The model rotation is the camera matrix halved.
    EXPECT_EQ(geo_camera.m[2], -16384);
    EXPECT_EQ(geo_camera.m[4], 16382);
    EXPECT_EQ(geo_camera.m[6], 16382);
    EXPECT_EQ(geo_camera.ly, 0x5A82);
    EXPECT_EQ(geo_camera.lz, -0x5A82);
    EXPECT_EQ(geo_camera.ambient, 20);
    EXPECT_EQ(geo_camera.light_scale, 200);
    EXPECT_EQ(geo_current_code, -1);
}

TEST_F(PlacementTest, RotationWordsAndNodeMatricesComeBeforeTheCamera) {
    // Angles (0, 90, 0) in the default order 3 (Z Y X), camera identity (0x7FFF).
    renderer_switches.geo_identity = 1;
    const int32_t words[6] = {0, 0x7FFF, 0x7FFF, 0, 0, 0x7FFF};
    render_model(CUBE, words, 0, 0, 0x30000);
    // R = [[0, 0, -0x7FFF], [0, 0x7FFD, 0], [0x7FFD, 0, 0]]; R x 0x7FFF, halved.
    EXPECT_EQ(geo_camera.m[2], (-0x7FFF * 0x7FFF >> 15) >> 1);
    EXPECT_EQ(geo_camera.m[6], (0x7FFD * 0x7FFF >> 15) >> 1);
    EXPECT_EQ(geo_camera.m[0], 0);
    // A node matrix wins over the words.
    dl_walk.has_node_matrix = true;
    mat3_identity(dl_walk.node_matrix, 0x4000);
    render_model(CUBE, words, 0, 0, 0x30000);
    EXPECT_EQ(geo_camera.m[0], (0x4000 * 0x7FFF >> 15) >> 1);
    EXPECT_EQ(geo_camera.m[2], 0);
}

TEST_F(PlacementTest, ARawNodeMatrixTimesTheViewReplacesTheRotation) {
    renderer_switches.geo_identity = 1;
    dl_walk.raw_captured = true;
    const int32_t raw[9] = {0, 0x2000, 0, 0, 0, 0, 0, 0, 0};  // column order: N[1][0]
    memcpy(dl_walk.raw, raw, sizeof raw);
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    EXPECT_EQ(geo_camera.m[3], (0x2000 * 0x7FFF >> 15) >> 1);
    EXPECT_EQ(geo_camera.m[0], 0);
    // With SKYVOLTA_NO_NMAT the first raw word scales the camera instead.
    renderer_switches.no_nmat = 1;
    dl_walk.raw[0] = 0x4000;
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    EXPECT_EQ(geo_camera.m[0], (0x7FFF * 0x4000 >> 15) >> 1);
    EXPECT_EQ(geo_camera.m[3], 0);
}

TEST_F(PlacementTest, LensViewOfPrio2) {
    view_word_set(2, 14, 100);  // 1.5625 degrees: outside the view-block zoom range
    view_word_set(2, 15, 160);
    view_word_set(2, 16, 120);
    view_word_set(2, 18, 10);
    view_word_set(2, 19, -20);
    dl_walk.prio = 2;
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    // 160 / tan(1.5625 degrees) = 5865.6, doubled twice: 23462.5 -> 23463, shift 2.
    EXPECT_EQ(geo_camera.focal, 23463);
    EXPECT_EQ(geo_camera.shift, 2);
    EXPECT_EQ(geo_camera.window, 1);
    EXPECT_EQ(geo_camera.prio_base, 5);
    EXPECT_FLOAT_EQ(geo_camera.left, -160 - 10 - 0.5f);
    EXPECT_FLOAT_EQ(geo_camera.right, 10 - 160 - 0.5f);
    EXPECT_FLOAT_EQ(geo_camera.top, -20 - 120 - 0.5f);
    EXPECT_FLOAT_EQ(geo_camera.bottom, -120 + 20 - 0.5f);

    view_word_set(2, 15, 320);  // the full screen is no lens
    view_word_set(2, 16, 240);
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    EXPECT_EQ(geo_camera.window, 0);
}

TEST_F(PlacementTest, EndingViewpoint) {
    state(3, 15);
    w_write16(WRAM_BASE + 0x172F8, 100);  // e, half width
    w_write16(WRAM_BASE + 0x172F4, 64);   // h
    w_write16(WRAM_BASE + 0x172F6, 80);   // u, half height
    dl_walk.prio = 3;
    render_model(CUBE, nullptr, 0, 0, 0x30000);
    // 100 sqrt 3 = 173.2, x 2^7 = 22170; ox = (64 x 220 x 2 >> 8) + 100 - 320 = -110;
    // oy = -(80 + (-1040 >> 3) + 150) = -100.
    EXPECT_EQ(geo_camera.focal, 22170);
    EXPECT_EQ(geo_camera.shift, 7);
    EXPECT_EQ(geo_camera.prio_base, 4);
    EXPECT_EQ(geo_camera.ox, -110);
    EXPECT_EQ(geo_camera.oy, -100);
    EXPECT_EQ(geo_camera.window, 1);
    EXPECT_FLOAT_EQ(geo_camera.left, -100.5f);
    EXPECT_FLOAT_EQ(geo_camera.bottom, -80.5f);
}

TEST_F(PlacementTest, ScreenModelRules) {
    view_word_set(5, 2, 0x7000);  // block 5 holds a rotated camera
    const struct {
        int32_t sub_state, prio, header, model;
        int view_legacy, by_model, end_world;
        bool screen;
    } cases[] = {
        {3, 0, 0x8000, 1, 0, 0, 0, false},
        {3, 1, 0x8001, 1, 0, 0, 0, true},   // unrotated view block
        {3, 4, 0x8000, 1, 0, 0, 0, true},
        {3, 5, 0x8000, 1, 0, 0, 0, false},  // rotated view block
        {3, 2, 0x8000, 1, 1, 0, 0, false},  // legacy: prio 1 or 3 only
        {3, 3, 0x8000, 1, 1, 0, 0, true},
        {3, 0, 0x8000, 610, 0, 1, 0, true},
        {3, 1, 0x8000, 609, 0, 1, 0, false},
        {15, 0, 0x8000, 1, 0, 0, 0, true},  // the ending: prio 0 and 0x8001 lists
        {15, 3, 0x8001, 1, 0, 0, 0, true},
        {15, 3, 0x8001, 1, 0, 0, 1, false},
        {15, 1, 0x8000, 1, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        state(3, c.sub_state);
        dl_walk.prio = c.prio;
        dl_walk.header_code = c.header;
        renderer_switches.vp_view_legacy = c.view_legacy;
        renderer_switches.hud_by_model = c.by_model;
        renderer_switches.end8001_world = c.end_world;
        EXPECT_EQ(screen_model_test(c.model), c.screen) << c.sub_state << " " << c.prio << " " << c.model;
    }
}

TEST_F(PlacementTest, HudModelsMoveToTheWideScreenEdges) {
    state(3, 3);
    dl_walk.prio = 3;  // an unrotated view block: screen models
    const double left_x = -11826, z = 0x10000;  // about 100 pixels left of the centre
    render_model(DEPTH, nullptr, left_x, 0, z);
    std::vector<int32_t> narrow = near_sx();
    ASSERT_FALSE(narrow.empty());
    for (int32_t sx : narrow) EXPECT_LT(sx, 5120 - 80 * 16);

    hud_margin_left = -MARGIN;
    frame_quads_clear();
    render_model(DEPTH, nullptr, left_x, 0, z);
    std::vector<int32_t> wide = near_sx();
    ASSERT_EQ(wide.size(), narrow.size());
    for (size_t k = 0; k < wide.size(); k++) EXPECT_EQ(wide[k], narrow[k] - MARGIN * 16);

    frame_quads_clear();
    render_model(WIDE_MODEL, nullptr, left_x, 0, z);
    EXPECT_EQ(near_sx(), narrow);  // model 802 is never shifted

    frame_quads_clear();
    renderer_switches.hud_centre = 1;
    render_model(DEPTH, nullptr, left_x, 0, z);
    EXPECT_EQ(near_sx(), narrow);
}

TEST_F(PlacementTest, AHudModelAcrossTheCentreMovesEachQuadByItsOwnCentre) {
    state(3, 3);
    dl_walk.prio = 3;
    render_model(LIT, nullptr, 0, 0, 0x8000);  // squares near -69, 0 and +69 pixels
    ASSERT_EQ(frame_quad_count, 3);
    std::vector<quad_record> narrow(frame_quads, frame_quads + 3);
    hud_margin_left = -MARGIN;
    frame_quads_clear();
    render_model(LIT, nullptr, 0, 0, 0x8000);
    ASSERT_EQ(frame_quad_count, 3);
    for (int i = 0; i < 3; i++) {
        uint32_t palette = frame_quads[i].colour >> 8 & 0x7F;  // 0x21 left, 0x22 right, 0x23 centre
        int32_t want = palette == 0x21 ? -MARGIN * 16 : palette == 0x22 ? MARGIN * 16 : 0;
        for (int k = 0; k < 4; k++) {
            EXPECT_EQ(frame_quads[i].near[k].sx, narrow[i].near[k].sx + want) << palette;
            EXPECT_EQ(frame_quads[i].src[k].sx, narrow[i].src[k].sx + want) << palette;
        }
    }
    // Outside flight nothing across the centre moves.
    state(3, 15 + 1);
    frame_quads_clear();
    render_model(LIT, nullptr, 0, 0, 0x8000);
    for (int i = 0; i < 3; i++) EXPECT_EQ(frame_quads[i].near[0].sx, narrow[i].near[0].sx);
}

TEST_F(PlacementTest, RejectedPlacements) {
    render_model(0, nullptr, 0, 0, 0x30000);
    render_model(int32_t(POINT_ROM_WORDS), nullptr, 0, 0, 0x30000);
    render_model(CUBE, nullptr, 0xC00001, 0, 0x30000);
    render_model(CUBE, nullptr, 0, 0, -1e12);
    EXPECT_EQ(frame_quad_count, 0);
    render_model(CUBE, nullptr, 0, 0, 0xC00000);  // on the bound: placed
    ASSERT_GT(frame_quad_count, 0);
    EXPECT_EQ(frame_quads[0].model_code, uint32_t(SYNTH_MODEL_CUBE));
}

TEST_F(PlacementTest, TheSecondPassDropsWhatTheFirstDrew) {
    placement_sets.pass = WALK_PASS_FIRST;
    render_model(CUBE, nullptr, 1000.7, -2000, 0x30000);
    int32_t first = frame_quad_count;
    ASSERT_GT(first, 0);
    placement_sets.pass = WALK_PASS_SECOND;
    render_model(LIT, nullptr, 1000.2, -2000, 0x30000);  // same integer position
    EXPECT_EQ(frame_quad_count, first);
    render_model(CUBE, nullptr, -5000, 0, 0x30000);  // new at the sides
    int32_t added = frame_quad_count;
    EXPECT_GT(added, first);
    render_model(CUBE, nullptr, -5000, 0, 0x30000);  // and only once
    EXPECT_EQ(frame_quad_count, added);
    EXPECT_EQ(placement_sets.already_drawn, 2);
    EXPECT_EQ(placement_sets.added_at_sides, 1);
    // Positions beyond the int range hash without overflow and are skipped later.
    render_model(CUBE, nullptr, -5e15, 5e15, 1e300);
    EXPECT_EQ(frame_quad_count, added);
}

TEST_F(PlacementTest, ThePausedCameraOrbitsThePivot) {
    renderer_switches.geo_identity = 1;
    render_model(CUBE, nullptr, 2000, 0, 0x30000);
    const int64_t t0[3] = {geo_camera.tx, geo_camera.ty, geo_camera.tz};
    pause_view.active = true;
    pause_view.yaw = 180;
    pause_view.distance = 500;
    pause_view.pivot_set = true;
    pause_view.pivot[2] = 0x30000;
    render_model(CUBE, nullptr, 2000, 0, 0x30000);
    // Half a turn about the up axis: x and z relative to the pivot change sign
    // (x -32767 >> 15, flooring), then the camera backs off by the distance.
    EXPECT_EQ(geo_camera.tx, (t0[0] * -32767) >> 15);
    EXPECT_EQ(geo_camera.tz, 0x30000 + (((t0[2] - 0x30000) * -32767) >> 15) + 500);
    EXPECT_EQ(geo_camera.ty, t0[1]);
    // Model 39 turns about the camera and is not moved back.
    int64_t tz_about_camera = (t0[2] * -32767) >> 15;
    render_model(39, nullptr, 2000, 0, 0x30000);
    EXPECT_EQ(geo_camera.tz, tz_about_camera);
}

TEST_F(PlacementTest, TheRidersModelsBecomeThePivot) {
    // Camera-space x of a placement at x: x x 16382 >> 14.
    render_model(CUBE, nullptr, 50, 0, 0x30000);                      // no class
    render_model(114 - MODEL_CODE_OFFSET, nullptr, 100, 0, 0x30000);  // class A, first
    render_model(114 - MODEL_CODE_OFFSET, nullptr, 300, 0, 0x30000);
    pause_pivot_frame_end();
    ASSERT_TRUE(pause_view.pivot_set);
    EXPECT_EQ(pause_view.pivot[0], 99);
    render_model(114 - MODEL_CODE_OFFSET, nullptr, 100, 0, 0x30000);
    render_model(69, nullptr, 500, 0, 0x30000);  // code 138 outranks it
    render_model(44, nullptr, 900, 0, 0x30000);  // the first preferred one stays
    pause_pivot_frame_end();
    EXPECT_EQ(pause_view.pivot[0], 499);
    EXPECT_FALSE(pause_view.candidate_set);
    EXPECT_EQ(model_code_class_test(137), 0);
    EXPECT_EQ(model_code_class_test(162), 0);
    EXPECT_EQ(model_code_class_test(186), 1);
}

TEST_F(PlacementTest, TheLiveSinkKeepsDrawableQuads) {
    quad_record q;
    memset(&q, 0, sizeof q);
    geo_current_code = 77;
    q.near_count = 2;
    quad_sink_live(&q, nullptr);  // too few near vertices
    q.near_count = 4;
    q.band_count = -1;
    quad_sink_live(&q, nullptr);  // nothing left in the guard band
    EXPECT_EQ(frame_quad_count, 0);
    q.band_count = 3;
    q.band[0].sx = 1234;
    quad_sink_live(&q, nullptr);
    ASSERT_EQ(frame_quad_count, 1);
    EXPECT_EQ(frame_quads[0].near_count, 3);
    EXPECT_EQ(frame_quads[0].near[0].sx, 1234);
    EXPECT_EQ(frame_quads[0].model_code, 77u);
    renderer_switches.guardband_legacy = 1;
    q.band_count = -1;
    quad_sink_live(&q, nullptr);
    EXPECT_EQ(frame_quads[1].near_count, 4);
    EXPECT_EQ(frame_quads[1].seq, 1u);
    renderer_switches.only_code = 78;
    quad_sink_live(&q, nullptr);
    EXPECT_EQ(frame_quad_count, 2);
    renderer_switches.only_code = -1;
    while (frame_quad_count < FRAME_QUADS_MAX) quad_sink_live(&q, nullptr);
    quad_sink_live(&q, nullptr);  // the full list drops further quads
    EXPECT_EQ(frame_quad_count, FRAME_QUADS_MAX);
    EXPECT_EQ(frame_quads[FRAME_QUADS_MAX - 1].seq, uint32_t(FRAME_QUADS_MAX - 1));
    geo_current_code = -1;
}

}  // namespace
