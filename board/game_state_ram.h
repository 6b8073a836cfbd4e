// The game's run-wide state words in work RAM, read by every layer that reports or
// records what the game is doing.
#pragma once
#include <cstdint>

constexpr uint32_t W_FRAME_TICK = 0x0C98;      // frame_tick: +1 every frame step
constexpr uint32_t W_GAME_STATE = 0x0CBC;      // game_state: the top state, 0..15
constexpr uint32_t W_GAME_SUB_STATE = 0x0CC0;  // the gameplay sub-state, 0..31
constexpr uint32_t W_ATTRACT_PHASE = 0x0CC4;   // attract_phase
