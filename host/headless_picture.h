// What a headless run leaves behind: the P6 picture of its last frame with the DSP RAM
// image (and with SKYVOLTA_WRAMDUMP the work-RAM image), and the palette image of frame 5.
#pragma once
#include <cstdint>

// "P6\n%d %d\n255\n" and the RGB rows, top row first. False when the file cannot be
// opened or a write falls short.
bool ppm_write(const char* path, int width, int height, const uint8_t* rgb);

// Whether the picture of this frame went through the final colour stage already (the
// windowed frame does): read-backs then leave the colour tables out.
extern bool picture_colour_staged;

// Reads back width x height RGB of the current read buffer, top row first, through the
// mixer's colour tables when `colour_table` (as the final colour stage would) unless the
// stage ran; a malloc'd buffer, or null when the memory cannot be had.
uint8_t* picture_read_back(int width, int height, bool colour_table);

// Reads back the HUD-wide picture (640, or the SKYVOLTA_WIDE width) x 480, through the
// mixer's colour tables, rows flipped, into a PPM at path; prints the outcome.
bool headless_screenshot_write(const char* path);

// dspram_dump.bin in the working directory: the 0x20000 bytes of DSP RAM.
bool dspram_dump_write();

// wram_dump.bin in the working directory: the 0x40000 bytes of work RAM as the bus sees
// them.
bool wram_dump_write();

// palette_dump.bin in the working directory: the first 8,192 entries of the three
// palette planes as R, G, B triples.
bool palette_dump_write();

// The headless run's end: the screenshot, the DSP RAM image and, with SKYVOLTA_WRAMDUMP,
// the work-RAM image; the run flag clears. False when the screenshot could not be written.
bool headless_end(const char* screenshot_path);
