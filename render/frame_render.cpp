// The frame renderer (board: what the video hardware composes each frame): the display
// list's quads, sorted back to front and painted interleaved with the sprite layers by
// priority, then the menu's highlights, the fade and the text layer.
#include "render/frame_render.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/master_output.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/cz_fog.h"
#include "render/dl_walker.h"
#include "render/framedump_draw.h"
#include "render/immediate_views.h"
#include "render/map_view_scene.h"
#include "render/model_diagnostics.h"
#include "render/model_placement.h"
#include "render/pick_lists.h"
#include "render/quad_batch.h"
#include "render/quad_reports.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "render/rotation_math.h"
#include "render/screen_quads.h"
#include "render/sprite_layer.h"
#include "render/text_layer.h"
#include "render/texture_cache.h"
#include "render/wide_margins.h"

#include <SDL_opengl.h>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

frame_stage_times frame_times;

namespace {

constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;
constexpr size_t SCREEN_BYTES = size_t(SCREEN_W) * SCREEN_H * 4;

struct frame_state {
    bool live;
    sprite_input sprites;
    text_input text;
    const sprite_input* sprite_source;  // the frame dump's, the live intake's, or null
    const text_input* text_source;
    sprite_layer layers[SPRITE_LAYERS_MAX];
    int layer_count;
    uint8_t* layer_pixels;  // allocated on first use
    uint8_t* text_pixels;
    uint8_t* layer_shadow;  // the layer atlas's pixels as last uploaded
    bool layer_alloc_failed, text_alloc_failed, shadow_alloc_failed;
    GLuint layer_texture, text_texture, layer_atlas;
    uint64_t text_hash;
    bool text_hash_set;
    bool text_uploaded;  // the texture holds the picture of text_hash
    long text_opaque;
    int32_t last_quads;
    long sprite_pixels;  // sprite-layer pixels uploaded this frame
    FILE* seamdump;
    bool seamdump_tried;
    int frames;
    bool map_view;          // this frame draws the map view's scene
    bool pause_walk_reported;  // the paused view's extra walk line of this pause
    // The quads the painter draws and their order (grown past the live list's size for
    // the engine frame's collected quads).
    const quad_record* paint_quads;
    int32_t paint_count;
    int32_t* order;
    int32_t order_room;
};
frame_state frame;
int32_t frame_order[FRAME_QUADS_MAX];  // the painting order of frame_quads

bool fog_on() {
    return !renderer_switches.geo_nofog && fog_current_valid && !frame.map_view;
}

// A buffer of the screen's size, allocated on first use; null (and said once) when the
// memory cannot be had.
uint8_t* screen_buffer(uint8_t** buffer, bool* failed, const char* what) {
    if (!*buffer && !*failed) {
        *buffer = static_cast<uint8_t*>(malloc(SCREEN_BYTES));
        if (!*buffer) {
            *failed = true;
            fprintf(stderr, "[3D] no memory for the %s buffer: the %s is not drawn\n", what, what);
        }
    }
    return *buffer;
}

GLuint screen_texture(GLuint* texture) {
    if (!*texture) *texture = screen_texture_create(SCREEN_W, SCREEN_H);
    return *texture;
}

void buffers_report() {
    if (!verbose_enabled() || frame.frames >= 2) return;
    int64_t cursor = w_slot(W_DL_CURSOR);
    int64_t base = w_pointer(dspram);
    fprintf(stderr, "  [BUF] W[0x0CA4]=0x%lX dspram_base=0x%lX diff=%ld dspram[0x10]=%d W[0x0CA0]=%ld W[0x0CAC]=%ld\n",
            long(cursor), long(base), long(cursor - base), dsp_word(DSP_WORD_BUFFER_INDEX),
            long(wram_long(W_DL_BUFFER_INDEX)), long(wram_long(W_ATTRACT_SCENE_FLAG)));
    for (int b = 0; b < 2; b++) {
        uint32_t first = (b ? DL_LIST_BASE_1 : DL_LIST_BASE_0) / 4;
        fprintf(stderr, "  [BUF] buf%d(@0x%X): %08X %08X %08X %08X %08X %08X %08X %08X\n", b, first * 4,
                dsp_word(first), dsp_word(first + 1), dsp_word(first + 2), dsp_word(first + 3), dsp_word(first + 4),
                dsp_word(first + 5), dsp_word(first + 6), dsp_word(first + 7));
    }
}

// The painter's z-fighting report: near neighbours in the sorted list from far-apart
// models whose keys almost agree and whose screen boxes overlap.
struct screen_box {
    int32_t x0, x1, y0, y1;
};

bool quad_box(const quad_record& q, screen_box* b) {
    if (q.near_count < 3) return false;
    *b = {q.near[0].sx, q.near[0].sx, q.near[0].sy, q.near[0].sy};
    for (int k = 1; k < q.near_count && k < 10; k++) {
        b->x0 = q.near[k].sx < b->x0 ? q.near[k].sx : b->x0, b->x1 = q.near[k].sx > b->x1 ? q.near[k].sx : b->x1;
        b->y0 = q.near[k].sy < b->y0 ? q.near[k].sy : b->y0, b->y1 = q.near[k].sy > b->y1 ? q.near[k].sy : b->y1;
    }
    return int64_t(b->x1 - b->x0) * (b->y1 - b->y0) > 0xFFFF;
}

void zfight_report() {
    const quad_record* quads = frame.paint_quads;
    for (int i = 0; i < frame.paint_count; i++) {
        screen_box a;
        const quad_record& qa = quads[frame.order[i]];
        if (!quad_box(qa, &a)) continue;
        for (int j = i + 1; j < frame.paint_count && j <= i + 5; j++) {
            const quad_record& qb = quads[frame.order[j]];
            screen_box b;
            if (!quad_box(qb, &b)) continue;
            int32_t dcode = int32_t(qa.model_code) - int32_t(qb.model_code);
            int32_t dz = int32_t(qa.zsort) - int32_t(qb.zsort);
            if (abs(dcode) <= 39 || abs(dz) >= 9) continue;
            // Overlap inside the screen (1/16 pixel).
            int64_t ox = int64_t(std::min(std::min(a.x1, b.x1), 640 * 16)) - std::max(std::max(a.x0, b.x0), 0);
            int64_t oy = int64_t(std::min(std::min(a.y1, b.y1), 480 * 16)) - std::max(std::max(a.y0, b.y0), 0);
            if (ox <= 0 || oy <= 0) continue;
            int64_t area_a = int64_t(a.x1 - a.x0) * (a.y1 - a.y0), area_b = int64_t(b.x1 - b.x0) * (b.y1 - b.y0);
            int64_t smaller = area_a < area_b ? area_a : area_b;
            if (4 * ox * oy < smaller) continue;
            fprintf(stderr,
                    "[ZFIGHT] f=%d code_a=%d code_b=%d dz=%d za=%d zb=%d boxA=[%d..%d,%d..%d] boxB=[%d..%d,%d..%d] "
                    "overlap_pct=%d\n",
                    int(host_frame), int(qa.model_code), int(qb.model_code), dz, int(qa.zsort), int(qb.zsort), a.x0,
                    a.x1, a.y0, a.y1, b.x0, b.x1, b.y0, b.y1, int(100 * ox * oy / smaller));
        }
    }
}

bool seam_test_skips(const quad_record& q) {
    if (!seam_test.active) return false;
    if (q.near_count < 3) return true;
    for (int i = 0; i < seam_test.count; i++)
        if (int32_t(q.model_code) >= seam_test.low[i] && int32_t(q.model_code) <= seam_test.high[i]) return true;
    return false;
}

void seam_dump(const quad_record& q) {
    if (!frame.seamdump_tried) {
        frame.seamdump_tried = true;
        frame.seamdump = fopen(renderer_switches.seamdump, "w");
        if (!frame.seamdump) fprintf(stderr, "[3D] cannot write %s\n", renderer_switches.seamdump);
    }
    if (!frame.seamdump) return;
    fprintf(frame.seamdump, "Q %u %d %d", host_frame, int(q.model_code), q.near_count);
    for (int k = 0; k < q.near_count && k < 10; k++)
        fprintf(frame.seamdump, " %d %d %d", q.near[k].sx, q.near[k].sy, q.near[k].z);
    fputc('\n', frame.seamdump);
}

void quad_paint(const quad_record& q, const quad_draw_context& ctx) {
    if (seam_test.active) {
        if (seam_test_skips(q)) return;
        if (renderer_switches.seamdump) seam_dump(q);
    }
    quad_draw_wide(&q, &ctx);
}

// The frame's sprite layers go to their places in one layer atlas before the painter
// starts, so that no texture changes under the queued quads in the middle of the frame
// (a driver would have to finish them first). A layer whose change key and place are
// the last frame's keeps the picture its rectangle holds (the places of one frame never
// overlap); the others are rasterised into the atlas's shadow, and each shelf's changed
// span goes up in one upload. A layer that finds no room is uploaded when it is drawn,
// after the pending quads (quad_draw_end).
constexpr int LAYER_ATLAS = 2048;

struct layer_place {
    int x, y;  // in the atlas; x < 0: not placed
    uint64_t key;
};
layer_place layer_places[SPRITE_LAYERS_MAX];
layer_place layer_held[SPRITE_LAYERS_MAX];  // the places and keys of the last prepared frame
int layer_held_count;

const fog_state* fog_or_null() {
    return fog_current_valid ? &fog_current : nullptr;
}

void layer_raster(const sprite_layer& l, uint8_t* pixels, int w, int h) {
    sprite_layer_raster(frame.sprite_source, fog_or_null(), &l, pixels, true);
    frame.sprite_pixels += long(w) * h;
}

int layer_width(const sprite_layer& l) {
    return l.width < SCREEN_W ? l.width : SCREEN_W;
}

int layer_height(const sprite_layer& l) {
    return l.height < SCREEN_H ? l.height : SCREEN_H;
}

// The layer atlas and its shadow, made on first use; false when either cannot be had.
bool layer_atlas_ready() {
    if (!frame.layer_atlas) {
        GLint max = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max);
        if (max >= LAYER_ATLAS) frame.layer_atlas = screen_texture_create(LAYER_ATLAS, LAYER_ATLAS);
        if (!frame.layer_atlas) return false;
    }
    if (!frame.layer_shadow && !frame.shadow_alloc_failed) {
        frame.layer_shadow = static_cast<uint8_t*>(calloc(size_t(LAYER_ATLAS) * LAYER_ATLAS, 4));
        if (!frame.layer_shadow) {
            frame.shadow_alloc_failed = true;
            fprintf(stderr, "[3D] no memory for the sprite layer atlas: layers are drawn one by one\n");
        }
    }
    return frame.layer_shadow != nullptr;
}

