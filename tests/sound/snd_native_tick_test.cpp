// The driver's top level, readable against emulated on the structured driver: the tick
// and its body, the mailbox, new commands, the slot level, and the idle loop.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;

struct TopLevelTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        load_structured();
    }
    // Slots of every kind: 0 new, 1 running with a live track, 2 running with a dead
    // track, 3 idle, 4 a child of 1 (running, live), 5 new child of 1.
    void mixed_slots() {
        synth_driver_slot(commsram, 0, 0x4000 | 0x105, 0);
        synth_driver_track(commsram, 0, 0x8003, 0x0090);
        synth_driver_slot(commsram, 1, 0x8000 | 0x402, 0x4002);
        synth_driver_track(commsram, 1, 0x8402, 0x0091);
        synth_driver_slot(commsram, 2, 0x8000 | 0x009, 0x4004);
        synth_driver_track(commsram, 2, 0x0009, 0x0092);
        synth_driver_slot(commsram, 3, 0, 0);
        synth_driver_slot(commsram, 4, 0x8800 | 0x011, 0x4002);
        synth_driver_track(commsram, 4, 0x8811, 0x0093);
        synth_driver_slot(commsram, 5, 0x4800 | 0x012, 0x4002);
        for (uint32_t slot = 0; slot < 6; slot++)
            for (uint32_t k = 0; k < 8; k++)
                synth_driver_channel(commsram, slot, k, k & 1 ? 0xFF : 0, (slot * 8 + k) & 31, 0x7000 + 192 * k, k & 2);
    }
};

TEST_F(TopLevelTest, MailboxWalksNewRunningAndIdleSlots) {
    for (uint32_t count : {3u, 32u, 0u}) {
        SCOPED_TRACE(count);
        load_structured();
        synth_driver_comms_byte(commsram, DRV_SLOT_COUNT, count);
        mixed_slots();
        registers(mx2, 0xAAAA, 0x5555);
        differential(0xD6E3, SND_COUNTER_MAILBOX, 0xD6E3);
        EXPECT_EQ(iram(DRV_SLOT_COUNTER), count) << "the walk ends when the counter equals the count";
        EXPECT_EQ(comms16(0x4000) & 0xC000, 0x8000u) << "the new command started";
        EXPECT_EQ(comms16(0x4500 + TRK_COMMAND), 0x8105u);
        EXPECT_EQ(iram16(synth_sd_stub_count_address(0x0126)), 1u) << "once after all slots";
    }
}

TEST_F(TopLevelTest, TickServesTheDriverInsideItsInterruptFrame) {
    mixed_slots();
    set_iram16(DRV_TIME, 0xFFE0);
    registers(mx2, 0x1111, 0x2222, 0x3333, 0x4444);
    cpu.dpr = 0x0040;
    cpu.dt = 0x21;
    differential(0xC258, SND_COUNTER_TICK, 0xC258, true);
    EXPECT_EQ(iram16(DRV_TIME), 0x0020u) << "driver time wraps at 16 bits";
    EXPECT_EQ(iram(DRV_BUSY), 0);
    EXPECT_EQ(cpu.a, 0x1111);
    EXPECT_EQ(cpu.dpr, 0x0040);
    EXPECT_EQ(cpu.dt, 0x21);
    EXPECT_EQ(cpu.ps & 0xFF, 0x20) << "the interrupted status";
}

TEST_F(TopLevelTest, TickBodyRunsTheMainWorkOncePerTick) {
    const struct {
        bool pair_equal;
        uint32_t id2, id3;
    } cases[] = {{true, 0, 0}, {false, 0xAA, 0x98}, {true, 0xAB, 0x99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pair_equal);
        load_structured();
        mixed_slots();
        synth_driver_id_bytes(sound_driver_rom, uint8_t(c.id2), uint8_t(c.id3));
        if (!c.pair_equal) synth_driver_comms_byte(commsram, DRV_PAIR_SECOND, 0x22);
        set_iram16(DRV_TIME, 0x1000);
        registers(mx0, 0, 0);
        differential(0xD684, SND_COUNTER_TICK_BODY, 0xD684);
        EXPECT_EQ(iram16(DRV_TIME), 0x1040u);
        EXPECT_EQ(iram(DRV_BUSY), 0);
        EXPECT_EQ(iram(DRV_PAN_MASK), 0x0F);
        EXPECT_EQ(iram16(DRV_SAVED_S), 0x01EFu);
        EXPECT_EQ(iram16(SYNTH_SD_PAIR_COUNT), c.pair_equal ? 0u : 1u);
        EXPECT_EQ(comms16(0x4000) & 0xC000, 0x8000u) << "the main work walked the mailbox";
    }
}

