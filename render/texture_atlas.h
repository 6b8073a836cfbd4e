// Atlas pages: square GL textures that hold many baked textures each, with an RGBA
// shadow in memory that bakes write into and that reaches the GPU only as dirty
// rectangles, when a batch is about to draw with the page.
#pragma once
#include <SDL_opengl.h>
#include <cstdint>

constexpr int ATLAS_PAGES_MAX = 28;
constexpr int ATLAS_FREE_MAX = 512;
constexpr int ATLAS_DIRTY_MAX = 128;

struct atlas_rect {
    uint16_t x, y, w, h;
};

struct atlas_page {
    GLuint texture;
    uint8_t* shadow;  // D x D RGBA, null when its memory could not be had
    int cursor_x, cursor_y, shelf_h;
    atlas_rect free_rects[ATLAS_FREE_MAX];
    int free_count;
    atlas_rect dirty[ATLAS_DIRTY_MAX];
    int dirty_count;
    bool dirty_overflow;
    int dirty_x0, dirty_y0, dirty_x1, dirty_y1;  // bounding box; empty when x1 <= x0
    bool in_use;
};

struct atlas_state {
    bool sized;
    int dim;         // D: every page is D x D
    int gl_max;      // GL_MAX_TEXTURE_SIZE when sized
    int max_pages;
    int open_pages;  // pages 0 .. open_pages - 1 are in use
    int next_victim;
    atlas_page pages[ATLAS_PAGES_MAX];
};
extern atlas_state atlas;

// Sizes the pages from ENG_ATLAS_DIM and the GL maximum (once; needs the context).
void atlas_init();

// Creates page k's GL texture and shadow (texel (0, 0) opaque white) and resets its allocator.
void atlas_page_shadow_alloc(int page);

// Uploads the dirty texels of the page whose GL texture this is (binding it).
void atlas_page_flush(GLuint texture);

// The function called with a GL texture just before its contents change or it is reused.
void atlas_evict_callback_set(void (*callback)(GLuint texture));
void atlas_evict_notify(GLuint texture);

// Finds room for a w x h rectangle: in an open page, else in a newly opened one, else in
// a whole page evicted round-robin (its cache entries dropped). Notifies the eviction
// callback with the page's texture. False when the rectangle cannot fit a page at all.
bool atlas_alloc(int w, int h, int* page, int* x, int* y);

// Marks texels of a page as changed in the shadow, to be uploaded by the next flush.
void atlas_dirty_add(int page, int x, int y, int w, int h);

// Deletes every page and forgets the sizing.
void atlas_release_all();

// Opens pages up to `count` (at most the maximum) at once.
void atlas_prealloc(int count);
