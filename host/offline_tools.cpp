#include "host/offline_tools.h"

#include <cstdio>

// Stand-in until the layer tests and geometry tools exist.
bool offline_tool_run(const command_line*) {
    fprintf(stderr, "[TOOL] the offline tools are not in this build\n");
    return false;
}
