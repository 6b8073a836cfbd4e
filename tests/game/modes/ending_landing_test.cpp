// The landing scenes on the synthetic tables: the landing's spiral approach, glide,
// touchdown and bounce, the free camera's repeat and steering, the crew's animation
// steps, and the landing's picture.
#include "tests/game/modes/ending_fixture.h"

#include "base/host_hooks.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_landing.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_ram.h"
#include "tests/support/synth_rom_tables.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int32_t LANDING_FIRST = 4485, LANDING_FRAMES = 870;
constexpr int32_t FREE_FIRST = 6795, FREE_FRAMES = 150;

int32_t pose(int field) {
    return wram_long(W_ENDING_POSE + 4 * uint32_t(field));
}

TEST(EndingLanding, ApproachEndsAtRadius4096ThenGlidesTouchesDownAndBounces) {
    ending_enter(1, 7, LANDING_FIRST);
    const int32_t* rom = SYNTH_LANDING_POSE;
    int32_t lowest = 0x7FFFFFFF, touch = -1, glide_end = -1;
    std::vector<int32_t> spring;
    for (int32_t t = 0; t < LANDING_FRAMES; t++) {
        ASSERT_EQ(ending_phase(), 7) << t;
        int32_t target_before = wram_long(W_ENDING_IK_B), sink_before = ending_scratch(LAND_SINK);
        ending_dispatch();
        lowest = std::min(lowest, pose(1));
        if (t == 599) {
            // The spiral's centre is the ROM point moved out by the radius.
            double dx = pose(0) - (rom[0] + 4096), dz = pose(2) - rom[2];
            EXPECT_NEAR(std::sqrt(dx * dx + dz * dz), 4096.0, 3.0);
            EXPECT_EQ(pose(4), rom[4]);  // the approach's last heading
        }
        if (t >= 600 && glide_end < 0 && ending_scratch(LAND_SPEED) <= 256) glide_end = t;
        if (touch < 0 && pose(1) == LANDING_FLOOR) {
            touch = t;
            // The first touch sets the sink to -385, which the spring step then spends
            // on the rig target in the same frame.
            ASSERT_EQ(sink_before, 0);
            int32_t w = LANDING_KICK - 128 * target_before - LANDING_KICK / 2;
            EXPECT_EQ(ending_scratch(LAND_SINK), w);
            EXPECT_EQ(wram_long(W_ENDING_IK_B), target_before + (w >> 9));
            EXPECT_EQ(ending_scratch(LAND_SPEED), 0);
        }
        if (touch >= 0) spring.push_back(wram_long(W_ENDING_IK_B));
    }
    EXPECT_EQ(ending_phase(), 8);
    EXPECT_EQ(lowest, LANDING_FLOOR);
    EXPECT_GT(glide_end, 600);
    ASSERT_GT(touch, glide_end);
    ASSERT_GT(spring.size(), 20u);
    // A damped spring: the target swings to both sides of its rest and the swing shrinks.
    auto [low, high] = std::minmax_element(spring.begin(), spring.end());
    EXPECT_LT(*low, 0);
    EXPECT_GT(*high, 0);
    int32_t early = 0, late = 0;
    for (size_t i = 0; i < 10; i++) early = std::max(early, std::abs(spring[i]));
    for (size_t i = spring.size() - 10; i < spring.size(); i++) late = std::max(late, std::abs(spring[i]));
    EXPECT_LT(late, early);
}

TEST(EndingLanding, GroundContactsTurnWithTheModel) {
    ending_enter(1, 7, LANDING_FIRST);
    for (int t = 0; t < 300; t++) ending_dispatch();
    int32_t x, y, z;
    vec_rotate_rph(0, 1248, 512, pose(3), pose(4), pose(5), &x, &y, &z);
    EXPECT_EQ(wram_long(W_GROUND_POINTS), x);  // record 0: the offset (0, 1248, 512)
    EXPECT_EQ(wram_long(W_GROUND_POINTS + 4), z);
    EXPECT_EQ(wram_long(W_GROUND_POINTS + 8), LANDING_FLOOR);
    EXPECT_EQ(wram_long(W_GROUND_POINTS + 48), 0);
}

