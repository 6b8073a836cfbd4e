// Mixer and palette start-up, the fade ring, palette bank loads and the video set-up.
#include "board/palette_mixer.h"

#include "board/bus.h"
#include "board/dspram.h"
#include "board/palette_marks.h"
#include "board/video_setup.h"
#include "board/wram.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <string>
#include <vector>

namespace {

constexpr uint32_t G = 0x8000;  // green plane
constexpr uint32_t B = 0x10000; // blue plane

int cz_word(uint32_t address) { return bus_read16(address); }

std::vector<uint8_t> rgb_at(uint32_t e) { return {palette_ram[e], palette_ram[G + e], palette_ram[B + e]}; }

class PaletteMixerTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        fade_state_reset();
    }
};

// The six fade targets and where each shows.
struct target_case {
    const char* name;
    uint32_t slot;      // work-RAM slot of the target (the fog switch: the word at 0xEB20)
    int32_t value;
    uint32_t register_; // mixer offset, or CZ_ENABLE for the fog switch
    int shown;          // what the register shows once the value is due
    int before;         // what it shows before
};

void target_set(const target_case& c, int32_t v) {
    if (c.slot == W_FOG_ENABLE)
        w_write16(WRAM_BASE + W_FOG_ENABLE, uint32_t(v));
    else
        wram[c.slot] = v;
}

int shown(const target_case& c) {
    return c.register_ == CZ_ENABLE ? cz_word(CZ_ENABLE) : mixer_registers[c.register_];
}

const target_case TARGETS[] = {
    {"amount", W_FADE_AMOUNT, 0x80, MIX_FADE_AMOUNT, 0x80, 0},
    {"flags", W_FADE_FLAGS, 0x101, MIX_FADE_FLAGS, 0x01, 3},
    {"red", W_FADE_RED, 0x1FF, MIX_FADE_COLOUR, 0xFF, 0},
    {"green", W_FADE_RED + 2, 0x42, MIX_FADE_COLOUR + 1, 0x42, 0},
    {"blue", W_FADE_RED + 4, 0x24, MIX_FADE_COLOUR + 2, 0x24, 0},
    {"fog switch", W_FOG_ENABLE, 7, CZ_ENABLE, CZ_FOG_ON, 0},
};

TEST_F(PaletteMixerTest, ATargetWrittenAtUpdateMShowsAtUpdateMPlusThree) {
    for (const target_case& c : TARGETS) {
        for (int m = 0; m < 4; m++) {  // every ring position
            SCOPED_TRACE(testing::Message() << c.name << " m=" << m);
            fade_state_reset();
            for (int u = 0; u < m + 6; u++) {
                target_set(c, u == m ? c.value : 0);
                if (c.slot == W_FADE_FLAGS && u != m) target_set(c, 3);
                mixer_fade_update();
                EXPECT_EQ(shown(c), u == m + 3 ? c.shown : c.before) << "update " << u;
            }
        }
    }
}

TEST_F(PaletteMixerTest, AHaltedListFreezesTheRingAndDropsTheTargets) {
    wram[W_FADE_AMOUNT] = 0x11;
    mixer_fade_update();  // u0 stores 0x11 in entry 0
    wram[W_FADE_AMOUNT] = 0x22;
    mixer_fade_update();  // u1 stores 0x22 in entry 1
    wram[W_FADE_AMOUNT] = 0x33;
    mixer_fade_update();  // u2 stores 0x33 in entry 2
    wram[W_LIST_HALT] = 1;
    for (int i = 0; i < 5; i++) {
        wram[W_FADE_AMOUNT] = 0x70 + i;  // never recorded
        mixer_fade_update();
        EXPECT_EQ(mixer_registers[MIX_FADE_AMOUNT], 0x11);
        EXPECT_EQ(wram[W_FADE_RING_INDEX], 0);
    }
    wram[W_LIST_HALT] = 0;
    wram[W_FADE_AMOUNT] = 0x44;
    const int expect[] = {0x11, 0x22, 0x33, 0x44};
    for (int e : expect) {
        mixer_fade_update();
        EXPECT_EQ(mixer_registers[MIX_FADE_AMOUNT], e);
    }
}

