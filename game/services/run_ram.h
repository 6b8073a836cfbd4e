// Work-RAM words of a run's bookkeeping: the stage and course timers, the recording of
// the run for the attract demo with its map trail, the goal sequence's words, and the
// bookkeeping totals kept in the settings block (and so over a reset).
//
// Words named as the high or low word of a long are read with w_read16 at WRAM_BASE + x
// (high) and x + 2 (low); the other names are slots (w_cell).
#pragma once
#include <cstdint>

// ---- Course timers (longs) ---------------------------------------------------------
constexpr uint32_t W_GAME_START_FRAME = 0x16940;  // frame_counter at gameplay initialisation
constexpr uint32_t W_STAGE_FRAMES = 0x16944;      // start frame, then the stage's elapsed frames
constexpr uint32_t W_COURSE_FRAMES = 0x16948;     // course start frame, then its elapsed frames
constexpr uint32_t W_LAST_STAGE_FRAME = 0x1694C;
constexpr uint32_t W_TIMING_ENABLED = 0x16950;    // high word; the low word (+2):
constexpr uint32_t W_STAGE_TIMING = 0x16952;      //   stage timing running
constexpr uint32_t W_COURSE_RUNNING = 0x16954;    // high word; the low word (+2):
constexpr uint32_t W_IDLE_STAGES = 0x16956;       //   stages counted while not running
constexpr uint32_t W_STAGE_COUNT = 0x16958;       // high word; the low word (+2):
constexpr uint32_t W_COURSE_RESULT = 0x1695A;     //   the course result
constexpr uint32_t W_STAGE_INDEX = 0x1695C;       // high word: 0..3
constexpr uint32_t W_STAGE_COURSES = 0x1695E;     // four signed byte cells: the course of stages 0..3
constexpr uint32_t W_COURSE_GRADE = 0x169C6;      // low word of W 0x169C4

// ---- Bookkeeping in the settings block ---------------------------------------------
constexpr uint32_t W_BOOK_PLAY_FRAMES = 0x4014;   // frames played since the games began
constexpr uint32_t W_BOOK_STAGE_FRAMES = 0x4018;
constexpr uint32_t W_BOOK_IDLE_FRAMES = 0x401C;
constexpr uint32_t W_BOOK_GAMES = 0x4020;         // high word games, low word idle stages
constexpr uint32_t W_BOOK_STAGES = 0x4024;        // high word: stages
constexpr uint32_t W_BOOK_COURSE_FRAMES = 0x4150;  // four longs, courses 0..3
constexpr uint32_t BOOK_STAGE_TABLE = 0xE040B0;   // words: 10 per stage count, 2 per stage reached
constexpr uint32_t BOOK_STORY_COURSES = 0xE040E2; // words: 20 per course
constexpr uint32_t BOOK_STORY_STAGES = 0xE040E4;  // + 20 course + 10 a + 2 stage
constexpr uint32_t BOOK_STORY_CLEARED = 0xE040EA; // + 20 course + 10 a
constexpr uint32_t BOOK_COURSE_RESULTS = 0xE0411E;  // words: 16 per course, 2 per result
constexpr uint32_t BOOK_WORDS_FIRST = 0xE040B0;   // the 16-bit bookkeeping words cleared
constexpr uint32_t BOOK_WORDS_END = 0xE0414E;     //   together, up to here

// ---- The recording of the run ------------------------------------------------------
constexpr uint32_t W_DEMO_INPUT = 0xEB60;         // 16-byte records: pitch, turn, pedal, frame
constexpr uint32_t DEMO_INPUT_ADDRESS = 0xE0EB60;
constexpr int32_t RECORD_FRAMES_MAX = 1800;   // a run records at most this many frames
constexpr uint32_t W_DEMO_HEADER = 0x15BE8;       // course, the word at 0xE00E64, W 0x15F60
constexpr uint32_t W_DEMO_HEADER_STAGE = 0x15BEA;
constexpr uint32_t W_DEMO_HEADER_EXTRA = 0x15BEC;
constexpr uint32_t W_DEMO_CURSOR = 0x16D7C;       // the recording's first record (an address)
constexpr uint32_t W_DEMO_FRAMES = 0x16D84;       // frames recorded; the demo cycle counter
constexpr uint32_t W_TRAIL = 0x16D8C;             // map trail points, x >> 8 high, z >> 8 low
constexpr int32_t TRAIL_POINTS_MAX = 170;
constexpr uint32_t W_TRAIL_COUNT = 0x17034;
constexpr uint32_t W_TRAIL_COUNT_SHOWN = 0x3EAC;
constexpr uint32_t W_DEMO_KEYS = 0x17070;         // eight 16-byte keys: x, y, z, 1
constexpr int32_t DEMO_KEYS = 8;

// The attract demo: the ROM demo table's length, the frames a demo may run and the
// saved-run frames that make the saved run the demo.
constexpr int32_t DEMO_TABLE_ENTRIES = 17;
constexpr int32_t DEMO_FRAMES_MAX = 1200;
constexpr int32_t DEMO_SAVED_RUN_MIN = 600;  // saved-run frames that make it the demo
constexpr uint32_t W_SAVED_PLAYER = 0x17124;      // player_state longs W 0x0D00-0x0DFC
constexpr uint32_t W_SAVED_DRIVE = 0x17224;       // W 0x0E00, 0x0E04, 0x0E08
constexpr uint32_t W_SAVED_FLIGHT = 0x17230;      // flight_state longs W 0x12C0-0x12F4
constexpr uint32_t W_RECORDING = 0x17268;         // the recording flag

// ---- The race clock ----------------------------------------------------------------
constexpr uint32_t W_TIMER_HOLD = 0x15ED4;   // non-zero: the time left stands still
constexpr uint32_t W_CLOCK_BLINK = 0x15ED5;  // byte: the race clock's blink phase 0..15

// ---- The goal sequence -------------------------------------------------------------
constexpr uint32_t W_GOAL_DEBUG_REPEAT = 0x3EFC;  // the debug aid every 512 frames
