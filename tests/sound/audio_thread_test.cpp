// The audio callback on SDL's audio thread against the main thread's ring writes and
// voice changes. Meant for the ThreadSanitizer build as much as for the normal one.
#include "sound/audio_output.h"
#include "sound/chip_ring.h"
#include "sound/mixer.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

TEST(AudioThread, CallbackRunsAgainstRingWritesAndVoiceChanges) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    static uint8_t rom[0x100];
    for (int i = 0; i < 0x100; i++) rom[i] = uint8_t(int8_t(std::lround(100 * std::sin(i * 2 * M_PI / 0x100))));
    q904_init(&q904, rom, int32_t(sizeof rom));
    chip_clock = {};
    chip_ring_empty();
    for (sfx_voice& v : sfx_voices.voices) v = {};  // no voice left on another test's samples
    chip_present.store(true);
    chip_live.store(true);
    static std::vector<int16_t> coin_data(3000, 1200);
    static sample_record coin{coin_data.data(), uint32_t(coin_data.size()), 22050};

    audio_set_generator(audio_generate, nullptr);
    testing::internal::CaptureStdout();
    bool opened = audio_open(true);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(opened);
    ASSERT_GT(audio_sample_rate(), 0);
    uint32_t calls0 = 0, calls = 0;
    audio_counters(&calls0, nullptr);

    // Key a looping voice on, then feed the ring as the sound CPU's frames would.
    chip_write(Q904_REG_END, 0xFF);
    chip_write(Q904_REG_FREQ, 0x4000);
    chip_write(Q904_REG_VOL_F, 0xFFFF);
    chip_write(Q904_REG_FLAGS, VF_LOOP | VF_KEY_ON);
    chip_write(Q904_REG_KEY_SWEEP, 0);
    uint64_t cycles = 0;
    uint32_t start = SDL_GetTicks();
    int frame = 0;
    do {
        cycles += 273066;
        chip_catch_up(cycles);
        if (frame % 3 == 0) sfx_voice_start(&coin);
        master_volume_set(frame % 2 ? 0.5f : 1.0f);
        chip_write(Q904_REG_FREQ, uint16_t(0x3000 + (frame & 0xFF) * 16));
        frame++;
        SDL_Delay(16);
        audio_counters(&calls, nullptr);
    } while ((calls - calls0 < 8 || frame < 20) && SDL_GetTicks() - start < 5000);

    EXPECT_GE(calls - calls0, 8u) << "the audio thread should have run the callback";
    // The mixer consumed the ring: far less than all the rendered frames are left.
    audio_lock(&chip_ring.lock);
    int fill = chip_ring.fill;
    audio_unlock(&chip_ring.lock);
    EXPECT_LT(fill, int(cycles / 192 / 2));
    audio_close();
    for (sfx_voice& v : sfx_voices.voices) v = {};
    chip_present.store(false);
    chip_live.store(false);
    master_volume_set(1.0f);
}

}  // namespace
