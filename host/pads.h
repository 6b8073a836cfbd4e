// Game controllers and joysticks.
#pragma once

void pads_init();

// --joytest: the interactive joystick test; its result is the program's exit status.
int joytest_run();
