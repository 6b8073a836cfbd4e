// The player's flight step, course bounds and pedal drive.
#include "game/world/player_flight.h"

#include "base/host_hooks.h"
#include "board/fixed_math.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"

#include <algorithm>

namespace {

constexpr int32_t WING_HIT_PUSH = 256;
constexpr int32_t WING_SPECIAL_PUSH = 512;
constexpr int32_t WING_PUSH_LIMIT = 4096;
constexpr int32_t SPECIAL_TYPE_LOW = 225;  // types up to here push one way, above the other
constexpr int32_t NOSE_BOOST_TYPE_LAST = 227;
constexpr int32_t NOSE_EASE_CODE = 0x70;
constexpr int32_t NOSE_LOW_PUSH = 0x300;
constexpr int32_t NOSE_BOOST_PUSH = 0x180;
constexpr int32_t TOP_HIT_PUSH = 0x180;
constexpr int32_t PITCH_PUSH_MIN = -0x3000, PITCH_PUSH_MAX = 0x2000;
constexpr int32_t BOOST_SPEED_LIMIT = 0xE00;  // the nose boost adds below this speed
constexpr int32_t SLOPE_GAIN = -27;
constexpr int32_t RESTART_SPEED = 0xE9E;      // a pedalled start leaves the stop at this speed
constexpr int32_t RESTART_CRANK_RATE = 5;     // the crank rate must exceed this
constexpr int32_t SLOW_SPEED = 0xBAB;         // below this the machine flies slow
constexpr int32_t SLOW_PITCH_FLOOR = -0x3000;
constexpr int32_t DIVE_PULL_MAX = 0x500000;
constexpr int32_t PITCH_LIMIT = 0x4000, PITCH_LIMIT_NOVICE = 0x1000;
constexpr int32_t PITCH_PUSH_CEILING = 0x37FF;  // nose and top pushes act below this pitch
constexpr int32_t INIT_SPEED = 0xC00;

constexpr int32_t COURSE_BOXED = 3;
constexpr int32_t BOX_X_MIN = 20000, BOX_X_MAX = 766432;
constexpr int32_t BOX_Z_MIN = 766432, BOX_Z_MAX = 1552864;
constexpr int32_t BOX_Y_MIN = 10000, BOX_Y_MAX = 260000;
constexpr int32_t CEILING = 140960, CEILING_NOVICE = 108960;

constexpr int32_t DRIVE_STEP = 256;
constexpr int32_t DRIVE_PER_PEDAL = 1184;
constexpr int32_t DRIVE_MAX = 0x6F00;
constexpr int32_t DRIVE_FALL = 30;
constexpr int32_t CRANK_TURN = 640;

// Arithmetic shift right for a count from work RAM (0..63).
int32_t asr(int32_t v, uint32_t n) {
    return n >= 32 ? (v < 0 ? -1 : 0) : v >> n;
}

int32_t low16(int32_t v) {
    return int16_t(uint16_t(uint32_t(v)));
}

bool probe_flag(uint32_t probe, uint32_t field) {
    return w_cell(probe_field(probe, field)) != 0;
}

int32_t probe_special_type(uint32_t probe) {
    return w_cell(probe_field(probe, PROBE_SPECIAL_TYPE));
}

// The crank's advance for n = pedal counts + 1; the flight's speed gain grows with it.
int32_t crank_step(int32_t n) {
    return wrap_mul(74, n) >> 4;
}

void clamp_cell(uint32_t w, int32_t lo, int32_t hi) {
    w_cell_set(w, std::clamp(w_cell(w), lo, hi));
}

void clamp_cell_max(uint32_t w, int32_t hi) {
    w_cell_set(w, std::min(w_cell(w), hi));
}

// Course 3's box and floor.
void boxed_course_clamp() {
    clamp_cell(W_PLAYER_X, BOX_X_MIN, BOX_X_MAX);
    clamp_cell(W_PLAYER_Z, BOX_Z_MIN, BOX_Z_MAX);
    w_cell_set(W_PLAYER_Y, std::max(w_cell(W_PLAYER_Y), BOX_Y_MIN));
}

}  // namespace

void player_bounds_check() {
    player_flight_step();
    player_position_clamp();
    player_pedal_drive();
}

