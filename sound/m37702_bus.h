// Bus primitives of the M37702 model: byte and word access with cycle counting,
// instruction-stream fetch, the stack, and the effective addresses of the
// addressing modes. Inline: they run for every byte the CPU moves.
#pragma once
#include "sound/m37702.h"

// Forced: the compiler otherwise keeps some of these out of line in the executor.
#define M377_INLINE [[gnu::always_inline]] inline

M377_INLINE bool m377_m8(const m377_state* s) {
    return (s->ps & m377_flag_m) != 0;
}

M377_INLINE bool m377_x8(const m377_state* s) {
    return (s->ps & m377_flag_x) != 0;
}

// An index register as addressing and transfers see it: its low byte while X is set.
// The width-taking helpers below get their widths from the caller, which may know them
// ahead (the executor runs one body per M/X state).
M377_INLINE uint32_t m377_index(uint16_t reg, bool x8) {
    return x8 ? reg & 0xFFu : reg;
}

// The decode behind every read, without a cycle: A/D registers at 0x20-0x2F, the
// SFR image below 0x80 (only in bank 0; out of line, with the read hook), the board
// from 0x80 up.
uint8_t m377_peek_sfr(const m377_state* s, uint32_t address);

M377_INLINE uint8_t m377_peek8(const m377_state* s, uint32_t address) {
    address &= 0xFFFFFF;
    if (address >= 0x80) return s->bus_read(s->bus_user, address);
    return m377_peek_sfr(s, address);
}

M377_INLINE uint8_t m377_bus_read8(m377_state* s, uint32_t address) {
    s->cycles++;
    return m377_peek8(s, address);
}

M377_INLINE void m377_bus_write8(m377_state* s, uint32_t address, uint32_t value) {
    s->cycles++;
    address &= 0xFFFFFF;
    if (address >= 0x80)
        s->bus_write(s->bus_user, address, uint8_t(value));
    else
        m377_sfr_write(s, address, value & 0xFF);
}

M377_INLINE uint32_t m377_read16(m377_state* s, uint32_t address) {
    uint32_t lo = m377_bus_read8(s, address);
    return lo | uint32_t(m377_bus_read8(s, address + 1)) << 8;
}

M377_INLINE uint32_t m377_read24(m377_state* s, uint32_t address) {
    uint32_t lo = m377_read16(s, address);
    return lo | uint32_t(m377_bus_read8(s, address + 2)) << 16;
}

// One byte when narrow, else a word.
M377_INLINE uint32_t m377_read_w(m377_state* s, uint32_t address, bool narrow) {
    return narrow ? m377_bus_read8(s, address) : m377_read16(s, address);
}

M377_INLINE void m377_write16(m377_state* s, uint32_t address, uint32_t value) {
    m377_bus_write8(s, address, value & 0xFF);
    m377_bus_write8(s, address + 1, (value >> 8) & 0xFF);
}

M377_INLINE void m377_write_w(m377_state* s, uint32_t address, uint32_t value, bool narrow) {
    if (narrow)
        m377_bus_write8(s, address, value & 0xFF);
    else
        m377_write16(s, address, value);
}

// The next n (1-3) instruction-stream bytes, little-endian: from the operand stream when
// set, else the bus at pg:pc byte by byte (out of line); one cycle and one pc step (pc
// wraps within its bank) per byte either way.
uint32_t m377_fetch_bus(m377_state* s, uint32_t n);

M377_INLINE uint32_t m377_fetch_n(m377_state* s, uint32_t n) {
    const uint8_t* p = s->operand_ptr;
    if (!p) return m377_fetch_bus(s, n);
    uint32_t value = p[0] | (n > 1 ? uint32_t(p[1]) << 8 : 0) | (n > 2 ? uint32_t(p[2]) << 16 : 0);
    s->operand_ptr = p + n;
    s->pc = uint16_t(s->pc + n);
    s->cycles += n;
    s->fetch_count += n;
    return value;
}

M377_INLINE uint32_t m377_fetch8(m377_state* s) {
    return m377_fetch_n(s, 1);
}

M377_INLINE uint32_t m377_fetch16(m377_state* s) {
    return m377_fetch_n(s, 2);
}

M377_INLINE uint32_t m377_fetch24(m377_state* s) {
    return m377_fetch_n(s, 3);
}

M377_INLINE uint32_t m377_fetch_w(m377_state* s, bool narrow) {
    return narrow ? m377_fetch8(s) : m377_fetch16(s);
}

// Stack in bank 0: push writes at s then decrements; pull increments then reads.
// Words go high byte first, come back low byte first.
M377_INLINE void m377_push8(m377_state* s, uint32_t value) {
    m377_bus_write8(s, s->s, value & 0xFF);
    s->s--;
}

M377_INLINE void m377_push16(m377_state* s, uint32_t value) {
    m377_push8(s, value >> 8);
    m377_push8(s, value);
}

