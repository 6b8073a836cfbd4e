#include "render/cz_fog.h"

#include "base/run_flags.h"
#include "board/board_memory.h"
#include "render/side_files.h"

#include <cstring>

fog_state fog_current;
bool fog_current_valid = false;

namespace {

// Mixer register offsets.
constexpr int MIX_SCALE = 0x00;
constexpr int MIX_FOG_COLOUR = 0x05;
constexpr int MIX_BG_COLOUR = 0x08;
constexpr int MIX_FOG_LEVEL = 0x0D;
constexpr int MIX_FOG_LEVEL_ON = 0x0E;
constexpr int MIX_SPRITE_CLEAR_GROUP = 0x0F;
constexpr int MIX_SPRITE_CLEAR_PIXEL = 0x10;
constexpr int MIX_TEXT_CLEAR_LOW = 0x12;
constexpr int MIX_TEXT_CLEAR_HIGH = 0x13;
constexpr int MIX_TEXT_CLEAR_PIXEL = 0x14;
constexpr int MIX_TEXT_CLEAR_AMOUNT = 0x15;
constexpr int MIX_FADE_COLOUR = 0x16;
constexpr int MIX_FADE_AMOUNT = 0x19;
constexpr int MIX_FADE_FLAGS = 0x1A;
constexpr int MIX_TEXT_GROUP = 0x1B;
constexpr int MIX_LUT = 0x100;
constexpr int MIXER_BYTES = 0x400;

// CZ register words.
constexpr int CZ_ENABLE = 4;
constexpr int CZ_BANK_MAP = 6;
constexpr int CZ_DENSITY_WINDOW = 0x200;  // czram byte offset of the 256 density words

fog_state fog_scratch;
double intake_seconds = 0;

void fill(uint8_t* table, int from, int to, uint8_t v) {
    if (to > from) memset(table + from, v, size_t(to - from));
}

}  // namespace

void fog_tables_build(fog_state* st, const uint16_t* words, int bank) {
    uint8_t* table = st->density[bank];
    bool reverse = (st->cz_attr[CZ_ENABLE] >> (4 * bank + 1)) & 1;
    memset(table, 0, FOG_TABLE_SIZE);
    int pos = 0;
    int min_end = FOG_TABLE_SIZE, max_end = 0;
    uint8_t min_val = reverse ? 255 : 0, max_val = reverse ? 0 : 255;
    // Word v is the depth index where the range of density v ends; a word that does not
    // advance past the previous end is ignored.
    for (int i = 0; i < FOG_DENSITY_WORDS; i++) {
        uint8_t v = uint8_t(reverse ? 255 - i : i);
        int end = words[v] < FOG_TABLE_SIZE ? words[v] : FOG_TABLE_SIZE;
        if (i > 0) {
            if (end <= pos) continue;
            fill(table, pos, end, v);
        }
        if (end < min_end) {
            min_end = end;
            min_val = v;
        }
        pos = end;
        if (end > max_end) {
            max_end = end;
            max_val = v;
        }
    }
    fill(table, 0, min_end, min_val);
    fill(table, max_end, FOG_TABLE_SIZE, max_val);
}

void fog_state_build(fog_state* out, const uint8_t* mixer, const uint16_t* regs, const uint16_t* const* tables) {
    memcpy(out->cz_attr, regs, sizeof out->cz_attr);
    memcpy(out->colour_scale, mixer + MIX_SCALE, 3);
    out->scale_active = !(mixer[MIX_SCALE] == 0xFF && mixer[MIX_SCALE + 1] == 0xFF && mixer[MIX_SCALE + 2] == 0xFF);
    memcpy(out->fog_colour, mixer + MIX_FOG_COLOUR, 3);
    memcpy(out->bg_colour, mixer + MIX_BG_COLOUR, 3);
    memcpy(out->fade_colour, mixer + MIX_FADE_COLOUR, 3);
    out->fade_amount = mixer[MIX_FADE_AMOUNT];
    out->fade_flags = mixer[MIX_FADE_FLAGS];
    out->sprite_clear_group = mixer[MIX_SPRITE_CLEAR_GROUP];
    out->sprite_clear_pixel = mixer[MIX_SPRITE_CLEAR_PIXEL];
    out->text_clear_low = mixer[MIX_TEXT_CLEAR_LOW];
    out->text_clear_high = mixer[MIX_TEXT_CLEAR_HIGH];
    out->text_clear_pixel = mixer[MIX_TEXT_CLEAR_PIXEL];
    out->text_clear_amount = mixer[MIX_TEXT_CLEAR_AMOUNT];
    out->text_group = mixer[MIX_TEXT_GROUP];
    out->fog_level = mixer[MIX_FOG_LEVEL_ON] ? mixer[MIX_FOG_LEVEL] : 0;
    memcpy(out->lut, mixer + MIX_LUT, sizeof out->lut);
    out->lut_active = 0;
    for (int i = 0; i < 3 * 256 && !out->lut_active; i++) out->lut_active = mixer[MIX_LUT + i] != 0;
    for (int b = 0; b < FOG_BANKS; b++) fog_tables_build(out, tables[b], b);
}

