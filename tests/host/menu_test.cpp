// The menu in an 800 x 720 window on Mesa (SDL's offscreen driver), driven by clicks and
// keys as the main loop hands them over: File's actions, the Display settings and their
// save, the free-play box, the level and ending jumps, the course map, the flight
// recorder, the list windows and the toast.
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "host/display_settings.h"
#include "host/flight_recorder.h"
#include "host/host_ram.h"
#include "host/input_update.h"
#include "host/level_jump.h"
#include "host/map_view.h"
#include "host/menu.h"
#include "host/menu_windows.h"
#include "host/settings.h"
#include "render/pick_lists.h"
#include "sound/audio_output.h"
#include "tests/support/menu_driver.h"
#include "tests/support/screen_harness.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const menu_state initial_menu = menu;

const host_settings_state initial_settings = host_settings;

// Where the widgets lie in the 800 x 720 window (the built-in font's fixed layout).
struct point {
    int x, y;
};
constexpr point FILE_HEADER{25, 10}, DISPLAY_HEADER{80, 10}, AUDIO_HEADER{140, 10}, LEVELS_HEADER{193, 10},
                MAPS_HEADER{244, 10}, CONTROLS_HEADER{302, 10}, BILLBOARDS_HEADER{446, 10}, RECORD_HEADER{518, 10};
constexpr point TEST_MODE{60, 36}, EXIT{28, 105};
constexpr point WIDESCREEN_BOX{64, 36}, RATE_DOWN{69, 493}, RATE_UP{345, 493}, MODE_800x600{100, 253};
constexpr point ADVANCED_DAY_3{200, 99}, ADVANCED_DAY_4{200, 122}, NOVICE_LEVEL_1{200, 162}, NOVICE_LEVEL_2{200, 185},
                ENDING_CLEARED{200, 248}, ENDING_BAD{290, 248}, PHASE_COMBO{250, 271}, GO_TO_PHASE{385, 271};
constexpr point MAP_COURSE_2{250, 99}, EXIT_MAP_VIEW{260, 145};
constexpr point FREEPLAY_BOX{282, 36}, CONTROLS_SAVE{290, 266};
constexpr point SHOW_BILLBOARDS{480, 36};
constexpr point RECORD_BUTTON{540, 36};
constexpr int PHASE_9_ROW = 496;  // in the open phase list
constexpr point VOLUME_HALF{215, 77}, AUDIO_SAVE{138, 100};

std::string text_of(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Menu : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("menu");
        ASSERT_EQ(chdir(dir.c_str()), 0);
        unsetenv("SKYVOLTA_MENU_OPEN");
        board_memory_clear();
        menu = initial_menu;
        host_settings = initial_settings;
        display_modes.count = 0;
        run_flag = 1;
        master_volume_set(1.0f);
        level_jump = level_jump_record{LEVEL_NONE, 0, false, 0, 0, false, false, 0, -1};
        map_view_switch_off();
        object_list_build(nullptr, 0);  // no frame drawn yet: the pick lists are empty
        billboard_list_build(nullptr, 0);
        window = gui_window_open(800, 720);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        menu_init(window);
    }
    void TearDown() override {
        recording_stop();
        settings_rename = rename;
        gui_window_close(window);
        menu = initial_menu;  // closed: the input of the tests that follow reaches the board
        ASSERT_EQ(chdir("/"), 0);
        temp_dir_remove(dir);
    }
    bool open_and_click(point header, point item) {
        menu_click(window, header.x, header.y);
        return menu_click(window, item.x, item.y);
    }
    std::string settings_text() { return text_of(dir + "/" + SETTINGS_FILE); }
    void menu_frames_run(int n) {
        for (int i = 0; i < n; i++) menu_frame(window);
    }

    std::string dir;
    SDL_Window* window = nullptr;
};

