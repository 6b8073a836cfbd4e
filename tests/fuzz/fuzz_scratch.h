// The fuzz targets' scratch folder: made on tmpfs where there is one (the scores save
// syncs its file, which a disk makes slow), entered as the working folder, emptied after
// each input and removed at exit.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

// Removes everything inside dir: files, and folders with what they hold.
inline void fuzz_folder_empty(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
        std::string path = dir + "/" + e->d_name;
        if (unlink(path.c_str()) != 0) {
            fuzz_folder_empty(path);
            rmdir(path.c_str());
        }
    }
    closedir(d);
}

inline char fuzz_scratch[128];

inline void fuzz_scratch_enter(const char* tag) {
    for (const char* root : {"/dev/shm", "/tmp"}) {
        snprintf(fuzz_scratch, sizeof fuzz_scratch, "%s/%s.XXXXXX", root, tag);
        if (mkdtemp(fuzz_scratch) && chdir(fuzz_scratch) == 0) {
            atexit([] {
                fuzz_folder_empty(fuzz_scratch);
                rmdir(fuzz_scratch);
            });
            return;
        }
    }
    abort();
}
