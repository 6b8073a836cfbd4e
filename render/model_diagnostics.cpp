#include "render/model_diagnostics.h"

#include "base/env_switch.h"
#include "base/rom_files.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "render/dl_walker.h"
#include "render/graphics_rom.h"
#include "render/point_words.h"
#include "render/texture_atlas.h"
#include "render/texture_cache.h"

#include <SDL_opengl.h>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t TERRAIN_CELL = 0x18000;

// ---- Blink and watch log ------------------------------------------------------------
struct blink_code {
    uint32_t last_seen, run_first, last_blink;
    uint32_t drawn, behind, culled, clipped;  // this frame
    uint32_t last_drawn_quads, last_drawn_frame;
    bool ever_seen, seen;  // seen: this frame
};

struct blink_log_state {
    FILE* log;  // null: off
    bool own_file;
    uint32_t gap, minimum;
    uint32_t frame;  // the blink frame number
    blink_code codes[DIAG_CODES];
    uint32_t codes_quads[DIAG_CODES];  // the last reported frame, for the CODES line
    bool codes_seen[DIAG_CODES];
    uint32_t codes_frame;
    bool codes_recorded;
    int32_t watch_lo = -1, watch_hi = -1;  // -1: off
    int watch_verdict = -1;                // -1 before the first report
    int watch_emitted, watch_quads;
    uint32_t watch_frame;
};
blink_log_state blink;

struct immediate_state {
    int budget_used;
};
immediate_state immediate;

constexpr int IMMEDIATE_FRAME_BUDGET = 5000;

bool code_ok(int32_t code) {
    return code >= 0 && code < DIAG_CODES;
}

void log_flush() {
    fflush(blink.log);
}

const char* const WATCH_LOG_TEXT[3] = {"GONE      - not one member reached the geometry stage (GAME LOGIC)",
                                       "NO QUADS  - emitted, every quad culled or clipped (RENDERER)", "drawing"};
const char* const WATCH_PAUSE_TEXT[3] = {"NOT EMITTED -- the game never put it in the display list (GAME LOGIC)",
                                         "EMITTED, 0 QUADS DRAWN -- all culled or clipped (RENDERER)",
                                         "drawing normally"};

void watch_report(uint32_t f) {
    int emitted = 0, quads = 0;
    int32_t hi = blink.watch_hi < DIAG_CODES - 1 ? blink.watch_hi : DIAG_CODES - 1;
    for (int32_t c = blink.watch_lo; c <= hi; c++) {
        if (!blink.codes[c].seen) continue;
        emitted++;
        quads += int(blink.codes[c].drawn);
    }
    int verdict = emitted == 0 ? 0 : quads > 0 ? 2 : 1;
    blink.watch_emitted = emitted, blink.watch_quads = quads, blink.watch_frame = f;
    if (verdict == blink.watch_verdict) return;
    blink.watch_verdict = verdict;
    long x = wram_long(W_PLAYER_X), y = wram_long(W_PLAYER_Y), z = wram_long(W_PLAYER_Z);
    fprintf(blink.log, "WATCH f%-7u %d..%d -> %s   [%d emitted, %d quads]  player (%ld,%ld,%ld) cell %ld\n", f,
            blink.watch_lo, blink.watch_hi, WATCH_LOG_TEXT[verdict], emitted, quads, x, y, z,
            x / TERRAIN_CELL + 8 * (z / TERRAIN_CELL));
    log_flush();
}

void drawing_report(int32_t code, uint32_t f) {
    blink_code& b = blink.codes[code];
    uint32_t q = b.drawn, p = b.last_drawn_quads;
    if (q == 0) {
        if (p > 0 && b.last_drawn_frame + 1 == f) {
            fprintf(blink.log,
                    "CULLED f%-7u model %-5d emitted but 0 quads drawn  (was drawing until f%u)  [behind %d cull %d "
                    "nearclip %d]\n",
                    f, code, b.last_drawn_frame, int(b.behind), int(b.culled), int(b.clipped));
            log_flush();
        }
        b.last_drawn_quads = 0;
        return;
    }
    if (p > 7 && 2 * q < p) {
        fprintf(blink.log,
                "PARTIAL f%-7u model %-5d quads %d -> %d  (%d%% of its geometry gone)  [behind %d cull %d nearclip %d]\n",
                f, code, int(p), int(q), int(100 - 100 * q / p), int(b.behind), int(b.culled), int(b.clipped));
        log_flush();
    }
    b.last_drawn_quads = q;
    b.last_drawn_frame = f;
}

