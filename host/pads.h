// Game controllers and raw joysticks: four device slots filled at start-up and on
// hot-plug, the controller and joystick readings the host input takes, the joy_* keys
// of the controls file, and the --joytest tool.
#pragma once
#include <SDL.h>
#include <cstdio>

constexpr int PAD_SLOTS = 4;

// A slot holds one open game controller or one open raw joystick, or nothing.
struct pad_slot {
    SDL_GameController* controller;
    SDL_Joystick* joystick;
    SDL_JoystickID id;
};
extern pad_slot pad_slots[PAD_SLOTS];

// A raw-joystick axis: its number (below 0: off), inverted, half range (pedals).
struct joy_axis_mapping {
    int axis;
    bool invert, half;
};
// The raw-joystick mapping of the controls file (buttons below 0: off).
struct joy_mapping {
    joy_axis_mapping steer, lean, pedal;
    int coin, start, service, test;
};
extern joy_mapping joy_map;

// Start-up: the controller subsystem, gamecontrollerdb.txt and the devices present;
// then, whatever SDL said, the board input cells' start-up values.
void pads_init();
// Opens every device not yet in a slot, into the lowest free slot.
void pads_open();
// Every SDL event: the encoder's joystick sources first, then device removal and
// arrival.
void pads_hotplug(const SDL_Event* event);

// The first controller's axis outside the dead zone of 8000, rescaled to full range;
// 0 when none is.
int pad_axis(SDL_GameControllerAxis axis);
// The raw joysticks' value of the mapped axis of largest magnitude (below 1500 ignored),
// not below -32767.
int joy_axis_read(const joy_axis_mapping& mapping);
// Any controller holds the button.
bool pad_button_held(SDL_GameControllerButton button);
// Any raw joystick holds the button (false for a button below 0).
bool joy_button_held(int button);
// The largest value of a controller axis over the controllers (triggers: 0..32767).
int pad_axis_max(SDL_GameControllerAxis axis);

// The controls-file hook: joy_* keys here, enc_* keys to the encoder. False for any
// other key.
bool joy_setting_apply(const char* key, const char* value);
// The raw-joystick block of the controls file, then the encoder's.
void joy_settings_write(FILE* f);

// --joytest: lists the devices and prints their events until Ctrl-C; exit status.
int joytest_run();
