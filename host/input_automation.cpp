#include "host/input_automation.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "host/host_ram.h"
#include "host/input_update.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t CONTINUE_CYCLE = 60;
constexpr int CONTINUE_COIN_PULSE = 4;
constexpr uint32_t AUTOPILOT_LOG_EVERY = 60;
constexpr uint32_t BALLOON_COORD_MAX = 3000000;
constexpr int32_t BALLOON_Y_MIN = -100000, BALLOON_Y_MAX = 400000;
constexpr int64_t PASS_MARGIN = 500;

struct automation_switches {
    bool read;
    bool continue_screen;
    bool analog;
    int analog_steer, analog_lean;
    int mode, stage;  // cursor values, -1 off
    bool pass;
    long timer;       // -1 off
    bool timer_armed;
    bool go_to;
    long goto_sub, goto_frame;
    long ending_frame;  // -1 off
    bool ending_done;
    long steer_period, steer_amplitude, steer_start;
    int autopilot_steer_gain, autopilot_lean_gain;
    double autopilot_scale;
    int pedal;
};
automation_switches sw;

void switches_read() {
    if (sw.read) return;
    sw.read = true;
    sw.continue_screen = env_on("SKYVOLTA_TEST_CONTINUE");
    sw.analog_steer = sw.analog_lean = -1;
    if (const char* v = env_text("SKYVOLTA_TEST_ANALOG"))
        sw.analog = sscanf(v, "%d,%d", &sw.analog_steer, &sw.analog_lean) >= 1;
    sw.mode = env_int("SKYVOLTA_TEST_MODE", -1);
    sw.stage = env_int("SKYVOLTA_TEST_STAGE", -1);
    sw.pass = env_on("SKYVOLTA_TEST_PASS");
    sw.timer = env_int("SKYVOLTA_TEST_TIMER", -1);
    sw.timer_armed = true;
    if (const char* v = env_text("SKYVOLTA_TEST_GOTO"))
        sw.go_to = sscanf(v, "%ld@%ld", &sw.goto_sub, &sw.goto_frame) == 2;
    sw.ending_frame = env_int("SKYVOLTA_TEST_ENDING", -1);
    if (const char* v = env_text("SKYVOLTA_TEST_STEER")) {
        if (sscanf(v, "%ld,%ld,%ld", &sw.steer_period, &sw.steer_amplitude, &sw.steer_start) < 2) sw.steer_period = 0;
    }
    sw.autopilot_scale = 1.0;
    if (const char* v = env_text("SKYVOLTA_TEST_AUTOPILOT")) {
        int n = sscanf(v, "%d,%d,%lf", &sw.autopilot_steer_gain, &sw.autopilot_lean_gain, &sw.autopilot_scale);
        if (n < 1) sw.autopilot_steer_gain = 0;
        if (n < 2) sw.autopilot_lean_gain = 0;
        if (n < 3) sw.autopilot_scale = 1.0;
    }
    sw.pedal = env_int("SKYVOLTA_TEST_PEDAL", 0);
}

int32_t game_state() {
    return w_cell(W_GAME_STATE);
}
int32_t game_sub_state() {
    return w_cell(W_GAME_SUB_STATE);
}

int clamp_adc(double v) {
    return v < ADC_MIN ? ADC_MIN : v > ADC_MAX ? ADC_MAX : int(v);
}

double clamp_offset(double v) {
    return v < -320 ? -320 : v > 320 ? 320 : v;
}

void autopilot_apply(int* steer, int* lean) {
    autopilot_result r;
    if (!autopilot_steer(sw.autopilot_steer_gain, sw.autopilot_lean_gain, sw.autopilot_scale, &r)) return;
    *steer = r.steer;
    *lean = r.lean;
    if (host_frame % AUTOPILOT_LOG_EVERY != 0) return;
    printf("[AUTO] f%u target j=%d at (%ld,%ld,%ld) dist=%.0f err=%.1fdeg dy=%ld adc=(%d,%d) score=%ld left=%ld\n",
           host_frame, r.target, r.tx, r.ty, r.tz, r.distance, r.angle_degrees, r.ty - long(w_cell(W_PLAYER_Y)),
           r.steer, r.lean, long(w_cell(W_RUN_SCORE)), long(uint16_t(w_word(W_COURSE_LEFT))));
}

}  // namespace

scripted_controls continue_automation(int* coin_pulse) {
    switches_read();
    scripted_controls c{};
    if (!sw.continue_screen || game_state() != STATE_GAMEPLAY || game_sub_state() != SUB_CONTINUE) return c;
    uint32_t m = host_frame % CONTINUE_CYCLE;
    if (m <= 5 && *coin_pulse == 0)
        *coin_pulse = CONTINUE_COIN_PULSE;
    else if (*coin_pulse > 0)
        (*coin_pulse)--;
    c.replaces_coin = true;
    c.coin = *coin_pulse > 0;
    c.start = m >= 20 && m <= 29;
    return c;
}

