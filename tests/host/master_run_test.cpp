// Whole runs with the master DSP path on the synthetic ROM set: the DSP boots, runs its
// frames and its output is drawn in place of the built-in scene expansion; switched off,
// the picture is the one the program draws without it.
#include "base/rom_files.h"
#include "render/framedump_draw.h"
#include "tests/support/program_run.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int W = 640, H = 480;
constexpr size_t PPM_HEADER = 15;  // "P6\n640 480\n255\n"

class MasterRun : public ProgramRunFixture {};

void collect(const quad_record* q, void* data) {
    static_cast<std::vector<quad_record>*>(data)->push_back(*q);
}

// Inside the convex polygon (1/16-pixel corners, either winding)?
bool inside(const quad_vertex* v, int n, double x, double y) {
    int sign = 0;
    for (int i = 0; i < n; i++) {
        const quad_vertex& a = v[i];
        const quad_vertex& b = v[(i + 1) % n];
        double cross = (b.sx - a.sx) / 16.0 * (y - a.sy / 16.0) - (b.sy - a.sy) / 16.0 * (x - a.sx / 16.0);
        int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s && sign && s != sign) return false;
        if (s) sign = s;
    }
    return true;
}

TEST_F(MasterRun, HeadlessRunDrawsTheDspsCube) {
    std::string out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_MASTER=1", "--screenshot s.ppm 30", &out), 0) << out;
    expect_lines_in_order(out, {"Running game init...\n", "[MASTER] booted: 6443-word program, init ",
                                "Game init complete, entering main loop\n", "[MASTER] frame 1: ", " steps, 47 polygon-RAM writes\n",
                                "[MASTER] frame 2: ", "[MASTER] frame 3: ", "Screenshot saved to s.ppm\n"});
    EXPECT_EQ(out.find("[MASTER] frame 4:"), std::string::npos) << out;
    EXPECT_EQ(out.find("[MASTER] DSP program unlike"), std::string::npos) << out;

    // The DSP's words as the run left DSP RAM; the renderer, taking the list after the
    // snapshot, cleared word 1, the first packet's length word, which the DSP writes as 16.
    std::vector<uint8_t> dump = file_read(dir + "/dspram_dump.bin");
    ASSERT_EQ(dump.size(), size_t(FRAMEDUMP_SUBSTITUTE_WORDS) * 4);
    std::vector<uint32_t> words(FRAMEDUMP_SUBSTITUTE_WORDS);
    memcpy(words.data(), dump.data(), dump.size());
    for (uint32_t& w : words) w &= 0xFFFFFF;
    EXPECT_EQ(words[1], 0u);
    words[1] = 16;
    const uint32_t* saved_rom = point_rom;
    uint32_t saved_count = point_rom_count;
    point_rom = synth_rom_shared()->point;
    point_rom_count = POINT_ROM_WORDS;
    std::vector<quad_record> quads;
    EXPECT_EQ(framedump_draw_words(words.data(), collect, &quads), 1);
    point_rom = saved_rom;
    point_rom_count = saved_count;
    ASSERT_GE(quads.size(), 2u);

    // Inside the cube's faces the picture is not the background.
    std::vector<uint8_t> ppm = file_read(dir + "/s.ppm");
    ASSERT_EQ(ppm.size(), PPM_HEADER + size_t(W) * H * 3);
    auto pixel = [&](int x, int y) {
        size_t at = PPM_HEADER + 3 * (size_t(y) * W + size_t(x));
        return uint32_t(ppm[at]) << 16 | uint32_t(ppm[at + 1]) << 8 | ppm[at + 2];
    };
    // The background: the picture's most frequent colour (only the cube is 3D).
    std::map<uint32_t, long> colours;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) colours[pixel(x, y)]++;
    uint32_t background = std::max_element(colours.begin(), colours.end(), [](const auto& a, const auto& b) {
                              return a.second < b.second;
                          })->first;
    long covered = 0, painted = 0;
    for (const quad_record& q : quads) {
        const quad_vertex* v = q.band_count > 0 ? q.band : q.near;
        int n = q.band_count > 0 ? q.band_count : q.near_count;
        ASSERT_GE(n, 3);
        int x0 = W, x1 = 0, y0 = H, y1 = 0;
        for (int i = 0; i < n; i++) {
            x0 = std::min(x0, v[i].sx / 16), x1 = std::max(x1, v[i].sx / 16);
            y0 = std::min(y0, v[i].sy / 16), y1 = std::max(y1, v[i].sy / 16);
        }
        for (int y = std::max(y0, 0); y <= std::min(y1, H - 1); y++)
            for (int x = std::max(x0, 0); x <= std::min(x1, W - 1); x++) {
                if (!inside(v, n, x + 0.5, y + 0.5)) continue;
                covered++;
                painted += pixel(x, y) != background;
            }
    }
    EXPECT_GT(covered, 10000);
    EXPECT_GT(painted, covered * 9 / 10) << painted << " of " << covered;
}

TEST_F(MasterRun, SwitchedOffThePictureStaysAsItWas) {
    std::string out;
    ASSERT_EQ(program_run(dir, "", "--screenshot unset.ppm 30", &out), 0) << out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_MASTER=0", "--screenshot zero.ppm 30", &out), 0) << out;
    EXPECT_EQ(out.find("[MASTER]"), std::string::npos) << out;
    std::vector<uint8_t> unset = file_read(dir + "/unset.ppm"), zero = file_read(dir + "/zero.ppm");
    ASSERT_EQ(unset.size(), PPM_HEADER + size_t(W) * H * 3);
    EXPECT_TRUE(unset == zero);
}

}  // namespace
