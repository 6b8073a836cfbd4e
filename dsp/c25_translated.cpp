// The translated-program table and the dispatch through it.
#include "dsp/c25_translated.h"

#include "dsp/c25_arith.h"
#include "dsp/c25_bios.h"
#include "dsp/c25_execute.h"

#include <cstring>

namespace {

// Entry per program address; length 0 marks an address without a translation.
c25_decoded table[C25_TRANSLATED_ENTRIES];

constexpr uint32_t stretch_count = sizeof C25_STRETCHES / sizeof C25_STRETCHES[0];

// In address order, inside program memory, the last one ending on the word after the
// last entry (the second word of its last instruction).
constexpr bool stretches_in_order() {
    for (uint32_t k = 0; k < stretch_count; k++) {
        const c25_stretch& st = C25_STRETCHES[k];
        if (st.first > st.last || (k > 0 && st.first <= C25_STRETCHES[k - 1].last)) return false;
    }
    return C25_STRETCHES[stretch_count - 1].last == C25_TRANSLATED_ENTRIES;
}
static_assert(stretches_in_order());

c25_translation_counts counts_over(uint32_t from, uint32_t to) {
    c25_translation_counts n{};
    for (uint32_t k = from; k < to; k++) {
        c25_translation_counts c = c25_translated_counts(k);
        n.addresses += c.addresses;
        n.records += c.records;
    }
    return n;
}

}  // namespace

void c25_translate_stretches(const uint16_t* words, uint32_t from, uint32_t to) {
    for (uint32_t k = from; k < to && k < stretch_count; k++) {
        const c25_stretch& st = C25_STRETCHES[k];
        uint32_t end = st.last < C25_TRANSLATED_ENTRIES ? st.last + 1 : C25_TRANSLATED_ENTRIES;
        memset(&table[st.first], 0, (end - st.first) * sizeof table[0]);
        for (uint32_t a = st.first; a <= st.last;) {
            c25_decoded d = c25_decode(words[a], a < st.last ? words[a + 1] : 0);
            if (a + d.length - 1 > st.last) break;
            // An instruction starting on the last stretch's last word has no entry.
            if (d.op != c25_op_none && a < end) table[a] = d;
            a += d.length;
        }
    }
}

void c25_translate_bios() {
    c25_translate_stretches(c25_bios_words(), 0, C25_BIOS_STRETCHES);
}

void c25_translate_game(const uint16_t* prog) {
    c25_translate_stretches(prog, C25_BIOS_STRETCHES, stretch_count);
}

c25_translation_counts c25_translated_counts(uint32_t stretch) {
    c25_translation_counts n{};
    if (stretch >= stretch_count) return n;
    const c25_stretch& st = C25_STRETCHES[stretch];
    for (uint32_t a = st.first; a <= st.last && a < C25_TRANSLATED_ENTRIES; a++) {
        if (!table[a].length) continue;
        n.addresses++;
        n.records += table[a].length == 2;
    }
    return n;
}

c25_translation_counts c25_translated_bios_counts() {
    return counts_over(0, C25_BIOS_STRETCHES);
}

c25_translation_counts c25_translated_game_counts() {
    return counts_over(C25_BIOS_STRETCHES, stretch_count);
}

const c25_decoded* c25_translated_entry(uint16_t pc) {
    return pc < C25_TRANSLATED_ENTRIES && table[pc].length ? &table[pc] : nullptr;
}

int c25_translated_program(c25_state* s, uint16_t pc) {
    const c25_decoded* d = c25_translated_entry(pc);
    if (!d) return c25_fault(s, pc, "no translation for this address");
    // pc + 1 stays inside program memory: the last entry is 0x5929.
    if (s->prog[pc] != d->words.first || (d->length == 2 && s->prog[pc + 1] != d->words.second))
        return c25_fault(s, pc, "program memory holds no translated program here");
    return c25_execute(s, d, pc);
}
