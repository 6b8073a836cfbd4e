// Node packets and the node record emitter.
#include "game/world/node_emitter.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/rig_packets.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/rig_ram.h"
#include "render/dl_walker.h"

#include <cstdio>

namespace {

constexpr int32_t TRANSFORM_SLOT = 3;     // every node is turned in slot 3, then composed
constexpr int32_t HIDDEN_MODEL = -2;
constexpr int32_t VIEW_SET_SHIFT = 25;    // the cinematic machine set lies 25 models lower
constexpr int32_t MACHINE_MODEL_FIRST = 69, MACHINE_MODEL_LAST = 74;
constexpr uint32_t VIEW_ZOOM_WORD = 14;

bool stagedbg() {
    static const bool on = env_present("SKYVOLTA_STAGEDBG");
    return on;
}

int32_t field(uint32_t n, uint32_t offset) {
    return w_cell(n + offset);
}

int32_t record_word(uint32_t n, uint32_t offset) {
    return w_word(n + offset);
}

bool record_inside(int64_t n) {
    return n >= 0 && n + RIG_NODE_BYTES <= WRAM_SIZE;
}

// The six (sin, cos) words of the node's pitch, heading and roll. With
// SKYVOLTA_SNR_SINFIRST=0 both words come from two bytes earlier in the table.
void angle_words(uint32_t n, int32_t* out) {
    static const bool sin_first = env_int("SKYVOLTA_SNR_SINFIRST", 1) != 0;
    for (uint32_t i = 0; i < 3; i++) {
        int32_t a = field(n, NODE_PITCH + 4 * i);
        out[2 * i] = sin_first ? math_sin(a) : math_cos(wrap_sub(a, 4));
        out[2 * i + 1] = sin_first ? math_cos(a) : math_sin(a);
    }
}

int32_t anchor(uint32_t i) {
    return w_cell(W_NODE_ANCHOR + 4 * i);
}

int32_t drawn_model(int32_t model) {
    bool machine = model >= MACHINE_MODEL_FIRST && model <= MACHINE_MODEL_LAST;
    return machine && w_cell(W_WING_SET) != 0 ? model - VIEW_SET_SHIFT : model;
}

void root_packet(uint32_t n, bool hidden) {
    int32_t rel[3];
    for (uint32_t i = 0; i < 3; i++) {
        rel[i] = wrap_sub(field(n, NODE_X + 4 * i), w_cell(W_CAMERA_X + 4 * i));
        w_cell_set(W_NODE_ANCHOR + 4 * i, rel[i]);
    }
    int32_t group = field(n, NODE_GROUP);
    int32_t words[ROOT_PACKET_WORDS] = {DL_NODE, group, 1};
    angle_words(n, words + 3);
    const int32_t tail[8] = {record_word(n, NODE_WORD), DL_END, DL_NODE_MODEL, hidden ? HIDDEN_MODEL : field(n, NODE_MODEL),
                             group, rel[0], rel[1], rel[2]};
    for (uint32_t i = 0; i < 8; i++) words[9 + i] = tail[i];
    dl_emit(words, ROOT_PACKET_WORDS);
}

void object_entry(uint32_t n) {
    int32_t words[OBJECT_ENTRY_WORDS] = {field(n, NODE_MODEL)};
    for (uint32_t i = 0; i < 3; i++) words[1 + i] = wrap_sub(field(n, NODE_X + 4 * i), w_cell(W_CAMERA_X + 4 * i));
    angle_words(n, words + 4);
    words[10] = record_word(n, NODE_WORD);
    dl_emit(words, OBJECT_ENTRY_WORDS);
}

void link_record(uint32_t n) {
    int32_t shift = field(n, NODE_X);
    if (shift != 0) {
        dl_bank_select(shift);
    } else {
        dl_bank_end();
    }
}

// View slot named by W 0x169F2, or -1 when it names none of the eight.
int32_t current_view() {
    int32_t view = uint16_t(w_word(W_VIEW_NUMBER));
    return uint32_t(view) < DL_VIEW_BLOCKS ? view : -1;
}

void zoom_record(uint32_t n) {
    int32_t view = current_view();
    if (view < 0) return;
    int32_t zoom = field(n, NODE_X);
    uint32_t buffer = dl_buffer_current();
    dsp_word_set((DL_BUFFER_BASE + DL_BUFFER_SIZE * buffer + DL_VIEW_BLOCK_BYTES * uint32_t(view)) / 4 + VIEW_ZOOM_WORD,
                 zoom);
    if (stagedbg() && host_frame % 15 == 0)
        printf("[CAMZ] f%u buf=%ld vp=%d zoomword=%04X\n", host_frame, long(buffer), int(view), unsigned(zoom & 0xFFFF));
}

}  // namespace

void rig_node_packet(uint32_t n) {
    int32_t words[NODE_PACKET_WORDS] = {DL_NODE, TRANSFORM_SLOT, 1};
    angle_words(n, words + 3);
    int64_t parent = int64_t(n) + int64_t(record_word(n, NODE_LINK)) * RIG_NODE_BYTES;
    int32_t group = field(n, NODE_GROUP);
    const int32_t tail[16] = {
        record_word(n, NODE_WORD), 0, field(n, NODE_X), field(n, NODE_Y), field(n, NODE_Z), DL_END,
        DL_NODE_COMPOSE, TRANSFORM_SLOT, record_inside(parent) ? field(uint32_t(parent), NODE_GROUP) : 0, group,
        DL_NODE_MODEL, drawn_model(field(n, NODE_MODEL)), group, anchor(0), anchor(1), anchor(2),
    };
    for (uint32_t i = 0; i < 16; i++) words[9 + i] = tail[i];
    dl_emit(words, NODE_PACKET_WORDS);
}

bool rig_packet_room(uint32_t words) {
    uintptr_t cursor = reinterpret_cast<uintptr_t>(dl_cursor_get());
    uintptr_t start = reinterpret_cast<uintptr_t>(dl_packet_area(dl_buffer_current()));
    uintptr_t end = start + (DL_BUFFER_SIZE - DL_PACKET_OFFSET);
    return cursor >= start && cursor <= end && (end - cursor) / 4 >= words;
}

void node_record_emit(uint32_t n, bool root_hidden) {
    if (!record_inside(n)) return;
    switch (field(n, NODE_MODEL)) {
    case NODE_RECORD_LINK: link_record(n); return;
    case NODE_RECORD_ZOOM: zoom_record(n); return;
    case NODE_RECORD_VIEW: {
        int32_t view = current_view();
        if (view >= 0) camera_zoom_words_emit(view, record_word(n, NODE_FLAGS));
        return;
    }
    default: break;
    }
    int32_t link = record_word(n, NODE_LINK);
    if (link == 0)
        root_packet(n, root_hidden);
    else if (link < 0)
        rig_node_packet(n);
    else
        object_entry(n);
}

void camera_zoom_rewrite(int64_t record) {
    int32_t n = w_index(record);
    if (n >= 0) node_record_emit(uint32_t(n), false);
}

void camera_zoom_rewrite_w(int64_t record) {
    dl_scene_node_render_calls++;
    camera_zoom_rewrite(record);
}
