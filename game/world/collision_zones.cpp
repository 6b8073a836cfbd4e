#include "game/world/collision_zones.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/probe_collision.h"
#include "game/world/terrain_cells.h"

#include <cstdio>
#include <utility>

namespace {

constexpr int32_t ZONE_RECORDS = 4096;
constexpr int32_t DYNAMIC_REACH = 44999;     // |dx| + |dz| to the player
constexpr int32_t DYNAMIC_COARSE_MARGIN = 2992;
constexpr int32_t DYNAMIC_SURFACE = 1;
constexpr int32_t SHEAR_SCALE = 8;           // table word to shear factor (1/4096)
constexpr int32_t SHEAR_SHIFT = 12;
constexpr int32_t SLOPE_SHIFT = 9;
constexpr int32_t FIRST_ZONE_SLOT = 8;
constexpr int32_t ZONE_SLOTS_COURSE0 = 7, ZONE_SLOTS_OTHER = 4;
constexpr int32_t SLOT_Y_LIFT = 1459;
constexpr uint32_t SLOT_X = 0x00, SLOT_Y = 0x04, SLOT_Z = 0x08, SLOT_HEADING = 0x0E, SLOT_KIND = 0x44,
                   SLOT_STATE = 0x48;

int32_t probe_long(int32_t n, uint32_t offset) { return w_cell(probe_field(n, offset)); }

int32_t sloped(int32_t a, int32_t slope) { return wrap_mul(wrap_abs(a), slope) >> SLOPE_SHIFT; }

// Shear offsets of a probe and whether it lies in the box of the given halves.
struct box_place {
    int32_t dx, e, t, u;
};
box_place place_of(const zone_record& z, int32_t n) {
    int32_t dx = wrap_sub(probe_long(n, PROBE_POS), z.x);
    int32_t dz = wrap_sub(z.z, probe_long(n, PROBE_POS + 8));
    return {dx, wrap_neg(dz), wrap_mul(z.shear, dx) >> SHEAR_SHIFT, wrap_mul(z.shear, dz) >> SHEAR_SHIFT};
}
bool in_box(const box_place& p, int32_t half_length, int32_t half_width) {
    return wrap_sub(p.t, half_length) < p.e && p.e < wrap_add(p.t, half_length) && wrap_sub(p.u, half_width) < p.dx &&
           p.dx < wrap_add(p.u, half_width);
}

// Top and bottom of the zone above its base height at the probe's place.
void zone_heights(const zone_record& z, const box_place& p, int32_t* top, int32_t* bottom) {
    int32_t a = zone_axis_select(z, p.t, p.u, p.e, p.dx);
    int32_t raised = wrap_add(z.top, sloped(a, z.slope));
    *bottom = 0;
    switch (z.type) {
    case 0:
        *top = z.top;
        break;
    case 2: {
        int32_t a2 = (z.selector & 3) >= 2 ? wrap_sub(p.u, p.dx) : wrap_sub(p.t, p.e);
        *top = wrap_add(z.top, sloped(a2, z.slope));
        break;
    }
    case 3: {
        int32_t pp = wrap_sub(p.dx, p.u), q = wrap_sub(p.e, p.t);
        if ((z.selector & 3) < 2) std::swap(pp, q);
        int32_t first = wrap_add(z.top, sloped(pp, z.slope)), second = wrap_add(z.top, sloped(q, z.slope2));
        *top = first < second ? first : second;
        break;
    }
    case 4:
        *top = raised;
        *bottom = wrap_add(z.slope2 * 16, sloped(a, z.slope));
        break;
    case 5:
        *top = raised;
        *bottom = wrap_add(sloped(a, z.slope2), z.bottom_base * 16);
        break;
    default:
        *top = raised;
        break;
    }
}

// A dynamic zone as a type-0 record: its heading folded into a quarter turn (the half
// sizes swapped for odd quarters) and the halves widened to the box's reach.
zone_record dynamic_zone(int32_t k) {
    zone_record z{};
    z.surface = DYNAMIC_SURFACE;
    z.x = w_cell(W_SUBPART_X + 4 * uint32_t(k));
    z.y = w_cell(W_SUBPART_Y + 4 * uint32_t(k));
    z.z = w_cell(W_SUBPART_Z + 4 * uint32_t(k));
    z.top = w_cell(W_SUBPART_TOP + 4 * uint32_t(k));
    int32_t heading = w_cell(W_SUBPART_ANGLE + 4 * uint32_t(k)) & 0xFFFF;
    int32_t folded = heading & 0x3FFF;
    int32_t halves[2] = {w_cell(W_SUBPART_SIZE + 4 * uint32_t(k)), w_cell(W_SUBPART_HALF_B + 4 * uint32_t(k))};
    if ((heading >> 14) & 1) std::swap(halves[0], halves[1]);
    int32_t table = shear_word(folded), sine = wrap_abs(math_sin(folded)), cosine = math_cos(folded);
    z.shear = table * SHEAR_SCALE;
    for (int32_t& h : halves)
        h = wrap_add(wrap_mul(h, cosine) >> 15, wrap_mul(wrap_mul(h, sine) >> 15, wrap_abs(table)) >> SLOPE_SHIFT);
    z.half_length = halves[0];
    z.half_width = halves[1];
    z.coarse_length = wrap_add(halves[0], DYNAMIC_COARSE_MARGIN);
    z.coarse_width = wrap_add(halves[1], DYNAMIC_COARSE_MARGIN);
    return z;
}

// The dynamic zones and the slots they came from (SKYVOLTA_ZONEDBG, once).
void zones_dump(int32_t count) {
    fprintf(stderr, "[ZONES] n=%d\n", count);
    for (int32_t k = 0; k < count; k++) {
        uint32_t slot = animated_slot(FIRST_ZONE_SLOT + k);
        fprintf(stderr, "   rec%d @0x%04X: x=%-12d y=%-12d z=%-12d f0c=%08X f44=%08X f48=%08X\n", k, slot,
                w_cell(slot + SLOT_X), w_cell(slot + SLOT_Y), w_cell(slot + SLOT_Z), uint32_t(w_cell(slot + 0x0C)),
                uint32_t(w_cell(slot + SLOT_KIND)), uint32_t(w_cell(slot + SLOT_STATE)));
    }
    for (int32_t k = 0; k < count; k++) {
        uint32_t at = 4 * uint32_t(k);
        fprintf(stderr, "  %d  xyz=(%d,%d,%d) hdg=%d  ext=(%d,%d,%d)\n", k, w_cell(W_SUBPART_X + at),
                w_cell(W_SUBPART_Y + at), w_cell(W_SUBPART_Z + at), w_cell(W_SUBPART_ANGLE + at),
                w_cell(W_SUBPART_SIZE + at), w_cell(W_SUBPART_HALF_B + at), w_cell(W_SUBPART_TOP + at));
    }
}

}  // namespace

