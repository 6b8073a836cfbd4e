// The map view's camera: mouse orbit, pan and zoom by button and Shift, the limits of
// pitch and zoom, the keyboard step (and nothing with the menu open), SKYVOLTA_MAP's
// course; the chunk models and the codes they are drawn at; the picture of a
// headless run with SKYVOLTA_MAP=0 (gradient and course 0's terrain chunks), which a
// wheel step up enlarges.
#include "host/map_view.h"

#include "host/main_loop.h"
#include "render/cz_fog.h"
#include "render/frame_render.h"
#include "render/map_view_scene.h"
#include "render/model_placement.h"
#include "render/quad_sink.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_harness.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool shift_down;
bool shift_state() {
    return shift_down;
}

class MapView : public testing::Test {
protected:
    void SetUp() override {
        saved_shift = map_view_shift_held;
        map_view_shift_held = shift_state;
        shift_down = false;
        map_view_switch_on(0);
    }
    void TearDown() override {
        map_view_switch_off();
        map_view_shift_held = saved_shift;
    }
    bool (*saved_shift)();
};

constexpr uint32_t LEFT = 1, MIDDLE = 2, RIGHT = 4;

struct drag_case {
    bool shift;
    uint32_t buttons;
    bool orbits, pans;
};

TEST_F(MapView, ButtonsAndShiftChooseOrbitOrPan) {
    const drag_case cases[] = {
        {false, LEFT, true, false},  {false, MIDDLE, true, false}, {false, RIGHT, false, true},
        {true, LEFT, true, false},   {true, MIDDLE, false, true},  {true, RIGHT, false, true},
        {false, 0, false, false},    {true, 0, false, false},
    };
    for (const drag_case& c : cases) {
        map_view_switch_on(0);
        shift_down = c.shift;
        map_view_mouse(10, 20, c.buttons, 0);
        const map_view_state& m = map_view;
        SCOPED_TRACE(testing::Message() << "shift " << c.shift << " buttons " << c.buttons);
        EXPECT_EQ(m.yaw != 0, c.orbits);
        EXPECT_EQ(m.pitch != 1.05f, c.orbits);
        bool moved = m.position[0] != 0 || m.position[1] != 0 || m.position[2] != 0;
        EXPECT_EQ(moved, c.pans);
        EXPECT_EQ(m.zoom, 1.0f);
    }
}

TEST_F(MapView, OrbitAndPanFollowTheCameraAngles) {
    map_view_mouse(100, 40, LEFT, 0);
    EXPECT_FLOAT_EQ(map_view.yaw, 0.5f);
    EXPECT_FLOAT_EQ(map_view.pitch, 1.25f);
    map_view.zoom = 2;
    map_view_mouse(3, 4, RIGHT, 0);
    float s = 18, sy = std::sin(0.5f), cy = std::cos(0.5f), sp = std::sin(1.25f), cp = std::cos(1.25f);
    EXPECT_NEAR(map_view.position[0], -s * (3 * cy + 4 * sy * sp), 1e-3);
    EXPECT_NEAR(map_view.position[1], -s * 4 * cp, 1e-3);
    EXPECT_NEAR(map_view.position[2], -s * (4 * cy * sp - 3 * sy), 1e-3);
}

TEST_F(MapView, PitchStopsAtOneAndAHalfRadians) {
    map_view_mouse(0, 100000, LEFT, 0);
    EXPECT_EQ(map_view.pitch, 1.5f);
    map_view_mouse(0, -300000, LEFT, 0);
    EXPECT_EQ(map_view.pitch, -1.5f);
}

TEST_F(MapView, ZoomStaysInItsRangeAndAStepEachWayIsNotExact) {
    map_view_mouse(0, 0, 0, 1);
    map_view_mouse(0, 0, 0, -1);
    EXPECT_NEAR(map_view.zoom, 0.99968f, 1e-6);
    for (int i = 0; i < 100; i++) map_view_mouse(0, 0, 0, 1);
    EXPECT_EQ(map_view.zoom, 0.05f);
    for (int i = 0; i < 100; i++) map_view_mouse(0, 0, 0, -3);
    EXPECT_EQ(map_view.zoom, 20.0f);
}

