#include "host/trace.h"

#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/game_state_ram.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {


struct trace_state {
    bool enabled;
    char dir[TRACE_DIR_MAX + 1];
    uint32_t max_frame;
    FILE* index;
    uint32_t written;
    uint32_t last;
};
trace_state trace;

}  // namespace

bool trace_open(const char* dir, uint32_t max_frame) {
    snprintf(trace.dir, sizeof trace.dir, "%s", dir);
    if (mkdir(trace.dir, 0755) != 0 && errno != EEXIST) {
        fprintf(stderr, "[TRACE] cannot create %s: %s\n", trace.dir, strerror(errno));
        return false;
    }
    char path[TRACE_DIR_MAX + 32];
    snprintf(path, sizeof path, "%s/meta.json", trace.dir);
    FILE* meta = fopen(path, "w");
    if (!meta) {
        fprintf(stderr, "[TRACE] cannot write %s\n", path);
        return false;
    }
    fprintf(meta,
            "{\"side\": \"reimpl\", \"wram_size\": %u, \"dsp_size\": %u, \"dsp_word_order\": \"le\", \"anchor\": "
            "\"wram_0x0C98_increment\"}\n",
            unsigned(sizeof wram_bytes), unsigned(sizeof dspram));
    fclose(meta);
    snprintf(path, sizeof path, "%s/frames.jsonl", trace.dir);
    trace.index = fopen(path, "w");
    if (!trace.index) {
        fprintf(stderr, "[TRACE] cannot write %s\n", path);
        return false;
    }
    trace.enabled = true;
    trace.max_frame = max_frame;
    trace.written = 0;
    frame_trace_hook = trace_write_frame;
    printf("[TRACE] L3 trace -> %s (max fc %u)\n", trace.dir, max_frame);
    return true;
}

void trace_write_frame(uint32_t fc) {
    if (!trace.enabled || (trace.max_frame && fc > trace.max_frame)) return;
    if (trace.written && fc == trace.last) return;
    trace.last = fc;
    char path[TRACE_DIR_MAX + 32];
    snprintf(path, sizeof path, "%s/f%06u.bin", trace.dir, fc);
    FILE* f = fopen(path, "wb");
    if (!f) {
        fprintf(stderr, "[TRACE] cannot write %s \u2014 disabling trace\n", path);
        trace.enabled = false;
        return;
    }
    fwrite(wram_bytes, 1, sizeof wram_bytes, f);
    fwrite(dspram, 1, sizeof dspram, f);
    fclose(f);
    fprintf(trace.index, "{\"fc\": %u, \"host\": %u, \"state\": %u, \"sub\": %u, \"file\": \"f%06u.bin\"}\n", fc,
            host_frame, uint32_t(bus_read32(WRAM_BASE + W_GAME_STATE)),
            uint32_t(bus_read32(WRAM_BASE + W_GAME_SUB_STATE)), fc);
    fflush(trace.index);
    trace.written++;
}

void trace_close() {
    if (trace.index) fclose(trace.index);
    trace.index = nullptr;
    if (!trace.enabled) return;
    printf("[TRACE] %u frames dumped to %s\n", trace.written, trace.dir);
    trace.enabled = false;
}

bool trace_active() {
    return trace.enabled;
}
