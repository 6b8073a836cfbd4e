// Cost of the per-frame course sounds: one area_sound_update in a race, with the camera
// in a course-0 area (three distances through the ROM tables) or on course 1 with the
// stem machine, a probe in contact and the point list walked. Counter: pct_of_frame.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "game/services/area_sounds.h"
#include "game/services/sound_ram.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;

void race_set_up(int32_t course, int32_t camera_cell) {
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    wram_long_set(W_GAME_STATE, 3);
    wram_long_set(W_GAME_SUB_STATE, 3);
    wram_long_set(W_COURSE_NUMBER, course);
    wram_long_set(W_RACE_TIMER, 3000);
    wram_long_set(W_CAMERA_CELL, camera_cell);
    wram_long_set(W_PLAYER_CELL, 27);
    wram_long_set(W_PLAYER_SPEED, 0x3000);
    wram_long_set(W_PLAYER_SPEED_COPY, 0x3000);
    wram_long_set(W_DRIVE, 0x1000);
    w_word_set(W_SOUND_HOLD_LEVEL, -1);
    w_word_set(W_SOUND_HOLD_TIMER, -1);
    wram[probe_field(PROBE_CENTRE, PROBE_HIT)] = 1;
}

void area_sound_update_call(benchmark::State& state) {
    race_set_up(int32_t(state.range(0)), int32_t(state.range(1)));
    for (auto _ : state) {
        area_sound_update();
        wram_long_set(W_RACE_TIMER, 3000);
    }
    using benchmark::Counter;
    state.counters["pct_of_frame"] = Counter(FRAME_SECONDS / 100.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
}
BENCHMARK(area_sound_update_call)->Args({0, 81})->Args({1, 100})->Unit(benchmark::kNanosecond);

}  // namespace
