#include "game/world/probe_collision.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/fixed_math.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_triangles.h"

#include <cstdio>

namespace {

constexpr int32_t LAYER_STEP_LIMIT = 10000;
constexpr int32_t SPECIAL_FIRST = 0xE0, SPECIAL_LAST = 0xEF;
constexpr int32_t MARKER_V1 = 0xFD, MARKER_V2 = 0xFE, MARKER_BOTH = 0xFF;
constexpr int32_t EDGE_TYPE_A = 0xE0, EDGE_TYPE_B = 0xE1, EDGE_HOLD_TYPE = 0xE5;
constexpr int32_t EDGE_HOLD_FRAMES = 19;
constexpr int32_t CEILING_NONE = 15, FLOOR_NONE = 1;
constexpr int32_t KIND_MASK = 15;
constexpr int32_t COURSE_OPEN_AIR = 3;  // the course whose empty column is open air

struct body_offset {
    int32_t x, y, z;
};
// Probes 1..5: right wing, left wing, nose, top, look-ahead.
constexpr body_offset PROBE_OFFSETS[PROBE_COUNT] = {
    {0, 0, 0}, {2240, 256, 512}, {-2240, 256, 512}, {0, 0, 688}, {0, 1248, 512}, {0, 0, 688}};

int32_t layer_steps = 0;

// SKYVOLTA_TUNLOG = N: the terrain tuning lines of probe 0 on every N-th host frame.
bool tunlog_due() {
    static const int every = env_int("SKYVOLTA_TUNLOG", 0);
    return every > 0 && host_frame % uint32_t(every) == 0;
}

int32_t field(int32_t n, uint32_t offset) { return w_cell(probe_field(n, offset)); }
void field_set(int32_t n, uint32_t offset, int32_t v) { w_cell_set(probe_field(n, offset), v); }

int32_t column_count(int32_t n) {
    int32_t c = field(n, PROBE_COLUMN_COUNT);
    return c < 0 ? 0 : c > PROBE_COLUMN_MAX ? PROBE_COLUMN_MAX : c;
}

// Column entry i of probe n: value, surface byte and zone flag.
struct column_entry {
    int32_t value, surface, zone;
};
column_entry entry_get(int32_t n, int32_t i) {
    uint32_t b = probe_field(n, 0);
    return {w_cell(b + PROBE_COLUMN + 4 * uint32_t(i)), w_cell(b + PROBE_COLUMN_BYTES + uint32_t(i)) & 0xFF,
            w_cell(b + PROBE_ZONE_FLAGS + uint32_t(i)) & 0xFF};
}
void entry_set(int32_t n, int32_t i, column_entry e) {
    uint32_t b = probe_field(n, 0);
    w_cell_set(b + PROBE_COLUMN + 4 * uint32_t(i), e.value);
    w_cell_set(b + PROBE_COLUMN_BYTES + uint32_t(i), e.surface);
    w_cell_set(b + PROBE_ZONE_FLAGS + uint32_t(i), e.zone);
}

int32_t kind_of(int32_t value) { return value & KIND_MASK; }
int32_t vote(int32_t value) { return kind_of(value) == KIND_SOLID ? 1 : -1; }
bool is_special(int32_t surface) { return surface >= SPECIAL_FIRST && surface <= SPECIAL_LAST; }
bool is_marker(int32_t surface) { return surface >= MARKER_V1; }

// The key of a probe's height: a PASS entry at its own height lies below, a SOLID above.
int32_t probe_key(int32_t n) { return wrap_add(wrap_shl(field(n, PROBE_POS + 4), 4), 8); }

void work_entry(int32_t i, int32_t* value, int32_t* flags) {
    *value = w_cell(W_WORK_ENTRIES + 4 * uint32_t(i));
    *flags = w_cell(W_WORK_FLAGS + 4 * uint32_t(i));
}
void work_entry_set(int32_t i, int32_t value, int32_t flags) {
    w_cell_set(W_WORK_ENTRIES + 4 * uint32_t(i), value);
    w_cell_set(W_WORK_FLAGS + 4 * uint32_t(i), flags);
}

// Both of the first two entries SOLID: only the lower stays.
void two_solid_rule() {
    int32_t e0, f0, e1, f1;
    work_entry(0, &e0, &f0);
    work_entry(1, &e1, &f1);
    if (kind_of(e0) != KIND_SOLID || kind_of(e1) != KIND_SOLID) return;
    if (e1 < e0) work_entry_set(0, e1, f1);
    w_cell_set(W_WORK_COUNT, 1);
}

void closing_entries(int32_t n) {
    int32_t c = column_count(n);
    bool inside = field(n, PROBE_PARITY) != 0;
    if (c > PROBE_COLUMN_MAX - 2) c = PROBE_COLUMN_MAX - 2;
    entry_set(n, c, {wrap_shl(COLUMN_TOP, 4) | (inside ? KIND_SOLID : KIND_PASS), END_SURFACE, 0});
    entry_set(n, c + 1, {wrap_shl(COLUMN_BOTTOM, 4) | (inside ? KIND_PASS : KIND_SOLID), END_SURFACE, 0});
    field_set(n, PROBE_COLUMN_COUNT, c + 2);
}

void column_sort(int32_t n) {
    int32_t c = column_count(n);
    for (int32_t pass = 0; pass + 1 < c; pass++)
        for (int32_t i = 0; i + 1 < c - pass; i++) {
            column_entry a = entry_get(n, i), b = entry_get(n, i + 1);
            if (b.value > a.value) {
                entry_set(n, i, b);
                entry_set(n, i + 1, a);
            }
        }
}

void specials_collect(int32_t n) {
    int32_t c = column_count(n), k = 0;
    uint32_t b = probe_field(n, 0);
    for (int32_t i = 0; i < c; i++) {
        column_entry e = entry_get(n, i);
        if (!is_special(e.surface)) continue;
        if (k == PROBE_SPECIAL_MAX) {
            if (terrain_guard_due(&terrain_guards.special_full))
                fprintf(stderr, "[GUARD] probe_column_classify: more than %d special entries -- the rest dropped\n",
                        PROBE_SPECIAL_MAX);
            break;
        }
        w_cell_set(b + PROBE_SPECIAL_ENTRIES + 4 * uint32_t(k), e.value);
        w_cell_set(b + PROBE_SPECIAL_BYTES + uint32_t(k), e.surface);
        k++;
    }
    w_cell_set(b + PROBE_SPECIAL_COUNT, k);
}

// The walk of one sorted column from its top (hit flag, contact and surface).
void column_walk(int32_t n) {
    static const bool votes_on_terrain = env_present("SKYVOLTA_NO_VOTEFIX");
    int32_t key = probe_key(n), c = column_count(n);
    int32_t terrain = field(n, PROBE_PARITY) ? 0 : 1, zones = 0, v1 = 0, v2 = 0;
    column_entry ceiling{CEILING_NONE, 0, 0}, floor{FLOOR_NONE, 0, 0};
    bool inside = false, floor_found = false, walk_ended = false;
    auto inside_rule = [&] { return (v1 <= 0 && terrain != 0) || (v2 <= 0 && zones != 0); };
    for (int32_t i = 0; i < c; i++) {
        column_entry e = entry_get(n, i);
        int32_t s = vote(e.value);
        if (is_special(e.surface)) continue;
        if (is_marker(e.surface)) {
            bool decided = false;
            if (e.value > key) {
                ceiling = e;
            } else {
                floor = e;
                floor_found = true;
                inside = inside_rule();
                decided = terrain > 0 || zones > 0;
            }
            if (decided) {
                walk_ended = true;
                break;
            }
            bool on_v1 = e.surface != MARKER_V2, on_v2 = e.surface != MARKER_V1;
            if (votes_on_terrain) {
                if (on_v1) terrain += s;
                if (on_v2) zones += s;
            } else {
                if (on_v1) v1 += s;
                if (on_v2) v2 += s;
            }
            continue;
        }
        int32_t& counter = e.zone ? zones : terrain;
        if ((e.zone && v2 != 0) || (!e.zone && v1 != 0)) {
            counter += s;
            continue;
        }
        if (e.value > key) {
            ceiling = e;
            counter += s;
            continue;
        }
        floor = e;
        floor_found = true;
        inside = inside_rule();
        walk_ended = true;
        break;
    }
    // Past the last entry (a probe below the column's bottom) the floor lies at height 0.
    if (!walk_ended) floor.value = kind_of(floor.value);
    bool ceiling_open = kind_of(ceiling.value) == KIND_PASS || is_marker(ceiling.surface);
    bool floor_solid = floor_found && (kind_of(floor.value) == KIND_SOLID || is_marker(floor.surface));
    if (ceiling_open && floor_solid && !inside) {
        field_set(n, PROBE_HIT, 0);
        field_set(n, PROBE_CONTACT, floor.value >> 4);
        field_set(n, PROBE_SURFACE, 0);
    } else {
        field_set(n, PROBE_HIT, 1);
        field_set(n, PROBE_CONTACT, field(n, PROBE_POS + 4));
        field_set(n, PROBE_SURFACE, ceiling.surface);
    }
}

}  // namespace

