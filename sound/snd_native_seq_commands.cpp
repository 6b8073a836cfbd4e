// The sequence commands: set fields of the track or of its channels, flow (jump,
// call, return, repeat, if), pokes, children, instruments, messages and arithmetic on
// the game's parameter words. Each is entered as a driver subroutine with X = the track,
// Y = the address after the command byte and DT = the sequence bank, and returns with Y
// past its operands, X = the track, A = 0 with Z set and C, V clear.
#include "sound/snd_driver_ram.h"
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"

namespace {

constexpr uint16_t flag_c = m377_flag_c, flag_v = m377_flag_v, flag_z = m377_flag_z, flag_n = m377_flag_n;
constexpr uint16_t widths = m377_flag_m | m377_flag_x;
constexpr int counter = SND_COUNTER_SEQ_COMMANDS;
constexpr uint32_t assign_step = 0x4000;  // a channel-field step: assign a voice

// Where the emulated forms of commands go on.
constexpr uint32_t nested_loop = 0xE2BC;
constexpr uint32_t value_in_flags = 0xDF2B;  // an if value of a kind not read here
constexpr uint32_t both_value_kinds = 0xDF52;
constexpr uint32_t zero_random_state = 0xDE61;
constexpr uint32_t condition_words = 0xDE90;  // word per condition
constexpr uint32_t operation_words = 0xDDF7;  // word per arithmetic operation
constexpr uint32_t second_value_parameters = 0xDD3A;
constexpr uint32_t parameter_words_each = 0xDCD6;
constexpr uint32_t emulated_notes = 0xDFA9;   // track +0x17 bit 7
constexpr uint32_t note_started = 0xDFF0;     // a note start of a selected channel returns here
constexpr uint32_t follower_started = 0xE02D; // and of a following channel here
constexpr uint32_t note_by_mode = 0xE054;     // 0x00E3 nonzero
constexpr uint32_t no_note = 0xE108;          // note 0xFF with a key map
constexpr uint32_t no_instrument = 0xE12D;    // a key-map value 0
constexpr uint32_t note_kind_2 = 0xE07D;

// Stream operands at DT:Y + offset.
uint32_t byte_at(m377_state* s, uint32_t offset) {
    return snd_read_dt(s, offset);
}
uint32_t word_at(m377_state* s, uint32_t offset) {
    return byte_at(s, offset) | byte_at(s, offset + 1) << 8;
}
void skip(m377_state* s, uint32_t count) {
    snd_load16(s, &s->y, s->y + count);
}
uint32_t parameter(m377_state* s, uint32_t index) {
    return snd_bus_read16(s, DRV_PARAMETERS + 2 * index);
}
uint32_t track(m377_state* s) {
    return snd_bus_read16(s, snd_dp(s, DRV_TRACK));
}

// The registers every command ends with.
void end_registers(m377_state* s) {
    s->x = uint16_t(track(s));
    s->a = 0;
    s->ps = uint16_t((s->ps & ~(flag_c | flag_v | flag_n)) | flag_z);
}
int command_end(m377_state* s) {
    end_registers(s);
    return snd_return_from_driver_call(s);
}
int continue_at(m377_state* s, uint32_t address) {
    end_registers(s);
    return snd_bail(s, address, counter);
}
// A continuation from a table of words by index i: X = 2i.
int continue_by_table(m377_state* s, uint32_t table, uint32_t i) {
    end_registers(s);
    snd_load16(s, &s->x, 2 * i);
    return snd_bail(s, snd_bus_read16(s, table + 2 * i), counter);
}

// The value byte at Y + offset, or with bit 7 of the field byte the low byte of the
// parameter word it names.
uint32_t field_value(m377_state* s, uint32_t offset, uint32_t field) {
    uint32_t value = byte_at(s, offset);
    return field & 0x80 ? parameter(s, value) & 0xFF : value;
}

// The new read address and bank of the track, DT with it.
void go_to(m377_state* s, uint32_t address, uint32_t bank) {
    snd_bus_write8(s, snd_field(s, track(s), TRK_BANK), bank);
    s->dt = uint8_t(bank);
    s->y = uint16_t(address);
}

// A track field: field byte and value; the record byte at X + offset.
int track_field(m377_state* s) {
    uint32_t field = byte_at(s, 0);
    snd_bus_write16(s, snd_dp(s, DRV_FIELD_BYTE), field);
    uint32_t value = field_value(s, 1, field);
    snd_bus_write8(s, snd_field(s, (s->x + (field & 0x7F)) & 0xFFFF, 0), value);
    skip(s, 2);
    return command_end(s);
}

// The channel-field walk's visit of each selected channel: `store` gets the field's
// address F = channel + offset.
template <typename Store>
void selected_channels(m377_state* s, Store store) {
    uint32_t channel = snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA));
    for (;; channel = (channel + DRV_CHANNEL_SIZE) & 0xFFFF) {
        uint32_t mask = snd_bus_read8(s, snd_dp(s, DRV_CHANNEL_MASK));
        if (!mask) break;
        snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), mask << 1);
        if (mask & 0x80) store((channel + (snd_bus_read8(s, snd_dp(s, DRV_FIELD_BYTE)) & 0x7F)) & 0xFFFF);
    }
}
bool shared_value(m377_state* s) {
    return snd_bus_read8(s, snd_dp(s, DRV_COMMAND_BYTE)) & 0x40;
}

