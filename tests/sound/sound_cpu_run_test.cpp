// The sound CPU's run loop: running to a target, the idle-loop fast-forward and driver
// calls from readable routines.
#include "tests/sound/sound_board_fixture.h"
#include "tests/support/m37702_asm.h"

#include <memory>
#include <vector>

namespace {

struct RunLoopTest : SoundBoardTest {};

TEST_F(RunLoopTest, RunToServicesThenDispatchesUntilTheTarget) {
    put(0xC030, "nop\nnop\nnop\nwai\nnop\n");
    start();
    cpu.irq_pending = 0;
    // A target not above cycles: nothing, not even the service.
    cpu.timer_running = 1;
    cpu.timer_deadline[0] = 1;
    cpu.sfr[0x56] = 0x00;
    cpu.sfr[0x46] = 9;
    uint64_t c = cpu.cycles;
    mcu_run_to(&cpu, c);
    EXPECT_EQ(cpu.irq_pending, 0u);
    EXPECT_EQ(mcu_run_cycles(&cpu, 0), 0);
    EXPECT_EQ(cpu.irq_pending, 0u);
    EXPECT_EQ(cpu.cycles, c);
    cpu.timer_running = 0;
    // Whole instructions: a target inside the second NOP ends after it.
    mcu_run_to(&cpu, c + 3);
    EXPECT_EQ(cpu.cycles, c + 4);
    EXPECT_EQ(cpu.pc, 0xC032);
    // WAI stops the CPU; a stopped CPU jumps exactly to the target.
    mcu_run_cycles(&cpu, 4);
    EXPECT_TRUE(cpu.stopped);
    EXPECT_EQ(cpu.pc, 0xC034);
    mcu_run_to(&cpu, 5000);
    EXPECT_EQ(cpu.cycles, 5000u);
    EXPECT_EQ(cpu.pc, 0xC034);
    // A halted CPU runs nothing.
    cpu.stopped = 0;
    cpu.halted = 1;
    mcu_run_to(&cpu, 6000);
    EXPECT_EQ(cpu.cycles, 5000u);
}

// The run loop as written out: the service before every step, then one step.
void run_to_serving_every_step(m377_state* s, uint64_t target) {
    if (target <= s->cycles) return;
    while (!s->halted) {
        m377_service(s);
        if (s->stopped) {
            s->cycles = target;
            return;
        }
        snd_translated_program(s);
        if (s->cycles >= target) return;
    }
}

struct run_snapshot {
    m377_state cpu;
    uint8_t iram[8];
};

TEST_F(RunLoopTest, RunToTakesEveryEventAsAServiceBeforeEachStepWould) {
    // The driver starts, stops and restarts a timer of 48 cycles and starts A/D
    // conversions mid-slice; both interrupt, and a WAI waits for the next request.
    auto labels = std::make_unique<m377_program>();
    ASSERT_TRUE(synth_driver_put(sound_driver_rom, 0xC030, R"(
reset:  sei
        clp #$30
        ldx #$01ff
        txs
        lda #$0000
        tad
        sep #$30
        ldm #$03,$75        ; timer A0 level 3
        ldm #$02,$70        ; A/D level 2
        ldm #$17,$46        ; reload 0x17, divisor 2: a period of 48
        ldm #$00,$47
        ldm #$00,$56
        cli
loop:   ldm #$01,$40        ; (re)start timer A0
        inc $80
        ldm #$c0,$1e        ; a fast conversion, unless one runs
        lda $80
        and #$07
        bne loop
        ldm #$00,$40        ; stop the timer now and then
        lda $80
        and #$18
        bne loop
        wai
        bra loop
tmr:    inc $81
        rti
adc:    inc $82
        rti
)",
                                labels.get()));
    synth_driver_vector(sound_driver_rom, 0xFFEE, m377_label(labels.get(), "tmr"));  // timer A0
    synth_driver_vector(sound_driver_rom, 0xFFD6, m377_label(labels.get(), "adc"));
    std::vector<run_snapshot> gated, every_step;
    for (auto* run : {&gated, &every_step}) {
        start();
        cpu.irq_pending = 0;
        for (int slice = 0; slice < 200 && !cpu.halted; slice++) {
            uint64_t target = cpu.cycles + 64;
            if (run == &gated)
                mcu_run_to(&cpu, target);
            else
                run_to_serving_every_step(&cpu, target);
            run_snapshot snap;
            snap.cpu = cpu;
            memcpy(snap.iram, &iram(0x80), sizeof snap.iram);
            run->push_back(snap);
        }
    }
    ASSERT_EQ(gated.size(), every_step.size());
    for (size_t i = 0; i < gated.size(); i++) {
        const m377_state &a = gated[i].cpu, &b = every_step[i].cpu;
        ASSERT_EQ(a.cycles, b.cycles) << i;
        EXPECT_EQ(a.pc, b.pc) << i;
        EXPECT_EQ(a.ps, b.ps) << i;
        EXPECT_EQ(a.s, b.s) << i;
        EXPECT_EQ(a.irq_count, b.irq_count) << i;
        EXPECT_EQ(a.irq_pending, b.irq_pending) << i;
        EXPECT_EQ(a.stopped, b.stopped) << i;
        EXPECT_EQ(a.timer_running, b.timer_running) << i;
        EXPECT_EQ(a.timer_deadline[0], b.timer_deadline[0]) << i;
        EXPECT_EQ(a.adc_deadline, b.adc_deadline) << i;
        EXPECT_EQ(memcmp(gated[i].iram, every_step[i].iram, sizeof gated[i].iram), 0) << i;
    }
    const m377_state& last = gated.back().cpu;
    EXPECT_FALSE(last.halted);
    EXPECT_GT(gated.back().iram[1], 20) << "timer interrupts taken";
    EXPECT_GT(gated.back().iram[2], 5) << "A/D interrupts taken";
}

