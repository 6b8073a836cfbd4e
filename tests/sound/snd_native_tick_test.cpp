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
            for (uint32_t k = 0; k < 8; k++) synth_driver_channel(commsram, slot, k, k & 1 ? 0xFF : 0, (slot * 8 + k) & 31, 0x7000 + 192 * k, k & 2);
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

}  // namespace
