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
M377_INLINE uint32_t m377_index(const m377_state* s, uint16_t reg) {
    return m377_x8(s) ? reg & 0xFFu : reg;
}

// The decode behind every read, without a cycle: A/D registers at 0x20-0x2F, the
// SFR image below 0x80 (only in bank 0), the board from 0x80 up.
M377_INLINE uint8_t m377_peek8(const m377_state* s, uint32_t address) {
    address &= 0xFFFFFF;
    if (address >= 0x80) return s->bus_read(s->bus_user, address);
    if (address - 0x20 < 0x10) return uint8_t(s->adc_result[(address - 0x20) >> 1] >> ((address & 1) * 8));
    if (s->sfr_read_hook && (address == 0x0A || address == 0x0B || address == 0x0E))
        return s->sfr_read_hook(s->bus_user, address, s->sfr[address]);
    return s->sfr[address];
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

M377_INLINE uint32_t m377_read_m(m377_state* s, uint32_t address) {
    return m377_m8(s) ? m377_bus_read8(s, address) : m377_read16(s, address);
}

M377_INLINE uint32_t m377_read_x(m377_state* s, uint32_t address) {
    return m377_x8(s) ? m377_bus_read8(s, address) : m377_read16(s, address);
}

M377_INLINE void m377_write16(m377_state* s, uint32_t address, uint32_t value) {
    m377_bus_write8(s, address, value & 0xFF);
    m377_bus_write8(s, address + 1, (value >> 8) & 0xFF);
}

M377_INLINE void m377_write_m(m377_state* s, uint32_t address, uint32_t value) {
    if (m377_m8(s))
        m377_bus_write8(s, address, value & 0xFF);
    else
        m377_write16(s, address, value);
}

M377_INLINE void m377_write_x(m377_state* s, uint32_t address, uint32_t value) {
    if (m377_x8(s))
        m377_bus_write8(s, address, value & 0xFF);
    else
        m377_write16(s, address, value);
}

// The next instruction-stream byte: from the operand stream when set, else the bus
// at pg:pc; one cycle either way, pc wraps within its bank.
M377_INLINE uint32_t m377_fetch8(m377_state* s) {
    uint32_t byte = s->operand_ptr ? *s->operand_ptr++ : m377_peek8(s, uint32_t(s->pg) << 16 | s->pc);
    s->cycles++;
    s->fetch_count++;
    s->pc++;
    return byte;
}

// Several stream bytes at once: the same pc, cycle and fetch counts as byte by byte.
M377_INLINE uint32_t m377_fetch_stream(m377_state* s, const uint8_t* p, uint32_t n) {
    uint32_t value = p[0] | uint32_t(p[1]) << 8 | (n > 2 ? uint32_t(p[2]) << 16 : 0);
    s->operand_ptr = p + n;
    s->pc = uint16_t(s->pc + n);
    s->cycles += n;
    s->fetch_count += n;
    return value;
}

M377_INLINE uint32_t m377_fetch16(m377_state* s) {
    if (const uint8_t* p = s->operand_ptr) return m377_fetch_stream(s, p, 2);
    uint32_t lo = m377_fetch8(s);
    return lo | m377_fetch8(s) << 8;
}

M377_INLINE uint32_t m377_fetch24(m377_state* s) {
    if (const uint8_t* p = s->operand_ptr) return m377_fetch_stream(s, p, 3);
    uint32_t lo = m377_fetch16(s);
    return lo | m377_fetch8(s) << 16;
}

M377_INLINE uint32_t m377_fetch_m(m377_state* s) {
    return m377_m8(s) ? m377_fetch8(s) : m377_fetch16(s);
}

M377_INLINE uint32_t m377_fetch_x(m377_state* s) {
    return m377_x8(s) ? m377_fetch8(s) : m377_fetch16(s);
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

M377_INLINE uint32_t m377_ea_dp_x(m377_state* s) {
    return (s->dpr + m377_fetch8(s) + m377_index(s, s->x)) & 0xFFFF;
}

M377_INLINE uint32_t m377_ea_dp_y(m377_state* s) {
    return (s->dpr + m377_fetch8(s) + m377_index(s, s->y)) & 0xFFFF;
}

// (dp)
M377_INLINE uint32_t m377_ea_dp_ind(m377_state* s) {
    return m377_data_bank(s) | m377_read16(s, m377_ea_dp(s));
}

// (dp,X)
M377_INLINE uint32_t m377_ea_dp_x_ind(m377_state* s) {
    return m377_data_bank(s) | m377_read16(s, m377_ea_dp_x(s));
}

// (dp),Y
M377_INLINE uint32_t m377_ea_dp_ind_y(m377_state* s) {
    return (m377_ea_dp_ind(s) + m377_index(s, s->y)) & 0xFFFFFF;
}

// [dp]
M377_INLINE uint32_t m377_ea_dp_long(m377_state* s) {
    return m377_read24(s, m377_ea_dp(s));
}

// [dp],Y
M377_INLINE uint32_t m377_ea_dp_long_y(m377_state* s) {
    return (m377_ea_dp_long(s) + m377_index(s, s->y)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_abs(m377_state* s) {
    return m377_data_bank(s) | m377_fetch16(s);
}

M377_INLINE uint32_t m377_ea_abs_x(m377_state* s) {
    return (m377_ea_abs(s) + m377_index(s, s->x)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_abs_y(m377_state* s) {
    return (m377_ea_abs(s) + m377_index(s, s->y)) & 0xFFFFFF;
}

M377_INLINE uint32_t m377_ea_long(m377_state* s) {
    return m377_fetch24(s);
}

M377_INLINE uint32_t m377_ea_long_x(m377_state* s) {
    return (m377_fetch24(s) + m377_index(s, s->x)) & 0xFFFFFF;
}

// sr
M377_INLINE uint32_t m377_ea_sr(m377_state* s) {
    return (s->s + m377_fetch8(s)) & 0xFFFF;
}

// (sr),Y
M377_INLINE uint32_t m377_ea_sr_ind_y(m377_state* s) {
    return ((m377_data_bank(s) | m377_read16(s, m377_ea_sr(s))) + m377_index(s, s->y)) & 0xFFFFFF;
}
