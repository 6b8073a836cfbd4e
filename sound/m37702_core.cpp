// M37702 record construction, reset, and the arithmetic flag operations.
#include "sound/m37702.h"
#include "sound/m37702_bus.h"

#include <cstring>

void m377_init(m377_state* s, m377_read_fn read, m377_write_fn write, void* user) {
    memset(s, 0, sizeof *s);
    s->bus_read = read;
    s->bus_write = write;
    s->bus_user = user;
}

void m377_reset(m377_state* s) {
    s->a = s->b = s->x = s->y = 0;
    s->dpr = 0;
    s->pg = s->dt = 0;
    s->ps = m377_flag_m | m377_flag_x | m377_flag_i;
    s->s = 0x01FF;
    s->stopped = 0;
    s->halted = 0;
    s->irq_count = 0;
    s->irq_pending = 0;
    memset(s->sfr, 0, sizeof s->sfr);
    // The two UARTs' control registers come out of reset non-zero.
    s->sfr[0x34] = 0x08;
    s->sfr[0x35] = 0x02;
    s->sfr[0x3C] = 0x08;
    s->sfr[0x3D] = 0x02;
    s->timer_running = 0;
    memset(s->timer_deadline, 0, sizeof s->timer_deadline);
    memset(s->adc_result, 0, sizeof s->adc_result);
    s->adc_deadline = 0;
    // The reset vector: one cycle per byte, leaving the counter at 2.
    s->cycles = 1;
    uint32_t lo = s->bus_read(s->bus_user, 0xFFFE);
    s->cycles = 2;
    uint32_t hi = s->bus_read(s->bus_user, 0xFFFF);
    s->pc = uint16_t(hi << 8 | lo);
}

namespace {

uint16_t& selected_acc(m377_state* s) {
    return s->acc_b ? s->b : s->a;
}

// Nibble-by-nibble decimal add of the width's digits; a nibble above 9 gains 6 and carries.
uint32_t decimal_add(uint32_t acc, uint32_t value, uint32_t carry, int digits, uint32_t* carry_out) {
    uint32_t result = 0;
    for (int n = 0; n < digits; n++) {
        uint32_t sum = ((acc >> (4 * n)) & 0xF) + ((value >> (4 * n)) & 0xF) + carry;
        carry = sum > 9;
        if (carry) sum += 6;
        result |= (sum & 0xF) << (4 * n);
    }
    *carry_out = carry;
    return result;
}

// Nibble-by-nibble decimal subtract; a nibble below 0 borrows 10. C set means no borrow.
uint32_t decimal_sub(uint32_t acc, uint32_t value, uint32_t carry, int digits, uint32_t* carry_out) {
    uint32_t result = 0;
    uint32_t borrow = !carry;
    for (int n = 0; n < digits; n++) {
        int32_t diff = int32_t((acc >> (4 * n)) & 0xF) - int32_t((value >> (4 * n)) & 0xF) - int32_t(borrow);
        borrow = diff < 0;
        if (borrow) diff += 10;
        result |= (uint32_t(diff) & 0xF) << (4 * n);
    }
    *carry_out = !borrow;
    return result;
}

// Stores an add or subtract result (operand already complemented for a subtract)
// and sets C, V, Z and N at the accumulator's width.
void store_arith(m377_state* s, uint32_t acc, uint32_t operand, uint32_t result, uint32_t carry) {
    bool m8 = m377_m8(s);
    uint32_t mask = m8 ? 0xFF : 0xFFFF, sign = m8 ? 0x80 : 0x8000;
    result &= mask;
    uint16_t ps = s->ps & ~(m377_flag_c | m377_flag_v | m377_flag_z | m377_flag_n);
    if (carry) ps |= m377_flag_c;
    if (~(acc ^ operand) & (acc ^ result) & sign) ps |= m377_flag_v;
    if (result == 0) ps |= m377_flag_z;
    if (result & sign) ps |= m377_flag_n;
    s->ps = ps;
    uint16_t& reg = selected_acc(s);
    reg = uint16_t((reg & ~mask) | result);
}

}  // namespace

void m377_adc(m377_state* s, uint32_t value) {
    bool m8 = m377_m8(s);
    uint32_t mask = m8 ? 0xFF : 0xFFFF;
    uint32_t acc = selected_acc(s) & mask, operand = value & mask, carry_in = s->ps & m377_flag_c;
    uint32_t result, carry;
    if (s->ps & m377_flag_d) {
        result = decimal_add(acc, operand, carry_in, m8 ? 2 : 4, &carry);
    } else {
        result = acc + operand + carry_in;
        carry = result > mask;
    }
    store_arith(s, acc, operand, result, carry);
}

void m377_sbc(m377_state* s, uint32_t value) {
    bool m8 = m377_m8(s);
    uint32_t mask = m8 ? 0xFF : 0xFFFF;
    uint32_t acc = selected_acc(s) & mask, operand = value & mask, carry_in = s->ps & m377_flag_c;
    uint32_t result, carry;
    if (s->ps & m377_flag_d) {
        result = decimal_sub(acc, operand, carry_in, m8 ? 2 : 4, &carry);
    } else {
        result = acc + (operand ^ mask) + carry_in;
        carry = result > mask;
    }
    store_arith(s, acc, operand ^ mask, result, carry);
}

void m377_compare(m377_state* s, uint32_t a, uint32_t b, bool wide) {
    uint32_t mask = wide ? 0xFFFF : 0xFF, sign = wide ? 0x8000 : 0x80;
    a &= mask;
    b &= mask;
    uint32_t diff = (a - b) & mask;
    uint16_t ps = s->ps & ~(m377_flag_c | m377_flag_z | m377_flag_n);
    if (a >= b) ps |= m377_flag_c;
    if (diff == 0) ps |= m377_flag_z;
    if (diff & sign) ps |= m377_flag_n;
    s->ps = ps;
}
