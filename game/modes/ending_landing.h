// The ending's landing scenes: the crew close-up (phase 5), the object lowered on the
// segment chain (phase 6), the landing with its spiral approach, glide, touchdown and
// bounce (phase 7), and the free camera over the course scenery (phase 10, reached only
// by a debug start). Each handler runs one frame of its phase under the ending's frame
// header; every display-list word goes through the guard. The file also keeps the words
// and steps all the scene handlers share (counter, pose, scene record, heading words,
// fade, fog biases).
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

// The landing's longs in the ending's scratch (W_ENDING_SCRATCH + field).
constexpr uint32_t LAND_SPEED = 0;  // forward speed
constexpr uint32_t LAND_FALL = 4;   // fall speed
constexpr uint32_t LAND_PITCH = 8;  // pitch x 64
constexpr uint32_t LAND_IK_C = 12;  // W_ENDING_IK_C x 64
constexpr uint32_t LAND_IK_D = 16;  // W_ENDING_IK_D x 64
constexpr uint32_t LAND_SCALE = 20;
constexpr uint32_t LAND_SCALE_TARGET = 24;
constexpr uint32_t LAND_SINK = 28;  // sink rate x 64
constexpr uint32_t LAND_EASE = 32;  // the camera's ease divisor
// The phase 10 repeat mark in the scene record (W_ENDING_OBJECT + field): -1 once a
// switch was touched in this pass.
constexpr uint32_t FREE_CAMERA_TOUCHED = 16;

// The lowest height of the model in the landing; the first touch's kick of the sink.
constexpr int32_t LANDING_FLOOR = 81339;
constexpr int32_t LANDING_KICK = -385;

// Shared by the scene handlers. The model's pose fields (x, y, z, pitch, heading, roll)
// and the scene record's longs (by byte offset).
int32_t ending_pose(uint32_t field);
void ending_pose_set(uint32_t field, int32_t v);
int32_t ending_object(uint32_t offset);
void ending_object_set(uint32_t offset, int32_t v);
// The long at `field` of the running phase's scratch (W_ENDING_SCRATCH), and its store.
int32_t ending_scratch(uint32_t field);
void ending_scratch_set(uint32_t field, int32_t v);
// The local frame t = counter - first, stored in the upper half of W 0x172EC.
int32_t ending_scene_frame(int32_t first);
// The heading words the object lists turn by: -camera heading and its sine, cosine.
void ending_heading_words_set();
// The fade steps by the fade step word, kept within 0..most; while the hold word is set,
// a fade that is not full restarts from event record 0 with the step hold_step.
void ending_fade_run(int32_t hold_step, int32_t most);
// The CZ fog biases of banks 0..3: -128 hides the scene in fog, 0 shows it.
void ending_fog_biases_set(int32_t v);

void ending_phase5();
void ending_phase6();
void ending_landing();
void ending_phase10();
