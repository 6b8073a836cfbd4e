// The program's start-up, run as a child process in scratch folders.
#include "host/rom_set.h"
#include "tests/support/synth_rom.h"
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

TEST(Startup, EmptyFolderFailsToLoadRoms) {
    std::string dir = temp_dir_make("empty"), out;
    EXPECT_EQ(run_in(dir, headless_env + skyvolta_exe, &out), 1);
    expect_lines_in_order(out, {"Sky Volta - Velmo System Kestrel reimplementation\n", "Loading ROMs from: extracted\n",
                                "  Cannot open: extracted/kv2ver-a.1\n", "FATAL: Program ROM load failed\n",
                                "Failed to load ROMs\n"});
    temp_dir_remove(dir);
}

TEST(Startup, InfoZipArchiveIsUnpackedOnce) {
    std::string dir = temp_dir_make("zip"), out;
    const char* names[ROM_COUNT] = {"KV2VERA.1", "KV2VERA.2", "KV2VERA.3", "KV2VERA.4"};
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/files").c_str(), names));
    ASSERT_EQ(run_in(dir + "/files", "zip -q -9 ../skyvolta.zip *", &out), 0) << out;
    ASSERT_EQ(run_in(dir, "rm -r files", &out), 0);

    const std::string run = headless_env + skyvolta_exe + " --screenshot";
    ASSERT_EQ(run_in(dir, run, &out), 0) << out;
    expect_lines_in_order(out, {"Unpacking ROMs from skyvolta.zip into extracted ...\n", "ROMs unpacked.\n",
                                "Loading ROMs from: extracted\n",
                                "  Program ROM: SP=0x00E20000 PC=0x0000BC4C OK\n",
                                "  Point ROM: 1572864 entries (6.0 MB)\n", "  Texture ROM: 65536 tiles (16 MB)\n",
                                "  Sprite ROM: 4096 tiles (4 MB)\n", "ROM loading complete\n",
                                "Game init complete, entering main loop\n"});
    for (const rom_entry& e : rom_table) EXPECT_EQ(file_size(dir + "/extracted/" + e.name), long(e.size)) << e.name;

    ASSERT_EQ(run_in(dir, run, &out), 0) << out;
    EXPECT_EQ(out.find("Unpacking"), std::string::npos) << out;
    temp_dir_remove(dir);
}

TEST(Startup, RomsFolderIsTheFallback) {
    std::string dir = temp_dir_make("roms"), out;
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/roms").c_str()));
    ASSERT_EQ(run_in(dir, headless_env + skyvolta_exe + " --screenshot", &out), 0) << out;
    EXPECT_NE(out.find("Loading ROMs from: roms\n"), std::string::npos) << out;
    temp_dir_remove(dir);
}

}  // namespace
