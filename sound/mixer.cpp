#include "sound/mixer.h"

#include "sound/audio_output.h"
#include "sound/chip_ring.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

sfx_voice_set sfx_voices;

namespace {

// One caller at a time: the audio thread, or the main thread for the WAV dump while no
// device is open. Static because SDL's audio thread has a small stack.
int32_t mix_acc[MIX_MAX_FRAMES * 2];

// Linear interpolation truncated toward zero, as the board's mixer does it.
int32_t lerp_trunc(int32_t a, int32_t b, double f) {
    return int32_t(double(a) + double(b - a) * f);
}

// True while the pair a voice reads next, i and i + 1, lies inside its sample (false for
// a negative or NaN position and past the end).
bool position_in_sample(double position, const sample_record* s) {
    return position >= 0.0 && position + 1.0 < double(s->length);
}

void mix_voices(int frames, int rate) {
    audio_lock(&sfx_voices.lock);
    for (sfx_voice& v : sfx_voices.voices) {
        if (!v.active) continue;
        const sample_record* s = v.sample;
        // A voice holding no sample or a rate that does not move it forward ends at once.
        if (!s || !s->data || s->rate <= 0) {
            v.active = false;
            continue;
        }
        double step = double(s->rate) / rate;
        for (int k = 0; k < frames; k++) {
            if (!position_in_sample(v.position, s)) {
                v.active = false;
                break;
            }
            uint32_t i = uint32_t(v.position);
            int32_t x = lerp_trunc(s->data[i], s->data[i + 1], v.position - i);
            mix_acc[2 * k] += x;
            mix_acc[2 * k + 1] += x;
            v.position += step;
        }
    }
    audio_unlock(&sfx_voices.lock);
}

// Fill control: the step is scaled by 1 + 0.02 d, d the ring's distance from its target
// fill in units of the target, bounded to 0.98..1.02.
double drift_factor(int fill) {
    double d = double(fill - RING_TARGET_FILL) / RING_TARGET_FILL;
    return d > 1.0 ? 1.02 : d < -1.0 ? 0.98 : 1.0 + 0.02 * d;
}

// Plays channel 0 as left and 1 as right; channels 2 and 3 are not played.
void mix_ring(int frames, int rate, bool drift) {
    double step = CHIP_FRAME_RATE / rate;
    audio_lock(&chip_ring.lock);
    if (drift) step *= drift_factor(chip_ring.fill);
    double p = chip_ring.read_pos;
    int produced = 0;
    for (int k = 0; k < frames; k++) {
        int m = int(p);
        if (m + 1 >= chip_ring.fill) break;  // ran dry: the rest gets no chip sound
        const chip_frame& a = chip_ring.frames[m];
        const chip_frame& b = chip_ring.frames[m + 1];
        mix_acc[2 * k] += lerp_trunc(a.ch[0], b.ch[0], p - m);
        mix_acc[2 * k + 1] += lerp_trunc(a.ch[1], b.ch[1], p - m);
        p += step;
        produced++;
    }
    if (produced > 0) chip_ring.read_pos = p;
    int consumed = std::min(int(chip_ring.read_pos), chip_ring.fill);
    if (consumed > 0) {
        memmove(chip_ring.frames, chip_ring.frames + consumed,
                size_t(chip_ring.fill - consumed) * sizeof(chip_frame));
        chip_ring.fill -= consumed;
        chip_ring.read_pos -= consumed;
    }
    audio_unlock(&chip_ring.lock);
}

}  // namespace

void sfx_voice_start(const sample_record* sample) {
    audio_lock(&sfx_voices.lock);
    sfx_voice* v = &sfx_voices.voices[0];
    for (sfx_voice& cand : sfx_voices.voices) {
        if (!cand.active) {
            v = &cand;
            break;
        }
    }
    v->sample = sample;
    v->position = 0.0;
    v->active = true;
    audio_unlock(&sfx_voices.lock);
}

void mix_frames(int16_t* out, int frames, int rate, bool drift) {
    if (frames > MIX_MAX_FRAMES) {
        fprintf(stderr, "[AUDIO_HLE] mix_frames: %d frames > cap %d, truncating\n", frames, MIX_MAX_FRAMES);
        frames = MIX_MAX_FRAMES;
    }
    if (frames <= 0) return;
    memset(mix_acc, 0, size_t(frames) * 2 * sizeof(int32_t));
    if (rate > 0) {
        mix_voices(frames, rate);
        if (chip_present.load(std::memory_order_relaxed) && chip_live.load(std::memory_order_relaxed))
            mix_ring(frames, rate, drift);
    }
    float volume = master_volume_get();
    for (int i = 0; i < frames * 2; i++) {
        float v = std::trunc(float(mix_acc[i]) * volume);
        out[i] = int16_t(v > 32767.0f ? 32767 : v < -32768.0f ? -32768 : int32_t(v));
    }
}

void audio_generate(int16_t* buffer, int frames, void* user) {
    if (frames <= 0) return;
    memset(buffer, 0, size_t(frames) * 4);
    int rate = audio_sample_rate();
    if (rate > 0) mix_frames(buffer, frames, rate, true);
}