TEST_F(TopLevelTest, TickBodyWhileBusyOnlyAdvancesTime) {
    mixed_slots();
    iram(DRV_BUSY) = 3;
    set_iram16(DRV_TIME, 0x7FF0);
    synth_driver_comms_byte(commsram, DRV_QUIET_BYTE, 0x5A);  // no decline while busy
    registers(mx0, 0x1234, 0);
    board_state before = board_take();
    differential(0xD684, SND_COUNTER_TICK_BODY, 0xD684);
    EXPECT_EQ(iram16(DRV_TIME), 0x8030u);
    EXPECT_EQ(cpu.a, 0x8003) << "the time's high byte, the busy byte";
    EXPECT_EQ(cpu.ps & (m377_flag_m | m377_flag_v | m377_flag_n | m377_flag_z), m377_flag_m | m377_flag_v);
    for (uint32_t i = 0; i < MCU_IRAM_SIZE; i++) {
        uint32_t address = MCU_IRAM_FIRST + i;
        if (address == DRV_TIME || address == DRV_TIME + 1 || (address <= cpu.s && address + DEAD_STACK_BYTES > cpu.s))
            continue;
        EXPECT_EQ(mcu_iram[i], before.iram[i]) << std::hex << address;
    }
    EXPECT_TRUE(on.comms == before.comms);
}

