#include "sound/coin_wav.h"

#include "base/byte_order.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr long WAV_HEADER_SIZE = 44;

// The header's data size is believed only as far as the file really reaches.
int16_t* read_samples(FILE* f, uint32_t* data_size, int* rate) {
    uint8_t h[WAV_HEADER_SIZE];
    if (fread(h, 1, sizeof h, f) != sizeof h) return nullptr;
    if (memcmp(h, "RIFF", 4) != 0 || memcmp(h + 8, "WAVE", 4) != 0) return nullptr;
    if (load_le16(h + 22) != 1 || load_le16(h + 34) != 16) return nullptr;
    uint32_t sample_rate = load_le32(h + 24), size = load_le32(h + 40);
    if (sample_rate == 0 || sample_rate > 0x7FFFFFFF || size <= 1) return nullptr;
    if (fseek(f, 0, SEEK_END) != 0) return nullptr;
    long file_size = ftell(f);
    if (file_size < WAV_HEADER_SIZE || uint64_t(size) > uint64_t(file_size - WAV_HEADER_SIZE)) return nullptr;
    if (fseek(f, WAV_HEADER_SIZE, SEEK_SET) != 0) return nullptr;
    auto* data = static_cast<int16_t*>(malloc(size));
    if (!data) return nullptr;
    if (fread(data, 1, size, f) != size) {
        free(data);
        return nullptr;
    }
    // Samples are little-endian in the file, whatever the host's order.
    for (uint32_t i = 0; i < size / 2; i++) {
        const auto* b = reinterpret_cast<const uint8_t*>(data + i);
        data[i] = int16_t(load_le16(b));
    }
    *data_size = size;
    *rate = int(sample_rate);
    return data;
}

}  // namespace

bool coin_wav_load(const char* path, sample_record* out) {
    *out = {};
    FILE* f = fopen(path, "rb");
    uint32_t size = 0;
    int rate = 0;
    int16_t* data = f ? read_samples(f, &size, &rate) : nullptr;
    if (f) fclose(f);
    if (!data) {
        fprintf(stderr,
                "[AUDIO_HLE] cannot load %s (a 16-bit mono WAV file there plays on every coin) -- that SFX will be "
                "silent\n",
                path);
        return false;
    }
    *out = {data, size / 2, rate};
    return true;
}

void coin_wav_free(sample_record* sample) {
    free(const_cast<int16_t*>(sample->data));
    *sample = {};
}
