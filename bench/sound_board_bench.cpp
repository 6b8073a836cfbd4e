// One sound-board frame of a busy synthetic driver (no idle time: every cycle of the
// frame is interpreted through the translated program, with chip writes rendering the
// Q904 as they come), against the 16.693 ms video frame.
#include "sound/chip_ring.h"
#include "sound/sound_board.h"
#include "sound/sound_system.h"
#include "tests/support/synth_sound_driver.h"

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

}  // namespace
