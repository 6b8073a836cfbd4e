#include "tests/support/xvfb_rerun.h"

#include "base/env_switch.h"
#include "tests/support/test_files.h"

#include <cstdlib>
#include <unistd.h>

namespace {
constexpr const char* CHILD_SWITCH = "SKYVOLTA_XVFB_CHILD";
}

bool xvfb_rerun_child() {
    return env_present(CHILD_SWITCH);
}

int xvfb_rerun(const char* suite_and_name, std::string* out) {
    if (system("command -v xvfb-run > /dev/null 2>&1") != 0) return -1;
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return -1;
    self[n] = 0;
    std::string command = std::string("xvfb-run -a -s '-screen 0 1024x768x24' env ") + CHILD_SWITCH +
                          "=1 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy '" + self + "' --gtest_filter=" +
                          suite_and_name;
    return run_in(".", command, out);
}
