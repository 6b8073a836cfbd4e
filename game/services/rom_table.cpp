#include "game/services/rom_table.h"

#include "board/board_memory.h"
#include "board/bus.h"

namespace {

// The ROM address of bytes offset .. offset + size - 1 of record index, when they lie
// inside the table and the ROM.
bool field_address(const rom_table& t, int64_t index, uint32_t offset, uint32_t size, uint32_t* at) {
    if (index < 0 || index >= int64_t(t.count) || uint64_t(offset) + size > t.record_bytes) return false;
    uint64_t a = uint64_t(t.address) + uint64_t(index) * t.record_bytes + offset;
    if (a + size > PROGRAM_ROM_END) return false;
    *at = uint32_t(a);
    return true;
}

// The big-endian field, or -1 when refused.
int64_t field(const rom_table& t, int64_t index, uint32_t offset, uint32_t size) {
    uint32_t at;
    if (!field_address(t, index, offset, size, &at)) return -1;
    uint32_t v = 0;
    for (uint32_t i = 0; i < size; i++) v = v << 8 | program_rom[at + i];
    return v;
}

}  // namespace

int32_t rom_table_byte(const rom_table& t, int64_t index, uint32_t offset) {
    int64_t v = field(t, index, offset, 1);
    return v < 0 ? 0 : int32_t(v);
}

int32_t rom_table_word(const rom_table& t, int64_t index, uint32_t offset) {
    int64_t v = field(t, index, offset, 2);
    return v < 0 ? 0 : int16_t(uint16_t(v));
}

int32_t rom_table_long(const rom_table& t, int64_t index, uint32_t offset) {
    int64_t v = field(t, index, offset, 4);
    return v < 0 ? 0 : int32_t(uint32_t(v));
}

uint32_t rom_table_record(const rom_table& t, int64_t index) {
    uint32_t at;
    return field_address(t, index, 0, t.record_bytes, &at) ? at : 0;
}

int32_t sine_table_word(uint32_t address) {
    if (address < ROM_SINE_WORDS.address) return 0;
    uint32_t at = address - ROM_SINE_WORDS.address;
    return at % 2 ? 0 : rom_table_word(ROM_SINE_WORDS, at / 2, 0);
}