TEST_F(PaletteMixerTest, FogOffClearsTheEnableWordAndTheFogLevelInTheSameUpdate) {
    bus_write16(CZ_ENABLE, CZ_FOG_ON);
    mixer_registers[MIX_FOG_LEVEL] = 0x55;
    mixer_fade_update();  // the reset ring holds fog off
    EXPECT_EQ(cz_word(CZ_ENABLE), 0);
    EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], 0);
    for (int k = 0; k < 3; k++) wram[W_FADE_RING + 50 + 2 * k] = -1;  // any non-zero switch
    mixer_registers[MIX_FOG_LEVEL] = 0x55;
    mixer_fade_update();
    EXPECT_EQ(cz_word(CZ_ENABLE), CZ_FOG_ON);
    EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], 0x55);
}

// Marks of the whole palette, for exact comparisons.
std::vector<uint8_t> marks() { return std::vector<uint8_t>(palette_written, palette_written + PALETTE_ENTRIES); }

TEST_F(PaletteMixerTest, BankThreeWritesAndMarksExactlyItsSixteenEntries) {
    const synth_block& record = SYNTH_BLOCK_SMALL;  // its colour set is record.colour_set
    std::vector<uint8_t> before = marks();
    for (uint32_t e = 0x7F30; e <= 0x7F3F; e++) ASSERT_EQ(before[e], 0) << "bank 3 is loaded only here";
    std::vector<uint8_t> ram(palette_ram, palette_ram + sizeof palette_ram);

    palette_bank_load(record.number, 3);
    for (uint32_t j = 0; j < 16; j++) {
        uint8_t rgb[3];
        synth_colour_set_rgb(record.colour_set, j, rgb);
        uint32_t e = 0x7F30 + j;
        ram[e] = rgb[0];
        ram[G + e] = rgb[1];
        ram[B + e] = rgb[2];
        before[e] = 1;
    }
    EXPECT_EQ(std::vector<uint8_t>(palette_ram, palette_ram + sizeof palette_ram), ram);
    EXPECT_EQ(marks(), before);
}

TEST_F(PaletteMixerTest, BadBanksAndColourSetsAreDroppedWithOneGuardLine) {
    struct bad_case {
        const char* name;
        int record, bank;
    };
    const bad_case cases[] = {
        {"bank 16", SYNTH_BLOCK_SMALL.number, 16},
        {"bank -1", SYNTH_BLOCK_SMALL.number, -1},
        {"colour set past the ROM", SYNTH_BLOCK_SET_OUT.number, 7},
        {"record past the ROM", 0x300000, 7},
        {"negative record", -0x200000, 7},
    };
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> ram(palette_ram, palette_ram + sizeof palette_ram);
        std::vector<uint8_t> before = marks();
        testing::internal::CaptureStderr();
        palette_bank_load(c.record, c.bank);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind("[GUARD] palette_bank_load", 0), 0u) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1);
        EXPECT_EQ(std::vector<uint8_t>(palette_ram, palette_ram + sizeof palette_ram), ram);
        EXPECT_EQ(marks(), before);
    }
    // The last colour set that fits is loaded.
    palette_bank_load(SYNTH_BLOCK_SET_LAST.number, 7);
    uint8_t rgb[3];
    synth_colour_set_rgb(SYNTH_BLOCK_SET_LAST.colour_set, 15, rgb);
    EXPECT_EQ(rgb_at(0x7F7F), (std::vector<uint8_t>{rgb[0], rgb[1], rgb[2]}));
}

