// Work-RAM words of the race HUD (the course arrow, the hint messages and the course map
// the player may call up) and of the contact particles.
#pragma once
#include <cstdint>

#include "board/text_print.h"

constexpr uint32_t W_ARROW = 0x15ED8;          // upper word the eased direction, lower 1 while guided
constexpr uint32_t W_ARROW_DROP = 0x15EDC;     // 0 (in view) .. 2688 (dropped out)
// W_HINT_MESSAGE (board/text_print.h): the message showing, -1 none.
constexpr uint32_t W_HINT_TIMER = 0x15EE8;
constexpr uint32_t W_HINT_SHOWINGS = 0x15EEC;  // eight longs: showings left of messages 0..7
constexpr uint32_t HINT_MESSAGES = 8;
// Hint conditions (longs at word spacing, as the game keeps them).
constexpr uint32_t W_HINT_UNUSED = 0x15F0C;    // never raised
constexpr uint32_t W_HINT_TIME_LOW = 0x15F0E;  // race time below 900 frames
constexpr uint32_t W_HINT_TIME_SHOWN = 0x15F10;  // message 2 chosen once
constexpr uint32_t W_HINT_CELL_17 = 0x15F12;   // course 1, cell 17
constexpr uint32_t W_HINT_BACKWARD = 0x15F14;  // the guided arrow points backward
constexpr uint32_t W_HINT_TOWER = 0x15F16;     // course 1: near the tower and flying away
constexpr uint32_t W_MAP_TIMER = 0x15F18;      // frames the map still shows, -1 not shown
constexpr uint32_t W_MAP_SHOWINGS = 0x15F1C;   // 255 at start
constexpr uint32_t W_MAP_MODE = 0x15F20;       // 1 in game mode 1
constexpr uint32_t W_MAP_PROMPT = 0x15F24;     // prompt frames left, -1 ended or never
constexpr uint32_t W_SIDE_HINT = 0x15F28;      // side hint shown: -1 left, 1 right, 0 none
constexpr uint32_t W_COURSE_BLOCK = 0x0E66;    // word: the day's block number (low half of W 0x0E64)

// ---- Contact particles -------------------------------------------------------------
// Emitter i, slot c at W 0x16A40 + 160 i + 20 c: x, y, z, type, age (-1 dead, 0..3).
constexpr uint32_t W_PARTICLE_POOL = 0x16A40;
constexpr uint32_t PARTICLE_POOL_LONGS = 200;
constexpr uint32_t PARTICLE_EMITTER_BYTES = 160, PARTICLE_BYTES = 20;
constexpr uint32_t PARTICLE_X = 0, PARTICLE_TYPE = 12, PARTICLE_AGE = 16;
// One long per emitter: particles left to spawn in the upper word (-1 idle), the
// particle type in the lower.
constexpr uint32_t W_PARTICLE_EMITTERS = 0x16D60;
constexpr uint32_t PARTICLE_EMITTER_COUNT = 5;
constexpr uint32_t W_PARTICLE_PHASE = 0x16D74;  // frame phase 0..15
constexpr uint32_t W_PARTICLE_SPEED = 0x16D78;  // smoothed speed
