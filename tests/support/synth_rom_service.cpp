// The service mode's menus, value lists, texts and tables of the synthetic program ROM.
#include "tests/support/synth_rom_tables.h"

#include <cstring>

namespace {

constexpr int16_t TITLE = -1;  // item of a line that never blinks

// Menu m at `addr`: its lines, texts in label block m, then the end mark.
template <size_t N>
void menu_put(synth_rom_set* set, uint32_t addr, int m, const synth_service_line (&lines)[N]) {
    uint32_t text = SYNTH_SERVICE_LABELS + 0x200 * uint32_t(m);
    for (size_t i = 0; i < N; i++) {
        const synth_service_line& l = lines[i];
        uint32_t at = addr + 12 * uint32_t(i);
        if (l.text) {
            synth_put_string(set, text, l.text);
            synth_put32(set, at, text);
            text += uint32_t(strlen(l.text)) + 1;
        } else {
            synth_put32(set, at, SYNTH_SOUND_NAME_AT);
        }
        const int16_t words[4] = {l.column, l.row, l.colour, l.item};
        for (uint32_t k = 0; k < 4; k++) synth_put16(set, at + 4 + 2 * k, uint16_t(words[k]));
    }
    synth_put32(set, addr + 12 * uint32_t(N), 0);
}

template <size_t N>
void values_put(synth_rom_set* set, uint32_t addr, const synth_service_value (&values)[N]) {
    for (size_t i = 0; i < N; i++) {
        const synth_service_value& v = values[i];
        uint32_t at = addr + 24 * uint32_t(i);
        synth_put32(set, at, v.address);
        synth_put32(set, at + 4, uint32_t(v.kind));
        const int16_t words[8] = {v.column, v.row, v.minimum, v.maximum, v.width, v.factory, v.size, v.item};
        for (uint32_t k = 0; k < 8; k++) synth_put16(set, at + 8 + 2 * k, uint16_t(words[k]));
    }
    synth_put32(set, addr + 24 * uint32_t(N), 0);
}

}  // namespace

void synth_service_texts(synth_rom_set* set) {
    for (const synth_service_text& t : SYNTH_SERVICE_TEXTS) synth_put_string(set, t.address, t.text);
    synth_put32(set, SYNTH_ONOFF_TABLE, 0x3A508);
    synth_put32(set, SYNTH_ONOFF_TABLE + 4, 0x3A50C);
    synth_put32(set, 0x36614, SYNTH_COIN_WORDS + 0x10);
    synth_put32(set, 0x36618, SYNTH_COIN_WORDS + 0x18);
}

void synth_settings_header(synth_rom_set* set) {
    synth_put_string(set, 0x3653C, SYNTH_SETTINGS_ID);
}

void synth_time_radices(synth_rom_set* set) {
    for (uint32_t i = 0; i < 11; i++) synth_put16(set, 0x36682 + 2 * i, SYNTH_TIME_RADICES[i]);
}

void synth_main_menu(synth_rom_set* set) {
    static const synth_service_line lines[] = {
        {"TEST MENU", 14, 3, 0, TITLE},     {"COIN OPTIONS", 8, 6, 0, 0}, {"GAME OPTIONS", 8, 8, 0, 1},
        {"I/O TEST", 8, 10, 0, 2},          {"PATTERN TEST", 8, 12, 0, 3}, {"SOUND TEST", 8, 14, 0, 4},
        {"BOOKKEEPING", 8, 16, 0, 5},       {"BOARD TEST", 8, 18, 0, 6},
    };
    menu_put(set, 0x36698, 0, lines);
    for (uint32_t i = 0; i < 7; i++) synth_put16(set, 0x36704 + 2 * i, uint16_t(SYNTH_MAIN_MENU_PAGES[i]));
}

void synth_coin_lists(synth_rom_set* set) {
    static const synth_service_value values[] = {
        {0xE16922, 0, 20, 4, 1, 9, 1, 1, 2, 0},           // old form: coin value 2
        {0xE04010, -2, 20, 5, 0, 0, 5, 2, 4, -1},         // old form: the play time
        {0xE1691C, 0, 20, 8, 1, 9, 1, 4, 4, 0},           // coin value 1
        {0xE16928, SYNTH_KIND_ONOFF, 20, 10, 0, 1, 3, 1, 2, 1},  // coin value 3: free play
    };
    values_put(set, 0x36714, values);
    static const int16_t places[4] = {22, 8, 24, 10};
    for (uint32_t k = 0; k < 4; k++) synth_put16(set, 0x36CEC + 2 * k, uint16_t(places[k]));
}

