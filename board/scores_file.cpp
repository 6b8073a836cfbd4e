#include "board/scores_file.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "base/file_copy.h"
#include "base/run_flags.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void (*scores_before_rename)(const char* temporary_path) = nullptr;

namespace {

constexpr char MAGIC[8] = {'S', 'V', 'H', 'S', 'C', 'R', '0', '1'};
constexpr size_t DATA_OFFSET = 8;
constexpr size_t HEAD_OFFSET = 128;  // within the file
constexpr size_t SUM_OFFSET = 129;
constexpr size_t RECORD_SIZE = 8;

struct scores_session {
    char path[SCORES_PATH_MAX + 1];
    bool load_attempted;
    bool held;
    bool saved_valid;
    bool backup_due;  // the file on disk did not load cleanly: copy it aside before a save
    uint8_t saved[SCORES_DATA_SIZE];  // the bytes the file holds, as far as we know
};

scores_session session;

uint32_t data_sum(const uint8_t* data) {
    uint32_t sum = 0;
    for (size_t i = 0; i < SCORES_DATA_SIZE; i++) sum += data[i];
    return sum;
}

// The data bytes in file order: the records and longs as (cell, is a record) pairs.
struct data_piece {
    uint32_t cell;
    bool record;
};

template <typename F>
void pieces_each(F f) {
    size_t at = 0;
    for (int i = 0; i < SCORE_RECORDS; i++, at += RECORD_SIZE) f(data_piece{W_SCORE_TABLE + uint32_t(RECORD_SIZE) * i, true}, at);
    for (int i = 0; i < 2; i++, at += 4) f(data_piece{W_SCORE_LONGS + 4u * i, false}, at);
    for (int i = 0; i < BEST_RECORDS; i++, at += RECORD_SIZE) f(data_piece{W_BEST_RECORDS + uint32_t(RECORD_SIZE) * i, true}, at);
}

// The ten records' next indices must be 0..9 or the end mark, and the walk of ten from
// the head must meet every record once: a list that leaves the table or loops is not one
// the game can have written.
bool score_list_valid(const uint8_t* data) {
    uint8_t head = data[HEAD_OFFSET - DATA_OFFSET];
    if (head >= SCORE_RECORDS) return false;
    for (int i = 0; i < SCORE_RECORDS; i++) {
        uint8_t next = data[RECORD_SIZE * i + 7];
        if (next >= SCORE_RECORDS && next != SCORE_LIST_END) return false;
    }
    bool seen[SCORE_RECORDS] = {};
    unsigned e = head;
    for (int k = 0; k < SCORE_RECORDS; k++) {
        if (e >= SCORE_RECORDS || seen[e]) return false;
        seen[e] = true;
        e = data[RECORD_SIZE * e + 7];
    }
    return true;
}

bool image_valid(const uint8_t* image, size_t size) {
    if (size != SCORES_FILE_SIZE || memcmp(image, MAGIC, sizeof MAGIC) != 0) return false;
    const uint8_t* data = image + DATA_OFFSET;
    return load_be32(image + SUM_OFFSET) == data_sum(data) && score_list_valid(data);
}

void data_store(const uint8_t* data) {
    pieces_each([data](data_piece p, size_t at) {
        w_cell_set(p.cell, int32_t(load_be32(data + at)));
        if (p.record)
            for (uint32_t b = 4; b < RECORD_SIZE; b++) w_cell_set(p.cell + b, data[at + b]);
    });
    w_cell_set(W_SCORE_HEAD, data[HEAD_OFFSET - DATA_OFFSET]);
}

// Writes the whole image to the temporary file and syncs it; false (errno set) on any
// failure.
bool temporary_write(const char* tmp, const uint8_t* image) {
    int fd = open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    return fd_closed(fd, fd_write_all(fd, image, SCORES_FILE_SIZE) && fsync(fd) == 0);
}

}  // namespace

void scores_path_set(const char* path) {
    session = scores_session{};
    if (!path) return;
    if (strlen(path) > SCORES_PATH_MAX) {
        fprintf(stderr, "[SCORES] the score file path is longer than %zu characters -- scores are not kept\n",
                SCORES_PATH_MAX);
        return;
    }
    snprintf(session.path, sizeof session.path, "%s", path);
}

void scores_path_from_environment() {
    const char* env = env_text("SKYVOLTA_SCOREFILE");
    scores_path_set(env ? env : headless ? "" : "skyvolta_scores.nv");
}

