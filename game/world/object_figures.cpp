// Rig figures of animated objects (ROM 0x3632C: the root models by figure type).
#include "game/world/object_figures.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "game/services/animated_objects_ram.h"
#include "game/services/rom_table.h"
#include "game/world/list_room.h"

#include <algorithm>

namespace {

constexpr rom_table FIGURE_MODELS = {ROM_FIGURE_MODELS, 4, FIGURE_TYPES};
constexpr int32_t TRANSFORM_SLOT = 3;  // each node is turned in slot 3, then composed
constexpr int32_t PACKET_WORD = 4;     // word 9 of every node, as the objects' packets carry
constexpr int32_t ONE = 0x7FFF;
constexpr uint32_t MAX_WORDS = FIGURE_HEADER_WORDS + FIGURE_NODES * FIGURE_NODE_WORDS;

// One rig node packet (FIGURE_NODE_WORDS words at w): turned by three 16-bit angles about
// the offset, composed under `parent` into `group`, the model drawn through it at the
// camera-relative position. Returns w advanced past it.
int32_t* node_put(int32_t* w, const int32_t angles[3], const int32_t offset[3], int32_t parent, int32_t group,
                  int32_t model, const int32_t at[3]) {
    int32_t pairs[6];
    for (int k = 0; k < 3; k++) dl_rotation_pair(angles[k], pairs + 2 * k);
    const int32_t words[FIGURE_NODE_WORDS] = {
        DL_NODE, TRANSFORM_SLOT, 1, pairs[0], pairs[1], pairs[2], pairs[3], pairs[4], pairs[5],
        PACKET_WORD, 0, offset[0], offset[1], offset[2], DL_END,
        DL_NODE_COMPOSE, TRANSFORM_SLOT, parent, group,
        DL_NODE_MODEL, model, group, at[0], at[1], at[2]};
    return std::copy(words, words + FIGURE_NODE_WORDS, w);
}

// The children's turn about z: a sine of the count word while it runs, else none.
int32_t swing(int32_t count) {
    if (count <= 0) return 0;
    return wrap_mul(math_sin(wrap_mul(count, FIGURE_SWING_RATE)), FIGURE_SWING_AMPLITUDE) >> 15;
}

}  // namespace

int32_t* object_figure_packets(int32_t s, int32_t* out) {
    if (s < 0 || s >= ANIMATED_SLOTS) return out;
    uint32_t slot = animated_slot(s);
    int32_t type = w_word(slot + AO_MODEL);
    if (type < 0 || type >= FIGURE_TYPES) return out;
    bool first = w_word(slot + AO_FIGURE_USED) == 0;
    if (!dl_room_at(out, (first ? FIGURE_HEADER_WORDS : 0) + FIGURE_NODES * FIGURE_NODE_WORDS)) return out;

    int32_t words[MAX_WORDS];
    int32_t* w = words;
    if (first) {
        w_word_set(slot + AO_FIGURE_USED, 1);
        w_word_set(slot + AO_FIGURE_GROUPS, FIGURE_PARENT_GROUP);
        w_word_set(slot + AO_FIGURE_GROUPS + 2, FIGURE_ROOT_GROUP);
        // The parent group at rest: the figure draws the same in the frames without it.
        const int32_t header[FIGURE_HEADER_WORDS] = {DL_NODE, FIGURE_PARENT_GROUP, 1, 0, ONE, 0, ONE, 0, ONE,
                                                     PACKET_WORD, DL_END};
        w = std::copy(header, header + FIGURE_HEADER_WORDS, w);
    }
    int32_t parent = w_word(slot + AO_FIGURE_GROUPS), root = w_word(slot + AO_FIGURE_GROUPS + 2);
    const int32_t at[3] = {dl_relative_x(wram_long(slot + AO_X)), wrap_add(wram_long(slot + AO_Y), wram_long(W_TRAIN_BASE_Y)),
                           dl_relative_z(wram_long(slot + AO_Z))};
    const int32_t zero[3] = {0, 0, 0};
    int32_t angles[3];
    for (uint32_t k = 0; k < 3; k++) angles[k] = wrap_shl(w_word(slot + AO_TILT + 2 * k) & 0x3FFF, 2);
    w = node_put(w, angles, zero, parent, root, rom_table_long(FIGURE_MODELS, type, 0), at);
    int32_t turn = swing(w_word(slot + AO_COUNT));
    for (int32_t c = 0; c < 2; c++) {
        const int32_t side = c == 0 ? 1 : -1;
        const int32_t child_angles[3] = {0, 0, side * turn};
        const int32_t offset[3] = {side * FIGURE_CHILD_X, 0, 0};
        w = node_put(w, child_angles, offset, root, root + 1 + c, FIGURE_CHILD_MODELS[c], at);
    }
    return dl_put_words(out, words, uint32_t(w - words));
}
