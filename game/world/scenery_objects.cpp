#include "game/world/scenery_objects.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/animated_objects_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/terrain_ram.h"
#include "game/world/animated_objects.h"
#include "game/world/balloon_ram.h"
#include "game/world/list_room.h"
#include "game/world/object_emitters.h"
#include "game/world/object_switches.h"
#include "game/world/terrain_props.h"

#include <cstdio>
#include <cstdlib>

uint32_t scenery_guard_count = 0;
object_switch_set object_switches;

namespace {

constexpr int32_t COURSES = 4;
constexpr int32_t TIERS = 3, NEAR_TIER = 2;
constexpr int32_t NEAR_ENTRIES = 9, MIDDLE_END = 16, FAR_END = 23;  // visible-list places by tier
constexpr uint32_t MAX_VISIBLE = (W_VISIBLE_COUNT - W_VISIBLE_CHUNKS) / VISIBLE_CHUNK_BYTES;
constexpr uint32_t RECORD_ROOM = 128;
constexpr uint32_t HOOK_ROOM = 64;
constexpr int32_t LOG_PERIOD = 120;
constexpr int32_t CHUNK_SPAWN_NONE = 0x80;
constexpr int32_t SIX_STEPS = 6;
constexpr int32_t OBJECT_FLAGS = 4;
constexpr int32_t PROP_HEIGHT = 40960;      // course 1's model height
constexpr int32_t SOUND_FRAME = 3;          // kind-5 frame offset that sounds

// Course 1's hook: model 426..429 at the world origin, 40960 up.
constexpr int32_t COURSE1_MODEL = 426;
// The course-8 node model, drawn 972 below its node.
constexpr int32_t COURSE8_COUNT = 8, COURSE8_MODEL = 592, COURSE8_DROP = 972, COURSE8_BANK_BASE = 20480;

constexpr rom_table ROM_TIER_WORDS = {ROM_TIER_TABLES, 4, CELL_COUNT * TIERS * COURSES};
constexpr rom_table ROM_SCENERY = {ROM_SCENERY_RECORDS, SCENERY_RECORD_BYTES,
                                   (ROM_CHUNK_SPAWNS - ROM_SCENERY_RECORDS) / SCENERY_RECORD_BYTES};
constexpr rom_table ROM_SPAWN_CELLS = {ROM_CHUNK_SPAWNS, 4, CELL_COUNT * COURSES};
constexpr rom_table ROM_KIND5 = {ROM_KIND5_FRAMES, 2, (ROM_SIX_STEP_FRAMES - ROM_KIND5_FRAMES) / 2};
constexpr rom_table ROM_SIX_STEP = {ROM_SIX_STEP_FRAMES, 2, SIX_STEPS};
constexpr rom_table ROM_FLAGS = {ROM_FLAG_CELLS, 1, CELL_COUNT};

// Record fields.
constexpr uint32_t SC_BASE = 0, SC_FRAMES = 6, SC_X = 12, SC_Z = 14, SC_Y = 16, SC_P = 20, SC_Q = 22, SC_R = 24,
                   SC_KIND = 26, SC_SHIFT = 27, SC_BANK = 28;

int32_t visible_count() {
    int32_t n = wram_long(W_VISIBLE_COUNT);
    return n < 0 ? 0 : n > int32_t(MAX_VISIBLE) ? int32_t(MAX_VISIBLE) : n;
}
uint32_t visible_entry(int32_t i) {
    return W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(i);
}

// The ROM word at a tier-table address, 0 outside the tier tables.
int32_t tier_word_at(uint32_t address, uint32_t offset) {
    if (address < ROM_TIER_TABLES) return 0;
    uint32_t at = address - ROM_TIER_TABLES;
    return rom_table_word(ROM_TIER_WORDS, at / 4, at % 4 + offset) & 0xFFFF;
}

// The near tier table of a course.
uint32_t near_table(int32_t course) {
    return ROM_TIER_TABLES + COURSE_TIER_BYTES * uint32_t(course) + TIER_TABLE_BYTES * NEAR_TIER;
}

// The frame added to a base model: 3 bits for eight frames, a remainder for more,
// the six-step ROM cycle for a negative count (without the phase).
int32_t scenery_frame(int32_t n, int32_t phase, int32_t shift, int32_t frames) {
    if (frames < 0) {
        int32_t k = int32_t((int64_t(n) >> shift) % SIX_STEPS);
        return rom_table_word(ROM_SIX_STEP, k < 0 ? k + SIX_STEPS : k, 0);
    }
    int64_t m = int64_t(wrap_add(n, phase)) >> shift;
    if (frames == 8) return int32_t(m & 7);
    if (frames > 1) return int32_t(m % frames);
    return 0;
}

// The rotation pairs of three 16-bit angles.
void pairs(int32_t* out, int32_t a, int32_t b, int32_t c) {
    dl_rotation_pair(a, out);
    dl_rotation_pair(b, out + 2);
    dl_rotation_pair(c, out + 4);
}

void scen_probe(uint32_t record, int32_t kind, int32_t tier, int32_t model) {
    const object_switch_set& o = object_switches;
    if (o.probe_lo < 0 || model < o.probe_lo || model > o.probe_hi) return;
    int32_t w = int32_t((record - ROM_SCENERY_RECORDS) / SCENERY_RECORD_BYTES);
    auto f = [&](uint32_t offset) { return rom_table_word(ROM_SCENERY, w, offset); };
    fprintf(stderr,
            "[SCEN] f%u kind%d model %d  rec 0x%X (type %d)  tier %d  bases %d/%d/%d  counts %d/%d/%d  shift %d\n",
            host_frame, kind, model, record, kind, tier, f(0), f(2), f(4), f(6), f(8), f(10),
            rom_table_byte(ROM_SCENERY, w, SC_SHIFT));
}

// The 11 words of scenery record w in the chunk at (cx, cz) for tier t.
void scenery_record_words(int32_t w, int32_t cx, int32_t cz, int32_t t, int32_t* out) {
    auto f = [&](uint32_t offset) { return rom_table_word(ROM_SCENERY, w, offset); };
    int32_t n = wram_long(W_PLAY_FRAME_COUNTER), base = f(SC_BASE + 2 * uint32_t(t)),
            frames = f(SC_FRAMES + 2 * uint32_t(t));
    int32_t kind = rom_table_byte(ROM_SCENERY, w, SC_KIND),
            shift = frame_shift(rom_table_byte(ROM_SCENERY, w, SC_SHIFT));
    int32_t p = f(SC_P), q = f(SC_Q), r = f(SC_R);
    int32_t x = wrap_add(cx, 2 * f(SC_X)), z = wrap_add(cz, 2 * f(SC_Z));
    int32_t y = wrap_add(rom_table_long(ROM_SCENERY, w, SC_Y), wram_long(W_TRAIN_BASE_Y));
    int32_t model = wrap_add(base, scenery_frame(n, kind == 0 ? q : 0, shift, frames));
    int32_t last = 0;
    switch (kind) {
    case 0:
        out[4] = 0, out[5] = 0x7FFF, out[6] = wram_long(W_OBJECT_HEADING), out[7] = wram_long(W_OBJECT_HEADING + 4);
        out[8] = 0, out[9] = 0x7FFF;
        break;
    case 1: pairs(out + 4, p, q, r), last = OBJECT_FLAGS; break;
    case 2: model = base, pairs(out + 4, p, wrap_mul(n, q) & 0xFFFC, r); break;
    case 3: model = base, pairs(out + 4, p, q, wrap_mul(n, r) & 0xFFFC), last = OBJECT_FLAGS; break;
    case 4:
        y = wrap_add(y, wrap_mul(r, math_sin(wrap_mul(p, n) & 0xFFFC)) >> 15);
        pairs(out + 4, 0, q, 0);
        out[4] = 0, out[5] = 0x7FFF, out[8] = 0, out[9] = 0x7FFF;
        break;
    case 5: {
        int64_t m = int64_t(wrap_add(n, q)) >> shift;
        int32_t offset = rom_table_word(ROM_KIND5, frames ? m % frames : 0, 0);
        model = wrap_add(base, offset);
        pairs(out + 4, p, wrap_mul(n, q) & 0xFFFC, r);
        if (offset == SOUND_FRAME && (wrap_add(n, q) & 7) == 0) scenery_sound_play(x, z);
        break;
    }
    default:
        x = wrap_neg(wram_long(W_CAMERA_X)), y = wrap_neg(wram_long(W_CAMERA_Y)), z = wrap_neg(wram_long(W_CAMERA_Z));
        pairs(out + 4, p, q, r), last = OBJECT_FLAGS;
        break;
    }
    if (kind == 0 || kind == 1) scen_probe(rom_table_record(ROM_SCENERY, w), kind, t, model);
    out[0] = model, out[1] = x, out[2] = y, out[3] = z, out[10] = last;
}

void lod_log_line() {
    static int32_t calls = 0;
    if (!object_switches.lod_log || calls++ % LOG_PERIOD != 0) return;
    char line[512];
    int32_t count = wram_long(W_VISIBLE_COUNT),
            used = snprintf(line, sizeof line, "[LOD] f%u count %d:", host_frame, count);
    for (int32_t i = 0; i < visible_count() && i < FAR_END && used + 24 < int32_t(sizeof line); i++) {
        int32_t cell = wram_long(visible_entry(i));
        int64_t dx = int64_t(cell % CELL_COLUMNS) * CELL_SIZE - wram_long(W_CAMERA_X);
        int64_t dz = int64_t(cell / CELL_COLUMNS) * CELL_SIZE - wram_long(W_CAMERA_Z);
        used += snprintf(line + used, sizeof line - size_t(used), " %s%u:%ldk",
                         i == NEAR_ENTRIES || i == MIDDLE_END ? "| " : "", unsigned(cell),
                         long((std::llabs(dx) + std::llabs(dz)) / 8 / 125));
    }
    fprintf(stderr, "%s\n", line);
}

// The animated objects the chunk of a visible entry offers.
void chunk_spawn(int32_t course, int32_t cell) {
    if (cell < 0 || cell >= CELL_COUNT) return;
    int32_t index = course * CELL_COUNT + cell;
    int32_t first = rom_table_byte(ROM_SPAWN_CELLS, index, 0), count = rom_table_byte(ROM_SPAWN_CELLS, index, 1);
    if (first & CHUNK_SPAWN_NONE) return;
    for (int32_t k = 0; k < count; k++)
        animated_object_spawn(ROM_SPAWN_RECORDS + SPAWN_RECORD_BYTES * uint32_t(first + k));
}

// The scenery of visible entries from..to - 1 in the current tier.
void tier_draw(int32_t from, int32_t to) {
    uint32_t table = uint32_t(wram_long(W_TIER_TABLE));
    for (int32_t i = from; i < to && i < visible_count(); i++) {
        int32_t cell = wram_long(visible_entry(i));
        if (i < NEAR_ENTRIES) chunk_spawn(wram_long(W_COURSE_NUMBER), cell);
        if (cell < 0 || cell >= CELL_COUNT) continue;
        uint32_t word = table + 4 * uint32_t(cell);
        if ((tier_word_at(word, 0) & 0x8000) == 0) scenery_object_render(visible_entry(i), word);
    }
}

void tier_set(int32_t tier, uint32_t table) {
    w_word_set(W_TIER, tier);
    wram_long_set(W_TIER_TABLE, int32_t(table));
}

}  // namespace

