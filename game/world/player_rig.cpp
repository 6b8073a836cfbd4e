// The player's rig: render step, rig pipeline, hit animations, node sets and streams.
#include "game/world/player_rig.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/rig_packets.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/node_emitter.h"
#include "game/world/rider_ik.h"
#include "render/dl_walker.h"

#include <cstdio>

namespace {

constexpr int32_t STATE_GAMEPLAY = 3, STATE_ATTRACT = 1, STATE_STAGE_START = 5;
constexpr int32_t ATTRACT_FLY_BY = 3, STAGE_START_FLY = 0x21;
constexpr int32_t FRAME_MODE = 4;        // word 9 of the machine's frame and part packets
constexpr int32_t FRAME_SLOT = 0, PART_SLOT = 1;
constexpr int32_t VIEW_SET_SHIFT = 25;
constexpr uint32_t HIT_PROBES = 5;       // centre, wings, nose, top
constexpr int32_t HIT_SETS = 8;
constexpr int32_t SKY_FRAMES_TOP_HIT = 120, SKY_FRAMES_IMPACT = 100;

// The machine's part nodes 0..5 as the render step draws them (model of the gameplay
// set, offset and angles in the frame of node 0).
struct machine_part {
    int32_t model, x, y, z, pitch, heading, roll;
};
constexpr machine_part MACHINE_PARTS[6] = {
    {69, 0, 0, 0, 0, 0, 0},                  // body (the root; its offset is the player)
    {70, 0, 666, -708, 0, 0, 0},             // propeller, turned by its roll
    {71, 31, 670, -480, 0, 1820, 4550},      // right control surface
    {72, -31, 670, -480, 0, -1820, -4550},   // left control surface
    {73, 1541, 236, 189, 30, 1612, -1364},   // rear surfaces
    {74, -1541, 236, 189, -30, -1612, 1364},
};
constexpr int32_t MACHINE_FIRST_GROUP = 4;  // nodes 0..5 in groups 4..9

bool rig_split() {
    static const bool on = env_present("SKYVOLTA_RIG_SPLIT");
    return on;
}
bool rig_ik_gameplay() {
    static const bool on = env_int("SKYVOLTA_RIG_IK_GAMEPLAY", 1) != 0;
    return on;
}
bool rigdump() {
    static const bool on = env_present("SKYVOLTA_RIGDUMP");
    return on;
}
bool env_log(const char* name) {
    return env_present(name);
}

bool cmddump() {
    static const bool on = env_present("SKYVOLTA_CMDDUMP");
    return on;
}

int32_t node_field(uint32_t k, uint32_t f) {
    return w_cell(rig_node(k) + f);
}
void node_field_set(uint32_t k, uint32_t f, int32_t v) {
    w_cell_set(rig_node(k) + f, v);
}

// SKYVOLTA_NODES (a frame): the node table once; SKYVOLTA_NODES_FULL (frames): every
// word of the first 26 nodes for that many frames.
void node_table_logs() {
    constexpr uint32_t LOGGED_NODES = 26;
    static const int table_frame = env_int("SKYVOLTA_NODES", -1, true);
    static const int full_frames = env_int("SKYVOLTA_NODES_FULL", 0, true);
    static int full_done = 0;
    if (table_frame >= 0 && host_frame == uint32_t(table_frame)) {
        printf("    [NODE] idx  base     model  pos(x,y,z)                 ang(x,y,z)            hi4\n");
        for (uint32_t k = 0; k < LOGGED_NODES; k++) {
            uint32_t n = rig_node(k);
            printf("    [NODE] %3u %6ld %6ld (%ld,%ld,%ld) (%ld,%ld,%ld) %lX\n", k, long(w_cell(n + NODE_BASE_MODEL)),
                   long(w_cell(n + NODE_MODEL)), long(w_cell(n + NODE_X)), long(w_cell(n + NODE_Y)),
                   long(w_cell(n + NODE_Z)), long(w_cell(n + NODE_PITCH)), long(w_cell(n + NODE_HEADING)),
                   long(w_cell(n + NODE_ROLL)), long(uint32_t(w_cell(n + NODE_FLAGS)) >> 16));
        }
    }
    if (full_done < full_frames) {
        full_done++;
        for (uint32_t k = 0; k < LOGGED_NODES; k++)
            for (uint32_t i = 0; i < RIG_NODE_BYTES / 4; i++)
                printf("[NODEF] %d %d %d %ld\n", int(host_frame), int(k), int(i), long(w_cell(rig_node(k) + 4 * i)));
    }
}

void contact_log(int32_t mask, int32_t previous) {
    static uint32_t calls = 0;
    static const bool on = env_log("SKYVOLTA_CONTACTLOG");
    if (!on || calls++ % 60 != 0) return;
    long hit[5];
    for (uint32_t p = 0; p < 5; p++) hit[p] = long(w_cell(probe_field(p, PROBE_HIT)));
    printf("[CONTACT] f%u flags %ld %ld %ld %ld %ld -> mask 0x%X  EB06=%ld 12D4=%ld 12DC=%ld prev=%d\n", host_frame,
           hit[0], hit[1], hit[2], hit[3], hit[4], unsigned(mask), long(w_word(W_RIG_FLAG)),
           long(w_cell(W_LOOKAHEAD_IMPACT)), long(w_cell(W_LOOKAHEAD_FAST_AVOID)), int(previous));
    printf("[PGATE] f%u", host_frame);
    for (uint32_t p = 0; p < 5; p++)
        printf("  L%d:%ld/%lX nf%ld", int(p), hit[p], static_cast<unsigned long>(uint32_t(w_cell(probe_field(p, PROBE_SPECIAL_TYPE)))),
               long(w_cell(probe_field(p, PROBE_COLUMN_COUNT))));
    printf("\n");
    printf("[CONTACT]   hit-anim counter W_LO16(0x169EC) = %d  (raw slot 0x%08lX)\n", int(w_word(W_HIT_COUNTER)),
           static_cast<unsigned long>(uint32_t(w_cell(W_POSE_FLAG))));
}

bool rom_range(uint32_t address, uint32_t bytes) {
    return uint64_t(address) + bytes <= PROGRAM_ROM_END;
}

// Entry `index` of a ROM table of longs, 0 past its end or past the ROM.
uint32_t rom_table_long(uint32_t table, uint32_t count, uint32_t index) {
    if (index >= count || !rom_range(table + 4 * index, 4)) return 0;
    return uint32_t(bus_read32(table + 4 * index));
}

int32_t field_mask(uint32_t table, uint32_t field) {
    return int32_t(rom_table_long(table, NODE_FIELD_COUNT, field));
}

int64_t words_since(const int32_t* start) {
    return dl_cursor_get() - start;
}

// Record `record` of the ROM into node slot n: model, link, flags and the six fields,
// an animated field taking its stream's first long (pointer kept 4 bytes on, 0 for a
// pointer outside the ROM). The fields' bases keep the loaded values.
void node_load(uint32_t n, uint32_t record, uint32_t mask_table, int32_t group) {
    int32_t flags = bus_read32(record + 8);
    w_cell_set(n + NODE_MODEL, bus_read32(record));
    w_word_set(n + NODE_LINK, uint32_t(bus_read16(record + 4)));
    w_cell_set(n + NODE_FLAGS, flags);
    for (uint32_t i = 0; i < NODE_FIELD_COUNT; i++) {
        uint32_t value = uint32_t(bus_read32(record + 12 + 4 * i));
        uint32_t stream = 0;
        if ((flags >> 16) & field_mask(mask_table, i)) {
            bool valid = value != 0 && rom_range(value, 4);
            stream = valid ? value + 4 : 0;
            value = valid ? uint32_t(bus_read32(value)) : 0;
        }
        w_cell_set(n + NODE_STREAMS + 4 * i, int32_t(stream));
        w_cell_set(n + NODE_FIELDS + 4 * i, int32_t(value));
        w_cell_set(n + NODE_BASE + 4 * i, int32_t(value));
    }
    w_cell_set(n + NODE_GROUP, group);
}

// A zero-ended pointer list at `list` into the nodes from `first`, while a record and
// the end record after it fit below the end of the node area; each node emitted at once
// when `emit`, which also stops at the end of the display-list buffer. Returns the node
// after the last one written.
uint32_t node_list_load(uint32_t list, uint32_t first, uint32_t mask_table, bool emit) {
    uint32_t k = first;
    for (uint32_t at = list; at != 0 && rom_range(at, 4); at += 4) {
        uint32_t record = uint32_t(bus_read32(at));
        if (record == 0 || !rom_range(record, ROM_NODE_RECORD_BYTES)) break;
        if (rig_node(k + 2) > W_RIG_NODES_END) break;
        if (emit && !rig_packet_room(NODE_PACKET_WORDS)) break;
        node_load(rig_node(k), record, mask_table, RIG_SET_FIRST_GROUP + int32_t(k - RIG_SET_FIRST_NODE));
        if (emit) rig_node_packet(rig_node(k));
        k++;
    }
    return k;
}

// The 16-bit stream length after the zero ending the pointer list at `list`.
int32_t list_stream_length(uint32_t list) {
    for (uint32_t at = list, i = 0; at != 0 && rom_range(at, 6) && i < 256; at += 4, i++)
        if (bus_read32(at) == 0) return bus_read16(at + 4);
    return 0;
}

// Closes the node list at node k: model -1, the stream length in its link word.
void node_list_close(uint32_t k, int32_t length) {
    node_field_set(k, NODE_MODEL, -1);
    w_word_set(rig_node(k) + NODE_LINK, uint32_t(length));
}

void machine_nodes_reset() {
    for (uint32_t k = 0; k < 6; k++) {
        const machine_part& p = MACHINE_PARTS[k];
        uint32_t n = rig_node(k);
        for (uint32_t f = 0; f < RIG_NODE_BYTES; f += 4) w_cell_set(n + f, 0);
        const int32_t fields[6] = {p.x, p.y, p.z, p.pitch, p.heading, p.roll};
        for (uint32_t i = 0; i < NODE_FIELD_COUNT; i++) {
            w_cell_set(n + NODE_FIELDS + 4 * i, fields[i]);
            w_cell_set(n + NODE_BASE + 4 * i, fields[i]);
        }
        w_cell_set(n + NODE_MODEL, p.model);
        w_cell_set(n + NODE_BASE_MODEL, p.model);
        w_word_set(n + NODE_LINK, uint32_t(-int32_t(k)));
        w_cell_set(n + NODE_GROUP, MACHINE_FIRST_GROUP + int32_t(k));
    }
}

bool posing_state() {
    int32_t state = w_cell(W_GAME_STATE);
    return state == STATE_GAMEPLAY || (state == STATE_ATTRACT && w_cell(W_ATTRACT_PHASE) == ATTRACT_FLY_BY) ||
           (state == STATE_STAGE_START && w_cell(W_STAGE_START_SUB_STATE) == STAGE_START_FLY);
}

uint32_t first_emitted_node() {
    if (w_cell(W_GAME_STATE) == STATE_GAMEPLAY && rig_split() && rig_ik_gameplay()) return RIG_RIDER_FIRST_NODE;
    return w_word(W_POSE_FLAG) != 0 ? 1 : RIG_RIDER_FIRST_NODE;
}

// The rig mode `mode` for `frames` unless it already runs with time left.
int32_t hit_start(int32_t mode, int32_t frames, int32_t timer) {
    if (timer >= 0 && w_word(W_RIG_MODE) == mode) return 0;
    w_word_set(W_HIT_TIMER, frames);
    return mode;
}

void part_packet(const machine_part& p, int32_t pitch, int32_t heading, int32_t roll) {
    bool view = w_cell(W_WING_SET) != 0;
    dl_model_rotated(PART_SLOT, p.x, p.y, p.z, pitch, heading, roll, FRAME_MODE);
    dl_packet_8009(PART_SLOT, FRAME_SLOT, PART_SLOT);
    dl_packet_800a(view ? p.model - VIEW_SET_SHIFT : p.model, PART_SLOT, w_cell(W_NODE_ANCHOR),
                   w_cell(W_NODE_ANCHOR + 4), w_cell(W_NODE_ANCHOR + 8));
}

void anchor_at_player() {
    for (uint32_t i = 0; i < 3; i++)
        w_cell_set(W_NODE_ANCHOR + 4 * i, wrap_sub(w_cell(W_PLAYER_X + 4 * i), w_cell(W_CAMERA_X + 4 * i)));
}

void rig_log_step(bool dump, const char* step, const int32_t* start) {
    if (dump) printf("[RIG]   %s wrote %ld words\n", step, long(words_since(start)));
}

}  // namespace

