// The eight moving objects (balloon_ram.h: moving_object): each circles its centre at
// its radius, turning by its rate every frame; the balloons ride some of them.
#pragma once
#include <cstdint>

// Every record whose status is not negative: position on its circle at the current
// heading, its cell, then heading += turn rate. Returns 0.
int32_t objects_move_update();

// All eight records inactive (status 0x80000000), as the balloon set-up leaves them before
// it fills the moving balloons; run before the fly-in, which has none.
void moving_objects_clear();
