// The per-frame course sounds (area_sound_update and its steps).
#include "game/services/area_sounds.h"

#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/rig_packets.h"
#include "board/wram_cell.h"
#include "game/services/course_sounds.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int32_t LAST_COURSE = 3;
constexpr int32_t LEVEL_SILENT = 255;
constexpr int32_t GOAL_HOLD_LEVEL = 20;      // the goal sound waits for the hold level
constexpr int32_t GOAL_PARAM_TIME_UP = 0x71;
constexpr int32_t GOAL_PARAM = 0x75;
constexpr int32_t COUNTDOWN_FIRST = 600, COUNTDOWN_LAST = 60, SECOND = 60;
constexpr int32_t SPEED_BASE = 3703, SPEED_SPAN = 11851, SPEED_LEVEL_SPAN = 7433;
constexpr int32_t DRIVE_FULL = 4096, DRIVE_KNEE = 1024;
constexpr int32_t CLIMB_FULL = 40, CLIMB_STEEP = 24;
constexpr int32_t SURFACE_CONTACT = 224;     // probe values 224 and 225; above: a drop
constexpr int32_t CONTACT_FRAMES = 240;
constexpr int32_t STALL_FRAMES = 90;
constexpr int32_t POINT_COOLDOWN = 200;
constexpr int32_t PROBES = 5;
constexpr int32_t SURFACE_PROBES = 6;
constexpr int32_t CONTACT_SOUND_PARAM = 84;
constexpr uint32_t SOUND_FLAG_CLIMB = 1, SOUND_FLAG_SCRAPE = 2;
constexpr uint32_t CONTACT_SURFACE = 0x80;

// w(e): e reduced to a signed 16-bit value.
int32_t w16(int32_t e) {
    return int16_t(e);
}

// A field of probe record n, as the collision step keeps it: a long in its slot, of
// which the sounds take the low 16 bits (the flags are tested whole).
int32_t probe_word(int32_t n, uint32_t field) {
    return w16(w_cell(probe_field(uint32_t(n), field)));
}

bool probe_flag(int32_t n, uint32_t field) {
    return w_cell(probe_field(uint32_t(n), field)) != 0;
}

bool probe_in_contact(int32_t n) {
    return probe_flag(n, PROBE_HIT);
}

// Bits of a layer word.
bool bit_test(uint32_t word, uint32_t mask) {
    return (uint32_t(w_word(word)) & mask) != 0;
}
void bits_set(uint32_t word, uint32_t mask) {
    w_word_set(word, int32_t(uint32_t(w_word(word)) | mask));
}
void bits_keep(uint32_t word, uint32_t mask) {
    w_word_set(word, int32_t(uint32_t(w_word(word)) & mask));
}

// A level v for slot s: sound_param_level_set(s << 16 | v), v taken as 16 bits.
void level(int32_t slot, int32_t v) {
    sound_param_level_set(int32_t(uint32_t(slot) << 16 | (uint32_t(v) & 0xFFFF)));
}

// A level for the level slot of an area sound (its record's parameter slot).
void area_level(int32_t id, int32_t v) {
    sound_record r;
    if (sound_record_read(id, &r)) level(r.param_slot, v);
}

// Played when the cooldown allows, marking the scrape-or-turn flag.
void scrape_sound(int32_t parameter) {
    sound_play_cooldown(parameter);
    bits_set(W_SOUND_FLAGS, SOUND_FLAG_SCRAPE);
}