// The changed part of one shelf: columns x0..x1 of rows y..y + h.
struct shelf_span {
    int x0, x1, y, h;
};

void shelf_upload(shelf_span* span) {
    if (span->x1 > span->x0) {
        driver_span_begin();
        glBindTexture(GL_TEXTURE_2D, frame.layer_atlas);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, LAYER_ATLAS);
        glTexSubImage2D(GL_TEXTURE_2D, 0, span->x0, span->y, span->x1 - span->x0, span->h, GL_RGBA, GL_UNSIGNED_BYTE,
                        frame.layer_shadow + (size_t(span->y) * LAYER_ATLAS + size_t(span->x0)) * 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        driver_span_end();
    }
    *span = shelf_span{LAYER_ATLAS, 0, span->y, 0};
}

bool layer_held_at(int index, const layer_place& at) {
    const layer_place& held = layer_held[index];
    return index < layer_held_count && held.x == at.x && held.y == at.y && held.key == at.key;
}

void layers_prepare() {
    stage_time start = stage_clock_now();
    for (int i = 0; i < frame.layer_count; i++) layer_places[i] = {-1, 0, 0};
    uint8_t* pixels = screen_buffer(&frame.layer_pixels, &frame.layer_alloc_failed, "sprite layer");
    if (pixels && frame.layer_count > 0 && layer_atlas_ready()) {
        int x = 0, y = 0, shelf = 0;
        shelf_span span{LAYER_ATLAS, 0, 0, 0};
        for (int i = 0; i < frame.layer_count; i++) {
            const sprite_layer& l = frame.layers[i];
            int w = layer_width(l), h = layer_height(l);
            if (w <= 0 || h <= 0) continue;
            if (x + w > LAYER_ATLAS) {
                shelf_upload(&span);
                x = 0, y += shelf, shelf = 0;
                span.y = y;
            }
            if (y + h > LAYER_ATLAS) break;
            layer_place& at = layer_places[i];
            at = {x, y, sprite_layer_change_key(frame.sprite_source, fog_or_null(), &l, true)};
            if (!layer_held_at(i, at)) {
                layer_raster(l, pixels, w, h);
                for (int r = 0; r < h; r++)
                    memcpy(frame.layer_shadow + (size_t(y + r) * LAYER_ATLAS + size_t(x)) * 4,
                           pixels + size_t(r) * size_t(w) * 4, size_t(w) * 4);
                span.x0 = std::min(span.x0, x), span.x1 = std::max(span.x1, x + w), span.h = std::max(span.h, h);
            }
            x += w;
            shelf = h > shelf ? h : shelf;
        }
        shelf_upload(&span);
        memcpy(layer_held, layer_places, sizeof(layer_place) * size_t(frame.layer_count));
        layer_held_count = frame.layer_count;
        batch_texture_binding_lost();
    }
    stage_clock_add(&frame_times.sprites, start);
}

