// Course scenery hooks and course 2's effect models. The hooks are called by the
// terrain props (course 2) after its list: each writes 4-word props records at the
// props cursor copy (W[0x09B4]); a record that does not fit in dspram is dropped whole
// with the props guard line. The effects are written at dl_cursor.
#pragma once
#include <cstdint>

// Six high props (models 1486-1488 and 1494-1496) while the camera is above 69632.
void scenery_hook_high_props();
// Its model 40960 up at the world origin while its terrain-chunk slot is empty (-1):
// 464, 465, 466, 458, 460, 459, 461, 462, 456, 457 for chunks 36, 37, 38, 41, 46, 54,
// 62, 76, 36, 37.
void scenery_hook_456();
void scenery_hook_457();
void scenery_hook_458();
void scenery_hook_459();
void scenery_hook_460();
void scenery_hook_461();
void scenery_hook_462();
void scenery_hook_464();
void scenery_hook_465();
void scenery_hook_466();

// Course 2's ring of sixteen models and the ROM effect list (ending at a first long
// that is not positive, or 256 records); slot 0's model word follows the ring.
void effect_group_render();
// Course 2's single effect model, then model 480 under an 0x8000 header.
void effect_single_render();
