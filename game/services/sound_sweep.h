// Debug aids that drive the sound driver from the host, once per frame before the game
// step: SKYVOLTA_SNDSWEEP=k plays every sound id in turn on every k-th call, first plain
// and then with each of four parameters; SKYVOLTA_SNDRAND=n (taking precedence) writes
// random command and parameter words into slots 0-31 every 6th call. Both start with the
// 1000th call.
#pragma once
#include <cstdint>

struct sound_sweep_state {
    uint32_t calls;
    int32_t counter;    // a: 1 .. 445, the sweep's position
    int32_t previous;   // the id last played, -1 none
    uint64_t random;    // xorshift state, 0 until seeded
};

// The sweep's parameters for the passes after the first (a / 89 = 1..4).
constexpr int32_t SOUND_SWEEP_PARAMS[4] = {0x10, 0x40, 0x80, 0xC0};
constexpr uint32_t SOUND_SWEEP_FIRST_CALL = 1000;
constexpr int32_t SOUND_SWEEP_LAST = 445;

// One call with the switches' values given (0: off).
void sound_sweep_step(sound_sweep_state* s, int32_t every, int32_t random_seed);
// The host's call: the switches read once, one state for the run.
void sound_sweep();
