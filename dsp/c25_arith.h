// The pieces of semantics several C25 instructions share: the operand fetch of
// two-word instructions, the data and product shifters, accumulator addition and
// subtraction with OV, OVM and C, the return stack, indirect addressing and fault texts.
// The hot ones are inline: the executor calls them on almost every instruction.
#pragma once
#include "dsp/c25.h"

#include <cstdint>

// The second word of the instruction being executed (its operand record's, while
// `operand_stream` is set; else the program word at pc); pc moves on by one.
inline uint16_t c25_fetch_operand(c25_state* s) {
    uint16_t v = s->operand_stream ? s->operand_stream->second : s->prog[s->pc];
    s->pc = uint16_t(s->pc + 1);
    return v;
}

// The scaling shifter: `value` sign-extended when SXM is set and bit 15 is, then
// shifted left by `shift` (0-15). Callers use the low 32 bits.
inline int64_t c25_shift_sxm(const c25_state* s, uint16_t value, uint32_t shift) {
    uint64_t v = (s->sxm && (value & 0x8000)) ? uint64_t(int64_t(value) - 0x10000) : value;
    return int64_t(v << shift);
}

// The product P (low 32 bits) through the PM shifter; a PM above 2 acts as 3.
inline int32_t c25_p_shift(const c25_state* s) {
    uint32_t p = uint32_t(s->p);
    switch (s->pm) {
    case 0: return int32_t(p);
    case 1: return int32_t(p << 1);
    case 2: return int32_t(p << 4);
    default: return int32_t(p) >> 6;
    }
}

// The exact 33-bit result clamped to 32 bits when OVM is set, else wrapped.
inline uint32_t c25_saturate(const c25_state* s, int64_t exact) {
    if (s->ovm) {
        if (exact > INT32_MAX) return uint32_t(INT32_MAX);
        if (exact < INT32_MIN) return uint32_t(INT32_MIN);
    }
    return uint32_t(exact);
}

// ACC + v: OV set on signed overflow (never cleared), saturation under OVM, C when the
// stored result is below the old ACC as unsigned numbers.
inline void c25_add(c25_state* s, int32_t v) {
    uint32_t a = uint32_t(s->acc), b = uint32_t(v), sum = a + b;
    if (~(a ^ b) & (a ^ sum) & 0x80000000u) s->ov = 1;
    uint32_t result = c25_saturate(s, int64_t(s->acc) + v);
    s->acc = int32_t(result);
    s->c = result < a;
}

// ACC - v: OV as for a signed subtraction, saturation under OVM, C (no borrow) when the
// old ACC is at least the stored result as unsigned numbers.
inline void c25_sub(c25_state* s, int32_t v) {
    uint32_t a = uint32_t(s->acc), b = uint32_t(v), diff = a - b;
    if ((a ^ b) & (a ^ diff) & 0x80000000u) s->ov = 1;
    uint32_t result = c25_saturate(s, int64_t(s->acc) - v);
    s->acc = int32_t(result);
    s->c = a >= result;
}

// AR(ARP); ARP only ever holds 0-7, the mask keeps a poked record in bounds.
inline uint16_t& c25_current_ar(c25_state* s) {
    return s->ar[s->arp & 7];
}

// The sum of x and y with the carry running from bit 15 down to bit 0 (bit-reversed
// addressing); the carry out of bit 0 is dropped.
uint16_t c25_reverse_carry_add(uint16_t x, uint16_t y);

// Indirect addressing by the low byte of an instruction (bits 6-4 the modification,
// bit 3 load ARP from bits 2-0): returns AR(ARP) before the modification, then
// modifies it and moves ARP (the old one into ARB).
inline uint16_t c25_update_ar(c25_state* s, uint8_t field) {
    uint16_t& r = c25_current_ar(s);
    uint16_t address = r, ar0 = s->ar[0];
    switch ((field >> 4) & 7) {
    case 1: r = uint16_t(r - 1); break;
    case 2: r = uint16_t(r + 1); break;
    case 4: r = c25_reverse_carry_add(r, uint16_t(0x10000 - ar0)); break;
    case 5: r = uint16_t(r - ar0); break;
    case 6: r = uint16_t(r + ar0); break;
    case 7: r = c25_reverse_carry_add(r, ar0); break;
    default: break;
    }
    if (field & 0x08) {
        s->arb = s->arp;
        s->arp = field & 7;
    }
    return address;
}

// A push onto the return stack (at most 8 entries; the oldest drops) and the chip's
// stack image. Always 1.
int c25_push(c25_state* s, uint16_t value);
// A pop: the top of `stack`, or when it is empty the chip's bottom level.
uint16_t c25_pop(c25_state* s);

// Writes "TRANSLATED C25: <name> at <pc>" into error_text (cut to 95 characters). 0.
int c25_fault(c25_state* s, uint16_t pc, const char* name);

// A 0xCExx instruction (pc already at the next address). 0 with "CE <word> at <pc>"
// in error_text for a low byte the group does not have.
int c25_ce_group(c25_state* s, uint16_t word, uint16_t pc);