int32_t probes_in_use() {
    int32_t c = w_cell(W_PROBE_COUNT);
    return c < 0 ? 0 : c > PROBE_COUNT ? PROBE_COUNT : c;
}

void probe_layer_steps_reset() { layer_steps = 0; }

void probe_positions_update() {
    w_cell_set(W_PROBE_COUNT, PROBE_COUNT);
    int32_t px = w_cell(W_PLAYER_X), py = w_cell(W_PLAYER_Y), pz = w_cell(W_PLAYER_Z);
    for (int32_t n = 0; n < PROBE_COUNT; n++) {
        const body_offset& o = PROBE_OFFSETS[n];
        int32_t x = 0, y = 0, z = 0;
        if (n == PROBE_LOOKAHEAD)
            vec_rotate_rph(o.x, o.y, o.z, w_cell(W_TARGET_PITCH), w_cell(W_TARGET_HEADING), w_cell(W_TARGET_ROLL),
                           &x, &y, &z);
        else if (n > 0)
            vec_rotate_rph(o.x, o.y, o.z, w_cell(W_PLAYER_PITCH), w_cell(W_PLAYER_HEADING), w_cell(W_PLAYER_ROLL),
                           &x, &y, &z);
        field_set(n, PROBE_OFFSET, x);
        field_set(n, PROBE_OFFSET + 4, y);
        field_set(n, PROBE_OFFSET + 8, z);
        field_set(n, PROBE_POS, wrap_add(px, x));
        field_set(n, PROBE_POS + 4, wrap_add(py, y));
        field_set(n, PROBE_POS + 8, wrap_add(pz, z));
    }
}

