#include "game/modes/intermission.h"

#include "board/area_environment.h"
#include "board/block_list.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/inputs.h"
#include "board/palette_mixer.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/intermission_ram.h"
#include "game/modes/test_env.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"
#include "game/world/node_lists.h"
#include "game/world/object_emitters.h"

#include <cstdio>

namespace {

constexpr rom_table DAYS = {ROM_INTER_DAYS, 8, (ROM_INTER_RAW_SOUNDS - ROM_INTER_DAYS) / 8};
constexpr rom_table RAW_SOUNDS = {ROM_INTER_RAW_SOUNDS, 8, (ROM_INTER_TEXT_SCRIPTS - ROM_INTER_RAW_SOUNDS) / 8};
constexpr rom_table TEXT_SCRIPTS = {ROM_INTER_TEXT_SCRIPTS, 4, (ROM_INTER_TILES - ROM_INTER_TEXT_SCRIPTS) / 4};
constexpr rom_table SOUND_SCRIPTS = {ROM_INTER_SOUND_SCRIPTS, 4, (ROM_INTER_FLAG_MODELS - ROM_INTER_SOUND_SCRIPTS) / 4};
constexpr rom_table FLAG_MODELS = {ROM_INTER_FLAG_MODELS, 4, 16};
constexpr rom_table SETS = {ROM_INTER_SETS, 4, 0x400};
constexpr uint32_t DAY_FIRST_SET = 0, DAY_LAST_SET = 2, DAY_SCRIPT = 4, DAY_END_FRAME = 6;

constexpr uint32_t ENTRY_BYTES = 6;       // script entries: three words
constexpr int ENTRIES_PER_FRAME = 32;
constexpr int SET_LISTS_MAX = 32;
constexpr int TILES_MAX = 128;

constexpr int32_t SOUND_SCENE = 69, SOUND_FADING = 2, SOUND_AFTER = 15;
constexpr int32_t SOUNDS_TO_FULL[3] = {36, 37, 35};
constexpr uint32_t RAW_STOP_BITS = 0x8000 | 0x4000 | 0x0800;
constexpr uint32_t PLAY_BIT = 0x4000;
constexpr int32_t RAW_SLOT_MAX = 0x3FFF, RAW_PARAM_SLOT_MAX = 0x3F7F;  // inside the sound RAM

// Day 1: the parameters set on frame 0, then slot 2's level fading out.
struct slot_param {
    int32_t slot;
    uint32_t value;
};
constexpr slot_param DAY1_PARAMS[] = {{1, 0x2400}, {2, 0x00FF}, {5, 0x2000}, {6, 0x00FF}, {7, 0x2000}, {8, 0x00FF}};
constexpr int32_t FADING_SLOT = 2, FADE_FRAMES = 120, SILENT_UNTIL = 200, FADING_STOP = 220;

constexpr int32_t TEXT_ROW = 25, TEXT_PALETTE_BASE = 7;
constexpr int32_t TEXT_TILES = 272, TEXT_TILES_OTHER = 528, TEXT_BANK_TILES = 128;
constexpr int32_t REVEAL_FRAMES = 16;

constexpr int32_t DAY2_POSE_FROM = 322, DAY2_POSE_UNTIL = 480, DAY2_POSE_RECORD = 65;
constexpr int32_t WHITE_FADE_UNTIL = 33;
constexpr int32_t SKIP_BUTTON = 1;  // port 0's button, bit 0 of its new presses

bool stage_debug() {
    return test_env.stage_debug;
}

int32_t day() {
    return uint16_t(w_word(W_COURSE_PAIR + 2));
}
int32_t day_word(uint32_t field) {
    return rom_table_word(DAYS, day(), field);
}
int32_t camera(uint32_t w) {
    return w_cell(w);
}

// The unsigned ROM word at a script cursor, whose entry must lie inside the program ROM.
bool entry_inside(uint32_t cursor) {
    return cursor <= PROGRAM_ROM_END - ENTRY_BYTES;
}
int32_t entry_word(uint32_t cursor, uint32_t k) {
    return bus_read16(cursor + 2 * k) & 0xFFFF;
}

void raw_sound_stop() {
    uint32_t record = uint32_t(w_cell(W_INTER_RAW_SOUND));
    if (record == 0 || record > PROGRAM_ROM_END - 2) return;
    int32_t slot = bus_read16(record) & 0xFFFF;
    uint32_t command;
    if (slot <= RAW_SLOT_MAX && slot_command(slot, &command)) slot_command_set(slot, command & ~RAW_STOP_BITS);
}

// Raw record n: its parameter word, then its command with the play bit, straight into
// the sound RAM; a slot outside it writes nothing.
void raw_sound_start(int32_t n) {
    uint32_t record = rom_table_record(RAW_SOUNDS, n);
    if (record == 0) return;
    int32_t slot = entry_word(record, 0), param_slot = entry_word(record, 2);
    if (slot > RAW_SLOT_MAX || param_slot > RAW_PARAM_SLOT_MAX) {
        static bool warned;
        if (!warned)
            fprintf(stderr, "[GUARD] intermission: raw sound %d names slot 0x%X, parameter slot 0x%X outside the sound RAM -- not started\n",
                    n, unsigned(slot), unsigned(param_slot));
        warned = true;
        return;
    }
    slot_param_set(param_slot, uint32_t(entry_word(record, 3)));
    slot_command_set(slot, uint32_t(entry_word(record, 1)) | PLAY_BIT);
    w_cell_set(W_INTER_RAW_SOUND, int32_t(record));
}

// The sound script's entries of frame fr: a sound with its parameter, a raw start, or
// (both negative) the raw sound stopped.
void sound_script_step(int32_t fr) {
    uint32_t cursor = uint32_t(w_cell(W_INTER_SOUND_CURSOR));
    for (int n = 0; n < ENTRIES_PER_FRAME && entry_inside(cursor) && entry_word(cursor, 0) == fr; n++) {
        int32_t a = int16_t(entry_word(cursor, 1)), b = int16_t(entry_word(cursor, 2));
        if (b >= 0)
            sound_play_p(a << 16 | b);
        else if (a < 0)
            raw_sound_stop();
        else
            raw_sound_start(a);
        cursor += ENTRY_BYTES;
    }
    w_cell_set(W_INTER_SOUND_CURSOR, int32_t(cursor));
}

void day1_sound_step(int32_t fr) {
    if (fr == 0) {
        for (const slot_param& p : DAY1_PARAMS) slot_param_set(p.slot, p.value);
        sound_play(SOUND_FADING);
        slot_param_set(FADING_SLOT, 255);
    } else if (fr < FADE_FRAMES) {
        slot_param_set(FADING_SLOT, uint32_t(255 - 255 * fr / FADE_FRAMES));
    } else if (fr < SILENT_UNTIL) {
        slot_param_set(FADING_SLOT, 0);
    } else if (fr == FADING_STOP) {
        sound_stop(SOUND_FADING);
    }
}

void animation_step(int32_t fr) {
    int32_t set = w_word(W_INTER_SET);
    if (w_cell(W_RIG_FLAG) != 0) {
        intermission_script_step(set);
        object_list_emit();
    } else {
        dl_header_8002_put(w_word(W_OBJECT_LIST_VIEW));
        camera_zoom_words_emit(w_word(W_OBJECT_LIST_VIEW), w_word(W_VIEW_NUMBER));
        node_list_walk(int32_t(W_RIG_NODES), w_cell(W_KEYFRAME_COUNTER));
        int32_t length = w_cell(W_OBJECT_LIST_LENGTH);
        if (w_cell(W_KEYFRAME_COUNTER) >= length) {
            w_cell_set(W_RIG_FLAG, 1);
            if (stage_debug())
                fprintf(stderr, "[INTER] f%u frame %d: animation set %d done (len %d)\n", host_frame, fr, set, length);
            w_word_set(W_INTER_SET, ++set);
            if (set > day_word(DAY_LAST_SET)) w_word_set(W_INTER_DONE, 1);
        }
    }
    w_cell_set(W_KEYFRAME_COUNTER, w_cell(W_KEYFRAME_COUNTER) + 1);
}

void scene_step(int32_t fr) {
    if (day() == 2 && fr >= DAY2_POSE_FROM) {
        if (fr < DAY2_POSE_UNTIL) intermission_packet_header(DAY2_POSE_RECORD);
        intermission_packets();
        fade_colour_set(0);
        return;
    }
    intermission_packets();
    if (day() == 1) intermission_camera_packet();
    if (fr > WHITE_FADE_UNTIL) {
        fade_colour_set(0);
    } else {
        fade_colour_set(255);
        int32_t amount = 255 - 8 * fr;
        w_cell_set(W_FADE_AMOUNT, amount > 0 ? amount : 0);
    }
}

// Toward the day's end frame E: day 1 fades over its last 257 frames, the others over 33.
void end_fade(int32_t fr) {
    int32_t end = day_word(DAY_END_FRAME);
    int32_t amount;
    if (day() == 1) {
        if (fr < end - 257) return;
        amount = fr - end + 257;
    } else {
        if (fr < end - 33) return;
        amount = 8 * (fr - end) + 264;
    }
    w_cell_set(W_FADE_AMOUNT, amount < 0 ? 0 : amount > 255 ? 255 : amount);
}

void camera_log(int32_t fr) {
    fprintf(stderr, "[CAM] k=%d fr=%d set=%d eb04=%d cam=%d,%d,%d,%d,%d,%d ", fr + 1, fr, w_word(W_INTER_SET),
            w_cell(W_KEYFRAME_COUNTER), camera(W_CAMERA_X), camera(W_CAMERA_Y), camera(W_CAMERA_Z),
            camera(W_CAMERA_PITCH), camera(W_CAMERA_HEADING), camera(W_CAMERA_ROLL));
    for (uint32_t i = 0; i < 6; i++) {
        uint32_t node = rig_node(i);
        fprintf(stderr, " [%u m=%d t=%d/%d/%d r=%d/%d/%d]", i, w_cell(node + NODE_MODEL), w_cell(node + NODE_X),
                w_cell(node + NODE_Y), w_cell(node + NODE_Z), w_cell(node + NODE_PITCH), w_cell(node + NODE_HEADING),
                w_cell(node + NODE_ROLL));
    }
    fputc('\n', stderr);
}

int32_t text_tiles(int32_t palette_base, int32_t bank) {
    return (palette_base == TEXT_PALETTE_BASE ? TEXT_TILES : TEXT_TILES_OTHER) + TEXT_BANK_TILES * bank;
}

// The next two subtitles: their colours one frame ahead, their tiles row by row over
// the 16 frames before them.
void text_preload(uint32_t cursor, int32_t fr, int32_t palette_base, int32_t bank) {
    for (int n = 0, found = 0; n < ENTRIES_PER_FRAME && found < 2 && entry_inside(cursor); n++, cursor += ENTRY_BYTES) {
        int32_t at = entry_word(cursor, 0), block = int16_t(entry_word(cursor, 1));
        if (block <= 0) continue;
        int32_t entry_bank = bank ^ found++;
        if (fr == at - 1) palette_bank_load(block, palette_base + 2 * entry_bank);
        if (fr >= at || fr < at - REVEAL_FRAMES) continue;
        if (at <= REVEAL_FRAMES)
            cgram_load_tile_block(block, text_tiles(palette_base, entry_bank));
        else
            cgram_load_block_at(block, text_tiles(palette_base, entry_bank), fr - (at - REVEAL_FRAMES));
    }
}

}  // namespace

