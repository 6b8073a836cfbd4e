// Spring integration of the objects that sway (three axes each). Object i keeps its
// position longs at W 0x1642C + 12 i, its targets 0x60 and 0x0C above them, its
// velocities 0x1B0 above, the force written 0xD8 below, and its previous position at
// W 0x16498 + 12 i. Divisions truncate toward zero; a zero divisor traps (one
// "[V2-TRAP]" line per run) and the step leaves the object alone. Nothing is done for
// an object whose blocks would leave work RAM.
#pragma once
#include <cstdint>

// One step: g = ((target1 - e) b + c (target2 - e)) / a + ext[j] - 42 f / a, the
// position e += f / 240 + g / 57600, the velocity f += g / 60. ext: three longs, or
// null for none.
void object_motion_step(int32_t i, int32_t a, int32_t b, int32_t c, const int32_t* ext);
// The chain step between neighbours i - 1 and i + 1 (nothing in the game calls it):
// v' = ((p[-1] + p[+1]) 3328 / a + ext) / 120 + v (d + 42) / d + old (d = -480 a, old
// the previous-position long), p' = p + v' / 480.
void object_motion_step_chain(int32_t i, int32_t a, const int32_t* ext);
// The damped chain step (nothing in the game calls it): the force
// ((p[-1] + p[+1] - 2 p) 3328 - 42 v) / b + ext, v' = v + force / 120, p' = p + v' / 480.
void object_motion_step_damped(int32_t i, int32_t b, const int32_t* ext);
