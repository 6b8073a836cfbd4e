#include "game/modes/ending_landing.h"

#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/runtime_services.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_ram.h"
#include "game/modes/ending_views.h"
#include "game/services/camera_ram.h"
#include "game/services/emitter_tables.h"
#include "game/services/ending_emitters.h"
#include "game/services/flight_ram.h"
#include "game/services/object_ram.h"
#include "game/services/rom_table.h"
#include "game/services/run_ram.h"
#include "game/world/goal_sequence.h"
#include "game/world/object_emitters.h"
#include "game/world/scene_chains.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t PHASE5_FIRST = 3375, PHASE6_FIRST = 3915, LANDING_FIRST = 4485, PHASE10_FIRST = 6795;
constexpr int32_t PHASE5_FRAMES = 540;
constexpr int32_t PHASE10_FRAMES = 150;
constexpr int32_t BAND_LOW = -102911;  // relative heights from here up to -1 draw in the low bank
constexpr int32_t LOW_BANK = -0x7000;
constexpr int32_t GROUND_MODEL = 500;
constexpr int32_t ANCHOR_MODEL_BASE = 0x615;
constexpr int32_t FADE_FULL = 255;

// Phase 5.
constexpr uint32_t ROM_P5_CAMERA = 0x38134, ROM_P5_LIST = 0x38150;
constexpr uint32_t ROM_P5_A_Y = 0x38180, ROM_P5_B_Y = 0x38174;  // from, to longs
// Phase 6.
constexpr uint32_t ROM_P6_CAMERA = 0x38188, ROM_P6_LIST = 0x381C0, ROM_P6_CHAIN_LOW = 0x381D0;
constexpr uint32_t ROM_P6_Y = 0x381D4, ROM_P6_FLOOR = 0x381D8, ROM_P6_SWAY = 0x381DC, ROM_P6_RATE = 0x381E8;
constexpr int32_t P6_SWAY_AT = 4197, P6_SWAY_FRAMES = 287, P6_CHAIN_FROM = 4317;
// Phase 7.
constexpr uint32_t ROM_LAND_CAMERA = 0x381F4, ROM_LAND_AIM_Y = 0x38214;
constexpr uint32_t ROM_LAND_ANCHOR = 0x38240, ROM_LAND_LIST = 0x38250, ROM_LAND_OBJECTS = 0x3826C;
constexpr int32_t LAND_START_Y = 0x2A000;
constexpr int32_t APPROACH_FRAMES = 600, APPROACH_EASED_TO = 477;
// Phase 10.
constexpr uint32_t ROM_FREE_PRESET = 0x384E0, ROM_FREE_LIST = 0x384FC;

constexpr int32_t CREW_FRAME_OFFSET[2] = {15, 11};  // phases 5 and 6

// Phase 10's animated scenery words and their ROM word cycles (address, length).
struct scenery_cycle {
    uint32_t word, rom;
    int32_t length;
};
constexpr scenery_cycle FREE_SCENERY[6] = {
    {0xB204, 0x383E4, 4}, {0xB284, 0x383EC, 5}, {0xBA84, 0x383CE, 7},
    {0xBB04, 0x383DC, 4}, {0xCF84, 0x383B0, 9}, {0xD004, 0x383C2, 6},
};

enum { PX, PY, PZ, PPITCH, PHEADING, PROLL };

int32_t rom_long(uint32_t address) {
    return bus_read32(address);
}
int32_t camera(uint32_t field) {
    return wram_long(W_CAMERA_X + 4 * field);
}
void add(uint32_t w, int32_t delta) {
    wram_long_set(w, wrap_add(wram_long(w), delta));
}
// w moves by (target - w) >> shift.
void ease(uint32_t w, int32_t target, int shift) {
    add(w, wrap_sub(target, wram_long(w)) >> shift);
}
// w loses 1/16 of itself.
void decay(uint32_t w) {
    add(w, wrap_neg(wram_long(w) / 16));
}

void longs_copy(uint32_t w, uint32_t rom, uint32_t count) {
    for (uint32_t k = 0; k < count; k++) wram_long_set(w + 4 * k, rom_long(rom + 4 * k));
}

void anchor_set(uint32_t w, int32_t x, int32_t y, int32_t z) {
    const int32_t v[4] = {x, y, z, ANCHOR_MODEL_BASE};
    for (uint32_t k = 0; k < 4; k++) wram_long_set(w + 4 * k, v[k]);
}

