// Loads the ROM files of the set into the board's images: the program ROM (essential),
// the point ROM, the texture ROM and tile map, and the sprite ROM. The images and the
// file readers are base/rom_files.h.
#pragma once
#include "base/rom_files.h"

// True when the program ROM was loaded, whatever happened to the other images.
bool load_roms(const char* dir);
