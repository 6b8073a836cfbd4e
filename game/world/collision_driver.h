// The collision driver, once per world frame: the stage, the six probes, the
// look-ahead avoidance that steers the craft away from terrain ahead, and the probe
// results published for the flight and the craft's ground points.
#pragma once
#include <cstdint>

constexpr int32_t LOOKAHEAD_TRIES = 401;

// The probes' per-frame sequence: positions, walks, the zone boxes, the columns'
// classification, the surfaces, the zone resolve and the edge flags.
void probe_update();  // 0x05BE90

// Nothing while the collision-off flag W 0x0E38 is set.
void collision_update();  // 0x05B6B8
// The look-ahead probe's avoidance: holds count down; on a contact a search for a free
// direction that replaces the targets (and, far out, the position and speed).
void lookahead_contact();
// Ground points (W 0x2A70) of probes 4, 3, 1, 2, 0.
void probe_ground_outputs();
// Contact copy (W 0x2AAC), hit flags (W 0x2AE8) and surfaces (W 0x2B10).
void probe_contact_copy();
// Alternative avoidance of the nose probe (kept; nothing calls it).
void collision_probe_driver_alt();
