// The voices: the channel walk that hands each voice its due note events, the note
// event that loads the instrument and keys the voice on or releases it, key-on with
// its envelope and pan set-up, the sample changes and streaming, the per-voice update
// of pitch and attenuation, the plain pitch steps, and the pans and speaker levels that end in the chip's two volume registers.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"
#include "sound/sound_cpu_run.h"

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_z = m377_flag_z;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;

// Where the emulated driver goes on: the sample header's loop of segments and its end.
constexpr uint32_t STREAM_LOOPED = 0xEB47;
constexpr uint32_t STREAM_ENDED = 0xEB86;
constexpr uint32_t ENVELOPE_END = 0xEFAE;
constexpr uint32_t SAMPLE_CHANGE = 0xF013;
constexpr uint32_t SAMPLE_RESTART = 0xF064;

constexpr uint32_t EVENT_TIE = 0x80;
constexpr uint32_t EVENT_RELEASE = 0x7F00;      // kind 0, note 0x7F (tie bit masked)
constexpr uint32_t FLAGS_PLAYING = 0x8000;      // chip "flags": the voice plays
constexpr uint32_t FLAGS_KEY_ON = 0x4000;       // a key-on requested
constexpr uint32_t FLAGS_SEGMENT_END = 0x0800;  // the streamed segment ended
constexpr uint32_t FLAGS_CHAINED = 0x0020;      // segments follow (header flags, chip flags)

uint32_t field(const m377_state* s, uint32_t n) {
    return snd_field(s, s->x, n);
}

// The word at DT:Y + offset (absolute,Y in the data bank).
uint32_t data16(m377_state* s, uint32_t offset) {
    return snd_bus_read16(s, ((uint32_t(s->dt) << 16) + s->y + offset) & 0xFFFFFF);
}

// A register of the current voice's chip block (LDX 0x00EA then field,X).
uint32_t chip_register(m377_state* s, uint32_t r) {
    return snd_field(s, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)), r);
}

// SEC, SBC at 16 bits.
uint32_t subtract16(m377_state* s, uint32_t a, uint32_t b) {
    s->ps |= flag_c;
    return snd_adc16(s, a, ~b & 0xFFFF);
}

// CLC, ADC at 16 bits.
uint32_t add16(m377_state* s, uint32_t a, uint32_t b) {
    s->ps &= ~flag_c;
    return snd_adc16(s, a, b);
}

// ADC at 8 bits into A's low byte.
void add_to_a8(m377_state* s, uint32_t value) {
    s->a = uint16_t((s->a & 0xFF00) | snd_adc8(s, s->a, value));
}

// The byte at a voice field at 8 bits, M left set.
uint32_t load_byte(m377_state* s, uint32_t n) {
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, field(s, n)));
    return s->a & 0xFF;
}

void store_byte(m377_state* s, uint32_t n, uint32_t value) {
    snd_narrow_a(s, true);
    snd_bus_write8(s, field(s, n), value);
    snd_narrow_a(s, false);
}

// The event read index against the write index (CMP at 8 bits); true when they differ.
bool events_pending(m377_state* s) {
    snd_compare(s, load_byte(s, VC_EVENT_READ), snd_bus_read8(s, field(s, VC_EVENT_WRITE)), false);
    snd_narrow_a(s, false);
    return !(s->ps & flag_z);
}

// The time of the event at Y minus the driver time, with the subtraction's flags.
uint32_t event_lead(m377_state* s) {
    snd_load16(s, &s->a, data16(s, EV_TIME));
    s->a = uint16_t(subtract16(s, s->a, snd_bus_read16(s, snd_dp(s, DRV_TIME))));
    return s->a;
}

// Consumes the event at Y and any after it that are strictly overdue; Y ends at the
// last one consumed. The indices are bytes, so a ring in RAM empties within 256 steps;
// a record the walk finds in ROM (a voice count past the records) cannot, and stops there.
void consume_events(m377_state* s) {
    uint32_t voice = snd_bus_read16(s, snd_dp(s, DRV_VOICE));
    for (int step = 0; step < 256; step++) {
        snd_narrow_a(s, true);
        snd_step_memory(s, field(s, VC_EVENT_READ), 1, false);
        load_byte(s, VC_EVENT_READ);
        snd_narrow_a(s, false);
        snd_load16(s, &s->a, s->a & 7);
        s->a = uint16_t(snd_asl(s, s->a, 3, true));
        s->a = uint16_t(add16(s, s->a, VC_EVENTS));
        s->a = uint16_t(add16(s, s->a, voice));
        snd_bus_write16(s, field(s, VC_NEXT_EVENT), s->a);
        if (!events_pending(s)) return;
        uint16_t consumed = s->y;
        snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_NEXT_EVENT)));
        if (!(event_lead(s) & 0x8000)) {
            snd_load16(s, &s->y, consumed);
            return;
        }
        snd_load16(s, &s->a, consumed);
    }
}

// The body both sample changes share: X = the voice, Y = its sample header (bank 0x21
// in DT), B = the header's flags.
int sample_change_common(m377_state* s) {
    uint16_t voice = s->x;
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_START_TRANSPOSE)) & 0xFF);
    s->a = uint16_t(add16(s, s->a, data16(s, 6)));
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    snd_bus_write16(s, field(s, DRV_CHIP_START), s->a);
    snd_load16(s, &s->a, data16(s, 8));
    snd_bus_write16(s, field(s, DRV_CHIP_END), s->a);
    snd_load16(s, &s->a, data16(s, 10));
    snd_bus_write16(s, field(s, DRV_CHIP_LOOP), s->a);
    snd_load16(s, &s->x, voice);
    snd_load16(s, &s->a, s->y);
    s->a = uint16_t(add16(s, s->a, 2));
    snd_bus_write16(s, field(s, VC_STREAM), s->a);
    s->dt = 0;
    snd_load16(s, &s->a, s->b & FLAGS_CHAINED);
    if (s->a) snd_load16(s, &s->a, 0xFF);
    store_byte(s, VC_STREAMING, s->a);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_INSTRUMENT)));
    return snd_return_counted(s, SND_COUNTER_SAMPLE_CHANGE);
}

