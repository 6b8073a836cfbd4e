#include "host/options.h"

#include "base/env_switch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t SET_BUFFER_SIZE = 8192;

// Appends a line to buf (after a newline when buf is not empty) when it fits.
void set_line_append(char* buf, const char* line) {
    size_t have = strlen(buf), add = strlen(line);
    if (have + add + 2 > SET_BUFFER_SIZE - 1) return;  // too long: dropped without a word
    if (have) buf[have++] = '\n';
    memcpy(buf + have, line, add + 1);
}

void argv_remove(int* argc, char** argv, int at, int n) {
    memmove(argv + at, argv + at + n, sizeof(char*) * size_t(*argc - at - n + 1));
    *argc -= n;
}

void eng_set_from(const char* inherited, char* buf) {
    buf[0] = 0;
    if (inherited) snprintf(buf, SET_BUFFER_SIZE, "%s", inherited);
}

}  // namespace

void set_overrides_collect(int* argc, char** argv) {
    static char set_lines[SET_BUFFER_SIZE];
    eng_set_from(env_text("ENG_SET"), set_lines);
    int counted = 0;
    for (int i = 1; i < *argc;) {
        const char* text = nullptr;
        if (strcmp(argv[i], "--set") == 0 && i + 1 < *argc) {
            text = argv[i + 1];
            argv_remove(argc, argv, i, 2);
        } else if (strncmp(argv[i], "--set=", 6) == 0) {
            text = argv[i] + 6;
            argv_remove(argc, argv, i, 1);
        } else {
            i++;
            continue;
        }
        if (!strchr(text, '=')) {
            fprintf(stderr, "[SET] ignored \"%s\": use --set KEY=VALUE\n", text);
            continue;
        }
        set_line_append(set_lines, text);
        counted++;
    }
    if (counted) setenv("ENG_SET", set_lines, 1);

    static char fullscreen_lines[SET_BUFFER_SIZE];
    for (int i = 1; i < *argc;) {
        if (strcmp(argv[i], "--fullscreen") != 0) {
            i++;
            continue;
        }
        argv_remove(argc, argv, i, 1);
        eng_set_from(env_text("ENG_SET"), fullscreen_lines);
        set_line_append(fullscreen_lines, "fullscreen=1");
        setenv("ENG_SET", fullscreen_lines, 1);
    }
}

void options_parse(int argc, char** argv, command_line* cl) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        int left = argc - 1 - i;  // arguments after this one
        if (strcmp(a, "--joytest") == 0) {
            cl->joytest = true;
            return;
        } else if (strcmp(a, "--enctest") == 0) {
            cl->enctest = true;
            return;
        } else if (strcmp(a, "--noaudio") == 0) {
            cl->no_audio = true;
        } else if (strcmp(a, "--screenshot") == 0) {
            cl->screenshot = true;
            if (!left) return;
            if (argv[i + 1][0] == '-') continue;
            cl->screenshot_path = argv[++i];
            if (i + 1 < argc && argv[i + 1][0] != '-') cl->screenshot_frame = int(strtol(argv[++i], nullptr, 10));
        } else if (strcmp(a, "--autostart") == 0) {
            cl->autostart_course = 0;
            if (!left) return;
            if (argv[i + 1][0] == '-') continue;
            long course = strtol(argv[++i], nullptr, 10);
            cl->autostart_course = course >= 0 && course <= 3 ? int(course) : 0;
        } else if (strcmp(a, "--model") == 0 && left >= 1) {
            cl->model = strtol(argv[++i], nullptr, 0);
        } else if (strcmp(a, "--trace") == 0 && left >= 1) {
            cl->trace_dir = argv[++i];
        } else if (strcmp(a, "--trace-max") == 0 && left >= 1) {
            cl->trace_max = uint32_t(strtoul(argv[++i], nullptr, 0));
        } else if (strcmp(a, "--framedump") == 0 && left >= 1) {
            cl->framedump_path = argv[++i];
        } else if ((strcmp(a, "--sprtest") == 0 || strcmp(a, "--texttest") == 0) && left >= 3) {
            layer_test* t = a[2] == 's' ? &cl->sprtest : &cl->texttest;
            t->dir = argv[i + 1];
            t->frame = int(strtol(argv[i + 2], nullptr, 10));
            t->out = argv[i + 3];
            i += 3;
        } else if (strcmp(a, "--geodump") == 0 && left >= 1) {
            cl->geodump_out = argv[++i];
        } else if (strcmp(a, "--geotest") == 0 && left >= 1) {
            cl->geotest_model = int(strtol(argv[++i], nullptr, 10));
        } else if (strcmp(a, "--level") == 0 && left >= 1) {
            setenv("SKYVOLTA_LEVEL", argv[++i], 1);
        } else if (a[0] != '-') {
            cl->rom_dir = a;
        }
        // any other argument beginning with '-' (or an option short of its values) is ignored
    }
}

bool options_offline_tool(const command_line* cl) {
    return cl->texttest.dir || cl->sprtest.dir || cl->geodump_out || cl->geotest_model >= 0;
}
