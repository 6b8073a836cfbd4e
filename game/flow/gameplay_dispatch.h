// Top state 3 and its neighbours: gameplay initialisation, the dispatch on the gameplay
// sub-state (game_sub_state, W 0x0CC0, 0..31) with the sub-states it runs inline, the
// course start and the course select.
#pragma once
#include <cstdint>

constexpr int32_t GAMEPLAY_SUB_STATES = 32;

// Top state 2: state 3 with sub-state 20, the bookkeeping cleared, a waiting level jump
// applied; then the dispatch in the same frame.
void gameplay_init();
// Top state 3: story_end_test_hook, the handler of the sub-state's low 16 bits (none
// above 31), then play_frame_counter + 1 whatever ran.
void gameplay_dispatch();
// Sub-state 2: play_frame_counter -331, the player placed, the course-start state,
// then the tail of sub-state 4.
void gameplay_sub_init();
// Sub-state 4: the fly-in on course 3, else the countdown set up and run (sub-state 5).
void gameplay_sub_init_tail();
// Sub-state 10: the game over set up (lamp, text, camera, the results words, sound 74),
// then its screen (sub-state 11) in the same frame.
void game_over_enter();
// Sub-state 18: the fly-in set up on course 0; sub-state 19 runs in the same frame.
void flyin_setup();
// Top state 14 and sub-state 0: course select set-up, then its frame.
void course_select_init();
// Top state 15 and sub-state 1: one course select frame.
void course_select_frame();
