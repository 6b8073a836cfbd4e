// What a player sees is the picture the game renders: a windowed run on a virtual X
// display stops itself once frame N is presented, the test reads its window from the X
// server (what the window's default framebuffer put on the screen), and that picture
// must equal the F12 PNG of the same frame and the --screenshot picture of
// a headless run to it, pixel for pixel (the picture is drawn at the window's size, so no
// scaling filter is in force). The attract's first scene and course 0's race end in the
// mixer's colour table (the synthetic set's inverts), the map view of course 0 does not;
// each at 4:3 and 16:9 and as a 4:3 picture between black bars in a 16:9 window, with
// the menu closed and open (the menu bar's rows excepted).
#include "tests/support/png_compare.h"
#include "tests/support/program_run.h"
#include "tests/support/x11_window_grab.h"
#include "tests/support/xvfb_rerun.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ostream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace {

constexpr int MENU_BAR_ROWS = 28;

struct scene_case {
    const char* name;
    const char* switches;
    const char* args;  // both runs
    int frame;
};

// The attract's first textured scene; course 0's race 49 frames after its start at
// frame 351; the map view (its own camera, no 2D layers).
const scene_case SCENES[] = {
    {"attract", "SKYVOLTA_NO_AUTOSTART=1 ", "", 320},
    {"race", "SKYVOLTA_TEST_GOTO=2@20 SKYVOLTA_TEST_PEDAL=3 SKYVOLTA_TEST_ANALOG=470 ", "--autostart 0 ", 400},
    {"map", "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_MAP=0 ", "", 30},
};

struct view_case {
    const char* name;
    const char* window;    // SKYVOLTA_WINDOW
    const char* settings;  // the windowed run's overrides
    const char* wide;      // the headless run's SKYVOLTA_WIDE
    int width;             // the picture's
    int bar;               // the black bar left and right of it in the window
};

const view_case VIEWS[] = {
    {"4x3", "640x480", "", "", 640, 0},
    {"16x9", "852x480", "--set widescreen=1 ", "SKYVOLTA_WIDE=1.7777 ", 852, 0},
    {"4x3_pillarboxed", "852x480", "", "", 640, 106},
};

void PrintTo(const scene_case& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const view_case& c, std::ostream* os) {
    *os << c.name;
}

// A file in dir whose name begins with `prefix` and ends in `suffix`, or "".
std::string file_ending(const std::string& dir, const std::string& prefix, const std::string& suffix) {
    std::string found;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                found = dir + "/" + name;
        }
        closedir(d);
    }
    return found;
}

// Columns x0 .. x0 + width - 1 of the picture.
rgb_picture columns(const rgb_picture& p, int x0, int width) {
    rgb_picture out;
    out.width = width;
    out.height = p.height;
    for (int y = 0; y < p.height; y++) {
        auto row = p.rgb.begin() + long((size_t(y) * size_t(p.width) + size_t(x0)) * 3);
        out.rgb.insert(out.rgb.end(), row, row + long(width) * 3);
    }
    return out;
}

// The picture with its first `rows` rows blanked (the menu bar's).
rgb_picture rows_blanked(rgb_picture p, int rows) {
    std::fill(p.rgb.begin(), p.rgb.begin() + long(size_t(rows) * size_t(p.width) * 3), 0);
    return p;
}

size_t colour_count(const rgb_picture& p) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
        colours.insert(uint32_t(p.rgb[i]) << 16 | uint32_t(p.rgb[i + 1]) << 8 | p.rgb[i + 2]);
    return colours.size();
}