void intermission_enter() {
    textram_clear();
    camera_reset();
    sound_stop_upper();
    sound_play(SOUND_SCENE);
    w_cell_set(W_OBJECT_LIST_VIEW, 0);  // both words, W 0x169F0 and 0x169F2
    int32_t script = day_word(DAY_SCRIPT);
    if (stage_debug())
        fprintf(stderr, "[INTER] f%u enter: day %d  sets %d..%d script %d end %d\n", host_frame, day(),
                day_word(DAY_FIRST_SET), day_word(DAY_LAST_SET), script, day_word(DAY_END_FRAME));
    w_word_set(W_INTER_SET, day_word(DAY_FIRST_SET));
    w_word_set(W_INTER_FRAME, 0);
    w_cell_set(W_INTER_SOUND_CURSOR, rom_table_long(SOUND_SCRIPTS, script, 0));
    w_cell_set(W_INTER_TEXT_CURSOR, rom_table_long(TEXT_SCRIPTS, script, 0));
    w_cell_set(W_DL_LAST_BANK, 0);
    w_cell_set(W_RIG_FLAG, 1);
    w_cell_set(W_INTER_DONE, 0);  // the whole long
    w_word_set(W_INTER_TEXT_BANK, 0);
    fog_reset();
    w_cell_set(W_FADE_FLAGS, 3);
    w_cell_set(W_GAME_SUB_STATE, 27);
    intermission_run();
}

