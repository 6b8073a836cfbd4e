// The triangle search over a layer's mesh and the two-entry triangle history of each
// layer. The current triangle lives in the work-RAM words W 0x0920..0x0960; the layer
// searched is W 0x096C, the history entry tested W 0x0970.
#pragma once
#include <cstdint>

constexpr int32_t FACE_OUTSIDE = -1;     // the point lies outside the stored triangle
constexpr int32_t FACE_NO_SURFACE = -2;  // no surface at the point

// History entry (layer W 0x096C, entry W 0x0970) into the current triangle.
void point_test();
// The stored triangle's height at (x, z), FACE_OUTSIDE or FACE_NO_SURFACE.
int32_t terrain_face_height(int32_t x, int32_t z);
// Searches the current layer's mesh from its seed vertex; the height at (x, z) or
// FACE_NO_SURFACE. Leaves the triangle found in the current-triangle words.
int32_t terrain_cell_find_triangle(int32_t x, int32_t z);  // 0x05C6C4
// Pushes the current triangle into the current layer's history.
void terrain_cell_history_store();
