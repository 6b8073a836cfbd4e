// The stage start (top state 5) with its object viewer, and the pre-race countdown:
// the countdown figure placed by the player with the wind sound, and the camera path
// that swings from the figure round to the player's heading.
#pragma once
#include <cstdint>

// Program ROM 0x36414 + 244: the viewer's start values (x, y, z, three angles, mode).
constexpr uint32_t ROM_VIEWER_START = 0x36414 + 244;
constexpr uint32_t ROM_VIEWER_TITLE = 0x3A2AC;   // string
constexpr uint32_t ROM_VIEWER_LABELS = 0x3A2E6;  // strings one after another
constexpr int32_t COUNTDOWN_LEFT_FIRST = 330;    // frames left on the countdown's first frame
constexpr int32_t CAMERA_PATH_FRAMES = 300;

// Top state 5.
void stage_start_run();
// Sub-state 0: the viewer's words and title; the next frame ends the stage start.
void stage_start_init();
// Sub-state 1: the object viewer, one frame.
void stage_start_value_screen();

// One countdown frame (frames left 330 down to 1; any other value does nothing).
void countdown_sweep(int32_t frames_left);
// One frame of the countdown camera path.
void countdown_sweep_camera();
// The countdown figure's model packet, when its record lies in work RAM.
void countdown_sweep_step();

// Aims a work-RAM node record's angle words at target (x, y, z, in the frame of the
// record's position words): the record turns toward it and, with the next record as
// the second segment, bends to reach it with segment lengths b and c, d being about
// b² + c² and e about 2bc. Out of reach the first segment points straight at it.
void countdown_node_aim(uint32_t node_record, const int32_t target[3], int32_t b, int32_t c,
                        int32_t d, int32_t e);

// Does nothing; a step of the gameplay tick and the countdown.
void game_nop();
// Puts the sweep object (its record address in the long W 0x166E4) back at the start.
void sweep_object_reset();
