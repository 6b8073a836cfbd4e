#include "game/world/balloons.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/eeprom_settings.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/rom_table.h"
#include "game/services/sound_commands.h"
#include "game/services/terrain_ram.h"
#include "game/world/balloon_ram.h"
#include "game/world/list_room.h"
#include "game/world/node_lists.h"
#include "game/world/particles.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_rom.h"

#include <algorithm>
#include <cstdio>

uint32_t balloon_guard_count = 0;

namespace {

constexpr int32_t COURSES = 4;
constexpr int32_t COURSE_NO_BOB = 3;  // course 3: no bob, its own models and sparkles
constexpr int32_t STATE_DEMO = 10;    // the attract demo flight re-runs a course from a frame
constexpr int32_t MOVING_RECORD_LONGS = 8;

// The course's table of each list or record base: one long per course.
constexpr rom_table ROM_DRAW_LISTS = {0x035BCC, 4, COURSES};
constexpr rom_table ROM_RECORDS = {0x035BDC, 4, COURSES};
constexpr rom_table ROM_MOVING_LISTS = {0x035BEC, 4, COURSES};
constexpr rom_table ROM_MOVING_RECORDS = {0x035BFC, 4, COURSES};
constexpr rom_table ROM_NUMBER_LISTS = {0x035C0C, 4, COURSES};
constexpr rom_table ROM_HIT_LISTS = {0x035C1C, 4, COURSES};
constexpr rom_table ROM_TARGET_WORDS = {0x035C2C, 4, COURSES};
constexpr rom_table ROM_FIRST_WORDS = {0x035C3C, 4, COURSES};
constexpr rom_table ROM_LAYOUT_COUNTS = {0x035CFC, 4, COURSES};
// Per-cell lists of a layout: (start, count) longs per cell; layout n of group g at
// base + g x 4096 + n x 1024, its words at base + g x 8 + n x 2 (moving list: + g x 16
// + n x 4).
constexpr uint32_t LAYOUT_LIST_BYTES = 1024, GROUP_LIST_BYTES = 4096;
constexpr uint32_t LAYOUT_WORD_BYTES = 2, GROUP_WORD_BYTES = 8;
constexpr uint32_t LAYOUT_MOVING_BYTES = 4, GROUP_MOVING_BYTES = 16;
constexpr uint32_t LIST_ENTRY_BYTES = 8;
constexpr uint32_t MOVING_RECORD_BYTES = 60;
constexpr uint32_t NUMBERS_MAX = 0x10000;

// Model rows by detail group: eight models by kind, the blink model, the course-3 model
// and its blink model.
constexpr rom_table ROM_MODEL_ROWS = {0x035C4C, 44, 3};
constexpr uint32_t ROW_BLINK = 32, ROW_COURSE3 = 36, ROW_COURSE3_BLINK = 40;
constexpr int32_t KINDS = 8;
constexpr rom_table ROM_MOVING_MODELS = {0x035CD0, 4, 11};  // by kind
constexpr rom_table ROM_SPARKLES = {0x035D0C, 4, 8};

constexpr int64_t HIT_REACH = 1846;  // scaled squared distances below it hit
constexpr int32_t DISTANCE_SHIFT = 7;
constexpr int32_t BIG_VALUE = 250;   // point balloons from here also play the cooldown sound
constexpr int32_t FRAMES_PER_SECOND = 60;
constexpr int32_t POP_SOUND = 5;
constexpr int32_t POP_LAST = 15;
constexpr int32_t POP_MODEL = 760, POP_MODEL_COURSE3 = 821;
constexpr int32_t MOVING_BLINK_MODEL = 739;
constexpr int32_t BLINK_OFF_BITS = 0x2C;  // a time balloon blinks while the frame has none of these
constexpr int32_t DRAWN_CHUNKS = 40;
constexpr int32_t GROUP_CHUNKS = 10;      // chunks 0..9 detail group 0, 10..19 group 1
constexpr uint32_t CURSOR_ROOM = 256;     // bytes a balloon may need before the buffer end
constexpr int32_t DIP_DEBUG = 0x10;

struct balloon_record {
    int32_t kind, x, y, z, value, step, amplitude, bank;
};

// A run of balloons (draw list: numbers start..; hit list: number-list entries start..).
struct list_run {
    int32_t start, count;
};

uint32_t address_cell(uint32_t w) {
    return uint32_t(w_cell(w));
}

// The (start, count) entry of a cell in the per-cell list at `list`; nothing for a cell
// off the grid, an entry past the ROM, a negative start or an empty count.
list_run cell_run(uint32_t list, int32_t cell) {
    const rom_table t = {list, LIST_ENTRY_BYTES, uint32_t(CELL_COUNT)};
    if (rom_table_record(t, cell) == 0) return {0, 0};
    int32_t start = rom_table_long(t, cell, 0), count = rom_table_long(t, cell, 4);
    if (start < 0 || count <= 0) return {0, 0};
    return {start, std::min(count, BALLOONS_PER_LAYOUT)};
}

bool record_read(int64_t number, balloon_record* out) {
    const rom_table t = {address_cell(W_BALLOON_TABLE), BALLOON_RECORD_SIZE, NUMBERS_MAX};
    if (rom_table_record(t, number) == 0) return false;
    auto field = [&](uint32_t k) { return rom_table_long(t, number, 4 * k); };
    *out = {field(0), field(1), field(2), field(3), field(4), field(5), field(6), field(7)};
    return true;
}

// The local index of an absolute balloon number, or -1 outside the layout's 64.
int32_t local_index(int64_t number) {
    int64_t i = number - (uint16_t(w_word(W_BALLOON_FIRST)) & 0xFFFF);
    return i >= 0 && i < BALLOONS_PER_LAYOUT ? int32_t(i) : -1;
}

uint32_t state_word(int32_t i) { return W_BALLOON_STATES + 2 * uint32_t(i); }
uint32_t phase_word(int32_t i) { return W_BALLOON_PHASES + 2 * uint32_t(i); }
uint32_t reach_cell(int32_t i) { return W_BALLOON_REACH + 4 * uint32_t(i); }

// The state of a balloon whose popping is over: 16 minus the play frame counter, the
// frame the attract demo compares when it re-runs a course. -1 where that would not be
// negative as a word, so that a popped balloon never stands again.
int32_t gone_state(int32_t frame) {
    int64_t v = 16 - int64_t(frame);
    return v < 0 && v >= INT16_MIN ? int32_t(v) : -1;
}

// In the attract demo a state is renewed only when it is not yet reached by the frame.
bool demo_renews(int32_t state, int32_t frame) {
    return int64_t(state) + frame != 0 && -int64_t(state) >= frame;
}

int64_t scaled_distance2(int32_t x, int32_t y, int32_t z) {
    int64_t dx = wrap_sub(x, w_cell(W_PLAYER_X)) >> DISTANCE_SHIFT;
    int64_t dy = wrap_sub(y, w_cell(W_PLAYER_Y)) >> DISTANCE_SHIFT;
    int64_t dz = wrap_sub(z, w_cell(W_PLAYER_Z)) >> DISTANCE_SHIFT;
    return dx * dx + dy * dy + dz * dz;
}

int32_t reach_value(int64_t d2) {
    return int32_t(std::min<int64_t>(d2, REACH_NONE));
}

// The hit test of one standing balloon: its reach (0 with the test off); true on a hit.
bool hit_test(int32_t x, int32_t y, int32_t z, uint32_t reach) {
    if (w_cell(W_RUN_OVER) != 0) {
        w_cell_set(reach, 0);
        return false;
    }
    int64_t d2 = scaled_distance2(x, y, z);
    w_cell_set(reach, d2 < HIT_REACH ? REACH_HIT : reach_value(d2));
    return d2 < HIT_REACH;
}

// A hit balloon's worth: seconds on the race timer, or points and one fewer remaining.
void award(int32_t value) {
    if (value <= 0) {
        w_cell_set(W_RACE_TIMER, wrap_add(w_cell(W_RACE_TIMER), wrap_mul(wrap_neg(value), FRAMES_PER_SECOND)));
    } else {
        w_cell_set(W_RUN_SCORE, wrap_add(w_cell(W_RUN_SCORE), value));
        w_word_set(W_BALLOONS_LEFT, w_word(W_BALLOONS_LEFT) - 1);
    }
}

int32_t bob(int32_t amplitude, int32_t phase) {
    return int32_t((int64_t(amplitude) * math_sin(phase)) >> 15);
}

// ---- Drawing ------------------------------------------------------------------------------

// False, with the guard line, once the cursor lies within CURSOR_ROOM bytes of the end
// of its buffer (or outside it).
bool cursor_room() {
    if (dl_cursor_room(CURSOR_ROOM)) return true;
    if (balloon_guard_count++ == 0 || verbose_enabled())
        fprintf(stderr, "[GUARD] balloon_render_and_hit_check: DSP cursor full -- remaining objects dropped\n");
    return false;
}

// The object words of a balloon: model, position relative to the camera, the rotation
// pairs of pitch and heading (roll 0), 0.
void balloon_object_put(int32_t model, int32_t x, int32_t y, int32_t z, int32_t pitch, int32_t heading) {
    int32_t words[11] = {model, dl_relative_x(x), dl_relative_y(y), dl_relative_z(z)};
    dl_rotation_pair(pitch, words + 4);
    dl_rotation_pair(heading, words + 6);
    dl_rotation_pair(0, words + 8);
    words[10] = 0;
    dl_emit(words, 11);
}

// Popping frame n: model `base` + n / 2 turned by the player's heading; the next frame,
// or gone after frame 15.
int32_t pop_frame_draw(int32_t base, int32_t n, int32_t x, int32_t y, int32_t z) {
    balloon_object_put(base + n / 2, x, y, z, 0, w_cell(W_PLAYER_HEADING));
    return n + 1 > POP_LAST ? gone_state(w_cell(W_PLAY_FRAME_COUNTER)) : n + 1;
}

// ---- The frame's steps ------------------------------------------------------------------

// The balloons listed for the player's cell.
void player_cell_test() {
    list_run run = cell_run(address_cell(W_BALLOON_HIT_LISTS), w_cell(W_PLAYER_CELL));
    const rom_table numbers = {address_cell(W_BALLOON_NUMBERS), 2, NUMBERS_MAX};
    bool bobbing = w_cell(W_COURSE_NUMBER) != COURSE_NO_BOB;
    for (int32_t k = 0; k < run.count; k++) {
        int32_t number = rom_table_word(numbers, int64_t(run.start) + k, 0) & 0xFFFF;
        int32_t i = local_index(number);
        balloon_record b;
        if (i < 0 || w_word(state_word(i)) != 0 || !record_read(number, &b)) continue;
        int32_t y = bobbing ? wrap_add(b.y, bob(b.amplitude, w_word(phase_word(i)))) : b.y;
        if (!hit_test(b.x, y, b.z, reach_cell(i))) continue;
        award(b.value);
        if (b.value <= 0 || b.value >= BIG_VALUE) balloon_sound_cooldown();
        w_word_set(state_word(i), 1);
        sound_play(POP_SOUND);
        if (w_cell(W_DIP_SWITCH_BITS) & DIP_DEBUG) text_print_signed(15, 15, 2, i, 0);
    }
}

// The balloons riding the moving objects whose cell is visible: tested while standing,
// then drawn by their state in the base bank.
void moving_balloons_step(bool* room) {
    int32_t riding = std::clamp(w_cell(W_MOVING_BALLOONS), 0, MOVING_OBJECTS);
    int32_t frame = w_cell(W_PLAY_FRAME_COUNTER);
    if (riding > 0) dl_bank_end();
    for (int32_t j = 0; j < riding; j++) {
        uint32_t r = moving_object(j);
        int32_t status = w_cell(r + MO_STATUS);
        if (status < 0 || !chunk_visible(w_cell(r + MO_CELL))) continue;
        int32_t x = w_cell(r + MO_POSITION), y = w_cell(r + MO_POSITION + 4), z = w_cell(r + MO_POSITION + 8);
        int32_t value = w_cell(r + MO_VALUE);
        if (status == 0 && hit_test(x, y, z, r + MO_REACH)) {
            award(value);
            w_cell_set(r + MO_STATUS, status = 1);
            sound_play(POP_SOUND);
            balloon_sound_cooldown();
        }
        if (!*room || !(*room = cursor_room())) continue;
        if (status != 0) {
            w_cell_set(r + MO_STATUS, pop_frame_draw(POP_MODEL, status, x, y, z));
            continue;
        }
        int32_t kind = w_cell(r + MO_KIND);
        if (rom_table_record(ROM_MOVING_MODELS, kind) == 0) continue;
        bool blink = value < 0 && (frame & BLINK_OFF_BITS) == 0;
        int32_t model = blink ? MOVING_BLINK_MODEL : rom_table_long(ROM_MOVING_MODELS, kind, 0);
        balloon_object_put(wrap_add(model, (frame >> 3) & 3), x, y, z, 0, w_cell(r + MO_HEADING));
    }
}

// A standing balloon of detail group g: bobbing on courses 0..2; on course 3 its own
// models, turned toward the camera, with a sparkle now and then.
void standing_balloon_draw(int32_t number, int32_t i, const balloon_record& b, int32_t group) {
    int32_t frame = w_cell(W_PLAY_FRAME_COUNTER);
    bool course3 = w_cell(W_COURSE_NUMBER) == COURSE_NO_BOB;
    int32_t phase = wrap_add(w_word(phase_word(i)), b.step);
    w_word_set(phase_word(i), phase);
    bool blink = b.value < 0 && (frame & BLINK_OFF_BITS) == 0;
    int32_t model, y = b.y;
    if (course3) {
        model = blink ? rom_table_long(ROM_MODEL_ROWS, group, ROW_COURSE3_BLINK)
                      : wrap_add(rom_table_long(ROM_MODEL_ROWS, group, ROW_COURSE3), group != 2 ? (frame >> 3) & 3 : 0);
    } else {
        y = wrap_add(b.y, bob(b.amplitude, phase));
        model = blink ? rom_table_long(ROM_MODEL_ROWS, group, ROW_BLINK)
                      : wrap_add(rom_table_long(ROM_MODEL_ROWS, group, 4 * uint32_t(b.kind)),
                                 group == 0 ? (frame >> 3) & 3 : 0);
    }
    int32_t pitch = wrap_neg(w_cell(W_CAMERA_PITCH));
    int32_t heading = course3 ? wrap_neg(w_cell(W_CAMERA_HEADING)) : 0;
    balloon_object_put(model, b.x, y, b.z, pitch, heading);
    if (course3 && (number & 3) == ((frame >> 4) & 3))
        balloon_object_put(rom_table_long(ROM_SPARKLES, (frame >> 1) & 7, 0), b.x, y, b.z, pitch, heading);
}

// The balloons of the visible chunks, in the order of the visible list.
void chunk_balloons_draw(bool* room) {
    int32_t visible = std::clamp(w_cell(W_VISIBLE_COUNT), 0, CHUNK_LIST_RECORDS);
    int32_t chunks = w_cell(W_COURSE_NUMBER) == COURSE_NO_BOB ? visible : std::min(visible, DRAWN_CHUNKS);
    uint32_t draw_lists = address_cell(W_BALLOON_DRAW_LISTS);
    for (int32_t c = 0; c < chunks && *room; c++) {
        int32_t group = std::min(c / GROUP_CHUNKS, 2);
        list_run run = cell_run(draw_lists, w_cell(W_VISIBLE_CHUNKS + VISIBLE_CHUNK_BYTES * uint32_t(c)));
        for (int32_t k = 0; k < run.count; k++) {
            int64_t number = int64_t(run.start) + k;
            int32_t i = local_index(number);
            balloon_record b;
            if (i < 0 || !record_read(number, &b)) continue;
            int32_t state = w_word(state_word(i));
            bool kind_known = b.kind >= 0 && b.kind < KINDS;
            if (state < 0 || (state == 0 && !kind_known && w_cell(W_COURSE_NUMBER) != COURSE_NO_BOB)) continue;
            if (!(*room = cursor_room())) break;
            dl_bank_select(b.bank);
            if (state == 0) {
                standing_balloon_draw(int32_t(number), i, b, group);
            } else {
                int32_t base = w_cell(W_COURSE_NUMBER) == COURSE_NO_BOB ? POP_MODEL_COURSE3 : POP_MODEL;
                w_word_set(state_word(i), pop_frame_draw(base, state, b.x, b.y, b.z));
            }
        }
    }
}

// ---- Course set-up ------------------------------------------------------------------------

// The layout of a course started in gameplay: by the frame tick, or by the diagonal
// pick; layout 1 in game mode 0, layout 0 on stage 0 of courses 0..2.
int32_t layout_choose(int32_t c) {
    int32_t layouts = rom_table_long(ROM_LAYOUT_COUNTS, c, 0);
    int32_t layout = 0;
    if (layouts > 0) {  // no layouts: layout 0 rather than a division by zero
        layout = int32_t(uint32_t(w_cell(W_FRAME_TICK)) % uint32_t(layouts));
        int32_t pick = w_cell_byte(W_DIAGONAL_CODE);
        if (w_word(W_COURSE_LEFT) == 0 && c != 3 && pick != 0) layout = (pick - 1) % layouts;
    }
    if (w_word(W_GAME_MODE) == 0) return 1;
    if (w_word(W_COURSE_PAIR) == 0 && c != 3) return 0;
    return layout;
}

// The ROM addresses of the layout's lists, records and words (0 for a course beyond 3).
void layout_addresses_set(int32_t c) {
    bool known = c >= 0 && c < COURSES;
    auto base = [&](const rom_table& t) { return known ? uint32_t(rom_table_long(t, c, 0)) : 0u; };
    uint32_t group = uint32_t(w_word(W_COURSE_PAIR)), layout = uint32_t(w_word(W_BALLOON_LAYOUT));
    uint32_t lists = group * GROUP_LIST_BYTES + layout * LAYOUT_LIST_BYTES;
    uint32_t words = group * GROUP_WORD_BYTES + layout * LAYOUT_WORD_BYTES;
    w_cell_set(W_BALLOON_DRAW_LISTS, int32_t(base(ROM_DRAW_LISTS) + lists));
    w_cell_set(W_BALLOON_TABLE, int32_t(base(ROM_RECORDS)));
    w_cell_set(W_MOVING_LIST, int32_t(base(ROM_MOVING_LISTS) + group * GROUP_MOVING_BYTES + layout * LAYOUT_MOVING_BYTES));
    w_cell_set(W_MOVING_RECORDS, int32_t(base(ROM_MOVING_RECORDS)));
    w_cell_set(W_BALLOON_NUMBERS, int32_t(base(ROM_NUMBER_LISTS)));
    w_cell_set(W_BALLOON_HIT_LISTS, int32_t(base(ROM_HIT_LISTS) + lists));
    w_cell_set(W_TARGET_WORD_AT, int32_t(base(ROM_TARGET_WORDS) + words));
    w_cell_set(W_FIRST_WORD_AT, int32_t(base(ROM_FIRST_WORDS) + words));
}

// W_BALLOON_COUNT := the draw lists' balloons (none for a course beyond 3); returns the
// point balloons among them.
int32_t layout_count(bool course_known) {
    int32_t count = 0, points = 0;
    for (int32_t cell = 0; course_known && cell < CELL_COUNT; cell++) {
        list_run run = cell_run(address_cell(W_BALLOON_DRAW_LISTS), cell);
        count += run.count;
        for (int32_t k = 0; k < run.count; k++) {
            balloon_record b;
            if (record_read(int64_t(run.start) + k, &b) && b.value > 0) points++;
        }
    }
    w_cell_set(W_BALLOON_COUNT, count);
    return points;
}

// All eight moving objects inactive (in the demo those not yet reached by the frame),
// then, off course 3, the layout's moving balloons copied in; returns their point
// balloons.
int32_t moving_objects_setup(int32_t c, bool demo, int32_t frame) {
    for (int32_t j = 0; j < MOVING_OBJECTS; j++) {
        uint32_t r = moving_object(j);
        if (!demo || demo_renews(w_cell(r + MO_STATUS), frame)) w_cell_set(r + MO_STATUS, MOVING_INACTIVE);
    }
    if (c < 0 || c >= COURSES || c == 3) return 0;  // course 3 keeps the last count
    const rom_table list = {address_cell(W_MOVING_LIST), LAYOUT_MOVING_BYTES, 1};
    const rom_table records = {address_cell(W_MOVING_RECORDS), MOVING_RECORD_BYTES, NUMBERS_MAX};
    int32_t first = rom_table_word(list, 0, 0) & 0xFFFF;
    int32_t riding = std::clamp(rom_table_word(list, 0, 2), 0, MOVING_OBJECTS);
    w_cell_set(W_MOVING_BALLOONS, riding);
    int32_t points = 0;
    for (int32_t j = 0; j < riding; j++) {
        uint32_t r = moving_object(j);
        if (w_cell(r + MO_STATUS) != MOVING_INACTIVE) continue;  // kept by the demo
        for (uint32_t k = 0; k < MOVING_RECORD_LONGS; k++) w_cell_set(r + 4 * k, rom_table_long(records, first + j, 4 * k));
        w_cell_set(r + MO_STATUS, 0);
        w_cell_set(r + MO_REACH, REACH_NONE);
        if (w_cell(r + MO_VALUE) > 0) points++;
    }
    return points;
}

// The 64 local balloons: standing up to the layout's count, absent beyond (in the demo
// only states not yet reached by the frame); phases by the frame and the value.
void local_balloons_reset(bool demo, int32_t frame) {
    int32_t first = uint16_t(w_word(W_BALLOON_FIRST)) & 0xFFFF, count = w_cell(W_BALLOON_COUNT);
    for (int32_t i = 0; i < BALLOONS_PER_LAYOUT; i++) {
        if (!demo || demo_renews(w_word(state_word(i)), frame))
            w_word_set(state_word(i), i <= count ? 0 : BALLOON_ABSENT);
        balloon_record b = {};
        record_read(first + i, &b);
        w_word_set(phase_word(i), wrap_mul(frame, b.value));
        w_cell_set(reach_cell(i), REACH_NONE);
    }
}

}  // namespace