// A placed layer joins the quad batch as one more polygon: its state (the layer atlas,
// blending, no alpha test) differs from the quads', so the pending quads are drawn first
// and the painter's order holds; layers that follow one another share one draw call.
// A w x h quad at (x, y) showing the sprite-layer atlas from (atlas_x, atlas_y), into
// the batch.
void layer_atlas_quad_add(float x, float y, int w, int h, int atlas_x, int atlas_y) {
    const float k = 1.0f / LAYER_ATLAS;
    const float corners[4][4] = {{x, y, float(atlas_x) * k, float(atlas_y) * k},
                                 {x + float(w), y, float(atlas_x + w) * k, float(atlas_y) * k},
                                 {x + float(w), y + float(h), float(atlas_x + w) * k, float(atlas_y + h) * k},
                                 {x, y + float(h), float(atlas_x) * k, float(atlas_y + h) * k}};
    for (int i = 0; i < 4; i++) {
        batch_poly.pos[i][0] = corners[i][0], batch_poly.pos[i][1] = corners[i][1], batch_poly.pos[i][2] = 0;
        for (int c = 0; c < 4; c++) batch_poly.colour[i][c] = 1.0f;
        batch_poly.tex[i][0] = corners[i][2], batch_poly.tex[i][1] = corners[i][3];
        batch_poly.tex[i][2] = 0, batch_poly.tex[i][3] = 1;
    }
    quad_draw_state s{};
    s.texture = frame.layer_atlas, s.textured = true, s.blend = true;
    batch_state_set(4, s);
}

