#include "board/ranking_page.h"

#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t W_PAGE_TIMER = 0x1736C;
constexpr uint32_t W_FADE_AMOUNT = 0xEB16;

class RankingPageTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        scores_path_set(nullptr);
        ranking_table_reset();
        ranking_tables_reset();
        textram_clear();
        tdb_list_clear();
    }
    static uint16_t cell(int column, int row) {
        uint32_t at = uint32_t(row * 64 + column) * 2;
        return uint16_t(textram[at] << 8 | textram[at + 1]);
    }
    // The page's tile blocks draw nothing, so that only its own cells show.
    static void blocks_empty() {
        for (uint32_t block : {93u, 120u, 121u, 122u, 151u, 152u, 153u, 163u})
            for (uint32_t i = 4; i < 12; i++) program_rom[BLOCK_TABLE + 16 * block + i] = 0;
    }
};

TEST_F(RankingPageTest, ScoresOfTheFirstThreeEntriesOfEachCourseTable) {
    blocks_empty();
    const uint8_t abc[3] = {1, 2, 3};
    ranking_insert_entry(1, 98765, abc);   // head of table 1, five digits
    ranking_insert_entry(2, 0x05000000 | 1234567, abc);  // beyond five digits: the low five
    w_cell_set(W_RANK_TABLES + 8 * 1, 0);  // table 0's second entry scores 0
    w_cell_set(W_PAGE_TIMER, RANKING_PAGE_FRAMES - 6);
    ranking_page_draw();

    struct shown {
        int last_column, row;
        const char* digits;  // right-aligned, blanks where nothing is written
    };
    const shown scores[] = {
        {8, 12, " 1700"}, {8, 16, "     "}, {8, 20, " 1600"},
        {20, 12, "98765"}, {20, 16, " 1700"}, {20, 20, " 1650"},
        {32, 12, "34567"}, {32, 16, " 1700"}, {32, 20, " 1650"},
    };
    const uint16_t blank = TEXT_BLANK_CELL;
    for (const shown& s : scores) {
        for (int i = 0; i < 5; i++) {
            char d = s.digits[4 - i];
            uint16_t want = d == ' ' ? blank : uint16_t(0x1220 + (d - '0'));
            EXPECT_EQ(cell(s.last_column - i, s.row), want) << "column " << s.last_column - i << " row " << s.row;
        }
        for (int i = 0; i < 4; i++) EXPECT_EQ(cell(s.last_column + 1 + i, s.row), 0x122A + i);
        EXPECT_EQ(cell(s.last_column + 5, s.row), blank);
    }
}

TEST_F(RankingPageTest, BlocksOfThePageAreDrawnFromTheSixthFrame) {
    w_cell_set(W_PAGE_TIMER, RANKING_PAGE_FRAMES - 5);
    ranking_page_draw();
    EXPECT_EQ(tdb_list_count(), 0);
    EXPECT_EQ(cell(8, 12), TEXT_BLANK_CELL);
    ranking_page_draw();
    ASSERT_EQ(tdb_list_count(), 4 + 27 + 9);
    int column, row, width, height, base, palette;
    tdb_list_get(0, &column, &row, &width, &height, &base, &palette);
    EXPECT_EQ(std::vector<int>({column, row, base, palette}), std::vector<int>({7, 4, 592, 1}));
    tdb_list_get(4 + 9 + 5, &column, &row, &width, &height, &base, &palette);  // table 1, row 1, column 2
    EXPECT_EQ(std::vector<int>({column, row, base}), std::vector<int>({21, 14, 416 + 36 + 12 + 8}));
    tdb_list_get(4 + 27 + 5, &column, &row, &width, &height, &base, &palette);  // place block 121, table 2
    EXPECT_EQ(std::vector<int>({column, row, base}), std::vector<int>({26, 14, 580}));
}

TEST_F(RankingPageTest, FadeFollowsTheTimerAndThePageEnds) {
    ranking_page_enter();
    EXPECT_EQ(w_cell(W_PAGE_TIMER), RANKING_PAGE_FRAMES - 1) << "enter draws the first frame";
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 254);
    EXPECT_EQ(w_cell(0x0E0C), 2);
    EXPECT_EQ(w_cell(0x0CC4), 7);
    EXPECT_EQ(w_cell(W_CAMERA_HEADING), 0x5800 + 8);
    EXPECT_EQ(w_cell(0x0D08), -0x8000 + 80);
    std::vector<int32_t> fades;
    int frames = 1, ended = 0;
    while (!ended && frames < 1000) {
        ended = ranking_page_draw();
        fades.push_back(w_cell(W_FADE_AMOUNT));
        frames++;
    }
    EXPECT_EQ(frames, RANKING_PAGE_FRAMES + 1) << "timer 480 down to -1";
    EXPECT_EQ(fades[126], 0) << "fade in over the first 128 frames";
    EXPECT_EQ(fades[200], 0);
    EXPECT_EQ(fades[RANKING_PAGE_FRAMES - 128], 0);
    EXPECT_EQ(fades.back(), 254) << "fade out over the last 128";
}

TEST_F(RankingPageTest, InTopState5TheTimerStartsAt474AndStands) {
    w_cell_set(W_GAME_STATE, 5);
    ranking_page_enter();
    for (int i = 0; i < 10; i++) EXPECT_EQ(ranking_page_draw(), 0);
    EXPECT_EQ(w_cell(W_PAGE_TIMER), 474);
    EXPECT_EQ(w_cell(W_FADE_AMOUNT), 0);
}

TEST_F(RankingPageTest, Port0Bit3InsertsTheTestScore) {
    w_cell_set(0x3EB4, 1675);
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 8);
    w_cell_set(W_PAGE_TIMER, 100);
    ranking_page_draw();
    EXPECT_EQ(w_cell(uint32_t(ranking_entry_cell(0, 1))), 1675);
    EXPECT_EQ(w_cell_byte(uint32_t(ranking_entry_cell(0, 1)) + 4), 1);
}

// The game's services: the state set-up, the camera reset and the tile loads once at
// entry; the next scene once, on the 481st frame counting the entry's.
TEST_F(RankingPageTest, GameServicesAtEntryAndTheHandOver) {
    static int calls[4];
    static int next_at;
    static int frame;
    memset(calls, 0, sizeof calls);
    frame = 1;
    next_at = 0;
    ranking_page_services saved = ranking_page_game;
    ranking_page_game = {[] { calls[0]++; }, [] { calls[1]++; }, [] { calls[2]++; },
                         [] { calls[3]++; next_at = frame; }};
    ranking_page_enter();
    EXPECT_EQ(std::vector<int>(calls, calls + 4), std::vector<int>({1, 1, 1, 0}));
    while (calls[3] == 0 && frame < 1000) {
        frame++;
        ranking_page_draw();
    }
    ranking_page_game = saved;
    EXPECT_EQ(next_at, RANKING_PAGE_FRAMES + 1);
    EXPECT_EQ(std::vector<int>(calls, calls + 4), std::vector<int>({1, 1, 1, 1}));
}

}  // namespace
