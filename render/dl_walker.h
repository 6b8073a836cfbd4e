// The reader of the game's display list: walks the packet words of the current buffer
// of dspram (or a captured word array), keeps the header state, the object shift and
// the 64 node-transform slots, and hands every model placement on (render_model).
#pragma once
#include <cstdint>

constexpr int NODE_SLOT_COUNT = 64;
constexpr int32_t DL_LIST_BASE_0 = 0x10400;  // packet area of buffer 0 (board 0xC10400)
constexpr int32_t DL_LIST_BASE_1 = 0x18400;  // buffer 1 (board 0xC18400)
constexpr int32_t DL_WALK_WORDS_MAX = 8192;  // the walk of an unknown or oversized list

// A node transform: rotations A and B (1.15, row-major), translation, valid flag.
struct node_slot {
    int32_t a[9];
    int32_t b[9];  // rotates a child's translation when the slot is a parent
    int32_t t[3];
    int32_t valid;
};

// Where the words come from: dspram from the list base, or an external array.
struct dl_word_source {
    int32_t list_base;         // byte offset of the packet area in dspram
    int32_t cursor_words;      // words the game wrote this frame, -1 when unknown
    const int32_t* external;   // the second (wide-fill) walk's words, or null
    int32_t external_count;
};
extern dl_word_source dl_source;

// Walker state that the placement reads, and the state kept between packets.
struct dl_walk_state {
    int32_t header_code;   // 0x8000, 0x8001 or 0x8002
    int32_t prio;          // view block of the models that follow
    int32_t print_prio;    // prio as the [CMD] render line prints it (0x8008 sets it too)
    int32_t object_shift;
    int32_t word_index;    // word of the packet being read
    node_slot slots[NODE_SLOT_COUNT];

    // The last 0x8008 transform, waiting for the 0x800A that takes it.
    int32_t pending_r[9];
    int32_t pending_t[3];
    bool pending;
    bool pending_no_translation;  // short form

    // Raw node matrix of a type-6 0x8008, kept until the next 0x800A.
    int32_t raw[9];
    int32_t raw_slot;
    bool raw_captured;

    // Rotation words of the last 0x8008 (kept between walks).
    int16_t last_rot[6];
    float last_rot_f[6];
    bool rot_seen;
    int16_t short_rot[6];
    bool short_seen;
    int32_t last_t[3];
    int32_t last_scale;

    // Running transform of assembly modes 3 and 4.
    int32_t run_r[9];
    int32_t run_t[3];

    // The placement being handed on: its node matrix and axis order (-1: none).
    bool has_node_matrix;
    int32_t node_matrix[9];
    int32_t axis_order;

    // Counters of the walk and its exit code (1 end link, 2 or 3 data limit).
    int32_t commands, models, data;
    int32_t exit_code;
    int32_t walks;  // walks since start-up
};
extern dl_walk_state dl_walk;

// Counted by the game side, printed and reset by the walk under the dump switches.
extern int32_t dl_player_render_calls;
extern int32_t dl_scene_node_render_calls;

// The receiver of each valid placement (rotation words: six, or null).
using placement_target = void (*)(int32_t model, const int32_t* rotation, double x, double y, double z);
// render_model; the perspective preview points it at its own drawing.
extern placement_target walk_placement_target;

// Word i of the list: from the external array, else from dspram at list base + 4i
// (0 outside either), the low 24 bits sign-extended unless SKYVOLTA_DSP32.
int32_t dl_word_read(int32_t index);

// True when word i lies in the list being walked: inside the external array, or inside
// the packet area of the current dspram buffer.
bool dl_word_in_buffer(int64_t index);

// Chooses the live list from the game's cursor (dl_cursor, W 0x0CA4): the buffer whose
// packet area holds it, or the buffer named by bit 0 of DSP RAM word 4 when the cursor
// lies outside; the cursor word count, or -1. Clears the external source.
void dl_source_select_live();

// Walks the current list.
void walk_display_list();

// List base 0x10400, no external words, the last 0x8008 translation and rotation floats 0.
void dl_walker_reset();
