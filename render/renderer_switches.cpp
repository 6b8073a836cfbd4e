#include "render/renderer_switches.h"

#include "base/env_switch.h"
#include "render/dl_walker.h"
#include "render/pick_lists.h"

#include <cstdio>
#include <cstdlib>

renderer_switch_set renderer_switches = {
    .dsp32 = 0, .max_data = 4096, .no_cursor_bound = 0, .no_empty_list = 0, .hard_8010 = 0,
    .raw_objshift = 0, .rot8002 = 0, .no_8002_flagord = 0, .asm_mode = 5, .root15 = 1, .rot8008 = 1,
    .slot_legacy = 0, .nmat_order = 2, .no_nmat = 0, .nmat_nohalf = 0, .nmat_compose = 0,
    .geo_euler = 3, .geo_euler_8008 = 4, .geo_euler_p = -1,
    .no_objshift = 0, .geo_identity = 0, .no_light = 0, .no_roll = 0, .no_hudfix = 0, .hud_norot = 0,
    .hud_flat = 0, .hud_by_model = 0, .hud_vp1only = 0, .vp_view_legacy = 0, .vp_legacy = 0,
    .vp_ap_legacy = 0, .vp_zoom_legacy = 0, .no_lensvp = 0, .live_ap_set = 0, .live_ap = 0,
    .live_zoom_focal = 0, .live_zoom_shift = 0, .live_mscale_set = 0, .live_mscale = 0.0f,
    .no_ending_vp = 0, .end8001_world = 0, .geo_cullflip = 0, .seam_legacy = 0, .hud_centre = 0,
    .guardband_legacy = 0, .only_code = -1, .vdump = 0, .bbox = -1, .zord = 0,
    .cmddump = 0, .rigdump = 0, .matdump = 0, .drawmat = 0, .dbg8002 = 0, .trace_model = -1, .lensdbg = 0,
    .geo_preview = 0, .geo_noshade = 0, .geo_nofog = 0, .texel_centre = 1, .no_sprites = 0, .no_text = 0, .tie_emit = 0,
    .zfight = 0, .seamdump = nullptr, .pick = -1, .pickerdbg = 0, .sprc = 0, .dist_mat = 0,
    .widefill_log = 0,
};
bool renderer_switches_loaded = false;
seam_test_state seam_test;
free_camera_state free_camera;
bool level_view = false;

model_viewer_state model_viewer;

namespace {

bool in_range(int32_t v, int32_t lo, int32_t hi) {
    return v >= lo && v <= hi;
}

}  // namespace

