// The frame-dump viewer, the offline tools and the periodic screenshot, run as the
// program over the synthetic ROM set and the synthetic frame dump.
#include "host/offline_tools.h"

#include "base/rom_files.h"
#include "render/model_walk.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_framedump.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(text.substr(at, nl - at));
    return lines;
}

const std::string FRAME = std::to_string(SYNTH_DUMP_FRAME);

class OfflineTools : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = temp_dir_make("tools");
        ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/roms").c_str()));
        ASSERT_EQ(mkdir((dir + "/dump").c_str(), 0755), 0);
        ASSERT_TRUE(synth_framedump_write(dir + "/dump", SYNTH_DUMP_FRAME));
    }
    static void TearDownTestSuite() { temp_dir_remove(dir); }
    // The program with the synthetic ROM set and `args`, in the fixture's directory.
    static int run(const std::string& args, std::string* out, const std::string& env = "") {
        return run_in(dir, headless_env + env + " " + skyvolta_exe + " roms " + args, out);
    }
    static std::string dump() { return "dump/poly_f" + FRAME + ".bin"; }
    static void golden(const std::string& ppm, const char* name) {
        rgb_picture p;
        ASSERT_TRUE(ppm_read(dir + "/" + ppm, &p)) << ppm;
        EXPECT_EQ(screen_golden_check(p, __FILE__, name, 3), "") << name;
    }
    static std::string dir;
};
std::string OfflineTools::dir;

TEST_F(OfflineTools, TheDumpViewedHeadlessShowsItsSceneSpritesAndText) {
    std::string out;
    ASSERT_EQ(run("--framedump " + dump() + " --screenshot view.ppm 3", &out), 0) << out;
    expect_lines_in_order(out, {"framedump: " + dump() + ", ", " words\n",
                                "framedump: 58 primitives, zoom=554>>0 vx=0 vy=0\n", "Screenshot saved to view.ppm\n"});
    golden("view.ppm", "framedump_view");
}

TEST_F(OfflineTools, LayerTestsDrawTheDumpsSideFiles) {
    std::string out;
    ASSERT_EQ(run("--texttest dump " + FRAME + " text.ppm", &out), 0) << out;
    EXPECT_NE(out.find("texttest: wrote text.ppm\n"), std::string::npos) << out;
    golden("text.ppm", "texttest");
    ASSERT_EQ(run("--sprtest dump " + FRAME + " sprites.ppm", &out), 0) << out;
    EXPECT_NE(out.find(" sprite pixels -> sprites.ppm\n"), std::string::npos) << out;
    golden("sprites.ppm", "sprtest");
}