void layer_paint(int index) {
    const sprite_layer& l = frame.layers[index];
    int w = layer_width(l), h = layer_height(l);
    int32_t shift = (l.priority >> 21) == 5 && l.y0 <= 63 ? wide_hud_offset(l.x0 + w / 2 - 320) : 0;
    float x = float(l.x0 + shift), y = float(l.y0);
    const layer_place& at = layer_places[index];
    if (at.x >= 0) {
        layer_atlas_quad_add(x, y, w, h, at.x, at.y);
        return;
    }
    stage_time start = stage_clock_now();
    quad_draw_end();
    uint8_t* pixels = screen_buffer(&frame.layer_pixels, &frame.layer_alloc_failed, "sprite layer");
    GLuint texture = screen_texture(&frame.layer_texture);
    if (pixels && texture && w > 0 && h > 0) {
        layer_raster(l, pixels, w, h);
        screen_texture_upload(texture, w, h, pixels);
        screen_texture_draw(texture, x, y, x + float(w), y + float(h), 0, 0, float(w) / SCREEN_W, float(h) / SCREEN_H);
    }
    glEnable(GL_ALPHA_TEST);
    batch_arrays_bind();
    stage_clock_add(&frame_times.sprites, start);
}

// The painter visits the records in depth order, all over the list: the parts it reads
// of a record some places ahead are fetched early (four quad vertices, the counts, the
// fields after the vertices).
constexpr int PREFETCH_AHEAD = 8;

