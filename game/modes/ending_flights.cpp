#include "game/modes/ending_flights.h"

#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "game/modes/ending_landing.h"
#include "game/modes/ending_ram.h"
#include "game/modes/ending_views.h"
#include "game/services/camera_ram.h"
#include "game/services/emitter_tables.h"
#include "game/services/object_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_tables.h"
#include "game/world/goal_sequence.h"
#include "game/world/list_room.h"
#include "game/world/node_lists.h"
#include "game/world/object_emitters.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace {

// The first counter value of phases 0..4: their handlers act on fixed local frames.
constexpr int32_t PHASE_FIRST[5] = {0, 540, 1560, 2145, 2775};
constexpr int32_t FADE_HOLD_STEP = 0x40;
constexpr int32_t FADE_NO_CEILING = std::numeric_limits<int32_t>::max();  // the fly-in's fade stops only at 0
constexpr int32_t LIST_MAX = 256;  // entries any one list walk reads

constexpr int32_t SOUND_LIGHT_ON = 43, SOUND_BLAST = 44, SOUND_WIND_LOOP = 45, SOUND_FLASH = 46,
                  SOUND_FLY_IN = 64, SOUND_SWAY = 82;
constexpr int32_t EVENT_FADE_IN = 0, EVENT_FLASH = 7;

// Scene flag bits (the upper half of W_OBJECT_MODE) that the scene packets read.
constexpr int32_t FLAG_DEBRIS = 0x01, FLAG_LIGHTS = 0x0E, FLAG_BLAST = 0x20, FLAG_FLICKER = 0x40;

// The flights' longs in the ending's scratch (W_ENDING_SCRATCH + field).
constexpr uint32_t DESCENT_SPEED = 0;  // phase 1
constexpr uint32_t STEP_NUMBER = 4;    // phase 0: 1-based, 0 none
constexpr uint32_t DEBRIS_SPEED = 8;   // phase 0: the ring's rise
constexpr uint32_t DEBRIS_HEIGHT = 12;
constexpr uint32_t CHUNK_SPEED = 16;  // phase 0: the big piece's rise
constexpr uint32_t CHUNK_HEIGHT = 20;
constexpr uint32_t FLASH_ANGLE = 24;
constexpr uint32_t FLASH_LEFT = 28;
constexpr uint32_t TILE_STEP = 32;
// Phase 3's eased camera record (x, y, z longs and the angle at +12) in the scene record
// (W_ENDING_OBJECT + field): its last three longs and the first scratch long.
constexpr uint32_t EASED_RECORD = 16;
constexpr int32_t RING_MODEL_BASE = 1557;

// ROM records and lists of the phases.
constexpr rom_table ROM_SCENE_RECORD = {0x37AA4, 28, 1};  // the scene object: seven longs
constexpr rom_table ROM_TILE_ROWS = {0x37ADC, 1, 93};     // phase 0's tile rows, by step
constexpr uint32_t ROM_FLY_IN_CAMERAS[2] = {0x37CFC, 0x37D18};
constexpr rom_table ROM_FLY_IN_SWAY = {0x37D34, 4, 6};
constexpr rom_table ROM_FLY_IN_EVENTS = {0x37D4C, 4, LIST_MAX};   // frame, event
constexpr rom_table ROM_FLY_IN_STEPS = {0x37D5E, 2, LIST_MAX};    // frame
constexpr rom_table ROM_FLY_IN_FLASHES = {0x37D66, 6, LIST_MAX};  // frame, angle, count
constexpr uint32_t ROM_FLY_IN_MODEL = 0x37C4C;
constexpr uint32_t ROM_PASS_MODEL = 0x37E28;
constexpr uint32_t ROM_SINK_CAMERA = 0x37F88;
constexpr uint32_t ROM_SINK_MODEL = 0x37F80;
constexpr uint32_t ROM_ROLL_MODEL[2] = {0x3804C, 0x38054};
constexpr rom_table ROM_ROLL_EYE = {0x3805C, 16, 2};  // x, y, z, angle: start and end
constexpr rom_table ROM_ROLL_OBJECT = {0x3807C, 4, 4};
constexpr rom_table ROM_RING = {0x380B0, 4, 29};  // the record, then the ring's longs
constexpr rom_table ROM_RING_TURNS = {0x38104, 2, 8};
constexpr rom_table ROM_RING_SPINS = {0x38114, 2, 8};
constexpr rom_table ROM_RING_LIFTS = {0x38124, 2, 8};
// Longs of ROM_RING by their address.
constexpr int32_t ring_long(uint32_t address) {
    return int32_t((address - 0x380B0) / 4);
}

