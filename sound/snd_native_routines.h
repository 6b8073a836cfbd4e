// The readable sound-driver routines, one per hook site (sound/snd_hook_sites.cpp puts
// each at its driver address). Each takes the CPU record at its hook and returns 0 to
// decline or 1 when it has done the driver's work from there (the framework they use:
// sound/snd_native.h; the driver's data: sound/snd_driver_ram.h).
#pragma once
#include "sound/m37702.h"

// The driver's top level (sound/snd_native_tick.cpp).
int idle_wait(m377_state* s);      // 0xC12B
int tick(m377_state* s);           // 0xC258
int tick_body(m377_state* s);      // 0xD684
int mailbox(m377_state* s);        // 0xD6E3
int slot_level(m377_state* s);     // 0xD745, timed
int new_command(m377_state* s);    // 0xD788

// Stopping tracks and slots (sound/snd_native_stop.cpp).
int stop_slot_children(m377_state* s);  // 0xD982
int stop_track(m377_state* s);          // 0xE18D

// The voice allocator's steps (sound/snd_native_voice_alloc.cpp).
int voice_alloc_d8a0(m377_state* s);  // register a claim
int voice_alloc_d8cf(m377_state* s);  // make a channel the owner of its voice
int voice_alloc_d8f9(m377_state* s);  // clear a voice's owner
int voice_alloc_d912(m377_state* s);  // find the strongest claim
int voice_alloc_d936(m377_state* s);  // give the voice to the strongest claim
int voice_alloc_d95b(m377_state* s);  // reset a channel

// The sequencer (sound/snd_native_sequencer.cpp) and its commands
// (sound/snd_native_seq_commands.cpp).
int sequencer(m377_state* s);     // 0xD9D0
int seq_cmd_daaf(m377_state* s);  // poke
int seq_cmd_daf0(m377_state* s);  // channel fields
int seq_cmd_db5c(m377_state* s);  // track field, +0x1B cleared
int seq_cmd_db63(m377_state* s);  // track field, level source the track's own
int seq_cmd_db6d(m377_state* s);  // channel fields, 127 above
int seq_cmd_db8d(m377_state* s);  // level source a parameter word
int seq_cmd_db9d(m377_state* s);  // track field, +0x0C cleared
int seq_cmd_dbf0(m377_state* s);  // start a child
int seq_cmd_dc4a(m377_state* s);  // instrument write
int seq_cmd_dc83(m377_state* s);  // channel fields, 125 above
int seq_cmd_dc90(m377_state* s);  // channel fields, 0x80 above or parameter words
int seq_cmd_dd01(m377_state* s);  // channel fields, a second value above
int seq_cmd_dd85(m377_state* s);  // arithmetic on a parameter word
int seq_cmd_de77(m377_state* s);  // if
int seq_cmd_df59(m377_state* s);  // notes, event kind 0
int seq_cmd_df6d(m377_state* s);  // notes, event kind 1
int seq_cmd_e143(m377_state* s);  // message
int seq_cmd_e157(m377_state* s);  // call
int seq_cmd_e185(m377_state* s);  // return
int seq_cmd_e277(m377_state* s);  // jump
int seq_cmd_e286(m377_state* s);  // repeat
int seq_cmd_e342(m377_state* s);  // channel fields, a voice assigned
int seq_cmd_e38a(m377_state* s);  // channel fields, bit 15 of the word
int seq_cmd_e3a3(m377_state* s);  // channel fields, 126 above

// The voices (sound/snd_native_voices.cpp).
int channels(m377_state* s);              // 0xE46E
int note_event(m377_state* s);            // 0xE4E7
int key_on(m377_state* s);                // 0xE5A7
int fixed_pan(m377_state* s);             // 0xE7FE
int pan_to_speakers(m377_state* s);       // 0xE87E, timed
int pan_then_volume(m377_state* s);       // 0xECC4
int channel_update(m377_state* s);        // 0xE8DB
int voice_volume_from_channel(m377_state* s);  // 0xE97E, timed
int voice_volume_from_scratch(m377_state* s);  // 0xE987, timed
int sample_streaming(m377_state* s);      // 0xEB29
int pitch_glide(m377_state* s);           // 0xEBB8, timed
int pitch_envelope(m377_state* s);        // 0xEBFD, timed
int sample_change_f013(m377_state* s);    // a sample by number
int sample_change_f064(m377_state* s);    // the voice's sample restarted

// Volume envelopes and pan scripts (sound/snd_native_envelopes.cpp).
int volume_envelope_ef48(m377_state* s);  // the attenuation rising
int volume_envelope_ef5c(m377_state* s);  // the attenuation falling
int volume_envelope_ef6d(m377_state* s);  // held: the release counter
int volume_envelope_ef9d(m377_state* s);  // the next step read
int volume_envelope_efae(m377_state* s);  // the envelope's end
int pan_script_ecd4(m377_state* s);  // the steps before the first glide
int pan_script_ed7b(m377_state* s);  // a glide, distance shrinking
int pan_script_ed8b(m377_state* s);  // a glide, negative distance growing

// Jumps through a voice's routine words (sound/snd_native_voice_hooks.cpp).
int hook_fx4(m377_state* s);     // 0xE9D6, +0x5A
int hook_volume(m377_state* s);  // 0xECAA, +0x60
int hook_fx1(m377_state* s);     // 0xEF45, +0x5C