void quad_prefetch(const quad_record& q) {
    const char* p = reinterpret_cast<const char*>(&q);
    constexpr size_t near = offsetof(quad_record, near);
    for (size_t at : {near, near + 64, near + 128, offsetof(quad_record, near_count), offsetof(quad_record, colour),
                      sizeof(quad_record) - 1})
        __builtin_prefetch(p + at);
}

// Quads and sprite layers, both farthest first: a quad goes before the layer only when
// its key is the larger, so a quad whose key equals the layer's paints over it.
void painter_loop(const quad_draw_context& ctx) {
    const quad_record* quads = frame.paint_quads;
    const int32_t* order = frame.order;
    int32_t count = frame.paint_count;
    int q = 0, l = 0;
    while (q < count || l < frame.layer_count) {
        const quad_record* quad = q < count ? &quads[order[q]] : nullptr;
        bool quad_next = quad && (l >= frame.layer_count || (quad->zsort & 0xFFFFFF) > frame.layers[l].priority);
        if (quad_next) {
            if (q + PREFETCH_AHEAD < count) quad_prefetch(quads[order[q + PREFETCH_AHEAD]]);
            quad_paint(*quad, ctx);
            q++;
        } else {
            layer_paint(l++);
        }
    }
}

void fade_draw() {
    const fog_state& f = fog_current;
    if (!fog_on() || !(f.fade_flags & 1) || f.fade_amount == 0) return;
    screen_colour_draw(float(hud_margin_left), 0, float(hud_margin_right), float(SCREEN_H), f.fade_colour[0] / 255.0f,
                       f.fade_colour[1] / 255.0f, f.fade_colour[2] / 255.0f, float(f.fade_amount + 1) / 256.0f);
}

// The text layer is rasterised and uploaded again only when what it depends on changed.
void text_draw() {
    if (renderer_switches.no_text || !frame.text_source) return;
    stage_time start = stage_clock_now();
    uint8_t* pixels = screen_buffer(&frame.text_pixels, &frame.text_alloc_failed, "text layer");
    GLuint texture = screen_texture(&frame.text_texture);
    if (pixels && texture) {
        uint64_t hash = text_layer_change_key(frame.text_source, fog_or_null());
        render_totals.text_calls++;
        if (!frame.text_hash_set || hash != frame.text_hash) {
            render_totals.text_misses++;
            text_layer_raster(frame.text_source, fog_or_null(), pixels, false);
            long opaque = 0;
            for (size_t i = 3; i < SCREEN_BYTES; i += 4) opaque += pixels[i] != 0;
            frame.text_hash = hash;
            frame.text_hash_set = true;
            frame.text_uploaded = false;
            frame.text_opaque = opaque;
        }
        if (frame.text_opaque > 0) {
            if (!frame.text_uploaded) screen_texture_upload(texture, SCREEN_W, SCREEN_H, pixels);
            frame.text_uploaded = true;
            screen_texture_draw(texture, 0, 0, SCREEN_W, SCREEN_H, 0, 0, 1, 1);
        }
    }
    stage_clock_add(&frame_times.text, start);
}

// The distance dump's frame and camera lines (placements add their own).
void dist_dump_frame_lines() {
    if (!dist_dump_open()) return;
    int32_t m[9];
    camera_matrix_build(m, !renderer_switches.no_roll);
    FILE* f = dist_dump_file();
    fprintf(f, "F %d %ld\n", int(host_frame), long(wram_long(W_FRAME_TICK)));
    fprintf(f, "C");
    for (int32_t v : m) fprintf(f, " %d", v);
    for (uint32_t w = W_CAMERA_X; w <= W_CAMERA_ROLL; w += 4) fprintf(f, " %ld", long(wram_long(w)));
    for (uint32_t k = 0; k < 9; k++) fprintf(f, " %ld", long(wram_long(W_PLAYER_X + 4 * k)));
    fputc('\n', f);
}