int32_t crew_step(int32_t phase_offset) {
    return rom_table_long({ROM_CREW_STEPS, 4, 16}, ((ending_counter_now() - phase_offset) >> 1) & 15, 0);
}

void entry4(int32_t model, int32_t x, int32_t y, int32_t z) {
    const int32_t words[4] = {model, x, y, z};
    dl_emit(words, 4);
}

void bank_to(int32_t bank) {
    dl_bank_select(bank);
    wram_long_set(W_DL_LAST_BANK, bank);
}
void bank_close() {
    dl_bank_end();
    wram_long_set(W_DL_LAST_BANK, 0);
}

// A relative height from -102911 up to -1 (the board compares it unsigned).
bool in_low_band(int32_t rel) {
    return uint32_t(rel) >= uint32_t(BAND_LOW);
}

// The heading from the record at W_ENDING_OBJECT to the model (+16) and minus the
// elevation toward the model's height above aim_y (+12); a zero cosine skips the
// division.
void object_aim_at_model(int32_t aim_y) {
    int32_t dx = wrap_sub(ending_pose(PX), ending_object(0)), dz = wrap_sub(ending_pose(PZ), ending_object(8));
    int32_t h = math_atan2(dx, dz);
    ending_object_set(16, h);
    int32_t a = math_cos(h) >> 5;
    if (a != 0) a = wrap_div(wrap_shl(dz, 8), a);
    ending_object_set(12, wrap_neg(math_atan2(wrap_sub(ending_pose(PY), aim_y) >> 2, a)));
}

// ---- Phase 7 steps -------------------------------------------------------------------

void landing_start() {
    wram_long_set(W_COURSE_NUMBER, 0);
    longs_copy(W_ENDING_POSE, ROM_LANDING_POSE, 6);
    for (uint32_t r = 0; r < 5; r++) wram_long_set(W_GROUND_POINTS + 12 * r + 8, LANDING_FLOOR);
    ending_player_from_pose();
    ending_pose_set(PY, LAND_START_Y);
    ending_scratch_set(LAND_SINK, wrap_div(wrap_shl(wrap_sub(LAND_START_Y, rom_long(ROM_LANDING_POSE + 4)), 6), 600));
}

void landing_approach(int32_t t) {
    int32_t heading = linear_map(-0x28000, rom_long(ROM_LANDING_HEADING), 0, APPROACH_FRAMES - 1, t);
    int32_t e = linear_map(0x6000, 4096, 0, APPROACH_FRAMES - 1, t);
    ending_pose_set(PHEADING, heading);
    ending_pose_set(PX, wrap_add(wrap_add(rom_long(ROM_LANDING_POSE), e), wrap_mul(e, math_cos(heading)) >> 15));
    ending_pose_set(PZ, wrap_add(rom_long(ROM_LANDING_POSE + 8), wrap_mul(e, math_sin(heading)) >> 15));
    int32_t roll = wrap_sub(math_atan2(wrap_shl(e, 8), 706575), 0x10000) / 3;
    if (t <= APPROACH_EASED_TO) {
        ending_pose_set(PY, linear_map(LAND_START_Y, rom_long(ROM_LANDING_POSE + 4), 0, APPROACH_FRAMES - 1, t));
    } else {
        wram_long_set(W_LAND_ROLL_V, wrap_shl(wrap_sub(roll, ending_pose(PROLL)), 9));
        ending_pose_set(PPITCH, wrap_add(ending_pose(PPITCH), wrap_sub(1024, ending_pose(PPITCH)) >> 6));
        ending_scratch_set(LAND_SINK,
                           std::max(0, wrap_sub(ending_scratch(LAND_SINK), wrap_mul(64, ending_pose(PPITCH)) / 2048)));
        ending_pose_set(PY, wrap_sub(ending_pose(PY), ending_scratch(LAND_SINK) >> 6));
    }
    ending_pose_set(PROLL, roll);

    longs_copy(W_ENDING_OBJECT, ROM_LAND_CAMERA, 7);
    object_aim_at_model(rom_long(ROM_LAND_AIM_Y));
    ending_camera_record_load(WRAM_BASE + W_ENDING_OBJECT, true);
    ending_scratch_set(LAND_EASE, 46080);
}

