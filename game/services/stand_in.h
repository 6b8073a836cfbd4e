// Stand-ins: routines of the game program that another part of this build will
// provide. Until then each says once that it is not in this build and does nothing.
#pragma once
#include "board/stub_report.h"

// Reports `name` the first time it is called with seen == false.
inline void stand_in_report(bool& seen, const char* name) {
    if (seen) return;
    seen = true;
    stub_report(name, 0, "not in this build");
}