TEST_F(MapView, NothingMovesWhileTheViewIsOff) {
    map_view_switch_off();
    map_view_mouse(50, 50, LEFT, 1);
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    keys[SDL_SCANCODE_W] = 1;
    map_view_keys(keys, 0.1);
    EXPECT_EQ(map_view.yaw, 0);
    EXPECT_EQ(map_view.zoom, 1);
    EXPECT_EQ(map_view.position[2], 0);
}

TEST_F(MapView, KeysFlyByHeadingAndDoNothingWithTheMenuOpen) {
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    keys[SDL_SCANCODE_W] = 1;
    keys[SDL_SCANCODE_D] = 1;
    keys[SDL_SCANCODE_Q] = 1;
    keyboard_camera_step(keys, 0.1, true);
    EXPECT_EQ(map_view.position[0], 0);
    EXPECT_EQ(map_view.position[1], 0);
    EXPECT_EQ(map_view.position[2], 0);
    // Yaw 0: W is +z, D is +x, Q is +y; 0.1 s at 500000 units a second, not normalised.
    keyboard_camera_step(keys, 0.1, false);
    EXPECT_FLOAT_EQ(map_view.position[0], 50000);
    EXPECT_FLOAT_EQ(map_view.position[1], 50000);
    EXPECT_FLOAT_EQ(map_view.position[2], 50000);
    keys[SDL_SCANCODE_LSHIFT] = keys[SDL_SCANCODE_RCTRL] = 1;
    keys[SDL_SCANCODE_D] = keys[SDL_SCANCODE_Q] = 0;
    keyboard_camera_step(keys, 0.1, false);
    EXPECT_FLOAT_EQ(map_view.position[2], 50000 + 50000 * 4 * 0.2f);
}

TEST_F(MapView, CameraRotationIsTheTurnAfterTheTilt) {
    map_view.yaw = 0.3f;
    map_view.pitch = -0.7f;
    map_view.zoom = 3;
    float r[9], p[3], zoom;
    map_view_camera(r, p, &zoom);
    float sy = std::sin(0.3f), cy = std::cos(0.3f), sp = std::sin(-0.7f), cp = std::cos(-0.7f);
    const float want[9] = {cy, sy * sp, sy * cp, 0, cp, -sp, -sy, cy * sp, cy * cp};
    for (int i = 0; i < 9; i++) EXPECT_FLOAT_EQ(r[i], want[i]) << i;
    EXPECT_EQ(zoom, 3);
}

TEST(MapViewSwitch, StartUpValueChoosesTheCourseByItsLowTwoBits) {
    const struct {
        const char* value;
        int course;
    } cases[] = {{"2", 2}, {"6", 2}, {"3", 3}, {"-1", 3}, {"x", 0}};
    for (const auto& c : cases) {
        map_view_switch_off();
        map_view.yaw = 1;
        setenv("SKYVOLTA_MAP", c.value, 1);
        map_view_from_environment();
        EXPECT_TRUE(map_view_active()) << c.value;
        EXPECT_EQ(map_view_mode(), c.course) << c.value;
        EXPECT_EQ(map_view.yaw, 0) << "the initial camera: " << c.value;
    }
    map_view_switch_off();
    unsetenv("SKYVOLTA_MAP");
    map_view_from_environment();
    EXPECT_FALSE(map_view_active()) << "unset: off";
}

// The chunk model of a cell is its display-list number, as the diagnostics print it.
TEST(MapViewScene, ChunkModelIsTheCoursesBaseNumberPlusTheCell) {
    const struct {
        int32_t course, cell, model;
    } cases[] = {{0, 0, 0x495}, {0, 127, 0x495 + 127}, {1, 5, 0x515 + 5}, {2, 64, 0x595 + 64}, {3, 127, 0x615 + 127},
                 {-1, 0, -1},   {4, 0, -1},            {0, -1, -1},       {0, 128, -1}};
    for (const auto& c : cases) EXPECT_EQ(terrain_chunk_model(c.course, c.cell), c.model) << c.course << " " << c.cell;
}

