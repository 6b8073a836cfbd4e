#include "board/stub_report.h"

#include "base/env_switch.h"

#include <cstdio>
#include <cstdlib>

void stub_report(const char* name, uint32_t rom_address, const char* message) {
    static const bool silenced = env_present("SKYVOLTA_NO_STUBWARN");
    if (silenced) return;
    fprintf(stderr, "[STUB] %s @0x%06X called -- %s\n", name, rom_address, message ? message : "not implemented");
}
