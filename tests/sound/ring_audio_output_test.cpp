// The ring audio output: the writer's resampling, mixing, knee and rate trim, the
// callback's priming, fades, underruns and latency bound, the dry report and the
// settings, driven directly on the test's thread; and a two-thread run on SDL's dummy
// audio driver (meant for the ThreadSanitizer build as much as for the normal one).
#include "sound/ring_audio_output.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr SDL_AudioDeviceID fake_device = 0x7777;  // "open" for the writer; never closed
uint32_t fake_now = 0;
uint32_t fake_ticks() {
    return fake_now;
}

struct RingAudioTest : testing::Test {
    std::vector<int16_t> out;

    void SetUp() override { load_state(); }
    void TearDown() override {
        load_state();
        ring_audio_ticks = SDL_GetTicks;
        for (const char* name : {"ENG_AUDIO_SAMPLES", "ENG_AUDIO_MAXMS", "ENG_OUTPUT_GAIN", "ENG_AUDIOLOG"})
            unsetenv(name);
    }
    // Everything as at program load (the record holds atomics, so field by field).
    static void load_state() {
        ring_audio_record& s = ring_audio_state;
        s.device = 0;
        memset(s.ring, 0, sizeof s.ring);
        s.read_pos = 0, s.write_pos = 0, s.cushion = RING_AUDIO_CUSHION, s.cushion_max = RING_AUDIO_CUSHION_MAX;
        s.primed = 0, s.fade_state = 0, s.fade_count = 0;
        s.held_frame[0] = s.held_frame[1] = s.last_out[0] = s.last_out[1] = 0;
        s.phase = 0.0;
        memset(s.prev_input, 0, sizeof s.prev_input);
        s.gain = 6.0, s.volume = 1.0f;
        const float identity[8] = {1, 0, 0, 0, 0, 1, 0, 0};
        ring_audio_set_matrix(identity);
        s.underruns = 0, s.underruns_shared = 0, s.resets = 0, s.resets_shared = 0;
        s.second_frames = 0, s.second_underruns = 0, s.log_enabled = -1;
        s.report_ticks = 0, s.report_underruns = 0, s.report_resets = 0;
    }
    // Queues `n` frames of (left, right) straight into the ring, as the writer would.
    static void queue(uint32_t n, int16_t left, int16_t right) {
        ring_audio_record& s = ring_audio_state;
        uint32_t w = s.write_pos;
        for (uint32_t k = 0; k < n; k++, w++) {
            s.ring[w & (RING_AUDIO_FRAMES - 1)][0] = left;
            s.ring[w & (RING_AUDIO_FRAMES - 1)][1] = right;
        }
        s.write_pos = w;
    }
    uint32_t queued() const { return ring_audio_state.write_pos - ring_audio_state.read_pos; }
    // One callback of n frames; out holds them interleaved.
    void callback(int n) {
        out.assign(size_t(2 * n), int16_t(0x5555));
        ring_audio_callback(nullptr, reinterpret_cast<Uint8*>(out.data()), 4 * n);
    }
    int16_t left(int k) const { return out[size_t(2 * k)]; }
    int16_t right(int k) const { return out[size_t(2 * k + 1)]; }
    // Writes `count` chip frames of one value on the given channels.
    static void write_constant(int count, int16_t value, std::initializer_list<int> channels) {
        std::vector<chip_frame> frames(size_t(count), chip_frame{});
        for (chip_frame& f : frames)
            for (int c : channels) f.ch[c] = value;
        ring_audio_write(frames.data(), count);
    }
    // Fade-out frame k (1..240) of a held value, in single precision as played.
    static int16_t fade_out_of(int16_t value, int k) {
        return int16_t(float(value) * (1.0f - float(k) / 240.0f));
    }
    static int16_t ring_left(uint32_t position) { return ring_audio_state.ring[position & (RING_AUDIO_FRAMES - 1)][0]; }
    static int16_t ring_right(uint32_t position) { return ring_audio_state.ring[position & (RING_AUDIO_FRAMES - 1)][1]; }
};

