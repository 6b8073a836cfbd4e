// The attract's recorded demo flights: a course started from the demo table and one
// frame of the world driven by the recorded inputs.
#pragma once
#include <cstdint>

// Sets up demo n (ROM 0x15C508) before its first frame; a number outside 0..16 starts
// nothing (one [GUARD] line).
void demo_course_start(int32_t n);
// One demo frame: the record at the cursor into the flight inputs, then the world, the
// views following the demo camera (copied into the camera words). The cursor reads the
// program ROM from 1 to 0x3FFFFF and work RAM from 0xE00000 on; any other cursor loads
// nothing, ends the input (one [GUARD] line) and the world runs on.
void demo_world_frame();
// The world of a demo frame without the record: flight bounds, objects, the player's
// cell, collision past recorded frame 300, the demo camera into the camera words, and
// the views, objects, balloons, sounds, fog and particles (also the attract's saved runs).
void demo_world_step();
// True once demo_world_frame met a cursor that holds no records (until the next start).
bool demo_input_ended();
