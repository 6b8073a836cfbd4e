// synthrom: writes the project's synthetic ROM set for tests and local runs.
//   synthrom DIR            the 28 files into DIR
//   synthrom --zip PATH     skyvolta.zip (deflated members) at PATH
#include "tests/support/synth_rom.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && strcmp(argv[1], "--zip") == 0)) {
        fprintf(stderr, "usage: synthrom DIR | synthrom --zip PATH\n");
        return 2;
    }
    synth_rom_set* set = synth_rom_new();
    if (!set) {
        fprintf(stderr, "synthrom: out of memory\n");
        return 1;
    }
    bool ok = argc == 2 ? synth_rom_write_dir(set, argv[1]) : synth_rom_write_zip(set, argv[2]);
    synth_rom_free(set);
    if (!ok) {
        fprintf(stderr, "synthrom: cannot write %s\n", argv[argc - 1]);
        return 1;
    }
    return 0;
}
