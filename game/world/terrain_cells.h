// The course's terrain tables, the player's cell and the stage: the geometry of the
// player's current cell (lookup grids and vertex pointers of up to three layers) and
// the seed vertex of each layer near the player, from which the triangle search starts.
#pragma once
#include <cstdint>

// Course set-up: clears the triangle history counters; for a course 0..3 stores the
// chunk model base, the visibility mask address and the five table addresses.
void world_props_init(int32_t course);  // 0x05B8AC
// Chunk slot table := 0; for a course 0..3 the chunk model base and mask address.
void terrain_course_base(int32_t course);
// The course's chunk model base, -1 for a course outside 0..3.
int32_t chunk_model_base(int32_t course);

// player_cell (W 0x0D24..0x0D44) from the player's x and z.
void player_cell_update();
// Loads the player's cell when it changed, then recomputes the seeds.
void world_stage_update();
// Lookup grids and vertex pointers of the loaded cell's layers.
void world_stage_geometry_load();
// Each loaded layer's seed: the nearest primary vertex to the point in the seed order.
void layer_seed_faces(int32_t x, int32_t z);

// The course's table address of a course_table_slot (as world_props_init stored it).
uint32_t course_table(int32_t table);

// Guard lines said so far (the first of each prints, later ones only when verbose).
struct terrain_guard_counts {
    uint32_t layer_count;      // world_stage_update clamp
    uint32_t load_count;       // world_stage_geometry_load clamp
    uint32_t vertex_overflow;  // records beyond the 128 pointers of a layer
    uint32_t null_face;        // terrain_cell_find_triangle: missing vertex
    uint32_t layer_index;      // a layer index beyond the layout
    uint32_t column_full;      // a zone pair that does not fit a probe column
    uint32_t special_full;     // special entries beyond the ten a probe keeps
};
extern terrain_guard_counts terrain_guards;
// True when a guard line with this counter should print (counts the call).
bool terrain_guard_due(uint32_t* counter);