void synth_game_lists(synth_rom_set* set) {
    static const synth_service_value values[] = {
        {0xE1692A, 0, 24, 8, 0, 9999, 4, int16_t(SYNTH_SETTING_36806), 2, 0},
        {0xE16922, -1, 24, 10, 0, 0x7FFF, 4, int16_t(SYNTH_SETTING_3681E), 2, 1},
        {0xE16928, SYNTH_KIND_ONOFF, 24, 12, 0, 1, 3, 0, 2, 2},
        {0xE1692C, -1, 24, 14, -32768, 32767, 4, int16_t(SYNTH_SETTING_3684E), 2, 3},
    };
    values_put(set, 0x367F4, values);
    static const synth_service_line lines[] = {
        {"GAME OPTIONS", 12, 3, 0, TITLE}, {"DIFFICULTY", 4, 8, 0, 0}, {"LEVEL", 4, 10, 0, 1},
        {"RESET RANKING", 4, 12, 0, 2},    {"ATTRACT SOUND", 4, 14, 0, 3}, {"EXIT", 4, 18, 0, 4},
    };
    menu_put(set, 0x3686C, 1, lines);
}

void synth_io_menus(synth_rom_set* set) {
    static const synth_service_line io[] = {
        {"I/O TEST", 14, 2, 0, TITLE}, {"DIP SW", 4, 6, 0, TITLE},   {"INPUT TEST", 4, 9, 0, 0},
        {"I/O VALUE", 4, 10, 0, 1},    {"OUTPUT 1", 4, 11, 0, 2},   {"OUTPUT 2", 4, 12, 0, 3},
        {"EXIT", 4, 14, 0, 4},
    };
    menu_put(set, 0x368CC, 2, io);
    static const synth_service_line input[] = {
        {"PITCH", 4, 12, 0, TITLE}, {"TURN", 4, 14, 0, TITLE},    {"START", 4, 16, 0, TITLE},
        {"COIN", 4, 18, 0, TITLE},  {"SERVICE", 4, 20, 0, TITLE},
    };
    menu_put(set, 0x3692C, 3, input);
    static const synth_service_line value[] = {{"I/O VALUE", 4, 14, 0, TITLE}};
    menu_put(set, 0x36974, 4, value);
    static const synth_service_line output1[] = {{"LAMP 1", 4, 16, 0, 0}, {"EXIT", 4, 20, 0, 1}};
    menu_put(set, 0x3699C, 5, output1);
    static const synth_service_line output2[] = {{"LAMP 2", 4, 18, 0, 0}, {"EXIT", 4, 20, 0, 1}};
    menu_put(set, 0x369C0, 6, output2);
}

void synth_pattern_menu(synth_rom_set* set) {
    static const synth_service_line lines[] = {
        {"PATTERN TEST", 12, 3, 0, TITLE}, {"PATTERN 0", 8, 5, 0, 0},  {"PATTERN 1", 8, 6, 0, 1},
        {"PATTERN 2", 8, 7, 0, 2},         {"PATTERN 3", 8, 8, 0, 3},  {"PATTERN 4", 8, 9, 0, 4},
        {"PATTERN 5", 8, 10, 0, 5},        {"PATTERN 6", 8, 11, 0, 6}, {"PATTERN 7", 8, 12, 0, 7},
        {"PATTERN 8", 8, 13, 0, 8},        {"PATTERN 9", 8, 14, 0, 9}, {"EXIT", 8, 16, 0, 10},
    };
    menu_put(set, 0x369FC, 7, lines);
}

void synth_sound_lists(synth_rom_set* set) {
    static const synth_service_value decimal[] = {
        {0xE16934, 0, 24, 6, 0, 63, 2, SYNTH_VOLUME_FACTORY, 2, 0},
        {0xE16936, 0, 24, 8, 0, 63, 2, SYNTH_VOLUME_FACTORY, 2, 1},
        {0xE1693C, 0, 24, 10, 0, 9, 1, 0, 2, 2},
        {0xE1693A, 0, 25, 10, 0, 9, 1, 0, 2, 3},
        {0xE16938, 0, 26, 10, 0, 9, 1, 0, 2, 4},
    };
    values_put(set, 0x36A98, decimal);
    static const synth_service_value hex[] = {
        {0xE16934, 0, 24, 6, 0, 63, 2, SYNTH_VOLUME_FACTORY, 2, 0},
        {0xE16936, 0, 24, 8, 0, 63, 2, SYNTH_VOLUME_FACTORY, 2, 1},
        {0xE1693C, -1, 24, 10, 0, 15, 1, 0, 2, 2},
        {0xE1693A, -1, 25, 10, 0, 15, 1, 0, 2, 3},
        {0xE16938, -1, 26, 10, 0, 15, 1, 0, 2, 4},
        {0xE1692C, -1, 24, 12, 0, 31, 2, 0, 2, 5},
        {0xE1692A, -1, 24, 14, 0, 255, 2, 137, 2, 6},
    };
    values_put(set, 0x36B88, hex);
    static const synth_service_line decimal_menu[] = {
        {"SOUND TEST", 14, 3, 0, TITLE}, {"VOLUME A", 4, 6, 0, 0}, {"VOLUME B", 4, 8, 0, 1},
        {"CODE", 4, 10, 0, 2},           {nullptr, 4, 20, 0, TITLE}, {"EXIT", 4, 16, 0, 5},
    };
    menu_put(set, 0x36B28, 8, decimal_menu);
    static const synth_service_line hex_menu[] = {
        {"SOUND TEST", 14, 3, 0, TITLE}, {"VOLUME A", 4, 6, 0, 0},  {"VOLUME B", 4, 8, 0, 1},
        {"CODE", 4, 10, 0, 2},           {"PARAM SLOT", 4, 12, 0, 5}, {"PARAM", 4, 14, 0, 6},
        {nullptr, 4, 20, 0, TITLE},      {"EXIT", 4, 16, 0, 7},
    };
    menu_put(set, 0x36C48, 9, hex_menu);
}

