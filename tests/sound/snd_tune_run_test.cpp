// The structured driver playing its tune end to end: a command word with bit 14 in slot
// 0, the sequence through notes, voices, key-ons, envelopes and pans to the chip, heard
// in the WAV dump; every readable routine on against every one off, and the timed ones
// against SKYVOLTA_SNDNOTIMED.
#include "base/byte_order.h"
#include "sound/snd_native.h"
#include "tests/sound/snd_native_diff.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// The tune with four channels (command number AND 3 = 3): voices 3, 12, 21 and 30.
constexpr uint32_t TUNE = SYNTH_TUNE_COMMAND | 3;
constexpr int RUN_FRAMES = 300;
constexpr int REPLAY_FRAME = 100;  // the game plays the tune again while it runs

void all_hooks(bool on) {
    for (int i = 0; i < SND_HOOK_SITE_COUNT; i++)
        snd_hook_sites[i].routine = on ? SoundBoardTest::built_routines()[i] : nullptr;
}

// The game's side of a frame: the tune in slot 0, and again at REPLAY_FRAME.
void play_tune(int frame) {
    if (frame == 1 || frame == REPLAY_FRAME) synth_driver_comms_word(commsram, DRV_SLOT_WORDS, DRV_CMD_NEW | TUNE);
}

struct TuneRunTest : NativeDiffTest {
    std::string dir;
    void SetUp() override {
        NativeDiffTest::SetUp();
        dir = temp_dir_make("tune");
        write_roms();
    }
    void TearDown() override {
        audio_dump_finish();
        unsetenv("SKYVOLTA_AUDIODUMP");
        silent([] { audio_init(nullptr, nullptr); });
        temp_dir_remove(dir);
        NativeDiffTest::TearDown();
    }
    template <typename F>
    static void silent(F f) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        f();
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    // The structured driver and the synthetic set's wave ROMs (the tone) as ROM files.
    void write_roms() {
        synth_rom_set* set = synth_rom_new_blank();
        ASSERT_NE(set, nullptr);
        synth_wave_tone(set);
        std::vector<uint8_t> driver(SOUND_DRIVER_ROM_SIZE);
        synth_structured_driver_image(driver.data());
        ASSERT_TRUE(file_write(dir + "/kv1data.8k", driver));
        ASSERT_TRUE(file_write(dir + "/kv1wavea.2l", synth_rom_file(set, 26)));
        ASSERT_TRUE(file_write(dir + "/kv1waveb.1l", synth_rom_file(set, 27)));
        synth_rom_free(set);
    }
    // RUN_FRAMES sound frames as the game runs them, every hook on or off, the WAV dump
    // at `dump`; the chip writes.
    std::vector<chip_bus_write> run(bool hooks_on, const std::string& dump) {
        all_hooks(hooks_on);
        setenv("SKYVOLTA_AUDIODUMP", dump.c_str(), 1);
        memset(commsram, 0, sizeof commsram);
        silent([this] { audio_init(dir.c_str(), dir.c_str()); });
        EXPECT_TRUE(mcu_driver_loaded());
        mcu_timing.int0_phase = 2000;  // the tick early in each frame, the game's commands before it
        cpu.bus_write = recording_bus_write;
        recorded_chip_writes.clear();
        synth_driver_shared_bytes(commsram, 32, 32);
        for (int frame = 0; frame < RUN_FRAMES; frame++) {
            play_tune(frame);
            audio_frame();
        }
        audio_dump_finish();
        EXPECT_FALSE(cpu.halted);
        return recorded_chip_writes;
    }
};

// The loudest left or right sample of each video frame's share of the dump.
std::vector<int> frame_peaks(const std::string& path) {
    std::vector<uint8_t> f = file_read(path);
    std::vector<int> peaks;
    if (f.size() < 44) return peaks;
    uint32_t rate = load_le32(&f[24]);
    size_t per_frame = size_t(rate / 59.904059904059906);
    for (size_t at = 44; at + 4 * per_frame <= f.size(); at += 4 * per_frame) {
        int peak = 0;
        for (size_t i = 0; i < 2 * per_frame; i++)
            peak = std::max(peak, std::abs(int(int16_t(load_le16(&f[at + 2 * i])))));
        peaks.push_back(peak);
    }
    return peaks;
}

