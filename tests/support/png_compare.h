// Golden-picture checks: reads the PNGs this project writes (8-bit RGB, filter 0) and
// compares pictures within a per-channel tolerance.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct rgb_picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
};

// False (with the reason in *why) for anything but an 8-bit RGB, non-interlaced PNG
// whose rows all use filter 0 and whose chunks all carry their CRC.
bool png_read_rgb(const std::string& path, rgb_picture* out, std::string* why);

// Empty when every channel of every pixel differs by at most `tolerance`; otherwise a
// line naming the size mismatch or the first differing pixel and the count.
std::string picture_difference(const rgb_picture& got, const rgb_picture& want, int tolerance);

// Compares `got` with the reference PNG; with SKYVOLTA_UPDATE_GOLDEN set, writes `got`
// as the new reference instead (to be looked at before it is committed).
std::string golden_check(const rgb_picture& got, const std::string& reference_path, int tolerance);

// A binary PPM ("P6\n<w> <h>\n255\n" and the RGB bytes), as the headless screenshot
// writes it; false for anything else.
bool ppm_read(const std::string& path, rgb_picture* out);