void balloon_system_init() {
    w_word_set(W_BALLOONS_LEFT, 0);
    int32_t c = w_cell(W_COURSE_NUMBER), frame = w_cell(W_PLAY_FRAME_COUNTER), state = w_cell(W_GAME_STATE);
    bool demo = state == STATE_DEMO;
    if (state == 3 && w_word(W_BALLOON_LAYOUT) < 0) w_word_set(W_BALLOON_LAYOUT, layout_choose(c));
    layout_addresses_set(c);
    w_word_set(W_BALLOONS_LEFT, layout_count(c >= 0 && c < COURSES) + moving_objects_setup(c, demo, frame));

    const rom_table target_word = {address_cell(W_TARGET_WORD_AT), 2, 1};
    const rom_table first_word = {address_cell(W_FIRST_WORD_AT), 2, 1};
    int32_t target = rom_table_word(target_word, 0, 0);
    if (env_present("SKYVOLTA_LOOPDBG"))
        printf("[LOOP] balloon_system_init: course=%ld W[0x1600C]=0x%lX W[0x16010]=0x%lX -> target=%d\n", long(c),
               static_cast<unsigned long>(address_cell(W_TARGET_WORD_AT)),
               static_cast<unsigned long>(address_cell(W_FIRST_WORD_AT)), target);
    w_cell_set(W_BALLOON_TARGET, target);
    w_word_set(W_BALLOON_FIRST, rom_table_word(first_word, 0, 0));

    for (uint32_t k = 0; k < BALLOON_SCRATCH_LONGS; k++) w_cell_set(W_BALLOON_SCRATCH + 4 * k, 0);
    local_balloons_reset(demo, frame);
    w_cell_set(W_RUN_OVER, 0);
}

void balloon_state_reset() {
    particles_reset();
}

void balloon_render_and_hit_check() {
    if (w_cell(W_BALLOON_COUNT) <= 0 && w_cell(W_MOVING_BALLOONS) <= 0) return;
    player_cell_test();
    dl_header_8002_put(dl_header_prio());
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11);
    bool room = true;
    moving_balloons_step(&room);
    chunk_balloons_draw(&room);
    dl_bank_end();
    wram_long_set(W_DL_LAST_BANK, 0);
}

int32_t balloon_in_range(int32_t x, int32_t y, int32_t z) {
    return w_cell(W_RUN_OVER) == 0 && scaled_distance2(x, y, z) < HIT_REACH ? -1 : 0;
}
