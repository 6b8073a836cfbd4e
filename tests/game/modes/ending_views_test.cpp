// The ending scenes' shared operations: the camera records, interpolated and eased, the
// sway's pair order, and the circling objects.
#include "tests/game/modes/ending_fixture.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "game/modes/ending_ram.h"
#include "game/modes/ending_views.h"
#include "game/services/camera_ram.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t RECORD_A = 0x17000, RECORD_B = 0x17040, SWAY = 0x17080;

void record_put(uint32_t w, const int32_t (&longs)[7]) {
    for (uint32_t k = 0; k < 7; k++) wram_long_set(w + 4 * k, longs[k]);
}

int32_t camera(uint32_t k) {
    return wram_long(W_CAMERA_X + 4 * k);
}

struct interpolate_case {
    int32_t t, span;
    int32_t x, heading, zoom;  // expected camera x, heading and zoom word
};

TEST(EndingCamera, InterpolationEndsAtBothRecords) {
    ending_board(1);
    record_put(RECORD_A, {1000, -2000, 30000, 0x100, 0xF000, 7, 0x780});
    record_put(RECORD_B, {-1000, 4000, 30003, 0x200, 0x1000, 7, 0x500});
    const interpolate_case cases[] = {
        {0, 264, 1000, 0xF000, 0x780},
        {264, 264, -1000, 0x1000, 0x500},
        {132, 264, 0, 0x8000, 0x640},  // longs: the heading goes down, not round
        {1, 3, 1000 - 666, 0xF000 - 0xE000 / 3, 0x780 - 0x280 / 3},  // truncating toward zero
    };
    for (const interpolate_case& c : cases) {
        SCOPED_TRACE(c.t);
        ending_camera_interpolate(WRAM_BASE + RECORD_A, WRAM_BASE + RECORD_B, c.t, c.span, true);
        EXPECT_EQ(camera(0), c.x);
        EXPECT_EQ(camera(4), c.heading);
        EXPECT_EQ(w_read16(WRAM_BASE + W_ENDING_ZOOM), c.zoom);
    }
    ending_camera_record_load(WRAM_BASE + RECORD_A, false);
    ending_camera_interpolate(WRAM_BASE + RECORD_A, WRAM_BASE + RECORD_B, 5, 0, true);  // span 0: nothing
    EXPECT_EQ(camera(0), 1000);
    EXPECT_EQ(w_read16(WRAM_BASE + W_ENDING_ZOOM), 0x780 - 0x280 / 3);
}

struct sway_case {
    int32_t divisors[3];  // at +0, +8, +16
    bool pitch, heading, roll;  // which camera angles move
};

TEST(EndingCamera, SwayPairsFillPitchHeadingRollInOrderSkippingZeroDivisors) {
    const sway_case cases[] = {
        {{64, 32, 16}, true, true, true},
        {{64, 0, 16}, true, true, false},  // +12 zero: pitch and heading
        {{0, 0, 16}, true, false, false},
        {{0, 0, 0}, false, false, false},
    };
    for (const sway_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.divisors[0] << "," << c.divisors[1] << "," << c.divisors[2]);
        ending_board(1);
        for (uint32_t p = 0; p < 3; p++) {
            wram_long_set(SWAY + 8 * p, 0);  // rate 0: the term is 0x7FFF / divisor
            wram_long_set(SWAY + 8 * p + 4, c.divisors[p]);
        }
        for (uint32_t k = 3; k < 6; k++) wram_long_set(W_CAMERA_X + 4 * k, 0);
        ending_sway_start(WRAM_BASE + SWAY, 10);
        ending_camera_sway();
        // The first divisor in use is the pair at +8, then +0, then +16.
        int32_t order[3] = {c.divisors[1], c.divisors[0], c.divisors[2]};
        int32_t expect[3] = {0, 0, 0}, slot = 0;
        for (int32_t d : order)
            if (d) expect[slot++] = 0x7FFF / d;
        EXPECT_EQ(camera(3), expect[0]);
        EXPECT_EQ(camera(4), expect[1]);
        EXPECT_EQ(camera(5), expect[2]);
        EXPECT_EQ(camera(3) != 0, c.pitch);
        EXPECT_EQ(camera(4) != 0, c.heading);
        EXPECT_EQ(camera(5) != 0, c.roll);
        EXPECT_EQ(w_read16(WRAM_BASE + W_SWAY_LEFT), 9);
    }
}