TEST_F(Menu, FileActions) {
    toggle_menu();
    menu_frame(window);
    EXPECT_FALSE(open_and_click(FILE_HEADER, TEST_MODE));
    EXPECT_EQ(test_switch_state(), 1);
    EXPECT_FALSE(menu_is_open()) << "the test switch closes the menu";

    toggle_menu();
    menu_frame(window);
    EXPECT_TRUE(open_and_click(FILE_HEADER, EXIT));
    EXPECT_FALSE(restart_requested());
}

TEST_F(Menu, PictureRateArrowsWrapAndSave) {
    const struct {
        int rate, direction, want;
    } cases[] = {{240, 1, 0}, {0, -1, 240}, {0, 1, 24}, {60, 1, 75}, {61, 1, 24}, {61, -1, 240}};
    for (const auto& c : cases) EXPECT_EQ(frame_rate_step(c.rate, c.direction), c.want) << c.rate;

    host_settings.frame_rate = 240;
    toggle_menu();
    menu_frame(window);
    open_and_click(DISPLAY_HEADER, RATE_UP);
    EXPECT_EQ(host_settings.frame_rate, 0);
    EXPECT_NE(settings_text().find("frame_rate=0\n"), std::string::npos) << "an arrow saves the file";
    menu_click(window, RATE_DOWN.x, RATE_DOWN.y);
    EXPECT_EQ(host_settings.frame_rate, 240);
    EXPECT_NE(settings_text().find("frame_rate=240\n"), std::string::npos);
}

TEST_F(Menu, WideModeTurnsWidescreenOnUnlessStretched) {
    const struct {
        int aspect, widescreen, w, h, want;
    } cases[] = {
        {1, 0, 1920, 1080, 1},  // 4:3 picture, a 16:9 mode: widescreen on
        {0, 0, 1920, 1080, 0},  // stretched: stays off
        {1, 0, 1280, 960, 0},   // a 4:3 mode
        {1, 0, 0, 0, 0},        // native
        {3, 0, 2560, 1080, 1},
    };
    for (const auto& c : cases) {
        host_settings.aspect = c.aspect;
        host_settings.widescreen = c.widescreen;
        resolution_choose(window, c.w, c.h);
        EXPECT_EQ(host_settings.widescreen, c.want) << c.w << "x" << c.h << " aspect " << c.aspect;
        EXPECT_EQ(host_settings.resolution_w, c.w);
        EXPECT_EQ(host_settings.resolution_h, c.h);
    }
}

