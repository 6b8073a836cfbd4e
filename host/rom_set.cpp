#include "host/rom_set.h"

#include "base/byte_order.h"
#include "base/run_flags.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

const uint32_t* rom_test_sizes = nullptr;
void (*rom_unpack_chunk_done)(int entry) = nullptr;

namespace {

constexpr uint32_t SIG_END = 0x06054B50;
constexpr uint32_t SIG_CENTRAL = 0x02014B50;
constexpr uint32_t SIG_LOCAL = 0x04034B50;
constexpr uint64_t END_SIZE = 22;
constexpr uint64_t CENTRAL_SIZE = 46;
constexpr uint64_t LOCAL_SIZE = 30;
constexpr uint64_t MAX_COMMENT = 65535;
constexpr size_t NAME_MAX_LEN = 63;           // longer member names match no table name
constexpr size_t READ_CHUNK = 64 * 1024;      // packed bytes read per step
constexpr uint32_t OUTPUT_CHUNK = 256 * 1024; // member bytes made between quit checks

uint32_t rom_size(int entry) {
    return rom_test_sizes ? rom_test_sizes[entry] : rom_table[entry].size;
}

// Table entry whose name (or alias) equals the member name lower-cased, or -1.
int rom_entry_for_member(const uint8_t* name, size_t len) {
    char lower[NAME_MAX_LEN + 1];
    if (len == 0 || len > NAME_MAX_LEN) return -1;
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

// One unpack: the archive read through its descriptor, never whole.
struct unpack_run {
    int fd;
    uint64_t size;
    const char* zip_path;
    const char* dir;
    char* err;
    size_t errlen;
    bool tried[ROM_COUNT];    // a member of this file was inflated once: later ones are skipped
    bool present[ROM_COUNT];  // written under its table name
};

// True when n bytes at offset at lie within the archive.
bool within(const unpack_run& u, uint64_t at, uint64_t n) {
    return at <= u.size && n <= u.size - at;
}

// Reads n bytes at offset at (which the caller checked lie within the file).
bool zip_read(const unpack_run& u, uint64_t at, void* buf, size_t n) {
    uint8_t* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
        ssize_t got = pread(u.fd, p, n, off_t(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        at += uint64_t(got);
        n -= size_t(got);
    }
    return true;
}

bool unpack_fail(const unpack_run& u, const char* format) {
    snprintf(u.err, u.errlen, format, u.zip_path);
    return false;
}

// Offset of the end-of-central-directory record, searched backwards over the last
// 65,557 bytes; -1 when there is none, -2 when the read failed.
int64_t zip_end_record_find(const unpack_run& u) {
    static uint8_t tail[END_SIZE + MAX_COMMENT];
    uint64_t len = std::min<uint64_t>(u.size, sizeof tail);
    uint64_t base = u.size - len;
    if (!zip_read(u, base, tail, size_t(len))) return -2;
    for (uint64_t at = len - END_SIZE;; at--) {
        if (load_le32(tail + at) == SIG_END) return int64_t(base + at);
        if (at == 0) return -1;
    }
}

enum class member_data { good, bad, stopped, unreadable };

// After each chunk of member bytes: the test hook, then the quit flag.
bool chunk_done(int entry) {
    if (rom_unpack_chunk_done) rom_unpack_chunk_done(entry);
    return run_flag != 0;
}

// Copies a stored member's size bytes at offset at into out.
member_data stored_read(const unpack_run& u, int entry, uint64_t at, uint8_t* out, uint32_t size) {
    for (uint32_t done = 0; done < size;) {
        uint32_t n = std::min(size - done, OUTPUT_CHUNK);
        if (!zip_read(u, at + done, out + done, n)) return member_data::unreadable;
        done += n;
        if (!chunk_done(entry)) return member_data::stopped;
    }
    return member_data::good;
}

// Inflates packed bytes of raw deflate at offset at, which must end the stream with
// exactly size bytes in out.
member_data inflate_read(const unpack_run& u, int entry, uint64_t at, uint32_t packed, uint8_t* out,
                         uint32_t size) {
    static uint8_t in[READ_CHUNK];
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) return member_data::bad;
    uint64_t left = packed;
    member_data result = member_data::bad;
    for (;;) {
        if (zs.avail_in == 0 && left > 0) {
            size_t n = size_t(std::min<uint64_t>(left, READ_CHUNK));
            if (!zip_read(u, at, in, n)) {
                result = member_data::unreadable;
                break;
            }
            at += n;
            left -= n;
            zs.next_in = in;
            zs.avail_in = uInt(n);
        }
        // With the member full, one spare byte shows a stream that runs on past its size.
        uint8_t spill;
        uint32_t room = size - uint32_t(zs.total_out);
        zs.next_out = room ? out + zs.total_out : &spill;
        zs.avail_out = room ? std::min(room, OUTPUT_CHUNK) : 1;
        int rc = inflate(&zs, Z_NO_FLUSH);
        if (zs.total_out > size || (rc != Z_OK && rc != Z_STREAM_END)) break;
        if (!chunk_done(entry)) {
            result = member_data::stopped;
            break;
        }
        if (rc == Z_STREAM_END) {
            if (zs.total_out == size) result = member_data::good;
            break;
        }
    }
    inflateEnd(&zs);
    return result;
}

// Writes a good member as "<name>.part" and renames it to its table name, so that a
// failed write never leaves a short file under that name.
bool rom_member_write(const unpack_run& u, int entry, const uint8_t* data, uint32_t size) {
    char path[1024], part[1030];
    snprintf(path, sizeof path, "%s/%s", u.dir, rom_table[entry].name);
    snprintf(part, sizeof part, "%s.part", path);
    FILE* f = fopen(part, "wb");
    bool ok = f && fwrite(data, 1, size, f) == size;
    if (f && fclose(f) != 0) ok = false;
    if (ok && rename(part, path) != 0) ok = false;
    if (!ok) {
        unlink(part);
        snprintf(u.err, u.errlen, "cannot write %s", path);
    }
    return ok;
}

// Checks one member whose central header passed; false (one line in err) ends the unpack.
bool member_unpack(unpack_run& u, int entry, uint16_t method, uint32_t crc, uint32_t packed, uint32_t size,
                   uint64_t local) {
    uint8_t h[LOCAL_SIZE];
    if (!within(u, local, LOCAL_SIZE)) return true;
    if (!zip_read(u, local, h, sizeof h)) return unpack_fail(u, "cannot read %s");
    if (load_le32(h) != SIG_LOCAL) return true;
    uint64_t data_at = local + LOCAL_SIZE + load_le16(h + 26) + load_le16(h + 28);
    if (!within(u, data_at, packed)) return true;
    if (method != 8 && (method != 0 || packed != size)) return true;

    u.tried[entry] = true;
    uint8_t* data = static_cast<uint8_t*>(malloc(size));
    if (!data) {
        snprintf(u.err, u.errlen, "out of memory");
        return false;
    }
    member_data got = method == 8 ? inflate_read(u, entry, data_at, packed, data, size)
                                  : stored_read(u, entry, data_at, data, size);
    bool ok = true;
    if (got == member_data::stopped) {
        ok = unpack_fail(u, "unpacking %s stopped");
    } else if (got == member_data::unreadable) {
        ok = unpack_fail(u, "cannot read %s");
    } else if (got == member_data::good && crc32(0L, data, size) == crc) {
        ok = rom_member_write(u, entry, data, size);
        u.present[entry] = ok;
    }
    free(data);
    return ok;
}

// Walks the central directory from the end record; false (one line in err) when the
// unpack must end.
bool members_unpack(unpack_run& u, uint64_t end_record) {
    uint8_t end[END_SIZE];
    if (!zip_read(u, end_record, end, sizeof end)) return unpack_fail(u, "cannot read %s");
    uint32_t count = load_le16(end + 10);
    uint64_t at = load_le32(end + 16);
    for (uint32_t i = 0; i < count; i++) {
        if (!run_flag) return unpack_fail(u, "unpacking %s stopped");
        uint8_t h[CENTRAL_SIZE];
        if (!within(u, at, CENTRAL_SIZE)) break;
        if (!zip_read(u, at, h, sizeof h)) return unpack_fail(u, "cannot read %s");
        if (load_le32(h) != SIG_CENTRAL) break;
        uint64_t name_at = at + CENTRAL_SIZE;
        uint64_t name_len = load_le16(h + 28);
        at = name_at + name_len + load_le16(h + 30) + load_le16(h + 32);
        if (!within(u, name_at, name_len)) break;
        uint8_t name[NAME_MAX_LEN];
        if (name_len > NAME_MAX_LEN) continue;
        if (!zip_read(u, name_at, name, size_t(name_len))) return unpack_fail(u, "cannot read %s");
        if (std::memchr(name, '/', name_len)) continue;
        int entry = rom_entry_for_member(name, name_len);
        uint32_t size = load_le32(h + 24);
        // A size other than the table's is refused before anything is inflated.
        if (entry < 0 || size != rom_size(entry) || u.tried[entry]) continue;
        if (!member_unpack(u, entry, load_le16(h + 10), load_le32(h + 16), load_le32(h + 20), size,
                           load_le32(h + 42)))
            return false;
    }
    return true;
}

// The archive opened: finds the end record, unpacks, and runs the final check.
bool archive_unpack(unpack_run& u) {
    struct stat st;
    if (fstat(u.fd, &st) != 0 || st.st_size <= off_t(END_SIZE - 1)) return unpack_fail(u, "cannot read %s");
    u.size = uint64_t(st.st_size);
    int64_t end = zip_end_record_find(u);
    if (end == -2) return unpack_fail(u, "cannot read %s");
    if (end < 0) return unpack_fail(u, "%s is not a zip file");

    bool made = mkdir(u.dir, 0755) == 0;  // an existing directory is fine; a failed write names the path
    bool ok = members_unpack(u, uint64_t(end));
    for (int e = 0; ok && e < ROM_COUNT; e++) {
        if (!rom_table[e].optional && !u.present[e]) {
            snprintf(u.err, u.errlen, "%s is not the Sky Volta ROM set (missing or bad: %s)", u.zip_path,
                     rom_table[e].name);
            ok = false;
        }
    }
    bool wrote = std::any_of(u.present, u.present + ROM_COUNT, [](bool p) { return p; });
    if (made && !wrote) rmdir(u.dir);  // a wrong archive leaves no empty folder behind
    return ok;
}

}  // namespace

bool rom_set_complete(const char* dir) {
    for (int e = 0; e < ROM_COUNT; e++) {
        if (rom_table[e].optional) continue;
        char path[1024];
        snprintf(path, sizeof path, "%s/%s", dir, rom_table[e].name);
        FILE* f = fopen(path, "rb");
        if (!f) return false;
        bool ok = fseek(f, 0, SEEK_END) == 0 && ftell(f) == long(rom_size(e));
        fclose(f);
        if (!ok) return false;
    }
    return true;
}

bool unpack_rom_zip(const char* zip_path, const char* dir, char* err, size_t errlen) {
    unpack_run u{};
    u.zip_path = zip_path;
    u.dir = dir;
    u.err = err;
    u.errlen = errlen;
    u.fd = open(zip_path, O_RDONLY | O_CLOEXEC);
    if (u.fd < 0) return unpack_fail(u, "cannot open %s");
    bool ok = archive_unpack(u);
    close(u.fd);
    return ok;
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