void player_flight_step() {
    bool right_hit = probe_flag(PROBE_RIGHT_WING, PROBE_HIT);
    bool left_hit = probe_flag(PROBE_LEFT_WING, PROBE_HIT);
    bool right_special = probe_flag(PROBE_RIGHT_WING, PROBE_SPECIAL);
    bool left_special = probe_flag(PROBE_LEFT_WING, PROBE_SPECIAL);
    bool nose_special = probe_flag(PROBE_NOSE, PROBE_SPECIAL);
    bool top_hit = probe_flag(PROBE_TOP, PROBE_HIT);
    bool wing_contact = right_hit || left_hit || right_special || left_special;

    // 1. Wing push: hits push away from the wing, special regions by their type.
    int32_t push = w_cell(W_WING_PUSH);
    if (right_hit) push = wrap_sub(push, WING_HIT_PUSH);
    if (left_hit) push = wrap_add(push, WING_HIT_PUSH);
    if (right_special)
        push = wrap_add(push, probe_special_type(PROBE_RIGHT_WING) > SPECIAL_TYPE_LOW ? -WING_SPECIAL_PUSH
                                                                                      : WING_SPECIAL_PUSH);
    if (left_special)
        push = wrap_add(push, probe_special_type(PROBE_LEFT_WING) <= SPECIAL_TYPE_LOW ? -WING_SPECIAL_PUSH
                                                                                      : WING_SPECIAL_PUSH);
    push = std::clamp(push, -WING_PUSH_LIMIT, WING_PUSH_LIMIT);
    if (!wing_contact) {
        push -= push >> 6;
        if (push >= 0 && push <= 63) push = 0;  // a small negative push still decays by one
    }
    int32_t push_size = wrap_abs(push);

    // 2. Pitch push from the nose's special region and the top's hit.
    int32_t pitch_push = w_cell(W_PITCH_PUSH);
    bool nose_boost = false;
    if (nose_special) {
        w_cell_set(W_EASE_CODE, NOSE_EASE_CODE);
        int32_t type = probe_special_type(PROBE_NOSE);
        if (type <= SPECIAL_TYPE_LOW) {
            pitch_push = wrap_sub(pitch_push, NOSE_LOW_PUSH);
        } else if (type <= NOSE_BOOST_TYPE_LAST) {
            pitch_push = wrap_add(pitch_push, NOSE_BOOST_PUSH);
            nose_boost = true;
        }
    }
    pitch_push = std::clamp(pitch_push, PITCH_PUSH_MIN, PITCH_PUSH_MAX);
    if (top_hit)
        pitch_push -= TOP_HIT_PUSH;  // after the clamp, and not clamped again
    else if (!nose_special)
        pitch_push -= pitch_push >> 6;

    // 3. Crank rate.
    int32_t speed = w_cell(W_PLAYER_SPEED);
    int32_t n = wrap_add(w_cell(W_PEDAL_DELTA), 1);
    if (nose_boost && speed < BOOST_SPEED_LIMIT) n = wrap_add(n, wrap_sub(BOOST_SPEED_LIMIT, speed) >> 4);
    int32_t crank_rate = w_cell(W_THRUST_OFF_TIMER) > 0 ? 0 : std::max(0, crank_step(n)) + 1;

    // 4. Speed: pedal gain, drag of the old speed, and the slope of the frame-start pitch.
    int32_t pitch_sine = math_sin(w_cell(W_PLAYER_PITCH));
    int32_t drag = wrap_mul(speed, speed) >> 22;
    int32_t slope = (pitch_sine * SLOPE_GAIN) >> 14;
    speed = std::max(0, wrap_add(wrap_sub(wrap_add(speed, crank_rate), drag), slope));

    // 5. A stopped machine stands until the pedal turns it faster than idle.
    bool stopped = w_cell(W_STOP_FLAG) != 0;
    if (stopped) {
        speed = 0;
        if (crank_rate > RESTART_CRANK_RATE) {
            stopped = false;
            w_cell_set(W_STOP_FLAG, 0);
            speed = RESTART_SPEED;
        }
    }

    // 6. Input filters.
    int32_t pitch_in = w_cell(W_PITCH_INPUT), turn_in = w_cell(W_TURN_INPUT);
    int32_t pitch_smooth = w_cell(W_PITCH_INPUT_SMOOTH);
    int32_t turn_smooth = w_cell(W_TURN_INPUT_SMOOTH);
    int32_t turn_smooth_2 = w_cell(W_TURN_INPUT_SMOOTH_2);
    pitch_smooth = wrap_add(pitch_smooth, wrap_sub(pitch_in, pitch_smooth) >> 4);
    turn_smooth = wrap_add(turn_smooth, wrap_sub(turn_in, turn_smooth) >> 5);
    turn_smooth_2 = wrap_add(turn_smooth_2, wrap_sub(turn_in, turn_smooth_2) >> 5);

    // 7. Slow flight drops the nose and builds the dive pull the chase camera shows.
    int32_t target_pitch = w_cell(W_TARGET_PITCH);
    int32_t dive_pull_start = w_cell(W_DIVE_PULL);
    int32_t dive_pull = dive_pull_start;
    int32_t peak = w_cell(W_DIVE_PULL_PEAK);
    int32_t slow = 0;
    w_cell_set(W_PREV_SLOW_FLAG, w_cell(W_SLOW_FLAG));
    if (!stopped) {
        pitch_smooth = wrap_add(pitch_smooth, (-pitch_sine) >> 5);
        if (speed < SLOW_SPEED) {
            slow = 1;
            target_pitch = wrap_add(target_pitch, speed - SLOW_SPEED);
            if (low16(target_pitch) < SLOW_PITCH_FLOOR) target_pitch = SLOW_PITCH_FLOOR;
            int32_t d = SLOW_SPEED - speed;
            dive_pull = std::max(dive_pull, std::min(DIVE_PULL_MAX, wrap_mul(wrap_mul(d, d) >> 8, d)));
            peak = std::max(peak, dive_pull);
        }
    }

    // 8. Dive pull decay.
    if (dive_pull_start > 0) {
        dive_pull = wrap_sub(dive_pull, peak >> 5);
        if (dive_pull <= 0) dive_pull = peak = 0;
    }

    // 9. Targets. The pitch limit compares the low 16 bits and keeps an in-range long whole.
    target_pitch = wrap_add(target_pitch, pitch_smooth >> 8);
    int32_t target_roll = turn_smooth >> 3;
    int32_t target_heading = wrap_sub(w_cell(W_TARGET_HEADING), wrap_add(turn_smooth >> 9, turn_smooth >> 8));
    int32_t limit = w_cell(W_COURSE_NUMBER) != 0 || w_word(W_GAME_MODE) != 0 ? PITCH_LIMIT : PITCH_LIMIT_NOVICE;
    if (low16(target_pitch) < -limit)
        target_pitch = -limit;
    else if (low16(target_pitch) > limit)
        target_pitch = limit;

    // 10.-11. Contacts turn the targets.
    if (wing_contact) {
        target_pitch = wrap_sub(target_pitch, push_size >> 7);
        target_heading = wrap_sub(target_heading, push >> 5);
    }
    if ((nose_special || top_hit) && low16(target_pitch) <= PITCH_PUSH_CEILING)
        target_pitch = wrap_add(target_pitch, pitch_push >> 5);

    // 12. Move along the target direction.
    int32_t pos[3] = {w_cell(W_PLAYER_X), w_cell(W_PLAYER_Y), w_cell(W_PLAYER_Z)};
    w_cell_set(W_PLAYER_PREV_X, pos[0]);
    w_cell_set(W_PLAYER_PREV_Y, pos[1]);
    w_cell_set(W_PLAYER_PREV_Z, pos[2]);
    int32_t dx, dy, dz;
    angles_to_vector(target_pitch, target_heading, speed >> 4, &dx, &dy, &dz);

    // 13. Easing: the eased attitude follows the targets by the ease code's shifts.
    int32_t ease = w_cell(W_EASE_CODE);
    uint32_t pitch_shift = uint32_t(ease >> 4) & 31, roll_shift = uint32_t(ease >> 6) & 31;
    int32_t eased_pitch = w_cell(W_EASED_PITCH);
    int32_t eased_heading = w_cell(W_EASED_HEADING);
    int32_t eased_roll = w_cell(W_EASED_ROLL);
    eased_pitch = wrap_add(eased_pitch, low16(wrap_sub(target_pitch, eased_pitch)) >> pitch_shift);
    eased_heading = wrap_add(eased_heading, low16(wrap_sub(target_heading, eased_heading)) >> pitch_shift);
    eased_roll = wrap_add(eased_roll, low16(wrap_sub(target_roll, eased_roll)) >> roll_shift);

    // 14. Bank from the heading lag, damped after impacts.
    int32_t bank = w_cell(W_BANK);
    int32_t lag_half = (-low16(wrap_sub(target_heading, eased_heading))) >> 2;
    int32_t bank_step = low16(lag_half - low16(bank)) >> 1;
    bank = asr(wrap_add(bank, bank_step), uint32_t(w_cell(W_BANK_DAMPING_TIMER) >> 5) & 63);

    // 15. Output.
    w_cell_set(W_PLAYER_X, wrap_add(pos[0], dx));
    w_cell_set(W_PLAYER_Y, wrap_add(pos[1], dy));
    w_cell_set(W_PLAYER_Z, wrap_add(pos[2], dz));
    w_cell_set(W_PLAYER_PITCH, wrap_add(wrap_add(eased_pitch, pitch_smooth >> 3), pitch_push >> 1));
    w_cell_set(W_PLAYER_HEADING, wrap_sub(eased_heading, turn_smooth_2 >> 3));
    w_cell_set(W_PLAYER_ROLL, wrap_add(wrap_add(wrap_add(bank, turn_smooth >> 3), push), eased_roll));
    w_cell_set(W_PLAYER_SPEED, speed);
    w_cell_set(W_CRANK_RATE, crank_rate);
    w_cell_set(W_DRAG, drag);
    w_cell_set(W_SLOPE_TERM, slope);
    w_cell_set(W_PITCH_INPUT_SMOOTH, pitch_smooth);
    w_cell_set(W_TURN_INPUT_SMOOTH, turn_smooth);
    w_cell_set(W_TURN_INPUT_SMOOTH_2, turn_smooth_2);
    w_cell_set(W_TARGET_PITCH, target_pitch);
    w_cell_set(W_TARGET_HEADING, target_heading);
    w_cell_set(W_TARGET_ROLL, target_roll);
    w_cell_set(W_EASED_PITCH, eased_pitch);
    w_cell_set(W_EASED_HEADING, eased_heading);
    w_cell_set(W_EASED_ROLL, eased_roll);
    w_cell_set(W_SLOW_FLAG, slow);
    w_cell_set(W_DIVE_PULL, dive_pull);
    w_cell_set(W_DIVE_PULL_PEAK, peak);
    w_cell_set(W_BANK, bank);
    w_cell_set(W_WING_PUSH, push);
    w_cell_set(W_PITCH_PUSH, pitch_push);

    // 16. A loaded replay overrides what the step has just written.
    replay_apply_attitude_hook();
}