void probe_walk(int32_t n) {
    if (n < 0 || n >= PROBE_COUNT) return;
    int32_t x = field(n, PROBE_POS), z = field(n, PROBE_POS + 8);
    int32_t layers = w_cell(W_STAGE_LAYER_COUNT), mask = w_cell(W_STAGE_LAYER_MASK);
    w_cell_set(W_WORK_COUNT, 0);
    for (int32_t layer = 0; layer < layers && layer < STAGE_LAYERS; layer++) {
        if (++layer_steps > LAYER_STEP_LIMIT) break;
        int32_t kind = (mask >> layer) & 1 ? KIND_PASS : KIND_SOLID;
        w_cell_set(W_WALK_LAYER, layer);
        int32_t h = FACE_OUTSIDE;
        int32_t held = w_cell(W_HISTORY_HELD + 4 * uint32_t(layer));
        for (int32_t e = 0; e < held && e < HISTORY_ENTRIES && h == FACE_OUTSIDE; e++) {
            w_cell_set(W_WALK_HISTORY, e);
            point_test();
            h = terrain_face_height(x, z);
        }
        if (n == 0 && h != FACE_OUTSIDE && tunlog_due())
            fprintf(stderr, "[TUNWALK]   layer %ld kind %d: point_test[hist %ld] = %d\n", long(layer), kind,
                    long(w_cell(W_WALK_HISTORY)), h);
        if (h == FACE_OUTSIDE) {
            h = terrain_cell_find_triangle(x, z);
            if (n == 0 && tunlog_due())
                fprintf(stderr,
                        "[TUNWALK]   layer %ld kind %d: hist=%ld point_test miss -> find_triangle = %d  (seed "
                        "W[0x0914+L*4]=%ld, cachedTris=%ld)\n",
                        long(layer), kind, long(held), h, long(w_cell(W_SEED_VERTEX + 4 * uint32_t(layer))),
                        long(held));
            terrain_cell_history_store();
        }
        if (h == FACE_NO_SURFACE) continue;
        int32_t k = w_cell(W_WORK_COUNT);
        work_entry_set(k, wrap_shl(h, 4) | kind, w_cell(W_TRI_EDGE_FLAGS));
        w_cell_set(W_WORK_COUNT, k + 1);
    }
    column_entries_sort();
    int32_t count = w_cell(W_WORK_COUNT);
    field_set(n, PROBE_COLUMN_COUNT, count);
    for (int32_t i = 0; i < count; i++) {
        int32_t value, flags;
        work_entry(i, &value, &flags);
        entry_set(n, i, {value, flags & 0xFF, 0});
    }
    int32_t c = count + (w_cell(W_COURSE_NUMBER) == COURSE_OPEN_AIR ? 1 : 0);
    field_set(n, PROBE_PARITY, c == 1 || c == 3 ? 0 : 1);
    if (n == 0 && tunlog_due()) {
        fprintf(stderr, "[TUN] f%u cell=%ld layers=%ld mask=0x%02lX faces=%ld:", host_frame,
                long(w_cell(W_STAGE_CELL)), long(layers), long(mask & 0xFF), long(count));
        for (int32_t i = 0; i < count; i++) {
            int32_t value = w_cell(W_WORK_ENTRIES + 4 * uint32_t(i));
            fprintf(stderr, " %s@%ld", kind_of(value) == KIND_PASS ? "PASS" : "SOLID", long(value >> 4));
        }
        fprintf(stderr, "%s  parity=%s\n", "", field(n, PROBE_PARITY) ? "INSIDE-SOLID" : "open-air");
    }
}