// The countdown sounds of the race's last ten seconds and the two race-end sounds.
void timing_sounds(int32_t state, int32_t course) {
    int32_t end = wram_long(W_END_FLAG);
    int32_t t = wram_long(W_RACE_TIMER), t2 = wram_long(W_RACE_TIMER_SHOWN);
    if (end > 0 && state == 3) {
        int32_t h = w_word(W_IDLE_FLAG);
        if (h <= 1) {
            w_word_set(W_IDLE_FLAG, 2);
            sound_play_ungated(SOUND_RACE_END);
        } else if (h == 2 && w_word(W_SOUND_HOLD_LEVEL) <= GOAL_HOLD_LEVEL && course != LAST_COURSE) {
            w_word_set(W_IDLE_FLAG, 3);
            sound_play_p_ungated(SOUND_GOAL << 16 | (end == 2 ? GOAL_PARAM_TIME_UP : GOAL_PARAM));
        }
    } else {
        if (t >= COUNTDOWN_LAST && t <= COUNTDOWN_FIRST && t < w_word(W_LAST_RACE_TIMER) && t % SECOND == 0)
            sound_play_ungated(SOUND_COUNTDOWN);
        if (t2 > w_word(W_LAST_SECOND_TIMER) && ((t2 % SECOND) & 0xFC) == 4) sound_play_ungated(SOUND_COUNTDOWN);
    }
    w_word_set(W_LAST_RACE_TIMER, t);
    w_word_set(W_LAST_SECOND_TIMER, t2);
}

// The course's slots to 255 and the area sound stopped.
void silence() {
    for (int32_t slot : {8, 6, 2}) level(slot, LEVEL_SILENT);
    for (int32_t id : {SOUND_AREA_COURSE3, SOUND_AREA_COURSE1, SOUND_AREA_COURSE0, SOUND_AREA_COURSE2})
        area_level(id, LEVEL_SILENT);
    sound_stop(w_word(W_AREA_SOUND_ID));
    w_word_set(W_AREA_SOUND_ID, -1);
}

// Slot 8 and the parameter of slot 7 follow the speed, slot 6 and the parameter of slot 5
// the drive.
void speed_and_drive_levels() {
    int32_t s = w16((wram_long(W_PLAYER_SPEED) & 0xFFFF) - SPEED_BASE);
    level(8, 80 - (80 * s) / SPEED_LEVEL_SPAN);
    slot_param_set(7, uint32_t(0x1400 + (std::clamp(s, 0, SPEED_SPAN) * 5376) / SPEED_SPAN));

    int32_t f = w16(wram_long(W_DRIVE) >> 3);
    if (f <= 0) {
        level(6, 256);
        slot_param_set(5, 0x2003);
    } else if (f > DRIVE_FULL) {
        level(6, 64);
        slot_param_set(5, 0x4B80);
    } else {
        level(6, f <= DRIVE_KNEE ? 256 - ((44 * f) >> 8) : 85 - f / 192);
        slot_param_set(5, uint32_t(std::min(3 * f + 0x2000, 0x4B80)));
    }
}

// The value of the first collision probe record on a surface, or 0.
int32_t surface_value() {
    for (int32_t k = 0; k < SURFACE_PROBES; k++)
        if (probe_flag(k, PROBE_SPECIAL)) return probe_word(k, PROBE_SPECIAL_TYPE);
    return 0;
}

// A nose-up pitch counts the climb; the strain sound on its second frame.
void climb_count_step() {
    if ((wram_long(W_PLAYER_PITCH) & 0xFFFF) > 0x8000) {
        int32_t n = w_word(W_CLIMB_COUNTER) + 1;
        w_word_set(W_CLIMB_COUNTER, n);
        if (n == 2) sound_play(SOUND_CLIMB);
    } else {
        w_word_set(W_CLIMB_COUNTER, 0);
    }
}