void intermission_run() {
    int32_t fr = uint16_t(w_word(W_INTER_FRAME));
    w_cell_set(W_DL_LAST_BANK, 0);
    if (fr == 0) w_cell_set(W_INTER_RAW_SOUND, 0);
    sound_script_step(fr);
    if (day() == 1) day1_sound_step(fr);
    intermission_text_step(fr, TEXT_ROW << 16 | TEXT_PALETTE_BASE);
    animation_step(fr);
    scene_step(fr);
    end_fade(fr);
    w_word_set(W_INTER_FRAME, uint32_t(fr + 1));
    if (stage_debug() && fr % 30 == 0) camera_log(fr);
    if (fr == day_word(DAY_END_FRAME) - 2) sound_stop_unless_held(SOUND_SCENE);
    if (w_word(W_INTER_DONE) != 0) {
        if (stage_debug()) fprintf(stderr, "[INTER] f%u frame %d: done -> sub 22\n", host_frame, fr);
        w_cell_set(W_GAME_SUB_STATE, 22);
        for (int32_t id : SOUNDS_TO_FULL) sound_param2_set(id, 255);
        sound_stop(SOUND_FADING);
        raw_sound_stop();
        if (w_cell(W_GAME_STATE) == 3) sound_play(SOUND_AFTER);
    }
    if ((w_cell(W_START_EDGE) & 1) || (w_cell(W_SWITCH_PORT0 + SP_PRESSED) & SKIP_BUTTON)) {
        w_word_set(W_INTER_DONE, 1);
        sound_stop_unless_held(SOUND_SCENE);
    }
}

