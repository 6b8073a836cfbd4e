// The attract scenes without a recorded flight: the title logo, the fly-by around the
// camera, the sprite scene and the course 3 fly-over.
#include "game/modes/attract_scenes.h"

#include "base/env_switch.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/attract_ram.h"
#include "game/modes/attract_sequencer.h"
#include "game/modes/ending_landing.h"
#include "game/modes/ending_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"
#include "game/world/course_start.h"
#include "game/world/gameplay_state.h"
#include "game/world/goal_sequence.h"
#include "game/world/player_rig.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int32_t FADE_MODE_WHITE = 1, FADE_MODE_BLACK = 3;
constexpr int32_t FADE_FULL = 255;

// ---- Shared -------------------------------------------------------------------------
constexpr int32_t LOGO_MODEL = 39;
constexpr int32_t LOGO_LEFT = -345, LOGO_RIGHT = -346;  // the logo halves, mirrored
constexpr int32_t LOGO_LEFT_X = 128, LOGO_RIGHT_X = 384, LOGO_Y = 192;
constexpr int32_t LOGO_WIDTH = 256, LOGO_HEIGHT = 64, LOGO_LAYER = 5;
constexpr int32_t LOGO_MIRROR_Y = 448;  // a 64-high reflection meets the logo at 448 - y

void logo_sprite(int32_t tile, int32_t x, int32_t y) {
    sprite_call(LOGO_LAYER, tile, x, y, 0, LOGO_WIDTH, LOGO_HEIGHT, 0, 1);
}

void logo_pair_draw(int32_t spread, int32_t y) {
    logo_sprite(LOGO_LEFT, LOGO_LEFT_X - spread, y);
    logo_sprite(LOGO_RIGHT, LOGO_RIGHT_X + spread, y);
}

// ---- Title logo -----------------------------------------------------------------------
constexpr int32_t TITLE_FRAMES = 300;
constexpr int32_t TITLE_X = 0x8000, TITLE_Y = -0x88000, TITLE_Z = -0xBF600;
constexpr int32_t TITLE_SPRITE = 330, TITLE_SPRITE_WIDTH = 256, TITLE_SPRITE_HEIGHT = 160;
constexpr int32_t TITLE_CAPTION = 336, CAPTION_WIDTH = 96, CAPTION_HEIGHT = 32, CAPTION_Y = 288;
constexpr int32_t CAPTION_X[2] = {144, 400};

// ---- Fly-by ---------------------------------------------------------------------------
constexpr int32_t FLYBY_FRAMES = 300;
constexpr int32_t FLYBY_Z = 7680;
constexpr int32_t FLYBY_ROLL = -6144, FLYBY_TURN = -0x4000;
constexpr int32_t FLYBY_MODEL_PITCH = 5248, FLYBY_MODEL_HEADING = 0xE000;
constexpr int32_t FLYBY_HEADING_STEP = 4096, FLYBY_ANGLE_STEP = 128;
constexpr int32_t FLYBY_LENS = 1920;
constexpr int32_t LOGO_IN_FROM = 45, LOGO_IN_TO = 173;  // frames of the logo's flight in
constexpr int32_t GROUND_CONTACTS = 5;

// ---- Sprite scene ---------------------------------------------------------------------
constexpr int32_t SPRITE_CYCLE = 270;
constexpr int32_t FLASH_FRAMES[3] = {150, 155, 190};
constexpr int32_t FLASH_RECORD = 7, HOLD_STEP = 0x40;
constexpr int32_t SHAKE_FROM = 152;
constexpr int32_t SPRITE_SET = 0, SPRITE_TILE = 442, SPRITE_SIZE = 34, SPRITE_PITCH = 272, SPRITE_LAYER = 7;
constexpr int32_t FIGURE_MODEL = 914, FIGURE_MODEL_LATE = 915, FIGURE_LATE_FROM = 135, FIGURE_DEPTH = 848;

// ---- Fly-over -------------------------------------------------------------------------
constexpr int32_t FLYOVER_COURSE = 3;
constexpr int32_t FLYOVER_X = 296446, FLYOVER_Y = -0x108000, FLYOVER_Z = 1239196;
constexpr int32_t FLYOVER_PITCH = 0x4000, FLYOVER_HEADING = 6144, FLYOVER_CELL = 73;
constexpr int32_t FLYOVER_DELAY = 15, FLYOVER_WHITE_FROM = 240, FLYOVER_WHITE_FRAMES = 90;
constexpr int32_t FLYOVER_FADE_IN = 2, FLYOVER_FADE_OUT = 4;
constexpr int32_t FLYOVER_SOUND = 14;

