#include "render/dl_walker.h"

#include "base/rom_files.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/wram.h"
#include "render/model_diagnostics.h"
#include "render/model_placement.h"
#include "render/renderer_switches.h"
#include "render/rotation_math.h"

#include <cstdio>
#include <cstring>

dl_word_source dl_source = {DL_LIST_BASE_0, -1, nullptr, 0};
dl_walk_state dl_walk;
int32_t dl_player_render_calls = 0;
int32_t dl_scene_node_render_calls = 0;
placement_target walk_placement_target = render_model;

namespace {

constexpr int32_t ONE = 0x7FFF;
constexpr int64_t DSPRAM_BYTES = sizeof board_memory.dspram;
constexpr uint32_t DSP_BOARD_BASE = 0xC00000;
constexpr int32_t BUFFER_SPAN = 0x8000;  // most bytes a list may run past its base
constexpr int32_t DEFAULT_DATA_LIMIT = 4096;
constexpr int32_t PREVIEW_PLACEMENTS_MAX = 5000;  // immediate-mode placements per walk
int32_t preview_placements;

enum walk_exit : int32_t { EXIT_END_LINK = 1, EXIT_DATA_4WORD = 2, EXIT_DATA_11WORD = 3 };

// The state of one packet read: the list length and whether the walk ends here.
struct walk_cursor {
    int32_t n;
    bool stop;
};

bool fits(int32_t i, int32_t len, int32_t n) {
    return int64_t(i) + len <= n;
}

bool slot_index(int32_t s) {
    return s >= 0 && s < NODE_SLOT_COUNT;
}

bool node_modes() {
    return renderer_switches.asm_mode == 5 || renderer_switches.asm_mode == 6;
}

bool model_valid(int32_t model) {
    return model > 0 && uint32_t(model) < point_rom_count;
}

int32_t euler_p_order() {
    const renderer_switch_set& s = renderer_switches;
    return s.geo_euler_p >= 0 ? s.geo_euler_p : s.geo_euler_8008;
}

// An invalid slot reads as the identity.
node_slot slot_read(int32_t s) {
    node_slot n;
    if (slot_index(s) && dl_walk.slots[s].valid) return dl_walk.slots[s];
    mat3_identity(n.a, ONE);
    mat3_identity(n.b, ONE);
    n.t[0] = n.t[1] = n.t[2] = 0;
    n.valid = 0;
    return n;
}

void slot_store(int32_t s, const int32_t a[9], const int32_t b[9], const int32_t t[3]) {
    node_slot& n = dl_walk.slots[s];
    memcpy(n.a, a, sizeof n.a);
    memcpy(n.b, b, sizeof n.b);
    memcpy(n.t, t, sizeof n.t);
    n.valid = 1;
}

void rotation_words_of(const int16_t words[6], int32_t out[6]) {
    for (int k = 0; k < 6; k++) out[k] = words[k];
}

// Three (sin, cos) pairs from words first .. first + 5, as signed 16-bit values.
void pairs_read(int32_t first, int16_t out[6]) {
    for (int k = 0; k < 6; k++) out[k] = int16_t(dl_word_read(first + k) & 0xFFFF);
}

int data_limit() {
    int m = renderer_switches.max_data;
    return m >= 1 ? m : DEFAULT_DATA_LIMIT;
}

void place(int32_t model, const int32_t* rotation, int64_t x, int64_t y, int64_t z) {
    int32_t code = model + MODEL_CODE_OFFSET;
    find_code_log(code, dl_walk.word_index, dl_walk.header_code);
    if (renderer_switches.geo_preview) {
        if (preview_placements >= PREVIEW_PLACEMENTS_MAX) return;
        preview_placements++;
        track_models_log(code, double(x), double(y), double(z));
    } else {
        walk_placement_target(model, rotation, double(x), double(y), double(z));
    }
    dl_walk.models++;
}

// One entry of 11 words (model, x, y, z, three rotation pairs, flags) from `first`;
// its flags choose the axis order. True when the model was valid.
bool entry_draw(int32_t first) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    int32_t model = dl_word_read(first);
    int32_t flags = dl_word_read(first + 10);
    if (s.dbg8002 && flags != 0) fprintf(stderr, "[8002] f=%d model=%d flags=%d\n", int(host_frame), model, flags);
    if (!model_valid(model)) return false;
    int32_t rot[6];
    for (int k = 0; k < 6; k++) rot[k] = dl_word_read(first + 4 + (s.rot8002 ? (k ^ 1) : k));
    int32_t saved = w.axis_order;
    if (!s.no_8002_flagord) w.axis_order = (flags & 2) ? 3 : 1;
    place(model, rot, dl_word_read(first + 1), dl_word_read(first + 2), dl_word_read(first + 3));
    w.axis_order = saved;
    return true;
}

