// A long headless race on the synthetic ROM set whose end state is pinned: course 0 from
// the stage start of frame 10, the pedal held and the handle steered by a square wave for
// 3,000 frames. The DSP RAM, work RAM and screenshot the run leaves must hash to what
// they did when the hashes were recorded, so a change that means to move code without
// changing what it does shows any drift here.
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int FRAMES = 3000;
const std::string RACE = "SKYVOLTA_COURSE=0 SKYVOLTA_LOOPDBG=1 SKYVOLTA_WRAMDUMP=1 SKYVOLTA_TEST_PEDAL=20 "
                         "SKYVOLTA_TEST_ANALOG=511,700 SKYVOLTA_TEST_STEER=60,150,400";

// Two work-RAM longs hold host pointers into the DSP RAM image (the display-list cursor
// and the props cursor's copy): they move with where the program is loaded, so they are
// left out of the work-RAM hash.
constexpr uint32_t HOST_POINTER_LONGS[] = {0x0CA4, 0x09B4};

// Recorded from this run.
constexpr uint64_t DSPRAM_HASH = 0x95AFF8859D7F4075ull;
constexpr uint64_t WRAM_HASH = 0x21BBD91183097F5Bull;
constexpr uint64_t PICTURE_HASH = 0xCE4192AD15CE3FF7ull;

// 64-bit FNV-1a of the bytes.
uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    return h;
}

std::string hex(uint64_t v) {
    char s[24];
    snprintf(s, sizeof s, "0x%016" PRIX64, v);
    return s;
}

class RaceStateHashRun : public ProgramRunFixture {};

TEST_F(RaceStateHashRun, ALongRaceEndsInTheRecordedState) {
    std::string out;
    ASSERT_EQ(program_run(dir, RACE, "--screenshot race.ppm " + std::to_string(FRAMES), &out), 0) << out;
    // The race runs: the countdown hands over to the race sub-state, which lasts.
    expect_lines_in_order(out, {"  [SIM] Forcing stage start (course 0) at frame 10\n", "state 3->3  sub 5->3 "});

    std::vector<uint8_t> dsp = file_read(dir + "/dspram_dump.bin");
    std::vector<uint8_t> wram = file_read(dir + "/wram_dump.bin");
    std::vector<uint8_t> picture = file_read(dir + "/race.ppm");
    ASSERT_EQ(dsp.size(), 0x20000u);
    ASSERT_EQ(wram.size(), 0x40000u);
    ASSERT_EQ(picture.size(), 15 + 640u * 480u * 3u);
    for (uint32_t at : HOST_POINTER_LONGS) std::fill_n(wram.begin() + at, 4, 0);
    EXPECT_EQ(hex(fnv1a(dsp)), hex(DSPRAM_HASH));
    EXPECT_EQ(hex(fnv1a(wram)), hex(WRAM_HASH));
    EXPECT_EQ(hex(fnv1a(picture)), hex(PICTURE_HASH));
}

}  // namespace
