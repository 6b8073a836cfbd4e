// The master DSP's published picture: after each good frame run the master DSP path
// (dsp/) copies DSP RAM here, word by word with the low 24 bits kept, and the renderer
// (render/) draws it in place of its own scene expansion. The two are sibling layers;
// this record is where they meet.
#pragma once
#include <cstdint>

constexpr uint32_t MASTER_OUTPUT_WORDS = 0x8000;

struct master_output_record {
    uint32_t words[MASTER_OUTPUT_WORDS];
    bool shown;  // the words hold a finished frame and the path still runs
};
extern master_output_record master_published;

// Copies DSP RAM into the words (low 24 bits of each) and shows them.
void master_output_publish();

// The words while they are shown, else null: the renderer then expands the scene itself.
const uint32_t* master_output();
