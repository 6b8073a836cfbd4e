#include "host/framedump.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "render/cz_fog.h"
#include "render/framedump_draw.h"
#include "render/palette_source.h"
#include "render/side_files.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

size_t framedump_preload_limit = size_t(512) << 20;

namespace {

constexpr size_t DIR_PATH_MAX = 1023;
constexpr double MB = 1024.0 * 1024.0;

struct dump_entry {
    char* path;
    int frame;
    // Preloaded data (words null until loaded).
    uint32_t* words;
    uint32_t count;
    fog_state* fog;  // null: no fog files
    sprite_input sprites;
    text_input text;
};

struct viewer_state {
    // The current words: the loaded poly file, or a preloaded entry's.
    uint32_t* words;
    uint32_t count;
    bool words_owned;
    // A single dump's side inputs.
    sprite_input sprites;
    text_input text;
    // The sequence.
    dump_entry* entries;  // FRAMEDUMP_SEQUENCE_MAX
    int entry_count;
    char dir[DIR_PATH_MAX + 1];
    int index;
    int hold, shown;
    bool preloaded;
};
viewer_state viewer = {nullptr, 0, false, {}, {}, nullptr, 0, {}, -1, 1, 0, false};
uint32_t empty_word = 0;  // an empty poly file reads as one zero word

void words_release() {
    if (viewer.words_owned) free(viewer.words);
    viewer.words = nullptr;
    viewer.count = 0;
    viewer.words_owned = false;
}

void shown_words_set(uint32_t* words, uint32_t count, bool owned) {
    words_release();
    viewer.words = words;
    viewer.count = count;
    viewer.words_owned = owned;
    framedump_shown.loaded = true;
    framedump_shown.words = words;
    framedump_shown.count = count;
}

// Reads one poly file; false (with one line) when it cannot be opened or memory cannot
// be had.
bool words_read(const char* path, uint32_t** words, uint32_t* count) {
    FILE* probe = fopen(path, "rb");
    if (!probe) {
        fprintf(stderr, "framedump: cannot open %s\n", path);
        return false;
    }
    fclose(probe);
    if (!side_file_read_words(path, words, count)) {
        fprintf(stderr, "framedump: cannot read %s\n", path);
        return false;
    }
    for (uint32_t i = 0; i < *count; i++) (*words)[i] &= 0xFFFFFF;
    return true;
}

// Splits a path at its last '/' into directory ("." when none) and name.
void path_split(const char* path, char (&dir)[SIDE_PATH_MAX], const char** name) {
    const char* slash = strrchr(path, '/');
    if (!slash) {
        snprintf(dir, sizeof dir, ".");
        *name = path;
        return;
    }
    size_t n = size_t(slash - path);
    if (n >= sizeof dir) n = sizeof dir - 1;
    memcpy(dir, path, n);
    dir[n] = 0;
    if (n == 0) snprintf(dir, sizeof dir, "/");
    *name = slash + 1;
}

bool single_open(const char* path) {
    if (!framedump_read(path, false)) return false;
    char dir[SIDE_PATH_MAX];
    const char* name;
    path_split(path, dir, &name);
    int frame = framedump_name_match(name);
    if (frame < 0) return true;
    if (!fog_state_load_dump(dir, frame))
        fprintf(stderr, "framedump: no fog data beside %s -- CZ fog / fades disabled\n", path);
    sprite_dump_load(&viewer.sprites, dir, frame, nullptr);
    text_dump_load(&viewer.text, dir, frame, viewer.sprites.valid ? viewer.sprites.palette : nullptr, nullptr);
    framedump_shown.sprites = viewer.sprites.valid ? &viewer.sprites : nullptr;
    framedump_shown.text = viewer.text.enabled ? &viewer.text : nullptr;
    return true;
}

void entry_free(dump_entry& e) {
    free(e.words);
    free(e.fog);
    e.words = nullptr;
    e.count = 0;
    e.fog = nullptr;
    sprite_input_free(&e.sprites);
    text_input_free(&e.text);
}

void entries_free() {
    for (int i = 0; i < viewer.entry_count; i++) {
        entry_free(viewer.entries[i]);
        free(viewer.entries[i].path);
    }
    free(viewer.entries);
    viewer.entries = nullptr;
    viewer.entry_count = 0;
}

// The bytes an entry holds of its own (shared palettes and character RAM not counted).
size_t entry_bytes(const dump_entry& e) {
    size_t n = size_t(e.count) * 4 + (e.fog ? sizeof(fog_state) : 0);
    n += size_t(e.sprites.word_count + e.sprites.attr_count) * 4;
    if (e.sprites.palette_owned) n += PALETTE_BYTES;
    if (e.text.palette_owned) n += PALETTE_BYTES;
    if (e.text.chars_owned) n += TEXT_CHARS_BYTES;
    return n;
}

// Loads entry i whole. False only when its words cannot be read.
bool entry_preload(int i) {
    dump_entry& e = viewer.entries[i];
    const dump_entry* prev = i > 0 ? &viewer.entries[i - 1] : nullptr;
    if (!words_read(e.path, &e.words, &e.count)) return false;
    e.fog = static_cast<fog_state*>(malloc(sizeof(fog_state)));
    if (e.fog && !fog_dump_read(e.fog, viewer.dir, e.frame)) {
        free(e.fog);
        e.fog = nullptr;
    }
    const uint8_t* prev_palette = prev && prev->sprites.valid ? prev->sprites.palette : nullptr;
    sprite_dump_load(&e.sprites, viewer.dir, e.frame, prev_palette);
    const uint8_t* palette = e.sprites.valid ? e.sprites.palette : nullptr;
    const uint8_t* prev_chars = prev && prev->text.enabled ? prev->text.chars : nullptr;
    text_dump_load(&e.text, viewer.dir, e.frame, palette, prev_chars);
    return true;
}

void preloaded_free_all() {
    for (int i = 0; i < viewer.entry_count; i++) entry_free(viewer.entries[i]);
    viewer.preloaded = false;
}

// Preloads every entry while the loaded bytes stay within the limit.
void sequence_preload() {
    size_t total = 0;
    for (int i = 0; i < viewer.entry_count; i++) {
        if (!entry_preload(i)) {
            preloaded_free_all();
            fprintf(stderr, "framedump: preload failed, falling back to per-frame reads\n");
            return;
        }
        total += entry_bytes(viewer.entries[i]);
        if (total > framedump_preload_limit) {
            preloaded_free_all();
            fprintf(stderr, "framedump: sequence too large to preload (%.0f MB) -- reading per frame\n",
                    double(total) / MB);
            return;
        }
    }
    viewer.preloaded = true;
    printf("framedump: preloaded %d dumps (%.0f MB) -- no file I/O during playback\n", viewer.entry_count,
           double(total) / MB);
}

// Makes entry i current: its words, fog state and 2D inputs.
bool entry_show(int i) {
    dump_entry& e = viewer.entries[i];
    viewer.index = i;
    framedump_shown.index = i;
    if (viewer.preloaded) {
        shown_words_set(e.words, e.count, false);
        if (e.fog) fog_current = *e.fog;
        fog_current_valid = e.fog != nullptr;
        framedump_shown.sprites = e.sprites.valid ? &e.sprites : nullptr;
        framedump_shown.text = e.text.enabled ? &e.text : nullptr;
        return true;
    }
    if (!framedump_read(e.path, true)) return false;
    fog_state_load_dump(viewer.dir, e.frame);
    return true;
}

bool sequence_advance() {
    if (viewer.entry_count == 0) return true;
    if (++viewer.shown <= viewer.hold) return true;
    viewer.shown = 1;
    int next = viewer.index + 1 < viewer.entry_count ? viewer.index + 1 : 0;
    bool ok = entry_show(next);
    const dump_entry& e = viewer.entries[next];
    if (verbose_enabled())
        printf("  [FD] dump %d/%d  frame %d  (%s)\n", next + 1, viewer.entry_count, e.frame, e.path);
    return ok;
}

bool sequence_open(const char* dir_path) {
    DIR* d = opendir(dir_path);
    if (!d) {
        fprintf(stderr, "framedump: cannot open dir %s\n", dir_path);
        return false;
    }
    snprintf(viewer.dir, sizeof viewer.dir, "%s", dir_path);
    viewer.entries = static_cast<dump_entry*>(calloc(FRAMEDUMP_SEQUENCE_MAX, sizeof(dump_entry)));
    if (!viewer.entries) {
        closedir(d);
        fprintf(stderr, "framedump: out of memory for the sequence of %s\n", dir_path);
        return false;
    }
    while (const dirent* de = readdir(d)) {
        if (viewer.entry_count >= FRAMEDUMP_SEQUENCE_MAX) break;
        int frame = framedump_name_match(de->d_name);
        if (frame < 0) continue;
        char path[SIDE_PATH_MAX];
        if (!side_path(path, "%s/%s", viewer.dir, de->d_name)) continue;
        dump_entry& e = viewer.entries[viewer.entry_count];
        e.path = strdup(path);
        if (!e.path) continue;
        e.frame = frame;
        viewer.entry_count++;
    }
    closedir(d);
    if (viewer.entry_count == 0) {
        fprintf(stderr, "framedump: no poly_f*.bin in %s\n", dir_path);
        entries_free();
        return false;
    }
    std::sort(viewer.entries, viewer.entries + viewer.entry_count,
              [](const dump_entry& a, const dump_entry& b) { return a.frame < b.frame; });
    int n = viewer.entry_count, first = viewer.entries[0].frame, last = viewer.entries[n - 1].frame;
    printf("framedump: sequence of %d dumps from %s (frames %d..%d), hold=%d frame%s each\n", n, dir_path, first, last,
           viewer.hold, viewer.hold == 1 ? "" : "s");
    long span = long(last) - first + 1;
    if (4L * n < span)
        fprintf(stderr,
                "framedump: NOTE sparse capture -- %d dumps spanning %ld frames is a slideshow, not motion. Capture a "
                "contiguous range with tools/dump_attract_range.sh\n",
                n, span);
    viewer.shown = 0;
    framedump_shown.entries = n;
    sequence_preload();
    if (!viewer.preloaded) {
        if (!entry_show(0)) {
            framedump_close();
            return false;
        }
        if (!fog_current_valid)
            fprintf(stderr,
                    "framedump: no fog data in %s -- CZ fog / fades disabled (recapture with "
                    "tools/dump_attract_range.sh to get them)\n",
                    dir_path);
        return true;
    }
    entry_show(0);
    const dump_entry& e = viewer.entries[0];
    printf("framedump: 2D layer %s / text %s\n", e.sprites.valid ? "sprites+VICS" : "absent",
           e.text.enabled ? "loaded" : "absent");
    return true;
}

}  // namespace