void player_render_stub() {}

void player_render() {
    static int calls_this_frame = 0;
    static uint32_t last_frame = 0;
    if (host_frame != last_frame) calls_this_frame = 0, last_frame = host_frame;
    dl_player_render_calls++;
    if (cmddump()) printf("[CMD] player_render() call #%d this frame\n", ++calls_this_frame);

    int32_t pitch_in = w_cell(W_PITCH_INPUT), turn_in = w_cell(W_TURN_INPUT);
    bool view = w_cell(W_WING_SET) != 0;
    anchor_at_player();
    dl_header_8002_put(0);
    dl_node_rotated(FRAME_SLOT, wrap_neg(w_cell(W_PLAYER_PITCH)), wrap_neg(w_cell(W_PLAYER_HEADING)),
                    wrap_neg(w_cell(W_PLAYER_ROLL)), FRAME_MODE);
    int32_t body = w_cell(W_STOP_FLAG) != 0 ? w_cell(W_STOP_MODEL) : view ? 69 - VIEW_SET_SHIFT : 69;
    dl_packet_800a(body, FRAME_SLOT, w_cell(W_NODE_ANCHOR), w_cell(W_NODE_ANCHOR + 4), w_cell(W_NODE_ANCHOR + 8));
    part_packet(MACHINE_PARTS[1], 0, 0, w_cell(W_PROP_ANGLE));
    part_packet(MACHINE_PARTS[2], wrap_add(pitch_in >> 3, turn_in >> 3), MACHINE_PARTS[2].heading,
                MACHINE_PARTS[2].roll);
    part_packet(MACHINE_PARTS[3], wrap_add(pitch_in >> 3, wrap_neg(turn_in) >> 3), MACHINE_PARTS[3].heading,
                MACHINE_PARTS[3].roll);
    part_packet(MACHINE_PARTS[4], wrap_add(turn_in >> 2, 30), MACHINE_PARTS[4].heading, MACHINE_PARTS[4].roll);
    part_packet(MACHINE_PARTS[5], wrap_sub(wrap_neg(turn_in) >> 2, 30), MACHINE_PARTS[5].heading,
                MACHINE_PARTS[5].roll);

    const int32_t* start = dl_cursor_get();
    camera_update_main();
    if (cmddump())
        printf("[CMD]   camera_update_main (from player_render) wrote %ld words\n", long(words_since(start)));
}