// Channel fields by mask: mask byte, field byte, a shared value (command byte bit 6) or
// one per selected channel; `step` the extra work after each store (0 none, bit 15:
// bit 15 of the field's 16-byte-aligned word, else the byte stored 0x0B above).
// 0xE342's step: a voice for the field at F, claimed (vector 0x0128), its record at
// F + 0x16 and taken (0x0110, 0x010E; 0x0108 when the driver reports the value back).
// Non-zero when a driver call did not return cleanly.
int assign_voice(m377_state* s, uint32_t at) {
    uint32_t value = snd_bus_read8(s, snd_field(s, at, 0));
    snd_bus_write8(s, snd_dp(s, DRV_ASSIGNED), value);
    s->x = uint16_t(at);
    s->a = uint16_t(0x4000 | value);
    if (snd_call_vector(s, DRV_VEC_CLAIM)) return 1;
    uint32_t record = (0x7000 + 192 * snd_bus_read8(s, snd_field(s, at, CH_VOICE))) & 0xFFFF;
    snd_bus_write16(s, snd_field(s, at, CH_VOICE_RECORD), record);
    s->x = uint16_t(at);
    s->a = uint16_t(record);
    s->ps &= ~m377_flag_m;
    if (snd_call_vector(s, DRV_VEC_TAKE_VOICE)) return 1;
    s->x = uint16_t(at);
    if (snd_call_vector(s, DRV_VEC_RELEASED_AFTER)) return 1;
    if ((s->a & 0xFF) != snd_bus_read8(s, snd_dp(s, DRV_ASSIGNED))) return 0;
    s->x = uint16_t(at);
    snd_bus_write8(s, snd_field(s, at, CH_MODE_COPY), 0);
    return snd_call_vector(s, DRV_VEC_VOICE_TAKEN);
}

int channel_fields(m377_state* s, uint32_t resume, uint32_t step) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_dp(s, DRV_RESUME), resume);
    snd_bus_write16(s, snd_dp(s, DRV_FIELD_STEP), step);
    snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), byte_at(s, 0));
    snd_bus_write8(s, snd_dp(s, DRV_FIELD_BYTE), byte_at(s, 1));
    skip(s, 2);
    int failed = 0;
    selected_channels(s, [s, &failed](uint32_t at) {
        if (failed) return;
        uint32_t value = field_value(s, 0, snd_bus_read8(s, snd_dp(s, DRV_FIELD_BYTE)));
        snd_bus_write8(s, snd_field(s, at, 0), value);
        uint32_t step = snd_bus_read16(s, snd_dp(s, DRV_FIELD_STEP));
        if (step == assign_step) {
            uint16_t y = s->y;
            failed = assign_voice(s, at);
            s->y = y;
        } else if (step & 0x8000) {
            uint32_t word = snd_field(s, at & 0xFFF0, 0);
            snd_bus_write16(s, word, snd_bus_read16(s, word) | 0x8000);
        } else if (step) {
            snd_bus_write8(s, snd_field(s, at, 0x0B), step);
        }
        if (!failed && !shared_value(s)) skip(s, 1);
    });
    if (failed) return 1;
    if (shared_value(s)) skip(s, 1);
    return command_end(s);
}