void object_switches_read() {
    object_switches.animated = env_int("SKYVOLTA_ANIMOBJ", 1) != 0;
    object_switches.ao_log = env_present("SKYVOLTA_AOLOG");
    object_switches.ao_records = env_present("SKYVOLTA_AOREC");
    object_switches.no_scenery = env_present("SKYVOLTA_NO_SCENERY");
    object_switches.lod_log = env_present("SKYVOLTA_LODLOG");
    object_switches.lod_far_tier = env_present("SKYVOLTA_LOD_FARTIER");
    object_switches.probe_lo = object_switches.probe_hi = -1;
    if (const char* probe = env_text("SKYVOLTA_SCENPROBE"))
        if (sscanf(probe, "%d,%d", &object_switches.probe_lo, &object_switches.probe_hi) != 2)
            object_switches.probe_lo = object_switches.probe_hi = -1;
}

void objects_render_master() {
    int32_t camera = wrap_neg(wram_long(W_CAMERA_HEADING)) & 0xFFFF;
    w_word_set(W_OBJECT_TURN_LIMIT, camera);
    wram_long_set(W_OBJECT_HEADING, math_sin(camera));
    wram_long_set(W_OBJECT_HEADING + 4, math_cos(camera));
    w_word_set(W_OBJECT_CAMERA_FLAG, 1);
    dl_put(DL_HEADER_11);
    dl_put(0);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    wram_long_set(W_DL_LAST_BANK, 0);
    if (!object_switches.no_scenery) scenery_lod_select();
    animated_objects_render_all();
    if (!object_switches.no_scenery) scenery_hooks_render();
    if (wram_long(W_COURSE_NUMBER) != 3) scenery_course8_packets();
    if (wram_long(W_DL_LAST_BANK) != 0) dl_bank_link(0);
    if (wram_long(W_DL_LAST_HEADER) != DL_HEADER_11) {
        dl_put(DL_HEADER_11);
        dl_put(0);
        wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    }
}

