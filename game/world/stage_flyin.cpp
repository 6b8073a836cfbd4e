#include "game/world/stage_flyin.h"

#include "base/env_switch.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_motion.h"
#include "game/services/object_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloons.h"
#include "game/world/camera.h"
#include "game/world/collision_driver.h"
#include "game/world/course_start.h"
#include "game/world/moving_objects.h"
#include "game/world/object_emitters.h"
#include "game/world/player_rig.h"
#include "game/world/probe_collision.h"
#include "game/world/race_hud.h"
#include "game/world/rider_ik.h"
#include "game/world/scenery_objects.h"
#include "game/world/stage_ram.h"
#include "game/world/stage_start.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"
#include "game/world/world_stand_ins.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t FLYIN_COURSE = 3;
constexpr int32_t CAPTION_FROM = 424;
constexpr int32_t MODE1_FROM = 240;
constexpr int32_t LAMPS_FROM = 220;
constexpr int32_t SOUND_APPROACH = 50, SOUND_CHIME = 3, SOUND_DESCENT = 51;
constexpr int32_t CHIME_AT = 245;
constexpr int32_t RAMP_FROM = 870;
constexpr int32_t COUNTDOWN_SOUND = 10, COUNTDOWN_PARAMETER = 134;
constexpr int32_t DIGITS_BELOW = 180;
constexpr int32_t DIGIT_TILE = 339, DIGIT_X = 240, DIGIT_Y = 144, DIGIT_SIZE = 64;
constexpr int32_t AREA_SOUND_SPEED_MAX = 0x3800;
constexpr int32_t FADE_STEP = 8;

constexpr int32_t CAPTION_FIRST_BLOCK = 275, CAPTION_LAST_BLOCK = 282;
constexpr int32_t CAPTION_TILE = 416, CAPTION_BANK = 7;

constexpr int32_t DESCENT_SPEED_FLOOR = 3742;
constexpr int32_t DESCENT_DROP_Y = 86682, DESCENT_BACK_Z = 176699, DESCENT_PITCH = 11840;
constexpr int32_t DESCENT_PITCH_VELOCITY = 10240;
constexpr int32_t PEDALS_STOP_FROM = 840;

constexpr rom_table COURSE_START = {ROM_COURSE_START, 4, 24};
constexpr rom_table EYE_START = {ROM_FLYIN_EYE_START, 4, 6};
constexpr rom_table EYE_END = {ROM_FLYIN_EYE_END, 4, 6};
constexpr rom_table WAYPOINTS = {ROM_FLYIN_WAYPOINTS, 4, 6};
constexpr rom_table TERRAIN = {ROM_FLYIN_TERRAIN, 4, 4};
constexpr rom_table CAMERA_POINTS = {ROM_FLYIN_CAMERA_LOW, 4, 6};
constexpr rom_table MODEL_OFFSETS = {ROM_FLYIN_MODEL_OFFSETS, 2, 16};
constexpr uint32_t CELLS_MAX = 1024;
constexpr uint32_t OBJECT_RECORD_BYTES = 20;
constexpr int32_t OBJECT_TURN_LIMIT = 0x2000;
constexpr uint32_t APPROACH_TERRAIN_SLOT = 35;

constexpr int32_t RELEASE_X = 106480;          // past here the terrain stage follows
constexpr int32_t CAMERA_HIGH_FROM = 185107;   // player height of the high camera point
constexpr int32_t CAMERA_BLEND_TOP = 336115, CAMERA_BLEND_STEP = -9439;
constexpr int32_t FREE_PITCH = 0x3000;

int32_t word_hi(uint32_t w) {
    return int16_t(uint32_t(w_cell(w)) >> 16);
}
void word_hi_set(uint32_t w, int32_t v) {
    w_cell_set(w, int32_t(uint32_t(v) << 16 | (uint32_t(w_cell(w)) & 0xFFFF)));
}

int32_t course3_start(uint32_t field) {
    return rom_table_long(COURSE_START, int64_t(field) * 4 + FLYIN_COURSE, 0);
}

// A spring object's long (axis 0 x, 1 y, 2 z).
uint32_t chain_point(uint32_t i, uint32_t axis) {
    return W_SPRING_POSITION + 12 * i + 4 * axis;
}

