// The translated sound program: the table the walk builds, dispatch from the operand
// streams against plain ROM reads, the halts, translation on first dispatch, hooks.
#include "sound/m37702_decode.h"
#include "tests/sound/sound_board_fixture.h"
#include "tests/support/m37702_asm.h"

#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using variant_key = std::pair<uint32_t, uint32_t>;  // address, M/X
using variant_list = std::map<variant_key, std::vector<uint8_t>>;

variant_list built_table() {
    variant_list list;
    for (uint32_t a = SND_TABLE_FIRST; a <= 0xFFFF; a++) {
        const snd_translated_entry* e = snd_translated_entry_at(a);
        for (uint32_t m = 0; m < 4; m++)
            if (e->stream[m]) list[{a, m}] = std::vector<uint8_t>(e->stream[m], e->stream[m] + e->length[m]);
    }
    return list;
}

// Reset entry, a subroutine reached with M = 1 and with M = 0, an indirect jump, a
// prefixed load, the extended page, long jumps into and out of bank 0, and an interrupt
// handler entered in any widths.
constexpr const char* walk_main = R"(
        sei
        clp #$30
        lda #$1234
        sep #$20
        lda #$12
        jsr $c050
        clm
        jsr $c050
        ldb #$5678
        jmp ($0100)
)";
constexpr const char* walk_sub = R"(
        sem
        cmp #$01
        bne skip
        xab
        rts
skip:   bbs #$80,$90,$c050
        jml $00c060
        rla #$03
        jsl $018000
        rts
)";
constexpr const char* walk_handler = R"(
        clp #$20
        rti
)";

struct TranslatedTest : SoundBoardTest {
    void build_walk_driver() {
        put(0xC030, walk_main);
        put(0xC050, walk_sub);
        put(0xC070, walk_handler);
        synth_driver_vector(sound_driver_rom, 0xFFF4, 0xC070);
        start();
    }
};

TEST_F(TranslatedTest, WalkBuildsTheExpectedTable) {
    build_walk_driver();
    variant_list expected = {
        {{0xC030, 0}, {0x78}}, {{0xC030, 1}, {0x78}}, {{0xC030, 2}, {0x78}}, {{0xC030, 3}, {0x78}},
        {{0xC031, 0}, {0xC2, 0x30}}, {{0xC031, 1}, {0xC2, 0x30}}, {{0xC031, 2}, {0xC2, 0x30}},
        {{0xC031, 3}, {0xC2, 0x30}},
        {{0xC033, 0}, {0xA9, 0x34, 0x12}},
        {{0xC036, 0}, {0xE2, 0x20}},
        {{0xC038, 2}, {0xA9, 0x12}},
        {{0xC03A, 2}, {0x20, 0x50, 0xC0}},
        {{0xC03D, 2}, {0xD8}},
        {{0xC03E, 0}, {0x20, 0x50, 0xC0}},
        {{0xC041, 0}, {0x42, 0xA9, 0x78, 0x56}},
        {{0xC045, 0}, {0x6C, 0x00, 0x01}},
        {{0xC050, 0}, {0xF8}}, {{0xC050, 2}, {0xF8}},
        {{0xC051, 2}, {0xC9, 0x01}},
        {{0xC053, 2}, {0xD0, 0x03}},
        {{0xC055, 2}, {0x89, 0x28}},
        {{0xC057, 2}, {0x60}},
        {{0xC058, 2}, {0x24, 0x90, 0x80, 0xF4}},
        {{0xC05C, 2}, {0x5C, 0x60, 0xC0, 0x00}},
        {{0xC060, 2}, {0x89, 0x49, 0x03}},
        {{0xC063, 2}, {0x22, 0x00, 0x80, 0x01}},
        {{0xC067, 2}, {0x60}},
        {{0xC070, 0}, {0xC2, 0x20}}, {{0xC070, 1}, {0xC2, 0x20}}, {{0xC070, 2}, {0xC2, 0x20}},
        {{0xC070, 3}, {0xC2, 0x20}},
        {{0xC072, 0}, {0x40}}, {{0xC072, 1}, {0x40}},
    };
    // The hook sites and continuation addresses are walked too; in this image they hold
    // zero bytes, BRK with its signature byte, which ends the walk.
    for (const snd_hook_site& site : snd_hook_sites)
        for (uint32_t m = 0; m < 4; m++)
            if (site.emulated_mx & (1u << m)) expected[{site.address, m}] = {0x00, 0x00};
    for (int i = 0; i < snd_continuation_root_count; i++)
        for (uint32_t m = 0; m < 4; m++)
            if (snd_continuation_roots[i].mx_states & (1u << m))
                expected[{snd_continuation_roots[i].address, m}] = {0x00, 0x00};
    EXPECT_EQ(built_table(), expected);
    EXPECT_EQ(snd_translated_variant_count(), int(expected.size()));
    EXPECT_EQ(start_output, "[SND] translated sound program (" + std::to_string(expected.size()) +
                                " instructions)\n[MCU] sound driver loaded (kv1data.8k), reset to PC=C030\n");
    // Absent addresses: not reached (after the indirect jump), outside the table.
    EXPECT_FALSE(snd_translated_entry_at(0xC048)->translated);
    EXPECT_TRUE(snd_translated_entry_at(0xC051)->translated);
    EXPECT_EQ(snd_translated_entry_at(0xC02F), nullptr);
    EXPECT_NE(snd_translated_entry_at(0xFFFF), nullptr);
    EXPECT_EQ(snd_translated_entry_at(0xC12B)->hook, 0);
    EXPECT_EQ(snd_translated_entry_at(0xC12C)->hook, -1);
}