// The idle loop of a pass of 7 cycles (NOP, BRA back) or of the driver's own form
// (LDA D+0x83 / BEQ, 9 cycles).
constexpr const char* nop_loop = "nop\nbra $c12b\n";
constexpr const char* lda_loop = ".m8\n.x16\nidle: lda $83\nbeq idle\nstp\n";

struct IdleSkipTest : SoundBoardTest {
    void at_idle(const char* loop, uint64_t cycles, uint32_t pc = 0xC12B) {
        put(0xC12B, loop);
        start(0xC12B);
        cpu.irq_pending = 0;
        set_mx(2);
        cpu.pc = uint16_t(pc);
        cpu.cycles = cycles;
    }
};

TEST_F(IdleSkipTest, SkipsWholePassesToTwoOrThreeBeforeTheLimit) {
    // The arithmetic after the probe: a pass of 7 cycles ending at g = 1,000.
    const struct {
        uint64_t limit, after;
    } cases[] = {{1030, 1014}, {1021, 1000}, {1022, 1007}, {1027, 1007}, {1028, 1014}, {1000, 1000}};
    for (const auto& c : cases) EXPECT_EQ(mcu_idle_skip_to(1000, 7, c.limit), c.after) << c.limit;
    EXPECT_EQ(mcu_idle_skip_to(1000, 0, 5000), 1000u);
    // The same loop run: probe from 993 (NOP, BRA back: 7 cycles) to g = 1,000.
    at_idle(nop_loop, 993);
    EXPECT_EQ(mcu_idle_skip(&cpu, 1100), 1084u - 993);
    EXPECT_EQ(cpu.cycles, 1084u) << "16 cycles left";
    EXPECT_EQ(cpu.pc, 0xC12B);
    // The driver's loop polls internal RAM: 9 cycles a pass, A and the flags as a pass leaves them.
    at_idle(lda_loop, 1000);
    iram(0x83) = 0;
    uint64_t moved = mcu_idle_skip(&cpu, 100000);
    EXPECT_EQ(cpu.pc, 0xC12B);
    uint64_t left = 100000 - cpu.cycles;
    EXPECT_GE(left, 18u);
    EXPECT_LT(left, 27u);
    EXPECT_EQ(moved % 9, 0u);
    EXPECT_TRUE(cpu.ps & m377_flag_z);
    // Entered at the branch: one step, then a pass.
    at_idle(lda_loop, 1000, 0xC12D);
    cpu.ps |= m377_flag_z;
    mcu_idle_skip(&cpu, 1198);
    EXPECT_EQ(cpu.cycles, 1014 + 18 * 9u) << "BEQ 5 cycles, a pass of 9 to 1,014, 18 passes skipped";
    // The next peripheral event lowers the limit.
    at_idle(lda_loop, 1000);
    cpu.timer_running = 1;
    cpu.timer_deadline[0] = 2000;
    cpu.sfr[0x46] = 0xFF;
    mcu_idle_skip(&cpu, 100000);
    EXPECT_GE(2000 - cpu.cycles, 18u);
    EXPECT_LT(2000 - cpu.cycles, 27u);
}