// A plain record under the current header.
int32_t record_read(int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    bool four = w.header_code == 0x8000;
    int32_t len = four ? 4 : 11;
    if (!fits(i, len, c.n)) return i + 1;
    if (four) {
        int32_t model = dl_word_read(i);
        if (model_valid(model)) place(model, nullptr, dl_word_read(i + 1), dl_word_read(i + 2), dl_word_read(i + 3));
    } else {
        entry_draw(i);
    }
    if (++w.data > data_limit()) {
        w.exit_code = four ? EXIT_DATA_4WORD : EXIT_DATA_11WORD;
        c.stop = true;
    }
    return i + len;
}

int32_t header_read(int32_t code, int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    if (!fits(i, 2, c.n)) return i + 1;
    w.header_code = code;
    w.prio = w.print_prio = dl_word_read(i + 1);
    w.commands++;
    if (code == 0x8002) {
        int32_t model = dl_word_read(i + 2);
        if (model >= 1 && model <= 32767 && fits(i, 13, c.n)) {
            entry_draw(i + 2);
            return i + 13;
        }
    } else if (renderer_switches.cmddump) {
        fprintf(stderr, "[CMD] HEADER 0x%04X prio=%d @word %d\n", code, w.prio, i);
    }
    return i + 2;
}

// Type 6: a raw 3x3 matrix for a slot.
int32_t node_raw_matrix(int32_t i) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    for (int k = 0; k < 9; k++) w.raw[k] = dl_word_read(i + 3 + k);
    w.raw_slot = dl_word_read(i + 1);
    w.raw_captured = true;
    if (node_modes() && !s.slot_legacy && slot_index(w.raw_slot)) {
        int32_t m[9];
        for (int r = 0; r < 3; r++)
            for (int col = 0; col < 3; col++) m[3 * r + col] = w.raw[(s.nmat_order & 2) ? r + 3 * col : 3 * r + col];
        const int32_t zero[3] = {0, 0, 0};
        slot_store(w.raw_slot, m, m, zero);
    }
    return i + 13;
}

// Type 0 with the angles after the position: the translation is rotated by B.
int32_t node_positioned(int32_t i) {
    dl_walk_state& w = dl_walk;
    int32_t slot = dl_word_read(i + 1);
    w.print_prio = slot;
    const int64_t pos[3] = {dl_word_read(i + 3), dl_word_read(i + 4), dl_word_read(i + 5)};
    int16_t pairs[6];
    pairs_read(i + 7, pairs);
    int32_t words[6], r[9], rp[9], t[3];
    rotation_words_of(pairs, words);
    euler_rotation_compose(words, r, renderer_switches.geo_euler_8008);
    euler_rotation_compose(words, rp, euler_p_order());
    vec3_mul_fx(pos, rp, 15, t);
    if (slot_index(slot)) slot_store(slot, r, rp, t);
    memcpy(w.pending_r, r, sizeof r);
    memcpy(w.pending_t, t, sizeof t);
    w.pending = true;
    w.pending_no_translation = false;
    memcpy(w.last_t, t, sizeof t);
    return i + 15;
}

