#include "game/world/animated_objects.h"

#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/inputs.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/animated_objects_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/terrain_ram.h"
#include "game/world/collision_zones.h"
#include "game/world/list_room.h"
#include "game/world/object_figures.h"
#include "game/world/object_switches.h"

#include <cstdio>
#include <cstdlib>

uint32_t animated_cursor_reports = 0;
uint32_t animated_guard_count = 0;

namespace {

constexpr uint32_t OP_BANK_B_TOGGLE = 0x82F3, OP_MODEL_WORD = 0x82F4, OP_NOTHING = 0x82F5, OP_LOOP_MARK = 0x82F6,
                   OP_LOOP = 0x82F7, OP_SOUND = 0x82F8, OP_BANK_B = 0x82F9, OP_BANK_A = 0x82FA, OP_MODEL = 0x82FB,
                   OP_HIDE = 0x82FC, OP_SPAWN = 0x82FD, OP_TELEPORT = 0x82FE, OP_JUMP = 0x82FF, OP_END = 0x8300;
constexpr uint32_t ROM_END = 0x400000;
constexpr int32_t FACING_WINDOW = 0x2FFF;   // ((facing - heading - 2049) & 0x3FFF) at least this
constexpr int32_t FACING_OFFSET = 2049;
constexpr uint32_t DRAW_ROOM = 256;          // bytes an object may need before the buffer end
constexpr int32_t LOG_PERIOD = 120;
constexpr int32_t SPAWN_LOG_LINES = 40, SPAWN_LINES = 24, RECORD_DUMP_CALLS = 3;
constexpr int32_t OBJECT_FLAGS = 4;
constexpr int32_t CAMERA_NODE = 2, OBJECT_NODE = 3;
constexpr int32_t NEAR_CHUNKS = 10;          // chunk slot entries 0..9 draw their objects
constexpr int32_t FIRST_RECORD_SLOT = 8;
constexpr int32_t CLOSE_Z = 8191;            // the z distance and height band of the dump's bank B

struct course_spawn {
    uint32_t first;
    int32_t count, period;
};
// The fixed objects of courses 0 and 2, pre-rolled to the play frames.
constexpr course_spawn COURSE0_SPAWNS[] = {{0xB5D8C, 3, 4271}, {0xB5DE0, 4, 3837}};
constexpr course_spawn COURSE2_SPAWNS[] = {{0xB5E50, 4, 4679}, {0xB3084, 1, 1380}};

struct script_entry {
    int32_t x, y, z;
    int32_t angle[3];
    uint32_t control;
};

bool script_address_ok(int64_t address) {
    return address >= SCRIPT_FIRST && address <= SCRIPT_LAST;
}

// The entry at a checked script address.
script_entry entry_at(uint32_t a) {
    return {bus_read32(a),
            bus_read32(a + 4),
            bus_read32(a + 8),
            {int16_t(bus_read16(a + 12)), int16_t(bus_read16(a + 14)), int16_t(bus_read16(a + 16))},
            uint32_t(bus_read16(a + 18))};
}

bool is_opcode(uint32_t w) {
    return w >= OP_BANK_B_TOGGLE && w <= OP_END;
}

int32_t field(int32_t s, uint32_t f) {
    return w_word(animated_slot(s) + f);
}
void field_put(int32_t s, uint32_t f, int32_t v) {
    w_word_set(animated_slot(s) + f, v);
}
int32_t field_long(int32_t s, uint32_t f) {
    return wram_long(animated_slot(s) + f);
}
void field_long_put(int32_t s, uint32_t f, int32_t v) {
    wram_long_set(animated_slot(s) + f, v);
}
uint32_t state_of(int32_t s) {
    return uint32_t(uint16_t(w_word(animated_slot(s) + AO_STATE)));
}
void state_put(int32_t s, uint32_t v) {
    w_word_set(animated_slot(s) + AO_STATE, v);
}

bool live(int32_t s) {
    return state_of(s) < AO_FREE;
}

void slot_free(int32_t s) {
    state_put(s, AO_FREE);
    w_word_set(W_AO_LIVE, w_word(W_AO_LIVE) - 1);
}

// Sine and cosine of a 14-bit angle word.
int32_t sin14(int32_t a) {
    return math_sin((a & 0x3FFF) << 2);
}
int32_t cos14(int32_t a) {
    return math_cos((a & 0x3FFF) << 2);
}
int32_t q15(int32_t v, int32_t k) {
    return wrap_mul(v, k) >> 15;
}

// The cell word of a position: column + 8 x row, truncating.
int32_t cell_of(int32_t x, int32_t z) {
    return wrap_add(x / CELL_SIZE, wrap_mul(CELL_COLUMNS, z / CELL_SIZE));
}

int32_t player_cell_word() {
    return w_word(W_SPAWNER_TILT2 + 2);
}

// The chunk slot entry of a cell word; a cell off the grid counts as not visible.
int32_t chunk_entry(int32_t cell) {
    if (cell < 0 || cell >= CELL_COUNT) return -1;
    return int8_t(w_cell_byte(W_CHUNK_SLOTS + uint32_t(cell)));
}

bool near_chunk(int32_t cell) {
    int32_t e = chunk_entry(cell);
    return e >= 0 && e < NEAR_CHUNKS;
}

// The object's frame: 0 for one frame or none, 3 bits for eight, else a signed
// remainder of the count word.
int32_t animation_frame(int32_t s) {
    int32_t frames = field(s, AO_FRAMES), n = field(s, AO_COUNT) >> frame_shift(field(s, AO_SHIFT));
    if (frames == 1 || frames == 0) return 0;
    if (frames == 8) return n & 7;
    return int32_t(int64_t(n) % frames);
}

// The 11-word model entry: position relative to the camera (y through W 0x1230), the
// pairs of first tilt, heading (own) or the camera-facing pair, second tilt, 4.
void model_entry(int32_t s, int32_t model) {
    int32_t words[11] = {model,
                         dl_relative_x(field_long(s, AO_X)),
                         wrap_add(field_long(s, AO_Y), wram_long(W_TRAIN_BASE_Y)),
                         dl_relative_z(field_long(s, AO_Z)),
                         sin14(field(s, AO_TILT)),
                         cos14(field(s, AO_TILT)),
                         wram_long(W_OBJECT_HEADING),
                         wram_long(W_OBJECT_HEADING + 4),
                         sin14(field(s, AO_TILT2)),
                         cos14(field(s, AO_TILT2)),
                         OBJECT_FLAGS};
    if (state_of(s) & AO_OWN_HEADING) {
        words[6] = sin14(field(s, AO_HEADING));
        words[7] = cos14(field(s, AO_HEADING));
    }
    dl_emit(words, 11);
}

// The camera rotation node (once per frame), then the object's node and its model
// drawn through it at the player.
void full_rotation_entry(int32_t s, int32_t model) {
    if (w_word(W_OBJECT_CAMERA_FLAG) != 0) {
        int32_t camera = w_word(W_OBJECT_TURN_LIMIT);
        const int32_t node[11] = {DL_NODE, CAMERA_NODE, 1, 0, 0x7FFF, math_sin(camera), math_cos(camera),
                                  0, 0x7FFF, OBJECT_FLAGS, DL_END};
        dl_emit(node, 11);
        w_word_set(W_OBJECT_CAMERA_FLAG, 0);
    }
    const int32_t words[25] = {DL_NODE,
                               OBJECT_NODE,
                               1,
                               sin14(field(s, AO_TILT)),
                               cos14(field(s, AO_TILT)),
                               sin14(field(s, AO_HEADING)),
                               cos14(field(s, AO_HEADING)),
                               sin14(field(s, AO_TILT2)),
                               cos14(field(s, AO_TILT2)),
                               OBJECT_FLAGS,
                               0,
                               field_long(s, AO_X),
                               field_long(s, AO_Y),
                               field_long(s, AO_Z),
                               DL_END,
                               DL_NODE_COMPOSE,
                               OBJECT_NODE,
                               CAMERA_NODE,
                               OBJECT_NODE,
                               DL_NODE_MODEL,
                               model,
                               OBJECT_NODE,
                               dl_relative_x(wram_long(W_PLAYER_X)),
                               dl_relative_y(wram_long(W_PLAYER_Y)),
                               dl_relative_z(wram_long(W_PLAYER_Z))};
    dl_emit(words, 25);
}

// Target pose from the entry at the cursor: relative to the origin and base heading in
// the placement modes, else as it stands.
void target_set(int32_t s, const script_entry& e) {
    uint32_t state = state_of(s);
    if (state & AO_PLACEMENT) {
        int32_t h = field(s, AO_BASE_HEADING);
        int32_t x = wrap_add(q15(e.x, cos14(h)), q15(e.z, sin14(h)));
        int32_t z = wrap_sub(q15(e.z, cos14(h)), q15(e.x, sin14(h)));
        field_long_put(s, AO_TARGET_X, wrap_add(field_long(s, AO_ORIGIN_X), x));
        field_long_put(s, AO_TARGET_Y, state & AO_RELATIVE ? field_long(s, AO_ORIGIN_Y) : e.y);
        field_long_put(s, AO_TARGET_Z, wrap_add(field_long(s, AO_ORIGIN_Z), z));
        field_put(s, AO_TARGET_TILT, e.angle[0]);
        field_put(s, AO_TARGET_TILT + 2, wrap_add(e.angle[1], h) & 0x3FFF);
        field_put(s, AO_TARGET_TILT + 4, e.angle[2]);
        return;
    }
    field_long_put(s, AO_TARGET_X, e.x);
    field_long_put(s, AO_TARGET_Y, e.y);
    field_long_put(s, AO_TARGET_Z, e.z);
    for (uint32_t k = 0; k < 3; k++) field_put(s, AO_TARGET_TILT + 2 * k, e.angle[k]);
}

// Each angle word brought within half a turn of its target.
void angles_unwrap(int32_t s) {
    for (uint32_t k = 0; k < 3; k++) {
        int32_t current = field(s, AO_TILT + 2 * k), d = field(s, AO_TARGET_TILT + 2 * k) - current;
        if (d > 0x2000) field_put(s, AO_TILT + 2 * k, current + 0x4000);
        if (d < -0x2000) field_put(s, AO_TILT + 2 * k, current - 0x4000);
    }
}

// current + (target - current) x num / den for the three longs and the three words.
void pose_step(int32_t s, int64_t num, int64_t den) {
    for (uint32_t k = 0; k < 3; k++) {
        int64_t c = field_long(s, AO_X + 4 * k), t = field_long(s, AO_TARGET_X + 4 * k);
        field_long_put(s, AO_X + 4 * k, int32_t(uint32_t(c + (t - c) * num / den)));
        int64_t a = field(s, AO_TILT + 2 * k), b = field(s, AO_TARGET_TILT + 2 * k);
        field_put(s, AO_TILT + 2 * k, int32_t(a + (b - a) * num / den));
    }
}

void pose_take(int32_t s, const script_entry& e) {
    field_long_put(s, AO_X, e.x);
    field_long_put(s, AO_Y, e.y);
    field_long_put(s, AO_Z, e.z);
    for (uint32_t k = 0; k < 3; k++) field_put(s, AO_TILT + 2 * k, e.angle[k]);
}

void cell_update(int32_t s) {
    int32_t cell = state_of(s) & AO_FULL_ROTATION ? player_cell_word()
                                                   : cell_of(field_long(s, AO_X), field_long(s, AO_Z));
    field_put(s, AO_CELL, cell);
}

// The keep-alive at a count word: 0x1000 stays only after 0x2000, which then tells
// whether the object is chunk-marked or persistent.
uint32_t keep_alive(uint32_t state) {
    uint32_t keep = state & AO_SEEN ? AO_KEEP : 0;
    uint32_t seen = state & (AO_MARKED | AO_PERSISTENT) ? AO_SEEN : 0;
    return (state & ~(AO_SEEN | AO_KEEP)) | keep | seen;
}

// The entry g entries after `from`, or 0 when it lies outside the script area.
uint32_t entry_after(uint32_t from, int32_t g) {
    int64_t at = int64_t(from) + int64_t(SCRIPT_ENTRY_BYTES) * g;
    return script_address_ok(at) ? uint32_t(at) : 0;
}

void spawn_children(int32_t s, const script_entry& operand) {
    wram_long_set(W_SPAWNER_X, field_long(s, AO_X));
    wram_long_set(W_SPAWNER_Y, field_long(s, AO_Y));
    wram_long_set(W_SPAWNER_Z, field_long(s, AO_Z));
    w_word_set(W_SPAWNER_ANGLES + 2, field(s, AO_HEADING));
    int32_t first = int8_t(operand.x), count = int8_t(operand.y);
    for (int32_t i = 0; i < count; i++)
        animated_object_spawn(uint32_t(int64_t(ROM_SPAWN_RECORDS) + int64_t(SPAWN_RECORD_BYTES) * (first + i)));
}

enum run_end { RUN_MOVE, RUN_FREED, RUN_LOST };

// The control words from the cursor until a count that is not negative; the cursor
// then names the move's target entry. A run that leaves the script area or passes the
// word limit keeps the cursor it started from.
run_end script_execute(int32_t s) {
    uint32_t begin = uint32_t(field_long(s, AO_CURSOR)), at = begin;
    for (int32_t words = 0; words < SCRIPT_RUN_LIMIT; words++) {
        uint32_t w = entry_at(at).control, operand_at = at + SCRIPT_ENTRY_BYTES, next = operand_at;
        if (!script_address_ok(operand_at)) return RUN_LOST;
        script_entry operand = entry_at(operand_at);
        uint32_t state = state_of(s) & ~AO_HIDDEN;
        state_put(s, state);
        field_put(s, AO_COUNT, int32_t(w));
        switch (w) {
        case OP_BANK_B_TOGGLE:
            field_long_put(s, AO_BANK_B, operand.x);
            state_put(s, state ^ AO_TOGGLE);
            break;
        case OP_MODEL_WORD: {
            int64_t offset = int64_t(W_AO_MODEL_WORDS) + 4 * int64_t(field(s, AO_MODEL));
            if (offset >= 0) wram_word_write(uint32_t(offset + 2), operand.x);
            break;
        }
        case OP_NOTHING: break;
        case OP_LOOP_MARK: field_long_put(s, AO_LOOP, int32_t(begin)); break;
        case OP_LOOP:
            field_put(s, AO_COUNT, int32_t(operand.control));
            next = uint32_t(field_long(s, AO_LOOP));
            break;
        case OP_SOUND: sound_play(operand.x); break;
        case OP_BANK_B: field_long_put(s, AO_BANK_B, operand.x); break;
        case OP_BANK_A: field_long_put(s, AO_BANK_A, operand.x); break;
        case OP_MODEL: field_put(s, AO_MODEL, operand.x); break;
        case OP_HIDE:
            field_put(s, AO_COUNT, operand.x);
            state_put(s, state | AO_HIDDEN | AO_SEEN | AO_KEEP);
            break;
        case OP_SPAWN: spawn_children(s, operand); break;
        case OP_TELEPORT: {
            uint32_t to = entry_after(operand_at, operand.x);
            if (to == 0) return RUN_LOST;
            script_entry e = entry_at(to);
            pose_take(s, e);
            field_put(s, AO_COUNT, int32_t(e.control));
            next = to + SCRIPT_ENTRY_BYTES;
            break;
        }
        case OP_JUMP:
            field_put(s, AO_COUNT, int32_t(operand.control));
            next = entry_after(operand_at, operand.x);
            if (next == 0) return RUN_LOST;
            break;
        case OP_END: slot_free(s); return RUN_FREED;
        default: state_put(s, keep_alive(state)); break;
        }
        if (!script_address_ok(next)) return RUN_LOST;
        if (field(s, AO_COUNT) >= 0) {
            field_long_put(s, AO_CURSOR, int32_t(next));
            return RUN_MOVE;
        }
        at = next;
    }
    return RUN_LOST;
}

// Spawner words: the player's position, its negated attitude as 14-bit words, its cell.
void spawner_take_player() {
    wram_long_set(W_SPAWNER_X, wram_long(W_PLAYER_X));
    wram_long_set(W_SPAWNER_Y, wram_long(W_PLAYER_Y));
    wram_long_set(W_SPAWNER_Z, wram_long(W_PLAYER_Z));
    w_word_set(W_SPAWNER_ANGLES, wrap_neg(wram_long(W_PLAYER_PITCH)) >> 2);
    w_word_set(W_SPAWNER_ANGLES + 2, wrap_neg(wram_long(W_PLAYER_HEADING)) >> 2);
    w_word_set(W_SPAWNER_TILT2, wrap_neg(wram_long(W_PLAYER_ROLL)) >> 2);
    w_word_set(W_SPAWNER_TILT2 + 2, wram_long(W_PLAYER_CELL));
}

// The record's conditions on the spawner and the player's heading.
bool spawn_conditions(uint32_t r, uint32_t flags, uint32_t script) {
    int32_t match = int16_t(bus_read16(r + 14)), limit = bus_read32(r + 16);
    int32_t spawner_y = wram_long(W_SPAWNER_Y);
    if (flags & AO_AT_SQUARE) {
        uint32_t square = (uint32_t(wram_long(W_SPAWNER_X)) >> 15) + 24 * (uint32_t(wram_long(W_SPAWNER_Z)) >> 15);
        if (int64_t(match) != int64_t(square)) return false;
    }
    if ((flags & AO_AT_PLAYER_CELL) && match != player_cell_word()) return false;
    if (flags & AO_HEIGHT_TEST) {
        if (flags & (AO_RELATIVE | AO_FULL_ROTATION)) {
            if ((w_word(W_SPAWNER_ANGLES) & 0x2000) == 0 || spawner_y < limit) return false;
        } else if (std::llabs(int64_t(bus_read32(script + 4)) - spawner_y) > limit) {
            return false;
        }
    }
    int32_t facing = int16_t(bus_read16(r + 24));
    if (facing >= 0) {
        int32_t d = wrap_sub(wrap_sub(facing, wram_long(W_PLAYER_HEADING) >> 2), FACING_OFFSET) & 0x3FFF;
        if (d < FACING_WINDOW) return false;
    }
    return true;
}

// The initial position by placement mode; false when the height test fails.
bool spawn_place(int32_t s, uint32_t flags, const script_entry& first, int32_t limit) {
    uint32_t slot = animated_slot(s);
    wram_long_set(W_ROTATE_X, first.x);
    wram_long_set(W_ROTATE_Y, first.y);
    wram_long_set(W_ROTATE_Z, first.z);
    if (flags & AO_RELATIVE) {
        spawn_offset_rotate_yaw(slot + AO_X);
        for (uint32_t k = 0; k < 3; k++)
            field_long_put(s, AO_ORIGIN_X + 4 * k,
                           wrap_sub(field_long(s, AO_ORIGIN_X + 4 * k), field_long(s, AO_X + 4 * k)));
        w_word_set(W_ROTATE_ANGLES, w_word(W_SPAWNER_ANGLES));
        spawn_offset_rotate(slot + AO_X);
        for (uint32_t k = 0; k < 3; k++)
            field_long_put(s, AO_ORIGIN_X + 4 * k,
                           wrap_add(field_long(s, AO_ORIGIN_X + 4 * k), field_long(s, AO_X + 4 * k)));
        field_long_put(s, AO_Y, wrap_add(field_long(s, AO_Y), wram_long(W_SPAWNER_Y)));
        if ((flags & AO_HEIGHT_TEST) && field_long(s, AO_Y) < limit) return false;
    } else if (flags & AO_YAW_RELATIVE) {
        spawn_offset_rotate_yaw(slot + AO_X);
        field_long_put(s, AO_Y, first.y);
    } else {
        field_long_put(s, AO_X, first.x);
        field_long_put(s, AO_Y, first.y);
        field_long_put(s, AO_Z, first.z);
    }
    if (flags & AO_PLACEMENT) {
        field_long_put(s, AO_X, wrap_add(field_long(s, AO_X), field_long(s, AO_ORIGIN_X)));
        field_long_put(s, AO_Z, wrap_add(field_long(s, AO_Z), field_long(s, AO_ORIGIN_Z)));
        field_put(s, AO_HEADING, wrap_add(field(s, AO_HEADING), field(s, AO_BASE_HEADING)) & 0x3FFF);
    }
    return true;
}

// Walks the fresh object's script by phase frames: the three bank opcodes act, the
// other opcodes are stepped over, each count is used up while the phase covers it; the
// object is then placed that far into the move it stopped in.
void preroll(int32_t s, int32_t phase) {
    uint32_t at = uint32_t(field_long(s, AO_CURSOR));
    for (int32_t words = 0; words < SCRIPT_RUN_LIMIT && script_address_ok(at + SCRIPT_ENTRY_BYTES); words++) {
        script_entry e = entry_at(at);
        uint32_t next = at + SCRIPT_ENTRY_BYTES;
        int32_t c = int16_t(e.control);
        if (is_opcode(e.control) || c < 0) {
            int32_t operand = entry_at(next).x;
            if (e.control == OP_BANK_A) field_long_put(s, AO_BANK_A, operand);
            if (e.control == OP_BANK_B) field_long_put(s, AO_BANK_B, operand);
            if (e.control == OP_BANK_B_TOGGLE) {
                field_long_put(s, AO_BANK_B, operand);
                state_put(s, state_of(s) ^ AO_TOGGLE);
            }
        } else if (phase >= c) {
            phase -= c;
        } else {
            // Absolute here: the stopped entry and its target as they stand.
            pose_take(s, e);
            field_long_put(s, AO_CURSOR, int32_t(next));
            script_entry t = entry_at(next);
            field_long_put(s, AO_TARGET_X, t.x);
            field_long_put(s, AO_TARGET_Y, t.y);
            field_long_put(s, AO_TARGET_Z, t.z);
            for (uint32_t k = 0; k < 3; k++) field_put(s, AO_TARGET_TILT + 2 * k, t.angle[k]);
            angles_unwrap(s);
            pose_step(s, phase, c);
            field_put(s, AO_COUNT, c - phase);
            field_put(s, AO_CELL, cell_of(field_long(s, AO_X), field_long(s, AO_Z)));
            return;
        }
        at = next;
    }
}

void course_spawns(const course_spawn* list, int n) {
    for (int i = 0; i < n; i++) animated_objects_spawn_course(list[i].first, list[i].count, list[i].period);
}

}  // namespace

