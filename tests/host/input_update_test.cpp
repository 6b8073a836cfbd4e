// The host input: keys, controllers and raw joysticks (SDL virtual devices) into the
// board's switch bytes, handle readings and pedal counter.
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "host/encoder.h"
#include "host/input_update.h"
#include "host/pads.h"
#include "host/paused_camera.h"
#include "host/settings.h"
#include "render/model_placement.h"
#include "tests/support/test_files.h"
#include "tests/support/virtual_pads.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const input_state initial_input = input;
const joy_mapping initial_joy_map = joy_map;
const encoder_settings initial_encoder = encoder_config;

bool keys[SDL_NUM_SCANCODES];

bool fake_key_held(int scancode) {
    return scancode >= 0 && scancode < SDL_NUM_SCANCODES && keys[scancode];
}

void hold(control_index c, bool down) {
    keys[key_bindings[c]] = down;
}

int switch_byte0() {
    return commsram[CR_SWITCH_BYTE0];
}

class HostInput : public testing::Test {
protected:
    void SetUp() override {
        board_memory_clear();
        input = initial_input;
        joy_map = initial_joy_map;
        encoder_config = initial_encoder;
        encoder_init(false);
        default_bindings();
        memset(keys, 0, sizeof keys);
        key_held = fake_key_held;
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }
    void TearDown() override {
        for (pad_slot& s : pad_slots) {
            if (s.controller) SDL_GameControllerClose(s.controller);
            if (s.joystick) SDL_JoystickClose(s.joystick);
            s = pad_slot{};
        }
        // Every start of the controllers (SetUp's and each pads_init) ends here: the next
        // test has none of this one's devices and mappings, and video stays up for the
        // program's GL window.
        while (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        key_held = nullptr;
    }
    // One main-loop iteration's input: the events, the mapping, the pedal.
    static void frame() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) pads_hotplug(&e);
        input_update();
        pedal_emulate();
    }
    // A value read after each of n frames.
    template <class F>
    static std::vector<int> over_frames(int n, F read) {
        std::vector<int> values;
        for (int i = 0; i < n; i++) {
            frame();
            values.push_back(read());
        }
        return values;
    }
    // A switch bit after each of n frames, as '1' and '0'.
    static std::string bits_over_frames(int n, int mask) {
        std::string bits;
        for (int v : over_frames(n, [] { return switch_byte0(); })) bits += v & mask ? '1' : '0';
        return bits;
    }
    static SDL_Joystick* slot_joystick(int slot) {
        const pad_slot& s = pad_slots[slot];
        return s.controller ? SDL_GameControllerGetJoystick(s.controller) : s.joystick;
    }
};

TEST_F(HostInput, EachTestPressFlipsTheLatch) {
    pads_init();
    frame();  // the level jump's stand-in says so once
    const struct {
        bool held;
        const char* message;
        int bit;
    } frames[] = {
        {true, "[INPUT] test switch ON\n", 8}, {true, "", 8},   {false, "", 8},
        {true, "[INPUT] test switch OFF\n", 0}, {false, "", 0}, {true, "[INPUT] test switch ON\n", 8},
    };
    for (const auto& f : frames) {
        hold(CONTROL_TEST, f.held);
        testing::internal::CaptureStderr();
        frame();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), f.message);
        EXPECT_EQ(switch_byte0() & 8, f.bit);
    }
    EXPECT_EQ(test_switch_state(), 1);
    testing::internal::CaptureStderr();
    test_switch_set(false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[INPUT] test switch OFF\n");
    frame();
    EXPECT_EQ(switch_byte0() & 8, 0);
}

TEST_F(HostInput, ServiceButtonHoldsServiceForTwelveFrames) {
    pads_init();
    service_button_press();
    EXPECT_EQ(bits_over_frames(14, 4), "11111111111100");
}

