#include "host/input_update.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/flow/coin_ram.h"
#include "host/encoder.h"
#include "host/host_ram.h"
#include "host/input_automation.h"
#include "host/level_jump.h"
#include "host/menu.h"
#include "host/pads.h"
#include "host/settings.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

input_state input = {
    .steer = ADC_CENTRE, .lean = ADC_CENTRE, .key_step = KEY_STEP_DEFAULT, .coin_prev = false, .coin_pulse = 0,
    .test_latch = false, .test_prev = false, .service_hold = 0, .pedal_key = false, .pedal_request = 0,
    .pedal_level = 0, .pedal_fraction = 0, .pedal_counter = 0,
};

namespace {

constexpr int COIN_PULSE_FRAMES = 3;
constexpr int ANALOG_PEDAL_THRESHOLD = 3001;  // trigger values below this are rest
constexpr double PEDAL_AXIS_REST = 0.03;      // raw pedal axis: the first 3% is rest
constexpr int PEDAL_KEY_RISE = 8, PEDAL_KEY_FALL = 6;
constexpr uint32_t PEDAL_LOG_EVERY = 60;
constexpr int TEST_COIN_FRAMES_MAX = 16;
constexpr long TEST_START_FRAMES = 4;
constexpr long COIN_LOG_BEFORE = 2, COIN_LOG_AFTER = 8;

// SKYVOLTA_TEST_COIN's frames and SKYVOLTA_TEST_START's first frame (-1 off).
struct scripted_switches {
    long coin_frames[TEST_COIN_FRAMES_MAX];
    int coin_count;
    long start_frame;
};
scripted_switches scripted_inputs = {{}, 0, -1};

// Up to 16 frame numbers separated by ','; the list ends at the first that is not one.
void test_coin_parse(const char* text) {
    scripted_inputs.coin_count = 0;
    while (text && *text && scripted_inputs.coin_count < TEST_COIN_FRAMES_MAX) {
        char* end = nullptr;
        long frame = strtol(text, &end, 10);
        if (end == text) break;
        scripted_inputs.coin_frames[scripted_inputs.coin_count++] = frame;
        text = *end == ',' ? end + 1 : end;
    }
}

bool test_coin_due() {
    for (int i = 0; i < scripted_inputs.coin_count; i++)
        if (scripted_inputs.coin_frames[i] == long(host_frame)) return true;
    return false;
}

bool test_start_held() {
    long f = long(host_frame);
    return scripted_inputs.start_frame >= 0 && f >= scripted_inputs.start_frame &&
           f < scripted_inputs.start_frame + TEST_START_FRAMES;
}

bool sdl_key_held(int scancode) {
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    return keys && scancode >= 0 && scancode < count && keys[scancode];
}

bool control_held(control_index c) {
    return key_held(key_bindings[c]);
}

void commsram_word_set(uint32_t offset, uint32_t value) {
    commsram[offset] = uint8_t(value >> 8);
    commsram[offset + 1] = uint8_t(value);
}

int clamp_adc(int v) {
    return v <= ADC_MIN - 1 ? ADC_MIN : v > ADC_MAX ? ADC_MAX : v;
}

// A handle axis: the controller stick or the raw joystick, whichever is further out
// (the controller on a tie), else the two keys.
int handle_axis(int value, SDL_GameControllerAxis stick, const joy_axis_mapping& raw, int sign, control_index minus,
                control_index plus) {
    int r = pad_axis(stick);
    if (raw.axis >= 0) {
        int j = joy_axis_read(raw);
        if ((j < 0 ? -j : j) > (r < 0 ? -r : r)) r = j;
    }
    if (r != 0) return ADC_CENTRE + sign * r * 320 / 32767;
    return key_analog_step(value, control_held(minus), control_held(plus));
}

bool coin_step(bool pressed) {
    if (pressed && !input.coin_prev)
        input.coin_pulse = COIN_PULSE_FRAMES;
    else if (input.coin_pulse > 0)
        input.coin_pulse--;
    input.coin_prev = pressed;
    return input.coin_pulse > 0;
}

// The raw pedal axis as a trigger value 0..32767. The axis is read as it stands and
// inverted once, on the travel fraction (inverting the reading too would cancel out).
int joy_pedal_value() {
    if (joy_map.pedal.axis < 0) return 0;
    joy_axis_mapping as_read = joy_map.pedal;
    as_read.invert = false;
    int raw = joy_axis_read(as_read);
    double l = joy_map.pedal.half ? (raw >= 0 ? raw / 32767.0 : 0.0) : (raw + 32768) / 65535.0;
    if (joy_map.pedal.invert) l = 1.0 - l;
    return l > PEDAL_AXIS_REST ? int((l - PEDAL_AXIS_REST) / (1.0 - PEDAL_AXIS_REST) * 32767) : 0;
}

int pedal_request_level() {
    int scripted = test_pedal_level();
    if (scripted >= 1) return scripted;
    int trigger = pad_axis_max(SDL_CONTROLLER_AXIS_TRIGGERRIGHT), raw = joy_pedal_value();
    int m = trigger > raw ? trigger : raw;
    int analog = m < ANALOG_PEDAL_THRESHOLD ? 0 : m * PEDAL_LEVEL_MAX / 32767;
    int encoder = encoder_level();
    return analog > encoder ? analog : encoder;
}

}  // namespace

