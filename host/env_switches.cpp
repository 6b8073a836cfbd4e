#include "host/env_switches.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "board/inputs.h"
#include "game/modes/name_entry.h"
#include "game/world/object_switches.h"
#include "host/flight_log.h"
#include "host/flight_recorder.h"
#include "host/input_logs.h"
#include "host/input_update.h"
#include "host/level_jump.h"
#include "host/replay.h"
#include "render/model_diagnostics.h"
#include "render/renderer_switches.h"
#include "sound/sound_diagnostics.h"

#include <cstdlib>

// The texture cache reads its switches (TEXORPHAN .. TEX_CLIPBOX) on its first use, and
// the loop's hooks theirs on the first iteration.
void host_env_switches_read() {
    renderer_switches_read();
    const char* replay = env_text("SKYVOLTA_REPLAY");
    if (replay && *replay) replay_load(replay);
    if (env_present("SKYVOLTA_RECORD")) recording_start();
    input_switches_read();
    input_env_switches_read();
    name_entry_analog_hook = set_analog_inputs;  // SKYVOLTA_TEST_NAME steers the host's handle
    stage_debug = env_present("SKYVOLTA_STAGEDBG");
    level_apply_hook = level_apply;
    const char* flight_log = env_text("SKYVOLTA_FLIGHTLOG");
    if (flight_log && *flight_log) flight_log_open(flight_log);
    input_log_open();
    blink_log_open();
    sound_diag_switches_read();
    if (const char* watch = env_text("SKYVOLTA_WATCH")) watch_parse(watch);
    object_switches_read();
}
