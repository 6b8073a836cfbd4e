// Display-list words of work-RAM node records (the layout of game/services/rig_ram.h):
// the rig's 25-word node packet and the node record emitter that the rig, the node
// lists and the display-object lists share. Every packet goes whole through the
// display-list guard, whatever its model (the machine's parts included).
#pragma once
#include <cstdint>

constexpr uint32_t NODE_PACKET_WORDS = 25;
constexpr uint32_t ROOT_PACKET_WORDS = 17;
constexpr uint32_t OBJECT_ENTRY_WORDS = 11;

// First longs of camera-control records.
constexpr int32_t NODE_RECORD_LINK = 0x7FFD;  // 0x8010 link (objshift from +0x24)
constexpr int32_t NODE_RECORD_ZOOM = 0x7FFE;  // +0x24 into word 14 of the current view
constexpr int32_t NODE_RECORD_VIEW = 0x7FFF;  // the camera of the current view slot

// The node at work-RAM offset n (a whole record inside work RAM): 0x8008 into slot 3
// from its angles, word and offset; 0x8009 composing slot 3 under the parent's group
// (0 when the parent record lies outside work RAM) into its own; 0x800A of its model
// (69..74 drawn as 44..49 while the view flag is set) at the root's camera-relative
// position W 0xEB08..0xEB10.
void rig_node_packet(uint32_t n);

// True when `words` more words fit between dl_cursor and the end of the current
// display-list buffer.
bool rig_packet_room(uint32_t words);

// The node record emitter for the record at work-RAM offset n, by its first long and
// its link word: the camera-control records above; link 0 a 17-word root (its
// camera-relative offset becomes the anchor W 0xEB08), model -2 when root_hidden;
// a negative link a child node packet; a positive link an 11-word object entry.
void node_record_emit(uint32_t n, bool root_hidden);

// node_record_emit for a record given as a slot value (host pointer into work RAM or
// 68020 address); nothing unless the whole record lies in work RAM.
void camera_zoom_rewrite(int64_t record);
// The same, counted as one scene-node render call of the frame.
void camera_zoom_rewrite_w(int64_t record);