void player_position_clamp() {
    int32_t course = w_cell(W_COURSE_NUMBER);
    if (w_cell(W_COLLISION_OFF) != 0) {
        if (course == COURSE_BOXED) boxed_course_clamp();
        return;
    }
    if (course == COURSE_BOXED) {
        clamp_cell_max(W_PLAYER_Y, BOX_Y_MAX);
        boxed_course_clamp();
    } else if (course == 1 || course == 2 || (course == 0 && w_word(W_GAME_MODE) != 0)) {
        clamp_cell_max(W_PLAYER_Y, CEILING);
    } else if (course == 0) {
        clamp_cell_max(W_PLAYER_Y, CEILING_NOVICE);
    }
}

void player_pedal_drive() {
    int32_t old = w_cell(W_DRIVE);
    w_cell_set(W_PREV_DRIVE, old);
    int32_t p = wrap_add(w_cell(W_PEDAL_DELTA), 1);
    int32_t step = std::min(DRIVE_STEP, wrap_sub(wrap_mul(DRIVE_PER_PEDAL, p), old));
    int32_t drive = std::clamp(wrap_add(old, step), 0, DRIVE_MAX);
    drive = std::max(drive, w_cell(W_PLAYER_SPEED) / 3);
    if (old > drive) drive = wrap_sub(old, DRIVE_FALL);
    w_cell_set(W_PROP_ANGLE, wrap_sub(w_cell(W_PROP_ANGLE), drive));
    w_cell_set(W_DRIVE, drive);

    // The board wraps the crank once each way; a whole modulo keeps a demo record's large
    // pedal counts (or a stray angle) inside the rig's 64 crank frames as well.
    int32_t angle = int32_t((int64_t(w_cell(W_CRANK_ANGLE)) + crank_step(p)) % CRANK_TURN);
    if (angle < 0) angle += CRANK_TURN;
    w_cell_set(W_CRANK_ANGLE, angle);
    w_cell_set(W_CRANK_FRAME, angle / 10);
}

void player_flight_init() {
    w_cell_set(W_PLAYER_SPEED, INIT_SPEED);
    const uint32_t attitude[3] = {W_PLAYER_PITCH, W_PLAYER_HEADING, W_PLAYER_ROLL};
    const uint32_t targets[3] = {W_TARGET_PITCH, W_TARGET_HEADING, W_TARGET_ROLL};
    const uint32_t eased[3] = {W_EASED_PITCH, W_EASED_HEADING, W_EASED_ROLL};
    for (int i = 0; i < 3; i++) {
        w_cell_set(targets[i], w_cell(attitude[i]));
        w_cell_set(eased[i], w_cell(attitude[i]));
    }
    for (uint32_t w = W_SLOW_FLAG; w <= W_DIVE_PULL_PEAK; w += 4) w_cell_set(w, 0);
}
