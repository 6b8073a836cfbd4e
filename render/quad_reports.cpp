#include "render/quad_reports.h"

#include "render/renderer_switches.h"

#include <algorithm>
#include <cstdio>

namespace {

struct screen_extent {
    int32_t x0, x1, y0, y1;
    int32_t count;
};

void extent_add(screen_extent& e, int32_t x, int32_t y) {
    if (e.count++ == 0) {
        e.x0 = e.x1 = x, e.y0 = e.y1 = y;
        return;
    }
    e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
    e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
}

screen_extent bbox;  // in whole pixels; count = corners

constexpr int ZORD_CODES_MAX = 256;
struct zord_entry {
    int32_t code;
    uint32_t zsort_min, zsort_max;
    int32_t prio_base, obj_shift;
    screen_extent box;  // whole pixels of the near vertices; count = quads
};
zord_entry zord_table[ZORD_CODES_MAX];
int zord_count;

}  // namespace

void bbox_note(const quad_record& quad, int32_t code) {
    if (renderer_switches.bbox < 0 || code != renderer_switches.bbox) return;
    for (const quad_vertex& v : quad.src)
        if (v.valid) extent_add(bbox, v.sx >> 4, v.sy >> 4);
}

void bbox_frame_reset() {
    bbox = screen_extent{};
}

void bbox_report() {
    if (renderer_switches.bbox < 0) return;
    const screen_extent& b = bbox;
    printf("  [BBOX] code=%d verts=%d screen x[%d..%d] w=%d  y[%d..%d] h=%d\n", renderer_switches.bbox, b.count, b.x0,
           b.x1, b.x1 - b.x0, b.y0, b.y1, b.y1 - b.y0);
}

void zord_note(const quad_record& quad, int32_t code) {
    if (!renderer_switches.zord) return;
    int i = 0;
    while (i < zord_count && zord_table[i].code != code) i++;
    if (i == zord_count) {
        if (zord_count == ZORD_CODES_MAX) return;
        zord_table[zord_count++] = {code, quad.zsort, quad.zsort, geo_camera.prio_base, geo_camera.obj_shift, {}};
    }
    zord_entry& e = zord_table[i];
    e.zsort_min = std::min(e.zsort_min, quad.zsort);
    e.zsort_max = std::max(e.zsort_max, quad.zsort);
    int32_t quads = e.box.count;
    for (int k = 0; k < quad.near_count && k < 10; k++) extent_add(e.box, quad.near[k].sx >> 4, quad.near[k].sy >> 4);
    e.box.count = quads + 1;
}

void zord_report() {
    if (!renderer_switches.zord) return;
    std::sort(zord_table, zord_table + zord_count,
              [](const zord_entry& a, const zord_entry& b) { return a.zsort_min < b.zsort_min; });
    fprintf(stderr, "[ZORD] painted last (on top) first:\n");
    fprintf(stderr, "[ZORD] %-6s %-6s %-4s %-9s %-9s %-9s %s\n", "code", "quads", "ap", "depth", "view_ap", "objshift",
            "screen bbox");
    for (int i = 0; i < zord_count; i++) {
        const zord_entry& e = zord_table[i];
        fprintf(stderr, "[ZORD] %-6d %-6d %-4d %-9d %-9d %-9d x[%d..%d] y[%d..%d]\n", e.code, e.box.count,
                int(e.zsort_min >> 21), int(e.zsort_min & 0x1FFFFF), e.prio_base, e.obj_shift, e.box.x0, e.box.x1,
                e.box.y0, e.box.y1);
    }
    zord_count = 0;
}