void landing_glide_start() {
    int32_t h = rom_long(ROM_LANDING_HEADING);
    ending_scratch_set(LAND_FALL, 80);
    ending_scratch_set(LAND_SPEED, wrap_div(wrap_add(wrap_mul(h, 4096), 0x28000000), 97784));
    ending_scratch_set(LAND_PITCH, wrap_shl(ending_pose(PPITCH), 6));
    ending_scratch_set(LAND_IK_C, wrap_shl(wram_long(W_ENDING_IK_C), 6));
    ending_scratch_set(LAND_IK_D, wrap_shl(wram_long(W_ENDING_IK_D), 6));
    ending_scratch_set(LAND_SCALE, wram_long(W_RIG_SCALE));
    ending_scratch_set(LAND_SCALE_TARGET, wram_long(W_RIG_SCALE));
}

void landing_glide() {
    ease(W_ENDING_SCRATCH + LAND_PITCH, 0x80000, 6);
    int32_t brake = std::min(ending_scratch(LAND_PITCH) / 5632,
                             wrap_div(wrap_add(wrap_mul(rom_long(ROM_LANDING_HEADING), 34), 0x550000), 97784));
    add(W_ENDING_SCRATCH + LAND_SPEED, wrap_neg(brake));
    ending_scratch_set(LAND_SINK, std::max(0, wrap_sub(ending_scratch(LAND_SINK), ending_scratch(LAND_PITCH) / 2048)));
    ending_pose_set(PY, wrap_sub(ending_pose(PY), ending_scratch(LAND_SINK) >> 6));
    ease(W_ENDING_IK_B, 3328, 4);
    int32_t v = wram_long(W_LAND_ROLL_V);
    v = wrap_sub(wrap_sub(v, wrap_mul(4, ending_pose(PROLL))), v >> 4);
    wram_long_set(W_LAND_ROLL_V, v);
    ending_pose_set(PROLL, wrap_add(ending_pose(PROLL), v >> 9));
    ease(W_ENDING_SCRATCH + LAND_IK_C, 3968, 3);
    ease(W_ENDING_SCRATCH + LAND_IK_D, 3840, 3);
    ease(W_CRANK_FRAME, 43520, 3);
    ease(W_ENDING_SCRATCH + LAND_SCALE, -5120, 4);
}

// The fall onto the ground, held at the floor; the first touch with no sink left kicks
// the sink, which then drives a damped spring on the rig target W_ENDING_IK_B.
void landing_touchdown() {
    add(W_ENDING_SCRATCH + LAND_FALL, 163);
    if (ending_pose(PY) <= LANDING_FLOOR + 255) decay(W_ENDING_SCRATCH + LAND_PITCH);
    ending_pose_set(PY, wrap_sub(ending_pose(PY), ending_scratch(LAND_FALL) / 64));
    if (ending_pose(PY) < LANDING_FLOOR) {
        ending_pose_set(PY, LANDING_FLOOR);
        ending_scratch_set(LAND_SPEED, 0);
        if (ending_scratch(LAND_SINK) == 0) ending_scratch_set(LAND_SINK, LANDING_KICK);
    }
    decay(W_ENDING_SCRATCH + LAND_IK_C);
    decay(W_ENDING_SCRATCH + LAND_IK_D);
    add(W_ENDING_SCRATCH + LAND_SCALE, wrap_sub(ending_scratch(LAND_SCALE_TARGET), ending_scratch(LAND_SCALE)) / 16);
    int32_t sink = ending_scratch(LAND_SINK);
    if (sink != 0) {
        int32_t w = wrap_sub(wrap_sub(sink, wrap_mul(128, wram_long(W_ENDING_IK_B))), sink / 2);
        ending_scratch_set(LAND_SINK, w);
        add(W_ENDING_IK_B, w >> 9);
    } else {
        decay(W_ENDING_IK_B);
    }
}

// The rig's ground contacts, model-relative, turned with the model.
void landing_contacts() {
    constexpr int32_t OFFSETS[4][3] = {{2240, 256, 512}, {-2240, 256, 512}, {0, 0, 688}, {0, 1248, 512}};
    constexpr uint32_t RECORDS[4] = {2, 3, 1, 0};
    wram_long_set(W_GROUND_POINTS + 48, 0);
    wram_long_set(W_GROUND_POINTS + 52, 0);
    for (int i = 0; i < 4; i++) {
        int32_t x, y, z;
        vec_rotate_rph(OFFSETS[i][0], OFFSETS[i][1], OFFSETS[i][2], ending_pose(PPITCH), ending_pose(PHEADING), ending_pose(PROLL), &x, &y,
                       &z);
        wram_long_set(W_GROUND_POINTS + 12 * RECORDS[i], x);
        wram_long_set(W_GROUND_POINTS + 12 * RECORDS[i] + 4, z);
    }
}