// A call of the driver's routine at address; false when it did not return cleanly.
bool call(m377_state* s, uint32_t address) {
    return snd_call_driver(s, address) == 0;
}

}  // namespace

// 0xE46E: the walk over the voices: each takes its due note events, the live ones
// their envelope step; then the chip keys on and off what was requested.
int channels(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_CHANNELS);
    snd_bus_write16(s, snd_dp(s, DRV_CHIP_BLOCK), DRV_CHIP);
    snd_narrow_a(s, true);
    snd_bus_write8(s, snd_dp(s, DRV_VOICE_COUNTER), 0);
    snd_narrow_a(s, false);
    s->dt = 0;
    snd_load16(s, &s->x, DRV_VOICES);
    // The counter is a byte: a count of 0 walks 256 voices.
    for (;;) {
        snd_bus_write16(s, snd_dp(s, DRV_VOICE), s->x);
        if (events_pending(s)) {
            snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_NEXT_EVENT)));
            uint32_t lead = event_lead(s);
            if (!lead || (lead & 0x8000)) {
                consume_events(s);
                if (snd_call_vector(s, DRV_VEC_NOTE_EVENT)) return 1;
            }
        }
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_VOICE)));
        snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_LIVE)) & 0xFF);
        if (s->a && snd_call_vector(s, DRV_VEC_ENVELOPE_STEP)) return 1;

        snd_narrow_a(s, true);
        snd_step_memory(s, snd_dp(s, DRV_VOICE_COUNTER), 1, false);
        snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_VOICE_COUNTER)));
        snd_compare(s, s->a, snd_bus_read8(s, DRV_VOICE_COUNT), false);
        snd_narrow_a(s, false);
        if (s->ps & flag_z) break;
        uint32_t block = snd_dp(s, DRV_CHIP_BLOCK);
        s->a = uint16_t(add16(s, snd_bus_read16(s, block), DRV_CHIP_BLOCK_SIZE));
        snd_bus_write16(s, block, s->a);
        s->a = uint16_t(add16(s, snd_bus_read16(s, snd_dp(s, DRV_VOICE)), DRV_VOICE_SIZE));
        snd_load16(s, &s->x, s->a);
    }
    snd_bus_write16(s, DRV_CHIP_KEY_ON, s->a);
    return snd_return_counted(s, SND_COUNTER_CHANNELS);
}

// 0xE4E7: X = the voice, Y = its event. Notes below 0x80 (kind 0) and volume events
// (kind 1) are handled; the other kinds are the emulated code's.
int note_event(m377_state* s) {
    uint32_t word = snd_peek16(s, ((uint32_t(s->dt) << 16) + s->y + EV_KIND) & 0xFFFFFF);
    uint32_t kind = word & 0x7F;
    if ((s->ps & widths) || !((kind == 0 && word < 0x8000) || kind == 1))
        return snd_count_declined(SND_COUNTER_NOTE_EVENT);
    // The kind tests as the driver makes them.
    snd_load16(s, &s->a, data16(s, EV_KIND) & 0x7F);
    if (s->a) snd_compare(s, s->a, 1, true);
    else snd_load16(s, &s->a, data16(s, EV_KIND));

    snd_load16(s, &s->a, data16(s, EV_INSTRUMENT));
    snd_bus_write16(s, field(s, VC_INSTRUMENT), s->a);
    snd_load16(s, &s->a, data16(s, EV_LEVEL_SOURCE));
    snd_bus_write16(s, field(s, VC_LEVEL_SOURCE), s->a);
    snd_load16(s, &s->a, data16(s, EV_KIND));
    snd_bus_write16(s, snd_dp(s, DRV_EVENT_WORD), s->a);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_INSTRUMENT)));
    snd_load16(s, &s->a, s->a & 0xFF7F);
    snd_compare(s, s->a, EVENT_RELEASE, true);
    if (s->ps & flag_z) {
        bool enveloped = load_byte(s, VC_ENVELOPE) != 0;
        if (enveloped) {  // the envelope releases
            store_byte(s, VC_RELEASE, 1);
            return snd_return_counted(s, SND_COUNTER_NOTE_EVENT);
        }
        s->pc = uint16_t(ENVELOPE_END);  // no envelope: the voice ends at once
        return snd_count_ran(SND_COUNTER_NOTE_EVENT);
    }

    snd_load16(s, &s->a, data16(s, 2));
    snd_bus_write16(s, field(s, VC_LEVEL), s->a);
    snd_load16(s, &s->a, data16(s, 4));
    snd_bus_write16(s, field(s, VC_PITCH), s->a);
    snd_narrow_a(s, true);
    snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_EVENT_WORD)));
    snd_bus_write8(s, snd_dp(s, DRV_EVENT_KIND), s->a);
    snd_lda8(s, s->a & 0x7F);
    bool volume_event = (s->a & 0xFF) != 0;
    snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_EVENT_WORD + 1)));
    snd_bus_write8(s, field(s, volume_event ? VC_LEVEL : VC_PITCH + 1), s->a);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, data16(s, 10));
    snd_bus_write16(s, field(s, VC_START_TRANSPOSE), s->a);

    snd_load16(s, &s->a, data16(s, 0));
    if (s->a & 0x8000) {  // reload even when the same sample is loaded
        snd_load16(s, &s->a, s->a & 0x7FFF);
        snd_bus_write16(s, ((uint32_t(s->dt) << 16) + s->y) & 0xFFFFFF, s->a);
        if (!call(s, SAMPLE_CHANGE)) return 1;
    } else {
        snd_compare(s, s->a, snd_bus_read16(s, field(s, VC_SAMPLE)), true);
        if (!(s->ps & flag_z)) {
            if (!call(s, SAMPLE_CHANGE)) return 1;
        } else if (load_byte(s, VC_STREAMING) && !call(s, SAMPLE_RESTART)) {
            return 1;
        }
    }

    snd_narrow_a(s, false);
    for (uint32_t n : {VC_ENVELOPE, VC_RELEASE_DELAY, VC_KEY_ON_MODE, VC_PAN_MODE}) {
        snd_load16(s, &s->a, data16(s, n));
        snd_bus_write16(s, field(s, n), s->a);
    }
    load_byte(s, VC_PITCH + 1);
    s->ps &= ~flag_c;
    add_to_a8(s, snd_bus_read8(s, field(s, VC_START_TRANSPOSE + 1)));
    snd_bus_write8(s, field(s, VC_PITCH + 1), s->a);
    snd_lda8(s, 0xFF);
    snd_bus_write8(s, field(s, VC_LIVE), s->a);
    snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_EVENT_KIND)));
    if (s->a & EVENT_TIE) {
        s->dt = 0;
        snd_narrow_a(s, false);
        return snd_return_counted(s, SND_COUNTER_NOTE_EVENT);
    }
    snd_narrow_a(s, false);
    if (snd_call_vector(s, DRV_VEC_KEY_ON)) return 1;
    return snd_return_counted(s, SND_COUNTER_NOTE_EVENT);
}

