#include "render/quad_geometry.h"

#include "base/env_switch.h"
#include "render/point_words.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

geo_camera_record geo_camera;
int32_t geo_live_obj_shift = 0;
int32_t geo_live_prio_base = 0;
int32_t geo_current_code = -1;
uint32_t engine_frame_counter = 0;
geo_counter_block geo_counters;
light_list_state light_list;

namespace {

using i128 = __int128;

constexpr int64_t GUARD_REACH = 0x10000;  // 4096 pixels in 1/16 pixel
constexpr int MAX_NEAR = 6;
constexpr int MAX_BAND_PLANE = 16;
constexpr int MAX_BAND = 10;

// A polygon vertex in view space; u, v, b in 16.16.
struct clip_vertex {
    int64_t x, y, z, u, v, b;
};

struct band_vertex {
    double x, y, z, u, v, b;
};

int32_t sat32(i128 x) {
    if (x > INT32_MAX) return INT32_MAX;
    if (x < INT32_MIN) return INT32_MIN;
    return int32_t(x);
}

long long sat64(i128 x) {
    if (x > INT64_MAX) return INT64_MAX;
    if (x < INT64_MIN) return INT64_MIN;
    return (long long)x;
}

// Truncation toward zero of a float or double that may lie outside the int range.
int32_t trunc32(double d) {
    if (!(d > INT32_MIN - 1.0)) return INT32_MIN;
    if (!(d < INT32_MAX + 1.0)) return INT32_MAX;
    return int32_t(d);
}

int32_t round32(double d) {
    return d != d ? 0 : trunc32(d < 0 ? std::ceil(d - 0.5) : std::floor(d + 0.5));
}

int32_t sign_extend18(int32_t w) {
    return ((w & 0x3FFFF) ^ 0x20000) - 0x20000;
}

int camera_shift() {
    int s = geo_camera.shift;
    return s < 0 ? 0 : s > 120 ? 120 : s;
}

int64_t centre_x16() { return (320 + int64_t(geo_camera.ox)) * 16; }
int64_t centre_y16() { return (240 + int64_t(geo_camera.oy)) * 16; }

// num / den truncated, in 64 bits whenever the numerator fits (the same quotient at a
// fraction of the cost of a 128-bit division).
i128 quotient(i128 num, int64_t den) {
    if (den > 0 && num >= INT64_MIN && num <= INT64_MAX) return int64_t(num) / den;
    return num / den;
}

// Screen position in 1/16 pixel of a view-space point with z > 0.
void project(int64_t x, int64_t y, int64_t z, int32_t* sx, int32_t* sy) {
    i128 f16 = i128(geo_camera.focal) * 16;
    int s = camera_shift();
    *sx = sat32(quotient(i128(x) * f16 >> s, z) + centre_x16());
    *sy = sat32(centre_y16() - quotient(i128(y) * f16 >> s, z));
}

int64_t transform_row(int row, const int32_t c[3]) {
    const int32_t* m = geo_camera.m;
    int64_t sum = int64_t(m[row]) * c[0] + int64_t(m[row + 3]) * c[1] + int64_t(m[row + 6]) * c[2];
    const int32_t t[3] = {geo_camera.tx, geo_camera.ty, geo_camera.tz};
    return (sum >> 15) + t[row];
}

// det[a, b, c] = a . (b x c), exact.
i128 triple(const clip_vertex& a, const clip_vertex& b, const clip_vertex& c) {
    i128 cx = i128(b.y) * c.z - i128(b.z) * c.y;
    i128 cy = i128(b.z) * c.x - i128(b.x) * c.z;
    i128 cz = i128(b.x) * c.y - i128(b.y) * c.x;
    return a.x * cx + a.y * cy + a.z * cz;
}

struct env_code {
    bool set;
    long code;
};

env_code env_code_read(const char* name, int base) {
    const char* s = env_text(name);
    return {s != nullptr, s ? strtol(s, nullptr, base) : 0};
}

bool culldump_selects(int32_t code) {
    static const env_code dump = env_code_read("SKYVOLTA_CULLDUMP", 10);
    return dump.set && dump.code == code;
}

void cull_dump(const clip_vertex c[4], i128 c1, i128 c2) {
    char line[512];
    int n = snprintf(line, sizeof line, "[CULL] f%u code %d c1=%lld c2=%lld", engine_frame_counter,
                     geo_current_code, sat64(c1), sat64(c2));
    for (int k = 0; k < 4; k++) {
        if (c[k].z <= 0) continue;
        int32_t sx, sy;
        project(c[k].x, c[k].y, c[k].z, &sx, &sy);
        n += snprintf(line + n, sizeof line - size_t(n), " (%.3f,%.3f,%d)", sx / 16.0, sy / 16.0, sat32(c[k].z));
    }
    fprintf(stderr, "%s\n", line);
}

// The corners' back-face determinants; true when the quad faces away.
bool faces_away(const clip_vertex c[4]) {
    i128 c1 = triple(c[2], c[1], c[0]);
    i128 c2 = triple(c[0], c[3], c[2]);
    bool away = geo_camera.cull_sense ? (c1 <= 0 && c2 <= 0) : (c1 >= 0 && c2 >= 0);
    if (away && culldump_selects(geo_current_code)) cull_dump(c, c1, c2);
    return away;
}

uint32_t sort_key(int64_t nearest, int64_t farthest, uint32_t attr, int32_t t) {
    int64_t base;
    switch (attr >> 8 & 3) {
    case 0: base = nearest; break;
    case 1: base = farthest; break;
    default: base = (nearest + farthest) >> 1; break;
    }
    int64_t depth;
    int32_t prio = geo_camera.prio_base & 7;
    if (t & 0x200000) {
        depth = t & 0x1FFFFF;
    } else {
        depth = sign_extend18(t) + (base < 0x1FFFFF ? base : 0x1FFFFF);
        prio += t >> 18 & 7;
    }
    int32_t u = geo_camera.obj_shift;
    if (u & 0x200000) {
        depth = u & 0x1FFFFF;
    } else {
        depth += sign_extend18(u);
        prio += u >> 18 & 7;
    }
    depth = depth < 0 ? 0 : depth > 0x1FFFFF ? 0x1FFFFF : depth;
    return uint32_t(prio & 7) << 21 | uint32_t(depth);
}

// Brightness of corner k: the light list in turn, or the default of the colour word
// (or of texture word k with flag bit 6) while the list is empty.
int32_t corner_brightness(int k, uint32_t colour, const uint32_t tex[8], uint32_t flags) {
    if (light_list.count == 0) return int32_t(((flags & 0x40) ? tex[k] : colour) >> 16 & 0xFF);
    int32_t x = light_list.count < 5 ? light_list.cursor : light_list.cursor >> 2;
    light_list.cursor++;
    return light_list.values[x % light_list.count];
}

// Sutherland-Hodgman near clip at z = 1 over the edges 0-1, 1-2, 2-3, 3-0; corner[i]
// names the corner output i is, or -1 for a point made on an edge.
int near_clip(const clip_vertex c[4], clip_vertex out[MAX_NEAR], int corner[MAX_NEAR]) {
    int n = 0;
    for (int k = 0; k < 4 && n < MAX_NEAR; k++) {
        const clip_vertex& s = c[k];
        const clip_vertex& e = c[(k + 1) & 3];
        if (s.z > 0) corner[n] = k, out[n++] = s;
        if ((s.z > 0) == (e.z > 0) || n >= MAX_NEAR) continue;
        i128 num = i128(1 - s.z) * (1 << 24), den = e.z - s.z;
        i128 q = num / den;
        if ((num % den != 0) && ((num < 0) != (den < 0))) q -= 1;  // floor
        auto lerp = [q](int64_t a, int64_t b) { return int64_t(a + ((i128(b - a) * q) >> 24)); };
        corner[n] = -1;
        out[n++] = {lerp(s.x, e.x), lerp(s.y, e.y), 1, lerp(s.u, e.u), lerp(s.v, e.v), lerp(s.b, e.b)};
    }
    return n;
}

void vertex_from_fixed(quad_vertex* q, int64_t z, int64_t u16, int64_t v16, int64_t b16) {
    q->z = sat32(z);
    q->u16 = sat32(u16);
    q->v16 = sat32(v16);
    q->b16 = sat32(b16);
    q->u = int32_t(q->u16 >> 16 & 0xFFF);
    q->v = int32_t(q->v16 >> 16 & 0xFFF);
    q->b = q->b16 >> 16;
    q->valid = 1;
}

double band_distance(const band_vertex& p, int plane, double s) {
    double a = plane < 2 ? p.x : p.y;
    return 65536.0 * p.z - ((plane & 1) ? -s * a : s * a);
}

// Guard-band clip in double precision; the band_count convention of quad_record.
int32_t guard_band_clip(const clip_vertex* near, int count, quad_record* q) {
    double s = std::ldexp(double(geo_camera.focal) * 16.0, -camera_shift());
    band_vertex poly[2][MAX_BAND_PLANE];
    int n = count;
    for (int i = 0; i < count; i++)
        poly[0][i] = {double(near[i].x), double(near[i].y), double(near[i].z),
                      double(near[i].u), double(near[i].v), double(near[i].b)};
    int cur = 0;
    for (int plane = 0; plane < 4 && n >= 3; plane++) {
        const band_vertex* in = poly[cur];
        band_vertex* out = poly[cur ^ 1];
        int m = 0;
        for (int k = 0; k < n && m < MAX_BAND_PLANE; k++) {
            const band_vertex& a = in[k];
            const band_vertex& b = in[(k + 1) % n];
            double ga = band_distance(a, plane, s), gb = band_distance(b, plane, s);
            if (ga >= 0) out[m++] = a;
            if ((ga >= 0) == (gb >= 0) || m >= MAX_BAND_PLANE) continue;
            double t = ga / (ga - gb);
            out[m++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                        a.u + t * (b.u - a.u), a.v + t * (b.v - a.v), a.b + t * (b.b - a.b)};
        }
        n = m;
        cur ^= 1;
    }
    if (n < 3) return -1;
    if (n > MAX_BAND) return 0;
    double cx = double(centre_x16()), cy = double(centre_y16());
    for (int i = 0; i < n; i++) {
        const band_vertex& p = poly[cur][i];
        double z = p.z > 1.0 ? p.z : 1.0;
        quad_vertex* v = &q->band[i];
        v->sx = round32(s * p.x / z + cx);
        v->sy = round32(cy - s * p.y / z);
        vertex_from_fixed(v, round32(z), round32(p.u), round32(p.v), round32(p.b));
    }
    return n;
}

bool beyond_guard(const quad_vertex* v, int count) {
    for (int i = 0; i < count; i++) {
        if (llabs(v[i].sx - centre_x16()) > GUARD_REACH || llabs(v[i].sy - centre_y16()) > GUARD_REACH)
            return true;
    }
    return false;
}

void clip_rectangle(quad_record* q) {
    if (!geo_camera.window) {
        q->clip_x0 = 0, q->clip_x1 = 639, q->clip_y0 = 0, q->clip_y1 = 479;
        return;
    }
    float cx = float(320 + geo_camera.ox), cy = float(240 + geo_camera.oy);
    q->clip_x0 = trunc32(cx + geo_camera.left);
    q->clip_x1 = trunc32(cx - geo_camera.right - 1.0f);
    q->clip_y0 = trunc32(cy + geo_camera.top);
    q->clip_y1 = trunc32(cy - geo_camera.bottom - 1.0f);
}

bool objlog_selects(int32_t code) {
    static const env_code log = env_code_read("ENG_OBJLOG", 0);
    return log.set && (log.code == 0 || log.code == code);
}

void objlog_quad(const quad_record* q, int count) {
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (int i = 0; i < count; i++) {
        int32_t x = q->near[i].sx >> 4, y = q->near[i].sy >> 4;
        if (i == 0 || x < x0) x0 = x;
        if (i == 0 || x > x1) x1 = x;
        if (i == 0 || y < y0) y0 = y;
        if (i == 0 || y > y1) y1 = y;
    }
    fprintf(stderr, "[OBJ]   quad zsort %06X color %06X nrv %d  x %d..%d y %d..%d\n", q->zsort, q->colour,
            q->near_count, x0, x1, y0, y1);
}

}  // namespace