// Note start for one channel record (step 2 of a note command); `back` is where the
// driver's call of it returns. Non-zero when it left the rest to the emulated code.
int note_start(m377_state* s, uint32_t channel, uint32_t back) {
    if (!snd_bus_read8(s, snd_field(s, channel, CH_STATE))) return 0;
    auto leave = [&](uint32_t address) {
        snd_push16(s, back);
        return continue_at(s, address);
    };
    if (snd_bus_read8(s, snd_dp(s, DRV_NOTE_MODE))) return leave(note_by_mode);
    uint32_t note = snd_bus_read8(s, snd_field(s, channel, CH_NOTE));
    uint32_t number = snd_bus_read8(s, snd_field(s, channel, CH_INSTRUMENT));
    if (number) {
        uint32_t entry = (DRV_INSTRUMENT_SIZE * (number - 1) + snd_bus_read16(s, DRV_KEY_MAP_WORD)) & 0xFFFF;
        if (note == 0xFF) return leave(no_note);
        uint32_t pair = DRV_KEY_MAP_BANK + entry + 1;
        for (int left = 8; left > 1 && snd_bus_read8(s, pair + 1) <= note; left--) pair += 2;
        uint32_t value = snd_bus_read8(s, pair);
        if (!value) return leave(no_instrument);
        snd_bus_write16(s, snd_field(s, channel, CH_INSTRUMENT_RECORD), DRV_INSTRUMENTS + DRV_INSTRUMENT_SIZE * value);
    } else {
        snd_bus_write16(s, snd_field(s, channel, CH_INSTRUMENT_RECORD), channel);
    }
    if (snd_bus_read8(s, snd_dp(s, DRV_VALUE)) == 2) return leave(note_kind_2);
    snd_bus_write8(s, snd_dp(s, DRV_VALUE + 1), snd_bus_read8(s, snd_field(s, channel, CH_NOTE)));
    // The voice's event ring: eight entries, the oldest overwritten.
    uint32_t voice = snd_bus_read16(s, snd_field(s, channel, CH_VOICE_RECORD));
    uint32_t index = snd_bus_read8(s, snd_field(s, voice, VC_EVENT_WRITE));
    snd_bus_write8(s, snd_field(s, voice, VC_EVENT_WRITE), index + 1);
    uint32_t event = (voice + VC_EVENTS + VC_EVENT_SIZE * (index & 7)) & 0xFFFF;
    snd_bus_write16(s, snd_dp(s, DRV_EVENT), event);
    uint32_t kind = snd_bus_read16(s, snd_dp(s, DRV_VALUE));
    uint32_t ties = snd_bus_read8(s, snd_field(s, channel, CH_TIES));
    if (ties) {
        snd_bus_write8(s, snd_field(s, channel, CH_TIES), ties - 1);
        kind |= 0x80;
    }
    snd_bus_write16(s, snd_field(s, event, EV_KIND), kind);
    snd_bus_write16(s, snd_field(s, event, EV_INSTRUMENT),
                    snd_bus_read16(s, snd_field(s, channel, CH_INSTRUMENT_RECORD)));
    uint32_t level = snd_bus_read8(s, snd_field(s, channel, CH_LEVEL_PARAMETER));
    snd_bus_write16(s, snd_field(s, event, EV_LEVEL_SOURCE),
                    level ? DRV_PARAMETERS + 2 * level : (track(s) + TRK_LEVEL) & 0xFFFF);
    uint32_t delay = snd_bus_read8(s, snd_field(s, channel, CH_DELAY)) << 6;
    snd_bus_write16(s, snd_field(s, event, EV_TIME), snd_bus_read16(s, snd_field(s, track(s), TRK_TIME)) + delay);
    return 0;
}

