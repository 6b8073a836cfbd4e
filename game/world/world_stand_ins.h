// Routines of the game world that another part of this build will provide (here, and the
// ones declared in stage_start.h); until then
// each reports once that it is not in this build (stand_in_report) and does nothing
// more, except where its comment says what it keeps the game doing.
#pragma once
#include <cstdint>

// Top state 5: the stage start with its own sub-state; hands over to gameplay initialisation.
void stage_start_run();
// One countdown frame of the countdown figure and the wind sound.
void countdown_sweep(int32_t frames_left);
// One frame of the countdown camera path.
void countdown_sweep_camera();
// Sub-state 19: the fly-in onto the course; sets 3 or 0.
void stage_flyin_run();
// Places the player at the course's start.
void course_start_position();
// The player's rig back to flight as the race starts.
void player_rig_reset();
// The run and HUD words at course start.
void run_hud_words_init();
// Every animated object to its start.
void animated_objects_reset_all();
// The moving-object tables, cleared before the fly-in.
void moving_objects_clear();
// The fly-in path keys, from fixed values.
void flyin_path_keys_set();
// Counts the race timer down.
void race_timer_update();
// Draws the course's objects.
void objects_render_master();
// The stage camera of the race.
void stage_camera_update();