// The approach's node record named by a ROM long, when it lies in work RAM.
uint32_t approach_record(uint32_t rom_long) {
    int32_t n = w_index(int64_t(uint32_t(bus_read32(rom_long))));
    if (n <= 0 || uint32_t(n) + RIG_NODE_BYTES > WRAM_SIZE) return 0;
    return uint32_t(n);
}

void approach_setup() {
    const struct {
        uint32_t locator, start;
    } records[] = {{ROM_FLYIN_NODE_A, ROM_FLYIN_NODE_A_START}, {ROM_FLYIN_NODE_B, ROM_FLYIN_NODE_B_START}};
    for (const auto& r : records) {
        uint32_t n = approach_record(r.locator);
        if (!n) continue;
        const rom_table start = {r.start, 4, 6};
        for (uint32_t f = 0; f < 6; f++) w_cell_set(n + NODE_FIELDS + 4 * f, rom_table_long(start, f, 0));
    }
    // The chain lies from the first waypoint toward the second, each point held to its
    // rest place (its first target) and to the next point (its second).
    for (uint32_t i = 0; i < FLYIN_CHAIN_POINTS; i++)
        for (uint32_t a = 0; a < 3; a++) {
            int32_t from = rom_table_long(WAYPOINTS, a, 0), to = rom_table_long(WAYPOINTS, 3 + a, 0);
            int32_t v = wrap_add(from, int32_t((int64_t(to) - from) * int32_t(i) / 64));
            w_cell_set(chain_point(i, a), v);
            w_cell_set(chain_point(i, a) + SPRING_TARGET1, v);
            w_cell_set(chain_point(i, a) + SPRING_VELOCITY, 0);
        }
}

int32_t heading_to_waypoints() {
    int32_t x = wrap_sub(wrap_add(rom_table_long(WAYPOINTS, 0, 0), rom_table_long(WAYPOINTS, 3, 0)),
                         wrap_mul(2, w_cell(chain_point(FLYIN_RIDDEN_POINT, 0))));
    int32_t z = wrap_sub(wrap_add(rom_table_long(WAYPOINTS, 2, 0), rom_table_long(WAYPOINTS, 5, 0)),
                         wrap_mul(2, w_cell(chain_point(FLYIN_RIDDEN_POINT, 2))));
    return math_atan2(x, z);
}

void player_on_chain() {
    for (uint32_t a = 0; a < 3; a++) w_cell_set(W_PLAYER_X + 4 * a, w_cell(chain_point(FLYIN_RIDDEN_POINT, a)));
}

// The size of the ridden point's velocity (lead) or force (turn) through
// angle_from_components, its components passed x, z, y. With x and z both 0 the
// routine gives 0 after an arc tangent of 0/0: 0 without the trap.
int32_t ridden_measure(int32_t offset) {
    uint32_t at = uint32_t(int32_t(chain_point(FLYIN_RIDDEN_POINT, 0)) + offset);
    int32_t x = w_cell(at), y = w_cell(at + 4), z = w_cell(at + 8);
    if (x == 0 && z == 0) return 0;
    return angle_from_components(x, z, y, 0);
}
int32_t lead_speed() {
    return ridden_measure(int32_t(SPRING_VELOCITY));
}

void chain_integrate(int32_t mode) {
    int32_t lift = 0;
    if (mode == 1) lift = int32_t((int64_t(w_cell(W_PLAYER_SPEED)) * 39226 - 160669696) / 4096);
    const int32_t ext[3] = {0, lift, 0};
    for (uint32_t i = 1; i < FLYIN_CHAIN_POINTS; i++) {
        bool fourth = i == 3 && mode < 2;
        object_motion_step(int32_t(i), 128, fourth ? 4 : 3328, fourth ? 128 : 3328, ext);
    }
}

