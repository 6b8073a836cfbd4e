// Work-RAM words of the course objects and scenery: the object emitters' pointers and
// mode word, the sub-part rows they fill for the collision, the spring blocks, the
// terrain-props cursor copy and the game-wide counters they read. W[x] is slot x.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // camera cell, course number, player, play frames, band height
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"

// Object emitters: 68020 pointers to three-long position records, the mode word.
constexpr uint32_t W_OBJECT_COMPOUND = 0x46F8;  // object_packet_emit_compound, object_packet_fill
constexpr uint32_t W_OBJECT_ROTATING = 0x46FC;  // object_packet_emit_rotating
constexpr uint32_t W_OBJECT_PLAIN = 0x4700;     // object_packet_emit
constexpr uint32_t W_OBJECT_MODE = 0x4708;      // upper half: mode word; lower: landmark model offset
constexpr uint32_t W_OBJECT_HEADING = 0x16668;  // (sin, cos) pair: longs 0x16668, 0x1666C
constexpr uint32_t W_OBJECT_TURN_LIMIT = 0x16670;  // low half: heading the lists turn within

// Sub-part slots 0-11 filled for the collision: rows of longs, slot k at + 4k.
constexpr uint32_t W_SUBPART_COUNT = 0x291C;
constexpr uint32_t W_SUBPART_X = 0x2920;
constexpr uint32_t W_SUBPART_Y = 0x2950;
constexpr uint32_t W_SUBPART_Z = 0x2980;
constexpr uint32_t W_SUBPART_ANGLE = 0x29B0;
constexpr uint32_t W_SUBPART_SIZE = 0x29E0;  // three rows: 0x29E0, 0x2A10, 0x2A40
constexpr uint32_t SUBPART_ROW_BYTES = 0x30;
constexpr int32_t SUBPART_SLOTS = 12;

// Landmark and chain scene.
constexpr uint32_t W_LANDMARK_GATE = 0x1257;    // byte: the landmark shows while <= 17
constexpr uint32_t W_CHAIN_ORIGIN = 0x1FD00;    // three longs, the chain scene's object
constexpr uint32_t W_TRAIN_BASE_Y = 0x1230;

// Display-object list (the screens' posed models).
constexpr uint32_t W_OBJECT_LIST_VIEW = 0x169F0;  // low half: the view of its header
// Outside the race the rig's node array (W_RIG_NODES: 1024-byte display objects), its
// stream counter and flag hold the list.
constexpr uint32_t DISPLAY_OBJECT_BYTES = 1024;
// The list's build stage and its done mark are the rig's keyframe words W_KEYFRAME_COUNTER
// and W_RIG_FLAG (board/game_state_ram.h), cells the block-list expansion clears.

// Ending scenes.
constexpr uint32_t W_ENDING_MODE = 0x172E8;
constexpr uint32_t W_VIEW_SCALE = 0x172F0;  // low half: word 14 of view block 3
// W_VIEW_CENTRE, W_VIEW_WIDTH (0x172F4, 0x172F8): board/game_state_ram.h.
constexpr uint32_t W_VIEW_POSE_WORD = 0x17360;  // upper half

// Status longs of the marker routines.
constexpr uint32_t W_STATUS_A = 0xC800;
constexpr uint32_t W_STATUS_B = 0xD000;

// Spring blocks: object i's three position longs at W 0x1642C + 12 i; targets +0x60
// and +0x0C from them, velocities +0x1B0, the force -0xD8; the previous position at
// W 0x16498 + 12 i.
constexpr uint32_t W_SPRING_POSITION = 0x1642C;
constexpr uint32_t W_SPRING_PREVIOUS = 0x16498;
constexpr uint32_t SPRING_TARGET1 = 0x60;
constexpr uint32_t SPRING_TARGET2 = 0x0C;
constexpr uint32_t SPRING_VELOCITY = 0x1B0;
constexpr int32_t SPRING_FORCE = -0xD8;

// Terrain props: the cursor copy (a host pointer into dspram) and the gate bytes.
constexpr uint32_t W_PROPS_CURSOR = 0x09B4;
constexpr uint32_t W_EFFECT_COUNTER = 0x1249;  // byte: effect_group_render while below 16

// Stage start: the long holding the sweep object's record address.
constexpr uint32_t W_SWEEP_OBJECT = 0x166E4;