// The spot of the flash and the blast: the scene record's position moved onto the object.
constexpr int32_t SPOT_X = 258252, SPOT_Y = 122920, SPOT_Y_TURNED = 118824, SPOT_Z = 1165579;
constexpr int32_t BLAST_Y = 122408;
constexpr int32_t FLASH_MODEL = 558, BLAST_MODEL = 537, DEBRIS_MODEL = 503, CHUNK_MODEL = 505;
constexpr int32_t BLAST_TURN = 0x2000;  // the blast's turn every 10 frames
constexpr int32_t DEBRIS_SPIN = 0x600;  // each debris piece's spin a frame
constexpr int32_t RING_BODY_MODEL = 500;

int32_t local_frame(int32_t phase) {
    int32_t t = ending_scene_frame(PHASE_FIRST[phase]);
    wram_long_set(W_WING_SET, 1);
    return t;
}

int32_t scene_flags() {
    return w_word(W_OBJECT_MODE);
}
void scene_flags_set(int32_t flags) {
    w_word_set(W_OBJECT_MODE, flags);
}
void object_long_set(uint32_t field, int32_t v) {
    wram_long_set(W_ENDING_OBJECT + field, v);
}
// The object record := the seven longs of the ROM scene record.
void object_from_scene_record() {
    for (uint32_t k = 0; k < 7; k++) object_long_set(4 * k, rom_table_long(ROM_SCENE_RECORD, 0, 4 * k));
}

// The model's node list: loaded on clock 0 (the player then set from the model's
// pose), brought to the clock on later frames; then one rig step.
void model_step(uint32_t list, int32_t clock) {
    if (clock == 0) {
        rom_object_list_load(WRAM_BASE + W_FOLLOWED_MODEL, list);
        ending_player_from_pose();
    } else {
        node_list_update(int32_t(W_FOLLOWED_MODEL), clock);
    }
    ending_model_rig_step();
}

// ---- Phase 0 --------------------------------------------------------------------------

void fly_in_events(int32_t t) {
    for (int32_t i = 0; i < LIST_MAX; i++) {
        int32_t frame = rom_table_word(ROM_FLY_IN_EVENTS, i, 0);
        if (frame <= 0) break;
        if (frame != t) continue;
        int32_t event = rom_table_word(ROM_FLY_IN_EVENTS, i, 2);
        event_record_load(event);
        w_word_set(W_FADE_STEP, event == EVENT_FADE_IN ? 64 : 1);
    }
}

void fly_in_camera(int32_t t) {
    if (t == 0) {
        wram_long_set(W_VIEW_CENTRE, 240);
        for (uint32_t w : {W_ENDING_SCRATCH + STEP_NUMBER, W_ENDING_SCRATCH + FLASH_LEFT}) wram_long_set(w, 0);
        ending_scratch_set(TILE_STEP, 40);
        w_word_set(W_ENDING_ZOOM, 0x780);
        w_word_set(W_VIEW_WIDTH, 0x140);
        scene_flags_set(0);
        ending_camera_record_load(ROM_FLY_IN_CAMERAS[0], false);
    } else if (t < 264) {
        ending_camera_interpolate(ROM_FLY_IN_CAMERAS[0], ROM_FLY_IN_CAMERAS[1], t, 264, true);
    } else {
        ending_camera_record_load(ROM_FLY_IN_CAMERAS[1], true);
    }
}

// From t = 336 a sway on the record, whose pitch and heading divisors grow by 1/32 a
// frame so that it dies out.
void fly_in_sway(int32_t t) {
    if (t == 336) {
        for (uint32_t k = 0; k < 6; k++) object_long_set(4 * k, rom_table_long(ROM_FLY_IN_SWAY, k, 0));
        ending_sway_start(WRAM_BASE + W_ENDING_OBJECT, 204);
    }
    for (uint32_t divisor : {4u, 12u}) {
        int32_t v = wram_long(W_ENDING_OBJECT + divisor);
        object_long_set(divisor, wrap_add(v, v >> 5));
    }
    ending_camera_sway();
}

