// The rider on the machine: crank, targets from the smoothed inputs, and two-segment
// arm and leg solutions that keep the hands on their grips and the feet on the pedals;
// or, in gameplay with SKYVOLTA_RIG_IK_GAMEPLAY=0, poses from ROM keyframe tables.
//
// The limbs hang from the machine's frame (node 0): an upper segment placed at the
// shoulder or hip, turned by its roll (the limb's plane) and pitch, and a lower
// segment one upper length down its local -y, bent by its own pitch. Shoulders and hips
// are carried through the rider's body nodes with the renderer's own composition
// (pitch, then roll, then heading, on row vectors).
#pragma once
#include <cstdint>

constexpr uint32_t ROM_LEG_CONSTANTS = 0x3AC8C;  // nine longs: hip x, y, z, a, b, e, f, c, d
constexpr uint32_t ROM_KEYFRAMES = 0x144A5C;     // 36 longs: record of (row, column) = l + 9e
constexpr uint32_t KEYFRAME_ROWS = 4, KEYFRAME_COLUMNS = 9;

constexpr int32_t CRANK_OPPOSITE = 9102;  // the pedals' own pitch is this minus the crank's
constexpr int32_t ARM_UPPER = 416, ARM_LOWER = 256;
constexpr int32_t LEG_UPPER = 221, LEG_LOWER = 290;
constexpr int32_t SHOULDER[3] = {152, 260, -60};  // arm A's shoulder in the torso's frame
// The grips the hands hold, in the machine's frame, bobbing with the crank by cs and cc
// (player_ik_arms): arm A at (152, 406 - cs, -154 + cc), arm B at (-152, 405 + cs, -155 - cc).

// Node 6's pitch := a; the pedals' (nodes 7 and 8) := 9102 - a.
void player_rig_set_crank(int32_t a);
// Lean, turn and drive smoothed from the inputs; body and torso placed from them.
void player_rig_targets_from_input();
// The same with lean a and turn t given, b and c added to the body's height and depth.
void player_rig_targets_set(int32_t a, int32_t t, int32_t b, int32_t c);
void player_ik_arms();
void player_ik_legs();
// The keyframed rider's pose for crank frame a (0..63); the rig emits the node words.
void rider_keyframe_pose(int32_t a);
// The procedural rider's pose: crank from the crank frame, targets from the inputs,
// arms, legs.
void rider_ik_pose();
// The same with given targets.
void rider_ik_pose_targets(int32_t crank_angle, int32_t a, int32_t t, int32_t b, int32_t c);

// The point v of node k's frame in its parent's frame (v rotated by the node's angles,
// plus its offset).
void rig_node_point(uint32_t k, const int32_t v[3], int32_t out[3]);
