#include "base/host_hooks.h"

namespace {
void no_frame_trace(uint32_t) {}
void no_replay() {}
bool no_framedump_advance() {
    return true;
}
}  // namespace

void (*frame_trace_hook)(uint32_t frame_tick) = no_frame_trace;
void (*replay_apply_attitude_hook)() = no_replay;
bool (*framedump_advance_hook)() = no_framedump_advance;
