#include "board/ranking_page.h"

#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/rankings.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <initializer_list>

namespace {

constexpr int STATE_STAGE_START = 5;
constexpr int SCORE_DIGITS = 5;
constexpr uint8_t SCORE_ATTRIBUTE = 0x12;
constexpr uint8_t DIGIT_CHARACTER = 0x20;
constexpr uint8_t POINTS_CHARACTER = 0x2A;  // four cells after the score: "PTS." tiles

void cell_put(int column, int row, uint8_t attribute, uint8_t character) {
    uint32_t at = uint32_t(row * TEXT_COLUMNS + column) * 2;
    if (column < 0 || column >= TEXT_COLUMNS || at + 1 >= sizeof textram) return;
    textram[at] = attribute;
    textram[at + 1] = character;
}

// The score's low five decimal digits, right-aligned to last_column; nothing left of the
// highest digit (a score of 0 writes no digit); then the four points cells.
void score_cells_put(int last_column, int row, int32_t score) {
    int32_t v = score;
    for (int i = 0; i < SCORE_DIGITS && v > 0; i++, v /= 10)
        cell_put(last_column - i, row, SCORE_ATTRIBUTE, uint8_t(DIGIT_CHARACTER + v % 10));
    for (int i = 0; i < 4; i++) cell_put(last_column + 1 + i, row, SCORE_ATTRIBUTE, uint8_t(POINTS_CHARACTER + i));
}

void page_text_draw() {
    text_block_draw(163, 7, 4, 592, 1);
    text_block_draw(151, 2, 7, 336, 1);
    text_block_draw(152, 14, 7, 360, 1);
    text_block_draw(153, 26, 7, 384, 1);
    for (int t = 0; t < RANK_COURSE_TABLES; t++)
        for (int r = 0; r < 3; r++)
            for (int c = 0; c < 3; c++) text_block_draw(93, 5 + 2 * c + 12 * t, 10 + 4 * r, 416 + 36 * t + 12 * r + 4 * c, 1);
    for (int t = 0; t < RANK_COURSE_TABLES; t++)
        for (int r = 0; r < 3; r++)
            score_cells_put(8 + 12 * t, 12 + 4 * r, w_cell(uint32_t(ranking_entry_cell(t, r))) & 0xFFFFFF);
    for (int r = 0; r < 3; r++)
        for (int t = 0; t < RANK_COURSE_TABLES; t++) text_block_draw(120 + r, 2 + 12 * t, 10 + 4 * r, 576 + 4 * r, 1);
}

void no_service() {}

}  // namespace

ranking_page_services ranking_page_game = {no_service, no_service, no_service, no_service};

void ranking_page_enter() {
    w_cell_set(W_COURSE_NUMBER, 2);
    ranking_page_game.state_vars_init();
    textram_clear();
    ranking_page_game.camera_reset();
    w_cell_set(W_CAMERA_HEADING, 0x5800);
    w_cell_set(W_PLAYER_X, 5120);
    w_cell_set(W_PLAYER_Y, 0xDB00);
    w_cell_set(W_PLAYER_Z, -0x8000);
    for (uint32_t angle : {W_PLAYER_PITCH, W_PLAYER_HEADING, W_PLAYER_ROLL}) w_cell_set(angle, 0);
    fade_colour_set(0);
    w_cell_set(W_FADE_FLAGS, 3);
    ranking_page_game.tiles_load();
    w_cell_set(W_ATTRACT_PHASE, 7);
    w_cell_set(W_PAGE_TIMER, w_cell(W_GAME_STATE) == STATE_STAGE_START ? 474 : RANKING_PAGE_FRAMES);
    ranking_page_draw();
}

int ranking_page_draw() {
    int32_t timer = w_cell(W_PAGE_TIMER);
    int64_t shown = int64_t(RANKING_PAGE_FRAMES) - timer;
    if (shown > 5) page_text_draw();

    w_cell_set(W_CAMERA_HEADING, int32_t(uint32_t(w_cell(W_CAMERA_HEADING)) + 8));
    w_cell_set(W_PLAYER_Z, int32_t(uint32_t(w_cell(W_PLAYER_Z)) + 80));
    w_cell_set(W_CAMERA_PITCH, 0x4000);
    dl_marker(0, 42, 0, 0, 0);
    player_render_hook();

    if (w_cell(W_SWITCH_PORT0 + SP_PRESSED) & 8) {
        static const uint8_t initials[3] = {1, 2, 3};
        ranking_insert_entry(0, w_cell(W_TEST_SCORE), initials);
    }
    if (w_cell(W_GAME_STATE) == STATE_STAGE_START) return 0;
    int64_t t = timer;
    if (shown <= 127) w_cell_set(W_FADE_AMOUNT, int32_t(2 * t - 706));
    else if (t <= 127) w_cell_set(W_FADE_AMOUNT, int32_t(254 - 2 * t));
    w_cell_set(W_PAGE_TIMER, int32_t(uint32_t(timer) - 1));
    if (t - 1 >= 0) return 0;
    ranking_page_game.next_scene();
    return 1;
}
