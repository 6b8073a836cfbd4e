// Work-RAM cells of the game that the host reads or sets from outside the game step:
// the player's position for the [POS] report and the autopilot, the race and menu
// words of the automation switches. Offsets from 0xE00000 (W[x]).
// The player's words (position, speed, eased heading, course, game mode) are the
// flight's names.
#pragma once
#include <cstdint>

#include "game/world/flight_ram.h"

// Course and mode select: the cursor is the game's own slot, the maximum the high
// word of its long.
constexpr uint32_t W_SELECT_MAX = 0x0C80;
constexpr uint32_t W_SELECT_CURSOR = 0x0C82;

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