TEST_F(TuneRunTest, BitFourteenPlaysTheTuneShapedByItsEnvelopeWithHooksOnOrOff) {
    std::vector<chip_bus_write> emulated = run(false, dir + "/off.wav");
    uint64_t ran[SND_COUNTER_COUNT];
    memcpy(ran, snd_ran, sizeof ran);
    std::vector<chip_bus_write> readable = run(true, dir + "/on.wav");
    for (int i = 0; i < SND_COUNTER_COUNT; i++) EXPECT_GT(snd_ran[i], ran[i]) << snd_counter_names[i];
    // What SKYVOLTA_SNDSTATS prints at exit: every counter's line shows runs.
    testing::internal::CaptureStderr();
    snd_stats_print();
    std::string stats = testing::internal::GetCapturedStderr();
    for (int i = 0; i < SND_COUNTER_COUNT; i++) {
        size_t at = stats.find(snd_counter_names[i]);
        ASSERT_NE(at, std::string::npos) << snd_counter_names[i];
        EXPECT_GT(strtoull(stats.c_str() + at + strlen(snd_counter_names[i]), nullptr, 10), 0u) << stats.substr(at, 60);
    }
    EXPECT_GT(emulated.size(), 1000u);
    EXPECT_TRUE(readable == emulated) << readable.size() << " chip writes readable, " << emulated.size() << " emulated";

    std::vector<int> peaks = frame_peaks(dir + "/on.wav");
    ASSERT_GE(peaks.size(), size_t(RUN_FRAMES - 5));
    std::string profile;
    for (size_t f = 0; f < peaks.size(); f += 5) profile += std::to_string(f) + ":" + std::to_string(peaks[f]) + " ";
    SCOPED_TRACE(profile);
    // Envelope 1 from the key-on at frame 2: from silence the attenuation falls to 0x40
    // over some 64 ticks; the release 60 ticks on raises it to 0x80 and the voices stop.
    EXPECT_EQ(peaks[1], 0) << "silent before the first key-on";
    EXPECT_LT(peaks[10], peaks[30]);
    EXPECT_LT(peaks[30], peaks[55]);
    EXPECT_GT(peaks[61], 3000);
    EXPECT_LT(peaks[70], peaks[64]) << "the release";
    EXPECT_EQ(peaks[75], 0) << "stopped at the envelope's end";
    EXPECT_GT(peaks[95], 0) << "the second note";
    EXPECT_LT(peaks[101], peaks[99]) << "the replay stops the voices at once, the tune starts silent";
    EXPECT_GT(peaks[160], 3000);
    EXPECT_EQ(peaks[RUN_FRAMES - 10], 0) << "the track has stopped";
}

// The tune in slots 0-7 (voices 4s + 3 and on), slot s replayed at frame 100 + 10s.
struct EightTunesTest : NativeDiffTest {
    // The chip's registers answer the driver's reads (bit 15: playing).
    void SetUp() override {
        NativeDiffTest::SetUp();
        static uint8_t silent_wave[0x10000];
        q904_init(&q904, silent_wave, int32_t(sizeof silent_wave));
        chip_present.store(true);
    }
    void TearDown() override {
        chip_present.store(false);
        NativeDiffTest::TearDown();
    }
    // True: the runs start from the driver image the test wrote, not a fresh one.
    bool keep_image = false;
    board_state run_frames(bool notimed, int frames = RUN_FRAMES, bool hooks_on = true) {
        if (notimed) setenv("SKYVOLTA_SNDNOTIMED", "1", 1);
        else unsetenv("SKYVOLTA_SNDNOTIMED");
        snd_notimed_read = false;
        all_hooks(hooks_on);
        memset(commsram, 0, sizeof commsram);
        if (!keep_image) synth_structured_driver_image(sound_driver_rom);
        start();
        mcu_timing.int0_phase = 2000;
        cpu.bus_write = recording_bus_write;
        recorded_chip_writes.clear();
        synth_driver_shared_bytes(commsram, 32, 32);
        for (int frame = 0; frame < frames && !cpu.halted; frame++) {
            for (uint32_t slot = 0; slot < 8; slot++)
                if (frame == int(1 + slot) || frame == int(100 + 10 * slot))
                    synth_driver_comms_word(commsram, DRV_SLOT_WORDS + 2 * slot, DRV_CMD_NEW | TUNE | 4 * slot);
            mcu_run_frame();
        }
        EXPECT_FALSE(cpu.halted);
        unsetenv("SKYVOLTA_SNDNOTIMED");
        snd_notimed_read = false;
        return board_take();
    }
};

