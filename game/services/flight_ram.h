// Work-RAM words of the player's machine in flight: its position, attitude, speed,
// drive and crank (player_state, read by the rig, the cameras, the collision and many
// screens), the flight internals (flight_state, shared with the look-ahead contact, the
// rig and the chase camera) and the flight inputs. Every word is a signed long in its
// own slot; angles are 16-bit (0x10000 a full turn) held in longs.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // position and attitude, smoothed inputs, course number

// ---- player_state ------------------------------------------------------------------
// W_PLAYER_X .. W_PLAYER_ROLL: board/game_state_ram.h.
constexpr uint32_t W_PLAYER_PREV_X = 0x0D18;  // position before this frame's move
constexpr uint32_t W_PLAYER_PREV_Y = 0x0D1C;
constexpr uint32_t W_PLAYER_PREV_Z = 0x0D20;
constexpr uint32_t W_PLAYER_SPEED = 0x0D48;  // never negative
constexpr uint32_t W_PLAYER_SPEED_COPY = 0x0D4C;  // the speed as the look-ahead contact found it
constexpr uint32_t W_CRANK_RATE = 0x0D80;    // per-frame speed gain from the pedal
constexpr uint32_t W_DRAG = 0x0D84;          // speed^2 >> 22 of the frame
constexpr uint32_t W_SLOPE_TERM = 0x0D8C;    // speed change from the pitch of the frame
constexpr uint32_t W_CRANK_ANGLE = 0x0D94;   // 0..639
constexpr uint32_t W_CRANK_FRAME = 0x0D98;   // crank angle / 10, the rig's leg frame
constexpr uint32_t W_DRIVE = 0x0E00;         // propeller speed, 0..0x6F00
constexpr uint32_t W_PREV_DRIVE = 0x0E04;
constexpr uint32_t W_PROP_ANGLE = 0x0E08;    // falls by the drive every frame, wraps freely
constexpr uint32_t W_STOP_FLAG = 0x0E30;     // nonzero: the machine stands until pedalled
constexpr uint32_t W_COLLISION_OFF = 0x0E38; // nonzero during the fly-in and set-up

// ---- flight_input (the input layer or a demo record writes them) --------------------
// The pedal counts of the frame are W_PEDAL_DELTA (board/inputs.h).
constexpr uint32_t W_PITCH_INPUT = 0x0D50;  // about -32640..32640
constexpr uint32_t W_TURN_INPUT = 0x0D54;

// ---- flight_state ------------------------------------------------------------------
// W_PITCH_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH (0x0D58, 0x0D5C): board/game_state_ram.h.
constexpr uint32_t W_TURN_INPUT_SMOOTH_2 = 0x0D60;  // the same filter, set apart by others
constexpr uint32_t W_TARGET_PITCH = 0x0D9C;         // where the machine is steered
constexpr uint32_t W_TARGET_HEADING = 0x0DA0;
constexpr uint32_t W_TARGET_ROLL = 0x0DA4;
constexpr uint32_t W_EASED_PITCH = 0x0DA8;  // the targets followed at the ease code's rate
constexpr uint32_t W_EASED_HEADING = 0x0DAC;
constexpr uint32_t W_EASED_ROLL = 0x0DB0;
// The flight state, W_SLOW_FLAG .. W_DIVE_PULL_PEAK: player_flight_init clears it, the run
// recorder saves it, a demo flight loads it in two runs around W_LOOKAHEAD_GROUND_HOLD.
constexpr uint32_t W_SLOW_FLAG = 0x12C0;  // 1 in a frame at speed 2986 or less
constexpr uint32_t W_PREV_SLOW_FLAG = 0x12C4;
constexpr uint32_t W_DIVE_PULL = 0x12C8;  // the chase camera reads its upper half
// The look-ahead contact owns these: it counts them down and raises them on impacts.
constexpr uint32_t W_EASE_CODE = 0x12CC;            // easing hold: bits 4..8 and 6..10 are shifts
constexpr uint32_t W_THRUST_OFF_TIMER = 0x12D0;     // crank rate 0 while above 0
constexpr uint32_t W_LOOKAHEAD_IMPACT = 0x12D4;     // cleared every contact frame
constexpr uint32_t W_LOOKAHEAD_GROUND_HOLD = 0x12D8;
constexpr uint32_t W_LOOKAHEAD_FAST_AVOID = 0x12DC; // 1 for a frame after a fast avoidance
constexpr uint32_t W_BANK_DAMPING_TIMER = 0x12E0;   // bank shift = (value >> 5) & 63
constexpr uint32_t W_AVOID_STATE = 0x12E4;          // 3 turn, 4 sharp turn, 5 stall
constexpr uint32_t W_BANK = 0x12E8;                 // extra roll from the heading lag
constexpr uint32_t W_WING_PUSH = 0x12EC;            // -4096..4096
constexpr uint32_t W_PITCH_PUSH = 0x12F0;           // -0x3000..0x2000
constexpr uint32_t W_DIVE_PULL_PEAK = 0x12F4;

// ---- Read by the flight, kept by the game flow -------------------------------------
// W_COURSE_NUMBER: board/game_state_ram.h.
constexpr uint32_t W_GAME_MODE = 0x0E10;      // the 16-bit word (upper half of the slot)
