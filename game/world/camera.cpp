// Cameras: chase, follow, model follow and the attract demo camera, the grid cell and
// the per-frame rotation words.
#include "game/world/camera.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/rig_packets.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"

#include <algorithm>

namespace {

constexpr int32_t CELL_SIZE = 0x18000;
constexpr uint32_t GRID_COLUMNS = 8;
constexpr int32_t CHASE_DIVISOR_MIN = 16, CHASE_DIVISOR_MAX = 96;
constexpr int32_t CHASE_EYE[3] = {0, 1024, -9344};
constexpr int32_t STOP_EYE[3] = {0, 1536, -20480};
constexpr int32_t DEMO_CHASE_EYE[3] = {0, 768, -2048};  // x: sin(player roll) >> 5
constexpr int32_t DEMO_FIXED_POINT[3] = {563569, 85051, 1377300};
constexpr int32_t ENDING_ZOOM = 1920;
constexpr uint32_t PATH_RECORD_BYTES = 16;

// A camera of x, y, z, pitch, heading, roll longs from work-RAM offset `base`.
struct camera_longs {
    uint32_t base;
    int32_t get(uint32_t i) const { return w_cell(base + 4 * i); }
    void set(uint32_t i, int32_t v) const { w_cell_set(base + 4 * i, v); }
};
enum : uint32_t { CX, CY, CZ, CPITCH, CHEADING, CROLL };

constexpr camera_longs GAME_CAMERA{W_CAMERA_X};
constexpr camera_longs DEMO_CAMERA{W_DEMO_CAMERA};

int32_t low16(int32_t v) {
    return int16_t(uint16_t(uint32_t(v)));
}

int32_t asr(int32_t v, int32_t n) {
    return n >= 32 ? (v < 0 ? -1 : 0) : n <= 0 ? v : v >> n;
}

int32_t player(uint32_t i) {
    return w_cell(W_PLAYER_X + 4 * i);
}

// Position := point + eye rotated by the camera's own angles.
void place_at_eye(const camera_longs& c, const int32_t point[3], const int32_t eye[3]) {
    int32_t d[3];
    vec_rotate_rph(eye[0], eye[1], eye[2], c.get(CPITCH), c.get(CHEADING), c.get(CROLL), &d[0], &d[1], &d[2]);
    for (uint32_t i = 0; i < 3; i++) c.set(i, wrap_add(point[i], d[i]));
}

// Angle i += (int16)(target - angle) / k, truncating.
void ease_angle(const camera_longs& c, uint32_t i, int32_t target, int32_t k) {
    c.set(i, wrap_add(c.get(i), low16(wrap_sub(target, c.get(i))) / k));
}

void chase(const camera_longs& c) {
    const int32_t* eye = CHASE_EYE;
    if (w_cell(W_STOP_FLAG) == 0) {
        // A demo record may hold any dive pull: the divisor stays within its range.
        int32_t k = std::clamp(CHASE_DIVISOR_MIN + (w_cell(W_DIVE_PULL) >> 16), CHASE_DIVISOR_MIN, CHASE_DIVISOR_MAX);
        ease_angle(c, CPITCH, w_cell(W_EASED_PITCH), k);
        ease_angle(c, CHEADING, w_cell(W_EASED_HEADING), k);
        ease_angle(c, CROLL, w_cell(W_EASED_ROLL), k);
    } else {
        c.set(CPITCH, w_cell(W_TARGET_PITCH));
        c.set(CHEADING, w_cell(W_TARGET_HEADING));
        c.set(CROLL, w_cell(W_TARGET_ROLL));
        eye = STOP_EYE;
    }
    const int32_t at[3] = {player(0), player(1), player(2)};
    place_at_eye(c, at, eye);
}

// ---- Demo camera -------------------------------------------------------------------

// Record `index` of the demo path (x, y, z longs), read where the path pointer
// decodes: the program ROM or work RAM. False for any other pointer.
bool path_point(uint32_t index, int32_t out[3]) {
    uint32_t path = uint32_t(w_cell(W_DEMO_PATH));
    uint64_t at = uint64_t(path) + uint64_t(PATH_RECORD_BYTES) * index;
    bool in_rom = at + 12 <= PROGRAM_ROM_END;
    bool in_wram = path >= WRAM_BASE && at + 12 <= uint64_t(WRAM_BASE) + WRAM_SIZE;
    if (!in_rom && !in_wram) return false;
    for (uint32_t i = 0; i < 3; i++) out[i] = w_read32(int64_t(at + 4 * i));
    return true;
}

uint32_t path_progress_record() {
    return uint32_t(w_cell(W_DEMO_PATH_PROGRESS)) >> 8;
}

uint32_t path_last_record() {
    return uint32_t(w_cell(W_DEMO_PATH_LENGTH)) >> 8;
}

void stand_at(const int32_t point[3]) {
    for (uint32_t i = 0; i < 3; i++) DEMO_CAMERA.set(i, point[i]);
}

void stand_on_path() {
    int32_t p[3];
    if (path_point(std::min(path_last_record(), path_progress_record()), p)) stand_at(p);
}

// Turns the demo camera toward the player: pitch by 1/kp, heading by 1/kh of the way;
// roll 0.
void aim_at_player(int32_t kp, int32_t kh) {
    const camera_longs& c = DEMO_CAMERA;
    int32_t dx = wrap_sub(player(0), c.get(CX)), dz = wrap_sub(player(2), c.get(CZ));
    int32_t dy = wrap_sub(player(1), c.get(CY));
    int32_t e = math_atan2(dx, dz);
    int32_t cos_byte = int8_t(uint8_t(math_cos(-e) >> 8)), sin_byte = int8_t(uint8_t(math_sin(-e) >> 8));
    int32_t d = wrap_add(wrap_mul(dz, cos_byte), wrap_mul(dx, sin_byte)) >> 7;
    c.set(CPITCH, wrap_add(c.get(CPITCH), low16(wrap_sub(wrap_add(math_atan2(d, dy), 0x4000), c.get(CPITCH))) / kp));
    c.set(CHEADING, wrap_add(c.get(CHEADING), low16(wrap_sub(e, c.get(CHEADING))) / kh));
    c.set(CROLL, 0);
}

void demo_trail() {
    const camera_longs& c = DEMO_CAMERA;
    c.set(CX, wrap_add(c.get(CX), wrap_sub(player(0), c.get(CX)) / 64));
    c.set(CY, wrap_add(c.get(CY), wrap_add(wrap_sub(player(1), c.get(CY)), 1024) / 32));
    c.set(CZ, wrap_add(c.get(CZ), wrap_sub(player(2), c.get(CZ)) / 64));
    aim_at_player(16, 32);
}

void demo_chase_place() {
    const int32_t eye[3] = {math_sin(player(5)) >> 5, DEMO_CHASE_EYE[1], DEMO_CHASE_EYE[2]};
    const int32_t at[3] = {player(0), player(1), player(2)};
    place_at_eye(DEMO_CAMERA, at, eye);
}

void demo_chase() {
    // A demo record can zero the ease code: the divisor stays at least 1.
    int32_t k = std::max(1, w_cell(W_EASE_CODE) / 4 + 8);
    for (uint32_t i = 0; i < 3; i++) ease_angle(DEMO_CAMERA, CPITCH + i, player(3 + i), k);
    demo_chase_place();
}

// A quarter step toward the cosine blend of the next two path records, 1000 up.
void demo_ride_path() {
    const camera_longs& c = DEMO_CAMERA;
    uint32_t k = path_progress_record(), n = path_last_record();
    int32_t p1[3], p2[3];
    if (path_point(std::min(n, k + 1), p1) && path_point(std::min(n, k + 2), p2)) {
        int32_t cs = math_cos((w_cell(W_DEMO_PATH_PROGRESS) & 0xFF) * 128);
        for (uint32_t i = 0; i < 3; i++) {
            int32_t d = wrap_sub(p2[i], p1[i]) / 2;
            int32_t blend = wrap_sub(wrap_add(wrap_add(p1[i], wrap_mul(3, c.get(i))), d), wrap_mul(cs >> 4, d) >> 11);
            c.set(i, blend / 4);
        }
        c.set(CY, wrap_add(c.get(CY), 1000));
    }
    aim_at_player(16, 32);
}

void demo_gameplay_camera() {
    chase(GAME_CAMERA);
    camera_grid_cell_update();
    camera_words_copy(W_DEMO_CAMERA, W_CAMERA_X);
}

// Types 10..16: the first frame of types 0..6, the camera set in place at once.
void demo_first_frame(int32_t type) {
    const camera_longs& c = DEMO_CAMERA;
    switch (type) {
    case 11:
        for (uint32_t i = 0; i < 3; i++) c.set(CPITCH + i, player(3 + i));
        demo_chase_place();
        return;
    case 14: {
        for (uint32_t i = 0; i < 3; i++) c.set(CPITCH + i, player(3 + i));
        const int32_t at[3] = {player(0), player(1), player(2)};
        place_at_eye(c, at, CHASE_EYE);
        return;
    }
    case 16:
        stand_at(DEMO_FIXED_POINT);
        break;
    default:
        stand_on_path();
        break;
    }
    aim_at_player(1, 1);
}

}  // namespace

