// The host's environment switches, read once at start-up.
#pragma once

// The host diagnostics: the blink log (SKYVOLTA_BLINKLOG) and its watch range
// (SKYVOLTA_WATCH).
void host_env_switches_read();
