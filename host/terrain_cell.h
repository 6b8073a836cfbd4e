// Where the player is on the course grid, as the host's reports give it.
#pragma once
#include <cstdint>

// The cell x / cell size + 8 x (z / cell size), truncating, and the terrain chunk model
// number there, as the reports print it (the map view's terrain_chunk_model: -1 for a
// course outside 0..3 or a cell off the grid, a negative one included).
struct terrain_cell {
    int32_t grid_x, grid_z, cell, chunk;
};
terrain_cell terrain_cell_of(int32_t course, int32_t x, int32_t z);