TEST_F(HostInput, EachCoinPressSendsThreeFrames) {
    pads_init();
    hold(CONTROL_COIN, true);
    EXPECT_EQ(bits_over_frames(100, 1), "111" + std::string(97, '0'));

    // A second press while a pulse runs starts the three frames again.
    std::string pressed_twice;
    for (bool down : {false, true, false, true, false, false, false, false, false}) {
        hold(CONTROL_COIN, down);
        frame();
        pressed_twice += switch_byte0() & 1 ? '1' : '0';
    }
    EXPECT_EQ(pressed_twice, "011111000");
}

// SKYVOLTA_TEST_COIN's frames press the coin (each a three-frame pulse, a frame listed
// again restarting it); SKYVOLTA_TEST_START holds start for four frames.
TEST_F(HostInput, ScriptedCoinAndStartFrames) {
    pads_init();
    setenv("SKYVOLTA_TEST_COIN", "3,5,12,not,20", 1);
    setenv("SKYVOLTA_TEST_START", "15", 1);
    input_env_switches_read();
    std::string coin, start;
    for (host_frame = 0; host_frame < 24; host_frame++) {
        frame();
        coin += commsram[CR_SWITCH_BYTE0] & 1 ? '1' : '0';
        start += commsram[CR_SWITCH_BYTE1] & 1 ? '1' : '0';
    }
    unsetenv("SKYVOLTA_TEST_COIN");
    unsetenv("SKYVOLTA_TEST_START");
    input_env_switches_read();
    host_frame = 0;
    EXPECT_EQ(coin, "000111110000111000000000");
    EXPECT_EQ(start, "000000000000000111100000");
    frame();
    EXPECT_EQ(commsram[CR_SWITCH_BYTE0] | commsram[CR_SWITCH_BYTE1], 0);
}

TEST_F(HostInput, KeysMoveTheHandleByTheKeyStep) {
    const struct {
        int value;
        bool minus, plus;
        int step, expected;
    } cases[] = {
        {511, true, false, 40, 471},  {511, false, true, 40, 551},  {511, true, true, 40, 511},
        {600, true, true, 40, 560},   {520, false, false, 40, 511}, {490, false, false, 40, 511},
        {400, false, false, 40, 440}, {200, true, false, 40, 191},  {820, false, true, 40, 831},
        {511, true, false, 7, 504},   {100, false, false, 40, 191}, {900, false, false, 40, 831},
    };
    for (const auto& c : cases) {
        input.key_step = c.step;
        EXPECT_EQ(key_analog_step(c.value, c.minus, c.plus), c.expected)
            << c.value << " minus " << c.minus << " plus " << c.plus;
    }
}

TEST_F(HostInput, SteerKeysClimbAndBothReturnTowardCentre) {
    pads_init();
    auto steer = [] { return int(w_cell(W_HANDLE_TURN)); };
    hold(CONTROL_STEER_LEFT, true);
    EXPECT_EQ(over_frames(10, steer), (std::vector<int>{551, 591, 631, 671, 711, 751, 791, 831, 831, 831}));
    hold(CONTROL_STEER_RIGHT, true);  // both: back toward the centre
    EXPECT_EQ(over_frames(10, steer), (std::vector<int>{791, 751, 711, 671, 631, 591, 551, 511, 511, 511}));
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_TURN), 511);
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_PITCH), 511);
}

