// The renderer's environment switches: forms of the values and their defaults.
#include "render/renderer_switches.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

class RendererSwitchesTest : public testing::Test {
protected:
    void SetUp() override { saved = renderer_switches; }
    void TearDown() override {
        for (const char* name : names) unsetenv(name);
        renderer_switches = saved;
    }
    void set(const char* name, const char* value) { setenv(name, value, 1); }
    renderer_switch_set saved;
    const char* names[7] = {"SKYVOLTA_DSP32", "SKYVOLTA_MAXDATA", "SKYVOLTA_LIVE_ZOOM", "SKYVOLTA_NO_HUDFIX",
                            "SKYVOLTA_WIDE_HUD_CENTER", "SKYVOLTA_GEO_EULER_P", "SKYVOLTA_ONLY_CODE"};
};

TEST_F(RendererSwitchesTest, UnsetVariablesKeepTheDefaults) {
    for (const char* name : names) unsetenv(name);
    renderer_switches_read();
    EXPECT_EQ(renderer_switches.dsp32, 0);
    EXPECT_EQ(renderer_switches.max_data, 4096);
    EXPECT_EQ(renderer_switches.asm_mode, 5);
    EXPECT_EQ(renderer_switches.geo_euler, 3);
    EXPECT_EQ(renderer_switches.geo_euler_8008, 4);
    EXPECT_EQ(renderer_switches.geo_euler_p, -1);
    EXPECT_EQ(renderer_switches.only_code, -1);
    EXPECT_EQ(renderer_switches.live_zoom_focal, 0);
}

TEST_F(RendererSwitchesTest, ValueForms) {
    set("SKYVOLTA_DSP32", "");           // not 0 and not empty: off
    set("SKYVOLTA_MAXDATA", "");         // integer, non-empty: the default
    set("SKYVOLTA_LIVE_ZOOM", "20000,6");
    set("SKYVOLTA_NO_HUDFIX", "0");      // presence: on whatever the value
    set("SKYVOLTA_GEO_EULER_P", "2");
    set("SKYVOLTA_ONLY_CODE", "70");
    renderer_switches.hud_centre = 1;    // as the wide_hud setting left it
    set("SKYVOLTA_WIDE_HUD_CENTER", "0");
    renderer_switches_read();
    EXPECT_EQ(renderer_switches.dsp32, 0);
    EXPECT_EQ(renderer_switches.max_data, 4096);
    EXPECT_EQ(renderer_switches.live_zoom_focal, 20000);
    EXPECT_EQ(renderer_switches.live_zoom_shift, 6);
    EXPECT_EQ(renderer_switches.no_hudfix, 1);
    EXPECT_EQ(renderer_switches.geo_euler_p, 2);
    EXPECT_EQ(renderer_switches.only_code, 70);
    EXPECT_EQ(renderer_switches.hud_centre, 0);

    set("SKYVOLTA_DSP32", "1");
    set("SKYVOLTA_MAXDATA", "12");
    set("SKYVOLTA_WIDE_HUD_CENTER", "");  // empty: the setting stays
    renderer_switches.hud_centre = 1;
    renderer_switches_read();
    EXPECT_EQ(renderer_switches.dsp32, 1);
    EXPECT_EQ(renderer_switches.max_data, 12);
    EXPECT_EQ(renderer_switches.hud_centre, 1);
}

}  // namespace
