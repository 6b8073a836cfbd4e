// Whole headless runs with the menu: open from the first frame (the picture below the
// bar is the game's), and File > Exit, a level and the recorder clicked by
// SKYVOLTA_MENU_CLICK.
#include "host/menu_input.h"
#include "tests/support/png_compare.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_harness.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int BAR_ROWS = 28;

// A P6 picture of 640 x 480 as RGB rows.
rgb_picture ppm_picture(const std::string& path) {
    std::vector<uint8_t> bytes = file_read(path);
    const size_t header = 15;  // "P6\n640 480\n255\n"
    rgb_picture p;
    if (bytes.size() != header + 640 * 480 * 3) return p;
    p.width = 640;
    p.height = 480;
    p.rgb.assign(bytes.begin() + header, bytes.end());
    return p;
}

class MenuRun : public ProgramRunFixture {};

TEST_F(MenuRun, OpenMenuCoversOnlyTheTopRows) {
    std::string plain_out, menu_out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1", "--screenshot plain.ppm 6", &plain_out), 0) << plain_out;
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_MENU_OPEN=1", "--screenshot menu.ppm 6", &menu_out), 0)
        << menu_out;
    const std::string logged = "[DISPLAY] f0 window now 640x480\n";
    ASSERT_NE(menu_out.find(logged), std::string::npos) << menu_out;
    EXPECT_EQ(menu_out.find("window now", menu_out.find(logged) + logged.size()), std::string::npos)
        << "logged once: " << menu_out;
    EXPECT_EQ(plain_out.find("window now"), std::string::npos);

    rgb_picture plain = ppm_picture(dir + "/plain.ppm"), with_menu = ppm_picture(dir + "/menu.ppm");
    ASSERT_EQ(with_menu.width, 640);
    ASSERT_EQ(plain.width, 640);
    const size_t row = 640 * 3, bar = BAR_ROWS * row;
    EXPECT_TRUE(std::equal(plain.rgb.begin() + long(bar), plain.rgb.end(), with_menu.rgb.begin() + long(bar)))
        << "below the bar the picture is the game's";
    EXPECT_FALSE(std::equal(plain.rgb.begin(), plain.rgb.begin() + long(bar), with_menu.rgb.begin()));
    EXPECT_EQ(screen_golden_check(with_menu, __FILE__, "menu_open_headless"), "");
}

TEST_F(MenuRun, FileExitEndsTheRunBeforeItsPicture) {
    std::string out;
    // File pressed at frame 2 (released at 3), Exit pressed at 5 and released at 6.
    ASSERT_EQ(program_run(dir, "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_MENU_OPEN=1 SKYVOLTA_MENU_CLICK='2:25,10;5:28,105'",
                          "--screenshot s.ppm 30", &out),
              0)
        << out;
    EXPECT_EQ(file_size(dir + "/s.ppm"), -1);
    EXPECT_EQ(out.find("Screenshot saved"), std::string::npos) << out;
    EXPECT_EQ(out.find("  frame 10 / 30"), std::string::npos) << out;
}

TEST_F(MenuRun, ScriptedClicksReachLevelsAndRecord) {
    const struct {
        const char* clicks;
        std::vector<std::string> lines;
    } cases[] = {
        // Levels pressed at frame 2, "Level 2 GALE GROVE" at 5: the game leaves for its stage start
        // (two frames) and gameplay initialisation applies the jump.
        {"2:193,10;5:200,185",
         {"[LEVEL] NOVICE  GALE GROVE\n", "[COURSE] f8 state=5 sub=0 course=0\n", "[LEVEL] f10 apply adv=0 course=1 "}},
        // Record, then "Start recording" (the drop-down kept inside the 640-wide window).
        {"2:518,10;5:400,36", {"[DISPLAY] f0 window now 640x480\n", "[REC] recording to recordings/flight_"}},
    };
    for (const auto& c : cases) {
        std::string out;
        ASSERT_EQ(run_in(dir,
                         headless_env + "SKYVOLTA_NO_AUTOSTART=1 SKYVOLTA_STAGEDBG=1 SKYVOLTA_MENU_OPEN=1 "
                                        "SKYVOLTA_MENU_CLICK='" + c.clicks + "' " +
                             skyvolta_exe + " --screenshot s.ppm 12",
                         &out),
                  0)
            << out;
        expect_lines_in_order(out, c.lines);
    }
}

TEST(MenuClicks, ScriptIsParsedUpToEightEntries) {
    menu_click c[MENU_CLICKS_MAX];
    const struct {
        const char* text;
        int count, last_frame, last_x, last_y;
    } cases[] = {
        {"2:25,10", 1, 2, 25, 10},
        {"2:25,10;5:28,105", 2, 5, 28, 105},
        {"1:1,1;2:2,2;3:3,3;4:4,4;5:5,5;6:6,6;7:7,7;8:8,8;9:9,9", 8, 8, 8, 8},
        {"3:4,5;junk;7:8,9", 1, 3, 4, 5},
        {"", 0, 0, 0, 0},
        {"x", 0, 0, 0, 0},
    };
    for (const auto& k : cases) {
        int n = menu_clicks_parse(k.text, c);
        ASSERT_EQ(n, k.count) << k.text;
        if (n == 0) continue;
        EXPECT_EQ(c[n - 1].frame, k.last_frame) << k.text;
        EXPECT_EQ(c[n - 1].x, k.last_x) << k.text;
        EXPECT_EQ(c[n - 1].y, k.last_y) << k.text;
    }
    EXPECT_EQ(menu_clicks_parse(nullptr, c), 0);
}

}  // namespace
