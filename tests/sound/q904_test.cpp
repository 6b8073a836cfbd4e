// The Q904 chip model from synthetic wave bytes.
#include "sound/q904.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Three banks; byte(a) names its address: 1 + low 5 bits + 0x20 x bank, never 0.
uint8_t wave_byte(uint32_t a) {
    return uint8_t(1 + (a & 0x1F) + 0x20 * (a >> 16));
}

struct ChipTest : testing::Test {
    std::vector<uint8_t> rom = std::vector<uint8_t>(0x30000);
    q904_chip chip;

    void SetUp() override {
        for (uint32_t a = 0; a < rom.size(); a++) rom[a] = wave_byte(a);
        q904_init(&chip, rom.data(), int32_t(rom.size()));
    }
    void set(uint32_t v, uint32_t reg, uint32_t value) { q904_write(&chip, 8 * v + reg, value, 0xFFFF); }
    // Keys voice v on with the given registers.
    void key_on(uint32_t v, uint16_t flags, uint16_t bank, uint16_t start, uint16_t end, uint16_t loop,
                uint16_t freq = 0xFFFF, uint16_t vol_f = 0) {
        set(v, Q904_REG_BANK, bank);
        set(v, Q904_REG_START, start);
        set(v, Q904_REG_END, end);
        set(v, Q904_REG_LOOP, loop);
        set(v, Q904_REG_FREQ, freq);
        set(v, Q904_REG_VOL_F, vol_f);
        set(v, Q904_REG_FLAGS, flags | VF_KEY_ON);
        q904_write(&chip, Q904_REG_KEY_SWEEP, 0, 0xFFFF);
    }
    chip_frame render1() {
        chip_frame f{};
        q904_render(&chip, &f, 1);
        return f;
    }
};

TEST_F(ChipTest, CompandTableHoldsItsTellingValues) {
    const struct { int index, value; } cases[] = {{0, 0},      {1, 32},       {16, 512},   {24, 1024},
                                                   {48, 4096}, {100, 17408},  {127, 31232}, {128, -32},
                                                   {144, -544}, {255, -31264}};
    for (const auto& c : cases) EXPECT_EQ(chip.compand_table[c.index], c.value) << c.index;
    for (int k = 0; k < 256; k++) {
        EXPECT_EQ(chip.compand_table[k] % 32, 0) << k;
        if (k < 128) { EXPECT_EQ(chip.compand_table[128 + k], -chip.compand_table[k] - 32) << k; }
        if (k > 0 && k < 128) { EXPECT_GT(chip.compand_table[k], chip.compand_table[k - 1]) << k; }
    }
}

TEST_F(ChipTest, SampleBytesInBothFormats) {
    const struct { uint8_t byte; bool companded; int16_t sample; } cases[] = {
        {0x7F, false, 32512}, {0x80, false, -32768}, {0xFF, false, -256}, {0x01, false, 256}, {0x00, false, 0},
        {0x10, true, 512},    {0x7F, true, 31232},   {0x80, true, -32},   {0xFF, true, -31264}, {0x00, true, 0},
    };
    for (const auto& c : cases) {
        rom[0x100] = c.byte;
        key_on(0, VF_NOINTERP | VF_LOOP | (c.companded ? VF_COMPANDED : 0), 0, 0x100, 0x100, 0x100);
        render1();
        EXPECT_EQ(chip.voices[0].sample, c.sample) << int(c.byte) << " companded " << c.companded;
    }
}

// Addresses fetched, read back through the byte each address holds (0: sample dropped).
std::vector<int> fetched_bytes(ChipTest& t, int frames) {
    std::vector<int> out;
    for (int i = 0; i < frames; i++) {
        t.render1();
        out.push_back(t.chip.voices[0].sample >> 8);
    }
    return out;
}

