#include "tests/board/dl_fixture.h"

#include <string>

namespace {

using V = std::vector<int32_t>;

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
    return n;
}

TEST_F(DisplayListTest, DlPutStoresTheLastWordOfDspramAndWarnsOnceBeyondIt) {
    int32_t* last = at(sizeof dspram - 4);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dl_put(last, 7), last + 1);
    EXPECT_EQ(*last, 7);
    EXPECT_EQ(dl_put(last + 1, 8), last + 1);
    EXPECT_EQ(dl_put(last + 1, 9), last + 1);
    int32_t* before = reinterpret_cast<int32_t*>(dspram) - 1;
    EXPECT_EQ(dl_put(before, 10), before);
    EXPECT_EQ(dl_put(nullptr, 11), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dl_guard_count, 4u);
    EXPECT_EQ(count(err, "[GUARD] dl_put: cursor "), 1);
    EXPECT_EQ(count(err, "outside dspram -- word dropped\n"), 1);
    // A word straddling the end does not fit either.
    EXPECT_EQ(dl_put(reinterpret_cast<int32_t*>(dspram + sizeof dspram - 2), 1),
              reinterpret_cast<int32_t*>(dspram + sizeof dspram - 2));
}

TEST_F(DisplayListTest, BothCallFormsShareOneGuard) {
    dl_put(5);
    dl_put(6);
    EXPECT_EQ(written(), (V{5, 6}));
    cursor_at(sizeof dspram - 4);
    testing::internal::CaptureStderr();
    dl_put(1);
    dl_put(2);  // dropped: the cursor stays at the end
    dl_put(at(sizeof dspram), 3);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dl_cursor_get(), at(sizeof dspram));
    EXPECT_EQ(*at(sizeof dspram - 4), 1);
    EXPECT_EQ(dl_guard_count, 2u);
    EXPECT_EQ(count(err, "[GUARD]"), 1);
}