void probe_walk_all() {
    for (int32_t n = 0; n < probes_in_use(); n++) probe_walk(n);
}

void column_entries_sort() {
    int32_t n = w_cell(W_WORK_COUNT);
    bool three_layers = w_cell(W_STAGE_LAYER_COUNT) == 3;
    if (w_cell(W_COURSE_NUMBER) == COURSE_OPEN_AIR) {
        int32_t e0, f0, e1, f1;
        work_entry(0, &e0, &f0);
        work_entry(1, &e1, &f1);
        if (n == 1 || (n == 2 && e1 > e0)) {
            w_cell_set(W_WORK_COUNT, 0);
            return;
        }
    }
    if (n == 2 && three_layers) two_solid_rule();
    if (n != 3) return;
    for (int pass = 0; pass < 2; pass++)
        for (int32_t i = 0; i < 2; i++) {
            int32_t a, fa, b, fb;
            work_entry(i, &a, &fa);
            work_entry(i + 1, &b, &fb);
            if (b > a) {
                work_entry_set(i, b, fb);
                work_entry_set(i + 1, a, fa);
            }
        }
    int32_t e[3], f[3];
    for (int32_t i = 0; i < 3; i++) work_entry(i, &e[i], &f[i]);
    if (kind_of(e[0]) == KIND_PASS && kind_of(e[1]) == KIND_SOLID && kind_of(e[2]) == KIND_SOLID) {
        work_entry_set(0, e[2], f[2]);
        w_cell_set(W_WORK_COUNT, 1);
    }
}

