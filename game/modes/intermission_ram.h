// The intermission's work-RAM words and ROM tables. The frame and the animation set
// share the long at W 0x17390 (set in the upper word, frame in the lower); the other
// words are upper halves of their longs (w_word).
#pragma once
#include <cstdint>

#include "board/display_list.h"  // dl_last_bank, dl_last_header, the rig root W 0xEB08
#include "game/services/object_ram.h"  // the display-object list, its view word and length
#include "game/services/rig_ram.h"    // W_VIEW_NUMBER (W 0x169F2), the scene's camera word

constexpr uint32_t W_INTER_SET = 0x17390;          // word: current animation set
constexpr uint32_t W_INTER_FRAME = 0x17392;        // word: frame from 0
constexpr uint32_t W_INTER_TEXT_BANK = 0x17398;    // word: 0 or 1, the subtitles' tile bank
constexpr uint32_t W_INTER_SOUND_CURSOR = 0x1739C;  // program-ROM address of the next entry
constexpr uint32_t W_INTER_DONE = 0x173A0;         // word: non-zero ends the scene
constexpr uint32_t W_INTER_TEXT_CURSOR = 0x173A4;  // program-ROM address of the next entry
                                                   // (W 0x17394 its working copy, unused here)
constexpr uint32_t W_INTER_RAW_SOUND = 0x173A8;    // ROM address of the raw record, 0 none

// Per day (the day word, lower half of W 0x0E64): first set, last set, script, end frame.
constexpr uint32_t ROM_INTER_DAYS = 0x399A4;
// Raw sound records: slot, command word, parameter slot, parameter word.
constexpr uint32_t ROM_INTER_RAW_SOUNDS = 0x399FC;
// A long per script: its text script (frame, block, column entries).
constexpr uint32_t ROM_INTER_TEXT_SCRIPTS = 0x39AD0;
// Day 1's scenery tiles: words of column + 8 x row, ended by a word with bit 15.
constexpr uint32_t ROM_INTER_TILES = 0x39C04;
// A long per script: its sound script (frame, a, b entries).
constexpr uint32_t ROM_INTER_SOUND_SCRIPTS = 0x39C08;
// Sixteen longs: the day-1 flag's model steps.
constexpr uint32_t ROM_INTER_FLAG_MODELS = 0x39C30;
// A long per animation set: a list of up to 32 node-list addresses ended by 0.
constexpr uint32_t ROM_INTER_SETS = 0x1532F8;
