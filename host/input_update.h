// The host's side of the cabinet controls: keyboard, controllers, raw joysticks and
// the pedal encoder turned once per main-loop iteration into the board's switch
// bytes, handle readings and free-running pedal counter.
#pragma once
#include <cstdint>

constexpr int ADC_CENTRE = 511;
constexpr int ADC_MIN = 191;  // centre - 320
constexpr int ADC_MAX = 831;  // centre + 320
constexpr int PEDAL_LEVEL_MAX = 127;
constexpr int KEY_STEP_DEFAULT = 40;
constexpr int SERVICE_HOLD_FRAMES = 12;

// Board-side cells written here (commsram offsets as the 68020 sees them).
constexpr uint32_t CR_SWITCH_BYTE0_PREV = 0x7D01;  // cleared at start-up with the switch bytes
constexpr uint32_t CR_LAMP_WORD = 0x7D2E;          // the output lamp word (read for logs)

struct input_state {
    int steer, lean;          // ADC readings, 191..831, smaller = right / up
    int key_step;             // how far a held key moves a reading per frame
    bool coin_prev;           // the coin control last frame
    int coin_pulse;           // frames of coin bit still to send
    bool test_latch, test_prev;
    int service_hold;         // frames of service held for the menu
    bool pedal_key;           // the pedal key this frame
    int pedal_request;        // 0..127 from analog inputs, the encoder or automation
    int pedal_level;          // the emulated level 0..127
    uint32_t pedal_fraction;  // 16-bit fraction of the counter
    uint32_t pedal_counter;   // the board's free-running 16-bit pedal counter
};
extern input_state input;

// Test seam: whether a key (SDL scancode) is held; out-of-range codes are not held.
extern bool (*key_held)(int scancode);

// SKYVOLTA_KEYDELTA: an integer above 0 replaces the key step. SKYVOLTA_TEST_COIN: up
// to 16 host frames, separated by ',', on which the coin control counts as pressed.
// SKYVOLTA_TEST_START: start held for the four host frames from that one.
void input_env_switches_read();

// Start-up values of the board input cells: switch bytes 0, handle readings 511, the
// two further analog channels 511; marks the handle cells as owned by the slot image.
void input_cells_init();

// One held key pair moves a reading: minus alone down, plus alone up, both or neither
// back toward 511, each by at most the key step; then clamped to 191..831.
int key_analog_step(int value, bool key_minus, bool key_plus);

// The per-iteration mapping into the board's cells (after the SDL events).
void input_update();
// The per-game-frame pedal emulation, right before the game frame step.
void pedal_emulate();
// The counter step (16.16) of one game frame at pedal level 1..127.
uint64_t pedal_step(int level);

// Steer and lean readings into the state, commsram 0x7D0A/0x7D0C and the handle words.
void set_analog_inputs(int steer, int lean);

int test_switch_state();
// Sets the test latch and prints "[INPUT] test switch ON/OFF".
void test_switch_set(bool on);
// The menu's "Service button": service held for 12 frames.
void service_button_press();

// SKYVOLTA_TEST_COIN's "[COIN]" line, from two frames before each listed frame to
// eight after (once a frame).
void coin_test_log();

// game_state 3 with game_sub_state 3.
bool is_racing();
