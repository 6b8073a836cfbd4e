// The environment switches of the animated objects and the scenery, read once at
// start-up (host_env_switches_read); until then, and in tests, the defaults hold.
#pragma once
#include <cstdint>

struct object_switch_set {
    bool animated = true;      // SKYVOLTA_ANIMOBJ: unset or non-zero decimal = on
    bool ao_log = false;       // SKYVOLTA_AOLOG present: the "[AO]" lines
    bool ao_records = false;   // SKYVOLTA_AOREC present: the "[AOREC]" dump
    bool no_scenery = false;   // SKYVOLTA_NO_SCENERY present
    bool lod_log = false;      // SKYVOLTA_LODLOG present: the "[LOD]" line
    bool lod_far_tier = false; // SKYVOLTA_LOD_FARTIER present: the tier from the low word
    int32_t probe_lo = -1;     // SKYVOLTA_SCENPROBE "lo,hi": "[SCEN]" lines, off while lo < 0
    int32_t probe_hi = -1;
};
extern object_switch_set object_switches;

// Fills object_switches from the environment.
void object_switches_read();
