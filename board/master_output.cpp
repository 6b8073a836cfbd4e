#include "board/master_output.h"

#include "board/board_memory.h"

#include <cstring>

master_output_record master_published;

static_assert(sizeof dspram == MASTER_OUTPUT_WORDS * 4, "one output word per DSP RAM word");

void master_output_publish() {
    uint32_t* out = master_published.words;
    memcpy(out, dspram, sizeof dspram);
    for (uint32_t i = 0; i < MASTER_OUTPUT_WORDS; i++) out[i] &= 0xFFFFFF;
    master_published.shown = true;
}

const uint32_t* master_output() {
    return master_published.shown ? master_published.words : nullptr;
}
