// Distance-scaled sprites for world points (the particles drawn as sprites).
#pragma once
#include <cstdint>

constexpr uint32_t SPRITE_SIZE_MULTIPLIERS = 0x3AC14;  // eight longs in program ROM
constexpr uint32_t W_SPRITE_HALF_FOV = 0x3E90;

// Projects the camera-relative point (x, y, z) through the camera angles and the field
// of view of view block `view` of the current display-list buffer, and adds one sprite
// on layer 7 - view, scaled by distance (1..256), its size multipliers chosen by the
// tile's table-1 word. Nothing is drawn behind the camera or beyond the screen margins.
void world_sprite_draw(int32_t view, int32_t tile, int32_t x, int32_t y, int32_t z, int32_t p8, int32_t priority);
