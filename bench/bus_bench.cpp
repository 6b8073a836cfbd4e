// Cost of the board bus and of the work-RAM synchronisation, against the 16.693 ms
// game frame. Counters: ns_per_access and per_frame (accesses that fill one frame);
// for the synchronisation ns_per_sync and pct_of_frame (one import plus one export;
// the frame step runs two of each).
#include "board/bus.h"
#include "board/wram.h"
#include "tests/support/synth_rom.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

constexpr double FRAME_SECONDS = 0.016693;
constexpr uint32_t ACCESSES = 4096;  // per iteration, spread over 64 KB
constexpr uint32_t STRIDE = 16;
constexpr uint32_t ROM_AREA = 0x20B004;  // the sine table: the game's busiest ROM reads
constexpr uint32_t WRAM_AREA = 0xE10000;

void board_ready() {
    static bool ready = false;
    if (ready) return;
    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    ready = true;
}

void counters_per_access(benchmark::State& state, double accesses) {
    using benchmark::Counter;
    state.counters["ns_per_access"] = Counter(accesses * 1e-9, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["per_frame"] = Counter(accesses * FRAME_SECONDS, Counter::kIsIterationInvariantRate);
}

void bus_reads(benchmark::State& state, uint32_t base, int width) {
    board_ready();
    for (auto _ : state) {
        int64_t sum = 0;
        for (uint32_t i = 0; i < ACCESSES; i++) {
            uint32_t a = base + i * STRIDE;
            sum += width == 8 ? bus_read8(a) : width == 16 ? bus_read16(a) : bus_read32(a);
        }
        benchmark::DoNotOptimize(sum);
    }
    counters_per_access(state, ACCESSES);
}

void bus_writes(benchmark::State& state, uint32_t base, int width) {
    board_ready();
    uint32_t v = 0;
    for (auto _ : state) {
        for (uint32_t i = 0; i < ACCESSES; i++) {
            uint32_t a = base + i * STRIDE;
            if (width == 8) bus_write8(a, v++);
            if (width == 16) bus_write16(a, v++);
            if (width == 32) bus_write32(a, v++);
        }
        benchmark::ClobberMemory();
    }
    counters_per_access(state, ACCESSES);
}

void wram_import_export(benchmark::State& state) {
    board_ready();
    wram_owned_mark_saved();
    wram_owned_mark_settings_words();
    wram_owned_mark_rest();
    for (auto _ : state) {
        wram_import();
        wram_export();
        benchmark::ClobberMemory();
    }
    using benchmark::Counter;
    state.counters["ns_per_sync"] = Counter(1e-9, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["pct_of_frame"] = Counter(FRAME_SECONDS / 100, Counter::kIsIterationInvariantRate | Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(bus_reads, rom_8, ROM_AREA, 8);
BENCHMARK_CAPTURE(bus_reads, rom_16, ROM_AREA, 16);
BENCHMARK_CAPTURE(bus_reads, rom_32, ROM_AREA, 32);
BENCHMARK_CAPTURE(bus_reads, wram_8, WRAM_AREA, 8);
BENCHMARK_CAPTURE(bus_reads, wram_16, WRAM_AREA, 16);
BENCHMARK_CAPTURE(bus_reads, wram_32, WRAM_AREA, 32);
BENCHMARK_CAPTURE(bus_writes, rom_8, ROM_AREA, 8);
BENCHMARK_CAPTURE(bus_writes, rom_16, ROM_AREA, 16);
BENCHMARK_CAPTURE(bus_writes, rom_32, ROM_AREA, 32);
BENCHMARK_CAPTURE(bus_writes, wram_8, WRAM_AREA, 8);
BENCHMARK_CAPTURE(bus_writes, wram_16, WRAM_AREA, 16);
BENCHMARK_CAPTURE(bus_writes, wram_32, WRAM_AREA, 32);
BENCHMARK(wram_import_export);
