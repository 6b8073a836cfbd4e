// Replay of a display-list packet sequence over the synthetic cube.
#include "render/dl_packet_decode.h"

#include "base/rom_files.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t DL_WORDS = 0x400;
uint32_t dl[DL_WORDS];

uint32_t dl_fetch(uint32_t index) {
    return index < DL_WORDS ? dl[index] : 0;
}

void collect(const quad_record* q, void* data) {
    static_cast<std::vector<quad_record>*>(data)->push_back(*q);
}

// Writes one packet at a (code, type d, payload words from a + 3, link at a + 3 + d)
// and returns the index of the next one.
uint32_t packet(uint32_t a, uint32_t code, uint32_t d, const std::vector<uint32_t>& payload) {
    dl[a] = code;
    dl[a + 1] = d;
    for (size_t i = 0; i < payload.size(); i++) dl[a + 3 + i] = payload[i];
    dl[a + 3 + d] = a + 4 + d;
    return a + 4 + d;
}

// Render-object packet: identity object matrix, position (0, 0, z).
uint32_t object(uint32_t a, uint32_t code, uint32_t z) {
    return packet(a, code, 13, {0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, z});
}

class DlPacketDecodeTest : public testing::Test {
protected:
    void SetUp() override {
        saved_rom = point_rom;
        saved_count = point_rom_count;
        point_rom = synth_rom_shared()->point;
        point_rom_count = POINT_ROM_WORDS;
        memset(dl, 0, sizeof dl);
    }
    void TearDown() override {
        point_rom = saved_rom;
        point_rom_count = saved_count;
    }
    const uint32_t* saved_rom;
    uint32_t saved_count;
};

TEST_F(DlPacketDecodeTest, ViewShiftAndObjectPackets) {
    const uint32_t z = 0x30000;
    uint32_t a = 8;
    a = object(a, SYNTH_MODEL_CUBE, z);  // before any view: skipped
    a = packet(a, 0, 21,
               {
                   0x070100,             // ambient 7, light scale 0x100
                   0x100000,             // Lx 0; mirror flag bit 20
                   5 << 16 | 0x4000,     // Ly, priority base 5
                   0xC000,               // Lz -0x4000
                   0x0FFD0007,           // ox -3, oy 7
                   32 << 16 | 0x4000,    // focal 0x4000, e 32: shift 14, value 1.0
                   46 << 16 | 30,        // right inset 30 - 0.5
                   46 << 16 | 20,        // left 20 - 0.5
                   45 << 16 | 20,        // top 20 / 2 - 0.5
                   46 << 16 | 4,         // bottom 4 - 0.5
                   0,                    // not read
                   0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, 0, 0x7FFF,  // view matrix rows
               });
    a = packet(a, 0, 16, {0x812345, 0x000010, 3u << 21});
    a = object(a, 30, z);  // codes 6..68 are not models: skipped
    a = object(a, SYNTH_MODEL_CUBE, z);
    a = object(a, 5, z);  // rendered, though no point-RAM source gives it quads
    a = object(a, SYNTH_MODEL_CUBE, z);
    uint32_t broken = a;
    a = object(a, SYNTH_MODEL_CUBE, z);
    dl[broken + 16] = 0;  // wrong link: the replay ends before this packet
    object(a, SYNTH_MODEL_CUBE, z);

    int32_t focal = 0, shift = 0, ox = 0, oy = 0;
    dl_decode_request req = {8, 1, &focal, &shift, &ox, &oy};
    std::vector<quad_record> quads;
    EXPECT_EQ(dl_packet_decode(dl_fetch, &req, collect, &quads), 3);
    EXPECT_EQ(focal, 0x4000);
    EXPECT_EQ(shift, 14);
    EXPECT_EQ(ox, -3);
    EXPECT_EQ(oy, 7);

    // Head on, only the front face shows, though the view is mirrored in x.
    ASSERT_EQ(quads.size(), 2u);
    for (const quad_record& q : quads) EXPECT_EQ(q.colour >> 8 & 0x7F, SYNTH_CUBE_PALETTE);
    EXPECT_EQ(quads[0].fog_mode, 3u);
    EXPECT_EQ(quads[1].fog_mode, 1u);  // bit 1 cleared after each object
    EXPECT_EQ(quads[0].cz, 0x812345u);
    EXPECT_EQ(quads[0].zsort >> 21, 5u);  // priority base 5, object shift adds none

    // The last object's camera.
    EXPECT_EQ(geo_camera.cull_sense, 1);
    EXPECT_EQ(geo_camera.window, 1);
    EXPECT_FLOAT_EQ(geo_camera.left, 29.5f);  // mirrored: left and right exchanged
    EXPECT_FLOAT_EQ(geo_camera.right, 19.5f);
    EXPECT_FLOAT_EQ(geo_camera.top, 9.5f);
    EXPECT_FLOAT_EQ(geo_camera.bottom, 3.5f);
    EXPECT_EQ(geo_camera.v[0], -0x7FFF);
    EXPECT_EQ(geo_camera.v[4], 0x7FFF);
    EXPECT_EQ(geo_camera.m[0], (-0x7FFF * 0x7FFF) >> 15);
    EXPECT_EQ(geo_camera.m[8], (0x7FFF * 0x7FFF) >> 15);
    EXPECT_EQ(geo_camera.tz, int32_t((int64_t(0x7FFF) * z) >> 15));
    EXPECT_EQ(geo_camera.ambient, 7);
    EXPECT_EQ(geo_camera.light_scale, 0x100);
    EXPECT_EQ(geo_camera.ly, 0x4000);
    EXPECT_EQ(geo_camera.lz, -0x4000);
    EXPECT_EQ(geo_camera.obj_shift, 0x10);
    EXPECT_EQ(geo_current_code, -1);
}

TEST_F(DlPacketDecodeTest, UnknownTypeEndsAndNoViewKeepsTheDefaults) {
    uint32_t a = packet(0, 0, 10, {0x7FFF, 0, 0, 0, 0x7FFF, 0, 0, 0, 0x7FFF});  // view seen
    a = object(a, SYNTH_MODEL_CUBE, 0x30000);
    a = packet(a, 0, 12, {});  // unknown type
    object(a, SYNTH_MODEL_CUBE, 0x30000);
    int32_t focal = 0, shift = 0;
    dl_decode_request req = {0, 0, &focal, &shift, nullptr, nullptr};
    EXPECT_EQ(dl_packet_decode(dl_fetch, &req, nullptr, nullptr), 1);
    EXPECT_EQ(focal, 0x7FFF);
    EXPECT_EQ(shift, 15);
}

}  // namespace
