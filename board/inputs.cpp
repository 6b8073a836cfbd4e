#include "board/inputs.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/wram_cell.h"

#include <cstdlib>

bool menu_stick_enabled = true;
bool edge_fix_enabled = true;

namespace {

constexpr int32_t HOLD_LIMIT = 0x7FFFFFFF;  // hold counts stop here instead of wrapping
constexpr int32_t REPEAT_AFTER = 20;        // a held direction repeats past this many frames
constexpr int32_t REPEAT_EVERY = 10;
constexpr int32_t PORT_REPEAT_AFTER = 10;   // serial ports: every 3rd frame past 10
constexpr int32_t PORT_REPEAT_EVERY = 3;
constexpr int32_t DOUBLE_PRESS_WINDOW = 15;
constexpr int SWITCHES_PER_PORT = 12;

uint32_t commsram_be16(uint32_t offset) {
    return uint32_t(commsram[offset]) << 8 | commsram[offset + 1];
}

int32_t hold_step(int32_t hold) {
    return hold < HOLD_LIMIT ? hold + 1 : hold;
}

// One switch byte of commsram into its switch word; the rising bits into its edge word.
void switch_byte_latch(uint32_t commsram_offset, uint32_t switch_cell, uint32_t edge_cell) {
    int32_t now = commsram[commsram_offset];
    int32_t last = w_cell(switch_cell);
    w_cell_set(switch_cell, now);
    w_cell_set(edge_cell, now & ~last);
}

uint32_t handle_direction_bits() {
    int64_t turn = w_cell(W_HANDLE_TURN), pitch = w_cell(W_HANDLE_PITCH);
    int64_t turn_centre = w_cell(W_HANDLE_CENTRE_TURN), pitch_centre = w_cell(W_HANDLE_CENTRE_PITCH);
    uint32_t bits = 0;
    if (turn < turn_centre - 128) bits |= DIR_TURN_LOW;
    if (turn > turn_centre + 128) bits |= DIR_TURN_HIGH;
    if (pitch > pitch_centre + 192) bits |= DIR_PITCH_HIGH;
    if (pitch < pitch_centre - 192) bits |= DIR_PITCH_LOW;
    return bits;
}

int32_t diagonal_code(uint32_t reported) {
    static const uint32_t pairs[4] = {DIR_TURN_LOW | DIR_PITCH_LOW, DIR_TURN_LOW | DIR_PITCH_HIGH,
                                      DIR_TURN_HIGH | DIR_PITCH_LOW, DIR_TURN_HIGH | DIR_PITCH_HIGH};
    for (int i = 0; i < 4; i++)
        if ((reported & pairs[i]) == pairs[i]) return i + 1;
    return 0;
}

// Counter at a commsram offset into its history cell (last << 16 | now) and its delta.
void encoder_update(uint32_t commsram_offset, uint32_t history_cell, uint32_t delta_cell) {
    uint32_t now = commsram_be16(commsram_offset);
    uint32_t last = uint32_t(w_cell(history_cell)) & 0xFFFF;
    w_cell_set(history_cell, int32_t(last << 16 | now));
    int32_t delta = int16_t(uint16_t(now - last));
    if (delta > 512) delta -= 0x8000;
    if (delta < -512) delta += 0x8000;
    w_cell_set(delta_cell, delta);
}

// A serial switch port's byte: no device answering (open bus, fixed ranges) reads as all
// switches released, since the switches are active-low.
int port_read(uint32_t address) {
    int v = bus_read8(address);
    return v >= 0 && v <= 0xFF ? v : 0xFF;
}

void switch_port_update(uint32_t port, uint32_t rec) {
    bus_write8(port, 0);
    uint32_t current = 0;
    for (int i = 0; i < SWITCHES_PER_PORT; i++) current = current << 1 | (~uint32_t(port_read(port)) & 1);
    uint32_t last = uint32_t(w_cell(rec + SP_CURRENT));
    uint32_t pressed = current & ~last, released = last & ~current;
    w_cell_set(rec + SP_CURRENT, int32_t(current));
    w_cell_set(rec + SP_PRESSED, int32_t(pressed));
    w_cell_set(rec + SP_RELEASED, int32_t(released));

    int32_t hold = current == last ? hold_step(w_cell(rec + SP_HOLD)) : 0;
    w_cell_set(rec + SP_HOLD, hold);
    if (hold == 0) w_cell_set(rec + SP_DIVIDER, 0);
    uint32_t repeat = pressed;
    if (hold > PORT_REPEAT_AFTER) {
        int32_t divider = w_cell(rec + SP_DIVIDER) + 1;
        if (divider >= PORT_REPEAT_EVERY) {
            divider = 0;
            repeat |= current;
        }
        w_cell_set(rec + SP_DIVIDER, divider);
    }
    w_cell_set(rec + SP_REPEAT, int32_t(repeat));

    int32_t since = hold_step(w_cell(rec + SP_SINCE_PRESS));
    if (pressed) {
        bool again = pressed == uint32_t(w_cell(rec + SP_PRESS_BITS)) && since <= DOUBLE_PRESS_WINDOW;
        w_cell_set(rec + SP_DOUBLE_FLAG, again);
        w_cell_set(rec + SP_PRESS_BITS, int32_t(pressed));
        w_cell_set(rec + SP_PRESS_CURRENT, int32_t(current));
        since = 0;
    }
    w_cell_set(rec + SP_SINCE_PRESS, since);
    uint32_t doubled = uint32_t(w_cell(rec + SP_DOUBLE)) & ~released;
    if (w_cell(rec + SP_DOUBLE_FLAG) && hold > PORT_REPEAT_AFTER &&
        current == uint32_t(w_cell(rec + SP_PRESS_CURRENT)))
        doubled |= uint32_t(w_cell(rec + SP_PRESS_BITS));
    w_cell_set(rec + SP_DOUBLE, int32_t(doubled));
}

}  // namespace