void spawn_offset_rotate(uint32_t out) {
    int32_t x = wram_long(W_ROTATE_X), y = wram_long(W_ROTATE_Y), z = wram_long(W_ROTATE_Z);
    int32_t t = w_word(W_ROTATE_ANGLES), h = w_word(W_ROTATE_ANGLES + 2);
    int32_t y1 = wrap_sub(q15(y, cos14(t)), q15(sin14(t), z));
    int32_t z1 = wrap_add(q15(sin14(t), y), q15(z, cos14(t)));
    wram_long_set(out + 8, wrap_sub(q15(z1, cos14(h)), q15(x, sin14(h))));
    wram_long_set(out, wrap_add(q15(z1, sin14(h)), q15(x, cos14(h))));
    wram_long_set(out + 4, y1);
}

void spawn_offset_rotate_yaw(uint32_t out) {
    int32_t x = wram_long(W_ROTATE_X), z = wram_long(W_ROTATE_Z), h = w_word(W_ROTATE_ANGLES + 2);
    wram_long_set(out + 8, wrap_sub(q15(z, cos14(h)), q15(x, sin14(h))));
    wram_long_set(out, wrap_add(q15(z, sin14(h)), q15(x, cos14(h))));
    wram_long_set(out + 4, 0);
}

int32_t frame_shift(int32_t s) {
    return s < 0 || s > 31 ? 31 : s;
}

