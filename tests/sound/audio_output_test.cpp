// The audio device and the master volume.
#include "sound/audio_output.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(AudioOutput, MasterVolumeClamps) {
    const struct { float in, stored; } cases[] = {{-0.5f, 0.0f}, {0.0f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {3.0f, 1.0f}};
    for (const auto& c : cases) {
        master_volume_set(c.in);
        EXPECT_EQ(master_volume_get(), c.stored) << c.in;
    }
    master_volume_set(1.0f);
}

TEST(AudioOutput, OpensOnlyWhenWanted) {
    EXPECT_FALSE(audio_open(false));
    EXPECT_FALSE(audio_device_open());

    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStdout();
    bool opened = audio_open(true);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(opened) << out;
    EXPECT_TRUE(audio_device_open());
    EXPECT_EQ(out.rfind("[AUDIO] ", 0), 0u);
    EXPECT_NE(out.find(" Hz, 2 channels, "), std::string::npos) << out;
    EXPECT_TRUE(audio_open(true));  // already open: nothing more
    audio_close();  // SDL's dummy driver has one device: leave it to the next test
    EXPECT_FALSE(audio_device_open());
}

TEST(AudioOutput, NoDriverRunsSilent) {
    ASSERT_FALSE(audio_device_open()) << "an earlier test left the device open";
    SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    bool opened = audio_open(true);
    if (opened) audio_close();
    EXPECT_FALSE(opened);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("[AUDIO] no audio subsystem (", 0), 0u);
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
}

}  // namespace
