// The attract's recorded demo flights: a course started from the demo table and one
// frame of the world driven by the recorded inputs.
#pragma once
#include <cstdint>

// Sets up demo n (ROM 0x15C508) before its first frame.
void demo_course_start(int32_t n);
// One demo frame: the record at the cursor into the flight inputs, then the world.
void demo_world_frame();
