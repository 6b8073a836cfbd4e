// Work-RAM words of the animated objects and the scenery: the sixteen 88-byte object
// slots, the spawner and rotation scratch, and the words objects_render_master sets
// each frame. A "word" is a 16-bit half of a slot, read and written with w_read16 /
// w_write16 at WRAM_BASE + x; everything else is a long in its own slot. Object angle
// words are 14-bit (0x4000 a full turn).
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // course number, play frames, player, camera cell
#include "game/services/object_ram.h"   // W_OBJECT_MODE, W_OBJECT_HEADING, W_OBJECT_TURN_LIMIT

// ---- The object slots ---------------------------------------------------------------------
constexpr uint32_t W_ANIMATED_SLOTS = 0x4178;
constexpr uint32_t ANIMATED_SLOT_SIZE = 88;
constexpr int32_t ANIMATED_SLOTS = 16;
// The work-RAM offset of object slot s.
constexpr uint32_t animated_slot(int32_t s) {
    return W_ANIMATED_SLOTS + ANIMATED_SLOT_SIZE * uint32_t(s);
}

// Fields of a slot (byte offsets; L a long, W a word).
constexpr uint32_t AO_X = 0x00, AO_Y = 0x04, AO_Z = 0x08;                 // L current position
constexpr uint32_t AO_TILT = 0x0C, AO_HEADING = 0x0E, AO_TILT2 = 0x10;    // W current angles
constexpr uint32_t AO_COUNT = 0x12;                                       // W frames left in the move
constexpr uint32_t AO_ORIGIN_X = 0x14, AO_ORIGIN_Y = 0x18, AO_ORIGIN_Z = 0x1C;  // L
constexpr uint32_t AO_FIGURE_USED = 0x20;                                 // W cleared at spawn; the rig
                                                                          // figure's first drawing sets it
constexpr uint32_t AO_BASE_HEADING = 0x22;                                // W
constexpr uint32_t AO_FIGURE_GROUPS = 0x24;                               // W, W: the rig figure's saved
                                                                          // groups (parent, root); the
                                                                          // first is cleared at spawn
constexpr uint32_t AO_TARGET_X = 0x28, AO_TARGET_Y = 0x2C, AO_TARGET_Z = 0x30;  // L
constexpr uint32_t AO_TARGET_TILT = 0x34;                                 // W, then heading, tilt 2
constexpr uint32_t AO_CURSOR = 0x3C;                                      // L ROM address of the entry
constexpr uint32_t AO_LOOP = 0x40;                                        // L loop mark
constexpr uint32_t AO_MODEL = 0x44;                                       // W model base
constexpr uint32_t AO_STATE = 0x48;                                       // W state word
constexpr uint32_t AO_FRAMES = 0x4A, AO_SHIFT = 0x4C;                     // W animation
constexpr uint32_t AO_CELL = 0x4E;                                        // W terrain cell
constexpr uint32_t AO_BANK_A = 0x50, AO_BANK_B = 0x54;                    // L bank values

// State word bits.
constexpr uint32_t AO_FREE = 0x8000;
constexpr uint32_t AO_HIDDEN = 0x4000;
constexpr uint32_t AO_SEEN = 0x2000;      // keep-alive, first step
constexpr uint32_t AO_KEEP = 0x1000;      // keep-alive, second step
constexpr uint32_t AO_MARKED = 0x0800;    // its cell's chunk is among the ten nearest
constexpr uint32_t AO_OWN_HEADING = 0x0400;
constexpr uint32_t AO_TOGGLE = 0x0200;
constexpr uint32_t AO_BANK_B_SPAWN = 0x0100;
constexpr uint32_t AO_PERSISTENT = 0x0080;
constexpr uint32_t AO_HEIGHT_TEST = 0x0040;
constexpr uint32_t AO_AT_PLAYER_CELL = 0x0020;
constexpr uint32_t AO_AT_SQUARE = 0x0010;
constexpr uint32_t AO_RIG = 0x0008;
constexpr uint32_t AO_FULL_ROTATION = 0x0004;  // also: cell = the player's at spawn
constexpr uint32_t AO_RELATIVE = 0x0002;
constexpr uint32_t AO_YAW_RELATIVE = 0x0001;
constexpr uint32_t AO_PLACEMENT = AO_RELATIVE | AO_YAW_RELATIVE;

// ---- Shared words of the mechanism ---------------------------------------------------------
constexpr uint32_t W_AO_LIVE = 0x166A0;  // word: live objects
constexpr uint32_t W_SPAWNER_X = 0x16678, W_SPAWNER_Y = 0x1667C, W_SPAWNER_Z = 0x16680;
constexpr uint32_t W_SPAWNER_ANGLES = 0x16684;  // words: first tilt, heading
constexpr uint32_t W_SPAWNER_TILT2 = 0x16688;   // words: second tilt, the player's cell
constexpr uint32_t W_ROTATE_X = 0x1668C, W_ROTATE_Y = 0x16690, W_ROTATE_Z = 0x16694;
constexpr uint32_t W_ROTATE_ANGLES = 0x16698;   // words: tilt, heading
constexpr uint32_t W_AO_MODEL_WORDS = 0x166A4;  // longs by model base (opcode 0x82F4)
constexpr uint32_t AO_MODEL_WORDS_CLEARED = 5;  // words cleared at course start
constexpr uint32_t W_OBJECT_CAMERA_FLAG = 0x16672;  // word: camera rotation packet pending

// ---- Scenery ---------------------------------------------------------------------------------
constexpr uint32_t W_TIER_TABLE = 0x16664;  // ROM address of the current tier table
constexpr uint32_t W_TIER = 0x16674;        // words: tier (2 near .. 0 far), the far-tier switch's
constexpr uint32_t W_COURSE8_NODE = 0x166CC;  // x, y, z, then three angle longs
// The course-8 bank, less 20480; the fly-in's caption keeps its row in the high byte.