// The fly-by's player: beside the camera on its circle, pedalling, turned along the path.
void flyby_camera_command() {
    int32_t angle = w_cell(W_FLYBY_ANGLE);
    w_cell_set(W_PLAYER_HEADING, wrap_sub(0x4000, angle));
    w_cell_set(W_PLAYER_X, wrap_add(w_cell(W_CAMERA_X), w_cell(W_FLYBY_X_OFF)));
    w_cell_set(W_PLAYER_Y, w_cell(W_CAMERA_Y));
    w_cell_set(W_PLAYER_Z,
               wrap_add(wrap_add(w_cell(W_CAMERA_Z), w_cell(W_FLYBY_Z_OFF)), w_cell(W_FLYBY_Z_OFFSET)));
    w_cell_set(W_PROP_ANGLE, w_cell(W_FLYBY_HEADING));
    for (uint32_t smooth : {W_PITCH_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH, W_TURN_INPUT_SMOOTH_2}) w_cell_set(smooth, 0);
    w_cell_set(W_CRANK_FRAME, w_cell(W_FLYBY_CRANK));
    w_cell_set(W_PLAYER_PITCH, 0);
    w_cell_set(W_PLAYER_ROLL, FLYBY_ROLL);
    w_cell_set(W_PITCH_INPUT, 0);
    w_cell_set(W_TURN_INPUT, FLYBY_TURN);
    w_cell_set(W_PEDAL_DELTA, 0);
    dl_object_put(0, LOGO_MODEL, 0, 0, 0, FLYBY_MODEL_PITCH, FLYBY_MODEL_HEADING, 0, 0);
}

void flyby_player_step() {
    camera_rotation_words_emit();
    int32_t angle = w_cell(W_FLYBY_ANGLE);
    w_cell_set(W_FLYBY_X_OFF, math_sin(angle) / 8);
    w_cell_set(W_FLYBY_Z_OFF, math_cos(angle) / 8);
    w_cell_set(W_FLYBY_CRANK, (w_cell(W_FLYBY_CRANK) + 1) & 63);
    flyby_camera_command();
    int64_t before = w_slot(W_DL_CURSOR);
    camera_update_main();
    static const bool cmd_dump = env_present("SKYVOLTA_CMDDUMP");
    if (cmd_dump)
        printf("[CMDDUMP] fly-by frame %d: camera_update_main wrote %ld display-list words\n", w_cell(W_FLYBY_FRAMES),
               long((w_slot(W_DL_CURSOR) - before) / 4));
    w_cell_set(W_FLYBY_HEADING, wrap_sub(w_cell(W_FLYBY_HEADING), FLYBY_HEADING_STEP));
    w_cell_set(W_FLYBY_ANGLE, wrap_sub(angle, FLYBY_ANGLE_STEP));
}

// The logo halves fly in along a quarter sine with their reflection below them, then
// stand side by side.
void flyby_logo_draw(int32_t frames) {
    if (frames >= LOGO_IN_FROM && frames < LOGO_IN_TO) {
        int32_t s = math_sin((frames - LOGO_IN_FROM) * 128);  // 0 .. 0x7FFF
        int32_t spread = (0x8000 - s) * LOGO_WIDTH / 0x8000;
        int32_t y = s * LOGO_Y / 0x8000;
        logo_pair_draw(spread, y);
        logo_pair_draw(spread, LOGO_MIRROR_Y - y);
    } else if (frames >= LOGO_IN_TO) {
        logo_pair_draw(0, LOGO_Y);
    }
}

// The offsets shake around their rest (-32, -24) with a frequency that rises from frame 152 on.
void sprite_scene_shake(int32_t frames) {
    if (frames < SHAKE_FROM) return;
    int32_t t = frames - SHAKE_FROM;
    int32_t phase = t * t * 64;
    w_word_set(W_SPRITE_SCENE_X, SPRITE_SCENE_X + math_sin(phase) / 0x1000);
    w_word_set(W_SPRITE_SCENE_Y, SPRITE_SCENE_Y + math_cos(phase) / 0x1000);
}