// An 11-word entry at the object's spot (x, y, z offsets from the scene record),
// relative to the camera, with the three rotation pairs and flags 4.
void spot_entry(int32_t model, int32_t dx, int32_t dy, int32_t dz, const int32_t pairs[6]) {
    int32_t words[11] = {
        model,
        dl_relative_x(wrap_add(rom_table_long(ROM_SCENE_RECORD, 0, 0), dx)),
        dl_relative_y(wrap_add(rom_table_long(ROM_SCENE_RECORD, 0, 4), dy)),
        dl_relative_z(wrap_add(rom_table_long(ROM_SCENE_RECORD, 0, 8), dz)),
    };
    std::copy(pairs, pairs + 6, words + 4);
    words[10] = 4;
    dl_emit(words, 11);
}

// The flash faces the camera at half size; a non-zero angle moves it round the spot.
void flash_draw(int32_t t) {
    int32_t a = ending_scratch(FLASH_ANGLE), dx = SPOT_X, dy = SPOT_Y, dz = SPOT_Z;
    if (a != 0) {
        dx = wrap_add(dx, wrap_mul(math_sin(a), 7680) >> 15);
        dy = SPOT_Y_TURNED;
        dz = wrap_add(dz, wrap_mul(math_cos(a), 7680) >> 15);
    }
    int32_t h = wrap_neg(wram_long(W_CAMERA_HEADING));
    const int32_t pairs[6] = {0x1090, 0x3DD1, math_sin(h) >> 1, math_cos(h) >> 1, 0, 0x3FFF};
    dl_header_8002();
    spot_entry(FLASH_MODEL + (t & 15), dx, dy, dz, pairs);
}

void fly_in_flashes(int32_t t) {
    for (int32_t i = 0; i < LIST_MAX; i++) {
        int32_t frame = rom_table_word(ROM_FLY_IN_FLASHES, i, 0);
        if (frame <= 0) break;
        if (frame >> 1 != t >> 1) continue;
        sound_play(SOUND_FLASH);
        ending_scratch_set(FLASH_ANGLE, rom_table_word(ROM_FLY_IN_FLASHES, i, 2));
        ending_scratch_set(FLASH_LEFT, rom_table_word(ROM_FLY_IN_FLASHES, i, 4));
        event_record_load(EVENT_FLASH);
        w_word_set(W_FADE_STEP, 1);
    }
    int32_t left = ending_scratch(FLASH_LEFT);
    if (left <= 0) return;
    flash_draw(t);
    ending_scratch_set(FLASH_LEFT, left - 1);
}

// Bit 6 flickers with the player's x until 10 frames before the first step.
int32_t flicker(int32_t t, int32_t flags) {
    int32_t x = wram_long(W_PLAYER_X);
    if (flags & FLAG_FLICKER) {
        if ((x & 0x1A) == 0) flags &= ~FLAG_FLICKER;
    } else if ((x & 0xCA) == 0) {
        flags |= FLAG_FLICKER;
    }
    if (t >= rom_table_word(ROM_FLY_IN_STEPS, 0, 0) - 10) flags &= ~FLAG_FLICKER;
    return flags;
}

// Step 1: five blast models in turn, a sound and a flash every 10 frames.
int32_t blast(int32_t d, int32_t flags) {
    int32_t k = (d / 2) % 5;
    if (k == 0) sound_play(SOUND_BLAST);
    int32_t pairs[6] = {0, 0x7FFF, 0, 0, 0, 0x7FFF};
    dl_rotation_pair(d / 10 * BLAST_TURN, pairs + 2);
    dl_header_8002();
    spot_entry(BLAST_MODEL + k, SPOT_X, BLAST_Y, SPOT_Z, pairs);
    if (d / 10 != 1 && k <= 1) {
        event_record_load(EVENT_FLASH);
        w_word_set(W_FADE_STEP, 0x100);
    } else if (k == 4) {
        flags |= FLAG_BLAST;
    }
    return flags;
}

