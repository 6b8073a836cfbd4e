#include "render/cz_fog.h"

#include "board/board_memory.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct fog_fixture : ::testing::Test {
    std::unique_ptr<fog_state> st = std::make_unique<fog_state>();
    uint16_t words[FOG_DENSITY_WORDS] = {};

    const uint8_t* build(uint16_t enable, int bank = 0) {
        st->cz_attr[4] = enable;
        fog_tables_build(st.get(), words, bank);
        return st->density[bank];
    }
};

TEST_F(fog_fixture, ThresholdRampGivesOneDensityPerTwentyOneIndices) {
    for (int k = 0; k < 256; k++) words[k] = uint16_t(21 * k);
    const uint8_t* t = build(0x4444);
    for (int k = 1; k <= 255; k++)
        for (int i = 21 * (k - 1); i < 21 * k; i++) ASSERT_EQ(t[i], k) << "index " << i;
    for (int i = 5355; i < FOG_TABLE_SIZE; i++) ASSERT_EQ(t[i], 255) << "index " << i;
}

TEST_F(fog_fixture, ReverseOrderReadsTheWordsFromTheTop) {
    // Word v = 21 (255 - v): read from v = 255 down, the same thresholds as the ramp.
    for (int v = 0; v < 256; v++) words[v] = uint16_t(21 * (255 - v));
    const uint8_t* t = build(0x0020, 1);  // bank 1: bit 1 of nibble 1
    for (int k = 1; k <= 255; k++) ASSERT_EQ(t[21 * k - 1], 255 - k) << k;
    EXPECT_EQ(t[8191], 0);
}

TEST_F(fog_fixture, IrregularWordTables) {
    struct {
        const char* name;
        std::vector<std::pair<int, uint16_t>> set;  // word index, value
        uint16_t enable;
        std::vector<std::pair<int, uint8_t>> expect;  // table index, density
    } cases[] = {
        {"all zero forward", {}, 0x0004, {{0, 255}, {4000, 255}, {8191, 255}}},
        {"all zero reverse", {}, 0x0006, {{0, 0}, {4000, 0}, {8191, 0}}},
        {"a decrease after a peak is ignored",
         {{1, 100}, {2, 50}, {3, 200}},
         0x0004,
         {{0, 1}, {99, 1}, {100, 3}, {199, 3}, {200, 3}, {8191, 3}}},
        {"a word past the table ends it", {{1, 10}, {2, 0x3000}, {3, 9000}}, 0x0004, {{9, 1}, {10, 2}, {8191, 2}}},
        {"below the first threshold the smallest one's density",
         {{0, 40}, {1, 60}},
         0x0004,
         {{0, 0}, {39, 0}, {40, 1}, {59, 1}, {60, 1}, {8191, 1}}},
    };
    for (auto& c : cases) {
        memset(words, 0, sizeof words);
        for (auto& [i, v] : c.set) words[i] = v;
        const uint8_t* t = build(c.enable);
        for (auto& [i, d] : c.expect) EXPECT_EQ(t[i], d) << c.name << " at " << i;
    }
}

struct live_fog_fixture : fog_fixture {
    uint8_t mixer[0x400] = {};
    uint16_t regs[8] = {};
    uint16_t tables[FOG_BANKS][FOG_DENSITY_WORDS] = {};

    void load() {
        const uint16_t* t[FOG_BANKS] = {tables[0], tables[1], tables[2], tables[3]};
        ASSERT_TRUE(fog_state_from_live(mixer, regs, t));
    }
};

