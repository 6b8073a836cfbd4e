// The differential harness of the readable routines: the structured synthetic driver
// on the board, a start state saved whole, and one run of a driver entry from it with a
// routine's hook on and one with it off, compared at the exit: all registers, internal
// RAM but the dead stack below S, the shared RAM, the chip shadow and the ordered chip
// writes (not cycles: an untimed routine counts only its bus accesses).
#pragma once
#include "sound/chip_ring.h"
#include "sound/m37702_bus.h"
#include "sound/snd_driver_ram.h"
#include "sound/snd_native_routines.h"
#include "tests/sound/sound_board_fixture.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/synth_structured_driver.h"

#include <cstdio>
#include <vector>

struct chip_bus_write {
    uint32_t address;
    uint8_t value;
    bool operator==(const chip_bus_write&) const = default;
};

// Every write the CPU makes into the chip window, in order, then the board's write.
inline std::vector<chip_bus_write> recorded_chip_writes;
inline void recording_bus_write(void* user, uint32_t address, uint8_t value) {
    if ((address & 0xFFFFFF) - 0x2000 < 0x1000) recorded_chip_writes.push_back({address & 0xFFFFFF, value});
    mcu_bus_write(user, address, value);
}

struct board_state {
    m377_state cpu;
    mcu_timing_state timing;
    std::vector<uint8_t> iram, comms, shadow;
    std::vector<chip_bus_write> writes;
    q904_chip chip;  // the chip's registers as reads return them
    chip_clock_state clock;
};

inline board_state board_take() {
    return {mcu_cpu,
            mcu_timing,
            std::vector<uint8_t>(mcu_iram, mcu_iram + MCU_IRAM_SIZE),
            std::vector<uint8_t>(commsram, commsram + sizeof commsram),
            std::vector<uint8_t>(chip_shadow, chip_shadow + sizeof chip_shadow),
            recorded_chip_writes,
            q904,
            chip_clock};
}

inline void board_restore(const board_state& b) {
    mcu_cpu = b.cpu;
    mcu_timing = b.timing;
    memcpy(mcu_iram, b.iram.data(), MCU_IRAM_SIZE);
    memcpy(commsram, b.comms.data(), sizeof commsram);
    memcpy(chip_shadow, b.shadow.data(), sizeof chip_shadow);
    recorded_chip_writes = b.writes;
    q904 = b.chip;
    chip_clock = b.clock;
}

// Bytes below S that a run may have written as stack (pushes of the emulated driver and
// of the driver calls differ there).
constexpr uint32_t DEAD_STACK_BYTES = 0x60;

struct NativeDiffTest : SoundBoardTest {
    // The structured driver started over a cleared shared RAM and idle at 0xC12B with
    // its vectors set, those of the voice chain back at their counting stubs (a routine
    // runs alone); no timer, interrupt or frame interrupt falls due during a run; the
    // shared bytes written.
    void load_structured() {
        memset(commsram, 0, sizeof commsram);
        synth_structured_driver_image(sound_driver_rom);
        start();
        for (int i = 0; i < 1000 && pc24() != 0xC12B; i++) snd_translated_program(&cpu);
        ASSERT_EQ(pc24(), 0xC12Bu);
        synth_sd_stub_voice_vectors(mcu_iram);
        cpu.irq_pending = 0;
        cpu.timer_running = 0;
        cpu.sfr[0x40] = 0;
        mcu_timing.int0_phase = mcu_timing.int2_phase = UINT64_MAX / 2;
        cpu.bus_write = recording_bus_write;
        recorded_chip_writes.clear();
        synth_driver_shared_bytes(commsram, 32, 32);
        cpu.s = 0x01F1;
        cpu.dpr = 0;
        cpu.dt = 0;
    }
    // A byte and a big-endian word of the shared RAM at a driver address.
    void put_byte(uint32_t address, uint32_t value) { synth_driver_comms_byte(commsram, address, value); }
    void put_word(uint32_t address, uint32_t value) { synth_driver_comms_word(commsram, address, value); }
    // The driver loaded (load_structured) with the chip present but not playing, so that
    // its registers read back and nothing sounds between accesses, and `voice` the
    // current voice (chip block `block`) with a byte pattern in its record.
    void voice_with_chip(uint32_t voice, uint32_t block) {
        load_structured();
        chip_present.store(true);
        chip_live.store(false);
        q904_reset(&q904);
        for (uint32_t i = 0; i < 0x80; i++) put_byte(voice + i, 0x11 + 3 * i);
        set_iram16(DRV_CHIP_BLOCK, block);
        set_iram16(DRV_VOICE, voice);
    }
    // Registers as a driver caller leaves them for an entry in M/X state mx.
    void registers(uint32_t mx, uint16_t a, uint16_t x, uint16_t y = 0x1234, uint16_t b = 0x5678) {
        cpu.ps = uint16_t(0x0100 | mx << 4);
        cpu.a = a;
        cpu.x = x;
        cpu.y = y;
        cpu.b = b;
    }

