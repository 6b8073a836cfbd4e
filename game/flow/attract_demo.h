// The attract demo flight: top states 10 (set-up) and 11 (one frame of the recorded
// flight), also run by the demo-flight screen after a game (sub-state 24).
//
// A demo plays a stream of 16-byte input records (pitch input, turn input, pedal, play
// frame) from the demo table in the program ROM, or the run the recorder saved when it
// holds more than 600 frames. It ends after 1200 frames, at a record whose play frame
// is negative, at a cursor outside the program ROM (1..0x3FFFFF) and work RAM (0 too)
// or, for the saved run, once its recorded frames are played; a start or coin press
// ends it early. Then the fade rises by 2 a frame and at 256 attract begins again.
#pragma once
#include <cstdint>


// Top state 10: the demo picked (table entry of the current course) and set up; then,
// unless in top state 3, state 11 and its first frame.
void attract_demo_enter();
// Top state 11: one demo frame.
void attract_demo_flight();
// True once the current demo has ended (it then fades out).
bool attract_demo_ended();
