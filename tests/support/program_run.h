// Running the built program as a child process in tests.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The skyvolta executable of this build.
inline const std::string skyvolta_exe = SKYVOLTA_EXE;

// No display and no sound device: what a CI machine has. Mesa's software renderer keeps
// allocations to process exit, which is not ours to report.
inline const std::string headless_env =
    "env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 ";

// Each line must appear in `out`, in this order.
inline void expect_lines_in_order(const std::string& out, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing \"" << line << "\" in:\n" << out;
        at = found + line.size();
    }
}
