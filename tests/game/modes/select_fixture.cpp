#include "tests/game/modes/select_fixture.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/select_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"

void select_enter(const select_setting& s) {
    screen_start();
    screen_handle_centred();
    screen_frame();
    w_cell_set(W_ARMED_FLAG, 0);  // in a game: Start starts none
    w_cell_set(W_GAME_STATE, 3);
    w_cell_set(W_GAME_SUB_STATE, s.sub_state);
    w_write16(WRAM_BASE + W_GAME_MODE, uint32_t(s.game_mode));
    w_write16(WRAM_BASE + W_COURSES_LEFT, s.courses_left);
    w_cell_set(W_COURSE_PAIR, int32_t(uint32_t(s.stage) << 16 | (uint32_t(s.day) & 0xFFFF)));
    w_write16(WRAM_BASE + W_COURSE_LEFT, uint32_t(s.continues));
    w_cell_set(W_COURSE_NUMBER, s.course);
    w_cell_set(W_DIP_SWITCH_BITS, s.debug_switch ? 0x10 : 0);
    w_cell_set(W_MODE_SETTING, s.quota_index);
    wram_export();
}

void select_frame_after_edits(const screen_input& in) {
    wram_export();
    screen_frame(in);
}

int select_frames_while(int32_t sub, int limit, const screen_input& in) {
    int n = 0;
    while (n < limit && screen_sub_state() == sub) {
        screen_frame(in);
        n++;
    }
    return n;
}

void select_turn(int16_t turn) {
    screen_input in;
    in.turn = turn;
    screen_press(in);
}

void select_start_press() {
    screen_input in;
    in.switch1 = SCREEN_START;
    screen_press(in);
}

std::string select_golden_check(const char* test_file, const char* name) {
    rgb_picture picture = screen_picture();
    if (picture.width == 0) return "";
    return screen_golden_check(picture, test_file, name);
}

std::vector<dl_packet> select_packets() {
    std::vector<dl_packet> out;
    const int32_t* w = dl_packet_area(dl_buffer_current());
    int words = int(DL_BUFFER_SIZE - DL_PACKET_OFFSET) / 4;
    for (int i = 0; i + 6 <= words; i++) {
        if (w[i] == DL_HEADER_4) {
            out.push_back({w[i], w[i + 1], w[i + 2], w[i + 3], w[i + 4], w[i + 5]});
            i += 5;
        } else if (w[i] == DL_HEADER_11 && i + 13 <= words) {
            out.push_back({w[i], w[i + 1], w[i + 2], w[i + 3], w[i + 4], w[i + 5]});
            i += 12;
        }
    }
    return out;
}

std::vector<int32_t> select_models(const std::vector<dl_packet>& packets, int32_t first, int32_t last) {
    std::vector<int32_t> models;
    for (const dl_packet& p : packets)
        if (p.model >= first && p.model <= last) models.push_back(p.model);
    return models;
}

uint32_t select_sound_param(int32_t id) {
    sound_record r;
    uint32_t p = 0;
    if (sound_record_read(id, &r)) slot_param(r.param_slot, &p);
    return p;
}

uint32_t select_sound_command(int32_t id) {
    sound_record r;
    uint32_t c = 0;
    if (sound_record_read(id, &r)) slot_command(r.slot, &c);
    return c;
}

void select_sound_clear() {
    for (int32_t id : {15, 16, 17, 38, 63}) {
        sound_record r;
        if (!sound_record_read(id, &r)) continue;
        slot_param_set(r.param_slot, 0);
        slot_command_set(r.slot, 0);
    }
}