// The map view draws each chunk at the code the race draws it at (number + 69): every
// quad of the frame carries the code of one of course 0's listed chunk cells, and each
// listed cell in view is drawn.
TEST(MapViewScene, ChunksAreDrawnAtTheCodesTheRaceDrawsThemAt) {
    screen_start();
    map_view_switch_on(0);
    screen_frame();
    screen_picture();
    map_view_switch_off();
    // The frame's list is emptied once painted; its records stay until the next frame.
    int32_t quads = last_frame_quad_count();
    ASSERT_GT(quads, 0);
    std::vector<bool> listed(SYNTH_CHUNK_CELL_COUNT), seen(SYNTH_CHUNK_CELL_COUNT);
    for (int32_t cell : SYNTH_CHUNK_CELLS) listed[cell] = true;
    for (int32_t i = 0; i < quads; i++) {
        int32_t cell = int32_t(frame_quads[i].model_code) - MODEL_CODE_OFFSET - SYNTH_CHUNK_BASE;
        ASSERT_TRUE(cell >= 0 && cell < SYNTH_CHUNK_CELL_COUNT && listed[cell]) << frame_quads[i].model_code;
        seen[cell] = true;
    }
    // The start camera sees every listed chunk from row 1 on, the far corners 120 and 127
    // included (row 0 lies at the picture's lower edge).
    for (int32_t cell : SYNTH_CHUNK_CELLS)
        if (cell >= 8) EXPECT_TRUE(seen[cell]) << cell;
}

// Pixels of the chunks' checker (dark red and green), which the gradient, through the
// game's colour table or not, never comes near.
int chunk_pixels(const rgb_picture& p) {
    int n = 0;
    for (size_t i = 0; i < p.rgb.size(); i += 3) n += std::abs(int(p.rgb[i]) - int(p.rgb[i + 1])) > 40;
    return n;
}

TEST(MapViewPicture, HeadlessRunShowsCourseZerosChunksOverTheGradient) {
    std::string dir = temp_dir_make("mapview");
    std::string out;
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), (dir + "/roms").c_str()));
    ASSERT_EQ(run_in(dir, headless_env + "SKYVOLTA_MAP=0 " + skyvolta_exe + " roms --screenshot m.ppm 3", &out), 0)
        << out;
    rgb_picture p;
    ASSERT_TRUE(ppm_read(dir + "/m.ppm", &p));
    EXPECT_EQ(screen_golden_check(p, __FILE__, "map_view_course0", 3), "");
    // The gradient: top brighter than bottom in the corners the chunks leave free.
    const uint8_t* top = &p.rgb[(2 * 640 + 2) * 3];
    const uint8_t* bottom = &p.rgb[(477 * 640 + 2) * 3];
    EXPECT_GT(top[2], bottom[2]);
    EXPECT_GT(chunk_pixels(p), 1000);
    temp_dir_remove(dir);
}

TEST(MapViewPicture, AWheelStepUpEnlargesTheChunks) {
    screen_start();
    map_view_switch_on(0);
    screen_frame();
    int before = chunk_pixels(screen_picture());
    map_view_mouse(0, 0, 0, 1);
    screen_frame();
    int after = chunk_pixels(screen_picture());
    map_view_switch_off();
    EXPECT_GT(before, 1000);
    // Zoom 0.88: lengths grow by about 1 / 0.88, areas by about 1.29.
    EXPECT_GT(after, before * 1.15);
}

// The map view draws its scene unfogged for its own frames only: a frame painted after it
// through the painter (the engine frame) is fogged again.
TEST(MapViewPicture, AFramePaintedAfterTheMapViewIsFogged) {
    screen_start();
    map_view_switch_on(0);
    screen_frame();
    screen_picture();
    map_view_switch_off();
    bool valid = fog_current_valid;
    fog_current_valid = true;
    EXPECT_TRUE(frame_draw_context().fog);
    fog_current_valid = valid;
}

}  // namespace
