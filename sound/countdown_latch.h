// A latch with a tick counter and a deadline: set for a number of ticks, it reports
// itself through a mask on every tick and clears on a tick past the deadline, but only
// when that tick was armed by latch_enable. Nothing in the game uses it. One thread.
#pragma once
#include <cstdint>

extern uint64_t latch_counter;   // ticks so far
extern uint64_t latch_deadline;  // an armed tick past it clears the latch
extern uint8_t latch_armed;      // arms the next tick only
extern uint8_t latch_state;      // 1 set, 0 clear

// Sets the latch for the low 8 bits of n ticks from now.
void latch_arm(uint32_t n);
void latch_enable();
// Counts a tick: 0 when it clears the latch, else latch_state & mask; disarms.
int32_t latch_tick(int32_t mask);
// Sets the latch, disarmed, with the deadline one tick ahead.
void latch_force();
