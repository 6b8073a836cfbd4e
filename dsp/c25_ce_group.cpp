// The CE group: the one-word instructions 0xCExx, told apart by their low byte. None
// takes a memory operand; NORM alone modifies an auxiliary register.
#include "dsp/c25_arith.h"

#include <cstdio>

namespace {

constexpr uint16_t trap_vector = 0x001E;

// NEG and ABS: -ACC, where -0x80000000 overflows (OV set, saturated under OVM).
void negate(c25_state* s) {
    if (s->acc == INT32_MIN) {
        s->ov = 1;
        if (s->ovm) s->acc = INT32_MAX;
        return;
    }
    s->acc = -s->acc;
}

// NORM: one normalisation step while bits 31 and 30 agree (and ACC is not 0).
void normalise(c25_state* s, uint8_t field) {
    uint32_t a = uint32_t(s->acc);
    if (a == 0 || ((a >> 31) != ((a >> 30) & 1))) {
        s->tc = 1;
        return;
    }
    s->tc = 0;
    s->acc = int32_t(a << 1);
    c25_update_ar(s, field);
}

}  // namespace

int c25_ce_group(c25_state* s, uint16_t word, uint16_t pc) {
    uint8_t low = uint8_t(word);
    uint32_t a = uint32_t(s->acc);
    if (low >= 0x80) {
        normalise(s, low);
        return 1;
    }
    if (low >= 0x08 && low <= 0x0B) {
        s->pm = low & 3;
        return 1;
    }
    if (low >= 0x50 && low <= 0x57) {
        uint16_t ar = c25_current_ar(s), ar0 = s->ar[0];
        switch (low & 3) {
        case 0: s->tc = ar == ar0; break;
        case 1: s->tc = ar < ar0; break;
        case 2: s->tc = ar > ar0; break;
        default: s->tc = ar != ar0; break;
        }
        return 1;
    }
    switch (low) {
    case 0x00: s->intm = 0; break;  // EINT
    case 0x01: s->intm = 1; break;  // DINT
    case 0x02: s->ovm = 0; break;   // ROVM
    case 0x03: s->ovm = 1; break;   // SOVM
    case 0x04: s->cnf = 0; break;   // CNFD: the memory map stays as it is
    case 0x05: s->cnf = 1; break;   // CNFP
    case 0x06: s->sxm = 0; break;   // RSXM
    case 0x07: s->sxm = 1; break;   // SSXM
    case 0x0C: case 0x0D: case 0x0E: case 0x0F:  // RXF, SXF, FORT: no XF pin, no serial port
        break;
    case 0x14: s->acc = c25_p_shift(s); break;  // PAC
    case 0x15: c25_add(s, c25_p_shift(s)); break;  // APAC
    case 0x16: c25_sub(s, c25_p_shift(s)); break;  // SPAC
    case 0x18:  // SFL
        s->c = int32_t(a >> 31);
        s->acc = int32_t(a << 1);
        break;
    case 0x19:  // SFR
        s->c = int32_t(a & 1);
        s->acc = s->sxm ? s->acc >> 1 : int32_t(a >> 1);
        break;
    case 0x1B:  // ABS
        if (s->acc < 0) negate(s);
        s->c = 0;
        break;
    case 0x1C: c25_push(s, uint16_t(a)); break;  // PUSH
    case 0x1D: s->acc = c25_pop(s); break;       // POP
    case 0x1E:                                   // TRAP
        c25_push(s, s->pc);
        s->pc = trap_vector;
        break;
    case 0x1F:  // IDLE: waits only when the model is asked to
        if (s->idle_enable) {
            s->intm = 0;
            s->idle = 1;
        }
        break;
    case 0x20: case 0x21:  // RTXM, STXM
        break;
    case 0x23:  // NEG
        negate(s);
        s->c = s->acc == 0;
        break;
    case 0x24:  // CALA
        c25_push(s, s->pc);
        s->pc = uint16_t(a);
        break;
    case 0x25: s->pc = uint16_t(a); break;       // BACC
    case 0x26: s->pc = c25_pop(s); break;        // RET
    case 0x27: s->acc = int32_t(~a); break;      // CMPL
    case 0x30: s->c = 0; break;                  // RC
    case 0x31: s->c = 1; break;                  // SC
    case 0x32: s->tc = 0; break;                 // RTC
    case 0x33: s->tc = 1; break;                 // STC
    case 0x34:                                   // ROL
        s->acc = int32_t(a << 1 | uint32_t(s->c));
        s->c = int32_t(a >> 31);
        break;
    case 0x35:  // ROR
        s->acc = int32_t(a >> 1 | uint32_t(s->c) << 31);
        s->c = int32_t(a & 1);
        break;
    case 0x36: case 0x37:  // RFSM, SFSM
        break;
    default:
        snprintf(s->error_text, sizeof s->error_text, "%s %04X at %04X", "CE", word, pc);
        return 0;
    }
    return 1;
}