void landing_camera_settle(int32_t t) {
    if (t == APPROACH_FRAMES && ending_object(12) < 0) ending_object_set(12, ending_object(12) & 0xFFFF);
    ending_object_set(12, wrap_add(ending_object(12), wrap_sub(rom_long(ROM_LAND_CAMERA + 12), ending_object(12)) >> 6));
    int32_t divisor = ending_scratch(LAND_EASE);
    if (divisor != 0) ending_object_set(16, wrap_add(ending_object(16), wrap_div(wrap_shl(wrap_sub(rom_long(ROM_LAND_CAMERA + 16), ending_object(16)), 8), divisor)));
    ending_scratch_set(LAND_EASE, std::max(2048, wrap_sub(divisor, 352)));
    ending_camera_record_load(WRAM_BASE + W_ENDING_OBJECT, false);
}

void landing_log(int32_t t) {
    if (!verbose_enabled() || !(t % 50 == 0 || t % 50 == 14 || t == 868)) return;
    auto w = [](uint32_t a) { return long(wram_long(a)); };
    fprintf(stderr,
            "[PH7] k=%d node=%ld,%ld,%ld,%ld,%ld,%ld cam=%ld,%ld,%ld,%ld,%ld,%ld st=%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld "
            "D48=%ld D98=%ld 72DC=%ld 7304=%ld B0B4=%ld 2C04=%ld E00=%ld,%ld,%ld D94=%ld D50=%ld,%ld 6668=%ld,%ld\n",
            t, w(W_ENDING_POSE), w(W_ENDING_POSE + 4), w(W_ENDING_POSE + 8), w(W_ENDING_POSE + 12),
            w(W_ENDING_POSE + 16), w(W_ENDING_POSE + 20), w(W_ENDING_OBJECT), w(W_ENDING_OBJECT + 4),
            w(W_ENDING_OBJECT + 8), w(W_ENDING_OBJECT + 12), w(W_ENDING_OBJECT + 16), w(W_ENDING_OBJECT + 20),
            w(W_ENDING_SCRATCH), w(W_ENDING_SCRATCH + 4), w(W_ENDING_SCRATCH + 8), w(W_ENDING_SCRATCH + 12),
            w(W_ENDING_SCRATCH + 16), w(W_ENDING_SCRATCH + 20), w(W_ENDING_SCRATCH + 28), w(W_ENDING_SCRATCH + 32),
            w(W_PLAYER_SPEED), w(W_CRANK_FRAME), w(W_ENDING_IK_B), w(W_LAND_ROLL_V), w(W_RIG_SCALE), w(W_PEDAL_DELTA),
            w(W_DRIVE), w(W_PREV_DRIVE), w(W_PROP_ANGLE), w(W_CRANK_ANGLE), w(W_PITCH_INPUT), w(W_TURN_INPUT),
            w(W_OBJECT_HEADING), w(W_OBJECT_HEADING + 4));
}

// ---- Phase 10 steps ------------------------------------------------------------------

void free_camera_steer() {
    int32_t held = w_cell(W_SWITCH_PORT0 + SP_CURRENT) & 0xFFFF;
    if (held) wram_long_set(W_ENDING_OBJECT + FREE_CAMERA_TOUCHED, -1);
    if (w_cell(W_SWITCH_PORT0 + SP_PRESSED) & 0x200)
        for (uint32_t k = 0; k < 6; k++) wram_long_set(W_CAMERA_X + 4 * k, bus_read8(ROM_FREE_PRESET + 4 * k));
    if (held & 0x10) add(W_CAMERA_HEADING, -256);
    if (held & 0x20) add(W_CAMERA_HEADING, 256);
    if (held & 0x80) add(W_CAMERA_PITCH, -256);
    if (held & 0x40) add(W_CAMERA_PITCH, 256);
    int32_t speed = (held & 0x400) ? -128 : (held & 0x4) ? 128 : 0;
    ending_object_set(8, speed);
    int32_t d[3];
    vec_rotate_rph(0, 0, speed, camera(PPITCH), camera(PHEADING), camera(PROLL), &d[0], &d[1], &d[2]);
    for (uint32_t k = 0; k < 3; k++) add(W_CAMERA_X + 4 * k, d[k]);
}