TEST_F(TranslatedTest, HookSitesAreTheSixtyFourAddressesWithSixTimed) {
    std::map<uint32_t, uint32_t> timed;
    std::map<uint32_t, int> seen;
    for (const snd_hook_site& site : snd_hook_sites) {
        EXPECT_GE(site.address, SND_TABLE_FIRST);
        EXPECT_NE(site.emulated_mx, 0) << std::hex << site.address;
        seen[site.address]++;
        if (site.maxcyc) timed[site.address] = site.maxcyc;
    }
    EXPECT_EQ(seen.size(), size_t(SND_HOOK_SITE_COUNT));
    std::map<uint32_t, uint32_t> expected_timed = {{0xD745, 40}, {0xE87E, 110}, {0xE97E, 180},
                                                   {0xE987, 160}, {0xEBB8, 40},  {0xEBFD, 20}};
    EXPECT_EQ(timed, expected_timed);
    EXPECT_EQ(snd_hook_site_at(0xF064)->routine_name, std::string("sample_change_f064"));
    EXPECT_EQ(snd_hook_site_at(0xF065), nullptr);
}

void expect_same_cpu(const m377_state& a, const m377_state& b, int step) {
    EXPECT_EQ(a.a, b.a) << step;
    EXPECT_EQ(a.b, b.b) << step;
    EXPECT_EQ(a.x, b.x) << step;
    EXPECT_EQ(a.y, b.y) << step;
    EXPECT_EQ(a.s, b.s) << step;
    EXPECT_EQ(a.pc, b.pc) << step;
    EXPECT_EQ(a.pg, b.pg) << step;
    EXPECT_EQ(a.dpr, b.dpr) << step;
    EXPECT_EQ(a.dt, b.dt) << step;
    EXPECT_EQ(a.ps, b.ps) << step;
    EXPECT_EQ(a.cycles, b.cycles) << step;
    EXPECT_EQ(a.fetch_count, b.fetch_count) << step;
    EXPECT_EQ(a.irq_count, b.irq_count) << step;
    EXPECT_EQ(a.irq_pending, b.irq_pending) << step;
    EXPECT_EQ(a.stopped, b.stopped) << step;
    EXPECT_EQ(a.halted, b.halted) << step;
    EXPECT_EQ(memcmp(a.sfr, b.sfr, sizeof a.sfr), 0) << step;
    EXPECT_EQ(memcmp(a.pc_trail, b.pc_trail, sizeof a.pc_trail), 0) << step;
}

