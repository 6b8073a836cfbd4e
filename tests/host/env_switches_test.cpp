// How the start-up block and the loop's logs read their switches: the forms of the
// values that the documented table gives.
#include "host/env_switches.h"
#include "game/modes/name_entry.h"
#include "host/input_update.h"
#include "host/void_log.h"
#include "render/renderer_switches.h"
#include "render/texture_cache.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Sets the variable, or unsets it for a null value.
void env_put(const char* name, const char* value) {
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

class EnvSwitches : public testing::Test {
protected:
    void SetUp() override { saved = renderer_switches; }
    void TearDown() override {
        for (const char* name : names) unsetenv(name);
        renderer_switches = saved;
        void_log = void_log_switches{};
    }
    renderer_switch_set saved;
    std::vector<const char*> names = {"SKYVOLTA_NO_NMAT",  "SKYVOLTA_TEXBUDGET", "SKYVOLTA_TEXATLAS",
                                      "SKYVOLTA_VOIDEVERY", "SKYVOLTA_VOIDPCT",  "SKYVOLTA_VOIDLOG"};
};

TEST_F(EnvSwitches, ZeroTestOfTheNormalMatrixSwitch) {
    struct row {
        const char* value;
        int on;
    } rows[] = {{"0", 0}, {"1", 1}, {"yes", 1}, {"", 1}, {"00", 0}, {nullptr, 0}};
    for (const row& r : rows) {
        env_put("SKYVOLTA_NO_NMAT", r.value);
        host_env_switches_read();
        EXPECT_EQ(renderer_switches.no_nmat, r.on) << (r.value ? r.value : "unset");
    }
}

// The name entry's test drive steers the host's own handle readings, which the host
// writes into the board each frame; the board words alone would be overwritten.
TEST_F(EnvSwitches, NameTestDriveSteersTheHostHandle) {
    host_env_switches_read();
    name_entry_analog_hook(192, 830);
    EXPECT_EQ(input.steer, 192);
    EXPECT_EQ(input.lean, 830);
    name_entry_analog_hook(ADC_CENTRE, ADC_CENTRE);
}

TEST_F(EnvSwitches, TextureBudgetKeeps448MegabytesUnlessPositive) {
    setenv("SKYVOLTA_TEXATLAS", "0", 1);  // no atlas pages: the reset stays off the GL
    struct row {
        const char* value;
        uint64_t megabytes;
    } rows[] = {{"0", 448}, {"-5", 448}, {"", 448}, {"64", 64}, {nullptr, 448}};
    for (const row& r : rows) {
        env_put("SKYVOLTA_TEXBUDGET", r.value);
        tex_cache_reset();
        EXPECT_EQ(tex_switches.cap_bytes, r.megabytes << 20) << (r.value ? r.value : "unset");
    }
}

TEST_F(EnvSwitches, VoidLogSamplingAndItsOutput) {
    struct row {
        const char* every;
        int period;
    } rows[] = {{"0", 1}, {"-3", 1}, {"2", 2}, {nullptr, 4}};
    for (const row& r : rows) {
        env_put("SKYVOLTA_VOIDEVERY", r.every);
        void_log_open();
        EXPECT_EQ(void_log.every, r.period) << (r.every ? r.every : "unset");
        EXPECT_EQ(void_log.percent, 8);
    }
    const char* off[] = {"0", ""};
    for (const char* v : off) {
        setenv("SKYVOLTA_VOIDLOG", v, 1);
        void_log_open();
        EXPECT_FALSE(void_log.on) << v;
    }
    setenv("SKYVOLTA_VOIDLOG", "1", 1);
    setenv("SKYVOLTA_VOIDPCT", "30", 1);
    unsetenv("SKYVOLTA_VOIDEVERY");
    testing::internal::CaptureStderr();
    void_log_open();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "# void log: report frames >= 30% near-black, sampled every 4 frames\n");
    EXPECT_TRUE(void_log.on);
}

TEST(VoidLog, NearBlackShare) {
    // Four pixels: black, a level of 24 on every channel, one channel at 25, white.
    const uint8_t rgb[] = {0, 0, 0, 24, 24, 24, 24, 25, 24, 255, 255, 255};
    EXPECT_EQ(near_black_percent(rgb, 2, 2), 50);
    EXPECT_EQ(near_black_percent(rgb, 1, 1), 100);
    EXPECT_EQ(near_black_percent(rgb, 0, 2), 0);
}

}  // namespace
