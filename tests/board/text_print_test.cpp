// Text RAM printing, tile blocks in character RAM and text RAM, the block-draw list and
// the lamp word.
#include "board/text_print.h"

#include "board/bus.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "render/palette_source.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <string>
#include <vector>

namespace {

uint16_t cell_at(int column, int row) {
    int i = row * 64 + column;
    return uint16_t(textram[2 * i] << 8 | textram[2 * i + 1]);
}

class TextPrintTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        textram_clear();
        tdb_list_clear();
    }
};

// Every cell of the map in memory order, for before/after comparisons.
std::vector<uint16_t> all_cells() {
    std::vector<uint16_t> v(64 * 64);
    for (int i = 0; i < 64 * 64; i++) v[i] = cell_at(i % 64, i / 64);
    return v;
}

struct print_case {
    const char* name;
    int column, row;
    uint32_t string;
    int palette;
    int written;  // cells written in memory order from (column, row)
    int stop;     // character returned
};

TEST_F(TextPrintTest, PrintsInMemoryOrderWrappingPastColumn63AndStops) {
    // A string in work RAM, written through the bus like the game's own buffers.
    const uint32_t wram_string = WRAM_BASE + 0x1000;
    for (int i = 0; i < 3; i++) bus_write8(wram_string + i, "XY"[i]);
    const print_case cases[] = {
        {"ten at column 60", 60, 5, SYNTH_STRING_TEN, 2, 10, 0},
        {"64 characters then stop", 0, 0, SYNTH_STRING_LONG, 1, 64, 'a' + 64 % 26},
        {"end of text RAM", 60, 63, SYNTH_STRING_TEN, 3, 4, 'E'},
        {"start past the end", 0, 64, SYNTH_STRING_TEN, 3, 0, 'A'},
        {"start before the map", -1, 0, SYNTH_STRING_TEN, 3, 0, 'A'},
        {"work RAM string", 30, 40, wram_string, 15, 2, 0},
    };
    for (const print_case& c : cases) {
        SCOPED_TRACE(c.name);
        textram_clear();
        std::vector<uint16_t> expect = all_cells();
        int start = c.row * 64 + c.column;
        for (int i = 0; i < c.written; i++)
            expect[start + i] = uint16_t(c.palette << 12 | bus_read8(c.string + i));
        EXPECT_EQ(text_print(c.column, c.row, c.string, c.palette), c.stop);
        EXPECT_EQ(all_cells(), expect);
    }
    // The first case in cells: 4 on row 5, 6 on row 6.
    text_print(60, 5, SYNTH_STRING_TEN, 2);
    EXPECT_EQ(cell_at(63, 5), 0x2000 | 'D');
    EXPECT_EQ(cell_at(0, 6), 0x2000 | 'E');
    EXPECT_EQ(cell_at(5, 6), 0x2000 | 'J');
    EXPECT_EQ(cell_at(6, 6), TEXT_BLANK_CELL);
}

struct number_case {
    const char* name;
    bool hex;
    int n;
    int32_t value;
    int palette;
    std::vector<uint16_t> cells;  // from column 19 (the sign cell of the signed printer) on
};

TEST_F(TextPrintTest, NumbersLandRightAlignedWithTheirPalettes) {
    const number_case cases[] = {
        {"hex, fifth digit in palette + 1", true, 5, 0x12345, 3, {0x20, 0x4001, 0x3002, 0x3003, 0x3004, 0x3005, 0x20}},
        {"hex, two digits", true, 2, 0xAB, 0, {0x20, 0x000A, 0x000B, 0x20}},
        {"hex, ninth digit is 0", true, 9, -1, 6, {0x20, 0x7000, 0x700F, 0x700F, 0x700F, 0x700F, 0x600F, 0x600F,
                                                   0x600F, 0x600F, 0x20}},
        {"signed -7 in 3", false, 3, -7, 2, {0x2000 | '-', 0x20, 0x20, 0x2007, 0x20}},
        {"signed 305 in 4", false, 4, 305, 1, {0x1000 | '+', 0x20, 0x1003, 0x1000, 0x1005, 0x20}},
        {"signed 0 keeps the units", false, 2, 0, 0, {'+', 0x20, 0x0000, 0x20}},
        {"signed minimum", false, 10, INT32_MIN, 4,
         {0x4000 | '-', 0x4002, 0x4001, 0x4004, 0x4007, 0x4004, 0x4008, 0x4003, 0x4006, 0x4004, 0x4008, 0x20}},
    };
    for (const number_case& c : cases) {
        SCOPED_TRACE(c.name);
        textram_clear();
        if (c.hex)
            text_print_hex(20, 7, c.n, uint32_t(c.value), c.palette);
        else
            text_print_signed(20, 7, c.n, c.value, c.palette);
        for (size_t i = 0; i < c.cells.size(); i++) EXPECT_EQ(cell_at(19 + int(i), 7), c.cells[i]) << "column " << 19 + i;
        EXPECT_EQ(cell_at(20, 6), TEXT_BLANK_CELL);
        EXPECT_EQ(cell_at(20, 8), TEXT_BLANK_CELL);
    }
    // Digits off the map's edges are dropped, not wrapped.
    textram_clear();
    std::vector<uint16_t> before = all_cells();
    text_print_hex(62, 3, 4, 0x1234, 0);
    before[3 * 64 + 62] = 0x0001;
    before[3 * 64 + 63] = 0x0002;
    EXPECT_EQ(all_cells(), before);
}

