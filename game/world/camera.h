// The game camera: its work-RAM longs (camera_state, board/wram.h) and the per-frame
// rotation words of the view the display list is drawn from.
#pragma once

// Zeroes the camera x, y, z and pitch, heading, roll longs (W 0x0CDC-0x0CF0).
void camera_reset();

// Words 1-6 of view block 0 of the current display-list buffer := the 1.15 (sine,
// cosine) pairs of camera pitch, heading and roll, from the ROM sine table.
void camera_rotation_words_emit();
