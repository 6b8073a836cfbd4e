// Sound start-up and the sound board's per-frame run.
#pragma once

// Loads the sound-effect WAVs (sfx_dir, null: "sounds"), the wave and driver ROMs from
// rom_dir, and starts the chip model and the sound CPU. Failures leave the sound silent.
void audio_init(const char* sfx_dir, const char* rom_dir);

// Runs the sound board for one game frame, after the game's frame step.
void audio_frame();