void camera_reset() {
    for (uint32_t w = W_CAMERA_X; w <= W_CAMERA_ROLL; w += 4) wram_long_set(w, 0);
}

void camera_rotation_words_emit() {
    view_rotation_words_put(0, 2);
}

void camera_update() {
    camera_chase_update();
}

void camera_chase_update() {
    chase(GAME_CAMERA);
}

void camera_follow_player(int32_t shift, int64_t eye) {
    const camera_longs& c = GAME_CAMERA;
    auto e = [eye](int32_t i) { return w_read32_offset(eye, 4 * i); };
    c.set(CHEADING, wrap_sub(wrap_add(player(4), e(3)), 0x4000));
    c.set(CPITCH, int32_t(int64_t(wrap_mul(e(4), player(3))) / 256));
    c.set(CROLL, int32_t(int64_t(wrap_mul(e(5), player(5))) / 256));
    int32_t d[3];
    vec_rotate_rph(e(0), e(1), e(2), c.get(CPITCH), c.get(CHEADING), c.get(CROLL), &d[0], &d[1], &d[2]);
    for (uint32_t i = 0; i < 3; i++)
        c.set(i, wrap_add(c.get(i), asr(wrap_sub(wrap_add(player(i), d[i]), c.get(i)), shift)));
}

void camera_follow_model(int32_t shift, int64_t eye) {
    const camera_longs& c = GAME_CAMERA;
    auto e = [eye](int32_t i) { return w_read32_offset(eye, 4 * i); };
    auto model = [](uint32_t field) { return w_cell(W_FOLLOWED_MODEL + field); };
    c.set(CROLL, 0);
    int32_t turn = low16(wrap_sub(wrap_add(model(NODE_HEADING), 0x4000), c.get(CHEADING)));
    c.set(CHEADING, wrap_add(c.get(CHEADING), asr(turn, shift)));
    c.set(CPITCH, wrap_add(e(3), model(NODE_ROLL)));
    int32_t d[3];
    vec_rotate_rph(e(0), e(1), e(2), c.get(CPITCH), c.get(CHEADING), 0, &d[0], &d[1], &d[2]);
    for (uint32_t i = 0; i < 3; i++) {
        int32_t target = wrap_add(model(NODE_X + 4 * i), d[i]);
        c.set(i, wrap_add(c.get(i), asr(wrap_sub(target, c.get(i)), shift & 63)));
    }
    w_word_set(W_ENDING_ZOOM, ENDING_ZOOM);
}

