#include "game/services/digit_writers.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/game_state_ram.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t SCORE_PLACES = 5;
constexpr int32_t SCORE_PLACE_STEP = 40;
constexpr int32_t ROLL_STEP = 4096;  // first-angle turn per roll phase

// Model of each digit's face and wheel; entry 10 is the blank of a leading place.
constexpr int32_t SCORE_BLANK = 10;
constexpr rom_table ROM_SCORE_FACES = {0x37550, 4, SCORE_BLANK + 1};
constexpr rom_table ROM_SCORE_WHEELS = {0x37524, 4, SCORE_BLANK + 1};
constexpr rom_table ROM_LAMP_TILES = {0x354B4, 2, 16};    // blink tile of each counter value
constexpr rom_table ROM_CLOCK_TILES = {0x35294, 2, 16};   // blink tile of each clock phase

// hud_number_models' digit sets: faces 637 + d, wheels 627 + d, blanks for leading zeros.
constexpr int32_t HUD_FACE = 637, HUD_WHEEL = 627, HUD_FACE_BLANK = 625, HUD_WHEEL_BLANK = 624;
constexpr int32_t HUD_PLACES = 4;

// number_sprite_draw: tens faces 603 + d, units faces 613 + d, the separator 623.
constexpr int32_t CLOCK_TENS = 603, CLOCK_UNITS = 613, CLOCK_SEPARATOR = 623;
constexpr int32_t CLOCK_UNITS_DX = 88, CLOCK_SEPARATOR_DX = 44;
constexpr int32_t CLOCK_MAX = 6058, CLOCK_ROUNDING = 59;
constexpr int32_t CLOCK_ROLL_FRAMES = 16, CLOCK_ROLL_STEP = 2048;

int32_t score_cell(int32_t i) {
    return uint16_t(w_word(W_SCORE_DIGITS + 2 * uint32_t(i)));
}

int32_t angle16(int32_t a) {
    return a & 0xFFFF;
}

// Entry index (0..15) of a blink table, negated into a special sprite tile.
int32_t blink_tile(const rom_table& t, int32_t index) {
    return -rom_table_word(t, index & 15, 0);
}

}  // namespace

// Five rolling digits; a roll of eight phases steps the lowest digit that
// differs from the value's, with a tick sound each step.
int32_t score_digits_draw(int32_t layer, int32_t shown, int32_t value, int32_t x, int32_t y, int32_t z) {
    int32_t phase = shown & 7;
    int32_t rolling = -1;
    if (shown / 8 < value) {
        int32_t rest = value;
        for (int32_t i = 0; i < SCORE_PLACES && rolling < 0; i++, rest /= 10)
            if (score_cell(i) != rest % 10) rolling = i;
        if (rolling >= 0) {
            phase = (phase + 1) & 7;
            if (phase == 0) {
                w_word_set(W_SCORE_DIGITS + 2 * uint32_t(rolling), uint32_t(score_cell(rolling) + 1) % 10);
                sound_play(-1);
            }
        }
    }
    for (int32_t i = 0; i < SCORE_PLACES; i++)
        dl_object_put(layer, rom_table_long(ROM_SCORE_FACES, score_cell(i), 0), x + 200 - SCORE_PLACE_STEP * i, y, z,
                      0, 0, 0, 0);
    int32_t shown_number = 0;
    for (int32_t i = SCORE_PLACES - 1; i >= 0; i--)  // a blank place shows no digit
        shown_number = shown_number * 10 + (score_cell(i) == SCORE_BLANK ? 0 : score_cell(i));
    for (int32_t i = 0; i < SCORE_PLACES; i++) {
        int32_t digit = score_cell(i), at = x + 200 - SCORE_PLACE_STEP * i;
        int32_t turn = i == rolling ? angle16(-ROLL_STEP * phase) : 0;
        dl_object_put(layer, rom_table_long(ROM_SCORE_WHEELS, digit, 0), at, y, z, turn, 0, 0, 0);
        if (i == rolling) dl_object_put(layer, rom_table_long(ROM_SCORE_WHEELS, (digit + 1) % 10, 0), at, y, z, 0, 0, 0, 0);
    }
    return phase + 8 * shown_number;
}