TEST_F(PaletteMixerTest, StartUpSetsDefaultsRampStaticPaletteAndLinearDensity) {
    memset(mixer_registers, 0xAA, sizeof mixer_registers);
    palette_ram[5] = 0x77;  // group 0 is not touched
    for (int k = 0; k < 3; k++) wram[W_FADE_RING + 10 * 1 + 2 * k] = 0;
    wram[W_FADE_AMOUNT] = 0x99;
    wram[W_FADE_RED] = 0x12;
    wram[W_FADE_RING_INDEX] = 2;
    video_mixer_init();

    const uint8_t defaults[0x24] = {0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x7F, 0, 0xFF, 0, 0, 0, 0,
                                    0xFF, 0, 0x0F, 0, 0, 0, 0, 0, 0x03, 0x7F, 0, 1, 0, 7, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<uint8_t>(mixer_registers, mixer_registers + 0x24),
              std::vector<uint8_t>(defaults, defaults + 0x24));
    for (uint32_t i = 0; i < 256; i++)
        for (uint32_t c = 0; c < 3; c++)
            ASSERT_EQ(mixer_registers[0x100 * (c + 1) + i], uint8_t(synth_colour_ramp_word(i) >> 2)) << i;

    EXPECT_EQ(palette_ram[5], 0x77);
    for (uint32_t e : {0x100u, 0x1234u, 0x7EFFu}) {
        uint8_t rgb[3];
        synth_static_palette_colour(e >> 8, e & 0xFF, rgb);
        EXPECT_EQ(rgb_at(e), (std::vector<uint8_t>{rgb[0], rgb[1], rgb[2]})) << std::hex << e;
    }
    EXPECT_EQ(rgb_at(0x7F00 + 0x31), (std::vector<uint8_t>{0x31, 0xFF - 0x31, 0x31 ^ 0x55}));
    EXPECT_EQ(io_bytes[0x14], 0);

    for (uint32_t a = CZ_BIAS_0; a <= CZ_BANK_MAP; a += 2) EXPECT_EQ(cz_word(a), 0);
    EXPECT_EQ(cz_word(CZ_DENSITY_WINDOW + 2 * 255), 21 * 255);

    // Fade state: amount 0, flags 3, colour targets kept, flags ring 3, index 0.
    EXPECT_EQ(wram[W_FADE_AMOUNT], 0);
    EXPECT_EQ(wram[W_FADE_FLAGS], 3);
    EXPECT_EQ(wram[W_FADE_RED], 0x12);
    EXPECT_EQ(wram[W_FADE_RING + 10 + 4], 3);
    EXPECT_EQ(wram[W_FADE_RING_INDEX], 0);
}

TEST_F(PaletteMixerTest, ColourTablesFixTheGroupsAroundSixAndSeven) {
    palette_ram[0x600] = 0x5A;
    palette_ram[G + 0x7FF] = 0xA5;
    mixer_registers[MIX_FOG_COLOUR] = 0xFF;
    colour_tables_init();

    struct entry_case {
        uint32_t entry;
        std::vector<uint8_t> rgb;
    };
    const entry_case cases[] = {
        {0x000, {0, 0, 0}},          {0x0C8, {0xC8, 0xC8, 0xC8}},
        {0x1FF, {0xE0, 0xE0, 0xC0}}, {0x129, {0x20, 0xA0, 0x00}},
        {0x2AB, {0xFF, 0xFF, 0xFF}}, {0x301, {0xFF, 0, 0}},
        {0x4FF, {0, 0xFF, 0}},       {0x580, {0, 0, 0xFF}},
        {0x600, {0x5A, 0, 0}},       {0x7FF, {0, 0xA5, 0}},  // untouched
        {0x800, {0x11, 0x22, 0x33}}, {0x9FF, {0x44, 0x55, 0x66}},
        {0x7E00, {0x44, 0x55, 0x66}},  // group 126: (126 - 8) mod 3 = 1
        {0x7F00, {0xFF, 0x80, 0x10}},  {0x7F01, {0xEF, 0x70, 0x00}},
        {0x7F1F, {0x00, 0x0F, 0x00}},  {0x7F2A, {0x00, 0x00, 0x50}},
        {0x7F30, {0xFF, 0x80, 0x10}},
    };
    for (const entry_case& c : cases) EXPECT_EQ(rgb_at(c.entry), c.rgb) << std::hex << c.entry;
    EXPECT_EQ(mixer_registers[MIX_FOG_COLOUR], 0);
}

