// Window sizes chosen at start-up.
#include "host/window.h"
#include "render/wide_margins.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowSize, HeadlessWideFrame) {
    const struct { const char* wide; int w, left, right; } cases[] = {
        {nullptr, 640, 0, 640}, {"1.3333", 640, 0, 640}, {"1.7777", 852, -106, 746}, {"2.0", 960, -160, 800}};
    for (const auto& c : cases) {
        hud_margin_left = 0;
        hud_margin_right = 640;
        window_size s = headless_window_size(c.wide);
        EXPECT_EQ(s.w, c.w) << (c.wide ? c.wide : "unset");
        EXPECT_EQ(s.h, 480);
        EXPECT_EQ(hud_margin_left, c.left);
        EXPECT_EQ(hud_margin_right, c.right);
    }
    hud_margin_left = 0;
    hud_margin_right = 640;
}

TEST(WindowSize, WindowedScaleAndOverride) {
    const SDL_Rect small{0, 0, 600, 400}, hd{0, 0, 1920, 1050}, huge{0, 0, 7680, 4320}, none{0, 0, 0, 0};
    const struct { const SDL_Rect* usable; const char* env; int w, h; } cases[] = {
        {&small, nullptr, 640, 480},      // scale below 1 is raised to 1
        {&hd, nullptr, 1260, 945},        // 0.9 x 1050 / 480 = 1.96875
        {&huge, nullptr, 1280, 960},      // at most 2
        {&none, nullptr, 1280, 960},      // no usable bounds
        {nullptr, nullptr, 1280, 960},
        {&hd, "1024x768", 1024, 768},
        {&hd, "100x768", 1260, 945},      // below 160 wide: ignored
        {&hd, "junk", 1260, 945},
    };
    for (const auto& c : cases) {
        window_size s = windowed_size(c.usable, c.env);
        EXPECT_EQ(s.w, c.w) << (c.env ? c.env : "");
        EXPECT_EQ(s.h, c.h);
    }
}

}  // namespace
