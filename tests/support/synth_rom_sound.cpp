#include "tests/support/synth_rom_tables.h"

#include <cmath>

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