// Notes of event kind 0 or 1: a channel mask, a shared note (command byte bit 6) or one
// per selected channel; then unselected channels that follow a selected one play its note.
int note_command(m377_state* s, uint32_t kind) {
    if (s->ps & widths) return snd_count_declined(counter);
    if (snd_bus_read8(s, snd_field(s, s->x, TRK_EMULATED_NOTES)) & 0x80) return continue_at(s, emulated_notes);
    snd_bus_write16(s, snd_dp(s, DRV_VALUE), kind);
    snd_bus_write8(s, snd_dp(s, DRV_NOTE_MODE), 0);
    snd_bus_write8(s, snd_dp(s, DRV_SHARED_MASK), 0);
    snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), byte_at(s, 0));
    skip(s, 1);
    if (snd_bus_read8(s, snd_dp(s, DRV_COMMAND_BYTE)) & 0x40) {
        snd_bus_write8(s, snd_dp(s, DRV_COMMAND_BYTE), byte_at(s, 0));
        snd_bus_write8(s, snd_dp(s, DRV_SHARED_MASK), 0xFF);
        skip(s, 1);
    }
    uint32_t area = snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA));
    for (uint32_t channel = area;; channel = (channel + DRV_CHANNEL_SIZE) & 0xFFFF) {
        uint32_t mask = snd_bus_read8(s, snd_dp(s, DRV_CHANNEL_MASK));
        if (!mask) break;
        snd_bus_write16(s, snd_dp(s, DRV_WALK_CHANNEL), channel);
        snd_bus_write8(s, snd_field(s, channel, CH_SELECTED), mask);
        snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), mask << 1);
        if (!(mask & 0x80)) continue;
        uint32_t note;
        if (snd_bus_read8(s, snd_dp(s, DRV_SHARED_MASK))) {
            note = snd_bus_read8(s, snd_dp(s, DRV_COMMAND_BYTE));
        } else {
            note = byte_at(s, 0);
            skip(s, 1);
        }
        snd_bus_write8(s, snd_field(s, channel, CH_NOTE), note);
        if (note_start(s, channel, note_started)) return 1;
    }
    area = snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA));
    for (uint32_t k = 0; k < 8; k++) {
        uint32_t channel = (area + DRV_CHANNEL_SIZE * k) & 0xFFFF;
        snd_bus_write16(s, snd_dp(s, DRV_WALK_CHANNEL), channel);
        if (snd_bus_read8(s, snd_field(s, channel, CH_SELECTED)) & 0x80) continue;
        uint32_t leader = snd_bus_read8(s, snd_field(s, channel, CH_FOLLOWS));
        if (!leader) continue;
        leader = ((leader - 1) * DRV_CHANNEL_SIZE + snd_bus_read16(s, snd_dp(s, DRV_CHANNEL_AREA))) & 0xFFFF;
        if (!(snd_bus_read8(s, snd_field(s, leader, CH_SELECTED)) & 0x80)) continue;
        snd_bus_write8(s, snd_field(s, channel, CH_NOTE), snd_bus_read8(s, snd_field(s, leader, CH_NOTE)));
        if (note_start(s, channel, follower_started)) return 1;
    }
    return command_end(s);
}

// The call and return stack entry of a depth: X + D + entry is the entry - 0x22.
uint32_t call_entry(m377_state* s, uint32_t depth) {
    snd_bus_write16(s, snd_dp(s, DRV_VALUE), depth);
    return (3 * depth + track(s)) & 0xFFFF;
}

// The remainder of an arithmetic command (d not 0), kept at 0x00C2 as the driver's
// division leaves it; C and V clear, N and Z of the result.
uint32_t remainder_of(m377_state* s, uint32_t n, uint32_t d) {
    uint32_t r = n % d;
    snd_bus_write16(s, snd_dp(s, DRV_REMAINDER), r);
    s->ps &= ~(flag_c | flag_v);
    snd_set_nz(s, r, true);
    return r;
}

}  // namespace

// 0xDAAF: address word, value word: the value at D + address.
int seq_cmd_daaf(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_dp(s, word_at(s, 0)), word_at(s, 2));
    skip(s, 4);
    return command_end(s);
}

// 0xDAF0, 0xDB6D, 0xE3A3, 0xDC83, 0xE38A, 0xE342: channel fields by mask.
int seq_cmd_daf0(m377_state* s) {
    return channel_fields(s, 0xDAF0, 0);
}
int seq_cmd_db6d(m377_state* s) {
    return channel_fields(s, 0xDB6D, 127);
}
int seq_cmd_e3a3(m377_state* s) {
    return channel_fields(s, 0xE3A3, 126);
}
int seq_cmd_dc83(m377_state* s) {
    return channel_fields(s, 0xDC83, 125);
}
int seq_cmd_e38a(m377_state* s) {
    return channel_fields(s, 0xE38A, 0x8000);
}
int seq_cmd_e342(m377_state* s) {
    return channel_fields(s, 0xE342, assign_step);
}

