// Every display-list writer driven with its cursor in the last words of dspram, at its
// end and outside it: whatever does not fit is dropped and nothing lands beyond the
// image. dspram sits between other images of one block, so the neighbours are compared
// byte for byte as well (AddressSanitizer cannot see a store into a neighbour).
#include "board/rig_packets.h"
#include "tests/board/dl_fixture.h"

#include <functional>
#include <string>

namespace {

using V = std::vector<int32_t>;

struct writer {
    const char* name;
    std::function<void()> run;
    bool whole_packet;  // refused whole when 16 words do not fit
};

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

    void fresh_state() {
        wram_long_set(W_DL_LAST_HEADER, 0);
        wram_long_set(W_DL_LAST_BANK, 0);
        wram_long_set(W_NODE_ANCHOR, 1);
    }

    // What the writer puts down with room to spare.
    V reference(const writer& w) {
        fresh_state();
        cursor_at(PACKETS0);
        w.run();
        return written();
    }

    std::vector<writer> writers() {
        return {
            {"dl_put (out, value)", [] { dl_cursor_set(dl_put(dl_cursor_get(), 0x1234)); }, false},
            {"dl_put (value)", [] { dl_put(0x4321); }, false},
            {"dl_terminate", [] { dl_terminate(); }, false},
            {"dl_header_8000", [] { dl_header_8000(); }, false},
            {"dl_header_8002", [] { dl_header_8002(); }, false},
            {"dl_header_8002_put", [] { dl_header_8002_put(4); }, false},
            {"dl_marker", [] { dl_marker(1, 2, 3, 4, 5); }, false},
            {"dl_marker_at", [] { dl_marker_at(1, 2, 3, 4, 5); }, false},
            {"dl_object_at", [] { dl_object_at(0, 60, 1, 2, 3, 0x1000, 0x2000, 0x3000, 4); }, false},
            {"dl_packet_8009", [] { dl_packet_8009(1, 2, 3); }, false},
            {"dl_packet_800a", [] { dl_packet_800a(50, 3, 1, 2, 3); }, false},
            {"dl_model_rotated", [] { dl_model_rotated(3, 1, 2, 3, 0x100, 0x200, 0x300, 4); }, false},
            {"dl_node_rotated", [] { dl_node_rotated(3, 0x100, 0x200, 0x300, 4); }, false},
            {"dl_bank_select", [] { dl_bank_select(-0x4400); }, false},
            {"dl_bank_end", [] { dl_bank_end(); }, false},
            {"dl_object_put", [] { dl_object_put(0, 904, 1, 2, 3, 4, 5, 6, 0); }, true},
            {"dl_object_put_8001", [] { dl_object_put_8001(0, 904, 1, 2, 3, 4, 5, 6, 0); }, true},
            {"dl_begin_object", [] { dl_cursor_set(dl_begin_object(-0x7000)); }, false},
            {"dl_copy_packets", [] { dl_copy_packets(WRAM_BASE + 0x8000, WRAM_BASE + 0x9000); }, false},
            {"camera_dsp_sky_render", [] { camera_dsp_sky_render(); }, false},
            {"dl_model_offset", [] { dl_model_offset(1, 44, 1, 2, 3, 4, 5, 6, 7); }, false},
            {"dl_model_from_object", [] { dl_model_from_object(WRAM_BASE + 0x9080, 21299); }, false},
            {"dl_model_from_object34 (child)", [] { dl_model_from_object34(WRAM_BASE + 0x9080, 21299); }, false},
            {"dl_model_from_object34 (root)", [] { dl_model_from_object34(WRAM_BASE + 0x9000, 21299); }, false},
            {"wings_packet_build", [] { wings_packet_build(75, 1, 2, 3, 2240); }, false},
            {"hud_draw_wings", [] { hud_draw_wings(); }, false},
        };
    }
};

TEST_F(DlBoundsTest, NoWriterStoresOutsideDspram) {
    static uint8_t below[sizeof sprite_registers], above[sizeof commsram];
    std::memset(sprite_registers, 0x5A, sizeof sprite_registers);
    std::memset(commsram, 0xA5, sizeof commsram);
    std::memcpy(below, sprite_registers, sizeof below);
    std::memcpy(above, commsram, sizeof above);
    int32_t* end = at(sizeof dspram);

    testing::internal::CaptureStderr();
    for (const writer& w : writers()) {
        SCOPED_TRACE(w.name);
        V ref = reference(w);
        ASSERT_FALSE(ref.empty() && std::string(w.name) != "dl_terminate");
        for (uint32_t room = 0; room <= 48; room++) {
            fresh_state();
            std::memset(dspram + sizeof dspram - 4 * 48, 0, 4 * 48);
            int32_t* start = end - room;
            dl_cursor_set(start);
            w.run();
            int32_t* cursor = dl_cursor_get();
            ASSERT_GE(cursor, start);
            ASSERT_LE(cursor, end) << "room " << room;
            size_t stored = size_t(cursor - start);
            size_t expect = w.whole_packet ? (room >= 16 ? ref.size() : 0) : std::min<size_t>(room, ref.size());
            ASSERT_EQ(stored, expect) << "room " << room;
            ASSERT_EQ(V(start, cursor), V(ref.begin(), ref.begin() + long(stored))) << "room " << room;
        }
        for (int32_t* outside : {end, end + 1, reinterpret_cast<int32_t*>(dspram) - 1, static_cast<int32_t*>(nullptr)}) {
            fresh_state();
            dl_cursor_set(outside);
            w.run();
            ASSERT_EQ(dl_cursor_get(), outside);
        }
    }
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::memcmp(below, sprite_registers, sizeof below), 0);
    EXPECT_EQ(std::memcmp(above, commsram, sizeof above), 0);
    EXPECT_GT(dl_guard_count, 0u);
    EXPECT_GT(dsp_cmd_guard_count, 0u);
}

}  // namespace
