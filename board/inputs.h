// The game's side of the controls: once per frame the switch bytes, the analog handle
// and the encoder counters that the host leaves in commsram are latched into work RAM
// as switch words with new presses, handle directions with auto-repeat, and per-frame
// encoder deltas. Every named cell is its own work-RAM slot.
#pragma once
#include <cstdint>

// Board input cells in commsram (68020 offsets, big-endian).
constexpr uint32_t CR_SWITCH_BYTE0 = 0x7D02;  // bit 0 coin, bit 2 service, bit 3 test
constexpr uint32_t CR_SWITCH_BYTE1 = 0x7D04;  // bit 0 start
constexpr uint32_t CR_ANALOG_WORDS = 0x7D0A;  // eight words: steer, lean, then six more
constexpr uint32_t CR_ENCODER_A = 0x7D1A;
constexpr uint32_t CR_PEDAL_COUNTER = 0x7D1C;

// Work-RAM cells (slot offsets).
constexpr uint32_t W_INPUT_LATCH = 0x0CB0;
constexpr uint32_t W_PREV_PEDAL_DELTA = 0x1304;
constexpr uint32_t W_COIN_SWITCH = 0x2B80;       // coin_switch_word
constexpr uint32_t W_COIN_EDGE = 0x2B82;         // coin_edge_word
constexpr uint32_t W_START_SWITCH = 0x2BA4;
constexpr uint32_t W_START_EDGE = 0x2BA6;
constexpr uint32_t W_HANDLE_TURN = 0x2BC8;       // handle_analog_words (host-written)
constexpr uint32_t W_HANDLE_PITCH = 0x2BCA;
constexpr uint32_t W_DIRECTION = 0x2BD8;         // high: direction bits, low: reported
constexpr uint32_t W_DIRECTION_REPEAT = 0x2BDC;  // low: reported, high: plus repeats
constexpr uint32_t W_DIRECTION_HOLD = 0x2BE4;
constexpr uint32_t W_DIRECTION_DIVIDER = 0x2BE8;
constexpr uint32_t W_ENCODER_A_DELTA = 0x2BFC;
constexpr uint32_t W_ENCODER_A_HISTORY = 0x2C00;
constexpr uint32_t W_PEDAL_DELTA = 0x2C04;
constexpr uint32_t W_PEDAL_HISTORY = 0x2C08;
constexpr uint32_t W_DIAGONAL_CODE = 0x2C0D;
constexpr uint32_t W_HANDLE_CENTRE_TURN = 0x3FD0;  // handle_centres
constexpr uint32_t W_HANDLE_CENTRE_PITCH = 0x3FD2;

// Serial switch ports: two records of switch_port_state, 0x24 bytes apart.
constexpr uint32_t W_SWITCH_PORT0 = 0x2B38;
constexpr uint32_t SWITCH_PORT_STRIDE = 0x24;
constexpr uint32_t SWITCH_PORT_ADDRESSES = 0x3ABAA;  // program ROM: two port addresses
// Offsets within a switch-port record.
constexpr uint32_t SP_CURRENT = 0x00;
constexpr uint32_t SP_PRESSED = 0x02;
constexpr uint32_t SP_REPEAT = 0x04;
constexpr uint32_t SP_RELEASED = 0x06;
constexpr uint32_t SP_DOUBLE = 0x08;
constexpr uint32_t SP_HOLD = 0x0C;
constexpr uint32_t SP_DIVIDER = 0x10;
constexpr uint32_t SP_SINCE_PRESS = 0x14;
constexpr uint32_t SP_DOUBLE_FLAG = 0x18;
constexpr uint32_t SP_PRESS_CURRENT = 0x1C;
constexpr uint32_t SP_PRESS_BITS = 0x20;

// Direction bits of the handle.
constexpr uint32_t DIR_TURN_LOW = 1;    // turn below centre - 128
constexpr uint32_t DIR_TURN_HIGH = 2;   // turn above centre + 128
constexpr uint32_t DIR_PITCH_HIGH = 4;  // pitch above centre + 192
constexpr uint32_t DIR_PITCH_LOW = 8;   // pitch below centre - 192

// Host switches, both on unless SKYVOLTA_NO_MENUSTICK / SKYVOLTA_NO_EDGEFIX is set.
// Menu stick off: the frame step does not call analog_inputs_read. Edge fix off: the
// reported directions are the held ones instead of the new ones.
extern bool menu_stick_enabled;
extern bool edge_fix_enabled;
void input_switches_read();

// Input latch flag := 1, commsram byte 0x7E82 := 0xFF.
void input_latch_reset();
// The two switch bytes into their switch words, and the bits that rose since last
// frame into their edge words.
void switch_edges_update();
// Analog words 2-7 into work RAM, then the handle directions: reported bits, repeat
// word and diagonal code.
void analog_inputs_read();
// Per-frame deltas of encoder A and the pedal counter, wraps at 0x8000 and 0x10000
// giving the true small step.
void encoder_counters_update();
// Both serial switch ports (ROM 0x3ABAA) read into their records: current bits, new
// presses, releases, auto-repeat and double press. A port no device answers reads as
// released.
void switch_repeat_update();
// 1 when start was newly pressed, or port 0's new presses hold bit 11 or bit 8.
int test_button_pressed();