void wram_word_write(uint32_t offset, int32_t value) {
    if (uint64_t(offset) + 2 <= WRAM_SIZE) w_word_set(offset, value);
}

void animated_objects_reset_all() {
    for (int32_t s = 0; s < ANIMATED_SLOTS; s++) state_put(s, AO_FREE);
    w_word_set(W_AO_LIVE, 0);
    int32_t course = wram_long(W_COURSE_NUMBER);
    if (object_switches.ao_log)
        fprintf(stderr, "[AO] reset_all: course %ld, animobj gate %d\n", long(course), int(object_switches.animated));
    if (object_switches.animated) {
        if (course == 0) course_spawns(COURSE0_SPAWNS, 2);
        if (course == 2) course_spawns(COURSE2_SPAWNS, 2);
    }
    for (uint32_t k = 0; k < AO_MODEL_WORDS_CLEARED; k++) w_word_set(W_AO_MODEL_WORDS + 2 * k, 0);
    int32_t bits =
        (w_cell(W_HANDLE_PITCH) & 1) | (bus_read16(WRAM_BASE + W_IO_VALUE) & 1) << 1 | (w_cell(W_HANDLE_TURN) & 1) << 2;
    w_word_set(W_OBJECT_MODE + 2, bits);
}

void animated_objects_spawn_course(uint32_t first, int32_t count, int32_t period) {
    if (period <= 0) return;
    int32_t n = wram_long(W_PLAY_FRAME_COUNTER) % period;
    int32_t phase = n < 0 ? n + period : n;
    for (int32_t i = 0; i < count; i++) {
        uint32_t r = first + SPAWN_RECORD_BYTES * uint32_t(i);
        if (r > ROM_END - SPAWN_RECORD_BYTES) return;
        int32_t s = int16_t(bus_read16(r + 26));
        bool was_free = s >= 0 && s < ANIMATED_SLOTS && !live(s);
        animated_object_spawn(r);
        if (was_free && live(s)) preroll(s, phase);
    }
}

