#include "render/pick_lists.h"

#include "board/board_memory.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "render/side_files.h"

#include <SDL_opengl.h>
#include <cstdlib>

namespace {

struct object_entry {
    uint32_t code;  // first, so that compare_u32_asc orders the entries
    int32_t quads;
};
object_entry objects[OBJECT_LIST_MAX];
int objects_n = 0;

struct billboard_entry {
    int32_t tile, x, y, width, height;
};
billboard_entry billboards[BILLBOARD_LIST_MAX];
int billboards_n = 0;

int32_t object_highlight = -1;
int billboard_highlight = -1;
int banner_highlight = -1;

// Brings a scrolled pixel position into -512..512.
int32_t wrap_1024(int32_t v) {
    while (v > 512) v -= 1024;
    while (v < -512) v += 1024;
    return v;
}

void rect_fill_and_outline(float x, float y, float w, float h, float r, float g, float b, float alpha) {
    glColor4f(r, g, b, alpha);
    glBegin(GL_QUADS);
    glVertex2f(x, y), glVertex2f(x + w, y), glVertex2f(x + w, y + h), glVertex2f(x, y + h);
    glEnd();
    glColor4f(r, g, b, 1.0f);
    glLineWidth(2.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x, y), glVertex2f(x + w, y), glVertex2f(x + w, y + h), glVertex2f(x, y + h);
    glEnd();
}

}  // namespace

int compare_u32_asc(const void* a, const void* b) {
    uint32_t x = *static_cast<const uint32_t*>(a), y = *static_cast<const uint32_t*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

int object_count() {
    return objects_n;
}

void object_info(int i, int32_t* code, int32_t* quads) {
    bool in = i >= 0 && i < objects_n;
    if (code) *code = in ? int32_t(objects[i].code) : -1;
    if (quads) *quads = in ? objects[i].quads : 0;
}

void object_highlight_set(int32_t code) {
    object_highlight = code;
}

int32_t object_highlight_get() {
    return object_highlight;
}

int billboard_count() {
    return billboards_n;
}

void billboard_info(int i, int32_t* tile, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    bool in = i >= 0 && i < billboards_n;
    billboard_entry e = in ? billboards[i] : billboard_entry{-1, 0, 0, 0, 0};
    if (tile) *tile = e.tile;
    if (x) *x = e.x;
    if (y) *y = e.y;
    if (width) *width = e.width;
    if (height) *height = e.height;
}

void billboard_highlight_set(int index) {
    billboard_highlight = index;
}

void banner_highlight_set(int index) {
    banner_highlight = index;
}

void object_list_build(const quad_record* quads, int count) {
    objects_n = 0;
    int last = -1;  // quads of one model mostly come together
    for (int i = 0; i < count; i++) {
        uint32_t code = quads[i].model_code;
        if (last >= 0 && objects[last].code == code) {
            objects[last].quads++;
            continue;
        }
        last = -1;
        for (int k = 0; k < objects_n && last < 0; k++)
            if (objects[k].code == code) last = k;
        if (last < 0) {
            if (objects_n == OBJECT_LIST_MAX) continue;
            last = objects_n++;
            objects[last] = object_entry{code, 0};
        }
        objects[last].quads++;
    }
    qsort(objects, size_t(objects_n), sizeof objects[0], compare_u32_asc);
}

void billboard_list_build(const sprite_layer* layers, int count) {
    billboards_n = 0;
    static bool matched[SPRITE_LAYERS_MAX];
    for (int k = 0; k < count && k < SPRITE_LAYERS_MAX; k++) matched[k] = false;
    int calls = sprite_call_list_count();
    for (int c = 0; c < calls && billboards_n < BILLBOARD_LIST_MAX; c++) {
        int32_t tile, key, x, y;
        sprite_call_list_get(c, &tile, &key, &x, &y);
        int best = -1;
        int64_t best_d = 0;
        for (int k = 0; k < count && k < SPRITE_LAYERS_MAX; k++) {
            if (matched[k] || layers[k].priority != (uint32_t(key) & 0xFFFFFF)) continue;
            int64_t d = llabs(int64_t(layers[k].x0) - x) + llabs(int64_t(layers[k].y0) - y);
            if (best < 0 || d < best_d) best = k, best_d = d;
        }
        if (best < 0) continue;
        matched[best] = true;
        const sprite_layer& l = layers[best];
        billboards[billboards_n++] = billboard_entry{tile, l.x0, l.y0, l.width, l.height};
    }
}

void pick_highlights_draw(const quad_record* quads, int count) {
    bool banner = banner_highlight >= 0 && banner_highlight < tdb_list_count();
    bool billboard = billboard_highlight >= 0 && billboard_highlight < billboards_n;
    if (object_highlight < 0 && !billboard && !banner) return;
    float alpha = (host_frame & 8) ? 0.60f : 0.35f;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    if (object_highlight >= 0) {
        glColor4f(1.0f, 0.0f, 1.0f, alpha);
        for (int i = 0; i < count; i++) {
            const quad_record& q = quads[i];
            if (int32_t(q.model_code) != object_highlight || q.near_count < 3) continue;
            glBegin(GL_POLYGON);
            for (int k = 0; k < q.near_count && k < 10; k++)
                glVertex2f(float(q.near[k].sx) / 16.0f, float(q.near[k].sy) / 16.0f);
            glEnd();
        }
    }
    if (billboard) {
        const billboard_entry& b = billboards[billboard_highlight];
        rect_fill_and_outline(float(b.x), float(b.y), float(b.width), float(b.height), 1.0f, 0.0f, 1.0f, alpha);
    }
    if (banner) {
        int column, row, width, height, base, palette;
        tdb_list_get(banner_highlight, &column, &row, &width, &height, &base, &palette);
        int32_t scroll_x = load_be16(text_registers), scroll_y = load_be16(text_registers + 2);
        int32_t x = wrap_1024(column * 16 - ((scroll_x + 164) & 0x3FF));
        int32_t y = wrap_1024(row * 16 - (scroll_y & 0x3FF));
        rect_fill_and_outline(float(x), float(y), float(width * 16), float(height * 16), 0.1f, 1.0f, 1.0f, alpha);
    }
    glDisable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