// 0xDD01: channel fields with a second value OR 0x80 above each: shared (the fourth
// operand byte, 0x00C7) or after each first value.
int seq_cmd_dd01(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_dp(s, DRV_RESUME), 0xDD01);
    if (byte_at(s, 1) & 0x80) return continue_at(s, second_value_parameters);
    snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), byte_at(s, 0));
    snd_bus_write8(s, snd_dp(s, DRV_FIELD_BYTE), byte_at(s, 1));
    if (shared_value(s)) snd_bus_write8(s, snd_dp(s, DRV_SECOND_VALUE), byte_at(s, 3));
    skip(s, 2);
    selected_channels(s, [s](uint32_t at) {
        snd_bus_write8(s, snd_field(s, at, 0), byte_at(s, 0));
        uint32_t second;
        if (shared_value(s)) {
            second = snd_bus_read8(s, snd_dp(s, DRV_SECOND_VALUE));
        } else {
            second = byte_at(s, 1);
            skip(s, 1);
        }
        snd_bus_write8(s, snd_field(s, at, 1), second | 0x80);
        if (!shared_value(s)) skip(s, 1);
    });
    if (shared_value(s)) skip(s, 2);
    return command_end(s);
}

// 0xDC90: channel fields with 0x80 above each; with bit 7 of the field byte, a shared
// parameter word OR 0x8000 as a word instead.
int seq_cmd_dc90(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_dp(s, DRV_RESUME), 0xDC90);
    snd_bus_write8(s, snd_dp(s, DRV_CHANNEL_MASK), byte_at(s, 0));
    uint32_t field = byte_at(s, 1);
    snd_bus_write8(s, snd_dp(s, DRV_FIELD_BYTE), field);
    if ((field & 0x80) && !shared_value(s)) return continue_at(s, parameter_words_each);
    skip(s, 2);
    selected_channels(s, [s](uint32_t at) {
        if (snd_bus_read8(s, snd_dp(s, DRV_FIELD_BYTE)) & 0x80) {
            snd_bus_write16(s, snd_field(s, at, 0), parameter(s, byte_at(s, 0)) | 0x8000);
            return;
        }
        snd_bus_write8(s, snd_field(s, at, 0), byte_at(s, 0));
        snd_bus_write8(s, snd_field(s, at, 1), 0x80);
        if (!shared_value(s)) skip(s, 1);
    });
    if (shared_value(s)) skip(s, 1);
    return command_end(s);
}

// 0xDB5C: a track field, +0x1B cleared first.
int seq_cmd_db5c(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write8(s, snd_field(s, s->x, TRK_BYTE_1B), 0);
    return track_field(s);
}

// 0xDB63: a track field; the level source becomes the track's own byte +0x06.
int seq_cmd_db63(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_field(s, s->x, TRK_LEVEL_SOURCE), (s->x + TRK_OWN_LEVEL) & 0xFFFF);
    return track_field(s);
}

// 0xDB9D: a track field, the word +0x0C cleared first.
int seq_cmd_db9d(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_field(s, s->x, TRK_WORD_0C), 0);
    return track_field(s);
}

// 0xDB8D: the level source becomes parameter word n.
int seq_cmd_db8d(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    snd_bus_write16(s, snd_field(s, s->x, TRK_LEVEL_SOURCE), (DRV_PARAMETERS + 2 * byte_at(s, 0)) & 0xFFFF);
    skip(s, 1);
    return command_end(s);
}

// 0xDBF0: slot byte c, command word: slot c plays it as a child of this slot.
int seq_cmd_dbf0(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t slot_word = DRV_SLOT_WORDS + 2 * byte_at(s, 0);
    snd_bus_write16(s, slot_word, (word_at(s, 1) & DRV_CMD_NUMBER) | DRV_CMD_NEW | DRV_CMD_CHILD);
    snd_bus_write16(s, slot_word + DRV_SLOT_LINK, snd_bus_read16(s, snd_dp(s, DRV_SLOT_WORD)));
    skip(s, 3);
    return command_end(s);
}

// 0xDC4A: instrument n, a mask word; bit 15 takes a word for +0, bits 14-0 a byte each
// for +2 onward.
int seq_cmd_dc4a(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t record = (DRV_INSTRUMENTS + DRV_INSTRUMENT_SIZE * byte_at(s, 0)) & 0xFFFF;
    uint32_t mask = word_at(s, 1);
    skip(s, 3);
    if (mask & 0x8000) {
        snd_bus_write16(s, snd_field(s, record, 0), word_at(s, 0));
        skip(s, 2);
    }
    mask = (mask << 1) & 0xFFFF;
    for (uint32_t at = record + 2; mask; at++, mask = (mask << 1) & 0xFFFF) {
        if (!(mask & 0x8000)) continue;
        snd_bus_write8(s, snd_field(s, at & 0xFFFF, 0), byte_at(s, 0));
        skip(s, 1);
    }
    snd_bus_write16(s, snd_dp(s, DRV_VALUE), 0);
    return command_end(s);
}