void scenery_lod_select() {
    if (object_switches.animated) animated_objects_step_all();
    int32_t course = wram_long(W_COURSE_NUMBER);
    if (course < 0 || course >= COURSES) return;
    uint32_t table = near_table(course);
    tier_set(NEAR_TIER, table);
    lod_log_line();
    tier_draw(0, NEAR_ENTRIES);
    tier_set(1, table - TIER_TABLE_BYTES);
    tier_draw(NEAR_ENTRIES, MIDDLE_END);
    tier_set(0, table - 2 * TIER_TABLE_BYTES);
    tier_draw(MIDDLE_END, FAR_END);
}

void scenery_object_render(uint32_t chunk_entry, uint32_t tier_word) {
    int32_t first = tier_word_at(tier_word, 0), count = tier_word_at(tier_word, 2);
    if (first & 0x8000) return;
    int32_t cx = wram_long(chunk_entry + 4), cz = wram_long(chunk_entry + 8);
    int32_t tier = object_switches.lod_far_tier ? w_word(W_TIER + 2) : w_word(W_TIER);
    if (tier < 0 || tier >= TIERS) tier = 0;
    for (int32_t k = 0; k < count; k++) {
        if (!dl_cursor_room(RECORD_ROOM)) {
            if (scenery_guard_count++ == 0)
                fprintf(stderr, "[GUARD] scenery_object_render: DSP cursor full -- remaining scenery dropped\n");
            return;
        }
        int32_t w = first + k;
        dl_bank_link(rom_table_long(ROM_SCENERY, w, SC_BANK));
        int32_t words[11];
        scenery_record_words(w, cx, cz, tier, words);
        dl_emit(words, 11);
    }
}

