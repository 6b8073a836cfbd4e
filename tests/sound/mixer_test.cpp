// The chip ring and the mixer's arithmetic.
#include "sound/audio_output.h"
#include "sound/chip_ring.h"
#include "sound/mixer.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

constexpr double BASE_STEP = 85333.33333333333 / 44100;  // 1.934996...

struct MixerTest : testing::Test {
    std::vector<uint8_t> rom = std::vector<uint8_t>(0x100);
    std::vector<int16_t> out = std::vector<int16_t>(2 * 10000);

    void SetUp() override {
        q904_init(&q904, rom.data(), int32_t(rom.size()));
        chip_present.store(true);
        chip_live.store(true);
        chip_clock = {};
        chip_ring.fill = 0;
        chip_ring.read_pos = 0.0;
        for (sfx_voice& v : sfx_voices.voices) v = {};
        master_volume_set(1.0f);
    }
    void TearDown() override {
        for (sfx_voice& v : sfx_voices.voices) v = {};  // they point at this test's samples
        chip_present.store(false);
        chip_live.store(false);
        master_volume_set(1.0f);
    }
    // Ring frame m holds 100 m on channel 0, -100 m on channel 1, loud rear channels.
    void fill_ramp(int frames) {
        for (int m = 0; m < frames; m++) chip_ring.frames[m] = {{int16_t(m * 100 % 30000), int16_t(-(m * 100 % 30000)), 30000, 30000}};
        chip_ring.fill = frames;
    }
};

TEST_F(MixerTest, ResampleStepFollowsTheRingFill) {
    const struct { int fill; bool drift; double factor; } cases[] = {
        {4096, true, 1.0},   {8192, true, 1.02},  {20000, true, 1.02}, {6144, true, 1.01},
        {2048, true, 0.99},  {2, true, 1.0 + 0.02 * (2 - 4096) / 4096.0}, {8192, false, 1.0}, {2, false, 1.0},
    };
    for (const auto& c : cases) {
        SetUp();
        chip_ring.fill = c.fill;
        int frames = c.fill > 400 ? 100 : 1;
        mix_frames(out.data(), frames, 44100, c.drift);
        double step = (c.fill - chip_ring.fill + chip_ring.read_pos) / frames;
        EXPECT_NEAR(step, BASE_STEP * c.factor, 1e-9) << c.fill << " drift " << c.drift;
        EXPECT_LT(chip_ring.read_pos, 1.0);
    }
    EXPECT_NEAR(BASE_STEP, 1.934996, 1e-6);
}

TEST_F(MixerTest, RingFramesInterpolateTowardZeroOnTheFrontPair) {
    fill_ramp(300);
    mix_frames(out.data(), 100, 44100, false);
    for (int j = 0; j < 100; j++) {
        double p = j * BASE_STEP;
        ASSERT_EQ(out[2 * j], int(std::trunc(100 * p))) << j;
        ASSERT_EQ(out[2 * j + 1], int(std::trunc(-100 * p))) << j;  // truncated toward zero, not down
    }
}

TEST_F(MixerTest, DryRingGivesSilenceAndKeepsItsPosition) {
    for (int fill : {0, 1}) {
        SetUp();
        fill_ramp(fill);
        chip_ring.frames[0].ch[0] = 5000;
        chip_ring.read_pos = 0.25;
        mix_frames(out.data(), 64, 44100, true);
        for (int i = 0; i < 128; i++) ASSERT_EQ(out[i], 0) << fill;
        EXPECT_EQ(chip_ring.read_pos, 0.25);
        EXPECT_EQ(chip_ring.fill, fill);
    }
    // Running dry part-way: the rest of the call gets no chip sound.
    SetUp();
    fill_ramp(11);
    mix_frames(out.data(), 20, 44100, false);
    EXPECT_NE(out[2 * 5], 0);
    for (int j = 6; j < 20; j++) EXPECT_EQ(out[2 * j], 0) << j;  // frame 6 would need ring frames 11 and 12
    EXPECT_EQ(chip_ring.fill, 0);
    EXPECT_NEAR(chip_ring.read_pos, 6 * BASE_STEP - 11, 1e-9);
}

