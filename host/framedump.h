// Frame-dump files (poly_fN.bin and their side files) and their viewer: one dump, or a
// directory of dumps played as a sequence, each shown for a hold of frames. The viewer
// loads the files and fills framedump_shown (render/framedump_draw.h), which the frame
// render draws in place of the game's display list. Dump files are untrusted: fixed-size
// side files count only at exactly their size, a poly file's trailing partial word is
// dropped, and nothing is read outside what was loaded.
#pragma once
#include <cstddef>

constexpr int FRAMEDUMP_SEQUENCE_MAX = 4096;

// A directory loads a sequence; a file loads one dump and the side files beside it.
// False (with one line) only when nothing could be loaded.
bool framedump_open(const char* path);

// Loads one poly file as the current words (big-endian 32-bit words, low 24 bits kept);
// an empty file gives no words. Prints "framedump: %s, %d words" unless quiet.
bool framedump_read(const char* path, bool quiet);

// The frame number of a name "poly_f<digits>.bin", else -1.
int framedump_name_match(const char* name);

// Frees every dump and side file and forgets the sequence.
void framedump_close();

// The most bytes a sequence may preload before it falls back to reading each dump when
// it is shown (512 MB); tests lower it.
extern size_t framedump_preload_limit;