// 0xDF59 and 0xDF6D: notes of event kinds 0 and 1.
int seq_cmd_df59(m377_state* s) {
    return note_command(s, 0);
}
int seq_cmd_df6d(m377_state* s) {
    return note_command(s, 1);
}

// 0xE143: the stream up to and including the first byte whose low 7 bits are zero,
// copied to the game's message area. A message without its end within 256 bytes is left
// to the emulated copy (the scan reads without writing or counting).
int seq_cmd_e143(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t length = 0;
    for (uint32_t i = 0; i < 256 && !length; i++)
        if (!(snd_peek8(s, (uint32_t(s->dt) << 16) + s->y + i) & 0x7F)) length = i + 1;
    if (!length) return snd_count_declined(counter);
    for (uint32_t i = 0; i < length; i++) snd_bus_write8(s, DRV_MESSAGE + i, byte_at(s, i));
    skip(s, length);
    snd_bus_write8(s, DRV_MESSAGE_COUNT, snd_bus_read8(s, DRV_MESSAGE_COUNT) + 1);
    return command_end(s);
}

// 0xE157: call: address word, bank byte; the return address and bank on the track's
// call stack.
int seq_cmd_e157(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t depth = snd_bus_read8(s, snd_field(s, s->x, TRK_CALL_DEPTH));
    uint32_t entry = call_entry(s, depth);
    snd_bus_write16(s, snd_field(s, entry, TRK_CALLS), s->y + 3u);
    snd_bus_write8(s, snd_field(s, entry, TRK_CALLS + 2), s->dt);
    uint32_t address = word_at(s, 0), bank = byte_at(s, 2);
    go_to(s, address, bank);
    snd_step_memory(s, snd_field(s, track(s), TRK_CALL_DEPTH), 1, false);
    return command_end(s);
}

// 0xE185: return from a call; at depth 0 the track stops (0xE18D, with Y in place of
// this command's return address).
int seq_cmd_e185(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t depth = snd_bus_read8(s, snd_field(s, s->x, TRK_CALL_DEPTH));
    if (!depth) {
        snd_load16(s, &s->a, s->y);
        snd_bus_write16(s, (s->s + 1u) & 0xFFFF, s->y);
        return snd_bail(s, DRV_STOP_TRACK, counter);
    }
    snd_bus_write8(s, snd_field(s, s->x, TRK_CALL_DEPTH), depth - 1);
    uint32_t entry = call_entry(s, depth - 1);
    uint32_t address = snd_bus_read16(s, snd_field(s, entry, TRK_CALLS));
    go_to(s, address, snd_bus_read8(s, snd_field(s, entry, TRK_CALLS + 2)));
    return command_end(s);
}

// 0xE277: jump: address word, bank byte; A = the word from the bank byte on.
int seq_cmd_e277(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t after = word_at(s, 2), address = word_at(s, 0);
    s->a = uint16_t(after);
    snd_bus_write8(s, snd_field(s, s->x, TRK_BANK), after);
    s->dt = uint8_t(after);
    s->y = uint16_t(address);
    snd_set_nz(s, s->dt, false);
    return snd_return_from_driver_call(s);
}

// 0xE286: repeat: count byte, address word, bank byte after the loop body; the body
// runs count + 1 times (a count of 0: 257).
int seq_cmd_e286(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t depth = snd_bus_read8(s, snd_field(s, s->x, TRK_LOOP_DEPTH));
    if (!depth) {
        snd_bus_write8(s, snd_field(s, s->x, TRK_LOOPS), byte_at(s, 0));
        snd_bus_write8(s, snd_field(s, s->x, TRK_LOOPS + 1), s->dt);
        snd_bus_write16(s, snd_field(s, s->x, TRK_LOOPS + 2), s->y);
        snd_bus_write8(s, snd_field(s, s->x, TRK_LOOP_DEPTH), 1);
    } else {
        uint32_t entry = (TRK_LOOP_SIZE * (depth - 1) + track(s)) & 0xFFFF;
        if (snd_bus_read16(s, snd_field(s, entry, TRK_LOOPS + 2)) != s->y ||
            snd_bus_read8(s, snd_field(s, entry, TRK_LOOPS + 1)) != s->dt)
            return continue_at(s, nested_loop);
        uint32_t count = snd_bus_read8(s, snd_field(s, entry, TRK_LOOPS));
        snd_bus_write8(s, snd_field(s, entry, TRK_LOOPS), count - 1);
        if (count == 1) {
            snd_step_memory(s, snd_field(s, track(s), TRK_LOOP_DEPTH), -1, false);
            skip(s, 4);
            return command_end(s);
        }
    }
    go_to(s, word_at(s, 1), byte_at(s, 3));
    return command_end(s);
}

