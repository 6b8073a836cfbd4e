// The race: the gameplay tick (sub-state 3) with the flight input and the start lamp,
// and the pre-race countdown (sub-state 5).
#pragma once
#include <cstdint>

constexpr int32_t COUNTDOWN_FRAMES = 330;  // the countdown timer's start

// Sub-state 3: unless the halt flag W 0x0E1C is set, one frame of the world in the
// board's order; then the empty end hook.
void gameplay_tick();

// flight_input (W 0x0D50 pitch, W 0x0D54 turn) from the handle words and their
// centres through the dead zone: -80..80 give 0; the turn is negated.
void flight_input_update();
// A handle difference as flight input: 0 inside the dead zone, else the dead-zoned
// difference x 170, saturated at +-32640 beyond +-192.
int32_t flight_input_from_difference(int32_t difference);

// The start lamp's pattern: 0 while stopped, ended or with a negative speed; 6 on a
// slope term above 16; else W 0x0D88 / 6 + speed / 1536, at most 5.
int32_t start_lamp_pattern();

// The countdown timer is a runtime value of its own (no work-RAM word): set by
// sub-states 2 and 4, counted by the countdown.
void countdown_start();
int32_t countdown_timer();
// Sub-state 5: one countdown frame; below 0 the race starts (sub-state 3 in state 3,
// else sub-state 0).
void pre_race_countdown();
