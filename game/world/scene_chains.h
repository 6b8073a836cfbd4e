// The segment chains of the attract and ending scenes: eight tilted segment models in
// a ring, each a positioned 0x8008 node in slot 3 and its 0x800A placement, inside an
// objshift bank. Every word goes through the display-list guard.
#pragma once
#include <cstdint>

// The attract chain: t and u a low and a high height, n the step counter. Returns the
// segment (1-8) whose step n - 9k is 6, or 0.
int32_t dl_emit_segment_chain(int32_t t, int32_t u, int32_t n);
// The attract chain scene: the chain at rest and the ring object at the chain origin
// W 0x1FD00.
void chain_scene_render();
// The ending's radial groups at heights a..b by the counter c; returns the group
// (1-8) whose step is 6, or 0.
int32_t radial_packets(int32_t a, int32_t b, int32_t c);
// Model 906 for every range record (ROM 0x39228) whose span holds t.
void range_packets(int32_t t);
