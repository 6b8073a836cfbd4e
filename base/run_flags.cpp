#include "base/run_flags.h"

#include "base/env_switch.h"

#include <cstdlib>
#include <ctime>

volatile sig_atomic_t run_flag = 1;
uint8_t headless = 0;
uint8_t paused = 0;

void on_quit_signal(int) {
    run_flag = 0;
}

bool verbose_enabled() {
    static const bool on = env_on("SKYVOLTA_VERBOSE");
    return on;
}

double monotonic_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
