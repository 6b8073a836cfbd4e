// Renderer switches, pick lists and viewer controls.
#pragma once
#include <cstdint>

// The environment switches the display-list walk, the model placement and the live quad
// sink read. The initial values are the defaults (every variable unset);
// renderer_switches_read fills them from the environment once at start-up.
struct renderer_switch_set {
    // Display-list walk.
    int dsp32;             // SKYVOLTA_DSP32: words read as 32 bits
    int max_data;          // SKYVOLTA_MAXDATA: plain records per walk (below 1: 4096)
    int no_cursor_bound;   // SKYVOLTA_NO_CURSOR_BOUND
    int no_empty_list;     // SKYVOLTA_NO_EMPTYLIST
    int hard_8010;         // SKYVOLTA_HARD_8010
    int raw_objshift;      // SKYVOLTA_RAW_OBJSHIFT
    int rot8002;           // SKYVOLTA_ROT8002: swap the words of each record pair
    int no_8002_flagord;   // SKYVOLTA_NO_8002_FLAGORD
    int asm_mode;          // SKYVOLTA_ASM: node-transform assembly mode 0..6
    int root15;            // SKYVOLTA_ROOT15
    int rot8008;           // SKYVOLTA_ROT8008
    int slot_legacy;       // SKYVOLTA_SLOT_LEGACY
    int nmat_order;        // SKYVOLTA_NMAT_ORDER: bit 1 column order, bit 0 compose side
    int no_nmat;           // SKYVOLTA_NO_NMAT
    int nmat_nohalf;       // SKYVOLTA_NMAT_NOHALF
    int nmat_compose;      // SKYVOLTA_NMAT_COMPOSE
    int geo_euler;         // SKYVOLTA_GEO_EULER
    int geo_euler_8008;    // SKYVOLTA_GEO_EULER_8008
    int geo_euler_p;       // SKYVOLTA_GEO_EULER_P (-1: as 0x8008)
    // Model placement.
    int no_objshift;       // SKYVOLTA_NO_OBJSHIFT
    int geo_identity;      // SKYVOLTA_GEO_IDENTITY
    int no_light;          // SKYVOLTA_NO_LIGHT
    int no_roll;           // SKYVOLTA_NO_ROLL
    int no_hudfix;         // SKYVOLTA_NO_HUDFIX
    int hud_norot;         // SKYVOLTA_HUD_NOROT
    int hud_flat;          // SKYVOLTA_HUD_FLAT
    int hud_by_model;      // SKYVOLTA_HUD_BY_MODEL
    int hud_vp1only;       // SKYVOLTA_HUD_VP1ONLY
    int vp_view_legacy;    // SKYVOLTA_VP_VIEW_LEGACY
    int vp_legacy;         // SKYVOLTA_VP_LEGACY
    int vp_ap_legacy;      // SKYVOLTA_VP_AP_LEGACY
    int vp_zoom_legacy;    // SKYVOLTA_VP_ZOOM_LEGACY
    int no_lensvp;         // SKYVOLTA_NO_LENSVP
    int live_ap_set, live_ap;          // SKYVOLTA_LIVE_AP
    int live_zoom_focal, live_zoom_shift;  // SKYVOLTA_LIVE_ZOOM "f,s" (f 0: none)
    int live_mscale_set;   // SKYVOLTA_LIVE_MSCALE
    float live_mscale;
    int no_ending_vp;      // SKYVOLTA_NO_ENDING_VP
    int end8001_world;     // SKYVOLTA_END8001_WORLD
    int geo_cullflip;      // SKYVOLTA_GEO_CULLFLIP
    int seam_legacy;       // SKYVOLTA_SEAM_LEGACY
    int hud_centre;        // HUD-centring switch: the wide_hud setting, SKYVOLTA_WIDE_HUD_CENTER
    // Live quad sink.
    int guardband_legacy;  // SKYVOLTA_GUARDBAND_LEGACY
    int only_code;         // SKYVOLTA_ONLY_CODE (-1: all)
    int vdump;             // SKYVOLTA_VDUMP
    int bbox;              // SKYVOLTA_BBOX: model code whose screen box is kept (-1: none)
    int zord;              // SKYVOLTA_ZORD: per-code depth report each frame
    // Logs.
    int cmddump;           // SKYVOLTA_CMDDUMP
    int rigdump;           // SKYVOLTA_RIGDUMP
    int matdump;           // SKYVOLTA_MATDUMP
    int drawmat;           // SKYVOLTA_DRAWMAT
    int dbg8002;           // SKYVOLTA_8002DBG
    int trace_model;       // SKYVOLTA_TRACE_MODEL (-1: none)
    int lensdbg;           // SKYVOLTA_LENSDBG
    // Frame render.
    int geo_preview;       // SKYVOLTA_GEO_HW beginning with '0': placements go to the
                           // immediate-mode drawing of the model diagnostics
    int geo_noshade;       // SKYVOLTA_GEO_NOSHADE
    int geo_nofog;         // SKYVOLTA_GEO_NOFOG: no fog, colour scale or fade quad
    int texel_centre;      // SKYVOLTA_TEXEL_CENTRE
    int no_sprites;        // SKYVOLTA_NO_SPRITES
    int no_text;           // SKYVOLTA_NO_TEXT
    int tie_emit;          // SKYVOLTA_TIE_EMIT: equal keys keep their arrival order
    int zfight;            // SKYVOLTA_ZFIGHT
    const char* seamdump;  // SKYVOLTA_SEAMDUMP: file of drawn quads' near vertices
    int pick;              // SKYVOLTA_PICK: object highlight at start-up (-1: none)
    int pickerdbg;         // SKYVOLTA_PICKERDBG
    int sprc;              // SKYVOLTA_SPRC
    int dist_mat;          // SKYVOLTA_DIST_MAT: distance dump lines with the rotation
    int widefill_log;      // SKYVOLTA_WIDEFILL_LOG: side-fill statistics every 60 frames
};
extern renderer_switch_set renderer_switches;

// Reads the switches above from the environment (start-up; the first frame render
// reads them when start-up did not), and the seam test and pick of start-up.
void renderer_switches_read();
extern bool renderer_switches_loaded;

// The seam test: quads of the listed model-code ranges are not drawn.
constexpr int SEAM_RANGES_MAX = 16;
struct seam_test_state {
    int active;
    int count;
    int32_t low[SEAM_RANGES_MAX], high[SEAM_RANGES_MAX];
};
extern seam_test_state seam_test;
// "a" or "a-b" items separated by commas, at most 16; turns the test on.
void seam_test_parse(const char* text);

// Offsets of the perspective preview's free camera; the main loop's camera keys add to
// them. Gives the new x and y.
struct free_camera_state {
    float x, y, z;
};
extern free_camera_state free_camera;
void free_camera_offset_add(float dx, float dy, float dz, float* new_x, float* new_y);

// The level view of the perspective preview.
extern bool level_view;
void level_view_toggle();

void renderer_reset();

// The model viewer: the chosen model code (0 when none) and its spin angle in degrees.
struct model_viewer_state {
    long code;
    float spin;
};
extern model_viewer_state model_viewer;

// Starts the model viewer on model code `code`.
void model_viewer_select(long code);

// Pivot classes of the pause camera: 1 when the model code is in an enabled class.
int model_code_class_test(int32_t code);