bool fog_state_from_live(const uint8_t* mixer, const uint16_t* regs, const uint16_t* const* tables) {
    fog_state_build(&fog_scratch, mixer, regs, tables);
    fog_current = fog_scratch;
    fog_current_valid = true;
    return true;
}

bool fog_mixer_intake() {
    double start = monotonic_seconds();
    uint16_t regs[8];
    uint16_t words[FOG_DENSITY_WORDS];
    for (int i = 0; i < 8; i++) regs[i] = load_be16(czram + 2 * i);
    for (int i = 0; i < FOG_DENSITY_WORDS; i++) words[i] = load_be16(czram + CZ_DENSITY_WINDOW + 2 * i);
    // The board keeps one table in the window; it serves all four banks.
    const uint16_t* tables[FOG_BANKS] = {words, words, words, words};
    fog_state_from_live(mixer_registers, regs, tables);
    intake_seconds += monotonic_seconds() - start;
    return true;
}

double fog_intake_seconds() {
    return intake_seconds;
}

bool fog_for_quad(uint32_t colour, uint32_t selector, const uint8_t** table, int* bias) {
    if (!fog_current_valid || (colour & 0x8000)) return false;
    int bank = (fog_current.cz_attr[CZ_BANK_MAP] >> (2 * (selector & 3))) & 3;
    if (!((fog_current.cz_attr[CZ_ENABLE] >> (4 * bank + 2)) & 1)) return false;
    uint16_t word = fog_current.cz_attr[bank];
    *bias = (word & 0x8000) ? (word & 0xFF) - 256 : (word & 0xFF);
    *table = fog_current.density[bank];
    return true;
}

int fog_density_lookup(const uint8_t* table, int bias, int32_t depth) {
    if (!table) return 255;
    int32_t index = depth >> 8;
    if (index < 0) index = 0;
    if (index >= FOG_TABLE_SIZE) index = FOG_TABLE_SIZE - 1;
    int d = table[index] + bias;
    if (d <= 0) return 255;
    return 255 - (d < 255 ? d : 255);
}

void fog_lut_apply(const fog_state* st, uint8_t* rgb) {
    if (!st->lut_active) return;
    for (int c = 0; c < 3; c++) rgb[c] = st->lut[c][rgb[c]];
}

void mixer_colour_lut_apply(uint8_t* r, uint8_t* g, uint8_t* b) {
    if (!fog_current_valid) return;
    uint8_t rgb[3] = {*r, *g, *b};
    fog_lut_apply(&fog_current, rgb);
    *r = rgb[0];
    *g = rgb[1];
    *b = rgb[2];
}

bool fog_dump_read(fog_state* out, const char* dir, int frame) {
    char path[SIDE_PATH_MAX];
    uint8_t bytes[MIXER_BYTES];
    uint16_t regs[8];
    static uint16_t words[FOG_BANKS][FOG_DENSITY_WORDS];
    if (!side_path(path, "%s/czattr_f%d.bin", dir, frame) || !side_file_read(path, bytes, 16)) return false;
    for (int i = 0; i < 8; i++) regs[i] = load_be16(bytes + 2 * i);
    for (int b = 0; b < FOG_BANKS; b++) {
        if (!side_path(path, "%s/czram%d_f%d.bin", dir, b, frame) ||
            !side_file_read(path, bytes, 2 * FOG_DENSITY_WORDS))
            return false;
        for (int i = 0; i < FOG_DENSITY_WORDS; i++) words[b][i] = load_be16(bytes + 2 * i);
    }
    if (!side_path(path, "%s/mix_f%d.bin", dir, frame) || !side_file_read(path, bytes, MIXER_BYTES)) return false;
    const uint16_t* tables[FOG_BANKS] = {words[0], words[1], words[2], words[3]};
    fog_state_build(out, bytes, regs, tables);
    out->lut_active = 1;
    return true;
}

bool fog_state_load_dump(const char* dir, int frame) {
    bool ok = fog_dump_read(&fog_scratch, dir, frame);
    if (ok) fog_current = fog_scratch;
    fog_current_valid = ok;
    return ok;
}
