// Work-RAM words of the top state machine and the gameplay dispatch: the race's own
// longs that gameplay initialisation and the course start set, the screens' words the
// inline sub-states clear. W[x] is slot x; each is a
// long in its own slot unless named a word.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // the armed flag and course pair
#include "game/services/coin_ram.h"     // the coin counter, price and free play
#include "game/services/run_ram.h"      // the timers' start frames, the demo recording and trail

// ---- Boot and attract --------------------------------------------------------------
constexpr uint32_t W_ATTRACT_SEQ_INDEX = 0x0CC8;
constexpr uint32_t W_FRAME_COUNTER = 0x4010;
constexpr uint32_t W_SCENE_FADE_STEP = 0x15ED0;  // fade step per frame: attract scenes, the total screen
constexpr uint32_t W_VBLANK_FLAG = 0x0C9C;       // set by the frame interrupt
// The I/O value word the service mode shows and an animated object tests: read from the
// byte image, where the board leaves it.
constexpr uint32_t W_IO_VALUE = 0x2C0A;

// ---- Game initialisation (globals and the task system) ----------------------------
// Set by game initialisation; no routine of this program reads them.
constexpr uint32_t W_INIT_LONG = 0x2E3C;    // 1
constexpr uint32_t W_INIT_BYTE_A = 0x2C2F;  // 1, in the 32 bytes from W_SCENE_WORD it clears
constexpr uint32_t W_INIT_BYTE_B = 0x2C33;  // 4
// The task system: two pointers that start at the task area, the stack long, three
// tables of four longs (64 bytes apart, each long starting at 1) and six 16-byte blocks
// (32 bytes apart) it clears; the last block begins the 32 bytes the globals clear.
constexpr uint32_t W_TASK_POINTER_A = 0x2E40;
constexpr uint32_t W_TASK_POINTER_B = 0x2E44;
constexpr uint32_t W_TASK_STACK = 0x2E48;  // 0x3C000
constexpr uint32_t W_TASK_AREA = 0x2E4C;
constexpr uint32_t W_TASK_TABLES = 0x3E80;
constexpr uint32_t W_TASK_BLOCKS = 0x3E70;
constexpr uint32_t W_TASK_BLOCK_LAST = 0x3F10;

// ---- Gameplay initialisation ------------------------------------------------------
// Course-start values of words the world reads (0, 60, 100 and 153).
constexpr uint32_t W_COURSE_WORD_E24 = 0x0E24;
constexpr uint32_t W_COURSE_WORD_E28 = 0x0E28;
constexpr uint32_t W_COURSE_WORD_D90 = 0x0D90;
constexpr uint32_t W_COURSE_WORD_1F8C = 0x1F8C;
constexpr uint32_t W_LAMP_FLIGHT_WORD = 0x0D88;  // the flight word the start lamp reads

// ---- Sub-states 10, 20, 22, 24 and the states 8 and 9 -------------------------------
constexpr uint32_t W_RESULTS_STEP = 0x16978;     // results_step in its lower half
constexpr uint32_t W_GAME_OVER_FRAMES = 0x16974;  // frames of the game-over screen
constexpr uint32_t W_GAME_OVER_WORD = 0x0E58;
constexpr uint32_t W_RESULTS_POINTS_SHOWN = 0x169B0;  // 8 x the rolling digits' value
constexpr uint32_t W_RESULTS_TIMER = 0x1697C;     // 63 on game over
constexpr uint32_t W_INTRO_STEP = 0x17378;
constexpr uint32_t W_SCORE_DIGITS = 0x169D0;  // five 16-bit digit cells, the units first; 10 = blank
constexpr uint32_t W_INTRO_TIMER = 0x17380;
constexpr uint32_t W_PRE_COURSE_STEP = 0x1738C;
constexpr uint32_t W_SCENE_FADE_DIR = 0x1703C;       // 0 fading in, 1 out
constexpr uint32_t W_DEMO_SCREEN_FRAMES = 0x17038;
constexpr uint32_t W_STATE8_TIMER = 0x16964;      // 600 on entering state 8

// ---- Mode and course words (a level jump rewrites them too) ------------------------
constexpr uint32_t W_COURSES_LEFT = 0x0E2C;  // word: one bit per course still to fly
constexpr uint32_t W_ENDING_TOTAL = 0x0E54;  // ending_total
constexpr uint32_t W_STAGE_WORD = 0x0E14;    // word: stages flown on continues; the score's top byte
// Word: the low word of the long W 0x0E68. The game also reads it as the turn of the second
// model beside the player, in 1/16 turns (game/world/node_lists), and a zero there lets
// the balloons take their picked layout.
constexpr uint32_t W_COURSE_LEFT = 0x0E6A;