// 0xF013: X = the voice, A = the sample number: its header's fields into the voice.
int sample_change_f013(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_SAMPLE_CHANGE);
    uint16_t voice = s->x;
    snd_bus_write16(s, field(s, VC_SAMPLE), s->a);
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, DRV_SAMPLE_TABLE_WORD)));
    snd_load16(s, &s->x, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, uint32_t(DRV_DATA_BANK) << 16 | s->x));
    snd_load16(s, &s->x, voice);
    snd_bus_write16(s, field(s, VC_HEADER), s->a);
    snd_load16(s, &s->y, s->a);
    s->dt = DRV_DATA_BANK;
    snd_load16(s, &s->a, data16(s, 0));
    snd_bus_write16(s, field(s, VC_SAMPLE_PITCH), s->a);
    snd_load16(s, &s->a, data16(s, 2));
    snd_bus_write16(s, field(s, VC_BANK), s->a);
    snd_load16(s, &s->b, data16(s, 4));
    snd_bus_write16(s, field(s, VC_FLAGS), s->b);
    return sample_change_common(s);
}

// 0xF064: the voice's own sample again from its start.
int sample_change_f064(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_SAMPLE_CHANGE);
    snd_narrow_a(s, false);
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_HEADER)));
    snd_load16(s, &s->b, snd_bus_read16(s, field(s, VC_FLAGS)));
    s->dt = DRV_DATA_BANK;
    return sample_change_common(s);
}

// 0xEB29: X = the voice. A new chain starts its first segment; a playing one steps to
// the next segment when the chip reports the segment's end.
int sample_streaming(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(SND_COUNTER_SAMPLE_STREAMING);
    uint16_t voice = s->x;
    s->dt = DRV_DATA_BANK;
    snd_load16(s, &s->y, snd_bus_read16(s, field(s, VC_STREAM)));
    snd_compare(s, load_byte(s, VC_STREAMING), 0xFF, false);
    snd_narrow_a(s, false);
    if (s->ps & flag_z) {
        store_byte(s, VC_STREAMING, 0x7F);
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
        snd_load16(s, &s->a, data16(s, 12));
        snd_bus_write16(s, field(s, DRV_CHIP_LOOP), s->a);
        snd_load16(s, &s->a, data16(s, 8));
        snd_bus_write16(s, field(s, DRV_CHIP_START), s->a);
        snd_load16(s, &s->x, voice);
        snd_load16(s, &s->a, data16(s, 10) & 1);
        if (s->a) return snd_bail(s, STREAM_LOOPED, SND_COUNTER_SAMPLE_STREAMING);
    } else {
        snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
        snd_load16(s, &s->a, snd_bus_read16(s, field(s, DRV_CHIP_FLAGS)) & FLAGS_SEGMENT_END);
        if (!s->a) {  // the segment plays on
            snd_load16(s, &s->x, voice);
            s->dt = 0;
            return snd_return_counted(s, SND_COUNTER_SAMPLE_STREAMING);
        }
        snd_load16(s, &s->a, data16(s, 6));
        snd_bus_write16(s, field(s, DRV_CHIP_END), s->a);
        snd_load16(s, &s->a, data16(s, 2));
        snd_bus_write16(s, snd_dp(s, DRV_SEGMENT_FLAGS), s->a);
        snd_load16(s, &s->a, s->a & FLAGS_CHAINED);
        if (!s->a) {  // the last segment
            snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SEGMENT_FLAGS)));
            snd_bus_write16(s, field(s, DRV_CHIP_FLAGS), s->a);
            snd_load16(s, &s->a, data16(s, 6));
            snd_bus_write16(s, field(s, DRV_CHIP_END), s->a);
            snd_load16(s, &s->a, data16(s, 8));
            snd_bus_write16(s, field(s, DRV_CHIP_LOOP), s->a);
            snd_load16(s, &s->x, voice);
            s->dt = 0;
            return snd_return_counted(s, SND_COUNTER_SAMPLE_STREAMING);
        }
        snd_load16(s, &s->a, data16(s, 8));
        if (s->a & 0x8000) {
            snd_load16(s, &s->x, voice);
            return snd_bail(s, STREAM_ENDED, SND_COUNTER_SAMPLE_STREAMING);
        }
        uint16_t flags = uint16_t(snd_bus_read16(s, snd_dp(s, DRV_SEGMENT_FLAGS)) & 0xFFFE);
        snd_load16(s, &s->a, (data16(s, 10) & 1) | flags);
        snd_bus_write16(s, field(s, DRV_CHIP_FLAGS), s->a);
        snd_load16(s, &s->a, data16(s, 12));
        snd_bus_write16(s, field(s, DRV_CHIP_LOOP), s->a);
        snd_load16(s, &s->a, data16(s, 8));
        snd_bus_write16(s, field(s, DRV_CHIP_START), s->a);
        snd_load16(s, &s->a, flags);
        snd_load16(s, &s->x, voice);
    }
    snd_load16(s, &s->a, s->y);
    s->a = uint16_t(add16(s, s->a, 8));
    snd_bus_write16(s, field(s, VC_STREAM), s->a);
    s->dt = 0;
    return snd_return_counted(s, SND_COUNTER_SAMPLE_STREAMING);
}

