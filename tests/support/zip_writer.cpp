#include "tests/support/zip_writer.h"

#include <cstdio>
#include <zlib.h>

namespace {

void put16(std::vector<uint8_t>& z, uint32_t v) {
    z.push_back(uint8_t(v));
    z.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& z, uint32_t v) {
    put16(z, v & 0xFFFF);
    put16(z, v >> 16);
}

std::vector<uint8_t> deflate_raw(const std::vector<uint8_t>& in) {
    z_stream zs{};
    deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&zs, uLong(in.size())));
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = uInt(in.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace

std::vector<uint8_t> zip_build(const std::vector<zip_member>& members, size_t comment_len) {
    std::vector<uint8_t> z, central;
    for (const zip_member& m : members) {
        std::vector<uint8_t> packed = m.method == 8 ? deflate_raw(m.data) : m.data;
        uint32_t size = m.claimed_size < 0 ? uint32_t(m.data.size()) : uint32_t(m.claimed_size);
        uint32_t crc = uint32_t(crc32(0L, m.data.data(), size));
        if (m.bad_crc) crc ^= 0xDEADBEEF;
        uint32_t local_at = uint32_t(z.size());
        put32(z, 0x04034B50);
        put16(z, 20);
        put16(z, 0);
        put16(z, uint32_t(m.method));
        put32(z, 0);  // time and date
        put32(z, crc);
        put32(z, uint32_t(packed.size()));
        put32(z, size);
        put16(z, uint32_t(m.name.size()));
        put16(z, 0);
        z.insert(z.end(), m.name.begin(), m.name.end());
        z.insert(z.end(), packed.begin(), packed.end());

        put32(central, 0x02014B50);
        put16(central, 20);
        put16(central, 20);
        put16(central, 0);
        put16(central, uint32_t(m.method));
        put32(central, 0);
        put32(central, crc);
        put32(central, uint32_t(packed.size()));
        put32(central, size);
        put16(central, uint32_t(m.name.size()));
        put16(central, 0);  // extra
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, local_at);
        central.insert(central.end(), m.name.begin(), m.name.end());
    }
    uint32_t central_at = uint32_t(z.size());
    z.insert(z.end(), central.begin(), central.end());
    put32(z, 0x06054B50);
    put16(z, 0);
    put16(z, 0);
    put16(z, uint32_t(members.size()));
    put16(z, uint32_t(members.size()));
    put32(z, uint32_t(central.size()));
    put32(z, central_at);
    put16(z, uint32_t(comment_len));
    z.insert(z.end(), comment_len, uint8_t('#'));
    return z;
}

std::vector<uint8_t> zip_build_repeated(const zip_member& member, uint32_t copies) {
    std::vector<uint8_t> one = zip_build({member}, 0);
    size_t entry_len = 46 + member.name.size();
    size_t central_at = one.size() - 22 - entry_len;
    std::vector<uint8_t> z(one.begin(), one.begin() + long(central_at));
    for (uint32_t i = 0; i < copies; i++) z.insert(z.end(), one.begin() + long(central_at), one.end() - 22);
    put32(z, 0x06054B50);
    put16(z, 0);
    put16(z, 0);
    put16(z, copies);
    put16(z, copies);
    put32(z, uint32_t(entry_len * copies));
    put32(z, uint32_t(central_at));
    put16(z, 0);
    return z;
}

bool zip_write(const char* path, const std::vector<zip_member>& members, size_t comment_len) {
    std::vector<uint8_t> z = zip_build(members, comment_len);
    FILE* f = fopen(path, "wb");
    bool ok = f && fwrite(z.data(), 1, z.size(), f) == z.size();
    if (f && fclose(f) != 0) ok = false;
    return ok;
}
