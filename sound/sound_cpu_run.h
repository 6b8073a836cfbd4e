// Running the sound CPU over the translated sound program: to a target cycle, for a
// number of cycles, fast-forwarding the driver's idle loop, and calling a driver
// subroutine from a readable routine.
#pragma once
#include "sound/m37702.h"

// Service, then one dispatch, until cycles reaches target; a stopped CPU jumps to it.
void mcu_run_to(m377_state* s, uint64_t target);
// mcu_run_to(cycles + n); always 0.
int mcu_run_cycles(m377_state* s, int32_t n);
// Skips whole passes of the idle loop at 0xC12B/0xC12D (LDA D+0x83 / BEQ, M = 1, X = 0)
// up to between two and three passes before limit (lowered to the next peripheral
// event); returns how far cycles moved, the probe steps included.
uint64_t mcu_idle_skip(m377_state* s, uint64_t limit);
// The skip's arithmetic: from cycle g after a pass of p cycles, whole passes towards
// limit leaving two to three before it; g itself when that is not more than three.
uint64_t mcu_idle_skip_to(uint64_t g, uint64_t p, uint64_t limit);

// Calls the driver subroutine at a bank-0 address through a pushed zero return address
// and runs the emulated driver until it returns: 0 a clean return (pc and pg are then 0),
// 1 the driver is halted (already, during the call, or by the two reports), 2 the
// subroutine left the call another way.
int snd_call_driver(m377_state* s, uint32_t address);
// The most dispatches one call may run before it counts as runaway (50,000,000 + 1
// steps run at most); tests lower it.
extern uint64_t snd_call_max_steps;