// 0xE8DB: X = the voice, 0x00EA its chip block: a voice neither playing nor keyed on
// is freed; else its pitch goes to "freq" and its attenuation to 0x00CC.
int channel_update(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_CHANNEL_UPDATE);
    snd_narrow_a(s, false);
    uint16_t voice = s->x;
    uint32_t flags = snd_bus_read16(s, chip_register(s, DRV_CHIP_FLAGS));
    snd_load16(s, &s->x, voice);
    snd_load16(s, &s->a, flags);
    if (!(s->a & FLAGS_PLAYING)) {
        snd_compare(s, s->a, FLAGS_KEY_ON, true);
        if (!(s->ps & flag_c)) {
            store_byte(s, VC_LIVE, 0);
            return snd_return_counted(s, SND_COUNTER_CHANNEL_UPDATE);
        }
    } else {
        snd_load16(s, &s->a, s->a & FLAGS_CHAINED);
        if (s->a) {
            snd_load16(s, &s->a, FLAGS_CHAINED);
            s->dt = DRV_DATA_BANK;
            if (snd_call_vector(s, DRV_VEC_PAN_BY_STATE)) return 1;
        }
    }
    s->dt = 0;
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_PITCH_PARAMETER)) & 0xFF);
    if (s->a) {  // the game drives the pitch
        s->a = uint16_t(snd_asl(s, s->a, 1, true));
        snd_load16(s, &s->x, s->a);
        snd_load16(s, &s->a, snd_bus_read16(s, (DRV_PARAMETERS + s->x) & 0xFFFFFF));
        snd_load16(s, &s->x, voice);
        snd_bus_write16(s, field(s, VC_PITCH), s->a);
    }
    for (uint32_t vector = DRV_VEC_UPDATE_FIRST; vector <= DRV_VEC_UPDATE_FIRST + 8; vector += 2)
        if (vector != DRV_VEC_UPDATE_LAST && snd_call_vector(s, vector)) return 1;

    // Pitch: the table step and the fraction between it and the next.
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_GLIDED_PITCH)));
    for (uint32_t n : VC_PITCH_PARTS) s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, field(s, n))));
    s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, snd_dp(s, DRV_PITCH_OFFSET))));
    s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, field(s, VC_SAMPLE_PITCH))));
    uint16_t pitch = s->a;
    snd_load16(s, &s->a, pitch & 0xFF);
    snd_bus_write16(s, snd_dp(s, DRV_FRACTION), s->a);
    snd_load16(s, &s->a, pitch & 0x7F00);
    s->a = uint16_t(snd_lsr(s, s->a, 7, true));
    snd_load16(s, &s->x, s->a);
    uint32_t step = (DRV_PITCH_TABLE + s->x) & 0xFFFFFF;
    snd_load16(s, &s->a, snd_bus_read16(s, step + 2));
    s->a = uint16_t(subtract16(s, s->a, snd_bus_read16(s, step)));
    // MPY: B:A = A x the fraction; its middle 16 bits are the step's share.
    uint32_t product = uint32_t(s->a) * snd_bus_read16(s, snd_dp(s, DRV_FRACTION));
    s->a = uint16_t(product);
    s->b = uint16_t(product >> 16);
    snd_load16(s, &s->a, product >> 8);
    s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, step)));
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    snd_bus_write16(s, field(s, DRV_CHIP_FREQ), s->a);
    snd_load16(s, &s->x, voice);

    // Attenuation: envelope + voice + the level byte the event named, at most 0xFF.
    load_byte(s, VC_ENVELOPE_LEVEL);
    s->ps &= ~flag_c;
    add_to_a8(s, snd_bus_read8(s, field(s, VC_LEVEL)));
    if (!(s->ps & flag_c))
        add_to_a8(s, snd_bus_read8(s, uint32_t(s->dt) << 16 | snd_bus_read16(s, field(s, VC_LEVEL_SOURCE))));
    if (s->ps & flag_c) snd_lda8(s, 0xFF);
    snd_bus_write8(s, snd_dp(s, DRV_ATTENUATION), s->a);
    snd_narrow_a(s, false);
    s->pc = uint16_t(snd_bus_read16(s, DRV_VEC_UPDATE_LAST));
    return snd_count_ran(SND_COUNTER_CHANNEL_UPDATE);
}

