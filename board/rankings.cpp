#include "board/rankings.h"

#include "board/game_state_ram.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"

namespace {

constexpr uint32_t ENTRY_SIZE = 8;
constexpr uint32_t NEXT = 7;
constexpr int32_t STAGE_MARK_DEFAULT = 0x7F000000;
constexpr int32_t BEST_DEFAULT = STAGE_MARK_DEFAULT | 2000;

struct rank_table {
    uint32_t base;
    uint32_t head;  // cell of the head byte
    int count;
};

rank_table table_of(int t) {
    if (t == RANK_MULTI_TABLE)
        return {W_RANK_TABLES + RANK_TABLE_STRIDE * RANK_MULTI_TABLE, W_RANK_HEADS + RANK_MULTI_TABLE, RANK_MULTI_ENTRIES};
    return {W_RANK_TABLES + RANK_TABLE_STRIDE * uint32_t(t), W_RANK_HEADS + uint32_t(t), RANK_COURSE_ENTRIES};
}

// The table the game means: 3 in the multi-stage game, else t; -1 for no table.
int table_pick(int t) {
    if (w_read16(WA_GAME_MODE) != 0) return RANK_MULTI_TABLE;
    return t >= 0 && t <= RANK_MULTI_TABLE ? t : -1;
}

uint32_t entry_cell(const rank_table& tb, int e) {
    return tb.base + ENTRY_SIZE * uint32_t(e);
}

// An index byte as a place in the table; beyond the table it is 0.
int index_bounded(const rank_table& tb, uint8_t index) {
    return index < tb.count ? index : 0;
}

int head_of(const rank_table& tb) {
    return index_bounded(tb, w_cell_byte(tb.head));
}

int next_of(const rank_table& tb, int e) {
    return index_bounded(tb, w_cell_byte(entry_cell(tb, e) + NEXT));
}

int32_t score24(uint32_t cell) {
    return w_cell(cell) & 0xFFFFFF;
}

void entry_put(uint32_t cell, int32_t value, const uint8_t initials[3]) {
    w_cell_set(cell, value);
    for (uint32_t i = 0; i < 3; i++) w_cell_set(cell + 4 + i, initials[i]);
}

void entry_copy(uint32_t to, uint32_t from) {
    w_cell_set(to, w_cell(from));
    for (uint32_t b = 4; b < ENTRY_SIZE; b++) w_cell_set(to + b, w_cell_byte(from + b));
}

// Entries and head between the score table and table 3.
void score_table_copy(bool into_table3) {
    rank_table t3 = table_of(RANK_MULTI_TABLE);
    for (int e = 0; e < RANK_MULTI_ENTRIES; e++) {
        uint32_t score = W_SCORE_TABLE + ENTRY_SIZE * uint32_t(e);
        if (into_table3) entry_copy(entry_cell(t3, e), score);
        else entry_copy(score, entry_cell(t3, e));
    }
    if (into_table3) w_cell_set(t3.head, w_cell_byte(W_SCORE_HEAD));
    else w_cell_set(W_SCORE_HEAD, w_cell_byte(t3.head));
}

bool overall_best_on() {
    return w_read16(WA_OVERALL_BEST_ON) != 0;
}

// The record's value and initials: work-RAM cells, or bytes through the bus elsewhere.
void record_read(int64_t record, int32_t* value, uint8_t initials[3]) {
    int32_t index = w_index(record);
    bool in_wram = index >= 0 && uint32_t(index) + ENTRY_SIZE <= WRAM_SIZE;
    *value = in_wram ? w_cell(uint32_t(index)) : w_read32(record);
    uint32_t address = uint32_t(uint64_t(record));
    for (uint32_t i = 0; i < 3; i++)
        initials[i] = in_wram ? w_cell_byte(uint32_t(index) + 4 + i) : uint8_t(bus_read8(address + 4 + i));
}

}  // namespace

void ranking_table_reset() {
    for (int i = 0; i < SCORE_RECORDS; i++) {
        uint32_t cell = W_SCORE_TABLE + ENTRY_SIZE * uint32_t(i);
        uint8_t initials[3];
        for (uint32_t k = 0; k < 3; k++) initials[k] = uint8_t(bus_read8(DEFAULT_INITIALS_ROM + 3 * uint32_t(i) + k));
        entry_put(cell, STAGE_MARK_DEFAULT | (1700 - 100 * i), initials);
        w_cell_set(cell + NEXT, i < SCORE_RECORDS - 1 ? i + 1 : SCORE_LIST_END);
    }
    w_cell_set(W_SCORE_HEAD, 0);
    static const uint8_t default_initials[3] = {RANK_DEFAULT_INITIAL, RANK_DEFAULT_INITIAL, RANK_DEFAULT_INITIAL};
    for (int c = 0; c < BEST_RECORDS; c++) entry_put(W_BEST_RECORDS + ENTRY_SIZE * uint32_t(c), BEST_DEFAULT, default_initials);
    for (uint32_t t = 0; t <= RANK_MULTI_TABLE; t++) w_cell_set(W_RANK_HEADS + t, 0);
    scores_write_hook(WRAM_BASE + W_SCORE_TABLE, int32_t(SCORES_DATA_SIZE));
}

