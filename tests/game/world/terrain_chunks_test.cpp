// Chunk visibility: the heading's sector, the grid and mask tests, the words and the
// slot table; course 3's prop packet; the pedal hints.
#include "game/world/terrain_chunks.h"

#include "board/inputs.h"
#include "board/rankings.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"
#include "tests/game/world/chunk_fixture.h"

#include <algorithm>

namespace {

// Camera cell 17 (column 1, row 2): the synthetic masks show columns 0..3 of rows 0..5.
constexpr int CAMERA_CELL = 17;
constexpr int32_t CAMERA_DX = 0x8000, CAMERA_Y = 12345, CAMERA_DZ = 0x9000;

std::vector<int32_t> cells_in_rows(bool rows_up, bool columns_up) {
    std::vector<int32_t> out;
    for (int r = 0; r <= 5; r++)
        for (int c = 0; c <= 3; c++) out.push_back((rows_up ? r : 5 - r) * 8 + (columns_up ? c : 3 - c));
    return out;
}

struct sector_case {
    int32_t heading;
    std::vector<int32_t> cells;
};

TEST_F(ChunkTest, HeadingPicksTheSectorList) {
    // Sector 1 lists sector 0's records backwards; sectors 16..31 walk the rows down.
    const sector_case cases[] = {
        {0x3FF, cells_in_rows(true, true)},   {0x400, cells_in_rows(false, false)},
        {0xFC00, cells_in_rows(true, true)},  {0xFBFF, cells_in_rows(false, true)},
        {-0x401, cells_in_rows(false, true)}, {0x10400, cells_in_rows(false, false)},
        {0x7FFFFFFF, cells_in_rows(true, true)},
    };
    for (const sector_case& c : cases) {
        SCOPED_TRACE(c.heading);
        camera_in(CAMERA_CELL, CAMERA_DX, CAMERA_Y, CAMERA_DZ, c.heading);
        EXPECT_EQ(visible_cells(), c.cells);
    }
}

TEST_F(ChunkTest, VisibleChunksWriteModelPositionAndFillSlotAndEntry) {
    for (int n : {0, 2}) {
        SCOPED_TRACE(n);
        course(n);
        int32_t x = cell_x(CAMERA_CELL) + CAMERA_DX, z = cell_z(CAMERA_CELL) + CAMERA_DZ;
        terrain_chunk_visibility(x, CAMERA_Y, z, 0);
        std::vector<int32_t> cells = cells_in_rows(true, true);
        words_t expect = {0x8000, 0};
        for (size_t i = 0; i < cells.size(); i++) {
            int32_t cell = cells[i];
            expect = expect + words_t{cell + CHUNK_MODEL_BASE[n], cell_x(cell) - x, 40960 - CAMERA_Y, cell_z(cell) - z};
            uint32_t entry = W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i);
            EXPECT_EQ(w_cell(entry + 4), cell_x(cell) - x);
            EXPECT_EQ(w_cell(entry + 8), cell_z(cell) - z);
            EXPECT_EQ(slot(cell), int32_t(i));
        }
        EXPECT_EQ(written(), expect);
        EXPECT_EQ(w_cell(W_VISIBLE_COUNT), 24);
        EXPECT_EQ(w_cell(W_TRAIN_BASE_Y), -CAMERA_Y);
        EXPECT_EQ(slot(4), -1);   // column 4: outside the mask
        EXPECT_EQ(slot(48), -1);  // row 6
        EXPECT_FALSE(chunk_visible(4));
        EXPECT_TRUE(chunk_visible(cells[3]));
        EXPECT_EQ(wram_long(W_DL_LAST_HEADER), 0x8000);
        cursor_at(PACKETS0);
    }
    for (int32_t off : {-1, 128, 1000}) EXPECT_FALSE(chunk_visible(off)) << off;
}

TEST_F(ChunkTest, ColumnOffTheGridIsSkippedWhateverTheMask) {
    masks_all_open(0);
    camera_in(23, 0x100, 0, 0x100);  // column 7, row 2: records reach columns 4..10
    std::vector<int32_t> cells = visible_cells();
    EXPECT_EQ(cells.size(), 4u * 7u);  // columns 4..7 of rows 0..6
    for (int32_t cell : cells) EXPECT_GE(cell % 8, 4) << cell;
    // The cells a column-8 record would name (the next row's column 0) stay empty.
    for (int32_t row = 0; row < 16; row++) EXPECT_EQ(slot(row * 8), -1) << row;
}

struct nothing_case {
    const char* name;
    int32_t x, z;
    bool masks_closed;
};