TEST_F(EightTunesTest, WithoutTheTimedRoutinesARunEndsTheSame) {
    constexpr int timed[] = {SND_COUNTER_VOLUME_FROM_CHANNEL, SND_COUNTER_VOLUME_FROM_SCRATCH, SND_COUNTER_PITCH_GLIDE,
                             SND_COUNTER_PITCH_ENVELOPE, SND_COUNTER_PAN_TO_SPEAKERS, SND_COUNTER_SLOT_LEVEL};
    uint64_t before[SND_COUNTER_COUNT + 1];
    memcpy(before, snd_ran, sizeof before);
    on = run_frames(false);
    for (int c : timed) EXPECT_GT(snd_ran[c], before[c]) << snd_counter_names[c];
    memcpy(before, snd_ran, sizeof before);
    off = run_frames(true);
    for (int c : timed) EXPECT_EQ(snd_ran[c], before[c]) << snd_counter_names[c];
    EXPECT_EQ(snd_ran[SND_WINDOW_DENIED], before[SND_WINDOW_DENIED]) << "no window asked for";
    EXPECT_GT(off.writes.size(), 5000u);
    // The timed routines charge the cycles of the emulated code they stand for, so not even
    // the timing moves. (The fetch counter may: the itemised program bytes are the board
    // driver's, this driver's code is its own.)
    EXPECT_EQ(on.cpu.cycles, off.cpu.cycles);
    expect_same_state();
}

// Random envelope and pan scripts and random instruments in the tune: whatever the
// driver's data, the voices' readable routines end where the emulated ones do, and
// nothing runs away (ASan/UBSan watch the images' bounds).
TEST_F(EightTunesTest, RandomScriptsAndInstrumentsPlayAsTheEmulatedDriverDoes) {
    std::mt19937 rng(77);
    const uint8_t pan_modes[] = {0x00, 0x3F, 0x40, 0x79, 0x7A, 0x7C, 0x7D, 0x7E, 0x7F, 0x80, 0xC5, 0x55};
    keep_image = true;
    uint64_t key_ons = snd_ran[SND_COUNTER_KEY_ON], envelopes = snd_ran[SND_COUNTER_VOLUME_ENVELOPE];
    for (int round = 0; round < 20; round++) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        synth_structured_driver_image(sound_driver_rom);
        for (uint32_t k = 0; k < 8; k++)
            for (uint32_t i = 0; i < 8; i++) sound_driver_rom[0x10000 + SYNTH_SD_ENVELOPES + 0x10 * k + i] = uint8_t(rng());
        for (uint32_t k = 0; k < 6; k++)
            for (uint32_t i = 0; i < 8; i++) sound_driver_rom[0x10000 + SYNTH_SD_PAN_SCRIPTS + 0x10 * k + i] = uint8_t(rng());
        for (uint32_t k = 0; k < 4; k++) {
            uint8_t* record = sound_driver_rom + 0x10000 + SYNTH_TUNE_ADDRESS + synth_sd_tune_instrument(k);
            record[0] = uint8_t(rng() % 17);
            for (uint32_t field : {2, 3, 4, 9, 11}) record[field] = uint8_t(rng());
            record[6] = uint8_t(rng() % 9);
            record[14] = pan_modes[rng() % sizeof pan_modes];
        }
        off = run_frames(false, 150, false);
        on = run_frames(false, 150, true);
        // Frames end wherever the idle loop is: the chip writes and the shared RAM compare.
        EXPECT_TRUE(on.writes == off.writes) << on.writes.size() << " chip writes on, " << off.writes.size() << " off";
        EXPECT_TRUE(on.comms == off.comms);
        if (HasFailure()) return;
    }
    EXPECT_GT(snd_ran[SND_COUNTER_KEY_ON], key_ons + 100);
    EXPECT_GT(snd_ran[SND_COUNTER_VOLUME_ENVELOPE], envelopes + 100);
}

}  // namespace