TEST_F(TranslatedTest, StreamsRunLikePlainRomReads) {
    // The synthetic driver, busy, with both frame interrupts raised now and then; two
    // CPUs over separate test memories, one dispatched from the streams.
    synth_sound_driver_image(sound_driver_rom);
    snd_translated_build(sound_driver_rom);
    snd_translated_strict = true;
    auto mem_a = std::make_unique<m377_test_memory>(), mem_b = std::make_unique<m377_test_memory>();
    for (m377_test_memory* mem : {mem_a.get(), mem_b.get()}) {
        memset(mem, 0, sizeof *mem);
        memcpy(mem->bytes + 0xC000, sound_driver_rom + 0xC000, 0x4000);
        mem->bytes[SYNTH_DRIVER_BUSY] = 1;
        mem->bytes[0x4102] = 0x34;
    }
    m377_state a, b;
    m377_init(&a, m377_test_read, m377_test_write, mem_a.get());
    m377_init(&b, m377_test_read, m377_test_write, mem_b.get());
    m377_reset(&a);
    m377_reset(&b);
    for (int step = 0; step < 3000; step++) {
        if (step % 700 == 350) {
            m377_raise(&a, 20);
            m377_raise(&b, 20);
        }
        if (step % 900 == 10) {
            m377_raise(&a, 16);
            m377_raise(&b, 16);
        }
        m377_service(&a);
        m377_service(&b);
        snd_translated_program(&a);
        m377_test_step(&b);  // the same instruction from plain bus reads
        expect_same_cpu(a, b, step);
        ASSERT_EQ(memcmp(mem_a->bytes, mem_b->bytes, 0x10000), 0) << step;
        ASSERT_FALSE(a.halted) << step;
        EXPECT_EQ(a.operand_ptr, nullptr);
    }
    EXPECT_GE(a.irq_count, 6u);
    EXPECT_GT(mem_a->bytes[0x94] | mem_a->bytes[0x95], 0) << "the busy work ran";
}

// With the profile on, every dispatch goes through the entry table; otherwise the
// translated variants run from their steps decoded ahead. Both leave the same machine.
TEST_F(TranslatedTest, DecodedStepsRunLikeTheFullDispatch) {
    synth_sound_driver_image(sound_driver_rom);
    std::vector<uint32_t> counts(0x10000);
    std::vector<m377_state> runs[2];
    for (int decoded = 0; decoded < 2; decoded++) {
        snd_profile_counts = decoded ? nullptr : counts.data();
        snd_translated_build(sound_driver_rom);
        auto mem = std::make_unique<m377_test_memory>();
        memset(mem.get(), 0, sizeof *mem);
        memcpy(mem->bytes + 0xC000, sound_driver_rom + 0xC000, 0x4000);
        mem->bytes[SYNTH_DRIVER_BUSY] = 1;
        m377_state s;
        m377_init(&s, m377_test_read, m377_test_write, mem.get());
        m377_reset(&s);
        for (int step = 0; step < 2000; step++) {
            if (step % 500 == 250) m377_raise(&s, 20);
            if (step % 700 == 10) m377_raise(&s, 16);
            m377_service(&s);
            snd_translated_program(&s);
            runs[decoded].push_back(s);
        }
        snd_profile_counts = nullptr;
        EXPECT_FALSE(s.halted);
        EXPECT_GE(s.irq_count, 4u);
    }
    uint64_t counted = 0;
    for (uint32_t n : counts) counted += n;
    EXPECT_EQ(counted, 2000u) << "every dispatch of the first run was a full one";
    for (size_t i = 0; i < runs[0].size(); i++) {
        expect_same_cpu(runs[0][i], runs[1][i], int(i));
        ASSERT_EQ(runs[0][i].cycles, runs[1][i].cycles) << i;
    }
}

