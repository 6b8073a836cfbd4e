// Work-RAM words of the player's rig: the array of 128-byte node records that the
// machine and its rider are drawn from, the rig's mode, flags and timers, and the
// rider's smoothed inputs. Words are 16-bit halves of a slot (the word at x is bits
// 16-31 of slot x, the word at x + 2 bits 0-15); everything else is a long.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // game state, play frames, keyframe counter and flag

// ---- Node records ------------------------------------------------------------------
constexpr uint32_t RIG_NODE_BYTES = 128;
constexpr uint32_t W_RIG_NODES_END = 0xCD84;  // no node walk or node set goes past here
constexpr uint32_t RIG_SET_FIRST_NODE = 5;    // node sets and animations load from node 5
constexpr uint32_t RIG_RIDER_FIRST_NODE = 6;
constexpr uint32_t RIG_SET_FIRST_GROUP = 10;  // group of node 5 once a set is loaded

constexpr uint32_t rig_node(uint32_t k) {
    return W_RIG_NODES + RIG_NODE_BYTES * k;
}

// Fields of a node record (byte offsets).
constexpr uint32_t NODE_MODEL = 0x00;    // long; negative ends a node list
constexpr uint32_t NODE_LINK = 0x04;     // word: parent = this record + link records
constexpr uint32_t NODE_FLAGS = 0x08;    // long: upper half animated-field bits
constexpr uint32_t NODE_WORD = 0x0A;     // word: word 9 of the node's transform packet
constexpr uint32_t NODE_STREAMS = 0x0C;  // six longs: stream pointers of fields 0..5
constexpr uint32_t NODE_FIELDS = 0x24;   // six longs: x, y, z, pitch, heading, roll
constexpr uint32_t NODE_X = 0x24, NODE_Y = 0x28, NODE_Z = 0x2C;
constexpr uint32_t NODE_PITCH = 0x30, NODE_HEADING = 0x34, NODE_ROLL = 0x38;
constexpr uint32_t NODE_BASE = 0x3C;     // six longs: the fields as the set loaded them
constexpr uint32_t NODE_BASE_X = 0x3C, NODE_BASE_Y = 0x40, NODE_BASE_Z = 0x44;
constexpr uint32_t NODE_BASE_PITCH = 0x48, NODE_BASE_ROLL = 0x50;
constexpr uint32_t NODE_BASE_MODEL = 0x54;  // nodes 0..5: the machine's part model
constexpr uint32_t NODE_GROUP = 0x78;       // node slot of the renderer; children name it
constexpr uint32_t NODE_FIELD_COUNT = 6;

// ---- Rig words -----------------------------------------------------------------------
constexpr uint32_t W_POSE_FLAG = 0x169EC;     // word: 1 once the root was posed this frame
constexpr uint32_t W_HIT_COUNTER = 0x169EE;   // word: frames of sky left after a hit
constexpr uint32_t W_VIEW_NUMBER = 0x169F2;   // word: view slot of the node emitter
constexpr uint32_t W_RIG_MODE = 0x16A28;      // word: current hit animation (0 none)
constexpr uint32_t W_CONTACT_MASK = 0x16A2A;  // word: probes 0..4 touching this frame
constexpr uint32_t W_HIT_TIMER = 0x16A2C;     // word
constexpr uint32_t W_STOP_MODEL = 0x0E34;     // body model while the machine stands
constexpr uint32_t W_STAGE_START_SUB_STATE = 0x0CCC;

// ---- Rider -------------------------------------------------------------------------
constexpr uint32_t W_RIDER_LEAN = 0x169F8;   // L, smoothed pitch input
constexpr uint32_t W_RIDER_TURN = 0x169FC;   // T, smoothed turn input
constexpr uint32_t W_RIDER_DRIVE = 0x16A00;  // D, smoothed pedal x 256
constexpr uint32_t W_KEY_COLUMN = 0x16A04;   // previous keyframe column and row
constexpr uint32_t W_KEY_ROW = 0x16A08;
constexpr uint32_t W_KEY_ROW_BIAS = 0x16A0C;  // word: row hysteresis, +-128
constexpr uint32_t W_KEY_COLUMN_BIAS = 0x16A0E;  // word: column hysteresis, +-16
constexpr uint32_t W_ARM_B_TARGET = 0x16A10;  // x, y, z: shoulder minus grip
constexpr uint32_t W_ARM_A_TARGET = 0x16A1C;
// The rider's block ends where W_RIG_MODE begins. The rider's eight inputs, for a look, go
// to W_SOUND_BYTE_COPIES (game/services/sound_ram.h).

// Rider nodes.
constexpr uint32_t NODE_CRANK = 6;
constexpr uint32_t NODE_PEDAL_L = 7, NODE_PEDAL_R = 8;
constexpr uint32_t NODE_BODY = 9, NODE_TORSO = 10, NODE_HEAD = 11, NODE_SPIN = 12;
constexpr uint32_t NODE_ARM_A = 13, NODE_ARM_B = 15;  // upper arm; the forearm follows
constexpr uint32_t NODE_LEG_L = 17, NODE_LEG_R = 20;  // thigh, shin, foot
