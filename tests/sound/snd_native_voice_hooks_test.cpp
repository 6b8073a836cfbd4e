// The jumps through a voice record's routine words, readable against emulated.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t voice = 0x7000 + 192 * 2;
constexpr uint32_t returns = 0xDA2E;  // a stub of the structured driver that counts and returns

struct VoiceHookTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        load_structured();
    }
};

TEST_F(VoiceHookTest, EachHookJumpsThroughItsWordOfTheVoice) {
    const struct {
        uint32_t hook, field;
        int counter;
    } cases[] = {{0xEF45, 0x5C, SND_COUNTER_HOOK_FX1}, {0xE9D6, 0x5A, SND_COUNTER_HOOK_FX4},
                 {0xECAA, 0x60, SND_COUNTER_HOOK_VOLUME}};
    for (const auto& c : cases) {
        for (uint32_t mx : {0u, uint32_t(m377_mx_m), uint32_t(m377_mx_x)}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.hook << " mx " << mx);
            load_structured();
            for (uint32_t field : {0x5Au, 0x5Cu, 0x60u}) synth_driver_comms_word(commsram, voice + field, 0xE000 + field);
            synth_driver_comms_word(commsram, voice + c.field, returns);
            registers(mx, 0x1111, voice);
            if (mx == m377_mx_x) {
                // An 8-bit index is left to the emulated jump.
                uint64_t declined = snd_declined[c.counter];
                hook(c.hook, true);
                EXPECT_EQ(snd_hook_site_at(c.hook)->routine(&cpu), 0);
                hook(c.hook, false);
                EXPECT_EQ(snd_declined[c.counter], declined + 1);
                continue;
            }
            differential(c.hook, c.counter, c.hook);
            EXPECT_EQ(iram16(SYNTH_SD_CONTINUATION_COUNT), 1u) << "through the voice's word";
        }
    }
}

}  // namespace
