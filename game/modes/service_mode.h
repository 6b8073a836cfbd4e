// The service (test) mode: top states 6 and 7. A page number (the upper half of
// test_state_word) selects one of 34 page handlers, entry on the even page and run on
// the odd one; switching the test switch off saves the edited settings, syncs the
// EEPROM and requests the reset that restarts the game in attract, settings kept.
#pragma once

// Top state 6: service-mode entry.
void service_mode_init();
// Top state 7: the service mode; leaving it requests a reset.
void service_mode_run();
// The new form's entry and per-frame dispatch.
void testmode_init();
void testmode_dispatch();
// Called by the frame interrupt in top state 7; empty, as the DSP test counts no frames.
void testmode_vblank_hook();
