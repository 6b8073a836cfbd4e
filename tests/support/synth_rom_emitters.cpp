#include "tests/support/synth_rom_tables.h"

void synth_object_records(synth_rom_set* set) {
    for (uint32_t r = 0; r < 3; r++) {
        const synth_object_record& o = SYNTH_OBJECT_RECORDS[r];
        uint32_t at = 0x36424 + 28 * r;
        const int32_t longs[7] = {o.mask, o.matched_model, o.other_model, 0, o.dx, o.dy, o.dz};
        for (uint32_t k = 0; k < 7; k++) synth_put32(set, at + 4 * k, uint32_t(longs[k]));
    }
}

void synth_segment_models(synth_rom_set* set) {
    for (uint32_t k = 0; k < 8; k++) synth_put16(set, 0x36414 + 2 * k, uint16_t(SYNTH_SEGMENT_MODELS[k]));
}

void synth_submodel_offsets(synth_rom_set* set) {
    for (int16_t v : SYNTH_SEGMENT_MODELS) {
        synth_put32(set, 0x3543C + 8 * uint32_t(v), uint32_t(1000 * v));
        synth_put32(set, 0x35440 + 8 * uint32_t(v), uint32_t(-500 * v));
    }
}

void synth_submodel_sizes(synth_rom_set* set) {
    for (int16_t v : SYNTH_SEGMENT_MODELS)
        for (uint32_t k = 0; k < 3; k++) synth_put32(set, 0x34BA0 + 12 * uint32_t(v) + 4 * k, uint32_t(100 * (k + 1) * v));
}

void synth_train_records(synth_rom_set* set) {
    for (uint32_t r = 0; r < 3; r++) {
        const synth_train_record& t = SYNTH_TRAIN_RECORDS[r];
        uint32_t at = 0x36108 + 20 * r;
        synth_put32(set, at, uint32_t(t.x));
        synth_put32(set, at + 4, uint32_t(t.y));
        synth_put32(set, at + 8, uint32_t(t.z));
        synth_put16(set, at + 12, uint16_t(t.a));
        synth_put16(set, at + 14, uint16_t(t.b));
        synth_put16(set, at + 16, uint16_t(t.c));
    }
}

void synth_chain_tilts(synth_rom_set* set) {
    for (int k = 0; k < 8; k++) synth_put16(set, 0x3808C + 2 * uint32_t(k), uint16_t(synth_chain_tilt(k)));
}

void synth_chain_turns(synth_rom_set* set) {
    for (int k = 0; k < 8; k++) synth_put16(set, 0x3809C + 2 * uint32_t(k), uint16_t(synth_chain_turn(k)));
}

void synth_radial_tilts(synth_rom_set* set) {
    for (int i = 0; i < 8; i++) synth_put16(set, 0x39218 + 2 * uint32_t(i), uint16_t(synth_radial_tilt(i)));
}

void synth_backdrop_models(synth_rom_set* set) {
    for (int k = 0; k < 8; k++) synth_put32(set, 0x391F8 + 4 * uint32_t(k), uint32_t(synth_backdrop_model(k)));
}

void synth_range_records(synth_rom_set* set) {
    uint32_t at = 0x39228;
    for (const synth_range_record& r : SYNTH_RANGE_RECORDS) {
        const int32_t longs[5] = {r.start, r.end, r.y0, r.y1, r.angle};
        for (uint32_t k = 0; k < 5; k++) synth_put32(set, at + 4 * k, uint32_t(longs[k]));
        at += 20;
    }
    synth_put32(set, at, 0xFFFFFFFFu);
}

void synth_prop_animation_words(synth_rom_set* set) {
    for (int i = 0; i < 16; i++) synth_put16(set, 0x35000 + 4 * uint32_t(i), uint16_t(synth_prop_animation(i)));
}

void synth_course2_hooks(synth_rom_set* set) {
    for (int n = 0; n < 128; n++) synth_put16(set, 0x54F8 + 2 * uint32_t(n), uint16_t(synth_hook_choice(n)));
}

void synth_letter_models(synth_rom_set* set) {
    for (int i = 0; i < SYNTH_LETTER_MODELS; i++) synth_put32(set, 0x37990 + 4 * uint32_t(i), uint32_t(synth_letter_model(i)));
}

void synth_ending_list(synth_rom_set* set) {
    uint32_t at = SYNTH_ENDING_LIST;
    for (const synth_list_record& r : SYNTH_ENDING_RECORDS) {
        const int32_t longs[5] = {r.model, r.x, r.y, r.z, r.mode};
        for (uint32_t k = 0; k < 5; k++) synth_put32(set, at + 4 * k, uint32_t(longs[k]));
        at += 20;
    }
    synth_put32(set, at, 0xFFFFFFFFu);
}

void synth_backdrop_records(synth_rom_set* set) {
    for (int i = 0; i < 4; i++)
        for (int k = 0; k < 7; k++)
            synth_put32(set, SYNTH_BACKDROP_TABLE + 28 * uint32_t(i) + 4 * uint32_t(k), uint32_t(synth_backdrop_long(i, k)));
}

void synth_menu_lists(synth_rom_set* set) {
    const uint32_t text = 0x1F9300;
    static const int16_t label_palette[3] = {1, 1, 3};
    for (uint32_t i = 0; i < 3; i++) {
        uint32_t at = SYNTH_MENU_LABELS + 12 * i, string = text + 16 * i;
        synth_put_string(set, string, SYNTH_MENU_LABEL_TEXT[i]);
        synth_put32(set, at, string);
        const int16_t words[4] = {2, int16_t(4 + i), label_palette[i], int16_t(i)};
        for (uint32_t k = 0; k < 4; k++) synth_put16(set, at + 4 + 2 * k, uint16_t(words[k]));
    }
    synth_put32(set, SYNTH_MENU_LABELS + 36, 0);
    for (uint32_t i = 0; i < 5; i++) {
        const synth_menu_value& v = SYNTH_MENU_VALUE_RECORDS[i];
        uint32_t at = SYNTH_MENU_VALUES + 24 * i;
        synth_put32(set, at, SYNTH_MENU_VALUE_AT + 2 * i);
        synth_put32(set, at + 4, uint32_t(v.kind));
        const int16_t words[8] = {v.column, v.row, v.lower, v.upper, v.width, v.factory, v.no_value, v.item};
        for (uint32_t k = 0; k < 8; k++) synth_put16(set, at + 8 + 2 * k, uint16_t(words[k]));
    }
    synth_put32(set, SYNTH_MENU_VALUES + 24 * 5, 0);
    for (uint32_t s = 0; s < 3; s++) {
        uint32_t string = text + 0x80 + 16 * s;
        synth_put_string(set, string, SYNTH_MENU_STRING_TEXT[s]);
        synth_put32(set, SYNTH_MENU_STRINGS + 4 * s, string);
    }
}
