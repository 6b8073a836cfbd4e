// Every display-list writer driven with its cursor in the last words of dspram, at its
// end and outside it: whatever does not fit is dropped and nothing lands beyond the
// image. dspram sits between other images of one block, so the neighbours are compared
// byte for byte as well (AddressSanitizer cannot see a store into a neighbour).
#include "board/rig_packets.h"
#include "tests/board/dl_fixture.h"

namespace {

class DlBoundsTest : public DisplayListTest {
protected:
    void SetUp() override {
        DisplayListTest::SetUp();
        camera_at(10, 0, 30);
        // A rig record with its parent, a cell list, and wings that draw (as in the wing tests).
        for (uint32_t n : {0x9000u, 0x9080u}) {
            wram[n] = 592;
            wram[n + 0x24] = 1000;
            wram[n + 0x78] = 6;
        }
        wram[0x9080 + 4] = int32_t(0xFFFF0000);  // parent -1
        w_write16(WRAM_BASE + 0x8000, 9);
        w_write16(WRAM_BASE + 0x8002, 0xFFFF);
        const std::pair<uint32_t, int32_t> wings[] = {
            {0x0D04, 5000},   {W_WING_ROOT_Y, 1000}, {0x2A7C, 6880}, {0x2A84, 1688}, {0x2A80, -344},
            {0x2A88, 7360},   {0x2A90, 2632},        {0x2A8C, -256}, {0x2A94, 5120}, {0x2A9C, 3752},
            {0x2A98, -4736},  {W_WING_SET, 1},       {0x3EF4, -200}, {0x3EF0, 20000}};
        for (auto [offset, value] : wings) wram_long_set(offset, value);
    }

    static void fresh_state() {
        wram_long_set(W_DL_LAST_HEADER, 0);
        wram_long_set(W_DL_LAST_BANK, 0);
        wram_long_set(W_NODE_ANCHOR, 1);
    }

    std::vector<dl_writer> writers() {
        return {
            {"dl_put (out, value)", [] { dl_cursor_set(dl_put(dl_cursor_get(), 0x1234)); }},
            {"dl_put (value)", [] { dl_put(0x4321); }},
            {"dl_terminate", [] { dl_terminate(); }},
            {"dl_header_8000", [] { dl_header_8000(); }},
            {"dl_header_8002", [] { dl_header_8002(); }},
            {"dl_header_8002_put", [] { dl_header_8002_put(4); }},
            {"dl_model_header_put", [] { dl_model_header_put(2); }},
            {"dl_marker", [] { dl_marker(1, 2, 3, 4, 5); }},
            {"dl_marker_at", [] { dl_marker_at(1, 2, 3, 4, 5); }},
            {"dl_object_at", [] { dl_object_at(0, 60, 1, 2, 3, 0x1000, 0x2000, 0x3000, 4); }},
            {"dl_packet_8009", [] { dl_packet_8009(1, 2, 3); }},
            {"dl_packet_800a", [] { dl_packet_800a(50, 3, 1, 2, 3); }},
            {"dl_model_rotated", [] { dl_model_rotated(3, 1, 2, 3, 0x100, 0x200, 0x300, 4); }},
            {"dl_node_rotated", [] { dl_node_rotated(3, 0x100, 0x200, 0x300, 4); }},
            {"dl_bank_select", [] { dl_bank_select(-0x4400); }},
            {"dl_bank_end", [] { dl_bank_end(); }},
            {"dl_object_put", [] { dl_object_put(0, 904, 1, 2, 3, 4, 5, 6, 0); }, true},
            {"dl_object_put_8001", [] { dl_object_put_8001(0, 904, 1, 2, 3, 4, 5, 6, 0); }, true},
            {"dl_begin_object", [] { dl_cursor_set(dl_begin_object(-0x7000)); }},
            {"dl_copy_packets", [] { dl_copy_packets(WRAM_BASE + 0x8000, WRAM_BASE + 0x9000); }},
            {"camera_dsp_sky_render", [] { camera_dsp_sky_render(); }},
            {"dl_model_offset", [] { dl_model_offset(1, 44, 1, 2, 3, 4, 5, 6, 7); }},
            {"dl_model_from_object", [] { dl_model_from_object(WRAM_BASE + 0x9080, 21299); }},
            {"dl_model_from_object34 (child)", [] { dl_model_from_object34(WRAM_BASE + 0x9080, 21299); }},
            {"dl_model_from_object34 (root)", [] { dl_model_from_object34(WRAM_BASE + 0x9000, 21299); }},
            {"wings_packet_build", [] { wings_packet_build(75, 1, 2, 3, 2240); }},
            {"hud_draw_wings", [] { hud_draw_wings(); }},
        };
    }
};

TEST_F(DlBoundsTest, NoWriterStoresOutsideDspram) {
    testing::internal::CaptureStderr();
    expect_writers_inside_dspram(writers(), fresh_state);
    testing::internal::GetCapturedStderr();
    EXPECT_GT(dl_guard_count, 0u);
    EXPECT_GT(dsp_cmd_guard_count, 0u);
}

}  // namespace
