// The external pedal encoder (joystick inputs or a USB serial port).
#pragma once

// Opens the encoder; a serial port is searched only when the run has a window.
void encoder_init(bool windowed);

// --enctest: the interactive encoder test; its result is the program's exit status.
int enctest_run();