void approach_mode1(int32_t counter) {
    w_cell_set(W_PLAYER_SPEED, lead_speed());
    w_cell_set(W_LAMP_FLIGHT_WORD, ridden_measure(SPRING_FORCE));
    player_on_chain();
    int32_t heading = heading_to_waypoints();
    w_cell_set(W_PLAYER_HEADING, heading);
    w_cell_set(W_PLAYER_ROLL, 0);
    int32_t vertical = wrap_sub(w_cell(chain_point(FLYIN_RIDDEN_POINT + 1, 1)), w_cell(chain_point(FLYIN_RIDDEN_POINT, 1)));
    int32_t horizontal = wrap_sub(w_cell(chain_point(FLYIN_RIDDEN_POINT + 1, 0)), w_cell(chain_point(FLYIN_RIDDEN_POINT, 0)));
    int32_t sine = math_sin(heading) >> 4;
    int64_t h = sine ? (int64_t(horizontal) << 11) / sine : 0;
    int32_t target = math_atan2(vertical, int32_t(std::clamp<int64_t>(h, INT32_MIN, INT32_MAX))) - 0x8000;
    int32_t pitch = w_cell(W_PLAYER_PITCH);
    w_cell_set(W_PLAYER_PITCH, pitch + int16_t(target - pitch) / 16);

    int64_t lead = int64_t(w_cell(chain_point(FLYIN_RIDDEN_POINT, 0) + SPRING_VELOCITY)) * 168 / 512;
    int64_t bend = (int64_t(w_cell(chain_point(5, 0))) + w_cell(chain_point(3, 0)) - 2 * int64_t(w_cell(chain_point(4, 0)))) *
                   3328 / 128;
    if (lead < bend) {
        w_cell_set(W_FLYIN_MODE, 2);
        word_hi_set(W_FLYIN_RELEASE_FRAME, counter);
        w_cell_set(W_WING_SET, 1);
        w_cell_set(W_PLAYER_SPEED, lead_speed());
        w_cell_set(W_FLYIN_PITCH_VELOCITY, 0);
        w_cell_set(W_FLYIN_RELEASE_PITCH, w_cell(W_PLAYER_PITCH));
    }
}

void approach_mode2() {
    int32_t t = word_hi(W_FLYIN_FREE_FRAMES), u = word_hi(W_FLYIN_RELEASE_FRAME);
    int64_t v = u == FLYIN_DESCENT_FROM ? int64_t(t) * 3328 : int64_t(t) * 3328 / (FLYIN_DESCENT_FROM - u);
    int64_t pv = w_cell(W_FLYIN_PITCH_VELOCITY), pitch = w_cell(W_PLAYER_PITCH);
    pv += ((FREE_PITCH - pitch) * (v + 768) - pv * 192) / 256;
    pv = std::clamp<int64_t>(pv, INT32_MIN, INT32_MAX);
    w_cell_set(W_FLYIN_PITCH_VELOCITY, int32_t(pv));
    w_cell_set(W_PLAYER_PITCH, int32_t(pitch + (pv >> 10)));
    w_cell_set(W_LAMP_FLIGHT_WORD, 0);
    int32_t d[3];
    angles_to_vector(w_cell(W_PLAYER_PITCH), w_cell(W_PLAYER_HEADING), w_cell(W_PLAYER_SPEED) >> 4, d, d + 1, d + 2);
    for (uint32_t a = 0; a < 3; a++) w_cell_set(W_PLAYER_X + 4 * a, wrap_add(w_cell(W_PLAYER_X + 4 * a), d[a]));
}

void approach_camera() {
    int32_t height = w_cell(W_PLAYER_Y);
    int32_t f = height >= CAMERA_HIGH_FROM ? 256 : std::clamp((height - CAMERA_BLEND_TOP) / CAMERA_BLEND_STEP * 16, 0, 256);
    for (uint32_t a = 0; a < 3; a++) {
        int64_t low = rom_table_long(CAMERA_POINTS, a, 0), high = rom_table_long(CAMERA_POINTS, 3 + a, 0);
        int64_t point = low + (high - low) * f / 256;
        int64_t camera = w_cell(W_CAMERA_X + 4 * a);
        w_cell_set(W_CAMERA_X + 4 * a, int32_t(camera + (point - camera) / 8));
    }
    angles_from_delta(0, WRAM_BASE + W_PLAYER_X);
    camera_grid_cell_update();
    camera_zoom_words_emit(0, 2);
}

