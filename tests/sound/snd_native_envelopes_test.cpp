// Pan scripts and volume envelopes, readable against emulated: the steps a script
// waits, its step reader with the loop and the emulated code's steps, the two glides;
// the envelope's steps, its hold and release.
#include "tests/sound/snd_native_diff.h"

#include <random>

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;
constexpr uint32_t v = 3;
constexpr uint32_t voice = DRV_VOICES + DRV_VOICE_SIZE * v;
constexpr uint32_t block = DRV_CHIP + DRV_CHIP_BLOCK_SIZE * v;

constexpr uint32_t envelope(uint32_t e, uint32_t offset) {
    return SYNTH_SD_ENVELOPES + 0x10 * (e - 1) + offset;
}

constexpr uint32_t pan_script(uint32_t n, uint32_t offset) {
    return SYNTH_SD_PAN_SCRIPTS + 0x10 * (n - 1) + offset;
}

struct EnvelopesTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        voice_with_chip(voice, block);
        iram(DRV_ATTENUATION) = 0x20;
    }
    void TearDown() override {
        chip_present.store(false);
        NativeDiffTest::TearDown();
    }
    uint32_t continuations() { return iram16(SYNTH_SD_CONTINUATION_COUNT); }
    uint32_t pan_calls() { return iram16(synth_sd_stub_count_address(0x012C)); }
    void chip(uint32_t r, uint32_t value) { q904_write(&q904, v * 8 + r / 2, value, 0xFFFF); }
    uint32_t chip_read16(uint32_t r) { return q904_read(&q904, v * 8 + r / 2); }
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

// The envelope's state before a step: level word, rate, target, release counter and
// read address; what it leaves: level word, routine, rate, target, read address, live.
struct EnvelopeCase {
    const char* name;
    uint32_t site;
    uint32_t level, rate, target, release, read;
    uint32_t level_after, routine, rate_after, target_after, read_after, live, release_after;
};

constexpr uint32_t keep = 0xFFFFFFFF;  // a field the case leaves as it was

