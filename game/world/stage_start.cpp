#include "game/world/stage_start.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/area_sounds.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/world/balloon_ram.h"
#include "game/world/camera.h"
#include "game/world/race_hud.h"
#include "game/world/stage_ram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t SWEEP_RECORD_BYTES = 0x884;

constexpr rom_table VIEWER_START = {ROM_VIEWER_START, 4, 7};
constexpr int32_t VIEWER_Z_HOME = 4000;
constexpr int32_t VIEWER_STEP_FIRST = 10;
constexpr int32_t VIEWER_STEP_LIMIT = 9999;
constexpr int32_t VIEWER_MODES = 6;
constexpr int32_t VIEWER_TURN_STEP = 256;
constexpr int32_t VIEWER_LABELS = 9;  // model, x, y, z, three angles, mode, step
constexpr int VIEWER_MARK_COLUMN = 20, VIEWER_MARK_ROW = 5;

// Switch bits of port 0 the viewer reads.
constexpr uint32_t KEY_A = 0x01, KEY_B = 0x02, KEY_Z_UP = 0x04, KEY_NEXT = 0x08, KEY_X_DOWN = 0x10;
constexpr uint32_t KEY_X_UP = 0x20, KEY_Y_DOWN = 0x40, KEY_Y_UP = 0x80, KEY_COLOUR = 0x100, KEY_TOGGLE = 0x200;
constexpr uint32_t KEY_Z_DOWN = 0x400, KEY_PREVIOUS = 0x800;

constexpr int32_t SOUND_WIND = 43;
constexpr int32_t WIND_PITCH_BASE = 0xB000;
constexpr int32_t WIND_PITCH_HIGH = 0xCC00;
constexpr int32_t WIND_VOLUME_FULL = 255;
constexpr int32_t WIND_VOLUME_FLOOR = 50;
constexpr int32_t FADE_FRAMES = 60;
constexpr int32_t SWELL_FROM = 220;  // the figure's part ends and the wind swells again
constexpr int32_t SWELL_FRAMES = 110;
constexpr int32_t SWEEP_RESET_LEFT = 110;

// The figure: models 573..592 (592 ends the drawing), node 0 the body at the base point,
// the two arms (upper and lower segments) aimed at the player, the rest swinging.
constexpr int32_t FIGURE_FIRST_MODEL = 573;
constexpr int32_t FIGURE_LAST_MODEL = 592;
constexpr uint32_t FIGURE_DRAW_LIMIT = 64;
constexpr int32_t FIGURE_STEP_MODEL = 585;
constexpr int32_t FIGURE_SCALE = 21299;
constexpr int32_t FIGURE_BASE_RAISE = 988;
constexpr int32_t FIGURE_AHEAD = 7168;
constexpr uint32_t ARM_LEFT = 3, ARM_RIGHT = 5;  // upper segment; the lower is the next record
constexpr int32_t UPPER_ARM = 472, LOWER_ARM = 356, ARM_REACH_D = 350490, ARM_REACH_E = 336925;
constexpr uint32_t HEAD = 2;
constexpr int32_t HEAD_PITCH_LIMIT = 0x3000, HEAD_TURN_LIMIT = 0x3800;
constexpr int32_t OUT_OF_REACH_BEND = -6144;
constexpr int32_t SPEED_DROP = 1438;
constexpr int32_t LIFT_MAX_STEP = 0x4000000;
constexpr int32_t LIFT_FALL = 5230;
constexpr int32_t GAUGE_MAX = 48;

// Node offsets of the figure's records from their parent (x, y, z), parent as a signed
// count of records.
struct figure_node {
    int32_t parent, x, y, z;
};
constexpr figure_node FIGURE[FIGURE_NODES] = {
    {0, 0, 0, 0},       {-1, 0, 520, 0},     {-1, 0, 180, 0},     {-3, 260, 440, 0},  {-1, 0, -UPPER_ARM, 0},
    {-5, -260, 440, 0}, {-1, 0, -UPPER_ARM, 0}, {-7, 140, -60, 0},  {-1, 0, -500, 0},   {-9, -140, -60, 0},
    {-1, 0, -500, 0},   {-11, 0, 300, -180}, {-1, 0, 0, -240},    {-1, 0, 0, -240},   {-1, 0, 0, -240},
    {-1, 0, 0, -240},   {-1, 0, 0, -240},    {-1, 0, 0, -240},    {-1, 0, 0, -240},   {-1, 0, 0, -240},
};
constexpr uint32_t FIRST_SWING_NODE = 11;
// The body's reference heading, between the reference pitch and roll: the heading offset
// d of the camera path.
constexpr uint32_t NODE_BASE_HEADING = NODE_BASE_PITCH + 4;

