// The sound diagnostics in whole runs of the program on the synthetic ROM set: silent
// with every switch unset, and with them set, log files that are complete at exit.
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string no_diag_switches =
    "env -u SKYVOLTA_MCULOG -u SKYVOLTA_SNDLOG -u SKYVOLTA_SHAREDUMP -u SKYVOLTA_SLOTWATCH -u SKYVOLTA_MBOXLOG "
    "-u SKYVOLTA_SNDSTATE -u SKYVOLTA_MCUVOICE -u SKYVOLTA_Q904LOG -u SKYVOLTA_CHIPTRACE ";

class DiagnosticsRun : public ProgramRunFixture {};

TEST_F(DiagnosticsRun, WithEverySwitchUnsetNoFileAndNoLine) {
    std::string out;
    ASSERT_EQ(program_run(dir, no_diag_switches, "--screenshot s.ppm 70", &out), 0) << out;
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"extracted", "s.ppm", "dspram_dump.bin", "palette_dump.bin"}));
    for (const char* tag :
         {"[MCU]   68K", "[MCU]   (", "[MCU] f", "[MCU] wrote", "[SLOT]", "[KEYON", "[VOICE", "MBOX"})
        EXPECT_EQ(out.find(tag), std::string::npos) << tag << " in:\n" << out;
}

TEST_F(DiagnosticsRun, LogFilesAreCompleteAtExit) {
    std::string out;
    std::string switches = "SKYVOLTA_MCULOG=1 SKYVOLTA_SLOTWATCH=1 SKYVOLTA_MBOXLOG=mbox.log SKYVOLTA_SNDSTATE=st.txt:20 "
                           "SKYVOLTA_Q904LOG=q904.log SKYVOLTA_CHIPTRACE=trace.log";
    ASSERT_EQ(program_run(dir, switches, "--screenshot s.ppm 70", &out), 0) << out;
    expect_lines_in_order(out, {"Game init complete, entering main loop\n", "[MCU] f0  count-start FF -> 00  (pc=",
                                "[MCU] f60    st="});
    // Every frame's line is there, the last one whole: the 1 MB buffers were flushed at exit.
    std::vector<std::string> state = file_lines(dir + "/st.txt");
    ASSERT_EQ(state.size(), 70u + 0x380 + 0x8000);
    EXPECT_EQ(state[0].rfind("H 0 ", 0), 0u);
    EXPECT_EQ(state[21], "B 0080 00") << "the listing right after frame 20's hash";
    EXPECT_EQ(state.back().rfind("H 69 ", 0), 0u);
    EXPECT_EQ(state.back().size(), 5u + 16);
    std::vector<std::string> trace = file_lines(dir + "/trace.log");
    ASSERT_EQ(trace.size(), 70u);
    EXPECT_EQ(trace[0].rfind("F 0 ", 0), 0u);
    EXPECT_EQ(trace.back().rfind("F 69 ", 0), 0u);
    EXPECT_EQ(trace.back().size(), 4u + 256 * 5 + 7);
    EXPECT_EQ(file_lines(dir + "/q904.log").at(0), "# ours: time = MCU cycles / 16384000");
    EXPECT_GE(file_size(dir + "/mbox.log"), 0);
}

}  // namespace