M377_INLINE uint32_t m377_pull8(m377_state* s) {
    s->s++;
    return m377_bus_read8(s, s->s);
}

M377_INLINE uint32_t m377_pull16(m377_state* s) {
    uint32_t lo = m377_pull8(s);
    return lo | m377_pull8(s) << 8;
}

// Effective addresses. Each fetches its operand bytes and gives a 24-bit address;
// direct-page and stack addresses are 16-bit in bank 0.
M377_INLINE uint32_t m377_data_bank(const m377_state* s) {
    return uint32_t(s->dt) << 16;
}

M377_INLINE uint32_t m377_ea_dp(m377_state* s) {
    return (s->dpr + m377_fetch8(s)) & 0xFFFF;
}

M377_INLINE uint32_t m377_ea_dp_x(m377_state* s, bool x8) {
    return (s->dpr + m377_fetch8(s) + m377_index(s->x, x8)) & 0xFFFF;
}

M377_INLINE uint32_t m377_ea_dp_y(m377_state* s, bool x8) {
    return (s->dpr + m377_fetch8(s) + m377_index(s->y, x8)) & 0xFFFF;
}

// (dp)
M377_INLINE uint32_t m377_ea_dp_ind(m377_state* s) {
    return m377_data_bank(s) | m377_read16(s, m377_ea_dp(s));
}

// (dp,X)
M377_INLINE uint32_t m377_ea_dp_x_ind(m377_state* s, bool x8) {
    return m377_data_bank(s) | m377_read16(s, m377_ea_dp_x(s, x8));
}

// (dp),Y
M377_INLINE uint32_t m377_ea_dp_ind_y(m377_state* s, bool x8) {
    return (m377_ea_dp_ind(s) + m377_index(s->y, x8)) & 0xFFFFFF;
}

// [dp]
M377_INLINE uint32_t m377_ea_dp_long(m377_state* s) {
    return m377_read24(s, m377_ea_dp(s));
}

// [dp],Y
M377_INLINE uint32_t m377_ea_dp_long_y(m377_state* s, bool x8) {
    return (m377_ea_dp_long(s) + m377_index(s->y, x8)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_abs(m377_state* s) {
    return m377_data_bank(s) | m377_fetch16(s);
}

M377_INLINE uint32_t m377_ea_abs_x(m377_state* s, bool x8) {
    return (m377_ea_abs(s) + m377_index(s->x, x8)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_abs_y(m377_state* s, bool x8) {
    return (m377_ea_abs(s) + m377_index(s->y, x8)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_long(m377_state* s) {
    return m377_fetch24(s);
}

M377_INLINE uint32_t m377_ea_long_x(m377_state* s, bool x8) {
    return (m377_fetch24(s) + m377_index(s->x, x8)) & 0xFFFFFF;
}

// sr
M377_INLINE uint32_t m377_ea_sr(m377_state* s) {
    return (s->s + m377_fetch8(s)) & 0xFFFF;
}

// (sr),Y
M377_INLINE uint32_t m377_ea_sr_ind_y(m377_state* s, bool x8) {
    return ((m377_data_bank(s) | m377_read16(s, m377_ea_sr(s))) + m377_index(s->y, x8)) & 0xFFFFFF;
}

// Stores an add or subtract result in the selected accumulator and sets C, V, Z and N at
// the width; operand is the one added (complemented for a subtract).
M377_INLINE void m377_store_sum(m377_state* s, uint32_t acc, uint32_t operand, uint32_t result, uint32_t carry,
                                bool narrow) {
    uint32_t mask = narrow ? 0xFF : 0xFFFF, sign = narrow ? 0x80 : 0x8000;
    result &= mask;
    uint16_t ps = s->ps & ~(m377_flag_c | m377_flag_v | m377_flag_z | m377_flag_n);
    if (carry) ps |= m377_flag_c;
    if (~(acc ^ operand) & (acc ^ result) & sign) ps |= m377_flag_v;
    if (result == 0) ps |= m377_flag_z;
    if (result & sign) ps |= m377_flag_n;
    s->ps = ps;
    uint16_t& reg = s->acc_b ? s->b : s->a;
    reg = uint16_t((reg & ~mask) | result);
}

// ADC (subtract false) and SBC into the selected accumulator at the given width: binary
// here, decimal (D set) digit by digit out of line.
M377_INLINE void m377_add(m377_state* s, uint32_t value, bool subtract, bool narrow) {
    if (s->ps & m377_flag_d) {
        m377_add_decimal(s, value, subtract, narrow);
        return;
    }
    uint32_t mask = narrow ? 0xFF : 0xFFFF;
    uint32_t acc = (s->acc_b ? s->b : s->a) & mask, operand = (value & mask) ^ (subtract ? mask : 0);
    uint32_t result = acc + operand + (s->ps & m377_flag_c);
    m377_store_sum(s, acc, operand, result, result > mask, narrow);
}