TEST_F(RingAudioTest, SoftKneeBendsTowardsFullScaleWithoutWrapping) {
    // The writer's output position runs one frame behind: ring frame 0 holds the zero
    // frame before the run, frames 1 and 2 the value.
    const struct {
        int16_t input;
        double gain;
        int16_t expected;
    } cases[] = {
        {16384, 1.0, 16384}, {20000, 1.0, 19346}, {32767, 1.0, 24576}, {16384, 4.0, 28671},
        {-32768, 1.0, -24576}, {-16384, 1.0, -16384}, {100, 1.0, 100},
    };
    for (const auto& c : cases) {
        load_state();
        ring_audio_state.device = fake_device;
        ring_audio_set_gain(c.gain);
        write_constant(5, c.input, {0});
        ASSERT_GE(queued(), 3u);
        EXPECT_EQ(ring_left(0), 0);
        EXPECT_EQ(ring_left(1), c.expected) << c.input << " x" << c.gain;
        EXPECT_EQ(ring_left(2), c.expected) << c.input << " x" << c.gain;
        EXPECT_EQ(ring_right(1), 0) << "channel 0 feeds the left output only";
    }
    // Defaults: gain 6, volume 1, the front pair on left and right; 196,602 before the knee.
    load_state();
    ring_audio_state.device = fake_device;
    write_constant(5, 32767, {0, 1});
    EXPECT_EQ(ring_left(1), 31402);
    EXPECT_EQ(ring_right(2), 31402);
}

TEST_F(RingAudioTest, MatrixVolumeAndGainSettings) {
    ring_audio_state.device = fake_device;
    // Rear pair swapped onto the outputs, half volume, gain 1.
    const float rear_swapped[8] = {0, 0, 0, 1, 0, 0, 1, 0};
    ring_audio_set_matrix(rear_swapped);
    ring_audio_set_gain(1.0);
    ring_audio_set_gain(0.0);
    ring_audio_set_gain(-3.0);
    EXPECT_EQ(ring_audio_state.gain, 1.0) << "0 and negative gains are ignored";
    const struct {
        int percent;
        float volume;
    } volumes[] = {{-5, 0.0f}, {150, 1.0f}, {50, 0.5f}, {0, 0.0f}, {100, 1.0f}};
    for (const auto& v : volumes) {
        ring_audio_set_volume(v.percent);
        EXPECT_EQ(ring_audio_state.volume, v.volume) << v.percent;
    }
    ring_audio_set_volume(50);
    std::vector<chip_frame> frames(4, chip_frame{{1000, 2000, 3000, 4000}});
    ring_audio_write(frames.data(), int(frames.size()));
    EXPECT_EQ(ring_left(1), 2000);
    EXPECT_EQ(ring_right(1), 1500);
}

TEST_F(RingAudioTest, AWriteAtTheCushionKeepsTheBaseStep) {
    ring_audio_state.device = fake_device;
    ring_audio_state.read_pos = 100;
    ring_audio_state.write_pos = 100 + RING_AUDIO_CUSHION;  // trim 1
    write_constant(512, 0, {});
    EXPECT_EQ(queued(), uint32_t(RING_AUDIO_CUSHION) + 289);
    EXPECT_NEAR(ring_audio_state.phase, 1.7777758, 1e-6);
    // A short queue trims the step down (more output), a long one up (less).
    const struct {
        uint32_t fill;
        uint32_t produced;
    } trims[] = {{0, 290}, {RING_AUDIO_CUSHION * 3, 283}};
    for (const auto& t : trims) {
        load_state();
        ring_audio_state.device = fake_device;
        ring_audio_state.write_pos = t.fill;
        write_constant(512, 0, {});
        EXPECT_EQ(queued() - t.fill, t.produced) << t.fill;
    }
}

TEST_F(RingAudioTest, WritesThatChangeNothing) {
    ring_audio_ticks = fake_ticks;
    fake_now = 50000;
    chip_frame frame{{100, 100, 0, 0}};
    ring_audio_write(&frame, 1);  // closed
    ring_audio_state.device = fake_device;
    ring_audio_write(&frame, 0);
    ring_audio_write(&frame, -4);
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(ring_audio_state.report_ticks, 0u) << "not even the dry-report anchors";
    EXPECT_EQ(ring_audio_state.phase, 0.0);
    // A full ring drops the newest frames.
    ring_audio_state.write_pos = RING_AUDIO_FRAMES - 4;
    write_constant(64, 100, {0});
    EXPECT_EQ(queued(), RING_AUDIO_FRAMES);
}

TEST_F(RingAudioTest, SilenceUntilTheCushionThenAFadeIn) {
    queue(RING_AUDIO_CUSHION - 1, 1000, -1000);
    callback(256);
    for (int k = 0; k < 256; k++) ASSERT_EQ(left(k), 0) << k;
    EXPECT_EQ(ring_audio_state.read_pos, 0u);
    EXPECT_EQ(ring_audio_state.underruns, 0u);
    EXPECT_EQ(ring_audio_state.second_frames, 0u) << "no statistics while priming";
    EXPECT_EQ(ring_audio_state.fade_state, 2);
    queue(1, 1000, -1000);
    callback(256);
    EXPECT_EQ(ring_audio_state.primed, 1);
    for (int k = 0; k < 240; k++) {
        ASSERT_EQ(left(k), int16_t(1000.0f * (float(k) / 240.0f))) << k;
        ASSERT_EQ(right(k), -left(k)) << k;
    }
    EXPECT_EQ(left(0), 0);
    EXPECT_EQ(left(1), 4);
    EXPECT_EQ(left(239), 995);
    EXPECT_EQ(left(240), 1000);
    EXPECT_EQ(ring_audio_state.fade_state, 0);
    EXPECT_EQ(ring_audio_state.read_pos, 256u);
}

