// Hooks through which the game program reaches services of the host above it. Each is
// a function pointer with a do-nothing default; the host fills it when the service
// starts (a trace being opened, a replay loaded), so no layer below host/ includes a
// host header.
#pragma once
#include <cstdint>

// After each frame tick (W 0x0C98) is counted: the trace directory's per-frame write.
extern void (*frame_trace_hook)(uint32_t frame_tick);

// At the end of every flight step: the host's flight_step_end, which lets a loaded flight
// replay overwrite the player's position, attitude, targets and speed, and samples the
// targets for a recording.
extern void (*replay_apply_attitude_hook)();

// Gameplay initialisation (game_state 2) calls it each time it runs: the host's
// level_apply, which rewrites mode, course and sub-state when a level jump waits. True
// when it did.
extern bool (*level_apply_hook)();

// Once per frame while a frame dump is shown: the host's viewer moves its sequence on
// (and loads the next dump when it reads per frame); false when nothing is to be drawn
// this frame.
extern bool (*framedump_advance_hook)();

// Each frame the renderer asks for the map view's camera: false while the map view is
// off; else the course (0..3), the rotation (rows, camera to world), the camera offset
// in world units and the zoom (distance factor). The host's map_view_camera.
extern bool (*map_view_camera_hook)(int* course, float rotation[9], float position[3], float* zoom);

// The wide view's extra display-list words for the renderer's second walk (null and a
// count of 0 when there are none): the side headings of a wide picture in flight, given
// the margin width (640-wide units) and the projection distance, and the four headings
// of the paused view. The host's wide_fill_update, pause360_update and wide_view_reset.
extern const int32_t* (*wide_fill_hook)(int32_t* count, double margin, double distance);
extern const int32_t* (*pause360_hook)(int32_t* count);
extern void (*wide_view_reset_hook)();
// The ranking page's draw (a board routine): the game world's player_render, which
// the game fills in at initialisation.
extern void (*player_render_hook)();

// The ending phase 0..12 the host's level jump asks the ending to start at, -1 when
// none. The host fills it; the ending's set-up reads it once and sets it back to -1.
extern int requested_ending_phase;
