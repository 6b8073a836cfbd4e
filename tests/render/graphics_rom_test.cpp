// The texture ROM and tile map: loading, texel addressing and texel formats.
#include "render/graphics_rom.h"

#include "host/rom_set.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

const char* const CG_NAMES[8] = {"kv1cg0.12b", "kv1cg1.10d", "kv1cg2.12d", "kv1cg3.13d",
                                 "kv1cg4.14d", "kv1cg5.16d", "kv1cg6.18a", "kv1cg7.15a"};
constexpr const char* TILE_NAME = "kv1ccrl.3d";
constexpr const char* ATTR_NAME = "kv1ccrh.1d";
constexpr int FIRST_CG_ENTRY = 13;  // ROM table entries 13..20 are the CG files, 21 and 22 the tile map

// The texture files of the synthetic set, written once and loaded into the images.
class GraphicsRomTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new std::string(temp_dir_make("graphics_rom"));
        const synth_rom_set* set = synth_rom_shared();
        for (int e = FIRST_CG_ENTRY; e <= FIRST_CG_ENTRY + 9; e++)
            ASSERT_TRUE(file_write(*dir + "/" + rom_table[e].name, synth_rom_file(set, e)));
        ASSERT_EQ(texture_rom_load(dir->c_str(), CG_NAMES, TILE_NAME, ATTR_NAME), 1);
    }
    static void TearDownTestSuite() {
        temp_dir_remove(*dir);
        delete dir;
    }
    static std::string* dir;
};
std::string* GraphicsRomTest::dir = nullptr;

TEST_F(GraphicsRomTest, TileNumberFileOfOneMegabyteLoadsAndOneByteLessIsShort) {
    std::string path = *dir + "/" + TILE_NAME;
    std::vector<uint8_t> full = file_read(path);
    std::vector<uint8_t> tiles(full.begin(), full.begin() + 0x100000);
    ASSERT_TRUE(file_write(path, tiles));
    EXPECT_EQ(texture_rom_load(dir->c_str(), CG_NAMES, TILE_NAME, ATTR_NAME), 1);
    EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), texture_tilemap));
    for (size_t i = 0x100000; i < 0x200000; i += 0x1001) ASSERT_EQ(texture_tilemap[i], 0) << i;

    tiles.pop_back();
    ASSERT_TRUE(file_write(path, tiles));
    testing::internal::CaptureStderr();
    EXPECT_EQ(texture_rom_load(dir->c_str(), CG_NAMES, TILE_NAME, ATTR_NAME), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "  Short read: " + path + " (1048575/2097152)\n");

    ASSERT_TRUE(file_write(path, full));
    ASSERT_EQ(texture_rom_load(dir->c_str(), CG_NAMES, TILE_NAME, ATTR_NAME), 1);
}

TEST_F(GraphicsRomTest, TexelAddressHonoursFlipsTransposeAndUpperTiles) {
    // Texel (c, r) of the synthetic 8-bit tile holds r * 16 + c.
    struct {
        uint32_t u;
        uint32_t (*byte)(uint32_t c, uint32_t r);
    } cases[] = {
        {SYNTH_TEX_U_8BIT, [](uint32_t c, uint32_t r) { return r * 16 + c; }},
        {SYNTH_TEX_U_VFLIP, [](uint32_t c, uint32_t r) { return (15 - r) * 16 + c; }},
        {SYNTH_TEX_U_HFLIP, [](uint32_t c, uint32_t r) { return r * 16 + 15 - c; }},
        {SYNTH_TEX_U_TRANSPOSE, [](uint32_t c, uint32_t r) { return c * 16 + r; }},
        {SYNTH_TEX_U_ALLFLIP, [](uint32_t c, uint32_t r) { return (15 - c) * 16 + 15 - r; }},
    };
    for (const auto& k : cases) {
        for (uint32_t r = 0; r < 16; r += 5) {
            for (uint32_t c = 0; c < 16; c += 3) {
                SCOPED_TRACE(testing::Message() << "u " << k.u << " c " << c << " r " << r);
                uint32_t off = texel_offset(SYNTH_TEX_BANK, k.u + c, r);
                EXPECT_EQ(off, SYNTH_TILE_8BIT * 256 + k.byte(c, r));
                EXPECT_EQ(texel_fetch(SYNTH_TEX_BANK, k.u + c, r), k.byte(c, r));
            }
        }
    }
    // Attribute bit 0 points past the 16 MB image: no ROM byte.
    EXPECT_EQ(texel_offset(SYNTH_TEX_BANK, SYNTH_TEX_U_UPPER + 2, 3), (SYNTH_TILE_8BIT + 0x10000) * 256 + 3 * 16 + 2);
    EXPECT_EQ(texel_fetch(SYNTH_TEX_BANK, SYNTH_TEX_U_UPPER + 2, 3), 0);
    // Bank and tile row select the entry: the ground checker lies in tile rows 1..4.
    EXPECT_EQ(texel_tile_entry(SYNTH_TEX_BANK, SYNTH_TEX_GROUND_U + 17, SYNTH_TEX_GROUND_V + 3), 0x10101u);
    EXPECT_EQ(texel_fetch(SYNTH_TEX_BANK, SYNTH_TEX_GROUND_U + 17, SYNTH_TEX_GROUND_V + 3), 0x40);
    EXPECT_EQ(texel_fetch(SYNTH_TEX_BANK, SYNTH_TEX_GROUND_U + 40, SYNTH_TEX_GROUND_V + 63), 0x40);
    EXPECT_EQ(texel_fetch(SYNTH_TEX_BANK, SYNTH_TEX_GROUND_U + 63, SYNTH_TEX_GROUND_V + 63), 0xC0);
}