TEST_F(RingAudioTest, AnUnderrunFadesOutGrowsTheCushionAndWaitsForIt) {
    ring_audio_state.primed = 1;
    queue(100, 2400, -2400);
    callback(512);
    for (int k = 0; k < 100; k++) ASSERT_EQ(left(k), 2400) << k;
    // 240 fade-out frames from 239/240 of the last frame down to 0, then silence.
    for (int k = 1; k <= 240; k++) {
        ASSERT_EQ(left(99 + k), fade_out_of(2400, k)) << k;
        ASSERT_EQ(right(99 + k), -fade_out_of(2400, k)) << k;
    }
    EXPECT_EQ(left(100), 2390);
    EXPECT_EQ(left(339), 0);
    for (int k = 340; k < 512; k++) ASSERT_EQ(left(k), 0) << k;
    EXPECT_EQ(ring_audio_state.underruns, 412u) << "every frame played from an empty ring";
    EXPECT_EQ(ring_audio_state.underruns_shared.load(), 412u);
    EXPECT_EQ(ring_audio_state.cushion.load(), 3840);
    EXPECT_EQ(ring_audio_state.primed, 0);
    EXPECT_EQ(ring_audio_state.fade_state, 2);
    // Waiting for 3,840 frames is silence, not counted; then the ring fades in.
    queue(3839, 3000, 3000);
    callback(512);
    EXPECT_EQ(ring_audio_state.underruns, 412u);
    EXPECT_EQ(left(511), 0);
    queue(1, 3000, 3000);
    callback(512);
    EXPECT_EQ(left(0), 0);
    EXPECT_EQ(left(120), 1500);
    EXPECT_EQ(left(300), 3000);
}

TEST_F(RingAudioTest, AFadeOutRunsToItsEndAcrossCallbacks) {
    ring_audio_state.primed = 1;
    queue(10, 2400, 2400);
    callback(110);  // 100 frames into the fade-out
    queue(1000, 500, 500);
    callback(200);  // the fade-out goes on though frames arrived and primed is 0
    for (int k = 0; k < 140; k++) ASSERT_EQ(left(k), fade_out_of(2400, 101 + k)) << k;
    EXPECT_EQ(ring_audio_state.underruns, 100u) << "only frames played from an empty ring count";
    EXPECT_EQ(left(140), 0) << "then at once the fade-in, from what was queued";
    EXPECT_EQ(left(141), 2);
}

TEST_F(RingAudioTest, AtTheCushionCeilingAnUnderrunKeepsPlaying) {
    ring_audio_state.cushion = RING_AUDIO_CUSHION_MAX;
    ring_audio_state.primed = 1;
    queue(10, 2400, 2400);
    callback(300);  // fade-out done, fading in over an empty ring
    EXPECT_EQ(ring_audio_state.cushion.load(), RING_AUDIO_CUSHION_MAX);
    EXPECT_EQ(ring_audio_state.primed, 1);
    queue(20, 4800, 4800);
    callback(20);
    EXPECT_EQ(left(0), 0);
    EXPECT_EQ(left(1), 20) << "fades in at once, without waiting for a cushion";
}

TEST_F(RingAudioTest, LatencyBoundSkipsTheOldestFrames) {
    const struct {
        uint32_t queued;
        uint32_t resets;
        uint32_t left_queued;
    } cases[] = {{11521, 1, RING_AUDIO_CUSHION}, {11520, 0, 11520}};
    for (const auto& c : cases) {
        load_state();
        ring_audio_state.primed = 1;
        ring_audio_state.read_pos = 0xFFFFF000u;  // across the counters' wrap
        ring_audio_state.write_pos = 0xFFFFF000u + c.queued;
        callback(0);
        EXPECT_EQ(queued(), c.left_queued) << c.queued;
        EXPECT_EQ(ring_audio_state.resets, c.resets) << c.queued;
        EXPECT_EQ(ring_audio_state.resets_shared.load(), c.resets) << c.queued;
    }
}