// The approach terrain: one 4-word entry per cell word (at most 1024, ended by 0xFFFF).
void approach_terrain() {
    dl_header_8000();
    int32_t cx = w_cell(W_CAMERA_X), cy = w_cell(W_CAMERA_Y), cz = w_cell(W_CAMERA_Z);
    int32_t x = rom_table_long(TERRAIN, 0, 0), y = rom_table_long(TERRAIN, 1, 0), z = rom_table_long(TERRAIN, 2, 0);
    int32_t model = rom_table_long(TERRAIN, 3, 0);
    for (uint32_t k = 0; k < CELLS_MAX; k++) {
        uint32_t u = uint32_t(bus_read16(ROM_FLYIN_CELLS + 2 * k));
        if (u == 0xFFFF) break;
        const int32_t entry[4] = {wrap_add(int32_t(u), model),
                                  wrap_add(wrap_sub(wrap_add(int32_t(u & 7) * CELL_SIZE, x), cx), 0xC000),
                                  wrap_sub(y, cy),
                                  wrap_add(wrap_sub(wrap_add(int32_t(u / 8) * CELL_SIZE, z), cz), 0xC000)};
        dl_emit(entry, 4);
    }
}

void approach_rig() {
    terrain_props_dispatch();
    w_cell_set(W_COURSE_NUMBER, 0);
    player_model_set_pose();
    w_cell_set(W_PEDAL_DELTA, w_cell(W_FLYIN_MODE) >= 1 ? 8 : 0);
    player_rig_solve_targets(0, -256, 0, 0, -(w_cell(W_LAMP_FLIGHT_WORD) >> 9));
    hud_draw_wings();
    // Four links of the chain, each drawn from both its ends.
    for (uint32_t j = 0; j < FLYIN_CHAIN_POINTS / 2; j++) {
        uint32_t a = 2 * j, b = 2 * j + 1;
        for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
            int32_t* cursor = dl_cursor_get();
            if (!cursor) break;
            dl_cursor_set(vec_direction(WRAM_BASE + chain_point(from, 0), WRAM_BASE + chain_point(to, 0), cursor));
        }
    }
    int32_t heading = w_cell(W_CAMERA_HEADING);
    w_cell_set(W_OBJECT_TURN_LIMIT, heading & 0xFFFF);
    w_cell_set(W_OBJECT_HEADING, math_sin(heading));
    w_cell_set(W_OBJECT_HEADING + 4, math_cos(heading));
    w_cell_set(W_CHUNK_SLOTS + APPROACH_TERRAIN_SLOT, 4);
    fixed_model_packet();
}

// One object list: records until a negative first long or the list's end address.
void approach_objects(uint32_t list, uint32_t end, int32_t bank, bool facing) {
    dl_header_8002_put(dl_header_prio());
    if (w_cell(W_DL_LAST_BANK) != bank) {
        dl_bank_select(bank);
        w_cell_set(W_DL_LAST_BANK, bank);
    }
    int32_t counter = w_cell(W_FLYIN_COUNTER);
    int32_t p = 0;
    for (uint32_t at = list; at + OBJECT_RECORD_BYTES <= end; at += OBJECT_RECORD_BYTES, p += 8) {
        int32_t x = bus_read32(at), y = bus_read32(at + 4), z = bus_read32(at + 8), model = bus_read32(at + 12);
        if (x < 0) break;
        int32_t heading, pitch = 0;
        if (facing) {
            int32_t count = std::max(1, int32_t(bus_read32(at + 16)));
            model = wrap_add(model, rom_table_word(MODEL_OFFSETS, (p >> 3) % count, 0));
            heading = w_cell(W_OBJECT_TURN_LIMIT);
        } else {
            model = wrap_add(model, ((counter + 8) >> 3) & 7);
            int32_t toward = math_atan2(wrap_sub(w_cell(W_PLAYER_X), x), wrap_sub(w_cell(W_PLAYER_Z), z));
            heading = std::clamp(int32_t(int16_t(toward)), -OBJECT_TURN_LIMIT, OBJECT_TURN_LIMIT);
        }
        int32_t pairs[6];
        dl_rotation_pair(pitch, pairs);
        dl_rotation_pair(heading, pairs + 2);
        dl_rotation_pair(0, pairs + 4);
        const int32_t entry[11] = {model,    dl_relative_x(x), dl_relative_y(y), dl_relative_z(z), pairs[0], pairs[1],
                                   pairs[2], pairs[3],         pairs[4],         pairs[5],         0};
        dl_emit(entry, 11);
    }
}