TEST_F(HostInput, StickAndRawAxisGiveTheHandle) {
    int pad = virtual_pad_attach("Test Pad");
    ASSERT_GE(pad, 0) << SDL_GetError();
    int wheel = virtual_wheel_attach("Test Wheel", 3, 4);
    ASSERT_GE(wheel, 0) << SDL_GetError();
    pads_init();
    ASSERT_NE(pad_slots[0].controller, nullptr);
    ASSERT_NE(pad_slots[1].joystick, nullptr);
    SDL_Joystick* stick = slot_joystick(0);
    SDL_Joystick* raw = slot_joystick(1);
    const struct {
        int stick_x, stick_y, raw_x;
        bool invert;
        int steer, lean;
    } cases[] = {
        {8000, 0, 0, false, 511, 511},       {32767, 0, 0, false, 191, 511},
        {-32768, 0, 0, false, 831, 511},     {0, 32767, 0, false, 511, 831},
        {0, -32768, 0, false, 511, 191},     {0, 0, -1499, false, 511, 511},   // raw dead zone
        {0, 0, -32768, false, 831, 511},     {0, 0, 16384, false, 351, 511},
        {0, 0, 16384, true, 671, 511},       {32767, 0, -32767, false, 191, 511},  // a tie: the controller
        {9000, 0, 20000, false, 316, 511},   // the raw axis is further out
    };
    for (const auto& c : cases) {
        input.steer = input.lean = 511;
        joy_map.steer.invert = c.invert;
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, Sint16(c.stick_x));
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, Sint16(c.stick_y));
        SDL_JoystickSetVirtualAxis(raw, 0, Sint16(c.raw_x));
        frame();
        EXPECT_EQ(w_cell(W_HANDLE_TURN), c.steer) << c.stick_x << " " << c.raw_x << " invert " << c.invert;
        EXPECT_EQ(w_cell(W_HANDLE_PITCH), c.lean) << c.stick_y;
    }
}

TEST_F(HostInput, ControllerButtonsAreTheSwitches) {
    int pad = virtual_pad_attach("Test Pad");
    ASSERT_GE(pad, 0) << SDL_GetError();
    pads_init();
    SDL_Joystick* j = slot_joystick(0);
    const struct {
        SDL_GameControllerButton button;
        bool racing;
        int byte0, byte1;
    } cases[] = {
        {SDL_CONTROLLER_BUTTON_BACK, false, 1, 0},         {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false, 4, 0},
        {SDL_CONTROLLER_BUTTON_A, false, 0, 1},            {SDL_CONTROLLER_BUTTON_A, true, 0, 1},
        {SDL_CONTROLLER_BUTTON_START, false, 0, 1},        {SDL_CONTROLLER_BUTTON_START, true, 0, 0},
    };
    for (const auto& c : cases) {
        w_cell_set(W_GAME_STATE, c.racing ? 3 : 0);
        w_cell_set(W_GAME_SUB_STATE, c.racing ? 3 : 0);
        for (int i = 0; i < 4; i++) frame();  // released, and any coin pulse over
        SDL_JoystickSetVirtualButton(j, c.button, 1);
        frame();
        EXPECT_EQ(commsram[CR_SWITCH_BYTE0], c.byte0) << c.button;
        EXPECT_EQ(commsram[CR_SWITCH_BYTE1], c.byte1) << c.button << " racing " << c.racing;
        SDL_JoystickSetVirtualButton(j, c.button, 0);
    }
}

TEST_F(HostInput, PedalKeyClimbsEightAndFallsSix) {
    pads_init();
    auto level = [] { return input.pedal_level; };
    hold(CONTROL_PEDAL, true);
    EXPECT_EQ(over_frames(17, level),
              (std::vector<int>{8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 127, 127}));
    hold(CONTROL_PEDAL, false);
    EXPECT_EQ(over_frames(3, level), (std::vector<int>{121, 115, 109}));
}

TEST_F(HostInput, PedalCounterStepsAndWrapsWithoutABreak) {
    EXPECT_EQ(pedal_step(127), 710648u);
    EXPECT_EQ(pedal_step(1), 65536000000ull / (100750ull * 60));
    EXPECT_EQ(pedal_step(0), 0u);

    // At level 127 from just below the wrap: the board's delta of each frame is the
    // counter's own step, across 65535 -> 0 too.
    input.pedal_request = 127;
    input.pedal_counter = 65500;
    pedal_emulate();
    encoder_counters_update();
    uint64_t fraction = input.pedal_fraction;
    for (int i = 0; i < 8; i++) {
        uint32_t before = input.pedal_counter;
        uint64_t sum = fraction + 710648;
        pedal_emulate();
        encoder_counters_update();
        fraction = sum & 0xFFFF;
        EXPECT_EQ(input.pedal_counter, (before + (sum >> 16)) & 0xFFFF);
        EXPECT_EQ(w_cell(W_PEDAL_DELTA), int32_t(sum >> 16));
        EXPECT_EQ(commsram[CR_PEDAL_COUNTER] << 8 | commsram[CR_PEDAL_COUNTER + 1], int(input.pedal_counter));
    }
    EXPECT_LT(input.pedal_counter, 65500u);  // wrapped

    input.pedal_request = 0;
    input.pedal_level = 0;
    uint32_t still = input.pedal_counter;
    pedal_emulate();
    EXPECT_EQ(input.pedal_counter, still);
}

