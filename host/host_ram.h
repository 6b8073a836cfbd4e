// Work-RAM cells of the game that the host reads or sets from outside the game step:
// the player's position for the [POS] report and the autopilot, the race and menu
// words of the automation switches. Offsets from 0xE00000 (W[x]).
#pragma once
#include <cstdint>

// player_state: x, y, z longs; heading in the low 16 bits.
constexpr uint32_t W_PLAYER_X = 0x0D00;
constexpr uint32_t W_PLAYER_Y = 0x0D04;
constexpr uint32_t W_PLAYER_Z = 0x0D08;
constexpr uint32_t W_PLAYER_SPEED = 0x0D48;
constexpr uint32_t W_PLAYER_CRANK = 0x0D80;  // a speed cell the pedal log prints
constexpr uint32_t W_PLAYER_HEADING = 0x0DAC;
constexpr uint32_t W_COURSE_NUMBER = 0x0E0C;

// Course and mode select: the cursor is the game's own slot, the maximum the high
// word of its long.
constexpr uint32_t W_SELECT_MAX = 0x0C80;
constexpr uint32_t W_SELECT_CURSOR = 0x0C82;

constexpr uint32_t W_GAME_MODE = 0x0E10;       // the 16-bit word (high half of the long)
constexpr uint32_t W_END_FLAG = 0x0E18;        // ending flag long
constexpr uint32_t W_RACE_TIMER = 0x0E48;      // race_timers: the timer long
constexpr uint32_t W_RACE_PASS_TIMER = 0x0E4C; // race_timers: the pass threshold long
constexpr uint32_t W_COURSE_QUOTA = 0x0E60;
constexpr uint32_t W_COURSE_LEFT = 0x0E6A;     // 16-bit word

// Balloon records of the course layout: 32-byte records from record W[0x15FE4] (word)
// of the table whose address is the long W[0x16008]; the local state words of the 64
// balloons (0 standing) from W 0x478C.
constexpr uint32_t W_BALLOON_FIRST = 0x15FE4;
constexpr uint32_t W_BALLOON_TABLE = 0x16008;
constexpr uint32_t W_BALLOON_STATES = 0x478C;
constexpr uint32_t BALLOON_RECORD_SIZE = 32;
constexpr int BALLOONS_PER_LAYOUT = 64;

// Game states the host tests.
constexpr int32_t STATE_GAMEPLAY = 3;
constexpr int32_t SUB_RACING = 3;
constexpr int32_t SUB_ENDING_SETUP = 14;
constexpr int32_t SUB_CONTINUE = 29;