// ---- Find log -----------------------------------------------------------------------
constexpr int FIND_LINES_MAX = 12;
constexpr int32_t FIND_BEFORE = 16, FIND_AFTER = 11;

// ---- Placement TSV ------------------------------------------------------------------
struct track_state {
    bool opened;
    FILE* file;
    uint8_t written[16 * 64][DIAG_CODES / 8];  // (state & 15, sub-state & 63) x code
};
track_state* track;

// ---- Distance samples and dump -------------------------------------------------------
constexpr int DIST_SAMPLES_MAX = 8192;
constexpr double DIST_FAR = double(0x600000);
constexpr int DIST_FAR_LISTED = 24;

struct dist_sample {
    int32_t code;
    double squared;
};
dist_sample dist_samples[DIST_SAMPLES_MAX];
int dist_count;

struct dist_dump_state {
    bool read;
    FILE* file;
    long from, to;
};
dist_dump_state dist_dump;

// ---- Immediate-mode drawing ------------------------------------------------------------
constexpr int LIST_ENTRIES_MAX = 100;
constexpr int BOX_LISTS_MAX = 500;      // the model viewer's box reads further
constexpr int32_t BOX_RECORD_MIN = 20;  // polygon records of 20..32 words
constexpr int32_t BLOCK_WORDS_MAX = 2000;
constexpr int32_t POLYGON_WORDS_MAX = 32;
constexpr int QUADS_PER_MODEL_MAX = 2000;
constexpr int32_t COORD_LIMIT = 500000;
constexpr int32_t REC_QUAD = 23, REC_QUAD_DEPTH = 24;
constexpr float UNTEXTURED_GREY = 0.12f;
constexpr uint32_t LOADED_PALETTE_ENTRY = 0x101;

bool point_readable(int64_t index, int64_t n) {
    return index >= 0 && n >= 0 && index + n <= int64_t(point_rom_count) && point_rom;
}

struct immediate_quad {
    uint32_t page, palette, format;
    int32_t u[4], v[4];
    float p[4][3];
};

// One quad record of `type` at `r` (type 23: texture words from r + 4; type 24 adds the
// depth word first); false when its corners are out of range.
bool immediate_quad_read(uint32_t r, int32_t type, immediate_quad* q) {
    uint32_t tex = r + (type == REC_QUAD_DEPTH ? 5 : 4), corners = tex + 8;
    uint32_t colour = uint32_t(point_word(r + 3));
    q->palette = colour >> 8 & 0x7F;
    q->page = uint32_t(point_word(tex + 1)) >> 12 & 15;
    q->format = uint32_t(point_word(tex)) >> 12 & 15;
    int32_t largest = 0;
    for (int k = 0; k < 4; k++) {
        q->u[k] = point_word(tex + 2 * uint32_t(k)) & 0xFFF;
        q->v[k] = point_word(tex + 2 * uint32_t(k) + 1) & 0xFFF;
        for (int j = 0; j < 3; j++) {
            int32_t w = point_word(corners + 3 * uint32_t(k) + uint32_t(j));
            int32_t a = w < 0 ? -w : w;
            largest = a > largest ? a : largest;
            q->p[k][j] = float(w);
        }
    }
    return largest >= 1 && largest <= COORD_LIMIT;
}

float shade_of(const immediate_quad& q) {
    float a[3], b[3], n[3];
    for (int j = 0; j < 3; j++) a[j] = q.p[1][j] - q.p[0][j], b[j] = q.p[2][j] - q.p[0][j];
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len <= 0) return 0.35f;
    return 0.35f + 0.65f * std::fabs((0.35f * n[0] + 0.55f * n[1] + 0.5f * n[2]) / len);
}

