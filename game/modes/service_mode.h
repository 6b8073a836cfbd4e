// The service (test) mode: top states 6 and 7, and its part of the frame interrupt.
#pragma once

// Top state 6: service-mode entry.
void service_mode_init();
// Top state 7: the service mode; leaving it requests a reset.
void service_mode_run();
// Called by the frame interrupt in top state 7 (the DSP test's frame count and blink).
void testmode_vblank_hook();
