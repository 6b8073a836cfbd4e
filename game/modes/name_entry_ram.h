// The name entry's work-RAM words: name_entry_record (W 0x1726C .. 0x17293) and the
// score-digit words it fills. Longs live in their slots; words are read and written as
// halves of their longs (w_word); the three initials are byte cells of their own
// (0x17278 .. 0x1727A, kept by the slot image across imports).
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"       // course number, time score, armed flag
#include "game/services/flight_ram.h"   // W_GAME_MODE
#include "game/services/gameplay_ram.h"  // W_SCORE_DIGITS, ending_total

// ---- name_entry_record -----------------------------------------------------------------
constexpr uint32_t W_NAME_SCROLL_X = 0x1726C;    // long, eased toward the cursor column
constexpr uint32_t W_NAME_SCROLL_Y = 0x17270;    // long, eased toward the cursor row
constexpr uint32_t W_NAME_SCORE = 0x17274;       // long: stage mark << 24 | points; the
                                                 // ranking record (initials at +4 .. +6)
constexpr uint32_t W_NAME_INITIALS = 0x17278;    // three byte cells: grid cell numbers
constexpr uint32_t W_NAME_SLOT = 0x1727C;        // word: next initial 0..2, 3 = done
constexpr uint32_t W_NAME_COLUMN = 0x1727E;      // word: cursor column 0..12
constexpr uint32_t W_NAME_ROW = 0x17280;         // word: cursor row 0..3
constexpr uint32_t W_NAME_CELL = 0x17282;        // word: row x 13 + column
constexpr uint32_t W_NAME_TIMER = 0x17284;       // word, signed: frames left
constexpr uint32_t W_NAME_PLACE = 0x17286;       // word: the ranking place found at set-up
constexpr uint32_t W_NAME_LETTER_ANIM = 0x17288;  // three words: 0x17288, 0x1728A, 0x1728C
constexpr uint32_t W_NAME_SLIDE = 0x17290;       // long: the timer display's slide-out

// ---- Words of the game the entry reads --------------------------------------------------
// The word W 0x0E12 (multi-stage stage marks on) is board/rankings.h's WA_OVERALL_BEST_ON.
