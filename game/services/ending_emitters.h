// The ending scenes' object lists and backdrop, and the camera words of their view
// block. Every display-list word goes through the guard.
#pragma once
#include <cstdint>

// The records of the object list at ROM `list` (20 bytes: model, x, y, z, heading
// mode; a negative model ends it) from record start / 8 on, at most 256, as 11-word
// entries at the list origin W 0x3EF0 relative to the camera, after dl_begin_object
// (objshift). Heading mode -2 takes the pair W[0x16668], W[0x1666C]; -1 turns toward
// the player within 6144 of the low half of W[0x16670]; any other value is the heading.
void dl_emit_object_list(uint32_t list, int32_t start, int32_t objshift);
// Four backdrop entries (and a second model on one quarter) around point (a slot value
// of three longs) from the four 28-byte records of the ROM table at `table`, by the
// ending mode W[0x172E8].
void ending_backdrop_packets(int64_t point, uint32_t table);

// View block 3 of the current display-list buffer from the ending view words
// W 0x172F0-0x172F8.
void camera_viewport_write();
// Camera x, y, z, pitch, heading, roll := the six longs at words (a slot value); with
// flag, the seventh into the upper half of W[0x17360].
void camera_pose_set(int64_t words, int32_t flag);