// The game's usual form: three angle pairs, scale, and a translation unless short.
int32_t node_angles(int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    bool is_short = dl_word_read(i + 10) == -1;
    int32_t len = is_short ? 11 : 15;
    if (!fits(i, len, c.n)) return -1;
    int32_t slot = dl_word_read(i + 1);
    w.print_prio = slot;
    int16_t pairs[6];
    pairs_read(i + 3, pairs);
    for (int k = 0; k < 6; k++) {
        w.last_rot[k] = pairs[s.rot8008 == 2 ? (k ^ 1) : k];
        w.last_rot_f[k] = float(w.last_rot[k]) / 32768.0f;
    }
    w.rot_seen = true;
    if (is_short) {
        memcpy(w.short_rot, w.last_rot, sizeof w.short_rot);
        w.short_seen = true;
    }
    w.last_scale = dl_word_read(i + 9);
    int32_t t[3] = {0, 0, 0};
    if (!is_short)
        for (int k = 0; k < 3; k++) t[k] = dl_word_read(i + 11 + k);
    int32_t words[6];
    rotation_words_of(pairs, words);
    if (node_modes()) {
        int32_t r[9], rp[9];
        euler_rotation_compose(words, r, s.geo_euler_8008);
        euler_rotation_compose(words, rp, euler_p_order());
        memcpy(w.pending_r, r, sizeof r);
        memcpy(w.pending_t, t, sizeof t);
        w.pending = true;
        w.pending_no_translation = is_short;
        if (!s.slot_legacy && slot_index(slot)) slot_store(slot, r, rp, t);
    } else if (s.asm_mode == 3 || s.asm_mode == 4) {
        int32_t r[9];
        euler_rotation_compose(words, r, s.geo_euler);
        if (is_short) {
            w.run_t[0] = w.run_t[1] = w.run_t[2] = 0;
            memcpy(w.run_r, r, sizeof r);
        } else {
            const int64_t v[3] = {t[0], t[1], t[2]};
            int32_t d[3];
            vec3_mul_fx(v, w.run_r, 15, d);
            for (int k = 0; k < 3; k++) w.run_t[k] = int32_t(uint32_t(w.run_t[k]) + uint32_t(d[k]));
            if (s.asm_mode == 3)
                mat3_mul_fx15(r, w.run_r, w.run_r);
            else
                mat3_mul_fx15(w.run_r, r, w.run_r);
        }
    }
    memcpy(w.last_t, t, sizeof t);
    return i + len;
}

int32_t node_transform(int32_t i, walk_cursor& c) {
    const renderer_switch_set& s = renderer_switches;
    int32_t type = dl_word_read(i + 2);
    int32_t next;
    if (type == 6 && dl_word_read(i + 12) == -1)
        next = fits(i, 13, c.n) ? node_raw_matrix(i) : -1;
    else if (type == 0 && dl_word_read(i + 6) == 1 && dl_word_read(i + 14) == -1 && node_modes() && !s.slot_legacy)
        next = fits(i, 15, c.n) ? node_positioned(i) : -1;
    else
        next = node_angles(i, c);
    if (next < 0) return i + 1;
    dl_walk.commands++;
    return next;
}

// Child a placed under parent b into slot c (rows: v' = v x M + T).
int32_t node_compose(int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    if (!fits(i, 4, c.n)) return i + 1;
    w.commands++;
    if (!node_modes()) return i + 4;
    int32_t a = dl_word_read(i + 1), b = dl_word_read(i + 2), d = dl_word_read(i + 3);
    bool raw_here = w.raw_captured && w.raw_slot == d;
    if (!raw_here && slot_index(a) && slot_index(b) && slot_index(d)) {
        node_slot k = slot_read(a);
        node_slot p = (a == 3 && b == d) ? slot_read(b == 3 ? 3 : 0) : slot_read(b);
        const int64_t kt[3] = {k.t[0], k.t[1], k.t[2]};
        int32_t t[3], ra[9], rb[9];
        vec3_mul_fx(kt, p.b, 15, t);
        for (int j = 0; j < 3; j++) t[j] = int32_t(uint32_t(p.t[j]) + uint32_t(t[j]));
        if (renderer_switches.asm_mode == 5) {
            mat3_mul_fx15(k.a, p.a, ra);
            mat3_mul_fx15(k.b, p.b, rb);
        } else {
            mat3_mul_fx15(p.a, k.a, ra);
            mat3_mul_fx15(p.b, k.b, rb);
        }
        slot_store(d, ra, rb, t);
    }
    if (w.raw_captured && (a == w.raw_slot || b == w.raw_slot)) w.raw_captured = false;
    w.pending = false;
    return i + 4;
}

// The last 0x8008 translation turned by a rotation of the last 0x8008 angles.
void last_translation_rotated(const int16_t words16[6], int32_t out[3]) {
    int32_t words[6], r[9];
    rotation_words_of(words16, words);
    euler_rotation_compose(words, r, renderer_switches.geo_euler);
    const int64_t v[3] = {dl_walk.last_t[0], dl_walk.last_t[1], dl_walk.last_t[2]};
    vec3_mul_fx(v, r, 15, out);
}