TEST_F(IdleSkipTest, DoesNothingUnlessEveryConditionHolds) {
    const struct {
        const char* name;
        void (*change)(IdleSkipTest*);
        uint64_t limit;
    } cases[] = {
        {"limit = cycles + 96", [](IdleSkipTest*) {}, 1096},
        {"M/X 0", [](IdleSkipTest* t) { t->set_mx(0); }, 100000},
        {"M/X 3", [](IdleSkipTest* t) { t->set_mx(3); }, 100000},
        {"pc 0xC12C", [](IdleSkipTest* t) { t->cpu.pc = 0xC12C; }, 100000},
        {"bank 1", [](IdleSkipTest* t) { t->cpu.pg = 1; }, 100000},
        {"D = 0x37D", [](IdleSkipTest* t) { t->cpu.dpr = 0x37D; }, 100000},
        {"a request pending", [](IdleSkipTest* t) { t->cpu.irq_pending = 1; }, 100000},
        {"stopped", [](IdleSkipTest* t) { t->cpu.stopped = 1; }, 100000},
        {"halted", [](IdleSkipTest* t) { t->cpu.halted = 1; }, 100000},
        {"an event within 96 cycles", [](IdleSkipTest* t) {
             t->cpu.timer_running = 1;
             t->cpu.timer_deadline[0] = 1096;
         }, 100000},
    };
    for (const auto& c : cases) {
        at_idle(lda_loop, 1000);
        c.change(this);
        m377_state before = cpu;
        EXPECT_EQ(mcu_idle_skip(&cpu, c.limit), 0u) << c.name;
        EXPECT_EQ(cpu.cycles, before.cycles) << c.name;
        EXPECT_EQ(cpu.pc, before.pc) << c.name;
    }
    // D = 0x37C still polls internal RAM.
    at_idle(lda_loop, 1000);
    cpu.dpr = 0x37C;
    EXPECT_GT(mcu_idle_skip(&cpu, 100000), 0u);
}

// Stands for idle_wait: the driver idles until cycle 1100.
int idle_until_1100(m377_state* s) {
    s->cycles = 1100;
    return 1;
}

TEST_F(IdleSkipTest, AnInterruptDuringTheProbeEndsTheSkip) {
    put(0xC040, "clp #$30\nrti\n");
    synth_driver_vector(sound_driver_rom, 0xFFEE, 0xC040);  // timer A0
    at_idle(lda_loop, 1000);
    snd_hook_site_at(0xC12B)->routine = idle_until_1100;
    cpu.ps &= uint16_t(~m377_flag_i);
    cpu.sfr[0x75] = 3;  // timer A0 level 3
    cpu.timer_running = 1;
    cpu.timer_deadline[0] = 1097;  // the limit; the hooked first probe step passes it
    cpu.sfr[0x46] = 0xFF;
    cpu.sfr[0x47] = 0xFF;
    uint64_t moved = mcu_idle_skip(&cpu, 100000);
    EXPECT_EQ(cpu.irq_count, 1u);
    EXPECT_EQ(moved, cpu.cycles - 1000);
    EXPECT_EQ(cpu.cycles, 1100u + 7 + 3) << "the hook, the interrupt entry and the handler's CLP";
    EXPECT_EQ(cpu.pc, 0xC042);
}

