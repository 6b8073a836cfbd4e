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

    constexpr uint32_t PATH = 0x088, STATE = 0x0CC, DRIVE = 0x110, FLIGHT = 0x154;
    for (uint32_t n = 0; n <= uint32_t(SYNTH_DEMO_LONG); n++) synth_put32(set, SYNTH_DEMO_TABLE + PATH + 4 * n, SYNTH_DEMO_PATH);
    const uint32_t long_demo = 4 * uint32_t(SYNTH_DEMO_LONG);
    synth_put32(set, SYNTH_DEMO_TABLE + INPUT + long_demo, SYNTH_DEMO_LONG_INPUT);
    synth_put32(set, SYNTH_DEMO_TABLE + STATE + long_demo, SYNTH_DEMO_STATE);
    synth_put32(set, SYNTH_DEMO_TABLE + DRIVE + long_demo, SYNTH_DEMO_DRIVE);
    synth_put32(set, SYNTH_DEMO_TABLE + FLIGHT + long_demo, SYNTH_DEMO_FLIGHT);
    synth_put32(set, SYNTH_DEMO_TABLE + SELECT_MARK + long_demo, 0xFFFF);
    for (uint32_t k = 0; k < 4; k++)
        for (uint32_t c = 0; c < 3; c++)
            synth_put32(set, SYNTH_DEMO_PATH + 16 * k + 4 * c, uint32_t(SYNTH_DEMO_START[c]) + 0x8000 * k);
    for (uint32_t k = 0; k < 64; k++) synth_put32(set, SYNTH_DEMO_STATE + 4 * k, k < 3 ? uint32_t(SYNTH_DEMO_START[k]) : 0);
    for (uint32_t k = 0; k < 3; k++) synth_put32(set, SYNTH_DEMO_DRIVE + 4 * k, uint32_t(SYNTH_DEMO_DRIVES[k]));
    for (uint32_t k = 0; k < 13; k++) synth_put32(set, SYNTH_DEMO_FLIGHT + 4 * k, k + 1);
    for (int32_t i = 0; i < SYNTH_DEMO_LONG_RECORDS; i++) {
        synth_demo_record r = synth_demo_long_record(i);
        uint32_t at = SYNTH_DEMO_LONG_INPUT + 16 * uint32_t(i);
        synth_put32(set, at, uint32_t(r.pitch));
        synth_put32(set, at + 4, uint32_t(r.turn));
        synth_put32(set, at + 8, uint32_t(r.pedal));
        synth_put32(set, at + 12, uint32_t(r.frame));
    }
}
