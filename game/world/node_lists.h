// Node lists in work RAM as the runtime's list routine expands them from the ROM
// (board/block_list.h: head longs, stream pointers at +0x0C, fields at +0x24, curve
// accumulators at +0x3C, the model's keyframe pointer at +0x7C), brought to a time and
// emitted through the node record emitter; and the second model beside the player.
//
// A field's stream (its pointer less 4) holds the field's first value as a long, then
// a kind byte and a 16-bit count at +4 and +6:
//   kind 1: longs from +8, the one at the time (the last past the count);
//   kind 2: a curve record at +4 (rom_curve_eval: c at +6, e at +10, step, base);
//   kind 3: signed bytes from +8: the first value plus the one at the time;
//   any other kind leaves the field.
// The keyframe pointer names 16-bit words: the first model, then (time, model) pairs in
// rising time, ended by the time 0xFFFF.
#pragma once
#include <cstdint>

#include "game/world/stage_ram.h"  // the second model's words

constexpr uint32_t NODE_LIST_MAX = 64;
constexpr uint32_t ROM_SECOND_MODEL = 0x123C4C;  // long: the second model's node list

// The fields and model of the node at work-RAM index n at `time`.
void node_state_init(uint32_t n, int32_t time);
// Each node of the list at work-RAM index `index` (at most 64, to a negative model)
// brought to `time`, then emitted.
void node_list_walk(int32_t index, int32_t time);
// The same for a list given by its 68020 address.
void node_list_walk_at(uint32_t address, int32_t time);
// The curve fields of each node of the list advanced to `time` through their
// accumulators.
void node_list_update(int32_t index, int32_t time);

// The second model's list loaded at W 0xB784 and placed beside the player.
void player_model_setup_course();
// The same list posed for course select.
void player_model_setup_select();
