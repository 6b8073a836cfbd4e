// Cameras: the chase camera's easing and eyes, the grid cell, the demo camera's types,
// and the view words of the display list.
#include "board/fixed_math.h"
#include "board/rig_packets.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/world/camera.h"
#include "tests/game/world/rig_fixture.h"

namespace {

using V = std::vector<int32_t>;

class CameraTest : public RigTest {
protected:
    static int32_t demo(uint32_t i) { return w_cell(W_DEMO_CAMERA + 4 * i); }
};

TEST_F(CameraTest, ChaseDivisorFollowsTheDivePullWithinItsRange) {
    struct {
        int32_t pull, heading;
    } const rows[] = {{0, -6}, {0x200000, -2}, {0x500000, -1}, {0x7FFF0000, -1}, {-0x400000, -6}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.pull);
        wram_long_set(W_CAMERA_HEADING, 0);
        w_cell_set(W_DIVE_PULL, r.pull);
        w_cell_set(W_EASED_HEADING, -100);
        camera_update();
        EXPECT_EQ(wram_long(W_CAMERA_HEADING), r.heading);
    }
}

TEST_F(CameraTest, ChaseEyeSitsBehindThePlayer) {
    // Level attitude: the eye (0, 1024, -9344) turned by zero angles, each of the three
    // 1.15 steps taking 0x7FFF / 0x8000 of a positive component (1024 -> 1023 -> 1022).
    camera_update();
    EXPECT_EQ(V({wram_long(W_CAMERA_X), wram_long(W_CAMERA_Y), wram_long(W_CAMERA_Z)}),
              (V{100000, 50000 + 1022, 200000 - 9344}));
    w_cell_set(W_STOP_FLAG, 1);
    w_cell_set(W_TARGET_HEADING, 0x8000);
    camera_update();
    EXPECT_EQ(wram_long(W_CAMERA_HEADING), 0x8000);
    w_cell_set(W_TARGET_HEADING, 0);
    camera_update();
    EXPECT_EQ(V({wram_long(W_CAMERA_X), wram_long(W_CAMERA_Y), wram_long(W_CAMERA_Z)}),
              (V{100000, 50000 + 1534, 200000 - 20480}));
}

TEST_F(CameraTest, GridCellTakesThePositionAsUnsigned) {
    struct {
        int32_t x, z, column, row;
    } const rows[] = {{0x18000 * 8 - 1, 0x18000 * 3, 7, 3}, {0x18000 * 8, 0, 8, 0}, {-1, 5, 43690, 0}};
    for (const auto& r : rows) {
        wram_long_set(W_CAMERA_X, r.x);
        wram_long_set(W_CAMERA_Z, r.z);
        camera_grid_cell_update();
        EXPECT_EQ(w_cell(W_CAMERA_COLUMN), r.column);
        EXPECT_EQ(w_cell(W_CAMERA_ROW), r.row);
        EXPECT_EQ(w_cell(W_CAMERA_CELL), r.column + 8 * r.row);
    }
}