// The grey of the texel at the quad's mean texture coordinate (0.12 when none).
float texel_grey(const immediate_quad& q, float shade) {
    if (!texture_rom || !texture_tilemap) return UNTEXTURED_GREY;
    uint32_t u = uint32_t(q.u[0] + q.u[1] + q.u[2] + q.u[3]) / 4, v = uint32_t(q.v[0] + q.v[1] + q.v[2] + q.v[3]) / 4;
    uint8_t t = texel_fetch(q.page, u, v);
    if (t == 0) return UNTEXTURED_GREY;
    return (0.85f * std::sqrt(float(t) / 255.0f) + 0.15f) * shade;
}

bool game_palette_loaded() {
    constexpr uint32_t plane = 0x8000;
    const uint32_t e = LOADED_PALETTE_ENTRY;
    return palette_ram[e] || palette_ram[plane + e] || palette_ram[2 * plane + e];
}

void immediate_quad_draw(const immediate_quad& q, float x, float y, float z, bool textured) {
    float shade = shade_of(q);
    GLuint texture = 0;
    float us = 0, vs = 0, uo = 0, vo = 0;
    int u0 = q.u[0], v0 = q.v[0], u1 = q.u[0], v1 = q.v[0];
    for (int k = 1; k < 4; k++) {
        u0 = q.u[k] < u0 ? q.u[k] : u0, u1 = q.u[k] > u1 ? q.u[k] : u1;
        v0 = q.v[k] < v0 ? q.v[k] : v0, v1 = q.v[k] > v1 ? q.v[k] : v1;
    }
    int w = u1 - u0 + 1, h = v1 - v0 + 1;
    if (textured)
        texture = texture_fetch(u0, v0, w, h, int(q.page), int(q.palette), int(q.format), &us, &vs, &uo, &vo);
    if (texture) {
        tex_rect_widen(&u0, &w);
        tex_rect_widen(&v0, &h);
        glEnable(GL_TEXTURE_2D);
        atlas_page_flush(texture);  // a fresh bake reaches the GPU only through the flush
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor3f(shade, shade, shade);
    } else {
        float g = texel_grey(q, shade);
        glDisable(GL_TEXTURE_2D);
        glColor3f(g, g, g);
    }
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; k++) {
        if (texture)
            glTexCoord2f((float(q.u[k] - u0) + 0.5f) / float(w) * us + uo,
                         (float(q.v[k] - v0) + 0.5f) / float(h) * vs + vo);
        glVertex3f(x + q.p[k][0], y + q.p[k][1], z + q.p[k][2]);
    }
    glEnd();
    if (texture) glDisable(GL_TEXTURE_2D);
}

}  // namespace

void blink_log_open() {
    const char* v = env_text("SKYVOLTA_BLINKLOG");
    if (!v || !v[0] || strcmp(v, "0") == 0) return;
    if (strcmp(v, "1") != 0) {
        blink.log = fopen(v, "w");
        blink.own_file = blink.log != nullptr;
    }
    if (!blink.log) blink.log = stderr;
    blink.gap = uint32_t(env_int("SKYVOLTA_BLINKGAP", 8));
    blink.minimum = uint32_t(env_int("SKYVOLTA_BLINKMIN", 10));
    fprintf(blink.log, "# blink log: gap<=%d frames, after >=%d frames present\n", int(blink.gap), int(blink.minimum));
    log_flush();
}

void model_diagnostics_reset() {
    if (blink.own_file) fclose(blink.log);
    memset(static_cast<void*>(&blink), 0, sizeof blink);
    blink.watch_lo = blink.watch_hi = -1;
    blink.watch_verdict = -1;
    if (track && track->file) fclose(track->file);
    free(track);
    track = nullptr;
    if (dist_dump.file) fclose(dist_dump.file);
    dist_dump = dist_dump_state{};
    dist_count = 0;
    immediate.budget_used = 0;
}

