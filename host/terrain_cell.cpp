#include "host/terrain_cell.h"

#include "render/map_view_scene.h"

terrain_cell terrain_cell_of(int32_t course, int32_t x, int32_t z) {
    terrain_cell c;
    c.grid_x = x / COURSE_CELL_UNITS;
    c.grid_z = z / COURSE_CELL_UNITS;
    c.cell = c.grid_x + COURSE_COLUMNS * c.grid_z;
    c.chunk = terrain_chunk_model(course, c.cell);
    return c;
}
