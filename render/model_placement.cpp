#include "render/model_placement.h"

#include "base/rom_files.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "render/dl_walker.h"
#include "render/model_diagnostics.h"
#include "render/model_walk.h"
#include "render/quad_sink.h"
#include "render/renderer_switches.h"
#include "render/rotation_math.h"
#include "render/wide_margins.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

placement_set_state placement_sets;
pause_view_state pause_view;

namespace {

constexpr double WORLD_BOUND = 12582912.0;  // 0xC00000
constexpr int32_t ONE = 0x7FFF;
constexpr int32_t SCREEN_DIAGONAL = 0x7FFE;
constexpr int32_t DEFAULT_FOCAL = 0x4548;
constexpr int32_t DEFAULT_SHIFT = 5;
constexpr int32_t DEFAULT_PRIO_BASE = 7;
constexpr int32_t SCREEN_FOCAL = 0x6666;
constexpr int32_t SCREEN_SHIFT = 6;
constexpr int32_t SCREEN_PRIO_BASE = 6;
constexpr int32_t LENS_PRIO_BASE = 5;
constexpr int32_t ENDING_PRIO_BASE = 4;
constexpr int32_t UNSHIFTED_MODEL = 802;      // spans the wide picture by itself
constexpr int32_t CAMERA_PIVOT_MODEL = 39;    // turned about the camera when paused
constexpr int32_t PREFERRED_PIVOTS[2] = {69, 44};
constexpr int32_t ENDING_SUB_STATE = 15;
constexpr int32_t SCREEN_CENTRE_X16 = 320 * 16;

// View-block words.
constexpr int VB_FOV = 14, VB_HALF_W = 15, VB_HALF_H = 16, VB_OFFSET_X = 18, VB_OFFSET_Y = 19, VB_PRIO_BASE = 20;

bool in_flight() {
    int32_t sub = wram_long(W_GAME_SUB_STATE);
    return wram_long(W_GAME_STATE) == 3 && (sub == 3 || sub == 5);
}

// Word `word` of view block `prio` of the current buffer; false when it lies outside
// dspram (or the list has no view area).
bool view_word(int32_t prio, int word, int32_t* out) {
    int64_t base = dl_source.list_base;
    if (base <= 0x3FF || prio < 0 || prio > 7) return false;
    int64_t at = base - 0x400 + 128 * int64_t(prio) + 4 * word;
    if (at < 0 || at + 4 > int64_t(sizeof board_memory.dspram)) return false;
    memcpy(out, &dspram[at], 4);
    return true;
}

int32_t saturate32(double d) {
    if (!(d > INT32_MIN - 1.0)) return d != d ? 0 : INT32_MIN;
    if (!(d < INT32_MAX + 1.0)) return INT32_MAX;
    return int32_t(d);
}

double degrees_tan(double sixty_fourths) {
    return std::tan(sixty_fourths / 64.0 * M_PI / 180.0);
}

// ---- Two-pass placement sets ----------------------------------------------------------

uint64_t position_key(double x, double y, double z) {
    uint64_t kz = uint32_t(saturate32(z));
    uint64_t ky = uint32_t(uint32_t(saturate32(y)) << 16);
    uint64_t kx = uint64_t(int64_t(saturate32(x))) << 32;
    return (kz ^ ky ^ kx) | 1;
}

// True when the key is in the table; inserts it otherwise when `insert` is set.
bool set_probe(uint64_t* table, uint64_t key, bool insert) {
    uint32_t slot = uint32_t((key * 0x9E3779B97F4A7C15ull) >> 50);
    for (int32_t n = 0; n < PLACEMENT_SET_SIZE; n++) {
        uint64_t& e = table[slot];
        if (e == key) return true;
        if (e == 0) {
            if (insert) e = key;
            return false;
        }
        slot = (slot + 1) % PLACEMENT_SET_SIZE;
    }
    return false;
}

// False when the second pass finds the placement already drawn.
bool placement_set_admits(int32_t model, double x, double y, double z) {
    placement_set_state& p = placement_sets;
    if (p.pass == WALK_PASS_SINGLE) return true;
    uint64_t key = position_key(x, y, z);
    if (p.pass == WALK_PASS_FIRST) {
        set_probe(p.first, key, true);
        return true;
    }
    uint64_t with_model = (key ^ (uint64_t(uint32_t(model)) << 48)) | 1;
    if (set_probe(p.first, key, false) || set_probe(p.sides, with_model, true)) {
        p.already_drawn++;
        return false;
    }
    p.added_at_sides++;
    return true;
}

// ---- Camera pieces -------------------------------------------------------------------

struct placement_view {
    int32_t cam[9];   // camera matrix
    int32_t view[9];  // view matrix
    bool screen;      // drawn in screen space
};

void diagonal(int32_t m[9], int32_t d) {
    mat3_identity(m, d);
}

// Lens view of prio 2: focal length from the field of view and a window of the block.
void lens_view_apply(geo_camera_record& c) {
    int32_t w14, w15, w16, w18, w19;
    if (!view_word(2, VB_FOV, &w14) || !view_word(2, VB_HALF_W, &w15) || !view_word(2, VB_HALF_H, &w16) ||
        !view_word(2, VB_OFFSET_X, &w18) || !view_word(2, VB_OFFSET_Y, &w19))
        return;
    static uint32_t lens_logged_frame = UINT32_MAX;
    if (renderer_switches.lensdbg && lens_logged_frame != engine_frame_counter) {
        lens_logged_frame = engine_frame_counter;
        fprintf(stderr, "[LENS] f%u base=%X w14=%d w15=%d w16=%d w18=%d w19=%d\n", engine_frame_counter,
                uint32_t(dl_source.list_base), w14, w15, w16, w18, w19);
    }
    if (w16 < 1 || w16 > 240 || w15 < 1 || w15 > 320 || (w15 == 320 && w16 == 240)) return;
    if (w18 < -640 || w18 > 640 || w19 < -480 || w19 > 480) return;
    int32_t angle = (w14 >= 64 && w14 < 5697) ? w14 : 1920;
    double q = w15 / degrees_tan(angle);
    int j = 0;
    while (2 * q < 0x7FFF && j < 15) q *= 2, j++;
    c.focal = saturate32(q + 0.5);
    c.shift = j;
    c.ox = c.oy = 0;
    c.window = 1;
    c.prio_base = LENS_PRIO_BASE;
    c.left = float(-w15 - w18 - 0.5);
    c.right = float(w18 - w15 - 0.5);
    c.top = float(w19 - w16 - 0.5);
    c.bottom = float(-w16 - w19 - 0.5);
}

// Priority base and focal length of the view block of prio (the game's own view).
void view_block_apply(geo_camera_record& c, int32_t prio) {
    const renderer_switch_set& s = renderer_switches;
    int32_t g, base;
    if (!view_word(prio, VB_FOV, &g) || g < 256 || g > 7936) return;
    if (!s.vp_ap_legacy && view_word(prio, VB_PRIO_BASE, &base) && base < 8) c.prio_base = base;
    if (s.vp_zoom_legacy) return;
    double y = 320.0 / degrees_tan(g);
    int k = 0;
    while (k < 15 && std::ldexp(y, k + 1) < 0x8000) k++;
    c.focal = saturate32(std::round(std::ldexp(y, k)));
    c.shift = k;
}

// The ending's viewpoint from the ending camera words.
void ending_view_apply(geo_camera_record& c) {
    int32_t e = w_word(W_VIEW_WIDTH), h = w_word(W_VIEW_CENTRE), u = w_word(W_VIEW_CENTRE + 2);
    if (e <= 0 || u <= 0) return;
    double at = e * std::sqrt(3.0);
    int k = 0;
    while (k < 15 && std::ldexp(at, k + 1) <= 0x7FFF) k++;
    c.focal = saturate32(std::ldexp(at, k));
    c.shift = k;
    c.window = 1;
    c.prio_base = ENDING_PRIO_BASE;
    c.ox = int16_t(((int64_t(h) * (320 - e) * 2) >> 8) + e - 320);
    c.oy = int16_t(-(u + ((int64_t(u) * -13) >> 3) + 150));
    c.left = c.right = float(-(e + 0.5));
    c.top = c.bottom = float(-(u + 0.5));
}

// Model rotation from the raw node matrix, or the scale; then halved.
void raw_matrix_apply(int32_t m[9], const int32_t view[9]) {
    const renderer_switch_set& s = renderer_switches;
    const dl_walk_state& w = dl_walk;
    bool raw = w.raw_captured && !s.no_nmat;
    if (raw) {
        int32_t n[9];
        for (int r = 0; r < 3; r++)
            for (int col = 0; col < 3; col++) n[3 * r + col] = w.raw[(s.nmat_order & 2) ? r + 3 * col : 3 * r + col];
        if (!s.nmat_compose)
            mat3_mul_fx15(n, view, m);
        else if (s.nmat_order & 1)
            mat3_mul_fx15(m, n, m);
        else
            mat3_mul_fx15(n, m, m);
    } else {
        int32_t scale = w.raw_captured ? w.raw[0] : ONE;
        if (scale != ONE)
            for (int k = 0; k < 9; k++) m[k] = int32_t(uint32_t(uint64_t((int64_t(m[k]) * scale) >> 15)));
    }
    if (!(raw && s.nmat_nohalf))
        for (int k = 0; k < 9; k++) m[k] >>= 1;
    if (s.live_mscale_set)
        for (int k = 0; k < 9; k++) m[k] = saturate32(m[k] * 2.0 * s.live_mscale);
}

// Rotation by `angle` degrees about the unit axis a (rows: v' = v x R).
void axis_rotation(const double a[3], double angle, double r[3][3]) {
    double t = angle * M_PI / 180.0, c = std::cos(t), s = std::sin(t), k = 1 - c;
    r[0][0] = c + a[0] * a[0] * k, r[0][1] = a[0] * a[1] * k + a[2] * s, r[0][2] = a[0] * a[2] * k - a[1] * s;
    r[1][0] = a[1] * a[0] * k - a[2] * s, r[1][1] = c + a[1] * a[1] * k, r[1][2] = a[1] * a[2] * k + a[0] * s;
    r[2][0] = a[2] * a[0] * k + a[1] * s, r[2][1] = a[2] * a[1] * k - a[0] * s, r[2][2] = c + a[2] * a[2] * k;
}

// The paused camera turns about the pivot: yaw about the view's up axis, then pitch
// about the horizontal axis across it.
void pause_orbit_apply(geo_camera_record& c, int32_t model, int32_t t[3]) {
    double u[3] = {double(c.v[3]), double(c.v[4]), double(c.v[5])};
    double len = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    if (len < 1)
        u[0] = 0, u[1] = 1, u[2] = 0;
    else
        for (double& e : u) e /= len;
    double w[3] = {u[1], -u[0], 0};
    double wl = u[0] * u[0] + u[1] * u[1];
    if (wl < 0.001 * 0.001)
        w[0] = 1, w[1] = 0;
    else
        w[0] /= std::sqrt(wl), w[1] /= std::sqrt(wl);
    double ry[3][3], rp[3][3];
    axis_rotation(u, pause_view.yaw, ry);
    axis_rotation(w, pause_view.pitch, rp);
    int32_t rot[9];
    for (int r = 0; r < 3; r++)
        for (int col = 0; col < 3; col++) {
            double e = ry[r][0] * rp[0][col] + ry[r][1] * rp[1][col] + ry[r][2] * rp[2][col];
            rot[3 * r + col] = int32_t(std::lround(32767 * e));
        }
    mat3_mul_fx15(c.m, rot, c.m);
    mat3_mul_fx15(c.v, rot, c.v);
    bool about_camera = model == CAMERA_PIVOT_MODEL || !pause_view.pivot_set;
    int32_t p[3] = {0, 0, 0};
    if (!about_camera) memcpy(p, pause_view.pivot, sizeof p);
    const int64_t d[3] = {int64_t(t[0]) - p[0], int64_t(t[1]) - p[1], int64_t(t[2]) - p[2]};
    int32_t turned[3];
    vec3_mul_fx(d, rot, 15, turned);
    for (int k = 0; k < 3; k++) t[k] = saturate32(double(p[k]) + turned[k]);
    if (model == CAMERA_PIVOT_MODEL) return;
    double back = pause_view.distance;
    if (p[2] > 2000 && 2000.0 - p[2] > back) back = 2000.0 - p[2];
    t[2] = saturate32(t[2] + back);
}

void pivot_candidate_note(int32_t model, const int32_t t[3]) {
    pause_view_state& p = pause_view;
    bool preferred = model == PREFERRED_PIVOTS[0] || model == PREFERRED_PIVOTS[1];
    if (p.candidate_preferred || (p.candidate_set && !preferred)) return;
    memcpy(p.candidate, t, sizeof p.candidate);
    p.candidate_set = true;
    p.candidate_preferred = preferred;
}

// ---- Wide-screen HUD shift -----------------------------------------------------------

void quad_shift(quad_record& q, int32_t pixels) {
    int32_t d = pixels * 16;
    for (quad_vertex& v : q.src)
        if (v.valid) v.sx += d;
    for (int32_t k = 0; k < q.near_count && k < 10; k++) q.near[k].sx += d;
    for (int32_t k = 0; k < q.band_count && k < 10; k++) q.band[k].sx += d;
}

void hud_shift_apply(int32_t first) {
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int32_t i = first; i < frame_quad_count; i++)
        for (int32_t k = 0; k < frame_quads[i].near_count && k < 10; k++) {
            int32_t sx = frame_quads[i].near[k].sx;
            lo = sx < lo ? sx : lo;
            hi = sx > hi ? sx : hi;
        }
    if (lo > hi) return;
    if (lo < SCREEN_CENTRE_X16 && hi > SCREEN_CENTRE_X16) {
        if (!in_flight() || renderer_switches.hud_centre) return;
        int32_t margin = std::abs(hud_margin_left);
        for (int32_t i = first; i < frame_quad_count; i++) {
            quad_record& q = frame_quads[i];
            if (q.near_count < 1) continue;
            double sum = 0;
            for (int32_t k = 0; k < q.near_count && k < 10; k++) sum += q.near[k].sx;
            double centre = sum / (q.near_count < 10 ? q.near_count : 10) / 16.0 - 320.0;
            quad_shift(q, centre < -40 ? -margin : centre > 40 ? margin : 0);
        }
        return;
    }
    int32_t shift = wide_hud_offset(int32_t((int64_t(lo) + hi) / 32 - 320));
    if (shift == 0) return;
    for (int32_t i = first; i < frame_quad_count; i++) quad_shift(frame_quads[i], shift);
}