int32_t gauge;  // the needle gauge, counted while the word W 0x0E68 is 8

int32_t port0(uint32_t field) {
    return w_cell(W_SWITCH_PORT0 + field);
}

int32_t word(uint32_t w) {
    return uint16_t(w_word(w));
}
void word_set(uint32_t w, int32_t value) {
    w_word_set(w, uint32_t(value));
}

int32_t path_counter() {
    return int16_t(uint32_t(w_cell(W_COUNTDOWN_PATH)) >> 16);
}
int32_t wind_pitch() {
    return w_cell(W_COUNTDOWN_PATH) & 0xFFFF;
}
void path_set(int32_t counter, int32_t pitch) {
    w_cell_set(W_COUNTDOWN_PATH, int32_t(uint32_t(counter) << 16 | (uint32_t(pitch) & 0xFFFF)));
}

// The figure's block, when W_SWEEP_OBJECT holds an address whose 20 records lie in work
// RAM; 0 otherwise.
uint32_t figure_block() {
    int32_t n = w_index(w_slot(W_SWEEP_OBJECT));
    if (n <= 0 || uint32_t(n) + FIGURE_NODES * RIG_NODE_BYTES > WRAM_SIZE) return 0;
    return uint32_t(n);
}

uint32_t node_at(uint32_t block, uint32_t k) {
    return block + k * RIG_NODE_BYTES;
}

void figure_build(uint32_t block) {
    for (uint32_t k = 0; k < FIGURE_NODES; k++) {
        uint32_t n = node_at(block, k);
        for (uint32_t f = 0; f < RIG_NODE_BYTES; f += 4) w_cell_set(n + f, 0);
        w_cell_set(n + NODE_MODEL, FIGURE_FIRST_MODEL + int32_t(k));
        w_cell_set(n + NODE_LINK, int32_t(uint32_t(FIGURE[k].parent) << 16));
        w_cell_set(n + NODE_FLAGS, 0x100);  // scale word
        w_cell_set(n + NODE_X, FIGURE[k].x);
        w_cell_set(n + NODE_Y, FIGURE[k].y);
        w_cell_set(n + NODE_Z, FIGURE[k].z);
        w_cell_set(n + NODE_GROUP, 5 + int32_t(k));
    }
}

// The base point in front of the player, into the body's position and reference words.
void figure_place(uint32_t block) {
    int32_t height = w_cell(W_FIGURE_HEIGHT) - (word(W_BALLOONS_LEFT) == 7 ? 5120 : 3584);
    int32_t ox, oy, oz;
    vec_rotate_rph(FIGURE_AHEAD, 0, height, w_cell(W_PLAYER_PITCH), wrap_add(w_cell(W_PLAYER_HEADING), 0x4000),
                   w_cell(W_PLAYER_ROLL), &ox, &oy, &oz);
    uint32_t body = node_at(block, 0);
    const int32_t base[3] = {wrap_add(w_cell(W_PLAYER_X), ox), wrap_add(wrap_add(w_cell(W_PLAYER_Y), oy), FIGURE_BASE_RAISE),
                             wrap_add(w_cell(W_PLAYER_Z), oz)};
    for (uint32_t i = 0; i < 3; i++) {
        w_cell_set(body + NODE_X + 4 * i, base[i]);
        w_cell_set(body + NODE_BASE_X + 4 * i, base[i]);
    }
    // The figure faces the player; its heading offset word is the player's heading.
    w_cell_set(body + NODE_HEADING, wrap_add(w_cell(W_PLAYER_HEADING), 0x8000));
    w_cell_set(body + NODE_BASE_HEADING, w_cell(W_PLAYER_HEADING));
}

