#include "sound/ring_audio_output.h"
#include "base/env_switch.h"

#include "base/env_switch.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

ring_audio_record ring_audio_state = {
    .device = 0,
    .ring = {},
    .read_pos = 0,
    .write_pos = 0,
    .cushion = RING_AUDIO_CUSHION,
    .cushion_max = RING_AUDIO_CUSHION_MAX,
    .primed = 0,
    .fade_state = 0,
    .fade_count = 0,
    .held_frame = {},
    .last_out = {},
    .phase = 0.0,
    .prev_input = {},
    .gain = 6.0,
    .volume = 1.0f,
    .matrix = {{1, 0, 0, 0}, {0, 1, 0, 0}},
    .underruns = 0,
    .underruns_shared = 0,
    .resets = 0,
    .resets_shared = 0,
    .second_frames = 0,
    .second_underruns = 0,
    .log_enabled = -1,
    .report_ticks = 0,
    .report_underruns = 0,
    .report_resets = 0,
};

uint32_t (*ring_audio_ticks)() = SDL_GetTicks;

namespace {

constexpr uint32_t SLOT_MASK = RING_AUDIO_FRAMES - 1;
constexpr uint32_t DRY_REPORT_MS = 3000;
constexpr double KNEE = 16384.0, KNEE_SPAN = 16383.0;
constexpr int MAXMS_LOW = 60, MAXMS_HIGH = 300;
constexpr uint16_t DEFAULT_SAMPLES = 512;

ring_audio_record& st = ring_audio_state;

// Straight up to +-16,384, then bending towards +-32,767.
double soft_knee(double s) {
    if (s > KNEE) return KNEE + KNEE_SPAN * (1.0 - 1.0 / (1.0 + (s - KNEE) / KNEE_SPAN));
    if (s < -KNEE) return -(KNEE + KNEE_SPAN * (1.0 - 1.0 / (1.0 + (-s - KNEE) / KNEE_SPAN)));
    return s;
}

// At most every 3 s: underruns or latency resets that the callback added since the
// last check. The first check only sets the anchors.
void dry_report() {
    uint32_t now = ring_audio_ticks();
    if (now - st.report_ticks < DRY_REPORT_MS) return;
    uint32_t u = st.underruns_shared.load(std::memory_order_relaxed);
    uint32_t r = st.resets_shared.load(std::memory_order_relaxed);
    if (st.report_ticks != 0 && (u != st.report_underruns || r != st.report_resets))
        fprintf(stderr,
                "[AUDIO] the sound card ran dry: %u samples of silence (%.0f ms) and %u latency resets in the last "
                "%.1f s -- the game did not deliver sound fast enough (heard as pops); a slow frame, or the window "
                "busy\n",
                u - st.report_underruns, double(u - st.report_underruns) * 1000.0 / RING_AUDIO_RATE,
                r - st.report_resets, double(now - st.report_ticks) / 1000.0);
    st.report_ticks = now;
    st.report_underruns = u;
    st.report_resets = r;
}

// The resampling step, trimmed so that the queue drifts back towards the cushion.
double trimmed_step(uint32_t fill) {
    int32_t cushion = st.cushion.load(std::memory_order_relaxed);
    double e = (double(cushion) - double(fill)) / double(cushion);
    double trim = e >= -1.0 && e <= 1.0 ? 1.0 + 0.005 * e : e > 1.0 ? 1.02 : 0.98;
    return RING_AUDIO_BASE_STEP / trim;
}

void emit(int16_t* out, int k, int16_t left, int16_t right) {
    out[2 * k] = left;
    out[2 * k + 1] = right;
    st.last_out[0] = left;
    st.last_out[1] = right;
}

// The next frame of a fade-out of held_frame: 239/240 of it first, 0 at the 240th.
void emit_fade_out(int16_t* out, int k) {
    st.fade_count++;
    float g = 1.0f - float(st.fade_count) / float(RING_AUDIO_FADE);
    emit(out, k, int16_t(float(st.held_frame[0]) * g), int16_t(float(st.held_frame[1]) * g));
    if (st.fade_count == RING_AUDIO_FADE) st.fade_state = 2, st.fade_count = 0;
}

// An underrun in the steady state: fade the last frame out and, below the ceiling,
// grow the cushion and wait for it again.
void underrun_begin() {
    st.fade_state = 1;
    st.fade_count = 0;
    st.held_frame[0] = st.last_out[0];
    st.held_frame[1] = st.last_out[1];
    int32_t cushion = st.cushion.load(std::memory_order_relaxed);
    if (cushion < st.cushion_max) {
        int32_t grown = cushion + RING_AUDIO_CUSHION_GROWTH;
        st.cushion.exchange(grown < st.cushion_max ? grown : st.cushion_max);
        st.primed.exchange(0);
    }
}

void second_statistics(uint32_t n, uint32_t queued) {
    st.second_frames += n;
    if (st.second_frames <= uint32_t(RING_AUDIO_RATE) - 1) return;
    if (st.log_enabled < 0) st.log_enabled = env_present("ENG_AUDIOLOG");
    if (st.log_enabled == 1)
        fprintf(stderr, "[AUDIO] second: %u underrun samples, ring %d, cushion %d ms, latency resets %u\n",
                st.second_underruns, int(queued),
                int(st.cushion.load(std::memory_order_relaxed) * 1000 / RING_AUDIO_RATE), st.resets);
    st.second_underruns = 0;
    st.second_frames -= RING_AUDIO_RATE;
}

}  // namespace

