// The free camera of the pause view: steer and lean keys or the left stick turn it
// about its pivot, zoom keys, the right stick and the triggers move it in and out.
#pragma once

// Once per iteration while paused and the menu is closed: the step follows the time
// since the last call (2 degrees and 250 units on the first call or after 0.1 s).
void paused_camera();
// One move by the given steps per unit of input.
void pause_view_move(double angle_step, double distance_step);
// Clears the yaw, pitch and distance offsets (the pause toggle does, both ways).
void pause_view_offsets_clear();
