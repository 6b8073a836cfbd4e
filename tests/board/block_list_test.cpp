// Expansion of ROM record lists into 128-byte work-RAM blocks.
#include "board/block_list.h"

#include "board/bus.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"

namespace {

constexpr uint32_t RECORDS = 0x300000;  // a free stretch of the synthetic ROM
constexpr uint32_t LIST = 0x300300;

void rom_put32(uint32_t address, uint32_t v) {
    bus_write32(address, v);  // the program ROM image is writable through the bus
}

// One 36-byte record: three head longs and six parameter longs.
void record_put(uint32_t address, uint32_t l0, uint32_t l1, uint32_t l2, const uint32_t (&params)[6]) {
    rom_put32(address, l0);
    rom_put32(address + 4, l1);
    rom_put32(address + 8, l2);
    for (uint32_t k = 0; k < 6; k++) rom_put32(address + 12 + 4 * k, params[k]);
}

int32_t slot(int32_t block, uint32_t offset) {
    return int32_t(wram[block + int32_t(offset)]);
}

class BlockListTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        // A: serial reset, parameter 0 through a value list (mask 0 = bit 0 of L2 >> 16).
        record_put(RECORDS, 0x11, 0x00000005, 0x00010000, {0x300100, 10, 20, 30, 40, 50});
        rom_put32(0x300100, 0x777);
        // B: its first word read from the address in L0 (flag 0x400000), serial counted on.
        record_put(RECORDS + 0x40, 0x300200, 0xFFFF0000, 0x00400000, {1, 2, 3, 4, 5, 6});
        bus_write16(0x300200, 0xFFFE);
        // C: the camera block; a positive serial selector leaves +120 alone.
        record_put(RECORDS + 0x80, 0x7FFF, 0x00010000, 0, {100, 200, 300, 0x1000, 0x2000, 0x3000});
        const uint32_t list[] = {RECORDS, RECORDS + 0x40, RECORDS + 0x80, 0};
        for (uint32_t k = 0; k < 4; k++) rom_put32(LIST + 4 * k, list[k]);
        wram[0xEB04] = 5;
        wram[0xEB06] = 6;
    }
};

TEST_F(BlockListTest, ListBecomesBlocksWithSerialsParametersAndTheCamera) {
    wram[0x1000 + 2 * 128 + 120] = 77;
    int32_t end = w_list_walk(0x1000, LIST);
    ASSERT_EQ(end, 0x1000 + 3 * 128);
    EXPECT_EQ(wram[end], -1);
    EXPECT_EQ(wram[0x169F4], int32_t(LIST));
    EXPECT_EQ(wram[0xEB04], 0);
    EXPECT_EQ(wram[0xEB06], 0);

    const int32_t a = 0x1000, b = a + 128, c = b + 128;
    EXPECT_EQ(slot(a, 0), 0x11);
    EXPECT_EQ(slot(a, 4), 5);
    EXPECT_EQ(slot(a, 8), 0x00010000);
    EXPECT_EQ(slot(a, 120), 4);
    EXPECT_EQ(slot(a, 124), 0);
    EXPECT_EQ(slot(a, 12), 0x300104);  // the list pointer, past the value taken
    EXPECT_EQ(slot(a, 36), 0x777);
    EXPECT_EQ(slot(a, 84), 0x777);
    for (uint32_t k = 1; k < 6; k++) {
        EXPECT_EQ(slot(a, 36 + 4 * k), int32_t(10 * k));
        EXPECT_EQ(slot(a, 84 + 4 * k), int32_t(10 * k));
        EXPECT_EQ(slot(a, 60 + 4 * k), 0);
    }
    for (uint32_t k = 0; k < 3; k++) EXPECT_EQ(slot(a, 108 + 4 * k), 0x00010001);  // six words of 1

    EXPECT_EQ(slot(b, 0), -2);
    EXPECT_EQ(slot(b, 124), 0x300200);
    EXPECT_EQ(slot(b, 120), 5);
    EXPECT_EQ(slot(b, 12), 0);  // not a list pointer: the slot is not written
    EXPECT_EQ(slot(b, 36 + 20), 6);

    EXPECT_EQ(slot(c, 120), 77);
    const int32_t camera[6] = {100, 200, 300, -0x1000, -0x2000, -0x3000};
    const uint32_t offsets[6] = {W_CAMERA_X, W_CAMERA_Y, W_CAMERA_Z, W_CAMERA_PITCH, W_CAMERA_HEADING, W_CAMERA_ROLL};
    for (int k = 0; k < 6; k++) EXPECT_EQ(wram[offsets[k]], camera[k]) << k;
}

TEST_F(BlockListTest, ExpansionStopsAtEveryLimit) {
    // 70 entries of record A: only 64 blocks.
    for (uint32_t k = 0; k < 70; k++) rom_put32(0x310000 + 4 * k, RECORDS);
    rom_put32(0x310000 + 4 * 70, 0);
    rom_put32(0x320000, 0x3FFFF0);  // a record running past the ROM
    rom_put32(0x320004, RECORDS);
    rom_put32(0x330000, 0);

    struct {
        int32_t index;
        uint32_t list;
        int32_t end;
    } cases[] = {
        {0x2000, 0x310000, 0x2000 + 64 * 128},
        {0x2000, 0x320000, 0x2000},
        {0x2000, 0x330000, 0x2000},        // first entry 0: only the end mark
        {0x2000, 0, 0x2000},
        {0x2000, 0x3FFFFE, 0x2000},        // the list address itself past the ROM
        {0x3FF01, LIST, 0x3FF01},          // no room for a block and the slot after it
        {0x3FF00, LIST, 0x3FF80},          // the last block that fits
        {0x3FE00, LIST, 0x3FF80},          // three blocks, the end mark in the last slots
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.index << " list " << c.list);
        wram[c.end] = 0;
        wram[c.end - 1] = 0x5A;
        EXPECT_EQ(rom_block_list_expand(c.index, c.list), c.end);
        EXPECT_EQ(wram[c.end], -1);
        if (c.end == c.index) {
            EXPECT_EQ(wram[c.end - 1], 0x5A);
        }
    }
}

TEST_F(BlockListTest, WalkOutsideWorkRamDoesNothing) {
    wram[0x169F4] = 9;
    const int32_t indices[] = {0x3FF81, -1, 0x40000};
    for (int32_t i : indices) {
        EXPECT_EQ(w_list_walk(i, LIST), i);
        EXPECT_EQ(rom_block_list_expand(i < 0 ? i : 0x40000, LIST), i < 0 ? i : 0x40000);
    }
    EXPECT_EQ(wram[0x169F4], 9);
    EXPECT_EQ(wram[0xEB04], 5);
    EXPECT_EQ(wram[0x3FF81], 0);
}

}  // namespace
