// Work-RAM words of the screens between a game start and the race: the intro, the mode
// select, the day card and the course select. Offsets from 0xE00000 (W[x]). A "word" is
// the 16-bit half named by its own offset (read with w_read16 at WRAM_BASE + x: the word
// at a multiple of 4 is the upper half of that slot, the word at x + 2 the lower half);
// everything else is a long in its own slot.
//
// Words of these screens named elsewhere first, under their older names:
//   intro_frames W 0x17378 and intro_done W 0x17380 are gameplay_ram.h's W_INTRO_STEP
//   and W_INTRO_TIMER, day_card_state W 0x1738C its W_PRE_COURSE_STEP;
//   select_cue_frame W 0x15F5C (word) is sound_ram.h's W_POINT_COOLDOWN, the title's
//   frame count outside a game;
//   the stage-continue count W 0x0E6A (word) is gameplay_ram.h's W_COURSE_LEFT, the
//   debug stage value W 0x15F60 (word) balloon_ram.h's W_BALLOON_LAYOUT.
#pragma once
#include <cstdint>

// ---- Shared by the mode select and the course select ---------------------------------
constexpr uint32_t W_SELECT_HOLD = 0x0C54;       // word: select_confirm, 1 once confirmed
constexpr uint32_t W_SELECT_SWING_AMP = 0x0C56;  // word + 2 n: swing amplitude of choice n
constexpr uint32_t W_SELECT_SWING_PHASE = 0x0C5C;  // long + 4 n: swing phase of choice n
constexpr uint32_t W_SELECT_ANIM = 0x0C68;       // frames since confirmation (course select)
constexpr uint32_t W_SELECT_SCROLL = 0x0C6C;     // x scroll of the chosen course
constexpr uint32_t W_SELECT_POINTER_X = 0x0C70;
constexpr uint32_t W_SELECT_POINTER_Y = 0x0C74;
constexpr uint32_t W_SELECT_FRAMES = 0x0C78;
// The courses offered, one course number per byte from the most significant.
constexpr uint32_t W_SELECT_COURSES = 0x0C7C;
constexpr uint32_t W_SELECT_MAX = 0x0C80;        // word: entries offered (mode select: 1)
constexpr uint32_t W_SELECT_CURSOR = 0x0C82;     // the game's own slot
constexpr uint32_t W_SELECT_TIMER = 0x0C84;      // countdown, 599 at entry
constexpr uint32_t W_SELECT_ZOOM = 0x0C88;       // 0..256: the countdown moves away

// Only three swings fit before W_SELECT_ANIM: a fourth amplitude would be the first
// phase's upper half and a fourth phase W_SELECT_ANIM itself.
constexpr int SELECT_SWINGS = 3;

// ---- Intro -----------------------------------------------------------------------------
constexpr uint32_t W_INTRO_TEXT_FRAMES = 0x1737C;  // intro_frames - 3
constexpr uint32_t W_INTRO_STEP_NUMBER = 0x17384;  // intro_step: -1 before the first step
constexpr uint32_t W_INTRO_STEP_FRAMES = 0x17388;  // frames since the step began