void ranking_tables_reset() {
    static const uint8_t initials[3] = {RANK_DEFAULT_INITIAL, RANK_DEFAULT_INITIAL, RANK_DEFAULT_INITIAL};
    for (int t = 0; t < RANK_COURSE_TABLES; t++) {
        rank_table tb = table_of(t);
        for (int e = 0; e < tb.count; e++) {
            entry_put(entry_cell(tb, e), 1700 - 50 * e, initials);
            w_cell_set(entry_cell(tb, e) + NEXT, e < tb.count - 1 ? e + 1 : SCORE_LIST_END);
        }
        w_cell_set(tb.head, 0);
    }
    score_table_copy(true);
    for (int c = 0; c < BEST_RECORDS; c++)
        entry_copy(W_RANK_BEST_COPIES + ENTRY_SIZE * uint32_t(c), W_BEST_RECORDS + ENTRY_SIZE * uint32_t(c));
}

int ranking_position_find(int t, int32_t value) {
    int32_t g = value & 0xFFFFFF;
    if (overall_best_on() && score24(W_OVERALL_BEST) < g) return 1;
    int picked = table_pick(t);
    if (picked < 0) return 0;
    rank_table tb = table_of(picked);
    int e = head_of(tb);
    for (int k = 0; k < tb.count; k++, e = next_of(tb, e))
        if (score24(entry_cell(tb, e)) < g) return k + 1;
    w_cell_set(W_RANK_COUNT_OUT, tb.count);
    return 0;
}

void ranking_insert_entry(int t, int32_t value, const uint8_t initials[3]) {
    int picked = table_pick(t);
    if (picked < 0) return;
    rank_table tb = table_of(picked);
    int32_t g = value & 0xFFFFFF;

    // The walk runs the full count: `before` is the entry ahead of the first one below
    // g (-1 when that one is the head), `last` the entry the walk ends on.
    int e = head_of(tb), before = -1, last = e, previous = -1;
    bool found = false;
    for (int k = 0; k < tb.count; k++) {
        if (!found && score24(entry_cell(tb, e)) < g) {
            found = true;
            before = previous;
        }
        previous = last = e;
        if (k + 1 < tb.count) e = next_of(tb, e);
    }
    if (!found) return;

    uint32_t reused = entry_cell(tb, last);
    entry_put(reused, value, initials);
    if (before < 0) {
        w_cell_set(reused + NEXT, head_of(tb));
        w_cell_set(tb.head, last);
        uint32_t best_copy = W_RANK_BEST_COPIES + ENTRY_SIZE * uint32_t(picked);
        if (picked < RANK_COURSE_TABLES && score24(best_copy) < g)
            entry_copy(W_BEST_RECORDS + ENTRY_SIZE * uint32_t(picked), reused);
    } else {
        uint32_t ahead = entry_cell(tb, before);
        w_cell_set(reused + NEXT, w_cell_byte(ahead + NEXT));
        w_cell_set(ahead + NEXT, last);
    }
    if (overall_best_on() && score24(W_OVERALL_BEST) < g) entry_put(W_OVERALL_BEST, value, initials);
    if (w_read16(WA_GAME_MODE) != 0) score_table_copy(false);
}

void ranking_insert(int t, int64_t record) {
    int32_t value;
    uint8_t initials[3];
    record_read(record, &value, initials);
    ranking_insert_entry(t, value, initials);
}

int course_best_compare() {
    return w_cell(W_TIME_SCORE) < w_cell(W_STAGE_QUOTA) ? 0x8000 : 0;
}

int32_t ranking_entry_cell(int t, int k) {
    if (t < 0 || t > RANK_MULTI_TABLE) return -1;
    rank_table tb = table_of(t);
    int e = head_of(tb);
    for (int i = 0; i < k && i < tb.count; i++) e = next_of(tb, e);
    return int32_t(entry_cell(tb, e));
}
