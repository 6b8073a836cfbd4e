// Display settings: the aspect the picture is drawn at, the internal render size and
// the display-mode list the menu offers.
#include "host/display_settings.h"
#include "host/settings.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

const host_settings_state initial_settings = host_settings;

std::vector<std::pair<int, int>> listed() {
    std::vector<std::pair<int, int>> v;
    for (int i = 0; i < display_modes.count; i++) v.emplace_back(display_modes.modes[i].w, display_modes.modes[i].h);
    return v;
}

class DisplaySettings : public testing::Test {
protected:
    void SetUp() override {
        host_settings = initial_settings;
        display_modes.count = 0;
    }
    void TearDown() override { host_settings = initial_settings; }
};

TEST_F(DisplaySettings, AspectOfThePicture) {
    const float expected[] = {0.0f, 4.0f / 3.0f, 8.0f / 7.0f, 16.0f / 9.0f};
    for (int a = 0; a < ASPECT_ROWS; a++) {
        host_settings.aspect = a;
        EXPECT_EQ(display_aspect(), expected[a]) << aspect_table[a].label;
    }
    host_settings.widescreen = 1;
    EXPECT_EQ(display_aspect(), -1.0f);
}

TEST_F(DisplaySettings, RenderSizeFollowsTheWindowWhenWide) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("t", 0, 0, 1920, 1080, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    const struct {
        int widescreen, res_w, res_h;
        SDL_Window* window;
        int w, h;
    } cases[] = {
        {0, 640, 480, window, 640, 480},  {1, 640, 480, window, 854, 480},  // 853.3 rounded, then even
        {1, 0, 0, window, 0, 0},          {1, 640, 480, nullptr, 640, 480},
        {1, 1280, 1024, window, 1820, 1024},
    };
    for (const auto& c : cases) {
        host_settings.widescreen = c.widescreen;
        host_settings.resolution_w = c.res_w;
        host_settings.resolution_h = c.res_h;
        int w = -1, h = -1;
        render_size(c.window, &w, &h);
        EXPECT_EQ(w, c.w) << c.res_w << "x" << c.res_h << " wide " << c.widescreen;
        EXPECT_EQ(h, c.h);
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);  // what the test started: the program's GL window keeps video
}

TEST_F(DisplaySettings, ModeListRulesAndOrder) {
    for (auto m : std::vector<std::pair<int, int>>{{800, 600}, {640, 480}, {639, 480}, {800, 479}, {800, 600},
                                                   {1920, 1080}, {1280, 720}, {3440, 1440}, {2560, 1080}, {1280, 1024}})
        display_mode_add(m.first, m.second);
    qsort(display_modes.modes, size_t(display_modes.count), sizeof(display_mode_entry), display_mode_compare);
    EXPECT_EQ(listed(), (std::vector<std::pair<int, int>>{{1280, 1024}, {640, 480}, {800, 600}, {1280, 720},
                                                          {1920, 1080}, {2560, 1080}, {3440, 1440}}));
    for (int i = 0; i < 200; i++) display_mode_add(1000 + i, 700);
    EXPECT_EQ(display_modes.count, DISPLAY_MODES_MAX);
}

TEST_F(DisplaySettings, BuiltListHasTheFixedModesUnlessExclusive) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    build_display_modes(nullptr);
    std::vector<std::pair<int, int>> windowed = listed();
    EXPECT_GE(windowed.size(), 20u);
    for (auto m : std::vector<std::pair<int, int>>{{640, 480}, {3840, 2160}, {3440, 1440}, {1366, 768}})
        EXPECT_NE(std::find(windowed.begin(), windowed.end(), m), windowed.end()) << m.first << "x" << m.second;
    for (int i = 1; i < display_modes.count; i++)
        EXPECT_LE(display_mode_compare(&display_modes.modes[i - 1], &display_modes.modes[i]), 0) << i;

    host_settings.window_mode = 2;
    build_display_modes(nullptr);
    EXPECT_GE(display_modes.count, 1);  // the display's own modes, or 640x480
    EXPECT_LT(display_modes.count, int(windowed.size()));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);  // what the test started: the program's GL window keeps video
}

}  // namespace