void blink_model_seen(int32_t code) {
    if (!blink.log || !code_ok(code)) return;
    blink_code& b = blink.codes[code];
    uint32_t f = blink.frame;
    b.seen = true;
    if (b.ever_seen && (b.last_seen == f || b.last_seen + 1 == f)) {
        b.last_seen = f;
        return;
    }
    uint32_t absent = f - b.last_seen - 1;
    if (b.ever_seen && absent <= blink.gap) {
        uint32_t run = b.last_seen - b.run_first + 1;
        if (run >= blink.minimum) {
            fprintf(blink.log, "BLINK f%-7u model %-5d gone %u frame%s  (was present %u frames; %u since previous blink)\n",
                    f, code, absent, absent == 1 ? "" : "s", run, b.last_blink ? f - b.last_blink : 0);
            log_flush();
            b.last_blink = f;
            b.run_first = f;
        }
        b.last_seen = f;
        return;
    }
    b.ever_seen = true;
    b.run_first = b.last_seen = f;
}

void blink_add_quads(int32_t code, uint32_t behind, uint32_t culled, uint32_t clipped) {
    if (!blink.log || !code_ok(code)) return;
    blink_code& b = blink.codes[code];
    b.behind += behind, b.culled += culled, b.clipped += clipped;
}

void blink_quads_drawn(int32_t code, uint32_t quads) {
    if (!blink.log || !code_ok(code)) return;
    blink.codes[code].drawn += quads;
}

void blink_frame_report(uint32_t host_frame) {
    uint32_t f = blink.frame;
    if (blink.log && f != 0) {
        if (blink.watch_lo >= 0) watch_report(f);
        for (int32_t c = 0; c < DIAG_CODES; c++)
            if (blink.codes[c].seen) drawing_report(c, f);
        for (int32_t c = 0; c < DIAG_CODES; c++) {
            blink_code& b = blink.codes[c];
            blink.codes_quads[c] = b.drawn;
            blink.codes_seen[c] = b.seen;
            b.drawn = b.behind = b.culled = b.clipped = 0;
            b.seen = false;
        }
        blink.codes_frame = f;
        blink.codes_recorded = true;
    }
    blink.frame = host_frame + 1;
}

void blink_log_mark(const char* text, uint32_t host_frame) {
    if (!blink.log) return;
    fprintf(blink.log, "----- MARK f%-7u %s -----\n", host_frame, text ? text : "");
    log_flush();
}

void watch_parse(const char* text) {
    int lo = -1, hi = -1;
    if (sscanf(text, "%d-%d", &lo, &hi) != 2) {
        hi = lo = -1;
        if (sscanf(text, "%d", &lo) == 1) hi = lo;
    }
    if (lo < 0) {
        fprintf(stderr, "[WATCH] SKYVOLTA_WATCH=\"%s\" not understood; use lo-hi, e.g. 395-402\n", text);
        return;
    }
    blink.watch_lo = lo, blink.watch_hi = hi;
    blink.watch_verdict = -1;
    fprintf(stderr, "[WATCH] armed for codes %d..%d%s\n", lo, hi,
            env_present("SKYVOLTA_BLINKLOG") ? "" : "  -- BUT SKYVOLTA_BLINKLOG IS NOT SET, so nothing will be written");
}

void watch_pause_report() {
    if (blink.watch_lo < 0) return;
    int v = blink.watch_emitted == 0 ? 0 : blink.watch_quads > 0 ? 2 : 1;
    printf("      watch   codes %d..%d on frame %u: %s  [%d emitted, %d quads]\n", blink.watch_lo, blink.watch_hi,
           blink.watch_frame, WATCH_PAUSE_TEXT[v], blink.watch_emitted, blink.watch_quads);
    if (!blink.log) return;
    fprintf(blink.log, "WATCH-AT-PAUSE f%-7u %d..%d: %s  [%d emitted, %d quads]\n", blink.watch_frame, blink.watch_lo,
            blink.watch_hi, WATCH_PAUSE_TEXT[v], blink.watch_emitted, blink.watch_quads);
    log_flush();
}

void codes_log() {
    if (!blink.log || !blink.codes_recorded) return;
    fprintf(blink.log, "CODES f%-7u ", blink.codes_frame);
    int objects = 0;
    for (int32_t c = 0; c < DIAG_CODES; c++) {
        if (!blink.codes_seen[c] && !blink.codes_quads[c]) continue;
        fprintf(blink.log, "%d:%d ", c, int(blink.codes_quads[c]));
        objects++;
    }
    fprintf(blink.log, " (%d objects)\n", objects);
    log_flush();
}