// value += v >> shift with v = (target - value) gain + v - (v >> damping): the two
// damped rules of the figure's angle words.
void angle_follow(uint32_t node, uint32_t field, int32_t target, int32_t gain, int damping, int shift) {
    uint32_t velocity = node + NODE_ANGLE_VELOCITY + (field - NODE_PITCH);
    int32_t value = w_cell(node + field), v = w_cell(velocity);
    v = wrap_add(wrap_add(wrap_mul(wrap_sub(target, value), gain), v), -(v >> damping));
    w_cell_set(velocity, v);
    w_cell_set(node + field, wrap_add(value, v >> shift));
}
void swing_follow(uint32_t node, uint32_t field, int32_t target) {
    angle_follow(node, field, target, 16, 1, 9);
}
void turn_follow(uint32_t node, uint32_t field, int32_t target) {
    angle_follow(node, field, target, 128, 3, 10);
}

// Lift targets by frame: the figure rises, hangs and sinks away before the race.
int32_t lift_target(int32_t e) {
    bool high_course = word(W_BALLOONS_LEFT) == 6 || word(W_BALLOONS_LEFT) == 7;
    if (e < 130) return 0;
    if (e < 160) return high_course ? 6000 : 4000;
    if (e < 180) return 2000;
    if (e < 190) return 0;
    return high_course ? -3000 : -1500;
}

void figure_motion(uint32_t block, int32_t e) {
    uint32_t body = node_at(block, 0);
    int32_t height = w_cell(W_FIGURE_HEIGHT);
    if (e >= 60 && e < 90) {
        int32_t a = ((e - 60) * 0x8000 / 30) & 0xFFFC;
        height -= math_sin(a) / 2048;
    } else if (e >= 90) {
        int32_t speed = w_cell(W_FIGURE_LIFT_SPEED);
        if (e < 130) {
            speed -= SPEED_DROP;
        } else {
            int32_t lift = w_cell(W_FIGURE_LIFT);
            int64_t step = std::min<int64_t>((int64_t(lift_target(e)) - speed) * 256 - lift / 16, LIFT_MAX_STEP);
            lift = int32_t(std::max<int64_t>(0, std::min<int64_t>(INT32_MAX, lift + step)));
            w_cell_set(W_FIGURE_LIFT, lift);
            speed += lift / 512 - LIFT_FALL;
        }
        w_cell_set(W_FIGURE_LIFT_SPEED, speed);
        height += speed >> 10;
    }
    w_cell_set(W_FIGURE_HEIGHT, height);
    w_cell_set(body + NODE_Y, wrap_add(w_cell(body + NODE_BASE_Y), height));

    // The swinging parts: a wave down the chain, one turn in 64 frames.
    for (uint32_t k = FIRST_SWING_NODE; k < FIGURE_NODES; k++) {
        int32_t wave = math_sin(int32_t((uint32_t(e) * 1024 + k * 0x1800) & 0xFFFF)) / 8;
        swing_follow(node_at(block, k), NODE_PITCH, wave);
        swing_follow(node_at(block, k), NODE_ROLL, wave / 2);
    }
    turn_follow(body, NODE_HEADING, wrap_add(w_cell(W_PLAYER_HEADING), 0x8000));
}

