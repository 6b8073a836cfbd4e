// The SDL audio device, its callback and sample generator, and the master volume.
#pragma once
#include <SDL.h>
#include <cstdint>

// Opens the device when one is wanted and none is open; otherwise returns `wanted`.
// False (one "[AUDIO]" line) when SDL cannot give a device: the game runs silent.
bool audio_open(bool wanted);
// Pauses and closes the device and shuts SDL's audio subsystem down.
void audio_close();

// True while a device is open (the WAV dump feeds itself when none is).
bool audio_device_open();
// The rate SDL granted, 0 while no device is open.
int audio_sample_rate();
// Callbacks run and callbacks that found no generator; null pointers are skipped.
void audio_counters(uint32_t* calls, uint32_t* underruns);

// The sample generator the callback runs: fills `frames` stereo signed 16-bit frames.
using audio_generator_fn = void (*)(int16_t* buffer, int frames, void* user);
void audio_set_generator(audio_generator_fn fn, void* user);

// SDL's callback: runs the generator, or plays silence and counts an underrun.
void audio_callback(void* userdata, Uint8* stream, int bytes);

// Master volume 0..1 applied by the output; starts at 1.
float master_volume_get();
void master_volume_set(float volume);

// The sound system's spinlocks (generator, voices, ring). Never nested; the audio thread
// and the main thread hold them only for short, allocation-free passes.
void audio_lock(SDL_SpinLock* lock);
void audio_unlock(SDL_SpinLock* lock);
