// M37702 record construction, reset, the out-of-line bus paths (SFR reads, fetches
// from the bus) and ADC/SBC with their decimal digits.
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

uint8_t m377_peek_sfr(const m377_state* s, uint32_t address) {
    if (address - 0x20 < 0x10) return uint8_t(s->adc_result[(address - 0x20) >> 1] >> ((address & 1) * 8));
    if (s->sfr_read_hook && (address == 0x0A || address == 0x0B || address == 0x0E))
        return s->sfr_read_hook(s->bus_user, address, s->sfr[address]);
    return s->sfr[address];
}

uint32_t m377_fetch_bus(m377_state* s, uint32_t n) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < n; i++) {
        value |= uint32_t(m377_peek8(s, uint32_t(s->pg) << 16 | s->pc)) << (8 * i);
        s->cycles++;
        s->fetch_count++;
        s->pc++;
    }
    return value;
}

namespace {

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

}  // namespace

void m377_add_decimal(m377_state* s, uint32_t value, bool subtract, bool narrow) {
    uint32_t mask = narrow ? 0xFF : 0xFFFF;
    uint32_t acc = (s->acc_b ? s->b : s->a) & mask, operand = value & mask, carry_in = s->ps & m377_flag_c;
    int digits = narrow ? 2 : 4;
    uint32_t carry;
    uint32_t result = subtract ? decimal_sub(acc, operand, carry_in, digits, &carry)
                               : decimal_add(acc, operand, carry_in, digits, &carry);
    // V as for an add of the complemented operand when subtracting.
    m377_store_sum(s, acc, subtract ? operand ^ mask : operand, result, carry, narrow);
}

void m377_adc(m377_state* s, uint32_t value) {
    m377_add(s, value, false, m377_m8(s));
}

void m377_sbc(m377_state* s, uint32_t value) {
    m377_add(s, value, true, m377_m8(s));
}