void camera_update_main() {
    static uint32_t calls = 0;
    bool dump = rigdump() && calls++ % 60 == 0;
    if (dump)
        printf("[RIG] f=%d state=%ld sub=%ld 12BC=%ld EB06=%ld mode=%d AB04=%ld\n", int(host_frame),
               long(w_cell(W_GAME_STATE)), long(w_cell(W_GAME_SUB_STATE)), long(w_cell(W_WING_SET)),
               long(w_word(W_RIG_FLAG)), int(w_word(W_RIG_MODE)), long(node_field(0, NODE_MODEL)));

    node_table_logs();
    const int32_t* start = dl_cursor_get();
    if (posing_state()) {
        player_model_set_pose();
        rig_log_step(dump, "player_model_set_pose", start);
    } else {
        w_word_set(W_POSE_FLAG, 0);
    }

    int32_t mode = player_hit_animation_select();
    static const bool campath = env_log("SKYVOLTA_CAMPATH");
    if (campath && host_frame % 120 == 0)
        printf("    [CAMPATH] f=%d mode=%d EB06=%ld 16A08=%ld 16A0A=%ld 169EC=%ld\n", int(host_frame), int(mode),
               long(w_word(W_RIG_FLAG)), long(w_word(W_KEY_ROW)), long(w_word(W_KEY_ROW + 2)),
               long(w_word(W_POSE_FLAG)));
    if (mode != 0) {
        start = dl_cursor_get();
        scene_node_array_animate(mode);
        rig_log_step(dump, "scene_node_array_animate", start);
    }

    start = dl_cursor_get();
    if (w_word(W_RIG_FLAG) != 0) {
        if (w_cell(W_GAME_STATE) == STATE_GAMEPLAY && !rig_ik_gameplay()) {
            player_animation_keyframe_update(w_cell(W_CRANK_FRAME));
            rig_log_step(dump, "player_animation_keyframe_update", start);
        } else {
            camera_setup_simple();
            rig_log_step(dump, "camera_setup_simple", start);
        }
    } else {
        player_animation_state_update();
        if (w_word(W_RIG_FLAG) != 0) w_cell_set(W_CRANK_ANGLE, 0);
        rig_log_step(dump, "player_animation_state_update", start);
    }

    if (mode != 0) w_word_set(W_HIT_COUNTER, mode == 1 ? SKY_FRAMES_TOP_HIT : mode == 4 ? SKY_FRAMES_IMPACT : 0);
    int32_t counter = w_word(W_HIT_COUNTER);
    if (counter > 0) {
        start = dl_cursor_get();
        camera_dsp_sky_render();
        w_word_set(W_HIT_COUNTER, counter - 1);
        if (counter == 1) sound_preset_from_rom();
        rig_log_step(dump, "camera_dsp_sky_render", start);
    }
    start = dl_cursor_get();
    hud_draw_wings();
    rig_log_step(dump, "hud_draw_wings", start);
}

