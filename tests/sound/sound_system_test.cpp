// Sound start-up, the per-frame run, the coin WAV loader and the WAV dump.
#include "sound/sound_system.h"

#include "base/byte_order.h"
#include "sound/audio_output.h"
#include "sound/chip_ring.h"
#include "sound/coin_wav.h"
#include "sound/mixer.h"
#include "tests/support/synth_rom.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    put16(v, at, x);
    put16(v, at + 2, x >> 16);
}

// A plain 44-byte-header WAV holding `samples` 16-bit values.
std::vector<uint8_t> wav_bytes(const std::vector<int16_t>& samples, uint16_t channels = 1, uint16_t bits = 16,
                               uint32_t rate = 22050) {
    std::vector<uint8_t> w(44 + 2 * samples.size());
    memcpy(w.data(), "RIFF", 4);
    put32(w, 4, uint32_t(w.size() - 8));
    memcpy(w.data() + 8, "WAVEfmt ", 8);
    put32(w, 16, 16);
    put16(w, 20, 1);
    put16(w, 22, channels);
    put32(w, 24, rate);
    put32(w, 28, rate * channels * bits / 8);
    put16(w, 32, channels * bits / 8);
    put16(w, 34, bits);
    memcpy(w.data() + 36, "data", 4);
    put32(w, 40, uint32_t(2 * samples.size()));
    for (size_t i = 0; i < samples.size(); i++) put16(w, 44 + 2 * i, uint16_t(samples[i]));
    return w;
}

// The three sound ROM files of the synthetic set (the tone in the first wave ROM).
void write_sound_roms(const std::string& dir, size_t driver_size = SOUND_DRIVER_ROM_SIZE, bool wave_b = true) {
    synth_rom_set* set = synth_rom_new_blank();
    ASSERT_NE(set, nullptr);
    synth_wave_tone(set);
    synth_sound_driver(set);
    std::vector<uint8_t> driver = synth_rom_file(set, 25);
    driver.resize(driver_size);
    if (driver_size) { ASSERT_TRUE(file_write(dir + "/kv1data.8k", driver)); }
    ASSERT_TRUE(file_write(dir + "/kv1wavea.2l", synth_rom_file(set, 26)));
    if (wave_b) { ASSERT_TRUE(file_write(dir + "/kv1waveb.1l", synth_rom_file(set, 27))); }
    synth_rom_free(set);
}

