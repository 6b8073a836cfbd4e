#include "base/host_hooks.h"

namespace {
void no_frame_trace(uint32_t) {}
void no_replay() {}
bool no_level_apply() {
    return false;
}
bool no_framedump_advance() {
    return true;
}
bool no_map_view(int*, float*, float*, float*) {
    return false;
}
const int32_t* no_wide_fill(int32_t* count, double, double) {
    *count = 0;
    return nullptr;
}
const int32_t* no_pause360(int32_t* count) {
    *count = 0;
    return nullptr;
}
void no_wide_view_reset() {}
void no_player_render() {}
}  // namespace

void (*frame_trace_hook)(uint32_t frame_tick) = no_frame_trace;
void (*replay_apply_attitude_hook)() = no_replay;
bool (*level_apply_hook)() = no_level_apply;
bool (*framedump_advance_hook)() = no_framedump_advance;
bool (*map_view_camera_hook)(int* course, float rotation[9], float position[3], float* zoom) = no_map_view;
const int32_t* (*wide_fill_hook)(int32_t* count, double margin, double distance) = no_wide_fill;
const int32_t* (*pause360_hook)(int32_t* count) = no_pause360;
void (*wide_view_reset_hook)() = no_wide_view_reset;
void (*player_render_hook)() = no_player_render;
int requested_ending_phase = -1;
