// Tables of fixed-size records in the program ROM. Each table the game program reads
// is described once (address, record size, record count); every read goes through it
// and is refused when the record lies outside the table, the field outside the record
// or either past the ROM. A refused read gives 0.
#pragma once
#include <cstdint>

struct rom_table {
    uint32_t address;
    uint32_t record_bytes;
    uint32_t count;
};

// The byte, the signed word or the long at byte `offset` of record `index`.
int32_t rom_table_byte(const rom_table& t, int64_t index, uint32_t offset);
int32_t rom_table_word(const rom_table& t, int64_t index, uint32_t offset);
int32_t rom_table_long(const rom_table& t, int64_t index, uint32_t offset);
// The ROM address of record `index`, or 0 when it lies outside the table or the ROM.
uint32_t rom_table_record(const rom_table& t, int64_t index);

// The program ROM's sine table as raw words: word k at 0x20B000 + 2k. The emitters
// pick single words out of it (the word before an angle's sine, its sine, its cosine).
constexpr rom_table ROM_SINE_WORDS = {0x20B000, 2, 0x8002};
// The signed word at a program-ROM address inside the sine table, 0 elsewhere.
int32_t sine_table_word(uint32_t address);