bool framedump_read(const char* path, bool quiet) {
    uint32_t* words = nullptr;
    uint32_t count = 0;
    if (!words_read(path, &words, &count)) return false;
    if (words)
        shown_words_set(words, count, true);
    else
        shown_words_set(&empty_word, 0, false);
    if (!quiet) printf("framedump: %s, %d words\n", path, int(count));
    return true;
}

int framedump_name_match(const char* name) {
    static const char prefix[] = "poly_f";
    if (strncmp(name, prefix, sizeof prefix - 1) != 0) return -1;
    const char* p = name + sizeof prefix - 1;
    if (!isdigit(static_cast<unsigned char>(*p))) return -1;
    long frame = 0;
    for (; isdigit(static_cast<unsigned char>(*p)); p++) {
        frame = frame * 10 + (*p - '0');
        if (frame > INT_MAX) return -1;
    }
    return strcmp(p, ".bin") == 0 ? int(frame) : -1;
}

bool framedump_open(const char* path) {
    framedump_close();
    int hold = env_int("SKYVOLTA_FRAMEDUMP_HOLD", 1);
    viewer.hold = hold > 0 ? hold : 1;
    framedump_advance_hook = sequence_advance;
    fog_current_valid = false;  // only the dump's own fog files give fog
    struct stat st;
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return sequence_open(path);
    if (!single_open(path)) {
        framedump_close();
        return false;
    }
    return true;
}

void framedump_close() {
    preloaded_free_all();
    words_release();
    entries_free();
    sprite_input_free(&viewer.sprites);
    text_input_free(&viewer.text);
    viewer.index = -1;
    viewer.shown = 0;
    framedump_shown = framedump_view{false, nullptr, 0, nullptr, 0, -1, -2, nullptr, nullptr};
}
