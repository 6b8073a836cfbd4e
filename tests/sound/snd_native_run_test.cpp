// The structured driver run frame by frame with the game's commands, its routines
// readable and emulated, and the routines from random states.
#include "tests/sound/snd_native_diff.h"

#include <random>

namespace {

// The hook sites of the routines here and the counters they run on.
constexpr struct {
    uint32_t address;
    int counter;
} routine_sites[] = {
    {0xC12B, SND_COUNTER_IDLE_WAIT},   {0xC258, SND_COUNTER_TICK},        {0xD684, SND_COUNTER_TICK_BODY},
    {0xD6E3, SND_COUNTER_MAILBOX},     {0xD745, SND_COUNTER_SLOT_LEVEL},  {0xD788, SND_COUNTER_NEW_COMMAND},
    {0xD8A0, SND_COUNTER_VOICE_ALLOC}, {0xD8CF, SND_COUNTER_VOICE_ALLOC}, {0xD8F9, SND_COUNTER_VOICE_ALLOC},
    {0xD912, SND_COUNTER_VOICE_ALLOC}, {0xD936, SND_COUNTER_VOICE_ALLOC}, {0xD95B, SND_COUNTER_VOICE_ALLOC},
    {0xD982, SND_COUNTER_STOP_SLOT},   {0xE18D, SND_COUNTER_STOP_TRACK},  {0xD9D0, SND_COUNTER_SEQUENCER},
    {0xDB5C, SND_COUNTER_SEQ_COMMANDS}, {0xDBF0, SND_COUNTER_SEQ_COMMANDS}, {0xE185, SND_COUNTER_SEQ_COMMANDS},
};

struct DriverRunTest : NativeDiffTest {
    // The game's side of one frame: plays, replays and stops in the command slots.
    static void game_commands(int frame) {
        auto play = [](uint32_t slot, uint32_t number) {
            synth_driver_comms_word(commsram, DRV_SLOT_WORDS + 2 * slot, DRV_CMD_NEW | number);
        };
        if (frame == 5)
            for (uint32_t slot = 0; slot < 8; slot++) play(slot, 0x10 + 9 * slot + (slot == 2 ? 0x400 : 0));
        if (frame % 20 == 10) play(uint32_t(frame / 20 * 5) & 31, uint32_t(frame * 7) & 0x7FF);
        if (frame == 60 || frame == 200) play(2, 0x41B);  // a replay: the slot and its child restart
        if (frame == 100 || frame == 230) {                // the game stops slot 1
            uint32_t word = synth_driver_comms_read16(commsram, DRV_SLOT_WORDS + 2);
            synth_driver_comms_word(commsram, DRV_SLOT_WORDS + 2, word & 0x7FFF);
        }
    }
    // 300 frames through mcu_run_frame with the routines on or off; the chip writes.
    std::vector<chip_bus_write> run_frames(bool routines_on) {
        memset(commsram, 0, sizeof commsram);
        synth_structured_driver_image(sound_driver_rom);
        start();
        mcu_timing.int0_phase = 2000;  // the tick early in each frame, the game's commands before it
        cpu.bus_write = recording_bus_write;
        recorded_chip_writes.clear();
        synth_driver_shared_bytes(commsram, 32, 32);
        for (const auto& site : routine_sites) hook(site.address, routines_on);
        for (int frame = 0; frame < 300 && !cpu.halted; frame++) {
            game_commands(frame);
            mcu_run_frame();
        }
        EXPECT_TRUE(mcu_driver_loaded());
        return recorded_chip_writes;
    }
};

TEST_F(DriverRunTest, ThreeHundredFramesWriteTheChipAsTheEmulatedDriverDoes) {
    std::vector<chip_bus_write> emulated = run_frames(false);
    uint64_t ran[SND_COUNTER_COUNT];
    memcpy(ran, snd_ran, sizeof ran);
    std::vector<chip_bus_write> readable = run_frames(true);
    for (const auto& site : routine_sites)
        EXPECT_GT(snd_ran[site.counter], ran[site.counter]) << snd_hook_site_at(site.address)->routine_name;
    EXPECT_GT(emulated.size(), 100u);
    EXPECT_TRUE(readable == emulated) << readable.size() << " chip writes readable, " << emulated.size() << " emulated";
    EXPECT_GT(iram16(SYNTH_SD_PAIR_COUNT) + iram16(synth_sd_stub_count_address(0x0126)), 290u);
}

// Random internal RAM, slot tables and counts; pointers the driver follows stay in the
// shared RAM, the stack and the vectors stay the driver's.
struct random_state {
    std::mt19937 rng;
    uint32_t next(uint32_t n) { return uint32_t(rng() % n); }
    uint32_t shared_address() { return 0x4000 + next(0x7F00); }
    void fill(NativeDiffTest* t) {
        for (uint32_t a = 0xC0; a < 0x100; a++) t->iram(a) = uint8_t(rng());
        for (uint32_t a : {DRV_OWNER_ENTRY, DRV_BEST_CLAIM, DRV_STOP_OWNER, DRV_CHANNEL_AREA, DRV_TRACK, DRV_SLOT_WORD})
            t->set_iram16(a, shared_address());
        synth_driver_comms_byte(commsram, DRV_VOICE_COUNT, next(3) ? next(40) : 0);
        synth_driver_comms_byte(commsram, DRV_SLOT_COUNT, next(3) ? next(40) : 0);
        for (uint32_t slot = 0; slot < 32; slot++) {
            synth_driver_slot(commsram, slot, rng() & 0xCFFF, next(2) ? DRV_SLOT_WORDS + 2 * next(32) : 0);
            synth_driver_track(commsram, slot, rng() & 0xFFFF, rng() & 0xFFFF);
            for (uint32_t k = 0; k < 8; k++)
                synth_driver_channel(commsram, slot, k, next(2) ? 0xFF : 0, next(32), shared_address(), rng());
        }
        for (uint32_t voice = 0; voice < 32; voice++) {
            synth_driver_voice(commsram, voice, next(2), rng(), rng());
            synth_driver_owner(commsram, voice, next(2) ? DRV_CHANNELS + 32 * next(256) : 0);
            for (uint32_t slot = 0; slot < 32; slot++) synth_driver_claim(commsram, voice, slot, rng(), next(8));
        }
    }
};

TEST_F(DriverRunTest, RoutinesFromRandomStatesEndAsTheEmulatedDriverDoes) {
    const struct {
        uint32_t hook, entry, mx;
        int counter;
    } runs[] = {
        {0xD6E3, 0xD6E3, m377_mx_m, SND_COUNTER_MAILBOX},  {0xD788, 0xD788, 0, SND_COUNTER_NEW_COMMAND},
        {0xD982, 0xD982, 0, SND_COUNTER_STOP_SLOT},
        {0xE18D, SYNTH_SD_CALL_STOP_TRACK, 0, SND_COUNTER_STOP_TRACK},
        {0xD8A0, 0xD8A0, 0, SND_COUNTER_VOICE_ALLOC},      {0xD8CF, 0xD8CF, m377_mx_m, SND_COUNTER_VOICE_ALLOC},
        {0xD8F9, 0xD8F9, 0, SND_COUNTER_VOICE_ALLOC},      {0xD912, 0xD912, m377_mx_m, SND_COUNTER_VOICE_ALLOC},
        {0xD936, 0xD936, m377_mx_m, SND_COUNTER_VOICE_ALLOC}, {0xD95B, 0xD95B, m377_mx_m, SND_COUNTER_VOICE_ALLOC},
    };
    random_state r{std::mt19937(1234)};
    snd_call_max_steps = 2000000;
    for (int round = 0; round < 8; round++)
        for (const auto& run : runs) {
            SCOPED_TRACE(testing::Message() << "round " << round << " routine " << std::hex << run.hook);
            load_structured();
            r.fill(this);
            registers(run.mx, uint16_t(r.rng()), DRV_CHANNELS + 32 * r.next(256), uint16_t(r.rng()), uint16_t(r.rng()));
            if (run.hook == 0xD912) cpu.x = uint16_t(DRV_CLAIMS + 32 * r.next(32));
            cpu.ps |= uint16_t(r.rng() & (m377_flag_c | m377_flag_z | m377_flag_v | m377_flag_n));
            differential(run.hook, run.counter, run.entry);
            if (HasFailure()) return;
        }
}

}  // namespace