void intermission_text_step(int32_t fr, int32_t a) {
    int32_t row = a >> 16, palette_base = int16_t(a & 0xFFFF);
    int32_t bank = w_word(W_INTER_TEXT_BANK) & 1;
    uint32_t cursor = uint32_t(w_cell(W_INTER_TEXT_CURSOR));
    for (int n = 0; n < ENTRIES_PER_FRAME && entry_inside(cursor) && entry_word(cursor, 0) == fr; n++) {
        int32_t block = int16_t(entry_word(cursor, 1)), column = int16_t(entry_word(cursor, 2));
        if (block > 0) {
            text_block_draw(block, column, row, text_tiles(palette_base, bank), palette_base + 2 * bank);
            bank ^= 1;
        } else if (cursor >= ENTRY_BYTES) {
            int32_t shown = int16_t(entry_word(cursor - ENTRY_BYTES, 1));
            if (shown > 0) text_block_clear(shown, int16_t(entry_word(cursor - ENTRY_BYTES, 2)), row);
        }
        cursor += ENTRY_BYTES;
    }
    w_cell_set(W_INTER_TEXT_CURSOR, int32_t(cursor));
    w_word_set(W_INTER_TEXT_BANK, bank);
    text_preload(cursor, fr, palette_base, bank);
}

