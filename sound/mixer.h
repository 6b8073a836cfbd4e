// The audio thread's mixer: up to eight one-shot sound-effect voices and the chip ring,
// resampled to the device rate, scaled by the master volume and clamped to 16-bit stereo.
#pragma once
#include <SDL.h>
#include <cstdint>

constexpr int MIX_MAX_FRAMES = 8192;  // frames mixed per call at most
constexpr int SFX_VOICES = 8;
constexpr int RING_TARGET_FILL = 4096;  // ring frames the fill control aims at

// Mono signed 16-bit samples.
struct sample_record {
    const int16_t* data;
    uint32_t length;  // samples
    int rate;         // Hz
};

struct sfx_voice {
    const sample_record* sample;
    double position;  // in sample frames
    bool active;
};

struct sfx_voice_set {
    sfx_voice voices[SFX_VOICES];
    SDL_SpinLock lock;
};
extern sfx_voice_set sfx_voices;

// Starts a voice on the sample at position 0: the first idle one, or voice 0 (restarted)
// when all eight are busy. Takes the voice lock.
void sfx_voice_start(const sample_record* sample);

// Mixes `frames` stereo frames at `rate` Hz into out (interleaved left/right). `drift`
// nudges the ring's read speed by up to 2 % to keep about 4,096 frames queued.
void mix_frames(int16_t* out, int frames, int rate, bool drift);

// The generator the callback runs once the sound system is up.
void audio_generate(int16_t* buffer, int frames, void* user);
