// Pan scripts and volume envelopes, readable against emulated: the steps a script
// waits, its step reader with the loop and the emulated code's steps, the two glides;
// the envelope's steps, its hold and release.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;
constexpr uint32_t v = 3;
constexpr uint32_t voice = DRV_VOICES + DRV_VOICE_SIZE * v;
constexpr uint32_t block = DRV_CHIP + DRV_CHIP_BLOCK_SIZE * v;

constexpr uint32_t pan_script(uint32_t n, uint32_t offset) {
    return SYNTH_SD_PAN_SCRIPTS + 0x10 * (n - 1) + offset;
}

struct EnvelopesTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        load_structured();
        chip_present.store(true);
        chip_live.store(false);
        q904_reset(&q904);
        for (uint32_t i = 0; i < 0x80; i++) put_byte(voice + i, 0x11 + 3 * i);
        set_iram16(DRV_CHIP_BLOCK, block);
        set_iram16(DRV_VOICE, voice);
        iram(DRV_ATTENUATION) = 0x20;
    }
    void TearDown() override {
        chip_present.store(false);
        NativeDiffTest::TearDown();
    }
    void put_byte(uint32_t address, uint32_t value) { synth_driver_comms_byte(commsram, address, value); }
    void put_word(uint32_t address, uint32_t value) { synth_driver_comms_word(commsram, address, value); }
    uint32_t continuations() { return iram16(SYNTH_SD_CONTINUATION_COUNT); }
    uint32_t pan_calls() { return iram16(synth_sd_stub_count_address(0x012C)); }
};

// A pan step read at `read`: the glide, rate, distance and target it sets, then the
// position through the pan routine and the levels.
struct PanStep {
    const char* name;
    uint32_t read, loop;
    uint32_t routine, rate, target, distance_high, read_after;
};

TEST_F(EnvelopesTest, PanScriptStepCounterReadsTheFirstStepAtOne) {
    const PanStep cases[] = {
        {"a glide from 0x40 to 0x30", pan_script(1, 2), pan_script(1, 2), 0xED7B, synth_sd_rate(5), 0x30, 0xF0, pan_script(1, 4)},
        {"a glide with entry 256 - c", pan_script(1, 4), pan_script(1, 2), 0xED8B, synth_sd_rate(0x7B), 0x10, 0xD0,
         pan_script(1, 6)},
        {"c = 0xFF uses entry 1", pan_script(5, 6), pan_script(5, 6), 0xED8B, synth_sd_rate(1), 0x02, 0xC2,
         pan_script(5, 8)},
        {"0x84 loops, the position before the loop point", pan_script(1, 6), pan_script(1, 2), 0xED7B,
         synth_sd_rate(5), 0x30, 0x20, pan_script(1, 4)},
    };
    for (const PanStep& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        put_byte(voice + VC_PAN_STEPS, 1);
        put_word(voice + VC_PAN_READ, c.read);
        put_word(voice + VC_PAN_LOOP, c.loop);
        put_byte(voice + VC_PAN_TARGET, 0x40);
        registers(mx2, 0x1234, voice);
        uint32_t panned = pan_calls();
        differential(0xECD4, SND_COUNTER_PAN_SCRIPT, 0xECD4);
        EXPECT_EQ(pan_calls() - panned, 1u);
        EXPECT_EQ(comms16(voice + VC_PAN_VOLUME), c.routine);
        EXPECT_EQ(comms16(voice + VC_PAN_RATE), c.rate);
        EXPECT_EQ(comms8(voice + VC_PAN_TARGET), c.target);
        EXPECT_EQ(comms16(voice + VC_PAN_DISTANCE), c.distance_high << 8);
        EXPECT_EQ(comms16(voice + VC_PAN_READ), c.read_after);
        EXPECT_EQ(comms8(voice + VC_PAN_STEPS), 0u);
    }
}