// Step 3: six pieces thrown out on a ring and one big piece along a fixed angle, rising
// and falling under a constant pull.
void debris(int32_t t, int32_t d) {
    if ((t & ~8) == 336) sound_play(SOUND_FLASH);
    dl_header_8002();
    int32_t lift = ending_scratch(DEBRIS_HEIGHT) >> 8;
    for (int32_t k = 0; k < 6; k++) {
        int32_t a = wrap_add(-60781, k * 0x10000 / 6);
        int32_t pairs[6];
        dl_rotation_pair(wrap_add(a, wrap_mul(d, DEBRIS_SPIN)), pairs);
        dl_rotation_pair(a, pairs + 2);
        dl_rotation_pair(0, pairs + 4);
        spot_entry(DEBRIS_MODEL, wrap_add(SPOT_X, wrap_mul(d, math_sin(a)) / 16), wrap_add(SPOT_Y, lift),
                   wrap_add(SPOT_Z, wrap_mul(d, math_cos(a)) / 16), pairs);
    }
    constexpr int32_t CHUNK_ANGLE = 0x5290;
    const int32_t pairs[6] = {0, 0x7FFF, math_sin(CHUNK_ANGLE), math_cos(CHUNK_ANGLE), 0, 0x7FFF};
    spot_entry(CHUNK_MODEL, wrap_add(SPOT_X, wrap_mul(d, math_sin(CHUNK_ANGLE)) / 8),
               wrap_add(SPOT_Y, ending_scratch(CHUNK_HEIGHT) >> 8),
               wrap_add(SPOT_Z, wrap_mul(d, math_cos(CHUNK_ANGLE)) / 8), pairs);
    ending_scratch_set(DEBRIS_HEIGHT, wrap_add(ending_scratch(DEBRIS_HEIGHT), ending_scratch(DEBRIS_SPEED)));
    ending_scratch_set(DEBRIS_SPEED, wrap_sub(ending_scratch(DEBRIS_SPEED), 653));
    ending_scratch_set(CHUNK_HEIGHT, wrap_add(ending_scratch(CHUNK_HEIGHT), ending_scratch(CHUNK_SPEED)));
    ending_scratch_set(CHUNK_SPEED, wrap_sub(ending_scratch(CHUNK_SPEED), 41841));
}

int32_t fly_in_steps(int32_t t, int32_t flags) {
    int32_t step = ending_scratch(STEP_NUMBER);
    for (int32_t i = 0; i < LIST_MAX; i++) {
        int32_t frame = rom_table_word(ROM_FLY_IN_STEPS, i, 0);
        if (frame <= 0) break;
        if (frame == t) step = i + 1;
    }
    flags &= ~FLAG_BLAST;
    int32_t d = step > 0 ? wrap_sub(t, rom_table_word(ROM_FLY_IN_STEPS, step - 1, 0)) : 0;
    if (step == 1 && d >= 50) step = 0;
    if (step == 1) flags = blast(d, flags);
    if (step == 2 && d == 0) {
        ending_scratch_set(DEBRIS_SPEED, 0x18000);
        ending_scratch_set(DEBRIS_HEIGHT, 0);
        ending_scratch_set(CHUNK_SPEED, 0x100000);
        ending_scratch_set(CHUNK_HEIGHT, 0);
        flags |= FLAG_BLAST;
        sound_play(SOUND_FLASH);
    }
    if (step == 3) {
        flags |= FLAG_DEBRIS;
        debris(t, d);
    }
    if (step < 2) sound_play_throttled(SOUND_WIND_LOOP);
    ending_scratch_set(STEP_NUMBER, step);
    return flags;
}

// Tile blocks loaded a frame at a time, then the character RAM's upper part filled and
// the scene's palettes and last block.
void fly_in_tiles() {
    int32_t old = ending_scratch(TILE_STEP), now = wrap_add(old, 1);
    ending_scratch_set(TILE_STEP, now);
    if (old < 93) cgram_load_tile_block(now, 256 + rom_table_byte(ROM_TILE_ROWS, old, 0));
    switch (now) {
    case 93:
        for (uint32_t a = 0x889000; a < 0x88F000; a += 2) bus_write16(a, 0xFFFF);
        break;
    case 94: palette_bank_load(41, 7); break;
    case 95: palette_bank_load(299, 11); break;
    case 96: cgram_load_tile_block(265, 352); break;
    case 97: palette_bank_load(265, 9); break;
    default: break;
    }
}

// ---- Phase 1 --------------------------------------------------------------------------

struct camera_leg {
    int32_t end;  // local frame after the leg
    uint32_t camera;
    bool zoom;
    rom_table toggles;  // frames before the leg's end at which its light toggles
    int32_t light;      // its scene flag bit
};
constexpr camera_leg CAMERA_LEGS[3] = {
    {180, 0x37E30, true, {0x37E84, 2, LIST_MAX}, 0x2},
    {360, 0x37E4C, false, {0x37E98, 2, LIST_MAX}, 0x4},
    {540, 0x37E68, false, {0x37EB8, 2, LIST_MAX}, 0x8},
};

