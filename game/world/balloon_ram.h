// Work-RAM words of the balloons and the moving objects that carry some of them. A
// "word" is a 16-bit half of a slot, read and written with w_read16 / w_write16 at
// WRAM_BASE + x (the word at a multiple of 4 is bits 16-31 of its slot, the word at
// x + 2 bits 0-15 of slot x); everything else is a long in its own slot. Balloon
// numbers in the ROM lists are absolute; number - W_BALLOON_FIRST is the local index
// 0..63 of the per-balloon arrays.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // W_COURSE_PAIR: the stage

// ---- Course words the balloon set-up reads -------------------------------------------
constexpr uint32_t W_BALLOONS_LEFT = 0x0E68;  // word: point balloons of the layout not yet hit

// ---- The layout -------------------------------------------------------------------------
constexpr uint32_t W_BALLOON_LAYOUT = 0x15F60;  // word: the course's layout, negative = not chosen
constexpr uint32_t W_BALLOON_TARGET = 0x15FE2;  // the layout's target score (the game's own slot)
constexpr uint32_t W_BALLOON_FIRST = 0x15FE4;   // word: number of the layout's first balloon
constexpr uint32_t W_MOVING_BALLOONS = 0x15FEC;   // balloons riding the moving objects
constexpr uint32_t W_BALLOON_COUNT = 0x15FF0;     // balloons of the draw lists
// ROM addresses of the layout's lists and records.
constexpr uint32_t W_BALLOON_HIT_LISTS = 0x15FF4;   // 128 (start, count) into the number list
constexpr uint32_t W_BALLOON_NUMBERS = 0x15FF8;     // 16-bit balloon numbers
constexpr uint32_t W_MOVING_LIST = 0x15FFC;         // words: first moving record, count
constexpr uint32_t W_MOVING_RECORDS = 0x16000;      // 60-byte records
constexpr uint32_t W_BALLOON_DRAW_LISTS = 0x16004;  // 128 (first number, count)
constexpr uint32_t W_BALLOON_TABLE = 0x16008;       // 32-byte records by number
constexpr uint32_t W_TARGET_WORD_AT = 0x1600C;
constexpr uint32_t W_FIRST_WORD_AT = 0x16010;

// ---- Per balloon (local index i) -----------------------------------------------------------
constexpr int BALLOONS_PER_LAYOUT = 64;
constexpr uint32_t BALLOON_RECORD_SIZE = 32;
constexpr uint32_t W_BALLOON_PHASES = 0x470C;  // word + 2 i: bob phase
constexpr uint32_t W_BALLOON_STATES = 0x478C;  // word + 2 i: see below
constexpr uint32_t W_BALLOON_REACH = 0x480C;   // long + 4 i: last scaled squared distance
// A state is 0 standing, 1..15 the popping frame, negative gone; a balloon beyond the
// layout's count starts at BALLOON_ABSENT. A reach is -1 once hit, 0 while the test is off.
constexpr int32_t BALLOON_ABSENT = 0x8000;
constexpr int32_t REACH_NONE = 0x7FFFFFFF;
constexpr int32_t REACH_HIT = -1;

// ---- Cleared at course start --------------------------------------------------------------
constexpr uint32_t W_BALLOON_SCRATCH = 0x2C38;  // 128 longs := 0 by the set-up
constexpr uint32_t BALLOON_SCRATCH_LONGS = 128;

// ---- moving_object: 8 records of 0x3C bytes ------------------------------------------------
// The set-up copies a moving balloon's first eight ROM longs over +0x00 .. +0x1C.
constexpr uint32_t W_MOVING_OBJECTS = 0x4910;
constexpr uint32_t MOVING_OBJECT_BYTES = 0x3C;
constexpr int32_t MOVING_OBJECTS = 8;
constexpr uint32_t MO_CENTRE = 0x00;     // x, y, z
constexpr uint32_t MO_RADIUS = 0x0C;
constexpr uint32_t MO_TURN_RATE = 0x10;  // 16-bit angle units per frame
constexpr uint32_t MO_KIND = 0x14;       // model column of the moving-balloon models
constexpr uint32_t MO_VALUE = 0x18;      // as a balloon record's value
constexpr uint32_t MO_POSITION = 0x1C;   // current x, y, z
constexpr uint32_t MO_CELL = 0x28;
constexpr uint32_t MO_STATUS = 0x2C;     // the hit counter: 0 standing, 1..15 popping, negative gone
constexpr uint32_t MO_HEADING = 0x30;    // low 16 bits the angle; grows without bound
constexpr uint32_t MO_REACH = 0x34;
constexpr int32_t MOVING_INACTIVE = int32_t(0x80000000u);

constexpr uint32_t moving_object(int32_t i) {
    return W_MOVING_OBJECTS + MOVING_OBJECT_BYTES * uint32_t(i);
}
