// The course-start state of the world, the flight and the race words, and the fade
// writer that the gameplay sub-states share.
#pragma once
#include <cstdint>

// The course-start initialisation of the world, the flight and the race words.
void gameplay_init_state_vars();
// Fade amount, fade mode and the fade colour.
void fade_set(int32_t amount, int32_t mode, int32_t colour);