// Arms toward the player, the head toward the camera.
void figure_aim(uint32_t block, int32_t e) {
    uint32_t body = node_at(block, 0);
    int32_t to_player[3];
    for (uint32_t i = 0; i < 3; i++)
        to_player[i] = wrap_sub(w_cell(W_PLAYER_X + 4 * i), w_cell(body + NODE_X + 4 * i));
    if (e < 160 || word(W_BALLOONS_LEFT) == 6) {
        for (uint32_t arm : {ARM_LEFT, ARM_RIGHT}) {
            uint32_t n = node_at(block, arm);
            const int32_t target[3] = {wrap_sub(to_player[0], w_cell(n + NODE_X)), wrap_sub(to_player[1], w_cell(n + NODE_Y)),
                                       wrap_sub(to_player[2], w_cell(n + NODE_Z))};
            countdown_node_aim(WRAM_BASE + n, target, UPPER_ARM, LOWER_ARM, ARM_REACH_D, ARM_REACH_E);
        }
    }
    int32_t dx = wrap_sub(w_cell(W_CAMERA_X), w_cell(body + NODE_X));
    int32_t dy = wrap_sub(w_cell(W_CAMERA_Y), w_cell(body + NODE_Y));
    int32_t dz = wrap_sub(w_cell(W_CAMERA_Z), w_cell(body + NODE_Z));
    uint32_t head = node_at(block, HEAD);
    int32_t turn = int16_t(wrap_sub(math_atan2(dx, dz), w_cell(body + NODE_HEADING)));
    int32_t pitch = int16_t(math_atan2(dy, std::max(1, wrap_add(wrap_abs(dx), wrap_abs(dz)))));
    turn_follow(head, NODE_HEADING, std::clamp(turn, -HEAD_TURN_LIMIT, HEAD_TURN_LIMIT));
    turn_follow(head, NODE_PITCH, std::clamp(pitch, -HEAD_PITCH_LIMIT, HEAD_PITCH_LIMIT));
}

void figure_draw(uint32_t block, int32_t e) {
    dl_header_8002_put(0);
    dl_bank_select(-8192);
    int32_t k = word(W_BALLOONS_LEFT);
    if (k != 8) {
        countdown_sweep_step();
        for (uint32_t r = 0; r < FIGURE_DRAW_LIMIT; r++) {
            uint32_t n = node_at(block, r);
            if (n + RIG_NODE_BYTES > WRAM_SIZE) break;
            if (r == 0)
                dl_model_from_object34(WRAM_BASE + n, FIGURE_SCALE);
            else
                dl_model_from_object(WRAM_BASE + n, FIGURE_SCALE);
            if (w_cell(n + NODE_MODEL) == FIGURE_LAST_MODEL) break;
        }
    }
    if (k == 0)
        hud_sweep_title_models();
    else
        hud_sweep_header(1);
    if (k == 8 && e < FADE_FRAMES) {
        gauge = std::min(gauge + 2, GAUGE_MAX);
        hud_sweep_map_digits();
    }
    dl_bank_end();
}

int32_t wind_volume(int32_t e) {
    int32_t v = std::max(66 - w_cell(W_FIGURE_LIFT) / 0x40000, WIND_VOLUME_FLOOR);
    int32_t volume = v;
    if (e < FADE_FRAMES)
        volume = (v - WIND_VOLUME_FULL) * e / FADE_FRAMES + WIND_VOLUME_FULL;
    else if (e > SWELL_FROM)
        volume = v + (e - SWELL_FROM) * (WIND_VOLUME_FULL - v) / SWELL_FRAMES;
    return std::min(volume, WIND_VOLUME_FULL);
}

int32_t wind_pitch_target() {
    int64_t q = int64_t(w_cell(W_FIGURE_LIFT) / 256) * 1024 / 0x4000;
    return q > 7168 ? WIND_PITCH_HIGH : int32_t(q) + WIND_PITCH_BASE;
}

