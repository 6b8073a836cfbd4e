// The stage and course timers booked into the settings block, and the service mode's
// bookkeeping clear.
#pragma once
#include <cstdint>

// Each does nothing unless timing is enabled (the high word of W 0x16950).
void course_timer_start();
void course_timer_step();
void course_timer_finish();
// At the game-over screen: books the finished game into the settings block and saves
// it; timing is off afterwards, so a second call changes nothing.
void course_timer_update();
// The service mode's bookkeeping clear: frame_counter, the totals and the 16-bit
// bookkeeping words.
void stage_state_reset();
