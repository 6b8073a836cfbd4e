// Running the built program as a child process in tests: a scratch directory holding
// the synthetic ROM set, the headless environment, and the run itself.
#pragma once
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The skyvolta executable of this build.
inline const std::string skyvolta_exe = SKYVOLTA_EXE;

// No display and no sound device: what a CI machine has. Leak checking stays on: a
// sanitizer build keeps the GL driver's libraries loaded to the end, so what it reports
// is ours.
inline const std::string headless_env = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy ";

// A fresh scratch directory (temp_dir_make) holding the synthetic ROM set in extracted/,
// where the program finds it when run there; "" when it cannot be made or written.
std::string run_dir_make(const char* tag);

// The program run headless in dir: the switches ("NAME=value ..." words, or an
// "env -u NAME ..." of their own), then the program with args. The exit status; *out
// holds what it printed on stdout and stderr.
int program_run(const std::string& dir, const std::string& switches, const std::string& args, std::string* out);

// Whole runs in a scratch directory of their own: dir is made by run_dir_make before
// each test and removed after it.
class ProgramRunFixture : public testing::Test {
protected:
    void SetUp() override {
        dir = run_dir_make("run");
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { temp_dir_remove(dir); }
    std::string dir;
};

// Each line must appear in `out`, in this order.
inline void expect_lines_in_order(const std::string& out, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing \"" << line << "\" in:\n" << out;
        at = found + line.size();
    }
}

// How many times `what` appears in `text`.
inline int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}
