#include "tests/support/synth_rom.h"

#include "host/rom_set.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/zip_writer.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>

namespace {

// xorshift32: the same filler on every run and machine.
void filler(uint8_t* p, size_t n, uint32_t seed) {
    uint32_t x = seed * 2654435761u | 1;
    for (size_t i = 0; i < n; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        p[i] = uint8_t(x >> 24);
    }
}

}  // namespace

synth_rom_set* synth_rom_new_blank() {
    synth_rom_set* set = new (std::nothrow) synth_rom_set();
    if (set) synth_reset_vector(set);
    return set;
}

synth_rom_set* synth_rom_new() {
    synth_rom_set* set = new (std::nothrow) synth_rom_set();
    if (!set) return nullptr;
    filler(set->program, sizeof set->program, 1);
    filler(reinterpret_cast<uint8_t*>(set->point), sizeof set->point, 2);
    for (uint32_t& w : set->point) w &= 0xFFFFFF;
    filler(set->texture, sizeof set->texture, 3);
    filler(set->tilemap, sizeof set->tilemap, 4);
    filler(set->sprite, sizeof set->sprite, 5);
    filler(set->sound_driver, sizeof set->sound_driver, 6);
    filler(set->wave_a, sizeof set->wave_a, 7);
    filler(set->wave_b, sizeof set->wave_b, 8);
    synth_rom_tables_write(set);
    return set;
}

void synth_rom_free(synth_rom_set* set) {
    delete set;
}

const synth_rom_set* synth_rom_shared() {
    static synth_rom_set* shared = synth_rom_new();
    return shared;
}

std::vector<uint8_t> synth_rom_file(const synth_rom_set* set, int entry) {
    std::vector<uint8_t> f(rom_table[entry].size);
    size_t n = f.size();
    if (entry < 4) {
        // kv2ver-a.1 .. .4 hold bytes 3, 2, 1, 0 of each big-endian long
        for (size_t i = 0; i < n; i++) f[i] = set->program[4 * i + size_t(3 - entry)];
    } else if (entry < 13) {
        int plane = (entry - 4) / 3, range = (entry - 4) % 3;  // low, middle, high bytes
        for (size_t i = 0; i < n; i++) f[i] = uint8_t(set->point[range * n + i] >> (8 * plane));
    } else if (entry < 21) {
        memcpy(f.data(), set->texture + size_t(entry - 13) * n, n);
    } else if (entry == 21) {
        memcpy(f.data(), set->tilemap, n);
    } else if (entry == 22) {
        memcpy(f.data(), set->tilemap + 0x200000, n);
    } else if (entry < 25) {
        memcpy(f.data(), set->sprite + size_t(entry - 23) * n, n);
    } else if (entry == 25) {
        memcpy(f.data(), set->sound_driver, n);
    } else {
        memcpy(f.data(), entry == 26 ? set->wave_a : set->wave_b, n);
    }
    return f;
}

bool synth_rom_write_dir(const synth_rom_set* set, const char* dir, const char* const* names) {
    mkdir(dir, 0755);
    for (int e = 0; e < ROM_COUNT; e++) {
        std::vector<uint8_t> data = synth_rom_file(set, e);
        std::string path = std::string(dir) + "/" + (names && names[e] ? names[e] : rom_table[e].name);
        FILE* f = fopen(path.c_str(), "wb");
        bool ok = f && fwrite(data.data(), 1, data.size(), f) == data.size();
        if (f) fclose(f);
        if (!ok) return false;
    }
    return true;
}

bool synth_rom_write_zip(const synth_rom_set* set, const char* path) {
    std::vector<zip_member> members;
    for (int e = 0; e < ROM_COUNT; e++) members.push_back({rom_table[e].name, synth_rom_file(set, e)});
    return zip_write(path, members, 0);
}
