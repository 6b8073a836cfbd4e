// The screens between a game start and the course select: the intro (gameplay
// sub-state 21, entered through the dispatch's inline 20), the mode select (12 and 13)
// and the day card of the multi-stage game (23, entered through the inline 22), which
// also opens each later day after an intermission.
//   intro -> mode select (step 7, or a press or start)
//   mode select -> day card (game mode 1) or course select (game mode 0)
//   day card -> course select after 87 frames or a press, and the fade
#pragma once

void intro_sequence_run();
// Its parts: the tiles at the text's start, the step's text, the step's sprites.
void intro_tiles_load();
void intro_text_draw();
void intro_step_sprites();

void mode_select_enter();
void mode_select_run();

void pre_course_screen_run();