TEST_F(TranslatedTest, HaltsNameTheAddressAndWidths) {
    build_walk_driver();
    snd_translated_strict = true;
    const struct {
        uint8_t pg;
        uint16_t pc;
        uint32_t mx;
        const char* text;
    } cases[] = {
        {1, 0xC030, 3, "[SND] TRANSLATED DRIVER: no translation for this address at 01C030 (M/X=3) -- sound stopped\n"},
        {0, 0xBFFF, 2, "[SND] TRANSLATED DRIVER: no translation for this address at 00BFFF (M/X=2) -- sound stopped\n"},
        {0, 0xC02F, 0, "[SND] TRANSLATED DRIVER: no translation for this address at 00C02F (M/X=0) -- sound stopped\n"},
        {0, 0xC048, 0, "[SND] TRANSLATED DRIVER: no translation for this address at 00C048 (M/X=0) -- sound stopped\n"},
        {0, 0xC051, 0, "[SND] TRANSLATED DRIVER: no translation for this M/X at 00C051 (M/X=0) -- sound stopped\n"},
        {0, 0xC072, 3, "[SND] TRANSLATED DRIVER: no translation for this M/X at 00C072 (M/X=3) -- sound stopped\n"},
    };
    for (const auto& c : cases) {
        start();
        cpu.pg = c.pg;
        cpu.pc = c.pc;
        set_mx(c.mx);
        m377_state before = cpu;
        testing::internal::CaptureStderr();
        snd_translated_program(&cpu);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.text);
        EXPECT_TRUE(cpu.halted);
        EXPECT_EQ(cpu.halt_pc, uint32_t(c.pg) << 16 | c.pc);
        EXPECT_EQ(cpu.halt_code, -1);
        EXPECT_EQ(cpu.pc, before.pc);
        EXPECT_EQ(cpu.cycles, before.cycles);
        // Nothing runs on a halted CPU; the frame run reports the halt and unloads the driver.
        testing::internal::CaptureStderr();
        mcu_run_frame();
        char line[128];
        snprintf(line, sizeof line, "[MCU] unimplemented opcode 0xFFFF at %06X -- driver halted\n", cpu.halt_pc);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), line);
        EXPECT_EQ(cpu.cycles, before.cycles);
        EXPECT_FALSE(mcu_driver_loaded());
    }
}

TEST_F(TranslatedTest, UnreachedPairsAreTranslatedOnFirstDispatchAndKept) {
    build_walk_driver();
    put(0xC048, "nop\nnop\nstp\n");
    start();
    int before = snd_translated_variant_count();
    iram(0x100) = 0x48;
    iram(0x101) = 0xC0;
    cpu.pc = 0xC045;
    set_mx(0);
    snd_translated_program(&cpu);  // jmp ($0100): through internal RAM to 0xC048
    EXPECT_EQ(cpu.pc, 0xC048);
    snd_translated_program(&cpu);
    EXPECT_FALSE(cpu.halted);
    EXPECT_EQ(cpu.pc, 0xC049);
    // The whole run from there is translated at once, and kept.
    EXPECT_EQ(snd_translated_variant_count(), before + 3);
    const snd_translated_entry* e = snd_translated_entry_at(0xC04A);
    ASSERT_NE(e->stream[0], nullptr);
    EXPECT_EQ(e->stream[0][0], 0xDB);
    snd_translated_program(&cpu);
    snd_translated_program(&cpu);
    EXPECT_TRUE(cpu.stopped);
    EXPECT_EQ(snd_translated_variant_count(), before + 3);
    // A known address in new widths: one more variant.
    cpu.pc = 0xC051;
    set_mx(0);
    snd_translated_program(&cpu);
    EXPECT_FALSE(cpu.halted);
    EXPECT_EQ(cpu.pc, 0xC054) << "cmp #$01 with a 16-bit immediate";
    EXPECT_GT(snd_translated_variant_count(), before + 3);
}

