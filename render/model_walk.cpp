#include "render/model_walk.h"

#include "base/rom_files.h"
#include "render/point_words.h"

#include <cstdio>

namespace {

constexpr int32_t POINT_RAM_MODEL = 5;
constexpr uint32_t POINT_RAM_MODEL_LIST = 0xF00000;
constexpr int MAX_CHUNKS = 4096;
constexpr uint32_t MAX_CHUNK_WORDS = 256;
constexpr uint32_t LAST_RECORD = 0x800000;

enum record_type : int32_t { REC_LIGHT = 13, REC_LIGHT_NEW = 16, REC_QUAD = 23, REC_QUAD_DEPTH = 24 };

// One report per model code and run: a broken model is expanded every frame.
uint8_t guard_reported[POINT_ROM_WORDS / 8];
bool guard_reported_other;

void guard_report(int32_t code, uint32_t index) {
    bool in_table = code >= 0 && uint32_t(code) < POINT_ROM_WORDS;
    if (in_table ? (guard_reported[code >> 3] >> (code & 7) & 1) : guard_reported_other) return;
    if (in_table)
        guard_reported[code >> 3] |= uint8_t(1u << (code & 7));
    else
        guard_reported_other = true;
    fprintf(stderr, "[GUARD] model %d: point word 0x%X lies beyond the point ROM (0x%X words) -- model ended\n",
            code, index, point_rom_count);
}

// Walks the n records of a chunk; false when a record leaves the image (model ends).
bool chunk_walk(int32_t code, uint32_t first, uint32_t n, quad_sink sink, void* data) {
    for (uint32_t r = first; r < first + n;) {
        int32_t type = point_word(r);
        if (type != REC_LIGHT && type != REC_LIGHT_NEW && type != REC_QUAD && type != REC_QUAD_DEPTH) {
            geo_counters.pktlen++;
            return true;
        }
        if (!point_span_readable(r, uint32_t(type) + 1)) {
            guard_report(code, r + uint32_t(type));
            return false;
        }
        uint32_t flags = uint32_t(point_word(r + 1));
        switch (type) {
        case REC_LIGHT:
            vertex_light_compute(r + 2);
            break;
        case REC_LIGHT_NEW:
            light_list_reset();
            vertex_light_compute(r + 5);
            break;
        case REC_QUAD:
            quad_transform_cull(uint32_t(point_word(r + 3)), r + 4, 0, uint32_t(point_word(r + 2)), flags, sink, data);
            break;
        default:
            quad_transform_cull(uint32_t(point_word(r + 3)), r + 5, point_word(r + 4), uint32_t(point_word(r + 2)),
                                flags, sink, data);
            break;
        }
        if (flags & LAST_RECORD) break;
        r += uint32_t(type) + 1;
    }
    return true;
}

}  // namespace

void model_quads_emit(int32_t code, quad_sink sink, void* data) {
    light_list_reset();
    uint32_t list;
    if (code == POINT_RAM_MODEL) {
        if (!point_ram_words) return;
        list = POINT_RAM_MODEL_LIST;
    } else {
        if (!point_ram_words && (!point_rom || point_rom_count == 0)) return;  // no 3D input at all
        if (code < 0 || !point_span_readable(uint32_t(code), 1)) {
            guard_report(code, uint32_t(code));
            return;
        }
        int32_t start = point_word(uint32_t(code));
        if (start < 0) {
            guard_report(code, uint32_t(start));
            return;
        }
        list = uint32_t(start);
    }
    for (int i = 0; i < MAX_CHUNKS; i++) {
        if (!point_span_readable(list + uint32_t(i), 1)) {
            guard_report(code, list + uint32_t(i));
            return;
        }
        int32_t w = point_word(list + uint32_t(i));
        if (w < 0 && (w == -1 || code != POINT_RAM_MODEL)) return;
        uint32_t chunk = uint32_t(w) & 0xFFFFFF;
        if (!point_span_readable(chunk, 1)) {
            guard_report(code, chunk);
            return;
        }
        uint32_t n = uint32_t(point_word(chunk)) & 0xFFFFFF;
        if (n > MAX_CHUNK_WORDS) {
            geo_counters.chunk++;
            return;
        }
        if (!point_span_readable(chunk, n + 1)) {
            guard_report(code, chunk + n);
            return;
        }
        if (!chunk_walk(code, chunk + 1, n, sink, data)) return;
    }
}