TEST(EndingCamera, SwayWithNoFramesLeftOnlyWritesTheView) {
    ending_board(1);
    for (uint32_t p = 0; p < 3; p++) wram_long_set(SWAY + 8 * p + 4, 8);
    ending_sway_start(WRAM_BASE + SWAY, 0);
    for (uint32_t k = 3; k < 6; k++) wram_long_set(W_CAMERA_X + 4 * k, 0x1234);
    wram_long_set(W_CAMERA_PITCH, 0x4000);
    ending_camera_sway();
    EXPECT_EQ(camera(3), 0x4000);
    EXPECT_EQ(camera(4), 0x1234);
    // View slot 3's words 1, 2: the (sin, cos) of the camera pitch.
    uint32_t view = (DL_BUFFER_BASE + dl_buffer_current() * DL_BUFFER_SIZE + 3 * DL_VIEW_BLOCK_BYTES) / 4;
    EXPECT_EQ(dsp_word(view + 1), math_sin(0x4000));
    EXPECT_EQ(dsp_word(view + 2), math_cos(0x4000));
}

TEST(EndingCamera, PoseEasingWithShiftOneHalvesTheDistance) {
    ending_board(1);
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_ENDING_POSE + 4 * k, 0);
    wram_long_set(W_ENDING_POSE, 100000);
    record_put(RECORD_A, {0, 4096, 0, 0, 0, 0, 0});  // 4096 straight up from the model
    for (uint32_t k = 0; k < 3; k++) wram_long_set(W_CAMERA_X + 4 * k, 0);
    int32_t dy = 4096, dx = 100000;
    for (int frame = 0; frame < 4; frame++) {
        ending_camera_pose_load(1, WRAM_BASE + RECORD_A);
        dx -= dx / 2;
        dy -= dy / 2;
        EXPECT_EQ(100000 - camera(0), dx) << frame;
        EXPECT_NEAR(4096 - camera(1), dy, 1) << frame;
    }
    EXPECT_EQ(camera(4), 0x4000);
    EXPECT_EQ(w_read16(WRAM_BASE + W_ENDING_ZOOM), 0x780);
    ending_camera_pose_load(0, WRAM_BASE + RECORD_A);
    EXPECT_EQ(camera(0), 100000);
}

TEST(EndingObjects, EightObjectsStandAnEighthTurnApart) {
    ending_board(1);
    record_put(RECORD_A, {5000, 6000, 7000, 0, 0, 0, 0});
    const int32_t radius = 0x4000;
    for (int32_t frames : {0, 17, 300}) {
        wram_long_set(W_PLAY_FRAME_COUNTER, frames);
        int32_t* list = dl_packet_area(dl_buffer_current());
        int32_t* out = list;
        for (int32_t i = 0; i < 8; i++) out = ending_object_transform(i, WRAM_BASE + RECORD_A, radius, 0x100, 0, out);
        ASSERT_EQ(out, list + 88);
        for (int32_t i = 0; i < 8; i++) {
            const int32_t* words = list + 11 * i;
            int32_t a = (8192 * i + 32 * frames) & 0xFFFF;
            SCOPED_TRACE(testing::Message() << "frames " << frames << " object " << i);
            EXPECT_EQ(words[1] - 5000 - 0x3C000, (radius * math_sin(a)) >> 11);
            EXPECT_EQ(words[2], 6000 + 0x16000);
            EXPECT_EQ(words[3] - 7000 - 0x114000, (radius * math_cos(a)) >> 11);
            EXPECT_EQ(words[6], math_sin(a));
            EXPECT_EQ(words[10], 4);
        }
    }
}

}  // namespace
