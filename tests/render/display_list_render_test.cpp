// End to end: a display list written by the board's packet writers is walked, placed
// and expanded into the frame's quad list; each model's quads equal those of the same
// model expanded under a camera record built by hand.
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "render/dl_walker.h"
#include "render/model_placement.h"
#include "render/model_walk.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t CUBE = SYNTH_MODEL_CUBE - MODEL_CODE_OFFSET;
constexpr int32_t LIT = SYNTH_MODEL_LIT - MODEL_CODE_OFFSET;
constexpr int32_t DEPTH = SYNTH_MODEL_DEPTH - MODEL_CODE_OFFSET;
constexpr int32_t OBJSHIFT = 0x1234;

void collect(const quad_record* q, void* data) {
    static_cast<std::vector<quad_record>*>(data)->push_back(*q);
}

// The camera of a world model under the game camera at angle 0: the camera matrix is
// 32765 on the diagonal (three products of 0x7FFF), the model rotation `m` on the
// diagonal, the translation position x 16382 >> 14, view block 0: focal 0x4548, shift 5,
// priority base 7.
std::vector<quad_record> expected_quads(int32_t code, int32_t m, int32_t x, int32_t y, int32_t z, int32_t shift) {
    geo_camera_record c;
    memset(&c, 0, sizeof c);
    c.m[0] = c.m[4] = c.m[8] = m;
    c.v[0] = c.v[4] = c.v[8] = 32765;
    c.tx = int32_t(int64_t(x) * 16382 >> 14);
    c.ty = int32_t(int64_t(y) * 16382 >> 14);
    c.tz = int32_t(int64_t(z) * 16382 >> 14);
    c.focal = 0x4548;
    c.shift = 5;
    c.prio_base = 7;
    c.obj_shift = shift;
    c.ly = 0x5A82, c.lz = -0x5A82, c.ambient = 20, c.light_scale = 200;
    geo_camera_set(&c);
    std::vector<quad_record> out;
    geo_current_code = code;
    model_quads_emit(code, collect, &out);
    geo_current_code = -1;
    return out;
}

class DisplayListRenderTest : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        saved_rom = point_rom;
        saved_count = point_rom_count;
        point_rom = synth_rom_shared()->point;
        point_rom_count = POINT_ROM_WORDS;
        memset(&dl_walk, 0, sizeof dl_walk);
        dl_walker_reset();
        frame_quads_clear();
        dsp_init();
    }
    void TearDown() override {
        point_rom = saved_rom;
        point_rom_count = saved_count;
        dl_walker_reset();
        frame_quads_clear();
    }
    const uint32_t* saved_rom;
    uint32_t saved_count;
};

TEST_F(DisplayListRenderTest, AListOfTheBoardsWritersBecomesTheExpectedQuads) {
    // Game state 2 (not flight), the camera at the origin with angles 0.
    wram_long_set(W_GAME_STATE, 2);
    int32_t* start = dl_cursor_get();
    ASSERT_EQ(start, dl_packet_area(dl_buffer_current()));
    dl_marker(0, CUBE, 0, 0, 0x30000);
    dl_bank_select(OBJSHIFT);
    dl_object_at(0, LIT, -0x2000, 0x1000, 0x28000, 0, 0, 0, 0);
    dl_bank_end();
    dl_model_rotated(3, 0, 0, 0x20000, 0, 0, 0, 0x7FFF);
    dl_packet_800a(DEPTH, 3, 0x100, 0, 0);
    dl_terminate();
    ASSERT_EQ(dl_guard_count, 0u);
    EXPECT_EQ(start[17], 0x7FFF);  // the cosine of angle 0 in the object's first pair

    dl_source_select_live();
    EXPECT_EQ(dl_source.cursor_words, 6 + 4 + 13 + 2 + 15 + 6);
    walk_display_list();
    EXPECT_EQ(dl_walk.models, 3);
    EXPECT_EQ(dl_walk.commands, 6);

    // The cube: no rotation; the camera halved (32765 >> 1).
    std::vector<quad_record> want = expected_quads(SYNTH_MODEL_CUBE, 16382, 0, 0, 0x30000, 0);
    // The object: rotation words of angle 0 in order 1 (0x7FFD on the diagonal) times
    // the camera: 0x7FFD x 32765 >> 15 = 32762, halved; under the link's object shift.
    std::vector<quad_record> lit = expected_quads(SYNTH_MODEL_LIT, 16381, -0x2000, 0x1000, 0x28000, OBJSHIFT);
    // The node model: slot 3 holds the angles 0 in order 4 (0x7FFD) and (0, 0, 0x20000),
    // the 0x800A adds (0x100, 0, 0); the link's end cleared the shift.
    std::vector<quad_record> depth = expected_quads(SYNTH_MODEL_DEPTH, 16381, 0x100, 0, 0x20000, 0);
    std::vector<uint32_t> codes(want.size(), SYNTH_MODEL_CUBE);
    codes.insert(codes.end(), lit.size(), SYNTH_MODEL_LIT);
    codes.insert(codes.end(), depth.size(), SYNTH_MODEL_DEPTH);
    want.insert(want.end(), lit.begin(), lit.end());
    want.insert(want.end(), depth.begin(), depth.end());
    ASSERT_EQ(size_t(frame_quad_count), want.size());
    for (size_t i = 0; i < want.size(); i++) {
        const quad_record& got = frame_quads[i];
        EXPECT_EQ(got.seq, uint32_t(i));
        EXPECT_EQ(got.model_code, codes[i]) << i;
        EXPECT_EQ(got.colour, want[i].colour) << i;
        EXPECT_EQ(got.zsort, want[i].zsort) << i;
        ASSERT_EQ(got.near_count, want[i].near_count) << i;
        for (int k = 0; k < got.near_count; k++) {
            EXPECT_EQ(got.near[k].sx, want[i].near[k].sx) << i << " " << k;
            EXPECT_EQ(got.near[k].sy, want[i].near[k].sy) << i << " " << k;
            EXPECT_EQ(got.near[k].b, want[i].near[k].b) << i << " " << k;
        }
    }
    EXPECT_FALSE(lit.empty());
    EXPECT_FALSE(depth.empty());
}

}  // namespace
