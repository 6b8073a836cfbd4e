#include "sound/sound_system.h"

// Stand-ins: the chip model, the sound CPU and the driver arrive with the sound system.
void audio_init(const char*, const char*) {}

void audio_frame() {}