void automation_values_apply(int* steer, int* lean) {
    switches_read();
    int32_t state = game_state(), sub = game_sub_state();
    bool racing = state == STATE_GAMEPLAY && sub == SUB_RACING;
    if (sw.analog && racing) {
        if (sw.analog_steer >= 0) *steer = sw.analog_steer;
        if (sw.analog_lean >= 0) *lean = sw.analog_lean;
    }
    if (sw.mode >= 0 && state == STATE_GAMEPLAY && (sub == 12 || sub == 13)) w_cell_set(W_SELECT_CURSOR, sw.mode);
    if (sw.pass && racing) {
        int32_t quota = w_cell(W_STAGE_QUOTA);
        both_images_long(W_RUN_SCORE, int32_t(uint32_t((quota > 0 ? quota : 0) + PASS_MARGIN)));
    }
    if (sw.timer >= 0) {
        if (racing && sw.timer_armed) {
            // The time left as well as the shown time: the shown time alone follows the
            // time left back within a few frames and the race would not end on it.
            both_images_long(W_RACE_TIMER, int32_t(sw.timer));
            both_images_long(W_RACE_TIMER_SHOWN, int32_t(sw.timer));
            sw.timer_armed = false;
        } else if (!racing) {
            sw.timer_armed = true;
        }
    }
    if (sw.go_to && long(host_frame) == sw.goto_frame && state == STATE_GAMEPLAY) {
        both_images_long(W_GAME_SUB_STATE, int32_t(sw.goto_sub));
        printf("[TEST] f%ld: sub-state -> %ld\n", long(host_frame), sw.goto_sub);
    }
    if (sw.ending_frame >= 0 && !sw.ending_done && racing && long(host_frame) >= sw.ending_frame) {
        sw.ending_done = true;
        both_images_long(W_GAME_SUB_STATE, SUB_ENDING_SETUP);
        both_images_word(W_GAME_MODE, 1);
        both_images_long(W_END_FLAG, 1);
        printf("[TEST] f%ld: jumping to the ending (sub 14)\n", long(host_frame));
    }
    if (sw.stage >= 0 && state == STATE_GAMEPLAY && (sub == 0 || sub == 1)) w_cell_set(W_SELECT_CURSOR, sw.stage);
    if (sw.steer_period > 1 && racing && long(host_frame) >= sw.steer_start) {
        long half = (long(host_frame) - sw.steer_start) / (sw.steer_period / 2);
        *steer = clamp_adc(double(ADC_CENTRE) + (half % 2 == 0 ? sw.steer_amplitude : -sw.steer_amplitude));
    }
    if (sw.autopilot_steer_gain != 0 && racing) autopilot_apply(steer, lean);
}

int test_pedal_level() {
    switches_read();
    return sw.pedal >= 1 ? sw.pedal : 0;
}

bool autopilot_steer(int steer_gain, int lean_gain, double scale, autopilot_result* out) {
    // The layout's records, read through the bus; one outside work RAM is no candidate.
    uint32_t table = uint32_t(bus_read32(WRAM_BASE + W_BALLOON_TABLE));
    uint32_t first = uint32_t(bus_read16(WRAM_BASE + W_BALLOON_FIRST)) & 0xFFFF;
    double px = w_cell(W_PLAYER_X), py = w_cell(W_PLAYER_Y), pz = w_cell(W_PLAYER_Z);
    int best = -1;
    double best_d2 = 0;
    int32_t bx = 0, by = 0, bz = 0;
    for (int j = 0; j < BALLOONS_PER_LAYOUT; j++) {
        uint64_t rec = uint64_t(table) + uint64_t(first + uint32_t(j)) * BALLOON_RECORD_SIZE;
        if (rec < WRAM_BASE || rec + BALLOON_RECORD_SIZE > uint64_t(WRAM_BASE) + WRAM_SIZE) continue;
        if ((bus_read16(WRAM_BASE + W_BALLOON_STATES + 2 * uint32_t(j)) & 0xFFFF) != 0) continue;
        uint32_t at = uint32_t(rec);
        int32_t x = bus_read32(at + 4), y = bus_read32(at + 8), z = bus_read32(at + 12);
        if (uint32_t(x) > BALLOON_COORD_MAX || uint32_t(z) > BALLOON_COORD_MAX) continue;
        if (y < BALLOON_Y_MIN || y > BALLOON_Y_MAX) continue;
        double d2 = (x - px) * (x - px) + (y - py) * (y - py) + (z - pz) * (z - pz);
        if (best >= 0 && d2 >= best_d2) continue;
        best = j;
        best_d2 = d2;
        bx = x, by = y, bz = z;
    }
    if (best < 0) return false;
    double heading = double(uint32_t(w_cell(W_EASED_HEADING)) & 0xFFFF);
    double angle = std::atan2(-(bx - px), bz - pz) - heading * 2 * M_PI / 65536.0;
    if (angle > M_PI) angle -= 2 * M_PI;
    if (angle < -M_PI) angle += 2 * M_PI;
    double steer_offset = clamp_offset(angle / (M_PI / 8) * 320 * scale);
    double lean_offset = clamp_offset((by - py) / 4000.0 * 320 * scale);
    out->target = best;
    out->tx = bx, out->ty = by, out->tz = bz;
    out->distance = std::sqrt(best_d2);
    out->angle_degrees = angle * 180 / M_PI;
    out->steer = clamp_adc(steer_offset * steer_gain + ADC_CENTRE);
    out->lean = clamp_adc(lean_offset * lean_gain + ADC_CENTRE);
    return true;
}
