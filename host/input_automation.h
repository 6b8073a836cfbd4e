// The SKYVOLTA_TEST_* automation switches that drive the inputs in unattended runs:
// the continue screen's coin and start, forced handle readings (fixed, square wave,
// autopilot), menu cursors, race timers, sub-state jumps and the pedal level. Each
// variable is read once, at first use; all are off when unset.
#pragma once

struct scripted_controls {
    bool replaces_coin;  // the continue automation decides the coin bit this frame
    bool coin, start;
};

// SKYVOLTA_TEST_CONTINUE on the continue screen: by host_frame modulo 60, frames 0..5
// start a 4-frame coin pulse when none runs, 20..29 press start; the coin bit is the
// pulse. `coin_pulse` is the host input's pulse counter.
scripted_controls continue_automation(int* coin_pulse);

// The switches that touch values, in their table's order: TEST_ANALOG, TEST_MODE,
// TEST_PASS, TEST_TIMER, TEST_GOTO, TEST_ENDING, TEST_STAGE, TEST_STEER and
// TEST_AUTOPILOT.
void automation_values_apply(int* steer, int* lean);

// SKYVOLTA_TEST_PEDAL: the requested pedal level, 0 when off.
int test_pedal_level();

// The autopilot's choice: steer and lean toward the nearest standing balloon of the
// layout. False when no record is a candidate.
struct autopilot_result {
    int target;             // local record index
    long tx, ty, tz;
    double distance, angle_degrees;
    int steer, lean;
};
bool autopilot_steer(int steer_gain, int lean_gain, double scale, autopilot_result* out);
