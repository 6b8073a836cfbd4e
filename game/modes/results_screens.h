// The results after a race (gameplay sub-states 6 and 7): a 3D results board counts the
// run's points up, adds the time bonus, draws the course map with the flown path and
// decides where the game goes. The multi-stage game (game_mode 1) checks the stage's
// quota: intermission (26), continue (28), name entry (16) or the total (30); the
// single-course game grades the points 0..5 against the course's thresholds on a gauge:
// name entry (16) or game over (10).
#pragma once
#include <cstdint>

// Sub-state 6: the screen set up by game mode, then the tally's first frame.
void results_prepare();
// Sub-state 7, one frame of the tally in each game mode.
void results_tally_multi();
void results_tally_single();

void results_prepare_multi();
void results_prepare_single();
// The words of the tally, the panels and the race timers; sub-state 7.
void results_screen_init();
// The single-course grade gauge, one frame: 1 on the frame it has settled on the grade
// of the points, else 0.
int32_t results_rank_digits();
// The multi-stage game is over: attract index 11; name entry (16) when ending_total
// places in the multi-stage table, else the total screen (30).
void results_multi_game_end();
// The grade 0..5 of `points` on `course`: the first threshold the points stay below.
int32_t results_grade(int32_t course, int32_t points);
// The five score-digit cells showing `value` (units first, leading zeros blank), so
// that the rolling digits show it whole.
void results_digits_set(int32_t value);

// Debug: SKYVOLTA_RESDUMP=DIR:F1,F2,... writes the DSP RAM on those tally frames.
void results_dump();
