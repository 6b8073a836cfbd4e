// Work-RAM words and ROM tables of the ending (gameplay sub-states 14 and 15). The phase
// word is W_ENDING_MODE (game/services/object_ram.h), the zoom word W_ENDING_ZOOM
// (game/services/camera_ram.h), the view words W_VIEW_CENTRE and W_VIEW_WIDTH
// (board/game_state_ram.h); the scene flags are the upper half of W_OBJECT_MODE.
#pragma once
#include <cstdint>

#include "game/services/gameplay_ram.h"  // the stage word
#include "game/services/rom_table.h"

// The phase-local words: upper half of W 0x172EC the local frame, lower half the sway's
// frames left; upper half of W 0x172F0 (W_VIEW_SCALE) the sway's length.
constexpr uint32_t W_ENDING_LOCAL_FRAME = 0x172EC;  // word
constexpr uint32_t W_SWAY_LEFT = 0x172EE;           // word
constexpr uint32_t W_SWAY_RECORD = 0x172D4;         // board address of the sway record
constexpr uint32_t W_FADE_STEP = 0x172FA;           // word (lower half of W_VIEW_WIDTH)
constexpr uint32_t W_FADE_HOLD = 0x172FC;           // word (upper half)

// The rig's IK targets kept by the ending (cleared by ending_init).
constexpr uint32_t W_ENDING_IK_A = 0x172D8;
constexpr uint32_t W_ENDING_IK_B = 0x172DC;
constexpr uint32_t W_ENDING_IK_C = 0x172E0;
constexpr uint32_t W_ENDING_IK_D = 0x172E4;

// The scene's scratch record: seven longs (position, angles, zoom; or a sway record).
constexpr uint32_t W_ENDING_OBJECT = 0x17294;
// Per-phase scratch longs W 0x172B0 .. 0x172D0.
constexpr uint32_t W_ENDING_SCRATCH = 0x172B0;
// The ending's model: x, y, z, pitch, heading, roll longs (fields of the node record
// the follow camera watches).
constexpr uint32_t W_ENDING_POSE = 0xB728;

// Gameplay word the story-end test clears (upper half).

// Phase numbers and the counter values the phase machine itself acts on.
constexpr int32_t ENDING_PHASES = 13;
constexpr int32_t PHASE_BAD_ENDING = 9;
constexpr int32_t PHASE_RE_ENTER = 11;
constexpr int32_t PHASE_END_CARD = 12;
constexpr int32_t BAD_ENDING_FIRST = 6075;
constexpr int32_t RE_ENTER_FIRST = 6945;
constexpr int32_t RE_ENTER_LAST = 7944;
constexpr int32_t END_CARD_FIRST = 7945;

// ROM 0x37A62: the counter at which each phase ends; read from index -1 (0x37A60).
constexpr rom_table ROM_PHASE_ENDS = {0x37A60, 2, 14};
// ROM 0x38560 up to 0x39500: the roll's 20-byte records.
constexpr rom_table ROM_ROLL_RECORDS = {0x38560, 20, (0x39500 - 0x38560) / 20};
// ROM 0x39078: the roll texts' colour words, by palette selector.
constexpr rom_table ROM_ROLL_PALETTES = {0x39078, 2, 0x10000};
// ROM 0x37B98: six model steps of the roll's animated models.
constexpr rom_table ROM_ROLL_ANIMATION = {0x37B98, 2, 6};
// ROM 0x37A7A, 0x37A86, 0x37A94: the scene's three packet lists.
constexpr uint32_t ROM_SCENE_LISTS[3] = {0x37A7A, 0x37A86, 0x37A94};
// ROM 0x36414: the eight scene objects' models (words).
constexpr rom_table ROM_SCENE_OBJECT_MODELS = {0x36414, 2, 8};
