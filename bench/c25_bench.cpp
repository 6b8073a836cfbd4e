// Master-DSP model speed: c25_step steps per second on one core over a program weighted
// like the game's DSP program (stores and loads first, auxiliary-register moves, the
// DSP RAM mode port, multiply-accumulate, BANZ loops, DSP RAM reads and marked writes),
// each step through a translated program that checks the words at pc and runs the
// decoded instruction. Goal: at least 50 million steps per second (Release).
#include "dsp/c25.h"
#include "tests/support/c25_asm.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// 64 points of (x, y) from DSP RAM through a 2x2 matrix in data memory into DSP RAM.
const char* transform_program = R"(
        DINT
        LDPK 0
        LACK 0
        SACL 0x60
        LRLK AR0,2
        LACK 3
        SACL 0x13
outer:  LRLK AR1,0x8100
        LRLK AR2,0x8400
        LRLK AR4,0x0200
        LARK AR3,63
        MAR *,AR1
point:  OUT 0x60,13
        LAC *+
        SACL 0x10
        LAC *+,0,AR4
        SACL 0x11
        LT 0x10
        MPY *+
        LTA 0x11
        MPY *+,AR2
        APAC
        SACH *+,1
        SACL 0x12
        LAC 0x12,4
        ADD 0x13
        SACL *+,0,AR4
        MAR *0-,AR3
        BANZ point,*-,AR1
        LAC 0x13
        ADDK 1
        SACL 0x13
        B outer
)";

constexpr int steps_per_iteration = 100000;

void c25_steps(benchmark::State& state) {
    auto t = std::make_unique<c25_test_dsp>();
    if (!c25_test_boot(t.get(), transform_program)) {
        state.SkipWithError(t->program.error);
        return;
    }
    for (uint32_t i = 0; i < 128; i++) t->dspram[0x100 + i] = 0x1000 + i * 37;
    for (uint32_t i = 0; i < 4; i++) t->cpu.data[0x200 + i] = uint16_t(0x4000 - i * 0x1234);
    c25_state* s = &t->cpu;
    for (auto _ : state) {
        // A frame's worth: marks start clear, as the frame run leaves them.
        memset(s->write_marks, 0, sizeof s->write_marks);
        s->write_count = 0;
        for (int i = 0; i < steps_per_iteration; i++)
            if (!c25_step(s)) {
                state.SkipWithError(s->error_text);
                return;
            }
    }
    benchmark::DoNotOptimize(s->acc);
    state.counters["steps_per_second"] =
        benchmark::Counter(double(state.iterations()) * steps_per_iteration, benchmark::Counter::kIsRate);
}
BENCHMARK(c25_steps)->Unit(benchmark::kMillisecond);

}  // namespace
