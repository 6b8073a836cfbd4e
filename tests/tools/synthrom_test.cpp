// The synthrom tool as a new user meets it: a folder or a zip is written; a mistyped or
// unknown option, or a folder or zip name that looks like one, gets the one-line usage,
// exit status 2 and nothing written.
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>

namespace {

const std::string synthrom_exe = SYNTHROM_EXE;
const std::string usage = "usage: synthrom DIR | synthrom --zip PATH\n";

int entries_in(const std::string& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) n++;
    return n;
}

TEST(Synthrom, AnOptionItDoesNotKnowGetsTheUsageAndWritesNothing) {
    const char* const cases[] = {"--help", "-x", "-", "--zip", "--zip -x", "--zip --help", "", "a b", "--zip a b"};
    for (const char* args : cases) {
        std::string dir = temp_dir_make("synthrom");
        std::string out;
        EXPECT_EQ(run_in(dir, synthrom_exe + " " + args, &out), 2) << args;
        EXPECT_EQ(out, usage) << args;
        EXPECT_EQ(entries_in(dir), 0) << args;
        temp_dir_remove(dir);
    }
}

TEST(Synthrom, WritesTheRomFilesIntoAFolderOrTheZip) {
    std::string dir = temp_dir_make("synthrom");
    std::string out;
    ASSERT_EQ(run_in(dir, synthrom_exe + " roms", &out), 0) << out;
    EXPECT_EQ(out, "");
    EXPECT_EQ(entries_in(dir + "/roms"), 28);
    ASSERT_EQ(run_in(dir, synthrom_exe + " --zip skyvolta.zip", &out), 0) << out;
    EXPECT_GT(file_size(dir + "/skyvolta.zip"), 0);
    temp_dir_remove(dir);
}

}  // namespace
