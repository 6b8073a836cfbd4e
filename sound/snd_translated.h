// The translated sound program: the sound driver's code (bank 0, 0xC030-0xFFFF) cut
// into per-address, per-M/X operand streams when the driver is loaded, so that one
// dispatch runs one driver instruction without decoding it; hook sites offer the step
// to their readable routine first.
#pragma once
#include "sound/m37702.h"
#include "sound/m37702_decode.h"

constexpr uint32_t SND_TABLE_FIRST = 0xC030;
constexpr uint32_t SND_TABLE_ENTRIES = 0x10000 - SND_TABLE_FIRST;  // 16,336 addresses

struct snd_translated_entry {
    const uint8_t* stream[4];  // by M/X state; null = no variant
    uint8_t length[4];         // bytes of each stream, the 0x42 prefix included
    int8_t hook;               // index into snd_hook_sites, -1 for none
    bool translated;           // false: the address is absent from the table
};

// A start of the translation walk besides the vectors and the hook sites: a driver
// address where a readable routine hands the step back to the emulated code, with the
// M/X states (bit m) it does so in.
struct snd_walk_root {
    uint16_t address;
    uint8_t mx_states;
};
extern const snd_walk_root snd_continuation_roots[];
extern const int snd_continuation_root_count;

// Strict (for tests): a dispatch that finds no variant halts the driver. Otherwise a
// pair the walk did not reach (a target of a jump through a RAM vector) is translated
// on its first dispatch and kept.
extern bool snd_translated_strict;

// The per-address execution counts of SKYVOLTA_SNDXPROF (null when off).
extern uint32_t* snd_profile_counts;

// Builds the table from a driver image of 524,288 bytes (kept and read for later
// translations): a walk from every vector in all four M/X states, from the hook sites
// and from the continuation roots, following fall-through, branches, bit-test
// branches, JSR/JMP to bank 0 and the width changes of SEP, CLP, SEM and CLM.
// Returns the number of variants.
int snd_translated_build(const uint8_t* rom);
int snd_translated_variant_count();
// The entry of an address; null outside 0xC030-0xFFFF.
const snd_translated_entry* snd_translated_entry_at(uint32_t address);

// After each load of the driver: builds the table from sound_driver_rom, sets up the
// profile on the first call, prints the variant count.
void snd_translated_init();
// One dispatch at pg:pc (see the run loop for the servicing around it).
void snd_translated_program(m377_state* s);

// A variant decoded ahead, element (address - SND_TABLE_FIRST) << 2 | M/X: its executor,
// its operand bytes (after the opcode) and the prefix and opcode bytes before them (1
// or 2). Null `perform`: the pair takes the full dispatch (no variant, a hook site, or
// the profile on).
struct snd_decoded_step {
    m377_performer perform;
    const uint8_t* operands;
    uint32_t taken;
};
extern snd_decoded_step snd_decoded_steps[SND_TABLE_ENTRIES * 4];

// The dispatch through the entry table: the profile count, hook sites, halts for what
// has no translation, late translations.
void snd_translated_dispatch_full(m377_state* s);

// An instruction whose prefix and opcode come from its stream: one cycle and one pc step
// per byte taken, one cycle for the dispatch, then the executor reading its operands
// from the stream, and the trail.
inline void snd_run_decoded(m377_state* s, m377_performer perform, const uint8_t* operands, uint32_t taken) {
    uint16_t start = s->pc;
    s->acc_b = taken == 2;
    s->operand_ptr = operands;
    s->pc = uint16_t(start + taken);
    s->fetch_count += taken;
    s->cycles += taken + 1;
    if (perform(s)) m377_trail(s, start);
    s->operand_ptr = nullptr;
}

// snd_translated_program inline, for the run loop: the decoded variant when there is one.
[[gnu::always_inline]] inline void snd_translated_step(m377_state* s) {
    uint32_t index = (uint32_t(s->pg) << 16 | s->pc) - SND_TABLE_FIRST;
    if (index < SND_TABLE_ENTRIES) {
        const snd_decoded_step& d = snd_decoded_steps[index << 2 | m377_mx_state(s->ps)];
        if (d.perform) {
            snd_run_decoded(s, d.perform, d.operands, d.taken);
            return;
        }
    }
    snd_translated_dispatch_full(s);
}
// Halts the driver (code -1) with the "[SND] TRANSLATED DRIVER" line; pc and cycles unchanged.
int snd_translated_halt(m377_state* s, uint32_t address, const char* reason);
// Writes the profile ("%04X %u" per executed address) at exit.
void snd_profile_write();