// The two sky groups of the debug displays.
void free_camera_sky(int32_t t) {
    const int32_t first[] = {DL_NODE, 3, 1, 0, 0x7FFF, 0, 0x7FFF, 0, 0x7FFF, 0, 0, 0, -256, 0, DL_END};
    const int32_t second[] = {DL_NODE, 3, 1, 0x7FFF, 0, 0, 0x7FFF, 0, 0x7FFF, 0, 0, 0, -256, 0, DL_END};
    const int32_t* groups[2] = {first, second};
    const uint32_t parents[2] = {0xB07C, 0xB1FC};
    const int32_t models[2] = {1075 + (t / 16) % 17, 592};
    for (int g = 0; g < 2; g++) {
        dl_emit(groups[g], 15);
        const int32_t compose[4] = {DL_NODE_COMPOSE, 3, wram_long(parents[g]), 3};
        dl_emit(compose, 4);
        const int32_t place[6] = {DL_NODE_MODEL, models[g], 3, wram_long(W_NODE_ANCHOR), wram_long(W_NODE_ANCHOR + 4),
                                  wram_long(W_NODE_ANCHOR + 8)};
        dl_emit(place, 6);
    }
}

// The fixed set piece of models 1092..1119, then the backdrop.
void free_camera_set_piece() {
    struct offset {
        int32_t model, dx, dz;
    };
    constexpr offset MOVED[] = {{1096, 3250, -450}, {1105, -2080, 165},   {1106, -2080, 165}, {1107, -2080, -1405},
                                {1108, -2080, -1405}, {1109, -2080, -650}, {1110, -2080, -650}};
    for (int32_t model = 1092; model <= 1119; model++) {
        int32_t dx = 0, dz = 0;
        for (const offset& o : MOVED)
            if (o.model == model) dx = o.dx, dz = o.dz;
        entry4(model, dl_relative_x(dx), dl_relative_y(40960), dl_relative_z(dz));
    }
    entry4(41, 0, -0x20000, 0);
    entry4(39, 0, -0x20000, 0);
}

}  // namespace

int32_t ending_pose(uint32_t field) {
    return wram_long(W_ENDING_POSE + 4 * field);
}
void ending_pose_set(uint32_t field, int32_t v) {
    wram_long_set(W_ENDING_POSE + 4 * field, v);
}
int32_t ending_object(uint32_t offset) {
    return wram_long(W_ENDING_OBJECT + offset);
}
void ending_object_set(uint32_t offset, int32_t v) {
    wram_long_set(W_ENDING_OBJECT + offset, v);
}
int32_t ending_scratch(uint32_t field) {
    return wram_long(W_ENDING_SCRATCH + field);
}
void ending_scratch_set(uint32_t field, int32_t v) {
    wram_long_set(W_ENDING_SCRATCH + field, v);
}

int32_t ending_scene_frame(int32_t first) {
    int32_t t = ending_counter_now() - first;
    w_word_set(W_ENDING_LOCAL_FRAME, t);
    return t;
}

void ending_heading_words_set() {
    int32_t h = wrap_neg(camera(PHEADING));
    wram_long_set(W_OBJECT_TURN_LIMIT, h);
    wram_long_set(W_OBJECT_HEADING, math_sin(h));
    wram_long_set(W_OBJECT_HEADING + 4, math_cos(h));
}

void ending_fade_run(int32_t hold_step, int32_t most) {
    int32_t fade = w_cell(W_FADE_AMOUNT);
    if (fade <= 0) return;
    if (w_word(W_FADE_HOLD) != 0 && fade != FADE_FULL) {
        event_record_load(0);
        w_word_set(W_FADE_STEP, hold_step);
        return;
    }
    w_cell_set(W_FADE_AMOUNT, std::clamp(fade - w_word(W_FADE_STEP), 0, most));
}

void ending_fog_biases_set(int32_t v) {
    for (uint32_t k = 0; k < 4; k++) bus_write16(CZ_BIAS_0 + 2 * k, uint32_t(v) & 0xFFFF);
}