void pass_camera(int32_t t) {
    const camera_leg* leg = &CAMERA_LEGS[2];
    for (const camera_leg& l : CAMERA_LEGS)
        if (t < l.end) {
            leg = &l;
            break;
        }
    ending_camera_record_load(leg->camera, leg->zoom);
    int32_t d = leg->end - t, flags = scene_flags();
    for (int32_t i = 0; i < LIST_MAX; i++) {
        int32_t frame = rom_table_word(leg->toggles, i, 0);
        if (frame <= 0) break;
        if (frame != d) continue;
        flags ^= leg->light;
        sound_play(flags & leg->light ? SOUND_LIGHT_ON : SOUND_WIND_LOOP);
    }
    scene_flags_set(flags);
}

// The object hangs, drops in a short wave, then falls ever faster up to 156 a frame.
void pass_descent(int32_t t) {
    constexpr uint32_t Y = W_ENDING_OBJECT + 4;
    int32_t v = ending_scratch(DESCENT_SPEED), y = wram_long(Y);
    if (t < 600) {
        y = wrap_sub(y, v >> 4);
    } else if (t < 620) {
        int32_t divisor = wrap_add(wram_long(W_BAND_HEIGHT), 128);
        if (divisor != 0) v = wrap_div(wrap_neg(math_sin(linear_map(0, 0x18000, 600, 620, t))), divisor);
        y = wrap_sub(y, int32_t(uint32_t(v) >> 4));
    } else {
        if (v < 1248) v = std::min(v + 5, 1248);
        y = wrap_sub(y, wrap_mul(v, 2) >> 4);
    }
    ending_scratch_set(DESCENT_SPEED, v);
    wram_long_set(Y, y);
}

// ---- Phase 3 --------------------------------------------------------------------------

void roll_camera(int32_t t) {
    if (t < 120) {
        w_word_set(W_VIEW_CENTRE + 2, 240);
        w_word_set(W_VIEW_WIDTH, 0x140);
        for (uint32_t k = 0; k < 4 && t == 0; k++)
            wram_long_set(W_ENDING_OBJECT + EASED_RECORD + 4 * k, rom_table_long(ROM_ROLL_EYE, 0, 4 * k));
        ending_camera_pose_load(t == 0 ? 0 : 1, ROM_ROLL_EYE.address);
    } else if (t < 210) {  // a zoom-in with the camera held
        w_word_set(W_VIEW_CENTRE + 2, linear_map(240, 160, 120, 210, t));
        w_word_set(W_VIEW_WIDTH, linear_map(320, 213, 120, 210, t));
    } else if (t < 450) {
        ending_camera_pose_load(1, ROM_ROLL_EYE.address);
    } else {
        for (uint32_t k = 0; k < 4; k++) {
            uint32_t w = W_ENDING_OBJECT + EASED_RECORD + 4 * k;
            int32_t target =
                linear_map(rom_table_long(ROM_ROLL_EYE, 0, 4 * k), rom_table_long(ROM_ROLL_EYE, 1, 4 * k), 450, 630, t);
            wram_long_set(w, wrap_add(wram_long(w), wrap_sub(target, wram_long(w)) >> (k < 3 ? 3 : 4)));
        }
        ending_camera_pose_load(1, WRAM_BASE + W_ENDING_OBJECT + EASED_RECORD);
    }
}

// ---- Phase 4 --------------------------------------------------------------------------

int32_t ring(uint32_t address) {
    return rom_table_long(ROM_RING, ring_long(address), 0);
}

// The record climbs over the phase and pitches toward the point above the ring.
void ring_camera_record(int32_t t) {
    if (t == 0)
        for (uint32_t k = 0; k < 7; k++) object_long_set(4 * k, rom_table_long(ROM_RING, k, 0));
    int32_t x = ring(0x380B0), z = ring(0x380B8);
    int32_t y = wrap_add(ring(0x380B4), linear_map(ring(0x380CC), ring(0x380D0), 0, 600, t));
    object_long_set(0, x);
    object_long_set(4, y);
    object_long_set(8, z);
    object_long_set(16, ring(0x380C0));
    int32_t dx = wrap_sub(ring(0x380D4), x), dz = wrap_sub(ring(0x380DC), z);
    int32_t a = math_cos(math_atan2(dx, dz)) >> 5;
    if (a != 0) a = wrap_div(wrap_shl(dz, 8), a);
    int32_t dy = wrap_sub(wrap_add(ring(0x380D8), wram_long(W_RING_ANCHOR + 4)), y);
    object_long_set(12, wrap_neg(math_atan2(dy >> 2, a)));
}