// 0xEBB8 (timed): without a glide the pitch is the glided pitch.
int pitch_glide(m377_state* s) {
    if ((s->ps & m377_flag_x) || snd_peek8(s, field(s, VC_GLIDE)))
        return snd_count_declined(SND_COUNTER_PITCH_GLIDE);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_PITCH)));
    snd_bus_write16(s, field(s, VC_GLIDED_PITCH), s->a);
    s->dt = 0;
    // The driver's instructions besides their bus accesses: 9 + 10 + 3 + 2 cycles and
    // 6 + 5 + 2 + 1 program bytes.
    s->cycles += 24;
    s->fetch_count += 14;
    return snd_return_counted(s, SND_COUNTER_PITCH_GLIDE);
}

// 0xEBFD (timed): without a pitch envelope nothing moves; A's low byte 0.
int pitch_envelope(m377_state* s) {
    if ((s->ps & m377_flag_x) || snd_peek8(s, field(s, VC_PITCH_ENVELOPE)))
        return snd_count_declined(SND_COUNTER_PITCH_ENVELOPE);
    snd_narrow_a(s, true);
    snd_lda8(s, 0);
    s->dt = DRV_DATA_BANK;
    // 9 + 7 cycles and 6 + 3 program bytes besides the return's bus accesses.
    s->cycles += 16;
    s->fetch_count += 9;
    return snd_return_counted(s, SND_COUNTER_PITCH_ENVELOPE);
}

namespace {

// Where key-on's emulated form goes on: a pitch envelope, the pan modes it was not
// written for, a pan script it does not start, a key-on finished by the emulated code.
constexpr uint32_t KEY_ON_PITCH_ENVELOPE = 0xE5B8;
constexpr uint32_t KEY_ON_OTHER_PAN = 0xE63C;
constexpr uint32_t KEY_ON_OTHER_SCRIPT = 0xE6BC;
constexpr uint32_t KEY_ON_SCRIPT_7C = 0xE6DD;
constexpr uint32_t KEY_ON_SCRIPT_STARTED = 0xE706;
constexpr uint32_t KEY_ON_EMULATED = 0xE72B;
constexpr uint32_t ENVELOPE_READ = 0xEF9D;

constexpr uint32_t NO_ROUTINE = 0xE9D5;     // an RTS: no pitch effect, no envelope
constexpr uint32_t LEVELS_FIXED = 0xE97E;   // pan/volume routines of a voice
constexpr uint32_t LEVELS_FROM_PARAMETER = 0xECC4;
constexpr uint32_t PAN_SCRIPT_STEP = 0xECD4;
constexpr uint32_t DRV_VEC_PAN = 0x012C;
constexpr uint32_t DRV_VEC_PAN_BY_MODE = 0x012E;
constexpr uint32_t DRV_ENVELOPE_TABLE_WORD = 0x210006;
constexpr uint32_t DRV_PAN_SCRIPT_TABLE_WORD = 0x210008;

constexpr uint32_t PAN_SCRIPT_RUNNING = 0x7A;  // the mode a continuing script takes over as
constexpr uint32_t PAN_SCRIPT_TAKE_OVER = 0x7E;
constexpr uint32_t PAN_SCRIPT_7C = 0x7C;
constexpr uint32_t PAN_SCRIPT_CONTINUES = 0xFF;  // a script's first byte

bool pan_script_mode(uint32_t m) {
    return m == 0x79 || m == PAN_SCRIPT_RUNNING || m == PAN_SCRIPT_7C || m == PAN_SCRIPT_TAKE_OVER;
}

uint32_t data8(m377_state* s, uint32_t offset) {
    return snd_read_dt(s, offset);
}

void store_word(m377_state* s, uint32_t n, uint32_t value) {
    snd_bus_write16(s, field(s, n), value);
}

// The word at entry (number - 1) of a bank-0x21 table named by the word at table_word,
// into Y (the entry's address left in A... as the driver's TAX / LDA long,X / TAY leave it).
uint32_t bank_table_entry(m377_state* s, uint32_t number_field, uint32_t table_word) {
    uint16_t voice = s->x;
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, number_field)) & 0xFF);
    snd_load16(s, &s->a, s->a - 1u);
    s->a = uint16_t(snd_asl(s, s->a, 1, true));
    s->a = uint16_t(add16(s, s->a, snd_bus_read16(s, table_word)));
    uint32_t entry = s->a;
    snd_load16(s, &s->x, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, uint32_t(DRV_DATA_BANK) << 16 | s->x));
    snd_load16(s, &s->x, voice);
    snd_load16(s, &s->y, s->a);
    return entry;
}

// The end of key-on (M set): the pitch effect none, the chip's "bank" and "flags" with
// the key-on request, carried out at the channel walk's end.
int key_on_start(m377_state* s) {
    if (load_byte(s, VC_KEY_ON_MODE)) return snd_bail(s, KEY_ON_EMULATED, SND_COUNTER_KEY_ON);
    snd_narrow_a(s, false);
    uint16_t voice = s->x;
    store_word(s, VC_PITCH_EFFECT, NO_ROUTINE);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_FLAGS)) | FLAGS_KEY_ON);
    snd_load16(s, &s->y, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_BANK)));
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    snd_bus_write16(s, field(s, DRV_CHIP_BANK), s->a);
    snd_load16(s, &s->a, s->y);
    snd_bus_write16(s, field(s, DRV_CHIP_FLAGS), s->a);
    snd_load16(s, &s->x, voice);
    snd_narrow_a(s, true);
    return snd_return_counted(s, SND_COUNTER_KEY_ON);
}

