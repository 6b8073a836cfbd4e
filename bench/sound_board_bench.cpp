// One sound-board frame of a busy synthetic driver (no idle time: every cycle of the
// frame is interpreted through the translated program, with chip writes rendering the
// Q904 as they come), and a busy frame of the structured driver (every slot playing its
// four-channel tune: sequencer, notes, key-ons, every voice's envelope, pan and levels
// each tick, and the game replaying a slot every other frame: new commands, stops and
// claims) with its readable routines on and off, against the 16.693 ms video frame.
#include "board/board_memory.h"
#include "sound/chip_ring.h"
#include "sound/snd_hook_sites.h"
#include "sound/snd_native.h"
#include "sound/sound_board.h"
#include "sound/sound_system.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/synth_sound_driver.h"
#include "tests/support/synth_structured_driver.h"

#include <cstring>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double video_frame_seconds = 0.016693;

void sound_board_frame(benchmark::State& state) {
    static std::vector<uint8_t> wave(WAVE_ROM_IMAGE_SIZE);
    q904_init(&q904, wave.data(), int32_t(wave.size()));
    chip_present.store(true);
    synth_sound_driver_image(sound_driver_rom);
    mcu_driver_start();
    mcu_iram[SYNTH_DRIVER_BUSY - MCU_IRAM_FIRST] = 1;
    uint64_t cycles = mcu_cpu.cycles, fetched = mcu_cpu.fetch_count;
    for (auto _ : state) mcu_run_frame();
    double frames = double(state.iterations());
    state.counters["cycles/frame"] = double(mcu_cpu.cycles - cycles) / frames;
    state.counters["bytes fetched/frame"] = double(mcu_cpu.fetch_count - fetched) / frames;
    // Time per frame over the 16.693 ms of a video frame.
    state.counters["share_of_video_frame"] = benchmark::Counter(
        frames * video_frame_seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (mcu_cpu.halted) state.SkipWithError("the driver halted");
}
BENCHMARK(sound_board_frame)->Unit(benchmark::kMillisecond);

// Argument 1: the readable routines on (as built); 0: every site declines.
void structured_driver_busy_frame(benchmark::State& state) {
    static std::vector<uint8_t> wave(WAVE_ROM_IMAGE_SIZE);
    q904_init(&q904, wave.data(), int32_t(wave.size()));
    chip_present.store(true);
    static snd_routine built[SND_HOOK_SITE_COUNT];
    static bool taken = false;
    for (int i = 0; i < SND_HOOK_SITE_COUNT && !taken; i++) built[i] = snd_hook_sites[i].routine;
    taken = true;
    for (int i = 0; i < SND_HOOK_SITE_COUNT; i++) snd_hook_sites[i].routine = state.range(0) ? built[i] : nullptr;
    memset(commsram, 0, sizeof commsram);
    synth_structured_driver_image(sound_driver_rom);
    mcu_driver_start();
    synth_driver_shared_bytes(commsram, 32, 32);
    uint64_t cycles = mcu_cpu.cycles;
    uint64_t envelopes = snd_ran[SND_COUNTER_VOLUME_ENVELOPE] + snd_ran[SND_COUNTER_HOOK_FX1];
    uint64_t pans = snd_ran[SND_COUNTER_HOOK_VOLUME];
    uint32_t frame = 0;
    for (auto _ : state) {
        // Slot s (re)starts its tune at frames 2s, 2s + 64, ...: a tune lasts 170 ticks.
        for (uint32_t slot = 0; slot < 32; slot++)
            if ((frame & 63) == 2 * slot % 64)
                synth_driver_comms_word(commsram, 0x4000 + 2 * slot, 0x4000 | SYNTH_TUNE_COMMAND | (4 * slot + 3));
        frame++;
        mcu_run_frame();
    }
    for (int i = 0; i < SND_HOOK_SITE_COUNT; i++) snd_hook_sites[i].routine = built[i];
    double frames = double(state.iterations());
    state.counters["cycles/frame"] = double(mcu_cpu.cycles - cycles) / frames;
    // Counted by the readable routines only (0 with them off).
    state.counters["envelope steps/frame"] =
        double(snd_ran[SND_COUNTER_VOLUME_ENVELOPE] + snd_ran[SND_COUNTER_HOOK_FX1] - envelopes) / frames;
    state.counters["pan and levels/frame"] = double(snd_ran[SND_COUNTER_HOOK_VOLUME] - pans) / frames;
    state.counters["share_of_video_frame"] = benchmark::Counter(
        frames * video_frame_seconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (mcu_cpu.halted) state.SkipWithError("the driver halted");
}
BENCHMARK(structured_driver_busy_frame)->Arg(1)->Arg(0)->ArgName("readable")->Unit(benchmark::kMicrosecond);

}  // namespace