// Set k of the two rows of three sprites at the scene's offsets.
void attract_sprite_tiles(int32_t k) {
    int32_t x0 = w_word(W_SPRITE_SCENE_X), y0 = w_word(W_SPRITE_SCENE_Y);
    for (int32_t row = 0; row < 2; row++)
        for (int32_t column = 0; column < 3; column++)
            sprite_call(SPRITE_LAYER, SPRITE_TILE + 6 * k + 3 * row + column, x0 + SPRITE_PITCH * column,
                        y0 + SPRITE_PITCH * row, 0, SPRITE_SIZE, SPRITE_SIZE, 0, 1);
}

int32_t figure_x(int32_t n) {
    if (n <= 59) return 460 - n;
    if (n <= 89) return 400;
    if (n <= 119) return 490 - n;
    return 370;
}

}  // namespace

void attract_title_logo() {
    camera_rotation_words_emit();
    int32_t frames = w_cell(W_ATTRACT_TITLE_FRAMES) + 1;
    w_cell_set(W_ATTRACT_TITLE_FRAMES, frames);
    int32_t heading = int32_t(uint32_t(w_cell(W_FRAME_TICK)) * 32 & 0xFFFF);
    dl_object_put(0, LOGO_MODEL, TITLE_X, TITLE_Y, TITLE_Z, 0, heading, 0, 2);
    for (int32_t k = 0; k < 6; k++)
        sprite_call(LOGO_LAYER, TITLE_SPRITE + k, TITLE_SPRITE_WIDTH * (k % 3), TITLE_SPRITE_HEIGHT * (k / 3), 0,
                    TITLE_SPRITE_WIDTH, TITLE_SPRITE_HEIGHT, 0, 1);
    for (int32_t k = 0; k < 2; k++)
        sprite_call(LOGO_LAYER, TITLE_CAPTION + k, CAPTION_X[k], CAPTION_Y, 0, CAPTION_WIDTH, CAPTION_HEIGHT, 0, 1);
    if (frames >= TITLE_FRAMES) attract_next_scene();
}

void attract_flyby_setup() {
    w_cell_set(W_FLYBY_Z_OFFSET, FLYBY_Z);
    for (uint32_t x : {W_FLYBY_ANGLE, W_FLYBY_CRANK, W_FLYBY_HEADING}) w_cell_set(x, 0);
    textram_clear();
    camera_reset();
    w_cell_set(W_FLYBY_FRAMES, 0);
    w_cell_set(W_ATTRACT_PHASE, 3);
    w_cell_set(W_PLAYER_SPEED, 0);
    w_cell_set(W_PITCH_INPUT, 0);
    w_cell_set(W_TURN_INPUT, FLYBY_TURN);
    w_cell_set(W_PEDAL_DELTA, 0);
    sound_stop_all();
    player_model_load_animation(0);
    w_word_set(W_RIG_FLAG, 1);
    w_cell_set(W_WING_SET, 1);
    for (uint32_t k = 0; k < GROUND_CONTACTS; k++) w_cell_set(W_GROUND_POINTS + 8 + 12 * k, 0);
    fade_colour_set(FADE_FULL);
    w_cell_set(W_FADE_AMOUNT, 0);
    w_cell_set(W_FADE_FLAGS, FADE_MODE_WHITE);
    attract_flyby_run();
}

void attract_flyby_run() {
    int32_t frames = w_cell(W_FLYBY_FRAMES);
    int32_t left = FLYBY_FRAMES - frames;
    if (left > 64) flyby_player_step();
    dsp_word_set((DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current()) / 4 + DL_VIEW_FOV_WORD, FLYBY_LENS);
    if (left >= 64 && left <= 127) w_cell_set(W_FADE_AMOUNT, 4 * frames - 692);
    if (left < 64) fade_colour_set(std::max(4 * left, 0));
    flyby_logo_draw(frames);
    w_cell_set(W_FLYBY_FRAMES, ++frames);
    if (frames > FLYBY_FRAMES) attract_next_scene();
}