TEST_F(EnvelopesTest, EnvelopeStepsHoldAndRelease) {
    const uint32_t e1 = envelope(1, 0);
    const EnvelopeCase cases[] = {
        {"read: a falling step", 0xEF9D, 0xFFFF, 0, 0, 0, e1, 0xFFFF, 0xEF5C, synth_sd_rate(0x10), 0x40, e1 + 2, 0xFF,
         keep},
        {"read: a rising step", 0xEF9D, 0x2000, 0, 0, 0, e1, 0x2000, 0xEF48, synth_sd_rate(0x10), 0x40, e1 + 2, 0xFF,
         keep},
        {"read: a step at the current level is skipped", 0xEF9D, 0xFF00, 0, 0, 0, envelope(6, 0), 0xFF00, 0xEF5C,
         synth_sd_rate(8), 0x00, envelope(6, 4), 0xFF, keep},
        {"read: the hold point", 0xEF9D, 0x2000, 0, 0, 0, envelope(3, 0), 0x2000, 0xEF6D, keep, keep, envelope(3, 0),
         0xFF, keep},
        {"read: the end", 0xEF9D, 0x2000, 0, 0, 0, envelope(4, 0), 0x2000, keep, keep, keep, envelope(4, 0), 0, keep},
        {"rise short of the target", 0xEF48, 0x2000, 0x0100, 0x40, 0, e1 + 2, 0x2100, keep, keep, 0x40, e1 + 2, 0xFF, 0},
        {"rise to the target", 0xEF48, 0x3F80, 0x0100, 0x40, 0, e1 + 2, 0x4080, 0xEF5C, synth_sd_rate(0x20), 0x00,
         e1 + 4, 0xFF, 0},
        {"rise past 0xFFFF", 0xEF48, 0xFF00, 0x0200, 0xFF, 0, e1 + 2, 0xFF80, 0xEF5C, synth_sd_rate(0x20), 0x00, e1 + 4,
         0xFF, 0},
        {"fall short of the target", 0xEF5C, 0x8000, 0x0100, 0x40, 0, e1 + 2, 0x7F00, keep, keep, 0x40, e1 + 2, 0xFF,
         0},
        {"fall to the target", 0xEF5C, 0x4080, 0x0100, 0x40, 0, e1 + 2, 0x4080, 0xEF5C, synth_sd_rate(0x20), 0x00,
         e1 + 4, 0xFF, 0},
        {"fall below 0, then the end", 0xEF5C, 0x0080, 0x0100, 0x00, 0, e1 + 7, 0x0080, keep, keep, 0x00, e1 + 7, 0, 0},
        {"held, no release counter", 0xEF6D, 0x2000, 0, 0x20, 0, e1 + 4, 0x2000, keep, keep, 0x20, e1 + 4, 0xFF, 0},
        {"held, counter from 0x80 stops at 0x7F", 0xEF6D, 0x2000, 0, 0x20, 0x80, e1 + 4, 0x2000, keep, keep, 0x20,
         e1 + 4, 0xFF, 0x7F},
        {"held, counter 5 counts down", 0xEF6D, 0x2000, 0, 0x20, 5, e1 + 4, 0x2000, keep, keep, 0x20, e1 + 4, 0xFF, 4},
        {"release from the counter: the steps after the hold mark", 0xEF6D, 0x2000, 0, 0x00, 1, e1, 0x0080, 0xEF48,
         synth_sd_rate(0x30), 0x80, e1 + 7, 0xFF, 0},
        {"release to the end", 0xEF6D, 0x2000, 0, 0x20, 1, envelope(4, 0), 0x2000, keep, keep, 0x20, envelope(4, 0), 0,
         0},
        {"a rise short of the target starts the release", 0xEF48, 0x1000, 0x0100, 0x40, 1, envelope(2, 2), 0x1100, keep,
         keep, 0x40, envelope(2, 2), 0, 0},
    };
    for (const EnvelopeCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        chip(DRV_CHIP_FLAGS, 0x4003);
        put_word(voice + VC_ENVELOPE_LEVEL - 1, c.level);
        put_word(voice + VC_ENVELOPE_RATE, c.rate);
        put_byte(voice + VC_ENVELOPE_TARGET, c.target);
        put_byte(voice + VC_RELEASE, c.release);
        put_word(voice + VC_ENVELOPE_READ, c.read);
        put_byte(voice + VC_LIVE, 0xFF);
        uint32_t routine = comms16(voice + VC_ENVELOPE_STEP), rate = comms16(voice + VC_ENVELOPE_RATE);
        registers(mx2, 0x1234, voice, c.site == 0xEF9D ? c.read : 0x1234);
        cpu.dt = c.site == 0xEF9D ? DRV_DATA_BANK : 0;
        differential(c.site, SND_COUNTER_VOLUME_ENVELOPE, c.site);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_LEVEL - 1), c.level_after);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_STEP), c.routine == keep ? routine : c.routine);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_RATE), c.rate_after == keep ? rate : c.rate_after);
        EXPECT_EQ(comms8(voice + VC_ENVELOPE_TARGET), c.target_after == keep ? c.target : c.target_after);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_READ), c.read_after);
        EXPECT_EQ(comms8(voice + VC_LIVE), c.live);
        EXPECT_EQ(chip_read16(DRV_CHIP_FLAGS), c.live ? 0x4003u : 0u);
        if (c.release_after != keep) {
            EXPECT_EQ(comms8(voice + VC_RELEASE), c.release_after);
        }
    }
}