bool (*key_held)(int scancode) = sdl_key_held;

void input_env_switches_read() {
    int step = env_int("SKYVOLTA_KEYDELTA", 0);
    input.key_step = step > 0 ? step : KEY_STEP_DEFAULT;
    test_coin_parse(env_text("SKYVOLTA_TEST_COIN"));
    scripted_inputs.start_frame = env_int("SKYVOLTA_TEST_START", -1, true);
}

void input_cells_init() {
    wram_owned_mark(W_HANDLE_TURN, 4);
    wram_owned_mark(W_HANDLE_CENTRE_TURN, 4);
    commsram[CR_SWITCH_BYTE0_PREV] = 0;
    commsram[CR_SWITCH_BYTE0] = 0;
    commsram[CR_SWITCH_BYTE1] = 0;
    commsram_word_set(CR_ANALOG_WORDS, uint32_t(input.steer));
    commsram_word_set(CR_ANALOG_WORDS + 2, uint32_t(input.lean));
    commsram_word_set(CR_ANALOG_WORDS + 4, ADC_CENTRE);
    commsram_word_set(CR_ANALOG_WORDS + 6, ADC_CENTRE);
}

int key_analog_step(int value, bool key_minus, bool key_plus) {
    int step = input.key_step;
    if (key_minus && !key_plus)
        value -= step;
    else if (key_plus && !key_minus)
        value += step;
    else if (value < ADC_CENTRE)
        value += ADC_CENTRE - value < step ? ADC_CENTRE - value : step;
    else if (value > ADC_CENTRE)
        value -= value - ADC_CENTRE < step ? value - ADC_CENTRE : step;
    return clamp_adc(value);
}

void input_update() {
    encoder_poll();
    if (menu_is_open()) {
        commsram[CR_SWITCH_BYTE0] = 0;
        commsram[CR_SWITCH_BYTE1] = 0;
        return;
    }
    input.steer = handle_axis(input.steer, SDL_CONTROLLER_AXIS_LEFTX, joy_map.steer, -1, CONTROL_STEER_RIGHT,
                              CONTROL_STEER_LEFT);
    input.lean = handle_axis(input.lean, SDL_CONTROLLER_AXIS_LEFTY, joy_map.lean, 1, CONTROL_LEAN_UP,
                             CONTROL_LEAN_DOWN);
    input.steer = clamp_adc(input.steer);
    input.lean = clamp_adc(input.lean);

    scripted_controls scripted = continue_automation(&input.coin_pulse);
    bool coin;
    if (scripted.replaces_coin) {
        coin = scripted.coin;
    } else {
        coin = coin_step(control_held(CONTROL_COIN) || test_coin_due() ||
                         pad_button_held(SDL_CONTROLLER_BUTTON_BACK) || joy_button_held(joy_map.coin));
    }
    bool service = control_held(CONTROL_SERVICE) || pad_button_held(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) ||
                   joy_button_held(joy_map.service) || input.service_hold >= 1;
    bool test_now = control_held(CONTROL_TEST) || joy_button_held(joy_map.test);
    if (test_now && !input.test_prev) test_switch_set(!input.test_latch);
    input.test_prev = test_now;
    bool start = control_held(CONTROL_START) || level_stage_chosen_log() || test_start_held() || scripted.start ||
                 pad_button_held(SDL_CONTROLLER_BUTTON_A) || joy_button_held(joy_map.start) ||
                 (pad_button_held(SDL_CONTROLLER_BUTTON_START) && !is_racing());
    commsram[CR_SWITCH_BYTE0] = uint8_t((coin ? 1 : 0) | (service ? 4 : 0) | (input.test_latch ? 8 : 0));
    commsram[CR_SWITCH_BYTE1] = start ? 1 : 0;

    automation_values_apply(&input.steer, &input.lean);

    input.pedal_request = pedal_request_level();
    input.pedal_key = control_held(CONTROL_PEDAL);

    w_cell_set(W_HANDLE_CENTRE_TURN, ADC_CENTRE);
    w_cell_set(W_HANDLE_CENTRE_PITCH, ADC_CENTRE);
    w_cell_set(W_HANDLE_TURN, input.steer);
    w_cell_set(W_HANDLE_PITCH, input.lean);
}

