#include "host/rom_set.h"

#include "base/byte_order.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <zlib.h>

const rom_entry rom_table[ROM_COUNT] = {
    {"kv2ver-a.1", 0x100000, 0, "kv2vera.1"},
    {"kv2ver-a.2", 0x100000, 0, "kv2vera.2"},
    {"kv2ver-a.3", 0x100000, 0, "kv2vera.3"},
    {"kv2ver-a.4", 0x100000, 0, "kv2vera.4"},
    {"kv1ptrl0.18k", 0x80000, 0, nullptr},
    {"kv1ptrl1.16k", 0x80000, 0, nullptr},
    {"kv1ptrl2.15k", 0x80000, 0, nullptr},
    {"kv1ptrm0.18j", 0x80000, 0, nullptr},
    {"kv1ptrm1.16j", 0x80000, 0, nullptr},
    {"kv1ptrm2.15j", 0x80000, 0, nullptr},
    {"kv1ptru0.18f", 0x80000, 0, nullptr},
    {"kv1ptru1.16f", 0x80000, 0, nullptr},
    {"kv1ptru2.15f", 0x80000, 0, nullptr},
    {"kv1cg0.12b", 0x200000, 0, nullptr},
    {"kv1cg1.10d", 0x200000, 0, nullptr},
    {"kv1cg2.12d", 0x200000, 0, nullptr},
    {"kv1cg3.13d", 0x200000, 0, nullptr},
    {"kv1cg4.14d", 0x200000, 0, nullptr},
    {"kv1cg5.16d", 0x200000, 0, nullptr},
    {"kv1cg6.18a", 0x200000, 0, nullptr},
    {"kv1cg7.15a", 0x200000, 0, nullptr},
    {"kv1ccrl.3d", 0x200000, 0, nullptr},
    {"kv1ccrh.1d", 0x80000, 0, nullptr},
    {"kv1scg0.12f", 0x200000, 0, nullptr},
    {"kv1scg1.10f", 0x200000, 0, nullptr},
    {"kv1data.8k", 0x80000, 0, nullptr},
    {"kv1wavea.2l", 0x400000, 0, nullptr},
    {"kv1waveb.1l", 0x400000, 0, nullptr},
};