struct SoundSystemTest : testing::Test {
    std::string dir;
    void SetUp() override {
        dir = temp_dir_make("sound");
        if (audio_device_open()) audio_close();
        for (sfx_voice& v : sfx_voices.voices) v = {};
        for (const char* v : {"SKYVOLTA_NO_MUSIC", "SKYVOLTA_NO_CHIP", "SKYVOLTA_AUDIODUMP"}) unsetenv(v);
    }
    void TearDown() override {
        audio_dump_finish();
        for (const char* v : {"SKYVOLTA_NO_MUSIC", "SKYVOLTA_NO_CHIP", "SKYVOLTA_AUDIODUMP"}) unsetenv(v);
        init_capture(nullptr, nullptr);  // back to no chip, no sample
        temp_dir_remove(dir);
    }
    std::string init_capture(const char* sfx_dir, const char* rom_dir) {
        testing::internal::CaptureStderr();
        audio_init(sfx_dir, rom_dir);
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(SoundSystemTest, CoinWavAcceptsOnlyPlainMono16) {
    std::vector<int16_t> samples = {100, -200, 300, 32767, -32768};
    auto truncated = wav_bytes(samples);
    truncated.resize(truncated.size() - 2);  // header says more data than the file holds
    auto odd = wav_bytes(samples);
    put32(odd, 40, 9);  // an odd size: four whole samples
    odd.push_back(0);
    auto tiny = wav_bytes({});
    put32(tiny, 40, 1);
    tiny.push_back(0);
    auto not_riff = wav_bytes(samples);
    not_riff[0] = 'X';
    auto not_wave = wav_bytes(samples);
    not_wave[8] = 'X';
    auto short_header = wav_bytes(samples);
    short_header.resize(40);
    auto huge = wav_bytes(samples);
    put32(huge, 40, 0xFFFFFFF0u);
    const struct { const char* name; std::vector<uint8_t> bytes; uint32_t length; } cases[] = {
        {"good", wav_bytes(samples), 5},
        {"odd size", odd, 4},
        {"8-bit", wav_bytes(samples, 1, 8), 0},
        {"stereo", wav_bytes(samples, 2), 0},
        {"rate 0", wav_bytes(samples, 1, 16, 0), 0},
        {"data past the end", truncated, 0},
        {"data size far past the end", huge, 0},
        {"data size 1", tiny, 0},
        {"not RIFF", not_riff, 0},
        {"not WAVE", not_wave, 0},
        {"short header", short_header, 0},
    };
    for (const auto& c : cases) {
        std::string path = dir + "/c.wav";
        ASSERT_TRUE(file_write(path, c.bytes));
        sample_record rec{};
        testing::internal::CaptureStderr();
        bool ok = coin_wav_load(path.c_str(), &rec);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ok, c.length > 0) << c.name;
        EXPECT_EQ(rec.length, c.length) << c.name;
        if (ok) {
            EXPECT_EQ(rec.rate, 22050);
            EXPECT_EQ(rec.data[1], -200);
            EXPECT_EQ(rec.data[3], 32767);
            EXPECT_EQ(err, "");
            coin_wav_free(&rec);
        } else {
            EXPECT_EQ(rec.data, nullptr);
            EXPECT_EQ(err, "[AUDIO_HLE] cannot load " + path +
                               " (a 16-bit mono WAV file there plays on every coin) -- that SFX will be silent\n")
                << c.name;
        }
    }
}

TEST_F(SoundSystemTest, CoinEffectPlaysOnlyForIdZero) {
    ASSERT_TRUE(file_write(dir + "/sfx_coin.wav", wav_bytes(std::vector<int16_t>(100, 5))));
    EXPECT_EQ(init_capture(dir.c_str(), nullptr), "");
    EXPECT_FALSE(chip_present.load());
    sfx_coin_play(1);
    EXPECT_FALSE(sfx_voices.voices[0].active);
    sfx_coin_play(0);
    EXPECT_TRUE(sfx_voices.voices[0].active);
    // Without the file: the message and a silent effect.
    std::string err = init_capture((dir + "/none").c_str(), nullptr);
    EXPECT_NE(err.find("cannot load " + dir + "/none/sfx_coin.wav"), std::string::npos) << err;
    EXPECT_FALSE(sfx_voices.voices[0].active);
    sfx_coin_play(0);
    EXPECT_FALSE(sfx_voices.voices[0].active);
}

TEST_F(SoundSystemTest, MissingOrShortRoms) {
    // kv1waveb.1l missing: no chip, no driver.
    write_sound_roms(dir, SOUND_DRIVER_ROM_SIZE, false);
    std::string err = init_capture(dir.c_str(), dir.c_str());
    EXPECT_NE(err.find("[AUDIO_HLE] no " + dir + "/kv1waveb.1l -- the chip path stays off, gameplay will be silent\n"),
              std::string::npos)
        << err;
    EXPECT_FALSE(chip_present.load());
    EXPECT_FALSE(sound_driver_loaded());
    // A driver one byte short: the chip is there but never goes live.
    write_sound_roms(dir, SOUND_DRIVER_ROM_SIZE - 1);
    err = init_capture(dir.c_str(), dir.c_str());
    EXPECT_NE(err.find("[MCU] " + dir + "/kv1data.8k is 524287 bytes, expected 524288\n"), std::string::npos) << err;
    EXPECT_TRUE(chip_present.load());
    EXPECT_FALSE(sound_driver_loaded());
    audio_frame();
    EXPECT_FALSE(chip_live.load());
    // No driver at all.
    ASSERT_EQ(remove((dir + "/kv1data.8k").c_str()), 0);
    err = init_capture(dir.c_str(), dir.c_str());
    EXPECT_NE(err.find("[MCU] no " + dir + "/kv1data.8k -- the sound driver cannot run, the game will be silent\n"),
              std::string::npos)
        << err;
    // A longer driver file is accepted.
    write_sound_roms(dir, SOUND_DRIVER_ROM_SIZE + 100);
    init_capture(dir.c_str(), dir.c_str());
    EXPECT_TRUE(sound_driver_loaded());
    // No ROM directory, or SKYVOLTA_NO_CHIP: no chip.
    init_capture(dir.c_str(), nullptr);
    EXPECT_FALSE(chip_present.load());
    setenv("SKYVOLTA_NO_CHIP", "1", 1);
    init_capture(dir.c_str(), dir.c_str());
    EXPECT_FALSE(chip_present.load());
    EXPECT_FALSE(sound_driver_loaded());
}

TEST_F(SoundSystemTest, NoMusicKeepsTheChipSilent) {
    write_sound_roms(dir);
    const struct { const char* value; bool live; } cases[] = {
        {nullptr, true}, {"0", true}, {"", true}, {"1", false}, {"yes", false}};
    for (const auto& c : cases) {
        if (c.value) setenv("SKYVOLTA_NO_MUSIC", c.value, 1);
        else unsetenv("SKYVOLTA_NO_MUSIC");
        testing::internal::CaptureStdout();
        init_capture(dir.c_str(), dir.c_str());
        std::string out = testing::internal::GetCapturedStdout();
        std::string last = "[AUDIO_HLE] Q904 running the wave ROM (" + dir + ")\n";
        ASSERT_GE(out.size(), last.size());
        EXPECT_EQ(out.substr(out.size() - last.size()), last) << "the chip line comes after the driver's";
        chip_ring.fill = 100;  // left over from before: emptied when the chip goes live
        audio_frame();
        EXPECT_EQ(chip_live.load(), c.live) << (c.value ? c.value : "unset");
        if (c.live) { EXPECT_EQ(chip_ring.fill, 0); }
        audio_frame();
        if (c.live) { EXPECT_NEAR(chip_ring.fill, 1422.2, 1.0) << "one video frame of chip output"; }
        else EXPECT_EQ(chip_ring.fill, 100);
    }
}

TEST_F(SoundSystemTest, LosingTheDriverKeysEveryVoiceOffOnce) {
    write_sound_roms(dir, 0);  // chip without driver
    init_capture(dir.c_str(), dir.c_str());
    ASSERT_TRUE(chip_present.load());
    chip_live.store(true);  // as if a driver had been running
    for (uint32_t v = 0; v < Q904_VOICES; v += 5) {
        chip_write(8 * v + Q904_REG_FLAGS, VF_LOOP | VF_KEY_ON);
        chip_write(8 * v + Q904_REG_FREQ, 0x1000);
    }
    chip_write(Q904_REG_KEY_SWEEP, 0);
    ASSERT_TRUE(chip_read(8 * 5 + Q904_REG_FLAGS) & VF_BUSY);
    audio_frame();
    EXPECT_FALSE(chip_live.load());
    for (uint32_t v = 0; v < Q904_VOICES; v++) EXPECT_EQ(chip_read(8 * v + Q904_REG_FLAGS), 0) << v;
    EXPECT_EQ(chip_read(8 * 5 + Q904_REG_FREQ), 0x1000);  // only the flags were written
}

// Frames of the finished dump, after checking its header.
std::vector<int16_t> read_dump(const std::string& path) {
    std::vector<uint8_t> f = file_read(path);
    EXPECT_GE(f.size(), 44u);
    if (f.size() < 44) return {};
    EXPECT_EQ(memcmp(f.data(), "RIFF", 4), 0);
    EXPECT_EQ(memcmp(f.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(load_le32(&f[24]), 44100u);
    EXPECT_EQ(load_le32(&f[28]), 44100u * 4);
    EXPECT_EQ(load_le32(&f[4]), f.size() - 8);
    EXPECT_EQ(load_le32(&f[40]), f.size() - 44);
    std::vector<int16_t> s((f.size() - 44) / 2);
    for (size_t i = 0; i < s.size(); i++) s[i] = int16_t(f[44 + 2 * i] | f[45 + 2 * i] << 8);
    return s;
}

TEST_F(SoundSystemTest, DumpRunsAtTheVideoRateWithoutAChip) {
    std::string path = dir + "/out.wav";
    setenv("SKYVOLTA_AUDIODUMP", path.c_str(), 1);
    const struct { int frames; size_t dumped; } cases[] = {{1, 736}, {5, 3680}, {6, 4417}, {60, 44170}};
    for (const auto& c : cases) {
        init_capture(dir.c_str(), nullptr);
        for (int i = 0; i < c.frames; i++) audio_frame();
        audio_dump_finish();
        EXPECT_EQ(read_dump(path).size(), 2 * c.dumped) << c.frames;
    }
    // An unwritable path: the message, no dump.
    setenv("SKYVOLTA_AUDIODUMP", (dir + "/no/such/dir.wav").c_str(), 1);
    EXPECT_NE(init_capture(dir.c_str(), nullptr).find("[AUDIO_HLE] cannot open " + dir + "/no/such/dir.wav for SKYVOLTA_AUDIODUMP\n"),
              std::string::npos);
}

// Upward zero crossings of the left channel, interpolated, over the settled part.
double measured_pitch(const std::vector<int16_t>& s, int rate) {
    std::vector<double> crossings;
    for (size_t i = 2 * size_t(rate / 10); i + 2 < s.size(); i += 2)
        if (s[i] < 0 && s[i + 2] >= 0) crossings.push_back(i / 2 + double(-s[i]) / (s[i + 2] - s[i]));
    if (crossings.size() < 2) return 0;
    return (crossings.size() - 1) * rate / (crossings.back() - crossings.front());
}

TEST_F(SoundSystemTest, DumpOfAKeyedToneHasItsPitch) {
    write_sound_roms(dir);
    std::string path = dir + "/tone.wav";
    setenv("SKYVOLTA_AUDIODUMP", path.c_str(), 1);
    testing::internal::CaptureStdout();
    init_capture(dir.c_str(), dir.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(sound_driver_loaded());
    audio_frame();  // goes live, anchors the chip clock
    // Voice 7 loops the one-period tone: freq 0x3000 plays 16,000 samples/s, 250 Hz.
    const uint32_t v = 7;
    chip_write(8 * v + Q904_REG_BANK, SYNTH_WAVE_TONE_ADDR >> 16);
    chip_write(8 * v + Q904_REG_START, SYNTH_WAVE_TONE_ADDR & 0xFFFF);
    chip_write(8 * v + Q904_REG_END, (SYNTH_WAVE_TONE_ADDR & 0xFFFF) + SYNTH_WAVE_TONE_LEN - 1);
    chip_write(8 * v + Q904_REG_LOOP, SYNTH_WAVE_TONE_ADDR & 0xFFFF);
    chip_write(8 * v + Q904_REG_FREQ, 0x3000);
    chip_write(8 * v + Q904_REG_VOL_F, 0xFFFF);
    chip_write(8 * v + Q904_REG_FLAGS, VF_LOOP | VF_KEY_ON);
    chip_write(Q904_REG_KEY_SWEEP, 0);
    for (int i = 0; i < 90; i++) audio_frame();
    audio_dump_finish();
    std::vector<int16_t> s = read_dump(path);
    ASSERT_GT(s.size(), 2u * 44100);
    double expected = 0x3000 * (85333.33333333333 / 65536) / SYNTH_WAVE_TONE_LEN;
    EXPECT_NEAR(expected, 250.0, 1e-9);
    EXPECT_NEAR(measured_pitch(s, 44100), expected, expected * 0.005);
    int peak = 0;
    for (size_t i = 0; i < s.size(); i += 2) peak = std::max(peak, std::abs(int(s[i])));
    EXPECT_GT(peak, 2500);  // 0x6000 at full level, over eight
}

}  // namespace