void print_matrix_line(const char* tag, int32_t code, const int32_t m[9], const int32_t t[3]) {
    fprintf(stderr, "[%s] code=%d m=%d %d %d %d %d %d %d %d %d t=%d %d %d\n", tag, code, m[0], m[1], m[2], m[3], m[4],
            m[5], m[6], m[7], m[8], t[0], t[1], t[2]);
}

}  // namespace

bool ending_viewpoint_active() {
    return wram_long(W_GAME_SUB_STATE) == ENDING_SUB_STATE && !renderer_switches.no_ending_vp;
}

bool view_legacy_test() {
    int32_t p = dl_walk.prio;
    return !renderer_switches.vp_legacy && (p == 2 || (p >= 4 && p <= 7));
}

bool screen_model_test(int32_t model) {
    const renderer_switch_set& s = renderer_switches;
    const dl_walk_state& w = dl_walk;
    if (ending_viewpoint_active()) {
        if (w.prio == 0) return true;
        return !s.end8001_world && w.header_code == 0x8001;
    }
    if (s.hud_by_model) return model >= 610 && model <= 637;
    if (!s.vp_view_legacy && w.prio >= 1 && w.prio <= 7 && dl_source.list_base > 0x3FF) {
        static const int32_t unrotated[6] = {0, ONE, 0, ONE, 0, ONE};
        for (int k = 0; k < 6; k++) {
            int32_t v;
            if (!view_word(w.prio, 1 + k, &v) || v != unrotated[k]) return false;
        }
        return true;
    }
    return s.hud_vp1only ? w.prio == 1 : (w.prio & ~2) == 1;
}