TEST_F(live_fog_fixture, QuadFogPicksTheMappedEnabledBankAndItsBias) {
    for (int b = 0; b < FOG_BANKS; b++) tables[b][b + 1] = 100;  // bank b: density b + 1 throughout
    regs[0] = 0x0010;
    regs[1] = 0x80F0;  // negative: 0xF0 - 256
    regs[2] = 0x0005;
    regs[3] = 0x807F;
    struct {
        uint16_t enable, bank_map;
        uint32_t colour, selector;
        int bank;  // -1: no fog
        int bias;
    } cases[] = {
        {0x4444, 0x00E4, 0x0000, 2, 2, 5},    {0x4444, 0x00E4, 0x0000, 1, 1, -16},
        {0x4444, 0x0000, 0x0000, 3, 0, 16},   {0x4444, 0x00E4, 0x0000, 7, 3, -129},
        {0x0000, 0x00E4, 0x0000, 2, -1, 0},   {0x4404, 0x00E4, 0x0000, 1, -1, 0},
        {0x4444, 0x00E4, 0x8000, 2, -1, 0},   {0x4444, 0x00E4, 0x7FFF, 0, 0, 16},
    };
    for (auto& c : cases) {
        regs[4] = c.enable;
        regs[6] = c.bank_map;
        load();
        const uint8_t* table = nullptr;
        int bias = 1234;
        bool found = fog_for_quad(c.colour, c.selector, &table, &bias);
        EXPECT_EQ(found, c.bank >= 0) << c.enable << " " << c.selector;
        if (found && c.bank >= 0) {
            EXPECT_EQ(table, fog_current.density[c.bank]);
            EXPECT_EQ(bias, c.bias);
            EXPECT_EQ(table[0], c.bank + 1);
            EXPECT_EQ(table[8191], c.bank + 1);
        }
    }
    fog_current_valid = false;
    const uint8_t* table;
    int bias;
    EXPECT_FALSE(fog_for_quad(0, 0, &table, &bias));
}

TEST_F(live_fog_fixture, MixerFieldsAndFlags) {
    for (int i = 0; i < 0x1C; i++) mixer[i] = uint8_t(0xA0 + i);
    mixer[0] = mixer[1] = 0xFF;
    mixer[2] = 0xFE;
    mixer[0x0E] = 1;
    load();
    const fog_state& f = fog_current;
    EXPECT_EQ(f.scale_active, 1u);
    EXPECT_EQ(f.fog_colour[0], 0xA5);
    EXPECT_EQ(f.bg_colour[2], 0xAA);
    EXPECT_EQ(f.fog_level, 0xADu);
    EXPECT_EQ(f.sprite_clear_group, 0xAF);
    EXPECT_EQ(f.sprite_clear_pixel, 0xB0);
    EXPECT_EQ(f.text_clear_low, 0xB2);
    EXPECT_EQ(f.text_clear_amount, 0xB5);
    EXPECT_EQ(f.fade_colour[1], 0xB7);
    EXPECT_EQ(f.fade_amount, 0xB9);
    EXPECT_EQ(f.fade_flags, 0xBA);
    EXPECT_EQ(f.text_group, 0xBB);
    EXPECT_EQ(f.lut_active, 0u);

    mixer[2] = 0xFF;
    mixer[0x0E] = 0;
    mixer[0x2FF] = 1;
    load();
    EXPECT_EQ(fog_current.scale_active, 0u);
    EXPECT_EQ(fog_current.fog_level, 0u);
    EXPECT_EQ(fog_current.lut_active, 1u);
}

TEST_F(live_fog_fixture, LookupTablesApplyOnlyWhenInUse) {
    for (int i = 0; i < 256; i++) {
        mixer[0x100 + i] = uint8_t(255 - i);
        mixer[0x200 + i] = uint8_t(i / 2);
        mixer[0x300 + i] = uint8_t(i);
    }
    load();
    uint8_t r = 10, g = 100, b = 200;
    mixer_colour_lut_apply(&r, &g, &b);
    EXPECT_EQ(r, 245);
    EXPECT_EQ(g, 50);
    EXPECT_EQ(b, 200);
    memset(mixer + 0x100, 0, 0x300);
    load();
    mixer_colour_lut_apply(&r, &g, &b);
    EXPECT_EQ(r, 245);
}

TEST(fog_density, VisibilityRule) {
    uint8_t table[FOG_TABLE_SIZE];
    for (int i = 0; i < FOG_TABLE_SIZE; i++) table[i] = uint8_t(i / 32);
    EXPECT_EQ(fog_density_lookup(nullptr, 0, 5000), 255);
    EXPECT_EQ(fog_density_lookup(table, 0, 0), 255);              // density 0
    EXPECT_EQ(fog_density_lookup(table, 0, 32 * 256 * 10), 245);  // density 10
    EXPECT_EQ(fog_density_lookup(table, -20, 32 * 256 * 10), 255);
    EXPECT_EQ(fog_density_lookup(table, 100, 0x7FFFFFFF), 0);      // clamped to the last index, 255 + 100
    EXPECT_EQ(fog_density_lookup(table, 5, -100000), 250);         // clamped to index 0
}