TEST_F(TranslatedTest, DispatchCostsAndThePrefix) {
    build_walk_driver();
    snd_translated_strict = true;
    const struct {
        uint16_t pc;
        uint32_t mx;
        uint64_t cycles;
        uint16_t next_pc;
        uint8_t acc_b;
    } cases[] = {
        {0xC030, 3, 2, 0xC031, 0},  // SEI
        {0xC03D, 2, 2, 0xC03E, 0},  // CLM
        {0xC041, 0, 5, 0xC045, 1},  // LDB #imm16
        {0xC033, 0, 4, 0xC036, 0},  // LDA #imm16 after it: acc_b back to 0
    };
    for (const auto& c : cases) {
        cpu.pc = c.pc;
        set_mx(c.mx);
        uint64_t before = cpu.cycles;
        snd_translated_program(&cpu);
        EXPECT_EQ(cpu.cycles - before, c.cycles) << std::hex << c.pc;
        EXPECT_EQ(cpu.pc, c.next_pc);
        EXPECT_EQ(cpu.acc_b, c.acc_b);
        EXPECT_EQ(cpu.operand_ptr, nullptr);
    }
    EXPECT_EQ(cpu.b, 0x5678);
    EXPECT_EQ(cpu.a, 0x1234);
    // BRK (a hook site's zero bytes): fetch and dispatch, pc one on.
    cpu.pc = 0xD684;
    set_mx(0);
    uint64_t before = cpu.cycles;
    testing::internal::CaptureStderr();
    snd_translated_program(&cpu);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(cpu.cycles - before, 2u);
    EXPECT_EQ(cpu.pc, 0xD685);
    EXPECT_FALSE(cpu.halted);
}

// A routine for the hook tests: handles the step at cost `hook_cost`, going on at `hook_next`.
uint64_t hook_cost;
uint16_t hook_next;
int hook_calls;
int hook_handles;

int test_routine(m377_state* s) {
    hook_calls++;
    if (!hook_handles) return 0;
    s->cycles += hook_cost;
    s->pc = hook_next;
    return 1;
}

TEST_F(TranslatedTest, HookedAddressesOfferTheStepFirst) {
    // 0xC258 (tick) has emulated code under M/X 0 and 2; here a NOP.
    put(0xC258, "nop\nstp\n");
    build_walk_driver();
    snd_translated_strict = true;
    snd_hook_site_at(0xC258)->routine = test_routine;
    hook_calls = 0;
    // Handled, also in widths without a variant: no fetch, no dispatch cycle, no halt.
    for (uint32_t mx = 0; mx < 4; mx++) {
        hook_handles = 1, hook_cost = 7, hook_next = 0xC259;
        cpu.pc = 0xC258;
        cpu.acc_b = 1;
        set_mx(mx);
        uint64_t cycles = cpu.cycles;
        uint32_t fetched = cpu.fetch_count;
        snd_translated_program(&cpu);
        EXPECT_EQ(cpu.cycles - cycles, 7u);
        EXPECT_EQ(cpu.fetch_count, fetched);
        EXPECT_EQ(cpu.pc, 0xC259);
        EXPECT_EQ(cpu.acc_b, 1) << "left as the routine left it";
        EXPECT_FALSE(cpu.halted);
    }
    EXPECT_EQ(hook_calls, 4);
    // Declined: the emulated NOP runs under M/X 0 and 2; under 1 the driver halts.
    hook_handles = 0;
    for (uint32_t mx : {0u, 2u}) {
        cpu.pc = 0xC258;
        set_mx(mx);
        uint64_t cycles = cpu.cycles;
        snd_translated_program(&cpu);
        EXPECT_EQ(cpu.cycles - cycles, 2u);
        EXPECT_EQ(cpu.pc, 0xC259);
    }
    cpu.pc = 0xC258;
    set_mx(1);
    testing::internal::CaptureStderr();
    snd_translated_program(&cpu);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[SND] TRANSLATED DRIVER: no translation for this M/X at 00C258 (M/X=1) -- sound stopped\n");
    EXPECT_EQ(cpu.halt_pc, 0xC258u);
    EXPECT_EQ(hook_calls, 7);
}

