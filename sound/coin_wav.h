// Loader of the coin sound effect: a plain 44-byte-header WAV of mono 16-bit PCM.
#pragma once
#include "sound/mixer.h"

// Fills *out with freshly allocated samples (free with coin_wav_free). False, with the
// one "cannot load" line, for a missing, foreign or damaged file; *out is then cleared.
bool coin_wav_load(const char* path, sample_record* out);
void coin_wav_free(sample_record* sample);