struct CallDriverTest : SoundBoardTest {
    void boot_with(const char* subroutines) {
        put(0xC030, "wai\n");
        put(0xC100, (std::string(".m16\n.x16\n") + subroutines).c_str());
        start();
        cpu.irq_pending = 0;
        cpu.s = 0x01F0;
        set_mx(0);
    }
};

TEST_F(CallDriverTest, ResultsOfTheThreeWaysOut) {
    const char* subs = R"(
        rts                 ; C100: returns at once
        pla                 ; C101: drops its return address and stops
        stp
        pha                 ; C103: returns with a byte left on the stack (16-bit A: two)
        sep #$20
        pha
        clp #$20
        pla
        rts
        nop                 ; C10B
    )";
    boot_with(subs);
    uint64_t c = cpu.cycles;
    EXPECT_EQ(snd_call_driver(&cpu, 0xC100), 0);
    EXPECT_EQ(cpu.s, 0x01F0);
    EXPECT_EQ(cpu.pc, 0);
    EXPECT_EQ(cpu.pg, 0);
    EXPECT_EQ(cpu.cycles - c, 2u + 2 + 2) << "two pushes, RTS: fetch, dispatch, two pulls";
    EXPECT_EQ(iram(0x1F0), 0);
    EXPECT_EQ(iram(0x1EF), 0);

    boot_with(subs);
    EXPECT_EQ(snd_call_driver(&cpu, 0xC101), 2) << "s rose above the pushed return address";
    EXPECT_EQ(cpu.pc, 0xC102);
    EXPECT_FALSE(cpu.halted);

    boot_with(subs);
    EXPECT_EQ(snd_call_driver(&cpu, 0xC103), 2) << "returned with one byte left";
    EXPECT_EQ(cpu.pc, 0);
}

TEST_F(CallDriverTest, StoppedOrRunawayCallsHaltTheDriver) {
    boot_with("wai\nloop: bra loop\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(snd_call_driver(&cpu, 0xC100), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SND] TRANSLATED DRIVER: stopped inside a call from readable C at 00C101 (M/X=0) -- sound stopped\n");
    EXPECT_EQ(cpu.halt_pc, 0xC101u);
    EXPECT_EQ(cpu.halt_code, -1);

    boot_with("wai\nloop: bra loop\n");
    snd_call_max_steps = 1000;
    testing::internal::CaptureStderr();
    EXPECT_EQ(snd_call_driver(&cpu, 0xC101), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SND] TRANSLATED DRIVER: call from readable C did not return at 00C101 (M/X=0) -- sound stopped\n");
    EXPECT_TRUE(cpu.halted);
    // On a halted CPU a call still pushes and sets pc, then runs nothing.
    uint16_t s = cpu.s;
    uint64_t c = cpu.cycles;
    EXPECT_EQ(snd_call_driver(&cpu, 0xC100), 1);
    EXPECT_EQ(cpu.s, s - 2);
    EXPECT_EQ(cpu.cycles, c + 2);
    EXPECT_EQ(cpu.pc, 0xC100);
}

TEST_F(CallDriverTest, InterruptsAreEnteredInsideACall) {
    // A frame interrupt falls due during the call: entered and returned from inside it.
    put(0xC040, "clp #$30\ninc $90\nrti\n");
    synth_driver_vector(sound_driver_rom, 0xFFF4, 0xC040);
    boot_with("ldx #$0040\nloop: dex\nbne loop\nrts\n");
    cpu.sfr[0x7D] = 5;
    cpu.ps &= uint16_t(~m377_flag_i);
    cpu.cycles = mcu_timing.int0_phase + MCU_FRAME_CYCLES - 20;
    EXPECT_EQ(snd_call_driver(&cpu, 0xC100), 0);
    EXPECT_EQ(iram16(0x90), 1u);
    EXPECT_EQ(cpu.s, 0x01F0);
}

}  // namespace
