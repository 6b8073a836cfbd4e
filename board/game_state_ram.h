// The game's run-wide state words in work RAM, read by every layer that reports or
// records what the game is doing.
#pragma once
#include <cstdint>

constexpr uint32_t W_FRAME_TICK = 0x0C98;      // frame_tick: +1 every frame step
constexpr uint32_t W_GAME_STATE = 0x0CBC;      // game_state: the top state, 0..15
constexpr uint32_t W_GAME_SUB_STATE = 0x0CC0;  // the gameplay sub-state, 0..31
constexpr uint32_t W_ATTRACT_PHASE = 0x0CC4;   // attract_phase

// The race's words (longs), set at course start and counted by the race timer.
constexpr uint32_t W_END_FLAG = 0x0E18;          // ending_flag: 0 racing, 1 goal, 2 time up
constexpr uint32_t W_RACE_TIMER = 0x0E44;        // time left, in frames
constexpr uint32_t W_RACE_TIMER_SHOWN = 0x0E48;  // displayed time, following the time left
constexpr uint32_t W_RUN_SCORE = 0x0E4C;         // points of the balloons hit
constexpr uint32_t W_STAGE_QUOTA = 0x0E60;       // the score to reach in the multi-stage game
