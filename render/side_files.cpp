#include "render/side_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool side_path(char (&out)[SIDE_PATH_MAX], const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, sizeof out, format, args);
    va_end(args);
    return n >= 0 && size_t(n) < sizeof out;
}

bool side_file_read(const char* path, void* buf, size_t n) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    size_t got = fread(buf, 1, n, f);
    bool exact = got == n && fgetc(f) == EOF;
    fclose(f);
    return exact;
}

bool side_file_read_words(const char* path, uint32_t** words, uint32_t* count) {
    *words = nullptr;
    *count = 0;
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    uint8_t* bytes = nullptr;
    size_t size = 0, cap = 0;
    bool ok = true;
    for (;;) {
        if (size == cap) {
            cap = cap ? cap * 2 : 0x10000;
            uint8_t* grown = static_cast<uint8_t*>(realloc(bytes, cap));
            if (!grown) {
                ok = false;
                break;
            }
            bytes = grown;
        }
        size_t got = fread(bytes + size, 1, cap - size, f);
        size += got;
        if (got == 0) break;
    }
    fclose(f);
    size_t n = size / 4;
    if (ok && n > UINT32_MAX) ok = false;
    if (ok && n) {
        uint32_t* w = static_cast<uint32_t*>(malloc(n * sizeof(uint32_t)));
        if (w) {
            for (size_t i = 0; i < n; i++) w[i] = load_be32(bytes + 4 * i);
            *words = w;
            *count = uint32_t(n);
        } else {
            ok = false;
        }
    }
    free(bytes);
    return ok;
}

bool side_file_load_shared(const char* path, size_t n, const uint8_t* shared, const uint8_t** data, int* owned) {
    *data = nullptr;
    *owned = 0;
    uint8_t* copy = static_cast<uint8_t*>(malloc(n));
    if (!copy) return false;
    if (!side_file_read(path, copy, n)) {
        free(copy);
        return false;
    }
    if (shared && memcmp(copy, shared, n) == 0) {
        free(copy);
        *data = shared;
        return true;
    }
    *data = copy;
    *owned = 1;
    return true;
}

void side_file_release(const uint8_t* data, int owned) {
    if (owned) free(const_cast<uint8_t*>(data));
}
