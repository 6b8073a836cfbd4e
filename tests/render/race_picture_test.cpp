// The race as a player sees it, end to end: a headless run on the synthetic ROM set put
// into course 0's set-up at frame 20 (countdown, then the race from frame 351), 420 race
// frames of pedal 3 with the handle a little right of centre, the picture at 4:3 and
// 16:9 against the reference pictures, and the HUD's packets of the last frame read
// back from the DSP RAM image the run leaves.
#include "tests/support/png_compare.h"
#include "tests/support/program_run.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int RACE_FROM = 351, RACE_FRAMES = 420;
constexpr int TOLERANCE = 3;
// The 0x8001 records of the HUD in the packet areas of the two display-list buffers.
constexpr uint32_t PACKET_AREAS[2] = {0x10400, 0x18400};
constexpr uint32_t PACKET_AREA_WORDS = 0x1F00;

const std::string race_switches = "SKYVOLTA_LOOPDBG=1 SKYVOLTA_COURSE=0 SKYVOLTA_TEST_GOTO=2@20 "
                                  "SKYVOLTA_TEST_PEDAL=3 SKYVOLTA_TEST_ANALOG=470";

class RacePicture : public ProgramRunFixture {
protected:
    // The run to the end of the 420th race frame; the picture it leaves.
    rgb_picture race(const std::string& wide) {
        std::string out;
        std::string args = "--screenshot race.ppm " + std::to_string(RACE_FROM + RACE_FRAMES);
        EXPECT_EQ(program_run(dir, race_switches + wide, args, &out), 0) << out;
        expect_lines_in_order(out, {"[LOOP] f" + std::to_string(RACE_FROM) + "   state 3->3  sub 5->3 "});
        EXPECT_EQ(out.find("[LOOP] f", out.find("sub 5->3 ")), std::string::npos) << "the race goes on to the end";
        rgb_picture p;
        EXPECT_TRUE(ppm_read(dir + "/race.ppm", &p));
        return p;
    }
    // The first 13-word 0x8001 record of `model` in each display-list buffer: the HUD
    // comes early in a frame's list, so what follows a shorter list cannot be taken.
    std::vector<std::vector<int32_t>> hud_records(int32_t model) {
        std::vector<std::vector<int32_t>> found;
        FILE* f = fopen((dir + "/dspram_dump.bin").c_str(), "rb");
        if (!f) return found;
        std::vector<uint8_t> bytes(0x20000);
        size_t n = fread(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        if (n != bytes.size()) return found;
        for (uint32_t area : PACKET_AREAS)
            for (uint32_t i = 0; i + 13 <= PACKET_AREA_WORDS; i++) {
                int32_t w[13];
                std::memcpy(w, &bytes[area + 4 * i], sizeof w);
                if (w[0] != 0x8001 || w[2] != model) continue;
                found.emplace_back(w, w + 13);
                break;
            }
        return found;
    }
    static std::string golden(const char* name) { return source_folder(__FILE__) + "/golden/" + name + ".png"; }
};

TEST_F(RacePicture, RaceOnCourseZeroAt4x3) {
    rgb_picture p = race("");
    ASSERT_EQ(p.width, 640);
    EXPECT_EQ(golden_check(p, golden("race_4x3"), TOLERANCE), "");
    // The course arrow: 420 frames in, the player is still over the guided squares of the
    // arrow grid, so it stands undropped at height 2240, depth 6400.
    auto arrows = hud_records(SYNTH_ARROW_MODEL);
    ASSERT_FALSE(arrows.empty());
    for (const auto& a : arrows) {
        EXPECT_EQ(a[4], 2240);
        EXPECT_EQ(a[5], 6400);
    }
    // The race time's colon, and the score's units face at (314, 243, 544).
    EXPECT_FALSE(hud_records(SYNTH_CLOCK_SEPARATOR).empty());
    bool units = false;
    for (int32_t d = 0; d < 10; d++)
        for (const auto& r : hud_records(SYNTH_SCORE_FACE + d)) units |= r[3] == 314 && r[4] == 243 && r[5] == 544;
    EXPECT_TRUE(units);
}

TEST_F(RacePicture, RaceOnCourseZeroAt16x9) {
    rgb_picture p = race(" SKYVOLTA_WIDE=1.7777");
    ASSERT_EQ(p.width, 852);
    EXPECT_EQ(golden_check(p, golden("race_16x9"), TOLERANCE), "");
}

}  // namespace
