// The menu's ways in and out on a virtual X display with events pushed into SDL's queue
// and pumped by the main loop's own event step: Escape, a rebind and Escape during it, a
// virtual controller's right-stick click and its Start held, and the start-up toast's
// 480 frames.
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "host/main_loop.h"
#include "host/menu.h"
#include "host/menu_input.h"
#include "host/menu_windows.h"
#include "host/pads.h"
#include "host/settings.h"
#include "tests/support/menu_driver.h"
#include "tests/support/test_files.h"
#include "tests/support/virtual_pads.h"
#include "tests/support/xvfb_rerun.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Where Controls' widgets lie in the 640 x 480 window.
struct point {
    int x, y;
};
constexpr point CONTROLS_HEADER{302, 10}, PEDAL_BUTTON{402, 243}, CONTROLS_SAVE{290, 266};

// Outside Xvfb: runs the case again under xvfb-run and passes when it passed there.
#define RUN_UNDER_XVFB(suite_and_name)                                                  \
    if (!xvfb_rerun_child()) {                                                          \
        std::string out;                                                                \
        int status = xvfb_rerun(suite_and_name, &out);                                  \
        if (status == -1) GTEST_SKIP() << "xvfb-run is not installed";                  \
        ASSERT_EQ(status, 0) << out;                                                    \
        EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;           \
        return;                                                                         \
    }

class MenuXvfb : public testing::Test {
protected:
    void SetUp() override {
        if (!xvfb_rerun_child()) return;
        dir = temp_dir_make("menuxvfb");
        ASSERT_EQ(chdir(dir.c_str()), 0);
        board_memory_clear();
        run_flag = 1;
        window = gui_window_open(640, 480);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        menu_init(window);
    }
    void TearDown() override {
        if (!window) return;
        gui_window_close(window);
        ASSERT_EQ(chdir("/"), 0);
        temp_dir_remove(dir);
    }
    // One iteration's input steps as the loop runs them windowed.
    static void loop_input_step() {
        events_poll();
        if (!menu_is_open()) menu_start_hold(pad_button_held(SDL_CONTROLLER_BUTTON_START));
    }
    static void key_push(SDL_Scancode key) {
        SDL_Event down = key_event(key, true), up = key_event(key, false);
        SDL_PushEvent(&down);
        SDL_PushEvent(&up);
    }
    SDL_Joystick* pad_attach() {
        EXPECT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        int index = virtual_pad_attach("menu pad");
        EXPECT_GE(index, 0) << SDL_GetError();
        pads_init();
        return pad_slots[0].controller ? SDL_GameControllerGetJoystick(pad_slots[0].controller) : nullptr;
    }
    std::string dir;
    SDL_Window* window = nullptr;
};

TEST_F(MenuXvfb, EscapeOpensTheMenuAndEscapeAgainEndsTheRun) {
    RUN_UNDER_XVFB("MenuXvfb.EscapeOpensTheMenuAndEscapeAgainEndsTheRun");
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    key_push(SDL_SCANCODE_ESCAPE);
    loop_input_step();
    EXPECT_TRUE(menu_is_open());
    EXPECT_EQ(run_flag, 1);
    key_push(SDL_SCANCODE_BACKSPACE);
    loop_input_step();
    EXPECT_FALSE(menu_is_open()) << "Backspace closes it";
    key_push(SDL_SCANCODE_ESCAPE);
    loop_input_step();
    ASSERT_TRUE(menu_is_open());
    key_push(SDL_SCANCODE_ESCAPE);
    loop_input_step();
    EXPECT_EQ(run_flag, 0);
}