TEST_F(GraphicsRomTest, EveryTexelFormatPicksItsIndex) {
    struct {
        uint32_t format, u;
        uint32_t (*index)(uint32_t c, uint32_t r);
    } cases[] = {
        {0x0, SYNTH_TEX_U_8BIT, [](uint32_t c, uint32_t r) { return r * 16 + c; }},
        {0x8, SYNTH_TEX_U_8BIT, [](uint32_t c, uint32_t r) { return r * 16 + c; }},
        {0x2, SYNTH_TEX_U_4BIT, [](uint32_t c, uint32_t) { return 224 + c; }},
        {0x3, SYNTH_TEX_U_4BIT, [](uint32_t, uint32_t r) { return 224 + r; }},
        {0xA, SYNTH_TEX_U_4BIT, [](uint32_t c, uint32_t) { return 240 + c; }},
        {0xB, SYNTH_TEX_U_4BIT, [](uint32_t, uint32_t r) { return 240 + r; }},
        {0x4, SYNTH_TEX_U_2BIT, [](uint32_t c, uint32_t) { return 236 + (c & 3); }},
        {0x5, SYNTH_TEX_U_2BIT, [](uint32_t, uint32_t r) { return 236 + (r & 3); }},
        {0x6, SYNTH_TEX_U_2BIT, [](uint32_t c, uint32_t r) { return 236 + ((c + r) & 3); }},
        {0x7, SYNTH_TEX_U_2BIT, [](uint32_t c, uint32_t) { return 236 + 3 - (c & 3); }},
        {0xE, SYNTH_TEX_U_2BIT, [](uint32_t c, uint32_t r) { return 252 + ((c + r) & 3); }},
    };
    for (const auto& k : cases) {
        for (uint32_t r = 0; r < 16; r += 3) {
            for (uint32_t c = 0; c < 16; c += 2) {
                SCOPED_TRACE(testing::Message() << "format " << k.format << " c " << c << " r " << r);
                EXPECT_EQ(texel_colour_index(k.format, texel_fetch(SYNTH_TEX_BANK, k.u + c, r)), k.index(c, r));
            }
        }
    }
    // Without a ROM byte every format takes its base.
    const uint32_t base[][2] = {{0x0, 0}, {0x8, 0}, {0x2, 224}, {0x3, 224}, {0xA, 240}, {0x4, 236}, {0xF, 252}};
    for (const auto& b : base) EXPECT_EQ(texel_colour_index(b[0], -1), b[1]) << b[0];
}

TEST_F(GraphicsRomTest, TileMapFixUpRemapsTilesAndDropsTheUpperBit) {
    // The fix-up changes the images and the rule for the rest of the run: a child does it.
    EXPECT_EXIT(
        {
            texture_tilemap_fixup();
            bool ok = texel_offset(SYNTH_TEX_BANK, SYNTH_TEX_U_8BIT + 1, 2) == 0x8100u * 256 + 2 * 16 + 1 &&
                      texel_offset(SYNTH_TEX_BANK, SYNTH_TEX_U_UPPER + 1, 2) == SYNTH_TILE_8BIT * 256 + 2 * 16 + 1 &&
                      texel_fetch(SYNTH_TEX_BANK, SYNTH_TEX_U_UPPER + 1, 2) == 2 * 16 + 1;
            exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GraphicsRomMissing, FetchWithoutImagesReadsNothing) {
    if (texture_tilemap) GTEST_SKIP() << "images already loaded in this process";
    EXPECT_EQ(texel_offset(0, 5, 5), TEXTURE_ROM_SIZE);
    EXPECT_EQ(texel_fetch(0, 5, 5), 0);
}

}  // namespace