// The body of the compound object and its header entry at the anchor (made camera
// relative), then the eight objects on their circle, lifted object by object.
void ring_objects(int32_t t) {
    dl_header_8002();
    wram_long_set(W_OBJECT_COMPOUND, int32_t(WRAM_BASE + W_RING_ANCHOR));
    dl_cursor_set(object_packet_fill(dl_cursor_get()));
    for (uint32_t k = 0; k < 3; k++)
        wram_long_set(W_RING_ANCHOR + 4 * k, wrap_sub(wram_long(W_RING_ANCHOR + 4 * k), wram_long(W_CAMERA_X + 4 * k)));
    int32_t pos[3] = {wram_long(W_RING_ANCHOR), wram_long(W_RING_ANCHOR + 4), wram_long(W_RING_ANCHOR + 8)};
    dl_header_8000();
    dl_cursor_set(object_packet_header(OBJECT_RECORD_COMPOUND, pos, dl_cursor_get()));

    if (pos[1] >= -102911) dl_bank_link(-0x7000);
    dl_header_8000();  // the companion object may have left an 11-word header
    const int32_t body[4] = {RING_BODY_MODEL, pos[0], pos[1], pos[2]};
    dl_emit(body, 4);
    dl_header_8002_put(3);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);

    int32_t radius = ring(0x380EC), angle = ring(0x380F0), lift = ring(0x380F4);
    if (t >= 300) {
        radius = linear_map(radius, ring(0x380F8), 300, 600, t);
        angle = linear_map(angle, ring(0x380FC), 300, 600, t);
        lift = linear_map(lift, ring(0x38100), 300, 600, t);
    }
    int32_t* out = dl_cursor_get();
    for (int32_t i = 0; i < 8; i++) {
        int32_t turn = angle, spin = 0, climb = lift;
        if (t >= 420) {
            turn = wrap_add(turn, linear_map(0, rom_table_word(ROM_RING_TURNS, i, 0), 420, 600, t));
            spin = linear_map(0, rom_table_word(ROM_RING_SPINS, i, 0), 420, 600, t);
            climb = wrap_add(climb, linear_map(0, rom_table_word(ROM_RING_LIFTS, i, 0), 420, 600, t));
        }
        out = ending_object_transform(i, WRAM_BASE + W_RING_ANCHOR, radius, turn, spin, out);
        wram_long_set(W_RING_ANCHOR + 4, wrap_add(wram_long(W_RING_ANCHOR + 4), climb));
    }
    dl_cursor_set(out);
    dl_bank_end();
    wram_long_set(W_DL_LAST_BANK, 0);
}

// The model circles above the ring's centre, nose down, banked.
void ring_model_pose(int32_t t) {
    int32_t heading = wrap_add(192 * t, 0x3800);
    const int32_t pose[6] = {
        wrap_add(wrap_add(ring(0x380D4), 2 * math_cos(heading)), 0x1A000),
        ring(0x380D8),
        wrap_sub(wrap_add(ring(0x380DC), 2 * math_sin(heading)), 88064),
        -512,
        heading,
        wrap_sub(math_atan2(0x1000000, 42394512), 0x10000),
    };
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_ENDING_POSE + 4 * k, pose[k]);
}

}  // namespace

// ROM 0x37CFC..0x37D66 and 0x37C4C: fly-in.
void ending_fly_in() {
    int32_t t = local_frame(0);
    ending_fade_run(FADE_HOLD_STEP, FADE_NO_CEILING);
    if (t == 0) sound_play(SOUND_FLY_IN);
    fly_in_events(t);
    fly_in_camera(t);
    fly_in_sway(t);
    if (t == 346) sound_play(SOUND_SWAY);
    fly_in_flashes(t);
    int32_t flags = flicker(t, scene_flags());
    scene_flags_set(fly_in_steps(t, flags));
    ending_models_emit(ROM_SCENE_RECORD.address, true);
    model_step(ROM_FLY_IN_MODEL, t);
    fly_in_tiles();
}

