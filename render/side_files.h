// Reading the renderer's input files: the palette captured from a running board and the
// per-frame side files of a frame dump (sprite, character, palette and fog RAM).
#pragma once
#include "base/byte_order.h"

#include <cstddef>
#include <cstdint>

constexpr size_t SIDE_PATH_MAX = 4096;

// Formats a path into out; false when it does not fit.
bool side_path(char (&out)[SIDE_PATH_MAX], const char* format, ...) __attribute__((format(printf, 2, 3)));

// Reads a file that must hold exactly n bytes into buf; false when it does not open or
// its size differs (buf may then hold part of it).
bool side_file_read(const char* path, void* buf, size_t n);

// Reads a whole file as big-endian 32-bit words into a malloc'd array (null and 0 for
// an empty file; a trailing partial word is dropped); false when it does not open or
// memory cannot be had.
bool side_file_read_words(const char* path, uint32_t** words, uint32_t* count);

// Reads a file of exactly n bytes; when `shared` holds the same bytes it is used and
// *owned = 0, else *data is a malloc'd copy and *owned = 1. False (nothing kept) when
// the file is missing, of another size, or memory cannot be had.
bool side_file_load_shared(const char* path, size_t n, const uint8_t* shared, const uint8_t** data, int* owned);

// Frees what side_file_load_shared handed out when it is owned.
void side_file_release(const uint8_t* data, int owned);
