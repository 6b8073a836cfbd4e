// Course scenery hooks and the course-2 effect renders, called by the terrain props
// and the animated-objects step. STAND-INS: each reports once ("[STUB] ... not in this
// build") and writes nothing until the scenery work fills it.
#pragma once
#include <cstdint>

// Four high props relative to the camera at the props cursor copy (W[0x09B4]).
void scenery_hook_high_props();
// One model entry each at the props cursor copy when its terrain-chunk slot is empty.
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

// Course 2's animated effect models, and the animated-object slot dump.
void effect_group_render();
void effect_single_render();
void animated_object_record_dump();
