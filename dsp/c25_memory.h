// The C25's view of memory and devices: the 16-bit data space (on-chip data memory
// with the timer and interrupt-mask registers, a window onto program memory 0x4000-
// 0x7FFF and the board's DSP RAM from 0x8000 with its access modes and write marks),
// program-memory words, the 24-bit point space (point ROM, the point-RAM window, all
// ones elsewhere) and the 16 I/O ports with the point-data list walker behind IN 2.
//
// Nothing here fails or allocates: addresses are masked into range, and an access
// outside a mapped area reads a fixed value or is dropped. Data accesses are inline.
#pragma once
#include "base/byte_order.h"
#include "dsp/c25.h"

#include <cstdint>

constexpr uint32_t C25_POINT_ADDRESS_MASK = 0xFFFFFF;
constexpr uint32_t C25_POINT_WORD_MASK = 0xFFFFFF;
constexpr uint16_t C25_DATA_PROGRAM_WINDOW = 0x4000;
constexpr uint16_t C25_DATA_DSPRAM_WINDOW = 0x8000;

// DSP RAM access modes (port 13).
constexpr uint32_t C25_DSPRAM_LOW = 0;
constexpr uint32_t C25_DSPRAM_HIGH = 1;
constexpr uint32_t C25_DSPRAM_LATCHED = 2;
constexpr uint32_t C25_DSPRAM_NONE = 3;

// Marks a DSP RAM word as written, counting it the first time since the last clear.
inline void c25_mark(c25_state* s, uint32_t index) {
    uint8_t& mark = s->write_marks[index & (C25_DSPRAM_WORDS - 1)];
    s->write_count += mark ^ 1;
    mark = 1;
}

// The point-RAM word a point address reaches, or null (point ROM or unmapped).
inline uint32_t* c25_point_ram_slot(c25_state* s, uint32_t address) {
    address &= C25_POINT_ADDRESS_MASK;
    if (address < s->point_rom_words) return nullptr;
    uint32_t offset = address - s->point_window_base;
    return offset < C25_POINT_RAM_WORDS ? &s->point_ram[offset] : nullptr;
}

// The point word at a 24-bit address, sign-extended from bit 23; -1 outside the ROM
// and the window.
inline int32_t c25_point_read(c25_state* s, uint32_t address) {
    address &= C25_POINT_ADDRESS_MASK;
    if (address < s->point_rom_words) return s->point_rom ? sign_extend24(s->point_rom[address]) : -1;
    uint32_t offset = address - s->point_window_base;
    return offset < C25_POINT_RAM_WORDS ? sign_extend24(s->point_ram[offset]) : -1;
}

inline uint32_t c25_dspram_read(c25_state* s, uint32_t index) {
    if (!s->dspram) return 0;
    uint32_t word = s->dspram[index & (C25_DSPRAM_WORDS - 1)];
    switch (s->dspram_mode) {
    case C25_DSPRAM_LOW: return word;
    case C25_DSPRAM_HIGH: return word >> 16;
    case C25_DSPRAM_LATCHED:
        s->dspram_latch = uint16_t(word >> 16);
        return word;
    case C25_DSPRAM_NONE:
    default: return 0;
    }
}

inline void c25_dspram_write(c25_state* s, uint32_t index, uint16_t v) {
    index &= C25_DSPRAM_WORDS - 1;
    if (s->dspram) {
        uint32_t& word = s->dspram[index];
        switch (s->dspram_mode) {
        case C25_DSPRAM_LOW: word = (word & 0xFFFF0000u) | v; break;
        case C25_DSPRAM_HIGH: word = uint32_t(v) << 16 | (word & 0xFFFF); break;
        case C25_DSPRAM_LATCHED: word = uint32_t(s->dspram_latch) << 16 | v; break;
        case C25_DSPRAM_NONE:
        default: break;  // the word keeps its value but is marked
        }
    }
    c25_mark(s, index);
}

// Program-memory words for table reads, block moves, table writes and the
// data space's window onto them.
inline uint16_t c25_prog_read(const c25_state* s, uint16_t address) {
    return s->prog[address];
}
inline void c25_prog_write(c25_state* s, uint16_t address, uint16_t value) {
    s->prog[address] = value;
}

// The data-space word at an address: 0..0xFFFF, except DSP RAM in modes 0 and 2, which
// gives the whole 32-bit word (instructions take its low 16 bits).
inline uint32_t c25_data_read(c25_state* s, uint16_t address) {
    if (address & C25_DATA_DSPRAM_WINDOW) return c25_dspram_read(s, address);
    if (address & C25_DATA_PROGRAM_WINDOW) return c25_prog_read(s, address);
    if (address == C25_DATA_TIM) return s->tim;
    if (address == C25_DATA_IMR) return s->imr;
    return s->data[address];
}

inline void c25_data_write(c25_state* s, uint16_t address, uint16_t value) {
    if (address & C25_DATA_DSPRAM_WINDOW) {
        c25_dspram_write(s, address, value);
        return;
    }
    if (address & C25_DATA_PROGRAM_WINDOW) {
        c25_prog_write(s, address, value);
        return;
    }
    if (address == C25_DATA_TIM) s->tim = value;
    if (address == C25_DATA_PRD) s->prd = value;
    if (address == C25_DATA_IMR) s->imr = value;
    s->data[address] = value;
}

// IN of port 0-15 (the DSP takes the low 16 bits) and OUT of a value. Ports outside
// 0-15 read 0 and ignore writes.
uint32_t c25_port_in(c25_state* s, uint32_t port);
void c25_port_out(c25_state* s, uint32_t port, uint16_t value);

// The point-data list walker of IN 2: carries out the command list whose start the DSP
// RAM word 0x7FFF holds, then lowers BIO. A list that runs past 200,000 commands or
// 1,048,576 moved words ends with "PDP runaway" in error_text (the DSP goes on).
void c25_pdp_run(c25_state* s);
