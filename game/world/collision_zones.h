// Zone boxes: the sheared boxes of the cell's zone list and the dynamic boxes of the
// animated objects, whose tops and bottoms join the columns of the probes inside them.
#pragma once
#include <cstdint>

#include "game/world/terrain_rom.h"

// Every zone of the player's cell, then every dynamic zone near the player, tested
// against the probes in use; nothing when the cell has no zone list or with
// SKYVOLTA_NO_ZONES set.
void zones_all_test();
// One zone: a coarse test of probe 0 against the enlarged box, then each probe.
void zone_hit_test(const zone_record& z);
// The distance from the box edge the selector names, for a probe with shear offsets t
// and u, e = probe z - zone z and dx = probe x - zone x.
int32_t zone_axis_select(const zone_record& z, int32_t t, int32_t u, int32_t e, int32_t dx);
// The dynamic zone arrays from the animated-object slots 8 onward.
void zone_link_update();
