// The ending in the screen harness: a started board in gameplay (top state 3) with the
// ending flag, about to run sub-state 14, and the phase word read back.
#pragma once
#include "tests/support/screen_harness.h"

#include <cstdint>

// screen_start, then game state 3, sub-state 14, ending_flag = flag, advanced mode.
void ending_board(int32_t flag);
// ending_board, then the first frame (ending_init) run through the frame step.
void ending_start(int32_t flag);
// Phase p at counter c, the next frame's.
void ending_jump(int32_t p, int32_t c);
// ending_start(flag), then phase p at counter c.
void ending_enter(int32_t flag, int32_t p, int32_t c);
// One frame of the ending straight through its dispatch, the list restarted at the
// current buffer's packet area.
void ending_dispatch();
// One frame with the slots the test wrote exported first.
void ending_frame(const screen_input& in = {});
int32_t ending_phase();
int32_t ending_counter();
