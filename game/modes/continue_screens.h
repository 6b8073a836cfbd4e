// The screens that end a game or let it go on (gameplay sub-states under top state 3):
// the continue screen (28/29) after a missed quota, the total screen (30/31), the
// game-over screen (11, set up by the dispatch's sub-state 10) that hands the machine
// back to attract or the attract demo, and the demo-flight screen (25, set up by
// sub-state 24): a demo flight under a blinking caption ending in name entry or game
// over.
#pragma once
#include <cstdint>

// Sub-state 11: fade in, hold, fade out; then top state 10 (armed) after the goal
// (ending_flag 1), else attract (top state 0).
void game_over_screen();
// Sub-state 28, then its first frame.
void continue_screen_enter();
// Sub-state 29: course select (0) on a paid continue; name entry (16) or the total (30)
// when its time runs out.
void continue_screen_run();
// A paid continue: the credits taken (unless free play), both continue counters + 1,
// course select next.
void continue_credits_update();
// Debug: one line per frame with SKYVOLTA_CONTDBG set (not beginning with '0').
void continue_debug_print();
// Sub-state 30, then its first frame.
void total_screen_enter();
// Sub-state 31: the total for 240 frames, then the fade out and game over (10).
void total_screen_run();
// Sub-state 25: one frame of the demo flight; then name entry (16) or game over (10).
void demo_flight_screen_run();