namespace {

constexpr uint32_t SIG_END = 0x06054B50;
constexpr uint32_t SIG_CENTRAL = 0x02014B50;
constexpr uint32_t SIG_LOCAL = 0x04034B50;
constexpr uint64_t END_SIZE = 22;
constexpr uint64_t CENTRAL_SIZE = 46;
constexpr uint64_t LOCAL_SIZE = 30;
constexpr uint64_t MAX_COMMENT = 65535;

// Table entry whose name (or alias) equals the member name lower-cased, or -1.
int rom_entry_for_member(const uint8_t* name, size_t len) {
    char lower[64];
    if (len == 0 || len >= sizeof lower) return -1;
    for (size_t i = 0; i < len; i++) {
        uint8_t c = name[i];
        lower[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    for (int e = 0; e < ROM_COUNT; e++) {
        const char* cands[2] = {rom_table[e].name, rom_table[e].alias};
        for (const char* cand : cands)
            if (cand && std::strlen(cand) == len && std::memcmp(cand, lower, len) == 0) return e;
    }
    return -1;
}

// Raw-deflate data that must inflate to exactly out_size bytes in one call.
bool inflate_exact(const uint8_t* in, uint32_t in_size, uint8_t* out, uint32_t out_size) {
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = in_size;
    zs.next_out = out;
    zs.avail_out = out_size;
    int rc = inflate(&zs, Z_FINISH);
    bool ok = rc == Z_STREAM_END && zs.total_out == out_size;
    inflateEnd(&zs);
    return ok;
}

bool rom_member_write(int entry, const uint8_t* data, uint32_t size, void* ctx, char* err, size_t errlen) {
    const char* dir = static_cast<const char*>(ctx);
    char path[1024];
    snprintf(path, sizeof path, "%s/%s", dir, rom_table[entry].name);
    FILE* f = fopen(path, "wb");
    bool ok = f && fwrite(data, 1, size, f) == size;
    if (f && fclose(f) != 0) ok = false;
    if (!ok) snprintf(err, errlen, "cannot write %s", path);
    return ok;
}

}  // namespace

bool rom_set_complete(const char* dir) {
    for (const rom_entry& e : rom_table) {
        if (e.optional) continue;
        char path[1024];
        snprintf(path, sizeof path, "%s/%s", dir, e.name);
        FILE* f = fopen(path, "rb");
        if (!f) return false;
        bool ok = fseek(f, 0, SEEK_END) == 0 && ftell(f) == long(e.size);
        fclose(f);
        if (!ok) return false;
    }
    return true;
}

int64_t zip_end_record_find(const uint8_t* zip, uint64_t size) {
    if (size < END_SIZE) return -1;
    uint64_t lowest = size > END_SIZE + MAX_COMMENT ? size - END_SIZE - MAX_COMMENT : 0;
    for (uint64_t at = size - END_SIZE;; at--) {
        if (load_le32(zip + at) == SIG_END) return int64_t(at);
        if (at == lowest) return -1;
    }
}

bool zip_members_walk(const uint8_t* zip, uint64_t size, uint64_t end_record,
                      rom_member_sink sink, void* ctx, bool present[ROM_COUNT],
                      char* err, size_t errlen) {
    if (end_record + END_SIZE > size) return true;
    uint32_t count = load_le16(zip + end_record + 10);
    uint64_t at = load_le32(zip + end_record + 16);
    for (uint32_t i = 0; i < count; i++) {
        if (at + CENTRAL_SIZE > size) break;
        const uint8_t* h = zip + at;
        if (load_le32(h) != SIG_CENTRAL) break;
        uint16_t method = load_le16(h + 10);
        uint32_t crc = load_le32(h + 16);
        uint32_t packed = load_le32(h + 20);
        uint32_t unpacked = load_le32(h + 24);
        uint64_t name_len = load_le16(h + 28);
        uint64_t next = at + CENTRAL_SIZE + name_len + load_le16(h + 30) + load_le16(h + 32);
        uint64_t local = load_le32(h + 42);
        const uint8_t* name = h + CENTRAL_SIZE;
        at = next;
        if (uint64_t(name - zip) + name_len > size) break;
        if (std::memchr(name, '/', name_len)) continue;
        int entry = rom_entry_for_member(name, name_len);
        if (entry < 0 || unpacked != rom_table[entry].size) continue;
        if (local + LOCAL_SIZE > size || load_le32(zip + local) != SIG_LOCAL) continue;
        uint64_t data_at = local + LOCAL_SIZE + load_le16(zip + local + 26) + load_le16(zip + local + 28);
        if (data_at + packed > size) continue;
        const uint8_t* data = zip + data_at;

        uint8_t* inflated = nullptr;
        if (method == 8) {
            inflated = static_cast<uint8_t*>(malloc(unpacked));
            if (!inflated) {
                snprintf(err, errlen, "out of memory");
                return false;
            }
            if (!inflate_exact(data, packed, inflated, unpacked)) {
                free(inflated);
                continue;
            }
            data = inflated;
        } else if (method != 0 || packed != unpacked) {
            continue;
        }
        bool crc_ok = crc32(0L, data, unpacked) == crc;
        bool taken = crc_ok && sink(entry, data, unpacked, ctx, err, errlen);
        free(inflated);
        if (crc_ok && !taken) return false;
        if (taken) present[entry] = true;
    }
    return true;
}

bool unpack_rom_zip(const char* zip_path, const char* dir, char* err, size_t errlen) {
    FILE* f = fopen(zip_path, "rb");
    if (!f) {
        snprintf(err, errlen, "cannot open %s", zip_path);
        return false;
    }
    long size = fseek(f, 0, SEEK_END) == 0 ? ftell(f) : -1;
    uint8_t* zip = size >= long(END_SIZE) ? static_cast<uint8_t*>(malloc(size_t(size))) : nullptr;
    bool ok = zip && fseek(f, 0, SEEK_SET) == 0 && fread(zip, 1, size_t(size), f) == size_t(size);
    fclose(f);
    if (!ok) {
        free(zip);
        snprintf(err, errlen, "cannot read %s", zip_path);
        return false;
    }

    int64_t end = zip_end_record_find(zip, uint64_t(size));
    if (end < 0) {
        free(zip);
        snprintf(err, errlen, "%s is not a zip file", zip_path);
        return false;
    }
    mkdir(dir, 0755);  // an existing directory is fine; a failed write names the path
    bool present[ROM_COUNT] = {};
    ok = zip_members_walk(zip, uint64_t(size), uint64_t(end), rom_member_write,
                          const_cast<char*>(dir), present, err, errlen);
    free(zip);
    if (!ok) return false;
    for (int e = 0; e < ROM_COUNT; e++) {
        if (!rom_table[e].optional && !present[e]) {
            snprintf(err, errlen, "%s is not the Sky Volta ROM set (missing or bad: %s)", zip_path,
                     rom_table[e].name);
            return false;
        }
    }
    return true;
}

bool find_rom_zip(const char* dir, const char* base_path, char* err, size_t errlen) {
    snprintf(err, errlen, "no skyvolta.zip found");
    char cands[4][1024];
    int n = 0;
    snprintf(cands[n++], sizeof cands[0], "skyvolta.zip");
    snprintf(cands[n++], sizeof cands[0], "roms/skyvolta.zip");
    if (base_path && *base_path) {
        snprintf(cands[n++], sizeof cands[0], "%s/skyvolta.zip", base_path);
        snprintf(cands[n++], sizeof cands[0], "%s/roms/skyvolta.zip", base_path);
    }
    const char* found = nullptr;
    for (int i = 0; i < n && !found; i++) {
        FILE* f = fopen(cands[i], "rb");
        if (!f) continue;
        if (fseek(f, 0, SEEK_END) == 0 && ftell(f) > 0) found = cands[i];
        fclose(f);
    }
    if (!found) return false;
    printf("Unpacking ROMs from %s into %s ...\n", found, dir);
    if (!unpack_rom_zip(found, dir, err, errlen)) {
        fprintf(stderr, "ROM setup: %s\n", err);
        return false;
    }
    printf("ROMs unpacked.\n");
    return true;
}