void find_code_log(int32_t code, int32_t word, int32_t mode) {
    static const int find = env_int("SKYVOLTA_FINDCODE", -1);
    static int lines = 0;
    if (code != find || find < 0 || lines >= FIND_LINES_MAX) return;
    lines++;
    fprintf(stderr, "[FIND] f%u model %d at word %d mode %04X course %ld:", host_frame, code, word, uint32_t(mode),
            long(wram_long(W_COURSE_NUMBER)));
    for (int64_t i = int64_t(word) - FIND_BEFORE; i <= int64_t(word) + FIND_AFTER; i++) {
        if (!dl_word_in_buffer(i)) continue;
        fprintf(stderr, i == word ? " [%d" : " %d", dl_word_read(int32_t(i)));
    }
    fputc('\n', stderr);
}

int track_models_log(int32_t code, double x, double y, double z) {
    if (!track) track = static_cast<track_state*>(calloc(1, sizeof(track_state)));
    if (track && !track->opened) {
        track->opened = true;
        if (const char* path = env_text("SKYVOLTA_TRACK_MODELS")) {
            track->file = fopen(path, "w");
            if (track->file)
                fputs("frame\tstate\tsub_state\tmodel_id\tx\ty\tz\n", track->file);
            else
                fprintf(stderr, "[TRACK] cannot write %s\n", path);
        }
    }
    if (track && track->file && code >= 1 && code < DIAG_CODES) {
        int32_t state = wram_long(W_GAME_STATE), sub = wram_long(W_GAME_SUB_STATE);
        uint8_t& bits = track->written[(state & 15) * 64 + (sub & 63)][code >> 3];
        if (!(bits >> (code & 7) & 1)) {
            bits |= uint8_t(1u << (code & 7));
            fprintf(track->file, "%u\t%d\t%d\t0x%X\t%.0f\t%.0f\t%.0f\n", host_frame, state, sub, uint32_t(code), x, y, z);
            fflush(track->file);
        }
    }
    return model_immediate_draw(code, float(x), float(y), float(z));
}

void track_models_budget_reset() {
    immediate.budget_used = 0;
}

void model_records_walk(int32_t code, int lists, model_record_visit visit, void* data) {
    if (code < 0 || !point_readable(code, 1)) return;
    int32_t start = point_word(uint32_t(code));
    if (start < 0 || !point_readable(start, 1)) return;
    for (int e = 0; e < lists; e++) {
        if (!point_readable(int64_t(start) + e, 1)) break;
        int32_t block = point_word(uint32_t(start + e));
        if (block < 0 || !point_readable(block, 1)) break;
        int32_t len = point_word(uint32_t(block));
        if (len < 1 || len > BLOCK_WORDS_MAX || !point_readable(block, int64_t(len) + 1)) continue;
        int64_t end = int64_t(block) + 1 + len;
        for (int64_t r = block + 1; r < end;) {
            int32_t count = point_word(uint32_t(r));
            if (count < 1 || count > POLYGON_WORDS_MAX || r + count + 1 > end) break;
            if (!visit(uint32_t(r), count, data)) return;
            r += count + 1;
        }
    }
}

int model_immediate_draw(int32_t code, float x, float y, float z) {
    struct draw_job {
        float x, y, z;
        bool textured;
        int drawn;
    } job = {x, y, z, game_palette_loaded(), 0};
    auto visit = [](uint32_t r, int32_t count, void* data) {
        draw_job& j = *static_cast<draw_job*>(data);
        immediate_quad q;
        if ((count == REC_QUAD || count == REC_QUAD_DEPTH) && immediate_quad_read(r, count, &q)) {
            if (j.drawn >= QUADS_PER_MODEL_MAX || immediate.budget_used >= IMMEDIATE_FRAME_BUDGET) return false;
            immediate_quad_draw(q, j.x, j.y, j.z, j.textured);
            j.drawn++;
            immediate.budget_used++;
        }
        return true;
    };
    model_records_walk(code, LIST_ENTRIES_MAX, visit, &job);
    return job.drawn;
}

