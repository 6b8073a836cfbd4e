#include "tests/support/synth_rom_tables.h"

namespace {

constexpr uint32_t DAYS = 0x399A4, RAW_SOUNDS = 0x399FC, TEXT_SCRIPTS = 0x39AD0;
constexpr uint32_t TILES = 0x39C04, SOUND_SCRIPTS = 0x39C08, FLAG_MODELS = 0x39C30, SETS = 0x1532F8;
constexpr uint16_t SCRIPT_END = 0xFFFF;
constexpr int SCRIPTS = 3;

// Script entries (three words), returning the address after them.
uint32_t entries_put(synth_rom_set* set, uint32_t at, const synth_text_entry* e, int n) {
    for (int k = 0; k < n; k++, at += 6) {
        synth_put16(set, at, uint16_t(e[k].frame));
        synth_put16(set, at + 2, uint16_t(e[k].block));
        synth_put16(set, at + 4, uint16_t(e[k].column));
    }
    return at;
}

void script_end(synth_rom_set* set, uint32_t at) {
    const synth_text_entry end = {int16_t(SCRIPT_END), 0, 0};
    entries_put(set, at, &end, 1);
}

}  // namespace

void synth_inter_days(synth_rom_set* set) {
    for (uint32_t d = 0; d < 4; d++) {
        const synth_inter_day& r = SYNTH_INTER_DAYS[d];
        const int16_t words[4] = {r.first_set, r.last_set, r.script, r.end_frame};
        for (uint32_t k = 0; k < 4; k++) synth_put16(set, DAYS + 8 * d + 2 * k, uint16_t(words[k]));
    }
}

void synth_inter_sets(synth_rom_set* set) {
    for (uint32_t s = 0; s < 4; s++) {
        uint32_t list = SYNTH_INTER_SET_LISTS + 8 * s, nodes = SYNTH_INTER_NODE_LISTS + 8 * s;
        uint32_t record = SYNTH_INTER_RECORDS + 36 * s;
        synth_put32(set, SETS + 4 * s, list);
        synth_put32(set, list, nodes);
        synth_put32(set, list + 4, 0);
        synth_put32(set, nodes, record);
        synth_put32(set, nodes + 4, 0);
        synth_put32(set, record, uint32_t(SYNTH_MODEL_CUBE));
        synth_put32(set, record + 4, uint32_t(SYNTH_INTER_SET_LENGTHS[s]));
        synth_put32(set, record + 8, 0);  // no field lists
        const int32_t fields[6] = {0, -200, 1600, 0, int32_t(0x2000 * s), 0};
        for (uint32_t k = 0; k < 6; k++) synth_put32(set, record + 12 + 4 * k, uint32_t(fields[k]));
    }
}

void synth_inter_raw_sounds(synth_rom_set* set) {
    for (uint32_t n = 0; n < 4; n++) {
        const synth_raw_sound& r = SYNTH_RAW_SOUNDS[n];
        const uint16_t words[4] = {r.slot, r.command, r.param_slot, r.param};
        for (uint32_t k = 0; k < 4; k++) synth_put16(set, RAW_SOUNDS + 8 * n + 2 * k, words[k]);
    }
}

void synth_inter_sound_scripts(synth_rom_set* set) {
    for (uint32_t k = 0; k < SCRIPTS; k++) {
        uint32_t at = SYNTH_INTER_SOUND_SCRIPTS + 0x100 * k;
        synth_put32(set, SOUND_SCRIPTS + 4 * k, at);
        if (k == 2) {
            const synth_text_entry entries[] = {{3, 10, 5}, {3, 12, 7}, {5, 1, -1}, {8, -1, -1}, {9, 2, -1}, {9, 3, -1}};
            at = entries_put(set, at, entries, 6);
            for (int16_t p = 1; p <= 33; p++) {
                const synth_text_entry e = {10, 13, p};
                at = entries_put(set, at, &e, 1);
            }
        }
        script_end(set, at);
    }
}

void synth_inter_text_scripts(synth_rom_set* set) {
    for (uint32_t k = 0; k < SCRIPTS; k++) {
        uint32_t at = SYNTH_INTER_TEXT_SCRIPTS + 0x40 * k;
        synth_put32(set, TEXT_SCRIPTS + 4 * k, at);
        if (k == 2) at = entries_put(set, at, SYNTH_INTER_TEXT_2, 3);
        script_end(set, at);
    }
}

void synth_inter_tiles(synth_rom_set* set) {
    synth_put16(set, TILES, SYNTH_INTER_TILE);
    synth_put16(set, TILES + 2, SCRIPT_END);
    for (uint32_t k = 0; k < 16; k++) synth_put32(set, FLAG_MODELS + 4 * k, k);
}
