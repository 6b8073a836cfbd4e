#include "base/rom_files.h"

#include <cstdio>

const uint32_t* point_rom = nullptr;
uint32_t point_rom_count = 0;
const uint8_t* sprite_rom = nullptr;
uint32_t sprite_rom_size = 0;

long rom_read_upto(const char* dir, const char* name, void* buf, size_t len) {
    char path[512];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE* f = fopen(path, "rb");
    if (!f) {
        fprintf(stderr, "  Cannot open: %s\n", path);
        return -1;
    }
    size_t got = fread(buf, 1, len, f);
    fclose(f);
    return long(got);
}

void rom_short_read_report(const char* dir, const char* name, size_t got, size_t want) {
    fprintf(stderr, "  Short read: %s/%s (%zu/%zu)\n", dir, name, got, want);
}

bool rom_read_at(const char* dir, const char* name, void* buf, size_t offset, size_t len) {
    long got = rom_read_upto(dir, name, static_cast<uint8_t*>(buf) + offset, len);
    if (got < 0) return false;
    if (size_t(got) < len) {
        rom_short_read_report(dir, name, size_t(got), len);
        return false;
    }
    return true;
}
