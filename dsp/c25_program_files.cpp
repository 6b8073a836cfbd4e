// Loading DSP program memory from raw big-endian word files.
#include "dsp/c25.h"

#include "base/byte_order.h"

#include <cstdio>

namespace {

// Words from the file at path into prog[base..], at most max_words; false (with its
// message) when the file cannot be opened.
bool load_words(uint16_t* prog, const char* path, uint32_t base, uint32_t max_words) {
    FILE* f = fopen(path, "rb");
    if (!f) {
        fprintf(stderr, "[MASTER] cannot open DSP program file %s\n", path);
        return false;
    }
    uint8_t bytes[2];
    for (uint32_t n = 0; n < max_words && fread(bytes, 1, 2, f) == 2; n++) prog[base + n] = load_be16(bytes);
    fclose(f);
    return true;
}

}  // namespace

bool c25_load_program_files(uint16_t* prog, const char* low_path, const char* high_path) {
    if (high_path && !load_words(prog, high_path, C25_HIGH_PROGRAM_BASE, C25_HIGH_PROGRAM_WORDS)) return false;
    if (!low_path) return true;
    return load_words(prog, low_path, 0, C25_LOW_PROGRAM_WORDS);
}
