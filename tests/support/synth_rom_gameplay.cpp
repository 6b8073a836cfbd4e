#include "tests/support/synth_rom_tables.h"

void synth_demo_table(synth_rom_set* set) {
    constexpr uint32_t INPUT = 0x000, COURSE = 0x198, STAGE_WORD = 0x1DC, SELECT_MARK = 0x220;
    for (uint32_t n = 0; n < 4; n++) {
        synth_put32(set, SYNTH_DEMO_TABLE + INPUT + 4 * n, SYNTH_DEMO_INPUT);
        synth_put32(set, SYNTH_DEMO_TABLE + COURSE + 4 * n, n);
        synth_put32(set, SYNTH_DEMO_TABLE + STAGE_WORD + 4 * n, 0);
        synth_put32(set, SYNTH_DEMO_TABLE + SELECT_MARK + 4 * n, 0xFFFF);
    }
    for (int32_t i = 0; i <= SYNTH_DEMO_RECORDS; i++) {
        uint32_t at = SYNTH_DEMO_INPUT + 16 * uint32_t(i);
        bool last = i == SYNTH_DEMO_RECORDS;
        synth_put32(set, at, uint32_t(last ? 0 : 1000 * i));
        synth_put32(set, at + 4, uint32_t(last ? 0 : -500 * i));
        synth_put32(set, at + 8, last ? 0 : 3);
        synth_put32(set, at + 12, uint32_t(last ? -1 : 100 + i));
    }
}