// Four places of digit models right to left from x; the lowest places
// that read 9 carry the roll of the units into the next digit.
void hud_number_models(int32_t group, int32_t value, int32_t x, int32_t y, int32_t z) {
    int32_t n = value / 8, phase = value % 8;
    dl_object_put_8001(group, HUD_FACE, x, y, z, 0, 0, 0, 0);
    bool carrying = true;
    for (int32_t place = 1; place <= HUD_PLACES; place++, n /= 10) {
        int32_t at = x - SCORE_PLACE_STEP * place, digit = n % 10;
        dl_object_put_8001(group, n == 0 ? HUD_FACE_BLANK : HUD_FACE + digit, at, y, z, 0, 0, 0, 0);
        int32_t wheel = n == 0 ? HUD_WHEEL_BLANK : HUD_WHEEL + digit;
        if (!carrying) {
            dl_object_put_8001(group, wheel, at, y, z, 0, 0, 0, 0);
            continue;
        }
        dl_object_put_8001(group, wheel, at, y, z, angle16(-phase * ROLL_STEP), 0, 0, 0);
        int32_t next = n == 0 ? HUD_WHEEL + 1 : HUD_WHEEL + (digit + 1) % 10;
        dl_object_put_8001(group, next, at, y, z, 0, 0, 0, 0);
        carrying = digit == 9;
    }
}

// The lamp sprite, and the score sprite blinking through a 16-step counter
// that a score with any of its low three bits set starts.
void lamp_score_sprites(int32_t layer, int32_t flags, int32_t x, int32_t y, int32_t priority) {
    static int32_t counter;
    static const bool log = env_present("SKYVOLTA_LAMPLOG");
    int32_t lamp = (flags & 4) != 0 ? -7 : -8;
    sprite_call(layer, lamp, x, y, priority + 37501, 32, 32, 0, 1);
    if (counter != 0 || (flags & 7) != 0) counter = (counter + 1) & 15;
    int32_t tile = blink_tile(ROM_LAMP_TILES, counter);
    sprite_call(layer, tile, x - 62, y + 16, priority + 37499, 32, 32, 0, 1);
    if (log)
        printf("[LAMP] f%d E50=%ld lampA=%d ctr=%ld tileB=%d score=%ld\n", int(host_frame), long(w_cell(W_RACE_POINTS)),
               int(lamp), long(counter), int(tile), long(w_cell(W_RUN_SCORE)));
}

// A time in frames as seconds on two digit wheels, the clock sprite beside
// them blinking faster as the race time runs out.
void number_sprite_draw(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f) {
    a = int16_t(a), b = int16_t(b), c = int16_t(c), d = int16_t(d), e = int16_t(e), f = int16_t(f);
    int32_t h = a < 0 ? CLOCK_ROUNDING : std::min(a + CLOCK_ROUNDING, CLOCK_MAX);
    int32_t s = h / 60, t = h % 60;

    int32_t blink = w_cell_byte(W_CLOCK_BLINK) & 15;
    if (h < w_cell(W_RACE_TIMER) || h < 600)
        blink = (blink + (h < 300 ? 2 : 1)) & 15;
    else if (blink != 0)
        blink = (blink + 1) & 15;
    w_cell_set(W_CLOCK_BLINK, blink);
    sprite_call(5, t > 14 ? -2 : -3, e, f, d, 32, 32, 0, 1);
    sprite_call(5, blink_tile(ROM_CLOCK_TILES, blink), e + 160, f + 16, d + 1, 32, 32, 0, 1);

    int32_t tens = s / 10 % 10, units = s % 10;
    dl_object_put_8001(1, CLOCK_SEPARATOR, b + CLOCK_SEPARATOR_DX, c, d, 0, 0, 0, 0);
    if (t >= CLOCK_ROLL_FRAMES) {
        dl_object_put_8001(1, CLOCK_TENS + tens, b, c, d, 0, 0, 0, 0);
        dl_object_put_8001(1, CLOCK_UNITS + units, b + CLOCK_UNITS_DX, c, d, 0, 0, 0, 0);
        return;
    }
    // The second about to end rolls toward the next lower one, half a turn behind.
    int32_t pitch = CLOCK_ROLL_STEP * t, behind = angle16(pitch - 0x8000);
    int32_t next_units = (units + 9) % 10, next_tens = units == 0 ? (tens + 9) % 10 : tens;
    dl_object_put_8001(1, CLOCK_UNITS + units, b + CLOCK_UNITS_DX, c, d, pitch, 0, 0, 0);
    dl_object_put_8001(1, CLOCK_UNITS + next_units, b + CLOCK_UNITS_DX, c, d, behind, 0, 0, 0);
    if (next_tens == tens) {
        dl_object_put_8001(1, CLOCK_TENS + tens, b, c, d, 0, 0, 0, 0);
        return;
    }
    dl_object_put_8001(1, CLOCK_TENS + tens, b, c, d, pitch, 0, 0, 0);
    dl_object_put_8001(1, CLOCK_TENS + next_tens, b, c, d, behind, 0, 0, 0);
}
