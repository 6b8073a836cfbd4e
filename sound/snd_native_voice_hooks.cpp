// The jumps through a voice record's routine words (X = the voice record, absolute).
#include "sound/snd_native.h"
#include "sound/snd_native_routines.h"

namespace {

constexpr uint32_t VC_PITCH_EFFECT = 0x5A;   // word: the pitch-effect routine
constexpr uint32_t VC_ENVELOPE_STEP = 0x5C;  // word: the volume-envelope routine
constexpr uint32_t VC_PAN_VOLUME = 0x60;     // word: the pan and volume routine

int jump_through(m377_state* s, uint32_t field, int index) {
    if (s->ps & m377_flag_x) return snd_count_declined(index);
    s->pc = uint16_t(snd_bus_read16(s, (s->x + field) & 0xFFFF));
    return snd_count_ran(index);
}

}  // namespace

// 0xEF45
int hook_fx1(m377_state* s) {
    return jump_through(s, VC_ENVELOPE_STEP, SND_COUNTER_HOOK_FX1);
}

// 0xE9D6
int hook_fx4(m377_state* s) {
    return jump_through(s, VC_PITCH_EFFECT, SND_COUNTER_HOOK_FX4);
}

// 0xECAA
int hook_volume(m377_state* s) {
    return jump_through(s, VC_PAN_VOLUME, SND_COUNTER_HOOK_VOLUME);
}
