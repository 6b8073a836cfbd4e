// The sound board's state hash (SKYVOLTA_SNDSTATE = path, optionally ":frame"): after
// every frame's run an "H" line with a 64-bit hash of the sound CPU's internal RAM and
// commsram, and at the given host frame a "B" line for every byte of both.
#pragma once
#include <cstdint>

// h = 0x14650FB0739D0383, then h = (h XOR byte) x 0x100000001B3 for internal RAM
// 0x80-0x3FF except 0x240-0x27F, then commsram in stored order. Read
// straight from the images: no bus access, no cycle.
uint64_t sound_state_hash();

// The "H" line (and the listing at its frame); reads the switch and opens the file at
// its first call after a reset.
void sound_state_hash_frame();
// Back to "switch not read yet" (each driver load).
void sound_state_hash_reset();
