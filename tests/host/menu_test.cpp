// The menu in an 800 x 720 window on Mesa (SDL's offscreen driver), driven by clicks and
// keys as the main loop hands them over: File's actions, the Display settings and their
// save, the free-play box, the list windows and the toast.
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "host/display_settings.h"
#include "host/input_update.h"
#include "host/menu.h"
#include "host/menu_windows.h"
#include "host/settings.h"
#include "render/pick_lists.h"
#include "sound/audio_output.h"
#include "tests/support/menu_driver.h"
#include "tests/support/screen_harness.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const menu_state initial_menu = menu;
const host_settings_state initial_settings = host_settings;

// Where the widgets lie in the 800 x 720 window (the built-in font's fixed layout).
struct point {
    int x, y;
};
constexpr point FILE_HEADER{25, 10}, DISPLAY_HEADER{80, 10}, AUDIO_HEADER{140, 10}, CONTROLS_HEADER{200, 10},
                BILLBOARDS_HEADER{345, 10};
constexpr point TEST_MODE{60, 36}, EXIT{28, 105};
constexpr point WIDESCREEN_BOX{64, 36}, RATE_DOWN{69, 493}, RATE_UP{345, 493}, MODE_800x600{100, 253};
constexpr point FREEPLAY_BOX{180, 36}, CONTROLS_SAVE{188, 266};
constexpr point SHOW_BILLBOARDS{378, 36};
constexpr point VOLUME_HALF{215, 77}, AUDIO_SAVE{138, 100};

std::string text_of(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Menu : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("menu");
        ASSERT_EQ(chdir(dir.c_str()), 0);
        unsetenv("SKYVOLTA_MENU_OPEN");
        board_memory_clear();
        menu = initial_menu;
        host_settings = initial_settings;
        display_modes.count = 0;
        run_flag = 1;
        master_volume_set(1.0f);
        window = gui_window_open(800, 720);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        menu_init(window);
    }
    void TearDown() override {
        settings_rename = rename;
        gui_window_close(window);
        ASSERT_EQ(chdir("/"), 0);
        temp_dir_remove(dir);
    }
    bool open_and_click(point header, point item) {
        menu_click(window, header.x, header.y);
        return menu_click(window, item.x, item.y);
    }
    std::string settings_text() { return text_of(dir + "/" + SETTINGS_FILE); }
    void menu_frames_run(int n) {
        for (int i = 0; i < n; i++) menu_frame(window);
    }

    std::string dir;
    SDL_Window* window = nullptr;
};

TEST_F(Menu, FileActions) {
    toggle_menu();
    menu_frame(window);
    EXPECT_FALSE(open_and_click(FILE_HEADER, TEST_MODE));
    EXPECT_EQ(test_switch_state(), 1);
    EXPECT_FALSE(menu_is_open()) << "the test switch closes the menu";

    toggle_menu();
    menu_frame(window);
    EXPECT_TRUE(open_and_click(FILE_HEADER, EXIT));
    EXPECT_FALSE(restart_requested());
}

TEST_F(Menu, PictureRateArrowsWrapAndSave) {
    const struct {
        int rate, direction, want;
    } cases[] = {{240, 1, 0}, {0, -1, 240}, {0, 1, 24}, {60, 1, 75}, {61, 1, 24}, {61, -1, 240}};
    for (const auto& c : cases) EXPECT_EQ(frame_rate_step(c.rate, c.direction), c.want) << c.rate;

    host_settings.frame_rate = 240;
    toggle_menu();
    menu_frame(window);
    open_and_click(DISPLAY_HEADER, RATE_UP);
    EXPECT_EQ(host_settings.frame_rate, 0);
    EXPECT_NE(settings_text().find("frame_rate=0\n"), std::string::npos) << "an arrow saves the file";
    menu_click(window, RATE_DOWN.x, RATE_DOWN.y);
    EXPECT_EQ(host_settings.frame_rate, 240);
    EXPECT_NE(settings_text().find("frame_rate=240\n"), std::string::npos);
}

TEST_F(Menu, WideModeTurnsWidescreenOnUnlessStretched) {
    const struct {
        int aspect, widescreen, w, h, want;
    } cases[] = {
        {1, 0, 1920, 1080, 1},  // 4:3 picture, a 16:9 mode: widescreen on
        {0, 0, 1920, 1080, 0},  // stretched: stays off
        {1, 0, 1280, 960, 0},   // a 4:3 mode
        {1, 0, 0, 0, 0},        // native
        {3, 0, 2560, 1080, 1},
    };
    for (const auto& c : cases) {
        host_settings.aspect = c.aspect;
        host_settings.widescreen = c.widescreen;
        resolution_choose(window, c.w, c.h);
        EXPECT_EQ(host_settings.widescreen, c.want) << c.w << "x" << c.h << " aspect " << c.aspect;
        EXPECT_EQ(host_settings.resolution_w, c.w);
        EXPECT_EQ(host_settings.resolution_h, c.h);
    }
}

