// The six collision probes: their placement on the craft, the column of surfaces
// crossing the vertical line through each (terrain triangles of every layer, zone box
// tops and bottoms), the classification of that column into hit flag, contact height
// and surface, and the special regions with their edge hold.
#pragma once
#include <cstdint>

// Probe count := 6; probe 0 at the player, probes 1..4 at their body offsets turned by
// the attitude, probe 5 (look-ahead) turned by the target attitude.
void probe_positions_update();
// Probe n's terrain column from the loaded cell's layers.
void probe_walk(int32_t n);
void probe_walk_all();
// Sorts and merges the column work list (W 0x0974..0x098C).
void column_entries_sort();
// Closes, sorts and classifies the columns of the probes in use.
void probe_column_classify();
// Special region flag and type of every probe from its special entries.
void terrain_collision_zone_resolve();
// Holds the special type 0xE5 for 19 frames after a probe leaves a 0xE0/0xE1 region.
void probe_edge_flags();
// Copies each probe's special type into last frame's type.
void probe_surface_shift();

// Appends a zone box's top (SOLID) and bottom (PASS) to probe n's column, both with
// the zone's surface byte; a pair that would leave no room for the two end entries is
// dropped (one guard line).
void probe_column_zone_pair(int32_t n, int32_t top, int32_t bottom, int32_t surface);
// Probes in use (W 0x1308), 0..6.
int32_t probes_in_use();
// Resets the runaway count of layer steps (at every probe update and look-ahead search).
void probe_layer_steps_reset();