TEST_F(EnvelopesTest, EnvelopeZerosContinueEmulated) {
    const struct {
        const char* name;
        uint32_t site, release, read;
    } cases[] = {
        {"a step byte 0", 0xEF9D, 0, envelope(5, 0)},
        {"a 0 met by the release", 0xEF6D, 1, envelope(5, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        put_byte(voice + VC_RELEASE, c.release);
        put_word(voice + VC_ENVELOPE_READ, c.read);
        registers(mx2, 0x1234, voice, c.read);
        cpu.dt = DRV_DATA_BANK;
        uint32_t continued = continuations();
        declines(c.site, SND_COUNTER_VOLUME_ENVELOPE, c.site);
        EXPECT_EQ(continuations() - continued, 1u);
    }
}

TEST_F(EnvelopesTest, EndlessEnvelopeScriptsAreLeftToTheEmulatedCode) {
    // 300 pairs whose target is the level (rate 1, target 1) in an unused part of bank 0x21.
    constexpr uint32_t endless = 0x6000;
    memset(sound_driver_rom + 0x10000 + endless, 1, 600);
    put_byte(voice + VC_ENVELOPE_LEVEL, 1);
    put_byte(voice + VC_ENVELOPE_TARGET, 1);
    put_word(voice + VC_ENVELOPE_READ, endless);
    put_byte(voice + VC_RELEASE, 1);
    for (snd_routine routine : {volume_envelope_ef9d, volume_envelope_ef48, volume_envelope_ef6d}) {
        registers(mx2, 0x1234, voice, endless);
        cpu.dt = DRV_DATA_BANK;
        put_word(voice + VC_ENVELOPE_RATE, 0x0100);
        uint64_t declined = snd_declined[SND_COUNTER_VOLUME_ENVELOPE];
        EXPECT_EQ(routine(&cpu), 0);
        EXPECT_EQ(snd_declined[SND_COUNTER_VOLUME_ENVELOPE], declined + 1);
        EXPECT_EQ(comms8(voice + VC_RELEASE), 1u);  // nothing written
        EXPECT_EQ(comms8(voice + VC_ENVELOPE_LEVEL), 1u);
    }
}

// Random voice records and scripts (marks, loops and zeros often): each routine ends as
// the emulated code does, whether it runs, bails or declines, and stays inside the images.
TEST_F(EnvelopesTest, RandomScriptsEndAsTheEmulatedCodeDoes) {
    constexpr uint32_t scripts = 0x6000, size = 0x400;
    const uint32_t sites[] = {0xEF48, 0xEF5C, 0xEF6D, 0xEF9D, 0xECD4, 0xED7B, 0xED8B};
    const uint8_t marks[] = {0x00, 0x84, 0xFE, 0xFF, 0x80, 0x83, 0x01};
    std::mt19937 rng(40);
    auto script_address = [&] { return scripts + rng() % size; };
    uint64_t envelopes = snd_ran[SND_COUNTER_VOLUME_ENVELOPE], pans = snd_ran[SND_COUNTER_PAN_SCRIPT];
    for (int round = 0; round < 40; round++)
        for (uint32_t site : sites) {
            SCOPED_TRACE(testing::Message() << "round " << round << " site " << std::hex << site);
            SetUp();
            for (uint32_t i = 0; i < size + 2; i++)
                sound_driver_rom[0x10000 + scripts + i] = uint8_t(rng() % 3 ? rng() : marks[rng() % 7]);
            for (uint32_t i = 0; i < 0x80; i++) put_byte(voice + i, rng());
            uint32_t loop = script_address();
            if (sound_driver_rom[0x10000 + loop] == 0x84) sound_driver_rom[0x10000 + loop] = 0x05;
            put_word(voice + VC_PAN_LOOP, loop);
            put_word(voice + VC_PAN_READ, script_address());
            put_word(voice + VC_ENVELOPE_READ, script_address());
            put_byte(voice + VC_PAN_STEPS, rng() % 3);
            put_byte(voice + VC_RELEASE, rng() % 3);
            uint32_t y = script_address();
            registers(rng() % 4 ? mx2 : 0, uint16_t(rng()), voice, y);
            cpu.ps |= uint16_t(rng() & (m377_flag_c | m377_flag_z | m377_flag_v | m377_flag_n));
            cpu.dt = DRV_DATA_BANK;
            run_off_and_on(site, site, false);
            EXPECT_EQ(on_result, off_result);  // a continuation may return past the call
            expect_same_state();
            if (HasFailure()) return;
        }
    EXPECT_GT(snd_ran[SND_COUNTER_VOLUME_ENVELOPE] - envelopes, 40u);
    EXPECT_GT(snd_ran[SND_COUNTER_PAN_SCRIPT] - pans, 40u);
}

}  // namespace
