// The ending's landing scenes: the crew close-up (phase 5), the object lowered on the
// segment chain (phase 6), the landing with its spiral approach, glide, touchdown and
// bounce (phase 7), and the free camera over the course scenery (phase 10, reached only
// by a debug start). Each handler runs one frame of its phase under the ending's frame
// header; every display-list word goes through the guard.
#pragma once
#include <cstdint>

// ROM 0x37AC4: the crew's animation steps (16 model offsets, longs).
constexpr uint32_t ROM_CREW_STEPS = 0x37AC4;
// ROM 0x37AB4: the scene's fixed anchor (x, y, z, model base longs).
constexpr uint32_t ROM_SCENE_ANCHOR = 0x37AB4;
// ROM 0x38228: the landing's start pose (x, y, z, pitch, heading, roll); 0x38238 the
// approach's last heading.
constexpr uint32_t ROM_LANDING_POSE = 0x38228;
constexpr uint32_t ROM_LANDING_HEADING = 0x38238;

// Landing scratch (longs).
constexpr uint32_t W_LAND_SPEED = 0x172B0;   // forward speed
constexpr uint32_t W_LAND_FALL = 0x172B4;    // fall speed
constexpr uint32_t W_LAND_PITCH = 0x172B8;   // pitch x 64
constexpr uint32_t W_LAND_SINK = 0x172CC;    // sink rate x 64
constexpr uint32_t W_LAND_EASE = 0x172D0;    // the camera's ease divisor
constexpr uint32_t W_LAND_ROLL_V = 0x17304;  // roll velocity
// The phase 10 repeat mark: -1 once a switch was touched in this pass.
constexpr uint32_t W_FREE_CAMERA_TOUCHED = 0x172A4;

// The lowest height of the model in the landing; the first touch's kick of the sink.
constexpr int32_t LANDING_FLOOR = 81339;
constexpr int32_t LANDING_KICK = -385;

// The ending's counter; the model's pose fields (x, y, z, pitch, heading, roll) and
// the scene record's longs (by byte offset).
int32_t ending_counter_now();
int32_t ending_pose(uint32_t field);
void ending_pose_set(uint32_t field, int32_t v);
int32_t ending_object(uint32_t offset);
void ending_object_set(uint32_t offset, int32_t v);
// The local frame t = counter - first, stored in the upper half of W 0x172EC.
int32_t ending_scene_frame(int32_t first);

void ending_phase5();
void ending_phase6();
void ending_landing();
void ending_phase10();
