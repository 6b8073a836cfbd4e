#include "base/file_copy.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool fd_closed(int fd, bool ok) {
    int error = errno;
    if (close(fd) != 0) return false;
    errno = error;
    return ok;
}

bool fd_write_all(int fd, const uint8_t* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

const char* file_copy(const char* from, const char* to) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return from;
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        fd_closed(in, false);
        return to;
    }
    static uint8_t chunk[65536];
    const char* failed = nullptr;
    ssize_t n;
    while (!failed && (n = read(in, chunk, sizeof chunk)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed = from;
        else if (!fd_write_all(out, chunk, size_t(n))) failed = to;
    }
    if (!fd_closed(out, !failed && fsync(out) == 0) && !failed) failed = to;
    if (!fd_closed(in, !failed) && !failed) failed = from;
    return failed;
}