TEST_F(ChunkTest, NothingVisibleWritesJustTheHeader) {
    const nothing_case cases[] = {
        {"camera at x = -1", -1, 0x20000, false},
        {"camera far past row 15", 0x20000, 0x7FFFFFFF, false},
        {"masks closed", 0x20000, 0x20000, true},
    };
    for (const nothing_case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.masks_closed)
            for (uint32_t b = 0; b < 2048; b++) program_rom[CHUNK_MASK_ADDRESS[0] + b] = 0;
        for (int cell = 0; cell < 128; cell++) w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), cell);
        cursor_at(PACKETS0);
        terrain_chunk_visibility(c.x, 500, c.z, 0);
        EXPECT_EQ(written(), (words_t{0x8000, 0}));
        EXPECT_EQ(w_cell(W_VISIBLE_COUNT), 0);
        for (int cell = 0; cell < 128; cell++) ASSERT_EQ(slot(cell), -1) << cell;
    }
}

TEST_F(ChunkTest, CameraJustPastTheLastRowSeesThroughRowFifteensMask) {
    camera_in(3, 0x100, 0, 16 * CELL_SIZE + 0x100);  // column 3, row 16 (cell 131)
    std::vector<int32_t> expect;
    for (int r = 12; r <= 15; r++)
        for (int c = 1; c <= 5; c++) expect.push_back(r * 8 + c);
    EXPECT_EQ(visible_cells(), expect);
}

TEST_F(ChunkTest, HostileListsAreSkippedRecordByRecord) {
    uint32_t list = uint32_t(program_rom[ROM_CHUNK_LISTS] << 24 | program_rom[ROM_CHUNK_LISTS + 1] << 16 |
                             program_rom[ROM_CHUNK_LISTS + 2] << 8 | program_rom[ROM_CHUNK_LISTS + 3]);
    rom_put32(list + 20 * 16, 200);  // record 16 (row 0, column 0 from cell 17) names cell 217
    camera_in(CAMERA_CELL, CAMERA_DX, 0, CAMERA_DZ);
    std::vector<int32_t> expect = cells_in_rows(true, true);
    expect.erase(expect.begin());
    EXPECT_EQ(visible_cells(), expect);

    rom_put32(ROM_CHUNK_LISTS, PROGRAM_ROM_END - 8);  // sector 0's list past the ROM
    camera_in(CAMERA_CELL, CAMERA_DX, 0, CAMERA_DZ);
    EXPECT_TRUE(visible_cells().empty());
}

// ---- Course 3's props -------------------------------------------------------------------

class PropsTest : public ChunkTest {
protected:
    void SetUp() override {
        ChunkTest::SetUp();
        course(3);
        camera_at(1000, 2000, 3000);
        for (int cell = 0; cell < 128; cell++) w_cell_set(W_CHUNK_SLOTS + uint32_t(cell), -1);
        const uint8_t initials[3] = {'K', 'V', '1'};
        w_cell_set(W_OVERALL_BEST, 0x7F000000 | 2500);
        for (uint32_t i = 0; i < 3; i++) w_cell_set(W_OVERALL_BEST + 4 + i, initials[i]);
    }
    static words_t props_words(int32_t figure, int32_t drop) {
        words_t w = {0x8002, 0, 0x8010, 3, -6656, -1};
        const int32_t models[3] = {1200 + 'K', 1200 + 'V', 1200 + '1'};
        for (int32_t i = 0; i < 8; i++)
            w = w + words_t{i < 3 ? models[i] : figure, synth_course3_prop(i, 0) - 1000,
                            synth_course3_prop(i, 1) - drop - 2000, synth_course3_prop(i, 2) - 3000} +
                rom_pair(0x2CCC) + rom_pair(0x1200) + rom_pair(0) + words_t{0};
        return w + words_t{0x8010, -1};
    }
};

TEST_F(PropsTest, NothingWhileCellNinetyIsNotVisible) {
    course3_props_emit();
    EXPECT_TRUE(written().empty());
}

struct props_case {
    int32_t state, mark;
    int32_t figure, drop;
};

TEST_F(PropsTest, NinetySixWordsByStageMarkAndTopState) {
    const props_case cases[] = {
        {3, 0x7F, 1170, 0}, {3, 0x7E, 1157, 0}, {1, 0x7F, 1170, 61479}, {5, 0, 1157, 61479}, {0, 0x7F, 1170, 0},
    };
    w_cell_set(W_CHUNK_SLOTS + 90, 0);
    for (const props_case& c : cases) {
        SCOPED_TRACE(c.state);
        w_cell_set(W_GAME_STATE, c.state);
        w_cell_set(W_OVERALL_BEST, c.mark << 24 | 2500);
        cursor_at(PACKETS0);
        course3_props_emit();
        words_t w = written();
        EXPECT_EQ(w.size(), 96u);
        EXPECT_EQ(w, props_words(c.figure, c.drop));
    }
}