    // A driver subroutine call of `entry` (0: a clean return) or, for an interrupt
    // service routine, an interrupt frame returning to 0 run to its RTI.
    int run_entry(uint32_t entry, bool interrupt) {
        if (!interrupt) return snd_call_driver(&cpu, entry);
        m377_push8(&cpu, 0);
        m377_push16(&cpu, 0);
        m377_push16(&cpu, cpu.ps);
        cpu.pg = 0;
        cpu.pc = uint16_t(entry);
        cpu.ps = uint16_t((cpu.ps & ~(m377_flag_d | m377_ipl_mask)) | m377_flag_i | 5 << 8);
        for (int steps = 0; steps < 5000000 && pc24() != 0 && !cpu.halted; steps++) snd_translated_program(&cpu);
        return pc24() == 0 ? 0 : 1;
    }

    board_state on, off;
    int on_result = -1, off_result = -1;

    // Runs `entry` from the present state with the routine at `hook` off, then on;
    // leaves the board as the run with it on ended.
    void run_off_and_on(uint32_t hook_address, uint32_t entry, bool interrupt) {
        board_state begin = board_take();
        hook(hook_address, false);
        off_result = run_entry(entry, interrupt);
        off = board_take();
        board_restore(begin);
        hook(hook_address, true);
        on_result = run_entry(entry, interrupt);
        on = board_take();
        hook(hook_address, false);
    }
    // The two ends must match, and the run with the routine on must count a run at
    // `counter` (a declining routine would match too).
    void differential(uint32_t hook_address, int counter, uint32_t entry, bool interrupt = false) {
        uint64_t ran = snd_ran[counter];
        run_off_and_on(hook_address, entry, interrupt);
        EXPECT_GT(snd_ran[counter], ran) << "the routine at " << std::hex << hook_address << " did not run";
        expect_same_end();
    }
    // For a state the routine declines: the same end, a decline counted and no run.
    void declines(uint32_t hook_address, int counter, uint32_t entry, bool interrupt = false) {
        uint64_t ran = snd_ran[counter], declined = snd_declined[counter];
        run_off_and_on(hook_address, entry, interrupt);
        EXPECT_EQ(snd_ran[counter], ran);
        EXPECT_GT(snd_declined[counter], declined);
        expect_same_end();
    }
    // The current slot's direct-page variables: slot counter, channel area, track and
    // command-word address.
    void current_slot(uint32_t slot) {
        iram(DRV_SLOT_COUNTER) = uint8_t(slot);
        set_iram16(DRV_CHANNEL_AREA, DRV_CHANNELS + DRV_CHANNEL_AREA_SIZE * slot);
        set_iram16(DRV_TRACK, DRV_TRACKS + DRV_TRACK_SIZE * slot);
        set_iram16(DRV_SLOT_WORD, DRV_SLOT_WORDS + 2 * slot);
    }
    void set_iram16(uint32_t address, uint32_t value) {
        iram(address) = uint8_t(value);
        iram(address + 1) = uint8_t(value >> 8);
    }

    void expect_same_end() {
        EXPECT_EQ(on_result, 0);
        EXPECT_EQ(off_result, 0);
        expect_same_state();
    }
    // The two ends' machine states equal, however the runs ended.
    void expect_same_state() {
        const m377_state &a = on.cpu, &b = off.cpu;
        EXPECT_EQ(a.a, b.a);
        EXPECT_EQ(a.b, b.b);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.s, b.s);
        EXPECT_EQ(a.pc, b.pc);
        EXPECT_EQ(a.pg, b.pg);
        EXPECT_EQ(a.dpr, b.dpr);
        EXPECT_EQ(a.dt, b.dt);
        EXPECT_EQ(a.ps, b.ps);
        EXPECT_EQ(a.halted, b.halted);
        for (uint32_t i = 0; i < MCU_IRAM_SIZE; i++) {
            uint32_t address = MCU_IRAM_FIRST + i;
            if (address <= a.s && address + DEAD_STACK_BYTES > a.s) continue;
            if (on.iram[i] != off.iram[i])
                ADD_FAILURE() << "internal RAM " << std::hex << address << ": " << int(on.iram[i]) << " on, "
                              << int(off.iram[i]) << " off";
        }
        for (uint32_t i = 0; i < on.comms.size(); i++)
            if (on.comms[i] != off.comms[i])
                ADD_FAILURE() << "shared RAM " << std::hex << (0x4000 + (i ^ 1)) << ": " << int(on.comms[i])
                              << " on, " << int(off.comms[i]) << " off";
        EXPECT_TRUE(on.shadow == off.shadow);
        EXPECT_TRUE(on.writes == off.writes) << on.writes.size() << " chip writes on, " << off.writes.size() << " off";
    }
    uint32_t comms16(uint32_t address) const { return synth_driver_comms_read16(commsram, address); }
    uint32_t comms8(uint32_t address) const { return commsram[(address - 0x4000) ^ 1]; }
};