void synth_bookkeeping_lists(synth_rom_set* set) {
    static const synth_service_value view0[] = {
        {0xE1691C, 0, 24, 8, 0, 0, 6, 0, 4, -1},  {0xE16924, 0, 24, 10, 0, 0, 6, 0, 4, -1},
        {0xE16920, 0, 24, 12, 0, 0, 6, 0, 4, -1}, {0xE04010, -2, 24, 14, 0, 0, 5, 0, 4, -1},
        {0xE04014, 0, 24, 16, 0, 0, 6, 0, 4, -1},
    };
    values_put(set, 0x36D80, view0);
    static const synth_service_line menu0[] = {
        {"BOOKKEEPING 1/4", 12, 3, 0, 0}, {"AVERAGE 1", 4, 8, 0, TITLE}, {"AVERAGE 2", 4, 10, 0, TITLE},
        {"AVERAGE 3", 4, 12, 0, TITLE},  {"PLAY TIME", 4, 14, 0, TITLE}, {"TOTAL", 4, 16, 0, TITLE},
    };
    static const synth_service_line menu1[] = {{"BOOKKEEPING 2/4", 12, 3, 0, 1}, {"COURSE", 4, 7, 0, TITLE}};
    static const synth_service_line menu2[] = {{"BOOKKEEPING 3/4", 12, 3, 0, 2}, {"STAGES", 4, 7, 0, TITLE}};
    static const synth_service_line menu3[] = {{"BOOKKEEPING 4/4", 12, 3, 0, 3}, {"SUM", 34, 7, 0, TITLE}};
    const uint32_t menus[4] = {0x36E20, 0x36E80, 0x36EE0, 0x36F40};
    menu_put(set, menus[0], 10, menu0);
    menu_put(set, menus[1], 11, menu1);
    menu_put(set, menus[2], 12, menu2);
    menu_put(set, menus[3], 13, menu3);
    for (uint32_t v = 0; v < 4; v++) {
        synth_put32(set, 0x36FD8 + 4 * v, menus[v]);
        synth_put32(set, 0x36FE8 + 4 * v, v == 0 ? 0x36D80 : 0);
    }
}

void synth_board_menus(synth_rom_set* set) {
    static const synth_service_line board[] = {
        {"BOARD TEST", 14, 3, 0, TITLE}, {"FACTORY RESET", 8, 6, 0, 0}, {"VIDEO PCB TEST", 8, 8, 0, 1},
        {"DSP PCB TEST", 8, 10, 0, 2},   {"ROM CHECK", 8, 12, 0, 3},    {"EXIT", 8, 14, 0, 4},
    };
    menu_put(set, 0x36FF8, 14, board);
    static const synth_service_line dsp[] = {
        {"DSP PCB TEST", 14, 3, 0, TITLE}, {"TEST 0", 4, 7, 0, TITLE},  {"TEST 1", 4, 8, 0, TITLE},
        {"TEST 2", 4, 9, 0, TITLE},        {"TEST 3", 4, 10, 0, TITLE}, {"TEST 4", 4, 11, 0, TITLE},
        {"TEST 5", 4, 12, 0, TITLE},       {"TEST 6", 4, 13, 0, TITLE}, {"TEST 7", 4, 14, 0, TITLE},
        {"TEST 8", 4, 15, 0, TITLE},       {"TEST 9", 4, 16, 0, TITLE}, {"TEST 10", 4, 17, 0, TITLE},
        {"TEST 11", 4, 18, 0, TITLE},
    };
    menu_put(set, 0x37070, 15, dsp);
    static const synth_service_line clear[] = {
        {"CLEAR BOOKKEEPING?", 10, 8, 0, TITLE}, {"YES", 14, 12, 0, 0}, {"NO", 14, 14, 0, 1}};
    menu_put(set, 0x37130, 16, clear);
    static const synth_service_line factory[] = {
        {"FACTORY RESET?", 12, 8, 0, TITLE}, {"YES", 14, 12, 0, 0}, {"NO", 14, 14, 0, 1}};
    menu_put(set, 0x37178, 17, factory);
    static const synth_service_line rom_check[] = {
        {"POINT 0 LOW", 2, 8, 0, TITLE},   {"POINT 0 MID", 2, 10, 0, TITLE}, {"POINT 0 HIGH", 2, 12, 0, TITLE},
        {"POINT 1 LOW", 2, 14, 0, TITLE},  {"POINT 1 MID", 2, 16, 0, TITLE}, {"POINT 1 HIGH", 2, 18, 0, TITLE},
        {"POINT 2 LOW", 2, 20, 0, TITLE},  {"POINT 2 MID", 2, 22, 0, TITLE}, {"POINT 2 HIGH", 2, 24, 0, TITLE},
        {"ROM CHECK", 14, 3, 0, TITLE},
    };
    menu_put(set, 0x371CC, 18, rom_check);
}

