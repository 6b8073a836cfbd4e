// The score part of the settings block (work RAM 0xE04030-0xE040A8) kept in a small host
// file, loaded once per process and rewritten whenever the game changes the table.
//
// The file, 133 bytes, numbers big-endian:
//   0    8  "SVHSCR01"
//   8   80  ten 8-byte score records from W 0x4030, 0x4038, ... 0x4078
//   88   4  the long at W 0x4080
//   92   4  the long at W 0x4084
//   96  32  the four best records from W 0x4088, 0x4090, 0x4098, 0x40A0
//   128  1  head index of the ten-record list (W 0x40A8), 0..9
//   129  4  sum of the 121 bytes 8..128, each unsigned
// A record is its long (slot x) then the four byte cells x + 4 .. x + 7 (three initials
// and the next index).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint32_t W_SCORE_TABLE = 0x4030;   // ten records, linked through byte +7
constexpr uint32_t W_SCORE_LONGS = 0x4080;   // two longs
constexpr uint32_t W_BEST_RECORDS = 0x4088;  // three course bests, then the overall best
constexpr uint32_t W_SCORE_HEAD = 0x40A8;
constexpr int SCORE_RECORDS = 10;
constexpr int BEST_RECORDS = 4;
constexpr uint8_t SCORE_LIST_END = 0xFF;     // the next index of the default last record
constexpr size_t SCORES_FILE_SIZE = 133;
constexpr size_t SCORES_DATA_SIZE = 121;
constexpr size_t SCORES_PATH_MAX = 511;

// The file to use, and a new session with it: nothing loaded yet, nothing saved. An
// empty or null path switches loading and saving off; a path longer than
// SCORES_PATH_MAX is refused with one message and switches them off too.
void scores_path_set(const char* path);
// SKYVOLTA_SCOREFILE, else "skyvolta_scores.nv" in the working directory; none in a
// headless run without SKYVOLTA_SCOREFILE.
void scores_path_from_environment();
const char* scores_path();

// Game initialisation calls this before it writes the default table; scores_load lifts
// it. A reset's initialisation thus never saves its passing defaults over the file.
void scores_saves_hold();
// Called by every game initialisation. The first call of a session reads the file into
// work RAM (a missing file is silent, an invalid one leaves the defaults with one
// message, bytes after a valid table are reported once); later calls only lift the hold.
void scores_load();
// Writes the file when the table's bytes differ from the last saved (or loaded) ones:
// "%s.tmp" written and synced, then renamed over the file. A file that did not load
// cleanly is first copied to "%s.bak" (said once). Nothing before the first scores_load
// of the session, while held, or without a path. A failure names the file and the
// reason and leaves the file as it was.
void scores_save();
// After the game wrote count bytes at a 68020 address or work-RAM cell: saves when the
// range meets W 0x4030..0x40A8.
void scores_write_hook(int64_t address, int32_t count);

// The 121 data bytes as work RAM holds them.
void scores_data_gather(uint8_t data[SCORES_DATA_SIZE]);
// Checks a file image (size, magic, sum, head, next indices, and that the list from the
// head visits all ten records) and on success puts it into work RAM. False, work RAM
// untouched, otherwise.
bool scores_image_apply(const uint8_t* image, size_t size);
// The 133 file bytes of the data bytes.
void scores_image_build(const uint8_t data[SCORES_DATA_SIZE], uint8_t image[SCORES_FILE_SIZE]);

// Test hook: when set, called with the temporary path after it was written and synced
// and before the rename.
extern void (*scores_before_rename)(const char* temporary_path);