void animated_object_spawn(uint32_t r) {
    static int32_t attempts = 0, spawns = 0;
    if (r > ROM_END - SPAWN_RECORD_BYTES) return;
    int32_t s = int16_t(bus_read16(r + 26));
    uint32_t flags = uint32_t(bus_read16(r + 8));
    if (object_switches.ao_log && attempts++ < SPAWN_LOG_LINES)
        fprintf(stderr, "[AO] spawn #%d from ROM 0x%X -> slot %d\n", attempts, r, s);
    uint32_t script = uint32_t(bus_read32(r));
    if (s < 0 || s >= ANIMATED_SLOTS || live(s) || !script_address_ok(script)) return;
    if (!spawn_conditions(r, flags, script)) return;
    if (object_switches.animated && spawns++ < SPAWN_LINES)
        fprintf(stderr, "[SPAWN] f=%d rec=0x%X slot=%d nb=0x%X script=0x%X flag=%04X\n", int(host_frame), r, s,
                animated_slot(s), script, flags);

    script_entry first = entry_at(script);
    field_long_put(s, AO_CURSOR, int32_t(script));
    field_long_put(s, AO_LOOP, int32_t(script));
    for (uint32_t k = 0; k < 3; k++) field_put(s, AO_TILT + 2 * k, first.angle[k]);
    field_put(s, AO_COUNT, 0);

    // The origin: lead x speed / 16 ahead of the spawner along its angles.
    wram_long_set(W_ROTATE_X, 0);
    wram_long_set(W_ROTATE_Y, 0);
    wram_long_set(W_ROTATE_Z, wrap_mul(int16_t(bus_read16(r + 6)), wram_long(W_PLAYER_SPEED)) >> 4);
    wram_long_set(W_ROTATE_ANGLES, wram_long(W_SPAWNER_ANGLES));
    spawn_offset_rotate(animated_slot(s) + AO_ORIGIN_X);
    for (uint32_t k = 0; k < 3; k++)
        field_long_put(s, AO_ORIGIN_X + 4 * k,
                       wrap_add(field_long(s, AO_ORIGIN_X + 4 * k), wram_long(W_SPAWNER_X + 4 * k)));
    field_put(s, AO_FIGURE_USED, 0);
    field_put(s, AO_BASE_HEADING, w_word(W_SPAWNER_ANGLES + 2));
    field_put(s, AO_FIGURE_GROUPS, 0);
    if (!spawn_place(s, flags, first, bus_read32(r + 16))) return;

    field_put(s, AO_MODEL, int16_t(bus_read16(r + 4)));
    field_put(s, AO_FRAMES, int16_t(bus_read16(r + 10)));
    field_put(s, AO_SHIFT, int16_t(bus_read16(r + 12)));
    field_long_put(s, AO_BANK_A, bus_read32(r + 20));
    field_long_put(s, AO_BANK_B, flags & AO_BANK_B_SPAWN ? bus_read32(r + 16) : 0);
    state_put(s, flags | AO_SEEN | AO_KEEP);
    cell_update(s);
    w_word_set(W_AO_LIVE, w_word(W_AO_LIVE) + 1);
}