void probe_column_zone_pair(int32_t n, int32_t top, int32_t bottom, int32_t surface) {
    int32_t c = column_count(n);
    if (c + 2 > PROBE_COLUMN_MAX - 2) {
        if (terrain_guard_due(&terrain_guards.column_full))
            fprintf(stderr, "[GUARD] zone_hit_test: probe %d column full (%d entries) -- zone dropped\n", n, c);
        return;
    }
    entry_set(n, c, {wrap_shl(top, 4) | KIND_SOLID, surface, 1});
    entry_set(n, c + 1, {wrap_shl(bottom, 4) | KIND_PASS, surface, 1});
    field_set(n, PROBE_COLUMN_COUNT, c + 2);
}

void probe_column_classify() {
    for (int32_t n = 0; n < probes_in_use(); n++) {
        closing_entries(n);
        column_sort(n);
        specials_collect(n);
        column_walk(n);
    }
}

void terrain_collision_zone_resolve() {
    static const bool log = env_present("SKYVOLTA_CONTACTLOG");
    static int calls = 0;
    if (log && calls % 60 == 0)
        fprintf(stderr, "[ZRES] terrain_collision_zone_resolve call %d (f%u)\n", calls + 1, host_frame);
    calls++;
    for (int32_t n = 0; n < probes_in_use(); n++) {
        uint32_t b = probe_field(n, 0);
        int32_t count = w_cell(b + PROBE_SPECIAL_COUNT), key = probe_key(n), votes = 0, type = 0;
        bool below = false;
        for (int32_t i = 0; i < count && i < PROBE_SPECIAL_MAX; i++) {
            int32_t value = w_cell(b + PROBE_SPECIAL_ENTRIES + 4 * uint32_t(i));
            if (value <= key) {
                below = true;
                break;
            }
            votes += vote(value);
            type = w_cell(b + PROBE_SPECIAL_BYTES + uint32_t(i)) & 0xFF;
        }
        bool inside = below && votes != 0;
        w_cell_set(b + PROBE_SPECIAL, inside ? 1 : 0);
        w_cell_set(b + PROBE_SPECIAL_TYPE, inside ? type : 0);
    }
}

void probe_edge_flags() {
    for (int32_t n = 0; n < probes_in_use(); n++) {
        int32_t last = field(n, PROBE_LAST_SPECIAL_TYPE), now = field(n, PROBE_SPECIAL_TYPE);
        bool was_edge = last == EDGE_TYPE_A || last == EDGE_TYPE_B, is_edge = now == EDGE_TYPE_A || now == EDGE_TYPE_B;
        if (was_edge && !is_edge) {
            field_set(n, PROBE_EDGE_HOLD, EDGE_HOLD_FRAMES);
            field_set(n, PROBE_SPECIAL_TYPE, EDGE_HOLD_TYPE);
            continue;
        }
        int32_t hold = field(n, PROBE_EDGE_HOLD);
        if (hold <= 0) continue;
        field_set(n, PROBE_EDGE_HOLD, hold - 1);
        if (hold - 1 > 0) field_set(n, PROBE_SPECIAL_TYPE, EDGE_HOLD_TYPE);
    }
}

void probe_surface_shift() {
    for (int32_t n = 0; n < probes_in_use(); n++) field_set(n, PROBE_LAST_SPECIAL_TYPE, field(n, PROBE_SPECIAL_TYPE));
}
