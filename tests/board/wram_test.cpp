// The work-RAM slot image: slot-aware access, owned ranges, import and export.
#include "board/wram.h"

#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <cstdlib>

namespace {

using WramTest = BoardTest;

uint32_t low32(int64_t v) {
    return uint32_t(uint64_t(v));
}

void bytes_put32(uint32_t offset, uint32_t v) {
    for (int k = 0; k < 4; k++) wram_bytes[offset + k] = uint8_t(v >> (24 - 8 * k));
}

uint32_t bytes_get32(uint32_t offset) {
    return uint32_t(wram_bytes[offset]) << 24 | uint32_t(wram_bytes[offset + 1]) << 16 |
           uint32_t(wram_bytes[offset + 2]) << 8 | wram_bytes[offset + 3];
}

TEST(WramPointers, SlotValuesTellHostPointersFromBoardValues) {
    EXPECT_TRUE(wram_pointer_range_check());
    struct {
        int64_t value;
        bool pointer;
    } cases[] = {
        {0, false}, {0xE00000, false}, {-1, false}, {INT32_MIN, false}, {0xFFFFFFFF, false},
        {0x100000000, true}, {int64_t(0xFFFFFFFE00000000), true}, {int64_t(0xFFFFFFFF00000000), false},
        {w_pointer(&wram[0]), true}, {w_pointer(&program_rom[0x3FFFFF]), true},
    };
    for (const auto& c : cases) EXPECT_EQ(w_is_host_pointer(c.value), c.pointer) << std::hex << c.value;
}

TEST_F(WramTest, SplitLongReplacesExactlyTheTwoHalves) {
    wram[0x100] = int32_t(0xAAAABBBB);
    wram[0x102] = 0x0BAD0BAD;
    wram[0x104] = int32_t(0xCCCCDDDD);
    w_write32(0xE00102, 0x12345678);
    EXPECT_EQ(wram[0x100], int64_t(int32_t(0xAAAA1234)));  // sign-extended
    EXPECT_EQ(wram[0x104], 0x5678DDDD);
    EXPECT_EQ(wram[0x102], 0x0BAD0BAD);  // the slot of the address itself is not touched
    EXPECT_EQ(w_read32(0xE00102), 0x12345678);
    EXPECT_EQ(w_read32(0xE00103), 0x12345678);  // odd acts on the even address below
    EXPECT_EQ(w_read32(0xE00101), int32_t(0xAAAA1234));

    w_add32(0xE00102, 0x00010000 - 0x5678);  // the carry crosses from one slot into the other
    EXPECT_EQ(w_read32(0xE00102), 0x12350000);
    EXPECT_EQ(low32(wram[0x100]), 0xAAAA1235u);
    EXPECT_EQ(low32(wram[0x104]), 0x0000DDDDu);
}

TEST_F(WramTest, AlignedLongsAreSignExtendedSlots) {
    w_write32(0xE00200, -5);
    EXPECT_EQ(wram[0x200], -5);
    w_write32(0xE00201, 0x7FFFFFFF);
    EXPECT_EQ(wram[0x200], 0x7FFFFFFF);
    w_add32(0xE00200, 1);  // wraps as a 68020 long
    EXPECT_EQ(wram[0x200], INT32_MIN);
    w_write16(0xE00200, 0x1234);
    w_write16(0xE00202, 0xFFFE);
    EXPECT_EQ(wram[0x200], 0x1234FFFE);
    EXPECT_EQ(w_read16(0xE00200), 0x1234);
    EXPECT_EQ(w_read16(0xE00203), 0xFFFE);

    // A split long at the very end: its low half would lie past work RAM.
    wram[0x3FFFC] = 0;
    w_write32(0xE3FFFE, 0x11223344);
    EXPECT_EQ(wram[0x3FFFC], 0x1122);
    EXPECT_EQ(w_read32(0xE3FFFE), 0x11220000);
}

TEST_F(WramTest, AccessOutsideWorkRamGoesThroughTheBusOrTheHost) {
    EXPECT_EQ(w_read32(0), SYNTH_RESET_SP);
    w_write32(0xC00010, 10);
    w_add32(0xC00010, 5);
    EXPECT_EQ(bus_read32(0xC00010), 15);
    EXPECT_EQ(dspram[0x13], 15);
    w_write16(0xC00020, 0xBEEF);
    EXPECT_EQ(w_read16(0xC00020), 0xBEEF);

    int32_t host = 0;
    w_write32(w_pointer(&host), 0x7654321);
    EXPECT_EQ(host, 0x7654321);
    EXPECT_EQ(w_read32(w_pointer(&host)), 0x7654321);
}

TEST_F(WramTest, IndexOfEveryKindOfAddress) {
    struct {
        int64_t value;
        int32_t index;
    } cases[] = {
        {0, -1}, {1, 1}, {0x3FFFF, 0x3FFFF}, {0x40000, -1}, {0xE00000, 0}, {0xE3FFFF, 0x3FFFF},
        {0xE40000, -1}, {0xDFFFFF, -1}, {-1, -1}, {w_pointer(&wram[0x1234]), 0x1234},
        {w_pointer(&wram[0x3FFFF]), 0x3FFFF}, {w_pointer(&program_rom[8]), -1},
    };
    for (const auto& c : cases) EXPECT_EQ(w_index(c.value), c.index) << std::hex << c.value;
}

TEST_F(WramTest, OffsetAccessFollowsEachKindOfBase) {
    for (uint32_t x = 0x100; x < 0x120; x++) wram[x] = int32_t(0x1000 + x);
    int32_t host[4] = {10, 11, 12, 13};
    struct {
        int64_t base;
        int32_t offset;
        int32_t expect;
    } cases[] = {
        {w_pointer(&wram[0x100]), 4, 0x1104},      // advanced by slots
        {w_pointer(&wram[0x104]), -2, 0x1102},
        {w_pointer(&wram[0x3FFFF]), 8, 0},         // past the slot image
        {w_pointer(&program_rom[0]), 4, int32_t(SYNTH_RESET_PC)},
        {0, 4, int32_t(SYNTH_RESET_PC)},           // a ROM address
        {0xE00100, 2, 0x1102},                     // a work-RAM address: the slot, no split
        {w_pointer(host), 8, 12},                  // other host memory: native ints
        {w_pointer(host), 13, 13},
    };
    for (const auto& c : cases)
        EXPECT_EQ(w_read32_offset(c.base, c.offset), c.expect) << std::hex << c.base << " + " << c.offset;
    // The matching stores land where the reads came from.
    int32_t v = -0x100;
    for (const auto& c : cases) {
        w_write32_offset(c.base, c.offset, --v);
        EXPECT_EQ(w_read32_offset(c.base, c.offset), c.expect ? v : 0) << std::hex << c.base << " + " << c.offset;
    }
    EXPECT_EQ(wram[0x102], -0x106);  // sign-extended slot store
    EXPECT_EQ(host[3], -0x108);
    EXPECT_EQ(bus_read32(4), -0x105);
}

TEST_F(WramTest, OwnedMarksStopAtTheEndOfWorkRam) {
    wram_owned_mark(0x3FFFE, 8);
    EXPECT_EQ(wram_owned[0x3FFFD], 0);
    EXPECT_EQ(wram_owned[0x3FFFE], 1);
    EXPECT_EQ(wram_owned[0x3FFFF], 1);
    wram_owned_mark(0x40000, 16);
    wram_owned_mark(0xFFFFFFF0, 0x20);  // no wrap back to offset 0
    EXPECT_EQ(wram_owned[0], 0);
}

TEST_F(WramTest, GameRangesAreMarkedWithDlBufferIndexUnlessBufLegacy) {
    wram_owned_mark_saved();
    wram_owned_mark_settings_words();
    wram_owned_mark_rest();
    const uint32_t owned[] = {0x4030, 0x40AB, 0x15BF0, 0x15E93, 0x17278, 0x1727A, 0x1695E, 0x0CA0, 0x0CA3,
                              0x3FFA, 0x3FFE, 0x3FE2, 0x3FE6, 0x2C0E, 0x2C12, 0xEB06, 0x15FE2, 0x15ED6,
                              0x0014, 0x0313, 0x1234, 0x12B3, 0xEB16, 0xEB1A, 0xEB1E, 0xEB22, 0xEB5F,
                              0x4AF0, 0xAAEF, 0x0C82};
    for (uint32_t x : owned) EXPECT_EQ(wram_owned[x], 1) << std::hex << x;
    const uint32_t free_bytes[] = {0x402F, 0x40AC, 0x1727B, 0x3FFC, 0x2C10, 0xEB04, 0x0314, 0xEB60, 0xAAF0, 0x0CA4};
    for (uint32_t x : free_bytes) EXPECT_EQ(wram_owned[x], 0) << std::hex << x;

    board_memory_clear();
    setenv("SKYVOLTA_BUF_LEGACY", "1", 1);
    wram_owned_mark_saved();
    unsetenv("SKYVOLTA_BUF_LEGACY");
    EXPECT_EQ(wram_owned[0x0CA0], 0);
    EXPECT_EQ(wram_owned[0x4030], 1);
}

TEST_F(WramTest, ImportFillsBothSlotsOfEveryLong) {
    for (uint32_t x = 0; x < WRAM_SIZE; x++) wram_bytes[x] = uint8_t(x * 7 + (x >> 8));
    wram[0x3FFFE] = 99;
    double before = wram_import_seconds;
    wram_import();
    EXPECT_GT(wram_import_seconds, before);
    for (uint32_t x = 0; x + 4 <= WRAM_SIZE; x += 2) {
        if (wram[x] != int32_t(bytes_get32(x))) {
            ADD_FAILURE() << "slot " << std::hex << x;
            break;
        }
    }
    EXPECT_EQ(wram[0x3FFFE], 99);  // never refreshed
    EXPECT_EQ(wram[0x80], int32_t(bytes_get32(0x80)));  // sign-extended when negative
}

TEST_F(WramTest, OwnedSlotsAndHostPointersSurviveImport) {
    wram_owned_mark_rest();
    bytes_put32(0x2C10, 0x11112222);
    bytes_put32(0x2C14, 0x33334444);
    wram[0x2C12] = 0x1234;
    int host = 0;
    wram[0x500] = w_pointer(&host);
    wram[0x502] = w_pointer(&wram[7]);
    bytes_put32(0x500, 0xFFFFFFFF);
    wram_import();
    EXPECT_EQ(wram[0x2C12], 0x1234);
    EXPECT_EQ(wram[0x2C10], 0x11112222);  // its neighbours are not owned
    EXPECT_EQ(wram[0x2C14], 0x33334444);
    EXPECT_EQ(wram[0x500], w_pointer(&host));
    EXPECT_EQ(wram[0x502], w_pointer(&wram[7]));
}

// SKYVOLTA_LEGACY_SYNC is read once per run: each row runs in a fresh process.
TEST_F(WramTest, LegacySyncIgnoresTheMarks) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct {
        const char* value;
        bool survives;
    } cases[] = {{nullptr, true}, {"1", false}, {"0", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "unset");
        EXPECT_EXIT(
            {
                if (c.value)
                    setenv("SKYVOLTA_LEGACY_SYNC", c.value, 1);
                else
                    unsetenv("SKYVOLTA_LEGACY_SYNC");
                wram_owned_mark_rest();
                bytes_put32(0x2C12, 0x55667788);
                wram[0x2C12] = 0x1234;
                wram_import();
                bool survived = wram[0x2C12] == 0x1234;
                bool replaced = wram[0x2C12] == 0x55667788;
                std::exit(survived == c.survives && (survived || replaced) ? 0 : 1);
            },
            testing::ExitedWithCode(0), "");
    }
}

TEST_F(WramTest, ExportWritesAlignedSlotsOnly) {
    wram_owned_mark_saved();
    wram[0x0CA0] = 1;  // dl_buffer_index
    wram[0x0CA2] = 0x55555555;
    wram[0x0CA4] = w_pointer(&dspram[0x10400]);  // dl_cursor: its low 32 bits go out
    wram[0x0CA8] = -2;
    double before = wram_export_seconds;
    wram_export();
    EXPECT_GT(wram_export_seconds, before);
    EXPECT_EQ(bytes_get32(0x0CA0), 1u);
    EXPECT_EQ(bytes_get32(0x0CA4), low32(w_pointer(&dspram[0x10400])));
    EXPECT_EQ(bytes_get32(0x0CA8), 0xFFFFFFFEu);
    EXPECT_EQ(bus_read32(0xE00CA0), 1);

    // The byte image changed, but dl_buffer_index is owned: the slot keeps its value.
    wram_bytes[0x0CA3] ^= 1;
    wram_import();
    EXPECT_EQ(wram[0x0CA0], 1);
}

}  // namespace
