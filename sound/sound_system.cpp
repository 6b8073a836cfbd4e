#include "sound/sound_system.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "base/rom_files.h"
#include "sound/audio_output.h"
#include "sound/chip_ring.h"
#include "sound/coin_wav.h"
#include "sound/mixer.h"
#include "sound/sound_board.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

uint8_t sound_driver_rom[SOUND_DRIVER_ROM_SIZE];

namespace {

constexpr double VIDEO_FRAME_RATE = 59.904059904059906;
constexpr int WAV_HEADER_SIZE = 44;

sample_record coin_sample;
bool coin_loaded = false;
bool no_music = false;
uint8_t* wave_image = nullptr;  // handed to the chip, kept for the run

struct wav_dump_state {
    FILE* file;
    int rate;
    uint64_t data_bytes;
    double carry;  // fraction of a frame carried between video frames
};
wav_dump_state dump;

void coin_sample_release() {
    if (!coin_loaded) return;
    // Stop any voice still reading the old samples before they go.
    audio_lock(&sfx_voices.lock);
    for (sfx_voice& v : sfx_voices.voices) v.active = false;
    audio_unlock(&sfx_voices.lock);
    coin_wav_free(&coin_sample);
    coin_loaded = false;
}

void chip_release() {
    chip_present.store(false);
    chip_live.store(false);
    chip_clock = {};
    free(wave_image);
    wave_image = nullptr;
}

// Both wave ROMs into a zero-filled 16 MB image; false (the image freed) when one is
// missing or empty.
bool wave_roms_load(const char* rom_dir) {
    static const struct { const char* name; uint32_t offset; } files[] = {
        {"kv1wavea.2l", 0}, {"kv1waveb.1l", 0x800000}};
    wave_image = static_cast<uint8_t*>(calloc(WAVE_ROM_IMAGE_SIZE, 1));
    if (!wave_image) return false;
    for (const auto& f : files) {
        long got = rom_read_upto(rom_dir, f.name, wave_image + f.offset, WAVE_ROM_FILE_MAX);
        if (got < 0) fprintf(stderr, "[AUDIO_HLE] no %s/%s -- the chip path stays off, gameplay will be silent\n",
                             rom_dir, f.name);
        if (got <= 0) {
            free(wave_image);
            wave_image = nullptr;
            return false;
        }
    }
    return true;
}

void dump_open(const char* path) {
    dump.file = fopen(path, "wb");
    if (!dump.file) {
        fprintf(stderr, "[AUDIO_HLE] cannot open %s for SKYVOLTA_AUDIODUMP\n", path);
        return;
    }
    dump.rate = audio_sample_rate() > 0 ? audio_sample_rate() : 44100;
    dump.data_bytes = 0;
    dump.carry = 0.0;
    uint8_t h[WAV_HEADER_SIZE] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    store_le32(h + 16, 16);
    store_le16(h + 20, 1);  // PCM
    store_le16(h + 22, 2);  // channels
    store_le32(h + 24, uint32_t(dump.rate));
    store_le32(h + 28, uint32_t(dump.rate) * 4);
    store_le16(h + 32, 4);
    store_le16(h + 34, 16);
    h[36] = 'd', h[37] = 'a', h[38] = 't', h[39] = 'a';  // data size at 40 stays 0 until the end
    fwrite(h, 1, sizeof h, dump.file);
    static bool registered = false;
    if (!registered) registered = atexit(audio_dump_finish) == 0;
}

// How many frames this video frame adds to the dump: what the live ring can give, else
// the video frame's share of the rate.
int dump_frames_due(int rate) {
    if (chip_present.load() && chip_live.load()) {
        if (rate <= 0) return 0;
        audio_lock(&chip_ring.lock);
        double available = chip_ring.fill - 1 - chip_ring.read_pos;
        audio_unlock(&chip_ring.lock);
        return available > 0 ? int(std::floor(available / (CHIP_FRAME_RATE / rate))) + 1 : 0;
    }
    double due = rate / VIDEO_FRAME_RATE + dump.carry;
    double whole = std::floor(due);
    dump.carry = due - whole;
    return int(whole);
}

void dump_feed() {
    static int16_t mixed[MIX_MAX_FRAMES * 2];
    static uint8_t bytes[MIX_MAX_FRAMES * 4];
    int rate = dump.rate;
    for (int n = dump_frames_due(rate); n > 0;) {
        int c = n < MIX_MAX_FRAMES ? n : MIX_MAX_FRAMES;
        for (int i = 0; i < c * 2; i++) mixed[i] = 0;
        if (rate > 0) mix_frames(mixed, c, rate, false);
        for (int i = 0; i < c * 2; i++) store_le16(bytes + 2 * i, uint16_t(mixed[i]));
        fwrite(bytes, 4, size_t(c), dump.file);
        dump.data_bytes += uint64_t(c) * 4;
        n -= c;
    }
}

// Keys every voice off once, when the chip stops being heard.
void chip_silence() {
    for (uint32_t v = 0; v < Q904_VOICES; v++) chip_write(8 * v + Q904_REG_FLAGS, VF_KEY_OFF);
    chip_write(Q904_REG_KEY_SWEEP, 0);
    chip_live.store(false);
}

}  // namespace

bool sound_driver_loaded() {
    return mcu_driver_loaded();
}

void audio_init(const char* sfx_dir, const char* rom_dir) {
    char path[512];
    snprintf(path, sizeof path, "%s/%s", sfx_dir ? sfx_dir : "sounds", "sfx_coin.wav");
    coin_sample_release();
    coin_loaded = coin_wav_load(path, &coin_sample);

    no_music = env_on("SKYVOLTA_NO_MUSIC", true);

    chip_release();
    bool chip = !env_on("SKYVOLTA_NO_CHIP", true) && rom_dir && wave_roms_load(rom_dir);
    if (chip) {
        q904_init(&q904, wave_image, int32_t(WAVE_ROM_IMAGE_SIZE));
        chip_present.store(true);
    }
    // Without a chip there is no driver either: no directory leaves it unloaded.
    mcu_load_driver(chip ? rom_dir : nullptr);
    if (chip) printf("[AUDIO_HLE] Q904 running the wave ROM (%s)\n", rom_dir);

    const char* dump_path = env_text("SKYVOLTA_AUDIODUMP");
    if (dump_path && dump_path[0]) {
        audio_dump_finish();
        dump_open(dump_path);
    }

    audio_set_generator(audio_generate, nullptr);
}

void audio_frame() {
    if (chip_present.load()) {
        if (mcu_driver_loaded() && !no_music) {
            if (!chip_live.load()) {
                // Sound starts from an empty ring; the mixer's fill control builds it up.
                chip_ring_empty();
                chip_live.store(true);
            }
        } else if (chip_live.load()) {
            chip_silence();
        }
    }
    mcu_run_frame();
    if (dump.file && audio_sample_rate() < 1) dump_feed();
}

void sfx_coin_play(int id) {
    if (id == 0 && coin_loaded) sfx_voice_start(&coin_sample);
}

void audio_dump_finish() {
    if (!dump.file) return;
    uint8_t size[4];
    store_le32(size, uint32_t(dump.data_bytes + 36));
    fseek(dump.file, 4, SEEK_SET);
    fwrite(size, 1, 4, dump.file);
    store_le32(size, uint32_t(dump.data_bytes));
    fseek(dump.file, 40, SEEK_SET);
    fwrite(size, 1, 4, dump.file);
    fclose(dump.file);
    dump.file = nullptr;
}
