// Work-RAM words and ROM tables of the attract sequence (top states 0 and 1) and its
// scenes. Words named elsewhere: the phase W_ATTRACT_PHASE (board/game_state_ram.h), the
// scene index W_ATTRACT_SEQ_INDEX and frame_counter W_FRAME_COUNTER (game/services/gameplay_ram.h),
// the scene flag W_ATTRACT_SCENE_FLAG (board/dspram.h), the credit line's palette
// W_CREDIT_ROW (game/services/coin_ram.h), the fade direction W_SCENE_FADE_DIR
// (game/services/gameplay_ram.h), the sprite scene's fade step and hold W_FADE_STEP and
// W_FADE_HOLD (game/modes/ending_ram.h).
#pragma once
#include <cstdint>

#include "game/services/rom_table.h"
#include "board/ranking_page.h"

constexpr uint32_t W_ATTRACT_TITLE_FRAMES = 0x0CD4;
constexpr uint32_t W_FLYBY_FRAMES = 0x0CD8;
constexpr uint32_t W_SCORE_REPORT_MARK = 0x168C8;  // frame_counter of the next score report

// The fly-by's circling player.
constexpr uint32_t W_FLYBY_Z_OFFSET = 0x15E94;  // 7680
constexpr uint32_t W_FLYBY_ANGLE = 0x15E98;     // path angle
constexpr uint32_t W_FLYBY_CRANK = 0x15E9C;     // 0..63
constexpr uint32_t W_FLYBY_X_OFF = 0x15EA0;
constexpr uint32_t W_FLYBY_Z_OFF = 0x15EA4;
constexpr uint32_t W_FLYBY_HEADING = 0x15EA8;

// The fly-over: frames, frames after full white, start delay.
constexpr uint32_t W_FLYOVER_FRAMES = 0x15EAC;
constexpr uint32_t W_FLYOVER_WHITE = 0x15EB0;
constexpr uint32_t W_FLYOVER_DELAY = 0x15EB4;

// The demo flight and the model scenes.
constexpr uint32_t W_DEMO_SCENE_FRAMES = 0x15EB8;
constexpr uint32_t W_DEMO_TEXT_TIMER = 0x15EBC;  // closing-text countdown
constexpr uint32_t W_DEMO_TEXT_KIND = 0x15EC0;   // which of the two closing texts
constexpr uint32_t W_DEMO_TEXT_INDEX = 0x15EC4;  // caption shown, -1 before the first
constexpr uint32_t W_DEMO_TEXT_NEXT = 0x15EC8;   // start frame of the caption after it
constexpr uint32_t W_MODEL_SCENE_FRAMES = 0x15ECC;

// The replay, the course demo (and the ranking page's timer, the same long).
constexpr uint32_t W_REPLAY_RADIUS = 0x173B0;  // pitch 0x173B4, angle 0x173B8, height 0x173BC

// The sprite scene: offsets x and y (words), frames 0..270.
constexpr uint32_t W_SPRITE_SCENE_X = 0x17370;
constexpr uint32_t W_SPRITE_SCENE_Y = 0x17372;
constexpr uint32_t W_SPRITE_SCENE_FRAMES = 0x17374;
constexpr int16_t SPRITE_SCENE_X = -32, SPRITE_SCENE_Y = -24;  // the offsets at rest

// The scene list: a phase number per scene of the cycle; entry 15 is the word after it.
constexpr int32_t ATTRACT_SCENES = 15;
constexpr rom_table ATTRACT_SCENE_LIST = {0x3510C, 2, ATTRACT_SCENES + 1};

// The demo flight: segment starts (the fourth the end), a demo number per segment, the
// closing texts (frame bytes and length bytes, kinds 0 and 1), the captions.
constexpr rom_table DEMO_SEGMENT_STARTS = {0x35394, 4, 4};
constexpr rom_table DEMO_SEGMENT_DEMOS = {0x353A8, 4, 3};
constexpr rom_table DEMO_CLOSING_FRAMES = {0x35354, 2, 2};
constexpr rom_table DEMO_CLOSING_LENGTHS = {0x35358, 2, 2};
constexpr rom_table DEMO_TEXT_STARTS = {0x353A0, 4, 12};
constexpr rom_table DEMO_TEXT_BLOCKS = {0x353E4, 4, 12};
constexpr uint32_t DEMO_CLOSING_TEXT = 0x3A214;  // string printed when a closing text ends

// The model scenes: a has five segments (the long after them is its first caption's
// start and the scene's end), b ten with a demo number and a type each.
constexpr rom_table MODEL_A_SEGMENTS = {0x353B8, 4, 5};
constexpr rom_table MODEL_A_TEXT_STARTS = {0x353CC, 4, 5};
constexpr rom_table MODEL_A_TEXT_BLOCKS = {0x353E0, 4, 5};
constexpr rom_table MODEL_B_SEGMENTS = {0x353F4, 4, 10};
constexpr rom_table MODEL_B_TEXT_STARTS = {0x3541C, 4, 5};
constexpr rom_table MODEL_B_DEMOS = {0x35430, 4, 10};
constexpr rom_table MODEL_B_TYPES = {0x35458, 4, 10};
constexpr rom_table MODEL_B_TEXT_BLOCKS = {0x35480, 4, 5};

// The course demo: four thresholds and the end; a 28-byte camera record per course
// (x, y, z, pitch, heading, roll, grid cell).
constexpr rom_table COURSE_DEMO_THRESHOLDS = {0x39858, 4, 5};
constexpr rom_table COURSE_DEMO_CAMERAS = {0x3986C, 28, 4};
// The reveal masks of the ranking digits: 24 bytes, 0 hides a pixel row, 0xFF shows it.
constexpr int32_t REVEAL_MASKS = 24;
constexpr rom_table REVEAL_MASK_TABLE = {0x398DC, 1, REVEAL_MASKS};

// The replay's camera orbit: for radius, pitch, angle and height four longs each (the
// values at frames 0, 240, 480 and 720), then a byte per segment: 0 hold, 1 ease along a
// quarter sine, 2 linear.
constexpr int32_t REPLAY_SEGMENT_FRAMES = 240;
constexpr rom_table REPLAY_VALUES = {0x39D38, 16, 4};
constexpr rom_table REPLAY_MOVES = {0x39D78, 1, 3};
// The replay's marker: a model offset byte every 4 bytes, 16 of them.
constexpr rom_table REPLAY_MARKER_MODELS = {0x39DE8, 4, 16};
