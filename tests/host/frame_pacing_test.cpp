// Frame pacing on an injected clock: the absolute timer, late frames and re-anchoring,
// the vsync-block test, and other picture rates with dropped and re-shown pictures.
#include "host/frame_pacing.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct fake_machine {
    uint64_t t;
    uint64_t present_cost;   // what a swap takes (a blocking vsync swap: a refresh)
    bool interval_accepted;
    int presents, reshows, captures;
    std::vector<uint64_t> present_times;
    std::string log;
};
fake_machine m;

class PacingTest : public testing::Test {
protected:
    void SetUp() override {
        m = fake_machine{};
        m.t = 1000000000;
        m.interval_accepted = true;
        pacing_io.now_ns = [] { return m.t += 1000; };  // every look at the clock costs 1 us
        pacing_io.delay_ms = [](uint32_t ms) { m.t += uint64_t(ms) * 1000000 + 100000; };  // oversleeps 0.1 ms
        pacing_io.present = [] {
            m.t += m.present_cost;
            m.presents++;
            m.present_times.push_back(m.t);
        };
        pacing_io.swap_interval_set = [](int interval) { return interval == 0 || m.interval_accepted; };
        pacing_io.reshow_capture = [](bool) {
            m.captures++;
            return true;
        };
        pacing_io.reshow_draw = [](bool) {
            m.reshows++;
            return false;
        };
        pacing_io.log = [](const char* line) { m.log += line; };
    }
    // n iterations whose work (game step and drawing) takes work_ns each.
    static void run(int n, uint64_t work_ns = 4000000) {
        for (int i = 0; i < n; i++) {
            m.t += work_ns;
            pacing_present_and_wait();
        }
    }
};

TEST_F(PacingTest, TimerKeepsTheAbsoluteGameRate) {
    pacing_setup(0, -1, false, false);
    EXPECT_STREQ(pacing_mode_text(), "timer-paced at 59.906 Hz");
    uint64_t start = pacing.game_clock;
    run(600);
    EXPECT_EQ(pacing.game_clock, start + 600 * GAME_PERIOD_NS);
    // Each frame ends at its deadline, to well under a millisecond.
    EXPECT_LT(m.t - pacing.game_clock, 100000u);
    EXPECT_EQ(m.presents, 600);
}

// A real sleep wakes a millisecond or more late: the timer sleeps only to 1.5 ms before
// the deadline and spins the rest, so no frame ends late.
TEST_F(PacingTest, OversleepingTimerStillEndsEachFrameAtItsDeadline) {
    pacing_io.delay_ms = [](uint32_t ms) { m.t += uint64_t(ms) * 1000000 + 1200000; };
    pacing_setup(0, -1, false, false);
    for (int i = 0; i < 120; i++) {
        run(1);
        ASSERT_LT(m.t - pacing.game_clock, 100000u) << "frame " << i;
    }
}

TEST_F(PacingTest, LateFramesCatchUpAndLongStallsReanchor) {
    pacing_setup(0, -1, false, false);
    uint64_t start = pacing.game_clock;
    run(10);
    run(1, 40000000);  // 40 ms late: the next frames start at once until back on the grid
    run(10);
    EXPECT_EQ(pacing.game_clock, start + 21 * GAME_PERIOD_NS);
    EXPECT_LT(m.t - pacing.game_clock, 100000u);

    run(1, 150000000);  // a stall: re-anchored, not caught up
    uint64_t anchor = pacing.game_clock;
    EXPECT_GT(anchor, start + 22 * GAME_PERIOD_NS + 100000000);
    m.present_times.clear();
    run(5);
    EXPECT_EQ(pacing.game_clock, anchor + 5 * GAME_PERIOD_NS);
    for (size_t i = 1; i < m.present_times.size(); i++)
        EXPECT_NEAR(double(m.present_times[i] - m.present_times[i - 1]), double(GAME_PERIOD_NS), 200000.0) << i;
}