// Offset and node matrix of an 0x800A in the node modes.
void node_slot_offset(int32_t model, int32_t slot, int32_t off[3]) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    if (slot_index(slot) && w.pending) {
        if (w.pending_no_translation) {
            const int32_t zero[3] = {0, 0, 0};
            slot_store(slot, w.pending_r, w.pending_r, zero);
        } else if (s.root15) {
            slot_store(slot, w.pending_r, w.pending_r, w.pending_t);
        }
        w.pending = false;
    }
    if (slot_index(slot) && w.slots[slot].valid) {
        const node_slot& n = w.slots[slot];
        memcpy(w.node_matrix, n.a, sizeof w.node_matrix);
        w.has_node_matrix = true;
        memcpy(off, n.t, 3 * sizeof(int32_t));
        if (s.matdump)
            fprintf(stderr, "[MAT] code=%d slot=%d scale=%d M=%d %d %d %d %d %d %d %d %d t=%d %d %d\n", model + 69,
                    slot, w.last_scale, n.a[0], n.a[1], n.a[2], n.a[3], n.a[4], n.a[5], n.a[6], n.a[7], n.a[8],
                    off[0], off[1], off[2]);
        return;
    }
    last_translation_rotated(w.last_rot, off);
}

int32_t node_model(int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    if (!fits(i, 6, c.n)) return i + 1;
    int32_t model = dl_word_read(i + 1), slot = dl_word_read(i + 2);
    int32_t off[3] = {0, 0, 0};
    switch (s.asm_mode) {
    case 5:
    case 6: node_slot_offset(model, slot, off); break;
    case 1: last_translation_rotated(w.last_rot, off); break;
    case 2: last_translation_rotated(w.short_seen ? w.short_rot : w.last_rot, off); break;
    case 3:
    case 4:
        memcpy(w.node_matrix, w.run_r, sizeof w.node_matrix);
        w.has_node_matrix = true;
        memcpy(off, w.run_t, sizeof off);
        break;
    default: memcpy(off, w.last_t, sizeof off); break;
    }
    if (model_valid(model)) {
        int32_t rot[6];
        rotation_words_of(w.last_rot, rot);
        bool with_rot = s.rot8008 != 0 && w.rot_seen;
        w.axis_order = s.geo_euler_8008;
        place(model, with_rot ? rot : nullptr, int64_t(dl_word_read(i + 3)) + off[0],
              int64_t(dl_word_read(i + 4)) + off[1], int64_t(dl_word_read(i + 5)) + off[2]);
    }
    w.has_node_matrix = false;
    w.axis_order = -1;
    w.raw_captured = false;
    w.commands++;
    return i + 6;
}

int32_t link_read(int32_t i, walk_cursor& c) {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    if (!fits(i, 2, c.n)) return i + 1;
    int32_t k = dl_word_read(i + 1);
    if (k == -1) {
        w.commands++;
        if (s.hard_8010 || dl_source.cursor_words < 1) {
            w.exit_code = EXIT_END_LINK;
            c.stop = true;
        }
        w.object_shift = 0;
        return i + 2;
    }
    if (k == 0 && i + 2 < c.n && dl_word_read(i + 2) == -1) {
        w.commands++;
        w.object_shift = 0;
        return i + 3;
    }
    if (!fits(i, 4, c.n)) return i + 1;
    w.commands++;
    int32_t shift = dl_word_read(i + 2);
    w.object_shift = s.raw_objshift ? shift : shift & 0x3FFFF;
    return i + 4;
}

int32_t packet_read(int32_t code, int32_t i, walk_cursor& c) {
    switch (code) {
    case 0x8000:
    case 0x8001:
    case 0x8002: return header_read(code, i, c);
    case 0x8008: return node_transform(i, c);
    case 0x8009: return node_compose(i, c);
    case 0x800A: return node_model(i, c);
    case 0x8010: return link_read(i, c);
    default: return i + 1;  // codes without a reader's action
    }
}

int32_t walk_word_count() {
    const renderer_switch_set& s = renderer_switches;
    if (dl_source.external) return dl_source.external_count > 0 ? dl_source.external_count : 0;
    if (s.no_cursor_bound) return DL_WALK_WORDS_MAX;
    int32_t n = dl_source.cursor_words;
    if (n > DL_WALK_WORDS_MAX - 1 || n < (s.no_empty_list ? 1 : 0)) n = DL_WALK_WORDS_MAX;
    return n;
}

