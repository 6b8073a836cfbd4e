// Logs and test drives of the board inputs, for unattended runs.
#pragma once

// SKYVOLTA_SNDCMDLOG: opens the per-frame log of the board input cells (start-up).
void input_log_open();
// One line per iteration: host_frame and the commsram words at 0x7D02, 0x7D04, 0x7D0A,
// 0x7D0C, 0x7D0E, 0x7D10 and the output lamp word.
void input_log_frame();

// SKYVOLTA_TEST_MENUSTICK (read at first use, 0 or unparsable counts as 1): on course
// and mode select a [MENUSTK] line whenever the sub-state, the cursor or the handle
// directions change; above 1 the steering is driven 191, 831, 511 for 40 frames each.
void menu_stick_test();
