// The board's frame (vblank) interrupt as the frame step runs it.
#pragma once

// Acknowledges the interrupt, flips the display-list buffers (board/dspram.h), counts
// frame_counter (W 0x4010), runs the service mode's hook in top state 7 and raises the
// frame byte 0x7D00 of the sound RAM.
void vblank_interrupt();
