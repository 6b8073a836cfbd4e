// The start of a course: the player at the course's start position with the race time
// for it, and the race timer the gameplay tick counts down.
#pragma once
#include <cstdint>

// Program ROM 0xB85B8: six arrays of four longs (x, y, z, pitch, heading, roll by course).
constexpr uint32_t ROM_COURSE_START = 0xB85B8;
// Program ROM 0x15C448: seconds by course (12 bytes) and setting (4 bytes).
constexpr uint32_t ROM_COURSE_SECONDS = 0x15C448;
// Program ROM 0x15C328: multi-stage records of (stage base, seconds) by setting (8
// bytes), stage (24) and course (72); 0x15C4F8 the quota's deduction per continue.
constexpr uint32_t ROM_STAGE_SECONDS = 0x15C328;
constexpr uint32_t ROM_QUOTA_DEDUCTION = 0x15C4F8;

constexpr int32_t RACE_TIMER_SHOWN_MAX = 5940;  // 99 seconds

// player_state from the course start table, the race time (and in the
// multi-stage game the stage quota), the course colour and the course timer.
void course_start_position();
// One frame of the race time and the displayed time; the start sprite blinks
// through the first 128 frames.
void race_timer_update();
// The displayed time one step toward the time left: down 1, up 4 while more than 3
// behind, never above 99 seconds.
void race_timer_shown_follow();
