// The screen harness steps the game as the main loop does: after 30 frames of the
// synthetic set it shows the boot screen, text and picture alike, and its picture is the
// one the program's own headless screenshot writes; each start is a fresh board.
#include "tests/support/screen_harness.h"

#include "board/palette_marks.h"

#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenHarness, BootScreenMatchesTheProgramsOwnScreenshot) {
    screen_start();
    screen_frames(30);
    // Attract's first frame cleared the boot screen's text; the title scene runs.
    EXPECT_EQ(screen_text_row(2), std::string(64, ' '));
    EXPECT_EQ(screen_state(), 1);
    rgb_picture got = screen_picture();
    ASSERT_EQ(got.width, 640);

    std::string dir = temp_dir_make("harness");
    std::string out;
    ASSERT_EQ(run_in(dir, std::string(SYNTHROM_EXE) + " roms > /dev/null", &out), 0);
    ASSERT_EQ(run_in(dir, headless_env + "SKYVOLTA_NO_AUTOSTART=1 " + skyvolta_exe + " --screenshot s.ppm 30 roms", &out), 0) << out;
    std::vector<uint8_t> ppm = file_read(dir + "/s.ppm");
    ASSERT_EQ(ppm.size(), size_t(15 + 640 * 480 * 3));
    rgb_picture want;
    want.width = 640;
    want.height = 480;
    want.rgb.assign(ppm.begin() + 15, ppm.end());
    EXPECT_EQ(picture_difference(got, want, 0), "");
    temp_dir_remove(dir);
}

// Each start is a fresh board: palette entries an earlier run wrote are no longer the
// game's (a screen after the attract drew its text in stale colours).
TEST(ScreenHarness, StartForgetsTheLastRunsPaletteWrites) {
    screen_start();
    palette_entry_mark_written(0x7F30);
    screen_start();
    EXPECT_EQ(palette_written[0x7F30], 0);
    for (uint32_t k = 0; k < palette_written_count; k++) EXPECT_NE(palette_written_list[k], 0x7F30);
}

}  // namespace
