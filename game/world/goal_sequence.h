// The race's end: the fade of an event record and the goal sequence at the end of every
// gameplay tick.
#pragma once
#include <cstdint>

// Fade amount 255 and the three fade colours of event record n (ROM 0x037B38); a record
// outside the table changes nothing.
void event_record_load(int32_t n);
// Last step of every gameplay tick: the fade, the end counter, time up and the goal.
void goal_sequence_step();
