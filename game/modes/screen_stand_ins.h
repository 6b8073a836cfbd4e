// Screens of the game that another part of this build will provide: the gameplay
// sub-states' screens and the course select's set-ups and frames. Until then each
// reports once that it is not in this build (stand_in_report) and does nothing.
#pragma once

// Sub-state 6: the results set-up; sets 7.
void results_prepare();
// Sub-state 7 in the multi-stage game: the results tally.
void results_tally_multi();
// Sub-state 7 in the single-course game: the results tally.
void results_tally_single();
// Sub-state 11: the game-over screen; top state 10 or 0.
void game_over_screen();
// Sub-state 12: the mode select set-up; sets 13.
void mode_select_enter();
// Sub-state 13: the mode select.
void mode_select_run();
// Sub-state 14: the ending's set-up; sets 15.
void ending_init();
// Sub-state 15: the ending's phases.
void ending_phase_dispatch();
// Sub-state 21: the intro before the course select.
void intro_sequence_run();
// Sub-state 23: the screen before a course of the multi-stage game.
void pre_course_screen_run();
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
// Before every sub-state dispatch: the story's end test.
void story_end_test_hook();
// The course select set-up of the single-course game.
void course_select_setup();
// The course select set-up of a multi-stage game's first stage.
void course_select_setup2();
// The course select set-up between stages of the multi-stage game.
void course_select_fade();
// The course select frame: the cursor over the courses.
void course_select_stage_cursor();
// The course select frame of a multi-stage game's first stage.
void course_select_title();
// The course select frame between stages: the course map.
void course_map_draw();
