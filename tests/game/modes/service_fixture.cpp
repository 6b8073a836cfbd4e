#include "tests/game/modes/service_fixture.h"

#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/service_toolkit.h"

namespace {

constexpr int16_t PUSH = 300;  // beyond the direction thresholds (128 turn, 192 pitch)

screen_input held(screen_input in) {
    in.switch0 |= SCREEN_TEST;
    return in;
}

void action(screen_input in) {
    service_frame(in);
    service_frame();
}

}  // namespace

void service_start(const screen_input& in) {
    screen_start();
    screen_handle_centred();
    service_state_6();
    service_frame(in);
}

void service_state_6() {
    wram_long_set(W_GAME_STATE, 6);
}

void service_frame(const screen_input& in) {
    screen_frame_after_edits(held(in));
}

void screen_frame_after_edits(const screen_input& in) {
    wram_export();
    screen_frame(in);
}

void service_frames(int n, const screen_input& in) {
    for (int i = 0; i < n; i++) service_frame(in);
}

void service_up() {
    screen_input in;
    in.pitch = HANDLE_CENTRE + PUSH;
    action(in);
}

void service_down() {
    screen_input in;
    in.pitch = HANDLE_CENTRE - PUSH;
    action(in);
}

void service_increase() {
    screen_input in;
    in.turn = HANDLE_CENTRE - PUSH;
    action(in);
}

void service_decrease() {
    screen_input in;
    in.turn = HANDLE_CENTRE + PUSH;
    action(in);
}

void service_select() {
    screen_input in;
    in.switch1 = SCREEN_START;
    action(in);
}

void service_open(int item) {
    for (int i = 0; i < item; i++) service_down();
    service_select();
    service_frame();
}

void service_leave() {
    screen_frame_after_edits();
}

int service_page() {
    return testmode_page();
}

int service_colour(int column, int row) {
    return screen_text_cell(column, row) >> 12;
}

std::string service_text(int column, int row, int n) {
    return screen_text_row(row).substr(size_t(column), size_t(n));
}
