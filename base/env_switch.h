// Environment switches: every tunable is a variable read with getenv; unset always
// leaves the normal behaviour.
#pragma once
#include <cstdlib>

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
