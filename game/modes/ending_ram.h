// Work-RAM words and ROM tables of the ending (gameplay sub-states 14 and 15). The phase
// word is W_ENDING_MODE (game/services/object_ram.h), the zoom word W_ENDING_ZOOM
// (game/services/camera_ram.h), the view words W_VIEW_CENTRE and W_VIEW_WIDTH
// (board/game_state_ram.h); the scene flags are the upper half of W_OBJECT_MODE.
#pragma once
#include <cstdint>

#include "game/services/gameplay_ram.h"  // the stage word
#include "game/services/rom_table.h"
#include "board/fixed_math.h"

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
// Phase 3 eases its camera record from +16; phase 10 keeps its repeat mark at +16.
// Per-phase scratch longs W 0x172B0 .. 0x172D0: the flights, the landing and the portrait
// each lay out their own values here (field offsets beside each phase's routines).
constexpr uint32_t W_ENDING_SCRATCH = 0x172B0;
// The landing's roll velocity.
constexpr uint32_t W_LAND_ROLL_V = 0x17304;
// The portrait's node blocks: board addresses of the first three (longs at W 0x1730C,
// 0x17310, 0x17314); the fourth's is W_SWEEP_OBJECT's long (W 0x166E4).
constexpr uint32_t W_PORTRAIT_NODES = 0x1730C;
constexpr uint32_t W_PORTRAIT_AIM_FORCE = 0x17308;  // the last aim's net force (the limb's drive)
// The anchors the landing scenes place their lists at (x, y, z, model base). The
// runtime's placement routines take board addresses, so they live in the portrait's
// spring words, which the portrait clears on its first frame: the first long of anchor A
// is the portrait's spring velocity.
constexpr uint32_t W_ANCHOR_A = 0x17318;
constexpr uint32_t W_ANCHOR_B = 0x17328;
// The portrait's springs and pending words (longs).
constexpr uint32_t W_SPRINGS[4] = {0x17324, 0x17330, 0x1733C, 0x166F4};  // three longs each
constexpr uint32_t W_HOP_V = 0x1731C, W_HOP_HEIGHT = 0x17320;
constexpr uint32_t W_LIMB_V = 0x17348;    // three joint velocities
constexpr uint32_t W_LIMB_ACC = 0x17354;  // three joint accelerations
// The rig's scale word the landing eases.
constexpr uint32_t W_RIG_SCALE = 0xB0B4;
// Phase 4: the ring's anchor (x, y, z, then the packet lists' model base).
constexpr uint32_t W_RING_ANCHOR = 0x1FCC0;
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
