// Screens of the game that another part of this build will provide: the gameplay
// sub-states' screens after the race. Until then each reports once that it is not in
// this build (stand_in_report) and does nothing.
#pragma once

// Sub-state 6: the results set-up; sets 7.
void results_prepare();
// Sub-state 7 in the multi-stage game: the results tally.
void results_tally_multi();
// Sub-state 7 in the single-course game: the results tally.
void results_tally_single();
// Sub-state 11: the game-over screen; top state 10 or 0.
void game_over_screen();
// Sub-state 25: the demo flight after a game.
void demo_flight_screen_run();
// Sub-state 28: the continue screen's set-up; sets 29.
void continue_screen_enter();
// Sub-state 29: the continue screen; sets 16 or 30.
void continue_screen_run();
// Sub-state 30: the total screen's set-up; sets 31.
void total_screen_enter();
// Sub-state 31: the total screen.
void total_screen_run();
