// Work-RAM words of the top state machine and the gameplay dispatch: the race's own
// longs that gameplay initialisation and the course start set, the demo's cursor and
// counters, the screens' words the inline sub-states clear. W[x] is slot x; each is a
// long in its own slot unless named a word.
#pragma once
#include <cstdint>

// ---- Gameplay initialisation ------------------------------------------------------
constexpr uint32_t W_RUN_START_FRAME = 0x16944;     // frame_counter at the game's start
constexpr uint32_t W_COURSE_START_FRAME = 0x16948;  // frame_counter at the course's start
// Course-start values of words the world reads (0, 60, 100 and 153).
constexpr uint32_t W_COURSE_WORD_E24 = 0x0E24;
constexpr uint32_t W_COURSE_WORD_E28 = 0x0E28;
constexpr uint32_t W_COURSE_WORD_D90 = 0x0D90;
constexpr uint32_t W_COURSE_WORD_1F8C = 0x1F8C;
constexpr uint32_t W_TRAIL_INDEX = 0x17034;       // map trail points stored
constexpr uint32_t W_LAMP_FLIGHT_WORD = 0x0D88;  // the flight word the start lamp reads

// ---- Course select ----------------------------------------------------------------
constexpr uint32_t W_SELECT_MARK = 0x15F60;       // 0xFFFF while W_COURSE_LEFT is 0

// ---- Sub-states 10, 20, 22, 24 and the states 8 and 9 -------------------------------
constexpr uint32_t W_RESULTS_POINTS = 0x16978;
constexpr uint32_t W_RESULTS_SHOWN = 0x16974;
constexpr uint32_t W_GAME_OVER_WORD = 0x0E58;
constexpr uint32_t W_RESULTS_STEP = 0x169AC;
constexpr uint32_t W_RESULTS_WORD_B0 = 0x169B0;
constexpr uint32_t W_RESULTS_TIMER = 0x1697C;     // 63 on game over
constexpr uint32_t W_INTRO_STEP = 0x17378;
constexpr uint32_t W_INTRO_TIMER = 0x17380;
constexpr uint32_t W_PRE_COURSE_STEP = 0x1738C;
constexpr uint32_t W_DEMO_SCREEN_STEP = 0x1703C;
constexpr uint32_t W_DEMO_SCREEN_TIMER = 0x17038;
constexpr uint32_t W_STATE8_TIMER = 0x16964;      // 600 on entering state 8

// ---- Attract demo -----------------------------------------------------------------
constexpr uint32_t W_DEMO_CURSOR = 0x16D7C;       // the next 16-byte demo record
constexpr uint32_t W_DEMO_CYCLE = 0x16D84;        // demo cycle counter, saved-run frames
constexpr uint32_t W_DEMO_INPUT = 0xEB60;         // the recorder's input buffer

// ---- Mode, course and coin words (a level jump rewrites them too) --------------------
constexpr uint32_t W_ARMED_FLAG = 0x2C12;    // 1 while the game accepts a start
constexpr uint32_t W_COURSES_LEFT = 0x0E2C;  // word: one bit per course still to fly
constexpr uint32_t W_ENDING_TOTAL = 0x0E54;  // ending_total
constexpr uint32_t W_COURSE_PAIR = 0x0E64;   // stage and day: two words, the course twice
constexpr uint32_t W_COURSE_LEFT = 0x0E6A;   // word: the low word of the long W 0x0E68
constexpr uint32_t W_COIN_COUNTER = 0x2C0E;      // low 16 bits of its slot: coins not yet spent
constexpr uint32_t W_COINS_PER_CREDIT = 0x3FF0;  // coin_options
constexpr uint32_t FREE_PLAY_WORD = 0xE03FF4;    // board address of the free-play word
