#include "render/quad_sink.h"

#include "render/quad_reports.h"
#include "render/renderer_switches.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

quad_record frame_quads[FRAME_QUADS_MAX];
int32_t frame_quad_count = 0;

namespace {

int32_t vdump_printed = 0;  // quads printed by SKYVOLTA_VDUMP this frame

// The source corners in front of the viewer, the near polygon's size, every corner.
void vdump_print(const quad_record& q) {
    int valid = 0;
    for (const quad_vertex& v : q.src) valid += v.valid ? 1 : 0;
    fprintf(stderr, "[VD] f%u q%d nv=%d nrv=%d:", engine_frame_counter, frame_quad_count, valid, q.near_count);
    for (const quad_vertex& v : q.src) fprintf(stderr, "  (%d,%d z=%d v=%d)", v.sx, v.sy, v.z, v.valid);
    fputc('\n', stderr);
}

}  // namespace

void frame_quads_clear() {
    frame_quad_count = 0;
    vdump_printed = 0;
}

void quad_sink_live(const quad_record* quad, void*) {
    const renderer_switch_set& s = renderer_switches;
    bbox_note(*quad, geo_current_code);
    if (quad->near_count < 3) return;
    bool use_band = false;
    if (!s.guardband_legacy) {
        if (quad->band_count == -1) return;
        use_band = quad->band_count >= 3 && quad->band_count <= 10;
    }
    if (s.only_code >= 0) {
        if (geo_current_code != s.only_code) return;
        if (vdump_printed < s.vdump) {
            vdump_printed++;
            vdump_print(*quad);
        }
    }
    zord_note(*quad, geo_current_code);
    if (frame_quad_count >= FRAME_QUADS_MAX) return;
    // Only the vertices within the counts are copied: the list is large and the
    // painter reads each record once.
    quad_record& q = frame_quads[frame_quad_count];
    const quad_vertex* near = use_band ? quad->band : quad->near;
    int32_t near_count = use_band ? quad->band_count : quad->near_count;
    int32_t band_count = quad->band_count > 0 && quad->band_count <= 10 ? quad->band_count : 0;
    memcpy(q.src, quad->src, sizeof q.src);
    memcpy(q.near, near, sizeof(quad_vertex) * size_t(near_count < 10 ? near_count : 10));
    q.near_count = near_count;
    memcpy(q.band, quad->band, sizeof(quad_vertex) * size_t(band_count));
    q.band_count = quad->band_count;
    constexpr size_t fields = offsetof(quad_record, colour);  // everything after the vertices
    memcpy(reinterpret_cast<char*>(&q) + fields, reinterpret_cast<const char*>(quad) + fields, sizeof q - fields);
    q.seq = uint32_t(frame_quad_count);
    q.model_code = uint32_t(geo_current_code);
    frame_quad_count++;
}