void statistics_report() {
    if (!verbose_enabled() || (frame.frames >= 20 && host_frame % 60 != 0)) {
        dist_stats_flush();
        return;
    }
    const geo_counter_block& g = geo_counters;
    const quad_draw_frame_stats& d = quad_frame_stats;
    fprintf(stderr,
            "  [GEOHW] f=%d drawn=%d emitted=%d partclip=%d | rej behind=%d cull=%d pktlen=%d chunk=%d | z %d..%d | "
            "bri %d..%d | fogged=%d alpha %d..%d | tex hit=%d miss=%d evict=%d | spr=%d txt=%d | realloc=%d sub=%d\n",
            int(host_frame), int(frame.last_quads), int(g.emitted), int(g.partclip), int(g.behind), int(g.cull),
            int(g.pktlen), int(g.chunk), g.z_min, g.z_max, d.bri_min > d.bri_max ? 0 : d.bri_min,
            d.bri_min > d.bri_max ? 0 : d.bri_max, int(d.fogged), d.fog_min > d.fog_max ? 0 : d.fog_min,
            d.fog_min > d.fog_max ? 0 : d.fog_max, int(tex_counters.hit), int(tex_counters.miss),
            int(tex_counters.evict), int(frame.sprite_pixels), int(frame.text_opaque), int(tex_counters.realloc),
            int(tex_counters.sub));
    dist_stats_report();
}

}  // namespace

bool live_feed_active() {
    return frame.live;
}

int32_t last_frame_quad_count() {
    return frame.last_quads;
}

bool clear_colour_from_mixer(uint8_t* r, uint8_t* g, uint8_t* b) {
    if (!fog_current_valid) return false;
    *r = fog_current.bg_colour[0];
    *g = fog_current.bg_colour[1];
    *b = fog_current.bg_colour[2];
    return true;
}

int fog_callback_live(const quad_record* quad, quad_fog_record* out) {
    const uint8_t* table = nullptr;
    int bias = 0;
    if (!fog_for_quad(quad->colour, quad->attr_mode, &table, &bias)) return 0;
    memcpy(out->rgb, fog_current.fog_colour, sizeof out->rgb);
    out->table = table;
    out->offset = bias;
    return 1;
}

void fog_colour_callback(float* r, float* g, float* b) {
    if (!fog_on() || !fog_current.scale_active) return;
    *r *= fog_current.colour_scale[0] / 256.0f;
    *g *= fog_current.colour_scale[1] / 256.0f;
    *b *= fog_current.colour_scale[2] / 256.0f;
}