void animated_objects_step_all() {
    for (int32_t s = 0; s < ANIMATED_SLOTS; s++) {
        if (!live(s)) continue;
        animated_object_script_run(s);
        if (!live(s)) continue;
        uint32_t state = state_of(s);
        if ((state & (AO_KEEP | AO_PERSISTENT)) == 0) {
            slot_free(s);
            continue;
        }
        state_put(s, state & ~AO_MARKED);
    }
    spawner_take_player();
}

int32_t animated_object_script_run(int32_t s) {
    uint32_t cursor = uint32_t(field_long(s, AO_CURSOR));
    if (!script_address_ok(cursor)) {
        if (animated_cursor_reports++ == 0)
            fprintf(stderr, "[AO] record 0x%X: script cursor 0x%X is not in ROM, skipping\n", animated_slot(s), cursor);
        return field(s, AO_CELL);
    }
    if (field(s, AO_COUNT) <= 0) {
        run_end end = script_execute(s);
        if (end != RUN_MOVE) return field(s, AO_CELL);
    }
    target_set(s, entry_at(uint32_t(field_long(s, AO_CURSOR))));
    angles_unwrap(s);
    int32_t count = field(s, AO_COUNT);
    if (state_of(s) & AO_HIDDEN) {
        field_put(s, AO_COUNT, count - 1);
        return field(s, AO_CELL);
    }
    if (count > 0) pose_step(s, 1, count);
    if ((state_of(s) & AO_OWN_HEADING) == 0) field_put(s, AO_HEADING, w_word(W_OBJECT_TURN_LIMIT));
    field_put(s, AO_COUNT, count - 1);
    cell_update(s);
    return field(s, AO_CELL);
}

