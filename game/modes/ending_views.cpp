#include "game/modes/ending_views.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/rig_packets.h"
#include "board/wram.h"
#include "game/modes/ending_ram.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/object_ram.h"
#include "game/world/object_emitters.h"
#include "game/world/player_rig.h"
#include "game/world/rider_ik.h"

#include <cstdio>
#include <initializer_list>

namespace {

constexpr int32_t POSE_ZOOM = 0x780;
constexpr int32_t PLAYER_OFFSET = 160;
constexpr int32_t PLAYER_SPEED_START = 5120;
constexpr int32_t DRIVE_START = 1280;
constexpr int32_t LANDING_FIRST = 4485;
constexpr int32_t PHASE_LANDING = 7;
constexpr uint32_t SWAY_VIEW = 3;
constexpr int32_t SWAY_WORD = 2;
constexpr uint32_t SWAY_PAIRS[3] = {8, 0, 16};  // pitch takes the first pair in use

enum { PX, PY, PZ, PPITCH, PHEADING, PROLL };

int32_t rec(uint32_t record, uint32_t offset) {
    return w_read32_offset(record, int32_t(offset));
}
int32_t pose(uint32_t field) {
    return wram_long(W_ENDING_POSE + 4 * field);
}
int32_t camera(uint32_t field) {
    return wram_long(W_CAMERA_X + 4 * field);
}
void camera_set(uint32_t field, int32_t v) {
    wram_long_set(W_CAMERA_X + 4 * field, v);
}
// The 1.15 product a x b >> 15 as the board's multiply leaves it.
int32_t fix(int32_t a, int32_t b) {
    return wrap_mul(a, b) >> 15;
}

void backdrop_entry(int32_t model, int32_t y) {
    const int32_t words[4] = {model, 0, y, 0};
    dl_emit(words, 4);
}

}  // namespace

void ending_camera_record_load(uint32_t record, bool with_zoom) {
    for (uint32_t k = 0; k < 6; k++) camera_set(k, rec(record, 4 * k));
    if (with_zoom) w_word_set(W_ENDING_ZOOM, uint32_t(rec(record, 24)));
}

void ending_camera_interpolate(uint32_t a, uint32_t b, int32_t t, int32_t span, bool with_zoom) {
    if (span == 0) return;
    for (uint32_t k = 0; k < 6; k++) {
        int32_t from = rec(a, 4 * k);
        camera_set(k, wrap_add(from, wrap_div(wrap_mul(t, wrap_sub(rec(b, 4 * k), from)), span)));
    }
    if (with_zoom) {
        int32_t from = rec(a, 24);
        w_word_set(W_ENDING_ZOOM, uint32_t(wrap_add(wrap_div(wrap_mul(wrap_sub(rec(b, 24), from), t), span), from)));
    }
}

void ending_camera_pose_load(int32_t shift, uint32_t record) {
    camera_set(PROLL, 0);
    camera_set(PHEADING, wrap_add(pose(PHEADING), 0x4000));
    camera_set(PPITCH, pose(PROLL));
    int32_t f = wrap_add(pose(PROLL), rec(record, 12));
    int32_t s = math_sin(wrap_neg(f)), c = math_cos(wrap_neg(f));
    int32_t a = rec(record, 0), b = rec(record, 4), e = rec(record, 8);
    int32_t l = wrap_add(fix(s, b), fix(c, e)), h = fix(c, b), m = fix(s, e);
    int32_t hs = math_sin(wrap_neg(camera(PHEADING))), hc = math_cos(wrap_neg(camera(PHEADING)));
    const int32_t target[3] = {
        wrap_add(wrap_add(pose(PX), fix(a, hc)), fix(hs, l)),
        wrap_sub(wrap_add(h, pose(PY)), m),
        wrap_sub(wrap_add(pose(PZ), fix(hc, l)), fix(a, hs)),
    };
    for (uint32_t k = 0; k < 3; k++) camera_set(k, wrap_add(camera(k), wrap_sub(target[k], camera(k)) >> (shift & 31)));
    w_word_set(W_ENDING_ZOOM, POSE_ZOOM);
}

void ending_sway_start(uint32_t record, int32_t frames) {
    wram_long_set(W_SWAY_RECORD, int32_t(record));
    w_word_set(W_SWAY_LEFT, uint32_t(frames));
    w_word_set(W_VIEW_SCALE, uint32_t(frames));  // upper half: the sway's length
}

