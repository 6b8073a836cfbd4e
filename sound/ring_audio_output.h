// A second audio output for the Q904's frames: a writer resamples runs of chip frames
// (85,333.33 per second) to 48,000 Hz stereo through a 2 x 4 channel matrix, volume, gain
// and a soft knee into a lock-free ring of 16,384 frames, and SDL's audio callback drains
// it. The callback waits for a cushion of queued frames before it starts or restarts,
// fades out and back in around an underrun, grows the cushion after each underrun, skips
// the oldest frames when more than four cushions are queued, and the writer trims its
// resampling step to keep the queue near the cushion.
//
// The live sound does not go through here: nothing in the game opens this output.
//
// Threads: one writer thread (write and the setters), SDL's audio thread (the callback);
// open and close while no write runs. No lock anywhere: write_pos is stored by the
// writer once per call (release) and read_pos by the callback once per callback.
#pragma once
#include "sound/q904.h"

#include <SDL.h>
#include <atomic>
#include <cstdint>

constexpr int RING_AUDIO_RATE = 48000;
constexpr uint32_t RING_AUDIO_FRAMES = 16384;     // a position's slot is position & 16,383
constexpr double RING_AUDIO_BASE_STEP = 1.7777777708333333;  // chip frames per output frame
constexpr int32_t RING_AUDIO_CUSHION = 2880;      // 60 ms, at load
constexpr int32_t RING_AUDIO_CUSHION_GROWTH = 960;  // 20 ms per underrun
constexpr int32_t RING_AUDIO_CUSHION_MAX = 6720;  // 140 ms, at load; ENG_AUDIO_MAXMS sets it
constexpr int32_t RING_AUDIO_FADE = 240;          // samples, 5 ms

struct ring_audio_record {
    SDL_AudioDeviceID device;  // 0 = closed
    int16_t ring[RING_AUDIO_FRAMES][2];
    std::atomic<uint32_t> read_pos;   // next frame to play; counts on, wrapping
    std::atomic<uint32_t> write_pos;  // next frame to store; the queue is write_pos - read_pos
    std::atomic<int32_t> cushion;     // frames queued before playing (re)starts; only grows
    int32_t cushion_max;
    std::atomic<int32_t> primed;      // the queue reached the cushion since the last growth
    int32_t fade_state;               // 0 steady, 1 fading out, 2 fading in
    int32_t fade_count;               // samples done of the current fade
    int16_t held_frame[2];            // the frame being faded out
    int16_t last_out[2];              // the last frame the callback emitted
    double phase;                     // resampling position, in chip frames, from the next write's first
    int16_t prev_input[4];            // the last chip frame of the previous write
    double gain;
    float volume;
    float matrix[2][4];               // row 0 left, row 1 right; column c weighs chip channel c
    uint32_t underruns;               // underrun samples since load (callback; printed at close)
    std::atomic<uint32_t> underruns_shared;
    uint32_t resets;                  // latency resets since load (callback)
    std::atomic<uint32_t> resets_shared;
    uint32_t second_frames;           // output frames towards the current statistics second
    uint32_t second_underruns;
    int32_t log_enabled;              // ENG_AUDIOLOG: -1 not looked up yet
    uint32_t report_ticks;            // the writer's last dry-report check, 0 = none yet
    uint32_t report_underruns;
    uint32_t report_resets;
};
extern ring_audio_record ring_audio_state;

// The dry report's clock (milliseconds); SDL_GetTicks unless a test sets its own.
extern uint32_t (*ring_audio_ticks)();

// Opens the default device at 48,000 Hz stereo (ENG_AUDIO_SAMPLES, ENG_AUDIO_MAXMS and
// ENG_OUTPUT_GAIN apply) and starts the callback; 0 with one "[AUDIO]" line when SDL
// audio or a device is not to be had.
int ring_audio_open();
// Appends `count` chip frames, resampled; nothing while closed or for count <= 0.
void ring_audio_write(const chip_frame* frames, int count);
// Closes the device (reporting the underruns, if any); everything else stays for a later open.
void ring_audio_close();

// Gain above 0 is stored, anything else ignored; volume in percent, bounded to 0..100;
// the matrix as 8 weights, the left row first.
void ring_audio_set_gain(double gain);
void ring_audio_set_volume(int percent);
void ring_audio_set_matrix(const float* weights);

// SDL's audio callback: len / 4 stereo frames of signed 16-bit samples.
void ring_audio_callback(void* userdata, Uint8* stream, int len);