TEST_F(ChipTest, PlaybackModesFetchTheirAddresses) {
    auto b = [](uint32_t a) { return int(wave_byte(a)); };
    const struct {
        const char* name;
        uint16_t flags, bank, start, end, loop;
        std::vector<int> bytes;
        uint16_t flags_after;  // bits of interest after the run
    } cases[] = {
        {"one-shot", 0, 0, 0x10, 0x13, 0, {b(0x10), b(0x11), b(0x12), 0, 0}, VF_KEY_OFF},
        {"loop", VF_LOOP, 0, 0x10, 0x13, 0x11, {b(0x10), b(0x11), b(0x12), b(0x13), b(0x11), b(0x12), b(0x13), b(0x11)},
         VF_BUSY | VF_LOOPED | VF_LOOP},
        {"link", VF_LOOP | VF_LINK, 0, 0x02, 0x04, 0x10,
         {b(0x02), b(0x03), b(0x04), b(0x020010), b(0x020011), b(0x020012)}, VF_BUSY | VF_LOOPED | VF_LOOP | VF_LINK},
        {"bidirectional", VF_LOOP | VF_REVERSE, 0, 0x10, 0x13, 0x10,
         {b(0x10), b(0x11), b(0x12), b(0x13), b(0x12), b(0x11), b(0x10), b(0x11), b(0x12)},
         VF_BUSY | VF_LOOP | VF_REVERSE},
        {"reverse one-shot", VF_REVERSE, 0, 0x13, 0x10, 0, {b(0x13), b(0x12), b(0x11), 0}, VF_REVERSE | VF_KEY_OFF},
        {"bank crossing", 0, 0, 0xFFFE, 0x0001, 0, {b(0xFFFE), b(0xFFFF), b(0x10000), 0}, VF_KEY_OFF},
        {"below zero and past the ROM", VF_REVERSE, 0, 0x0001, 0xFFFD, 0, {b(1), b(0), 0, 0, 0}, VF_REVERSE | VF_KEY_OFF},
    };
    for (const auto& c : cases) {
        SetUp();
        key_on(0, uint16_t(c.flags | VF_NOINTERP), c.bank, c.start, c.end, c.loop);
        EXPECT_EQ(fetched_bytes(*this, int(c.bytes.size())), c.bytes) << c.name;
        EXPECT_EQ(chip.voices[0].flags & ~VF_NOINTERP, c.flags_after) << c.name;
    }
}

TEST_F(ChipTest, OneShotEndsAfterDroppingTheEndSample) {
    key_on(0, 0, 0, 0x10, 0x11, 0);
    render1();
    render1();  // fetches the byte at end, drops it: interpolates toward 0
    EXPECT_EQ(chip.voices[0].sample, 0);
    EXPECT_EQ(chip.voices[0].prev_sample, wave_byte(0x10) << 8);
    EXPECT_FALSE(chip.voices[0].flags & VF_BUSY);
    q904_voice before = chip.voices[0];
    render1();  // idle: nothing moves
    EXPECT_EQ(chip.voices[0].position, before.position);
    EXPECT_EQ(chip.voices[0].fraction, before.fraction);
    q904_write(&chip, Q904_REG_KEY_SWEEP, 0, 0xFFFF);
    EXPECT_EQ(chip.voices[0].flags, 0);
}

TEST_F(ChipTest, NoiseRunsItsFullPeriod) {
    key_on(0, VF_NOISE | VF_NOINTERP, 0, 0, 0, 0, 0xFFFF);
    const uint16_t first[] = {0x091A, 0x048D, 0xFDB0, 0x7ED8, 0x3F6C};
    for (uint16_t want : first) {
        render1();
        EXPECT_EQ(chip.noise_lfsr, want);
        EXPECT_EQ(uint16_t(chip.voices[0].sample), want);
    }
    EXPECT_EQ(chip.voices[0].position, 0u);  // noise never moves the position
    // With freq 0xFFFF the first 65,535 frames each fetch once.
    uint32_t steps = 5;
    for (; steps < 65534; steps++) {
        render1();
        ASSERT_NE(chip.noise_lfsr, 0);
        ASSERT_NE(chip.noise_lfsr, 0x1234) << "period cut short at " << steps + 1;
    }
    render1();
    EXPECT_EQ(chip.noise_lfsr, 0x1234);
    render1();  // frame 65,536: the one frame without a fetch
    EXPECT_EQ(chip.noise_lfsr, 0x1234);
}

TEST_F(ChipTest, FirstFrameAfterKeyOn) {
    rom[0x40] = 0x40;  // 16,384
    key_on(0, 0, 0, 0x40, 0x50, 0, 0x4001, 0x0203);
    render1();
    const q904_voice& v = chip.voices[0];
    EXPECT_EQ(v.sample, 16384);
    EXPECT_EQ(v.prev_sample, 0);
    EXPECT_EQ(v.fraction, 0x4000u);
    EXPECT_EQ(v.level_fh, 1);
    EXPECT_EQ(v.level_fl, 1);
    EXPECT_EQ(v.level_rh, 0);  // zero target stays
}