void stage_debug_lines(int32_t n, int32_t volume, uint32_t block) {
    int32_t orb = 331 - n, e = COUNTDOWN_LEFT_FIRST - n;
    if (e >= 13 && e % 10 == 3 && block)
        printf("[MARSH2] orb=%d f%d cnt=%d | n0 mdl=%d pos=(%d,%d,%d)\n", orb, e, n, w_cell(block + NODE_MODEL),
               w_cell(block + NODE_X), w_cell(block + NODE_Y), w_cell(block + NODE_Z));
    if ((n == 330 || n == 300 || n == 240 || n == 180) && block) {
        printf("[MARSH] f%d d2=%d base=0x%lX cam=(%d,%d,%d) hdg=%d ply=(%d,%d,%d) E6A=%d\n", e,
               w_cell(block + NODE_BASE_HEADING), long(WRAM_BASE + block), w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y),
               w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING), w_cell(W_PLAYER_X), w_cell(W_PLAYER_Y), w_cell(W_PLAYER_Z),
               word(W_COURSE_LEFT));
        for (uint32_t k = 0; k < FIGURE_NODES; k++) {
            uint32_t r = node_at(block, k);
            printf("  n%-2u m=%-5d lnk=%-3d len=%-4d dof=%04x pos=(%d,%d,%d) ang=(%d,%d,%d) slot=%d\n", k,
                   w_cell(r + NODE_MODEL), int16_t(uint32_t(w_cell(r + NODE_LINK)) >> 16), w_cell(r + NODE_FLAGS) & 0xFFFF,
                   uint32_t(w_cell(r + NODE_ANGLE_VELOCITY + 4)) & 0xFFFF, w_cell(r + NODE_X), w_cell(r + NODE_Y),
                   w_cell(r + NODE_Z), w_cell(r + NODE_PITCH), w_cell(r + NODE_HEADING), w_cell(r + NODE_ROLL),
                   w_cell(r + NODE_GROUP));
        }
    }
    if (orb % 30 == 1 || orb > 325)
        printf("[WIND] orb=%d vol=%04X pitch=%04X 1672A=%04X 17298=%d\n", orb, volume, wind_pitch_target(), wind_pitch(),
               w_cell(W_FIGURE_LIFT));
}

// Two-segment reach: the cosine of the first segment's offset from the target line and
// the second's bend, through the law of cosines.
int32_t cosine_angle(int64_t a, int64_t b) {
    if (b == 0) return 0;
    int64_t q = std::clamp<int64_t>(a * 4096 / b, -4096, 4096);
    return math_slope_angle(int32_t(q), 4096);
}

}  // namespace

void stage_start_run() {
    switch (w_cell(W_STAGE_START_SUB_STATE)) {
    case 0: stage_start_init(); break;
    case 1: stage_start_value_screen(); break;
    default:
        if (verbose_enabled())
            printf("[STAGE] Stage start complete (timer=%d), entering gameplay\n", w_cell(W_STAGE_START_SUB_STATE));
        w_cell_set(W_GAME_STATE, 2);
    }
}

void stage_start_init() {
    word_set(W_VIEWER_FRAMES, 0);
    word_set(W_VIEWER_MARK_COUNT, 0);
    for (uint32_t i = 0; i < VIEWER_MARKS; i++) w_word_set(W_VIEWER_MARKS + 2 * i, 0xFFFF);
    textram_clear();
    camera_reset();
    w_cell_set(W_VIEWER_MODEL, 0);
    for (uint32_t i = 0; i < 6; i++) w_cell_set(W_VIEWER_X + 4 * i, rom_table_long(VIEWER_START, i, 0));
    w_cell_set(W_VIEWER_MODE, rom_table_long(VIEWER_START, 6, 0));
    w_cell_set(W_VIEWER_STEP, VIEWER_STEP_FIRST);
    word_set(W_VIEWER_TURN, 0);
    word_set(W_VIEWER_COLOUR, 0);
    text_print(9, 1, ROM_VIEWER_TITLE, 0);
    w_cell_set(W_STAGE_START_SUB_STATE, 7);
}