TEST_F(MenuXvfb, RebindTakesTheNextKeyAndEscapeKeepsTheOld) {
    RUN_UNDER_XVFB("MenuXvfb.RebindTakesTheNextKeyAndEscapeKeepsTheOld");
    toggle_menu();
    menu_frame(window);
    menu_click(window, CONTROLS_HEADER.x, CONTROLS_HEADER.y);
    menu_click(window, PEDAL_BUTTON.x, PEDAL_BUTTON.y);
    EXPECT_EQ(menu.pending_rebind, CONTROL_PEDAL);

    // Escape goes past the menu's filter to the loop: it ends the wait, not the run.
    SDL_Event escape = key_event(SDL_SCANCODE_ESCAPE, true);
    ASSERT_EQ(SDL_PushEvent(&escape), 1);
    events_poll();
    EXPECT_EQ(run_flag, 1);
    EXPECT_TRUE(menu_is_open());
    EXPECT_EQ(menu.pending_rebind, -1);
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], SDL_SCANCODE_SPACE);

    menu_click(window, PEDAL_BUTTON.x, PEDAL_BUTTON.y);
    ASSERT_EQ(menu.pending_rebind, CONTROL_PEDAL);
    SDL_Event p = key_event(SDL_SCANCODE_P, true);  // the loop's pause key, taken for the binding
    ASSERT_EQ(SDL_PushEvent(&p), 1);
    events_poll();
    EXPECT_EQ(key_bindings[CONTROL_PEDAL], SDL_SCANCODE_P);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(file_size(dir + "/" + SETTINGS_FILE), -1) << "a rebind alone is not saved";

    menu_frame(window);
    menu_click(window, CONTROLS_SAVE.x, CONTROLS_SAVE.y);
    std::vector<uint8_t> file = file_read(dir + "/" + SETTINGS_FILE);
    std::string text(file.begin(), file.end());
    EXPECT_NE(text.find("\nPedal=19\n"), std::string::npos) << text;
}

TEST_F(MenuXvfb, RightStickClickTogglesTheMenu) {
    RUN_UNDER_XVFB("MenuXvfb.RightStickClickTogglesTheMenu");
    SDL_Joystick* pad = pad_attach();
    ASSERT_NE(pad, nullptr);
    const bool want[] = {true, false, true};
    for (bool open : want) {
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_PRESSED);
        loop_input_step();
        EXPECT_EQ(menu_is_open(), open);
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_RELEASED);
        loop_input_step();
        EXPECT_EQ(menu_is_open(), open) << "the release changes nothing";
    }
}

TEST_F(MenuXvfb, StartHeldSixtyFramesOpensTheMenuOnce) {
    RUN_UNDER_XVFB("MenuXvfb.StartHeldSixtyFramesOpensTheMenuOnce");
    SDL_Joystick* pad = pad_attach();
    ASSERT_NE(pad, nullptr);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
    testing::internal::CaptureStderr();
    for (int frame = 1; frame <= 59; frame++) loop_input_step();
    EXPECT_FALSE(menu_is_open());
    loop_input_step();
    EXPECT_TRUE(menu_is_open()) << "the 60th frame";
    toggle_menu();
    for (int frame = 0; frame < 100; frame++) loop_input_step();
    EXPECT_FALSE(menu_is_open()) << "still held: the latch keeps it from opening again";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[HOST] menu open (Start held)\n");
}

TEST_F(MenuXvfb, ControllerToastShowsForFourHundredEightyFrames) {
    RUN_UNDER_XVFB("MenuXvfb.ControllerToastShowsForFourHundredEightyFrames");
    auto toast_lit = [this] {
        rgb_picture p = gui_window_picture(window);
        int lit = 0;
        for (int y = 480 - 36; y < 480 - 8; y++)
            for (int x = 100; x < 540; x++) lit += p.rgb[(size_t(y) * 640 + size_t(x)) * 3 + 0] != 0;
        return lit;
    };
    controller_toast_show();
    EXPECT_EQ(menu.toast_frames, 0) << "no controller, no toast";
    ASSERT_NE(pad_attach(), nullptr);
    controller_toast_show();
    EXPECT_STREQ(menu.toast_text, "Menu: R3 (right stick click) or hold Start");
    for (int frame = 0; frame < 480; frame++) {
        menu_frame(window);
        if (frame == 0 || frame == 479) {
            EXPECT_GT(toast_lit(), 1000) << frame;
        }
    }
    menu_frame(window);
    EXPECT_EQ(toast_lit(), 0);
}

}  // namespace
