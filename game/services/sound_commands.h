// The sound command layer: the game never plays audio itself. It writes command and
// parameter words into the sound RAM (commsram) and the sound board's driver takes them
// after the frame step. A sound id 0..88 names a record of the ROM sound table (the slot,
// the command, the parameter slots and the hold value).
//
// Slot protocol: the command word of slot s (0..0x3FFF) at byte 2s, its parameter word
// (slots -128..16255) at byte 0x100 + 2s, both big-endian. A play writes the command
// with bit 14 set; bit 15 is the driver's "running" bit, which a stop clears; bit 13
// marks a held command. Nothing is ever written outside the sound RAM: a slot outside
// its range is not written.
//
// Every operation first prints its call-trace line under SKYVOLTA_SNDTRIG (name, id and
// parameter, -1 for none); plays and stops that write a command print the "[SOUND]" line
// under SKYVOLTA_SNDLOG. An id outside 0..88 is refused after the trace line.
//
// Gates: G passes in game states 2..5 or with the attract sound setting (W 0x3FFC, its
// word or its long) non-zero; R refuses, in state 3 sub-state 3, while the race timer is
// below 56 or the end flag is set.
#pragma once
#include <cstdint>

// ---- The sound RAM ---------------------------------------------------------------
// The big-endian word at a commsram byte offset (0 outside), and its store (nothing
// outside).
uint32_t sound_ram_word(uint32_t offset);
void sound_ram_word_set(uint32_t offset, uint32_t value);
// The command word of slot 0..0x3FFF and the parameter word of slot -128..16255; false
// (nothing read or written) outside.
bool slot_command(int32_t slot, uint32_t* word);
bool slot_command_set(int32_t slot, uint32_t word);
bool slot_param(int32_t slot, uint32_t* word);
bool slot_param_set(int32_t slot, uint32_t word);

// ---- Plays ---------------------------------------------------------------------------
// G (word) and R, except the coin sound (id 21): that one plays ungated and unlogged,
// writing only its command, or id 38 with parameter 0x77 through sound_play_p when the
// play-once flag is set. Writes the second parameter, the command, raises the hold level
// to the record's hold value.
void sound_play(int32_t id);
// G (long); while the hold timer runs, only remembers id as the deferred id. Otherwise
// the second parameter and the command (no race gate, no hold level).
void sound_play_or_defer(int32_t id);
// sound_play without gates (and without the coin sound's special case).
void sound_play_ungated(int32_t id);
// Id in bits 16-31, parameter in bits 0-15: the parameter into the record's parameter
// slot, the second parameter, the command; G (long) and R, or no gate.
void sound_play_p(int32_t id_param);
void sound_play_p_ungated(int32_t id_param);
// sound_play_p under G (long) with `value` in place of the record's second parameter.
void sound_play_p2(int32_t id_param, int32_t value);
// G (word) and R: `value` as the second parameter, the command, the hold level; no log.
void sound_play_p2val(int32_t id, int32_t value);
// `value` into the record's second parameter slot (-128..16255), nothing else.
void sound_param2_set(int32_t id, int32_t value);
// Decrements the hold level and plays through sound_play when it was 0, 1 or negative
// (but not -32768).
void sound_play_throttled(int32_t id);
// Id 26 with the parameter, then a cooldown of 45 calls; only while the cooldown has run
// out, no end flag is set, the sub-state is not 19 and (the attract sound long is set or
// the game is not in state 1).
void sound_play_cooldown(int32_t parameter);
// sound_play_cooldown(82) unless bit 1 of W 0x0D50 is set.
void balloon_sound_cooldown();
// Entry i of the indexed list: entries 0-3 through sound_play, later ones as the
// parameter of id 30; a negative entry plays nothing.
void sound_play_indexed(int32_t i);
// Unless the play-once flag is set: sound_stop_upper, id 38 with parameter 0x76, flag set.
void sound_play_once();
void sound_once_flag_clear();
// A positional sound at (dx, dz) from the camera: id 39 through sound_play_p2val when
// its direction lies within 3071 of the camera heading and it is near enough.
void scenery_sound_play(int32_t dx, int32_t dz);

// ---- Stops ---------------------------------------------------------------------------
// Clears bit 15 of the record's command word.
void sound_stop(int32_t id);
void sound_stop_unless_held(int32_t id);
// Sets bit 13 of the record's command word and starts the hold timer at 285 frames.
void sound_hold_and_defer(int32_t id);
// Clears bit 15 of the command words of slots first..last that lie within 0..31.
void running_bits_clear(int32_t first, int32_t last);
// Parameter 0x00FF for every slot of the reset list.
void sound_params_reset();
// sound_params_reset, then bit 15 cleared in slots 0-31.
void sound_stop_all();
void sound_reset_all();
// sound_params_reset, then bit 15 cleared above the coin sound's slot (up to 31).
void sound_stop_upper();

// ---- Parameters --------------------------------------------------------------------
// Slot in bits 16-31, signed level in bits 0-15: the slot's parameter = the level plus
// the signed word W 0x0E20, clamped to 0..255; arguments outside -0x800000..0x3F7FFFFF
// do nothing.
void sound_param_level_set(int32_t slot_level);
// When the preset record's command word runs with bit 15, it becomes the command itself.
void sound_preset_from_rom();
// Raises the contact level (W 0x15F3E) to 60 at speeds up to 2048, else to the
// parameter; returns 1, or 0 for ids 2..9.
int32_t contact_pick(int32_t id, int32_t parameter, int32_t speed);
// The four volume cells W 0x3FE0-0x3FE6 (low 16 bits) into the auxiliary words at 0xF83D58.
void sound_volumes_put();

// ---- Per frame ------------------------------------------------------------------------
// While the hold timer runs it counts down; when it runs out, the deferred id (when
// one is stored) plays through sound_play_or_defer.
void sound_defer_tick();