int32_t zone_axis_select(const zone_record& z, int32_t t, int32_t u, int32_t e, int32_t dx) {
    switch (z.selector & 3) {
    case 0: return wrap_sub(wrap_add(t, z.half_length), e);
    case 1: return wrap_sub(wrap_sub(t, z.half_length), e);
    case 2: return wrap_sub(wrap_add(u, z.half_width), dx);
    default: return wrap_sub(wrap_sub(u, z.half_width), dx);
    }
}

void zone_hit_test(const zone_record& z) {
    if (!in_box(place_of(z, 0), z.coarse_length, z.coarse_width)) return;
    for (int32_t n = 0; n < probes_in_use(); n++) {
        box_place p = place_of(z, n);
        if (!in_box(p, z.half_length, z.half_width)) continue;
        int32_t top, bottom;
        zone_heights(z, p, &top, &bottom);
        probe_column_zone_pair(n, wrap_add(top, z.y), wrap_add(bottom, z.y), z.surface);
    }
}

void zones_all_test() {
    static const bool off = env_present("SKYVOLTA_NO_ZONES");
    if (off) return;
    uint32_t list = cell_zone_list(course_table(TABLE_ZONES), w_cell(W_PLAYER_CELL));
    if (list == 0) return;
    zone_record z;
    for (int32_t i = 0; i < ZONE_RECORDS && zone_record_read(list, &z); i++) {
        zone_hit_test(z);
        list += z.length;
    }
    int32_t count = w_cell(W_SUBPART_COUNT);
    count = count < 0 ? 0 : count > SUBPART_SLOTS ? SUBPART_SLOTS : count;
    int32_t px = w_cell(W_PLAYER_X), pz = w_cell(W_PLAYER_Z);
    for (int32_t k = 0; k < count; k++) {
        int32_t reach = wrap_add(wrap_abs(wrap_sub(w_cell(W_SUBPART_X + 4 * uint32_t(k)), px)),
                                 wrap_abs(wrap_sub(w_cell(W_SUBPART_Z + 4 * uint32_t(k)), pz)));
        if (uint32_t(reach) > uint32_t(DYNAMIC_REACH)) continue;
        zone_hit_test(dynamic_zone(k));
    }
}

void zone_link_update() {
    static const bool log = env_present("SKYVOLTA_ZONEDBG");
    static int calls = 0;
    calls++;
    if (log && calls <= 4) fprintf(stderr, "[CGU] f=%d course=%d\n", int(host_frame), int(w_cell(W_COURSE_NUMBER)));
    int32_t slots = w_cell(W_COURSE_NUMBER) == 0 ? ZONE_SLOTS_COURSE0 : ZONE_SLOTS_OTHER;
    int32_t k = 0;
    for (; k < slots; k++) {
        uint32_t slot = animated_slot(FIRST_ZONE_SLOT + k);
        if (w_word(slot + SLOT_STATE) < 0) break;
        uint32_t at = 4 * uint32_t(k);
        w_cell_set(W_SUBPART_X + at, w_cell(slot + SLOT_X));
        w_cell_set(W_SUBPART_Y + at, wrap_sub(w_cell(slot + SLOT_Y), SLOT_Y_LIFT));
        w_cell_set(W_SUBPART_Z + at, w_cell(slot + SLOT_Z));
        w_cell_set(W_SUBPART_ANGLE + at, -int32_t(w_word(slot + SLOT_HEADING)) * 4);
        int32_t size[3];
        if (dynamic_zone_size(w_word(slot + SLOT_KIND), size)) {
            w_cell_set(W_SUBPART_SIZE + at, size[0]);
            w_cell_set(W_SUBPART_HALF_B + at, size[1]);
            w_cell_set(W_SUBPART_TOP + at, size[2]);
        }
    }
    w_cell_set(W_SUBPART_COUNT, k);
    if (log && calls == 31) zones_dump(k);
}
