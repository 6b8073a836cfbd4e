#include "tests/support/png_compare.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "host/png_file.h"
#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

}  // namespace

bool png_read_rgb(const std::string& path, rgb_picture* out, std::string* why) {
    std::vector<uint8_t> f = file_read(path);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (f.size() < 8 || memcmp(f.data(), signature, 8) != 0) {
        *why = path + ": not a PNG";
        return false;
    }
    std::vector<uint8_t> idat;
    int width = 0, height = 0;
    for (size_t at = 8; at + 12 <= f.size();) {
        uint32_t len = load_be32(&f[at]);
        if (len > f.size() - at - 12) break;
        const uint8_t* type = &f[at + 4];
        const uint8_t* data = &f[at + 8];
        if (crc32(0L, type, 4 + len) != load_be32(&f[at + 8 + len])) {
            *why = path + ": chunk CRC does not match";
            return false;
        }
        if (memcmp(type, "IHDR", 4) == 0 && len == 13) {
            width = int(load_be32(data));
            height = int(load_be32(data + 4));
            if (data[8] != 8 || data[9] != 2 || data[12] != 0) {
                *why = path + ": not 8-bit RGB without interlace";
                return false;
            }
        } else if (memcmp(type, "IDAT", 4) == 0) {
            idat.insert(idat.end(), data, data + len);
        }
        at += 12 + size_t(len);
    }
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        *why = path + ": no usable IHDR";
        return false;
    }
    size_t row = size_t(width) * 3 + 1;
    std::vector<uint8_t> raw(row * size_t(height));
    uLongf raw_size = uLongf(raw.size());
    if (uncompress(raw.data(), &raw_size, idat.data(), uLong(idat.size())) != Z_OK || raw_size != raw.size()) {
        *why = path + ": damaged image data";
        return false;
    }
    out->width = width;
    out->height = height;
    out->rgb.resize(size_t(width) * 3 * size_t(height));
    for (int y = 0; y < height; y++) {
        if (raw[row * size_t(y)] != 0) {
            *why = path + ": a row uses a filter other than 0";
            return false;
        }
        memcpy(&out->rgb[(row - 1) * size_t(y)], &raw[row * size_t(y) + 1], row - 1);
    }
    return true;
}

std::string picture_difference(const rgb_picture& got, const rgb_picture& want, int tolerance) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + ", reference " +
               std::to_string(want.width) + "x" + std::to_string(want.height);
    long bad = 0;
    std::string first;
    for (size_t i = 0; i < got.rgb.size(); i++) {
        if (std::abs(int(got.rgb[i]) - int(want.rgb[i])) <= tolerance) continue;
        if (bad++ == 0) {
            size_t pixel = i / 3;
            first = "pixel (" + std::to_string(pixel % size_t(got.width)) + ", " +
                    std::to_string(pixel / size_t(got.width)) + ") channel " + std::to_string(i % 3) + " is " +
                    std::to_string(got.rgb[i]) + ", reference " + std::to_string(want.rgb[i]);
        }
    }
    return bad ? first + " (" + std::to_string(bad) + " channel values differ)" : std::string();
}

std::string golden_check(const rgb_picture& got, const std::string& reference_path, int tolerance) {
    if (env_present("SKYVOLTA_UPDATE_GOLDEN")) {
        return png_write_rgb(reference_path.c_str(), got.width, got.height, got.rgb.data())
                   ? std::string()
                   : "cannot write " + reference_path;
    }
    rgb_picture want;
    std::string why;
    if (!png_read_rgb(reference_path, &want, &why)) return why;
    return picture_difference(got, want, tolerance);
}

bool ppm_read(const std::string& path, rgb_picture* out) {
    std::vector<uint8_t> f = file_read(path);
    int w = 0, h = 0, max = 0, used = 0;
    std::string text(f.begin(), f.begin() + std::min<size_t>(f.size(), 32));
    if (sscanf(text.c_str(), "P6\n%d %d\n%d\n%n", &w, &h, &max, &used) != 3 || max != 255) return false;
    if (f.size() != size_t(used) + size_t(w) * h * 3) return false;
    out->width = w, out->height = h;
    out->rgb.assign(f.begin() + used, f.end());
    return true;
}
