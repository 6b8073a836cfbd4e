#include "tests/support/synth_rom_tables.h"

#include <cstring>

void synth_course_starts(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++) {
        const synth_course_start& s = SYNTH_COURSE_STARTS[c];
        const int32_t fields[6] = {s.x, s.y, s.z, s.pitch, s.heading, s.roll};
        for (uint32_t f = 0; f < 6; f++) synth_put32(set, 0xB85B8 + 16 * f + 4 * c, uint32_t(fields[f]));
    }
}

void synth_course_seconds_table(synth_rom_set* set) {
    for (int c = 0; c < 4; c++)
        for (int s = 0; s < 3; s++) synth_put32(set, 0x15C448 + 12 * c + 4 * s, uint32_t(synth_course_seconds(c, s)));
}

void synth_stage_seconds_table(synth_rom_set* set) {
    for (int c = 0; c < 4; c++)
        for (int st = 0; st < 3; st++)
            for (int s = 0; s < 3; s++) {
                uint32_t k = uint32_t(8 * s + 72 * c + 24 * st);
                synth_put32(set, SYNTH_STAGE_TABLE_AT + k, uint32_t(synth_stage_base(c, st, s)));
                synth_put32(set, SYNTH_STAGE_TABLE_AT + 4 + k, uint32_t(synth_stage_seconds(c, st, s)));
            }
    synth_put32(set, SYNTH_QUOTA_DEDUCTION_AT, SYNTH_QUOTA_DEDUCTION);
}

void synth_viewer_start(synth_rom_set* set) {
    synth_put32s(set, 0x36414 + 244, SYNTH_VIEWER_START, 7);
}

void synth_viewer_strings(synth_rom_set* set) {
    synth_put_string(set, 0x3A2AC, SYNTH_VIEWER_TITLE);
    uint32_t at = 0x3A2E6;
    for (const char* label : SYNTH_VIEWER_LABELS) {
        synth_put_string(set, at, label);
        at += uint32_t(strlen(label)) + 1;
    }
}

void synth_flyin_nodes(synth_rom_set* set) {
    const int32_t a[6] = {120000, 300000, 200000, 0, 0x4000, 0}, b[6] = {121000, 300500, 201000, 0, 0xC000, 0};
    synth_put32s(set, 0x360A8, a, 6);
    synth_put32s(set, 0x360C0, b, 6);
    synth_put32(set, 0x123C38, SYNTH_FLYIN_NODES[0]);
    synth_put32(set, 0x123C3C, SYNTH_FLYIN_NODES[1]);
}

void synth_flyin_eyes(synth_rom_set* set) {
    synth_put32s(set, 0x360D8, SYNTH_FLYIN_EYE_START, 6);
    synth_put32s(set, 0x360F0, SYNTH_FLYIN_EYE_END, 6);
}

void synth_flyin_approach(synth_rom_set* set) {
    const int32_t waypoints[6] = {100000, 330000, 190000, 140000, 300000, 230000};
    synth_put32s(set, 0x35D2C, waypoints, 6);
    const int32_t terrain[4] = {0x60000, 150000, 0x90000, 400};
    synth_put32s(set, 0x35D44, terrain, 4);
    const uint16_t cells[9] = {0, 1, 2, 3, 8, 9, 10, 11, 0xFFFF};
    for (uint32_t i = 0; i < 9; i++) synth_put16(set, 0x35D54 + 2 * i, cells[i]);
    const int32_t cameras[6] = {90000, 340000, 170000, 110000, 200000, 180000};
    synth_put32s(set, 0x35D7C, cameras, 6);
}

void synth_flyin_objects(synth_rom_set* set) {
    for (int32_t i = 0; i < SYNTH_FLYIN_OBJECTS; i++) {
        const int32_t record[5] = {110000 + 4000 * i, 310000, 200000 + 3000 * i, 600 + 8 * i, 1};
        synth_put32s(set, 0x35D94 + 20 * uint32_t(i), record, 5);
    }
    synth_put32(set, 0x35D94 + 20 * SYNTH_FLYIN_OBJECTS, 0xFFFFFFFFu);
    synth_put32(set, 0x35E4C, 0xFFFFFFFFu);
}