int32_t wide_hud_offset(int32_t x) {
    int32_t left = hud_margin_left;
    if (left >= 0 || renderer_switches.hud_centre || !in_flight()) return 0;
    int32_t margin = std::abs(left);
    return x < -60 ? -margin : x > 60 ? margin : 0;
}

void placement_sets_clear() {
    memset(&placement_sets, 0, sizeof placement_sets);
}

namespace {

// The model diagnostics of a placement: its distance sample, its blink record and its
// line of the distance dump.
void placement_diagnostics(int32_t model, int32_t code, const int32_t m[9], const int32_t t[3]) {
    dist_sample_add(code, double(t[0]) * t[0] + double(t[1]) * t[1] + double(t[2]) * t[2]);
    blink_model_seen(code);
    if (!dist_dump_open()) return;
    FILE* f = dist_dump_file();
    fprintf(f, "P %d %d %d %d", model, t[0], t[1], t[2]);
    if (renderer_switches.dist_mat)
        for (int k = 0; k < 9; k++) fprintf(f, " %d", m[k]);
    fputc('\n', f);
}

}  // namespace

void pause_pivot_frame_end() {
    pause_view_state& p = pause_view;
    if (p.candidate_set) {
        memcpy(p.pivot, p.candidate, sizeof p.pivot);
        p.pivot_set = true;
    }
    p.candidate_set = p.candidate_preferred = false;
}

