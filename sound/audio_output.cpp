#include "sound/audio_output.h"

#include <SDL.h>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

SDL_AudioDeviceID audio_device = 0;
// Read by the audio callback, written by the settings and the menu.
std::atomic<float> master_volume{1.0f};

// The sample generator: silence until the sound system registers its mixer.
void audio_callback(void*, Uint8* stream, int len) {
    memset(stream, 0, size_t(len));
}

}  // namespace

bool audio_open(bool wanted) {
    if (!wanted || audio_device) return wanted;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        printf("[AUDIO] no audio subsystem (%s) -- running silent\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audio_callback;
    audio_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!audio_device) {
        printf("[AUDIO] could not open a device (%s) -- running silent\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(audio_device, 0);
    printf("[AUDIO] %d Hz, %d channels, %d-frame buffer\n", have.freq, have.channels, have.samples);
    return true;
}

bool audio_device_open() {
    return audio_device != 0;
}

float master_volume_get() {
    return master_volume.load();
}

void master_volume_set(float volume) {
    master_volume.store(volume < 0.0f ? 0.0f : volume > 1.0f ? 1.0f : volume);
}
