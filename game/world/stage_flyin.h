// The final stage's fly-in (gameplay sub-state 19, 900 frames): a guided approach over
// the approach terrain with the caption building up, then a descent toward course 3's
// start under a moving eye while the pedals slow and the last three-second countdown
// runs; then the race.
#pragma once
#include <cstdint>

constexpr int32_t FLYIN_FRAMES = 900;
constexpr int32_t FLYIN_DESCENT_FROM = 540;
// Program ROM tables of the fly-in.
constexpr uint32_t ROM_FLYIN_EYE_START = 0x360D8;   // six longs: the descent eye at frame 540
constexpr uint32_t ROM_FLYIN_EYE_END = 0x360F0;     // six longs: at frame 900
constexpr uint32_t ROM_FLYIN_NODE_A = 0x123C38;     // longs: work-RAM addresses of the approach's
constexpr uint32_t ROM_FLYIN_NODE_B = 0x123C3C;     //   two node records
constexpr uint32_t ROM_FLYIN_NODE_A_START = 0x360A8;  // six longs each: position and angles
constexpr uint32_t ROM_FLYIN_NODE_B_START = 0x360C0;
constexpr uint32_t ROM_FLYIN_WAYPOINTS = 0x35D2C;   // two points (x, y, z)
constexpr uint32_t ROM_FLYIN_TERRAIN = 0x35D44;     // x, y, z, model base, then the cell words
constexpr uint32_t ROM_FLYIN_CELLS = 0x35D54;       // words ended by 0xFFFF
constexpr uint32_t ROM_FLYIN_CAMERA_LOW = 0x35D7C;  // camera points (x, y, z)
constexpr uint32_t ROM_FLYIN_CAMERA_HIGH = 0x35D88;
constexpr uint32_t ROM_FLYIN_OBJECTS_TURNED = 0x35D94;  // 20-byte records: x, y, z, model, count
constexpr uint32_t ROM_FLYIN_OBJECTS_FACING = 0x35E4C;
constexpr uint32_t ROM_FLYIN_OBJECTS_TURNED_END = 0x37194;
constexpr uint32_t ROM_FLYIN_OBJECTS_FACING_END = 0x3724C;
constexpr uint32_t ROM_FLYIN_MODEL_OFFSETS = 0x37B98;  // words

// Sub-state 19: one fly-in frame.
void stage_flyin_run();
// One approach frame (counter 0..539); returns mode - 2.
int32_t stage_flyin_step();
// Caption step k (counter 424..539, k = counter - 424).
void stage_flyin_caption(int32_t k);
// One descent frame (counter 540..899).
void stage_flyin_frame();
// The fly-in path keys: the counter and the approach's words from 0, so that every
// fly-in starts at its first frame.
void flyin_path_keys_set();
