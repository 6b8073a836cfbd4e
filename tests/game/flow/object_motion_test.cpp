// The spring steps against rows worked by hand.
#include "game/services/object_motion.h"
#include "tests/game/flow/emitter_fixture.h"

namespace {

class ObjectMotionTest : public BoardTest {
protected:
    uint32_t pos(int i, int j) { return W_SPRING_POSITION + 12 * uint32_t(i) + 4 * uint32_t(j); }
    void axis_set(int i, int j, int32_t e, int32_t f, int32_t t1, int32_t t2) {
        wram_long_set(pos(i, j), e);
        wram_long_set(pos(i, j) + SPRING_VELOCITY, f);
        wram_long_set(pos(i, j) + SPRING_TARGET1, t1);
        wram_long_set(pos(i, j) + SPRING_TARGET2, t2);
    }
};

TEST_F(ObjectMotionTest, SpringStepMatchesHandWorkedRows) {
    // a 10, b 3, c 2. Axis 0: e 1000, f 480, targets 1600, 1300:
    //   g = (600 x 3 + 2 x 300) / 10 + 7 - 480 x 42 / 10 = 240 + 7 - 2016 = -1769
    //   e' = 1000 + 2 + (-1769 / 57600 = 0) = 1002, f' = 480 - 29 = 451.
    // Axis 1 (negatives): e -5000, f -2400, targets -5000 - 1000000, -5000:
    //   g = (-3000000 + 0) / 10 + 0 - (-100800) / 10 = -300000 + 10080 = -289920
    //   e' = -5000 - 10 - 5 = -5015, f' = -2400 - 4832 = -7232.
    // Axis 2: e 0, f -239, targets 59, -1: g = (177 - 2) / 10 - 5 - (-10038) / 10 = 17 - 5 + 1003 = 1015
    //   e' = 0 + 0 + 0 = 0, f' = -239 + 16 = -223.
    axis_set(2, 0, 1000, 480, 1600, 1300);
    axis_set(2, 1, -5000, -2400, -1005000, -5000);
    axis_set(2, 2, 0, -239, 59, -1);
    const int32_t ext[3] = {7, 0, -5};
    object_motion_step(2, 10, 3, 2, ext);
    struct row {
        int32_t position, velocity, force, previous;
    } expect[3] = {{1002, 451, -1769, 1000}, {-5015, -7232, -289920, -5000}, {0, -223, 1015, 0}};
    for (int j = 0; j < 3; j++) {
        SCOPED_TRACE(j);
        EXPECT_EQ(wram_long(pos(2, j)), expect[j].position);
        EXPECT_EQ(wram_long(pos(2, j) + SPRING_VELOCITY), expect[j].velocity);
        EXPECT_EQ(wram_long(pos(2, j) - 0xD8), expect[j].force);
        EXPECT_EQ(wram_long(W_SPRING_PREVIOUS + 24 + 4 * uint32_t(j)), expect[j].previous);
    }
}

TEST_F(ObjectMotionTest, ChainStepsBetweenNeighbours) {
    // Object 1, axis 0: neighbours 600 + 1200 = 1800, a 2, ext 60, v 960, old 5:
    //   d = -960; v' = (1800 x 3328 / 2 + 60) / 120 + 960 x (-918) / -960 + 5
    //      = (2995200 + 60) / 120 + 918 + 5 = 24960 + 923 = 25883; p' = 100 + 53 = 153.
    wram_long_set(pos(0, 0), 600);
    wram_long_set(pos(2, 0), 1200);
    axis_set(1, 0, 100, 960, 0, 1200);
    wram_long_set(W_SPRING_PREVIOUS + 12, 5);
    const int32_t ext[3] = {60, 0, 0};
    object_motion_step_chain(1, 2, ext);
    EXPECT_EQ(wram_long(pos(1, 0) + SPRING_VELOCITY), 25883);
    EXPECT_EQ(wram_long(pos(1, 0)), 153);

    // Damped, object 1 axis 0: p 153, v 25883, neighbours 1800, b 4, ext -1:
    //   force = ((1800 - 306) x 3328 - 42 x 25883) / 4 - 1 = (4972032 - 1087086) / 4 - 1 = 971235
    //   v' = 25883 + 8093 = 33976, p' = 153 + 70 = 223.
    const int32_t ext2[3] = {-1, 0, 0};
    object_motion_step_damped(1, 4, ext2);
    EXPECT_EQ(wram_long(pos(1, 0) - 0xD8), 971235);
    EXPECT_EQ(wram_long(pos(1, 0) + SPRING_VELOCITY), 33976);
    EXPECT_EQ(wram_long(pos(1, 0)), 223);
}

TEST_F(ObjectMotionTest, ZeroDivisorAndObjectsOutsideWorkRamChangeNothing) {
    axis_set(0, 0, 1000, 480, 1600, 1300);
    testing::internal::CaptureStderr();
    object_motion_step(0, 0, 3, 2, nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[V2-TRAP] object_motion_step: division by zero"), std::string::npos);
    EXPECT_EQ(wram_long(pos(0, 0)), 1000);
    object_motion_step(-1, 10, 3, 2, nullptr);
    object_motion_step(20000, 10, 3, 2, nullptr);
    object_motion_step_chain(20000, 10, nullptr);
    EXPECT_EQ(wram_long(pos(0, 0)), 1000);
}

}  // namespace