void attract_sprite_scene_run() {
    int32_t frames = w_cell(W_SPRITE_SCENE_FRAMES);
    ending_fade_run(HOLD_STEP, std::numeric_limits<int32_t>::max());  // the ending's fade step, no ceiling
    for (int32_t flash : FLASH_FRAMES)
        if (frames == flash) {
            event_record_load(FLASH_RECORD);
            w_word_set(W_FADE_STEP, 1);
        }
    sprite_scene_shake(frames);
    attract_sprite_tiles(SPRITE_SET);
    int32_t x0 = w_word(W_SPRITE_SCENE_X), y0 = w_word(W_SPRITE_SCENE_Y);
    dl_object_put(0, frames >= FIGURE_LATE_FROM ? FIGURE_MODEL_LATE : FIGURE_MODEL, figure_x(frames) + x0, y0,
                  FIGURE_DEPTH, 0, 0, 0, 0);
    w_cell_set(W_SPRITE_SCENE_FRAMES, frames >= SPRITE_CYCLE ? 0 : frames + 1);
}

void attract_flyover_setup() {
    dl_buffers_init();
    w_cell_set(W_COURSE_NUMBER, FLYOVER_COURSE);
    w_word_set(W_COURSE_PAIR, 0);  // the stage; the day word beside it stays
    course_start_position();
    gameplay_init_state_vars();
    w_word_set(W_FOG_ENABLE, 0);
    fade_colour_set(0);
    w_cell_set(W_SCENE_FADE_DIR, 0);
    w_cell_set(W_FADE_AMOUNT, FADE_FULL);
    w_cell_set(W_SCENE_FADE_STEP, FLYOVER_FADE_IN);
    w_cell_set(W_FADE_FLAGS, FADE_MODE_BLACK);
    const int32_t camera[6] = {FLYOVER_X, FLYOVER_Y, FLYOVER_Z, FLYOVER_PITCH, FLYOVER_HEADING, 0};
    for (uint32_t k = 0; k < 6; k++) w_cell_set(W_CAMERA_X + 4 * k, camera[k]);
    w_cell_set(W_CAMERA_CELL, FLYOVER_CELL);
    w_cell_set(W_FLYOVER_FRAMES, 0);
    w_cell_set(W_FLYOVER_WHITE, 0);
    w_cell_set(W_FLYOVER_DELAY, FLYOVER_DELAY);
    w_cell_set(W_ATTRACT_PHASE, 21);
    attract_flyover_run();
}

void attract_flyover_run() {
    terrain_chunk_visibility(w_cell(W_CAMERA_X), w_cell(W_CAMERA_Y), w_cell(W_CAMERA_Z), w_cell(W_CAMERA_HEADING));
    terrain_props_dispatch();
    objects_render_master();
    w_cell_set(W_PLAY_FRAME_COUNTER, wrap_add(w_cell(W_PLAY_FRAME_COUNTER), 1));
    int32_t frames = w_cell(W_FLYOVER_FRAMES), white = w_cell(W_FLYOVER_WHITE);
    logo_pair_draw(0, LOGO_Y);
    if (frames == FLYOVER_WHITE_FROM) {
        fade_colour_set(FADE_FULL);
        w_cell_set(W_SCENE_FADE_DIR, 1);
        w_cell_set(W_SCENE_FADE_STEP, FLYOVER_FADE_OUT);
        sound_play(FLYOVER_SOUND);
    }
    int32_t delay = w_cell(W_FLYOVER_DELAY);
    if (delay > 0) {
        w_cell_set(W_FLYOVER_DELAY, delay - 1);
    } else {
        // White counts from the frame after the fade out has reached full.
        int32_t before = w_cell(W_FADE_AMOUNT), step = w_cell(W_SCENE_FADE_STEP);
        bool out = w_cell(W_SCENE_FADE_DIR) != 0;
        w_cell_set(W_FADE_AMOUNT, out ? std::min(before + step, FADE_FULL) : std::max(before - step, 0));
        if (out && before == FADE_FULL) {
            w_cell_set(W_FLYOVER_WHITE, ++white);
            if (white > FLYOVER_WHITE_FRAMES - 64) fade_colour_set(4 * (FLYOVER_WHITE_FRAMES - white));
        }
    }
    w_cell_set(W_FLYOVER_FRAMES, frames + 1);
    if (white >= FLYOVER_WHITE_FRAMES) attract_next_scene();
}
