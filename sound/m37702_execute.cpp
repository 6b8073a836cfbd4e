// M37702 instruction execution: one instruction per call, its opcode already fetched.
// Cost: one cycle per byte moved on the bus, plus 2 for every taken branch.
#include "sound/m37702.h"
#include "sound/m37702_bus.h"
#include "sound/m37702_decode.h"

#include <array>
#include <cstdio>
#include <utility>

namespace {

// The executor runs one body per opcode and M/X state: the widths are known when each
// body is compiled (mx as m377_mx_state gives it).
template <uint32_t mx>
constexpr bool m8 = (mx & m377_mx_m) != 0;
template <uint32_t mx>
constexpr bool x8 = (mx & m377_mx_x) != 0;

uint16_t& acc(m377_state* s) {
    return s->acc_b ? s->b : s->a;
}

M377_INLINE void set_nz(m377_state* s, uint32_t value, bool narrow) {
    uint32_t mask = narrow ? 0xFF : 0xFFFF, sign = narrow ? 0x80 : 0x8000;
    uint16_t ps = s->ps & ~(m377_flag_z | m377_flag_n);
    if (!(value & mask)) ps |= m377_flag_z;
    if (value & sign) ps |= m377_flag_n;
    s->ps = ps;
}

void set_flag(m377_state* s, uint16_t flag, bool on) {
    s->ps = on ? uint16_t(s->ps | flag) : uint16_t(s->ps & ~flag);
}

// An accumulator at M width: only its low byte changes while M is set.
template <uint32_t mx>
void load_acc(m377_state* s, uint16_t& reg, uint32_t value) {
    reg = m8<mx> ? uint16_t((reg & 0xFF00) | (value & 0xFF)) : uint16_t(value);
    set_nz(s, value, m8<mx>);
}

// An index register at X width: while X is set it takes the byte with a high byte of 0.
template <uint32_t mx>
void load_index(m377_state* s, uint16_t& reg, uint32_t value) {
    reg = uint16_t(x8<mx> ? value & 0xFF : value);
    set_nz(s, value, x8<mx>);
}

// INX, INY, DEX, DEY: with X set only the low byte steps (wrapping), like the block moves.
template <uint32_t mx>
void step_index(m377_state* s, uint16_t& reg, uint32_t delta) {
    if (x8<mx>) {
        reg = uint16_t((reg & 0xFF00) | ((reg + delta) & 0xFF));
        set_nz(s, reg, true);
    } else {
        reg = uint16_t(reg + delta);
        set_nz(s, reg, false);
    }
}

void branch(m377_state* s, bool taken) {
    uint32_t displacement = m377_fetch8(s);
    if (!taken) return;
    s->pc = uint16_t(s->pc + uint32_t(int32_t(int8_t(displacement))));
    s->cycles += 2;
}

// Addresses of the ALU columns (opcode bits 0-4), shared by the 0x89-page MPY and DIV.
// Always inlined so that each specialised ALU opcode keeps only its own mode.
template <uint32_t mx>
M377_INLINE uint32_t alu_address(m377_state* s, uint32_t column) {
    switch (column) {
    case 0x01: return m377_ea_dp_x_ind(s, x8<mx>);
    case 0x03: return m377_ea_sr(s);
    case 0x05: return m377_ea_dp(s);
    case 0x07: return m377_ea_dp_long(s);
    case 0x0D: return m377_ea_abs(s);
    case 0x0F: return m377_ea_long(s);
    case 0x11: return m377_ea_dp_ind_y(s, x8<mx>);
    case 0x12: return m377_ea_dp_ind(s);
    case 0x13: return m377_ea_sr_ind_y(s, x8<mx>);
    case 0x15: return m377_ea_dp_x(s, x8<mx>);
    case 0x17: return m377_ea_dp_long_y(s, x8<mx>);
    case 0x19: return m377_ea_abs_y(s, x8<mx>);
    case 0x1D: return m377_ea_abs_x(s, x8<mx>);
    default: return m377_ea_long_x(s, x8<mx>);  // 0x1F
    }
}

template <uint32_t mx>
M377_INLINE uint32_t alu_operand(m377_state* s, uint32_t column) {
    return column == 0x09 ? m377_fetch_w(s, m8<mx>) : m377_read_w(s, alu_address<mx>(s, column), m8<mx>);
}

// ORA AND EOR ADC STA LDA CMP SBC, by opcode bits 5-7; one body per opcode.
template <uint32_t op, uint32_t mx>
void alu(m377_state* s) {
    constexpr uint32_t column = op & 0x1F;
    uint16_t& reg = acc(s);
    switch (op >> 5) {
    case 0: load_acc<mx>(s, reg, reg | alu_operand<mx>(s, column)); break;
    case 1: load_acc<mx>(s, reg, reg & alu_operand<mx>(s, column)); break;
    case 2: load_acc<mx>(s, reg, reg ^ alu_operand<mx>(s, column)); break;
    case 3: m377_add(s, alu_operand<mx>(s, column), false, m8<mx>); break;
    case 4: m377_write_w(s, alu_address<mx>(s, column), reg, m8<mx>); break;
    case 5: load_acc<mx>(s, reg, alu_operand<mx>(s, column)); break;
    case 6: m377_compare(s, reg, alu_operand<mx>(s, column), !m8<mx>); break;
    default: m377_add(s, alu_operand<mx>(s, column), true, m8<mx>); break;
    }
}

enum class shift_kind { asl, rol, lsr, ror, inc, dec };

template <uint32_t mx>
uint32_t shift(m377_state* s, shift_kind kind, uint32_t value) {
    constexpr uint32_t sign = m8<mx> ? 0x80 : 0x8000, mask = m8<mx> ? 0xFF : 0xFFFF;
    uint32_t carry_in = s->ps & m377_flag_c, result;
    value &= mask;
    switch (kind) {
    case shift_kind::asl: result = value << 1; set_flag(s, m377_flag_c, value & sign); break;
    case shift_kind::rol: result = value << 1 | carry_in; set_flag(s, m377_flag_c, value & sign); break;
    case shift_kind::lsr: result = value >> 1; set_flag(s, m377_flag_c, value & 1); break;
    case shift_kind::ror: result = value >> 1 | (carry_in ? sign : 0); set_flag(s, m377_flag_c, value & 1); break;
    case shift_kind::inc: result = value + 1; break;
    default: result = value - 1; break;
    }
    result &= mask;
    set_nz(s, result, m8<mx>);
    return result;
}

// The accumulator form or a read-modify-write at M width of dp, abs, dp,X or abs,X
// (opcode bits 0-4: 0x0A/0x1A/0x3A accumulator, 0x06 dp, 0x0E abs, 0x16 dp,X, 0x1E abs,X).
template <uint32_t mx>
M377_INLINE void shift_op(m377_state* s, shift_kind kind, uint32_t column) {
    uint32_t address;
    switch (column) {
    case 0x06: address = m377_ea_dp(s); break;
    case 0x0E: address = m377_ea_abs(s); break;
    case 0x16: address = m377_ea_dp_x(s, x8<mx>); break;
    case 0x1E: address = m377_ea_abs_x(s, x8<mx>); break;
    default: {
        uint16_t& reg = acc(s);
        uint32_t result = shift<mx>(s, kind, reg);
        reg = m8<mx> ? uint16_t((reg & 0xFF00) | result) : uint16_t(result);
        return;
    }
    }
    m377_write_w(s, address, shift<mx>(s, kind, m377_read_w(s, address, m8<mx>)), m8<mx>);
}

uint32_t dp_or_abs(m377_state* s, bool absolute) {
    return absolute ? m377_ea_abs(s) : m377_ea_dp(s);
}

// SEB / CLB: address, then the mask at M width; Z when mask AND old value is 0.
template <uint32_t mx>
void set_clear_bits(m377_state* s, bool absolute, bool set) {
    uint32_t address = dp_or_abs(s, absolute);
    uint32_t mask = m377_fetch_w(s, m8<mx>);
    uint32_t value = m377_read_w(s, address, m8<mx>);
    set_flag(s, m377_flag_z, (value & mask) == 0);
    m377_write_w(s, address, set ? value | mask : value & ~mask, m8<mx>);
}

// BBS / BBC: address, mask, then the displacement after the memory is read.
template <uint32_t mx>
void branch_on_bits(m377_state* s, bool absolute, bool all_set) {
    uint32_t address = dp_or_abs(s, absolute);
    uint32_t mask = m377_fetch_w(s, m8<mx>);
    uint32_t value = m377_read_w(s, address, m8<mx>);
    branch(s, all_set ? (value & mask) == mask : (value & mask) == 0);
}

// LDM: address, then the immediate at M width.
template <uint32_t mx>
void load_memory(m377_state* s, uint32_t address) {
    m377_write_w(s, address, m377_fetch_w(s, m8<mx>), m8<mx>);
}

// MVN / MVP: one byte per execution; repeats (pc back 3) until A passes 0xFFFF.
template <uint32_t mx>
void block_move(m377_state* s, uint32_t step) {
    uint32_t dst = m377_fetch8(s), src = m377_fetch8(s);
    s->dt = uint8_t(dst);
    uint32_t value = m377_bus_read8(s, src << 16 | m377_index(s->x, x8<mx>));
    m377_bus_write8(s, dst << 16 | m377_index(s->y, x8<mx>), value);
    if (x8<mx>) {
        s->x = uint16_t((s->x & 0xFF00) | ((s->x + step) & 0xFF));
        s->y = uint16_t((s->y & 0xFF00) | ((s->y + step) & 0xFF));
    } else {
        s->x = uint16_t(s->x + step);
        s->y = uint16_t(s->y + step);
    }
    if (s->a-- != 0) s->pc = uint16_t(s->pc - 3);
}

void push_w(m377_state* s, uint32_t value, bool narrow) {
    if (narrow)
        m377_push8(s, value);
    else
        m377_push16(s, value);
}

uint32_t pull_w(m377_state* s, bool narrow) {
    return narrow ? m377_pull8(s) : m377_pull16(s);
}

// PSH: A, B, X, Y, D, DT, PG, PS in that order for the mask bits 0x01 upwards.
template <uint32_t mx>
void push_registers(m377_state* s, uint32_t mask) {
    if (mask & 0x01) push_w(s, s->a, m8<mx>);
    if (mask & 0x02) push_w(s, s->b, m8<mx>);
    if (mask & 0x04) push_w(s, s->x, x8<mx>);
    if (mask & 0x08) push_w(s, s->y, x8<mx>);
    if (mask & 0x10) m377_push16(s, s->dpr);
    if (mask & 0x20) m377_push8(s, s->dt);
    if (mask & 0x40) m377_push8(s, s->pg);
    if (mask & 0x80) m377_push16(s, s->ps);
}

// PUL: PS first (its widths then apply to the rest, so they are read afresh), never
// PG; sets no other flags.
void pull_registers(m377_state* s, uint32_t mask) {
    if (mask & 0x80) s->ps = uint16_t(m377_pull16(s));
    if (mask & 0x20) s->dt = uint8_t(m377_pull8(s));
    if (mask & 0x10) s->dpr = uint16_t(m377_pull16(s));
    if (mask & 0x08) s->y = uint16_t(pull_w(s, m377_x8(s)));
    if (mask & 0x04) s->x = uint16_t(pull_w(s, m377_x8(s)));
    if (mask & 0x02) s->b = m377_m8(s) ? uint16_t((s->b & 0xFF00) | m377_pull8(s)) : uint16_t(m377_pull16(s));
    if (mask & 0x01) s->a = m377_m8(s) ? uint16_t((s->a & 0xFF00) | m377_pull8(s)) : uint16_t(m377_pull16(s));
}

template <uint32_t mx>
void multiply(m377_state* s, uint32_t operand) {
    uint32_t product;
    if (m8<mx>) {
        product = (s->a & 0xFFu) * (operand & 0xFF);
        s->a = uint16_t((s->a & 0xFF00) | (product & 0xFF));
        s->b = uint16_t((s->b & 0xFF00) | (product >> 8));
        set_flag(s, m377_flag_n, product & 0x8000);
    } else {
        product = uint32_t(s->a) * (operand & 0xFFFF);
        s->a = uint16_t(product);
        s->b = uint16_t(product >> 16);
        set_flag(s, m377_flag_n, product & 0x80000000u);
    }
    set_flag(s, m377_flag_z, product == 0);
    set_flag(s, m377_flag_c, false);
}

template <uint32_t mx>
void divide(m377_state* s, uint32_t operand) {
    constexpr bool narrow = m8<mx>;
    constexpr uint32_t width_max = narrow ? 0xFF : 0xFFFF;
    uint32_t dividend = narrow ? (s->b & 0xFFu) << 8 | (s->a & 0xFFu) : uint32_t(s->b) << 16 | s->a;
    uint32_t divisor = operand & width_max;
    set_flag(s, m377_flag_c, false);
    if (divisor == 0 || dividend / divisor > width_max) {
        set_flag(s, m377_flag_v, true);
        return;
    }
    uint32_t quotient = dividend / divisor, remainder = dividend % divisor;
    if (narrow) {
        s->a = uint16_t((s->a & 0xFF00) | quotient);
        s->b = uint16_t((s->b & 0xFF00) | remainder);
    } else {
        s->a = uint16_t(quotient);
        s->b = uint16_t(remainder);
    }
    set_flag(s, m377_flag_n, quotient & (narrow ? 0x80 : 0x8000));
    set_flag(s, m377_flag_v, false);
    set_flag(s, m377_flag_z, dividend < divisor);
}

// The ALU columns of the 0x89 page (MPY below 0x20, DIV 0x20-0x3F): one body each,
// like the ALU opcodes.
template <uint32_t column, uint32_t mx>
void multiply_column(m377_state* s) {
    multiply<mx>(s, alu_operand<mx>(s, column));
}

template <uint32_t column, uint32_t mx>
void divide_column(m377_state* s) {
    divide<mx>(s, alu_operand<mx>(s, column));
}

// The 0x89 page: its second byte is fetched first.
template <uint32_t mx>
void extended_page(m377_state* s) {
    uint32_t op = m377_fetch8(s);
    switch (op) {
#define M377_MPY_DIV(c)                                 \
    case c: multiply_column<c, mx>(s); break;          \
    case 0x20 | c: divide_column<c, mx>(s); break;
    M377_MPY_DIV(0x01) M377_MPY_DIV(0x03) M377_MPY_DIV(0x05) M377_MPY_DIV(0x09) M377_MPY_DIV(0x0D)
    M377_MPY_DIV(0x11) M377_MPY_DIV(0x12) M377_MPY_DIV(0x15) M377_MPY_DIV(0x19) M377_MPY_DIV(0x1D)
#undef M377_MPY_DIV
    case 0x49: {  // RLA: rotate A left by a count at M width; no flags
        uint32_t count = m377_fetch_w(s, m8<mx>);
        if (m8<mx>) {
            uint32_t lo = s->a & 0xFFu, n = count & 7;
            lo = ((lo << n) | (lo >> ((8 - n) & 7))) & 0xFF;
            s->a = uint16_t((s->a & 0xFF00) | lo);
        } else {
            uint32_t v = s->a, n = count & 15;
            s->a = uint16_t((v << n) | (v >> ((16 - n) & 15)));
        }
        break;
    }
    case 0x28: {  // XAB
        uint16_t t = s->a;
        s->a = s->b;
        s->b = t;
        set_nz(s, s->a, m8<mx>);
        break;
    }
    case 0xC2:  // LDT #imm
        s->dt = uint8_t(m377_fetch8(s));
        break;
    default:
        s->halted = 1;
        s->halt_code = int16_t(0x200 + op);
        s->halt_pc = uint32_t(s->pg) << 16 | uint16_t(s->pc - 2);
        break;
    }
}

void jump_subroutine(m377_state* s, uint32_t target) {
    m377_push16(s, s->pc);
    s->pc = uint16_t(target);
}

void return_from_interrupt(m377_state* s) {
    s->ps = uint16_t(m377_pull16(s));
    s->pc = uint16_t(m377_pull16(s));
    s->pg = uint8_t(m377_pull8(s));
}

bool zero_opcode_reported = false;

// One opcode under one M/X state: 1 when performed, 0 when the model does not perform
// it. One function per opcode byte and widths, each with only its own case, so that the
// dispatch is one indirect call. An instruction that changes the widths (SEP, CLP, SEM,
// CLM, PLP, RTI, PUL) uses none after the change, except PUL, which reads them afresh.
template <uint32_t op, uint32_t mx>
int perform(m377_state* s) {
    switch (op) {
    // ALU group (0x12, 0x32 and 0xD2 are the (dp) forms of ORA, AND and CMP)
#define M377_ALU_CASE(op) \
    case op: alu<op, mx>(s); break;
#define M377_ALU_COLUMN_NO_STA(c)                                                                      \
    M377_ALU_CASE(0x00 | c) M377_ALU_CASE(0x20 | c) M377_ALU_CASE(0x40 | c) M377_ALU_CASE(0x60 | c) \
    M377_ALU_CASE(0xA0 | c) M377_ALU_CASE(0xC0 | c) M377_ALU_CASE(0xE0 | c)
#define M377_ALU_COLUMN(c) M377_ALU_COLUMN_NO_STA(c) M377_ALU_CASE(0x80 | c)
    M377_ALU_COLUMN(0x01) M377_ALU_COLUMN(0x03) M377_ALU_COLUMN(0x05) M377_ALU_COLUMN(0x07)
    M377_ALU_COLUMN_NO_STA(0x09)  // 0x89 is the extended page
    M377_ALU_COLUMN(0x0D) M377_ALU_COLUMN(0x0F) M377_ALU_COLUMN(0x11) M377_ALU_COLUMN(0x12)
    M377_ALU_COLUMN(0x13) M377_ALU_COLUMN(0x15) M377_ALU_COLUMN(0x17) M377_ALU_COLUMN(0x19)
    M377_ALU_COLUMN(0x1D) M377_ALU_COLUMN(0x1F)
#undef M377_ALU_COLUMN
#undef M377_ALU_COLUMN_NO_STA
#undef M377_ALU_CASE

    // Shifts, rotates, increments and decrements
    case 0x0A: case 0x06: case 0x0E: case 0x16: case 0x1E: shift_op<mx>(s, shift_kind::asl, op & 0x1F); break;
    case 0x2A: case 0x26: case 0x2E: case 0x36: case 0x3E: shift_op<mx>(s, shift_kind::rol, op & 0x1F); break;
    case 0x4A: case 0x46: case 0x4E: case 0x56: case 0x5E: shift_op<mx>(s, shift_kind::lsr, op & 0x1F); break;
    case 0x6A: case 0x66: case 0x6E: case 0x76: case 0x7E: shift_op<mx>(s, shift_kind::ror, op & 0x1F); break;
    case 0x1A: case 0xE6: case 0xEE: case 0xF6: case 0xFE: shift_op<mx>(s, shift_kind::inc, op & 0x1F); break;
    case 0x3A: case 0xC6: case 0xCE: case 0xD6: case 0xDE: shift_op<mx>(s, shift_kind::dec, op & 0x1F); break;

    // Index registers
    case 0xA2: load_index<mx>(s, s->x, m377_fetch_w(s, x8<mx>)); break;
    case 0xA6: load_index<mx>(s, s->x, m377_read_w(s, m377_ea_dp(s), x8<mx>)); break;
    case 0xAE: load_index<mx>(s, s->x, m377_read_w(s, m377_ea_abs(s), x8<mx>)); break;
    case 0xB6: load_index<mx>(s, s->x, m377_read_w(s, m377_ea_dp_y(s, x8<mx>), x8<mx>)); break;
    case 0xBE: load_index<mx>(s, s->x, m377_read_w(s, m377_ea_abs_y(s, x8<mx>), x8<mx>)); break;
    case 0xA0: load_index<mx>(s, s->y, m377_fetch_w(s, x8<mx>)); break;
    case 0xA4: load_index<mx>(s, s->y, m377_read_w(s, m377_ea_dp(s), x8<mx>)); break;
    case 0xAC: load_index<mx>(s, s->y, m377_read_w(s, m377_ea_abs(s), x8<mx>)); break;
    case 0xB4: load_index<mx>(s, s->y, m377_read_w(s, m377_ea_dp_x(s, x8<mx>), x8<mx>)); break;
    case 0xBC: load_index<mx>(s, s->y, m377_read_w(s, m377_ea_abs_x(s, x8<mx>), x8<mx>)); break;
    case 0x86: m377_write_w(s, m377_ea_dp(s), s->x, x8<mx>); break;
    case 0x8E: m377_write_w(s, m377_ea_abs(s), s->x, x8<mx>); break;
    case 0x96: m377_write_w(s, m377_ea_dp_y(s, x8<mx>), s->x, x8<mx>); break;
    case 0x84: m377_write_w(s, m377_ea_dp(s), s->y, x8<mx>); break;
    case 0x8C: m377_write_w(s, m377_ea_abs(s), s->y, x8<mx>); break;
    case 0x94: m377_write_w(s, m377_ea_dp_x(s, x8<mx>), s->y, x8<mx>); break;
    case 0xE0: m377_compare(s, s->x, m377_fetch_w(s, x8<mx>), !x8<mx>); break;
    case 0xE4: m377_compare(s, s->x, m377_read_w(s, m377_ea_dp(s), x8<mx>), !x8<mx>); break;
    case 0xEC: m377_compare(s, s->x, m377_read_w(s, m377_ea_abs(s), x8<mx>), !x8<mx>); break;
    case 0xC0: m377_compare(s, s->y, m377_fetch_w(s, x8<mx>), !x8<mx>); break;
    case 0xC4: m377_compare(s, s->y, m377_read_w(s, m377_ea_dp(s), x8<mx>), !x8<mx>); break;
    case 0xCC: m377_compare(s, s->y, m377_read_w(s, m377_ea_abs(s), x8<mx>), !x8<mx>); break;
    case 0xE8: step_index<mx>(s, s->x, 1); break;
    case 0xC8: step_index<mx>(s, s->y, 1); break;
    case 0xCA: step_index<mx>(s, s->x, 0xFFFF); break;
    case 0x88: step_index<mx>(s, s->y, 0xFFFF); break;

    // Memory immediates and bit operations
    case 0x64: load_memory<mx>(s, m377_ea_dp(s)); break;
    case 0x74: load_memory<mx>(s, m377_ea_dp_x(s, x8<mx>)); break;
    case 0x9C: load_memory<mx>(s, m377_ea_abs(s)); break;
    case 0x9E: load_memory<mx>(s, m377_ea_abs_x(s, x8<mx>)); break;
    case 0x04: set_clear_bits<mx>(s, false, true); break;
    case 0x0C: set_clear_bits<mx>(s, true, true); break;
    case 0x14: set_clear_bits<mx>(s, false, false); break;
    case 0x1C: set_clear_bits<mx>(s, true, false); break;
    case 0x24: branch_on_bits<mx>(s, false, true); break;
    case 0x2C: branch_on_bits<mx>(s, true, true); break;
    case 0x34: branch_on_bits<mx>(s, false, false); break;
    case 0x3C: branch_on_bits<mx>(s, true, false); break;

    // Branches
    case 0x10: branch(s, !(s->ps & m377_flag_n)); break;
    case 0x30: branch(s, s->ps & m377_flag_n); break;
    case 0x50: branch(s, !(s->ps & m377_flag_v)); break;
    case 0x70: branch(s, s->ps & m377_flag_v); break;
    case 0x90: branch(s, !(s->ps & m377_flag_c)); break;
    case 0xB0: branch(s, s->ps & m377_flag_c); break;
    case 0xD0: branch(s, !(s->ps & m377_flag_z)); break;
    case 0xF0: branch(s, s->ps & m377_flag_z); break;
    case 0x80: branch(s, true); break;
    case 0x82: {
        uint32_t displacement = m377_fetch16(s);
        s->pc = uint16_t(s->pc + displacement);
        break;
    }

    // Jumps, calls and returns
    case 0x4C: s->pc = uint16_t(m377_fetch16(s)); break;
    case 0x5C: {
        uint32_t target = m377_fetch24(s);
        s->pc = uint16_t(target);
        s->pg = uint8_t(target >> 16);
        break;
    }
    case 0x6C: s->pc = uint16_t(m377_read16(s, m377_fetch16(s))); break;  // pointer in bank 0
    case 0x7C: {  // pointer in the program bank
        uint32_t pointer = (m377_fetch16(s) + m377_index(s->x, x8<mx>)) & 0xFFFF;
        s->pc = uint16_t(m377_read16(s, uint32_t(s->pg) << 16 | pointer));
        break;
    }
    case 0xDC: {  // JML [abs]: 24-bit pointer in bank 0
        uint32_t target = m377_read24(s, m377_fetch16(s));
        s->pc = uint16_t(target);
        s->pg = uint8_t(target >> 16);
        break;
    }
    case 0x20: {
        uint32_t target = m377_fetch16(s);
        jump_subroutine(s, target);
        break;
    }
    case 0xFC: {  // JSR (abs,X): pointer in the program bank
        uint32_t pointer = (m377_fetch16(s) + m377_index(s->x, x8<mx>)) & 0xFFFF;
        m377_push16(s, s->pc);
        s->pc = uint16_t(m377_read16(s, uint32_t(s->pg) << 16 | pointer));
        break;
    }
    case 0x22: {
        uint32_t target = m377_fetch24(s);
        m377_push8(s, s->pg);
        jump_subroutine(s, target);
        s->pg = uint8_t(target >> 16);
        break;
    }
    case 0x60: s->pc = uint16_t(m377_pull16(s)); break;
    case 0x6B:
        s->pc = uint16_t(m377_pull16(s));
        s->pg = uint8_t(m377_pull8(s));
        break;
    case 0x40: return_from_interrupt(s); break;

    // Transfers
    case 0xAA: load_index<mx>(s, s->x, acc(s)); break;
    case 0xA8: load_index<mx>(s, s->y, acc(s)); break;
    case 0x8A: load_acc<mx>(s, acc(s), m377_index(s->x, x8<mx>)); break;
    case 0x98: load_acc<mx>(s, acc(s), m377_index(s->y, x8<mx>)); break;
    case 0x9A: s->s = uint16_t(m377_index(s->x, x8<mx>)); break;
    case 0xBA: load_index<mx>(s, s->x, s->s); break;
    case 0x9B: load_index<mx>(s, s->y, m377_index(s->x, x8<mx>)); break;
    case 0xBB: load_index<mx>(s, s->x, m377_index(s->y, x8<mx>)); break;
    case 0x1B: s->s = s->a; break;
    case 0x3B: s->a = s->s; set_nz(s, s->a, false); break;
    case 0x5B: s->dpr = s->a; set_nz(s, s->dpr, false); break;
    case 0x7B: s->a = s->dpr; set_nz(s, s->a, false); break;

    // Flags
    case 0x18: set_flag(s, m377_flag_c, false); break;
    case 0x38: set_flag(s, m377_flag_c, true); break;
    case 0x58: set_flag(s, m377_flag_i, false); break;
    case 0x78: set_flag(s, m377_flag_i, true); break;
    case 0xB8: set_flag(s, m377_flag_v, false); break;
    case 0xD8: set_flag(s, m377_flag_m, false); break;
    case 0xF8: set_flag(s, m377_flag_m, true); break;
    case 0xC2: s->ps = uint16_t(s->ps & ~m377_fetch8(s)); break;
    case 0xE2: s->ps = uint16_t(s->ps | m377_fetch8(s)); break;

    // Stack
    case 0x48: push_w(s, acc(s), m8<mx>); break;
    case 0x68: load_acc<mx>(s, acc(s), pull_w(s, m8<mx>)); break;
    case 0x08: m377_push16(s, s->ps); break;
    case 0x28: s->ps = uint16_t(m377_pull16(s)); break;
    case 0xDA: push_w(s, s->x, x8<mx>); break;
    case 0xFA: load_index<mx>(s, s->x, pull_w(s, x8<mx>)); break;
    case 0x5A: push_w(s, s->y, x8<mx>); break;
    case 0x7A: load_index<mx>(s, s->y, pull_w(s, x8<mx>)); break;
    case 0x0B: m377_push16(s, s->dpr); break;
    case 0x2B: s->dpr = uint16_t(m377_pull16(s)); set_nz(s, s->dpr, false); break;
    case 0x4B: m377_push8(s, s->pg); break;
    case 0x8B: m377_push8(s, s->dt); break;
    case 0xAB: s->dt = uint8_t(m377_pull8(s)); set_nz(s, s->dt, true); break;
    case 0xF4: m377_push16(s, m377_fetch16(s)); break;                    // PEA: the operand word
    case 0xD4: m377_push16(s, m377_read16(s, m377_ea_dp(s))); break;     // PEI: the word at D + n
    case 0x62: {                                                         // PER: next pc + displacement
        uint32_t displacement = m377_fetch16(s);
        m377_push16(s, (s->pc + displacement) & 0xFFFF);
        break;
    }
    case 0xEB: push_registers<mx>(s, m377_fetch8(s)); break;
    case 0xFB: pull_registers(s, m377_fetch8(s)); break;

    // Block moves (operands: destination bank, source bank)
    case 0x54: block_move<mx>(s, 1); break;
    case 0x44: block_move<mx>(s, 0xFFFF); break;

    case 0xCB: case 0xDB: s->stopped = 1; break;
    case 0xEA: break;
    case 0x02: m377_fetch8(s); break;
    case 0x89: extended_page<mx>(s); break;

    case 0x00:
        if (!zero_opcode_reported) {
            zero_opcode_reported = true;
            fprintf(stderr, "[M377] opcode 0x00 at %02X%04X not executed (BRK is not modelled)\n", s->pg,
                    uint16_t(s->pc - 1));
        }
        return 0;
    default:  // 0x42, the accumulator-B prefix, is the dispatcher's
        return 0;
    }
    return 1;
}

template <size_t... ops>
constexpr std::array<m377_performer, 1024> make_performers(std::index_sequence<ops...>) {
    return {&perform<(ops & 0xFF), (ops >> 8)>...};
}

}  // namespace

const std::array<m377_performer, 1024> m377_performers = make_performers(std::make_index_sequence<1024>());

int m377_execute(m377_state* s, uint32_t opcode) {
    // Start of this instruction (before the 0x42 prefix when there is one), for the trail.
    uint16_t start = uint16_t(s->pc - 1 - (s->acc_b ? 1 : 0));
    if (!m377_performer_of(m377_mx_state(s->ps), opcode)(s)) return 0;
    m377_trail(s, start);
    return 1;
}
