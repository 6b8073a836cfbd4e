#include "render/texture_atlas.h"

#include "base/env_switch.h"
#include "render/stage_clock.h"
#include "render/texture_cache.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

atlas_state atlas;

static void (*evict_callback)(GLuint texture) = nullptr;

void atlas_evict_callback_set(void (*callback)(GLuint texture)) { evict_callback = callback; }

void atlas_evict_notify(GLuint texture) {
    if (evict_callback) evict_callback(texture);
}

void atlas_init() {
    if (atlas.sized) return;
    GLint g = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &g);
    int a = 4096;
    const char* dim = env_text("ENG_ATLAS_DIM");
    if (dim && *dim) {
        long value = strtol(dim, nullptr, 10);
        if (value < 1024) {
            a = 1024;
        } else {
            a = value < 8192 ? int(value) : 8192;
            if (g > 0 && value > 1024 && g < a)
                while ((g > 1024 ? g : 1024) < a) a /= 2;
        }
    } else if (g > 0 && g < a) {
        while ((g > 1024 ? g : 1024) < a) a /= 2;
    }
    int d = 1024;
    while (d < a && d < 8192) d *= 2;
    long per_cap = 0x1C000000L / (long(d) * d * 4);
    atlas.dim = d;
    atlas.gl_max = g;
    atlas.max_pages = per_cap <= 1 ? 2 : per_cap < ATLAS_PAGES_MAX ? int(per_cap) : ATLAS_PAGES_MAX;
    atlas.sized = true;
    fprintf(stderr, "[TEX] atlas pages %dx%d (GL max %d), up to %d pages\n", d, d, g, atlas.max_pages);
}

static void allocator_reset(atlas_page& p) {
    p.cursor_x = 1;  // texel (0, 0) stays white for untextured quads on the page
    p.cursor_y = 0;
    p.shelf_h = 0;
    p.free_count = 0;
    p.dirty_count = 0;
    p.dirty_overflow = false;
    p.dirty_x0 = p.dirty_y0 = p.dirty_x1 = p.dirty_y1 = 0;
}

void atlas_page_shadow_alloc(int page) {
    atlas_page& p = atlas.pages[page];
    const int d = atlas.dim;
    p.shadow = static_cast<uint8_t*>(calloc(size_t(d) * d, 4));
    if (!p.shadow) fprintf(stderr, "[TEX] atlas shadow: out of memory\n");
    static const uint8_t white[4] = {255, 255, 255, 255};
    if (p.shadow) memcpy(p.shadow, white, 4);
    driver_span_begin();
    glGenTextures(1, &p.texture);
    glBindTexture(GL_TEXTURE_2D, p.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, d, d, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.shadow);
    if (!p.shadow) glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, white);
    driver_span_end();
    allocator_reset(p);
    p.in_use = true;
}

static void page_upload(atlas_page& p) {
    if (p.dirty_x1 <= p.dirty_x0) return;
    if (p.shadow) {
        driver_span_begin();
        const int d = atlas.dim;
        glBindTexture(GL_TEXTURE_2D, p.texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, d);
        auto upload = [&](int x, int y, int w, int h) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                            p.shadow + (size_t(y) * d + x) * 4);
        };
        if (p.dirty_overflow || p.dirty_count == 0) {
            upload(p.dirty_x0, p.dirty_y0, p.dirty_x1 - p.dirty_x0, p.dirty_y1 - p.dirty_y0);
        } else {
            for (int i = 0; i < p.dirty_count; ++i) upload(p.dirty[i].x, p.dirty[i].y, p.dirty[i].w, p.dirty[i].h);
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        driver_span_end();
    }
    p.dirty_count = 0;
    p.dirty_overflow = false;
    p.dirty_x0 = p.dirty_y0 = p.dirty_x1 = p.dirty_y1 = 0;
}

void atlas_page_flush(GLuint texture) {
    for (int i = 0; i < atlas.open_pages; ++i)
        if (atlas.pages[i].texture == texture) page_upload(atlas.pages[i]);
}