void ending_camera_sway() {
    int32_t left = int16_t(uint16_t(w_word(W_SWAY_LEFT)) - 1);
    w_word_set(W_SWAY_LEFT, uint32_t(left));
    if (left >= 0) {
        int32_t elapsed = w_word(W_VIEW_SCALE) - left;
        uint32_t record = uint32_t(wram_long(W_SWAY_RECORD));
        uint32_t slot = PPITCH;
        for (uint32_t pair : SWAY_PAIRS) {
            int32_t divisor = rec(record, pair + 4);
            if (divisor == 0) continue;
            int32_t term = wrap_div(math_cos(wrap_mul(rec(record, pair), elapsed) & 0xFFFC), divisor);
            camera_set(slot, wrap_add(camera(slot), term));
            slot++;
        }
    }
    camera_zoom_words_emit(SWAY_VIEW, SWAY_WORD);
}

void ending_player_from_pose() {
    wram_long_set(W_PLAYER_X, wrap_sub(pose(PX), PLAYER_OFFSET));
    wram_long_set(W_PLAYER_Y, pose(PY));
    wram_long_set(W_PLAYER_Z, wrap_sub(pose(PZ), PLAYER_OFFSET));
    for (uint32_t k = PPITCH; k <= PROLL; k++) wram_long_set(W_PLAYER_X + 4 * k, pose(k));
    wram_long_set(W_PLAYER_SPEED, PLAYER_SPEED_START);
    wram_long_set(W_DRIVE, DRIVE_START);
    for (uint32_t w : {W_PITCH_INPUT, W_TURN_INPUT, W_CRANK_FRAME, W_CRANK_ANGLE}) wram_long_set(w, 0);
    player_model_load_animation(0);
}

void ending_rig_distance_update() {
    bool before_landing = (wram_long(W_ENDING_MODE) & 0xFFFF) < LANDING_FIRST;
    int32_t g = wrap_add(wrap_abs(wrap_sub(pose(PX), wram_long(W_PLAYER_X))),
                         wrap_abs(wrap_sub(pose(PZ), wram_long(W_PLAYER_Z))));
    wram_long_set(W_LAMP_FLIGHT_WORD, wrap_sub(g, wram_long(W_PLAYER_SPEED) >> 4));
    wram_long_set(W_SLOPE_TERM, wrap_sub(pose(PY), wram_long(W_PLAYER_Y)));
    wram_long_set(W_PLAYER_SPEED, wrap_mul(g, 16));

    int32_t h = wrap_add(wrap_add(wram_long(W_LAMP_FLIGHT_WORD), wram_long(W_SLOPE_TERM) >> 4), wrap_mul(g, g) >> 13);
    h = h < 0 ? 0 : h >> 4;
    if (h > 16) h = 16;
    wram_long_set(W_PEDAL_DELTA, h);

    int32_t crank = wrap_add(wram_long(W_CRANK_ANGLE), 473 * h);
    wram_long_set(W_CRANK_ANGLE, crank);
    if (before_landing) {
        int32_t f = wram_long(W_CRANK_FRAME);
        wram_long_set(W_CRANK_FRAME, wrap_add(f, wrap_sub(crank, f) >> 3));
    }

    int32_t old = wram_long(W_DRIVE);
    wram_long_set(W_PREV_DRIVE, old);
    int32_t o = 1184 * h;
    if (o < wrap_mul(4, g)) o = wrap_mul(4, g);
    if (before_landing && o < old) o = old - 30;
    wram_long_set(W_DRIVE, o);
    wram_long_set(W_PROP_ANGLE, wrap_sub(wram_long(W_PROP_ANGLE), o));

    // The player's angles are still last frame's: the rig step copies the pose after.
    int32_t p = pose(PPITCH), r = pose(PROLL);
    int32_t pitch_in = wram_long(W_PITCH_INPUT);
    int32_t nose = wrap_sub(wrap_sub(wrap_add(p, int16_t(p)), wram_long(W_PLAYER_PITCH)), pitch_in);
    wram_long_set(W_PITCH_INPUT, wrap_add(pitch_in, nose >> 2));
    int32_t turn_in = wram_long(W_TURN_INPUT);
    int32_t lean = wrap_sub(wrap_sub(wrap_sub(r, wram_long(W_PLAYER_ROLL)) >> 1, int16_t(r)), turn_in);
    wram_long_set(W_TURN_INPUT, wrap_add(turn_in, lean >> 1));
}

void ending_model_rig_step() {
    ending_rig_distance_update();
    for (uint32_t w : {W_PITCH_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH_2}) wram_long_set(w, 0);
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_PLAYER_X + 4 * k, pose(k));
    player_model_set_pose();
    player_rig_solve_targets(wram_long(W_CRANK_FRAME), wram_long(W_ENDING_IK_B), wram_long(W_ENDING_IK_A),
                             wram_long(W_ENDING_IK_C), wram_long(W_ENDING_IK_D));
    if (wram_long(W_GAME_STATE) == 3 && (uint32_t(wram_long(W_ENDING_MODE)) >> 16) == PHASE_LANDING) hud_draw_wings();
}