uint64_t pedal_step(int level) {
    if (level <= 0) return 0;
    // One count every 100000 / level + 750 microseconds, per 1/60 s frame, in 16.16.
    uint64_t period_us = 100000u / unsigned(level) + 750u;
    return 65536000000ull / (period_us * 60u);
}

void pedal_emulate() {
    if (input.service_hold > 0) input.service_hold--;
    if (input.pedal_request > 0) {
        input.pedal_level = input.pedal_request < PEDAL_LEVEL_MAX ? input.pedal_request : PEDAL_LEVEL_MAX;
    } else if (input.pedal_key) {
        input.pedal_level += PEDAL_KEY_RISE;
        if (input.pedal_level > PEDAL_LEVEL_MAX) input.pedal_level = PEDAL_LEVEL_MAX;
    } else {
        input.pedal_level -= PEDAL_KEY_FALL;
        if (input.pedal_level < 0) input.pedal_level = 0;
    }
    uint64_t sum = uint64_t(input.pedal_fraction) + pedal_step(input.pedal_level);
    input.pedal_fraction = uint32_t(sum & 0xFFFF);
    input.pedal_counter = uint32_t((input.pedal_counter + (sum >> 16)) & 0xFFFF);
    commsram_word_set(CR_PEDAL_COUNTER, input.pedal_counter);

    static const bool pedal_log = env_on("SKYVOLTA_PEDALDBG");
    if (pedal_log && host_frame % PEDAL_LOG_EVERY == 0)
        printf("[PEDAL] f%u level=%d ctr=%u W[0x2C04]=%ld W[0x0D80]=%ld W[0x0D48]=%ld enc_rpm=%.1f\n", host_frame,
               input.pedal_level, input.pedal_counter, long(w_cell(W_PEDAL_DELTA)), long(w_cell(W_CRANK_RATE)),
               long(w_cell(W_PLAYER_SPEED)), encoder_rpm());
}

void set_analog_inputs(int steer, int lean) {
    input.steer = steer;
    input.lean = lean;
    commsram_word_set(CR_ANALOG_WORDS, uint32_t(steer));
    commsram_word_set(CR_ANALOG_WORDS + 2, uint32_t(lean));
    w_cell_set(W_HANDLE_TURN, steer);
    w_cell_set(W_HANDLE_PITCH, lean);
}

int test_switch_state() {
    return input.test_latch ? 1 : 0;
}

void test_switch_set(bool on) {
    input.test_latch = on;
    fprintf(stderr, "[INPUT] test switch %s\n", on ? "ON" : "OFF");
}

void service_button_press() {
    input.service_hold = SERVICE_HOLD_FRAMES;
}

void coin_test_log() {
    long f = long(host_frame);
    for (int i = 0; i < scripted_inputs.coin_count; i++) {
        long n = scripted_inputs.coin_frames[i];
        if (f < n - COIN_LOG_BEFORE || f > n + COIN_LOG_AFTER) continue;
        printf("  [COIN] f=%d commsram[7D02]=%02X W[2B80]=%04X edge W[2B82]=%04X credits W[2C14]=%ld\n", int(f),
               commsram[CR_SWITCH_BYTE0], unsigned(w_cell(W_COIN_SWITCH)) & 0xFFFF,
               unsigned(w_cell(W_COIN_EDGE)) & 0xFFFF, long(w_cell(W_CREDIT_ROW)));
        return;
    }
}

bool is_racing() {
    return w_cell(W_GAME_STATE) == STATE_GAMEPLAY && w_cell(W_GAME_SUB_STATE) == SUB_RACING;
}