TEST_F(Menu, DisplayChangesSaveTheFile) {
    toggle_menu();
    menu_frame(window);
    open_and_click(DISPLAY_HEADER, MODE_800x600);
    EXPECT_EQ(host_settings.resolution_w, 800);
    EXPECT_EQ(host_settings.resolution_h, 600);
    EXPECT_EQ(host_settings.widescreen, 0) << "a 4:3 mode";
    EXPECT_NE(settings_text().find("resolution=800x600\n"), std::string::npos) << settings_text();
    menu_click(window, WIDESCREEN_BOX.x, WIDESCREEN_BOX.y);
    EXPECT_EQ(host_settings.widescreen, 1);
    EXPECT_NE(settings_text().find("widescreen=1\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, FreePlayBoxWritesTheWordAtOnceAndTheFileAtSave) {
    ASSERT_TRUE(file_write(dir + "/" + SETTINGS_FILE, {'f', 'r', 'e', 'e', 'p', 'l', 'a', 'y', '=', '0', '\n'}));
    toggle_menu();
    menu_frame(window);
    open_and_click(CONTROLS_HEADER, FREEPLAY_BOX);
    EXPECT_EQ(bus_read16(WRAM_BASE + W_FREE_PLAY), 1u);
    EXPECT_EQ(host_settings.freeplay_override, 1);
    EXPECT_EQ(settings_text(), "freeplay=0\n");
    menu_click(window, CONTROLS_SAVE.x, CONTROLS_SAVE.y);
    EXPECT_NE(settings_text().find("\nfreeplay=1\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, AudioPresetSetsTheVolumeAndOnlySaveKeepsIt) {
    toggle_menu();
    menu_frame(window);
    open_and_click(AUDIO_HEADER, VOLUME_HALF);
    EXPECT_FLOAT_EQ(master_volume_get(), 0.5f);
    EXPECT_EQ(file_size(dir + "/" + SETTINGS_FILE), -1);
    menu_click(window, AUDIO_SAVE.x, AUDIO_SAVE.y);
    EXPECT_NE(settings_text().find("volume=50\n"), std::string::npos) << settings_text();
}

TEST_F(Menu, FailedSaveIsToldOnceTheMenuCloses) {
    settings_rename = [](const char*, const char*) {
        errno = EACCES;
        return -1;
    };
    toggle_menu();
    menu_frame(window);
    testing::internal::CaptureStderr();
    open_and_click(CONTROLS_HEADER, CONTROLS_SAVE);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[SETTINGS]"), std::string::npos);
    EXPECT_EQ(menu.toast_frames, 0) << "no toast over the open menu";
    toggle_menu();
    EXPECT_STREQ(menu.toast_text, "Settings not saved");
    EXPECT_GT(menu.toast_frames, 0);
}

TEST_F(Menu, LevelsItemsQueueTheirJumpAndClose) {
    const struct {
        point item;
        int phase_choice;
        bool advanced;
        int course;
        bool ending, cleared;
        int phase;
    } cases[] = {
        {ADVANCED_DAY_3, 0, true, 2, false, false, -1},
        {ADVANCED_DAY_4, 0, true, 3, false, false, -1},
        {NOVICE_LEVEL_1, 0, false, 0, false, false, -1},
        {NOVICE_LEVEL_2, 0, false, 1, false, false, -1},
        {ENDING_CLEARED, 0, true, 3, true, true, -1},
        {ENDING_BAD, 0, true, 3, true, false, -1},
        {GO_TO_PHASE, 3, true, 3, true, true, 3},
        {GO_TO_PHASE, 9, true, 3, true, false, 9},  // the BAD ending's phase
    };
    for (const auto& c : cases) {
        level_jump = level_jump_record{LEVEL_NONE, 0, false, 0, 0, false, false, 0, -1};
        menu.ending_phase_choice = c.phase_choice;
        toggle_menu();
        menu_frame(window);
        testing::internal::CaptureStdout();
        open_and_click(LEVELS_HEADER, c.item);
        std::string said = testing::internal::GetCapturedStdout();
        const std::string where = std::to_string(c.item.x) + "," + std::to_string(c.item.y);
        EXPECT_FALSE(menu_is_open()) << where;
        ASSERT_EQ(level_jump.state, LEVEL_REQUESTED) << where;
        EXPECT_EQ(said.rfind("[LEVEL] ", 0), 0u) << said;
        EXPECT_EQ(level_jump.advanced, c.advanced) << where;
        EXPECT_EQ(level_jump.course, c.course) << where;
        EXPECT_EQ(level_jump.ending_pending, c.ending) << where;
        if (!c.ending) continue;
        EXPECT_EQ(level_jump.cleared, c.cleared) << where;
        EXPECT_EQ(level_jump.ending_phase, c.phase) << where;
        EXPECT_EQ(level_jump.total, 8995) << where;
    }
    // What the game's initialisation then does with the last one: the ending's words.
    ASSERT_TRUE(level_apply());
    EXPECT_EQ(w_cell(W_GAME_SUB_STATE), 14);
    EXPECT_EQ(w_cell(W_END_FLAG), 2);
}

TEST_F(Menu, EndingPhaseIsChosenFromItsDropDown) {
    toggle_menu();
    menu_frame(window);
    open_and_click(LEVELS_HEADER, PHASE_COMBO);
    menu_click(window, PHASE_COMBO.x, PHASE_9_ROW);
    EXPECT_EQ(menu.ending_phase_choice, 9);
    EXPECT_TRUE(menu_is_open()) << "choosing a phase jumps nowhere yet";
    EXPECT_EQ(level_jump.state, LEVEL_NONE);
}

TEST_F(Menu, MapsCourseSwitchesTheViewOnAndExitKeepsTheCamera) {
    map_view.yaw = 2;
    map_view.zoom = 7;
    map_view.position[1] = 500;
    toggle_menu();
    menu_frame(window);
    open_and_click(MAPS_HEADER, MAP_COURSE_2);
    EXPECT_FALSE(menu_is_open());
    EXPECT_TRUE(map_view_active());
    EXPECT_EQ(map_view_mode(), 2);
    EXPECT_FLOAT_EQ(map_view.yaw, 0);
    EXPECT_FLOAT_EQ(map_view.pitch, 1.05f);
    EXPECT_FLOAT_EQ(map_view.zoom, 1);
    EXPECT_FLOAT_EQ(map_view.position[1], 0);

    map_view.yaw = 0.5f;
    map_view.position[0] = -300;
    toggle_menu();
    menu_frame(window);
    open_and_click(MAPS_HEADER, EXIT_MAP_VIEW);
    EXPECT_FALSE(map_view_active());
    EXPECT_TRUE(menu_is_open()) << "leaving the map keeps the menu";
    EXPECT_FLOAT_EQ(map_view.yaw, 0.5f);
    EXPECT_FLOAT_EQ(map_view.position[0], -300);
    EXPECT_EQ(map_view_mode(), 2);
}

TEST_F(Menu, RecordButtonStartsAndStopsARecording) {
    recording_clock = [] { return time_t(1700000000); };
    toggle_menu();
    menu_frame(window);
    testing::internal::CaptureStderr();
    open_and_click(RECORD_HEADER, RECORD_BUTTON);
    std::string started = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(recording_active()) << started;
    const std::string path = recording_path();
    EXPECT_EQ(path.rfind("recordings/flight_", 0), 0u) << path;
    EXPECT_TRUE(menu_is_open());
    testing::internal::CaptureStderr();
    menu_click(window, RECORD_BUTTON.x, RECORD_BUTTON.y);
    std::string stopped = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(recording_active()) << stopped;
    std::vector<std::string> lines = file_lines(dir + "/" + path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "# END frames=0 contact_frames=0 resets=0");
}

// A racing frame for the recorder: the player at x, the centre probe in solid matter or not.
void racing_frame_set(int32_t x, int32_t speed, bool contact) {
    w_cell_set(W_GAME_STATE, STATE_GAMEPLAY);
    w_cell_set(W_GAME_SUB_STATE, SUB_RACING);
    w_cell_set(W_PLAYER_X, x);
    w_cell_set(W_PLAYER_SPEED, speed);
    w_cell_set(probe_field(PROBE_CENTRE, PROBE_HIT), contact ? 1 : 0);
}

TEST_F(Menu, RecordLinesFollowTheRecorder) {
    char lines[RECORD_LINES_MAX][RECORD_LINE_SIZE];
    ASSERT_EQ(record_status_lines(false, lines), 4);
    EXPECT_STREQ(lines[0], "Records position, attitude, stick");
    EXPECT_STREQ(lines[1], "and the COLLISION COLUMN per frame.");
    EXPECT_STREQ(lines[2], "A frame with contact=1 is a wall.");
    EXPECT_STREQ(lines[3], "Key: F9 toggles without the menu.");

    testing::internal::CaptureStderr();
    recording_start();
    const struct {
        int32_t x, speed;
        bool contact;
    } frames[] = {{0, 0, false}, {100, 0, true}, {200, 0, true}, {60000, 0x900, false}};  // the last: a hard reset
    for (const auto& f : frames) {
        racing_frame_set(f.x, f.speed, f.contact);
        recording_write_frame();
    }
    ASSERT_EQ(record_status_lines(true, lines), 3);
    EXPECT_STREQ(lines[0], "REC  4 frames, 2 contact, 1 resets");
    EXPECT_STREQ(lines[1], recording_path());
    EXPECT_STREQ(lines[2], "Fly the route, then Stop.");
    recording_stop();
    ASSERT_EQ(record_status_lines(true, lines), 3) << "stopped in this frame: the path is gone";
    EXPECT_STREQ(lines[1], "");
    testing::internal::GetCapturedStderr();
}

TEST_F(Menu, EmptyBillboardListShowsItsCountHintAndClear) {
    toggle_menu();
    menu_frame(window);
    open_and_click(BILLBOARDS_HEADER, SHOW_BILLBOARDS);
    ASSERT_TRUE(menu.billboard_list_shown);
    menu_click(window, 790, 710);  // closes the drop-down
    menu_frame(window);
    ASSERT_EQ(billboard_count(), 0);
    EXPECT_EQ(screen_golden_check(gui_window_picture(window), __FILE__, "menu_billboards_empty"), "");
}

TEST_F(Menu, HighlightFollowsThePinAndAHiddenListDropsIt) {
    toggle_menu();
    menu.object_list_shown = true;
    menu.pinned_object = 1234;
    menu_frames_run(2);
    ASSERT_EQ(object_count(), 0);
    EXPECT_EQ(object_highlight_get(), 1234) << "no row under the mouse: the pin";
    menu.object_list_shown = false;
    menu_frame(window);
    EXPECT_EQ(menu.pinned_object, -1);
    EXPECT_EQ(object_highlight_get(), -1);
}

// Pixels that are not black in the band of the toast (28 rows from 36 above the bottom).
int toast_band_pixels(const rgb_picture& p) {
    int lit = 0;
    for (int y = p.height - 36; y < p.height - 8; y++)
        for (int x = 0; x < p.width; x++) {
            const uint8_t* c = &p.rgb[(size_t(y) * size_t(p.width) + size_t(x)) * 3];
            lit += c[0] | c[1] | c[2] ? 1 : 0;
        }
    return lit;
}

TEST_F(Menu, ToastShowsForItsFramesWhileTheMenuIsClosed) {
    menu_toast("Menu: R3 (right stick click) or hold Start", 3);
    toggle_menu();
    menu_frames_run(5);
    EXPECT_EQ(menu.toast_frames, 3) << "no countdown while the menu is open";
    toggle_menu();
    for (int frame = 0; frame < 4; frame++) {
        menu_frame(window);
        int lit = toast_band_pixels(gui_window_picture(window));
        if (frame < 3)
            EXPECT_GT(lit, 1000) << frame;
        else
            EXPECT_EQ(lit, 0);
    }
}

TEST_F(Menu, WindowSizeIsLoggedWhenTheMenuFirstShows) {
    testing::internal::CaptureStderr();
    menu_frames_run(2);
    toggle_menu();
    menu_frames_run(3);
    toggle_menu();
    toggle_menu();
    menu_frames_run(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[DISPLAY] f0 window now 800x720\n");
}

TEST_F(Menu, FilterTakesEveryEventOnlyWhileOpen) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    SDL_Event joystick{};
    joystick.type = SDL_JOYAXISMOTION;
    EXPECT_FALSE(menu_event_filter(&motion));
    toggle_menu();
    EXPECT_TRUE(menu_event_filter(&motion));
    EXPECT_TRUE(menu_event_filter(&joystick)) << "the game sees nothing while the menu is open";
    menu.pending_rebind = CONTROL_START;
    toggle_menu();
    EXPECT_EQ(menu.pending_rebind, -1) << "closing ends a wait";
    EXPECT_FALSE(take_pending_rebind());
}

}  // namespace