void input_switches_read() {
    menu_stick_enabled = !env_present("SKYVOLTA_NO_MENUSTICK");
    edge_fix_enabled = !env_present("SKYVOLTA_NO_EDGEFIX");
}

void input_latch_reset() {
    w_cell_set(W_INPUT_LATCH, 1);
    commsram[0x7E82] = 0xFF;
}

void switch_edges_update() {
    switch_byte_latch(CR_SWITCH_BYTE0, W_COIN_SWITCH, W_COIN_EDGE);
    switch_byte_latch(CR_SWITCH_BYTE1, W_START_SWITCH, W_START_EDGE);
}

void analog_inputs_read() {
    // Words 2-7; turn and pitch (words 0 and 1) are the host's.
    for (uint32_t k = 2; k < 8; k++)
        w_cell_set(W_HANDLE_TURN + 2 * k, int16_t(uint16_t(commsram_be16(CR_ANALOG_WORDS + 2 * k))));

    uint32_t bits = handle_direction_bits();
    uint32_t last = uint32_t(w_cell(W_DIRECTION)) >> 16;
    uint32_t reported = edge_fix_enabled ? bits & ~last : bits & last;
    uint32_t repeat_high = reported;
    if (bits == last) {
        int32_t hold = hold_step(w_cell(W_DIRECTION_HOLD));
        w_cell_set(W_DIRECTION_HOLD, hold);
        if (hold > REPEAT_AFTER) {
            int32_t divider = w_cell(W_DIRECTION_DIVIDER) + 1;
            if (divider >= REPEAT_EVERY) {
                divider = 0;
                repeat_high |= bits;
            }
            w_cell_set(W_DIRECTION_DIVIDER, divider);
        }
    } else {
        // The divider starts one step short of its wrap, so that the first repeat
        // comes on the 21st frame of a hold and the next ones every 10th after.
        w_cell_set(W_DIRECTION_HOLD, 0);
        w_cell_set(W_DIRECTION_DIVIDER, REPEAT_EVERY - 1);
    }
    w_cell_set(W_DIRECTION, int32_t(bits << 16 | reported));
    w_cell_set(W_DIRECTION_REPEAT, int32_t(repeat_high << 16 | reported));
    w_cell_set(W_DIAGONAL_CODE, diagonal_code(reported));
}

void encoder_counters_update() {
    w_cell_set(W_PREV_PEDAL_DELTA, w_cell(W_PEDAL_DELTA));
    encoder_update(CR_ENCODER_A, W_ENCODER_A_HISTORY, W_ENCODER_A_DELTA);
    encoder_update(CR_PEDAL_COUNTER, W_PEDAL_HISTORY, W_PEDAL_DELTA);
}

void switch_repeat_update() {
    for (uint32_t p = 0; p < 2; p++)
        switch_port_update(uint32_t(bus_read32(SWITCH_PORT_ADDRESSES + 4 * p)), W_SWITCH_PORT0 + p * SWITCH_PORT_STRIDE);
}

int test_button_pressed() {
    uint32_t port0_pressed = uint32_t(w_cell(W_SWITCH_PORT0 + SP_PRESSED));
    return (w_cell(W_START_EDGE) & 1) || (port0_pressed & (1u << 11 | 1u << 8)) ? 1 : 0;
}