void stage_start_value_screen() {
    uint32_t held = uint32_t(port0(SP_CURRENT)), pressed = uint32_t(port0(SP_PRESSED));
    uint32_t repeat = uint32_t(port0(SP_REPEAT));
    auto cell_add = [](uint32_t w, int32_t d) { w_cell_set(w, wrap_add(w_cell(w), d)); };

    int32_t fast = port0(SP_DOUBLE) & KEY_NEXT ? 8 : 1;
    if (repeat & KEY_NEXT) cell_add(W_VIEWER_MODEL, fast);
    if (repeat & KEY_PREVIOUS) cell_add(W_VIEWER_MODEL, -fast);
    w_cell_set(W_VIEWER_MODEL, std::max(0, w_cell(W_VIEWER_MODEL)));

    if (pressed & KEY_TOGGLE) word_set(W_VIEWER_TURN, !word(W_VIEWER_TURN));
    if (pressed & KEY_COLOUR) {
        word_set(W_VIEWER_COLOUR, !word(W_VIEWER_COLOUR));
        if (word(W_VIEWER_COLOUR))
            mixer_colour_set(48, 48, 128);
        else
            mixer_colour_set(0, 0, 0);
    }

    if (word(W_VIEWER_TURN)) {
        struct {
            uint32_t up, down, angle;
        } const turns[] = {{KEY_X_UP, KEY_X_DOWN, 1}, {KEY_Y_UP, KEY_Y_DOWN, 0}, {KEY_Z_DOWN, KEY_Z_UP, 2}};
        for (const auto& t : turns) {
            uint32_t w = W_VIEWER_ANGLES + 4 * t.angle;
            if (held & t.up) w_cell_set(w, (w_cell(w) + VIEWER_TURN_STEP) & 0xFFFF);
            if (held & t.down) w_cell_set(w, (w_cell(w) - VIEWER_TURN_STEP) & 0xFFFF);
        }
        if (pressed & KEY_A) w_cell_set(W_VIEWER_MODE, (w_cell(W_VIEWER_MODE) + 1) % VIEWER_MODES);
        if (pressed & KEY_B)
            for (uint32_t i = 0; i < 3; i++) w_cell_set(W_VIEWER_ANGLES + 4 * i, 0);
    } else {
        int32_t step = w_cell(W_VIEWER_STEP);
        struct {
            uint32_t plus, minus, axis;
        } const moves[] = {{KEY_X_DOWN, KEY_X_UP, 0}, {KEY_Y_UP, KEY_Y_DOWN, 1}, {KEY_Z_UP, KEY_Z_DOWN, 2}};
        for (const auto& m : moves) {
            if (held & m.plus) cell_add(W_VIEWER_X + 4 * m.axis, step);
            if (held & m.minus) cell_add(W_VIEWER_X + 4 * m.axis, -step);
        }
        if (pressed & KEY_A) w_cell_set(W_VIEWER_STEP, step * 10 >= VIEWER_STEP_LIMIT ? 1 : step * 10);
        if (pressed & KEY_B) {
            w_cell_set(W_VIEWER_X, 0);
            w_cell_set(W_VIEWER_X + 4, 0);
            w_cell_set(W_VIEWER_X + 8, VIEWER_Z_HOME);
        }
    }

    dl_object_put(0, w_cell(W_VIEWER_MODEL), w_cell(W_VIEWER_X), w_cell(W_VIEWER_X + 4), w_cell(W_VIEWER_X + 8),
                  w_cell(W_VIEWER_ANGLES), w_cell(W_VIEWER_ANGLES + 4), w_cell(W_VIEWER_ANGLES + 8), w_cell(W_VIEWER_MODE));
    const uint32_t values[VIEWER_LABELS] = {W_VIEWER_MODEL, W_VIEWER_X, W_VIEWER_X + 4, W_VIEWER_X + 8,
                                            W_VIEWER_ANGLES, W_VIEWER_ANGLES + 4, W_VIEWER_ANGLES + 8,
                                            W_VIEWER_MODE, W_VIEWER_STEP};
    uint32_t label = ROM_VIEWER_LABELS;
    for (int i = 0; i < VIEWER_LABELS; i++) {
        text_print(2, 3 + i, label, 0);
        text_print_signed(10, 3 + i, 6, w_cell(values[i]), 0);
        while (label < ROM_VIEWER_LABELS + 0x100 && bus_read8(label) != 0) label++;
        label++;
    }
    int32_t count = std::min(word(W_VIEWER_MARK_COUNT), int32_t(VIEWER_MARKS));
    if ((pressed & KEY_NEXT) && count < int32_t(VIEWER_MARKS)) {
        word_set(W_VIEWER_MARKS + 2 * uint32_t(count), word(W_VIEWER_FRAMES));
        word_set(W_VIEWER_MARK_COUNT, ++count);
    }
    for (int32_t i = 0; i < count; i++)
        text_print_hex(VIEWER_MARK_COLUMN, VIEWER_MARK_ROW + i, 4, uint16_t(w_word(W_VIEWER_MARKS + 2 * uint32_t(i))),
                       0);
    word_set(W_VIEWER_FRAMES, word(W_VIEWER_FRAMES) + 1);
}

