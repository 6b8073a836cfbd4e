#include "host/env_switches.h"

#include "host/input_logs.h"
#include "host/input_update.h"
#include "render/model_diagnostics.h"

#include <cstdlib>

// The start-up block of host switches; those of the replay, the recording and the
// other host services join it as they are built.
void host_env_switches_read() {
    input_env_switches_read();
    input_log_open();
    blink_log_open();
    if (const char* watch = getenv("SKYVOLTA_WATCH")) watch_parse(watch);
}