void ending_phase5() {
    int32_t t = ending_scene_frame(PHASE5_FIRST);
    if (ending_counter_now() == PHASE5_FIRST + 2) ending_fog_biases_set(-128);
    anchor_set(W_ANCHOR_A, -0x1C000, linear_map(rom_long(ROM_P5_A_Y), rom_long(ROM_P5_A_Y + 4), 0, PHASE5_FRAMES, t),
               0xDB000);
    anchor_set(W_ANCHOR_B, 0, linear_map(rom_long(ROM_P5_B_Y), rom_long(ROM_P5_B_Y + 4), 0, PHASE5_FRAMES, t), 0);

    ending_camera_record_load(ROM_P5_CAMERA, true);
    ending_camera_sway();
    ending_bank_marker();
    dl_copy_packets(ROM_P5_LIST, ROM_SCENE_ANCHOR);
    dl_copy_packets(ROM_SCENE_LISTS[2], WRAM_BASE + W_ANCHOR_A);
    wram_long_set(W_OBJECT_PLAIN, int32_t(WRAM_BASE + W_ANCHOR_A));
    object_packet_emit();
    dl_copy_packets(ROM_SCENE_LISTS[0], WRAM_BASE + W_ANCHOR_B);

    // The crew at the fixed anchor, relative to the camera.
    dl_header_8000();
    for (uint32_t k = 0; k < 3; k++) ending_object_set(4 * k, wrap_sub(rom_long(ROM_SCENE_ANCHOR + 4 * k), camera(k)));
    int32_t crew = crew_step(CREW_FRAME_OFFSET[0]);
    const int32_t models[6] = {wrap_add(326, crew), 340 + (t / 4) % 16, 334 + (t / 4) % 6,
                               364 + (t / 4) % 4,   wrap_add(356, crew), 368 + (t / 2) % 6};
    for (int32_t model : models) entry4(model, ending_object(0), ending_object(4), ending_object(8));

    int32_t by = wrap_sub(wram_long(W_ANCHOR_B + 4), camera(PY));
    if (by >= BAND_LOW && wram_long(W_DL_LAST_BANK) != LOW_BANK) bank_to(LOW_BANK);
    entry4(GROUND_MODEL, dl_relative_x(wram_long(W_ANCHOR_B)), by, dl_relative_z(wram_long(W_ANCHOR_B + 8)));
    bank_close();
    nop_hook_objects();
}

void ending_phase6() {
    int32_t t = ending_scene_frame(PHASE6_FIRST);
    int32_t floor = wrap_add(rom_long(ROM_P6_FLOOR), wram_long(W_BAND_HEIGHT + 8));
    int32_t y = floor;
    if (t <= 281)
        y = linear_map(rom_long(ROM_P6_Y), floor, 0, 282, t);
    else
        add(W_ENDING_OBJECT + 12, wram_long(W_ENDING_OBJECT + 12) / 16);  // the sway's pitch divisor grows: it dies out
    if (ending_counter_now() == P6_SWAY_AT) {
        longs_copy(W_ENDING_OBJECT, ROM_P6_SWAY, 6);
        ending_sway_start(WRAM_BASE + W_ENDING_OBJECT, P6_SWAY_FRAMES);
    }
    anchor_set(W_ANCHOR_A, 0, y, 0);
    int32_t o = y < wrap_add(floor, 4608) ? wrap_sub(wrap_sub(y, rom_long(ROM_P6_FLOOR)), 4608) : 40960;

    ending_camera_record_load(ROM_P6_CAMERA, true);
    ending_camera_sway();
    if (t > 401) {
        ending_object_set(20, 0);
        ending_object_set(4, 0);
        int32_t n = dl_emit_segment_chain(rom_long(ROM_P6_CHAIN_LOW), y, ending_counter_now() - P6_CHAIN_FROM);
        if (n != 0) ending_object_set(12, wrap_mul(n, rom_long(ROM_P6_RATE)));
    }

    ending_bank_marker();
    dl_copy_packets(ROM_P6_LIST, ROM_SCENE_ANCHOR);
    int32_t bank_y = wram_long(W_BAND_HEIGHT + 4);
    bank_to(in_low_band(wrap_sub(y, camera(PY))) ? wrap_add(bank_y, 20400) : wrap_sub(bank_y, 8432));
    dl_copy_packets(ROM_SCENE_LISTS[0], WRAM_BASE + W_ANCHOR_A);
    int32_t rel[3];
    for (uint32_t k = 0; k < 3; k++) rel[k] = wrap_sub(wram_long(W_ANCHOR_A + 4 * k), camera(k));
    const int32_t header[2] = {DL_HEADER_4, dl_header_prio()};
    dl_emit(header, 2);
    dl_cursor_set(object_packet_header(OBJECT_RECORD_COMPOUND, rel, dl_cursor_get()));
    dl_emit(header, 2);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_4);

    bank_to(rel[1] < BAND_LOW ? wrap_add(bank_y, 4096) : wrap_sub(bank_y, 8192));
    entry4(GROUND_MODEL, rel[0], rel[1], rel[2]);
    dl_bank_select(19200);
    entry4(wrap_add(356, crew_step(CREW_FRAME_OFFSET[1])), wrap_neg(camera(PX)), wrap_sub(o, camera(PY)),
           wrap_neg(camera(PZ)));
    bank_close();
}

