// Environment switches: every tunable is a variable read here and nowhere else; unset
// always leaves the normal behaviour.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// The switch's value as set, or null when unset: for the switches with a form of their
// own (lists, pairs, paths); the readers below cover the plain ones.
inline const char* env_text(const char* name) {
    return getenv(name);
}

// Presence: any value, the empty one included, counts.
inline bool env_present(const char* name) {
    return getenv(name) != nullptr;
}

// Set and not beginning with '0'; with `empty_is_off` the empty value counts as unset.
inline bool env_on(const char* name, bool empty_is_off = false) {
    const char* v = getenv(name);
    return v && v[0] != '0' && !(empty_is_off && v[0] == '\0');
}

// On unless set to a value beginning with '0' (switches that are on by default).
inline bool env_default_on(const char* name) {
    const char* v = getenv(name);
    return !v || v[0] != '0';
}

// A decimal integer; `fallback` when unset (or empty, with `empty_is_unset`).
inline int env_int(const char* name, int fallback, bool empty_is_unset = false) {
    const char* v = getenv(name);
    if (!v || (empty_is_unset && v[0] == '\0')) return fallback;
    return int(strtol(v, nullptr, 10));
}

// A dump switch "DIR:F1,F2,...": the directory into `dir` (NUL-ended) and up to
// `max_frames` frame numbers into `frames`; returns how many. 0 when unset, without a
// colon, or when the directory does not fit.
inline int env_dir_frames(const char* name, char* dir, size_t dir_size, int32_t* frames, int max_frames) {
    const char* v = getenv(name);
    const char* colon = v ? strchr(v, ':') : nullptr;
    if (!colon || size_t(colon - v) >= dir_size) return 0;
    memcpy(dir, v, size_t(colon - v));
    dir[colon - v] = '\0';
    int count = 0;
    for (const char* p = colon + 1; *p && count < max_frames;) {
        char* end;
        long f = strtol(p, &end, 10);
        if (end == p) break;
        frames[count++] = int32_t(f);
        p = *end == ',' ? end + 1 : end;
    }
    return count;
}