TEST_F(PacingTest, VsyncThatDoesNotBlockIsFoundWithin60Swaps) {
    pacing_setup(60, -1, false, false);
    EXPECT_STREQ(pacing_mode_text(), "vsync");
    run(60, 1000000);
    EXPECT_FALSE(pacing.vsync_active);
    EXPECT_FALSE(pacing.vsync_wanted);
    EXPECT_NE(m.log.find("[HOST] vsync does not block here (1.0 ms a frame): timer-paced at 59.906 Hz\n"),
              std::string::npos)
        << m.log;
    uint64_t start = pacing.game_clock;
    run(10);
    EXPECT_EQ(pacing.game_clock, start + 10 * GAME_PERIOD_NS);
}

TEST_F(PacingTest, BlockingVsyncStaysTheOnlyWait) {
    m.present_cost = 16666667;  // a 60 Hz refresh
    pacing_setup(60, -1, false, false);
    run(300, 2000000);
    EXPECT_TRUE(pacing.vsync_active);
    EXPECT_EQ(m.log, "");
    EXPECT_EQ(m.presents, 300);
}

TEST_F(PacingTest, VsyncSwitchAndRefusedInterval) {
    pacing_setup(60, 0, false, false);  // SKYVOLTA_VSYNC=0
    EXPECT_STREQ(pacing_mode_text(), "timer-paced at 59.906 Hz");
    pacing_setup(75, 1, false, false);  // asked for on another display rate
    EXPECT_TRUE(pacing.vsync_active);
    m.interval_accepted = false;
    pacing_setup(60, -1, false, false);
    EXPECT_FALSE(pacing.vsync_active);
    EXPECT_FALSE(pacing.vsync_wanted);
}

TEST_F(PacingTest, ThirtyPicturesDropEveryOtherFrame) {
    pacing_setup(60, -1, false, false);
    set_picture_rate(30);
    EXPECT_NE(m.log.find("[HOST] pictures: locked at 30 pictures/s (game 59.906 Hz)\n"), std::string::npos) << m.log;
    EXPECT_FALSE(pacing.vsync_active);
    uint64_t start = pacing.game_clock;
    run(600);
    EXPECT_EQ(pacing.game_clock, start + 600 * GAME_PERIOD_NS);
    // 600 game frames last 10.016 s: 300 pictures at 30 per second.
    EXPECT_NEAR(m.presents, 300, 2);
    EXPECT_EQ(m.reshows, 0);
    EXPECT_EQ(m.captures, 0);
}

TEST_F(PacingTest, HundredTwentyPicturesReshowEachFrameOnce) {
    pacing_setup(60, -1, false, true);
    set_picture_rate(120);
    run(600);
    EXPECT_NEAR(m.presents, 1202, 3);  // 10.016 s at 120 per second
    EXPECT_NEAR(m.reshows, 600, 3);
    EXPECT_EQ(m.captures, 600);
    EXPECT_EQ(pacing.reshow_test, 1);
}

TEST_F(PacingTest, PictureRateChoices) {
    pacing_setup(75, -1, false, false);
    m.log.clear();
    set_picture_rate(0);  // auto on a 75 Hz display: the display's rate with vsync
    EXPECT_EQ(pacing.picture_rate, 75);
    EXPECT_EQ(pacing.picture_period, 1000000000u / 75);
    EXPECT_EQ(m.log, "[HOST] pictures: Auto: the display's 75 pictures/s, vsync (game 59.906 Hz)\n");
    set_picture_rate(120);
    m.log.clear();
    set_picture_rate(59);  // not offered: back to auto
    EXPECT_EQ(pacing.requested_rate, 0);
    EXPECT_EQ(pacing.picture_rate, 75);
    m.log.clear();
    set_picture_rate(59);  // already auto: nothing
    set_picture_rate(0);   // unchanged: nothing
    EXPECT_EQ(m.log, "");
    set_picture_rate(60);
    EXPECT_EQ(pacing.picture_rate, 0);
    EXPECT_EQ(m.log, "[HOST] pictures: timer-paced at 59.906 Hz\n");
}

TEST_F(PacingTest, FpsLogEvery600Frames) {
    pacing_setup(0, -1, true, false);
    run(601);
    EXPECT_NE(m.log.find("[FPS] timer-paced at 59.906 Hz: 59.91 pictures/s (600 game frames, 59.91/s)\n"),
              std::string::npos)
        << m.log;
}

}  // namespace
