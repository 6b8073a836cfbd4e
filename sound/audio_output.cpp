#include "sound/audio_output.h"

#include <atomic>
#include <cstdio>
#include <cstring>

// g++ defines __SANITIZE_THREAD__ under -fsanitize=thread; clang only answers
// __has_feature(thread_sanitizer).
#if defined(__SANITIZE_THREAD__)
#define AUDIO_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define AUDIO_TSAN 1
#endif
#endif

#if defined(AUDIO_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

SDL_AudioDeviceID audio_device = 0;
std::atomic<int> device_rate{0};
std::atomic<uint32_t> callback_calls{0};
std::atomic<uint32_t> callback_underruns{0};
// Read by the audio callback, written by the settings and the menu.
std::atomic<float> master_volume{1.0f};

struct generator_slot {
    audio_generator_fn fn;
    void* user;
    SDL_SpinLock lock;
};
generator_slot generator{};

}  // namespace

// SDL's spinlock lives in an uninstrumented library: tell ThreadSanitizer what it orders.
void audio_lock(SDL_SpinLock* lock) {
    SDL_AtomicLock(lock);
#if defined(AUDIO_TSAN)
    __tsan_acquire(lock);
#endif
}

void audio_unlock(SDL_SpinLock* lock) {
#if defined(AUDIO_TSAN)
    __tsan_release(lock);
#endif
    SDL_AtomicUnlock(lock);
}

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
    device_rate.store(have.freq);
    SDL_PauseAudioDevice(audio_device, 0);
    printf("[AUDIO] %d Hz, %d channels, %d-frame buffer\n", have.freq, have.channels, have.samples);
    return true;
}

void audio_close() {
    if (audio_device) {
        SDL_PauseAudioDevice(audio_device, 1);
        SDL_CloseAudioDevice(audio_device);
    }
    audio_device = 0;
    device_rate.store(0);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool audio_device_open() {
    return audio_device != 0;
}

int audio_sample_rate() {
    return device_rate.load(std::memory_order_relaxed);
}

void audio_counters(uint32_t* calls, uint32_t* underruns) {
    if (calls) *calls = callback_calls.load();
    if (underruns) *underruns = callback_underruns.load();
}

void audio_set_generator(audio_generator_fn fn, void* user) {
    audio_lock(&generator.lock);
    generator.fn = fn;
    generator.user = user;
    audio_unlock(&generator.lock);
}

// The generator runs after its lock is released, so the mixer's own locks never nest in it.
void audio_callback(void*, Uint8* stream, int bytes) {
    audio_lock(&generator.lock);
    audio_generator_fn fn = generator.fn;
    void* user = generator.user;
    audio_unlock(&generator.lock);
    callback_calls.fetch_add(1, std::memory_order_relaxed);
    if (fn) {
        fn(reinterpret_cast<int16_t*>(stream), bytes / 4, user);
    } else {
        memset(stream, 0, size_t(bytes));
        callback_underruns.fetch_add(1, std::memory_order_relaxed);
    }
}

float master_volume_get() {
    return master_volume.load(std::memory_order_relaxed);
}

void master_volume_set(float volume) {
    master_volume.store(volume < 0.0f ? 0.0f : volume > 1.0f ? 1.0f : volume, std::memory_order_relaxed);
}