void scenery_hooks_render() {
    train_render();
    switch (wram_long(W_COURSE_NUMBER)) {
    case 0:
        animated_object_record_dump();
        fixed_model_packet();
        break;
    case 1: {
        if (!dl_cursor_room(HOOK_ROOM)) break;
        dl_bank_link(0);
        const int32_t words[6] = {DL_HEADER_4,
                                  0,
                                  COURSE1_MODEL + ((wram_long(W_PLAY_FRAME_COUNTER) >> 2) & 3),
                                  dl_relative_x(0),
                                  dl_relative_y(PROP_HEIGHT),
                                  dl_relative_z(0)};
        dl_emit(words, 6);
        wram_long_set(W_DL_LAST_HEADER, DL_HEADER_4);
        break;
    }
    case 2:
        animated_objects_aux_step();
        break;
    case 3: scenery_flag_packets(); break;
    default: break;
    }
}

void scenery_course8_packets() {
    if (w_word(W_BALLOONS_LEFT) != COURSE8_COUNT) return;
    dl_header_8002();
    int32_t x = wram_long(W_COURSE8_NODE), y = wram_long(W_COURSE8_NODE + 4), z = wram_long(W_COURSE8_NODE + 8);
    if (y < wrap_add(wram_long(W_CAMERA_Y), COURSE8_DROP)) {
        int32_t bank = wrap_sub(wram_long(W_COURSE8_BANK), COURSE8_BANK_BASE);
        dl_bank_select(bank);
        wram_long_set(W_DL_LAST_BANK, bank);
    }
    int32_t words[11] = {COURSE8_MODEL, dl_relative_x(x), wrap_sub(dl_relative_y(y), COURSE8_DROP), dl_relative_z(z)};
    pairs(words + 4, wrap_sub(wram_long(W_COURSE8_NODE + 12), 0x4000) & 0xFFFC,
          wram_long(W_COURSE8_NODE + 16) & 0xFFFC, wram_long(W_COURSE8_NODE + 20) & 0xFFFC);
    words[10] = OBJECT_FLAGS;
    dl_emit(words, 11);
}

void scenery_flag_packets() {
    wram_long_set(W_DL_LAST_HEADER, 0);
    int32_t mode = uint16_t(w_word(W_OBJECT_MODE)), x = wram_long(W_PLAYER_X);
    if ((mode & 0x000E) != 0 && (x & 0x1A) == 0) mode &= ~0x000E;
    else if ((mode & 0x000E) == 0 && (x & 0xBA) == 0) mode |= 0x000E;
    w_word_set(W_OBJECT_MODE, mode);
    wram_long_set(W_SUBPART_COUNT, 0);
    int32_t flags = 0;
    for (int32_t i = 0; i < visible_count(); i++) flags |= rom_table_byte(ROM_FLAGS, wram_long(visible_entry(i)), 0);
    if (flags & 1) object_packet_emit_compound();
    if (flags & 2) object_packet_emit_rotating();
    if (flags & 4) object_packet_emit();
    dl_header_8002();
}

int32_t object_noop() {
    return 0;
}