void stage_debug_line(int32_t counter) {
    if (!env_on("SKYVOLTA_STAGEDBG") || counter % 20 != 0) return;
    printf("[FLYIN] t=%ld mode=%ld ply=(%d,%d,%d) pitch=%d hdg=%d spd=%d cam=(%d,%d,%d) chdg=%d cpitch=%d p1=(%d,%d,%d)\n",
           long(counter), long(w_cell(W_FLYIN_MODE)), w_cell(W_PLAYER_X), w_cell(W_PLAYER_Y), w_cell(W_PLAYER_Z),
           w_cell(W_PLAYER_PITCH), w_cell(W_PLAYER_HEADING), w_cell(W_PLAYER_SPEED), w_cell(W_CAMERA_X),
           w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING), w_cell(W_CAMERA_PITCH),
           w_cell(chain_point(FLYIN_RIDDEN_POINT, 0)), w_cell(chain_point(FLYIN_RIDDEN_POINT, 1)),
           w_cell(chain_point(FLYIN_RIDDEN_POINT, 2)));
}

int32_t start_lamp_pattern(int32_t c) {
    if (c < LAMPS_FROM) return 0;
    int32_t e = (1100 - 5 * c) / 680 + 6, f = w_cell(W_PLAYER_SPEED) / 1536;
    if (e >= f) return e;
    return f < 7 ? f : 6;
}

void descent_start() {
    w_cell_set(W_PLAY_FRAME_COUNTER, -360);
    w_cell_set(W_FLYIN_CRANK, 0);
    w_cell_set(W_WING_SET, 0);
    w_cell_set(W_COURSE_NUMBER, FLYIN_COURSE);
    w_cell_set(W_PLAYER_X, course3_start(0));
    w_cell_set(W_PLAYER_Y, wrap_sub(course3_start(1), DESCENT_DROP_Y));
    w_cell_set(W_PLAYER_Z, wrap_sub(course3_start(2), DESCENT_BACK_Z));
    w_cell_set(W_PLAYER_PITCH, DESCENT_PITCH);
    w_cell_set(W_PLAYER_HEADING, course3_start(4));
    w_cell_set(W_PLAYER_ROLL, course3_start(5));
    w_cell_set(W_PLAYER_SPEED, AREA_SOUND_SPEED_MAX);
    w_cell_set(W_FLYIN_PITCH_VELOCITY, DESCENT_PITCH_VELOCITY);
    world_props_init(FLYIN_COURSE);
    w_cell_set(W_COLLISION_OFF, 0);
    w_cell_set(W_COURSE_WORD_1F8C, 153);
}

void descent_pedals(int32_t c) {
    int32_t t = ((FLYIN_FRAMES - c) << 13) / 360;
    int32_t u = (w_cell(W_FLYIN_CRANK) & 0xFFFF) + t;
    int32_t frame = w_cell(W_CRANK_FRAME);
    if (c < PEDALS_STOP_FROM) {
        w_cell_set(W_FLYIN_CRANK, u & 0xFFFF);
        frame = (u >> 10) & 0x3F;
    } else if (w_cell(W_FLYIN_CRANK) != 0) {
        w_cell_set(W_PEDAL_DELTA, t);
        if (u < 0x10000) {
            w_cell_set(W_FLYIN_CRANK, u);
            frame = u * 64 / 0x10000;
        } else {
            w_cell_set(W_FLYIN_CRANK, 0);
            frame = 0;
        }
    } else {
        t = w_cell(W_PEDAL_DELTA);
    }
    w_cell_set(W_CRANK_FRAME, frame);
    w_cell_set(W_CRANK_ANGLE, 10 * frame);
    w_cell_set(W_PEDAL_DELTA, t >> 10);
}

}  // namespace