namespace {

// Room for the painting order of n quads: the live list's array, or a grown one.
int32_t* order_room(int32_t n) {
    if (n <= FRAME_QUADS_MAX) return frame_order;
    if (n > frame.order_room) {
        int32_t* grown = static_cast<int32_t*>(realloc(frame.order_room ? frame.order : nullptr, sizeof(int32_t) * size_t(n)));
        if (!grown) return nullptr;
        frame.order = grown;
        frame.order_room = n;
    }
    return frame.order;
}

// The game's list, then a captured list of extra headings whose placements the first
// walk already drew are dropped (side fill, pause view).
void two_pass_walk(const int32_t* words, int32_t count) {
    placement_sets_clear();
    placement_sets.pass = WALK_PASS_FIRST;
    walk_display_list();
    placement_sets.pass = WALK_PASS_SECOND;
    dl_source.external = words;
    dl_source.external_count = count;
    walk_display_list();
    dl_source.external = nullptr;
    dl_source.external_count = 0;
    placement_sets.pass = WALK_PASS_SINGLE;
    const placement_set_state& p = placement_sets;
    if (pause_view.active && !frame.pause_walk_reported) {
        frame.pause_walk_reported = true;
        fprintf(stderr, "[PAUSE360] extra walk: %d new placements, %d already drawn\n", p.added_at_sides,
                p.already_drawn);
    } else if (!pause_view.active && renderer_switches.widefill_log && host_frame % 60 == 0) {
        fprintf(stderr, "[WIDEFILL] f%d: %d placements added at the sides, %d already drawn\n", int(host_frame),
                p.added_at_sides, p.already_drawn);
    }
    placement_sets.already_drawn = placement_sets.added_at_sides = 0;
}

// The frame's scene into the quad list: the map view, a frame dump, or the game's list
// (with the paused view's or the side fill's extra headings when the host has them).
void scene_build() {
    int course = 0;
    float rotation[9], position[3], zoom = 1;
    frame.map_view = map_view_camera_hook(&course, rotation, position, &zoom);
    if (frame.map_view) {
        map_view_scene_draw(course, rotation, position, zoom);
        return;
    }
    static const bool framedump_shown_switch = env_present("SKYVOLTA_FRAMEDUMP");
    if (framedump_shown_switch) {
        framedump_step(quad_sink_live, nullptr);
        return;
    }
    if (const uint32_t* master_words = master_output()) {
        framedump_draw_words(master_words, quad_sink_live, nullptr);
        return;
    }
    int32_t count = 0;
    const int32_t* words = nullptr;
    if (pause_view.active) {
        words = pause360_hook(&count);
    } else {
        frame.pause_walk_reported = false;
        wide_view_reset_hook();
        if (hud_margin_left < -0.5) words = wide_fill_hook(&count, -double(hud_margin_left), WIDE_FILL_DISTANCE);
    }
    if (words && count > 0)
        two_pass_walk(words, count);
    else
        walk_display_list();
    pause_pivot_frame_end();
}

// A view that replaces the whole frame (the model viewer, the perspective preview):
// no 2D input is taken, so the host draws its fallback layer.
void frame_replaced() {
    frame.live = false;
    glDisable(GL_DEPTH_TEST);
    frame.frames++;
}

void totals_add() {
    if (!stage_timing) return;
    render_run_totals& r = render_totals;
    const frame_stage_times& f = frame_times;
    stage_time* sums[] = {&r.stages.intake, &r.stages.walk, &r.stages.sort, &r.stages.quads,
                          &r.stages.sprites, &r.stages.text, &r.stages.total};
    const stage_time* adds[] = {&f.intake, &f.walk, &f.sort, &f.quads, &f.sprites, &f.text, &f.total};
    for (int i = 0; i < 7; i++) {
        sums[i]->wall += adds[i]->wall, sums[i]->cpu += adds[i]->cpu, sums[i]->driver += adds[i]->driver;
    }
    r.evictions += tex_counters.evict;
    r.frames++;
}

}  // namespace

render_run_totals render_totals;

void frame_paint(const quad_record* quads, int32_t count, const sprite_input* sprites, const quad_draw_context& ctx) {
    stage_time t = stage_clock_now();
    frame.paint_quads = quads;
    frame.order = order_room(count);
    frame.paint_count = frame.order ? count : 0;
    if (frame.order) quads_zsort_order(quads, frame.paint_count, renderer_switches.tie_emit, frame.order);
    stage_clock_add(&frame_times.sort, t);
    zord_report();
    if (renderer_switches.zfight) zfight_report();

    t = stage_clock_now();
    frame.sprite_source = sprites;
    frame.layer_count = 0;
    if (!renderer_switches.no_sprites && sprites && !frame.map_view)
        frame.layer_count = sprite_list_build(sprites, frame.layers, SPRITE_LAYERS_MAX);
    if (renderer_switches.sprc && host_frame % 120 == 0)
        fprintf(stderr, "    [SPRC] f=%d sst=%p live_ok=%d ni=%d spr_n=%d\n", int(host_frame),
                static_cast<const void*>(sprites), int(frame.live), int(sprites ? sprites->word_count : 0),
                frame.layer_count);
    stage_clock_add(&frame_times.sprites, t);
    layers_prepare();

    // The painter's time less the layers drawn on their own inside it.
    t = stage_clock_now();
    stage_time layers_before = frame_times.sprites;
    quad_draw_begin();
    painter_loop(ctx);
    quad_draw_end();
    stage_clock_add(&frame_times.quads, t);
    frame_times.quads.wall -= frame_times.sprites.wall - layers_before.wall;
    frame_times.quads.cpu -= frame_times.sprites.cpu - layers_before.cpu;
    frame_times.quads.driver -= frame_times.sprites.driver - layers_before.driver;
}

