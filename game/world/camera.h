// The game camera: its work-RAM longs (camera_state, board/wram.h and camera_ram.h),
// the routines that move it each frame (the gameplay chase camera, the fly-in's and
// the ending's follow cameras, the attract demo camera), its terrain grid cell, and
// the per-frame rotation words of the view the display list is drawn from.
#pragma once
#include <cstdint>

// Zeroes the camera x, y, z and pitch, heading, roll longs (W 0x0CDC-0x0CF0).
void camera_reset();

// Words 1-6 of view block 0 of the current display-list buffer := the 1.15 (sine,
// cosine) pairs of camera pitch, heading and roll, from the ROM sine table; word 7 := 2.
void camera_rotation_words_emit();

// The gameplay tick's camera step: the chase camera.
void camera_update();
// Chase camera: the angles ease toward the eased attitude by 1/k (k = 16 + the dive
// pull's upper half, held to 16..96), the eye 1024 up and 9344 back; with the stop
// flag set the angles are the targets and the eye (0, 1536, -20480).
void camera_chase_update();
// Fly-in follow camera. eye (a slot value: work-RAM address or host pointer) holds six
// longs: offset x, y, z, heading offset, pitch factor, roll factor (/ 256). Each
// coordinate closes on player + offset by >> shift.
void camera_follow_player(int32_t shift, int64_t eye);
// The ending's camera on the model record at W 0xB704: eye = offset x, y, z, pitch
// offset; heading eases by >> shift, roll 0; sets the ending zoom word to 1920.
void camera_follow_model(int32_t shift, int64_t eye);
// The attract demo camera on its own record (W 0x17040), by its type (W 0x16D88).
void demo_camera_update();
// Camera cell, column and row from camera x and z taken as unsigned.
void camera_grid_cell_update();
// Nine longs from work-RAM offset src to dst (both must lie in work RAM).
void camera_words_copy(uint32_t dst, uint32_t src);
