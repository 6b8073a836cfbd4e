#include "tests/support/xvfb_rerun.h"

#include "base/env_switch.h"
#include "tests/support/test_files.h"

#include <cstdlib>

namespace {
constexpr const char* CHILD_SWITCH = "SKYVOLTA_XVFB_CHILD";
}

bool xvfb_rerun_child() {
    return env_present(CHILD_SWITCH);
}

int xvfb_rerun(const char* suite_and_name, std::string* out) {
    if (system("command -v xvfb-run > /dev/null 2>&1") != 0) return -1;
    std::string command = std::string("xvfb-run -a -s '-screen 0 1024x768x24' ") +
                          self_case_command(std::string(CHILD_SWITCH) + "=1 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy",
                                            suite_and_name);
    return run_in(".", command, out);
}