void demo_camera_update() {
    int32_t type = w_cell(W_DEMO_CAMERA_TYPE);
    bool first_frame = type >= 10 && type <= 16;
    switch (type) {
    case 0: demo_trail(); break;
    case 1: demo_chase(); break;
    case 2: demo_ride_path(); break;
    case 3:
    case 5:
        stand_on_path();
        aim_at_player(16, 32);
        break;
    case 6:
        stand_at(DEMO_FIXED_POINT);
        aim_at_player(8, 16);
        break;
    default:
        if (first_frame) {
            demo_first_frame(type);
            w_cell_set(W_DEMO_CAMERA_TYPE, type == 14 ? 4 : type - 10);
        } else if (type == 4 || type > 16) {
            demo_gameplay_camera();
        }
        break;
    }
    // The chase views show the gameplay model set, every other view the cinematic one.
    bool chase_view = type == 1 || type == 4 || type == 11 || type == 14;
    w_cell_set(W_WING_SET, chase_view ? 0 : 1);
}

void camera_grid_cell_update() {
    uint32_t column = uint32_t(w_cell(W_CAMERA_X)) / uint32_t(CELL_SIZE);
    uint32_t row = uint32_t(w_cell(W_CAMERA_Z)) / uint32_t(CELL_SIZE);
    w_cell_set(W_CAMERA_COLUMN, int32_t(column));
    w_cell_set(W_CAMERA_ROW, int32_t(row));
    w_cell_set(W_CAMERA_CELL, int32_t(column + GRID_COLUMNS * row));
}

void camera_words_copy(uint32_t dst, uint32_t src) {
    for (uint32_t i = 0; i < CAMERA_WORDS; i++) w_cell_set(dst + 4 * i, w_cell(src + 4 * i));
}