TEST_F(PaletteMixerTest, VideoRegistersInitSetsRegistersCharacterRamAndDensityTables) {
    memset(dspram, 0xAA, 0x80);
    wram[0xAB24] = 9;
    wram[0x2B5C] = 9;
    video_registers_init();

    const std::vector<uint8_t> io = {0x24, 0, 0, 0, 0, 0, 0, 0, 0, 0x62, 0x62, 0x57, 0x52, 0x52, 0x52, 0x71,
                                     0xE0, 0x2C, 0x50, 0xFF, 0, 0, 0x01, 0x0F, 0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(io_bytes, io_bytes + 32), io);
    EXPECT_EQ(commsram[0x7D01], 0);  // direct store of 1 to 0x700016: no side effect

    for (uint32_t i = 0; i < SYNTH_CGRAM_INIT_LONGS; i++) ASSERT_EQ(bus_read32(CGRAM_BASE + 4 * i), int32_t(0xC0DE0000 + i));
    EXPECT_EQ(bus_read32(CGRAM_BASE + 4 * SYNTH_CGRAM_INIT_LONGS), 0);

    // The window keeps bank 0's table; select ends at 0, banks on, map 0x00E4.
    for (uint32_t k = 0; k < 256; k++) ASSERT_EQ(cz_word(CZ_DENSITY_WINDOW + 2 * k), int(k));
    EXPECT_EQ(cz_word(CZ_TABLE_SELECT), 0);
    EXPECT_EQ(cz_word(CZ_ENABLE), 0x7555);
    EXPECT_EQ(cz_word(CZ_BANK_MAP), 0x00E4);
    EXPECT_EQ(rgb_at(0x1FF), (std::vector<uint8_t>{0xE0, 0xE0, 0xC0}));
    EXPECT_EQ(mixer_registers[MIX_TEXT_GROUP], 0x7F);

    auto dsp_word = [](int n) {
        uint32_t w;
        memcpy(&w, dspram + 4 * n, 4);
        return w;
    };
    const std::pair<int, uint32_t> words[] = {{0, 0xAAAAAA00}, {1, 0xAAAAAA01}, {10, 0xAAAAAA00}, {12, 0xAAAAAA00},
                                              {14, 0xAAAAAAFF}, {15, 0xAAAAAA1C}, {20, 0xAAAAAA00}, {2, 0xAAAAAAAA}};
    for (auto [n, v] : words) EXPECT_EQ(dsp_word(n), v) << "word " << n;

    EXPECT_EQ(wram[0xAB24], 0);
    EXPECT_EQ(wram[0x2B5C], 0);
    EXPECT_EQ(wram[0xAB26], 1);
    EXPECT_EQ(wram[0xAB12], 1);
}

TEST_F(PaletteMixerTest, ACharacterRamCountPastItsEndIsCutWithAGuardLine) {
    program_rom[ROM_CGRAM_INIT_COUNT] = 0xFF;
    program_rom[ROM_CGRAM_INIT_COUNT + 1] = 0xFF;
    testing::internal::CaptureStderr();
    cgram_init_from_rom();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("[GUARD] cgram_init_from_rom", 0), 0u) << err;
    uint32_t last = sizeof CGRAM / 4 - 1;
    EXPECT_EQ(bus_read32(CGRAM_BASE + 4 * last), bus_read32(ROM_CGRAM_INIT_DATA + 4 * last));
    for (uint8_t b : textram) ASSERT_EQ(b, 0);
}

// Clearing the marks empties the list too: the next mark is the list's first entry.
TEST_F(PaletteMixerTest, ClearedMarksStartTheListAfresh) {
    palette_entry_mark_written(5);
    palette_entry_mark_written(9);
    palette_marks_clear();
    EXPECT_EQ(palette_written[5], 0);
    palette_entry_mark_written(9);
    EXPECT_EQ(palette_written_count, 1u);
    EXPECT_EQ(palette_written_list[0], 9);
}

TEST_F(PaletteMixerTest, SmallSetters) {
    // The fade colour: the red, green and blue targets, and not the word after them.
    for (uint32_t k = 0; k < 4; k++) wram[W_FADE_RED + 2 * k] = 9;
    fade_colour_set(77);
    EXPECT_EQ((std::vector<int64_t>{wram[W_FADE_RED], wram[W_FADE_RED + 2], wram[W_FADE_RED + 4], wram[W_FADE_RED + 6]}),
              (std::vector<int64_t>{77, 77, 77, 9}));

    mixer_colour_set(0x1FF, 0x80, 7);
    EXPECT_EQ(std::vector<uint8_t>(mixer_registers + MIX_BACKGROUND, mixer_registers + MIX_BACKGROUND + 3),
              (std::vector<uint8_t>{0xFF, 0x80, 7}));
    for (int i = 0; i < 8; i++) commsram[0x7D0A + i] = uint8_t(0xF8 + i);
    wram[0x3FD8] = 5;
    EXPECT_EQ(commsram_switch_bytes_copy(), 0);
    for (int i = 0; i < 8; i++) EXPECT_EQ(wram[0x3FD0 + i], 0xF8 + i);
    EXPECT_EQ(wram[0x3FD8], 5);
}

}  // namespace