TEST(fog_intake, ReadsTheBoardImagesBigEndian) {
    memset(czram, 0, sizeof czram);
    memset(mixer_registers, 0, sizeof mixer_registers);
    czram[8] = 0x44;  // enable word 0x4444
    czram[9] = 0x44;
    czram[12] = 0x00;  // bank map 0x00E4
    czram[13] = 0xE4;
    czram[6] = 0x80;  // bank 3 bias word 0x8010
    czram[7] = 0x10;
    for (int k = 0; k < 256; k++) {
        czram[0x200 + 2 * k] = uint8_t((21 * k) >> 8);
        czram[0x200 + 2 * k + 1] = uint8_t(21 * k);
    }
    mixer_registers[0x19] = 0x42;
    ASSERT_TRUE(fog_mixer_intake());
    EXPECT_TRUE(fog_current_valid);
    EXPECT_EQ(fog_current.cz_attr[4], 0x4444);
    EXPECT_EQ(fog_current.cz_attr[6], 0x00E4);
    EXPECT_EQ(fog_current.fade_amount, 0x42);
    for (int b = 0; b < FOG_BANKS; b++) {
        EXPECT_EQ(fog_current.density[b][21 * 7], 8);
        EXPECT_EQ(fog_current.density[b][6000], 255);
    }
    const uint8_t* table;
    int bias;
    ASSERT_TRUE(fog_for_quad(0, 3, &table, &bias));
    EXPECT_EQ(bias, 16 - 256);
    EXPECT_GE(fog_intake_seconds(), 0.0);
}

struct fog_dump_fixture : ::testing::Test {
    std::string dir = temp_dir_make("fogdump");
    void TearDown() override { temp_dir_remove(dir); }

    void write_frame(int n, size_t czram2_size) {
        std::vector<uint8_t> attr(16, 0);
        attr[8] = 0x44;
        attr[9] = 0x44;
        attr[13] = 0xE4;
        ASSERT_TRUE(file_write(dir + "/czattr_f" + std::to_string(n) + ".bin", attr));
        std::vector<uint8_t> mix(0x400, 0);
        mix[0x05] = 0x12;
        ASSERT_TRUE(file_write(dir + "/mix_f" + std::to_string(n) + ".bin", mix));
        for (int b = 0; b < FOG_BANKS; b++) {
            std::vector<uint8_t> words(b == 2 ? czram2_size : 512, 0);
            words[2 * (b + 1) + 1] = 10;  // bank b: density b + 1 throughout
            ASSERT_TRUE(file_write(dir + "/czram" + std::to_string(b) + "_f" + std::to_string(n) + ".bin", words));
        }
    }
};

TEST_F(fog_dump_fixture, LoadsOneTablePerBankWithTheLookupTablesOn) {
    write_frame(7, 512);
    ASSERT_TRUE(fog_state_load_dump(dir.c_str(), 7));
    EXPECT_TRUE(fog_current_valid);
    EXPECT_EQ(fog_current.fog_colour[0], 0x12);
    EXPECT_EQ(fog_current.lut_active, 1u);
    for (int b = 0; b < FOG_BANKS; b++) {
        EXPECT_EQ(fog_current.density[b][0], b + 1) << b;
        EXPECT_EQ(fog_current.density[b][8191], b + 1) << b;
    }
}

TEST_F(fog_dump_fixture, AShortBankFileLeavesNoValidState) {
    write_frame(3, 511);
    fog_current_valid = true;
    EXPECT_FALSE(fog_state_load_dump(dir.c_str(), 3));
    EXPECT_FALSE(fog_current_valid);
    EXPECT_FALSE(fog_state_load_dump(dir.c_str(), 4));  // no files at all
}

}  // namespace