TEST_F(TopLevelTest, TickBodyLeavesTheCasesItWasNotWrittenFor) {
    const struct {
        const char* what;
        uint32_t quiet, id2, id3;
        uint16_t s;
    } cases[] = {
        {"quiet byte", 0x5A, 0, 0, 0x01F1},
        {"identification bytes", 0, 0xAA, 0x99, 0x01F1},
        {"even S", 0, 0, 0, 0x01F0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load_structured();
        mixed_slots();
        synth_driver_comms_byte(commsram, DRV_QUIET_BYTE, c.quiet);
        synth_driver_id_bytes(sound_driver_rom, uint8_t(c.id2), uint8_t(c.id3));
        cpu.s = c.s;
        registers(mx0, 0, 0);
        declines(0xD684, SND_COUNTER_TICK_BODY, 0xD684);
    }
}

TEST_F(TopLevelTest, NewCommandPointsTheTrackAtItsSequence) {
    const struct {
        const char* what;
        uint32_t command, link, track_command;
        uint32_t link_after;
    } cases[] = {
        {"started by the game", 0x4000 | 0x123, 0, 0x0003, 0x4006},
        {"a child keeps its starter's link", 0x4800 | 0x7FF, 0x4010, 0x0003, 0x4010},
        {"a live track is stopped with its children first", 0x4000 | 0x044, 0x4006, 0x8044, 0x4006},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load_structured();
        mixed_slots();
        synth_driver_slot(commsram, 3, c.command, c.link);
        synth_driver_track(commsram, 3, c.track_command, 0x0094);
        synth_driver_slot(commsram, 9, 0x8800 | 0x015, 0x4006);  // a child of slot 3
        for (uint32_t k = 0; k < 8; k++) synth_driver_channel(commsram, 3, k, 0xFF, k, 0x7000 + 192 * k, 0);
        current_slot(3);
        set_iram16(DRV_TIME, 0x2340);
        registers(mx0, 0, 0);
        differential(0xD788, SND_COUNTER_NEW_COMMAND, 0xD788);
        uint32_t number = c.command & DRV_CMD_NUMBER, sequence = SYNTH_SEQUENCE_BASE + 16 * number;
        uint32_t track = DRV_TRACKS + 3 * DRV_TRACK_SIZE;
        EXPECT_EQ(comms16(0x4006), (c.command & 0x3FFF) | 0x8000);
        EXPECT_EQ(comms16(0x4046), c.link_after);
        EXPECT_EQ(comms16(track + TRK_COMMAND), (c.command & 0x3FFF) | 0x8000);
        EXPECT_EQ(comms16(track + TRK_SEQUENCE), sequence & 0xFFFF);
        EXPECT_EQ(comms8(track + TRK_BANK), SYNTH_SEQUENCE_BANK);
        EXPECT_EQ(comms16(track + TRK_TIME), 0x2340u);
        for (uint32_t field : TRK_CLEARED_AT_START) EXPECT_EQ(comms16(track + field), 0u) << field;
        for (uint32_t k = 0; k < 8; k++) EXPECT_EQ(comms8(0x5300 + 32 * k + CH_STATE), 0) << k;
        EXPECT_EQ(iram16(DRV_SCRATCH), number);
        bool restarted = c.track_command & 0x8000;
        EXPECT_EQ(comms16(0x4012) & 0x8000, restarted ? 0u : 0x8000u) << "the child stops with its starter";
    }
}

TEST_F(TopLevelTest, SlotLevelLoadsTheLevelByteAtItsDeclaredCharge) {
    synth_driver_track(commsram, 2, 0x8002, 0x1234);
    cpu.dt = SYNTH_SEQUENCE_BANK;
    sound_driver_rom[0x21234] = 0x9C;  // bank 0x22, 0x1234
    registers(mx0, 0, 0x45A0);
    uint64_t cycles = cpu.cycles;
    uint32_t fetched = cpu.fetch_count;
    differential(0xD745, SND_COUNTER_SLOT_LEVEL, 0xD745);
    EXPECT_EQ(comms8(0x45A0 + TRK_LEVEL), 0x9C);
    EXPECT_EQ(cpu.a, 0x009C);
    EXPECT_EQ(cpu.ps & (m377_flag_n | m377_flag_z), m377_flag_n);
    // The call's two pushes, the routine's six bus accesses (two for the level source, the
    // level, its store, two for the return) and 24 cycles of its own; 14 program bytes.
    EXPECT_EQ(cpu.cycles - cycles, 2u + 6 + 24);
    EXPECT_EQ(cpu.fetch_count - fetched, 14u);
    for (uint32_t bits : {0x1000u, 0x2000u}) {
        SCOPED_TRACE(bits);
        synth_driver_track(commsram, 2, 0x8002 | bits, 0x1234);
        declines(0xD745, SND_COUNTER_SLOT_LEVEL, 0xD745);
    }
}

TEST_F(TopLevelTest, IdleWaitSkipsToTheNextEventOrTheSliceEnd) {
    const uint64_t none = UINT64_MAX;
    const struct {
        uint64_t next_event, slice_end, expected;
    } cases[] = {
        {5000, 9000, 5000}, {none, 9000, 9000}, {7000, 6000, 6000}, {1000, 9000, 1009}, {none, none, 1009},
    };
    hook(0xC12B, true);
    for (const auto& c : cases) {
        cpu.cycles = 1000;
        cpu.pc = 0xC12B;
        cpu.a = 0x12FF;
        cpu.ps = m377_flag_m | m377_flag_n | m377_flag_c;
        cpu.timer_running = c.next_event == none ? 0 : 1;
        cpu.timer_deadline[0] = c.next_event;
        mcu_timing.slice_end = c.slice_end;
        uint64_t ran = snd_ran[SND_COUNTER_IDLE_WAIT];
        snd_translated_program(&cpu);
        EXPECT_EQ(cpu.cycles, c.expected) << c.next_event << " " << c.slice_end;
        EXPECT_EQ(cpu.a, 0x1200);
        EXPECT_EQ(cpu.ps, m377_flag_m | m377_flag_z | m377_flag_c);
        EXPECT_EQ(pc24(), 0xC12Bu);
        EXPECT_EQ(snd_ran[SND_COUNTER_IDLE_WAIT], ran + 1);
    }
    // Declines: a 16-bit accumulator, a non-zero flag (the emulated LDA runs).
    for (bool flag_set : {false, true}) {
        cpu.cycles = 1000;
        cpu.pc = 0xC12B;
        cpu.ps = flag_set ? m377_flag_m : 0;
        iram(DRV_IDLE_FLAG) = flag_set;
        uint64_t declined = snd_declined[SND_COUNTER_IDLE_WAIT];
        snd_translated_program(&cpu);
        EXPECT_EQ(snd_declined[SND_COUNTER_IDLE_WAIT], declined + 1);
        EXPECT_EQ(cpu.cycles, flag_set ? 1000u + 4 : 1000u + 5) << "LDA dp at the accumulator's width";
    }
}

TEST_F(TopLevelTest, ASixteenBitRoutineDeclinesUnderAnEightBitAccumulator) {
    current_slot(0);
    registers(mx2, 0, 0);
    hook(0xD788, true);
    snd_translated_strict = true;
    uint64_t declined = snd_declined[SND_COUNTER_NEW_COMMAND];
    testing::internal::CaptureStderr();
    EXPECT_EQ(snd_call_driver(&cpu, 0xD788), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(snd_declined[SND_COUNTER_NEW_COMMAND], declined + 1);
    EXPECT_EQ(err, "[SND] TRANSLATED DRIVER: no translation for this M/X at 00D788 (M/X=2) -- sound stopped\n");
    EXPECT_TRUE(cpu.halted);
}

}  // namespace