TEST_F(MixerTest, RingIsIgnoredUnlessPresentAndLive) {
    for (int which = 0; which < 2; which++) {
        SetUp();
        fill_ramp(300);
        (which ? chip_live : chip_present).store(false);
        mix_frames(out.data(), 50, 44100, true);
        for (int i = 0; i < 100; i++) ASSERT_EQ(out[i], 0);
        EXPECT_EQ(chip_ring.fill, 300);
    }
}

TEST_F(MixerTest, CatchUpAnchorsThenRendersInChunks) {
    chip_catch_up(192 * 1000 + 191);
    EXPECT_TRUE(chip_clock.started);
    EXPECT_EQ(chip_clock.time, 1000u);
    EXPECT_EQ(chip_ring.fill, 0);  // the first call renders nothing
    chip_catch_up(192 * 1010);
    EXPECT_EQ(chip_ring.fill, 10);
    // Not live: rendered and thrown away, the chip still advancing.
    chip_live.store(false);
    q904.noise_lfsr = 0x1234;
    q904_write(&q904, Q904_REG_FLAGS, VF_NOISE | VF_KEY_ON, 0xFFFF);
    q904_write(&q904, Q904_REG_FREQ, 0xFFFF, 0xFFFF);
    q904_write(&q904, Q904_REG_KEY_SWEEP, 0, 0xFFFF);
    chip_catch_up(192 * 1020);
    EXPECT_EQ(chip_ring.fill, 10);
    EXPECT_EQ(chip_clock.time, 1020u);
    EXPECT_NE(q904.noise_lfsr, 0x1234);
    // Without a chip nothing moves.
    chip_present.store(false);
    chip_catch_up(192 * 5000);
    EXPECT_EQ(chip_clock.time, 1020u);
}

TEST_F(MixerTest, OverfullRingDropsItsOldestFrames) {
    const struct { double read_before, read_after; } cases[] = {{400.0, 68.0}, {100.0, 0.0}};
    for (const auto& c : cases) {
        SetUp();
        chip_clock = {0, true};
        for (int m = 0; m < 32500; m++) chip_ring.frames[m].ch[0] = int16_t(m);
        chip_ring.fill = 32500;
        chip_ring.read_pos = c.read_before;
        chip_catch_up(192 * 600);  // a chunk of 512 (drops 244), one of 88 (drops 88)
        EXPECT_EQ(chip_ring.fill, CHIP_RING_FRAMES);
        EXPECT_EQ(chip_ring.read_pos, c.read_after);
        EXPECT_EQ(chip_ring.frames[0].ch[0], 332);
        EXPECT_EQ(chip_ring.frames[32167].ch[0], 32499);
        EXPECT_EQ(chip_ring.frames[32168].ch[0], 0);  // the idle chip's output
    }
}

TEST_F(MixerTest, CoinVoiceLastsUntilItsLastSamplePair) {
    std::vector<int16_t> data(1000, 1000);
    sample_record coin{data.data(), 1000, 22050};
    sfx_voice_start(&coin);
    mix_frames(out.data(), 4000, 44100, true);
    int last = -1;
    for (int j = 0; j < 4000; j++)
        if (out[2 * j] != 0) last = j;
    EXPECT_EQ(last + 1, 1998);
    EXPECT_EQ(out[2 * 1997 + 1], 1000);
    EXPECT_FALSE(sfx_voices.voices[0].active);
}

