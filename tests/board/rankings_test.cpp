#include "board/rankings.h"

#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"
#include "tests/support/synth_rom_tables.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct entry {
    int32_t value;
    uint8_t initials[3];
};

constexpr uint32_t TABLE3 = 0x15DD0;

class RankingsTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        scores_path_set(nullptr);
        ranking_table_reset();
        ranking_tables_reset();
    }
    static void multi_stage(bool on) { w_write16(WA_GAME_MODE, on ? 1 : 0); }
    static void overall_best(bool on) { w_write16(WA_OVERALL_BEST_ON, on ? 1 : 0); }

    // The table as a walk from its head meets it; also checks the walk is a permutation.
    static std::vector<entry> walk(int t, int count) {
        std::vector<entry> out;
        std::vector<int32_t> cells;
        for (int k = 0; k < count; k++) {
            int32_t cell = ranking_entry_cell(t, k);
            cells.push_back(cell);
            entry e{w_cell(uint32_t(cell)), {}};
            for (int i = 0; i < 3; i++) e.initials[i] = w_cell_byte(uint32_t(cell) + 4 + i);
            out.push_back(e);
        }
        std::sort(cells.begin(), cells.end());
        EXPECT_EQ(std::unique(cells.begin(), cells.end()), cells.end()) << "the walk visits each entry once";
        return out;
    }
    static std::vector<int32_t> scores(const std::vector<entry>& es) {
        std::vector<int32_t> out;
        for (const entry& e : es) out.push_back(e.value & 0xFFFFFF);
        return out;
    }
    // Random inserts against a model that keeps the best `count` scores, a newcomer after
    // the entries it ties with.
    void insert_against_model(int t, int count, bool multi) {
        std::vector<int32_t> model;
        for (int k = 0; k < count; k++) model.push_back(multi ? 1700 - 100 * k : 1700 - 50 * k);
        std::mt19937 rng(uint32_t(t * 7 + count));
        for (int n = 0; n < 200; n++) {
            int32_t score = int32_t(rng() % 2000);
            if (n % 5 == 0) score = model[rng() % model.size()];  // ties
            uint8_t initials[3] = {uint8_t(n), uint8_t(n >> 8), 7};
            ranking_insert_entry(t, score | 0x03000000, initials);
            model.insert(std::upper_bound(model.begin(), model.end(), score, std::greater<int32_t>()), score);
            model.resize(count);
            ASSERT_EQ(scores(walk(multi ? 3 : t, count)), model) << "after insert " << n << " of " << score;
        }
    }
};

TEST_F(RankingsTest, DefaultsOfTheScoreTableAndTheCourseTables) {
    for (int i = 0; i < 10; i++) {
        uint32_t cell = W_SCORE_TABLE + 8 * i;
        EXPECT_EQ(w_cell(cell), 0x7F000000 | (1700 - 100 * i));
        for (uint32_t k = 0; k < 3; k++) EXPECT_EQ(w_cell_byte(cell + 4 + k), synth_default_initial(i, k));
        EXPECT_EQ(w_cell_byte(cell + 7), i < 9 ? i + 1 : 0xFF);
    }
    for (int c = 0; c < 4; c++) {
        EXPECT_EQ(w_cell(W_BEST_RECORDS + 8 * c), 0x7F0007D0);
        EXPECT_EQ(w_cell(W_RANK_BEST_COPIES + 8 * c), 0x7F0007D0);
        EXPECT_EQ(w_cell_byte(W_RANK_BEST_COPIES + 8 * c + 5), 49);
    }
    for (int t = 0; t < 3; t++) {
        std::vector<entry> es = walk(t, 20);
        for (int k = 0; k < 20; k++) EXPECT_EQ(es[k].value, 1700 - 50 * k);
        EXPECT_EQ(w_cell_byte(W_RANK_TABLES + 160 * t + 8 * 19 + 7), 0xFF);
    }
    std::vector<entry> t3 = walk(3, 10);
    for (int k = 0; k < 10; k++) {
        EXPECT_EQ(t3[k].value, 0x7F000000 | (1700 - 100 * k));
        EXPECT_EQ(t3[k].initials[2], synth_default_initial(k, 2));
    }
}

TEST_F(RankingsTest, PlaceSearch) {
    struct find_case {
        int t;
        int32_t value;
        bool multi, overall;
        int place;
    };
    const find_case cases[] = {
        {0, 1701, false, false, 1},
        {0, 1700, false, false, 2},              // a tie ranks after the stored entry
        {1, 0x7F000000 | 1651, false, false, 2}, // the stage mark is not compared
        {2, 751, false, false, 20},
        {2, 750, false, false, 0},
        {0, 1601, true, false, 2},               // multi-stage: the 10-entry table whatever t
        {2, 800, true, false, 0},
        {0, 2001, false, true, 1},               // a new overall best
        {0, 1690, false, true, 2},               // not above it: the table decides
        {7, 5000, false, false, 0},
    };
    for (const find_case& c : cases) {
        multi_stage(c.multi);
        overall_best(c.overall);
        w_cell_set(W_RANK_COUNT_OUT, -1);
        EXPECT_EQ(ranking_position_find(c.t, c.value), c.place) << c.t << " " << c.value;
        if (c.place == 0 && c.t <= 3) {
            EXPECT_EQ(w_cell(W_RANK_COUNT_OUT), c.multi ? 10 : 20);
        }
    }
}

TEST_F(RankingsTest, CourseTablesKeepOrderAndTheBest20) {
    for (int t = 0; t < 3; t++) {
        std::vector<int32_t> others = scores(walk((t + 1) % 3, 20));
        insert_against_model(t, 20, false);
        if (t < 2) {
            EXPECT_EQ(scores(walk((t + 1) % 3, 20)), others) << "other tables untouched";
        }
    }
}