TEST_F(TextPrintTest, BlockDrawFillsCellsRowByRowAndRecordsTheDraw) {
    const synth_block& b = SYNTH_BLOCK_SMALL;
    const std::vector<uint16_t> blank = all_cells();
    text_block_draw(b.number, 10, 20, 0x120, 5);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) EXPECT_EQ(cell_at(10 + x, 20 + y), 0x5120 + 3 * y + x);
    EXPECT_EQ(cell_at(13, 20), TEXT_BLANK_CELL);
    EXPECT_EQ(cell_at(9, 21), TEXT_BLANK_CELL);
    EXPECT_EQ(cell_at(10, 22), TEXT_BLANK_CELL);
    EXPECT_EQ(wram[0x3EA4], 3);
    EXPECT_EQ(wram[0x3EA8], 2);

    // Too wide: nothing drawn, recorded with width 0.
    std::vector<uint16_t> before = all_cells();
    text_block_draw(SYNTH_BLOCK_WIDE.number, 0, 0, 0x40, 1);
    EXPECT_EQ(all_cells(), before);
    EXPECT_EQ(wram[0x3EA4], 0);

    // Clipped at the bottom-right corner, without wrapping onto row 0.
    text_block_draw(b.number, 62, 63, 0x200, 2);
    EXPECT_EQ(cell_at(62, 63), 0x2200);
    EXPECT_EQ(cell_at(63, 63), 0x2201);
    EXPECT_EQ(cell_at(0, 0), TEXT_BLANK_CELL);
    EXPECT_EQ(cell_at(0, 63), TEXT_BLANK_CELL);

    ASSERT_EQ(tdb_list_count(), 3);
    struct entry {
        int column, row, width, height, base, palette;
    };
    const entry expect[] = {{10, 20, 3, 2, 0x120, 5}, {0, 0, 0, 1, 0x40, 1}, {62, 63, 3, 2, 0x200, 2}};
    for (int i = 0; i < 3; i++) {
        entry e;
        tdb_list_get(i, &e.column, &e.row, &e.width, &e.height, &e.base, &e.palette);
        EXPECT_EQ(e.column, expect[i].column);
        EXPECT_EQ(e.row, expect[i].row);
        EXPECT_EQ(e.width, expect[i].width);
        EXPECT_EQ(e.height, expect[i].height);
        EXPECT_EQ(e.base, expect[i].base);
        EXPECT_EQ(e.palette, expect[i].palette);
    }

    text_block_clear(b.number, 10, 20);
    text_block_clear(b.number, 62, 63);
    EXPECT_EQ(all_cells(), blank);
    text_block_draw(b.number, 0, 0, 0, 0);
    text_block_clear(SYNTH_BLOCK_WIDE.number, 0, 0);  // too wide: clears nothing
    EXPECT_EQ(cell_at(0, 0), 0x0000);
}