void player_model_set_pose() {
    int32_t pitch_in = w_cell(W_PITCH_INPUT), turn_in = w_cell(W_TURN_INPUT);
    for (uint32_t i = 0; i < 3; i++) node_field_set(0, NODE_X + 4 * i, w_cell(W_PLAYER_X + 4 * i));
    node_field_set(0, NODE_PITCH,
                   wrap_neg(wrap_add(w_cell(W_PLAYER_PITCH), w_cell(W_PITCH_INPUT_SMOOTH) >> 3)));
    node_field_set(0, NODE_HEADING, wrap_sub(w_cell(W_TURN_INPUT_SMOOTH_2) >> 3, w_cell(W_PLAYER_HEADING)));
    node_field_set(0, NODE_ROLL, wrap_neg(wrap_add(w_cell(W_PLAYER_ROLL), w_cell(W_TURN_INPUT_SMOOTH) >> 3)));
    node_field_set(1, NODE_ROLL, w_cell(W_PROP_ANGLE));
    node_field_set(2, NODE_PITCH, wrap_add(pitch_in >> 3, turn_in >> 3));
    node_field_set(3, NODE_PITCH, wrap_sub(pitch_in >> 3, turn_in >> 3));
    node_field_set(4, NODE_PITCH, wrap_sub(node_field(4, NODE_BASE_PITCH), turn_in >> 3));
    int32_t base = node_field(0, NODE_BASE_MODEL);
    node_field_set(0, NODE_MODEL, w_cell(W_WING_SET) != 0 ? base - VIEW_SET_SHIFT : base);
    bool hidden = rig_split() && w_cell(W_GAME_STATE) == STATE_GAMEPLAY;
    node_record_emit(rig_node(0), hidden);
    for (uint32_t k = 1; k <= 5; k++) node_field_set(k, NODE_MODEL, node_field(k, NODE_BASE_MODEL));
    w_word_set(W_POSE_FLAG, 1);
}