TEST_F(ChipTest, LevelsRampOneStepPerHalfCarry) {
    const struct { uint16_t freq; int frames; uint8_t level; } cases[] = {
        {0x8000, 3, 3}, {0x8000, 10, 10}, {0x4000, 5, 3}, {0x4000, 10, 5}, {0xFFFF, 20, 20}, {0, 50, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        key_on(0, 0, 0, 0, 0xFFF0, 0, c.freq, 0xFF00);
        for (int i = 0; i < c.frames; i++) render1();
        EXPECT_EQ(chip.voices[0].level_fh, c.level) << c.freq << " x" << c.frames;
    }
    // Downward toward a lowered target, one unit at a time.
    SetUp();
    key_on(0, 0, 0, 0, 0xFFF0, 0, 0x8000, 0x0500);
    for (int i = 0; i < 5; i++) render1();
    set(0, Q904_REG_VOL_F, 0x0200);
    render1();
    EXPECT_EQ(chip.voices[0].level_fh, 4);
    for (int i = 0; i < 5; i++) render1();
    EXPECT_EQ(chip.voices[0].level_fh, 2);
}

// A voice playing one sample at full level on every channel, levels set by hand.
void hold_full(ChipTest& t, uint8_t byte, uint16_t flags, uint16_t freq) {
    t.rom[0x200] = byte;
    t.key_on(0, uint16_t(flags | VF_LOOP), 0, 0x200, 0x200, 0x200, freq, 0xFFFF);
    t.set(0, Q904_REG_VOL_R, 0xFFFF);
    q904_voice& v = t.chip.voices[0];
    v.level_fh = v.level_fl = v.level_rh = v.level_rl = 0xFF;
}

int mixed(int s) {
    return (s * 255 >> 8) >> 3;
}

TEST_F(ChipTest, InterpolationRunsBetweenTheLastTwoSamples) {
    // First frame after key-on: from 0 toward S by (freq - 1) / 65,536, rounded down.
    const struct { uint8_t byte; uint16_t freq; uint16_t flags; int s; } cases[] = {
        {0x40, 0x4001, 0, 4096},          {0x40, 0x4001, VF_NOINTERP, 16384}, {0xFF, 0x4001, 0, -64},
        {0xFF, 0x4002, 0, -65},           {0x80, 0xFFFF, 0, -32768 + 1},      {0x7F, 0x0001, 0, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        hold_full(*this, c.byte, c.flags, c.freq);
        chip_frame f = render1();
        EXPECT_EQ(f.ch[0], mixed(c.s)) << int(c.byte) << " freq " << c.freq;
    }
    // freq dropped to 0 mid-note: the interpolated value holds.
    SetUp();
    hold_full(*this, 0x40, 0, 0x4001);
    chip_frame a = render1();
    set(0, Q904_REG_FREQ, 0);
    for (int i = 0; i < 3; i++) EXPECT_EQ(render1().ch[0], a.ch[0]);
}

TEST_F(ChipTest, FourChannelsAndTheirInversions) {
    const struct { uint16_t flags; int sign[4]; } cases[] = {
        {0, {1, 1, 1, 1}},           {VF_INV_FH, {-1, 1, 1, 1}},           {VF_INV_LO, {1, -1, 1, -1}},
        {VF_INV_RH, {1, 1, -1, 1}},  {VF_INV_FH | VF_INV_LO | VF_INV_RH, {-1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        SetUp();
        hold_full(*this, 0x40, uint16_t(c.flags | VF_NOINTERP), 0xFFFF);
        q904_voice& v = chip.voices[0];
        set(0, Q904_REG_VOL_F, 0xFF80);
        set(0, Q904_REG_VOL_R, 0x4020);
        v.level_fl = 0x80, v.level_rh = 0x40, v.level_rl = 0x20;
        chip_frame f = render1();
        const int want[4] = {2040, 1024, 512, 256};
        for (int ch = 0; ch < 4; ch++) EXPECT_EQ(f.ch[ch], c.sign[ch] * want[ch]) << c.flags << " ch " << ch;
    }
}

TEST_F(ChipTest, VoiceSumsClipInsteadOfWrapping) {
    const struct { uint8_t byte; uint32_t voices; int ch0; } cases[] = {
        {0x7F, 8, 8 * 32385 >> 3}, {0x7F, 32, 32767}, {0x80, 8, -(8 * 32640 >> 3)}, {0x80, 32, -32768},
    };
    for (const auto& c : cases) {
        SetUp();
        rom[0x300] = c.byte;
        for (uint32_t v = 0; v < c.voices; v++) {
            key_on(v, VF_NOINTERP | VF_LOOP, 0, 0x300, 0x300, 0x300, 0xFFFF, 0xFF00);
            chip.voices[v].level_fh = 0xFF;
        }
        EXPECT_EQ(render1().ch[0], c.ch0) << int(c.byte) << " x" << c.voices;
    }
}

TEST_F(ChipTest, RegisterAddressing) {
    q904_write(&chip, 8 * 5 + Q904_REG_FREQ, 0x1234, 0xFFFF);
    EXPECT_EQ(chip.voices[5].freq, 0x1234);
    q904_write(&chip, 8 * 5 + Q904_REG_FREQ, 0xABCD, 0x00FF);  // under the mask
    EXPECT_EQ(q904_read(&chip, 8 * 5 + Q904_REG_FREQ), 0x12CD);
    q904_write(&chip, Q904_REG_CONTROL, 0x5A5A, 0xFFFF);
    EXPECT_EQ(q904_read(&chip, Q904_REG_CONTROL), 0x5A5A);
    for (uint32_t reg : {0x100u, 0x1FFu, 0x201u, 0x203u, 0x10000u}) {
        q904_write(&chip, reg, 0xFFFF, 0xFFFF);
        EXPECT_EQ(q904_read(&chip, reg), 0) << reg;
    }
    EXPECT_EQ(q904_read(&chip, Q904_REG_KEY_SWEEP), 0);
    EXPECT_EQ(chip.control, 0x5A5A);  // ignored writes touched nothing
    EXPECT_EQ(chip.voices[31].loop, 0);
}

TEST_F(ChipTest, KeySweep) {
    // A sweep with a partial mask does nothing.
    set(3, Q904_REG_FLAGS, VF_KEY_ON);
    q904_write(&chip, Q904_REG_KEY_SWEEP, 0, 0x00FF);
    EXPECT_EQ(chip.voices[3].flags, VF_KEY_ON);
    // Key-on of a busy voice restarts it, keeping VF_BACKWARD and clearing VF_LOOPED.
    key_on(3, VF_LOOP, 1, 0x20, 0x22, 0x20, 0x8000, 0xFF00);
    for (int i = 0; i < 12; i++) render1();
    ASSERT_TRUE(chip.voices[3].flags & VF_LOOPED);
    set(3, Q904_REG_FLAGS, chip.voices[3].flags | VF_KEY_ON | VF_BACKWARD);
    q904_write(&chip, Q904_REG_KEY_SWEEP, 0x1234, 0xFFFF);
    const q904_voice& v = chip.voices[3];
    EXPECT_EQ(v.position, 0x10020u);
    EXPECT_EQ(v.fraction, 0xFFFFu);
    EXPECT_EQ(v.sample, 0);
    EXPECT_EQ(v.prev_sample, 0);
    EXPECT_EQ(v.level_fh, 0);
    EXPECT_EQ(v.flags, VF_BUSY | VF_LOOP | VF_BACKWARD);
    // Both bits: restarted and stopped in one sweep.
    set(3, Q904_REG_FLAGS, VF_KEY_ON | VF_KEY_OFF | VF_LOOP);
    q904_write(&chip, Q904_REG_KEY_SWEEP, 0, 0xFFFF);
    EXPECT_EQ(v.flags, VF_LOOP);
    // A flags write that leaves out VF_BUSY silences the voice at the next frame.
    key_on(3, VF_LOOP | VF_NOINTERP, 1, 0x20, 0x22, 0x20, 0xFFFF, 0xFF00);
    chip.voices[3].level_fh = 0xFF;
    EXPECT_NE(render1().ch[0], 0);
    set(3, Q904_REG_FLAGS, VF_LOOP | VF_NOINTERP);
    EXPECT_EQ(render1().ch[0], 0);
}

TEST_F(ChipTest, NothingRendersForZeroFramesOrZeroFreq) {
    key_on(0, VF_LOOP, 0, 0x10, 0x20, 0x10, 0, 0xFF00);
    chip_frame f{{7, 7, 7, 7}};
    q904_voice before = chip.voices[0];
    q904_render(&chip, &f, 0);
    EXPECT_EQ(f.ch[0], 7);
    for (int i = 0; i < 100; i++) EXPECT_EQ(render1().ch[0], 0);
    EXPECT_EQ(chip.voices[0].position, before.position);
    EXPECT_EQ(chip.voices[0].level_fh, 0);
}

TEST_F(ChipTest, ResetKeepsTheRomAndTable) {
    key_on(0, VF_NOISE, 0, 0, 0, 0);
    render1();
    q904_write(&chip, Q904_REG_CONTROL, 1, 0xFFFF);
    q904_reset(&chip);
    EXPECT_EQ(chip.voices[0].flags, 0);
    EXPECT_EQ(chip.noise_lfsr, 0x1234);
    EXPECT_EQ(chip.control, 0);
    EXPECT_EQ(chip.wave_rom, rom.data());
    EXPECT_EQ(chip.compand_table[127], 31232);
}

}  // namespace