void atlas_dirty_add(int page, int x, int y, int w, int h) {
    atlas_page& p = atlas.pages[page];
    if (p.dirty_x1 <= p.dirty_x0) {
        p.dirty_x0 = x;
        p.dirty_y0 = y;
        p.dirty_x1 = x + w;
        p.dirty_y1 = y + h;
    } else {
        if (x < p.dirty_x0) p.dirty_x0 = x;
        if (y < p.dirty_y0) p.dirty_y0 = y;
        if (x + w > p.dirty_x1) p.dirty_x1 = x + w;
        if (y + h > p.dirty_y1) p.dirty_y1 = y + h;
    }
    if (p.dirty_overflow) return;
    // Rectangles placed side by side on one shelf merge into one upload.
    atlas_rect* last = p.dirty_count ? &p.dirty[p.dirty_count - 1] : nullptr;
    if (last && last->y == y && last->h == h && last->x + last->w == x) {
        last->w = uint16_t(last->w + w);
    } else if (p.dirty_count < ATLAS_DIRTY_MAX) {
        p.dirty[p.dirty_count++] = atlas_rect{uint16_t(x), uint16_t(y), uint16_t(w), uint16_t(h)};
    } else {
        p.dirty_overflow = true;
    }
}

static void free_rect_add(atlas_page& p, int x, int y, int w, int h) {
    if (w <= 15 || h <= 15 || p.free_count >= ATLAS_FREE_MAX) return;
    p.free_rects[p.free_count++] = atlas_rect{uint16_t(x), uint16_t(y), uint16_t(w), uint16_t(h)};
}

// First fit in the free rectangles, else the shelf. Space a shelf leaves unused (the
// rest of a closed shelf, the room under a rectangle lower than its shelf) becomes
// free rectangles for later, smaller textures.
static bool page_place(atlas_page& p, int w, int h, int* x, int* y) {
    for (int i = 0; i < p.free_count; ++i) {
        atlas_rect r = p.free_rects[i];
        if (r.w < w || r.h < h) continue;
        p.free_rects[i] = p.free_rects[--p.free_count];
        *x = r.x;
        *y = r.y;
        if (r.w - w > 15) free_rect_add(p, r.x + w, r.y, r.w - w, h);
        if (r.h - h > 15) free_rect_add(p, r.x, r.y + h, r.w, r.h - h);
        return true;
    }
    const int d = atlas.dim;
    if (p.cursor_x + w > d) {
        free_rect_add(p, p.cursor_x, p.cursor_y, d - p.cursor_x, p.shelf_h);
        p.cursor_y += p.shelf_h;
        p.cursor_x = 0;
        p.shelf_h = 0;
    }
    if (p.cursor_y + h > d) return false;
    *x = p.cursor_x;
    *y = p.cursor_y;
    if (h < p.shelf_h) free_rect_add(p, p.cursor_x, p.cursor_y + h, w, p.shelf_h - h);
    p.cursor_x += w;
    if (h > p.shelf_h) p.shelf_h = h;
    return true;
}

static void page_evict(int page) {
    atlas_page& p = atlas.pages[page];
    page_upload(p);
    atlas_evict_notify(p.texture);
    tex_cache_drop_page(page);
    allocator_reset(p);
}

bool atlas_alloc(int w, int h, int* page, int* x, int* y) {
    atlas_init();
    // A new shelf starts at x = 0: only a rectangle narrower than the page keeps clear
    // of the white texel.
    if (w <= 0 || h <= 0 || w >= atlas.dim || h >= atlas.dim) return false;
    bool evicted = false;
    for (;;) {
        for (int i = 0; i < atlas.open_pages; ++i) {
            if (!page_place(atlas.pages[i], w, h, x, y)) continue;
            *page = i;
            atlas_evict_notify(atlas.pages[i].texture);
            return true;
        }
        if (atlas.open_pages < atlas.max_pages) {
            atlas_page_shadow_alloc(atlas.open_pages++);
        } else if (!evicted) {
            int victim = atlas.next_victim % atlas.open_pages;
            page_evict(victim);
            atlas.next_victim = (victim + 1) % atlas.open_pages;
            evicted = true;
        } else {
            return false;
        }
    }
}

void atlas_prealloc(int count) {
    atlas_init();
    if (count > atlas.max_pages) count = atlas.max_pages;
    while (atlas.open_pages < count) atlas_page_shadow_alloc(atlas.open_pages++);
}

void atlas_release_all() {
    for (int i = 0; i < atlas.open_pages; ++i) {
        atlas_page& p = atlas.pages[i];
        glDeleteTextures(1, &p.texture);
        free(p.shadow);
        p = atlas_page{};
    }
    atlas.open_pages = 0;
    atlas.next_victim = 0;
    atlas.sized = false;
}