// Slots 1 and 2 follow the climb c (0..40) of the flight pitch and of a drop.
void climb_levels(int32_t m) {
    int32_t c = w16(((math_sin(wram_long(W_TARGET_PITCH)) * -27) >> 14) - 2);
    if (c <= 0) {
        c = 0;
        bits_keep(W_SOUND_FLAGS, ~SOUND_FLAG_CLIMB);
        w_word_set(W_CLIMB_COUNTER, 0);
    } else if (c >= CLIMB_FULL) {
        c = CLIMB_FULL;
        climb_count_step();
    } else if (wram_long(W_SLOW_FLAG) != 0 && c > CLIMB_STEEP) {
        climb_count_step();
    } else {
        w_word_set(W_CLIMB_COUNTER, 0);
    }
    if (m > SURFACE_CONTACT + 1) {
        if (w_word(W_SOUND_HOLD_LEVEL) <= 0 && probe_flag(0, PROBE_SPECIAL)) sound_play(SOUND_CLIMB);
        c = std::min(c + 32 * (m - (SURFACE_CONTACT + 2)), CLIMB_FULL);
    }
    slot_param_set(1, uint32_t(0x2000 + (3072 * c) / CLIMB_FULL));
    level(2, 64 - (64 * c) / CLIMB_FULL);
}

void climb_sound() {
    int32_t pitch_input = wram_long(W_PITCH_INPUT);
    if (bit_test(W_SOUND_FLAGS, SOUND_FLAG_CLIMB) || w_word(W_CLIMB_COUNTER) <= 3) return;
    if (wrap_sub(wram_long(W_PLAYER_Y), wram_long(W_WING_ROOT_Y)) <= 0x8000 || pitch_input > 10239) return;
    sound_play_cooldown(pitch_input & 2 ? 80 : 81);
    bits_set(W_SOUND_FLAGS, SOUND_FLAG_CLIMB);
}

// The driver's state bytes, for the game's other readers.
void sound_bytes_copy() {
    static const uint32_t bytes[8] = {0x000, 0x002, 0x2A0, 0x2A2, 0x2A4, 0x2C0, 0x2C2, 0x2C4};
    for (uint32_t i = 0; i < 8; i++) wram_long_set(W_SOUND_BYTE_COPIES + 4 * i, commsram[bytes[i]]);
}

void turn_sound(int32_t state) {
    int32_t heading = wram_long(W_PLAYER_HEADING);
    bool turned = w16(wrap_sub(w_word(W_LAST_HEADING), heading)) > 0x1000 ||
                  wrap_sub(wram_long(W_PLAYER_SPEED_COPY), wram_long(W_PLAYER_SPEED)) > 0x1000;
    if (turned && !bit_test(W_SOUND_FLAGS, SOUND_FLAG_SCRAPE) && state != 1)
        scrape_sound(wram_long(W_TURN_INPUT) & 2 ? 85 : 86);
    w_word_set(W_LAST_HEADING, heading);
}