// A request above the top level counts as the top level: the same level and the same
// counter step as 127.
TEST_F(HostInput, PedalRequestAboveTheTopIsTheTop) {
    for (int request : {128, 200, 100000}) {
        SCOPED_TRACE(request);
        input.pedal_request = request;
        input.pedal_counter = 0;
        input.pedal_fraction = 0;
        pedal_emulate();
        EXPECT_EQ(input.pedal_level, PEDAL_LEVEL_MAX);
        EXPECT_EQ(input.pedal_fraction, pedal_step(PEDAL_LEVEL_MAX) & 0xFFFF);
        EXPECT_EQ(input.pedal_counter, pedal_step(PEDAL_LEVEL_MAX) >> 16);
    }
}

TEST_F(HostInput, TriggerAndRawPedalRequestALevel) {
    int pad = virtual_pad_attach("Test Pad");
    int wheel = virtual_wheel_attach("Test Wheel", 3, 4);
    ASSERT_GE(wheel, 0) << SDL_GetError();
    ASSERT_GE(pad, 0) << SDL_GetError();
    pads_init();
    SDL_Joystick* stick = slot_joystick(0);
    SDL_Joystick* raw = slot_joystick(1);
    joy_map.pedal = {2, false, false};
    const struct {
        int trigger, raw;
        bool half, invert;
        int level;
    } cases[] = {
        {-32768, -32768, false, false, 0},  // both at rest
        {32767, -32768, false, false, 127},
        {-32768, 32767, false, false, 127},
        {-32768, 0, false, false, 61},      // full-range axis half way: (0.5 - 0.03) / 0.97
        {-32768, 0, true, false, 0},        // half range: 0 is rest
        {-32768, -32768, true, true, 127},  // half range inverted: below 0 is full
        {-32768, 32767, false, true, 0},
    };
    for (const auto& c : cases) {
        joy_map.pedal.half = c.half;
        joy_map.pedal.invert = c.invert;
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, Sint16(c.trigger));
        SDL_JoystickSetVirtualAxis(raw, 2, Sint16(c.raw));
        frame();
        EXPECT_EQ(input.pedal_request, c.level) << c.trigger << " " << c.raw << " half " << c.half;
    }
}

TEST_F(HostInput, HotPlugFillsAndFreesSlots) {
    testing::internal::CaptureStdout();
    pads_init();
    int pad = virtual_pad_attach("Test Pad");
    int wheel = virtual_wheel_attach("Test Wheel", 3, 4);
    ASSERT_GE(pad, 0);
    ASSERT_GE(wheel, 0);
    frame();
    SDL_JoystickID pad_id = pad_slots[0].id;
    ASSERT_TRUE(SDL_JoystickDetachVirtual(pad) == 0);
    frame();
    int again = virtual_pad_attach("Test Pad");  // plugged in again
    ASSERT_GE(again, 0);
    frame();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [PAD] 0: Test Pad\n"
              "  [JOY] 1: Test Wheel (3 axes, 4 buttons) -- mapped by number, see --joytest\n"
              "  [PAD] 0 removed\n"
              "  [PAD] 0: Test Pad\n");
    EXPECT_NE(pad_slots[0].id, pad_id);
    EXPECT_NE(pad_slots[1].joystick, nullptr);
}

