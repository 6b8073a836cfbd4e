// The terrain drawn as one model per cell ("chunk"): each world frame the chunks seen
// from the camera are picked from the ROM list of the camera's heading sector and the
// course's visibility mask of the camera's cell, written into the display list and
// recorded in the chunk slot table (W_CHUNK_SLOTS) that the scenery, the object LOD and
// the balloons consult. Also the course-3 prop packet and the pedal hint flags of the
// terrain_lod step, which the HUD reads.
#pragma once
#include <cstdint>

// Slots := -1, the header 0x8000, 0; then for each record of the heading's list whose
// chunk lies on the grid and in the camera cell's mask: its slot, its visible entry and
// the four words model (cell + chunk model base), x, 40960 - y, z. A camera cell off the
// grid takes the mask of the nearest column and row; a chunk cell off the grid is skipped.
void terrain_chunk_visibility(int32_t x, int32_t y, int32_t z, int32_t heading);

// True when the cell (0..127) has a chunk in this frame's list.
bool chunk_visible(int32_t cell);

// The course-3 prop packet (96 words: eight objects, three of them the overall best's
// initials) while cell 90's chunk is visible.
void course3_props_emit();

// The [GT] step run first in each race frame: the pedal hints.
void terrain_lod();
// W_HINT_PEDAL, W_HINT_HIGH_CONTACT and W_HINT_HARD_PEDAL from the pedal, its rate, the
// race frames and the look-ahead probe's hit.
void pedal_idle_flags();
// The three hint flags and their four counters := 0 (course start).
void terrain_flags_reset();
