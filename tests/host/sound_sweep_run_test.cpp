// A headless run on the synthetic ROM set with the sound sweep: the main loop calls the
// sweep before each game step, the sweep starts with the 1000th call (host frame 999)
// and its 445th and last play is at frame 1443.
#include "tests/support/program_run.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

TEST(SoundSweepRun, FirstPlayAtFrame999AndDoneAt1443) {
    std::string dir = temp_dir_make("sweep_run");
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/extracted").c_str()));
    std::string out;
    int status = run_in(dir,
                        headless_env + "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_NO_3D=1 SKYVOLTA_SNDSWEEP=1 SKYVOLTA_SNDLOG=1 " +
                            skyvolta_exe + " --screenshot s.ppm 1500",
                        &out);
    temp_dir_remove(dir);
    ASSERT_EQ(status, 0) << out;
    std::istringstream in(out);
    std::string first_play;
    int done_lines = 0;
    for (std::string line; std::getline(in, line);) {
        // The sweep plays ungated from id 1 on; the attract scenes before it play sounds
        // of their own.
        if (line.rfind("[SOUND]", 0) == 0 && line.find("sound_play_ungated     id=0x01 ") != std::string::npos) {
            if (first_play.empty()) first_play = line;
        }
        done_lines += line.rfind("[SNDSWEEP]", 0) == 0;
    }
    EXPECT_EQ(first_play, "[SOUND] f999    sub=0   sound_play_ungated     id=0x01  slot 0  cmd=4101");
    EXPECT_EQ(done_lines, 1) << out;
    EXPECT_NE(out.find("[SNDSWEEP] done at frame 1443\n"), std::string::npos) << out;
}

}  // namespace
