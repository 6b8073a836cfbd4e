#include "host/flight_recorder.h"

#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/sprite_records.h"
#include "board/wram_cell.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "host/host_ram.h"
#include "host/replay.h"
#include "host/terrain_cell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

time_t (*recording_clock)() = [] { return time(nullptr); };

namespace {

constexpr int NAME_CLASH_TRIES = 99;
constexpr size_t FACES_TEXT_LIMIT = 488;
constexpr int64_t RESET_JUMP = 20000;  // units in one frame that only the hard reset moves
constexpr int32_t RESET_SPEED = 0x900;
constexpr int FACE_KIND_PASS = 4;

struct flight_recording {
    FILE* file;
    char path[512];
    int frames, contact_frames, resets;
    int32_t prev_x, prev_y, prev_z;
    bool have_prev;  // never cleared: a later recording's first jump is from the last one
    bool sampled;    // the flight step of this frame has run
    int32_t heading, pitch, roll;
};
flight_recording rec;

const char* const HEADER[] = {
    "# skyvolta flight recording v1",
    nullptr,  // the start frame
    "# F <frame> st=<state>/<sub> p=<x>,<y>,<z> hdg=<h> pit=<p> rol=<r> spd=<s>",
    "#   cell=<c> chunk=<model> adc=<x>,<y> pedal=<n> eul=<a0>,<a1>,<a2>",
    "#     eul = W[0x0D0C]/0x0D10/0x0D14, the angles the six probes are",
    "#     rotated by. The contact is attitude-dependent, so a comparison",
    "#     against another run is meaningless without them.",
    "#   layers=<n> mask=<hex> contact=<0|1> probes=<hex bitmask>",
    "#   pfloor=<f0..f5> each probe's resolved floor; pnf=<n0..n5> each",
    "#     probe's FACE COUNT -- 0 faces means its layer walk found nothing",
    "#     (row 144), a full column that still buries is the walk (row 146)",
    "#   jump=<units moved this frame>[ RESET] floor=<y> surf=<hex> col=<n>[ S@h|P@h ...]",
    "# S = solid face (blocks), P = pass-through face (fly through).",
    "# probes bit0 centre, 1 right wing, 2 left wing, 3 nose, 4 top,",
    "#   5 LOOK-AHEAD -- bit 5 is the one world_render_terrain's hit",
    "#   response is gated on, so a wall can show there and nowhere else.",
    "# RESET marks the hard-reset branch (speed forced to 0x900 and the",
    "#   position restored) -- the 'thrown back' a player feels as a wall.",
};

int32_t probe(uint32_t index, uint32_t field) {
    return w_cell(probe_field(index, field));
}

// Creates the file exclusively under the start time's name, or the first free "_n".
FILE* recording_file_create() {
    time_t now = recording_clock();
    struct tm t {};
    localtime_r(&now, &t);
    char stem[64];
    snprintf(stem, sizeof stem, "recordings/flight_%04d%02d%02d_%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
             t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    for (int n = 0; n <= NAME_CLASH_TRIES; n++) {
        if (n)
            snprintf(rec.path, sizeof rec.path, "%s_%d.rec", stem, n);
        else
            snprintf(rec.path, sizeof rec.path, "%s.rec", stem);
        int fd = open(rec.path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            FILE* f = fdopen(fd, "w");
            if (!f) close(fd);
            return f;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

// The six probes' floors, face counts, surface bytes and positions, each joined.
struct probe_texts {
    char floors[192], faces[64], surfaces[64], positions[512];
};
void probe_texts_build(probe_texts* t) {
    size_t nf = 0, nc = 0, ns = 0, np = 0;
    for (uint32_t i = 0; i < PROBE_COUNT; i++) {
        const char* sep = i ? "," : "";
        nf += size_t(snprintf(t->floors + nf, sizeof t->floors - nf, "%s%d", sep, probe(i, PROBE_CONTACT)));
        nc += size_t(snprintf(t->faces + nc, sizeof t->faces - nc, "%s%d", sep, probe(i, PROBE_COLUMN_COUNT)));
        ns += size_t(snprintf(t->surfaces + ns, sizeof t->surfaces - ns, "%s%02X", sep,
                              unsigned(w_cell_byte(probe_field(i, PROBE_SPECIAL_TYPE)))));
        np += size_t(snprintf(t->positions + np, sizeof t->positions - np, "%s%d/%d/%d", i ? " " : "",
                              probe(i, PROBE_POS), probe(i, PROBE_POS + 4), probe(i, PROBE_POS + 8)));
    }
}

int64_t distance_abs(int32_t a, int32_t b) {
    int64_t d = int64_t(a) - b;
    return d < 0 ? -d : d;
}

// A write that failed: says why, once, and closes what is still open of the recording
// (without its END line).
void recording_abandon(int error) {
    fprintf(stderr, "[REC] write failed: %s -- recording stopped\n", strerror(error));
    if (rec.file) fclose(rec.file);
    rec.file = nullptr;
}

// Pushes what was written to the file; false (the recording abandoned) when any write
// since the last flush failed.
bool recording_flush() {
    if (fflush(rec.file) == 0 && !ferror(rec.file)) return true;
    recording_abandon(errno);
    return false;
}

}  // namespace

int probe_faces_text(char* out, size_t size) {
    int32_t count = probe(PROBE_CENTRE, PROBE_COLUMN_COUNT);
    count = count < 0 ? 0 : count > PROBE_FACES_MAX ? PROBE_FACES_MAX : count;
    size_t used = 0;
    if (size) out[0] = 0;
    for (int32_t i = 0; i < count; i++) {
        int32_t face = w_cell(probe_field(PROBE_CENTRE, PROBE_COLUMN) + 4 * uint32_t(i));
        char entry[24];
        int n = snprintf(entry, sizeof entry, " %c@%d", (face & 0xF) == FACE_KIND_PASS ? 'P' : 'S', face >> 4);
        if (used + size_t(n) >= FACES_TEXT_LIMIT || used + size_t(n) >= size) break;
        memcpy(out + used, entry, size_t(n) + 1);
        used += size_t(n);
    }
    return int(count);
}

void recording_start() {
    recording_stop();
    mkdir("recordings", 0777);
    rec.file = recording_file_create();
    if (!rec.file) {
        fprintf(stderr, "[REC] could not open %s for writing\n", rec.path);
        return;
    }
    rec.frames = rec.contact_frames = rec.resets = 0;
    rec.sampled = false;
    replay_apply_attitude_hook = flight_step_end;
    for (const char* line : HEADER) {
        if (line)
            fprintf(rec.file, "%s\n", line);
        else
            fprintf(rec.file, "# started_at_frame=%u (course is on the first F line)\n", host_frame);
    }
    if (!recording_flush()) return;
    fprintf(stderr, "[REC] recording to %s\n", rec.path);
}

void recording_stop() {
    if (!rec.file) return;
    fprintf(rec.file, "# END frames=%d contact_frames=%d resets=%d\n", rec.frames, rec.contact_frames, rec.resets);
    if (!recording_flush()) return;
    FILE* f = rec.file;
    rec.file = nullptr;
    if (fclose(f) != 0) {
        recording_abandon(errno);
        return;
    }
    fprintf(stderr, "[REC] stopped: %d frames, %d with terrain contact, %d hard resets -> %s\n", rec.frames,
            rec.contact_frames, rec.resets, rec.path);
}

void recording_toggle() {
    if (rec.file)
        recording_stop();
    else
        recording_start();
}

bool recording_active() {
    return rec.file != nullptr;
}
const char* recording_path() {
    return rec.file ? rec.path : nullptr;
}
int recording_frames() {
    return rec.frames;
}
int recording_contact_frames() {
    return rec.contact_frames;
}
int recording_resets() {
    return rec.resets;
}

void recording_flight_sample() {
    if (!rec.file) return;
    rec.sampled = true;
    rec.heading = w_cell(W_TARGET_HEADING);
    rec.pitch = w_cell(W_TARGET_PITCH);
    rec.roll = w_cell(W_TARGET_ROLL);
}

void recording_write_frame() {
    if (!rec.sampled) recording_flight_sample();  // no flight step this frame: the targets as they are
    rec.sampled = false;
    if (!rec.file || w_cell(W_GAME_STATE) != STATE_GAMEPLAY || w_cell(W_GAME_SUB_STATE) != SUB_RACING) return;
    int32_t course = w_cell(W_COURSE_NUMBER);
    int32_t x = w_cell(W_PLAYER_X), y = w_cell(W_PLAYER_Y), z = w_cell(W_PLAYER_Z);
    int32_t speed = w_cell(W_PLAYER_SPEED);
    terrain_cell cell = terrain_cell_of(course, x, z);
    int probes = 0;
    for (uint32_t i = 0; i < PROBE_COUNT; i++)
        if (probe(i, PROBE_HIT)) probes |= 1 << i;
    probe_texts t;
    probe_texts_build(&t);
    char faces[512];
    int col = probe_faces_text(faces, sizeof faces);
    int64_t jump = rec.have_prev ? distance_abs(x, rec.prev_x) + distance_abs(y, rec.prev_y) +
                                       distance_abs(z, rec.prev_z)
                                 : 0;
    bool reset = jump > RESET_JUMP && speed == RESET_SPEED;
    rec.prev_x = x, rec.prev_y = y, rec.prev_z = z;
    rec.have_prev = true;
    fprintf(rec.file,
            "F %u course=%d st=%d/%d p=%ld,%ld,%ld hdg=%ld pit=%ld rol=%ld spd=%ld cell=%d chunk=%d adc=%d,%d "
            "pedal=%d eul=%ld,%ld,%ld gates=%02X/%02X/%02X layers=%d mask=%02X contact=%d probes=%02X pfloor=%s "
            "pnf=%s psurf=%s nspr=%ld pxyz=[%s] jump=%ld%s floor=%d surf=%02X col=%d%s\n",
            host_frame, course, w_cell(W_GAME_STATE), w_cell(W_GAME_SUB_STATE), long(x), long(y), long(z),
            long(uint32_t(rec.heading) & 0xFFFF), long(rec.pitch), long(rec.roll), long(speed), cell.cell, cell.chunk, w_cell(W_PITCH_INPUT),
            w_cell(W_TURN_INPUT), w_cell(W_PEDAL_DELTA), long(w_cell(W_PLAYER_PITCH)),
            long(w_cell(W_PLAYER_HEADING)), long(w_cell(W_PLAYER_ROLL)), unsigned(w_cell_byte(W_GATE_BYTES[0])),
            unsigned(w_cell_byte(W_GATE_BYTES[1])), unsigned(w_cell_byte(W_GATE_BYTES[2])),
            w_cell(W_STAGE_LAYER_COUNT), unsigned(w_cell_byte(W_STAGE_LAYER_MASK)), probe(PROBE_CENTRE, PROBE_HIT),
            unsigned(probes), t.floors, t.faces, t.surfaces, long(w_cell(W_SPRITE_COUNT)), t.positions, long(jump),
            reset ? " RESET" : "", probe(PROBE_CENTRE, PROBE_CONTACT),
            unsigned(uint8_t(probe(PROBE_CENTRE, PROBE_SURFACE))), col, faces);
    rec.contact_frames += probes != 0;
    rec.resets += reset;
    rec.frames++;
    recording_flush();
}