void walk_begin() {
    dl_walk_state& w = dl_walk;
    const renderer_switch_set& s = renderer_switches;
    w.walks++;
    if (s.cmddump) fprintf(stderr, "[CMD] --- frame --- (player_render calls last frame: %d)\n", dl_player_render_calls);
    if (s.rigdump && w.walks % 60 == 0)
        fprintf(stderr, "[RIG] scene_node_render calls last frame: %d\n", dl_scene_node_render_calls);
    dl_player_render_calls = 0;
    dl_scene_node_render_calls = 0;
    w.header_code = 0x8000;
    w.prio = w.print_prio = 0;
    w.object_shift = 0;
    for (node_slot& n : w.slots) n.valid = 0;
    w.raw_captured = false;
    w.pending = false;
    mat3_identity(w.run_r, ONE);
    w.run_t[0] = w.run_t[1] = w.run_t[2] = 0;
    w.has_node_matrix = false;
    w.axis_order = -1;
    w.commands = w.models = w.data = 0;
    preview_placements = 0;
}

void walk_end(int32_t i, int32_t n) {
    const dl_walk_state& w = dl_walk;
    if (renderer_switches.cmddump)
        fprintf(stderr, "[WALK] exit=%d at word %d of %d (cursor words %d) cmds=%d models=%d data=%d\n", w.exit_code, i,
                n, dl_source.cursor_words, w.commands, w.models, w.data);
    if (verbose_enabled() && (w.walks <= 30 || host_frame % 60 == 0))
        fprintf(stderr, "  [3D] frame=%d: %d cmds, %d data, %d models from buf 0x%X (mode=0x%X)\n", int(host_frame),
                w.commands, w.data, w.models, uint32_t(dl_source.list_base), uint32_t(w.header_code));
}

}  // namespace

int32_t dl_word_read(int32_t index) {
    uint32_t raw = 0;
    if (dl_source.external) {
        if (index >= 0 && index < dl_source.external_count) raw = uint32_t(dl_source.external[index]);
    } else {
        int64_t at = int64_t(dl_source.list_base) + 4 * int64_t(index);
        if (at >= 0 && at + 3 < DSPRAM_BYTES) memcpy(&raw, &dspram[at], 4);
    }
    if (renderer_switches.dsp32) return int32_t(raw);
    return int32_t((raw & 0xFFFFFF) ^ 0x800000) - 0x800000;
}

bool dl_word_in_buffer(int64_t index) {
    if (index < 0) return false;
    if (dl_source.external) return index < dl_source.external_count;
    int64_t at = int64_t(dl_source.list_base) + 4 * index;
    return 4 * index < BUFFER_SPAN && at + 4 <= DSPRAM_BYTES;
}

void dl_source_select_live() {
    int64_t v = w_slot(W_DL_CURSOR);
    int64_t off = -1;
    if (w_is_host_pointer(v)) {
        uintptr_t p = uintptr_t(w_host(v)), first = uintptr_t(&dspram[0]);
        if (p >= first && p <= first + uintptr_t(DSPRAM_BYTES)) off = int64_t(p - first);
    } else {
        uint32_t a = uint32_t(v);
        if (a >= DSP_BOARD_BASE && a <= DSP_BOARD_BASE + DSPRAM_BYTES) off = a - DSP_BOARD_BASE;
    }
    dl_source.external = nullptr;
    dl_source.external_count = 0;
    if (off >= DL_LIST_BASE_1) {
        dl_source.list_base = DL_LIST_BASE_1;
    } else if (off >= DL_LIST_BASE_0) {
        dl_source.list_base = DL_LIST_BASE_0;
    } else {
        uint32_t word4;
        memcpy(&word4, &dspram[0x10], 4);
        dl_source.list_base = (word4 & 1) ? DL_LIST_BASE_1 : DL_LIST_BASE_0;
        dl_source.cursor_words = -1;
        return;
    }
    int64_t bytes = off - dl_source.list_base;
    dl_source.cursor_words = bytes <= BUFFER_SPAN ? int32_t(bytes / 4) : -1;
}

void walk_display_list() {
    walk_begin();
    walk_cursor c = {walk_word_count(), false};
    int32_t i = 0;
    while (i < c.n && !c.stop) {
        dl_walk.word_index = i;
        int32_t w = dl_word_read(i);
        if (w >= 0x8000 && w <= 0x8010)
            i = packet_read(w, i, c);
        else if (w >= 0x8000)
            i++;  // not a packet of the reader: skipped, not counted
        else
            i = record_read(i, c);
    }
    walk_end(i, c.n);
}

void dl_walker_reset() {
    dl_source.list_base = DL_LIST_BASE_0;
    dl_source.external = nullptr;
    dl_source.external_count = 0;
    dl_walk.last_t[0] = dl_walk.last_t[1] = dl_walk.last_t[2] = 0;
    for (float& f : dl_walk.last_rot_f) f = 0.0f;
}
