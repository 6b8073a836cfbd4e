// The work-RAM words of the screens after a race: the results tally, the continue,
// game-over, total and demo-flight screens. Longs live in their slots (w_cell); words
// named as a half are read and written as halves of their longs (w_word: the
// upper half at x, the lower at x + 2).
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"   // the race words, results_points (W_TIME_SCORE)
#include "game/modes/service_ram.h"  // the continue price (W 0x3FF6) and time (W 0x3FF8)
#include "game/services/flight_ram.h"   // W_GAME_MODE
#include "game/services/gameplay_ram.h"  // ending_total, the stage words, results_step and timer
#include "game/services/run_ram.h"       // the grade counter's word, the trail
#include "game/services/sound_ram.h"     // the screens' sound counter (W 0x15F5C)
#include "board/text_print.h"

// ---- The results tally ---------------------------------------------------------------
constexpr uint32_t W_RESULTS_STEP_WORD = W_RESULTS_STEP + 2;  // lower half: the tally's step
// The tally's steps (the wait, 2, hands over to the next step and its timer).
enum : int32_t {
    STEP_FADE_IN = 0, STEP_POINTS = 1, STEP_WAIT = 2, STEP_TIME_BONUS = 3, STEP_BEST = 5, STEP_STAGE_BONUS = 6,
    STEP_DECISION = 7, STEP_FADE_OUT = 8, STEP_GRADE_CALL = 9, STEP_PATH = 10,
};
constexpr uint32_t W_RESULTS_WORD_70 = 0x16970;      // cleared at the set-up
constexpr uint32_t W_RESULTS_FRAMES = 0x1696C;       // frames since the tally began
constexpr uint32_t W_RESULTS_NEXT_STEP = 0x16984;    // what the wait step hands over to
constexpr uint32_t W_RESULTS_NEXT_TIMER = 0x16988;
constexpr uint32_t W_BAD_STEP = 0x16980;             // -768 on a step outside the tally's
constexpr uint32_t W_RESULTS_BEST_SHOWN = 0x16994;   // frames the best-record model was shown
constexpr uint32_t W_RESULTS_PANEL_A = 0x16998;      // swing of the score panel, 0..256
constexpr uint32_t W_RESULTS_PANEL_B = 0x1699C;      // swing of the time panel, 0..256
constexpr uint32_t W_RESULTS_PANEL_SWING = 0x169A0;  // swing of the third panel, 0..limit
constexpr uint32_t W_RESULTS_BEST_FLAG = 0x169A4;    // upper half: swing angle; lower: the
                                                     // course_best_compare result
constexpr uint32_t W_RESULTS_BEST_ANIM = 0x169A8;    // upper half: growth; lower: sound played
constexpr uint32_t W_CONTINUE_TIMER = 0x169B4;       // 1199 at the tally's set-up
constexpr uint32_t W_NEEDLE = 0x169B8;               // upper half: the gauge needle; on the
                                                     // continue screen the choice (1 continue)
constexpr uint32_t W_NEEDLE_SPEED = 0x169BC;         // upper half: speed, lower: settled flag
constexpr uint32_t W_NEEDLE_HOLD = 0x169C0;          // frames of hold, -1 rising
constexpr uint32_t W_GRADE_SLIDE = 0x169C8;          // depth of the grade models, 848 in place
constexpr uint32_t W_TIME_BONUS = 0x169CC;           // (time left / 6) x 5
constexpr uint32_t W_PATH_DRAWN = 0x169D8;           // lower half: path points drawn
constexpr uint32_t W_PATH_DONE = 0x169DC;            // upper half: 1 once the path is drawn
constexpr uint32_t W_FINAL_TEXT_FLAG = W_PATH_DONE + 2;  // lower half: the final text shown
constexpr uint32_t W_FINAL_TEXT_FRAMES = 0x169E0;    // upper half; the lower half keeps the
                                                     // text register 0x8A0000 of the set-up
constexpr uint32_t W_TEXT_REGISTER_SAVE = 0x169E4;   // upper half: text register 0x8A0002

// ---- Continue, total and demo-flight screens -----------------------------------------
constexpr uint32_t W_CONTINUE_REVEAL = 0x173C0;      // upper half: reveal count; lower: frames
constexpr uint32_t W_CONTINUE_ENABLED = 0x173C4;     // lower half: payable; upper: last choice