bool geo_objlog_selects(int32_t code) { return objlog_selects(code); }

void geo_camera_set(const geo_camera_record* camera) {
    geo_camera = *camera;
    geo_live_obj_shift = camera->obj_shift;
    geo_live_prio_base = camera->prio_base;
}

void light_list_reset() {
    light_list.count = 0;
    light_list.cursor = 0;
}

void matrix_sign_flip(int32_t m[9], uint32_t flags) {
    // Negation through 64 bits: a matrix word of INT32_MIN stays in range.
    auto neg = [](int32_t& w) { w = sat32(-i128(w)); };
    if (flags & 0x10) neg(m[0]), neg(m[3]), neg(m[6]);
    if (flags & 0x20) neg(m[1]), neg(m[4]), neg(m[7]);
}

void vertex_light_compute(uint32_t index) {
    const geo_camera_record& c = geo_camera;
    int64_t l[3];
    for (int i = 0; i < 3; i++)
        l[i] = (int64_t(c.v[i]) * c.lx + int64_t(c.v[i + 3]) * c.ly + int64_t(c.v[i + 6]) * c.lz) >> 15;
    for (int k = 0; k < 4; k++) {
        int64_t n[3];
        for (int j = 0; j < 3; j++) n[j] = int16_t(point_word(index + uint32_t(3 * k + j)) & 0xFFFF);
        i128 d = 0;
        for (int i = 0; i < 3; i++) {
            int64_t r = (int64_t(c.m[i]) * n[0] + int64_t(c.m[i + 3]) * n[1] + int64_t(c.m[i + 6]) * n[2]) >> 15;
            d += i128(r) * l[i];
        }
        i128 lit = d < 0 ? 0 : (d * c.light_scale) >> 30;
        if (light_list.count < LIGHT_LIST_MAX) light_list.values[light_list.count++] = sat32(lit + c.ambient);
    }
}