void countdown_sweep(int32_t n) {
    if (n < 1 || n > COUNTDOWN_LEFT_FIRST) return;
    int32_t e = COUNTDOWN_LEFT_FIRST - n;
    if (n == COUNTDOWN_LEFT_FIRST) {
        sound_play(SOUND_WIND);
        w_cell_set(W_SWEEP_OBJECT, int32_t(WRAM_BASE + W_COUNTDOWN_FIGURE));
        figure_build(W_COUNTDOWN_FIGURE);
        for (uint32_t w : {W_FIGURE_HEIGHT, W_FIGURE_LIFT, W_FIGURE_LIFT_SPEED}) w_cell_set(w, 0);
        gauge = 0;
        path_set(CAMERA_PATH_FRAMES, WIND_PITCH_BASE);
    }
    if (n == 1) {
        sound_stop(SOUND_WIND);
        sound_mailbox_write(WIND_VOLUME_FULL, WIND_PITCH_BASE);
        return;
    }
    if (n == SWEEP_RESET_LEFT) {
        sweep_object_reset();
        return;
    }
    int32_t volume = wind_volume(e);
    int32_t pitch = wind_pitch();
    pitch += (wind_pitch_target() - pitch) / 8;
    path_set(path_counter(), pitch);
    sound_mailbox_write(volume, pitch);

    uint32_t block = figure_block();
    if (env_on("SKYVOLTA_STAGEDBG")) stage_debug_lines(n, volume, block);
    if (!block || (n != COUNTDOWN_LEFT_FIRST && e >= SWELL_FROM)) return;
    if (e < FADE_FRAMES) {
        if (word(W_BALLOONS_LEFT) != 0 || n == COUNTDOWN_LEFT_FIRST) figure_place(block);
    } else {
        figure_motion(block, e);
    }
    figure_aim(block, e);
    figure_draw(block, e);
}

void countdown_sweep_step() {
    uint32_t block = figure_block();
    if (!block) return;
    int32_t pairs[6];
    for (uint32_t i = 0; i < 3; i++) dl_rotation_pair(w_cell(block + NODE_PITCH + 4 * i), pairs + 2 * i);
    const int32_t words[] = {DL_NODE,  int16_t(uint32_t(w_cell(block + NODE_LINK)) >> 16), 0, FIGURE_STEP_MODEL, 1,
                             pairs[0], pairs[1], pairs[2], pairs[3], pairs[4], pairs[5],
                             w_cell(block + NODE_FLAGS) & 0xFFFF, DL_END, DL_NODE_MODEL,
                             dl_relative_x(w_cell(block + NODE_X)),
                             wrap_sub(dl_relative_y(w_cell(block + NODE_Y)), FIGURE_STEP_MODEL),
                             dl_relative_z(w_cell(block + NODE_Z))};
    dl_emit(words, sizeof words / sizeof words[0]);
}