// 0xDD85: arithmetic on parameter word t: flags, t, then a word (flags bits 5 and 4), a
// byte (bit 5) or the parameter word a byte names (neither).
int seq_cmd_dd85(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t flags = byte_at(s, 0), kind = flags & 0x70, operation = flags & 0x0F;
    if (kind != 0x30 && kind != 0x20 && kind != 0) return snd_count_declined(counter);
    uint32_t value = kind == 0x30 ? word_at(s, 2) : byte_at(s, 2);
    if (!kind) value = snd_peek16(s, DRV_PARAMETERS + 2 * value);
    // A random remainder by zero: nothing written, the emulated code decides.
    if (operation == 6 && !value) return snd_count_declined(counter);
    if (!kind) value = parameter(s, byte_at(s, 2));
    snd_bus_write16(s, snd_dp(s, DRV_VALUE), value);
    uint32_t target = DRV_PARAMETERS + 2 * byte_at(s, 1), result;
    switch (operation) {
    case 0:
        s->ps &= ~flag_c;
        snd_set_nz(s, value, true);
        result = value;
        break;
    case 1:
        s->ps &= ~flag_c;
        result = snd_adc16(s, snd_bus_read16(s, target), value);
        break;
    case 2:
        s->ps |= flag_c;
        result = snd_adc16(s, snd_bus_read16(s, target), ~value);
        break;
    case 5:
        if (value) {
            result = remainder_of(s, snd_bus_read16(s, target), value);
        } else {
            result = 0;
            s->ps = uint16_t((s->ps & ~(flag_c | flag_n)) | flag_z | flag_v);
        }
        break;
    case 6: {
        uint32_t state = snd_bus_read16(s, snd_dp(s, DRV_RANDOM));
        state = (state << 1 | ((state >> 6 ^ state >> 14) & 1)) & 0xFFFF;
        snd_bus_write16(s, snd_dp(s, DRV_RANDOM), state);
        if (!state) return continue_at(s, zero_random_state);
        result = remainder_of(s, state, value);
        break;
    }
    default:
        return continue_by_table(s, operation_words, operation);
    }
    snd_bus_write16(s, target, result);
    snd_bus_write16(s, snd_dp(s, DRV_ARITH_STATUS), s->ps);
    skip(s, kind == 0x30 ? 4 : 3);
    return command_end(s);
}

// 0xDE77: if: flags, first value, second value, true address and bank, false address
// and bank. Conditions 0 equal, 2 first >= second, 3 first <= second.
int seq_cmd_de77(m377_state* s) {
    if (s->ps & widths) return snd_count_declined(counter);
    uint32_t flags = byte_at(s, 0);
    if ((flags & 0xC0) == 0xC0) return continue_at(s, both_value_kinds);
    if ((flags & 0xC0) == 0x40 || (flags & 0x10)) return continue_at(s, value_in_flags);
    uint32_t first = flags & 0x80 ? byte_at(s, 1) : parameter(s, byte_at(s, 1));
    snd_bus_write16(s, snd_dp(s, DRV_VALUE), first);
    uint32_t second = flags & 0x20 ? byte_at(s, 2) : parameter(s, byte_at(s, 2));
    uint32_t condition = flags & 0x0F;
    bool taken;
    if (condition == 0)
        taken = first == second;
    else if (condition == 2)
        taken = first >= second;
    else if (condition == 3)
        taken = first <= second;
    else
        return continue_by_table(s, condition_words, condition);
    uint32_t at = taken ? 3 : 6;
    go_to(s, word_at(s, at), byte_at(s, at + 2));
    return command_end(s);
}
