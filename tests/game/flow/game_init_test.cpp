// Game initialisation: the images the boot leaves, the bounded ROM walks, and the
// reset that keeps only the settings block.
#include "board/boot_font.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "game/flow/frame_step.h"
#include "game/flow/game_init.h"
#include "game/modes/attract_ram.h"
#include "game/modes/tile_block_list.h"
#include "game/services/gameplay_ram.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

class GameInitTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        scores_path_set(nullptr);
        reset_pending = 0;
    }
};

void be16_put(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

void be32_put(uint8_t* p, uint32_t v) {
    be16_put(p, v >> 16);
    be16_put(p + 2, v);
}

TEST_F(GameInitTest, TextRamHoldsTheTitleScreenAndTheBootList) {
    game_init();
    std::vector<uint8_t> expected(sizeof textram, 0);
    auto cell = [&](int row, int column, uint32_t v) { be16_put(&expected[(row * 64 + column) * 2], v); };
    for (int row = 0; row < 30; row++)
        for (int column = 0; column < 40; column++) cell(row, column, 0x03BF);
    // The list draws beside the fill: the runs row on rows 3 and 4, the literal on row 5.
    for (int row = 3; row <= 4; row++) {
        for (int i = 0; i < 3; i++) cell(row, 42 + i, SYNTH_BOOT_TEXT_CELLS[0]);
        cell(row, 45, SYNTH_BOOT_TEXT_CELLS[1]);
    }
    for (int i = 0; i < 4; i++) cell(5, 42 + i, SYNTH_BOOT_TEXT_CELLS[2 + i]);
    struct text {
        int row, column, attribute;
        const char* s;
    };
    const text texts[] = {{2, 13, 5, "SKY VOLTA"},          {5, 7, 4, "VELMO SYSTEM KESTREL"},
                          {10, 11, 4, "PRESS START BUTTON"}, {14, 16, 4, "NEW GAME"},
                          {15, 16, 4, "CONTINUE"},           {18, 14, 6, "INSERT COIN"},
                          {22, 15, 4, "CREDIT  0"}};
    for (const text& t : texts)
        for (int i = 0; t.s[i]; i++) cell(t.row, t.column + i, uint32_t(t.attribute << 12 | t.s[i]));
    EXPECT_EQ(std::vector<uint8_t>(textram, textram + sizeof textram), expected);
    EXPECT_EQ(textram[(2 * 64 + 13) * 2], 0x50);
    EXPECT_EQ(textram[(2 * 64 + 13) * 2 + 1], 'S');
}

TEST_F(GameInitTest, SpriteRamHoldsTheBootTables) {
    game_init();
    std::vector<uint8_t> expected(sizeof sprite_ram, 0);
    const uint16_t header[14] = {6, 0, 1, 83, 768, 512, 768, 0, 32, 32, 640, 1279, 810, 1289};
    for (int i = 0; i < 14; i++) be16_put(&expected[2 * i], header[i]);
    const uint8_t entry[8] = {0x02, 0x80, 0x04, 0xFF, 0x03, 0x2A, 0x05, 0x09};
    for (int i = 0; i < 8; i++) memcpy(&expected[0x200 + 8 * i], entry, 8);
    // Entry k has k bits set, spread the board's way: every 4th long adds bit 7, 3 or 5,
    // 1 (and so on) of successive bytes. Spelled out in full:
    const uint32_t masks[32] = {
        0x00000000, 0x00008000, 0x80008000, 0x80008080, 0x80808080, 0x80808880, 0x88808880, 0x88808888,
        0x88888888, 0x8888A888, 0xA888A888, 0xA888A8A8, 0xA8A8A8A8, 0xA8A8AAA8, 0xAAA8AAA8, 0xAAA8AAAA,
        0xAAAAAAAA, 0xAAAAEAAA, 0xEAAAEAAA, 0xEAAAEAEA, 0xEAEAEAEA, 0xEAEAEEEA, 0xEEEAEEEA, 0xEEEAEEEE,
        0xEEEEEEEE, 0xEEEEFEEE, 0xFEEEFEEE, 0xFEEEFEFE, 0xFEFEFEFE, 0xFEFEFFFE, 0xFFFEFFFE, 0xFFFEFFFF};
    for (int k = 0; k < 32; k++) {
        EXPECT_EQ(__builtin_popcount(masks[k]), k);
        be32_put(&expected[0x400 + 4 * k], masks[k]);
        be32_put(&expected[0x600 + 4 * k], masks[k]);
    }
    for (uint32_t k = 0; k < 512; k++) be32_put(&expected[0x800 + 4 * k], k << 17 | (2 * k + 1));
    EXPECT_EQ(std::vector<uint8_t>(sprite_ram, sprite_ram + sizeof sprite_ram), expected);
}

TEST_F(GameInitTest, PaletteTitleGroupsEndEqual) {
    game_init();
    for (uint32_t plane = 0; plane < 3; plane++) {
        const uint8_t* g7e = palette_ram + 0x8000 * plane + 0x7E00;
        EXPECT_EQ(std::vector<uint8_t>(g7e, g7e + 256), std::vector<uint8_t>(g7e + 256, g7e + 512)) << plane;
        // The video set-up's fixed colour of group 126 replaced the boot's title colours.
        for (uint32_t j = 0; j < 256; j++) ASSERT_EQ(g7e[j], SYNTH_GROUP_COLOURS[(126 - 8) % 3][plane]) << j;
    }
    EXPECT_EQ(mixer_registers[0x05], 0xFF);
    EXPECT_EQ(mixer_registers[0x06], 0xFF);
    EXPECT_EQ(mixer_registers[0x07], 0xFF);
}

TEST_F(GameInitTest, WorkRamStartValues) {
    memset(wram_bytes, 0x5A, sizeof wram_bytes);  // what a previous run could have left
    game_init();
    std::vector<uint8_t> expected(0x4100, 0);
    auto put32 = [&](uint32_t x, uint32_t v) { be32_put(&expected[x], v); };
    put32(0x0CC8, 15);
    put32(0x2C14, 22);
    expected[0x2C2F] = 1;
    expected[0x2C33] = 4;
    put32(0x2E3C, 1);
    put32(0x2E40, 0x00E02E4C);
    put32(0x2E44, 0x00E02E4C);
    put32(0x2E48, 0x0003C000);
    for (uint32_t table : {0x3E80u, 0x3EC0u, 0x3F00u})
        for (uint32_t i = 0; i < 4; i++) put32(table + 4 * i, 1);
    put32(0x3FF0, 4);
    expected[0x3FF5] = 1;  // free play unless SKYVOLTA_COINPLAY
    be16_put(&expected[0x3FF6], uint32_t(bus_read16(0x03673E)));
    be16_put(&expected[0x3FF8], SYNTH_SETTING_3681E);
    be16_put(&expected[0x3FFC], SYNTH_SETTING_3684E);
    struct range {
        uint32_t from, to;
    };
    for (range r : {range{0x0C98, 0x0CA4}, range{0x0CA8, 0x0CD0}, range{0x2C00, 0x2C60}, range{0x2E3C, 0x2E50},
                    range{0x3E70, 0x3F30}, range{0x3FF0, 0x3FF8}, range{0x3FF8, 0x3FFA}, range{0x3FFC, 0x3FFE}})
        EXPECT_EQ(std::vector<uint8_t>(wram_bytes + r.from, wram_bytes + r.to),
                  std::vector<uint8_t>(expected.begin() + r.from, expected.begin() + r.to))
            << std::hex << r.from;
    // Above the cleared range nothing was written; the slots follow the final import.
    EXPECT_EQ(wram_bytes[0x1F000], 0x5A);
    EXPECT_EQ(wram_long(0x0CC8), 15);
    EXPECT_EQ(wram_long(0x0CBC), 0);
    EXPECT_EQ(wram[0x3FFE], 1);
    EXPECT_EQ(wram[0x3FFA], SYNTH_SETTING_36806);
    EXPECT_EQ(dl_cursor_get(), dl_packet_area(0));
}

TEST_F(GameInitTest, CharacterRamBlocksFontAndRomCopy) {
    game_init();
    const uint8_t* rom_tile0 = program_rom + BOOT_BLOCK_TILES;  // every boot block but the named ones is tile 0
    EXPECT_EQ(memcmp(CGRAM + 128 * 288, rom_tile0, 128), 0);
    EXPECT_EQ(memcmp(CGRAM + 128 * 704, rom_tile0, 128), 0);
    EXPECT_EQ(memcmp(CGRAM + 128 * 608, rom_tile0, 128), 0);
    EXPECT_EQ(std::vector<uint8_t>(CGRAM + 128 * 200, CGRAM + 128 * 201), std::vector<uint8_t>(128, 0xFF));
    uint8_t font[BOOT_FONT_BYTES];
    boot_font_build(font);
    EXPECT_EQ(memcmp(CGRAM + 0x1000, font, sizeof font), 0);
    EXPECT_EQ(memcmp(CGRAM + 0x1A000, program_rom + 0x01C994, 0x4000), 0);
    EXPECT_EQ(memcmp(text_registers, program_rom + 0x01C8D2, 8), 0);
}

TEST_F(GameInitTest, BadBlockRecordsAreSkipped) {
    struct record {
        uint32_t block;
        int32_t source, width, height;
    } records[] = {
        {0xD4, 3, 0, 5},       // no tiles: tile 416 stays
        {0xE3, 3, 501, 1},     // too many: tile 448 stays
        {0xA5, 3, -2, -4},     // 8 tiles, the product counts: tiles 368..375
        {0x1C, INT32_MIN, 1, 1},  // source far before the ROM: tile 320 stays
        {0x107, 14580, 2, 1},  // the second tile lies past the ROM: tile 128 copied, 129 not
    };
    for (const record& r : records) {
        uint32_t at = BOOT_BLOCK_TABLE + 16 * r.block;
        be32_put(program_rom + at, uint32_t(r.source));
        be32_put(program_rom + at + 4, uint32_t(r.width));
        be32_put(program_rom + at + 8, uint32_t(r.height));
    }
    game_init();
    auto tile_is = [](uint32_t tile, int64_t source) {
        return memcmp(CGRAM + 128 * tile, program_rom + BOOT_BLOCK_TILES + 128 * source, 128) == 0;
    };
    auto tile_unwritten = [](uint32_t tile) {
        return std::vector<uint8_t>(CGRAM + 128 * tile, CGRAM + 128 * tile + 128) == std::vector<uint8_t>(128, 0xFF);
    };
    EXPECT_TRUE(tile_unwritten(416));
    EXPECT_TRUE(tile_unwritten(448));
    EXPECT_TRUE(tile_unwritten(320));
    for (uint32_t i = 0; i < 8; i++) EXPECT_TRUE(tile_is(368 + i, 3 + i)) << i;
    EXPECT_TRUE(tile_is(128, 14580));
    EXPECT_TRUE(tile_unwritten(129));
}

// Tile-block lists that would run away: every walk ends inside the images.
TEST_F(GameInitTest, TileBlockListWalksAreBounded) {
    struct list_case {
        const char* name;
        std::vector<uint16_t> list;  // at BOOT_TEXT_LIST
        std::vector<uint16_t> row;   // at 0x1C100
        uint32_t cell_at;            // a text RAM byte the list must write, or -1
        uint16_t cell;
    } cases[] = {
        {"stride 0, endless entries", {0, 0, 0, 0, 0x0001, 0xC100}, {1, 0, 0x1234}, 0, 0x1234},
        {"huge repeat count", {0, 60, 128, 0x7FFF, 0x0001, 0xC100}, {1, 0, 0x2345}, 60 * 128, 0x2345},
        {"huge run past text RAM", {0, 63, 2, 0, 0x0001, 0xC100, 0xFFFF}, {0, 0x7FFE, 0x3456}, 63 * 128 + 126, 0x3456},
        {"row description past the ROM", {0, 1, 128, 0, 0x0040, 0x0000, 0xFFFF}, {}, uint32_t(-1), 0},
        {"start past text RAM", {10, 64, 128, 0, 0x0001, 0xC100, 0xFFFF}, {1, 0, 0x4567}, uint32_t(-1), 0},
    };
    for (const list_case& c : cases) {
        memset(textram, 0, sizeof textram);
        memset(program_rom + BOOT_TEXT_LIST, 0, 0x10000);  // past the longest walk
        for (size_t i = 0; i < c.list.size(); i++) be16_put(program_rom + BOOT_TEXT_LIST + 2 * i, c.list[i]);
        for (size_t i = 0; i < c.row.size(); i++) be16_put(program_rom + 0x1C100 + 2 * i, c.row[i]);
        tile_block_list_draw(BOOT_TEXT_LIST);
        if (c.cell_at != uint32_t(-1)) {
            EXPECT_EQ(textram[c.cell_at] << 8 | textram[c.cell_at + 1], c.cell) << c.name;
        } else {
            EXPECT_EQ(std::vector<uint8_t>(textram, textram + sizeof textram), std::vector<uint8_t>(sizeof textram, 0))
                << c.name;
        }
    }
    // A list at the very end of the ROM stops there.
    memset(program_rom + PROGRAM_ROM_END - 8, 0, 8);
    tile_block_list_draw(PROGRAM_ROM_END - 8);
    tile_block_list_draw(PROGRAM_ROM_END - 1);
}

TEST_F(GameInitTest, ResetReturnsEverythingButTheSettingsBlock) {
    game_init();
    frame_due = 1;
    game_frame();
    std::vector<uint8_t> bytes(wram_bytes, wram_bytes + sizeof wram_bytes);
    std::vector<int64_t> slots(wram, wram + 0x1F000);
    std::vector<uint8_t> text(textram, textram + sizeof textram), sprites(sprite_ram, sprite_ram + sizeof sprite_ram);
    std::vector<uint8_t> cg(CGRAM, CGRAM + sizeof CGRAM), pal(palette_ram, palette_ram + sizeof palette_ram);

    // A game that ran: slot-only values, host pointers and bytes everywhere outside the
    // settings block; inside it a changed score table (owned) and an ordinary long.
    for (uint32_t x = 0; x < 0x1F000; x += 4) {
        if (x >= W_SETTINGS_BLOCK - 4 && x < W_SETTINGS_BLOCK + SETTINGS_BLOCK_SIZE) continue;
        wram_bytes[x] ^= 0x5A;
        wram[x] = x % 64 ? int64_t(x * 7) : w_pointer(&wram[x]);
    }
    wram[0x2C12] = 77;                           // an owned coin word
    wram[0x0CA4] = w_pointer(dspram + 0x1F000);  // a cursor far along
    wram[0x4030] = 123456;                       // first score
    wram[0x3F50] = -5;
    wram_export();
    int32_t frames = wram_long(W_FRAME_COUNTER);
    memset(textram, 0x11, sizeof textram);
    memset(sprite_ram, 0x22, sizeof sprite_ram);

    reset_pending = 1;
    frame_due = 1;
    testing::internal::CaptureStderr();
    game_frame();
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "[RESET] the program restarted (entry_reset 0x00BC4C), settings kept\n"),
              std::string::npos);
    EXPECT_EQ(reset_pending, 0);

    EXPECT_EQ(wram_long(0x4030), 123456);
    EXPECT_EQ(bus_read32(WRAM_BASE + 0x4030), 123456);
    EXPECT_EQ(wram_long(0x3F50), -5);
    EXPECT_EQ(bus_read32(WRAM_BASE + 0x3F50), -5);
    EXPECT_EQ(wram_long(W_FRAME_COUNTER), frames + 1);  // frame_counter lives in the settings block
    // Everything else as after the first frame of a fresh start.
    // The attract's score-report mark follows the kept frame_counter.
    EXPECT_EQ(wram_long(W_SCORE_REPORT_MARK), frames + 1 + 36000);
    auto kept = [](uint32_t x) {
        return (x >= 0x4030 && x < 0x4034) || (x >= 0x3F50 && x < 0x3F54) || (x >= W_FRAME_COUNTER && x < W_FRAME_COUNTER + 4) ||
               (x >= W_SCORE_REPORT_MARK && x < W_SCORE_REPORT_MARK + 4);
    };
    for (uint32_t x = 0; x < sizeof wram_bytes; x++)
        if (!kept(x)) { ASSERT_EQ(wram_bytes[x], bytes[x]) << std::hex << x; }
    for (uint32_t x = 0; x < 0x1F000; x++)
        if (!kept(x & ~3u) && !kept((x & ~3u) + 4)) { ASSERT_EQ(wram[x], slots[x]) << std::hex << x; }
    // The images the boot writes (text RAM and sprite RAM keep what lies outside).
    for (int row = 0; row < 30; row++)
        for (int column = 0; column < 46; column++) {
            if (column >= 40 && (row < 3 || row > 5 || column < 42)) continue;
            uint32_t at = (row * 64 + column) * 2;
            ASSERT_EQ(textram[at] << 8 | textram[at + 1], text[at] << 8 | text[at + 1]) << row << "," << column;
        }
    for (auto [from, to] : {std::pair{0x0, 0x1C}, std::pair{0x200, 0x240}, std::pair{0x400, 0x480},
                              std::pair{0x600, 0x680}, std::pair{0x800, 0x1000}})
        EXPECT_EQ(std::vector<uint8_t>(sprite_ram + from, sprite_ram + to),
                  std::vector<uint8_t>(sprites.begin() + from, sprites.begin() + to))
            << std::hex << from;
    EXPECT_EQ(std::vector<uint8_t>(CGRAM, CGRAM + sizeof CGRAM), cg);
    EXPECT_EQ(std::vector<uint8_t>(palette_ram, palette_ram + sizeof palette_ram), pal);
}

}  // namespace