void render_model(int32_t model, const int32_t* rotation, double x, double y, double z) {
    const renderer_switch_set& s = renderer_switches;
    const dl_walk_state& w = dl_walk;
    if (model < 1 || uint32_t(model) >= point_rom_count) return;
    if (!placement_set_admits(model, x, y, z)) return;
    if (std::fabs(x) > WORLD_BOUND || std::fabs(y) > WORLD_BOUND || std::fabs(z) > WORLD_BOUND) {
        static bool reported = false;
        if (!reported && verbose_enabled())
            fprintf(stderr, "  [GUARD] placement out of world bounds (model %d at %.0f,%.0f,%.0f) -- skipped; see renderer_3d\n",
                    model, x, y, z);
        reported = true;
        return;
    }
    int32_t code = model + MODEL_CODE_OFFSET;
    static int trace_lines = 0;
    if (model == s.trace_model && trace_lines < 6) {
        trace_lines++;
        fprintf(stderr, "    [TRACEM] code=%d raw px,py,pz = (%.0f,%.0f,%.0f) rot=%s\n", code, x, y, z,
                rotation ? "yes" : "no");
    }

    geo_camera_record c;
    memset(&c, 0, sizeof c);
    c.obj_shift = s.no_objshift ? 0 : w.object_shift;
    placement_view pv;
    if (s.geo_identity)
        diagonal(pv.cam, ONE);
    else
        camera_matrix_build(pv.cam, !s.no_roll);
    memcpy(pv.view, pv.cam, sizeof pv.view);
    c.lx = 0, c.ly = 0x5A82, c.lz = -0x5A82;
    c.ambient = 20, c.light_scale = 200;
    if (s.no_light) {
        memset(pv.view, 0, sizeof pv.view);
        c.lx = c.ly = c.lz = c.ambient = c.light_scale = 0;
    }

    bool node = w.has_node_matrix;
    pv.screen = !s.no_hudfix && screen_model_test(model);
    bool legacy_view = view_legacy_test();
    if (pv.screen || legacy_view) {
        diagonal(pv.cam, SCREEN_DIAGONAL);
        diagonal(pv.view, SCREEN_DIAGONAL);
        if (pv.screen && s.hud_norot) node = false, rotation = nullptr;
    }

    if (node || rotation) {
        int32_t r[9];
        if (node)
            memcpy(r, w.node_matrix, sizeof r);
        else
            euler_rotation_compose(rotation, r, w.axis_order >= 0 ? w.axis_order : s.geo_euler);
        mat3_mul_fx15(r, pv.cam, c.m);
    } else {
        memcpy(c.m, pv.cam, sizeof c.m);
    }

    const int64_t pos[3] = {int64_t(x), int64_t(y), int64_t(z)};
    int32_t t[3];
    if (s.seam_legacy) {
        vec3_mul_fx(pos, pv.view, 15, t);
    } else {
        int32_t half[9];
        for (int k = 0; k < 9; k++) half[k] = pv.view[k] >> 1;
        vec3_mul_fx(pos, half, 14, t);
    }
    if (s.drawmat) print_matrix_line("DRAW", code, c.m, t);
    if (w.prio == 0 && !pv.screen && model_code_class_test(code)) pivot_candidate_note(model, t);

    c.prio_base = legacy_view ? DEFAULT_PRIO_BASE - w.prio : DEFAULT_PRIO_BASE;
    if (s.live_ap_set) c.prio_base = s.live_ap;
    c.focal = DEFAULT_FOCAL;
    c.shift = DEFAULT_SHIFT;
    if (pv.screen && !ending_viewpoint_active()) {
        c.prio_base = SCREEN_PRIO_BASE;
        c.focal = SCREEN_FOCAL;
        c.shift = SCREEN_SHIFT;
        if (s.hud_flat) c.lx = c.ly = c.lz = 0, c.ambient = 64, c.light_scale = 0;
    }
    if (w.prio == 2 && !s.no_lensvp && dl_source.list_base > 0x3FF) lens_view_apply(c);
    raw_matrix_apply(c.m, pv.view);
    view_block_apply(c, w.prio);
    if (s.live_zoom_focal != 0) c.focal = s.live_zoom_focal, c.shift = s.live_zoom_shift;
    c.ox = c.oy = 0;
    if (ending_viewpoint_active() && w.prio == 3) ending_view_apply(c);
    c.cull_sense = s.geo_cullflip ? 1 : 0;
    memcpy(c.v, pv.view, sizeof c.v);
    placement_diagnostics(model, code, c.m, t);
    if (pause_view.active) pause_orbit_apply(c, model, t);
    c.tx = t[0], c.ty = t[1], c.tz = t[2];

    geo_camera_set(&c);
    if (s.cmddump)
        fprintf(stderr, "[CMD] render code=%d prio=%d rot=%s mode=0x%04x @word %d\n", code, w.print_prio,
                rotation ? "yes" : "no", uint32_t(w.header_code), w.word_index);
    geo_current_code = code;
    int32_t first = frame_quad_count;
    const geo_counter_block before = geo_counters;
    uint32_t emitted = geo_counters.emitted, culled = geo_counters.cull;
    model_quads_emit(code, quad_sink_live, nullptr);
    blink_add_quads(code, geo_counters.behind - before.behind, geo_counters.cull - before.cull,
                    geo_counters.partclip - before.partclip);
    blink_quads_drawn(code, uint32_t(frame_quad_count - first));
    if (hud_margin_left < 0 && model != UNSHIFTED_MODEL && frame_quad_count > first && pv.screen)
        hud_shift_apply(first);
    geo_current_code = -1;
    static int models_logged = 0;
    if (verbose_enabled() && models_logged < 8) {
        models_logged++;
        fprintf(stderr, "  [MODEL] id=%d rot=%s emitted+=%u cull+=%u\n", code, rotation ? "yes" : "no",
                geo_counters.emitted - emitted, geo_counters.cull - culled);
    }
}
