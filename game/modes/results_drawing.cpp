#include "game/modes/results_drawing.h"

#include "board/display_list.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/course_select.h"
#include "game/modes/results_ram.h"
#include "game/services/course_sounds.h"
#include "game/services/digit_writers.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"

#include <algorithm>

namespace {

constexpr uint32_t ROM_MAP_FRAMES = 0x3757C;             // 32-byte frame per course
constexpr rom_table FINAL_TEXTS = {0x375FC, 16, 6};      // block, column, row, tile by grade
constexpr rom_table QUOTA_DIFFERENCE = {0x15C488, 32, 4};  // a long per course
constexpr int32_t PANEL_MODEL = 838, PANEL_DEPTH = 544, PANEL_STEP = 8, PANEL_OUT = 256;
constexpr int32_t SWING_MODEL = 836, SWING_MODEL_GOAL = 837, SWING_STEP = 512;
constexpr int32_t PATH_MODEL = 908, PATH_HEAD_MODEL = 909, PATH_FRAMES = 240;
constexpr int32_t SOUND_RESULTS = 67, SOUND_COUNTER_STOPPED = 9999;
constexpr int32_t BOARD_LAYER = 6, DIGIT_TILE = 463, DIGIT_WIDTH = 24, SLIDE_IN_PLACE = 848;
constexpr int32_t PLACE_ANIM_TILE = 473;

// A swing value moved by `step` toward `target`.
int32_t toward(int32_t value, int32_t target, int32_t step) {
    return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

// A panel's swing, out while the tally's next step is `counting`.
int32_t panel_swing(uint32_t w, int32_t counting) {
    int32_t value = toward(w_cell(w), w_cell(W_RESULTS_NEXT_STEP) == counting ? 0 : PANEL_OUT, PANEL_STEP);
    w_cell_set(w, value);
    return value;
}

void panel_model(int32_t x, int32_t a, int32_t value, int32_t roll) {
    int32_t angle = wrap_mul(128, value);
    int32_t y = 1024 - int32_t(int64_t(a) * math_cos(angle) >> 15);
    int32_t z = 1712 + int32_t(int64_t(a) * math_sin(angle) >> 15);
    dl_object_put(0, PANEL_MODEL, x, y, z, wrap_neg(angle) & 0xFFFF, 0, roll, 0);
}

void digit_sprite(int32_t digit, int32_t x, int32_t y) {
    sprite_call(BOARD_LAYER, DIGIT_TILE + digit, x, y, 0, DIGIT_WIDTH, 32, 0, 1);
}

// A number 0..99 as one digit at `one_x` or two with the units at `units_x`.
void digit_sprites(int32_t n, int32_t one_x, int32_t units_x, int32_t tens_x, int32_t y) {
    n = std::clamp(n, 0, 99);
    if (n < 10) {
        digit_sprite(n, one_x, y);
        return;
    }
    digit_sprite(n % 10, units_x, y);
    digit_sprite(n / 10, tens_x, y);
}

void grade_model(int32_t model, int32_t x, int32_t y) {
    dl_object_put(BOARD_LAYER, model, x, y, w_cell(W_GRADE_SLIDE), 0, 0, 0, 0);
}

void place_animation() {
    sprite_call(BOARD_LAYER, PLACE_ANIM_TILE + ((w_cell(W_FRAME_TICK) >> 2) & 7), 94, 208, 0, 32, 32, 0, 1);
}

}  // namespace

void results_tiles_load() {
    textram_clear();
    cgram_load_tile_block(183, 288);
    palette_bank_load(183, 1);
    cgram_load_tile_block(212, 416);
    cgram_load_tile_block(227, 448);
    for (int32_t d = 0; d < 10; d++) {
        cgram_load_tile_block(230 + d, 352 + 4 * d);
        cgram_load_tile_block(251 + d, 480 + 6 * d);
    }
    cgram_load_tile_block(261, 540);
    palette_bank_load(251, 5);
    if (w_word(W_GAME_MODE) != 0) {
        cgram_load_tile_block(298, 576);
        palette_bank_load(298, 7);
    } else {
        cgram_load_tile_block(262, 576);
        cgram_load_tile_block(263, 640);
        cgram_load_tile_block(264, 704);
        palette_bank_load(262, 7);
    }
}

int32_t results_score_draw(int32_t shown, int32_t value, int32_t x, int32_t y, int32_t back_y, int32_t depth) {
    shown = score_digits_draw(0, shown, value, x, y, depth);
    for (int32_t i = 0; i < 5; i++) dl_marker(0, DIGIT_BACK_MODEL, x + 44 + 40 * i, back_y, depth);
    return shown;
}

void results_fade_step_a(int32_t a) {
    int32_t value = panel_swing(W_RESULTS_PANEL_A, STEP_POINTS);
    int32_t v = 19 * value, score = w_cell(W_RACE_POINTS);
    hud_number_models(0, score, v / 16 + 314, v / 16 + 243, PANEL_DEPTH);
    lamp_score_sprites(0, score, value + 432, -value, PANEL_DEPTH);
    panel_model(1040, a, value, 0);
}

void results_fade_step_b(int32_t a) {
    int32_t value = panel_swing(W_RESULTS_PANEL_B, STEP_TIME_BONUS);
    int32_t v = 19 * value;
    if (w_cell(W_END_FLAG) != 2)
        number_sprite_draw(w_cell(W_RACE_TIMER_SHOWN), v / 16 - 470, v / 16 + 243, PANEL_DEPTH, value + 64, 400 - value);
    panel_model(-400, a, value, 0x8000);
}

void results_swing_step(int32_t limit, int32_t shift, int32_t base) {
    int32_t value =
        toward(w_cell(W_RESULTS_PANEL_SWING), w_cell(W_RESULTS_NEXT_STEP) == STEP_STAGE_BONUS ? 0 : limit, SWING_STEP);
    w_cell_set(W_RESULTS_PANEL_SWING, value);
    int32_t d = int32_t(int64_t(math_sin(value)) * (int64_t(1) << std::clamp(shift, 0, 16)) >> 15);
    int32_t model = w_cell(W_END_FLAG) == 1 ? SWING_MODEL_GOAL : SWING_MODEL;
    dl_object_put(0, model, 112, base + d, 2304 + d, 0, 0, 0, 0);
}

void results_course_packets(int32_t n) {
    course_map_frame frame;
    if (course_map_frame_read(ROM_MAP_FRAMES, w_cell(W_COURSE_NUMBER), &frame)) course_map_objects(frame, n);
}

void results_progress_packets(int32_t n) {
    int32_t recorded = std::clamp(w_cell(W_TRAIL_COUNT), 0, TRAIL_POINTS_MAX);
    n = std::clamp(n, 0, recorded);
    w_word_set(W_PATH_DRAWN + 2, n);
    if (n == recorded) w_word_set(W_PATH_DONE, 1);
    course_map_frame frame;
    if (!course_map_frame_read(ROM_MAP_FRAMES, w_cell(W_COURSE_NUMBER), &frame)) return;
    for (int32_t k = n; k >= 1; k--) {
        uint32_t point = W_TRAIL + 4 * uint32_t(k - 1);
        course_map_plot(frame, w_word(point), w_word(point + 2), k == n ? PATH_HEAD_MODEL : PATH_MODEL);
    }
}

void results_map_draw(bool objects_shown) {
    int32_t recorded = std::clamp(w_cell(W_TRAIL_COUNT), 0, TRAIL_POINTS_MAX);
    int32_t frames = std::clamp(w_cell(W_RESULTS_FRAMES), 0, PATH_FRAMES);
    int32_t n = recorded * frames / PATH_FRAMES;
    if (objects_shown) results_course_packets(n);
    results_progress_packets(n);
}

void results_stage_counts() {
    int32_t grade = w_word(W_COURSE_GRADE);
    bool in_place = w_cell(W_GRADE_SLIDE) == SLIDE_IN_PLACE;
    if (grade == 3) {
        int32_t continues = w_word(W_COURSE_LEFT);
        grade_model(continues == 1 ? 890 : 889, 144, -208);
        if (in_place) digit_sprites(continues, 368, 376, 352, 335);
    } else if (grade == 4) {
        grade_model(887, -272, -32);
        int32_t n =
            wrap_sub(rom_table_long(QUOTA_DIFFERENCE, w_cell(W_COURSE_NUMBER), 0), w_cell(W_TIME_SCORE)) / 50 + 1;
        if (in_place) digit_sprites(n, 111, 111, 79, 181);
    } else if (grade == 5) {
        int32_t place = ranking_position_find(w_cell(W_COURSE_NUMBER), w_cell(W_TIME_SCORE));
        int32_t best = w_cell(W_BEST_RECORDS + 8 * uint32_t(w_cell(W_COURSE_NUMBER) & 3)) & 0xFFFFFF;
        if (place != 0 && best >= w_cell(W_TIME_SCORE)) {
            grade_model(862, 0, 0);
            if (in_place) digit_sprites(place, 157, 173, 141, 332);
        } else {
            grade_model(place != 0 ? 861 : 863, 0, 0);
        }
        place_animation();
    }
}

void results_tile_blocks_draw() {
    if (w_word(W_RESULTS_STEP_WORD) == STEP_GRADE_CALL) {
        w_word_set(W_FINAL_TEXT_FLAG, 1);
        w_word_set(W_FINAL_TEXT_FRAMES, 0);
    }
    if (w_word(W_FINAL_TEXT_FLAG) == 0) return;
    int32_t grade = w_word(W_COURSE_GRADE), frames = w_word(W_FINAL_TEXT_FRAMES);
    auto field = [&](uint32_t k) { return rom_table_long(FINAL_TEXTS, grade, 4 * k); };
    if (frames & 0x10)
        text_block_draw(field(0), field(1), field(2), field(3), 7);
    else
        text_block_clear(field(0), field(1), field(2));
    w_word_set(W_FINAL_TEXT_FRAMES, frames + 1);
}

void results_sound_sequence() {
    int32_t counter = w_word(W_POINT_COOLDOWN) + 1;
    w_word_set(W_POINT_COOLDOWN, counter);
    if (counter <= 1) course_sounds_fade_in();
    if (counter == 2) {
        course_sounds_full();
        sound_stop_unless_held(SOUND_RESULTS);
    }
    if (counter == 12) sound_play(SOUND_RESULTS);
}

void results_sound_sequence_stop() {
    if (w_word(W_POINT_COOLDOWN) >= 12)
        sound_stop(SOUND_RESULTS);
    else
        w_word_set(W_POINT_COOLDOWN, SOUND_COUNTER_STOPPED);
}
