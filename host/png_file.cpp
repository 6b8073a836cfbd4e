#include "host/png_file.h"

#include "base/byte_order.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// The rows with their filter byte 0, compressed at level 6; null on failure.
uint8_t* png_idat_build(int width, int height, const uint8_t* rgb, uLongf* packed_size) {
    size_t row = size_t(width) * 3 + 1, raw_size = row * size_t(height);
    uint8_t* raw = static_cast<uint8_t*>(malloc(raw_size));
    uLongf bound = compressBound(uLong(raw_size));
    uint8_t* packed = raw ? static_cast<uint8_t*>(malloc(bound)) : nullptr;
    if (packed) {
        for (int y = 0; y < height; y++) {
            raw[row * size_t(y)] = 0;
            memcpy(raw + row * size_t(y) + 1, rgb + (row - 1) * size_t(y), row - 1);
        }
        *packed_size = bound;
        if (compress2(packed, packed_size, raw, uLong(raw_size), 6) != Z_OK) {
            free(packed);
            packed = nullptr;
        }
    }
    free(raw);
    return packed;
}

}  // namespace

bool png_write_chunk(FILE* file, const char* type, const uint8_t* data, uint32_t length) {
    uint8_t head[8], tail[4];
    store_be32(head, length);
    memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (length) crc = crc32(crc, data, length);
    store_be32(tail, uint32_t(crc));
    return fwrite(head, 1, 8, file) == 8 && (length == 0 || fwrite(data, 1, length, file) == length) &&
           fwrite(tail, 1, 4, file) == 4;
}

namespace {

// Writes the picture into the open file f (which it closes); removes the file at path
// when anything falls short.
bool png_stream_write(FILE* f, const char* path, int width, int height, const uint8_t* rgb) {
    if (!f) return false;
    uLongf packed_size = 0;
    uint8_t* packed = width > 0 && height > 0 ? png_idat_build(width, height, rgb, &packed_size) : nullptr;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t ihdr[13] = {};
    store_be32(ihdr, uint32_t(width));
    store_be32(ihdr + 4, uint32_t(height));
    ihdr[8] = 8;  // bit depth
    ihdr[9] = 2;  // RGB
    bool ok = packed && fwrite(signature, 1, 8, f) == 8 && png_write_chunk(f, "IHDR", ihdr, 13) &&
              png_write_chunk(f, "IDAT", packed, uint32_t(packed_size)) && png_write_chunk(f, "IEND", nullptr, 0);
    if (fclose(f) != 0) ok = false;
    if (!ok) remove(path);
    free(packed);
    return ok;
}

}  // namespace

bool png_write_rgb(const char* path, int width, int height, const uint8_t* rgb) {
    if (width <= 0 || height <= 0) return false;
    return png_stream_write(fopen(path, "wb"), path, width, height, rgb);
}

bool png_create_rgb(const char* path, int width, int height, const uint8_t* rgb, bool* taken) {
    *taken = false;
    if (width <= 0 || height <= 0) return false;
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        *taken = errno == EEXIST;
        return false;
    }
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        remove(path);
        return false;
    }
    return png_stream_write(f, path, width, height, rgb);
}
