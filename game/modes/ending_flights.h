// The good ending's flight phases 0-4 (the ending's phase machine calls one a frame):
// the fly-in with its flashes and thrown debris, two camera passes round the
// descending scene object, the staff roll's scene under the texts, and the ring of
// eight scene objects round the model. Each handler takes its local frame from the
// ending's counter and its records and lists from the program ROM; every list walk
// ends at a frame of 0 or less, after 256 entries or at the ROM's end.
#pragma once

// Phase 0 (counter 0..539).
void ending_fly_in();
// Phase 1 (540..1559): three camera legs, the object's descent.
void ending_phase1();
// Phase 2 (1560..2144): the object sinks from 8192 to -0x11000 about its ROM height.
void ending_phase2();
// Phase 3 (2145..2774): the camera on the model under the staff roll.
void ending_staff_roll();
// Phase 4 (2775..3374): the eight objects circling the model.
void ending_phase4();