void renderer_switches_read() {
    renderer_switch_set& s = renderer_switches;
    s.dsp32 = env_on("SKYVOLTA_DSP32", true);
    s.max_data = env_int("SKYVOLTA_MAXDATA", 4096, true);
    s.no_cursor_bound = env_present("SKYVOLTA_NO_CURSOR_BOUND");
    s.no_empty_list = env_present("SKYVOLTA_NO_EMPTYLIST");
    s.hard_8010 = env_present("SKYVOLTA_HARD_8010");
    s.raw_objshift = env_present("SKYVOLTA_RAW_OBJSHIFT");
    s.rot8002 = env_int("SKYVOLTA_ROT8002", 0, true);
    s.no_8002_flagord = env_present("SKYVOLTA_NO_8002_FLAGORD");
    s.asm_mode = env_int("SKYVOLTA_ASM", 5);
    s.root15 = env_int("SKYVOLTA_ROOT15", 1);
    s.rot8008 = env_int("SKYVOLTA_ROT8008", 1);
    s.slot_legacy = env_present("SKYVOLTA_SLOT_LEGACY");
    s.nmat_order = env_int("SKYVOLTA_NMAT_ORDER", 2);
    s.no_nmat = env_on("SKYVOLTA_NO_NMAT");
    s.nmat_nohalf = env_on("SKYVOLTA_NMAT_NOHALF");
    s.nmat_compose = env_on("SKYVOLTA_NMAT_COMPOSE");
    s.geo_euler = env_int("SKYVOLTA_GEO_EULER", 3);
    s.geo_euler_8008 = env_int("SKYVOLTA_GEO_EULER_8008", 4);
    s.geo_euler_p = env_int("SKYVOLTA_GEO_EULER_P", -1);

    s.no_objshift = env_present("SKYVOLTA_NO_OBJSHIFT");
    s.geo_identity = env_on("SKYVOLTA_GEO_IDENTITY");
    s.no_light = env_on("SKYVOLTA_NO_LIGHT");
    s.no_roll = env_on("SKYVOLTA_NO_ROLL");
    s.no_hudfix = env_present("SKYVOLTA_NO_HUDFIX");
    s.hud_norot = env_present("SKYVOLTA_HUD_NOROT");
    s.hud_flat = env_present("SKYVOLTA_HUD_FLAT");
    s.hud_by_model = env_present("SKYVOLTA_HUD_BY_MODEL");
    s.hud_vp1only = env_present("SKYVOLTA_HUD_VP1ONLY");
    s.vp_view_legacy = env_present("SKYVOLTA_VP_VIEW_LEGACY");
    s.vp_legacy = env_on("SKYVOLTA_VP_LEGACY", true);
    s.vp_ap_legacy = env_present("SKYVOLTA_VP_AP_LEGACY");
    s.vp_zoom_legacy = env_on("SKYVOLTA_VP_ZOOM_LEGACY");
    s.no_lensvp = env_present("SKYVOLTA_NO_LENSVP");
    s.live_ap_set = env_present("SKYVOLTA_LIVE_AP");
    s.live_ap = env_int("SKYVOLTA_LIVE_AP", 0);
    s.live_zoom_focal = s.live_zoom_shift = 0;
    if (const char* z = env_text("SKYVOLTA_LIVE_ZOOM")) {
        int f = 0, sh = 0;
        if (sscanf(z, "%d,%d", &f, &sh) == 2) s.live_zoom_focal = f, s.live_zoom_shift = sh;
    }
    const char* m = env_text("SKYVOLTA_LIVE_MSCALE");
    s.live_mscale_set = m != nullptr;
    s.live_mscale = m ? strtof(m, nullptr) : 0.0f;
    s.no_ending_vp = env_on("SKYVOLTA_NO_ENDING_VP");
    s.end8001_world = env_on("SKYVOLTA_END8001_WORLD", true);
    s.geo_cullflip = env_on("SKYVOLTA_GEO_CULLFLIP");
    s.seam_legacy = env_present("SKYVOLTA_SEAM_LEGACY");
    // The wide_hud setting sets the centring switch first; a non-empty variable overrides it.
    s.hud_centre = env_int("SKYVOLTA_WIDE_HUD_CENTER", s.hud_centre, true) != 0;

    s.guardband_legacy = env_on("SKYVOLTA_GUARDBAND_LEGACY");
    s.only_code = env_int("SKYVOLTA_ONLY_CODE", -1, true);
    s.vdump = env_int("SKYVOLTA_VDUMP", 0, true);
    s.bbox = env_int("SKYVOLTA_BBOX", -1);
    s.zord = env_present("SKYVOLTA_ZORD");

    s.cmddump = env_present("SKYVOLTA_CMDDUMP");
    s.rigdump = env_present("SKYVOLTA_RIGDUMP");
    s.matdump = env_present("SKYVOLTA_MATDUMP");
    s.drawmat = env_on("SKYVOLTA_DRAWMAT");
    s.dbg8002 = env_present("SKYVOLTA_8002DBG");
    s.trace_model = env_int("SKYVOLTA_TRACE_MODEL", -1);
    s.lensdbg = env_present("SKYVOLTA_LENSDBG");

    s.geo_preview = !env_default_on("SKYVOLTA_GEO_HW");
    s.dist_mat = env_on("SKYVOLTA_DIST_MAT");
    s.geo_noshade = env_on("SKYVOLTA_GEO_NOSHADE");
    s.geo_nofog = env_on("SKYVOLTA_GEO_NOFOG");
    s.texel_centre = env_int("SKYVOLTA_TEXEL_CENTRE", 1);
    s.no_sprites = env_on("SKYVOLTA_NO_SPRITES");
    s.no_text = env_on("SKYVOLTA_NO_TEXT");
    s.tie_emit = env_present("SKYVOLTA_TIE_EMIT");
    s.zfight = env_on("SKYVOLTA_ZFIGHT");
    s.seamdump = env_text("SKYVOLTA_SEAMDUMP");
    s.pick = env_int("SKYVOLTA_PICK", -1);
    s.pickerdbg = env_on("SKYVOLTA_PICKERDBG");
    s.sprc = env_present("SKYVOLTA_SPRC");
    s.widefill_log = env_present("SKYVOLTA_WIDEFILL_LOG");
    if (const char* seams = env_text("SKYVOLTA_SEAMTEST")) seam_test_parse(seams);
    if (s.pick >= 0) object_highlight_set(s.pick);
    renderer_switches_loaded = true;
}

void seam_test_parse(const char* text) {
    seam_test.active = 1;
    seam_test.count = 0;
    const char* p = text;
    while (seam_test.count < SEAM_RANGES_MAX) {
        char* end = nullptr;
        long a = strtol(p, &end, 10);
        if (end == p) break;
        long b = a;
        p = end;
        if (*p == '-') {
            b = strtol(p + 1, &end, 10);
            if (end == p + 1) break;
            p = end;
        }
        seam_test.low[seam_test.count] = int32_t(a);
        seam_test.high[seam_test.count] = int32_t(b);
        seam_test.count++;
        if (*p != ',') break;
        p++;
    }
}

void free_camera_offset_add(float dx, float dy, float dz, float* new_x, float* new_y) {
    free_camera.x += dx;
    free_camera.y += dy;
    free_camera.z += dz;
    if (new_x) *new_x = free_camera.x;
    if (new_y) *new_y = free_camera.y;
}

void level_view_toggle() {
    level_view = !level_view;
    printf("[LEVEL] Level view %s\n", level_view ? "ON" : "OFF");
}

void renderer_reset() {
    free_camera = free_camera_state{};
    dl_walker_reset();
}

void model_viewer_select(long code) {
    model_viewer.code = code;
    model_viewer.spin = 30.0f;
    printf("[3D-VIEWER] Viewing model 0x%lX (%ld)\n", code, code);
}

int model_code_class_test(int32_t code) {
    // Both classes are enabled for the whole run.
    bool class_a = in_range(code, 113, 118) || in_range(code, 138, 145);
    bool class_b = in_range(code, 119, 136) || in_range(code, 146, 161) || code == 163 || code == 186;
    return class_a || class_b ? 1 : 0;
}
