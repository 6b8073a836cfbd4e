#include "game/world/run_recorder.h"

#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/run_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"
#include "game/world/balloon_ram.h"

#include <algorithm>

namespace {

constexpr int32_t STATE_GAMEPLAY = 3;
constexpr int32_t SUB_GAMEPLAY_INIT = 2;
constexpr int32_t SUB_DEMO_ENTER = 24;
constexpr int32_t DEMO_RECORD_BYTES = 16;
constexpr int32_t KEY_EVERY = 256;           // recorded frames between position keys
constexpr int32_t TRAIL_EVERY = 64;          // play frames between trail points
constexpr int32_t RECORD_SPEED = 14800;      // faster than this starts a recording
constexpr int32_t RECORD_STAGE_EVENT = 9;
constexpr int32_t STORY_LAST_COURSE = 3;

// The recording lamp: text block 245 at (32, 26), tiles from 608, palette 13, shown
// while bits 3-4 of frame_tick are not both 0.
constexpr int LAMP_BLOCK = 245, LAMP_COLUMN = 32, LAMP_ROW = 26, LAMP_BASE = 608, LAMP_PALETTE = 13;
constexpr int32_t LAMP_BLINK_BITS = 0x18;

// The end of a run on course 1 quiets the music stems' mailbox.
constexpr int32_t STEM_COURSE = 1;
constexpr uint32_t MAILBOX_STEM_WORDS = 16;

void longs_copy(uint32_t to, uint32_t first, uint32_t end) {
    for (uint32_t x = first; x < end; x += 4) w_cell_set(to + (x - first), w_cell(x));
}

bool recording_may_start(int32_t play_frame) {
    bool story_course = w_word(W_GAME_MODE) != 0 && w_cell(W_COURSE_NUMBER) != STORY_LAST_COURSE;
    if (story_course) return false;
    return w_cell(W_PLAYER_SPEED) > RECORD_SPEED || play_frame >= RECORD_FRAMES_MAX ||
           uint16_t(w_word(W_BALLOONS_LEFT)) == RECORD_STAGE_EVENT;
}

// One 16-byte input record at the recorded-frame count (the count bounds the buffer),
// a position key every 256 records, and the lamp.
void demo_record_append(int32_t play_frame) {
    int32_t count = w_cell(W_DEMO_FRAMES);
    if (count < 0 || count >= RECORD_FRAMES_MAX) {
        text_block_clear(LAMP_BLOCK, LAMP_COLUMN, LAMP_ROW);
        return;
    }
    uint32_t record = W_DEMO_INPUT + DEMO_RECORD_BYTES * uint32_t(count);
    const int32_t words[4] = {w_cell(W_PITCH_INPUT), w_cell(W_TURN_INPUT), w_cell(W_PEDAL_DELTA), play_frame};
    for (uint32_t i = 0; i < 4; i++) w_cell_set(record + 4 * i, words[i]);
    if (count % KEY_EVERY == 0) {
        uint32_t key = W_DEMO_KEYS + 16 * uint32_t(count / KEY_EVERY);
        longs_copy(key, W_PLAYER_X, W_PLAYER_Z + 4);
        w_cell_set(key + 12, 1);
    }
    if (w_cell(W_FRAME_TICK) & LAMP_BLINK_BITS)
        text_block_draw(LAMP_BLOCK, LAMP_COLUMN, LAMP_ROW, LAMP_BASE, LAMP_PALETTE);
    else
        text_block_clear(LAMP_BLOCK, LAMP_COLUMN, LAMP_ROW);
    w_cell_set(W_DEMO_FRAMES, count + 1);
}

// The course map's trail: x >> 8 in the high word, bits 8-23 of z in the low word.
void trail_point_add(int32_t play_frame) {
    int32_t index = w_cell(W_TRAIL_COUNT);
    if (play_frame % TRAIL_EVERY != 0 || index < 0 || index >= TRAIL_POINTS_MAX) return;
    uint32_t x = uint32_t(w_cell(W_PLAYER_X) >> 8), z = uint32_t(w_cell(W_PLAYER_Z) >> 8);
    w_cell_set(W_TRAIL + 4 * uint32_t(index), int32_t(x << 16 | (z & 0xFFFF)));
    w_cell_set(W_TRAIL_COUNT, index + 1);
    w_cell_set(W_TRAIL_COUNT_SHOWN, index + 1);
}

}  // namespace

void run_snapshot_save() {
    if (w_cell(W_GAME_STATE) != STATE_GAMEPLAY) return;
    int32_t sub = w_cell(W_GAME_SUB_STATE);
    if (sub == SUB_GAMEPLAY_INIT) w_cell_set(W_RECORDING, 0);
    for (uint32_t x = 0; x < 16 * DEMO_KEYS; x += 4) w_cell_set(W_DEMO_KEYS + x, 0);
    longs_copy(W_SAVED_PLAYER, W_PLAYER_X, W_DRIVE);  // the player state, up to the drive
    longs_copy(W_SAVED_DRIVE, W_DRIVE, W_PROP_ANGLE + 4);
    longs_copy(W_SAVED_FLIGHT, W_SLOW_FLAG, W_DIVE_PULL_PEAK + 4);
    w_cell_set(W_DEMO_CURSOR, int32_t(DEMO_INPUT_ADDRESS));
    if (sub != SUB_DEMO_ENTER) w_cell_set(W_DEMO_FRAMES, 0);
    w_cell_set(W_DEMO_HEADER, w_cell(W_COURSE_NUMBER));
    w_cell_set(W_DEMO_HEADER_STAGE, uint16_t(w_word(W_COURSE_PAIR)));
    w_cell_set(W_DEMO_HEADER_EXTRA, w_cell(W_BALLOON_LAYOUT));
}

void run_recorder_tick() {
    int32_t play_frame = w_cell(W_PLAY_FRAME_COUNTER);
    if (play_frame == 0) run_snapshot_save();
    if (!w_cell(W_RECORDING) && recording_may_start(play_frame)) {
        run_snapshot_save();
        w_cell_set(W_RECORDING, 1);
    }
    if (w_cell(W_RECORDING)) demo_record_append(play_frame);
    trail_point_add(play_frame);
}

void run_end_cleanup() {
    if (w_cell(W_COURSE_NUMBER) == STEM_COURSE) {
        for (uint32_t i = 0; i < MAILBOX_STEM_WORDS; i++) sound_ram_word_set(MAILBOX_STEM_1 + 2 * i, 0);
        if (w_word(W_STEM_STATE) >= 0) sound_ram_word_set(MAILBOX_STEM_4, 1);
    }
    // The slots of the coin (n) and of the goal (m): those between them and those above
    // stop; the goal's keeps running.
    sound_record coin{}, goal{};
    if (!sound_record_read(SOUND_COIN, &coin) || !sound_record_read(SOUND_GOAL, &goal)) return;
    running_bits_clear(coin.slot + 1, goal.slot - 1);
    running_bits_clear(std::max(coin.slot, goal.slot - 1) + 2, int32_t(SOUND_STOPPABLE_SLOTS) - 1);
    sound_params_reset();
}
