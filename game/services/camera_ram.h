// Work-RAM words of the cameras besides camera_state's position and angles
// (board/wram.h) and its grid cell (board/game_state_ram.h): the demo camera's own
// record and the ending's zoom.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // W_CAMERA_CELL, W_CAMERA_COLUMN, W_CAMERA_ROW

constexpr uint32_t CAMERA_WORDS = 9;  // x .. W_CAMERA_ROW

// The demo camera (attract demo flight): x, y, z, pitch, heading, roll longs.
constexpr uint32_t W_DEMO_CAMERA = 0x17040;
constexpr uint32_t W_DEMO_CAMERA_TYPE = 0x16D88;
constexpr uint32_t W_DEMO_PATH = 0x16D80;          // program-ROM or work-RAM address
constexpr uint32_t W_DEMO_PATH_LENGTH = 0x15BE0;   // records x 256
constexpr uint32_t W_DEMO_PATH_PROGRESS = 0x15BE4;  // record x 256 + fraction

constexpr uint32_t W_ENDING_ZOOM = 0x172F2;  // word (low half of W 0x172F0)

// Model record the ending's follow camera watches.
constexpr uint32_t W_FOLLOWED_MODEL = 0xB704;
