// Model node lists of the posed scenes. STAND-IN: reports once and does nothing until
// the animation work fills it.
#pragma once
#include <cstdint>

// Sets up the nodes of the list at the 68020 address `list` from work-RAM index
// `index` on, one step per call; nothing when index is negative.
void node_list_walk(uint32_t list, int32_t index);
