// Work-RAM cells of the game that the host reads or sets from outside the game step:
// the player's position for the [POS] report and the autopilot, the race and menu
// words of the automation switches. Offsets from 0xE00000 (W[x]).
// The player's words (position, speed, eased heading, course, game mode) are the
// flight's names.
#pragma once
#include <cstdint>

#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/select_ram.h"   // the course and mode select's cursor, courses, hold
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"  // the words a level jump rewrites
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"

// What the flight recorder reads of the terrain walk besides the stage's layer count and
// mask (game/services/terrain_ram.h): the three gate byte cells.
constexpr uint32_t W_GATE_BYTES[3] = {0x1266, 0x1267, 0x12A1};

// The recorder logs at most this many of probe 0's column entries (the fields are
// game/services/probe_ram.h's).
constexpr int PROBE_FACES_MAX = 16;

// Game states the host tests.
constexpr int32_t STATE_GAMEPLAY_INIT = 2;
constexpr int32_t STATE_GAMEPLAY = 3;
constexpr int32_t STATE_STAGE_START = 4;
constexpr int32_t SUB_COURSE_SELECT = 0;
constexpr int32_t SUB_COURSE_SELECT_RUN = 1;
constexpr int32_t SUB_RACING = 3;
constexpr int32_t SUB_PRE_COURSE = 22;
constexpr int32_t SUB_ENDING_SETUP = 14;
constexpr int32_t SUB_CONTINUE = 29;

// A long (a word) in both work-RAM images: the slot the game reads and the bytes the
// next frame step's import reads, so that a value set between steps holds.
inline void both_images_long(uint32_t offset, int32_t value) {
    w_cell_set(offset, value);
    bus_write32(WRAM_BASE + offset, uint32_t(value));
}
inline void both_images_word(uint32_t offset, uint32_t value) {
    w_word_set(offset, value);
    bus_write16(WRAM_BASE + offset, value);
}

