// Byte-for-byte file writes and copies with POSIX descriptors, for the user's own files
// that must be kept whole (a damaged file copied aside before a save replaces it).
#pragma once
#include <cstddef>
#include <cstdint>

// Writes all of `size` bytes to fd; false (errno set) on a failed or short write.
bool fd_write_all(int fd, const uint8_t* bytes, size_t size);
// Closes fd; false (errno of the first failure kept) when `ok` was already false or the
// close fails.
bool fd_closed(int fd, bool ok);
// Copies the file `from` to `to`, synced. Gives the path that failed (`from` or `to`,
// errno set), or null when the copy is made.
const char* file_copy(const char* from, const char* to);
