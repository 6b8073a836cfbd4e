// Stopping a track and a slot with its children, readable against emulated.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;

struct StopTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        load_structured();
    }
    // Slot 3 the one stopping (linked to itself); 5 running and 6 new, its children; 7
    // running but linked to slot 2; 8 idle with slot 3's link. Every slot's channels:
    // odd ones active, the three ways a voice stops by k (stop mode, envelope, key-off),
    // and claims of slots 3 and 7 on voices 0-7.
    void slots() {
        const struct {
            uint32_t slot, command, link;
        } table[] = {{3, 0x8000 | 0x30, 0x4006}, {5, 0x8800 | 0x31, 0x4006}, {6, 0x4800 | 0x32, 0x4006},
                     {7, 0x8800 | 0x33, 0x4004}, {8, 0x0034, 0x4006}};
        for (const auto& t : table) {
            synth_driver_slot(commsram, t.slot, t.command, t.link);
            synth_driver_track(commsram, t.slot, t.command | 0x8000, 0x0090);
            for (uint32_t k = 0; k < 8; k++) {
                uint32_t voice = (t.slot + 3 * k) & 31;
                synth_driver_channel(commsram, t.slot, k, k & 1 ? 0xFF : 0, voice, 0x7000 + 192 * voice,
                                     k % 3 == 0 ? 0x05 : 0x80);
                synth_driver_voice(commsram, voice, k % 3 == 1 ? 2 : 0, 6, 3);
            }
        }
        for (uint32_t voice = 0; voice < 8; voice++) {
            synth_driver_claim(commsram, voice, 3, 0x40 + voice, 1);
            synth_driver_claim(commsram, voice, 7, 0x20, 3);
            synth_driver_owner(commsram, voice, 0x5320);
        }
        current_slot(3);
    }
    bool stopped(uint32_t slot) { return !(comms16(DRV_SLOT_WORDS + 2 * slot) & 0x8000); }
};

TEST_F(StopTest, StopSlotChildrenStopsTheSlotAndTheSlotsLinkedToIt) {
    slots();
    registers(mx0, 0, 0);
    differential(0xD982, SND_COUNTER_STOP_SLOT, 0xD982);
    for (uint32_t slot : {3u, 5u, 6u}) {
        SCOPED_TRACE(slot);
        EXPECT_TRUE(stopped(slot));
        EXPECT_EQ(comms16(DRV_SLOT_WORDS + DRV_SLOT_LINK + 2 * slot), 0u);
        for (uint32_t k = 0; k < 8; k++) EXPECT_EQ(comms8(DRV_CHANNELS + 0x100 * slot + 32 * k + CH_STATE), 0) << k;
        for (uint32_t voice = 0; voice < 32; voice++) EXPECT_EQ(comms8(DRV_CLAIMS + 32 * voice + slot), 0) << voice;
    }
    EXPECT_FALSE(stopped(7)) << "linked to another slot";
    EXPECT_EQ(comms16(DRV_SLOT_WORDS + 2 * 8), 0x0034u) << "neither running nor new";
    EXPECT_EQ(comms8(DRV_CHANNELS + 0x700 + 32 + CH_STATE), 0xFF);
    EXPECT_EQ(comms8(DRV_CLAIMS + 7), 0x20);
    EXPECT_EQ(iram16(DRV_SLOT_WORD), 0x4006u);
    EXPECT_EQ(iram(DRV_SLOT_COUNTER), 3);
    EXPECT_EQ(iram16(DRV_CHANNEL_AREA), 0x5300u);
    // The chip: stop mode silences at once, no envelope keys off (each a low and a high byte).
    EXPECT_FALSE(recorded_chip_writes.empty());
    EXPECT_EQ(iram16(synth_sd_stub_count_address(0x010E)), 12u) << "once per released channel";
}

TEST_F(StopTest, StopTrackStopsTheCurrentSlotAndReturnsToItsCaller) {
    for (uint32_t mx : {mx0, mx2}) {
        SCOPED_TRACE(mx);
        load_structured();
        slots();
        registers(mx, 0, 0, 0xBEEF);
        cpu.dt = SYNTH_SEQUENCE_BANK;
        differential(0xE18D, SND_COUNTER_STOP_TRACK, SYNTH_SD_CALL_STOP_TRACK);
        EXPECT_TRUE(stopped(3));
        EXPECT_FALSE(stopped(5)) << "only the current slot";
        EXPECT_EQ(comms16(DRV_TRACKS + 3 * DRV_TRACK_SIZE + TRK_COMMAND), 0u);
        EXPECT_EQ(cpu.y, 0xBEEF) << "pulled";
        EXPECT_EQ(cpu.dt, 0);
        // Released: voice 3 + 3k of the odd channels; the strongest claim left (slot 7's)
        // takes the voices it claims.
        EXPECT_EQ(comms16(DRV_OWNERS + 2 * 6), 0x5000u + 0x700 + 32 * 3) << "channel 3 of slot 7";
    }
}

}  // namespace