// The contact sounds of the five collision probes; H (W 0x15F3C) marks the probes in
// contact, L (W 0x15F3E) holds them for 240 calls.
void contact_sounds(int32_t state, int32_t m) {
    int32_t v = wram_long(W_PLAYER_SPEED_COPY);
    auto pick = [&](int32_t n, int32_t parameter, int32_t speed) {
        return contact_pick(probe_word(n, PROBE_SURFACE), parameter, w16(speed));
    };
    auto scrape_ready = [] { return !bit_test(W_SOUND_FLAGS, SOUND_FLAG_SCRAPE); };
    int32_t free_probes = 0;
    bool fresh;
    if (m == SURFACE_CONTACT || m == SURFACE_CONTACT + 1) {
        if (!bit_test(W_CONTACT_BITS, CONTACT_SURFACE)) sound_play(SOUND_SURFACE);
        bits_set(W_CONTACT_BITS, CONTACT_SURFACE);
        w_word_set(W_CONTACT_LEVEL, CONTACT_FRAMES);
        if (probe_in_contact(3)) bits_set(W_CONTACT_BITS, 1 << 3);
        if (probe_in_contact(4)) bits_set(W_CONTACT_BITS, 1 << 4);
        fresh = false;
    } else {
        bits_keep(W_CONTACT_BITS, ~CONTACT_SURFACE);
        fresh = true;
        if (probe_in_contact(3)) {
            if (!bit_test(W_CONTACT_BITS, 1 << 3)) {
                pick(3, 60, v);
                fresh = false;
            }
            bits_set(W_CONTACT_BITS, 1 << 3);
        }
        if (probe_in_contact(4)) {
            if (fresh && !bit_test(W_CONTACT_BITS, 1 << 4)) {
                pick(4, 10, wrap_add(v, 0x800));
                if (scrape_ready() && v > 0x800) scrape_sound(CONTACT_SOUND_PARAM);
                fresh = false;
            }
            bits_set(W_CONTACT_BITS, 1 << 4);
        }
    }
    free_probes += !probe_in_contact(3) + !probe_in_contact(4);
    w_word_set(W_STALL_TIMER, w_word(W_STALL_TIMER) - 1);

    if (probe_in_contact(0)) {
        if (fresh && !bit_test(W_CONTACT_BITS, 1)) {
            int32_t p = probe_word(0, PROBE_SURFACE);
            if (p == 3 || p == 7 || p == 8) {
                pick(0, 5, wrap_sub(v, 0x800));
            } else {
                if (v > 0x1800 && w_word(W_STALL_TIMER) <= 0 && !probe_in_contact(1) && !probe_in_contact(2) &&
                    !probe_in_contact(3)) {
                    sound_play(SOUND_STALL);
                    w_word_set(W_CONTACT_LEVEL, CONTACT_FRAMES);
                    w_word_set(W_STALL_TIMER, STALL_FRAMES);
                }
                if (scrape_ready() && v > 0x4000) scrape_sound(CONTACT_SOUND_PARAM);
            }
            fresh = false;
        }
        bits_set(W_CONTACT_BITS, 1);
    }
    for (int32_t n = 1; n <= 2; n++) {
        if (!probe_in_contact(n)) continue;
        if (fresh && !bit_test(W_CONTACT_BITS, 1u << n)) {
            int32_t r = pick(n, 5, wrap_sub(v, 0xC00));
            if (scrape_ready() && v > 0x3800 && r && state != 1) scrape_sound(CONTACT_SOUND_PARAM);
            fresh = false;
        }
        bits_set(W_CONTACT_BITS, 1u << n);
    }
    free_probes += !probe_in_contact(0) + !probe_in_contact(1) + !probe_in_contact(2);
    if (scrape_ready() && wram_long(W_LOOKAHEAD_IMPACT) != 0) scrape_sound(CONTACT_SOUND_PARAM);

    int32_t l = w16(w_word(W_CONTACT_LEVEL) - 1);
    w_word_set(W_CONTACT_LEVEL, l);
    if (free_probes == PROBES) {
        bits_keep(W_SOUND_FLAGS, ~SOUND_FLAG_SCRAPE);
        bits_keep(W_CONTACT_BITS, CONTACT_SURFACE);
    } else if (l < 0) {
        bits_keep(W_CONTACT_BITS, CONTACT_SURFACE);
    }
}

// The hold level runs down (ending the area sound's wait); once it has, the preset
// record's slot is started again while W 0x169EC asks for it.
void hold_step() {
    int32_t hold = w_word(W_SOUND_HOLD_LEVEL);
    if (hold >= 0) {
        w_word_set(W_SOUND_HOLD_LEVEL, hold - 1);
        if (hold - 1 < 0) w_word_set(W_AREA_SOUND_ID, -1);
        return;
    }
    sound_record p;
    uint32_t word;
    // The rig's pose flag, set once the root was posed, re-arms the preset slot.
    if (w_word(W_POSE_FLAG) <= 0 || !sound_record_read(SOUND_PRESET, &p) || p.slot < 0) return;
    if (!slot_command(p.slot, &word) || (word & 0x80FF) == ((p.command | 0x8000) & 0xFFFF)) return;
    sound_param_level_set(int32_t(uint32_t(p.slot2) << 16 | p.value2));
    slot_command_set(p.slot, (p.command | 0xC000) & 0xFFFF);
}