TEST_F(TextPrintTest, TheSixtyFifthDrawIsDrawnButNotRecorded) {
    for (int i = 0; i < 64; i++) text_block_draw(SYNTH_BLOCK_SMALL.number, 0, 0, i, 0);
    text_block_draw(SYNTH_BLOCK_SMALL.number, 30, 30, 0x3AB, 7);
    EXPECT_EQ(cell_at(30, 30), 0x73AB);
    EXPECT_EQ(tdb_list_count(), 64);
    int v[6];
    tdb_list_get(63, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    EXPECT_EQ(v[4], 63);
    tdb_list_get(64, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    EXPECT_EQ(std::vector<int>(v, v + 6), (std::vector<int>{-1, -1, 0, 0, 0, 0}));
    tdb_list_clear();
    EXPECT_EQ(tdb_list_count(), 0);
}

TEST_F(TextPrintTest, ClearBlanksTheMapAndTheFogLevelAndTheScrollRegister) {
    text_print(0, 0, SYNTH_STRING_TEN, 1);
    mixer_registers[MIX_FOG_LEVEL] = 0x44;
    text_registers[2] = 0x12;
    text_registers[3] = 0x34;
    textram_clear();
    EXPECT_EQ(all_cells(), std::vector<uint16_t>(64 * 64, TEXT_BLANK_CELL));
    EXPECT_EQ(mixer_registers[MIX_FOG_LEVEL], 0);
    EXPECT_EQ(text_registers[2], 0);
    EXPECT_EQ(text_registers[3], 0);
}

// Tile t of character RAM equals source tile s of the synthetic ROM (the given bytes).
void expect_tile(int t, uint32_t s, uint32_t from = 0, uint32_t bytes = 128) {
    for (uint32_t i = from; i < from + bytes; i++)
        ASSERT_EQ(CGRAM[128 * t + i], synth_block_tile_byte(s, i)) << "tile " << t << " byte " << i;
}

bool tile_empty(int t) {
    for (int i = 0; i < 128; i++)
        if (CGRAM[128 * t + i]) return false;
    return true;
}

TEST_F(TextPrintTest, TileBlocksLoadIntoCharacterRamAndStopAtItsEnd) {
    const synth_block& b = SYNTH_BLOCK_SMALL;
    cgram_load_tile_block(b.number, 100);
    for (int k = 0; k < 6; k++) expect_tile(100 + k, uint32_t(b.source + k));
    EXPECT_TRUE(tile_empty(99));
    EXPECT_TRUE(tile_empty(106));

    // Tiles below 0 are skipped (warned once per run).
    testing::internal::CaptureStderr();
    cgram_load_tile_block(b.number, -2);
    std::string err = testing::internal::GetCapturedStderr();
    for (int k = 0; k < 4; k++) expect_tile(k, uint32_t(b.source + 2 + k));
    EXPECT_NE(err.find("[WARN] cgram_load_tile_block: dest row out of range (param_1=1 param_2=-2 row=-2)"),
              std::string::npos);

    // 1600 tiles from 0: the 960 that fit, then one guard line; text RAM untouched.
    std::vector<uint16_t> cells = all_cells();
    testing::internal::CaptureStderr();
    cgram_load_tile_block(SYNTH_BLOCK_HUGE.number, 0);
    err = testing::internal::GetCapturedStderr();
    expect_tile(0, 0);
    expect_tile(959, 959);
    EXPECT_EQ(all_cells(), cells);
    EXPECT_NE(err.find("[GUARD]"), std::string::npos);
    EXPECT_EQ(err.find("[GUARD]"), err.rfind("[GUARD]"));

    // A source that leaves the program ROM: the tiles inside are copied, the rest dropped.
    memset(CGRAM, 0, sizeof CGRAM);
    testing::internal::CaptureStderr();
    cgram_load_tile_block(SYNTH_BLOCK_ROM_END.number, 500);
    err = testing::internal::GetCapturedStderr();
    const uint8_t* last = program_rom + BLOCK_TILE_DATA + 128 * SYNTH_BLOCK_ROM_END.source;
    EXPECT_EQ(std::vector<uint8_t>(CGRAM + 128 * 500, CGRAM + 128 * 501), std::vector<uint8_t>(last, last + 128));
    EXPECT_TRUE(tile_empty(501));
    EXPECT_NE(err.find("[GUARD]"), std::string::npos);
}

TEST_F(TextPrintTest, PixelRowCopiesTouchOnlyThatRow) {
    const synth_block& b = SYNTH_BLOCK_SMALL;
    cgram_load_block_at(b.number, 200, 5);
    for (int k = 0; k < 6; k++) {
        expect_tile(200 + k, uint32_t(b.source + k), 40, 8);
        for (int i = 0; i < 128; i++)
            if (i < 40 || i >= 48) { ASSERT_EQ(CGRAM[128 * (200 + k) + i], 0) << "tile " << 200 + k << " byte " << i; }
    }
    EXPECT_TRUE(tile_empty(206));
    cgram_load_block_at(b.number, 300, 16);
    cgram_load_block_at(b.number, -1, 3);
    cgram_load_block_at(b.number, 310, -1);
    EXPECT_TRUE(tile_empty(300));
    EXPECT_TRUE(tile_empty(0));
    EXPECT_TRUE(tile_empty(310));

    // The course's block, row k, from tile 288 on; the course is set only once.
    wram[0x15EE4] = -1;
    block_rows_course_set(0);
    block_rows_course_set(1);
    ASSERT_EQ(wram[0x15EE4], 0);
    block_rows_copy(15);
    const synth_block& course_block = SYNTH_BLOCK_SMALL;
    ASSERT_EQ(SYNTH_MESSAGE_BLOCKS[0], course_block.number);
    for (int k = 0; k < 6; k++) expect_tile(288 + k, uint32_t(course_block.source + k), 120, 8);
    EXPECT_EQ(CGRAM[128 * 288 + 119], 0);
}

TEST_F(TextPrintTest, BannerLoadsAtStepThreeAndDrawsFromThen) {
    const synth_block& b = SYNTH_BLOCK_BANNER;
    wram[0x173C8] = 2;
    screen_banner_setup();
    EXPECT_EQ(cell_at(14, 9), TEXT_BLANK_CELL);
    EXPECT_EQ(tdb_list_count(), 0);

    text_print(0, 0, SYNTH_STRING_TEN, 1);
    wram[0x173C8] = 3;
    screen_banner_setup();
    EXPECT_EQ(cell_at(0, 0), TEXT_BLANK_CELL);  // cleared first
    for (int k = 0; k < b.width * b.height; k++) expect_tile(288 + k, uint32_t(b.source + k));
    for (int j = 0; j < 16; j++) {
        uint8_t rgb[3];
        synth_colour_set_rgb(b.colour_set, uint32_t(j), rgb);
        EXPECT_EQ(palette_ram[0x7F10 + j], rgb[0]);
        EXPECT_EQ(palette_ram[0x8000 + 0x7F10 + j], rgb[1]);
        EXPECT_EQ(palette_ram[0x10000 + 0x7F10 + j], rgb[2]);
    }
    EXPECT_EQ(cell_at(14, 9), 0x1000 | 288);
    EXPECT_EQ(cell_at(14 + b.width - 1, 9 + b.height - 1), 0x1000 | (288 + b.width * b.height - 1));

    // Later steps only draw.
    memset(CGRAM, 0, sizeof CGRAM);
    wram[0x173C8] = 4;
    screen_banner_setup();
    EXPECT_TRUE(tile_empty(288));
    EXPECT_EQ(tdb_list_count(), 2);
}

TEST_F(TextPrintTest, LampBitsFollowThePatternAndKeepTheOtherBits) {
    commsram[0x7D2E] = 0x80;
    commsram[0x7D2F] = 0x01;
    lamp_bit2_set(1);
    EXPECT_EQ(commsram[0x7D2F], 0x05);
    for (int p = 0; p < 2; p++) {
        for (int t = 0; t < 16; t++) {
            wram[0x0C98] = t;
            start_lamp_blink(p);
            EXPECT_EQ((commsram[0x7D2F] >> 1) & 1, SYNTH_LAMP_PATTERNS[p][t % 8] != 0) << "pattern " << p << " tick " << t;
            EXPECT_EQ(commsram[0x7D2F] & 0xF9, 0x01);
            EXPECT_EQ(commsram[0x7D2E], 0x80);
        }
    }
    lamp_bit2_set(0);
    EXPECT_EQ(commsram[0x7D2F] & 0x04, 0);
    wram[0x0C98] = 1;
    start_lamp_idle();
    EXPECT_EQ(commsram[0x7D2F] & 0x02, 0);
    EXPECT_EQ(cell_at(15, 1), TEXT_BLANK_CELL);  // no label without the debug switch

    // Debug DIP switch 5: the ROM label and the pattern as one hex digit at (15, 1).
    wram[0x2C0C] = 0x10;
    start_lamp_blink(11);
    std::string label = SYNTH_LAMP_LABEL;
    for (size_t i = 0; i < label.size(); i++) EXPECT_EQ(cell_at(15 + int(i), 1), uint8_t(label[i]));
    EXPECT_EQ(cell_at(15 + int(label.size()), 1), 'B');
    EXPECT_EQ(cell_at(16 + int(label.size()), 1), TEXT_BLANK_CELL);
}

}  // namespace