TEST_F(DisplayListTest, TerminateEndsTheListWithoutMovingTheCursor) {
    dl_put(0x8000);
    dl_terminate();
    EXPECT_EQ(*at(PACKETS0 + 4), -1);
    EXPECT_EQ(dl_cursor_get(), at(PACKETS0 + 4));
    cursor_at(sizeof dspram);
    testing::internal::CaptureStderr();
    dl_terminate();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(DisplayListTest, DspCmdPtrGrantsSixteenWordsOfRoom) {
    cursor_at(sizeof dspram - 64);
    EXPECT_EQ(dsp_cmd_ptr(), at(sizeof dspram - 64));
    cursor_at(sizeof dspram - 60);
    testing::internal::CaptureStderr();
    EXPECT_EQ(dsp_cmd_ptr(), nullptr);
    EXPECT_EQ(dsp_cmd_ptr(), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dsp_cmd_guard_count, 2u);
    EXPECT_EQ(count(err, "[GUARD] dsp_cmd_ptr: cursor "), 1);
    EXPECT_EQ(count(err, "-- command dropped\n"), 1);
}

TEST_F(DisplayListTest, HeadersOnChangeWriteOnlyWhenTheCodeChanges) {
    dl_header_8000();
    dl_header_8000();
    dl_header_8002();
    wram_long_set(W_GAME_SUB_STATE, 15);  // the ending draws through view block 3
    dl_header_8000();
    dl_header_8002_put(5);
    EXPECT_EQ(written(), (V{0x8000, 0, 0x8002, 0, 0x8000, 3, 0x8002, 5}));
    EXPECT_EQ(wram_long(W_DL_LAST_HEADER), 0x8000) << "the explicit header leaves it";
}

TEST_F(DisplayListTest, SinglePacketsMatchTheirLayouts) {
    camera_at(1000, 2000, 3000);
    dl_marker(1, 44, 10, 20, 30);
    dl_marker_at(2, 45, 1010, 2020, 3030);
    dl_object_at(0, 60, 1100, 2200, 3300, 0, 0x4000, 0x2000, 4);
    dl_packet_8009(3, 4, 5);
    dl_model_rotated(7, -1, -2, -3, 0x8000, 0xC000, 0x1000, 9);
    dl_node_rotated(6, 0, 0x4000, 0, 2);
    dl_bank_select(-0x5C00);
    int32_t* end_packet = dl_cursor_get();
    EXPECT_EQ(dl_bank_end(), end_packet);
    const V want = V{0x8000, 1, 44, 10, 20, 30} + V{0x8000, 2, 45, 10, 20, 30} +
                   V{0x8002, 0, 60, 100, 200, 300, 0, 0x7FFF, 0x7FFF, 0, 23170, 23170, 4} + V{0x8009, 3, 4, 5} +
                   V{0x8008, 7, 1, 0, -32768, -32768, 0} + rom_pair(0x1000) + V{9, 0, -1, -2, -3, -1} +
                   V{0x8008, 6, 1, 0, 0x7FFF, 0x7FFF, 0, 0, 0x7FFF, 2, -1} + V{0x8010, 3, -0x5C00, -1} +
                   V{0x8010, -1};
    EXPECT_EQ(written(), want);
}

TEST_F(DisplayListTest, RigModelsAreLeftOutOfFlightUnlessSplit) {
    // SKYVOLTA_RIG_SPLIT is not set in the test environment.
    struct {
        int32_t model, state;
        bool written;
    } cases[] = {{43, 3, true}, {44, 3, false}, {49, 3, false}, {50, 3, true}, {68, 3, true},
                 {69, 3, false}, {74, 3, false}, {75, 3, true}, {44, 1, true}, {72, 5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        cursor_at(PACKETS0);
        wram_long_set(W_GAME_STATE, c.state);
        dl_packet_800a(c.model, 3, 1, 2, 3);
        EXPECT_EQ(written(), c.written ? (V{0x800A, c.model, 3, 1, 2, 3}) : V{});
    }
}

TEST_F(DisplayListTest, GuardedObjectsAreWrittenWholeOrRefused) {
    int32_t* packet = dl_object_put(2, 39, 0x8000, 0x8000, 2560, 0, 0x4000, 0, 2);
    EXPECT_EQ(packet, at(PACKETS0));
    EXPECT_EQ(dl_object_put_8001(1, 627, -5, 6, 7, 0x2000, 0, 0x8000, 0), at(PACKETS0 + 52));
    EXPECT_EQ(written(), (V{0x8002, 2, 39, 0x8000, 0x8000, 2560, 0, 0x7FFF, 0x7FFF, 0, 0, 0x7FFF, 2} +
                          V{0x8001, 1, 627, -5, 6, 7, 23170, 23170, 0, 0x7FFF, 0, -32768, 0}));

    cursor_at(sizeof dspram - 60);  // 15 words left: refused whole
    testing::internal::CaptureStderr();
    EXPECT_EQ(dl_object_put(0, 1, 0, 0, 0, 0, 0, 0, 0), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(dl_cursor_get(), at(sizeof dspram - 60));
    EXPECT_EQ(*at(sizeof dspram - 60), 0);
}

TEST_F(DisplayListTest, BeginObjectLinksABankOnlyWhenItChanges) {
    wram_long_set(W_DL_LAST_BANK, -0x5C00);
    int32_t* out = dl_begin_object(-0x5C00);
    EXPECT_EQ(out, at(PACKETS0 + 8));
    EXPECT_EQ(dl_cursor_get(), at(PACKETS0)) << "the caller stores the cursor";
    dl_cursor_set(out);
    out = dl_begin_object(-8192);
    dl_cursor_set(out);
    EXPECT_EQ(written(), (V{0x8002, 0, 0x8002, 0, 0x8010, 3, -8192, -1}));
    EXPECT_EQ(wram_long(W_DL_LAST_HEADER), 0x8002);
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), -8192);

    // The bank is remembered even when its words were dropped.
    cursor_at(sizeof dspram - 8);
    testing::internal::CaptureStderr();
    dl_cursor_set(dl_begin_object(77));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(wram_long(W_DL_LAST_BANK), 77);
    EXPECT_EQ(dl_cursor_get(), at(sizeof dspram));
}

class CopyPacketsTest : public DisplayListTest {
protected:
    static constexpr uint32_t LIST = WRAM_BASE + 0x8000, BASE = WRAM_BASE + 0x8100;

    void SetUp() override {
        DisplayListTest::SetUp();
        camera_at(0x1000, 0x2000, 0x3000);
        const int32_t base[4] = {0x100000, 0x40000, 0x200000, 300};
        for (uint32_t i = 0; i < 4; i++) w_write32(BASE + 4 * i, base[i]);
    }
    void list_set(std::initializer_list<uint32_t> words) {
        uint32_t a = LIST;
        for (uint32_t w : words) w_write16(a, w), a += 2;
    }
    V entry(int32_t cell) {
        return {300 + cell, (cell & 7) * 0x18000 + 0x100000 - 0x1000 + 0xC000, 0x40000 - 0x2000,
                (cell >> 3) * 0x18000 + 0x200000 - 0x3000 + 0xC000};
    }
};

TEST_F(CopyPacketsTest, CellsLandAtTheirCentresUnderOneHeader) {
    list_set({0, 9, 127, 0xFFFF});
    dl_copy_packets(LIST, BASE);
    EXPECT_EQ(written(), (V{0x8000, 0} + entry(0) + entry(9) + entry(127)));
    EXPECT_EQ(entry(9)[1], 0x18000 + 0x100000 - 0x1000 + 0xC000) << "cell 9: column 1, row 1";

    // Again under the same header, with the base given as a slot pointer.
    cursor_at(PACKETS0);
    dl_copy_packets(LIST, w_pointer(&wram[0x8100]));
    EXPECT_EQ(written(), entry(0) + entry(9) + entry(127));
}

TEST_F(CopyPacketsTest, AnEmptyListWritesOnlyTheHeaderWhenNeeded) {
    list_set({0xFFFF});
    dl_copy_packets(LIST, BASE);
    EXPECT_EQ(written(), (V{0x8000, 0}));
    cursor_at(PACKETS0);
    dl_copy_packets(LIST, BASE);
    EXPECT_EQ(written(), V{});
}

TEST_F(CopyPacketsTest, AListWithoutAnEndStopsAtTheEndOfDspram) {
    // Zeroed work RAM never holds 0xFFFF: the copy runs until dspram is full.
    testing::internal::CaptureStderr();
    dl_copy_packets(WRAM_BASE + 0x20000, BASE);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dl_cursor_get(), at(sizeof dspram));
    EXPECT_EQ(count(err, "[GUARD] dl_put"), 1);
    // A list where nothing is decoded ends at once.
    cursor_at(PACKETS0);
    wram_long_set(W_DL_LAST_HEADER, 0x8000);
    dl_copy_packets(0x00500000, BASE);
    EXPECT_EQ(written(), V{});
}

}  // namespace