void countdown_sweep_camera() {
    uint32_t block = figure_block();
    if (!block) return;
    uint32_t body = node_at(block, 0);
    int32_t k = word(W_BALLOONS_LEFT);
    int32_t d = w_cell(body + NODE_BASE_HEADING);
    int64_t player_heading = w_cell(W_PLAYER_HEADING);

    int32_t p = path_counter(), m, r;
    if (p - 1 < 0) {
        p = 0, m = 0, r = CAMERA_PATH_FRAMES;
    } else {
        p -= 1, m = p, r = CAMERA_PATH_FRAMES - m;
    }
    path_set(p, wind_pitch());

    int64_t heading, t, u;
    if (r < 60) {
        w_cell_set(W_FIGURE_HEIGHT, 0);
        int32_t b = k == 0 ? r * 13107 / 60 : 0;
        w_cell_set(W_FIGURE_TURN, b);
        heading = -int64_t(b) - w_cell(body + NODE_HEADING);
        if (k != 0) {
            t = r * 512 / 60 + 483;
            u = -(int64_t(r) * r * 1280 / 3600) - 782;
        } else {
            t = 995, u = -1426;
        }
    } else {
        bool orbit_fix = env_on("SKYVOLTA_ORBITFIX");
        int64_t g = k != 0 ? 0x10000 : 52429;
        int64_t f = (orbit_fix ? 496 : 240) - m;
        heading = g - d + f * (f * (player_heading + d - g) / 8) / 7200;
        w_cell_set(W_FIGURE_TURN, int32_t(0x10000 - heading - d));
        int64_t s = k != 0 ? -2062 : -1426;
        int64_t c = 240 - m;
        int64_t wave = ((math_cos(int32_t((c * 0x10000 / 240) & 0xFFFC)) >> 4) * 5) & 0xFFFFF;
        u = (s + 9344) * ((orbit_fix ? m - 496 : m + 256 - 496)) / 240 + wave + s - 10240;
        t = (29 * r - 1740) / 240 + 995;
    }
    w_cell_set(W_CAMERA_HEADING, int32_t(heading));
    w_cell_set(W_CAMERA_PITCH, 0);
    w_cell_set(W_CAMERA_ROLL, 0);

    int64_t bn = 0, bd = 1;
    if (w_cell(W_FIGURE_TURN) > 13106 && env_default_on("SKYVOLTA_ORBIT_EA")) {
        bn = int64_t(int32_t(heading)) + d - 52429;
        bd = player_heading + d - 52429;
        if (bd == 0) bd = 1;
    }
    int32_t o[3];
    vec_rotate_rph(0, int32_t(t), int32_t(u), 0, int32_t(heading), 0, o, o + 1, o + 2);
    for (uint32_t i = 0; i < 3; i++) {
        int64_t base = w_cell(body + NODE_BASE_X + 4 * i);
        int64_t to_player = wrap_sub(w_cell(W_PLAYER_X + 4 * i), int32_t(base));
        w_cell_set(W_CAMERA_X + 4 * i, int32_t(base + o[i] + bn * to_player / bd));
    }
    camera_grid_cell_update();
}

void countdown_node_aim(uint32_t node_record, const int32_t target[3], int32_t b, int32_t c, int32_t d, int32_t e) {
    int32_t n = w_index(node_record);
    constexpr int32_t LAST_RECORD = 261440;  // the record and the next one lie in work RAM
    if (n <= 0 || n > LAST_RECORD || !target) return;
    uint32_t first = uint32_t(n), second = first + RIG_NODE_BYTES;
    int64_t x = target[0], y = target[1], z = target[2];
    int64_t dist = int64_t(std::sqrt(double(x * x + y * y + z * z)));
    int64_t flat = int64_t(std::sqrt(double(x * x + z * z)));
    // Straight above or below the record the heading stays as it is.
    int32_t heading = x == 0 && z == 0 ? w_cell(first + NODE_HEADING) : math_atan2(target[0], target[2]);
    int32_t elevation = dist > 0 ? cosine_angle(flat, dist) : 0;
    if (y < 0) elevation = -elevation;
    w_cell_set(first + NODE_HEADING, heading);
    int64_t dist2 = dist * dist;
    if (dist < int64_t(b) + c && dist > 0) {
        int32_t offset = cosine_angle(dist2 + int64_t(b) * b - int64_t(c) * c, 2 * int64_t(b) * dist);
        w_cell_set(first + NODE_PITCH, elevation + offset);
        w_cell_set(second + NODE_PITCH, cosine_angle(dist2 - d, e) - 0x8000);
    } else {
        w_cell_set(first + NODE_PITCH, elevation);
        w_cell_set(second + NODE_PITCH, std::max(w_cell(second + NODE_PITCH), OUT_OF_REACH_BEND));
    }
}

void game_nop() {}

void sweep_object_reset() {
    int32_t n = w_index(w_slot(W_SWEEP_OBJECT));
    if (n <= 0 || uint32_t(n) + SWEEP_RECORD_BYTES > WRAM_SIZE) return;
    uint32_t at = uint32_t(n);
    int32_t course = wram_long(W_COURSE_NUMBER);
    if (course >= 0 && course <= 3) {
        w_cell_set(at + 0x24, 255039);
        w_cell_set(at + 0x40, 110687);
        w_cell_set(at + 0x2C, 82314);
    }
    w_cell_set(at + 0x30, 0);
    w_cell_set(at + 0x38, 0);
    w_cell_set(at + 0x3B0, 0);
    w_cell_set(at + 0x880, -1);
}
