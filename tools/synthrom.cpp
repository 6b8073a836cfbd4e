// synthrom: writes the project's synthetic ROM set for tests and local runs.
//   synthrom DIR            the 28 files into DIR
//   synthrom --zip PATH     skyvolta.zip (deflated members) at PATH
// An argument that begins with '-' and is not --zip is refused: "--help" or a mistyped
// option is never meant as the name of a folder to fill.
#include "tests/support/synth_rom.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool zip = argc == 3 && strcmp(argv[1], "--zip") == 0;
    const char* target = zip ? argv[2] : argc == 2 ? argv[1] : nullptr;
    if (!target || target[0] == '-') {
        fprintf(stderr, "usage: synthrom DIR | synthrom --zip PATH\n");
        return 2;
    }
    synth_rom_set* set = synth_rom_new();
    if (!set) {
        fprintf(stderr, "synthrom: out of memory\n");
        return 1;
    }
    bool ok = zip ? synth_rom_write_zip(set, target) : synth_rom_write_dir(set, target);
    synth_rom_free(set);
    if (!ok) {
        fprintf(stderr, "synthrom: cannot write %s\n", target);
        return 1;
    }
    return 0;
}
