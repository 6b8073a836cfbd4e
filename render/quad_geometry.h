// The renderer's geometry core: the camera record, the quad record every sink receives,
// lighting, and the transform / back-face / near-clip / guard-band / projection of one
// polygon of the point ROM. All arithmetic before the guard band is integer.
#pragma once
#include <cstdint>

// One vertex as the sinks see it. Screen positions are in 1/16 pixel (origin top left,
// y down); u, v are 12-bit texel coordinates; the last three repeat u, v, b in 16.16.
struct quad_vertex {
    int32_t sx, sy;
    int32_t z;
    int32_t u, v;
    int32_t b;
    int32_t valid;  // 1 when the vertex lies in front of the viewer
    int32_t u16, v16, b16;
};

struct quad_record {
    quad_vertex src[4];    // the corners unclipped; a corner with z <= 0 is all zero
    quad_vertex near[10];  // after the near clip at z = 1 (entries past near_count undefined)
    int32_t near_count;    // 3..6, or 0 when fewer than three remain
    quad_vertex band[10];  // after the guard-band clip (entries past band_count undefined)
    int32_t band_count;    // 0 not needed (or over 10), -1 nothing left, else 3..10
    uint32_t colour;
    uint32_t tex_bank;
    uint32_t tex_format;
    uint32_t attr_mode;
    uint32_t zsort;        // priority in bits 21-23, depth in bits 0-20
    uint32_t cz;
    uint32_t attr;
    uint32_t depth_index;  // index into the 8192-entry fog density tables
    uint32_t behind;       // 1 when any corner had z <= 0
    uint32_t seq;          // arrival number, written by the collecting sink
    uint32_t model_code;   // written by the live sink
    int32_t clip_x0, clip_x1, clip_y0, clip_y1;  // whole pixels, inclusive
    uint16_t u_min, u_max, v_min, v_max;
    uint32_t fog_mode;
};

// A sink receives each surviving quad; the record is valid only during the call.
// Sinks drop records with band_count < 0, use band/band_count when it is positive, and
// do not draw records whose near_count is below 3.
using quad_sink = void (*)(const quad_record* quad, void* data);

// The current camera: 40 fields of 32 bits, loaded whole by geo_camera_set.
struct geo_camera_record {
    int32_t m[9];          // model rotation, 1.15: view x = (m0 x + m3 y + m6 z) >> 15 ...
    int32_t tx, ty, tz;    // model translation, added after the shift
    int32_t focal, shift;  // projection: coordinate * focal * 16 >> shift / z
    int32_t ox, oy;        // projection centre (320 + ox, 240 + oy)
    float left, right, top, bottom;  // window insets
    int32_t window;        // nonzero: the clip rectangle comes from the insets
    int32_t obj_shift, cz; // 24-bit words of the object-shift packet
    int32_t prio_base;     // low 3 bits used
    int32_t cull_sense;    // nonzero reverses the back-face test (mirrored view)
    int32_t v[9];          // view matrix, 1.15 (brings the light into model space)
    int32_t lx, ly, lz;    // light vector
    int32_t ambient, light_scale;
    int32_t fog_mode;
};
static_assert(sizeof(geo_camera_record) == 40 * 4);

extern geo_camera_record geo_camera;
// Second copies of the object shift word and the priority base for the live quad sink.
extern int32_t geo_live_obj_shift;
extern int32_t geo_live_prio_base;

// Code of the model being expanded, -1 between models (the live renderer and the
// packet replay set it; the cull dump and the object log select by it).
extern int32_t geo_current_code;

// ENG_OBJLOG (read once, base by prefix): unset logs nothing, 0 every model, another
// value the model of that code.
bool geo_objlog_selects(int32_t code);

// Rendered-frame number printed by the cull dump; the quad drawer advances it.
extern uint32_t engine_frame_counter;

struct geo_counter_block {
    uint32_t emitted, partclip, behind, cull, pktlen, chunk;
    int32_t z_min, z_max;  // depth range of the emitted quads; z_min 0 means unset
};
// Printed and reset by the painter loop once per frame.
extern geo_counter_block geo_counters;

constexpr int32_t LIGHT_LIST_MAX = 512;
// Brightness values of the model being expanded; corners take them in turn.
struct light_list_state {
    int32_t values[LIGHT_LIST_MAX];
    int32_t count;
    int32_t cursor;
};
extern light_list_state light_list;

void geo_camera_set(const geo_camera_record* camera);

// Empties the light list and its cursor (start of a model, type-16 records).
void light_list_reset();

// Lights the four normals at point word `index` (x, y, z each, low 16 bits signed)
// with the current camera and appends the four brightness values.
void vertex_light_compute(uint32_t index);

// Builds the quad whose eight texture words start at point word `index` (the twelve
// corner words follow) and hands it to the sink unless it lies wholly behind the
// viewer or faces away. depth_word is the type-24 depth-offset word (0 for type 23).
void quad_transform_cull(uint32_t colour, uint32_t index, int32_t depth_word, uint32_t attr,
                         uint32_t flags, quad_sink sink, void* data);

// Negates m0, m3, m6 when flags has 0x10 and m1, m4, m7 when it has 0x20.
void matrix_sign_flip(int32_t m[9], uint32_t flags);