bool model_vertex_box(int32_t code, float lo[3], float hi[3]) {
    struct box_job {
        float *lo, *hi;
        bool any;
    } job = {lo, hi, false};
    auto visit = [](uint32_t r, int32_t count, void* data) {
        box_job& j = *static_cast<box_job*>(data);
        if (count < BOX_RECORD_MIN) return true;
        // The four corners are the record's last twelve words.
        for (uint32_t k = 0; k < 12; k++) {
            float v = float(point_word(r + uint32_t(count) - 11 + k));
            int axis = int(k % 3);
            if (!j.any || v < j.lo[axis]) j.lo[axis] = v;
            if (!j.any || v > j.hi[axis]) j.hi[axis] = v;
            if (axis == 2) j.any = true;
        }
        return true;
    };
    model_records_walk(code, BOX_LISTS_MAX, visit, &job);
    return job.any;
}

void dist_sample_add(int32_t code, double squared) {
    if (dist_count >= DIST_SAMPLES_MAX) return;
    dist_samples[dist_count++] = {code, squared};
}

int dist_sample_count() {
    return dist_count;
}

int compare_double(const void* a, const void* b) {
    double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

void dist_stats_report() {
    int n = dist_count;
    if (n == 0) return;
    static double sorted[DIST_SAMPLES_MAX];
    int nearest = 0, farthest = 0, beyond = 0;
    struct far_code {
        int32_t code;
        int count;
    } far[DIST_FAR_LISTED];
    int far_n = 0;
    for (int i = 0; i < n; i++) {
        const dist_sample& s = dist_samples[i];
        sorted[i] = s.squared;
        if (s.squared < dist_samples[nearest].squared) nearest = i;
        if (s.squared > dist_samples[farthest].squared) farthest = i;
        if (std::sqrt(s.squared) <= DIST_FAR) continue;
        beyond++;
        int k = 0;
        while (k < far_n && far[k].code != s.code) k++;
        if (k < far_n)
            far[k].count++;
        else if (far_n < DIST_FAR_LISTED)
            far[far_n++] = {s.code, 1};
    }
    auto d = [](double squared) { return long(std::sqrt(squared)); };
    printf("    [DIST] nearest model=%d d=%ld | farthest model=%d d=%ld\n", dist_samples[nearest].code,
           d(dist_samples[nearest].squared), dist_samples[farthest].code, d(dist_samples[farthest].squared));
    printf("    [DIST] placements beyond 4x grid: %d/%d\n", beyond, n);
    printf("    [DIST] far models:");
    for (int k = 0; k < far_n; k++) printf(" %d(x%d)", far[k].code, far[k].count);
    printf("%s\n", far_n == DIST_FAR_LISTED ? " ..." : "");
    qsort(sorted, size_t(n), sizeof(double), compare_double);
    auto at = [&](double p) { return d(sorted[int(p * (n - 1))]); };
    printf("    [DIST] n=%d min=%ld p25=%ld median=%ld p75=%ld max=%ld\n", n, at(0), at(0.25), at(0.5), at(0.75),
           d(sorted[n - 1]));
    dist_stats_flush();
}

void dist_stats_flush() {
    dist_count = 0;
}

bool dist_dump_open() {
    if (!dist_dump.read) {
        dist_dump.read = true;
        const char* path = env_text("SKYVOLTA_DIST_DUMP");
        if (!path) return false;
        if (env_present("SKYVOLTA_DIST_FROM") && env_present("SKYVOLTA_DIST_TO")) {
            dist_dump.from = env_int("SKYVOLTA_DIST_FROM", 0);
            dist_dump.to = env_int("SKYVOLTA_DIST_TO", 0);
        } else {
            dist_dump.from = dist_dump.to = env_int("SKYVOLTA_DIST_FRAME", 420);
        }
        dist_dump.file = fopen(path, "w");
        if (!dist_dump.file) fprintf(stderr, "[DIST] cannot write %s\n", path);
    }
    if (!dist_dump.file) return false;
    long f = long(host_frame);
    if (f > dist_dump.to) {
        fclose(dist_dump.file);
        dist_dump.file = nullptr;
        return false;
    }
    return f >= dist_dump.from;
}

FILE* dist_dump_file() {
    return dist_dump.file;
}