void ending_landing() {
    int32_t t = ending_scene_frame(LANDING_FIRST);
    if (t == 0) landing_start();
    if (t < APPROACH_FRAMES) {
        landing_approach(t);
    } else {
        if (t == APPROACH_FRAMES) landing_glide_start();
        if (ending_scratch(LAND_SPEED) > 256)
            landing_glide();
        else
            landing_touchdown();
        wram_long_set(W_RIG_SCALE, ending_scratch(LAND_SCALE));
        wram_long_set(W_ENDING_IK_C, ending_scratch(LAND_IK_C) / 64);
        wram_long_set(W_ENDING_IK_D, ending_scratch(LAND_IK_D) / 64);
        ending_pose_set(PPITCH, ending_scratch(LAND_PITCH) / 64);
        ending_pose_set(PZ, wrap_sub(ending_pose(PZ), ending_scratch(LAND_SPEED) / 64));
    }
    landing_contacts();
    if (t >= APPROACH_FRAMES) landing_camera_settle(t);

    ending_camera_sway();
    ending_bank_marker();
    dl_copy_packets(ROM_LAND_LIST, ROM_SCENE_ANCHOR);
    wram_long_set(W_OBJECT_COMPOUND, int32_t(ROM_LAND_ANCHOR));
    dl_copy_packets(ROM_SCENE_LISTS[0], ROM_LAND_ANCHOR);
    int32_t chain_y = rom_long(ROM_LAND_ANCHOR + 4);
    dl_emit_segment_chain(chain_y, chain_y, 0);
    wram_long_set(W_WING_SET, 0);
    ending_model_rig_step();
    ending_heading_words_set();
    dl_emit_object_list(ROM_LAND_OBJECTS, ending_counter_now(), -0x8000);
    landing_log(t);
}

void ending_phase10() {
    ending_object_set(0, 0);
    ending_object_set(4, 0);
    ending_object_set(8, 0);
    int32_t t = ending_scene_frame(PHASE10_FIRST);
    free_camera_steer();
    ending_camera_sway();
    for (const scenery_cycle& s : FREE_SCENERY)
        wram_long_set(s.word, rom_table_word({s.rom, 2, uint32_t(s.length)}, (t / 16) % s.length, 0));

    if (t % PHASE10_FRAMES == 0) {
        w_word_set(W_OBJECT_LIST_VIEW, 3);
        w_cell_set(W_KEYFRAME_COUNTER, 0);  // the list is built again from its first stage
        object_list_emit();
    } else {
        object_list_emit_staged();
    }

    dl_header_8000();
    bank_to(wram_long(W_BAND_HEIGHT + 4));
    if (w_cell(W_DIP_SWITCH_BITS) & 0x10) free_camera_sky(t);
    if (wram_long(W_GOAL_DEBUG_REPEAT) == 0) free_camera_set_piece();
    bank_close();

    wram_long_set(W_ENDING_OBJECT + 12, 1173);
    ending_object_set(0, wrap_sub(wram_long(W_BAND_HEIGHT), 0x58900));
    ending_object_set(4, wrap_sub(wram_long(W_BAND_HEIGHT + 4), 43744));
    ending_object_set(8, wrap_sub(wram_long(W_BAND_HEIGHT + 8), 572160));
    dl_copy_packets(ROM_FREE_LIST, WRAM_BASE + W_ENDING_OBJECT);
    ending_bank_marker();

    if (ending_counter_now() == PHASE10_FIRST + PHASE10_FRAMES - 1 &&
        wram_long(W_ENDING_OBJECT + FREE_CAMERA_TOUCHED) == -1) {
        wram_long_set(W_ENDING_OBJECT + FREE_CAMERA_TOUCHED, 0);
        ending_phase_set(10, PHASE10_FIRST - 1);  // the advance brings the phase's first frame again
    }
}
