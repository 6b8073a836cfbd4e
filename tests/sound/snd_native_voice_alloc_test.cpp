// The voice allocator's six steps, readable against emulated.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;
constexpr uint32_t channel_5_3 = DRV_CHANNELS + 0x500 + 32 * 3;  // channel 3 of slot 5
constexpr uint32_t channel_2_6 = DRV_CHANNELS + 0x200 + 32 * 6;

struct VoiceAllocTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        load_structured();
        for (uint32_t slot : {2u, 5u})
            for (uint32_t k = 0; k < 8; k++) synth_driver_channel(commsram, slot, k, 0, 9, 0x7000 + 192 * 9, 0);
    }
};

TEST_F(VoiceAllocTest, RegisterAClaim) {
    for (uint32_t mx : {mx0, mx2}) {
        SCOPED_TRACE(mx);
        load_structured();
        synth_driver_channel(commsram, 5, 3, 0, 9, 0, 0);
        current_slot(5);
        iram(DRV_CLAIM_PRIORITY) = 0x47;
        registers(mx, 0, channel_5_3);
        if (mx) {
            declines(0xD8A0, SND_COUNTER_VOICE_ALLOC, 0xD8A0);
            continue;
        }
        differential(0xD8A0, SND_COUNTER_VOICE_ALLOC, 0xD8A0);
        EXPECT_EQ(comms8(DRV_CLAIMS + 32 * 9 + 5), 0x47);
        EXPECT_EQ(comms8(DRV_CLAIMS + DRV_CLAIM_TO_CHANNEL + 32 * 9 + 5), 3);
        EXPECT_EQ(iram(DRV_CLAIM_CHANNEL), 3);
        EXPECT_EQ(cpu.x, DRV_CLAIMS + 32 * 9);
    }
}

TEST_F(VoiceAllocTest, MakeAChannelTheOwner) {
    const struct {
        const char* what;
        uint32_t owner;
    } cases[] = {{"a free voice", 0}, {"taken from another channel", channel_2_6}, {"already its own", channel_5_3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load_structured();
        synth_driver_channel(commsram, 2, 6, 0xFF, 9, 0, 0);
        synth_driver_channel(commsram, 5, 3, c.owner == channel_5_3 ? 0xFF : 0, 9, 0, 0);
        synth_driver_owner(commsram, 9, c.owner);
        registers(mx2, 0, channel_5_3);
        board_state before = board_take();
        differential(0xD8CF, SND_COUNTER_VOICE_ALLOC, 0xD8CF);
        EXPECT_EQ(comms16(DRV_OWNERS + 2 * 9), channel_5_3);
        EXPECT_EQ(comms8(channel_5_3 + CH_STATE), 0xFF);
        EXPECT_EQ(comms8(channel_2_6 + CH_STATE), c.owner == channel_2_6 ? 0 : 0xFF);
        EXPECT_EQ(cpu.x, channel_5_3);
        EXPECT_EQ(iram16(DRV_OWNER_ENTRY), channel_5_3);
        if (c.owner == channel_5_3) {
            EXPECT_TRUE(on.comms == before.comms) << "re-owning changes nothing else";
        }
    }
    registers(mx0, 0, channel_5_3);
    declines(0xD8CF, SND_COUNTER_VOICE_ALLOC, 0xD8CF);  // needs the 8-bit accumulator
}

TEST_F(VoiceAllocTest, ClearAVoicesOwner) {
    for (uint32_t mx : {mx0, mx2}) {
        SCOPED_TRACE(mx);
        load_structured();
        synth_driver_owner(commsram, 9, channel_5_3);
        set_iram16(DRV_VOICE_NUMBER, 9);
        registers(mx, 0xFFFF, 0);
        differential(0xD8F9, SND_COUNTER_VOICE_ALLOC, 0xD8F9);
        EXPECT_EQ(comms16(DRV_OWNERS + 2 * 9), 0u);
        EXPECT_EQ(iram16(DRV_OWNER_ENTRY), DRV_OWNERS + 2 * 9);
        EXPECT_EQ(cpu.a, DRV_CLAIMS + 32 * 9);
        EXPECT_EQ(cpu.x, DRV_CLAIMS + 32 * 9);
    }
}

TEST_F(VoiceAllocTest, FindTheStrongestClaim) {
    const struct {
        const char* what;
        uint32_t voices;
        std::vector<std::pair<uint32_t, uint32_t>> claims;  // slot, priority
        uint32_t best, index;
    } cases[] = {
        {"no claims", 32, {}, 0, 0},
        {"one", 32, {{17, 0x30}}, 0x30, 17},
        {"the first of equal ones", 32, {{4, 0x50}, {9, 0x50}, {2, 0x10}}, 0x50, 4},
        {"only the first (0x4482) are scanned", 8, {{4, 0x20}, {9, 0x50}}, 0x20, 4},
        {"a count of 0 scans 256", 0, {{4, 0x20}, {200, 0x50}}, 0x50, 200},
    };
    for (uint32_t mx : {mx0, mx2})
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            load_structured();
            synth_driver_comms_byte(commsram, DRV_VOICE_COUNT, c.voices);
            for (const auto& [slot, priority] : c.claims)
                synth_driver_comms_byte(commsram, DRV_CLAIMS + 32 * 9 + slot, priority);
            set_iram16(DRV_BEST_CLAIM, 0xABCD);
            registers(mx, 0x7700, DRV_CLAIMS + 32 * 9, 0, 0x6600);
            differential(0xD912, SND_COUNTER_VOICE_ALLOC, 0xD912);
            uint32_t n = c.voices ? c.voices : 256;
            EXPECT_EQ(cpu.a, 0x7700 | c.best);
            EXPECT_EQ(cpu.b, 0x6600 | c.index);
            EXPECT_EQ(cpu.x, DRV_CLAIMS + 32 * 9 + n);
            EXPECT_EQ(iram16(DRV_BEST_CLAIM), c.best ? DRV_CLAIMS + 32 * 9 + c.index : 0xABCDu);
            EXPECT_EQ(cpu.ps & m377_flag_z, c.index ? 0 : m377_flag_z);
        }
}