int32_t player_hit_animation_select() {
    int32_t previous = w_word(W_CONTACT_MASK);
    int32_t mask = 0;
    for (uint32_t p = 0; p < HIT_PROBES; p++)
        if (w_cell(probe_field(p, PROBE_HIT)) != 0) mask |= 1 << p;
    w_word_set(W_CONTACT_MASK, mask);
    contact_log(mask, previous);

    bool impact = w_cell(W_LOOKAHEAD_IMPACT) != 0;
    if (w_word(W_RIG_FLAG) == 0)
        return w_word(W_RIG_MODE) == 7 && impact ? hit_start(4, 360, w_word(W_HIT_TIMER)) : 0;

    int32_t timer = int16_t(uint16_t(w_word(W_HIT_TIMER) - 1));
    w_word_set(W_HIT_TIMER, timer);
    if (impact) return hit_start(4, 360, timer);
    if (w_cell(W_LOOKAHEAD_FAST_AVOID) != 0) return hit_start(7, 180, timer);
    if (previous != 0) return 0;
    switch (mask) {
    case 1 << PROBE_RIGHT_WING: return hit_start(2, 150, timer);
    case 1 << PROBE_LEFT_WING: return hit_start(3, 150, timer);
    case 1 << PROBE_TOP: return hit_start(1, 360, timer);
    default: return 0;
    }
}

void scene_node_array_animate(int32_t set) {
    if (set < 0 || set >= HIT_SETS) return;
    static uint32_t calls = 0;
    const int32_t* start = dl_cursor_get();
    w_word_set(W_RIG_MODE, set);
    uint32_t list = rom_table_long(ROM_RIG_LISTS, ROM_RIG_LIST_COUNT, uint32_t(set));
    uint32_t end = node_list_load(list, RIG_SET_FIRST_NODE, ROM_SET_FIELD_MASKS, true);
    node_list_close(end, list_stream_length(list));
    w_word_set(W_KEYFRAME_COUNTER, 0);
    w_word_set(W_RIG_FLAG, 0);
    if (rigdump() && calls++ < 8)
        printf("[SNA] set=%d nodes=%d words=%ld\n", int(set), int(end - RIG_SET_FIRST_NODE), long(words_since(start)));
}

