// Running the built program as a child process in tests.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The skyvolta executable of this build.
inline const std::string skyvolta_exe = SKYVOLTA_EXE;

// No display and no sound device: what a CI machine has. Leak checking stays on: a
// sanitizer build keeps the GL driver's libraries loaded to the end, so what it reports
// is ours.
inline const std::string headless_env = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy ";

// Each line must appear in `out`, in this order.
inline void expect_lines_in_order(const std::string& out, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing \"" << line << "\" in:\n" << out;
        at = found + line.size();
    }
}
