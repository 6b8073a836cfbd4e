// PNG files of RGB pictures: signature, IHDR, one IDAT of zlib level 6, IEND.
#pragma once
#include <cstdint>
#include <cstdio>

// Writes one chunk: length, type, data and the CRC-32 of type and data (big-endian).
bool png_write_chunk(FILE* file, const char* type, const uint8_t* data, uint32_t length);

// Writes width x height RGB bytes (top row first) as a PNG; a failed write removes the
// partial file. False on any failure (the caller prints its own line).
bool png_write_rgb(const char* path, int width, int height, const uint8_t* rgb);

// The same into a file that must not exist yet: false with *taken set when the name is
// already in use (nothing is touched then).
bool png_create_rgb(const char* path, int width, int height, const uint8_t* rgb, bool* taken);
