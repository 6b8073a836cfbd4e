// The SDL audio device and the master volume.
#pragma once
#include <cstdint>

// Opens the device when one is wanted and none is open; otherwise returns `wanted`.
// False (one "[AUDIO]" line) when SDL cannot give a device: the game runs silent.
bool audio_open(bool wanted);

// True while a device is open (the WAV dump feeds itself when none is).
bool audio_device_open();

// Master volume 0..1 applied by the output; starts at 1.
float master_volume_get();
void master_volume_set(float volume);