const char* scores_path() {
    return session.path;
}

void scores_saves_hold() {
    session.held = true;
}

void scores_data_gather(uint8_t data[SCORES_DATA_SIZE]) {
    pieces_each([data](data_piece p, size_t at) {
        store_be32(data + at, uint32_t(w_cell(p.cell)));
        if (p.record)
            for (uint32_t b = 4; b < RECORD_SIZE; b++) data[at + b] = w_cell_byte(p.cell + b);
    });
    data[HEAD_OFFSET - DATA_OFFSET] = w_cell_byte(W_SCORE_HEAD);
}

void scores_image_build(const uint8_t data[SCORES_DATA_SIZE], uint8_t image[SCORES_FILE_SIZE]) {
    memcpy(image, MAGIC, sizeof MAGIC);
    memcpy(image + DATA_OFFSET, data, SCORES_DATA_SIZE);
    store_be32(image + SUM_OFFSET, data_sum(data));
}

bool scores_image_apply(const uint8_t* image, size_t size) {
    if (!image_valid(image, size)) return false;
    data_store(image + DATA_OFFSET);
    return true;
}

void scores_load() {
    session.held = false;
    if (session.load_attempted) return;
    session.load_attempted = true;
    if (!session.path[0]) return;
    // Until a file says otherwise, the table as it stands is what needs no saving.
    scores_data_gather(session.saved);
    session.saved_valid = true;

    FILE* f = fopen(session.path, "rb");
    if (!f) {
        session.backup_due = errno != ENOENT;
        if (session.backup_due) fprintf(stderr, "[SCORES] cannot read %s: %s\n", session.path, strerror(errno));
        return;
    }
    uint8_t image[SCORES_FILE_SIZE];
    size_t n = fread(image, 1, sizeof image, f);
    struct stat st {};
    long long trailing = fstat(fileno(f), &st) == 0 ? (long long)st.st_size - (long long)n : 0;
    fclose(f);
    if (!scores_image_apply(image, n)) {
        fprintf(stderr, "[SCORES] %s is not a valid score file -- ignored\n", session.path);
        session.backup_due = true;
        return;
    }
    memcpy(session.saved, image + DATA_OFFSET, SCORES_DATA_SIZE);
    fprintf(stderr, "[SCORES] loaded %s\n", session.path);
    if (trailing > 0) {
        fprintf(stderr, "[SCORES] %s has %lld bytes after the score table -- ignored\n", session.path, trailing);
        session.backup_due = true;
    }
}

void scores_save() {
    if (!session.path[0] || !session.load_attempted || session.held) return;
    uint8_t data[SCORES_DATA_SIZE];
    scores_data_gather(data);
    if (session.saved_valid && memcmp(data, session.saved, sizeof data) == 0) return;

    uint8_t image[SCORES_FILE_SIZE];
    scores_image_build(data, image);
    char tmp[SCORES_PATH_MAX + 8], bak[SCORES_PATH_MAX + 8];
    snprintf(tmp, sizeof tmp, "%s.tmp", session.path);
    snprintf(bak, sizeof bak, "%s.bak", session.path);
    // Each failure names the file it met and why; the temporary file goes.
    const char* failed = nullptr;
    if (!temporary_write(tmp, image)) {
        failed = tmp;
    } else if (session.backup_due) {
        const char* copy_failed = file_copy(session.path, bak);
        if (!copy_failed)
            fprintf(stderr, "[SCORES] the old %s is kept as %s\n", session.path, bak);
        else if (copy_failed == session.path && errno == ENOENT)
            copy_failed = nullptr;  // gone meanwhile: nothing left to keep
        failed = copy_failed;
        session.backup_due = copy_failed != nullptr;
    }
    if (!failed && scores_before_rename) scores_before_rename(tmp);
    if (!failed && rename(tmp, session.path) != 0) failed = session.path;
    if (failed) {
        int error = errno;
        unlink(tmp);
        fprintf(stderr, "[SCORES] cannot write %s: %s\n", failed, strerror(error));
        return;
    }
    memcpy(session.saved, data, sizeof data);
    session.saved_valid = true;
    fprintf(stderr, "[SCORES] saved %s\n", session.path);
}

void scores_write_hook(int64_t address, int32_t count) {
    int32_t index = w_index(address);
    if (count > 0 && index >= 0 && index <= int32_t(W_SCORE_HEAD) && int64_t(index) + count > int64_t(W_SCORE_TABLE))
        scores_save();
}
