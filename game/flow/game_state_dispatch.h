// The dispatch on the top game state (game_state, W 0x0CBC), once per frame step, and
// the small top-state handlers that live with it.
#pragma once
#include <cstdint>

constexpr int32_t GAME_STATES = 16;

// Runs the handler of the given top state; a state outside 0..15 runs nothing.
void game_state_dispatch(int32_t state);

// Top state 4: sounds stopped, text layer cleared, the stage start prepared; state 5
// with stage_start_sub_state 0.
void stage_start_prepare();
// Top state 8: text layer cleared, the timer W 0x16964 = 600; state 9.
void state8_timer();
// Top state 9: attract from its one-time entry (attract_seq_index 15); state 0.
void state9_to_attract();
