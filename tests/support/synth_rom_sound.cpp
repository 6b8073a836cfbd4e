#include "tests/support/synth_rom_tables.h"

#include <cmath>
#include <cstring>

void synth_wave_tone(synth_rom_set* set) {
    for (uint32_t i = 0; i < SYNTH_WAVE_TONE_LEN; i++) {
        double phase = 2.0 * M_PI * i / SYNTH_WAVE_TONE_LEN;
        set->wave_a[SYNTH_WAVE_TONE_ADDR + i] = uint8_t(int8_t(std::lround(SYNTH_WAVE_TONE_PEAK * std::sin(phase))));
    }
}

void synth_driver_command_table(uint8_t* driver_image) {
    uint8_t* bank = driver_image + 0x10000;
    bank[0] = uint8_t(SYNTH_COMMAND_TABLE);
    bank[1] = uint8_t(SYNTH_COMMAND_TABLE >> 8);
    for (uint32_t n = 0; n < 0x800; n++) {
        uint8_t* entry = bank + SYNTH_COMMAND_TABLE + 3 * n;
        uint32_t sequence = SYNTH_SEQUENCE_BASE + 16 * n;
        entry[0] = uint8_t(sequence);
        entry[1] = uint8_t(sequence >> 8);
        entry[2] = uint8_t(SYNTH_SEQUENCE_BANK);
    }
}

void synth_driver_sequences(uint8_t* driver_image) {
    uint8_t* bank = driver_image + 0x20000;
    for (uint32_t n = 0; n < 0x800; n++) {
        uint8_t* p = bank + SYNTH_SEQUENCE_BASE + 16 * n;
        if ((n & (SYNTH_TUNE_COMMAND | 0x400)) == SYNTH_TUNE_COMMAND) {
            const uint8_t jump[4] = {0x13, uint8_t(SYNTH_TUNE_ADDRESS), uint8_t(SYNTH_TUNE_ADDRESS >> 8), 0x21};
            memcpy(p, jump, sizeof jump);
            continue;
        }
        *p++ = 0x18;
        for (uint8_t field : {0x07, 0x09}) {
            *p++ = 0x02;
            *p++ = field;
            *p++ = 8;
        }
        if (n & 0x400) {
            *p++ = 0x07;
            *p++ = uint8_t((n + 1) & 31);
            *p++ = uint8_t(n);
            *p++ = uint8_t((n & 0x3FF) >> 8);
        }
        *p++ = uint8_t(0x80 | ((n & 31) + 3));
        *p = 0x12;
    }
}

void synth_driver_key_maps(uint8_t* driver_image) {
    uint8_t* bank = driver_image + 0x10000;
    bank[0x0C] = uint8_t(SYNTH_KEY_MAPS);
    bank[0x0D] = uint8_t(SYNTH_KEY_MAPS >> 8);
    for (uint32_t f = 1; f <= 16; f++) {
        uint8_t* entry = bank + SYNTH_KEY_MAPS + 16 * (f - 1);
        for (uint32_t j = 0; j < 8; j++) {
            entry[1 + 2 * j] = uint8_t(4 * f + j);
            entry[2 + 2 * j] = uint8_t(0x10 * (j + 1));
        }
    }
}

namespace {

void driver_words(uint8_t* driver_image, uint32_t address, uint32_t value) {
    for (uint32_t i = 0; i < 16; i++) {
        driver_image[address + 2 * i] = uint8_t(value);
        driver_image[address + 2 * i + 1] = uint8_t(value >> 8);
    }
}

}  // namespace

void synth_driver_condition_words(uint8_t* driver_image) {
    driver_words(driver_image, 0xDE90, SYNTH_CONDITION_CONTINUATION);
}

void synth_driver_operation_words(uint8_t* driver_image) {
    driver_words(driver_image, 0xDDF7, SYNTH_OPERATION_CONTINUATION);
}

void synth_driver_id_bytes(uint8_t* driver_image, uint8_t byte2, uint8_t byte3) {
    driver_image[2] = byte2;
    driver_image[3] = byte3;
}

synth_sound_entry synth_sound_record(int32_t id) {
    for (const synth_sound_entry& e : SYNTH_SOUND_RECORDS)
        if (e.id == id) return e;
    int16_t slot = int16_t(id % 32);
    return {id, slot, uint16_t(0x0100 + id), slot, 0, -1, 0};
}

void synth_sound_table(synth_rom_set* set) {
    constexpr uint32_t table = 0x0355A4;
    for (int32_t id = 0; id < 89; id++) {
        synth_sound_entry e = synth_sound_record(id);
        uint32_t at = table + 12 * uint32_t(id);
        const uint16_t fields[6] = {uint16_t(e.slot),  e.command,          uint16_t(e.param_slot),
                                    uint16_t(e.hold),  uint16_t(e.slot2),  e.value2};
        for (uint32_t f = 0; f < 6; f++) synth_put16(set, at + 2 * f, fields[f]);
    }
    for (uint32_t f = 0; f < 6; f++) synth_put16(set, 0x0359D0 + 2 * f, 0xFFFF);
}

void synth_course_sound_ids(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++) synth_put16(set, 0x0359DC + 2 * c, uint16_t(SYNTH_COURSE_SOUND_IDS[c]));
}

void synth_param_reset_list(synth_rom_set* set) {
    constexpr uint32_t words = 9;
    for (uint32_t k = 0; k < words; k++) {
        bool slot = k < sizeof SYNTH_PARAM_RESET_SLOTS / sizeof SYNTH_PARAM_RESET_SLOTS[0];
        synth_put16(set, 0x0359E4 + 2 * k, slot ? uint16_t(SYNTH_PARAM_RESET_SLOTS[k]) : 0xFFFF);
    }
}

void synth_indexed_sound_ids(synth_rom_set* set) {
    for (uint32_t i = 0; i < 7; i++) synth_put16(set, 0x0359F6 + 2 * i, uint16_t(SYNTH_INDEXED_SOUND_IDS[i]));
}

void synth_course_slot_lists(synth_rom_set* set) {
    for (uint32_t c = 0; c < 4; c++)
        for (uint32_t k = 0; k < 8; k++)
            synth_put16(set, 0x035A04 + 16 * c + 2 * k, k < 4 ? uint16_t(SYNTH_COURSE_SLOTS[c][k]) : 0xFFFF);
}

void synth_stem_targets(synth_rom_set* set) {
    for (int32_t cell = 0; cell < 128; cell++)
        synth_put16(set, 0x035A44 + 2 * uint32_t(cell), uint16_t(synth_stem_target(cell)));
}

void synth_attract_sound_phases(synth_rom_set* set) {
    for (uint32_t j = 0; j < 18; j++) synth_put16(set, 0x035B44 + 2 * j, uint16_t(SYNTH_ATTRACT_SOUND_PHASES[j]));
}

namespace {

void point_put(synth_rom_set* set, uint32_t at, const synth_point& p) {
    synth_put32(set, at, uint32_t(p.x));
    synth_put32(set, at + 4, uint32_t(p.y));
    synth_put32(set, at + 8, uint32_t(p.z));
}

}  // namespace

void synth_sound_point_list(synth_rom_set* set) {
    for (uint32_t k = 0; k < 4; k++) point_put(set, 0x035B68 + 12 * k, SYNTH_SOUND_POINT_LIST[k]);
    synth_put32(set, 0x035B98, 0xFFFFFFFFu);
}

void synth_sound_points(synth_rom_set* set) {
    for (uint32_t k = 0; k < 3; k++) point_put(set, 0x035B9C + 16 * k, SYNTH_SOUND_POINTS[k]);
}