struct free_case {
    const char* name;
    int32_t held;     // port 0's current bits through the pass (0: none)
    int32_t passes;   // passes of the phase before phase 11
};

TEST(EndingFreeCamera, RepeatsWhileASwitchIsTouchedInEachPass) {
    const free_case cases[] = {{"untouched", 0, 1}, {"steer left", 0x10, 3}, {"forward", 0x4, 3}};
    for (const free_case& c : cases) {
        SCOPED_TRACE(c.name);
        ending_enter(1, 10, FREE_FIRST);
        int32_t frames = 0;
        while (ending_phase() == 10 && frames < 3 * FREE_FRAMES) {
            // The switch is let go at the start of the third pass.
            w_cell_set(W_SWITCH_PORT0 + SP_CURRENT, frames < 2 * FREE_FRAMES ? c.held : 0);
            ending_dispatch();
            frames++;
        }
        EXPECT_EQ(frames, c.passes * FREE_FRAMES);
        EXPECT_EQ(ending_phase(), 11);
    }
}

TEST(EndingFreeCamera, PresetFromRomBytesThenSteering) {
    ending_enter(1, 10, FREE_FIRST);
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 0x200);
    ending_dispatch();
    w_cell_set(W_SWITCH_PORT0 + SP_PRESSED, 0);
    for (uint32_t k = 0; k < 6; k++) EXPECT_EQ(wram_long(0x0CDC + 4 * k), SYNTH_FREE_PRESET[k]) << k;
    w_cell_set(W_SWITCH_PORT0 + SP_CURRENT, 0x20 | 0x40 | 0x4);  // heading +, pitch +, forward
    ending_dispatch();
    EXPECT_EQ(wram_long(0x0CEC), SYNTH_FREE_PRESET[4] + 256);
    EXPECT_EQ(wram_long(0x0CE8), SYNTH_FREE_PRESET[3] + 256);
    int32_t x, y, z;
    vec_rotate_rph(0, 0, 128, SYNTH_FREE_PRESET[3] + 256, SYNTH_FREE_PRESET[4] + 256, SYNTH_FREE_PRESET[5], &x, &y, &z);
    EXPECT_EQ(wram_long(0x0CDC), SYNTH_FREE_PRESET[0] + x);
    EXPECT_EQ(wram_long(0x0CE0), SYNTH_FREE_PRESET[1] + y);
    EXPECT_EQ(wram_long(0x0CE4), SYNTH_FREE_PRESET[2] + z);
    // The scenery words step through their ROM cycles every 16 frames.
    EXPECT_EQ(wram_long(0xCF84), 0x000);
    for (int i = 0; i < 16; i++) ending_dispatch();
    EXPECT_EQ(wram_long(0xCF84), 0x001);
    EXPECT_EQ(wram_long(0xB204), 0x401);
}

// The 4-word entries of the current list whose model lies in [first, last].
std::vector<int32_t> models_in_list(int32_t first, int32_t last) {
    std::vector<int32_t> found;
    const int32_t* area = dl_packet_area(dl_buffer_current());
    for (const int32_t* p = area; p < dl_cursor_get(); p++)
        if (*p >= first && *p <= last) found.push_back(*p);
    return found;
}

TEST(EndingCrew, EntriesStepEveryFourAndTwoFrames) {
    ending_enter(1, 5, 3375);
    for (int32_t t = 0; t < 12; t++) {
        ending_dispatch();
        int32_t crew = ((3375 + t - 15) >> 1) & 15 & 3;  // the synthetic steps are k mod 4
        std::vector<int32_t> m = models_in_list(326, 373);
        const std::vector<int32_t> want = {326 + crew, 340 + (t / 4) % 16, 334 + (t / 4) % 6,
                                           364 + (t / 4) % 4, 356 + crew, 368 + (t / 2) % 6};
        EXPECT_EQ(m, want) << t;
    }
}

TEST(EndingPictures, Landing) {
    ending_board(1);
    requested_ending_phase = 7;  // the host's level jump: the scene starts visible
    for (int i = 0; i <= 840; i++) ending_frame();
    EXPECT_EQ(ending_phase(), 7);
    EXPECT_EQ(screen_golden_check(screen_picture(), __FILE__, "ending_landing"), "");
}

}  // namespace
