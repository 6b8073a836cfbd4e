// The voices, readable against emulated: the channel walk, note events, sample changes
// and streaming, the voice update, the plain pitch steps and an envelope's end.
#include "tests/sound/snd_native_diff.h"

namespace {

constexpr uint32_t mx0 = 0, mx2 = m377_mx_m;
constexpr uint32_t v = 5;                                   // the voice most tests serve
constexpr uint32_t voice = DRV_VOICES + DRV_VOICE_SIZE * v;  // its record
constexpr uint32_t block = DRV_CHIP + DRV_CHIP_BLOCK_SIZE * v;
constexpr uint32_t instrument = DRV_INSTRUMENTS + DRV_INSTRUMENT_SIZE * 6;
constexpr uint32_t level_byte = 0x4520;  // a track's level byte

constexpr uint32_t header(uint32_t n) {
    return SYNTH_SD_SAMPLE_HEADERS + 0x40 * n;
}

struct VoicesTest : NativeDiffTest {
    void SetUp() override {
        NativeDiffTest::SetUp();
        fresh();
    }
    void TearDown() override {
        chip_present.store(false);
        NativeDiffTest::TearDown();
    }
    // Voice 5 current (0x00EA, 0x00EC) with a pattern in its record; the chip present so
    // that its registers read back, its "freq" 0 so that nothing plays between accesses.
    void fresh() {
        voice_with_chip(voice, block);
        set_iram16(DRV_TIME, 0x1000);
        put_word(voice + VC_LEVEL_SOURCE, level_byte);
        put_byte(level_byte, 0x10);
    }
    void chip(uint32_t r, uint32_t value) { q904_write(&q904, v * 8 + r / 2, value, 0xFFFF); }
    uint32_t chip_read16(uint32_t r) { return q904_read(&q904, v * 8 + r / 2); }
    uint32_t stub_count(uint32_t vector) { return iram16(synth_sd_stub_count_address(vector)); }
    uint32_t continuations() { return iram16(SYNTH_SD_CONTINUATION_COUNT); }
    // Event i of the voice's ring: time, kind and note, instrument, level source.
    uint32_t event(uint32_t i, uint32_t time, uint32_t kind_note) {
        uint32_t at = voice + VC_EVENTS + VC_EVENT_SIZE * i;
        put_word(at + EV_TIME, time);
        put_word(at + EV_KIND, kind_note);
        put_word(at + EV_INSTRUMENT, instrument);
        put_word(at + EV_LEVEL_SOURCE, level_byte);
        return at;
    }
};

TEST_F(VoicesTest, PlainPitchStepsChargeTheirItemisedSums) {
    // The call's two pushes, the routine's bus accesses (pitch read and glided pitch
    // written for the glide; the return's two pulls) and its own cycles and bytes.
    const struct {
        uint32_t site;
        int counter;
        uint32_t test_field;
        uint32_t cycles, fetched;
    } cases[] = {
        {0xEBB8, SND_COUNTER_PITCH_GLIDE, VC_GLIDE, 2 + 6 + 24, 14},
        {0xEBFD, SND_COUNTER_PITCH_ENVELOPE, VC_PITCH_ENVELOPE, 2 + 2 + 16, 9},
    };
    for (const auto& c : cases) {
        for (uint32_t mx : {mx0, mx2}) {
            SCOPED_TRACE(testing::Message() << std::hex << c.site << " mx " << mx);
            fresh();
            put_byte(voice + c.test_field, 0);
            put_word(voice + VC_PITCH, 0x3C80);
            registers(mx, 0xABCD, voice);
            cpu.dt = 0x22;
            uint64_t cycles = cpu.cycles;
            uint32_t fetched = cpu.fetch_count;
            differential(c.site, c.counter, c.site);
            EXPECT_EQ(cpu.cycles - cycles, c.cycles);
            EXPECT_EQ(cpu.fetch_count - fetched, c.fetched);
            if (c.site == 0xEBB8) {
                EXPECT_EQ(comms16(voice + VC_GLIDED_PITCH), 0x3C80u);
                EXPECT_EQ(cpu.dt, 0);
            } else {
                EXPECT_EQ(cpu.a & 0xFF, 0u);
                EXPECT_TRUE(cpu.ps & m377_flag_z);
                EXPECT_EQ(cpu.dt, 0x21);
            }
            // A glide or an envelope is the emulated code's, at no cost to the window.
            put_byte(voice + c.test_field, 1);
            registers(mx, 0xABCD, voice);
            declines(c.site, c.counter, c.site);
        }
    }
}

TEST_F(VoicesTest, ChannelUpdateSetsPitchAndAttenuation) {
    const struct {
        const char* what;
        uint32_t flags, parameter, glided, envelope_level, level, source_level;
        uint32_t attenuation;
    } cases[] = {
        // Pitch 0x0880: T[8] = 0x2000, T[9] = 0x2200, f = 0x80 gives 0x2100.
        {"key-on requested", 0x4000, 0, 0x0800, 0x10, 0x20, 0x30, 0x60},
        {"playing", 0x8000, 0, 0x0800, 0, 0, 0, 0},
        {"playing, chained", 0x8020, 0, 0x0800, 0x80, 0x7F, 0x00, 0xFF},
        {"envelope and voice carry", 0x4000, 0, 0x0800, 0x80, 0x80, 0, 0xFF},
        {"the level byte carries", 0x4000, 0, 0x0800, 0x80, 0x70, 0x90, 0xFF},
        {"just below the carry", 0x4000, 0, 0x0800, 0x80, 0x70, 0x0E, 0xFE},
        {"the game's parameter 3 as the pitch", 0x4000, 3, 0x0800, 0, 0, 0, 0},
        // 0xF860: i = 0x78 (bit 15 dropped), f = 0x60, between table words that wrap.
        {"a high pitch", 0x4000, 0, 0xF7F0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        chip(DRV_CHIP_FLAGS, c.flags);
        put_byte(voice + VC_PITCH_PARAMETER, c.parameter);
        put_word(DRV_PARAMETERS + 6, 0x1234);
        put_word(voice + VC_PITCH, 0x0800);
        put_word(voice + VC_GLIDED_PITCH, c.glided);
        put_word(voice + 0x40, 0x40);
        put_word(voice + 0x44, 0x30);
        put_word(voice + VC_SAMPLE_PITCH, 0);
        set_iram16(DRV_PITCH_OFFSET, 0x10);
        put_byte(voice + VC_ENVELOPE_LEVEL, c.envelope_level);
        put_byte(voice + VC_LEVEL, c.level);
        put_byte(level_byte, c.source_level);
        uint32_t chained = stub_count(DRV_VEC_PAN_BY_STATE), updates = stub_count(DRV_VEC_UPDATE_LAST);
        registers(mx0, 0, voice);
        cpu.dt = 0;
        differential(0xE8DB, SND_COUNTER_CHANNEL_UPDATE, 0xE8DB);
        EXPECT_EQ(stub_count(DRV_VEC_PAN_BY_STATE) - chained, c.flags == 0x8020 ? 1u : 0u);
        EXPECT_EQ(stub_count(DRV_VEC_UPDATE_LAST) - updates, 1u) << "goes on at the vector's routine";
        uint32_t pitch = (c.glided + 0x80) & 0xFFFF, i = (pitch >> 8) & 0x7F, f = pitch & 0xFF;
        uint32_t t0 = synth_sd_pitch(i), t1 = synth_sd_pitch(i + 1);
        uint32_t freq = (t0 + ((((t1 - t0) & 0xFFFF) * f) >> 8)) & 0xFFFF;
        if (c.glided == 0x0800) {
            EXPECT_EQ(freq, 0x2100u);
        }
        EXPECT_EQ(chip_read16(DRV_CHIP_FREQ), freq);
        EXPECT_EQ(comms16(voice + VC_PITCH), c.parameter ? 0x1234u : 0x0800u);
        EXPECT_EQ(iram(DRV_ATTENUATION), c.attenuation);
        EXPECT_EQ(comms8(voice + VC_LIVE), 0x11u + 3 * VC_LIVE);
    }
}

TEST_F(VoicesTest, ChannelUpdateFreesAVoiceNeitherPlayingNorRequested) {
    for (uint32_t mx : {mx0, mx2}) {
        SCOPED_TRACE(mx);
        fresh();
        chip(DRV_CHIP_FLAGS, 0x3FFF);
        registers(mx, 0, voice);
        differential(0xE8DB, SND_COUNTER_CHANNEL_UPDATE, 0xE8DB);
        EXPECT_EQ(comms8(voice + VC_LIVE), 0u);
        EXPECT_EQ(chip_read16(DRV_CHIP_FREQ), 0u);
    }
}

TEST_F(VoicesTest, ChannelWalkHandsOnOnlyTheLastDueEvent) {
    const struct {
        const char* what;
        uint32_t times[3];
        uint32_t write_index, live;
        uint32_t consumed, handed;  // events consumed; note-event calls
    } cases[] = {
        {"none pending", {0x0F00, 0, 0}, 0, 0, 0, 0},
        {"one due now", {0x1000, 0, 0}, 1, 0xFF, 1, 1},
        {"one not yet", {0x1001, 0, 0}, 1, 0, 0, 0},
        {"two overdue", {0x0F80, 0x0FC0, 0}, 2, 0, 2, 1},
        {"the second one at the current time waits", {0x0F80, 0x1000, 0}, 2, 0, 1, 1},
        {"overdue across the time's wrap", {0xFFF0, 0x0F00, 0x2000}, 3, 0xFF, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        synth_driver_comms_byte(commsram, DRV_VOICE_COUNT, 8);
        for (uint32_t n = 0; n < 8; n++) {
            put_byte(DRV_VOICES + DRV_VOICE_SIZE * n + VC_LIVE, 0);
            synth_driver_voice(commsram, n, 0, 6, 6);
        }
        synth_driver_voice(commsram, v, 0, 6 + c.write_index, 6);
        put_word(voice + VC_NEXT_EVENT, voice + VC_EVENTS + VC_EVENT_SIZE * 6);
        for (uint32_t i = 0; i < c.write_index; i++) event((6 + i) & 7, c.times[i], 0x3C00);
        put_byte(voice + VC_LIVE, c.live);
        uint32_t handed = stub_count(DRV_VEC_NOTE_EVENT), stepped = stub_count(DRV_VEC_ENVELOPE_STEP);
        registers(mx0, 0, 0);
        cpu.dt = 0x21;
        differential(0xE46E, SND_COUNTER_CHANNELS, 0xE46E);
        EXPECT_EQ(stub_count(DRV_VEC_NOTE_EVENT) - handed, c.handed);
        EXPECT_EQ(stub_count(DRV_VEC_ENVELOPE_STEP) - stepped, c.live ? 1u : 0u);
        EXPECT_EQ(comms8(voice + VC_EVENT_READ), 6u + c.consumed);
        EXPECT_EQ(comms16(voice + VC_NEXT_EVENT), voice + VC_EVENTS + VC_EVENT_SIZE * ((6 + c.consumed) & 7))
            << "the ring wraps after eight";
        if (c.handed) {
            EXPECT_EQ(cpu.y, voice + VC_EVENTS + VC_EVENT_SIZE * ((5 + c.consumed) & 7));
        }
        EXPECT_EQ(iram(DRV_VOICE_COUNTER), 8);
        EXPECT_EQ(iram16(DRV_CHIP_BLOCK), DRV_CHIP + 7 * DRV_CHIP_BLOCK_SIZE);
        ASSERT_GE(on.writes.size(), 2u);
        EXPECT_EQ(on.writes.end()[-2], (chip_bus_write{DRV_CHIP_KEY_ON, 8}));
        EXPECT_EQ(on.writes.end()[-1], (chip_bus_write{DRV_CHIP_KEY_ON + 1, 0}));
    }
}

// The instrument record at `instrument`: sample number, the voice's level and pan, pitch,
// envelopes, release delay, start and transpose, key-on and glide, pan mode and
// parameter.
struct NoteEventTest : VoicesTest {
    void instrument_record(uint32_t sample, uint32_t transpose) {
        const uint32_t words[8] = {sample, 0x4422, 0x0080, 0x0000, 0x0900, 0x0005 | transpose << 8, 0x0000, 0x0040};
        for (uint32_t k = 0; k < 8; k++) put_word(instrument + 2 * k, words[k]);
    }
};

TEST_F(NoteEventTest, NotesAndVolumeEventsLoadTheInstrument) {
    const struct {
        const char* what;
        uint32_t kind_note, sample, loaded, streaming, transpose;
        bool changed, restarted, keyed;
    } cases[] = {
        {"a note, another sample", 0x3C00, 3, 2, 0, 0x02, true, false, true},
        {"a note, transposed with the carry dropped", 0x3C00, 2, 2, 0, 0xF0, false, false, true},
        {"the same streamed sample restarts", 0x4000, 3, 3, 0x7F, 0, false, true, true},
        {"bit 15 reloads the same sample", 0x4000, 0x8002, 2, 0, 0, true, false, true},
        {"a tie keys nothing on", 0x4580, 4, 2, 0, 0, true, false, false},
        {"a volume event", 0x6601, 2, 2, 0, 0, false, false, true},
        {"a tied volume event", 0x6681, 2, 2, 0, 0, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        instrument_record(c.sample, c.transpose);
        put_word(voice + VC_SAMPLE, c.loaded);
        put_word(voice + VC_HEADER, header(c.loaded));
        put_word(voice + VC_FLAGS, c.loaded & 1 ? 0x0023 : 0x0003);
        put_byte(voice + VC_STREAMING, c.streaming);
        uint32_t ev = event(2, 0x1000, c.kind_note);
        uint32_t keyed = stub_count(DRV_VEC_KEY_ON), continued = continuations();
        registers(mx0, 0, voice, uint16_t(ev));
        cpu.dt = 0;
        differential(0xE4E7, SND_COUNTER_NOTE_EVENT, 0xE4E7);
        EXPECT_EQ(stub_count(DRV_VEC_KEY_ON) - keyed, c.keyed ? 1u : 0u);
        EXPECT_EQ(continuations(), continued);
        EXPECT_EQ(comms16(voice + VC_INSTRUMENT), instrument);
        EXPECT_EQ(comms8(voice + VC_LIVE), 0xFFu);
        EXPECT_EQ(comms16(instrument), c.sample & 0x7FFF) << "bit 15 is cleared once used";
        uint32_t sample = c.sample & 0x7FFF;
        EXPECT_EQ(comms16(voice + VC_SAMPLE), c.changed ? sample : c.loaded);
        if (c.changed || c.restarted) {
            EXPECT_EQ(chip_read16(DRV_CHIP_START), 0x1000 + 0x10 * sample + 5);
            EXPECT_EQ(comms16(voice + VC_STREAM), header(sample) + 2);
        } else {
            EXPECT_EQ(chip_read16(DRV_CHIP_START), 0u);
        }
        bool volume = (c.kind_note & 0x7F) == 1;
        uint32_t note = c.kind_note >> 8;
        EXPECT_EQ(comms8(voice + VC_LEVEL), volume ? note : 0x22u);
        EXPECT_EQ(comms8(voice + VC_PITCH + 1), ((volume ? 0x00 : note) + c.transpose) & 0xFF);
        EXPECT_EQ(comms8(voice + 0x0E), 0x40u);
        if (!c.keyed) {
            EXPECT_EQ(cpu.dt, 0);
        }
    }
}

TEST_F(NoteEventTest, NoteSeventyFReleases) {
    const struct {
        const char* what;
        uint32_t envelope;
    } cases[] = {{"with an envelope: it releases", 3}, {"without: the voice ends at once", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        instrument_record(2, 0);
        put_byte(voice + VC_ENVELOPE, c.envelope);
        put_byte(voice + VC_LIVE, 0xFF);
        chip(DRV_CHIP_FLAGS, 0x4003);
        uint32_t ev = event(0, 0x1000, 0x7F80);  // the tie bit does not matter
        registers(mx0, 0, voice, uint16_t(ev));
        cpu.dt = 0;
        uint64_t ended = snd_ran[SND_COUNTER_VOLUME_ENVELOPE];
        hook(0xEFAE, true);
        differential(0xE4E7, SND_COUNTER_NOTE_EVENT, 0xE4E7);
        hook(0xEFAE, false);
        EXPECT_EQ(comms8(voice + VC_RELEASE), c.envelope ? 1u : 0x11u + 3 * VC_RELEASE);
        EXPECT_EQ(comms8(voice + VC_LIVE), c.envelope ? 0xFFu : 0u);
        EXPECT_EQ(chip_read16(DRV_CHIP_FLAGS), c.envelope ? 0x4003u : 0u);
        EXPECT_EQ(snd_ran[SND_COUNTER_VOLUME_ENVELOPE] - ended, c.envelope ? 0u : 2u)
            << "both runs reach the envelope's end, readable";
    }
}

TEST_F(NoteEventTest, OtherKindsAreTheEmulatedCodes) {
    for (uint32_t kind_note : {0x3C02u, 0x8000u, 0xFF7Fu}) {
        SCOPED_TRACE(kind_note);
        fresh();
        instrument_record(2, 0);
        uint32_t ev = event(0, 0x1000, kind_note);
        registers(mx0, 0, voice, uint16_t(ev));
        cpu.dt = 0;
        declines(0xE4E7, SND_COUNTER_NOTE_EVENT, 0xE4E7);
    }
}

TEST_F(VoicesTest, SampleChangesLoadTheHeader) {
    const struct {
        const char* what;
        uint32_t site, mx, sample;
    } cases[] = {
        {"a plain sample", 0xF013, mx0, 2},
        {"a chained sample", 0xF013, mx0, 3},
        {"the voice's own, again", 0xF064, mx2, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        put_word(voice + VC_START_TRANSPOSE, 0x7F09);
        put_word(voice + VC_HEADER, header(c.sample));
        put_word(voice + VC_FLAGS, 0x0023);
        registers(c.mx, uint16_t(c.sample), voice);
        cpu.dt = 0;
        differential(c.site, SND_COUNTER_SAMPLE_CHANGE, c.site);
        EXPECT_EQ(chip_read16(DRV_CHIP_START), 0x1000 + 0x10 * c.sample + 9);
        EXPECT_EQ(chip_read16(DRV_CHIP_END), 0x2000 + 0x10 * c.sample);
        EXPECT_EQ(chip_read16(DRV_CHIP_LOOP), 0x3000 + 0x10 * c.sample);
        EXPECT_EQ(comms16(voice + VC_STREAM), header(c.sample) + 2);
        bool chained = c.site == 0xF064 || (c.sample & 1);
        EXPECT_EQ(comms8(voice + VC_STREAMING), chained ? 0xFFu : 0u);
        EXPECT_EQ(cpu.y, comms16(voice + VC_INSTRUMENT));
        EXPECT_EQ(cpu.dt, 0);
        if (c.site == 0xF013) {
            EXPECT_EQ(comms16(voice + VC_SAMPLE), c.sample);
            EXPECT_EQ(comms16(voice + VC_SAMPLE_PITCH), 0x0110 * c.sample);
            EXPECT_EQ(comms16(voice + VC_BANK), 0x0100 + c.sample);
            EXPECT_EQ(cpu.b, comms16(voice + VC_FLAGS));
        }
    }
}

TEST_F(VoicesTest, StreamingStepsThroughTheSegments) {
    constexpr uint32_t h = header(3);  // chained; segment words 0x4300 + 2k from +12
    const struct {
        const char* what;
        uint32_t state, pointer, flags;
        uint32_t patch_at, patch;  // a header word changed (0: none)
        uint32_t bail;             // 0: handled
        uint32_t pointer_after;
    } cases[] = {
        {"a new chain", 0xFF, h + 2, 0, 0, 0, 0, h + 10},
        {"a new chain that loops", 0xFF, h + 2, 0, h + 12, 0x0001, 0xEB47, h + 2},
        {"the segment plays on", 0x7F, h + 2, 0x8000, 0, 0, 0, h + 2},
        {"to the next segment", 0x7F, h + 2, 0x8800, 0, 0, 0, h + 10},
        {"to a next segment with bit 0", 0x7F, h + 2, 0x8800, h + 12, 0x4301, 0, h + 10},
        {"the last segment", 0x7F, h + 2, 0x8800, h + 4, 0x0003, 0, h + 2},
        {"the chain's end", 0x7F, h + 2, 0x8800, h + 10, 0x8000, 0xEB86, h + 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        if (c.patch_at) synth_driver_rom_word(sound_driver_rom, 0x210000 + c.patch_at, c.patch);
        put_byte(voice + VC_STREAMING, c.state);
        put_word(voice + VC_STREAM, c.pointer);
        chip(DRV_CHIP_FLAGS, c.flags);
        registers(mx0, 0, voice);
        cpu.dt = 0;
        uint32_t continued = continuations();
        if (c.bail) {
            declines(0xEB29, SND_COUNTER_SAMPLE_STREAMING, 0xEB29);
            EXPECT_EQ(continuations() - continued, 1u) << "the emulated code goes on";
        } else {
            differential(0xEB29, SND_COUNTER_SAMPLE_STREAMING, 0xEB29);
            EXPECT_EQ(continuations(), continued);
            EXPECT_EQ(cpu.dt, 0);
        }
        EXPECT_EQ(comms16(voice + VC_STREAM), c.pointer_after);
        if (c.state == 0xFF) {
            EXPECT_EQ(comms8(voice + VC_STREAMING), 0x7Fu);
        }
    }
}

TEST_F(VoicesTest, EnvelopeEndStopsTheVoice) {
    chip(DRV_CHIP_FLAGS, 0x4003);
    put_byte(voice + VC_LIVE, 0xFF);
    registers(mx2, 0x1234, voice);
    differential(0xEFAE, SND_COUNTER_VOLUME_ENVELOPE, 0xEFAE);
    EXPECT_EQ(chip_read16(DRV_CHIP_FLAGS), 0u);
    EXPECT_EQ(comms8(voice + VC_LIVE), 0u);
}

}  // namespace

namespace {

// Key-on of voice 5 (8-bit accumulator): its record as a note event leaves it, the pan
// routines' levels in 0x00C0-0x00C3.
struct KeyOnTest : VoicesTest {
    void voice_for(uint32_t envelope, uint32_t mode, uint32_t pan) {
        fresh();
        put_byte(voice + VC_ENVELOPE, envelope);
        put_byte(voice + VC_PITCH_ENVELOPE, 0);
        put_byte(voice + VC_RELEASE_DELAY + 1, 0x31);
        put_byte(voice + VC_KEY_ON_MODE, 0);
        put_byte(voice + VC_PAN_MODE, mode);
        put_byte(voice + VC_PAN, pan);
        put_word(voice + VC_BANK, 0x0105);
        put_word(voice + VC_FLAGS, 0x0023);
        put_word(voice + VC_INSTRUMENT, instrument);
        put_byte(voice + VC_ENVELOPE_LEVEL, 0x33);
        for (uint32_t i = 0; i < 4; i++) iram(DRV_SPEAKER_LEVELS + i) = uint8_t(0x11 * (i + 1));
        chip(DRV_CHIP_FLAGS, 0x4003);
        registers(mx2, 0x00AA, voice);
        cpu.dt = 0;
    }
    void expect_keyed_on(uint32_t pan_routine) {
        EXPECT_EQ(chip_read16(DRV_CHIP_FLAGS), 0x4023u);
        EXPECT_EQ(chip_read16(DRV_CHIP_BANK), 0x0105u);
        EXPECT_EQ(comms16(voice + VC_PITCH_EFFECT), 0xE9D5u);
        EXPECT_EQ(comms16(voice + 0x40), 0u);
        EXPECT_EQ(comms16(voice + 0x44), 0u);
        EXPECT_EQ(comms16(voice + VC_PAN_VOLUME), pan_routine);
        EXPECT_TRUE(cpu.ps & m377_flag_m);
    }
};

TEST_F(KeyOnTest, VolumeEnvelopeStartsAtItsFirstStep) {
    const struct {
        const char* what;
        uint32_t envelope;
        uint32_t start_word;                 // +0x1E after key-on, before the first step
        uint32_t target, read, step, rate;   // what the first step leaves
    } cases[] = {
        {"none: full level", 0, 0, 0, 0, 0xE9D5, 0},
        {"a silent start falling to 0x40", 1, 0xFFFF, 0x40, SYNTH_SD_ENVELOPES + 2, 0xEF5C, synth_sd_rate(0x10)},
        {"a loud start", 2, 0x3322, 0x20, SYNTH_SD_ENVELOPES + 0x10 + 2, 0xEF48, 0},
        {"a step at the current level is skipped", 6, 0xFFFF, 0x00, SYNTH_SD_ENVELOPES + 0x50 + 4, 0xEF5C,
         synth_sd_rate(0x08)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        voice_for(c.envelope, 0x80, 0x10);
        put_word(voice + VC_ENVELOPE_LEVEL - 1, 0x3322);
        if (c.envelope == 2) put_byte(voice + VC_ENVELOPE_LEVEL, 0x10);
        differential(0xE5A7, SND_COUNTER_KEY_ON, 0xE5A7);
        expect_keyed_on(0xE97E);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_STEP), c.step);
        if (!c.envelope) {
            EXPECT_EQ(comms8(voice + VC_ENVELOPE_LEVEL), 0u);
            continue;
        }
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_ENTRY), SYNTH_SD_ENVELOPE_TABLE + 2 * (c.envelope - 1));
        EXPECT_EQ(comms8(voice + VC_RELEASE), 0x31u);
        EXPECT_EQ(comms8(voice + VC_ENVELOPE_TARGET), c.target);
        EXPECT_EQ(comms16(voice + VC_ENVELOPE_READ), c.read);
        if (c.rate) {
            EXPECT_EQ(comms16(voice + VC_ENVELOPE_RATE), c.rate);
        }
        if (c.start_word == 0xFFFF) {
            EXPECT_EQ(comms16(voice + VC_ENVELOPE_LEVEL - 1), 0xFFFFu);
        }
    }
}

TEST_F(KeyOnTest, PanByMode) {
    const struct {
        const char* what;
        uint32_t mode, pan, running;
        uint32_t pan_routine;  // 0: the emulated code goes on
        uint32_t bail;
    } cases[] = {
        {"a table pan, mode from 0x80", 0x85, 0x21, 0, 0xE97E, 0},
        {"a table pan, mode below 0x40", 0x12, 0x21, 0, 0xE97E, 0},
        {"the pan routine, mode 0x7F", 0x7F, 0x21, 0, 0xE97E, 0},
        {"a game parameter's pan, mode 0x7D", 0x7D, 0x21, 0, 0xECC4, 0},
        {"another mode from 0x40", 0x50, 0x21, 0, 0, 0xE63C},
        {"a script, mode 0x7A", 0x7A, 1, 0, 0xECD4, 0},
        {"a script, mode 0x79", 0x79, 1, 0, 0, 0xE706},
        {"a script counting 0 steps", 0x7E, 3, 0, 0xECD4, 0},
        {"a continuing script taken over, mode 0x7E", 0x7E, 2, 0, 0xECD4, 0},
        {"a continuing script, mode 0x7C", 0x7C, 2, 0, 0, 0xE6DD},
        {"a continuing script already running", 0x7A, 2, 2, 0x1234, 0},
        {"a continuing script, another running", 0x7A, 2, 3, 0, 0xE6BC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        voice_for(0, c.mode, c.pan);
        put_byte(voice + VC_PAN_SCRIPT, c.running);
        put_word(voice + VC_PAN_VOLUME, 0x1234);
        put_byte(instrument + VC_PAN_MODE, 0x55);
        uint32_t by_mode = stub_count(0x012E), pan = stub_count(0x012C);
        if (c.bail) {
            uint32_t continued = continuations();
            declines(0xE5A7, SND_COUNTER_KEY_ON, 0xE5A7);
            EXPECT_EQ(continuations() - continued, 1u);
            continue;
        }
        differential(0xE5A7, SND_COUNTER_KEY_ON, 0xE5A7);
        expect_keyed_on(c.pan_routine);
        EXPECT_EQ(stub_count(0x012E) - by_mode, (c.mode & 0x80) || c.mode < 0x40 ? 1u : 0u);
        EXPECT_EQ(stub_count(0x012C) - pan, c.mode == 0x7F ? 1u : 0u);
        if (c.pan_routine == 0xE97E) {
            EXPECT_EQ(comms16(voice + VC_FIXED_LEVELS), 0x2211u);
            EXPECT_EQ(comms16(voice + VC_FIXED_LEVELS + 2), 0x4433u);
        }
        if (c.mode < 0x79) {
            EXPECT_EQ(comms8(voice + VC_PAN_MODE_COPY), c.mode);
            EXPECT_EQ(comms8(voice + VC_PAN_SCRIPT), c.pan);
        }
        if (c.mode == 0x7D) {
            EXPECT_EQ(comms16(voice + VC_PAN_BYTE), DRV_PARAMETERS + 2 * c.pan);
        }
        if (c.pan_routine == 0xECD4) {
            uint32_t script = SYNTH_SD_PAN_SCRIPTS + 0x10 * (c.pan - 1);
            const uint8_t* bytes = SYNTH_SD_PAN_SCRIPT_BYTES[c.pan - 1];
            EXPECT_EQ(comms8(voice + VC_PAN_STEPS), bytes[0] == 0 || bytes[0] == 0xFF ? 1u : bytes[0]);
            EXPECT_EQ(comms8(voice + VC_PAN_TARGET), bytes[1]);
            EXPECT_EQ(comms8(voice + VC_PAN_DISTANCE + 1), bytes[1]);
            EXPECT_EQ(comms16(voice + VC_PAN_READ), script + 2);
            EXPECT_EQ(comms16(voice + VC_PAN_LOOP), script + 2);
        }
        if (c.pan == 2 && c.mode == 0x7E) {
            EXPECT_EQ(comms8(voice + VC_PAN_MODE), 0x7Au);
            EXPECT_EQ(comms8(voice + VC_PAN_MODE_COPY), 0x7Au);
            EXPECT_EQ(comms8(instrument + VC_PAN_MODE), 0x7Au);
            EXPECT_EQ(comms8(voice + VC_PAN_SCRIPT), 2u);
        }
    }
}

TEST_F(KeyOnTest, PitchEnvelopesAndOtherKeyOnsAreTheEmulatedCodes) {
    for (uint32_t field : {VC_PITCH_ENVELOPE, VC_KEY_ON_MODE}) {
        SCOPED_TRACE(field);
        voice_for(1, 0x80, 0x10);
        put_byte(voice + field, 2);
        uint32_t continued = continuations();
        declines(0xE5A7, SND_COUNTER_KEY_ON, 0xE5A7);
        EXPECT_EQ(continuations() - continued, 1u);
    }
}

}  // namespace

namespace {

TEST_F(VoicesTest, VoiceLevelsChargeTheirItemisedSums) {
    // Bus accesses: the clears (4), per level its byte and 0x00CC (2) and in range the
    // table byte and its store (2), the block, the two words and their stores (10), the
    // return (2); from the channel the two copies (8) more. Own cycles: 15, per level 21
    // in range or 13 out, 24; from the channel 8 more. Program bytes: 11, 13 or 7, 16; 5.
    const struct {
        const char* what;
        uint32_t site;
        int counter;
        uint32_t levels, attenuation;
        uint32_t in_range;  // levels below 256
    } cases[] = {
        {"all in range", 0xE987, SND_COUNTER_VOLUME_FROM_SCRATCH, 0x40302010, 0x20, 4},
        {"all out of range", 0xE987, SND_COUNTER_VOLUME_FROM_SCRATCH, 0xF0E0D0C0, 0x40, 0},
        {"sums of exactly 256 and 255", 0xE987, SND_COUNTER_VOLUME_FROM_SCRATCH, 0x10FF0001, 0xFF, 1},
        {"from the channel, in range", 0xE97E, SND_COUNTER_VOLUME_FROM_CHANNEL, 0x04030201, 0x00, 4},
        {"from the channel, out of range", 0xE97E, SND_COUNTER_VOLUME_FROM_CHANNEL, 0xFFFFFFFF, 0x01, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        bool channel = c.site == 0xE97E;
        for (uint32_t i = 0; i < 4; i++) {
            uint32_t level = (c.levels >> (8 * i)) & 0xFF;
            if (channel) put_byte(voice + VC_FIXED_LEVELS + i, level);
            else iram(DRV_SPEAKER_LEVELS + i) = uint8_t(level);
        }
        iram(DRV_ATTENUATION) = uint8_t(c.attenuation);
        registers(channel ? mx2 : mx0, 0, voice);
        cpu.dt = 0;
        uint64_t cycles = cpu.cycles;
        uint32_t fetched = cpu.fetch_count;
        differential(c.site, c.counter, c.site);
        uint32_t out = 4 - c.in_range;
        uint32_t bus = 4 + 2 * 4 + 2 * c.in_range + 10 + 2 + (channel ? 8 : 0);
        EXPECT_EQ(cpu.cycles - cycles, 2 + bus + 15 + 21 * c.in_range + 13 * out + 24 + (channel ? 8 : 0));
        EXPECT_EQ(cpu.fetch_count - fetched, 11 + 13 * c.in_range + 7 * out + 16 + (channel ? 5 : 0));
        uint8_t bytes[4];
        for (uint32_t i = 0; i < 4; i++) {
            uint32_t sum = ((c.levels >> (8 * i)) & 0xFF) + c.attenuation;
            bytes[i] = uint8_t(sum < 256 ? synth_sd_level(sum) : 0);  // 256 or more: 0
            EXPECT_EQ(iram(0xC4 + i), bytes[i]) << i;
        }
        EXPECT_EQ(chip_read16(0), uint32_t(bytes[1] << 8 | bytes[0]));
        EXPECT_EQ(chip_read16(2), uint32_t(bytes[3] << 8 | bytes[2]));
        EXPECT_EQ(cpu.y, block);
        EXPECT_EQ(cpu.a, uint32_t(bytes[3] << 8 | bytes[2]));
        uint32_t last = ((c.levels >> 24) & 0xFF) + c.attenuation;
        EXPECT_EQ((cpu.ps & m377_flag_c) != 0, last >= 256);
    }
}

}  // namespace

namespace {

TEST_F(VoicesTest, PanToSpeakersChargesItsItemisedSum) {
    // u = (position AND mask) + 0x20; bus accesses 18, own cycles 82 + 2 more toward the
    // rear, 55 program bytes.
    const struct {
        const char* what;
        uint32_t position, mask;
    } cases[] = {
        {"front", 0x05, 0xFF},
        {"rear", 0x35, 0xFF},
        {"masked", 0xF5, 0x0F},
        {"the last position in range", 0x5F, 0xFF},
        {"past the half turn", 0x60, 0xFF},
        {"masked past it", 0x7F, 0x7F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        iram(DRV_PAN_MASK) = uint8_t(c.mask);
        registers(mx2, uint16_t(0x4400 | c.position), voice);
        uint32_t u = ((c.position & c.mask) + 0x20) & 0xFF;
        if (u >= 0x80) {  // the emulated code's
            declines(0xE87E, SND_COUNTER_PAN_TO_SPEAKERS, 0xE87E);
            continue;
        }
        uint64_t cycles = cpu.cycles;
        uint32_t fetched = cpu.fetch_count;
        differential(0xE87E, SND_COUNTER_PAN_TO_SPEAKERS, 0xE87E);
        bool rear = u & 0x40;
        EXPECT_EQ(cpu.cycles - cycles, 2u + 18 + 82 + (rear ? 2 : 0));
        EXPECT_EQ(cpu.fetch_count - fetched, 55u);
        uint32_t toward = synth_sd_pan(u & 0x3F), away = synth_sd_pan((u & 0x3F) ^ 0x3F);
        uint32_t levels[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        levels[rear ? 2 : 0] = away;
        levels[rear ? 0 : 1] = toward;
        for (uint32_t i = 0; i < 4; i++) EXPECT_EQ(iram(DRV_SPEAKER_LEVELS + i), levels[i]) << i;
        EXPECT_EQ(iram(0xC4), (u * 2) & 0xFF);
        EXPECT_EQ(iram(0xC5), toward);
        EXPECT_EQ(cpu.a, toward);
        EXPECT_EQ(cpu.ps & (m377_flag_v | m377_flag_c), 0);
    }
}

}  // namespace

namespace {

TEST_F(VoicesTest, FixedPanAttenuatesOnePairAndTheRear) {
    const struct {
        const char* what;
        uint32_t position, rear;
        uint32_t levels[4];
        uint32_t bail;
    } cases[] = {
        {"right", 0x05, 0x00, {0, 0x14, 0, 0x14}, 0},
        {"p = -1 leaves the left pair 0", 0xFF, 0x00, {0, 0, 0, 0}, 0},
        {"left", 0xFD, 0x03, {0x08, 0, 0x08 + 0x0C, 0x0C}, 0},
        {"bit 6 of the rear byte adds 1 to the right rear", 0x01, 0x45, {0, 4, 0x14, 4 + 0x14 + 1}, 0},
        {"a rear byte with bit 7", 0x01, 0x80, {0, 4, 0, 4}, 0xE83A},
        {"the right rear carries", 0x3F, 0x02, {0, 0xFC, 0, 0x04}, 0xE82B},
        {"the left rear carries", 0xC0, 0x02, {0xFC, 0, 0x04, 0x08}, 0xE835},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        for (uint32_t i = 0; i < 4; i++) iram(DRV_SPEAKER_LEVELS + i) = 0x77;
        registers(mx2, uint16_t(0x3300 | c.position), voice, 0x1234, uint16_t(0x6600 | c.rear));
        uint32_t continued = continuations();
        if (c.bail) {
            declines(0xE7FE, SND_COUNTER_FIXED_PAN, 0xE7FE);
            EXPECT_EQ(continuations() - continued, 1u);
        } else {
            differential(0xE7FE, SND_COUNTER_FIXED_PAN, 0xE7FE);
        }
        for (uint32_t i = 0; i < 4; i++) EXPECT_EQ(iram(DRV_SPEAKER_LEVELS + i), c.levels[i]) << i;
        EXPECT_EQ(cpu.x, voice);
        EXPECT_EQ(cpu.b, 0x6600 | c.rear);
    }
}

}  // namespace

namespace {

TEST_F(VoicesTest, PanThenVolumeGoesOnAtTheLevels) {
    put_word(voice + VC_PAN_BYTE, DRV_PARAMETERS + 2 * 9);
    put_word(DRV_PARAMETERS + 2 * 9, 0x4C37);
    for (uint32_t i = 0; i < 4; i++) iram(DRV_SPEAKER_LEVELS + i) = uint8_t(0x10 * i);
    iram(DRV_ATTENUATION) = 0x08;
    registers(mx2, 0x1200, voice);
    cpu.dt = 0x21;
    uint32_t panned = stub_count(0x012C);
    differential(0xECC4, SND_COUNTER_PAN_THEN_VOLUME, 0xECC4);
    EXPECT_EQ(stub_count(0x012C) - panned, 1u);
    // The levels' routine ran after the pan: A the rear pair's register word.
    EXPECT_EQ(cpu.a, synth_sd_level(0x30 + 0x08) << 8 | synth_sd_level(0x20 + 0x08));
    EXPECT_EQ(cpu.y, block);
}

}  // namespace
