// Hooks through which the game program reaches services of the host above it. Each is
// a function pointer with a do-nothing default; the host fills it when the service
// starts (a trace being opened, a replay loaded), so no layer below host/ includes a
// host header.
#pragma once
#include <cstdint>

// After each frame tick (W 0x0C98) is counted: the trace directory's per-frame write.
extern void (*frame_trace_hook)(uint32_t frame_tick);

// At the end of every flight step: the host's replay_apply_attitude, which lets a loaded
// flight replay overwrite the player's position, attitude, targets and speed.
extern void (*replay_apply_attitude_hook)();

// Once per frame while a frame dump is shown: the host's viewer moves its sequence on
// (and loads the next dump when it reads per frame); false when nothing is to be drawn
// this frame.
extern bool (*framedump_advance_hook)();
