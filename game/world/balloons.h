// Balloons, the targets of a flight. At course start one of the course's layouts is
// chosen and its lists and counts set up (balloon_ram.h); each world frame the balloons
// listed for the player's cell are tested against the player, a hit one adding its
// points (or seconds) and popping, and the balloons of the visible terrain chunks and
// those riding the moving objects are drawn.
//
// Every ROM list and record is read through a bounded accessor: a read past its table
// or the program ROM gives nothing. A list entry counts at most 64 balloons, a number
// whose local index lies outside 0..63 is skipped, at most 8 balloons ride.
#pragma once
#include <cstdint>

// Guard lines of the drawing said so far (whole run).
extern uint32_t balloon_guard_count;

// Course set-up: the layout (chosen in gameplay when none is), the list addresses, the
// counts, the moving objects and every local balloon's state, phase and reach.
void balloon_system_init();
// The contact particles back to idle (particles_reset) at course start.
void balloon_state_reset();
// The per-frame step: the hit test of the player's cell, the moving balloons, then the
// balloons of the visible chunks (at most 40, all of them on course 3), closed by
// 0x8010, -1. A display-list cursor within 256 bytes of its buffer's end stops the
// drawing with "[GUARD] balloon_render_and_hit_check: DSP cursor full -- remaining
// objects dropped" (the first time, every time under SKYVOLTA_VERBOSE).
void balloon_render_and_hit_check();
// -1 when the hit test is on and (x, y, z) lies within a hit of the player, else 0.
int32_t balloon_in_range(int32_t x, int32_t y, int32_t z);