quad_draw_context frame_draw_context() {
    const renderer_switch_set& s = renderer_switches;
    quad_draw_context ctx{};
    ctx.lit = !s.geo_noshade;
    ctx.fog = fog_on();
    ctx.solid_fill = seam_test.active;
    ctx.half_texel = s.texel_centre != 0;
    ctx.fog_callback = fog_callback_live;
    ctx.colour_callback = fog_colour_callback;
    return ctx;
}

void frame_fade_draw() {
    fade_draw();
}

void frame_text_draw(const text_input* text) {
    frame.text_source = text;
    text_draw();
}

void render_textures_open() {
    tex_cache_first_page_open();
    if (!layer_atlas_ready()) return;
    // One layer quad drawn and cleared away: a software GL driver builds the drawing code
    // of that state now, not in the first frame that shows sprites.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, SCREEN_W, SCREEN_H, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    quad_draw_begin();
    layer_atlas_quad_add(0, 0, 1, 1, 0, 0);
    quad_draw_end();
    glClear(GL_COLOR_BUFFER_BIT);
}

void render_frame_3d() {
    stage_time frame_start = stage_clock_now();
    frame_times = frame_stage_times{};
    if (!renderer_switches_loaded) renderer_switches_read();
    bbox_frame_reset();
    blink_frame_report(host_frame);
    track_models_budget_reset();
    dist_dump_frame_lines();
    if (model_viewer.code > 0) {
        model_viewer_draw();
        frame_replaced();
        return;
    }
    buffers_report();
    dl_source_select_live();
    dsp_word_set(DSP_WORD_LIST_READY, dsp_word(DSP_WORD_LIST_READY) & ~0xFF);

    driver_span_begin();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (renderer_switches.geo_preview) {
        driver_span_end();
        perspective_preview_draw();
        frame_replaced();
        return;
    }
    glOrtho(hud_margin_left, hud_margin_right, SCREEN_H, 0, -1, 1);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    driver_span_end();

    stage_time t = stage_clock_now();
    frame.live = false;
    bool dump = framedump_active();
    if (!dump && fog_mixer_intake() && sprite_intake(&frame.sprites)) {
        text_intake(&frame.text);
        frame.live = true;
    }
    const sprite_input* sprites = dump ? framedump_sprite_state() : frame.live ? &frame.sprites : nullptr;
    const text_input* text = dump ? framedump_text_state() : frame.live && frame.text.enabled ? &frame.text : nullptr;
    tex_counters.hit = tex_counters.miss = tex_counters.evict = 0;
    geo_counters = geo_counter_block{};
    quad_frame_stats_reset();
    frame.sprite_pixels = 0;
    tex_transparency_mode = 1;
    stage_clock_add(&frame_times.intake, t);

    t = stage_clock_now();
    scene_build();
    stage_clock_add(&frame_times.walk, t);

    frame_paint(frame_quads, frame_quad_count, sprites, frame_draw_context());
    billboard_list_build(frame.layers, frame.layer_count);

    object_list_build(frame_quads, frame_quad_count);
    pick_highlights_draw(frame_quads, frame_quad_count);
    if (renderer_switches.pickerdbg && host_frame % 30 == 0)
        fprintf(stderr, "[PICKERDBG] f=%d billboards=%d banners=%d\n", int(host_frame), billboard_count(),
                tdb_list_count());
    frame.last_quads = frame_quad_count;
    frame_quads_clear();

    fade_draw();
    frame_text_draw(frame.map_view ? nullptr : text);
    // The map view was this frame's scene only: a frame painted otherwise (the engine
    // frame) has its fog and sprites.
    frame.map_view = false;
    statistics_report();
    glDisable(GL_DEPTH_TEST);
    frame.frames++;
    stage_clock_add(&frame_times.total, frame_start);
    totals_add();
}
