// The stage start and the pre-race countdown figure.
#pragma once
#include <cstdint>

// Aims a work-RAM node record's angle words at target (x, y, z): segment lengths b and c,
// reach values d and e.
void countdown_node_aim(uint32_t node_record, const int32_t target[3], int32_t b, int32_t c,
                        int32_t d, int32_t e);