void animated_objects_render_all() {
    static int32_t calls = 0;
    if (!object_switches.animated) return;
    if (object_switches.ao_log && calls++ % LOG_PERIOD == 0) {
        int active = 0;
        for (int32_t s = 0; s < ANIMATED_SLOTS; s++) active += live(s);
        fprintf(stderr, "[AO] render_all f%u: %d of 16 records ACTIVE\n", host_frame, active);
    }
    for (int32_t s = 0; s < ANIMATED_SLOTS; s++) {
        if (!dl_cursor_room(DRAW_ROOM)) {
            if (animated_guard_count++ == 0)
                fprintf(stderr,
                        "[GUARD] animated_objects_render_all: DSP cursor full -- remaining objects dropped\n");
            return;
        }
        if (!live(s) || !near_chunk(field(s, AO_CELL))) continue;
        uint32_t state = state_of(s) | AO_MARKED;
        state_put(s, state);
        if (state & AO_HIDDEN) continue;
        if (state & AO_RIG) {
            dl_cursor_set(object_figure_packets(s, dl_cursor_get()));
            continue;
        }
        int32_t model = wrap_sub(wrap_add(field(s, AO_MODEL), field(s, AO_FRAMES)), 1 + animation_frame(s));
        if (state & AO_FULL_ROTATION) {
            full_rotation_entry(s, model);
        } else {
            dl_bank_link(field_long(s, AO_BANK_A));
            model_entry(s, model);
        }
    }
}

