#include "host/settings.h"

#include "base/env_switch.h"
#include "base/file_copy.h"
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "host/pads.h"
#include "render/renderer_switches.h"
#include "sound/audio_output.h"

#include <SDL_scancode.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

int key_bindings[CONTROL_COUNT];
host_settings_state host_settings = {
    .freeplay_override = -1, .widescreen = 0, .wide_hud = 1, .aspect = 1, .window_mode = 0,
    .resolution_w = 0, .resolution_h = 0, .frame_rate = 0, .display_settings_changed = 0,
};
int (*settings_rename)(const char* from, const char* to) = rename;

namespace {

constexpr int LINE_PIECE = 256;              // a line read takes at most 255 characters
constexpr size_t ENV_KEY_MAX = 128, ENV_VALUE_MAX = 256;

const char* const control_names[CONTROL_COUNT] = {
    "Insert coin", "Start", "Service", "Test", "Steer left", "Steer right", "Lean up", "Lean down", "Pedal",
};
const int default_scancodes[CONTROL_COUNT] = {34, 40, 38, 59, 80, 79, 82, 81, 44};
const int accepted_rates[] = {0, 24, 30, 50, 60, 75, 90, 120, 144, 165, 240};

// Lines of the last loaded file that were neither comments nor key=value: such a
// file is kept as the .bak before a save replaces it.
bool loaded_file_damaged;

int number(const char* value) {
    return int(strtol(value, nullptr, 10));
}

// "WxH" as printf's "%dx%d" reads it; numbers beyond an int are refused.
bool resolution_parse(const char* value, int* w, int* h) {
    char* end = nullptr;
    long a = strtol(value, &end, 10);
    if (end == value || *end != 'x') return false;
    const char* second = end + 1;
    long b = strtol(second, &end, 10);
    if (end == second || a < INT_MIN || a > INT_MAX || b < INT_MIN || b > INT_MAX) return false;
    *w = int(a);
    *h = int(b);
    return true;
}

bool is_blank_line(const char* s, size_t length) {
    for (size_t i = 0; i < length; i++)
        if (s[i] != ' ' && s[i] != '\t' && s[i] != '\r' && s[i] != '\n') return false;
    return true;
}

// One line of at most 255 characters (a longer line comes in pieces), with its newline
// when it has one, NUL-terminated; gives its length, 0 at the end of the file. A NUL
// in the file stays in the piece, so the length is what counts.
size_t line_piece_read(FILE* f, char* piece) {
    size_t n = 0;
    int c;
    while (n < LINE_PIECE - 1 && (c = getc(f)) != EOF) {
        piece[n++] = char(c);
        if (c == '\n') break;
    }
    piece[n] = 0;
    return n;
}

// A binding's value as a scancode SDL can report, or -1 for a number outside them (an
// overflowing one included: strtol clamps it to LONG_MIN or LONG_MAX): such a binding
// would leave the control on no key.
int scancode_parse(const char* value) {
    long v = strtol(value, nullptr, 10);
    return v < 0 || v >= SDL_NUM_SCANCODES ? -1 : int(v);
}

void trim_into(char* out, size_t size, const char* begin, const char* end) {
    while (begin < end && (*begin == ' ' || *begin == '\t')) begin++;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r')) end--;
    size_t n = size_t(end - begin) < size - 1 ? size_t(end - begin) : size - 1;
    memcpy(out, begin, n);
    out[n] = 0;
}

void write_failed(const char* what) {
    fprintf(stderr, "[SETTINGS] cannot write %s: %s\n", what, strerror(errno));
}

void settings_write(FILE* f) {
    fprintf(f, "# Sky Volta control bindings (SDL scancodes)\n");
    for (int i = 0; i < CONTROL_COUNT; i++) fprintf(f, "%s=%d\n", control_names[i], key_bindings[i]);
    fprintf(f, "volume=%d\n", int(master_volume_get() * 100.0f + 0.5f));
    fprintf(f, "freeplay=%d\n", (bus_read16(WRAM_BASE + W_FREE_PLAY) & 0xFFFF) != 0 ? 1 : 0);
    const host_settings_state& s = host_settings;
    fprintf(f, "widescreen=%d\nwide_hud=%d\naspect=%d\nwindow_mode=%d\nresolution=%dx%d\nframe_rate=%d\n",
            s.widescreen, s.wide_hud, s.aspect, s.window_mode, s.resolution_w, s.resolution_h, s.frame_rate);
    joy_settings_write(f);
}

// The damaged file, byte for byte, into the .bak, before the save replaces it.
bool backup_write() {
    const char* failed = file_copy(SETTINGS_FILE, SETTINGS_BACKUP_FILE);
    if (failed == SETTINGS_FILE && errno == ENOENT) return true;  // nothing left to keep
    if (failed) {
        write_failed(SETTINGS_BACKUP_FILE);
        return false;
    }
    fprintf(stderr, "[SETTINGS] the old %s is kept as %s\n", SETTINGS_FILE, SETTINGS_BACKUP_FILE);
    return true;
}

}  // namespace

const char* control_name(int index) {
    return index >= 0 && index < CONTROL_COUNT ? control_names[index] : "";
}

void default_bindings() {
    memcpy(key_bindings, default_scancodes, sizeof key_bindings);
}

bool frame_rate_accepted(int rate) {
    for (int r : accepted_rates)
        if (r == rate) return true;
    return false;
}