TEST_F(VoiceAllocTest, GiveTheVoiceToTheStrongestClaim) {
    for (uint32_t mx : {mx0, mx2}) {
        SCOPED_TRACE(mx);
        load_structured();
        synth_driver_claim(commsram, 9, 5, 0x40, 3);
        set_iram16(DRV_BEST_CLAIM, DRV_CLAIMS + 32 * 9 + 5);
        set_iram16(DRV_OWNER_ENTRY, DRV_OWNERS + 2 * 9);
        registers(mx, 0, 0);
        differential(0xD936, SND_COUNTER_VOICE_ALLOC, 0xD936);
        EXPECT_EQ(comms16(DRV_OWNERS + 2 * 9), channel_5_3);
        EXPECT_EQ(comms8(channel_5_3 + CH_STATE), 0xFF);
        EXPECT_EQ(cpu.a, channel_5_3);
        EXPECT_EQ(cpu.x, channel_5_3);
    }
}

TEST_F(VoiceAllocTest, ResetAChannel) {
    synth_driver_channel(commsram, 5, 3, 0xFF, 9, 0x7123, 0x44);
    registers(mx2, 0, channel_5_3);
    differential(0xD95B, SND_COUNTER_VOICE_ALLOC, 0xD95B);
    for (uint32_t field = 0; field < 32; field += 2) {
        uint32_t expected = field == CH_INSTRUMENT_RECORD ? channel_5_3
                            : field == 0x10         ? comms16(channel_5_3 + 0x10) & 0xFF00
                            : field == 0x1A         ? (0x30u + 0x1A + 3) | (0x30u + 0x1B + 3) << 8  // the pattern
                                                    : 0;
        EXPECT_EQ(comms16(channel_5_3 + field), expected) << field;
    }
    EXPECT_EQ(comms8(channel_5_3 + CH_VOICE), 9) << "kept";
    registers(mx0, 0, channel_5_3);
    declines(0xD95B, SND_COUNTER_VOICE_ALLOC, 0xD95B);
}

}  // namespace