TEST_F(TranslatedTest, TimedSitesAskForAWindowAndCheckTheCost) {
    put(0xD745, "nop\nstp\n");  // slot_level, at most 40 cycles, emulated under M/X 0
    build_walk_driver();
    snd_translated_strict = true;
    snd_hook_site_at(0xD745)->routine = test_routine;
    hook_handles = 1, hook_next = 0xD746;
    struct case_t {
        uint64_t next_event, slice_end, cost;
        bool runs;  // the routine is called
        bool halts;
    } cases[] = {
        {UINT64_MAX, UINT64_MAX, 40, true, false},
        {UINT64_MAX, UINT64_MAX, 41, true, true},
        {1000 + 40, UINT64_MAX, 5, false, false},  // the window would end at the event
        {1000 + 41, UINT64_MAX, 5, true, false},
        {UINT64_MAX, 1000 + 40, 5, false, false},  // ... at the slice end
        {UINT64_MAX, 1000 + 41, 5, true, false},
    };
    for (const case_t& c : cases) {
        start();
        snd_notimed_read = true, snd_notimed = false;
        cpu.cycles = 1000;
        cpu.pc = 0xD745;
        set_mx(0);
        if (c.next_event != UINT64_MAX) {
            cpu.timer_running = 1;
            cpu.timer_deadline[0] = c.next_event;
        }
        mcu_timing.slice_end = c.slice_end;
        hook_cost = c.cost;
        hook_calls = 0;
        uint64_t denied = snd_ran[SND_WINDOW_DENIED];
        testing::internal::CaptureStderr();
        snd_translated_program(&cpu);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(hook_calls, c.runs ? 1 : 0);
        EXPECT_EQ(snd_ran[SND_WINDOW_DENIED] - denied, c.runs ? 0u : 1u);
        EXPECT_EQ(cpu.pc, 0xD746);
        EXPECT_EQ(cpu.cycles, 1000 + (c.runs ? c.cost : 2));
        EXPECT_EQ(bool(cpu.halted), c.halts);
        if (c.halts) {
            EXPECT_EQ(err, "[SND] readable routine at 00D745 cost 41 cycles, declared at most 40 -- raise "
                           "SND_ENTRY's maxcyc\n");
            EXPECT_EQ(cpu.halt_code, -2);
            EXPECT_EQ(cpu.halt_pc, 0xD745u);
        } else {
            EXPECT_EQ(err, "");
        }
    }
    // A routine that declines at a timed site gets no cost check; with SKYVOLTA_SNDNOTIMED
    // set (even empty) the routine never runs and no denial is counted.
    start();
    hook_handles = 0;
    cpu.pc = 0xD745;
    set_mx(0);
    mcu_timing.slice_end = UINT64_MAX;
    snd_translated_program(&cpu);
    EXPECT_FALSE(cpu.halted);
    EXPECT_EQ(cpu.pc, 0xD746);
    for (const char* value : {"", "0"}) {
        setenv("SKYVOLTA_SNDNOTIMED", value, 1);
        snd_notimed_read = false;
        hook_handles = 1, hook_calls = 0;
        uint64_t denied = snd_ran[SND_WINDOW_DENIED];
        cpu.pc = 0xD745;
        snd_translated_program(&cpu);
        EXPECT_EQ(hook_calls, 0);
        EXPECT_EQ(snd_ran[SND_WINDOW_DENIED], denied);
        EXPECT_EQ(cpu.pc, 0xD746);
    }
    unsetenv("SKYVOLTA_SNDNOTIMED");
    snd_notimed_read = false;
}

TEST_F(TranslatedTest, ProfileCountsEveryDispatchAndIsWrittenAtExit) {
    std::string path = testing::TempDir() + "sndxprof.txt";
    remove(path.c_str());
    // The profile is set up by the first load of the process: run it in a fresh child.
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            setenv("SKYVOLTA_SNDXPROF", path.c_str(), 1);
            build_walk_driver();
            snd_translated_strict = true;
            for (int i = 0; i < 3; i++) {
                cpu.pc = 0xC030;
                set_mx(3);
                snd_translated_program(&cpu);
            }
            cpu.pg = 1;
            cpu.pc = 0xC031;
            snd_translated_program(&cpu);  // halts, still counted at its low 16 bits
            start();                       // a second load registers nothing more
            exit(0);
        },
        testing::ExitedWithCode(0), "");
    FILE* f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char text[256] = {};
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    EXPECT_EQ(std::string(text, n), "C030 3\nC031 1\n");
    remove(path.c_str());
}

}  // namespace