void stage_flyin_run() {
    int32_t c = w_cell(W_FLYIN_COUNTER);
    if (c >= FLYIN_FRAMES) {  // a counter past the end finishes the fly-in now
        c = FLYIN_FRAMES - 1;
        w_cell_set(W_FLYIN_COUNTER, c);
    }
    w_cell_set(W_DL_LAST_BANK, 0);
    w_cell_set(W_DL_LAST_HEADER, 0);
    if (c < FLYIN_DESCENT_FROM) {
        w_cell_set(W_FADE_AMOUNT, std::max(0, w_cell(W_FADE_AMOUNT) - FADE_STEP));
        stage_flyin_step();
        if (c >= CAPTION_FROM) stage_flyin_caption(c - CAPTION_FROM);
    }
    if (c == FLYIN_DESCENT_FROM) {
        fade_colour_set(255);
        w_cell_set(W_FADE_AMOUNT, 0);
        w_cell_set(W_FADE_FLAGS, 1);
    }
    if (c >= FLYIN_DESCENT_FROM) stage_flyin_frame();

    int32_t speed = w_cell(W_PLAYER_SPEED);
    w_cell_set(W_PLAYER_SPEED, std::min(speed, AREA_SOUND_SPEED_MAX));
    area_sound_update();
    w_cell_set(W_PLAYER_SPEED, speed);

    if (c == 0) sound_play(SOUND_APPROACH);
    if (c == CHIME_AT) sound_play(SOUND_CHIME);
    if (c == FLYIN_DESCENT_FROM) sound_play(SOUND_DESCENT);
    if (c >= RAMP_FROM) sound_param2_set(SOUND_DESCENT, (c * 255 - 221850) / 30);
    start_lamp_blink(start_lamp_pattern(c));

    w_cell_set(W_FLYIN_COUNTER, ++c);
    int32_t n = FLYIN_FRAMES - c;
    w_cell_set(W_FLYIN_FRAMES_LEFT, n);
    if (n < DIGITS_BELOW) sprite_call(0, DIGIT_TILE + n / 60, DIGIT_X, DIGIT_Y, 0, DIGIT_SIZE, DIGIT_SIZE, 0, 0);
    if (n % 60 == 0 && n <= DIGITS_BELOW) sound_play_p(COUNTDOWN_SOUND << 16 | (COUNTDOWN_PARAMETER - n / 60));
    if (n != 0) return;
    player_model_load_animation(0);
    w_word_set(W_RIG_FLAG, 1);
    w_cell_set(W_END_FLAG, 0);
    w_cell_set(W_GAME_SUB_STATE, w_cell(W_GAME_STATE) == 3 ? 3 : 0);
}

int32_t stage_flyin_step() {
    int32_t counter = w_cell(W_FLYIN_COUNTER);
    if (counter == 0) approach_setup();
    if (counter == MODE1_FROM) w_cell_set(W_FLYIN_MODE, 1);
    int32_t mode = w_cell(W_FLYIN_MODE);
    if (mode == 0) {
        player_on_chain();
        w_cell_set(W_PLAYER_PITCH, 0);
        w_cell_set(W_PLAYER_ROLL, 0);
        w_cell_set(W_PLAYER_HEADING, heading_to_waypoints());
    } else {
        chain_integrate(mode);
        if (mode == 1)
            approach_mode1(counter);
        else
            approach_mode2();
    }
    player_cell_update();
    if (w_cell(W_PLAYER_X) > RELEASE_X) {
        world_stage_update();
        probe_update();
    }
    approach_camera();
    approach_terrain();
    approach_rig();
    approach_objects(ROM_FLYIN_OBJECTS_TURNED, ROM_FLYIN_OBJECTS_TURNED_END, -0x10000, false);
    approach_objects(ROM_FLYIN_OBJECTS_FACING, ROM_FLYIN_OBJECTS_FACING_END, -0x20000, true);
    for (uint32_t locator : {ROM_FLYIN_NODE_A, ROM_FLYIN_NODE_B})
        if (uint32_t n = approach_record(locator)) dl_model_from_object34(WRAM_BASE + n, 21299);
    dl_header_8002_put(0);

    mode = w_cell(W_FLYIN_MODE);
    if (mode == 2) word_hi_set(W_FLYIN_FREE_FRAMES, word_hi(W_FLYIN_FREE_FRAMES) + 1);
    stage_debug_line(counter);
    return mode - 2;
}

