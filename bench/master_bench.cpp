// The master DSP path on the synthetic DSP program: one frame run over a full list (the
// doorbell, the BIOS's INT0, the program walking 0x1E00 list words and writing its
// packets, the snapshot), with the steps it takes through the translated program per
// second (goal: 50 million or more on one core); and the fixed cost of a frame run (the
// write marks cleared, the snapshot taken) against the 16.693 ms frame (goal: under 1%).
#include "base/rom_files.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/master_output.h"
#include "dsp/master.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;
constexpr uint32_t FULL_LIST_WORDS = 0x1E00;  // the most the program walks

bool master_ready() {
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    point_rom = synth_rom_shared()->point;
    point_rom_count = POINT_ROM_WORDS;
    std::memset(dspram, 0, sizeof dspram);
    setenv("SKYVOLTA_MASTER", "1", 1);
    return master_boot("");
}

void master_frame_full_list(benchmark::State& state) {
    if (!master_ready()) {
        state.SkipWithError("the master DSP did not boot");
        return;
    }
    // Buffer 0 holds the list (no end code within the walk); the game writes buffer 1.
    for (uint32_t i = 0; i < FULL_LIST_WORDS + 16; i++) dsp_word_set(0x4100 + i, int32_t(0x1000 + i));
    dsp_word_set(DSP_WORD_BUSY, 0);
    dsp_word_set(DSP_WORD_BUFFER_INDEX, 1);
    uint64_t steps_before = master_driver.dsp->steps;
    for (auto _ : state) {
        dsp_word_set(DSP_WORD_LIST_READY, 1);
        master_run_frame();
    }
    if (!master_active() || master_driver.faults) state.SkipWithError("a frame run failed");
    uint64_t steps = master_driver.dsp->steps - steps_before;
    using benchmark::Counter;
    state.counters["steps_per_frame"] = Counter(double(steps) / double(state.iterations()));
    state.counters["steps_per_second"] = Counter(double(steps), Counter::kIsRate);
    state.counters["ms_per_frame"] = Counter(1e-3, Counter::kIsIterationInvariantRate | Counter::kInvert);
    master_release();
}
BENCHMARK(master_frame_full_list)->Unit(benchmark::kMillisecond);

// What every frame run costs besides the DSP's own steps.
void master_fixed_cost(benchmark::State& state) {
    if (!master_ready()) {
        state.SkipWithError("the master DSP did not boot");
        return;
    }
    c25_state* s = master_driver.dsp;
    for (auto _ : state) {
        std::memset(s->write_marks, 0, sizeof s->write_marks);
        s->write_count = 0;
        master_output_publish();
        benchmark::DoNotOptimize(master_published.words[1]);
    }
    using benchmark::Counter;
    state.counters["pct_of_frame"] =
        Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
    master_release();
}
BENCHMARK(master_fixed_cost)->Unit(benchmark::kMicrosecond);

}  // namespace
