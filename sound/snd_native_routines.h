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
