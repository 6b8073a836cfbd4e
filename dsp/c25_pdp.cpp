// The point-data list walker (PDP) behind IN 2: stores and block copies between the
// point ROM, point RAM and DSP RAM, laid out as a command list in DSP RAM. It reaches
// DSP RAM directly, without the DSP's access mode or latch.
#include "dsp/c25_memory.h"

#include <cstdio>

namespace {

constexpr uint32_t list_start_word = 0x7FFF;  // holds the index of the first command
constexpr uint32_t command_budget = 200000;
// A runaway list could copy 200,000 blocks of 65,535 words; the walk stops at this many.
constexpr uint64_t moved_word_budget = 1048576;

enum command : uint32_t {
    cmd_nop = 0xFFF0,
    cmd_point_store = 0xFFF5,
    cmd_point_fetch = 0xFFF6,
    cmd_dspram_copy = 0xFFF7,
    cmd_skip_one = 0xFFF8,
    cmd_point_block_fetch = 0xFFFA,
    cmd_inline_store = 0xFFFB,
    cmd_point_block_copy = 0xFFFC,
    cmd_skip_block = 0xFFFD,
    cmd_skip_one_too = 0xFFFE,
    cmd_jump = 0xFFFF,
};

struct walk {
    c25_state* s;
    uint64_t moved;

    uint32_t& word(uint32_t index) { return s->dspram[index & (C25_DSPRAM_WORDS - 1)]; }

    void set_word(uint32_t index, int32_t value) {
        word(index) = uint32_t(value);
        c25_mark(s, index);
    }

    void point_store(uint32_t address, uint32_t value) {
        if (uint32_t* slot = c25_point_ram_slot(s, address)) *slot = value & C25_POINT_WORD_MASK;
    }

    // Carries out the command at i; false when it ends the list, else the next index.
    bool command(uint32_t i, uint32_t* next) {
        uint32_t op1 = word(i + 1), op2 = word(i + 2), count3 = word(i + 3) & 0xFFFF;
        switch (word(i) & 0xFFFF) {
        case cmd_nop: *next = i + 1; return true;
        case cmd_point_store:
            point_store(op1, op2);
            moved++;
            *next = i + 3;
            return true;
        case cmd_point_fetch:
            set_word(op2, c25_point_read(s, op1));
            moved++;
            *next = i + 3;
            return true;
        case cmd_dspram_copy:
            for (uint32_t k = 0; k < count3; k++) set_word(op2 + k, sign_extend24(word(op1 + k)));
            moved += count3;
            *next = i + 4;
            return true;
        case cmd_point_block_fetch:
            for (uint32_t k = 0; k < count3; k++) set_word(op2 + k, c25_point_read(s, op1 + k));
            moved += count3;
            *next = i + 4;
            return true;
        case cmd_inline_store: {
            uint32_t n = op2 & 0xFFFF;
            for (uint32_t k = 0; k < n; k++) point_store(op1 + k, word(i + 3 + k));
            moved += n;
            *next = i + 3 + n;
            return true;
        }
        case cmd_point_block_copy:
            for (uint32_t k = 0; k < count3; k++) point_store(op2 + k, uint32_t(c25_point_read(s, op1 + k)));
            moved += count3;
            *next = i + 4;
            return true;
        case cmd_skip_one:
        case cmd_skip_one_too: *next = i + 2; return true;
        case cmd_skip_block: *next = i + 2 + (op1 & 0xFFFF); return true;
        case cmd_jump:
            *next = op1 & (C25_DSPRAM_WORDS - 1);
            return *next != i;  // a jump to itself ends the list
        default: return false;  // 0xFFF1-0xFFF4, 0xFFF9 and every word below 0xFFF0
        }
    }
};

void walk_list(c25_state* s) {
    walk w{s, 0};
    uint32_t i = w.word(list_start_word) & (C25_DSPRAM_WORDS - 1);
    for (uint32_t budget = command_budget;;) {
        uint32_t next;
        if (!w.command(i, &next)) return;
        if (--budget == 0 || w.moved >= moved_word_budget) {
            snprintf(s->error_text, sizeof s->error_text, "PDP runaway");
            return;
        }
        i = next & (C25_DSPRAM_WORDS - 1);
    }
}

}  // namespace

void c25_pdp_run(c25_state* s) {
    if (s->pdp_enable && s->dspram) walk_list(s);
    if (s->on_pdp_done) s->on_pdp_done(s);
    s->pdp_runs++;
    s->bio = 0;
}
