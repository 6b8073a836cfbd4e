// Bit-reversed addition, the return stack and fault texts.
#include "dsp/c25_arith.h"

#include <cstdio>
#include <cstring>

uint16_t c25_reverse_carry_add(uint16_t x, uint16_t y) {
    uint32_t result = 0, carry = 0;
    for (int k = 15; k >= 0; k--) {
        uint32_t sum = ((x >> k) & 1) + ((y >> k) & 1) + carry;
        result |= (sum & 1) << k;
        carry = sum >> 1;
    }
    return uint16_t(result);
}

int c25_push(c25_state* s, uint16_t value) {
    if (s->stack_depth >= int32_t(C25_CHIP_STACK_LEVELS)) {
        memmove(s->stack, s->stack + 1, (C25_CHIP_STACK_LEVELS - 1) * sizeof s->stack[0]);
        s->stack_depth = C25_CHIP_STACK_LEVELS - 1;
    }
    s->stack[s->stack_depth++] = value;
    memmove(s->push_history, s->push_history + 1, (C25_CHIP_STACK_LEVELS - 1) * sizeof s->push_history[0]);
    s->push_history[C25_CHIP_STACK_LEVELS - 1] = value;
    return 1;
}

uint16_t c25_pop(c25_state* s) {
    uint16_t value = s->push_history[C25_CHIP_STACK_LEVELS - 1];
    memmove(s->push_history + 1, s->push_history, (C25_CHIP_STACK_LEVELS - 1) * sizeof s->push_history[0]);
    if (s->stack_depth > 0) value = s->stack[--s->stack_depth];
    return value;
}

int c25_fault(c25_state* s, uint16_t pc, const char* name) {
    snprintf(s->error_text, sizeof s->error_text, "TRANSLATED C25: %s at %04X", name, pc);
    return 0;
}