// ROM 0x37E28..0x37EB8: the three passes.
void ending_phase1() {
    int32_t t = local_frame(1);
    if (t == 0) {
        scene_flags_set(scene_flags() & ~FLAG_LIGHTS);
        object_from_scene_record();
        ending_scratch_set(DESCENT_SPEED, 0);
        sound_record wind;
        if (sound_record_read(SOUND_WIND_LOOP, &wind)) slot_param_set(wind.param_slot, 0x00FF);
    }
    if (t == 0 || t == 180 || t == 360) sound_play(SOUND_WIND_LOOP);
    pass_camera(t);
    pass_descent(t);
    ending_camera_sway();
    ending_heading_words_set();
    ending_models_emit(WRAM_BASE + W_ENDING_OBJECT, true);
    if (t >= 540) model_step(ROM_PASS_MODEL, t - 540);
}

// ROM 0x37F80, 0x37F88: the object sinks.
void ending_phase2() {
    int32_t t = local_frame(2);
    ending_camera_record_load(ROM_SINK_CAMERA, true);
    if (t == 0) {
        scene_flags_set(scene_flags() | FLAG_LIGHTS);
        object_from_scene_record();
    }
    object_long_set(4, wrap_add(rom_table_long(ROM_SCENE_RECORD, 0, 4), linear_map(8192, -0x11000, 0, 585, t)));
    ending_camera_sway();
    ending_models_emit(WRAM_BASE + W_ENDING_OBJECT, true);
    constexpr int32_t BANK = 0x10000;
    dl_bank_link(BANK);
    if (t >= 105) model_step(ROM_SINK_MODEL, t - 105);
}

// ROM 0x3804C..0x3808C: the model under the staff roll.
void ending_staff_roll() {
    int32_t t = local_frame(3);
    if (t == 0) {
        for (uint32_t k = 0; k < 4; k++) object_long_set(4 * k, rom_table_long(ROM_ROLL_OBJECT, k, 0));
        rom_object_list_load(WRAM_BASE + W_FOLLOWED_MODEL, ROM_ROLL_MODEL[0]);
        for (uint32_t p = 0; p < 5; p++) wram_long_set(W_GROUND_POINTS + 12 * p + 8, p < 2 ? 0x10000 : 0);
        ending_player_from_pose();
    }
    if (t == 210) {
        node_list_update(int32_t(W_FOLLOWED_MODEL), 210);
        rom_object_list_load(WRAM_BASE + W_FOLLOWED_MODEL, ROM_ROLL_MODEL[1]);
    } else {
        node_list_update(int32_t(W_FOLLOWED_MODEL), t < 210 ? t : t - 210);
    }
    roll_camera(t);
    ending_camera_sway();
    ending_models_emit(WRAM_BASE + W_ENDING_OBJECT, false);
    object_long_set(4, wrap_sub(wram_long(W_ENDING_OBJECT + 4), 64));
    ending_model_rig_step();
    if (t == 628) ending_fog_biases_set(-128);
}

// ROM 0x380B0..0x38134: the ring.
void ending_phase4() {
    int32_t t = local_frame(4);
    wram_long_set(W_RING_ANCHOR, 0);
    wram_long_set(W_RING_ANCHOR + 8, 0);
    wram_long_set(W_RING_ANCHOR + 12, RING_MODEL_BASE);
    int32_t climb = linear_map(0, wrap_sub(ring(0x380E8), ring(0x380E4)), 0, 600, t);
    wram_long_set(W_RING_ANCHOR + 4, wrap_add(ring(0x380E4), climb));
    if (t >= 300) ending_fog_biases_set(linear_map(-128, 0, 300, 600, t));
    ring_camera_record(t);
    ending_camera_record_load(WRAM_BASE + W_ENDING_OBJECT, true);
    ending_camera_sway();
    ending_model_packet_begin();
    for (uint32_t list : ROM_SCENE_LISTS) dl_copy_packets(list, WRAM_BASE + W_RING_ANCHOR);
    for (uint32_t w : {W_OBJECT_PLAIN, W_OBJECT_ROTATING, W_OBJECT_COMPOUND})
        wram_long_set(w, int32_t(WRAM_BASE + W_RING_ANCHOR));
    wram_long_set(W_SUBPART_COUNT, 0);
    object_packet_emit_rotating();
    object_packet_emit();
    ring_objects(t);
    ring_model_pose(t);
    if (t == 0) ending_player_from_pose();
    ending_model_rig_step();
}