TEST_F(Menu, DisplayChangesSaveTheFile) {
    toggle_menu();
    menu_frame(window);
    open_and_click(DISPLAY_HEADER, MODE_800x600);
    EXPECT_EQ(host_settings.resolution_w, 800);
    EXPECT_EQ(host_settings.resolution_h, 600);
    EXPECT_EQ(host_settings.widescreen, 0) << "a 4:3 mode";
    EXPECT_NE(settings_text().find("resolution=800x600\n"), std::string::npos) << settings_text();
    menu_click(window, WIDESCREEN_BOX.x, WIDESCREEN_BOX.y);
    EXPECT_EQ(host_settings.widescreen, 1);
    EXPECT_NE(settings_text().find("widescreen=1\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, FreePlayBoxWritesTheWordAtOnceAndTheFileAtSave) {
    ASSERT_TRUE(file_write(dir + "/" + SETTINGS_FILE, {'f', 'r', 'e', 'e', 'p', 'l', 'a', 'y', '=', '0', '\n'}));
    toggle_menu();
    menu_frame(window);
    open_and_click(CONTROLS_HEADER, FREEPLAY_BOX);
    EXPECT_EQ(bus_read16(FREEPLAY_WORD), 1u);
    EXPECT_EQ(host_settings.freeplay_override, 1);
    EXPECT_EQ(settings_text(), "freeplay=0\n");
    menu_click(window, CONTROLS_SAVE.x, CONTROLS_SAVE.y);
    EXPECT_NE(settings_text().find("\nfreeplay=1\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, AudioPresetSetsTheVolumeAndOnlySaveKeepsIt) {
    toggle_menu();
    menu_frame(window);
    open_and_click(AUDIO_HEADER, VOLUME_HALF);
    EXPECT_FLOAT_EQ(master_volume_get(), 0.5f);
    EXPECT_EQ(file_size(dir + "/" + SETTINGS_FILE), -1);
    menu_click(window, AUDIO_SAVE.x, AUDIO_SAVE.y);
    EXPECT_NE(settings_text().find("volume=50\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, FailedSaveIsToldOnceTheMenuCloses) {
    settings_rename = [](const char*, const char*) {
        errno = EACCES;
        return -1;
    };
    toggle_menu();
    menu_frame(window);
    testing::internal::CaptureStderr();
    open_and_click(CONTROLS_HEADER, CONTROLS_SAVE);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[SETTINGS]"), std::string::npos);
    EXPECT_EQ(menu.toast_frames, 0) << "no toast over the open menu";
    toggle_menu();
    EXPECT_STREQ(menu.toast_text, "Settings not saved");
    EXPECT_GT(menu.toast_frames, 0);
}

TEST_F(Menu, EmptyBillboardListShowsItsCountHintAndClear) {
    toggle_menu();
    menu_frame(window);
    open_and_click(BILLBOARDS_HEADER, SHOW_BILLBOARDS);
    ASSERT_TRUE(menu.billboard_list_shown);
    menu_click(window, 790, 710);  // closes the drop-down
    menu_frame(window);
    ASSERT_EQ(billboard_count(), 0);
    EXPECT_EQ(screen_golden_check(gui_window_picture(window), __FILE__, "menu_billboards_empty"), "");
}

TEST_F(Menu, HighlightFollowsThePinAndAHiddenListDropsIt) {
    toggle_menu();
    menu.object_list_shown = true;
    menu.pinned_object = 1234;
    menu_frames_run(2);
    ASSERT_EQ(object_count(), 0);
    EXPECT_EQ(object_highlight_get(), 1234) << "no row under the mouse: the pin";
    menu.object_list_shown = false;
    menu_frame(window);
    EXPECT_EQ(menu.pinned_object, -1);
    EXPECT_EQ(object_highlight_get(), -1);
}

// Pixels that are not black in the band of the toast (28 rows from 36 above the bottom).
int toast_band_pixels(const rgb_picture& p) {
    int lit = 0;
    for (int y = p.height - 36; y < p.height - 8; y++)
        for (int x = 0; x < p.width; x++) {
            const uint8_t* c = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
            lit += c[0] | c[1] | c[2] ? 1 : 0;
        }
    return lit;
}

TEST_F(Menu, ToastShowsForItsFramesWhileTheMenuIsClosed) {
    menu_toast("Menu: R3 (right stick click) or hold Start", 3);
    toggle_menu();
    menu_frames_run(5);
    EXPECT_EQ(menu.toast_frames, 3) << "no countdown while the menu is open";
    toggle_menu();
    for (int frame = 0; frame < 4; frame++) {
        menu_frame(window);
        int lit = toast_band_pixels(gui_window_picture(window));
        if (frame < 3)
            EXPECT_GT(lit, 1000) << frame;
        else
            EXPECT_EQ(lit, 0);
    }
}

TEST_F(Menu, WindowSizeIsLoggedWhenTheMenuFirstShows) {
    testing::internal::CaptureStderr();
    menu_frames_run(2);
    toggle_menu();
    menu_frames_run(3);
    toggle_menu();
    toggle_menu();
    menu_frames_run(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[DISPLAY] f0 window now 800x720\n");
}

TEST_F(Menu, FilterTakesEveryEventOnlyWhileOpen) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    SDL_Event joystick{};
    joystick.type = SDL_JOYAXISMOTION;
    EXPECT_FALSE(menu_event_filter(&motion));
    toggle_menu();
    EXPECT_TRUE(menu_event_filter(&motion));
    EXPECT_TRUE(menu_event_filter(&joystick)) << "the game sees nothing while the menu is open";
    menu.pending_rebind = CONTROL_START;
    toggle_menu();
    EXPECT_EQ(menu.pending_rebind, -1) << "closing ends a wait";
    EXPECT_FALSE(take_pending_rebind());
}

}  // namespace
