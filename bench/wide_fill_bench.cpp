// Cost of the widescreen side fill of one frame against the 16.693 ms frame: the
// snapshot of the four images, two headings each running the scene builders and put
// back. The builders here are stand-ins that write 1500 display-list words a heading
// (about a full scene's share at the sides), so the figure is the capture's own
// overhead plus the copying of their words. Counters: ms_per_frame and pct_of_frame.
#include "host/wide_view.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;
constexpr int32_t WORDS_PER_HEADING = 1500;

void scene_stand_in(int32_t, int32_t, int32_t, int32_t heading) {
    for (int32_t i = 0; i < WORDS_PER_HEADING; i++) dl_put(heading + i);
}

void wide_fill_frame(benchmark::State& state) {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    dsp_init();
    wram_long_set(W_GAME_STATE, 3);
    wram_long_set(W_GAME_SUB_STATE, 3);
    dl_cursor_set(dl_packet_area(0) + 100);
    wide_view_builders = {scene_stand_in, nullptr, nullptr, nullptr};
    int32_t count = 0;
    for (auto _ : state) {
        const int32_t* words = wide_fill_update(&count, 106.5, 554.25);
        benchmark::DoNotOptimize(words);
    }
    if (count != 2 * WORDS_PER_HEADING) state.SkipWithError("the side fill captured the wrong word count");
    wide_view_builders = {};
    using benchmark::Counter;
    state.counters["ms_per_frame"] = Counter(1e-3, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pct_of_frame"] = Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(wide_fill_frame)->Unit(benchmark::kMicrosecond);

}  // namespace
