// The sound side of work RAM and of the sound RAM: the words of the sound command layer,
// the course sounds and the music stems, the sound RAM's slot and mailbox layout, and the
// words of other areas that the course sounds read.
//
// Most of the layer's variables are 16-bit halves of a long: a name below is the offset
// of the word itself (the high word of the long at x is named x, its low word x + 2), read
// and written with w_word / w_word_set.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"
#include "board/wram.h"
#include "game/services/flight_ram.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "board/eeprom_settings.h"

// ---- The command layer -------------------------------------------------------------
constexpr uint32_t W_SOUND_ONCE_FLAG = 0x15F44;      // play-once flag
constexpr uint32_t W_SOUND_HOLD_LEVEL = 0x15F46;     // raised by plays, counted down per call
constexpr uint32_t W_SOUND_COOLDOWN = 0x15F48;       // of sound_play_cooldown
constexpr uint32_t W_SOUND_FLAGS = 0x15F4A;          // bit 0 climb sound, bit 1 scrape or turn
constexpr uint32_t W_STEM_RESTART = 0x15F54;         // play sound 59 on the next stem step
constexpr uint32_t W_SOUND_HOLD_TIMER = 0x15F56;     // bit 15 set: no hold
constexpr uint32_t W_SOUND_DEFERRED_ID = 0x15F58;    // -1: none
constexpr uint32_t W_COURSE_FADE_LEVEL = 0x15F5A;    // 0..255
constexpr uint32_t W_CONTACT_BITS = 0x15F3C;         // H: bits 0-4 probes, bit 7 surface
constexpr uint32_t W_CONTACT_LEVEL = 0x15F3E;        // L: 240 when set, counted down
constexpr uint32_t W_LEVEL_ADJUST = 0x0E20;          // signed, added to every level
constexpr uint32_t AUX_SOUND_VOLUMES = 0xF83D58;     // four big-endian words nothing reads

// ---- Course sounds (longs unless a word is named) ----------------------------------
constexpr uint32_t W_SOUND_LAYER_2C = 0x15F2C;       // cleared by the course reset
constexpr uint32_t W_IDLE_FRAME_MARK = 0x15F30;
// The idle flag long; its high word is the race's end step: 0 racing, 2 and 3 after the
// end sounds.
constexpr uint32_t W_IDLE_FLAG = 0x15F34;
constexpr uint32_t W_LAST_RACE_TIMER = 0x15F38;      // word: last seen race timer
constexpr uint32_t W_LAST_SECOND_TIMER = 0x15F3A;    // word: last seen second timer
constexpr uint32_t W_AREA_CELL = 0x15F40;            // word: camera cell at the last call
constexpr uint32_t W_AREA_SOUND_ID = 0x15F42;        // word: current area sound, -1 none
constexpr uint32_t W_CLIMB_COUNTER = 0x15F4C;        // word
constexpr uint32_t W_STALL_TIMER = 0x15F4E;          // word
constexpr uint32_t W_STEM_WAIT = 0x15F50;            // word: frames before the next step
constexpr uint32_t W_STEM_STATE = 0x15F52;           // word: 0..4
constexpr uint32_t W_POINT_COOLDOWN = 0x15F5C;       // word
constexpr uint32_t W_LAST_HEADING = 0x15F5E;         // word: player heading at the last call
// Eight longs; the rider's step also leaves its eight inputs here for a look (rider_ik).
constexpr uint32_t W_SOUND_BYTE_COPIES = 0x3ED0;

// ---- Words of other areas that the course sounds read ------------------------------
// They keep their areas' names: the player's words (the speed and its copy among them)
// in game/services/flight_ram.h, the player cell in game/services/terrain_ram.h, the probe
// records in game/services/probe_ram.h, the attract phase and the race words in
// board/game_state_ram.h with the camera cell.

// ---- Sound RAM (commsram byte offsets, big-endian words) ---------------------------
constexpr uint32_t SOUND_COMMAND_SLOTS = 0x4000;     // command word of slot s at 2s
constexpr uint32_t SOUND_PARAMS = 0x100;             // parameter word of slot s at 0x100 + 2s
constexpr int32_t SOUND_PARAM_SLOT_MIN = -128;
constexpr int32_t SOUND_PARAM_SLOT_MAX = 16255;
constexpr uint32_t SOUND_STOPPABLE_SLOTS = 32;       // the slots the stop-alls clear
constexpr uint32_t MAILBOX_STEM_1 = 0x220;
constexpr uint32_t MAILBOX_STEM_2 = 0x222;
constexpr uint32_t MAILBOX_STEM_3 = 0x224;
constexpr uint32_t MAILBOX_STEM_4 = 0x226;
constexpr uint32_t MAILBOX_STEM_ACK = 0x22E;         // the driver's 1: the last stem played out