void intermission_script_step(int32_t set) {
    uint32_t list = uint32_t(rom_table_long(SETS, set, 0));
    int32_t index = int32_t(W_RIG_NODES);
    for (int k = 0; k < SET_LISTS_MAX && list <= PROGRAM_ROM_END - 4; k++, list += 4) {
        uint32_t nodes = uint32_t(bus_read32(list));
        if (nodes == 0) break;
        index = w_list_walk(index, nodes);
    }
}

void intermission_packets() {
    dl_header_8000();
    if (w_cell(W_DL_LAST_BANK) != 0) {
        dl_bank_end();
        w_cell_set(W_DL_LAST_BANK, 0);
    }
    for (int32_t code = 1092; code <= 1119; code++) {
        if (code == 1096 || (code >= 1105 && code <= 1110)) continue;
        const int32_t words[4] = {code, -camera(W_CAMERA_X), -camera(W_CAMERA_Y), -camera(W_CAMERA_Z)};
        dl_emit(words, 4);
    }
}

void intermission_packet_header(int32_t a) {
    constexpr int32_t BANK = 1792, SLOT = 3;
    int32_t fr = uint16_t(w_word(W_INTER_FRAME));
    dl_header_8000();
    if (w_cell(W_DL_LAST_BANK) != BANK) {
        dl_bank_select(BANK);
        w_cell_set(W_DL_LAST_BANK, BANK);
    }
    dl_model_rotated(SLOT, 0, -320, 0, 0, 1024 * (fr & 63), 0, 0);
    uint32_t record = rig_node(uint32_t(a));
    dl_packet_8009(SLOT, record < WRAM_SIZE ? w_cell(record + NODE_MODEL) : 0, SLOT);
    dl_packet_800a(fr & 4 ? 782 : 781, SLOT, w_cell(W_NODE_ANCHOR), w_cell(W_NODE_ANCHOR + 4),
                   w_cell(W_NODE_ANCHOR + 8));
}

void intermission_camera_packet() {
    int32_t fr = uint16_t(w_word(W_INTER_FRAME));
    int32_t cx = camera(W_CAMERA_X), cy = camera(W_CAMERA_Y), cz = camera(W_CAMERA_Z);
    dl_header_8000();
    if (w_cell(W_DL_LAST_BANK) != 0) {
        dl_bank_end();
        w_cell_set(W_DL_LAST_BANK, 0);
    }
    const int32_t group[4] = {40, -0x20000, 39, -0x20000};
    dl_emit(group, 4);
    for (int k = 0; k < TILES_MAX; k++) {
        int32_t w = bus_read16(ROM_INTER_TILES + 2 * uint32_t(k)) & 0xFFFF;
        if (w & 0x8000) break;
        const int32_t tile[4] = {1173 + w, (w & 7) * 0x18000 - cx - 313600, -cy - 43744, (w / 8) * 0x18000 - cz - 0x7EB00};
        dl_emit(tile, 4);
    }
    const int32_t flag[4] = {326 + rom_table_long(FLAG_MODELS, (fr >> 1) & 15, 0), -cx - 0x58900, -cy - 43744,
                             -cz - 0x8AB00};
    dl_emit(flag, 4);
    dl_object_put(w_word(W_OBJECT_LIST_VIEW), 378, -cx - 9663, -cy - 18904, -cz - 149458, 0, 0, 96 * fr, 4);
    w_cell_set(W_DL_LAST_HEADER, 0x8002);
}
