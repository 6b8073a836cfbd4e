// Work-RAM words of the stage start (its object viewer and the pre-race countdown) and
// of the final stage's fly-in. Every name is a long in its own slot (w_cell) unless its
// comment says "word" (a 16-bit half through w_read16 / w_write16 at WRAM_BASE + x) or
// names the halves the game keeps in it.
#pragma once
#include <cstdint>

// ---- The second model beside the player (node_lists) ------------------------------
constexpr uint32_t W_SECOND_MODEL_NODES = 0xB784;
constexpr uint32_t W_SELECT_PITCH = 0x172A0;
// Its turn in 1/16 turns (at most 3) is the word W_COURSE_LEFT (game/services/gameplay_ram.h).

// ---- Object viewer (stage start sub-state 1) ----------------------------------------
constexpr uint32_t W_VIEWER_MODEL = 0x1672C;
constexpr uint32_t W_VIEWER_X = 0x16730;       // y 0x16734, z 0x16738
constexpr uint32_t W_VIEWER_ANGLES = 0x1673C;  // three angles 4 bytes apart, steps of 256
constexpr uint32_t W_VIEWER_MODE = 0x16748;    // 0..5, the packet's last word
constexpr uint32_t W_VIEWER_STEP = 0x1674C;    // move step: 1, 10, 100, 1000
constexpr uint32_t W_VIEWER_TURN = 0x16750;    // word: 0 move, 1 turn
constexpr uint32_t W_VIEWER_COLOUR = 0x16752;  // word
constexpr uint32_t W_VIEWER_MARKS = 0x16754;   // 20 words, 0xFFFF empty
constexpr uint32_t W_VIEWER_FRAMES = 0x1677C;  // word
constexpr uint32_t W_VIEWER_MARK_COUNT = 0x1677E;  // word
constexpr uint32_t VIEWER_MARKS = 20;

// ---- Countdown -------------------------------------------------------------------------
constexpr uint32_t W_COUNTDOWN_PATH = 0x16728;    // high half: camera path counter; low: wind pitch
constexpr uint32_t W_FIGURE_HEIGHT = 0x16724;     // height offset of the figure's base
// The camera's turn about the figure; the race HUD's sweep reads the same long as its value.
constexpr uint32_t W_FIGURE_TURN = 0x16720;
constexpr uint32_t W_FIGURE_LIFT_SPEED = 0x166EC;
constexpr uint32_t W_FIGURE_LIFT = 0x17298;       // lift, also read by the wind
// The figure's 20 node records (W_SWEEP_OBJECT holds the block's address) lie in a
// block of the countdown's own; the ending's portrait keeps its figure elsewhere.
constexpr uint32_t W_COUNTDOWN_FIGURE = 0x1D000;
constexpr uint32_t FIGURE_NODES = 20;
// Per node record, the velocities of its damped angle words (pitch, heading, roll).
constexpr uint32_t NODE_ANGLE_VELOCITY = 0x60;

// ---- Fly-in ------------------------------------------------------------------------------
constexpr uint32_t W_FLYIN_COUNTER = 0x16648;    // 0..899
constexpr uint32_t W_FLYIN_MODE = 0x1664C;       // 0, 1 from frame 240, 2 once released
constexpr uint32_t W_FLYIN_FREE_FRAMES = 0x16650;  // high half: frames in mode 2
constexpr uint32_t W_FLYIN_RELEASE_PITCH = 0x16654;
constexpr uint32_t W_FLYIN_PITCH_VELOCITY = 0x16658;
constexpr uint32_t W_FLYIN_RELEASE_FRAME = 0x1665C;  // high half: frame mode 2 began
constexpr uint32_t W_FLYIN_CRANK = 0x16660;      // 16-bit crank accumulator
constexpr uint32_t W_FLYIN_FRAMES_LEFT = 0x16968;
// The fly-in's caption keeps its column in the word W_BAND_HEIGHT (board/game_state_ram.h)
// and its row in the high byte of W_COURSE8_BANK (game/services/animated_objects_ram.h).
// The guide chain of the approach: spring objects 0..7 (object_motion_step, object 0
// the anchor, object 4 the point the player rides; its velocity and force give the
// approach's speed and turn).
constexpr uint32_t FLYIN_CHAIN_POINTS = 8;
constexpr uint32_t FLYIN_RIDDEN_POINT = 4;
