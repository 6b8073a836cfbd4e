#include "game/services/sound_tables.h"

#include "board/bus.h"

namespace {

// A table of `count` records of `size` bytes from `address`.
struct rom_table {
    uint32_t address;
    uint32_t size;
    int32_t count;
};

constexpr rom_table sound_table = {SOUND_TABLE, SOUND_RECORD_SIZE, SOUND_IDS};
constexpr rom_table course_ids = {COURSE_SOUND_IDS, 2, 4};
constexpr rom_table reset_list = {PARAM_RESET_LIST, 2, SOUND_LIST_MAX};
constexpr rom_table indexed_ids = {INDEXED_SOUND_IDS, 2, 7};
constexpr rom_table stem_targets = {STEM_TARGETS, 2, 128};
constexpr rom_table attract_phases = {ATTRACT_SOUND_PHASES, 2, 18};
constexpr rom_table point_list = {SOUND_POINT_LIST, 12, SOUND_LIST_MAX};
constexpr rom_table single_points = {SOUND_POINTS, 16, 3};
constexpr uint32_t COURSE_LIST_BYTES = 16;
constexpr int32_t COURSES = 4;

// The address of bytes field .. field + width - 1 of record i, when they lie in the
// table's record and in the ROM.
bool field_address(const rom_table& t, int32_t i, uint32_t field, uint32_t width, uint32_t* address) {
    if (i < 0 || i >= t.count || field + width > t.size) return false;
    uint32_t a = t.address + uint32_t(i) * t.size + field;
    if (a + width > PROGRAM_ROM_END) return false;
    *address = a;
    return true;
}

bool table_word(const rom_table& t, int32_t i, uint32_t field, int32_t* out) {
    uint32_t a;
    if (!field_address(t, i, field, 2, &a)) return false;
    *out = int16_t(bus_read16(a));
    return true;
}

bool table_long(const rom_table& t, int32_t i, uint32_t field, int32_t* out) {
    uint32_t a;
    if (!field_address(t, i, field, 4, &a)) return false;
    *out = bus_read32(a);
    return true;
}

// Entry k of a slot list: ends at a negative word.
bool list_slot(const rom_table& t, int32_t k, int32_t* slot) {
    int32_t v;
    if (!table_word(t, k, 0, &v) || v < 0) return false;
    *slot = v;
    return true;
}

bool point_read(const rom_table& t, int32_t k, sound_point* out) {
    return table_long(t, k, 0, &out->x) && table_long(t, k, 4, &out->y) && table_long(t, k, 8, &out->z);
}

}  // namespace

bool sound_record_read(int32_t id, sound_record* out) {
    uint32_t a;
    if (!field_address(sound_table, id, 0, SOUND_RECORD_SIZE, &a)) return false;
    out->slot = int16_t(bus_read16(a));
    out->command = uint32_t(bus_read16(a + 2));
    out->param_slot = int16_t(bus_read16(a + 4));
    out->hold = int16_t(bus_read16(a + 6));
    out->slot2 = int16_t(bus_read16(a + 8));
    out->value2 = uint32_t(bus_read16(a + 10));
    return true;
}

int32_t sound_table_max_cmd() {
    int32_t max = 0, command;
    for (int32_t id = 0; id < SOUND_IDS && table_word(sound_table, id, 2, &command) && command >= 0; id++)
        if (command > max) max = command;
    return max;
}

bool course_sound_id(int32_t course, int32_t* id) {
    return table_word(course_ids, course, 0, id);
}

bool param_reset_slot(int32_t k, int32_t* slot) {
    return list_slot(reset_list, k, slot);
}

bool course_slot(int32_t course, int32_t k, int32_t* slot) {
    if (course < 0 || course >= COURSES) return false;
    rom_table list = {COURSE_SLOT_LISTS + COURSE_LIST_BYTES * uint32_t(course), 2, SOUND_LIST_MAX};
    return list_slot(list, k, slot);
}

bool indexed_sound_id(int32_t i, int32_t* id) {
    return table_word(indexed_ids, i, 0, id);
}

bool stem_target(int32_t cell, int32_t* target) {
    return table_word(stem_targets, cell, 0, target);
}

bool attract_phase_sound(int32_t phase, int32_t* word) {
    return phase >= 0 && table_word(attract_phases, phase / 2, 0, word);
}

bool sound_point_list_read(int32_t k, sound_point* out) {
    return point_read(point_list, k, out) && out->x >= 0;
}

bool sound_point_read(int32_t which, sound_point* out) {
    return point_read(single_points, which, out);
}