TEST_F(RankingsTest, MultiStageTableKeepsTheBest10AndGoesBackToTheScoreTable) {
    multi_stage(true);
    insert_against_model(1, 10, true);
    for (int e = 0; e < 10; e++) {
        EXPECT_EQ(w_cell(W_SCORE_TABLE + 8 * e), w_cell(TABLE3 + 8 * e));
        for (uint32_t b = 4; b < 8; b++) EXPECT_EQ(w_cell(W_SCORE_TABLE + 8 * e + b), w_cell(TABLE3 + 8 * e + b));
    }
    EXPECT_EQ(w_cell(W_SCORE_HEAD), w_cell(W_RANK_HEADS + 3));
}

TEST_F(RankingsTest, InsertDetails) {
    const uint8_t abc[3] = {1, 2, 3};
    std::vector<entry> before = walk(0, 20);
    ranking_insert_entry(0, 750, abc);
    std::vector<entry> after = walk(0, 20);
    EXPECT_EQ(scores(after), scores(before)) << "below the last entry: unchanged";

    ranking_insert_entry(0, 1200, abc);
    after = walk(0, 20);
    EXPECT_EQ(after[10].initials[2], 49) << "the stored 1200 stays ahead of the new one";
    EXPECT_EQ(after[11].value, 1200);
    EXPECT_EQ(after[11].initials[2], 3);
    EXPECT_EQ(after[19].value, 800) << "the lowest entry dropped";

    // A new head beats the course best copy (2000) only above it.
    ranking_insert_entry(1, 1900, abc);
    EXPECT_EQ(walk(1, 20)[0].value, 1900);
    EXPECT_EQ(w_cell(W_BEST_RECORDS + 8), 0x7F0007D0);
    ranking_insert_entry(1, 0x02000000 | 2100, abc);
    EXPECT_EQ(w_cell(W_BEST_RECORDS + 8), 0x02000000 | 2100);
    EXPECT_EQ(w_cell_byte(W_BEST_RECORDS + 8 + 4), 1);
    EXPECT_EQ(w_cell(W_BEST_RECORDS), 0x7F0007D0) << "other courses' bests unchanged";

    // The overall best follows a higher score when switched on.
    ranking_insert_entry(2, 2050, abc);
    EXPECT_EQ(w_cell(W_OVERALL_BEST), 0x7F0007D0);
    overall_best(true);
    ranking_insert_entry(2, 2060, abc);
    EXPECT_EQ(w_cell(W_OVERALL_BEST), 2060);
    EXPECT_EQ(w_cell_byte(W_OVERALL_BEST + 6), 3);
}

TEST_F(RankingsTest, InsertReadsTheRecordFromWorkRam) {
    w_cell_set(0x17274, 1650);
    w_cell_set(0x17278, 11);
    w_cell_set(0x17279, 12);
    w_cell_set(0x1727A, 13);
    ranking_insert(0, WRAM_BASE + 0x17274);
    entry e = walk(0, 20)[2];
    EXPECT_EQ(e.value, 1650);
    EXPECT_EQ(e.initials[0], 11);
    EXPECT_EQ(e.initials[2], 13);
}

TEST_F(RankingsTest, HostileIndicesStayInsideTheTable) {
    // Every head and next byte beyond its table, a loop, and a self-link.
    for (uint32_t t = 0; t < 4; t++) w_cell_set(W_RANK_HEADS + t, 0xC8);
    for (uint32_t e = 0; e < 20; e++) w_cell_set(W_RANK_TABLES + 8 * e + 7, 0xFF);
    w_cell_set(W_RANK_TABLES + 160 + 7, 1);
    w_cell_set(TABLE3 + 8 * 2 + 7, 0xF0);
    std::vector<int64_t> image(wram, wram + WRAM_SIZE);
    const uint8_t abc[3] = {1, 2, 3};
    for (int t = 0; t < 4; t++) {
        multi_stage(t == 3);
        for (int32_t v : {100, 1500, 1800, 5000}) {
            ranking_position_find(t, v);
            ranking_insert_entry(t, v, abc);
        }
    }
    multi_stage(false);
    // Only the tables' own cells (and the game-mode word, the score table copy-back and
    // the best records) may have changed.
    for (uint32_t x = 0; x < WRAM_SIZE; x++) {
        bool table = x >= W_RANK_TABLES && x < W_RANK_HEADS + 4;
        bool score = x >= W_SCORE_TABLE && x <= W_SCORE_HEAD;
        if (!table && !score && x != 0x0E10 && x != W_RANK_COUNT_OUT) {
            ASSERT_EQ(wram[x], image[x]) << std::hex << x;
        }
    }
    for (int t = 0; t < 4; t++)
        for (int k = 0; k < 25; k++) {
            int32_t cell = ranking_entry_cell(t, k);
            ASSERT_GE(cell, int32_t(W_RANK_TABLES + 160 * t));
            ASSERT_LT(cell, int32_t(W_RANK_TABLES + 160 * t + (t == 3 ? 80 : 160)));
        }
}

TEST_F(RankingsTest, CourseBestCompare) {
    w_cell_set(0x169AC, 10);
    w_cell_set(0x0E60, 11);
    EXPECT_EQ(course_best_compare(), 0x8000);
    w_cell_set(0x169AC, 11);
    EXPECT_EQ(course_best_compare(), 0);
    w_cell_set(0x169AC, -1);
    EXPECT_EQ(course_best_compare(), 0x8000);
}

}  // namespace
