// The course select (gameplay sub-states 0 and 1, top states 14 and 15): three set-ups and
// their frames, picked by the dispatch's course_select_init / course_select_frame:
//   cursor screen   course_select_setup   / course_select_stage_cursor (choose a course)
//   final course    course_select_setup2  / course_select_title (course 3, no choice)
//   after continue  course_select_fade    / course_map_draw (the same course again)
// Every screen ends with game_sub_state 2 and course_number (W 0x0E0C) chosen.
// Also the pieces the mode select shares: the confirm inputs, the countdown, the
// handle hint.
#pragma once
#include <cstdint>

void course_select_setup();
void course_select_setup2();
void course_select_fade();
void course_select_stage_cursor();
void course_select_title();
void course_map_draw();
// The course map of the chosen course: its balloons and moving objects, the moving ones
// advanced n steps along their heading.
void course_map_packets(int32_t n);
// A course map's frame: the 32-byte record of `course` in the frame table at ROM
// `frames` (x origin, y origin, depth, scale, x max, x min, y max, y min); false (and
// nothing read) outside the table.
struct course_map_frame {
    int32_t x0, y0, depth, scale, x_max, x_min, y_max, y_min;
};
bool course_map_frame_read(uint32_t frames, int32_t course, course_map_frame* frame);
// Model `model` at the map point of (px, pz) (world x and z >> 8), when inside the bounds.
void course_map_plot(const course_map_frame& frame, int32_t px, int32_t pz, int32_t model);
// The balloons of the course and the moving objects advanced n steps on the map.
void course_map_objects(const course_map_frame& frame, int32_t n);

// Shared with the mode select.
// The port-0 button (the "press", bit 0 of the byte W 0x2B3B) or start (bit 0 of W 0x2BA6)
// newly pressed this frame.
bool select_press_or_start();
// The countdown select_timer as the clock digits, moved away by select_zoom.
void select_countdown_draw();
// The handle hint while nothing is confirmed: the two handle sprites of animation entry
// (frames >> 5) & 3 and sprite 427.
void select_handle_hint(int32_t frames);
// The stage quota of `course` (its stage in the multi-stage game) less `steps` reductions.
int32_t select_stage_quota(int32_t course, int32_t steps);
