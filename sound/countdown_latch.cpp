#include "sound/countdown_latch.h"

uint64_t latch_counter = 0;
uint64_t latch_deadline = 0;
uint8_t latch_armed = 0;
uint8_t latch_state = 0;

void latch_arm(uint32_t n) {
    latch_deadline = latch_counter + uint8_t(n);
    latch_state = 1;
}

void latch_enable() {
    latch_armed = 1;
}

int32_t latch_tick(int32_t mask) {
    latch_counter++;
    if (latch_counter > latch_deadline && latch_armed) {
        latch_state = 0;
        latch_armed = 0;
        return 0;
    }
    latch_armed = 0;
    return latch_state & mask;
}

void latch_force() {
    latch_state = 1;
    latch_armed = 0;
    latch_deadline = latch_counter + 1;
}