TEST_F(EnvelopesTest, PanScriptContinuesEmulatedWhereItMust) {
    const struct {
        const char* name;
        uint32_t steps, read;
    } cases[] = {
        {"steps left to wait", 2, pan_script(1, 2)},
        {"0x80", 1, pan_script(5, 0)},
        {"0x81", 1, pan_script(5, 2)},
        {"0x82", 1, pan_script(5, 4)},
        {"0x83", 1, pan_script(4, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        put_byte(voice + VC_PAN_STEPS, c.steps);
        put_word(voice + VC_PAN_READ, c.read);
        registers(mx2, 0x1234, voice);
        uint32_t continued = continuations();
        declines(0xECD4, SND_COUNTER_PAN_SCRIPT, 0xECD4);
        EXPECT_EQ(continuations() - continued, 1u);
    }
}

TEST_F(EnvelopesTest, PanScriptLoopingOnItselfIsLeftToTheEmulatedCode) {
    put_byte(voice + VC_PAN_STEPS, 1);
    put_word(voice + VC_PAN_READ, pan_script(6, 2));
    put_word(voice + VC_PAN_LOOP, pan_script(6, 2));
    registers(mx2, 0x1234, voice);
    uint64_t declined = snd_declined[SND_COUNTER_PAN_SCRIPT];
    EXPECT_EQ(pan_script_ecd4(&cpu), 0);
    EXPECT_EQ(snd_declined[SND_COUNTER_PAN_SCRIPT], declined + 1);
    EXPECT_EQ(comms8(voice + VC_PAN_STEPS), 1u);  // nothing written
}

TEST_F(EnvelopesTest, PanGlidesStepOrReadTheNext) {
    const struct {
        const char* name;
        uint32_t site, distance, rate;
        bool next;  // the next step read
    } cases[] = {
        {"in: the step fits", 0xED7B, 0x2000, 0x0120, false},
        {"in: exactly the step left", 0xED7B, 0x0120, 0x0120, false},
        {"in: less than a step left", 0xED7B, 0x011F, 0x0120, true},
        {"out: still negative", 0xED8B, 0xE000, 0x0120, false},
        {"out: reaching 0x10000", 0xED8B, 0xFEE0, 0x0120, true},
        {"out: just short of it", 0xED8B, 0xFEDF, 0x0120, false},
        {"out: at 0", 0xED8B, 0x0000, 0x0120, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        put_word(voice + VC_PAN_DISTANCE, c.distance);
        put_word(voice + VC_PAN_RATE, c.rate);
        put_word(voice + VC_PAN_READ, pan_script(3, 2));
        put_byte(voice + VC_PAN_TARGET, 0x08);
        registers(mx2, 0x1234, voice);
        differential(c.site, SND_COUNTER_PAN_SCRIPT, c.site);
        if (c.next) {
            EXPECT_EQ(comms16(voice + VC_PAN_READ), pan_script(3, 4));
            EXPECT_EQ(comms8(voice + VC_PAN_TARGET), 0x18u);
        } else {
            uint32_t moved = c.site == 0xED7B ? c.distance - c.rate : c.distance + c.rate;
            EXPECT_EQ(comms16(voice + VC_PAN_DISTANCE), moved);
        }
    }
}

TEST_F(EnvelopesTest, PanRoutinesDeclineAWideAccumulator) {
    for (snd_routine routine : {pan_script_ecd4, pan_script_ed7b, pan_script_ed8b}) {
        SetUp();
        put_byte(voice + VC_PAN_STEPS, 1);
        put_word(voice + VC_PAN_READ, pan_script(1, 2));
        registers(mx0, 0x1234, voice);
        uint64_t declined = snd_declined[SND_COUNTER_PAN_SCRIPT];
        EXPECT_EQ(routine(&cpu), 0);
        EXPECT_EQ(snd_declined[SND_COUNTER_PAN_SCRIPT], declined + 1);
    }
}

}  // namespace
