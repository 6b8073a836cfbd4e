// The views that replace the frame and the run's reports, end to end: `--model 70` shows
// the synthetic set's spinning cube; SKYVOLTA_GEO_HW=0 draws the perspective preview with
// its [CAM] lines; the level view without a terrain base says so once; SKYVOLTA_PERF
// prints its four lines on their streams at shutdown and SKYVOLTA_BBOX its box when a
// headless run ends.
#include "render/renderer_switches.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace {

class ViewerRun : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = temp_dir_make("viewer");
        ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/roms").c_str()));
    }
    static void TearDownTestSuite() { temp_dir_remove(dir); }
    static int run(const std::string& env, const std::string& args, std::string* out) {
        return run_in(dir, headless_env + env + " " + skyvolta_exe + " roms " + args, out);
    }
    static std::string dir;
};
std::string ViewerRun::dir;

TEST_F(ViewerRun, ModelSeventyShowsTheSpinningCube) {
    std::string out;
    ASSERT_EQ(run("", "--model 70 --screenshot cube.ppm 5", &out), 0) << out;
    EXPECT_NE(out.find("[3D-VIEWER] Viewing model 0x46 (70)\n"), std::string::npos) << out;
    rgb_picture p;
    ASSERT_TRUE(ppm_read(dir + "/cube.ppm", &p));
    EXPECT_EQ(screen_golden_check(p, __FILE__, "model_viewer_cube", 3), "");
}

TEST(ModelViewer, TheCubeTurnsFromFrameToFrame) {
    screen_start();
    model_viewer_select(70);
    screen_frame();
    rgb_picture first = screen_picture();
    screen_frames(20);
    rgb_picture later = screen_picture();
    model_viewer_select(0);
    EXPECT_NE(picture_difference(first, later, 8), "");
}

TEST_F(ViewerRun, PerspectivePreviewPrintsItsCameraLines) {
    std::string out;
    ASSERT_EQ(run("SKYVOLTA_GEO_HW=0 SKYVOLTA_NO_AUTOSTART=1", "--screenshot p.ppm 4", &out), 0) << out;
    // The first two frames (and every 100th).
    std::regex cam(R"(  \[CAM\] heading=-?\d+ \(-?\d+\.\d°\) pitch=-?\d+ \(-?\d+\.\d°\) cam=\(-?\d+,-?\d+,-?\d+\) player=\(-?\d+,-?\d+,-?\d+\)\n)");
    auto lines = std::distance(std::sregex_iterator(out.begin(), out.end(), cam), std::sregex_iterator());
    EXPECT_EQ(lines, 2) << out;
}

TEST(LevelView, WithoutATerrainBaseItSaysSoOnce) {
    screen_start();
    if (!renderer_switches_loaded) renderer_switches_read();
    renderer_switches.geo_preview = 1;
    testing::internal::CaptureStdout();
    level_view_toggle();
    screen_frames(3);
    screen_picture();
    screen_picture();
    level_view_toggle();
    renderer_switches.geo_preview = 0;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count_of(out, "[LEVEL] terrain base not set (W[0x12B4]=0), press 'g' first\n"), 1) << out;
    EXPECT_NE(out.find("[LEVEL] Level view ON\n"), std::string::npos);
    EXPECT_NE(out.find("[LEVEL] Level view OFF\n"), std::string::npos);
}

TEST_F(ViewerRun, PerfLinesGoToTheirStreamsAndBboxEndsTheHeadlessRun) {
    std::string out;
    const std::string env = "SKYVOLTA_PERF=1 SKYVOLTA_BBOX=70 SKYVOLTA_NO_AUTOSTART=1 ";
    ASSERT_EQ(run_in(dir, "(" + headless_env + env + skyvolta_exe + " roms --screenshot s.ppm 5 > out.txt 2> err.txt)", &out),
              0)
        << out;
    auto text_of = [](const std::string& path) {
        std::vector<uint8_t> bytes = file_read(path);
        return std::string(bytes.begin(), bytes.end());
    };
    out = text_of(dir + "/out.txt");
    std::string err = text_of(dir + "/err.txt");
    EXPECT_TRUE(std::regex_search(out, std::regex(R"(\[PERF\]   flush = bake \d+\.\d{3} \+ clip \d+\.\d{3} \+ gl \d+\.\d{3}   \(texels baked \d+M, realloc \d+ / reuse \d+\)\n)")))
        << out;
    EXPECT_TRUE(std::regex_search(err, std::regex(R"(\[PERF\] game \d+\.\d{3} \(sync \d+\.\d{3}\)  render \d+\.\d{3} = walk \d+\.\d{3} \+ flush \d+\.\d{3} \+ text \d+\.\d{3} \(fog \d+\.\d{3}\)  evict \d+\n)")))
        << err;
    EXPECT_TRUE(std::regex_search(err, std::regex(R"(\[PERF\]   text = render \d+\.\d{3} \+ alphacount \d+\.\d{3} \+ upload \d+\.\d{3}\n)")))
        << err;
    EXPECT_TRUE(std::regex_search(err, std::regex(R"(\[PERF\]   text cache: \d+ calls, \d+ misses \(\d+\.\d%\)\n)"))) << err;
    EXPECT_EQ(count_of(out, "[PERF]"), 1);
    // The boot screens place no cube: the box of code 70 is empty.
    EXPECT_NE(out.find("  [BBOX] code=70 verts=0 screen x[0..0] w=0  y[0..0] h=0\n"), std::string::npos) << out;
    // The [BBOX] line comes before the screenshot line of the headless end.
    EXPECT_LT(out.find("[BBOX]"), out.find("Screenshot saved"));
}

}  // namespace
