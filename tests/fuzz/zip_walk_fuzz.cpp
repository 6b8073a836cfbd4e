// libFuzzer target: any bytes as skyvolta.zip, found and unpacked by the installer from a
// scratch folder into out/, with small expected sizes so that whole sets fit in an input.
// The installer must never read outside the file, whatever its headers claim; a success
// must leave a complete set, and any run must leave only whole files under table names.
#include "host/rom_set.h"
#include "tests/fuzz/fuzz_scratch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

// Member e is 16 + e bytes long.
uint32_t small_sizes[ROM_COUNT];

// Every file in out/ has a table name and its size.
bool out_files_whole() {
    DIR* d = opendir("out");
    if (!d) return true;
    bool ok = true;
    while (dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
        int entry = -1;
        for (int k = 0; k < ROM_COUNT; k++)
            if (strcmp(e->d_name, rom_table[k].name) == 0) entry = k;
        struct stat st;
        if (entry < 0 || stat((std::string("out/") + e->d_name).c_str(), &st) != 0 ||
            uint64_t(st.st_size) != small_sizes[entry])
            ok = false;
    }
    closedir(d);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (int e = 0; e < ROM_COUNT; e++) small_sizes[e] = 16 + uint32_t(e);
    rom_test_sizes = small_sizes;
    fuzz_scratch_enter("zip_walk_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = fopen("skyvolta.zip", "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) abort();
    // One input length in seven finds a file where the folder should be: writes fail.
    if (size % 7 == 3) {
        FILE* block = fopen("out", "wb");
        if (block) fclose(block);
    }
    char err[256];
    bool ok = find_rom_zip("out", fuzz_scratch, err, sizeof err);
    if (ok && !rom_set_complete("out")) abort();
    if (!out_files_whole()) abort();
    fuzz_folder_empty(".");
    return 0;
}