// Pan modes 0x79, 0x7A, 0x7C and 0x7E (M set): the pan script numbered +0x03 starts,
// or a running one goes on.
int pan_script_start(m377_state* s) {
    snd_narrow_a(s, false);
    bank_table_entry(s, VC_PAN, DRV_PAN_SCRIPT_TABLE_WORD);
    snd_narrow_a(s, true);
    snd_lda8(s, data8(s, 0));
    snd_compare(s, s->a, PAN_SCRIPT_CONTINUES, false);
    if (s->ps & flag_z) {
        snd_compare(s, load_byte(s, VC_PAN_MODE), PAN_SCRIPT_TAKE_OVER, false);
        if (!(s->ps & flag_z)) {
            snd_compare(s, s->a, PAN_SCRIPT_7C, false);
            if (s->ps & flag_z) return snd_bail(s, KEY_ON_SCRIPT_7C, SND_COUNTER_KEY_ON);
            snd_compare(s, load_byte(s, VC_PAN_SCRIPT), snd_bus_read8(s, field(s, VC_PAN)), false);
            if (s->ps & flag_z) return key_on_start(s);  // the running script goes on
            return snd_bail(s, KEY_ON_OTHER_SCRIPT, SND_COUNTER_KEY_ON);
        }
        // It takes the running script over as mode 0x7A, the instrument too.
        snd_lda8(s, PAN_SCRIPT_RUNNING);
        snd_bus_write8(s, field(s, VC_PAN_MODE_COPY), s->a);
        snd_bus_write8(s, field(s, VC_PAN_MODE), s->a);
        snd_narrow_a(s, false);
        uint16_t voice = s->x;
        snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_INSTRUMENT)));
        snd_load16(s, &s->x, s->a);
        snd_narrow_a(s, true);
        snd_lda8(s, PAN_SCRIPT_RUNNING);
        snd_bus_write8(s, field(s, VC_PAN_MODE), s->a);
        snd_load16(s, &s->x, voice);
        snd_lda8(s, snd_bus_read8(s, field(s, VC_PAN)));
        snd_bus_write8(s, field(s, VC_PAN_SCRIPT), s->a);
        snd_lda8(s, 1);
    }
    snd_compare(s, s->a, 0, false);
    if (s->ps & flag_z) snd_lda8(s, 1);  // a count of 0 is one step
    snd_bus_write8(s, field(s, VC_PAN_STEPS), s->a);
    snd_lda8(s, data8(s, 1));
    snd_bus_write8(s, field(s, VC_PAN_DISTANCE + 1), s->a);
    snd_bus_write8(s, field(s, VC_PAN_TARGET), s->a);
    snd_narrow_a(s, false);
    store_word(s, VC_PAN_VOLUME, PAN_SCRIPT_STEP);
    snd_load16(s, &s->a, s->y);
    s->a = uint16_t(add16(s, s->a, 2));
    store_word(s, VC_PAN_LOOP, s->a);
    store_word(s, VC_PAN_READ, s->a);
    snd_narrow_a(s, true);
    snd_compare(s, load_byte(s, VC_PAN_MODE), PAN_SCRIPT_RUNNING, false);
    if (s->ps & flag_z) return key_on_start(s);
    snd_compare(s, s->a, PAN_SCRIPT_TAKE_OVER, false);
    if (s->ps & flag_z) return key_on_start(s);
    return snd_bail(s, KEY_ON_SCRIPT_STARTED, SND_COUNTER_KEY_ON);
}

}  // namespace

// 0xE5A7 (8-bit accumulator): X = the voice, just loaded by a note: the voice stops, its
// envelope starts, its pitch components clear, its pan is set by its mode, and it is
// keyed on.
int key_on(m377_state* s) {
    if ((s->ps & widths) != m377_flag_m) return snd_count_declined(SND_COUNTER_KEY_ON);
    uint16_t voice = s->x;
    snd_load16(s, &s->x, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, 0);
    snd_bus_write16(s, field(s, DRV_CHIP_FLAGS), 0);
    snd_narrow_a(s, true);
    snd_load16(s, &s->x, voice);
    s->dt = DRV_DATA_BANK;
    if (load_byte(s, VC_PITCH_ENVELOPE)) return snd_bail(s, KEY_ON_PITCH_ENVELOPE, SND_COUNTER_KEY_ON);

    if (load_byte(s, VC_ENVELOPE)) {
        snd_narrow_a(s, false);
        store_word(s, VC_ENVELOPE_ENTRY, bank_table_entry(s, VC_ENVELOPE, DRV_ENVELOPE_TABLE_WORD));
        snd_narrow_a(s, true);
        snd_lda8(s, snd_bus_read8(s, field(s, VC_RELEASE_DELAY + 1)));
        snd_bus_write8(s, field(s, VC_RELEASE), s->a);
        snd_lda8(s, data8(s, 0));
        if (!(s->a & 0x80)) {  // it starts silent
            snd_narrow_a(s, false);
            snd_load16(s, &s->a, 0xFFFF);
            store_word(s, VC_ENVELOPE_LEVEL - 1, s->a);
            snd_narrow_a(s, true);
        }
        if (!call(s, ENVELOPE_READ)) return 1;
    } else {
        snd_bus_write8(s, field(s, VC_ENVELOPE_LEVEL), 0);
        store_word(s, VC_ENVELOPE_STEP, NO_ROUTINE);
    }
    store_word(s, VC_PITCH_PARTS[0], 0);
    store_word(s, VC_PITCH_PARTS[1], 0);

    uint32_t mode = load_byte(s, VC_PAN_MODE);
    if (!(mode & 0x80)) {
        if (pan_script_mode(mode)) return pan_script_start(s);
        snd_bus_write8(s, field(s, VC_PAN_MODE_COPY), mode);
        snd_lda8(s, snd_bus_read8(s, field(s, VC_PAN)));
        snd_bus_write8(s, field(s, VC_PAN_SCRIPT), s->a);
        snd_compare(s, load_byte(s, VC_PAN_MODE), 0x40, false);
    }
    if ((mode & 0x80) || mode < 0x40 || mode == 0x7F) {
        if (mode != 0x7F) {
            s->b = uint16_t((s->b & 0xFF00) | mode);
            snd_set_nz(s, mode, false);
        }
        snd_lda8(s, snd_bus_read8(s, field(s, VC_PAN)));
        if (snd_call_vector(s, mode == 0x7F ? DRV_VEC_PAN : DRV_VEC_PAN_BY_MODE)) return 1;
        snd_narrow_a(s, false);
        snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SPEAKER_LEVELS)));
        store_word(s, VC_FIXED_LEVELS, s->a);
        snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_SPEAKER_LEVELS + 2)));
        store_word(s, VC_FIXED_LEVELS + 2, s->a);
        store_word(s, VC_PAN_VOLUME, LEVELS_FIXED);
    } else if (mode == 0x7D) {  // the pan from a game parameter word
        snd_narrow_a(s, false);
        snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_PAN)) & 0xFF);
        s->a = uint16_t(snd_asl(s, s->a, 1, true));
        s->a = uint16_t(add16(s, s->a, DRV_PARAMETERS));
        store_word(s, VC_PAN_BYTE, s->a);
        store_word(s, VC_PAN_VOLUME, LEVELS_FROM_PARAMETER);
    } else {
        snd_compare(s, mode, 0x7F, false);
        snd_compare(s, mode, 0x7D, false);
        return snd_bail(s, KEY_ON_OTHER_PAN, SND_COUNTER_KEY_ON);
    }
    return key_on_start(s);
}