void synth_handle_lists(synth_rom_set* set) {
    static const synth_service_value values[] = {
        {0xE16928, -1, 24, 10, 0, 0, 4, 0, 2, -1}, {0xE1692A, -1, 24, 12, 0, 0, 4, 0, 2, -1},
        {0xE03FD2, -1, 24, 14, 0, 0, 4, 0, 2, -1}, {0xE03FD0, -1, 24, 16, 0, 0, 4, 0, 2, -1},
    };
    values_put(set, 0x372D0, values);
    static const synth_service_line lines[] = {
        {"HANDLE ADJUST", 12, 3, 0, 0},   {"PITCH", 4, 10, 0, TITLE},       {"TURN", 4, 12, 0, TITLE},
        {"PITCH CENTRE", 4, 14, 0, TITLE}, {"TURN CENTRE", 4, 16, 0, TITLE},
    };
    menu_put(set, 0x37378, 19, lines);
}

void synth_credit_colours(synth_rom_set* set) {
    for (uint32_t i = 0; i < 8; i++) {
        synth_put8(set, 0x3795A + 4 * i, uint8_t(32 * i));
        synth_put8(set, 0x3795A + 4 * i + 1, uint8_t(255 - 32 * i));
        synth_put8(set, 0x3795A + 4 * i + 2, 128);
        synth_put8(set, 0x3795A + 4 * i + 3, 0);
    }
}

void synth_pattern_lists(synth_rom_set* set) {
    static const uint32_t lists[9] = {0x1C278, 0x1C3C6, 0x1C50A, 0x1C550, 0x1C598, 0, 0x1C676, 0x1C76A, 0x1C85E};
    static const uint32_t second[2] = {0x1C286, 0x1C3D4};  // patterns 1 and 2 have two lists
    auto list_put = [&](uint32_t at, uint16_t column, uint16_t row, uint16_t count, uint32_t description) {
        const uint16_t head[3] = {column, row, 128};
        for (uint32_t k = 0; k < 3; k++) synth_put16(set, at + 2 * k, head[k]);
        synth_put16(set, at + 6, count);
        synth_put32(set, at + 8, description);
        synth_put16(set, at + 12, 0xFFFF);
    };
    for (uint32_t p = 1; p <= 9; p++) {
        if (p == 6) continue;
        uint32_t description = SYNTH_PATTERN_ROWS + 16 * p;
        const uint16_t runs[5] = {0, 39, uint16_t(p << 12 | ('A' + p)), 0x8000, 0};
        for (uint32_t k = 0; k < 5; k++) synth_put16(set, description + 2 * k, runs[k]);
        list_put(lists[p - 1], 0, 5, 9, description);
        if (p <= 2) list_put(second[p - 1], 0, 16, 0, description);
    }
    for (uint32_t j = 0; j < 5; j++) {
        uint32_t description = SYNTH_PATTERN_ROWS + 0xA0 + 16 * j;
        synth_put16(set, description, 1);
        synth_put16(set, description + 2, 5);
        for (uint32_t k = 0; k < 6; k++) synth_put16(set, description + 4 + 2 * k, uint16_t(0x1030 + j));
        list_put(0x1C60A + 14 * j, uint16_t(10 + j), 5, 0, description);
    }
}

void synth_rom_check_sums(synth_rom_set* set) {
    for (uint32_t block = 0; block < 3; block++) {
        uint16_t sums[3] = {0, 0, 0};
        for (uint32_t i = 0; i < 0x80000; i++)
            for (uint32_t b = 0; b < 3; b++) sums[b] = uint16_t(sums[b] + ((set->point[block * 0x80000 + i] >> (8 * b)) & 0xFF));
        for (uint32_t b = 0; b < 3; b++) synth_put16(set, 0x372BC + 2 * (3 * block + b), sums[b]);
    }
}
