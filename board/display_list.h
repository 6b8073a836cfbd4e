// Display-list packets: the writers that put each frame's 3D scene into the current
// buffer of dspram at dl_cursor (W[0x0CA4]).
//
// Words are 32-bit, host order; the reader takes their low 24 bits sign-extended. A
// word at packet position that is 0x8000 or more is a code, any other word the model
// of an entry under the last header:
//   0x8000, prio                      header of 4-word entries (model, x, y, z)
//   0x8001 / 0x8002, prio             header of 11-word entries (model, x, y, z,
//                                     three (sin, cos) pairs, flags)
//   0x8008, slot, 1, 3 pairs, scale, 0, x, y, z, -1      node from angles and position
//   0x8008, slot, 1, 3 pairs, scale, -1                  node from angles
//   0x8008, slot, 6, m0..m8, -1                          node from a 1.15 matrix
//   0x8009, child, parent, destination                   node composition
//   0x800A, model, slot, dx, dy, dz                      model drawn through a node
//   0x8010, 3, objshift, -1  /  0x8010, -1               objshift set / cleared
//   -1                                                   end of the list
//
// Every word goes through one guard, dl_put: a word that would not lie wholly inside
// dspram is dropped, the cursor stays, and the first drop of the run prints
//   "[GUARD] dl_put: cursor %p outside dspram -- word dropped".
// Writers that take the cursor store it back advanced past what they wrote.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"

// Work-RAM longs the writers keep or read.
constexpr uint32_t W_DL_LAST_HEADER = 0x169E8;  // 0x8000 or 0x8002 of the last header
constexpr uint32_t W_DL_LAST_BANK = 0x4704;     // objshift of the last 0x8010 link
constexpr uint32_t W_NODE_ANCHOR = 0xEB08;      // x, y, z of the current rig root

constexpr int32_t DL_HEADER_4 = 0x8000;
constexpr int32_t DL_HEADER_11_HUD = 0x8001;
constexpr int32_t DL_HEADER_11 = 0x8002;
constexpr int32_t DL_NODE = 0x8008;
constexpr int32_t DL_NODE_COMPOSE = 0x8009;
constexpr int32_t DL_NODE_MODEL = 0x800A;
constexpr int32_t DL_LINK = 0x8010;
constexpr int32_t DL_END = -1;

// Words dropped by dl_put, packets refused by dsp_cmd_ptr (whole run).
extern uint32_t dl_guard_count;
extern uint32_t dsp_cmd_guard_count;

// ---- Guards ------------------------------------------------------------------------
// Stores value at out when out .. out + 3 lie inside dspram and returns out + 1;
// otherwise drops it (count, one warning per run) and returns out.
int32_t* dl_put(int32_t* out, int32_t value);
// The same at dl_cursor, which advances only when the word was stored.
void dl_put(int32_t value);
// count words from out through dl_put; returns the pointer past the last one stored.
int32_t* dl_put_words(int32_t* out, const int32_t* words, uint32_t count);
// dl_put_words at dl_cursor, the cursor stored back.
void dl_emit(const int32_t* words, uint32_t count);
// dl_cursor when 16 words fit before the end of dspram, else null with a count and
// "[GUARD] dsp_cmd_ptr: cursor %p outside dspram [%p,%p) -- command dropped" (first
// refusal, or every one under SKYVOLTA_VERBOSE). SKYVOLTA_LISTWHO=n traces the first
// 60 calls made in game state 3, sub-state n ("[LISTWHO]").
int32_t* dsp_cmd_ptr();
// -1 at dl_cursor when it fits; the cursor does not move.
void dl_terminate();

// ---- Headers -----------------------------------------------------------------------
// prio of the header-on-change writers: 3 in game_sub_state 15 (the ending), else 0.
int32_t dl_header_prio();
// 0x8000, prio (0x8002, prio) unless dl_last_header already holds that code.
void dl_header_8000();
void dl_header_8002();
// 0x8002, prio whatever dl_last_header holds; dl_last_header unchanged.
void dl_header_8002_put(int32_t prio);
// 0x8002, view at dl_cursor, then the camera of that view slot with word 7 = 2 (the
// block's start value): the header of a list drawn through view slot `view`.
void dl_model_header_put(int32_t view);
// The camera of view slot `view` (0..7; any other writes nothing) of the current
// buffer: view_rotation_words_put, then word 14 = 1920 (a 30-degree lens).
void camera_zoom_words_emit(int32_t view, int32_t word);
// Words 1-6 of view slot `view` of the current buffer := the (sin, cos) pairs of camera
// pitch, heading and roll (sign-extended 1.15), word 7 := word.
void view_rotation_words_put(uint32_t view, int32_t word);

// ---- Single packets at dl_cursor (angles 16-bit, through the ROM sine table) --------
void dl_marker(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z);
// dl_marker with x, y, z made relative to the camera.
void dl_marker_at(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z);
// The 13-word 0x8002 object with x, y, z relative to the camera.
void dl_object_at(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a, int32_t angle_b,
                  int32_t angle_c, int32_t flags);
void dl_packet_8009(int32_t child, int32_t parent, int32_t destination);
// In game state 3, models 44-49 and 69-74 are left out unless SKYVOLTA_RIG_SPLIT is set.
void dl_packet_800a(int32_t model, int32_t slot, int32_t dx, int32_t dy, int32_t dz);
// The 15-word 0x8008 node from three angles and a translation.
void dl_model_rotated(int32_t slot, int32_t x, int32_t y, int32_t z, int32_t angle_a, int32_t angle_b,
                      int32_t angle_c, int32_t scale);
// The 11-word 0x8008 node from three angles, no translation.
void dl_node_rotated(int32_t slot, int32_t angle_a, int32_t angle_b, int32_t angle_c, int32_t scale);
void dl_bank_select(int32_t objshift);
// 0x8010, -1; returns where the packet starts.
int32_t* dl_bank_end();

// ---- Whole-packet guarded objects --------------------------------------------------
// The 13-word object (x, y, z as given) when dsp_cmd_ptr grants room; returns the
// packet, or null when refused.
int32_t* dl_object_put(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a,
                       int32_t angle_b, int32_t angle_c, int32_t flags);
// The same with the code 0x8001.
int32_t* dl_object_put_8001(int32_t prio, int32_t model, int32_t x, int32_t y, int32_t z, int32_t angle_a,
                            int32_t angle_b, int32_t angle_c, int32_t flags);

// ---- Object and copied lists -------------------------------------------------------
// 0x8002, prio at dl_cursor (dl_last_header = 0x8002), then 0x8010, 3, objshift, -1
// when objshift differs from dl_last_bank (which then takes it). Returns the advanced
// pointer without storing it into dl_cursor.
int32_t* dl_begin_object(int32_t objshift);
// Copies a list of terrain-cell words (16-bit, ended by 0xFFFF) at the 68020 address
// `list` as 4-word entries at the cell centres, after a header-on-change 0x8000. base
// (a 68020 address or a pointer into the work-RAM slots) holds the longs x, y, z and
// the model base. The copy stops at the end mark, at an address nothing decodes, or
// once an entry no longer fits in dspram.
void dl_copy_packets(uint32_t list, int64_t base);

// ---- Shared by the packet writers --------------------------------------------------
// The (sin, cos) pair of a 16-bit angle from the ROM sine table.
void dl_rotation_pair(int32_t angle, int32_t* pair);
// Camera-relative coordinates of a world point.
int32_t dl_relative_x(int32_t x);
int32_t dl_relative_y(int32_t y);
int32_t dl_relative_z(int32_t z);