namespace {

constexpr uint32_t DRV_LEVEL_TABLE = 0xF106;   // attenuation to register value, 256 bytes
constexpr uint32_t DRV_REGISTER_BYTES = 0xC4;  // four bytes: "vol_f" and "vol_r" as written
constexpr uint32_t DRV_CHIP_VOL_R = 2;

// The four levels at 0x00C0-0x00C3 with the voice's attenuation through the level table
// into "vol_f" and "vol_r" of the chip block at 0x00EA (written through DT:Y). Charges
// the driver's own cycles and program bytes besides the bus accesses.
int voice_volume_common(m377_state* s, int index) {
    snd_bus_write16(s, snd_dp(s, DRV_REGISTER_BYTES), 0);
    snd_bus_write16(s, snd_dp(s, DRV_REGISTER_BYTES + 2), 0);
    s->cycles += 5 + 5 + 5;
    s->fetch_count += 4 + 4 + 3;
    uint16_t voice = s->x;
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, 0);
    snd_narrow_a(s, true);
    for (uint32_t i = 0; i < 4; i++) {
        snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_SPEAKER_LEVELS + i)));
        s->ps &= ~flag_c;
        add_to_a8(s, snd_bus_read8(s, snd_dp(s, DRV_ATTENUATION)));
        if (s->ps & flag_c) {  // 256 or more: the register byte stays 0
            s->cycles += 3 + 5 + 5;
            s->fetch_count += 2 + 3 + 2;
            continue;
        }
        snd_load16(s, &s->x, s->a);
        snd_lda8(s, snd_bus_read8(s, DRV_LEVEL_TABLE + s->x));
        snd_bus_write8(s, snd_dp(s, DRV_REGISTER_BYTES + i), s->a);
        s->cycles += 3 + 5 + 9 + 4;
        s->fetch_count += 2 + 3 + 2 + 4 + 2;
    }
    snd_load16(s, &s->x, voice);
    snd_narrow_a(s, false);
    snd_load16(s, &s->y, snd_bus_read16(s, snd_dp(s, DRV_CHIP_BLOCK)));
    uint32_t block = (uint32_t(s->dt) << 16) + s->y;
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_REGISTER_BYTES)));
    snd_bus_write16(s, block & 0xFFFFFF, s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, snd_dp(s, DRV_REGISTER_BYTES + 2)));
    snd_bus_write16(s, (block + DRV_CHIP_VOL_R) & 0xFFFFFF, s->a);
    s->cycles += 8 + 3 + 4 + 3 + 4 + 2;
    s->fetch_count += 5 + 2 + 3 + 2 + 3 + 1;
    return snd_return_counted(s, index);
}

}  // namespace

// 0xE97E (timed): X = the voice: its fixed pan's levels, then as 0xE987.
int voice_volume_from_channel(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_VOLUME_FROM_CHANNEL);
    snd_narrow_a(s, false);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_FIXED_LEVELS)));
    snd_bus_write16(s, snd_dp(s, DRV_SPEAKER_LEVELS), s->a);
    snd_load16(s, &s->a, snd_bus_read16(s, field(s, VC_FIXED_LEVELS + 2)));
    snd_bus_write16(s, snd_dp(s, DRV_SPEAKER_LEVELS + 2), s->a);
    s->cycles += 5 + 3;
    s->fetch_count += 3 + 2;
    return voice_volume_common(s, SND_COUNTER_VOLUME_FROM_CHANNEL);
}

// 0xE987 (timed): the four levels a pan routine left at 0x00C0.
int voice_volume_from_scratch(m377_state* s) {
    if (s->ps & m377_flag_x) return snd_count_declined(SND_COUNTER_VOLUME_FROM_SCRATCH);
    return voice_volume_common(s, SND_COUNTER_VOLUME_FROM_SCRATCH);
}

