#include "game/world/collision_driver.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/terrain_ram.h"
#include "game/world/collision_zones.h"
#include "game/world/probe_collision.h"
#include "game/world/terrain_cells.h"

#include <cstdio>

namespace {

constexpr int32_t FAST_SPEED = 3742;       // above: a contact slows the craft by 1/8
constexpr int32_t STALL_SPEED = 599;
constexpr int32_t STALL_PITCH = 4096;
constexpr int32_t STALL_PITCH_DROP = 0x4800;
constexpr int32_t SEARCH_REACH = 688;      // the look-ahead point ahead of the craft
constexpr int32_t SEARCH_GROWTH = 6144;    // distance added after each pass of the steps
constexpr int32_t FORWARD = 0x10000;
constexpr int32_t SHARP_TURN = 0x2000;
constexpr int32_t RELOCATED_SPEED = 2304;  // 0x900
constexpr int32_t IMPACT_SPEED = 2987;
constexpr int32_t HOLD_TURN = 56, HOLD_SHARP = 120, TURN_HOLD_FRAMES = 120;
constexpr int32_t AVOID_TURN = 3, AVOID_SHARP = 4, AVOID_STALL = 5;
constexpr int32_t GROUND_HOLD_LIMIT = 20;
constexpr int32_t GROUND_DROP = 2048;
constexpr int32_t ALT_STEP = 1024, ALT_TRIES = 64;
constexpr int32_t COLL_LOG_PERIOD = 60;

// Output order of the probes: top, nose, right wing, left wing, centre.
constexpr int32_t OUTPUT_ORDER[5] = {4, 3, 1, 2, 0};
constexpr int32_t OUTPUT_PROBES = 5;

int32_t probe_long(int32_t n, uint32_t offset) { return w_cell(probe_field(n, offset)); }

void count_down(uint32_t w, int32_t by) {
    int32_t v = w_cell(w) - by;
    w_cell_set(w, v < 0 ? 0 : v);
}

// A candidate direction of the search.
struct direction {
    int32_t pitch, heading;
};

// The forward vector turned by a pitch offset, then by the attitude (pitch, heading
// offset, roll): its pitch, and its heading added to `heading`.
direction turned_forward(int32_t pitch_offset, int32_t pitch, int32_t heading_offset, int32_t heading, int32_t roll) {
    int32_t x, y, z, x2, y2, z2;
    vec_rotate_phr(0, 0, FORWARD, pitch_offset, 0, 0, &x, &y, &z);
    vec_rotate_hrp(x, y, z, pitch, heading_offset, roll, &x2, &y2, &z2);
    int32_t h = math_atan2(x2, z2);
    vec_rotate_phr(x2, y2, z2, 0, wrap_neg(h), 0, &x, &y, &z);
    int32_t p = int16_t(math_atan2(z, y) + 0x4000);
    return {p, wrap_add(heading, h)};
}

// The target direction turned by a pitch or heading offset.
direction candidate(int32_t pitch_offset, int32_t heading_offset) {
    return turned_forward(pitch_offset, w_cell(W_TARGET_PITCH), heading_offset, w_cell(W_TARGET_HEADING),
                          w_cell(W_TARGET_ROLL));
}

// Probe 0 alone at `reach` along the direction; true when it is free.
bool point_free(direction d, int32_t reach) {
    int32_t x, y, z;
    vec_rotate_rph(0, 0, reach, d.pitch, d.heading, 0, &x, &y, &z);
    uint32_t p = probe_field(0, 0);
    w_cell_set(p + PROBE_POS, wrap_add(w_cell(W_PLAYER_X), x));
    w_cell_set(p + PROBE_POS + 4, wrap_add(w_cell(W_PLAYER_Y), y));
    w_cell_set(p + PROBE_POS + 8, wrap_add(w_cell(W_PLAYER_Z), z));
    probe_walk(0);
    zones_all_test();
    probe_column_classify();
    return probe_long(0, PROBE_HIT) == 0;
}

bool wrtdbg_on() {
    static const bool on = env_present("SKYVOLTA_WRTDBG");
    return on;
}

struct search_result {
    bool tried;
    direction dir;
    int32_t distance;
};

// Up to LOOKAHEAD_TRIES tries, pass after pass over the step table, each pass further out.
search_result free_direction_search() {
    search_result r{false, {0, 0}, 0};
    w_cell_set(W_PROBE_COUNT, 1);
    probe_layer_steps_reset();
    int32_t tries = 0;
    for (int32_t d = 0;; d = wrap_add(d, SEARCH_GROWTH)) {
        bool pass_tried = false;
        for (int32_t i = 0; i < LOOKAHEAD_STEPS; i++) {
            int32_t s = lookahead_step(i);
            if (uint32_t(s) >= uint32_t(LOOKAHEAD_STEP_END)) break;
            const direction offsets[4] = {{s, 0}, {wrap_neg(s), 0}, {0, s}, {0, wrap_neg(s)}};
            for (int k = 0; k < 4; k++) {
                const direction& o = offsets[k];
                r.dir = candidate(o.pitch, o.heading);
                r.distance = d;
                r.tried = pass_tried = true;
                if (wrtdbg_on())
                    fprintf(stderr,
                            "[WRT]   search it=%d dir=%d ridx=%d radius=%d off190=%d dist=%d vec=(%d,%d,%d) "
                            "rot=(%ld,%ld) tgt=(%ld,%ld)\n",
                            tries, k, i, s, SEARCH_REACH, wrap_add(d, SEARCH_REACH), o.pitch, o.heading, 0,
                            long(r.dir.pitch), long(r.dir.heading), long(w_cell(W_TARGET_PITCH)),
                            long(w_cell(W_TARGET_HEADING)));
                if (point_free(r.dir, wrap_add(d, SEARCH_REACH))) return r;
                if (++tries == LOOKAHEAD_TRIES) {
                    w_cell_set(probe_field(0, PROBE_HIT), 0);
                    return r;
                }
            }
        }
        if (!pass_tried) return r;  // a table with no step gives no try at all
    }
}

void coll_debug(bool ran) {
    static const bool on = env_present("SKYVOLTA_COLLDBG");
    static uint32_t runs = 0, skipped = 0, zero = 0, nonzero = 0;
    if (!on) return;
    (ran ? runs : skipped)++;
    (probe_long(0, PROBE_HIT) ? nonzero : zero)++;
    if (host_frame % COLL_LOG_PERIOD == 0)
        printf("[COLL] f%u E38=%ld ran=%u probes=%ld px=%ld py=%ld pz=%ld probe=(%ld,%ld,%ld) hit=%ld\n", host_frame,
               long(w_cell(W_COLLISION_OFF)), runs, long(w_cell(W_PROBE_COUNT)), long(w_cell(W_PLAYER_X)),
               long(w_cell(W_PLAYER_Y)), long(w_cell(W_PLAYER_Z)), long(probe_long(0, PROBE_POS)),
               long(probe_long(0, PROBE_POS + 4)), long(probe_long(0, PROBE_POS + 8)),
               long(probe_long(0, PROBE_HIT)));
    printf("[COLL]   timer W[0x0E44]=%ld  W[0x0E48]=%ld  state=%ld sub=%ld\n", long(w_cell(W_RACE_TIMER)),
           long(w_cell(W_RACE_TIMER_SHOWN)), long(uint16_t(w_word(W_GAME_STATE))),
           long(uint16_t(w_word(W_GAME_SUB_STATE))));
    printf("[COLL]   W[0x1324]: zero=%u nonzero=%u\n", zero, nonzero);
}

}  // namespace

