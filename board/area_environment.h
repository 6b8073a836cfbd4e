// The area environment: every terrain cell of a course belongs to an area, every area
// names a fog record (fog colour, CZ bias, fog switch). Following the camera's cell, the
// fog colour (mixer +0x05..+0x07) and the CZ bias of the four fog banks fade from the
// old area's record to the new one over the area's frame count; the fog switch goes to
// the fade ring's fog-enable target.
#pragma once
#include <cstdint>

// The work-RAM variables are 68020 words (the word at a multiple of 4 is the upper half
// of its long), but for the table address, a long.
constexpr uint32_t W_AREA_FOG_TARGET = 0xAAF2;   // R, G, B, bias
constexpr uint32_t W_AREA_FOG_CURRENT = 0xAAFA;  // R, G, B, bias
constexpr uint32_t W_AREA_FADE_COUNT = 0xAB02;
constexpr uint32_t W_AREA_LEVEL_FLAG = 0x16A30;
constexpr uint32_t W_AREA_LEVEL = 0x16A32;
constexpr uint32_t W_AREA_LEVEL_TARGET = 0x16A34;
constexpr uint32_t W_CURRENT_AREA = 0x16A36;
constexpr uint32_t W_AREA_LAST_CELL = 0x16A38;   // the camera cell last seen
constexpr uint32_t W_AREA_HOLD = 0x16A3A;        // hold count
constexpr uint32_t W_AREA_TABLE = 0x16A3C;       // the course's cell-area table address

constexpr uint32_t ROM_CELL_AREAS = 0x37758;   // 128 signed bytes per course
constexpr uint32_t ROM_AREA_ENTRIES = 0x376E0; // per area: fog record, fade frames (bit 15: special)
constexpr uint32_t ROM_FOG_RECORDS = 0x37684;  // 10 bytes: R, G, B, bias, fog switch
constexpr uint32_t ROM_HEIGHT_BIAS_G = 0x376C6;
constexpr uint32_t ROM_HEIGHT_BIAS_H = 0x376D0;
constexpr uint32_t TERRAIN_CELL_SIZE = 0x18000;
constexpr int AREA_HEIGHT_FOG = 22;            // the area whose bias follows the camera height

// Course start: the camera's cell and area, that area's fog applied at once.
void area_of_player_cell();
// Attract demo start: forces an area change and completes the first fade after the hold.
void area_env_start();
// Once per frame during flight.
void area_env_update();

void area_fog_set(int record);
void fog_reset();
void area_record_apply(int record, int frames);
void area_cell_changed();
void area_special();
void area_fog_fade();
void area_colour_fade();
