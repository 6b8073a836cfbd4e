#include "dsp/master.h"

// Stand-ins: the TMS320C25 model arrives with the master-DSP path; until then the
// renderer's built-in scene expansion is always used.
bool master_boot(const char*) {
    return false;
}

void master_run_frame() {}

const uint32_t* master_output() {
    return nullptr;
}