// The demo camera for each type from one start: player at (100000, 50000, 200000) level,
// the camera record at (100000, 50000 - 1024, 200000 - 6400) looking along +z, a work-RAM
// path of three records (x, y, z) = (100000, 40000, 190000 + 1000 k).
TEST_F(CameraTest, DemoCameraTypesFromTheirTable) {
    constexpr uint32_t PATH = 0x21000;
    struct row {
        int32_t type, x, y, z, type_after, view_flag;
    } const rows[] = {
        // Trails: x and z by 1/64 of the way, y by 1/32 of the way to 1024 above.
        {0, 100000, 48976 + 2048 / 32, 193600 + 6400 / 64, 0, 1},
        // Chases: the eye (0, 768, -2048) behind the level player (768 -> 766 as above).
        {1, 100000, 50766, 197952, 1, 0},
        // Rides the path: (P1 + 3 old + D - c D / 2) / 4 with P1, P2 records 1, 2 (c = 1), + 1000 up.
        {2, 100000, (40000 + 3 * 48976) / 4 + 1000, (191000 + 3 * 193600 + 500 - 500) / 4, 2, 1},
        {3, 100000, 40000, 190000, 3, 1},  // stands at record 0
        // The gameplay chase camera (eye 1024 up, 9344 back), copied into the record.
        {4, 100000, 51022, 190656, 4, 0},
        {5, 100000, 40000, 190000, 5, 1},
        {6, 563569, 85051, 1377300, 6, 1},
        {10, 100000, 40000, 190000, 0, 1},  // first frames: placed at once, the type drops by 10
        {11, 100000, 50766, 197952, 1, 0},
        {12, 100000, 40000, 190000, 2, 1},
        {13, 100000, 40000, 190000, 3, 1},
        {14, 100000, 51022, 190656, 4, 0},
        {15, 100000, 40000, 190000, 5, 1},
        {16, 563569, 85051, 1377300, 6, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.type);
        SetUp();
        for (uint32_t k = 0; k < 3; k++) {
            w_cell_set(PATH + 16 * k, 100000);
            w_cell_set(PATH + 16 * k + 4, 40000);
            w_cell_set(PATH + 16 * k + 8, 190000 + 1000 * int32_t(k));
        }
        w_cell_set(W_DEMO_PATH, int32_t(WRAM_BASE + PATH));
        w_cell_set(W_DEMO_PATH_LENGTH, 2 << 8);
        w_cell_set(W_DEMO_PATH_PROGRESS, 0);
        w_cell_set(W_DEMO_CAMERA, 100000);
        w_cell_set(W_DEMO_CAMERA + 4, 50000 - 1024);
        w_cell_set(W_DEMO_CAMERA + 8, 200000 - 6400);
        w_cell_set(W_DEMO_CAMERA_TYPE, r.type);
        w_cell_set(W_EASE_CODE, 0);
        demo_camera_update();
        EXPECT_EQ(V({demo(0), demo(1), demo(2)}), (V{r.x, r.y, r.z}));
        EXPECT_EQ(w_cell(W_DEMO_CAMERA_TYPE), r.type_after);
        EXPECT_EQ(w_cell(W_WING_SET), r.view_flag);
        // The camera turns toward the player (heading about 0 along +z; placed at once
        // for types 10..16 apart from the chases, which take the player's angles).
        if (r.type >= 10 && r.type != 11 && r.type != 14 && r.type != 16) {
            EXPECT_EQ(demo(4) & 0xFFFF, math_atan2(wrap_sub(100000, demo(0)), wrap_sub(200000, demo(2))));
        }
    }
}

TEST_F(CameraTest, ViewWordsAreSignedPairsAndStayInsideTheViewBlocks) {
    wram_long_set(W_CAMERA_PITCH, 0x9000);
    wram_long_set(W_CAMERA_HEADING, 0x4000);
    wram_long_set(W_CAMERA_ROLL, -0x2000);
    dl_model_header_put(5);
    EXPECT_EQ(written(), (V{0x8002, 5}));
    const uint32_t block = (DL_BUFFER_BASE + 5 * DL_VIEW_BLOCK_BYTES) / 4;
    V words;
    for (uint32_t i = 1; i <= 7; i++) words.push_back(dsp_word(block + i));
    EXPECT_EQ(words, rom_pair(0x9000) + rom_pair(0x4000) + rom_pair(-0x2000) + V{2});
    EXPECT_EQ(dsp_word(block + 14), 1920);

    // View 8 would write into the packets: nothing.
    std::vector<uint8_t> before(dspram, dspram + sizeof dspram);
    camera_zoom_words_emit(8, 2);
    camera_zoom_words_emit(-1, 2);
    EXPECT_EQ(std::vector<uint8_t>(dspram, dspram + sizeof dspram), before);

    // The frame's rotation words in block 0, word 7 = 2.
    camera_rotation_words_emit();
    words.clear();
    for (uint32_t i = 1; i <= 7; i++) words.push_back(dsp_word(DL_BUFFER_BASE / 4 + i));
    EXPECT_EQ(words, rom_pair(0x9000) + rom_pair(0x4000) + rom_pair(-0x2000) + V{2});
}

}  // namespace
