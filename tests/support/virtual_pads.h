// SDL virtual joysticks standing in for real devices in tests: a game controller SDL
// maps by itself, and a wheel that stays a raw joystick until a mapping names it.
#pragma once
#include <SDL.h>
#include <string>

// Device indexes (or -1). Needs SDL's joystick subsystem.
int virtual_pad_attach(const char* name);
int virtual_wheel_attach(const char* name, int axes, int buttons);
// The SDL joystick of an open device, by instance ID.
SDL_Joystick* virtual_joystick(SDL_JoystickID id);
// The GUID text a gamecontrollerdb.txt line starts with, for a device index.
std::string virtual_guid(int device_index);
