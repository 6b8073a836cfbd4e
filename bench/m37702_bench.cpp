// Sound-CPU model speed: counts per second on a busy program of mixed widths, run the
// way the sound board runs it (the translated program's operand streams, slices of 64
// counts, the peripheral service before each step that it has work for), and the ratio
// to the board's 16,384,000 counts per second.
#include "sound/m37702.h"
#include "sound/snd_translated.h"
#include "sound/sound_cpu_run.h"
#include "sound/sound_system.h"
#include "tests/support/m37702_asm.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr double board_counts_per_second = 16384000.0;
constexpr uint64_t counts_per_frame = 273066;

// A driver-like loop: 16-bit table walks, 8-bit flag work, bit tests, calls, stack
// traffic, multiplies and indirect loads, with a timer running underneath.
const char* busy_program = R"(
        clp #$30
        lda #$0000
        tad
        ldx #$0000
        ldy #$0000
        ldm #$0300,$80
        ldm #$0500,$84
loop:   lda $0200,x
        clc
        adc #$1234
        sta $0200,x
        eor $82
        sta $82
        lda ($80),y
        adc [$84]
        sta $0400,y
        iny
        iny
        inx
        inx
        cpx #$0040
        bne narrow
        ldx #$0000
        ldy #$0000
narrow: sep #$20
        lda $88
        asl a
        rol $89
        inc $8A
        ldm #$5A,$8B
        seb #$01,$8C
        bbs #$01,$8C,bits
        nop
bits:   clb #$01,$8C
        bbc #$02,$8C,wide
        nop
wide:   clp #$20
        jsr work
        lda $90
        mpy #$0003
        sta $92
        ldb $94
        sbcb #$0001
        stb $94
        bra loop
work:   pha
        phx
        psh #$0C
        lda $96
        lsr a
        sta $96
        pul #$0C
        plx
        pla
        rts
)";

m377_test_cpu machine;

void BM_M37702BusyProgram(benchmark::State& state) {
    // Code and data in the test memory; the code, translated, from the driver image too.
    if (!m377_test_boot(&machine, busy_program, SND_TABLE_FIRST)) {
        state.SkipWithError(machine.program.error);
        return;
    }
    memcpy(sound_driver_rom + 0xC000, machine.mem.bytes + 0xC000, 0x4000);
    snd_translated_build(sound_driver_rom);
    m377_state* cpu = &machine.cpu;
    // Timer A0 counting with its interrupt at level 0: serviced, never taken.
    m377_sfr_write(cpu, 0x46, 0x54);
    m377_sfr_write(cpu, 0x47, 0x08);
    m377_sfr_write(cpu, 0x56, 0x80);
    m377_sfr_write(cpu, 0x40, 0x01);
    uint64_t start = cpu->cycles;
    for (auto _ : state) {
        uint64_t target = cpu->cycles + counts_per_frame;
        while (cpu->cycles < target && !cpu->halted) mcu_run_cycles(cpu, 64);
    }
    double counts = double(cpu->cycles - start);
    state.counters["counts_per_s"] = benchmark::Counter(counts, benchmark::Counter::kIsRate);
    state.counters["x_real_time"] = benchmark::Counter(counts / board_counts_per_second, benchmark::Counter::kIsRate);
    if (cpu->halted || cpu->stopped) state.SkipWithError("the program stopped");
}

BENCHMARK(BM_M37702BusyProgram)->Unit(benchmark::kMillisecond);

}  // namespace
