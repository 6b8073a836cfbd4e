// Random DSP program words in a running game: the boot or the frame runs fail with
// their "[MASTER]" lines, and the game steps and draws on. Under the sanitizers nothing
// outside the DSP record and the board's images is touched.
#include "board/board_memory.h"
#include "board/dspram.h"
#include "dsp/c25_decode.h"
#include "dsp/master.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

namespace {

constexpr int SEEDS = 6;
constexpr int FRAMES = 8;
constexpr size_t FRAME_ROUTINE = 0x4D;  // word of the program where the frame routine starts

TEST(MasterRandom, RandomProgramWordsFailAndTheGameGoesOn) {
    setenv("SKYVOLTA_MASTER", "1", 1);
    screen_start();
    int failures = 0;
    for (uint32_t seed = 1; seed <= SEEDS; seed++) {
        // Words the decoder knows as instructions, so that runs go on for a while. Odd
        // seeds: every word. Even seeds: the words from the frame routine on; with no
        // list handed over yet the boot rests at the doorbell wait and the frames meet
        // the random words.
        std::mt19937 rng(seed);
        std::vector<uint16_t> words = synth_dsp_program_words(true);
        for (size_t j = seed % 2 ? 0 : FRAME_ROUTINE; j < words.size(); j++) {
            do words[j] = uint16_t(rng());
            while (c25_decode(words[j], 0).op == c25_op_none);
        }
        synth_dsp_program_store(program_rom, words);
        if (seed % 2 == 0) dsp_word_set(DSP_WORD_LIST_READY, 0);

        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        master_boot("");
        uint32_t frames_before = host_frame;
        screen_frames(FRAMES);
        std::string out = testing::internal::GetCapturedStdout();
        std::string err = testing::internal::GetCapturedStderr();

        EXPECT_EQ(host_frame, frames_before + FRAMES) << seed;
        std::istringstream lines(err);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("[MASTER]") == std::string::npos) continue;
            EXPECT_EQ(line.rfind("[MASTER] ", 0), 0u) << line;
            EXPECT_LT(line.size(), 160u) << line;
            failures += line.find("stopped after") != std::string::npos || line.find("no IDLE after") != std::string::npos;
        }
        if (seed % 2 == 0) {
            EXPECT_NE(out.find("waiting for the doorbell at 404A"), std::string::npos) << seed << "\n" << out << err;
        }
        master_release();
    }
    EXPECT_GE(failures, SEEDS);
    EXPECT_EQ(screen_picture().width, 640);
    unsetenv("SKYVOLTA_MASTER");
}

}  // namespace
