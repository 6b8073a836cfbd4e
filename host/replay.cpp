#include "host/replay.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "host/flight_recorder.h"
#include "host/host_ram.h"
#include "host/terrain_cell.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void* (*replay_allocate)(size_t bytes) = malloc;
int replay_frames_max = REPLAY_FRAMES_MAX;

namespace {

constexpr size_t LINE_CHARS_MAX = 1023;

struct replay_state {
    replay_record* records;
    int count, cursor, disagreed;
};
replay_state rp;

bool racing() {
    return w_cell(W_GAME_STATE) == STATE_GAMEPLAY && w_cell(W_GAME_SUB_STATE) == SUB_RACING;
}

// The record at the cursor while the game races, else null.
const replay_record* current() {
    return rp.cursor < rp.count && racing() ? &rp.records[rp.cursor] : nullptr;
}

// One decimal integer (leading blanks allowed), clamped to 32 bits; null when none.
const char* int_at(const char* p, int32_t* out) {
    char* end = nullptr;
    long v = strtol(p, &end, 10);
    if (end == p) return nullptr;
    *out = int32_t(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
    return end;
}

// Integers separated by the given texts: "%d<sep0>%d<sep1>%d...". False unless all.
bool ints_after(const char* line, const char* key, int32_t* out, const char* const* separators, int n) {
    const char* p = strstr(line, key);
    if (!p) return false;
    p += strlen(key);
    for (int i = 0; i < n; i++) {
        if (i) {
            size_t len = strlen(separators[i - 1]);
            if (strncmp(p, separators[i - 1], len) != 0) return false;
            p += len;
        }
        p = int_at(p, &out[i]);
        if (!p) return false;
    }
    return true;
}

const char* const COMMAS[] = {",", ","};
const char* const ATTITUDE[] = {" pit=", " rol=", " spd="};

bool record_parse(const char* line, replay_record* r) {
    if (line[0] != 'F') return false;
    int32_t frame;
    if (!int_at(line + 1, &frame)) return false;
    *r = replay_record{};
    r->frame = uint32_t(frame);
    if (!ints_after(line, " p=", &r->x, COMMAS, 3)) return false;
    int32_t att[4];
    if (ints_after(line, " hdg=", att, ATTITUDE, 4)) {
        r->hdg = att[0], r->pit = att[1], r->rol = att[2], r->spd = att[3];
        r->has_attitude = 1;
    }
    ints_after(line, " contact=", &r->contact, nullptr, 1);
    ints_after(line, " floor=", &r->floor, nullptr, 1);
    ints_after(line, " col=", &r->col, nullptr, 1);
    r->has_euler = ints_after(line, " eul=", r->euler, COMMAS, 3);
    return true;
}

// Reads one line into `line` (at most LINE_CHARS_MAX characters). False at the end of the
// file; `whole` is false for a line that was too long or had no newline.
bool line_read(FILE* f, char* line, bool* whole) {
    size_t n = 0;
    int c;
    bool over = false;
    while ((c = getc(f)) != EOF && c != '\n') {
        if (n < LINE_CHARS_MAX)
            line[n++] = char(c);
        else
            over = true;
    }
    line[n] = 0;
    if (c == EOF && n == 0 && !over) return false;
    *whole = c == '\n' && !over;
    return true;
}

// Parses the F lines from the file's current position, at most `limit` of them, into
// `out` (null: only counts). Gives the records found.
int records_read(FILE* f, replay_record* out, int limit) {
    static char line[LINE_CHARS_MAX + 1];
    bool whole = false;
    int n = 0;
    while (n < limit && line_read(f, line, &whole)) {
        replay_record r;
        if (!whole || !record_parse(line, &r)) continue;
        if (out) out[n] = r;
        n++;
    }
    return n;
}

void both_images_position(const replay_record& r) {
    both_images_long(W_PLAYER_X, r.x);
    both_images_long(W_PLAYER_Y, r.y);
    both_images_long(W_PLAYER_Z, r.z);
    if (!r.has_euler) return;
    both_images_long(W_PLAYER_PITCH, r.euler[0]);
    both_images_long(W_PLAYER_HEADING, r.euler[1]);
    both_images_long(W_PLAYER_ROLL, r.euler[2]);
}

}  // namespace

bool replay_load(const char* path) {
    replay_unload();
    FILE* f = fopen(path, "r");
    if (!f) {
        fprintf(stderr, "[REPLAY] cannot open %s\n", path);
        return false;
    }
    // Two passes: the records are counted first, so that the array holds exactly one
    // record per F line and a file longer than any race is refused before it costs memory.
    int count = records_read(f, nullptr, replay_frames_max + 1);
    bool ok = false;
    if (count > replay_frames_max) {
        fprintf(stderr, "[REPLAY] %s has more than %d frames -- not replayed\n", path, replay_frames_max);
    } else if (fseek(f, 0, SEEK_SET) != 0) {
        fprintf(stderr, "[REPLAY] cannot read %s again: %s -- not replayed\n", path, strerror(errno));
    } else if (count > 0 && !(rp.records = static_cast<replay_record*>(replay_allocate(size_t(count) * sizeof(replay_record))))) {
        fprintf(stderr, "[REPLAY] out of memory for the %d frames of %s -- not replayed\n", count, path);
    } else {
        rp.count = records_read(f, rp.records, count);
        ok = true;
    }
    fclose(f);
    if (!ok) {
        replay_unload();
        return false;
    }
    replay_apply_attitude_hook = flight_step_end;
    fprintf(stderr, "[REPLAY] %d frames from %s\n", rp.count, path);
    return true;
}

void replay_unload() {
    free(rp.records);
    rp = replay_state{};
}

void replay_apply() {
    if (const replay_record* r = current()) both_images_position(*r);
}

void replay_apply_attitude() {
    static const bool position_only = env_int("SKYVOLTA_REPLAY_POSONLY", 0) != 0;
    const replay_record* r = current();
    if (position_only || !r) return;
    w_cell_set(W_PLAYER_X, r->x);
    w_cell_set(W_PLAYER_Y, r->y);
    w_cell_set(W_PLAYER_Z, r->z);
    if (r->has_euler) {
        w_cell_set(W_PLAYER_PITCH, r->euler[0]);
        w_cell_set(W_PLAYER_HEADING, r->euler[1]);
        w_cell_set(W_PLAYER_ROLL, r->euler[2]);
        w_cell_set(W_EASED_PITCH, r->euler[0]);
    }
    if (!r->has_attitude) return;
    // The 16-bit heading put beside the unbounded Euler heading.
    int32_t heading = r->has_euler ? int32_t(uint32_t(r->euler[1]) +
                                             uint32_t(int16_t(uint16_t(uint32_t(r->hdg) - uint32_t(r->euler[1])))))
                                   : r->hdg;
    w_cell_set(W_EASED_HEADING, heading);
    w_cell_set(W_TARGET_HEADING, heading);
    w_cell_set(W_TARGET_PITCH, r->pit);
    w_cell_set(W_EASED_ROLL, r->rol);
    w_cell_set(W_TARGET_ROLL, r->rol);
    w_cell_set(W_PLAYER_SPEED, r->spd);
}

void flight_step_end() {
    replay_apply_attitude();
    recording_flight_sample();
}

void replay_compare() {
    const replay_record* r = current();
    if (!r) return;
    auto w = [](uint32_t x) { return long(w_cell(x)); };
    fprintf(stderr, "[REPATT] rec_f%u hdg %d/%ld pit %d/%ld rol %d/%ld spd %d/%ld cam %ld,%ld,%ld eul %ld,%ld,%ld\n",
            r->frame, r->hdg, w(W_EASED_HEADING) & 0xFFFF, r->pit, w(W_TARGET_PITCH), r->rol, w(W_EASED_ROLL), r->spd,
            w(W_PLAYER_SPEED), w(W_CAMERA_PITCH), w(W_CAMERA_HEADING), w(W_CAMERA_ROLL), w(W_PLAYER_PITCH),
            w(W_PLAYER_HEADING), w(W_PLAYER_ROLL));
    char faces[512];
    int col = probe_faces_text(faces, sizeof faces);
    int32_t contact = w_cell(probe_field(PROBE_CENTRE, PROBE_HIT));
    terrain_cell cell = terrain_cell_of(w_cell(W_COURSE_NUMBER), w_cell(W_PLAYER_X), w_cell(W_PLAYER_Z));
    fprintf(stderr,
            "[REPLAY] rec_f%u p=%d,%d,%d cell=%d layers=%ld mask=%02lX ours: contact=%d floor=%d col=%d%s  "
            "(recorded: contact=%d floor=%d col=%d)\n",
            r->frame, r->x, r->y, r->z, cell.cell, w(W_STAGE_LAYER_COUNT), w(W_STAGE_LAYER_MASK) & 0xFF, contact,
            w_cell(probe_field(PROBE_CENTRE, PROBE_CONTACT)), col, faces, r->contact, r->floor, r->col);
    if (contact != r->contact || col != r->col) {
        rp.disagreed++;
        fprintf(stderr, "[REPLAY-DIFF] rec_f%u at (%d,%d,%d) cell %d: contact %d->%d, faces %d->%d\n", r->frame, r->x,
                r->y, r->z, cell.cell, r->contact, contact, r->col, col);
    }
    fflush(stderr);
    if (++rp.cursor == rp.count)
        fprintf(stderr, "[REPLAY] done: %d frames, %d disagreed with the recording\n", rp.count, rp.disagreed);
}

bool replay_active() {
    return rp.cursor < rp.count;
}
int replay_count() {
    return rp.count;
}
int replay_disagreed() {
    return rp.disagreed;
}
