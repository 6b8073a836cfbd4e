// Board routines that have no job in this system say so on stderr.
#pragma once
#include <cstdint>

// "[STUB] %s @0x%06X called -- %s\n" ("not implemented" for a null message), unless
// SKYVOLTA_NO_STUBWARN is set (asked once). Callers that report once keep their own flag.
void stub_report(const char* name, uint32_t rom_address, const char* message);