TEST_F(RingAudioTest, DryReportEveryThreeSecondsWhenCountsMoved) {
    ring_audio_ticks = fake_ticks;
    ring_audio_state.device = fake_device;
    chip_frame frame{};
    const struct {
        uint32_t now;
        uint32_t add_underruns, add_resets;
        const char* expected;
    } steps[] = {
        {2000, 0, 0, ""},  // before 3 s: no check at all
        {5000, 96, 0, ""},  // the first check only sets the anchors
        {6000, 480, 1, ""},
        {8000, 0, 0,
         "[AUDIO] the sound card ran dry: 480 samples of silence (10 ms) and 1 latency resets in the last 3.0 s -- "
         "the game did not deliver sound fast enough (heard as pops); a slow frame, or the window busy\n"},
        {12000, 0, 0, ""},  // nothing moved
    };
    for (const auto& s : steps) {
        fake_now = s.now;
        ring_audio_state.underruns_shared += s.add_underruns;
        ring_audio_state.resets_shared += s.add_resets;
        testing::internal::CaptureStderr();
        ring_audio_write(&frame, 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), s.expected) << s.now;
    }
    EXPECT_EQ(ring_audio_state.report_ticks, 12000u);
}

TEST_F(RingAudioTest, PerSecondLineWithEngAudioLog) {
    setenv("ENG_AUDIOLOG", "1", 1);
    ring_audio_state.primed = 1;
    testing::internal::CaptureStderr();
    for (int k = 0; k < 12; k++) {
        queue(4096 + (k == 11 ? 7 : 0), 1, 1);
        callback(4096);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[AUDIO] second: 0 underrun samples, ring 7, cushion 60 ms, latency resets 0\n");
    EXPECT_EQ(ring_audio_state.second_frames, 12u * 4096 - 48000);
}

TEST_F(RingAudioTest, OpenReadsItsSettingsOnSdlsDummyDriver) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    const struct {
        const char* maxms;
        const char* gain;
        int32_t cushion_max;
        double expected_gain;
        const char* gain_text;
    } cases[] = {
        {nullptr, nullptr, 6720, 6.0, "6.00"}, {"60", "2.5", 2880, 2.5, "2.50"},  {"20", "-1", 2880, 0.0, "0.00"},
        {"text", nullptr, 2880, 6.0, "6.00"},  {"1000", nullptr, 14400, 6.0, "6.00"},
    };
    for (const auto& c : cases) {
        load_state();
        if (c.maxms) setenv("ENG_AUDIO_MAXMS", c.maxms, 1);
        else unsetenv("ENG_AUDIO_MAXMS");
        if (c.gain) setenv("ENG_OUTPUT_GAIN", c.gain, 1);
        else unsetenv("ENG_OUTPUT_GAIN");
        testing::internal::CaptureStderr();
        int opened = ring_audio_open();
        ring_audio_close();
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(opened, 1) << err;
        EXPECT_EQ(ring_audio_state.device, 0u);
        EXPECT_EQ(ring_audio_state.cushion_max, c.cushion_max) << (c.maxms ? c.maxms : "unset");
        EXPECT_EQ(ring_audio_state.gain, c.expected_gain);
        EXPECT_EQ(err.rfind("[AUDIO] output 48000 Hz stereo, ", 0), 0u) << err;
        EXPECT_NE(err.find("-sample buffer, gain x" + std::string(c.gain_text) + "\n"), std::string::npos) << err;
    }
}

// The writer on this thread, SDL's dummy driver pulling on its own: the queue stays
// bounded and the callback plays what was written.
TEST(RingAudioThreads, WriterAndCallbackShareTheRingWithoutALock) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStderr();
    int opened = ring_audio_open();
    std::string open_line = testing::internal::GetCapturedStderr();  // only here: a race report must show
    ASSERT_EQ(opened, 1) << open_line;
    uint32_t start_read = ring_audio_state.read_pos.load();
    // One video frame of chip output (1,424 frames) per 16 ms, for about 1.5 s.
    std::vector<chip_frame> frames(1424);
    uint32_t begin = SDL_GetTicks();
    for (int frame = 0; SDL_GetTicks() - begin < 1500; frame++) {
        for (size_t k = 0; k < frames.size(); k++) {
            int16_t v = int16_t(std::lround(3000 * std::sin(double(frame * 1424 + int(k)) * 0.01)));
            frames[k] = chip_frame{{v, int16_t(-v), 0, 0}};
        }
        ring_audio_write(frames.data(), int(frames.size()));
        ring_audio_set_volume(frame % 2 ? 80 : 100);
        ring_audio_set_gain(frame % 3 ? 6.0 : 5.0);
        SDL_Delay(16);
    }
    ring_audio_close();
    EXPECT_EQ(ring_audio_state.device, 0u);
    uint32_t played = ring_audio_state.read_pos.load() - start_read;
    EXPECT_GT(played, uint32_t(RING_AUDIO_RATE) / 2) << "the callback took the written frames";
    EXPECT_LE(ring_audio_state.write_pos.load() - ring_audio_state.read_pos.load(), RING_AUDIO_FRAMES);
}

}  // namespace
