// The per-frame game step the host's main loop calls once per iteration.
#pragma once
#include <cstdint>

// Set by the game when it restarts itself (leaving the service mode); the next frame
// step then runs game initialisation again with the settings block kept.
extern uint8_t reset_pending;

// One 60 Hz game frame when frame_due is set (it is cleared): work-RAM sync, the frame
// interrupt, the master DSP's frame, inputs, the per-frame stages, the top-state
// dispatch, the camera words and the list's end mark, and the optional feed dump.
void game_frame();