// ---- Pedal hints ---------------------------------------------------------------------------

// One frame's inputs of the hints.
struct frame_in {
    int32_t race_frame, pedal, rate, slow, contact, y;
};

class HintTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        terrain_flags_reset();
    }
    static void run(const frame_in& f) {
        w_cell_set(W_RACE_FRAMES, f.race_frame);
        w_cell_set(W_PEDAL_DELTA, f.pedal);
        w_cell_set(W_PREV_PEDAL_DELTA, f.rate);
        w_cell_set(W_SLOW_FLAG, f.slow);
        w_cell_set(probe_field(PROBE_LOOKAHEAD, PROBE_HIT), f.contact);
        w_cell_set(W_PLAYER_Y, f.y);
        terrain_lod();
    }
    static std::vector<int32_t> flags() {
        return {w_cell(W_HINT_PEDAL), w_cell(W_HINT_HIGH_CONTACT), w_cell(W_HINT_HARD_PEDAL)};
    }
};

struct hint_case {
    const char* name;
    std::vector<frame_in> frames;  // the last one's flags are checked
    std::vector<int32_t> expect;
};

TEST_F(HintTest, FlagsFromPedalTimerAndContact) {
    const hint_case cases[] = {
        {"pedal 0 at frame 120", {{120, 0, 0, 0, 0, 0}}, {1, 0, 0}},
        {"pedal 0 at frame 119", {{119, 0, 0, 0, 0, 0}}, {0, 0, 0}},
        {"pedal 1 at frame 120", {{120, 1, 0, 0, 0, 0}}, {0, 0, 0}},
        {"idle kept while resting", {{120, 0, 0, 0, 0, 0}, {400, 0, 0, 0, 0, 0}}, {1, 0, 0}},
        {"idle cleared by a pedal", {{120, 0, 0, 0, 0, 0}, {121, 1, 0, 0, 0, 0}, {122, 0, 0, 0, 0, 0}}, {0, 0, 0}},
        {"slow on a light pedal", {{500, 2, 2, 3, 0, 0}}, {1, 0, 0}},
        {"slow, rate 3", {{500, 2, 3, 1, 0, 0}}, {0, 0, 0}},
        {"slow, pedal 3", {{500, 3, 0, 1, 0, 0}}, {0, 0, 0}},
        {"light pedal, not slow", {{500, 0, 0, 2, 0, 0}}, {0, 0, 0}},
        {"contact up high", {{500, 1, 0, 0, 1, 0x20001}}, {0, 1, 0}},
        {"contact at 0x20000", {{500, 1, 0, 0, 1, 0x20000}}, {0, 0, 0}},
        {"contact pedalling hard", {{500, 7, 7, 0, 1, 0}}, {0, 0, 1}},
        {"contact, rate 6", {{500, 9, 6, 0, 1, 0}}, {0, 0, 0}},
        {"hard pedal without contact", {{500, 9, 9, 0, 0, 0x30000}}, {0, 0, 0}},
    };
    for (const hint_case& c : cases) {
        SCOPED_TRACE(c.name);
        terrain_flags_reset();
        for (const frame_in& f : c.frames) run(f);
        EXPECT_EQ(flags(), c.expect);
    }
}

TEST_F(HintTest, ContactHintsHoldFiftyNineFrames) {
    run({500, 8, 8, 0, 1, 0x30000});
    EXPECT_EQ(flags(), (std::vector<int32_t>{0, 1, 1}));
    for (int frame = 2; frame <= 59; frame++) {
        run({500, 0, 0, 0, 0, 0});
        ASSERT_EQ(flags(), (std::vector<int32_t>{0, 1, 1})) << frame;
    }
    run({500, 0, 0, 0, 0, 0});
    EXPECT_EQ(flags(), (std::vector<int32_t>{0, 0, 0}));
    // A contact low down with a light pedal counts the holds down too.
    run({500, 8, 8, 0, 1, 0x30000});
    run({500, 0, 0, 0, 1, 0});
    EXPECT_EQ(w_cell(W_HIGH_CONTACT_HOLD), 58);
    EXPECT_EQ(w_cell(W_HARD_PEDAL_HOLD), 58);

    terrain_flags_reset();
    EXPECT_EQ(flags(), (std::vector<int32_t>{0, 0, 0}));
    for (uint32_t counter : {W_PEDAL_IDLE, W_HINT_SPARE, W_HIGH_CONTACT_HOLD, W_HARD_PEDAL_HOLD})
        EXPECT_EQ(w_cell(counter), 0);
}

}  // namespace