void probe_update() {
    probe_layer_steps_reset();
    probe_positions_update();
    for (int32_t n = 0; n < PROBE_COUNT; n++) probe_walk(n);
    zones_all_test();
    probe_column_classify();
    probe_surface_shift();
    terrain_collision_zone_resolve();
    probe_edge_flags();
}

void collision_update() {
    if (w_cell(W_COLLISION_OFF) != 0) {
        coll_debug(false);
        return;
    }
    world_stage_update();
    probe_update();
    lookahead_contact();
    probe_ground_outputs();
    probe_contact_copy();
    coll_debug(true);
}

void lookahead_contact() {
    w_cell_set(W_PLAYER_SPEED_COPY, w_cell(W_PLAYER_SPEED));
    w_cell_set(W_LOOKAHEAD_IMPACT, 0);
    w_cell_set(W_LOOKAHEAD_FAST_AVOID, 0);
    int32_t ease_step = 1;
    if (w_cell(W_AVOID_STATE) != 0) {
        int32_t lag = wrap_abs(int16_t(wrap_sub(w_cell(W_TARGET_HEADING), w_cell(W_EASED_HEADING)))) >> 13;
        ease_step = lag > 1 ? lag : 1;
    }
    count_down(W_EASE_CODE, ease_step);
    count_down(W_THRUST_OFF_TIMER, 1);
    count_down(W_BANK_DAMPING_TIMER, 1);
    count_down(W_LOOKAHEAD_GROUND_HOLD, 1);
    if (probe_long(PROBE_LOOKAHEAD, PROBE_HIT) == 0) return;

    if (wrtdbg_on())
        fprintf(stderr, "[WRT] f%u look-ahead contact: player=(%ld,%ld,%ld) spd=%ld pitch=%ld hdg=%ld tgtpitch=%ld "
                "tgthdg=%ld\n", host_frame, long(w_cell(W_PLAYER_X)), long(w_cell(W_PLAYER_Y)),
                long(w_cell(W_PLAYER_Z)), long(w_cell(W_PLAYER_SPEED)), long(w_cell(W_PLAYER_PITCH)),
                long(w_cell(W_PLAYER_HEADING)), long(w_cell(W_TARGET_PITCH)), long(w_cell(W_TARGET_HEADING)));
    int32_t speed = w_cell(W_PLAYER_SPEED);
    if (speed > FAST_SPEED) speed -= speed >> 3;
    w_cell_set(W_PLAYER_SPEED, speed);
    bool stall = speed <= STALL_SPEED && int16_t(w_cell(W_TARGET_PITCH)) > STALL_PITCH;
    if (stall) w_cell_set(W_TARGET_PITCH, wrap_sub(w_cell(W_TARGET_PITCH), STALL_PITCH_DROP));

    int32_t old_heading = w_cell(W_TARGET_HEADING);
    search_result found = free_direction_search();
    if (!found.tried) return;

    int32_t hold = HOLD_SHARP, state;
    int32_t turn = int32_t(int16_t(old_heading)) - int32_t(int16_t(found.dir.heading));
    if (stall) {
        state = AVOID_STALL;
    } else if (turn < -SHARP_TURN || turn > SHARP_TURN) {
        state = AVOID_SHARP;
    } else {
        state = AVOID_TURN;
        hold = HOLD_TURN;
    }
    if (state != AVOID_TURN) w_cell_set(W_BANK_DAMPING_TIMER, TURN_HOLD_FRAMES);
    w_cell_set(W_AVOID_STATE, state);
    w_cell_set(W_TARGET_ROLL, 0);
    w_cell_set(W_TARGET_PITCH, found.dir.pitch);
    w_cell_set(W_TARGET_HEADING, found.dir.heading);
    if (found.distance > 0) {
        w_cell_set(W_PLAYER_SPEED, RELOCATED_SPEED);
        uint32_t p = probe_field(0, 0);
        w_cell_set(W_PLAYER_X, w_cell(p + PROBE_POS));
        w_cell_set(W_PLAYER_Y, w_cell(p + PROBE_POS + 4));
        w_cell_set(W_PLAYER_Z, w_cell(p + PROBE_POS + 8));
    } else if (speed > IMPACT_SPEED) {
        w_cell_set(W_LOOKAHEAD_FAST_AVOID, 1);
    }
    if (w_cell(W_EASE_CODE) < hold) w_cell_set(W_EASE_CODE, hold);
}