void player_animation_state_update() {
    static uint32_t calls = 0;
    static const bool anim = env_log("SKYVOLTA_ANIM");
    bool log = anim && calls++ % 200 == 0;
    uint32_t k = w_word(W_POSE_FLAG) != 0 ? 1 : RIG_RIDER_FIRST_NODE;
    if (log)
        printf("    [ANIM] f=%d enter nb=0x%lX head_model=%ld\n", int(host_frame),
               static_cast<unsigned long>(WRAM_BASE + rig_node(k)), long(node_field(k, NODE_MODEL)));
    for (; rig_node(k + 1) <= W_RIG_NODES_END; k++) {
        uint32_t n = rig_node(k);
        if (w_cell(n + NODE_MODEL) < 0) break;
        if (log) printf("      [ANIM] emit model=%ld (code %ld)\n", long(w_cell(n + NODE_MODEL)), long(w_cell(n + NODE_MODEL) + 69));
        int32_t flags = w_cell(n + NODE_FLAGS) >> 16;
        for (uint32_t i = 0; i < NODE_FIELD_COUNT; i++) {
            uint32_t stream = uint32_t(w_cell(n + NODE_STREAMS + 4 * i));
            if (!(flags & field_mask(ROM_STREAM_FIELD_MASKS, i)) || stream == 0 || !rom_range(stream, 2)) continue;
            w_cell_set(n + NODE_FIELDS + 4 * i, wrap_add(w_cell(n + NODE_FIELDS + 4 * i), int16_t(bus_read16(stream))));
            w_cell_set(n + NODE_STREAMS + 4 * i, int32_t(stream + 2));
        }
        rig_node_packet(n);
    }
    int32_t counter = w_word(W_KEYFRAME_COUNTER) + 1;
    w_word_set(W_KEYFRAME_COUNTER, counter);
    int32_t length = rig_node(k) < W_RIG_NODES_END ? w_word(rig_node(k) + NODE_LINK) : 0;
    if (counter >= length) w_word_set(W_RIG_FLAG, 1);
}

void player_rig_node_words() {
    static uint32_t calls = 0;
    static const bool nodew = env_log("SKYVOLTA_NODEW");
    anchor_at_player();
    if (nodew && calls++ < 400)
        printf("    [NODEW] f=%d start=0x%lX flag=%ld\n", int(host_frame),
               static_cast<unsigned long>(WRAM_BASE + rig_node(first_emitted_node())), long(w_word(W_POSE_FLAG)));
    for (uint32_t k = first_emitted_node(); rig_node(k + 1) <= W_RIG_NODES_END; k++) {
        if (node_field(k, NODE_MODEL) < 0) break;
        rig_node_packet(rig_node(k));
    }
}

void player_animation_keyframe_update(int32_t a) {
    rider_keyframe_pose(a);
    player_rig_node_words();
}

void camera_setup_simple() {
    rider_ik_pose();
    player_rig_node_words();
}

void player_rig_solve_targets(int32_t crank_angle, int32_t a, int32_t t, int32_t b, int32_t c) {
    rider_ik_pose_targets(crank_angle, a, t, b, c);
    player_rig_node_words();
}

void player_model_load_animation(int32_t selector) {
    uint32_t list = selector >= 0 ? rom_table_long(ROM_RIG_LISTS, ROM_RIG_LIST_COUNT, uint32_t(selector)) : 0;
    if (list == 0 || !rom_range(list, 4)) {
        printf("  [WARN] player_model_load_animation: bad table entry for selector %d\n", int(selector));
        return;
    }
    machine_nodes_reset();
    uint32_t end = node_list_load(list, RIG_SET_FIRST_NODE, ROM_STREAM_FIELD_MASKS, false);
    end = node_list_load(ROM_RIG_SECOND_LIST, end, ROM_STREAM_FIELD_MASKS, false);
    node_list_close(end, list_stream_length(list));

    // The smoothed inputs start where they would settle.
    w_cell_set(W_RIDER_LEAN, w_cell(W_PITCH_INPUT) >> 4);
    w_cell_set(W_RIDER_TURN, w_cell(W_TURN_INPUT) >> 5);
    for (uint32_t w = W_RIDER_DRIVE; w < W_ARM_B_TARGET; w += 4) w_cell_set(w, 0);
    w_word_set(W_HIT_TIMER, 0);
    w_word_set(W_CONTACT_MASK, 0);
    w_word_set(W_RIG_FLAG, 0);
}