int ring_audio_open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        fprintf(stderr, "[AUDIO] SDL audio: %s\n", SDL_GetError());
        return 0;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = RING_AUDIO_RATE;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    const char* samples = env_text("ENG_AUDIO_SAMPLES");
    want.samples = samples ? uint16_t(strtol(samples, nullptr, 10)) : DEFAULT_SAMPLES;
    want.callback = ring_audio_callback;
    want.userdata = nullptr;
    st.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (st.device == 0) {
        fprintf(stderr, "[AUDIO] no audio device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    if (const char* maxms = env_text("ENG_AUDIO_MAXMS")) {
        long ms = strtol(maxms, nullptr, 10);
        ms = ms > MAXMS_HIGH ? MAXMS_HIGH : ms < MAXMS_LOW ? MAXMS_LOW : ms;
        st.cushion_max = int32_t(ms * RING_AUDIO_RATE / 1000);
    }
    if (const char* gain = env_text("ENG_OUTPUT_GAIN")) {
        double g = strtod(gain, nullptr);
        st.gain = g < 0.0 ? 0.0 : g;
    }
    SDL_PauseAudioDevice(st.device, 0);
    fprintf(stderr, "[AUDIO] output %d Hz stereo, %d-sample buffer, gain x%.2f\n", have.freq, int(have.samples),
            st.gain);
    return 1;
}

void ring_audio_write(const chip_frame* frames, int count) {
    if (st.device == 0 || count <= 0) return;
    dry_report();
    uint32_t w = st.write_pos.load(std::memory_order_relaxed);
    uint32_t r = st.read_pos.load(std::memory_order_acquire);
    double step = trimmed_step(w - r);
    double gain = st.gain, volume = double(st.volume);
    double pos = st.phase;
    while (pos < count) {
        // Output lies between input frames i - 1 and i; the last write's frame stands as -1.
        int i = int(pos);
        double f = pos - i;
        const int16_t* a = i == 0 ? st.prev_input : frames[i - 1].ch;
        const int16_t* b = frames[i].ch;
        double x[4];
        for (int c = 0; c < 4; c++) x[c] = (double(b[c]) - double(a[c])) * f + double(a[c]);
        double out[2];
        for (int side = 0; side < 2; side++) {
            const float* m = st.matrix[side];
            double s = double(m[0]) * x[0] + double(m[1]) * x[1] + double(m[2]) * x[2] + double(m[3]) * x[3];
            out[side] = soft_knee(s * volume * gain);
        }
        // Full: the newest frames are dropped.
        if (w - r <= SLOT_MASK) {
            st.ring[w & SLOT_MASK][0] = int16_t(lrint(out[0]));
            st.ring[w & SLOT_MASK][1] = int16_t(lrint(out[1]));
            w++;
        }
        pos += step;
    }
    st.phase = pos - count;
    for (int c = 0; c < 4; c++) st.prev_input[c] = frames[count - 1].ch[c];
    st.write_pos.store(w, std::memory_order_release);
}

void ring_audio_close() {
    if (st.device == 0) return;
    SDL_CloseAudioDevice(st.device);
    st.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);  // each open started the subsystem once
    if (st.underruns) fprintf(stderr, "[AUDIO] %u output underrun samples\n", st.underruns);
}

void ring_audio_set_gain(double gain) {
    if (gain > 0.0) st.gain = gain;
}

void ring_audio_set_volume(int percent) {
    st.volume = percent < 0 ? 0.0f : percent > 100 ? 1.0f : float(percent) / 100.0f;
}

void ring_audio_set_matrix(const float* weights) {
    for (int k = 0; k < 8; k++) st.matrix[k / 4][k % 4] = weights[k];
}

void ring_audio_callback(void*, Uint8* stream, int len) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    int n = len / 4;
    uint32_t r = st.read_pos.load(std::memory_order_relaxed);
    uint32_t w = st.write_pos.load(std::memory_order_acquire);
    int32_t cushion = st.cushion.load(std::memory_order_relaxed);
    // Too far behind: skip the oldest frames down to the cushion.
    if (int32_t(w - r) > 4 * cushion) {
        r = w - uint32_t(cushion);
        st.resets++;
        st.resets_shared.fetch_add(1);
    }
    // Wait for the cushion, unless a fade-out is under way.
    if (st.primed.load(std::memory_order_relaxed) == 0 && st.fade_state != 1) {
        if (int32_t(w - r) < cushion) {
            for (int k = 0; k < n; k++) out[2 * k] = out[2 * k + 1] = 0;
            st.last_out[0] = st.last_out[1] = 0;
            if (st.fade_state == 0) st.fade_state = 2, st.fade_count = 0;
            return;
        }
        st.primed.exchange(1);
    }
    uint32_t dry = 0;
    for (int k = 0; k < n; k++) {
        if (st.fade_state == 0) {
            if (r != w) {
                emit(out, k, st.ring[r & SLOT_MASK][0], st.ring[r & SLOT_MASK][1]);
                r++;
                continue;
            }
            underrun_begin();
        }
        if (r == w) {
            st.underruns++;
            st.second_underruns++;
            dry++;
            if (st.fade_state == 1) emit_fade_out(out, k);
            else emit(out, k, 0, 0);
        } else if (st.fade_state == 1) {
            emit_fade_out(out, k);
        } else {
            float g = float(st.fade_count) / float(RING_AUDIO_FADE);
            st.fade_count++;
            emit(out, k, int16_t(float(st.ring[r & SLOT_MASK][0]) * g), int16_t(float(st.ring[r & SLOT_MASK][1]) * g));
            r++;
            if (st.fade_count == RING_AUDIO_FADE) st.fade_state = 0, st.fade_count = 0;
        }
    }
    if (dry) st.underruns_shared.fetch_add(dry);
    st.read_pos.store(r, std::memory_order_release);
    second_statistics(uint32_t(n), w - r);
}
