#include "host/offline_tools.h"

#include "host/headless_picture.h"
#include "render/cz_fog.h"
#include "render/framedump_draw.h"
#include "render/model_walk.h"
#include "render/sprite_layer.h"
#include "render/text_layer.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int TOOL_W = 640, TOOL_H = 480;
constexpr size_t TOOL_PIXELS = size_t(TOOL_W) * TOOL_H;
constexpr int32_t GEOTEST_ZOOM = 1920;
constexpr int32_t ONE = 0x7FFF;

// A 640 x 480 RGBA picture and the fog state of a layer test, freed together.
struct layer_test_buffers {
    fog_state* fog;
    uint8_t* rgba;
    uint8_t* rgb;
};

bool buffers_get(layer_test_buffers* b) {
    b->fog = static_cast<fog_state*>(malloc(sizeof(fog_state)));
    b->rgba = static_cast<uint8_t*>(malloc(TOOL_PIXELS * 4));
    b->rgb = static_cast<uint8_t*>(malloc(TOOL_PIXELS * 3));
    return b->fog && b->rgba && b->rgb;
}

void buffers_free(layer_test_buffers* b) {
    free(b->fog);
    free(b->rgba);
    free(b->rgb);
}

// The RGB picture as a 640 x 480 PPM; status 1 with "cannot write" when it fails.
int layer_picture_write(const char* out, const uint8_t* rgb) {
    if (!ppm_write(out, TOOL_W, TOOL_H, rgb)) {
        fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    return 0;
}

}  // namespace

int texttest_run(const layer_test& t) {
    layer_test_buffers b;
    int status = 1;
    text_input text{};
    if (!buffers_get(&b))
        fprintf(stderr, "texttest: out of memory\n");
    else if (!fog_dump_read(b.fog, t.dir, t.frame))
        fprintf(stderr, "texttest: no mixer data for frame %d\n", t.frame);
    else if (!text_dump_load(&text, t.dir, t.frame, nullptr, nullptr))
        fprintf(stderr, "texttest: no cgram/attr for frame %d\n", t.frame);
    else {
        text_layer_raster(&text, b.fog, b.rgba, true);
        for (size_t i = 0; i < TOOL_PIXELS; i++) memcpy(b.rgb + 3 * i, b.rgba + 4 * i, 3);
        status = layer_picture_write(t.out, b.rgb);
        if (status == 0) printf("texttest: wrote %s\n", t.out);
    }
    text_input_free(&text);
    buffers_free(&b);
    return status;
}

int sprtest_run(const layer_test& t) {
    layer_test_buffers b;
    int status = 1;
    sprite_input sprites{};
    if (!buffers_get(&b))
        fprintf(stderr, "sprtest: out of memory\n");
    else if (!fog_dump_read(b.fog, t.dir, t.frame))
        fprintf(stderr, "sprtest: no mixer/fog data for frame %d\n", t.frame);
    else if (!sprite_dump_load(&sprites, t.dir, t.frame, nullptr))
        fprintf(stderr, "sprtest: no sprite data for frame %d\n", t.frame);
    else {
        sprites_raster_all(&sprites, b.fog, b.rgba, nullptr);
        long count = 0;
        for (size_t i = 0; i < TOOL_PIXELS; i++) {
            uint8_t* px = b.rgb + 3 * i;
            if (b.rgba[4 * i + 3] == 0) {
                px[0] = px[1] = px[2] = 255;
                continue;
            }
            count++;
            memcpy(px, b.rgba + 4 * i, 3);
            fog_lut_apply(b.fog, px);
        }
        status = layer_picture_write(t.out, b.rgb);
        if (status == 0) printf("sprtest: %ld sprite pixels -> %s\n", count, t.out);
    }
    sprite_input_free(&sprites);
    buffers_free(&b);
    return status;
}

void geodump_write_quad(const quad_record* q, void* target) {
    geodump_target* t = static_cast<geodump_target*>(target);
    if (q->near_count <= 2) return;
    int n = q->near_count < 10 ? q->near_count : 10;
    fprintf(t->file, "%06X %06X %06X %01X %01X %01X %04X %01X", q->zsort & 0xFFFFFF, q->attr & 0xFFFFFF,
            q->colour & 0xFFFFFF, q->tex_format & 15, q->tex_bank & 15, q->attr_mode & 15, q->depth_index & 0xFFFF,
            uint32_t(q->near_count) & 15);
    for (int i = 0; i < n; i++) {
        const quad_vertex& v = q->near[i];
        fprintf(t->file, " %08X %08X %08X %08X %08X %08X", uint32_t(v.sx), uint32_t(v.sy), uint32_t(v.z),
                uint32_t(v.u16), uint32_t(v.v16), uint32_t(v.b16));
    }
    fputc('\n', t->file);
    t->lines++;
}

int geodump_run(const char* out, const char* dump_path) {
    if (!dump_path || !framedump_active()) {
        fprintf(stderr, "--geodump requires --framedump <poly_fN.bin>\n");
        return 1;
    }
    FILE* f = fopen(out, "w");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    geodump_target t = {f, 0};
    fprintf(f, "# skyvolta geo stream v2 dump=%s\n", dump_path);
    framedump_step(geodump_write_quad, &t);
    if (fclose(f) != 0) {
        fprintf(stderr, "cannot write %s\n", out);
        return 1;
    }
    printf("geodump: %d quads -> %s\n", t.lines, out);
    return 0;
}

void geotest_print_quad(const quad_record* q, void*) {
    printf("Q zsort=%06X color=%06X behind=%d", q->zsort, q->colour, int(q->behind));
    for (int k = 0; k < 4; k++) {
        const quad_vertex& v = q->src[k];
        if (v.valid)
            printf("  v%d=%d,%d,z=%d,u=%u,v=%u,b=%d", k, v.sx, v.sy, v.z, uint32_t(v.u), uint32_t(v.v), v.b);
        else
            printf("  v%d=CLIP", k);
    }
    putchar('\n');
}

int geotest_run(int model) {
    geo_camera_record view;
    memset(&view, 0, sizeof view);
    view.m[0] = view.m[4] = view.m[8] = ONE;
    view.focal = GEOTEST_ZOOM;
    geo_camera_set(&view);
    printf("GEOTEST model=%d zoom=%d/%d\n", model, view.focal, view.shift);
    model_quads_emit(model, geotest_print_quad, nullptr);
    printf("GEOTEST end\n");
    return 0;
}

bool offline_tool_run(const command_line* cl) {
    int status = 1;
    if (cl->texttest.dir)
        status = texttest_run(cl->texttest);
    else if (cl->sprtest.dir)
        status = sprtest_run(cl->sprtest);
    else if (cl->geodump_out)
        status = geodump_run(cl->geodump_out, cl->framedump_path);
    else if (cl->geotest_model >= 0)
        status = geotest_run(cl->geotest_model);
    fflush(stdout);
    return status == 0;
}

bool write_ppm(const char* path, int width, int height) {
    uint8_t* rgb = picture_read_back(width, height, false);
    bool ok = rgb && ppm_write(path, width, height, rgb);
    free(rgb);
    return ok;
}