void stage_flyin_caption(int32_t k) {
    int column = uint16_t(w_word(W_BAND_HEIGHT)), row = uint16_t(w_word(W_COURSE8_BANK)) >> 8;
    if (k > 32) {
        text_block_clear(CAPTION_LAST_BLOCK, column + 18, row + 6);
        return;
    }
    if (k == 32 || k < 0) return;
    int b = k / 4, odd = b & 1;
    if (k % 4 == 0) {
        cgram_load_tile_block(CAPTION_FIRST_BLOCK + b, CAPTION_TILE + 4 * odd);
        palette_bank_load(CAPTION_FIRST_BLOCK + b, CAPTION_BANK + odd);
    } else {
        text_block_draw(CAPTION_FIRST_BLOCK + b, column, row, CAPTION_TILE + 4 * odd, 8 - odd);
    }
}

void stage_flyin_frame() {
    int32_t c = w_cell(W_FLYIN_COUNTER);
    if (c == FLYIN_DESCENT_FROM) descent_start();

    objects_move_update();
    w_cell_set(W_PREV_DRIVE, w_cell(W_DRIVE));
    int32_t e = std::max(((FLYIN_FRAMES - c) << 13) / 360 + 2048, w_cell(W_PLAYER_SPEED) >> 2);
    w_cell_set(W_PROP_ANGLE, wrap_sub(w_cell(W_PROP_ANGLE), e));
    w_cell_set(W_DRIVE, e);

    int64_t v = w_cell(W_FLYIN_PITCH_VELOCITY), pitch = w_cell(W_PLAYER_PITCH);
    v += ((int64_t(course3_start(3)) - pitch) * ((int64_t(c) * 3328 - 1797120) / 360 + 768) - v * 192) / 256;
    int32_t step;
    if (c > 720 && v >= -128) {
        v = -128;
        step = -1;
    } else {
        step = int32_t(v >> 10);
    }
    w_cell_set(W_FLYIN_PITCH_VELOCITY, int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
    w_cell_set(W_PLAYER_PITCH, int32_t(std::max<int64_t>(0, pitch + step)));

    int64_t speed = w_cell(W_PLAYER_SPEED);
    int32_t r = speed * speed < 0x400000 ? 1 : int32_t((speed * speed) >> 22);
    w_cell_set(W_DRAG, r);
    w_cell_set(W_LAMP_FLIGHT_WORD, wrap_sub(-r, w_cell(W_SLOPE_TERM)));
    w_cell_set(W_PLAYER_SPEED, int32_t(std::max<int64_t>(DESCENT_SPEED_FLOOR, speed - r)));

    descent_pedals(c);

    int32_t d[3];
    angles_to_vector(w_cell(W_PLAYER_PITCH), w_cell(W_PLAYER_HEADING), w_cell(W_PLAYER_SPEED) >> 4, d, d + 1, d + 2);
    for (uint32_t a = 0; a < 3; a++) w_cell_set(W_PLAYER_X + 4 * a, wrap_add(w_cell(W_PLAYER_X + 4 * a), d[a]));
    player_cell_update();

    int32_t eye[6];
    for (uint32_t i = 0; i < 6; i++) {
        int64_t from = rom_table_long(EYE_START, i, 0), to = rom_table_long(EYE_END, i, 0);
        eye[i] = int32_t(from + (c - FLYIN_DESCENT_FROM) * (to - from) / 360);
    }
    camera_follow_player(0, w_pointer(eye));
    game_nop();
    camera_grid_cell_update();
    camera_zoom_words_emit(0, 2);
    terrain_chunk_visibility(w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING));
    game_nop();
    player_model_set_pose();
    player_rig_solve_targets(w_cell(W_FLYIN_CRANK), 256, 0, 0, 0);
    game_nop();
    terrain_props_dispatch();
    hud_update();
    objects_render_master();
    balloon_render_and_hit_check();
    game_nop();
}

void flyin_path_keys_set() {
    for (uint32_t w = W_FLYIN_COUNTER; w <= W_FLYIN_CRANK; w += 4) w_cell_set(w, 0);
}
