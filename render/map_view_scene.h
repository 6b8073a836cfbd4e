// The map view's scene: a whole course's terrain chunk models seen from the map camera
// the user flies (not the game's), over a dark gradient, into the frame's quad list.
#pragma once
#include <cstdint>

constexpr int32_t COURSE_CELL_UNITS = 0x18000;  // world units per terrain cell
constexpr int COURSE_COLUMNS = 8, COURSE_ROWS = 16;

// The terrain chunk model number of cell 0..127 of course 0..3 (base 0x495, 0x515, 0x595
// or 0x615, plus the cell; a display-list number, as the race writes it and the
// diagnostics print it), or -1 outside them.
int32_t terrain_chunk_model(int32_t course, int32_t cell);

// The map camera's rotation (rows, camera to world, as the host's map_view_camera gives
// it), its offset in world units and zoom turned into the renderer's camera for a chunk
// placed at (x, z) on the ground: 1.15 model rotation (halved, as every placement's) and
// the camera-space translation. The camera looks at the course's centre plus the offset
// from zoom times MAP_VIEW_DISTANCE away.
constexpr double MAP_VIEW_DISTANCE = 0x180000;
void map_view_placement(const float rotation[9], const float position[3], float zoom, double x, double z,
                        int32_t m[9], int32_t t[3]);

// The gradient over the screen width, then every chunk of the course through the quad
// pipeline into quad_sink_live, each at its point-ROM code (number + MODEL_CODE_OFFSET). The projection is the frame's screen projection.
void map_view_scene_draw(int course, const float rotation[9], const float position[3], float zoom);