// ---- Course areas ------------------------------------------------------------------
struct camera_position {
    int32_t x, y, z;
    int32_t x16, y16, z16;
};

int32_t d(int32_t a, int32_t b, int32_t c) {
    return vec_length3(a, b, c);
}

void course0_first_levels(const camera_position& c) {
    int32_t e = c.y > 0x137FF ? wrap_sub(0x3800, c.y) : wrap_mul(wrap_sub(0x3800, c.y), 4);
    area_level(SOUND_AREA_COURSE0, d(-15639 - c.x16, w16(e), w16(16488 - c.z16)) / 1024);
    int32_t e2 = c.y <= 0x12FFF ? 0 : w16(wrap_sub(0x3000, c.y));
    area_level(SOUND_AREA_COURSE1, d(w16(0x36F3 - c.x16), e2, w16(0x3700 - c.z16)) / 2048);
}

void course0_second_levels(const camera_position& c) {
    int32_t d1 = d(w16(-15721 - c.x16), 11452 - c.y16, w16(-9249 - c.z16));
    int32_t d2 = d(wrap_sub(0x56341, c.x), wrap_sub(0x10108, c.y), wrap_sub(0x6632E, c.z));
    int32_t d3 = d(w16(-17158 - c.x16), w16(7764 - c.y16), wrap_sub(0x53280, c.z));
    area_level(SOUND_AREA_COURSE3, std::min({d1, d2, d3}) / 512);
}

void course1_levels(const camera_position& c) {
    int32_t e = c.y <= 0x19FFF ? 0 : w16(wrap_sub(-0x6000, c.y));
    area_level(SOUND_AREA_COURSE1, d(w16(-1829 - c.x16), e, w16(669 - c.z16)) / 2048);
}

void course2_levels(const camera_position& c) {
    area_level(SOUND_AREA_COURSE2, d(w16(13653 - c.x16), w16(wrap_sub(-0x2A00, c.y)), w16(-30579 - c.z16)) / 4096);
}

void course3_levels(const camera_position& c) {
    area_level(SOUND_AREA_COURSE3, d(w16(15765 - c.x16), w16(15141 - c.y16), w16(-30520 - c.z16)) / 1024);
}

struct sound_area {
    int32_t course;
    bool (*inside)(int32_t cell);
    void (*levels)(const camera_position&);
    int32_t id;
};

const sound_area AREAS[] = {
    {0, [](int32_t q) { return q >= 81 && q <= 100 && ((q - 1) & 4) == 0; }, course0_first_levels, SOUND_AREA_COURSE0},
    {0, [](int32_t q) { return q > 18 && q <= 35 && (q & 6) == 2; }, course0_second_levels, SOUND_AREA_COURSE3},
    {1, [](int32_t q) { return q >= 93 && q <= 125 && (q & 4) != 0; }, course1_levels, SOUND_AREA_COURSE1},
    {2, [](int32_t q) { return q == 51 || q == 52 || q == 59 || q == 60; }, course2_levels, SOUND_AREA_COURSE2},
    {3, [](int32_t q) { return q >= 97 && q <= 123 && (q & 4) == 0; }, course3_levels, SOUND_AREA_COURSE3},
};

// The area sounds whose level slots a course silences when the camera leaves its areas.
struct course_quiet_ids {
    int32_t ids[3];
    int32_t count;
};
constexpr course_quiet_ids QUIET_IDS[4] = {
    {{SOUND_AREA_COURSE3, SOUND_AREA_COURSE1, SOUND_AREA_COURSE0}, 3},
    {{SOUND_AREA_COURSE1}, 1},
    {{SOUND_AREA_COURSE2}, 1},
    {{SOUND_AREA_COURSE3}, 1},
};

