// A small zip writer for installer tests: stored or deflated members, with faults
// (a wrong CRC-32, an archive comment) made on purpose.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct zip_member {
    std::string name;
    std::vector<uint8_t> data;
    int method = 8;         // 0 stored, 8 deflated
    bool bad_crc = false;   // store a CRC-32 that does not match the data
    long claimed_size = -1; // headers claim this size and the CRC-32 of that many bytes (-1: all)
};

// The archive's bytes, with an archive comment of comment_len bytes.
std::vector<uint8_t> zip_build(const std::vector<zip_member>& members, size_t comment_len);

// An archive of one member whose central directory lists it copies times (up to 65,535),
// every entry pointing at the same local header and data.
std::vector<uint8_t> zip_build_repeated(const zip_member& member, uint32_t copies);

bool zip_write(const char* path, const std::vector<zip_member>& members, size_t comment_len);
