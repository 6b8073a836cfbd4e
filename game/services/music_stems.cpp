// The music stems of course 1 and their mailbox in the sound RAM.
#include "game/services/area_sounds.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/wram_cell.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"

#include <climits>
#include <cstdio>

namespace {

constexpr int32_t STEP_WAIT = 30;
constexpr int32_t REPLAY_WAIT = 120;
constexpr uint32_t STEM_2_X = 0x58000;   // camera x beyond which stem 2 starts
constexpr uint32_t STEM_3_X = 0x68001;   // target -2 needs x and z this far
constexpr uint32_t STEM_3_Z = 0xD0001;
constexpr int32_t STEM_4_Z = 0xCFFFF;    // player z at most this ends stem 3
constexpr int32_t IDLE_FRAMES = 5810;

// Byte ranges of the mailbox: those cleared with the stems, and those only a full reset
// clears.
struct byte_range {
    uint32_t first, last;
};
constexpr byte_range STEM_WORDS[] = {{0x220, 0x225}, {0x228, 0x22D}, {0x230, 0x29F}, {0x2A6, 0x2BF}, {0x2C6, 0x2F3}};
constexpr byte_range FULL_RESET_WORDS[] = {{0x226, 0x227}, {0x22E, 0x22F}, {0x2A0, 0x2A5}, {0x2C0, 0x2C5}};

void bytes_clear(const byte_range& r) {
    for (uint32_t b = r.first; b <= r.last; b++) commsram[b] = 0;
}

void step_to(int32_t state, int32_t wait) {
    w_word_set(W_STEM_STATE, state);
    w_word_set(W_STEM_WAIT, wait);
}

void fall_back() {
    step_to(0, STEP_WAIT);
    sound_stop(SOUND_STEM_RESTART);
    w_word_set(W_STEM_RESTART, 1);
    music_stem_reset(1);
}

// SKYVOLTA_STAGEDBG: one line whenever the state or the acknowledgement changes.
void stem_log(int32_t state, int32_t target, int32_t cell) {
    static const bool on = env_present("SKYVOLTA_STAGEDBG");
    static int32_t last_state = INT32_MIN, last_ack = INT32_MIN;
    int32_t ack = int32_t(sound_ram_word(MAILBOX_STEM_ACK));
    if (!on || (state == last_state && ack == last_ack)) return;
    last_state = state;
    last_ack = ack;
    fprintf(stderr,
            "[STEM] f%u state=%d target=%d cell=%d cam=(%ld,%ld) plyz=%ld mbox 220=%04X 222=%04X 224=%04X 226=%04X "
            "22E=%04X\n",
            host_frame, state, target, cell, long(wram_long(W_CAMERA_X)), long(wram_long(W_CAMERA_Z)),
            long(wram_long(W_PLAYER_Z)), sound_ram_word(MAILBOX_STEM_1), sound_ram_word(MAILBOX_STEM_2),
            sound_ram_word(MAILBOX_STEM_3), sound_ram_word(MAILBOX_STEM_4), unsigned(ack));
}

}  // namespace

void music_stem_update() {
    if (w_word(W_STEM_RESTART)) {
        sound_play(SOUND_STEM_RESTART);
        w_word_set(W_STEM_RESTART, 0);
    }
    int32_t wait = w_word(W_STEM_WAIT);
    if (wait > 0) {
        w_word_set(W_STEM_WAIT, wait - 1);
        return;
    }
    int32_t cell = wram_long(W_CAMERA_CELL), target;
    if (!stem_target(cell, &target)) return;
    int32_t state = w_word(W_STEM_STATE);
    stem_log(state, target, cell);
    if (target == state) return;
    uint32_t cam_x = uint32_t(wram_long(W_CAMERA_X)), cam_z = uint32_t(wram_long(W_CAMERA_Z));
    switch (state) {
    case 0:
        step_to(1, STEP_WAIT);
        sound_ram_word_set(MAILBOX_STEM_1, 1);
        break;
    case 1:
        if (target == 0) {
            fall_back();
        } else if (target == 3 || cam_x > STEM_2_X) {
            step_to(2, STEP_WAIT);
            sound_ram_word_set(MAILBOX_STEM_2, 1);
        }
        break;
    case 2:
        if (target == 0) {
            fall_back();
        } else if (target == 1) {
            step_to(1, STEP_WAIT);
            sound_ram_word_set(MAILBOX_STEM_2, 2);
        } else if (target == 3 || (target == -2 && cam_x >= STEM_3_X && cam_z >= STEM_3_Z)) {
            step_to(3, STEP_WAIT);
            sound_ram_word_set(MAILBOX_STEM_3, 1);
        }
        break;
    case 3:
        if (target == 1 || target == -1 || wram_long(W_PLAYER_Z) <= STEM_4_Z) {
            w_word_set(W_STEM_STATE, 4);
            sound_ram_word_set(MAILBOX_STEM_4, 1);
        }
        break;
    case 4:
        if (sound_ram_word(MAILBOX_STEM_ACK) == 1) {
            step_to(1, REPLAY_WAIT);
            sound_stop(SOUND_STEM_RESTART);
            w_word_set(W_STEM_RESTART, 1);
            music_stem_reset(0);
        }
        break;
    default:
        break;
    }
}

void music_stem_reset(int32_t full) {
    for (const byte_range& r : STEM_WORDS) bytes_clear(r);
    if (full)
        for (const byte_range& r : FULL_RESET_WORDS) bytes_clear(r);
}

void sound_mailbox_write(int32_t a, int32_t b) {
    sound_record wind;
    if (!sound_record_read(SOUND_WIND, &wind) || wind.param_slot >= SOUND_PARAM_SLOT_MAX) return;
    if (slot_param_set(wind.param_slot, uint32_t(a) & 0xFFFF)) slot_param_set(wind.param_slot + 1, uint32_t(b) & 0xFFFF);
}

void idle_frames_flag_update() {
    int32_t passed = int32_t(uint32_t(wram_long(W_FRAME_COUNTER)) - uint32_t(wram_long(W_IDLE_FRAME_MARK)));
    if (passed == IDLE_FRAMES && wram_long(W_IDLE_FLAG) == 0 && w_cell(W_MODE_SETTING) == 1)
        wram_long_set(W_IDLE_FLAG, 1);
}
