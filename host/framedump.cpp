#include "host/framedump.h"

#include <cstdio>

// Stand-in until the frame-dump viewer exists.
bool framedump_open(const char* path) {
    fprintf(stderr, "[FRAMEDUMP] cannot view %s: frame dumps are not in this build\n", path);
    return false;
}