// A four-sample record inside a guarded buffer: any read outside the sample picks up a
// loud guard value and shows in the output.
TEST_F(MixerTest, AVoiceNeverReadsOutsideItsSampleWhateverItsState) {
    constexpr int16_t GUARD = 30000;
    std::vector<int16_t> buffer = {GUARD, GUARD, GUARD, 100, 100, 100, 100, GUARD, GUARD, GUARD};
    const int16_t* samples = buffer.data() + 3;
    const double nan = std::nan("");
    const struct { const char* name; sample_record rec; double position; int sounding; } cases[] = {
        {"from the start", {samples, 4, 44100}, 0.0, 3},
        {"on the last pair", {samples, 4, 44100}, 2.5, 1},
        {"at the last sample", {samples, 4, 44100}, 3.0, 0},
        {"past the end", {samples, 4, 44100}, 1e12, 0},
        {"just before the start", {samples, 4, 44100}, -0.5, 0},
        {"before the start", {samples, 4, 44100}, -2.0, 0},
        {"far before the start", {samples, 4, 44100}, -1e12, 0},
        {"NaN position", {samples, 4, 44100}, nan, 0},
        {"infinite position", {samples, 4, 44100}, INFINITY, 0},
        {"rate 0", {samples, 4, 0}, 0.0, 0},
        {"negative rate", {samples, 4, -44100}, 1.0, 0},
        {"no data", {nullptr, 4, 44100}, 0.0, 0},
        {"one sample", {samples, 1, 44100}, 0.0, 0},
        {"empty", {samples, 0, 44100}, 0.0, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        sfx_voices.voices[0] = {&c.rec, c.position, true};
        std::fill(out.begin(), out.end(), int16_t(0x5555));
        mix_frames(out.data(), 8, 44100, false);
        for (int k = 0; k < 8; k++) {
            int16_t want = k < c.sounding ? 100 : 0;
            EXPECT_EQ(out[2 * k], want) << c.name << " frame " << k;
            EXPECT_EQ(out[2 * k + 1], want) << c.name << " frame " << k;
        }
        EXPECT_FALSE(sfx_voices.voices[0].active) << c.name;
    }
    // A voice that holds no sample at all ends too.
    SetUp();
    sfx_voices.voices[0] = {nullptr, 0.0, true};
    mix_frames(out.data(), 8, 44100, false);
    EXPECT_EQ(out[0], 0);
    EXPECT_FALSE(sfx_voices.voices[0].active);
}

TEST_F(MixerTest, EightVoicesVolumeAndClamp) {
    std::vector<int16_t> data(64);
    sample_record rec{data.data(), 64, 44100};
    const struct { int value; int voices; float volume; int left; } cases[] = {
        {1001, 1, 0.5f, 500},      {-1001, 1, 0.5f, -500},     {30000, 8, 1.0f, 32767},
        {-30000, 8, 1.0f, -32768}, {30000, 8, 0.125f, 30000},  {1000, 1, 0.0f, 0},
        {30000, 9, 0.125f, 30000},  // a ninth start restarts voice 0: still eight voices
    };
    for (const auto& c : cases) {
        SetUp();
        std::fill(data.begin(), data.end(), int16_t(c.value));
        master_volume_set(c.volume);
        for (int i = 0; i < c.voices; i++) sfx_voice_start(&rec);
        mix_frames(out.data(), 10, 44100, true);
        EXPECT_EQ(out[0], c.left) << c.value << " x" << c.voices << " vol " << c.volume;
        EXPECT_EQ(out[1], c.left);
    }
}

TEST_F(MixerTest, NinthStartRestartsVoiceZero) {
    std::vector<int16_t> data(1000, 1);
    sample_record rec{data.data(), 1000, 44100};
    for (int i = 0; i < 8; i++) sfx_voice_start(&rec);
    mix_frames(out.data(), 10, 44100, true);
    sfx_voice_start(&rec);
    EXPECT_EQ(sfx_voices.voices[0].position, 0.0);
    for (int i = 1; i < SFX_VOICES; i++) EXPECT_EQ(sfx_voices.voices[i].position, 10.0) << i;
    sfx_voices.voices[3].active = false;
    sfx_voice_start(&rec);
    EXPECT_EQ(sfx_voices.voices[3].position, 0.0);
}

TEST_F(MixerTest, OversizedRequestIsTruncated) {
    fill_ramp(30000);
    std::fill(out.begin(), out.end(), int16_t(0x5555));
    testing::internal::CaptureStderr();
    mix_frames(out.data(), 10000, 44100, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[AUDIO_HLE] mix_frames: 10000 frames > cap 8192, truncating\n");
    EXPECT_NE(out[2 * 8191], 0x5555);
    EXPECT_EQ(out[2 * 8192], 0x5555);
}

TEST_F(MixerTest, GeneratorNeedsADeviceRate) {
    fill_ramp(300);
    std::fill(out.begin(), out.end(), int16_t(0x5555));
    if (audio_device_open()) audio_close();
    audio_generate(out.data(), 64, nullptr);  // no device: cleared, not mixed
    for (int i = 0; i < 128; i++) ASSERT_EQ(out[i], 0);
    EXPECT_EQ(out[128], 0x5555);
    EXPECT_EQ(chip_ring.fill, 300);
}

}  // namespace
