#include "game/world/terrain_props.h"

#include "base/env_switch.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/emitter_tables.h"
#include "game/services/object_ram.h"
#include "game/world/animated_objects.h"
#include "game/world/scenery_hooks.h"

#include <cstdio>
#include <initializer_list>

uint32_t terrain_props_guard_count = 0;

namespace {

constexpr int COURSES = 4;
constexpr int32_t SPRITE_HEIGHT = 40960;  // the animated props' world height

// Only the rows the course data is known by; the rest of each course's list is data
// this build does not have.
constexpr prop_entry COURSE0_PROPS[] = {
    {PROP_FIXED, 39, 0, -0x16000, 0, false, 0},
    {PROP_FIXED, 40, 0, -0x16000, 0, false, 0},
    {PROP_ROM_WORD, 326, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_QUARTER_16, 340, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_QUARTER_MOD6, 334, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_QUARTER_OR4, 364, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_HALF_MOD6, 368, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_ROM_WORD, 356, 0, SPRITE_HEIGHT, 0, true, 0},
    {PROP_FIXED, 374, 0, SPRITE_HEIGHT, 0, true, 0},
};
constexpr prop_entry COURSE3_PROPS[] = {
    {PROP_FIXED, 39, 0, -0x57000, 0, false, 0},
};

struct course_props {
    const prop_entry* entries;
    int count;
};
constexpr course_props COURSE_PROPS[COURSES] = {
    {COURSE0_PROPS, int(sizeof COURSE0_PROPS / sizeof COURSE0_PROPS[0])},
    {nullptr, 0},
    {nullptr, 0},
    {COURSE3_PROPS, int(sizeof COURSE3_PROPS / sizeof COURSE3_PROPS[0])},
};

bool props_off() {
    static const bool off = env_present("SKYVOLTA_NO_PROPS");
    return off;
}

// One word at out through the guard, the copy following; false when it was dropped.
bool prop_word(int32_t** out, int32_t value) {
    int32_t* next = dl_put(*out, value);
    if (next == *out) return false;
    *out = next;
    w_slot_set(W_PROPS_CURSOR, w_pointer(next));
    return true;
}

void hooks_tail(scenery_hook_sequence* s) {
    for (scenery_hook h : {scenery_hook_457, scenery_hook_458, scenery_hook_459, scenery_hook_461, scenery_hook_462})
        s->hooks[s->count++] = h;
}

}  // namespace

int32_t prop_model(const prop_entry& e, uint32_t ft) {
    switch (e.rule) {
    case PROP_ROM_WORD: return rom_table_word(ROM_PROP_ANIMATION, ((ft * 2) & 0x3C) / 4, 0) + e.model;
    case PROP_QUARTER_16: return int32_t((ft / 4) & 0xF) + e.model;
    case PROP_QUARTER_MOD6: return int32_t((ft / 4) % 6) + e.model;
    case PROP_QUARTER_OR4: return int32_t((ft / 4) & 3) | e.model;
    case PROP_HALF_MOD6: return int32_t((ft / 2) % 6) + e.model;
    case PROP_FIXED: break;
    }
    return e.model;
}

bool terrain_props_write(const prop_entry* entries, int count) {
    int32_t* out = dl_cursor_get();
    bool header = prop_word(&out, DL_HEADER_4) && prop_word(&out, 0), fit = header;
    uint32_t ft = uint32_t(wram_long(W_FRAME_TICK));
    for (int i = 0; fit && i < count; i++) {
        const prop_entry& e = entries[i];
        if (e.gate && w_cell_byte(e.gate) != 0xFF) continue;
        int32_t x = e.relative ? dl_relative_x(e.x) : e.x, y = e.relative ? dl_relative_y(e.y) : e.y,
                z = e.relative ? dl_relative_z(e.z) : e.z;
        fit = prop_word(&out, prop_model(e, ft)) && prop_word(&out, x) && prop_word(&out, y) && prop_word(&out, z);
    }
    dl_cursor_set(out);
    // The entries that follow, the hooks' included, are 4-word ones.
    if (header) wram_long_set(W_DL_LAST_HEADER, DL_HEADER_4);
    if (!fit) terrain_props_guard();
    return fit;
}

scenery_hook_sequence course2_scenery_hooks(int32_t n) {
    scenery_hook_sequence s = {{}, 0};
    if (int64_t(n) - 42 > 10) {
        s.hooks[s.count++] = scenery_hook_456;
        hooks_tail(&s);
        return s;
    }
    switch (rom_table_word(ROM_COURSE2_HOOKS, n, 0)) {
    case 28: break;
    case 30:
        for (scenery_hook h : {scenery_hook_465, scenery_hook_466, scenery_hook_456, scenery_hook_458, scenery_hook_459,
                               scenery_hook_461, scenery_hook_462, scenery_hook_high_props})
            s.hooks[s.count++] = h;
        return s;
    case 80:
        s.hooks[s.count++] = scenery_hook_464;
        s.hooks[s.count++] = scenery_hook_460;
        break;
    case 94: s.hooks[s.count++] = scenery_hook_456; break;
    default: s.hooks[s.count++] = scenery_hook_464; break;
    }
    hooks_tail(&s);
    return s;
}

void terrain_props_dispatch() {
    if (props_off()) return;
    int32_t course = wram_long(W_COURSE_NUMBER);
    if (course < 0 || course >= COURSES) return;
    if (!terrain_props_write(COURSE_PROPS[course].entries, COURSE_PROPS[course].count) || course != 2) return;
    scenery_hook_sequence s = course2_scenery_hooks(wram_long(W_CAMERA_CELL));
    for (int i = 0; i < s.count; i++) s.hooks[i]();
    // The hooks advance only the copy: the list goes on from there.
    int64_t copy = w_slot(W_PROPS_CURSOR);
    if (w_is_host_pointer(copy)) dl_cursor_set(static_cast<int32_t*>(w_host(copy)));
}

void terrain_props_guard() {
    if (terrain_props_guard_count++ == 0)
        fprintf(stderr, "[GUARD] terrain props: DSP cursor overran dspram -- remaining props dropped\n");
}

void animated_objects_aux_step() {
    animated_object_record_dump();
    if (w_cell_byte(W_EFFECT_COUNTER) < 16) effect_group_render();
    int32_t cell = wram_long(W_CAMERA_CELL);
    bool low_cell = (cell == 51 || cell == 52 || cell == 59) && wram_long(W_CAMERA_Y) <= 79871;
    if (cell == 60 || low_cell) effect_single_render();
}