void ending_bank_marker() {
    dl_header_8000();
    dl_bank_end();
    backdrop_entry(41, -0x16000);
    backdrop_entry(39, -0x16000);
    wram_long_set(W_DL_LAST_BANK, 0);
}

void ending_model_packet_begin() {
    dl_header_8000();
    if (wram_long(W_DL_LAST_BANK) != 0) {
        dl_bank_end();
        wram_long_set(W_DL_LAST_BANK, 0);
    }
    backdrop_entry(41, -0x61000);
    backdrop_entry(39, -0x61000);
    backdrop_entry(43, -0x4E000);
}

void ending_models_emit(uint32_t anchor, bool clear_header) {
    ending_model_packet_begin();
    for (uint32_t list : ROM_SCENE_LISTS) dl_copy_packets(list, anchor);
    if (clear_header) wram_long_set(W_DL_LAST_HEADER, 0);
    for (uint32_t w : {W_OBJECT_PLAIN, W_OBJECT_ROTATING, W_OBJECT_COMPOUND}) wram_long_set(w, int32_t(anchor));
    wram_long_set(W_SUBPART_COUNT, 0);
    object_packet_emit_compound();
    object_packet_emit_rotating();
    object_packet_emit();
}

int32_t* ending_object_transform(int32_t i, uint32_t anchor, int32_t radius, int32_t angle, int32_t spin,
                                 int32_t* out) {
    int32_t frames = wram_long(W_PLAY_FRAME_COUNTER);
    int32_t a = wrap_shl(wrap_add(256 * i, frames), 5) & 0xFFFF;
    int32_t words[11] = {
        rom_table_word(ROM_SCENE_OBJECT_MODELS, i, 0),
        wrap_add(wrap_add(rec(anchor, 0), 0x3C000), wrap_mul(radius, math_sin(a)) >> 11),
        wrap_add(rec(anchor, 4), 0x16000),
        wrap_add(wrap_add(rec(anchor, 8), 0x114000), wrap_mul(radius, math_cos(a)) >> 11),
    };
    dl_rotation_pair(angle, words + 4);
    dl_rotation_pair(wrap_add(a, spin), words + 6);
    dl_rotation_pair(wrap_mul(frames, 128), words + 8);
    words[10] = 4;
    return dl_put_words(out, words, 11);
}

void ending_badcam_dump(int32_t k) {
    constexpr int MAX_FRAMES = 32;
    static char directory[256];
    static int32_t frames[MAX_FRAMES];
    static int count = env_dir_frames("SKYVOLTA_BADDUMP", directory, sizeof directory, frames, MAX_FRAMES);
    for (int i = 0; i < count; i++) {
        if (frames[i] != k) continue;
        char path[300];
        snprintf(path, sizeof path, "%s/ours_k%d.bin", directory, k);
        if (FILE* f = fopen(path, "wb")) {
            fwrite(dspram, 1, sizeof dspram, f);
            fclose(f);
        }
        fprintf(stderr, "[BADDUMP] k=%d buf=%ld -> %s\n", k, long(wram_long(W_DL_BUFFER_INDEX)), path);
        fprintf(stderr, "[BADCAM] k=%d cam %d %d %d %d %d %d ply %d %d %d %d %d %d B728 %d %d %d %d %d %d\n", k,
                camera(0), camera(1), camera(2), camera(3), camera(4), camera(5), wram_long(W_PLAYER_X),
                wram_long(W_PLAYER_Y), wram_long(W_PLAYER_Z), wram_long(W_PLAYER_PITCH), wram_long(W_PLAYER_HEADING),
                wram_long(W_PLAYER_ROLL), pose(0), pose(1), pose(2), pose(3), pose(4), pose(5));
        fprintf(stderr, "[BADCAM] k=%d D50 %d %d %d %d %d AB34 %d %d %d\n", k, wram_long(W_PITCH_INPUT),
                wram_long(W_TURN_INPUT), wram_long(W_PITCH_INPUT_SMOOTH), wram_long(W_TURN_INPUT_SMOOTH),
                wram_long(W_TURN_INPUT_SMOOTH_2), wram_long(rig_node(0) + NODE_PITCH),
                wram_long(rig_node(0) + NODE_HEADING), wram_long(rig_node(0) + NODE_ROLL));
    }
}