namespace {

// A binding that names no key keeps the control's default, with one line naming where it
// came from (a file line, else the command line or menu).
void binding_apply(int control, const char* key, const char* value, int line) {
    int scancode = scancode_parse(value);
    if (scancode >= 0) {
        key_bindings[control] = scancode;
        return;
    }
    key_bindings[control] = default_scancodes[control];
    int shown = int(strcspn(value, "\r\n"));
    if (line > 0)
        fprintf(stderr, "[SETTINGS] line %d: %s=%.*s is not a key; the default stays\n", line, key, shown, value);
    else
        fprintf(stderr, "[SET] %s=%.*s is not a key; the default stays\n", key, shown, value);
}

// One key=value pair from file line `line` (0: not from the file).
void setting_apply(const char* key, const char* value, int line) {
    host_settings_state& s = host_settings;
    int n = number(value);
    if (strcmp(key, "volume") == 0) {
        master_volume_set(float(n) / 100.0f);
    } else if (strcmp(key, "freeplay") == 0) {
        s.freeplay_override = n != 0;
    } else if (strcmp(key, "widescreen") == 0) {
        s.widescreen = n != 0;
        s.display_settings_changed = 1;
    } else if (strcmp(key, "wide_hud") == 0) {
        s.wide_hud = n != 0;
        renderer_switches.hud_centre = n == 0;
        s.display_settings_changed = 1;
    } else if (strcmp(key, "aspect") == 0) {
        if (n >= 0 && n <= 3) s.aspect = n;
        if (n == 4) s.widescreen = 1;
        s.display_settings_changed = 1;
    } else if (strcmp(key, "frame_rate") == 0) {
        s.frame_rate = frame_rate_accepted(n) ? n : 0;
    } else if (strcmp(key, "fullscreen") == 0) {
        // The older form of window_mode: an exclusive mode stays.
        if (n == 0) s.window_mode = 0;
        else if (s.window_mode == 0) s.window_mode = 1;
        s.display_settings_changed = 1;
    } else if (strcmp(key, "window_mode") == 0) {
        if (unsigned(n) <= 2) s.window_mode = n;
        s.display_settings_changed = 1;
    } else if (strcmp(key, "resolution") == 0) {
        int w = 0, h = 0;
        if (resolution_parse(value, &w, &h) && ((w >= 320 && h >= 240) || (w == 0 && h == 0))) {
            s.resolution_w = w;
            s.resolution_h = h;
        }
        s.display_settings_changed = 1;
    } else if (!joy_setting_apply(key, value)) {
        for (int i = 0; i < CONTROL_COUNT; i++)
            if (strcmp(key, control_names[i]) == 0) binding_apply(i, key, value, line);
    }
}

}  // namespace

void apply_setting(const char* key, const char* value) {
    setting_apply(key, value, 0);
}

void apply_env_overrides() {
    const char* set = env_text("ENG_SET");
    if (!set || !*set) return;
    for (const char* piece = set; piece;) {
        const char* newline = strchr(piece, '\n');
        const char* end = newline ? newline : piece + strlen(piece);
        if (end - piece > LINE_PIECE - 1) end = piece + LINE_PIECE - 1;
        const char* eq = static_cast<const char*>(memchr(piece, '=', size_t(end - piece)));
        if (eq) {
            char key[ENV_KEY_MAX], value[ENV_VALUE_MAX];
            trim_into(key, sizeof key, piece, eq);
            trim_into(value, sizeof value, eq + 1, end);
            if (key[0]) {
                fprintf(stderr, "[SET] %s = %s (command line, this run only)\n", key, value);
                apply_setting(key, value);
            }
        }
        piece = newline ? newline + 1 : nullptr;
    }
}

bool load_settings_file() {
    FILE* f = fopen(SETTINGS_FILE, "r");
    struct stat st {};
    if (f && (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode))) {
        fprintf(stderr, "[SETTINGS] %s is not a file -- the defaults stay\n", SETTINGS_FILE);
        fclose(f);
        f = nullptr;
    }
    if (!f) {
        apply_env_overrides();
        return false;
    }
    char line[LINE_PIECE];
    size_t length;
    int damaged = 0, line_number = 1;
    for (; (length = line_piece_read(f, line)) > 0; line_number += line[length - 1] == '\n') {
        if (line[0] == '#' || is_blank_line(line, length)) continue;
        char* eq = static_cast<char*>(memrchr(line, '=', length));
        if (!eq || memchr(line, 0, length)) {
            damaged++;
            continue;
        }
        *eq = 0;
        setting_apply(line, eq + 1, line_number);
    }
    fclose(f);
    loaded_file_damaged = damaged > 0;
    if (damaged)
        fprintf(stderr, "[SETTINGS] %s: %d lines that are neither comments nor key=value were ignored\n",
                SETTINGS_FILE, damaged);
    apply_env_overrides();
    return true;
}

bool save_settings_file() {
    FILE* f = fopen(SETTINGS_TEMP_FILE, "w");
    if (!f) {
        write_failed(SETTINGS_FILE);
        return false;
    }
    settings_write(f);
    bool ok = fflush(f) == 0 && !ferror(f) && fsync(fileno(f)) == 0;
    int saved_errno = errno;
    if (fclose(f) != 0 && ok) {
        ok = false;
        saved_errno = errno;
    }
    if (ok && loaded_file_damaged && !backup_write()) {
        unlink(SETTINGS_TEMP_FILE);
        return false;
    }
    if (ok && settings_rename(SETTINGS_TEMP_FILE, SETTINGS_FILE) != 0) {
        ok = false;
        saved_errno = errno;
    }
    if (!ok) {
        errno = saved_errno;
        write_failed(SETTINGS_FILE);
        unlink(SETTINGS_TEMP_FILE);
        return false;
    }
    loaded_file_damaged = false;
    return true;
}
