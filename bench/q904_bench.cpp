// The Q904 chip model with all 32 voices looping (interpolated, a mix of linear and
// companded samples at different pitches and levels), rendered in the chunk size of the
// chip ring. Counters: frames_per_s and realtime_x, the rendered frames per second
// against the chip's own 85,333 per second.
#include "sound/chip_ring.h"
#include "sound/q904.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

void busy_chip(q904_chip* chip, std::vector<uint8_t>* rom) {
    rom->resize(0x40000);
    for (size_t a = 0; a < rom->size(); a++) (*rom)[a] = uint8_t(a * 37 + (a >> 8));
    q904_init(chip, rom->data(), int32_t(rom->size()));
    for (uint32_t v = 0; v < Q904_VOICES; v++) {
        auto set = [&](uint32_t reg, uint32_t value) { q904_write(chip, 8 * v + reg, value, 0xFFFF); };
        set(Q904_REG_BANK, v & 3);
        set(Q904_REG_START, 0);
        set(Q904_REG_LOOP, 0x100 * v);
        set(Q904_REG_END, 0x100 * v + 0x800);
        set(Q904_REG_FREQ, 0x4000 + 0x300 * v);
        set(Q904_REG_VOL_F, 0x2040 + v);
        set(Q904_REG_VOL_R, 0x1030 + v);
        set(Q904_REG_FLAGS, VF_LOOP | VF_KEY_ON | ((v & 1) ? VF_COMPANDED : 0));
    }
    q904_write(chip, Q904_REG_KEY_SWEEP, 0, 0xFFFF);
}

void q904_busy_render(benchmark::State& state) {
    static q904_chip chip;
    std::vector<uint8_t> rom;
    busy_chip(&chip, &rom);
    chip_frame out[CHIP_CHUNK_FRAMES];
    for (auto _ : state) {
        q904_render(&chip, out, CHIP_CHUNK_FRAMES);
        benchmark::DoNotOptimize(out);
    }
    using benchmark::Counter;
    state.counters["frames_per_s"] = Counter(CHIP_CHUNK_FRAMES, Counter::kIsIterationInvariantRate);
    state.counters["realtime_x"] = Counter(CHIP_CHUNK_FRAMES / CHIP_FRAME_RATE, Counter::kIsIterationInvariantRate);
}
BENCHMARK(q904_busy_render);

}  // namespace