void animated_object_record_dump() {
    static int32_t calls = 0;
    if (object_switches.ao_records && calls++ < RECORD_DUMP_CALLS)
        for (int32_t s = FIRST_RECORD_SLOT; s < ANIMATED_SLOTS; s++)
            fprintf(stderr, "[AOREC] slot%2u model=%-5d flags=%04X chunk=%-6d x=%-12d y=%-12d z=%-12d\n",
                    unsigned(s), field(s, AO_MODEL), state_of(s), chunk_entry(field(s, AO_CELL)),
                    field_long(s, AO_X), field_long(s, AO_Y), field_long(s, AO_Z));
    int32_t course = wram_long(W_COURSE_NUMBER);
    for (int32_t s = FIRST_RECORD_SLOT; s < ANIMATED_SLOTS && dl_cursor_room(DRAW_ROOM); s++) {
        if (!live(s) || !near_chunk(field(s, AO_CELL))) continue;
        uint32_t state = state_of(s) | AO_MARKED;
        state_put(s, state);
        int32_t c = wrap_add(field_long(s, AO_Y), wram_long(W_TRAIN_BASE_Y));
        int32_t a = field_long(s, AO_BANK_A), b = field_long(s, AO_BANK_B), bank = a;
        if ((state & AO_TOGGLE) == 0) {
            if (c > 0) bank = wrap_add(bank, b);
            int32_t grid = wram_long(W_CAMERA_CELL);
            if (c > 0 && course == 2 && (grid == 53 || grid == 61) && uint16_t(wram_long(W_CAMERA_PITCH)) > 4096)
                bank = wrap_add(bank, 4096);
        } else if (c >= 0 || c < -CLOSE_Z) {
            bank = b;
        } else {
            bool close = std::llabs(int64_t(field_long(s, AO_Z)) - wram_long(W_CAMERA_Z)) <= CLOSE_Z;
            int32_t rel =
                std::abs(((field(s, AO_HEADING) + 0x2000) & 0x3FFF) - ((w_word(W_OBJECT_TURN_LIMIT) >> 2) & 0x3FFF));
            bool other = course != 0;
            bool window = rel < (other ? 768 : 1024) || rel > (other ? 0x3D00 : 15360) ||
                          (rel > (other ? 7424 : 7168) && rel < (other ? 8960 : 9216));
            bank = close || window ? a : b;
        }
        dl_bank_link(bank);
        model_entry(s, field(s, AO_MODEL));
    }
    zone_link_update();
}