// 0xE87E (timed; 8-bit accumulator, 16-bit index, binary mode): A = the pan position:
// the speakers toward it and away from it from the pan table, the others silent.
int pan_to_speakers(m377_state* s) {
    constexpr uint32_t pan_table = 0xF306;  // 64 bytes
    if ((s->ps & (widths | m377_flag_d)) != m377_flag_m) return snd_count_declined(SND_COUNTER_PAN_TO_SPEAKERS);
    uint32_t u = ((s->a & snd_peek8(s, snd_dp(s, DRV_PAN_MASK))) + 0x20) & 0xFF;
    if (u & 0x80) return snd_count_declined(SND_COUNTER_PAN_TO_SPEAKERS);
    snd_bus_read8(s, snd_dp(s, DRV_PAN_MASK));  // the AND's access
    snd_bus_write8(s, snd_dp(s, DRV_REGISTER_BYTES), u);
    snd_bus_write16(s, snd_dp(s, DRV_SPEAKER_LEVELS), 0xFFFF);
    snd_bus_write16(s, snd_dp(s, DRV_SPEAKER_LEVELS + 2), 0xFFFF);
    uint32_t q = u & 0x3F;
    uint32_t toward = snd_bus_read8(s, pan_table + q);
    snd_bus_write8(s, snd_dp(s, DRV_REGISTER_BYTES + 1), toward);
    uint32_t away = snd_bus_read8(s, pan_table + (q ^ 0x3F));
    bool rear = snd_bus_read8(s, snd_dp(s, DRV_REGISTER_BYTES)) & 0x40;
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + (rear ? 2 : 0)), away);
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + (rear ? 0 : 1)),
                   snd_bus_read8(s, snd_dp(s, DRV_REGISTER_BYTES + 1)));
    snd_bus_write8(s, snd_dp(s, DRV_REGISTER_BYTES), snd_bus_read8(s, snd_dp(s, DRV_REGISTER_BYTES)) << 1);
    s->a = 0;  // the 16-bit AND left the high byte clear
    snd_lda8(s, snd_bus_read8(s, snd_dp(s, DRV_REGISTER_BYTES + 1)));
    s->ps &= ~(m377_flag_v | flag_c);
    // The driver's own cycles and program bytes: 65 and 44 to the two table reads and
    // their stores, 11 (rear) or 9 with 6 bytes, then 8 and 5 for the shift and return.
    s->cycles += 65 + (rear ? 11 : 9) + 8;
    s->fetch_count += 44 + 6 + 5;
    return snd_return_counted(s, SND_COUNTER_PAN_TO_SPEAKERS);
}

// 0xE7FE (8-bit accumulator): A = a signed position, B = a rear byte: the left or right
// pair attenuated by the position, the rear pair by the rear byte.
int fixed_pan(m377_state* s) {
    constexpr uint32_t rear_emulated = 0xE83A, right_carried = 0xE82B, left_carried = 0xE835;
    if ((s->ps & widths) != m377_flag_m) return snd_count_declined(SND_COUNTER_FIXED_PAN);
    for (uint32_t i = 0; i < 4; i++) snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + i), 0);
    snd_lda8(s, s->a);
    bool left = s->a & 0x80;
    if (left) snd_lda8(s, s->a ^ 0xFF);  // -1 - p
    snd_lda8(s, snd_asl(s, s->a, 2, false));
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + (left ? 0 : 1)), s->a);
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + (left ? 2 : 3)), s->a);

    uint16_t voice = s->x;
    snd_load16(s, &s->x, s->b);
    snd_lda8(s, s->x);
    snd_load16(s, &s->x, voice);
    snd_lda8(s, s->a);
    if (s->a & 0x80) return snd_bail(s, rear_emulated, SND_COUNTER_FIXED_PAN);
    // 4 (r AND 0x3F) with bit 6 of r as the carry into the right rear.
    uint32_t step = snd_asl(s, s->a, 2, false);
    s->a = uint16_t((s->a & 0xFF00) | step);
    add_to_a8(s, snd_bus_read8(s, snd_dp(s, DRV_SPEAKER_LEVELS + 3)));
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + 3), s->a);
    uint16_t carried = s->ps & flag_c;
    snd_lda8(s, step);
    if (carried) return snd_bail(s, right_carried, SND_COUNTER_FIXED_PAN);
    s->ps &= ~flag_c;
    add_to_a8(s, snd_bus_read8(s, snd_dp(s, DRV_SPEAKER_LEVELS + 2)));
    snd_bus_write8(s, snd_dp(s, DRV_SPEAKER_LEVELS + 2), s->a);
    if (s->ps & flag_c) return snd_bail(s, left_carried, SND_COUNTER_FIXED_PAN);
    return snd_return_counted(s, SND_COUNTER_FIXED_PAN);
}

// 0xECC4 (8-bit accumulator): X = the voice: the pan routine on the byte its +0x5E names
// (a game parameter word), then the voice's levels from 0xE987.
int pan_then_volume(m377_state* s) {
    constexpr uint32_t levels_from_scratch = 0xE987;
    if ((s->ps & widths) != m377_flag_m) return snd_count_declined(SND_COUNTER_PAN_THEN_VOLUME);
    s->dt = 0;
    snd_lda8(s, snd_bus_read8(s, snd_bus_read16(s, field(s, VC_PAN_BYTE))));
    if (snd_call_vector(s, DRV_VEC_PAN)) return 1;
    snd_narrow_a(s, false);
    s->pc = uint16_t(levels_from_scratch);
    return snd_count_ran(SND_COUNTER_PAN_THEN_VOLUME);
}
