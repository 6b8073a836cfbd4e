// The dispatch on the top game state (game_state, W 0x0CBC), once per frame step.
#pragma once
#include <cstdint>

constexpr int32_t GAME_STATES = 16;

// Runs the handler of the given top state; a state outside 0..15 runs nothing.
void game_state_dispatch(int32_t state);