// Runs the program in dir (a shell command line, exec'd) and, when it stops itself at the
// presented frame, reads its window; then lets it run to its end. The exit status.
int run_and_grab_window(const std::string& dir, const std::string& command, rgb_picture* shown, std::string* why) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) == 0) execl("/bin/sh", "sh", "-c", ("exec " + command + " > run.txt 2>&1").c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, WUNTRACED) != pid) return -1;
    if (WIFSTOPPED(status)) {
        if (!x11_window_grab("Sky Volta", shown, why)) *why += " (window not read)";
        kill(pid, SIGCONT);
        if (waitpid(pid, &status, 0) != pid) return -1;
    } else {
        *why = "the program did not stop at the frame";
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WindowPicture : public ProgramRunFixture,
                      public testing::WithParamInterface<std::tuple<scene_case, view_case, bool>> {};

TEST_P(WindowPicture, WindowShowsTheRenderedPicture) {
    // Outside Xvfb the case runs again under xvfb-run and passes when it passed there.
    if (!xvfb_rerun_child()) {
        std::string out;
        std::string name = std::string(testing::UnitTest::GetInstance()->current_test_suite()->name()) + "." +
                           testing::UnitTest::GetInstance()->current_test_info()->name();
        int status = xvfb_rerun(name.c_str(), &out);
        if (status == -1) GTEST_SKIP() << "xvfb-run is not installed";
        ASSERT_EQ(status, 0) << out;
        EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
        return;
    }
    const auto& [scene, view, menu_open] = GetParam();
    const std::string frame = std::to_string(scene.frame), next = std::to_string(scene.frame + 1);
    char tag[16];
    snprintf(tag, sizeof tag, "_f%06d.png", scene.frame);

    std::string env = std::string("env ENG_DISPLAY_HZ=60 SKYVOLTA_VSYNC=0 SKYVOLTA_SHOTDIR=shots SKYVOLTA_SHOT_EVERY=") +
                      frame + " SKYVOLTA_TEST_SHOWN=" + frame + " SKYVOLTA_EXIT_AT=" + next + " SKYVOLTA_WINDOW=" +
                      view.window + " " + (menu_open ? "SKYVOLTA_TEST_MENU=" + frame + " " : std::string()) +
                      scene.switches;
    rgb_picture shown, f12, screenshot;
    std::string why;
    int status = run_and_grab_window(dir, env + skyvolta_exe + " --noaudio " + view.settings + scene.args, &shown, &why);
    std::vector<uint8_t> log = file_read(dir + "/run.txt");
    std::string windowed(log.begin(), log.end());
    ASSERT_EQ(status, 0) << windowed;
    ASSERT_EQ(why, "") << windowed;

    std::string headless;
    ASSERT_EQ(program_run(dir, std::string(scene.switches) + view.wide,
                          std::string(scene.args) + "--screenshot s.ppm " + next, &headless), 0) << headless;

    std::string f12_path = file_ending(dir + "/shots", "shot_", tag);
    ASSERT_NE(f12_path, "") << windowed;
    ASSERT_TRUE(png_read_rgb(f12_path, &f12, &why)) << why;
    ASSERT_TRUE(ppm_read(dir + "/s.ppm", &screenshot));
    ASSERT_EQ(shown.width, view.width + 2 * view.bar);
    ASSERT_EQ(shown.height, 480);
    EXPECT_GT(colour_count(shown), 8u) << "a picture, not a cleared window";
    int menu_rows = menu_open ? MENU_BAR_ROWS : 0;
    if (view.bar) {
        rgb_picture black;
        black.width = view.bar, black.height = 480;
        black.rgb.assign(size_t(view.bar) * 480 * 3, 0);
        for (int x0 : {0, view.bar + view.width})
            EXPECT_EQ(picture_difference(rows_blanked(columns(shown, x0, view.bar), menu_rows), black, 0), "")
                << "the bar at x " << x0;
    }

    // F12 reads the frame's back buffer with the menu in it, as the window shows it.
    EXPECT_EQ(picture_difference(shown, f12, 0), "") << "window against F12";
    rgb_picture picture = columns(shown, view.bar, view.width);
    // Between bars the picture is drawn at an offset in a wider target; a software
    // rasteriser interpolates colours from its own tile origins, so a shaded edge may land
    // one step away from the headless picture's.
    int tolerance = view.bar ? 1 : 0;
    EXPECT_EQ(picture_difference(rows_blanked(picture, menu_rows), rows_blanked(screenshot, menu_rows), tolerance), "")
        << "window against --screenshot";
    if (menu_open) {
        EXPECT_NE(picture_difference(picture, screenshot, 0), "") << "the menu bar is in the window";
    }
}

std::string case_name(const testing::TestParamInfo<std::tuple<scene_case, view_case, bool>>& info) {
    const auto& [scene, view, menu_open] = info.param;
    return std::string(scene.name) + "_" + view.name + (menu_open ? "_menu" : "");
}

INSTANTIATE_TEST_SUITE_P(Scenes, WindowPicture,
                         testing::Combine(testing::ValuesIn(SCENES), testing::ValuesIn(VIEWS), testing::Bool()),
                         case_name);

}  // namespace