void area_step(int32_t course) {
    int32_t q = wram_long(W_CAMERA_CELL);
    camera_position c = {wram_long(W_CAMERA_X), wram_long(W_CAMERA_Y), wram_long(W_CAMERA_Z), 0, 0, 0};
    c.x16 = w16(c.x);
    c.y16 = w16(c.y);
    c.z16 = w16(c.z);
    const sound_area* area = nullptr;
    for (const sound_area& a : AREAS)
        if (a.course == course && a.inside(q)) area = &a;
    int32_t current = w_word(W_AREA_SOUND_ID);
    if (area) {
        area->levels(c);
        if (current != area->id && w_word(W_SOUND_HOLD_LEVEL) < 0) {
            w_word_set(W_AREA_SOUND_ID, area->id);
            sound_play(area->id);
        }
    } else if (current > 0) {
        if (course >= 0 && course <= LAST_COURSE)
            for (int32_t i = 0; i < QUIET_IDS[course].count; i++) area_level(QUIET_IDS[course].ids[i], LEVEL_SILENT);
        sound_stop(current);
        w_word_set(W_AREA_SOUND_ID, -1);
    }
    w_word_set(W_AREA_CELL, q);
}

// ---- Points --------------------------------------------------------------------------
bool near(const sound_point& p, int64_t xz_reach) {
    int64_t dy = wrap_sub(wram_long(W_PLAYER_Y), p.y), dx = wrap_sub(wram_long(W_PLAYER_X), p.x),
            dz = wrap_sub(wram_long(W_PLAYER_Z), p.z);
    return std::llabs(dy) <= 0x9FF && std::llabs(dx) + std::llabs(dz) <= xz_reach;
}

void point_sound(const sound_point& p, int64_t xz_reach, int32_t id) {
    if (!near(p, xz_reach)) return;
    w_word_set(W_POINT_COOLDOWN, POINT_COOLDOWN);
    sound_play(id);
}

void point_sounds(int32_t course) {
    int32_t cell = wram_long(W_PLAYER_CELL);
    sound_point p;
    if (course == 0 && cell == 27)
        for (int32_t k = 0; sound_point_list_read(k, &p); k++) point_sound(p, 0xFFF, SOUND_POINT_A);
    if (course == 0 && cell == 26 && sound_point_read(SOUND_POINT_CELL26, &p)) point_sound(p, 0xFFF, SOUND_POINT_A);
    if (course == 0 && cell == 35 && sound_point_read(SOUND_POINT_CELL35, &p)) point_sound(p, 0xFFF, SOUND_POINT_B);
    if (course == 2 && (cell == 13 || cell == 21) && sound_point_read(SOUND_POINT_COURSE2, &p))
        point_sound(p, 0x3FFF, SOUND_POINT_B);
}

}  // namespace

void area_sound_update() {
    int32_t state = wram_long(W_GAME_STATE), course = wram_long(W_COURSE_NUMBER);
    if (state != 3 && wram_long(W_ATTRACT_SOUND) == 0) return;
    if (course == 1) music_stem_update();
    if (course == LAST_COURSE) idle_frames_flag_update();
    if (w_word(W_IDLE_FLAG) != 0) course_sounds_fade_in();
    timing_sounds(state, course);
    if (wram_long(W_ATTRACT_SCENE_FLAG) != 0) {
        silence();
        return;
    }
    speed_and_drive_levels();
    int32_t m = surface_value();
    climb_levels(m);
    climb_sound();
    sound_bytes_copy();
    turn_sound(state);
    contact_sounds(state, m);
    hold_step();
    area_step(course);

    int32_t cooldown = w_word(W_SOUND_COOLDOWN);
    if (cooldown > 0) w_word_set(W_SOUND_COOLDOWN, cooldown - 1);
    int32_t point_cooldown = w_word(W_POINT_COOLDOWN);
    if (point_cooldown > 0) {
        w_word_set(W_POINT_COOLDOWN, point_cooldown - 1);
        return;
    }
    point_sounds(course);
}
