// The board address map: window decode, open-bus values, I/O side effects.
#include "board/bus.h"

#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <memory>

namespace {

using BusTest = BoardTest;

struct window_case {
    uint32_t base;
    uint32_t size;
    const uint8_t* image;
};

TEST_F(BusTest, EveryWindowDecodesOntoItsImageAndNothingBeside) {
    const window_case windows[] = {
        {0x000000, 0x400000, program_rom},      {0xE00000, 0x40000, wram_bytes},
        {0x828000, 0x18000, palette_ram},       {0x880000, 0x1E000, CGRAM},
        {0x89E000, 0x2000, textram},            {0x8A0000, 0x10, text_registers},
        {0x980000, 0x30000, sprite_ram},        {0x900000, 0x10000, sprite_attributes},
        {0x940000, 0x80, sprite_registers},     {0xC00000, 0x20000, dspram},
        {0xA04000, 0x8000, commsram},           {0xF80000, 0x20000, aux_ram},
        {0x810000, 0x400, czram},               {0x824000, 0x400, mixer_registers},
        {0x460000, 0x4000, eeprom_window},
    };
    for (const window_case& w : windows) {
        SCOPED_TRACE(testing::Message() << std::hex << "window 0x" << w.base);
        uint32_t off = 0xDEAD;
        EXPECT_EQ(bus_decode(w.base, &off), w.image);
        EXPECT_EQ(off, 0u);
        EXPECT_EQ(bus_decode(w.base + w.size - 1, &off), w.image);
        EXPECT_EQ(off, w.size - 1);
        EXPECT_NE(bus_decode(w.base + w.size, nullptr), w.image);
        if (w.base) {
            EXPECT_NE(bus_decode(w.base - 1, nullptr), w.image);
        }

        // Big-endian at both ends of the window; every window is writable.
        bus_write32(w.base, 0x11223344);
        EXPECT_EQ(w.image[0], 0x11);
        EXPECT_EQ(w.image[3], 0x44);
        EXPECT_EQ(bus_read32(w.base), 0x11223344);
        bus_write16(w.base + w.size - 2, 0xA55A);
        EXPECT_EQ(w.image[w.size - 2], 0xA5);
        EXPECT_EQ(w.image[w.size - 1], 0x5A);
        EXPECT_EQ(bus_read16(w.base + w.size - 2), 0xA55A);
    }
    EXPECT_EQ(bus_decode(IO_BASE, nullptr), nullptr);  // the I/O bytes are no window
}

struct read_case {
    uint32_t address;
    int width;
    int64_t expect;
};

TEST_F(BusTest, ReadsOutsideTheWindowsGiveTheOpenBusValues) {
    io_bytes[0x1F] = 0x9C;
    const read_case cases[] = {
        {0x800000, 8, 256},        {0x800000, 16, 0x10000},     {0x800000, 32, 0},
        {0x440000, 8, -1},         {0x440000, 16, -1},          {0x440000, 32, -1},
        {0x440003, 16, -256},      // last DIP byte, then open bus
        {0x450000, 8, 0xFF},       {0x450000, 32, int32_t(0xFFFFFFFF)},
        {0x45000F, 16, 0xFF00},    // last 0xFF byte, then open bus
        {0x450010, 8, 256},        {0x70001F, 8, 0x9C},         {0x700020, 8, 256},
        {0x3FFFFF, 16, int64_t(program_rom[0x3FFFFF]) << 8},    // ROM end, then open bus
        {0x000000, 32, SYNTH_RESET_SP},                         // the reset vector
        {0xFFFFFFFF, 16, 0x10000 | program_rom[0]},             // address wraps to 0
    };
    for (const read_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << c.address << " width " << std::dec << c.width);
        int64_t got = c.width == 8 ? bus_read8(c.address) : c.width == 16 ? bus_read16(c.address) : bus_read32(c.address);
        EXPECT_EQ(got, c.expect);
    }
}

struct io_case {
    int width;
    uint32_t address;
    uint32_t value;
    bool clears_frame_due;
    bool flags_sound;
};

TEST_F(BusTest, IoWritesStoreTheBytesAndHaveTwoSideEffects) {
    const io_case cases[] = {
        {8, 0x700016, 1, false, true},
        {8, 0x700016, 2, false, false},
        {16, 0x700016, 0x0001, false, false},  // 0x00 at 0x700016, 0x01 at 0x700017
        {16, 0x700015, 0x0001, false, true},   // the 1 lands at 0x700016
        {32, 0x700004, 0, true, false},
        {32, 0x700004, 0x12345678, true, false},
        {32, 0x700001, 0x12345678, true, false},  // its last byte is 0x700004
        {8, 0x700005, 0, false, false},
        {16, 0x70001F, 0x0104, false, false},     // second byte beyond the I/O bytes
    };
    for (const io_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << c.address << " = 0x" << c.value);
        board_memory_clear();
        frame_due = 1;
        if (c.width == 8) bus_write8(c.address, c.value);
        if (c.width == 16) bus_write16(c.address, c.value);
        if (c.width == 32) bus_write32(c.address, c.value);
        EXPECT_EQ(frame_due, c.clears_frame_due ? 0 : 1);
        EXPECT_EQ(commsram[0x7D01], c.flags_sound ? 0x80 : 0x00);
        for (int k = 0; k < c.width / 8; k++) {
            uint32_t a = c.address + uint32_t(k);
            if (a - IO_BASE < 0x20) {
                EXPECT_EQ(bus_read8(a), int((c.value >> (c.width - 8 - 8 * k)) & 0xFF));
            }
        }
    }
}

TEST_F(BusTest, WritesNothingDecodesChangeNothing) {
    auto before = std::make_unique<board_memory_block>(board_memory);
    frame_due = before->frame_due = 1;
    const uint32_t addresses[] = {0x400000, 0x440000, 0x450000, 0x700020, 0x800000, 0xE40000, 0xFFFFFFFC};
    for (uint32_t a : addresses) bus_write32(a, 0xFFFFFFFF);
    EXPECT_EQ(std::memcmp(before.get(), &board_memory, sizeof board_memory), 0);
}

}  // namespace
