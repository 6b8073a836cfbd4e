// Rig figures of animated objects (ROM 0x3632C: the root models by figure type).
#include "game/world/object_figures.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "game/flow/rom_table.h"
#include "game/world/animated_objects_ram.h"
#include "game/world/list_room.h"

#include <initializer_list>

namespace {

constexpr rom_table FIGURE_MODELS = {ROM_FIGURE_MODELS, 4, FIGURE_TYPES};
constexpr int32_t TRANSFORM_SLOT = 3;  // each node is turned in slot 3, then composed
constexpr int32_t PACKET_WORD = 4;     // word 9 of every node, as the objects' packets carry
constexpr int32_t ONE = 0x7FFF;
constexpr uint32_t MAX_WORDS = FIGURE_HEADER_WORDS + FIGURE_NODES * FIGURE_NODE_WORDS;

uint32_t slot_at(int32_t s) {
    return W_ANIMATED_SLOTS + ANIMATED_SLOT_SIZE * uint32_t(s);
}
int32_t field(int32_t s, uint32_t f) {
    return int16_t(w_read16(WRAM_BASE + slot_at(s) + f));
}
void field_put(int32_t s, uint32_t f, int32_t v) {
    w_write16(WRAM_BASE + slot_at(s) + f, uint32_t(v) & 0xFFFF);
}

struct word_list {
    int32_t w[MAX_WORDS];
    uint32_t n = 0;
    void put(int32_t v) { w[n++] = v; }
    void pair(int32_t angle16) {
        put(math_sin(angle16));
        put(math_cos(angle16));
    }
};

// One rig node packet: turned by three 16-bit angles about the offset, composed under
// `parent` into `group`, the model drawn through it at the camera-relative position.
void node_put(word_list& l, const int32_t angles[3], const int32_t offset[3], int32_t parent, int32_t group,
              int32_t model, const int32_t at[3]) {
    l.put(DL_NODE);
    l.put(TRANSFORM_SLOT);
    l.put(1);
    for (int k = 0; k < 3; k++) l.pair(angles[k]);
    l.put(PACKET_WORD);
    l.put(0);
    for (int k = 0; k < 3; k++) l.put(offset[k]);
    for (int32_t v : {DL_END, DL_NODE_COMPOSE, TRANSFORM_SLOT, parent, group, DL_NODE_MODEL, model, group}) l.put(v);
    for (int k = 0; k < 3; k++) l.put(at[k]);
}

// The children's turn about z: a sine of the count word while it runs, else none.
int32_t swing(int32_t count) {
    if (count <= 0) return 0;
    return wrap_mul(math_sin(wrap_mul(count, FIGURE_SWING_RATE)), FIGURE_SWING_AMPLITUDE) >> 15;
}

}  // namespace

int32_t* object_figure_packets(int32_t s, int32_t* out) {
    if (s < 0 || s >= ANIMATED_SLOTS) return out;
    int32_t type = field(s, AO_MODEL);
    if (type < 0 || type >= FIGURE_TYPES) return out;
    bool first = field(s, AO_FIGURE_USED) == 0;
    uint32_t words = (first ? FIGURE_HEADER_WORDS : 0) + FIGURE_NODES * FIGURE_NODE_WORDS;
    if (!dl_room_at(out, words)) return out;

    word_list l;
    if (first) {
        field_put(s, AO_FIGURE_USED, 1);
        field_put(s, AO_FIGURE_GROUPS, FIGURE_PARENT_GROUP);
        field_put(s, AO_FIGURE_GROUPS + 2, FIGURE_ROOT_GROUP);
        // The parent group at rest: the figure draws the same in the frames without it.
        for (int32_t v : {DL_NODE, FIGURE_PARENT_GROUP, 1, 0, ONE, 0, ONE, 0, ONE, PACKET_WORD, DL_END}) l.put(v);
    }
    int32_t parent = field(s, AO_FIGURE_GROUPS), root = field(s, AO_FIGURE_GROUPS + 2);
    uint32_t slot = slot_at(s);
    const int32_t at[3] = {dl_relative_x(wram_long(slot + AO_X)), wrap_add(wram_long(slot + AO_Y), wram_long(W_TRAIN_BASE_Y)),
                           dl_relative_z(wram_long(slot + AO_Z))};
    const int32_t zero[3] = {0, 0, 0};
    int32_t angles[3];
    for (uint32_t k = 0; k < 3; k++) angles[k] = wrap_shl(field(s, AO_TILT + 2 * k) & 0x3FFF, 2);
    node_put(l, angles, zero, parent, root, rom_table_long(FIGURE_MODELS, type, 0), at);
    int32_t turn = swing(field(s, AO_COUNT));
    for (int32_t c = 0; c < 2; c++) {
        const int32_t side = c == 0 ? 1 : -1;
        const int32_t child_angles[3] = {0, 0, side * turn};
        const int32_t offset[3] = {side * FIGURE_CHILD_X, 0, 0};
        node_put(l, child_angles, offset, root, root + 1 + c, FIGURE_CHILD_MODELS[c], at);
    }
    return dl_put_words(out, l.w, l.n);
}
