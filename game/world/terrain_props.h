// Terrain props: each course's fixed list of 4-word model entries after an 0x8000
// header, some of them animated by frame_tick, some shown only while a work-RAM byte
// is 0xFF; on course 2 the course's scenery hooks follow. Every word goes through the
// display-list guard, and after each one its cursor is copied into W[0x09B4] (a host
// pointer), where the scenery hooks go on writing. The first word that does not fit
// drops the rest of the list, the hooks included, with one "[GUARD] terrain props"
// line per run.
#pragma once
#include <cstdint>

// How an entry's model word is formed from its model and frame_tick (ft).
enum prop_model_rule {
    PROP_FIXED,         // model
    PROP_ROM_WORD,      // ROM word 0x35000 | ((ft x 2) & 0x3C), plus model
    PROP_QUARTER_16,    // ((ft / 4) & 0xF) + model
    PROP_QUARTER_MOD6,  // (ft / 4) mod 6 + model
    PROP_QUARTER_OR4,   // ((ft / 4) & 3) | model
    PROP_HALF_MOD6,     // (ft / 2) mod 6 + model
};

struct prop_entry {
    prop_model_rule rule;
    int32_t model;
    int32_t x, y, z;
    bool relative;  // a world point made relative to the camera; else written unchanged
    uint32_t gate;  // work-RAM byte cell that must hold 0xFF, 0 for none
};

using scenery_hook = void (*)();
struct scenery_hook_sequence {
    scenery_hook hooks[9];
    int count;
};

// The props of course_number (nothing with SKYVOLTA_NO_PROPS or a course above 3).
void terrain_props_dispatch();
// Writes the header and the entries at dl_cursor; false when the list was cut.
bool terrain_props_write(const prop_entry* entries, int count);
// The model word of an entry at frame_tick ft.
int32_t prop_model(const prop_entry& e, uint32_t ft);
// Course 2's scenery hooks for camera cell n, in calling order.
scenery_hook_sequence course2_scenery_hooks(int32_t n);
// The once-per-run report of a cut list.
void terrain_props_guard();
// Reports of the props guard (whole run).
extern uint32_t terrain_props_guard_count;

// Course 2's extras: the animated-object dump, the effect group while the counter byte
// W 0x1249 is below 16, the single effect in cell 60 (and 51, 52, 59 up to camera
// height 79871).
void animated_objects_aux_step();
