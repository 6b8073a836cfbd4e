// Hook sites of the sound driver and the timing rules around their routines.
#include "sound/snd_hook_sites.h"

#include "sound/snd_native_routines.h"

namespace {

constexpr uint8_t mx0 = 1, mx2 = 4, mx02 = mx0 | mx2;

}  // namespace

snd_hook_site snd_hook_sites[SND_HOOK_SITE_COUNT] = {
    {0xC12B, "idle_wait", 0, mx2, idle_wait},
    {0xC258, "tick", 0, mx02, tick},
    {0xD684, "tick_body", 0, mx0, tick_body},
    {0xD6E3, "mailbox", 0, mx2, mailbox},
    {0xD745, "slot_level", 40, mx0, slot_level},
    {0xD788, "new_command", 0, mx0, new_command},
    {0xD8A0, "voice_alloc_d8a0", 0, mx0, voice_alloc_d8a0},
    {0xD8CF, "voice_alloc_d8cf", 0, mx2, voice_alloc_d8cf},
    {0xD8F9, "voice_alloc_d8f9", 0, mx02, voice_alloc_d8f9},
    {0xD912, "voice_alloc_d912", 0, mx02, voice_alloc_d912},
    {0xD936, "voice_alloc_d936", 0, mx2, voice_alloc_d936},
    {0xD95B, "voice_alloc_d95b", 0, mx2, voice_alloc_d95b},
    {0xD982, "stop_slot_children", 0, mx0, stop_slot_children},
    {0xD9D0, "sequencer", 0, mx0, sequencer},
    {0xDAAF, "seq_cmd_daaf", 0, mx0, seq_cmd_daaf},
    {0xDAF0, "seq_cmd_daf0", 0, mx0, seq_cmd_daf0},
    {0xDB5C, "seq_cmd_db5c", 0, mx0, seq_cmd_db5c},
    {0xDB63, "seq_cmd_db63", 0, mx0, seq_cmd_db63},
    {0xDB6D, "seq_cmd_db6d", 0, mx0, seq_cmd_db6d},
    {0xDB8D, "seq_cmd_db8d", 0, mx0, seq_cmd_db8d},
    {0xDB9D, "seq_cmd_db9d", 0, mx0, seq_cmd_db9d},
    {0xDBF0, "seq_cmd_dbf0", 0, mx0, seq_cmd_dbf0},
    {0xDC4A, "seq_cmd_dc4a", 0, mx0, seq_cmd_dc4a},
    {0xDC83, "seq_cmd_dc83", 0, mx0, seq_cmd_dc83},
    {0xDC90, "seq_cmd_dc90", 0, mx0, seq_cmd_dc90},
    {0xDD01, "seq_cmd_dd01", 0, mx0, seq_cmd_dd01},
    {0xDD85, "seq_cmd_dd85", 0, mx0, seq_cmd_dd85},
    {0xDE77, "seq_cmd_de77", 0, mx0, seq_cmd_de77},
    {0xDF59, "seq_cmd_df59", 0, mx0, seq_cmd_df59},
    {0xDF6D, "seq_cmd_df6d", 0, mx0, seq_cmd_df6d},
    {0xE143, "seq_cmd_e143", 0, mx02, seq_cmd_e143},
    {0xE157, "seq_cmd_e157", 0, mx0, seq_cmd_e157},
    {0xE185, "seq_cmd_e185", 0, mx0, seq_cmd_e185},
    {0xE18D, "stop_track", 0, mx02, stop_track},
    {0xE277, "seq_cmd_e277", 0, mx0, seq_cmd_e277},
    {0xE286, "seq_cmd_e286", 0, mx0, seq_cmd_e286},
    {0xE342, "seq_cmd_e342", 0, mx0, seq_cmd_e342},
    {0xE38A, "seq_cmd_e38a", 0, mx0, seq_cmd_e38a},
    {0xE3A3, "seq_cmd_e3a3", 0, mx0, seq_cmd_e3a3},
    {0xE46E, "channels", 0, mx0, channels},
    {0xE4E7, "note_event", 0, mx0, note_event},
    {0xE5A7, "key_on", 0, mx2, key_on},
    {0xE7FE, "fixed_pan", 0, mx2, fixed_pan},
    {0xE87E, "pan_to_speakers", 110, mx2, pan_to_speakers},
    {0xE8DB, "channel_update", 0, mx02, channel_update},
    {0xE97E, "voice_volume_from_channel", 180, mx2, voice_volume_from_channel},
    {0xE987, "voice_volume_from_scratch", 160, mx0, voice_volume_from_scratch},
    {0xE9D6, "hook_fx4", 0, mx0, hook_fx4},
    {0xEB29, "sample_streaming", 0, mx0, sample_streaming},
    {0xEBB8, "pitch_glide", 40, mx02, pitch_glide},
    {0xEBFD, "pitch_envelope", 20, mx02, pitch_envelope},
    {0xECAA, "hook_volume", 0, mx2, hook_volume},
    {0xECC4, "pan_then_volume", 0, mx2, pan_then_volume},
    {0xECD4, "pan_script_ecd4", 0, mx2, pan_script_ecd4},
    {0xED7B, "pan_script_ed7b", 0, mx2, pan_script_ed7b},
    {0xED8B, "pan_script_ed8b", 0, mx2, pan_script_ed8b},
    {0xEF45, "hook_fx1", 0, mx02, hook_fx1},
    {0xEF48, "volume_envelope_ef48", 0, mx02, volume_envelope_ef48},
    {0xEF5C, "volume_envelope_ef5c", 0, mx02, volume_envelope_ef5c},
    {0xEF6D, "volume_envelope_ef6d", 0, mx02, volume_envelope_ef6d},
    {0xEF9D, "volume_envelope_ef9d", 0, mx2, volume_envelope_ef9d},
    {0xEFAE, "volume_envelope_efae", 0, mx2, volume_envelope_efae},
    {0xF013, "sample_change_f013", 0, mx0, sample_change_f013},
    {0xF064, "sample_change_f064", 0, mx2, sample_change_f064},
};

snd_hook_site* snd_hook_site_at(uint32_t address) {
    for (snd_hook_site& site : snd_hook_sites)
        if (site.address == address) return &site;
    return nullptr;
}

int snd_hook_run(m377_state* s, const snd_hook_site* site) {
    if (!site->routine) return 0;
    if (!site->maxcyc) return site->routine(s);
    if (!snd_window_ok(s, site->maxcyc)) return 0;
    uint64_t start = s->cycles;
    if (!site->routine(s)) return 0;
    snd_cost_check(s, site->address, start, site->maxcyc);
    return 1;
}
