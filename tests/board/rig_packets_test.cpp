#include "board/rig_packets.h"
#include "tests/board/dl_fixture.h"

namespace {

using V = std::vector<int32_t>;
constexpr uint32_t REC = 0x9000;  // node record offset in work RAM

class RigPacketsTest : public DisplayListTest {
protected:
    void record_set(uint32_t n, int32_t model, int32_t parent, int32_t scale, int32_t x, int32_t y, int32_t z,
                    int32_t a1, int32_t a2, int32_t a3, int32_t slot) {
        wram[n] = model;
        wram[n + 4] = int32_t(uint32_t(parent) << 16 | 0x1111);
        wram[n + 8] = int32_t(0x22220000u | (uint32_t(scale) & 0xFFFF));
        wram[n + 0x24] = x;
        wram[n + 0x28] = y;
        wram[n + 0x2C] = z;
        wram[n + 0x30] = 0x70000 | a1;  // only the low 16 bits are the angle
        wram[n + 0x34] = a2;
        wram[n + 0x38] = a3;
        wram[n + 0x78] = slot;
    }
    void anchor_set(int32_t x, int32_t y, int32_t z) {
        wram_long_set(W_NODE_ANCHOR, x);
        wram_long_set(W_NODE_ANCHOR + 4, y);
        wram_long_set(W_NODE_ANCHOR + 8, z);
    }
};

TEST_F(RigPacketsTest, SkyTurnsOncePer64FramesAndAlternatesItsModel) {
    anchor_set(7, 8, 9);
    wram_long_set(0xB0FC, 12);
    struct {
        int32_t frame, wing_set, angle, model;
    } cases[] = {{8, 0, 0x2000, 779}, {4, 0, 0x1000, 780}, {0x44, 1, 0x1000, 782}, {16, 1, 0x4000, 781}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        cursor_at(PACKETS0);
        wram_long_set(0x0C8C, c.frame);
        wram_long_set(W_WING_SET, c.wing_set);
        camera_dsp_sky_render();
        EXPECT_EQ(written(), (V{0x8008, 3, 1, 0, 0x7FFF} + rom_pair(c.angle) + V{0, 0x7FFF, 0, 0, 0, -320, 0, -1} +
                              V{0x8009, 3, 12, 3} + V{0x800A, c.model, 3, 7, 8, 9}));
    }
}

TEST_F(RigPacketsTest, ModelOffsetPlacesThroughSlotPlusThree) {
    anchor_set(-1, -2, -3);
    dl_model_offset(2, 46, 100, 200, 300, 0x4000, 0, 0x8000, 5);
    EXPECT_EQ(written(), (V{0x8008, 5, 1, 0x7FFF, 0, 0, 0x7FFF, 0, -32768, 5, 0, 100, 1000, -548, -1} +
                          V{0x8009, 5, 4, 5} + V{0x800A, 46, 5, -1, -2, -3}));
}

TEST_F(RigPacketsTest, NodeFromObjectScalesItsPositionAndLinksTheParentSlot) {
    record_set(REC - 128, 1, 0, 0, 0, 0, 0, 0, 0, 0, 5);
    record_set(REC, 600, -1, 0x1234, 0x8000, -0x10000, 0x10000, 0x4000, 0, 0x2000, 7);
    dl_model_from_object(w_pointer(&wram[REC]), 21299);
    const V want = V{0x8008, 4, 1, -32768, 0, 0, -32768, 23170, 23170, 0x1234, 0, 21299, -42598, 42598, -1} +
                   V{0x8009, 4, 5, 4};
    EXPECT_EQ(written(), want);

    // The same record by its 68020 address; a parent outside work RAM gives slot 0.
    cursor_at(PACKETS0);
    wram[REC + 4] = int32_t(0x7FFF0000);
    dl_model_from_object(WRAM_BASE + REC, 21299);
    EXPECT_EQ(written().size(), 19u);
    EXPECT_EQ(written()[17], 0);
}

TEST_F(RigPacketsTest, RecordsOutsideWorkRamWriteNothing) {
    for (int64_t record : {int64_t(WRAM_BASE + 0x40000 - 124), int64_t(0), int64_t(0x500000)}) {
        dl_model_from_object(record, 21299);
        dl_model_from_object34(record, 21299);
    }
    EXPECT_EQ(written(), V{});
}

TEST_F(RigPacketsTest, NodeFromObject34FollowsTheParentsSign) {
    camera_at(100, 200, 300);
    anchor_set(11, 12, 13);
    record_set(REC - 128, 1, 0, 0, 0, 0, 0, 0, 0, 0, 9);
    const int32_t k = 21299;

    record_set(REC, 592, -1, 3, 1000, 2000, 3000, 0x4000, 0x2000, 0, 20);
    dl_model_from_object34(WRAM_BASE + REC, k);
    EXPECT_EQ(written(), (V{0x8008, 4, 6, k, 0, 0, 0, k, 0, 0, 0, k, -1} +
                          V{0x8008, 3, 1, 0x7FFF, 0, 23170, 23170, 0, 0x7FFF, 3, 0, 1000, 2000, 3000, -1} +
                          V{0x8009, 3, 4, 3} + V{0x8009, 3, 9, 20} + V{0x800A, 592, 20, 11, 12, 13}));
    EXPECT_EQ(written().size(), 42u);

    cursor_at(PACKETS0);
    record_set(REC, 592, 0, 3, 1000, 2000, 3000, 0x4000, 0x2000, 0, 20);
    dl_model_from_object34(WRAM_BASE + REC, k);
    EXPECT_EQ(written(), (V{0x8008, 3, 6, k, 0, 0, 0, k, 0, 0, 0, k, -1} +
                          V{0x8008, 20, 1, 0x7FFF, 0, 23170, 23170, 0, 0x7FFF, 3, -1} + V{0x8009, 20, 3, 20} +
                          V{0x800A, 592, 20, 900, 1800, 2700}));
    EXPECT_EQ(wram_long(W_NODE_ANCHOR + 4), 1800) << "a root becomes the anchor";

    cursor_at(PACKETS0);
    record_set(REC, 592, 1, -3, 1000, 2000, 3000, 0x4000, 0x2000, 0x8000, 20);
    dl_model_from_object34(WRAM_BASE + REC, k);
    EXPECT_EQ(written(), (V{592, 900, 1800, 2700, (k * 32767) >> 14, 0, 0, (k * -32768) >> 14, -3}));
}

class WingsTest : public RigPacketsTest {
protected:
    void SetUp() override {
        RigPacketsTest::SetUp();
        camera_at(10, 0, 30);
        wram_long_set(0x0D00, 100);  // player x, y, z
        wram_long_set(0x0D04, 5000);
        wram_long_set(0x0D08, 300);
        wram_long_set(0x0D14, -0x4000);  // roll: b = 0x4000
        wram_long_set(W_WING_ROOT_Y, 1000);
        // Front view (pitch 0, d = 688): s0 = 20480, s1 = 2048, s2 = -1024.
        wram_long_set(0x2A7C, 6880);
        wram_long_set(0x2A84, 1688);
        wram_long_set(0x2A80, -344);
        // First wing (p, q, r) = (2240, 1120, 0); second (0, -2240, 4480), over e = 2240.
        wram_long_set(0x2A88, 5120 + 2240);
        wram_long_set(0x2A90, 1512 + 1120);
        wram_long_set(0x2A8C, -256);
        wram_long_set(0x2A94, 5120);
        wram_long_set(0x2A9C, 1512 + 2240);
        wram_long_set(0x2A98, -256 - 4480);
    }
    static V wing(int32_t model, int32_t p, int32_t q, int32_t r) {
        return V{0x8008, 3, 6, p, 0, 20480, q, 0, 2048, r, 0, -1024, -1} + V{0x8009, 4, 3, 3} +
               V{0x800A, model, 3, 90, 1000, 270};
    }
    const V node = V{0x8008, 4, 1, 0, 0x7FFF, 0, 0x7FFF, 0x7FFF, 0, 1, -1};
};

TEST_F(WingsTest, FrontViewDrawsBothWingsAtTheRoot) {
    hud_draw_wings();
    EXPECT_EQ(written(), node + wing(75, 2048, 1024, 0) + wing(76, 0, -2048, 4096));
    const int32_t kept[6] = {20480, 2048, -1024, 5120, 512, -256};
    for (uint32_t i = 0; i < 6; i++) EXPECT_EQ(wram_long(W_WING_SCALE + 4 * i), kept[i]) << i;
    EXPECT_EQ(wram_long(W_NODE_ANCHOR), 90);
}

TEST_F(WingsTest, TheSecondSetHighAboveTheRootIsBanded) {
    wram_long_set(W_WING_SET, 1);
    wram_long_set(0x3EF4, -200);    // 5000 - 1000 > -200 + 4096
    wram_long_set(0x3EF0, 20000);
    hud_draw_wings();
    EXPECT_EQ(written(), (node + V{0x8010, 3, 8000, -1} + wing(51, 2048, 1024, 0) + wing(50, 0, -2048, 4096) +
                          V{0x8010, -1}));
    cursor_at(PACKETS0);
    wram_long_set(0x3EF4, -95);  // 4000 is not above 4001
    hud_draw_wings();
    EXPECT_EQ(written(), node + wing(51, 2048, 1024, 0) + wing(50, 0, -2048, 4096));
}

TEST_F(WingsTest, WingsOutOfRangeAreNotDrawn) {
    wram_long_set(0x2A84, 1000 + 688 * 6);  // s1 = 12288 > 11008: nothing at all
    hud_draw_wings();
    EXPECT_EQ(written(), V{});
    EXPECT_EQ(wram_long(W_WING_SCALE + 4), 12288) << "the scales are kept all the same";

    wram_long_set(0x2A84, 1000 - 688);  // s1 = -2048 below the floor of 200, no contact
    hud_draw_wings();
    EXPECT_EQ(written(), V{});
    wram_long_set(0x16E4, 1);  // in contact: drawn
    hud_draw_wings();
    EXPECT_EQ(written().size(), 11u + 23 + 23);

    cursor_at(PACKETS0);
    wings_packet_build(75, 0, 11300, 0, 2240);  // q' = 10331
    wings_packet_build(75, 0, 0, 0, 0);
    EXPECT_EQ(written(), V{});
}

TEST_F(WingsTest, SideViewAndCourseThreeGroundFix) {
    wram_long_set(0x0D0C, 0x4000);  // pitch: a = 0xC000, cos 0, sin < 0: side view, d = -1248
    wram_long_set(0x2A70, 1248 * 3);
    wram_long_set(0x2AA0, 0);
    wram_long_set(0x0E0C, 3);
    wram_long_set(0x2A78, 0);  // at or below 0 on course 3: player y - 0x40000
    wram_long_set(0x2A74, 0);
    wram_long_set(0x2AA4, 1248);
    hud_draw_wings();
    EXPECT_EQ(wram_long(0x2A78), 5000 - 0x40000);
    EXPECT_EQ(wram_long(W_WING_SCALE), -6144);
    EXPECT_EQ(wram_long(W_WING_SCALE + 4), (5000 - 0x40000 - 1000) * 2048 / -1248);
    EXPECT_EQ(wram_long(W_WING_SCALE + 8), 2048);
}

}  // namespace
