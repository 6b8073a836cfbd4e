#include "game/modes/title_screen.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/coin_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/world/camera.h"

namespace {

constexpr int32_t LOGO_MODEL = 39;
constexpr int32_t LOGO_X = 0x8000, LOGO_Y = 0x8000, LOGO_Z = 2560;
constexpr int32_t LOGO_LAST_WORD = 2;
constexpr int32_t TITLE_VIEW_FOV = 1920;
constexpr int32_t TITLE_SPRITE_LAYER = 5;
constexpr int32_t TITLE_SPRITE_SIZE = 32;
constexpr int32_t TITLE_FADE = 192;
constexpr int32_t TITLE_MUSIC = 14;

struct title_sprite {
    int32_t tile, x, y;
};
constexpr title_sprite TITLE_SPRITES[] = {
    {330, 0, 0},   {331, 256, 0},   {332, 512, 0},  {333, 0, 160},
    {334, 256, 160}, {335, 512, 160}, {336, 144, 288}, {337, 400, 288},
};

struct block_load {
    int block, tile;
};
constexpr block_load TITLE_BLOCKS[] = {{25, 864}, {26, 816}, {27, 752}};
constexpr int DIGIT_BLOCK_FIRST = 32, DIGIT_BLOCK_LAST = 40, DIGIT_TILE_FIRST = 912;

// The prompt: "PRESS START" with a credit, "INSERT COIN(S)" and the coins still wanted
// without one.
constexpr int PROMPT_ROW = 22, PROMPT_COLUMN = 6, PROMPT_DIGIT_COLUMN = 14, PROMPT_PALETTE = 3;
constexpr int BLOCK_START = 27, BLOCK_START_TILE = 752;
constexpr int BLOCK_INSERT = 26, BLOCK_INSERT_TILE = 816;
constexpr int BLOCK_DIGIT = 32, BLOCK_DIGIT_TILE = 908;
constexpr uint32_t TITLE_TEXT = 0x03ACD4;

constexpr int32_t CREDIT_SOUND = 38, CREDIT_SOUND_PARAMETER = 0x6D;
constexpr int32_t CREDIT_SOUND_FRAME = 30;

bool credit_or_free_play(int32_t* coins_wanted) {
    int32_t coins = w_cell(W_COIN_COUNT) & 0xFFFF;
    int32_t price = w_cell(W_COINS_PER_CREDIT);
    *coins_wanted = price - coins;
    return coins >= price || free_play_on();
}

void prompt_draw(uint32_t tick) {
    int32_t wanted;
    bool credit = credit_or_free_play(&wanted);
    if (tick & 0x20) {
        text_block_clear(credit ? BLOCK_START : BLOCK_INSERT, PROMPT_COLUMN, PROMPT_ROW);
    } else if (credit) {
        text_print(PROMPT_COLUMN, PROMPT_ROW, TITLE_TEXT, int(tick >> 6 & 7) * 2);
        text_block_draw(BLOCK_START, PROMPT_COLUMN, PROMPT_ROW, BLOCK_START_TILE, PROMPT_PALETTE);
    } else {
        text_block_draw(BLOCK_INSERT, PROMPT_COLUMN, PROMPT_ROW, BLOCK_INSERT_TILE, PROMPT_PALETTE);
        text_block_draw(BLOCK_DIGIT, PROMPT_DIGIT_COLUMN, PROMPT_ROW, BLOCK_DIGIT_TILE + 4 * wanted, PROMPT_PALETTE);
    }
    if (!credit) return;
    int32_t frames = w_word(W_POINT_COOLDOWN) + 1;  // the title's frames with a credit
    w_word_set(W_POINT_COOLDOWN, frames);
    if (frames == CREDIT_SOUND_FRAME) sound_play_p(CREDIT_SOUND << 16 | CREDIT_SOUND_PARAMETER);
}

}  // namespace

void title_cgram_load() {
    for (const block_load& b : TITLE_BLOCKS) cgram_load_tile_block(b.block, b.tile);
    for (int n = DIGIT_BLOCK_FIRST; n <= DIGIT_BLOCK_LAST; n++)
        cgram_load_tile_block(n, DIGIT_TILE_FIRST + 4 * (n - DIGIT_BLOCK_FIRST));
    palette_bank_load(25, 3);
    palette_bank_load(247, 5);
}

void title_enter() {
    textram_clear();
    camera_reset();
    title_cgram_load();
    w_cell_set(W_FADE_FLAGS, 1);
    w_cell_set(W_FADE_AMOUNT, TITLE_FADE);
    fade_colour_set(0);
    sound_stop_unless_held(TITLE_MUSIC);
    sound_stop_upper();
    w_cell_set(W_GAME_STATE, 13);
    title_logo();
}

void title_logo() {
    uint32_t tick = uint32_t(w_cell(W_FRAME_TICK));
    dl_object_put(0, LOGO_MODEL, LOGO_X, LOGO_Y, LOGO_Z, 0, int32_t(tick * 32 & 0xFFFF), 0, LOGO_LAST_WORD);
    uint32_t view0 = (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current()) / 4;
    dsp_word_set(view0 + DL_VIEW_FOV_WORD, TITLE_VIEW_FOV);
    for (const title_sprite& s : TITLE_SPRITES)
        sprite_call(TITLE_SPRITE_LAYER, s.tile, s.x, s.y, 0, TITLE_SPRITE_SIZE, TITLE_SPRITE_SIZE, 0, 1);
    prompt_draw(tick);
}