void probe_ground_outputs() {
    bool held = w_cell(W_LOOKAHEAD_GROUND_HOLD) > GROUND_HOLD_LIMIT;
    for (int32_t i = 0; i < OUTPUT_PROBES; i++) {
        int32_t n = OUTPUT_ORDER[i], y = probe_long(n, PROBE_POS + 4), contact = probe_long(n, PROBE_CONTACT);
        if (held && n == 3) contact = y;
        if (held && n <= 2 && contact < wrap_sub(y, GROUND_DROP)) contact = wrap_sub(y, GROUND_DROP);
        uint32_t at = W_GROUND_POINTS + 12 * uint32_t(i);
        w_cell_set(at, probe_long(n, PROBE_OFFSET));
        w_cell_set(at + 4, probe_long(n, PROBE_OFFSET + 8));
        w_cell_set(at + 8, contact);
    }
}

void probe_contact_copy() {
    for (int32_t i = 0; i < OUTPUT_PROBES; i++) {
        int32_t n = OUTPUT_ORDER[i];
        uint32_t at = W_CONTACT_COPY + 12 * uint32_t(i);
        w_cell_set(at, probe_long(n, PROBE_OFFSET));
        w_cell_set(at + 4, probe_long(n, PROBE_OFFSET + 8));
        w_cell_set(at + 8, probe_long(n, PROBE_OFFSET + 4));
    }
    for (int32_t n = 0; n < OUTPUT_PROBES; n++) {
        w_cell_set(W_CONTACT_HITS + 4 * uint32_t(n), probe_long(n, PROBE_HIT));
        w_cell_set(W_CONTACT_SURFACES + 4 * uint32_t(n), probe_long(n, PROBE_SURFACE));
    }
}

// The board turns until a try is free; ALT_TRIES (half a turn each way) bounds it.
void collision_probe_driver_alt() {
    int32_t pitch = w_cell(W_PLAYER_PITCH), heading = w_cell(W_PLAYER_HEADING), roll = w_cell(W_PLAYER_ROLL);
    for (int32_t k = 0; k < ALT_TRIES && probe_long(PROBE_NOSE, PROBE_HIT) != 0; k++) {
        int32_t turn = (k / 2 + 1) * ALT_STEP * (k % 2 ? -1 : 1);
        w_cell_set(W_PROBE_COUNT, 1);
        direction d = turned_forward(0, pitch, turn, heading, roll);
        if (!point_free(d, SEARCH_REACH)) continue;
        w_cell_set(W_PLAYER_PITCH, d.pitch);
        w_cell_set(W_PLAYER_HEADING, d.heading);
        w_cell_set(W_PLAYER_ROLL, 0);
        probe_update();
        return;
    }
}
