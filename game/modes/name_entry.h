// The name entry: gameplay sub-states 16 (set-up) and 17 (run). After a game the player
// picks three initials on a 4 x 13 grid of letter models (cell 50 goes back one letter,
// 51 ends the entry) with the handle and a press; a timer of 1800 frames bounds the
// screen. Its end inserts the score and initials into the ranking tables, saves the
// scores file and leads to game over (sub-state 10).
#pragma once
#include <cstdint>

constexpr int NAME_GRID_COLUMNS = 13;
constexpr int NAME_GRID_ROWS = 4;
constexpr int NAME_CELL_BACK = 50;
constexpr int NAME_CELL_END = 51;
constexpr int NAME_NOT_CHOSEN = 49;  // an initial not yet picked
constexpr uint32_t ROM_LETTER_MODELS = 0x37990;  // a model long per grid cell, 52

// The test drive's handle: turn and pitch readings as the host's set_analog_inputs takes
// them. The default writes the board's handle words only; the host points it at its own
// routine so that its copies follow.
extern void (*name_entry_analog_hook)(int turn, int pitch);

// Sub-state 16, one frame: the entry set up and its first frame run, or, when the score
// does not place (game mode 0, place 4 or lower), the score inserted without initials
// and the game over entered.
void name_entry_enter();
// Sub-state 17: the test drive, input, the grid drawn, the timer; at its end the insert,
// the save and sub-state 10.
void name_entry_run();
