// Course objects into the display list: objects with a companion model, their ring of
// sub-models, objects in objshift bands by height, the fixed landmark, the train, the
// marker, and the object lists of the posed scenes. Every word goes through the
// display-list guard (dl_put); a routine that returns "the next word" returns the
// pointer past the last word stored.
#pragma once
#include <cstdint>

// Expands the ROM list (a program-ROM address, or a host pointer into the ROM image)
// into the 128-byte node blocks at dest (a work-RAM slot pointer, a 68020 address or a
// small offset) and returns the 68020 address after the last block. A list address
// outside 1..0x3FFFFF marks dest's first long -1, clears the staging cells W 0xEB04 /
// 0xEB06 and returns dest. Nothing is written (dest returned) when no block fits.
uint32_t rom_object_list_load(int64_t dest, int64_t list);
uint32_t rom_object_list_load_wrap(int64_t dest, int64_t list);

// The entry of object record `record` (OBJECT_RECORD_*) at pos (camera-relative x, y,
// z) from out: its model when the mode word matches the record's mask (4 words),
// else its other model and the companion 0x8002 object (17 words).
int32_t* object_packet_header(int record, const int32_t pos[3], int32_t* out);
// The ring of sub-models around the object that W[0x46F8] points to: 1, 4 or 10
// 11-word entries by the mode word's bits 0 and 6. Returns the next word.
int32_t* object_packet_fill(int32_t* out);

// The landmark object (while the gate byte W 0x1257 is at most 17).
void fixed_model_packet();
// The objects that W[0x4700], W[0x46FC] and W[0x46F8] point to, with their bands,
// headers and (rotating, compound) the sub-part slots for the collision.
void object_packet_emit();
void object_packet_emit_rotating();
void object_packet_emit_compound();
// The compound object's eight positioned sub-models at its position (a 68020 address
// of three longs).
void object_sublist_build(uint32_t position);

// The train's two cars, only with SKYVOLTA_TRAIN (and not SKYVOLTA_NO_TRAIN) on
// courses 0-3; SKYVOLTA_TRAIN_CHUNK and SKYVOLTA_TRAIN_Y move it.
void train_render();
// The two cars of train record `record` over terrain cell `cell` at `height`.
void train_packets_emit(int record, int32_t cell, int32_t height);

// The marker model 439 bobbing by play_frame_counter; point (optional) receives its
// world position for the caller to follow.
void marker_object_render(int32_t point[3]);
// The status longs W[0xC800] and W[0xD000]: both cleared, or the first copied into
// the second.
void status_longs_clear();
void status_longs_copy();

// The display-object list: the 0x8002 header of view W[0x169F0] (low half), the zoom
// rewrite of each 1024-byte display object from W 0xAB04 up to one whose first long
// is negative, then a 0 word at the cursor, which stays.
void object_list_emit();
// The same list built a stage per frame: while the stage cell W 0xEB04 is below the
// list length W[0xAB08], the header, one node_list_walk step and the zoom rewrites;
// then object_list_emit.
void object_list_emit_staged();
