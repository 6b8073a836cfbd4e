// The intermission: in the multi-stage game, between a met quota and the next day's
// card, a scripted scene for the day (animation sets of the pose records, a sound
// script, subtitles, a camera and fades). Sub-state 26 sets it up, 27 runs it until the
// day's last animation set is done or a press; then sub-state 22 (the day card).
#pragma once
#include <cstdint>

// Sub-state 26, one frame: the day's record read, the scripts started; then its first
// frame.
void intermission_enter();
// Sub-state 27.
void intermission_run();
// The subtitles of frame fr: a's upper half the text row, its lower half the palette
// base (7: tiles from 272, else from 528).
void intermission_text_step(int32_t fr, int32_t a);
// The node lists of animation set `set` loaded into the pose records from W 0xAB04.
void intermission_script_step(int32_t set);
// The scene objects at the world origin.
void intermission_packets();
// Day 2's turning model through pose record a.
void intermission_packet_header(int32_t a);
// Day 1's scenery tiles, flag and camera object.
void intermission_camera_packet();