TEST_F(OfflineTools, LayerTestsNameWhatIsMissing) {
    std::string shell;
    ASSERT_EQ(run_in(dir, "rm -rf part && cp -r dump part && rm part/mix_f" + FRAME + ".bin", &shell), 0) << shell;
    const struct {
        std::string args, line;
    } cases[] = {
        {"--texttest part " + FRAME + " t.ppm", "texttest: no mixer data for frame " + FRAME + "\n"},
        {"--sprtest part " + FRAME + " s.ppm", "sprtest: no mixer/fog data for frame " + FRAME + "\n"},
        {"--texttest dump 7 t.ppm", "texttest: no mixer data for frame 7\n"},
        {"--texttest dump " + FRAME + " nodir/t.ppm", "cannot write nodir/t.ppm\n"},
        {"--sprtest dump " + FRAME + " nodir/s.ppm", "cannot write nodir/s.ppm\n"},
        {"--geodump g.txt", "--geodump requires --framedump <poly_fN.bin>\n"},
        {"--framedump " + dump() + " --geodump nodir/g.txt", "cannot write nodir/g.txt\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(run(c.args, &out), 1) << c.args << "\n" << out;
        EXPECT_NE(out.find(c.line), std::string::npos) << c.args << "\n" << out;
    }
}

TEST_F(OfflineTools, GeodumpWritesOneLinePerDrawnQuad) {
    std::string out;
    ASSERT_EQ(run("--framedump " + dump() + " --geodump geo.txt", &out), 0) << out;
    std::vector<uint8_t> bytes = file_read(dir + "/geo.txt");
    std::vector<std::string> lines = lines_of(std::string(bytes.begin(), bytes.end()));
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines[0], "# skyvolta geo stream v2 dump=" + dump());
    EXPECT_NE(out.find("geodump: " + std::to_string(lines.size() - 1) + " quads -> geo.txt\n"), std::string::npos)
        << out;
    for (size_t i = 1; i < lines.size(); i++) {
        unsigned zsort, attr, colour, format, bank, mode, depth, n;
        ASSERT_EQ(sscanf(lines[i].c_str(), "%6X %6X %6X %1X %1X %1X %4X %1X", &zsort, &attr, &colour, &format, &bank,
                         &mode, &depth, &n),
                  8)
            << lines[i];
        EXPECT_GE(n, 3u);
        EXPECT_EQ(lines[i].size(), 33 + size_t(n) * 54) << lines[i];  // 6 words of 8 digits per vertex
    }
    // A dump with no quad of three vertices writes the header alone.
    ASSERT_TRUE(synth_framedump_poly_write(dir + "/empty.bin", {}));
    ASSERT_EQ(run("--framedump empty.bin --geodump geo0.txt", &out), 0) << out;
    EXPECT_NE(out.find("geodump: 0 quads -> geo0.txt\n"), std::string::npos) << out;
    bytes = file_read(dir + "/geo0.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "# skyvolta geo stream v2 dump=empty.bin\n");
}

TEST(GeodumpLine, QuadsOfTwoVerticesOrFewerWriteNothing) {
    quad_record q{};
    q.zsort = 0xE01234, q.attr = 0xABCDEF, q.colour = 0x1F00, q.tex_format = 2, q.tex_bank = 1, q.attr_mode = 3;
    q.depth_index = 0x123, q.near_count = 2;
    char buf[512] = {};
    FILE* f = fmemopen(buf, sizeof buf, "w");
    geodump_target t = {f, 0};
    geodump_write_quad(&q, &t);
    q.near_count = 3;
    for (int i = 0; i < 3; i++) q.near[i] = {i * 16, -16, 100 + i, 0, 0, 0, 1, 0x10000, 0x20000, 0x30000};
    geodump_write_quad(&q, &t);
    fclose(f);
    EXPECT_EQ(t.lines, 1);
    EXPECT_STREQ(buf,
                 "E01234 ABCDEF 001F00 2 1 3 0123 3"
                 " 00000000 FFFFFFF0 00000064 00010000 00020000 00030000"
                 " 00000010 FFFFFFF0 00000065 00010000 00020000 00030000"
                 " 00000020 FFFFFFF0 00000066 00010000 00020000 00030000\n");
}

// The quads of a direct expansion of the model under the test's view, in order.
std::vector<quad_record> direct_quads(int32_t code) {
    const uint32_t* saved = point_rom;
    uint32_t saved_count = point_rom_count;
    point_rom = synth_rom_shared()->point;
    point_rom_count = POINT_ROM_WORDS;
    geo_camera_record view{};
    view.m[0] = view.m[4] = view.m[8] = 0x7FFF;
    view.focal = 1920;
    geo_camera_set(&view);
    std::vector<quad_record> quads;
    model_quads_emit(code, [](const quad_record* q, void* d) { static_cast<std::vector<quad_record>*>(d)->push_back(*q); },
                     &quads);
    point_rom = saved;
    point_rom_count = saved_count;
    return quads;
}

TEST_F(OfflineTools, GeotestPrintsTheQuadsOfADirectExpansion) {
    for (int32_t code : {SYNTH_MODEL_GROUND, SYNTH_MODEL_LIT, SYNTH_MODEL_DEPTH}) {
        std::string out;
        ASSERT_EQ(run("--geotest " + std::to_string(code), &out), 0) << out;
        std::vector<std::string> q_lines;
        for (const std::string& l : lines_of(out))
            if (l.rfind("Q ", 0) == 0) q_lines.push_back(l);
        std::vector<quad_record> want = direct_quads(code);
        ASSERT_FALSE(want.empty());
        ASSERT_EQ(q_lines.size(), want.size()) << out;
        expect_lines_in_order(out, {"GEOTEST model=" + std::to_string(code) + " zoom=1920/0\n", "Q zsort=", "GEOTEST end\n"});
        for (size_t i = 0; i < want.size(); i++) {
            char head[64];
            snprintf(head, sizeof head, "Q zsort=%06X color=%06X behind=%d", want[i].zsort, want[i].colour,
                     int(want[i].behind));
            EXPECT_EQ(q_lines[i].rfind(head, 0), 0u) << q_lines[i];
            EXPECT_EQ(q_lines[i].find("CLIP") != std::string::npos, want[i].behind != 0) << q_lines[i];
        }
    }
}

TEST_F(OfflineTools, ShotEveryWritesPngsOfTheWindow) {
    std::string out;
    ASSERT_EQ(run("--screenshot every.ppm 5", &out, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_SHOT_EVERY=2 SKYVOLTA_SHOTDIR=shots"),
              0)
        << out;
    int shots = 0;
    for (const std::string& l : lines_of(out)) {
        if (l.rfind("[shot] shots/shot_", 0) != 0) continue;
        shots++;
        std::string path = dir + "/" + l.substr(7, l.find(" (") - 7);
        rgb_picture p;
        std::string why;
        EXPECT_TRUE(png_read_rgb(path, &p, &why)) << why;
        EXPECT_EQ(l.substr(l.find(" (")), " (640x480)");
    }
    EXPECT_EQ(shots, 3) << out;  // frames 0, 2 and 4
}

}  // namespace
