// Run-wide host flags and small helpers every subsystem asks.
#pragma once
#include <csignal>
#include <cstdint>

extern volatile sig_atomic_t run_flag;  // the main loop runs while set
extern uint8_t headless;                // offscreen video, no audio device, no restart
extern uint8_t paused;

// Signal handler for SIGINT, SIGTERM and SIGHUP: clears run_flag and nothing else.
void on_quit_signal(int sig);

// True when SKYVOLTA_VERBOSE is set and does not begin with '0' (asked once, kept).
bool verbose_enabled();

// CLOCK_MONOTONIC in seconds.
double monotonic_seconds();
