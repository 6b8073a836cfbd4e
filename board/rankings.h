// Ranking tables: linked lists of 8-byte entries in work RAM (the long value, whose low
// 24 bits are the score and whose top byte is a stage mark, in the slot of the entry;
// three initials and the next index in the byte cells +4 .. +7). A walk visits exactly
// the table's count of entries from its head; an index beyond the table is taken as 0,
// so no walk or insert ever leaves its table.
//
//   course tables 0-2   W 0x15BF0 + 160 t, 20 entries, head W 0x15E70 + t (work RAM only)
//   multi-stage table 3 W 0x15DD0, 10 entries, head W 0x15E73 (copy of the score table)
//   score table         W 0x4030, 10 entries, head W 0x40A8 (kept in the scores file)
//   best records        W 0x4088 + 8 c (courses), W 0x40A0 (overall); copies at 0x15E74
#pragma once
#include <cstdint>

constexpr uint32_t W_RANK_TABLES = 0x15BF0;
constexpr uint32_t RANK_TABLE_STRIDE = 160;
constexpr uint32_t W_RANK_HEADS = 0x15E70;
constexpr uint32_t W_RANK_BEST_COPIES = 0x15E74;
constexpr uint32_t W_OVERALL_BEST = 0x40A0;
constexpr uint32_t W_RANK_COUNT_OUT = 0x3EA0;  // the table's count when a score ranks nowhere
constexpr uint32_t WA_GAME_MODE = 0xE00E10;    // word: non-zero in the multi-stage game
constexpr uint32_t WA_OVERALL_BEST_ON = 0xE00E12;
constexpr int RANK_COURSE_TABLES = 3;
constexpr int RANK_MULTI_TABLE = 3;
constexpr int RANK_COURSE_ENTRIES = 20;
constexpr int RANK_MULTI_ENTRIES = 10;
constexpr uint8_t RANK_DEFAULT_INITIAL = 49;
constexpr uint32_t DEFAULT_INITIALS_ROM = 0x39838;  // 3 bytes per score-table entry

// The score table's defaults (1700, 1600, ... 800 with stage mark 0x7F and the ROM's
// initials), the four best records at 2000, the four head bytes 0; then reports the
// score table to scores_write_hook.
void ranking_table_reset();
// Course tables 1700, 1650, ... 750; table 3 and the best-record copies from the score
// table.
void ranking_tables_reset();
// The 1-based place a value would take in table t (3 in the multi-stage game whatever t
// says): 1 at once for a new overall best when that record is switched on; 0 when no
// entry is below it (a tie ranks after the stored entry), the count then in W 0x3EA0.
// A t outside 0..3 ranks nowhere.
int ranking_position_find(int t, int32_t value);
// Inserts the 8-byte record at `record` (a 68020 address or a work-RAM cell: value long,
// initials at +4..+6) into table t, reusing the table's last entry; updates the best
// records; in the multi-stage game copies table 3 back into the score table. The caller
// reports the score table to scores_write_hook.
void ranking_insert(int t, int64_t record);
// The same with the value and initials given.
void ranking_insert_entry(int t, int32_t value, const uint8_t initials[3]);
// 0x8000 when the long at W 0x169AC is below the long at W 0x0E60, else 0.
int course_best_compare();

// The work-RAM cell of entry k (0 = the head) of table t as a walk from the head meets
// it (k beyond the count stays on the last), or -1 for a t outside 0..3.
int32_t ranking_entry_cell(int t, int k);