TEST_F(HostInput, AMappingFileMakesTheWheelAController) {
    std::string dir = temp_dir_make("pads");
    char old[4096];
    ASSERT_EQ(getcwd(old, sizeof old), old);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    int wheel = virtual_wheel_attach("Test Wheel", 3, 4);
    ASSERT_GE(wheel, 0);
    std::string line = virtual_guid(wheel) + ",Test Wheel,a:b0,b:b1,leftx:a0,righttrigger:a2,platform:Linux,\n";
    ASSERT_TRUE(file_write("gamecontrollerdb.txt", std::vector<uint8_t>(line.begin(), line.end())));
    testing::internal::CaptureStdout();
    pads_init();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "  [PAD] extra pad mappings from gamecontrollerdb.txt\n  [PAD] 0: Test Wheel\n");
    EXPECT_NE(pad_slots[0].controller, nullptr);
    EXPECT_EQ(chdir(old), 0);
    temp_dir_remove(dir);
}

TEST_F(HostInput, PauseViewTurnsAndZoomsWithinItsLimits) {
    pads_init();
    const struct {
        std::vector<int> held;
        double yaw, pitch, distance;       // before
        double yaw_after, pitch_after, distance_after;
    } cases[] = {
        {{}, 10, 10, 10, 10, 10, 10},
        {{key_bindings[CONTROL_STEER_RIGHT]}, 179, 0, 0, -179, 0, 0},  // wrapped once
        {{key_bindings[CONTROL_STEER_LEFT], key_bindings[CONTROL_STEER_RIGHT]}, 30, 0, 0, 30, 0, 0},
        {{key_bindings[CONTROL_LEAN_DOWN]}, 0, 84, 0, 0, 85, 0},
        {{key_bindings[CONTROL_LEAN_UP]}, 0, -80, 0, 0, -82, 0},
        {{SDL_SCANCODE_MINUS}, 0, 0, 59900, 0, 0, 60000},
        {{SDL_SCANCODE_PAGEUP, SDL_SCANCODE_KP_PLUS}, 0, 0, -8900, 0, 0, -9000},
        {{SDL_SCANCODE_EQUALS}, 0, 0, 1000, 0, 0, 750},
    };
    for (const auto& c : cases) {
        memset(keys, 0, sizeof keys);
        for (int k : c.held) keys[k] = true;
        pause_view.yaw = c.yaw, pause_view.pitch = c.pitch, pause_view.distance = c.distance;
        pause_view_move(2, 250);
        EXPECT_DOUBLE_EQ(pause_view.yaw, c.yaw_after) << c.held.size();
        EXPECT_DOUBLE_EQ(pause_view.pitch, c.pitch_after);
        EXPECT_DOUBLE_EQ(pause_view.distance, c.distance_after);
    }
    pause_view_offsets_clear();
    EXPECT_EQ(pause_view.yaw + pause_view.pitch + pause_view.distance, 0.0);
}

TEST_F(HostInput, StartUpValuesAndOwnedHandleCells) {
    memset(commsram + 0x7D00, 0xAA, 0x20);
    pads_init();
    EXPECT_EQ(commsram[0x7D01], 0);
    EXPECT_EQ(commsram[CR_SWITCH_BYTE0], 0);
    EXPECT_EQ(commsram[CR_SWITCH_BYTE1], 0);
    for (uint32_t w = 0; w < 4; w++)
        EXPECT_EQ(commsram[CR_ANALOG_WORDS + 2 * w] << 8 | commsram[CR_ANALOG_WORDS + 2 * w + 1], 511) << w;

    // The frame step's import leaves what the host wrote in the handle cells.
    input_update();
    set_analog_inputs(300, 700);
    memset(wram_bytes + W_HANDLE_TURN, 0x55, 4);
    memset(wram_bytes + W_HANDLE_CENTRE_TURN, 0x55, 4);
    wram_import();
    EXPECT_EQ(w_cell(W_HANDLE_TURN), 300);
    EXPECT_EQ(w_cell(W_HANDLE_PITCH), 700);
    EXPECT_EQ(w_cell(W_HANDLE_CENTRE_TURN), 511);
    EXPECT_EQ(commsram[CR_ANALOG_WORDS] << 8 | commsram[CR_ANALOG_WORDS + 1], 300);
}

}  // namespace
