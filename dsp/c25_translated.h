// The master DSP's translated program: one decoded instruction per instruction start of
// the BIOS (program memory 0x0000-0x03B7) and of the game's DSP program (0x4008-0x5929),
// held in a table of 22,826 entries, one per address 0x0000-0x5929, each with the words
// it was made from. Only the sixteen stretches below are translated: words outside
// them, the second word of a two-word instruction and a word that decodes to no
// instruction have no entry.
//
// The BIOS entries come from the BIOS image; the game entries from the words uploaded
// at boot, so the check before each instruction guards against later changes of
// program memory.
#pragma once
#include "dsp/c25.h"
#include "dsp/c25_decode.h"

#include <cstdint>

// One stretch of program memory that holds instructions from its first word to its
// last, and what the game's DSP program decodes to there.
struct c25_stretch {
    uint16_t first, last;
    uint16_t instructions, two_word;
};

constexpr uint32_t C25_BIOS_STRETCHES = 4;
constexpr c25_stretch C25_STRETCHES[16] = {
    // the BIOS: its counts are whatever the image decodes to
    {0x0000, 0x0007, 0, 0},  // reset vector, INT0-INT2 vectors
    {0x0018, 0x024E, 0, 0},
    {0x0250, 0x028E, 0, 0},
    {0x031B, 0x03B7, 0, 0},
    // the game's DSP program
    {0x4008, 0x493D, 2071, 287},
    {0x49E4, 0x4A00, 25, 4},
    {0x4AFF, 0x4DC0, 676, 30},
    {0x4DC9, 0x5111, 736, 105},
    {0x5114, 0x5143, 43, 5},
    {0x5258, 0x5265, 11, 3},
    {0x5268, 0x52CA, 86, 13},
    {0x5511, 0x563D, 267, 34},
    {0x565E, 0x566D, 8, 8},
    {0x566F, 0x5721, 156, 23},
    {0x57CC, 0x5865, 140, 14},
    {0x5889, 0x592A, 149, 13},
};
constexpr uint32_t C25_TRANSLATED_ENTRIES = 0x592A;  // addresses 0x0000-0x5929

// Translated instruction starts and two-word instructions (the operand records).
struct c25_translation_counts {
    uint32_t addresses;
    uint32_t records;
};

// Fills the entries of stretches [from, to) from `words` (program memory by address):
// each stretch decoded from its first word on, one instruction after the other, up to
// its last word. A two-word instruction that would end past its stretch stays
// untranslated. Entries of these stretches made before are dropped first.
void c25_translate_stretches(const uint16_t* words, uint32_t from, uint32_t to);
// The BIOS stretches from the BIOS image, the game stretches from program memory.
void c25_translate_bios();
void c25_translate_game(const uint16_t* prog);

// What stretch k decodes to in the table.
c25_translation_counts c25_translated_counts(uint32_t stretch);
// The same over the BIOS stretches or over the game stretches.
c25_translation_counts c25_translated_bios_counts();
c25_translation_counts c25_translated_game_counts();

// The translated instruction at pc, or null.
const c25_decoded* c25_translated_entry(uint16_t pc);

// Executes the instruction at pc (the record's `translated_program`). Faults: pc
// without an entry, "no translation for this address"; program memory unlike the
// entry's words (either word of a two-word instruction), "program memory holds no
// translated program here", at the instruction's own address with nothing changed.
int c25_translated_program(c25_state* s, uint16_t pc);