void quad_transform_cull(uint32_t colour, uint32_t index, int32_t depth_word, uint32_t attr,
                         uint32_t flags, quad_sink sink, void* data) {
    uint32_t tex[8];
    for (uint32_t k = 0; k < 8; k++) tex[k] = uint32_t(point_word(index + k)) & 0xFFFFFF;
    clip_vertex c[4];
    int64_t nearest = INT64_MAX, farthest = INT64_MIN;
    for (int k = 0; k < 4; k++) {
        int32_t p[3];
        for (int j = 0; j < 3; j++) p[j] = point_word(index + 8 + uint32_t(3 * k + j));
        c[k] = {transform_row(0, p), transform_row(1, p), transform_row(2, p), 0, 0, 0};
        if (c[k].z < nearest) nearest = c[k].z;
        if (c[k].z > farthest) farthest = c[k].z;
    }
    if (farthest < 0) {
        geo_counters.behind++;
        return;
    }
    if ((attr & 0x20) && faces_away(c)) {
        geo_counters.cull++;
        return;
    }
    if (nearest < 0) nearest = 0;

    // Everything but the near and band vertices starts at zero; those are written up to
    // their counts, and no reader looks beyond.
    quad_record q;
    memset(q.src, 0, sizeof q.src);
    q.near_count = q.band_count = 0;
    memset(reinterpret_cast<char*>(&q) + offsetof(quad_record, colour), 0, sizeof q - offsetof(quad_record, colour));
    q.zsort = sort_key(nearest, farthest, attr, depth_word);
    bool any_behind = false;
    for (int k = 0; k < 4; k++) {
        uint32_t u = tex[2 * k] & 0xFFF, v = tex[2 * k + 1] & 0xFFF;
        int32_t b = corner_brightness(k, colour, tex, flags);
        c[k].u = int64_t(u) * 65536;
        c[k].v = int64_t(v) * 65536;
        c[k].b = int64_t(b) * 65536;
        if (c[k].z <= 0) {
            any_behind = true;
            continue;
        }
        quad_vertex* s = &q.src[k];
        project(c[k].x, c[k].y, c[k].z, &s->sx, &s->sy);
        s->z = sat32(c[k].z);
        s->u = int32_t(u), s->v = int32_t(v), s->b = b;
        s->valid = 1;
    }
    if (any_behind) {
        q.behind = 1;
        geo_counters.partclip++;
    }

    clip_vertex near[MAX_NEAR];
    int corner[MAX_NEAR];
    int count = near_clip(c, near, corner);
    for (int i = 0; i < count; i++) {
        if (corner[i] >= 0)  // a corner in front keeps the screen position worked out above
            q.near[i].sx = q.src[corner[i]].sx, q.near[i].sy = q.src[corner[i]].sy;
        else
            project(near[i].x, near[i].y, near[i].z, &q.near[i].sx, &q.near[i].sy);
        vertex_from_fixed(&q.near[i], near[i].z, near[i].u, near[i].v, near[i].b);
    }
    q.near_count = count >= 3 ? count : 0;
    if (q.near_count > 2 && beyond_guard(q.near, count)) q.band_count = guard_band_clip(near, count, &q);

    q.colour = colour & 0xFFFFFF;
    q.tex_bank = tex[1] >> 12 & 15;
    q.tex_format = tex[0] >> 12 & 15;
    q.attr_mode = attr >> 10 & 3;
    q.attr = attr & 0xFFFFFF;
    q.cz = uint32_t(geo_camera.cz);
    q.fog_mode = uint32_t(geo_camera.fog_mode);
    q.depth_index = farthest >= 0x200000 ? 8191 : uint32_t(farthest >> 8);
    clip_rectangle(&q);
    q.u_min = q.v_min = 0xFFFF;
    for (int k = 0; k < 4; k++) {
        uint16_t u = uint16_t(tex[2 * k] & 0xFFF), v = uint16_t(tex[2 * k + 1] & 0xFFF);
        if (u < q.u_min) q.u_min = u;
        if (u > q.u_max) q.u_max = u;
        if (v < q.v_min) q.v_min = v;
        if (v > q.v_max) q.v_max = v;
    }

    geo_counters.emitted++;
    int32_t zn = sat32(nearest), zf = sat32(farthest);
    if (geo_counters.z_min == 0 || zn < geo_counters.z_min) geo_counters.z_min = zn;
    if (zf > geo_counters.z_max) geo_counters.z_max = zf;
    if (objlog_selects(geo_current_code)) objlog_quad(&q, count);
    if (sink) sink(&q, data);
}
