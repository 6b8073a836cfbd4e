#include "host/level_jump.h"

#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"
#include "host/host_ram.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

level_jump_record level_jump = {LEVEL_NONE, 0, false, 0, 0, false, false, 0, -1};
const char* const level_course_names[4] = {"ASHEN MESA", "GALE GROVE", "FORGEHOLM", "FINAL STAGE"};
bool stage_debug;

namespace {

constexpr uint32_t REQUEST_PATIENCE = 600;  // host frames a request may wait for gameplay init
constexpr int ENDING_SUB_STATE = 14;        // the ending's set-up
constexpr uint32_t COURSE_SELECT_OFFER_MAX = 4;
constexpr uint32_t FIRST_SPEC_FRAME = 10;
constexpr int32_t COURSE_SELECT_SOUND = 15;  // played on the way to the course select

// The host frames after arrival at which Start is pressed: two presses of four frames.
bool start_press_frame(uint32_t since_arrival) {
    return (since_arrival >= 40 && since_arrival <= 43) || (since_arrival >= 60 && since_arrival <= 63);
}

int clamp_to_int(long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : int(v);
}

uint32_t frame_after_at(const char* at) {
    if (!at) return FIRST_SPEC_FRAME;
    long v = strtol(at + 1, nullptr, 10);
    return v < 0 ? 0 : uint32_t(v > long(UINT32_MAX) ? UINT32_MAX : v);
}

// The part of a spec before its '@' (the frame).
size_t spec_head(const char* text, const char** at) {
    *at = strchr(text, '@');
    return *at ? size_t(*at - text) : strlen(text);
}

void ending_apply() {
    level_jump.ending_pending = false;
    requested_ending_phase = level_jump.ending_phase;
    w_word_set(W_COURSES_LEFT, 8);
    wram_long_set(W_END_FLAG, level_jump.cleared ? 1 : 2);
    w_cell_set(W_ARMED_FLAG, 0);  // the coin routines' cell (a split long would miss it)
    wram_long_set(W_ATTRACT_SCENE_FLAG, 0);
    wram_long_set(W_COURSE_NUMBER, 3);
    wram_long_set(W_ENDING_TOTAL, level_jump.total);
    wram_long_set(W_GAME_MODE, 0x10000);  // story mode word 1, low word 0
    wram_long_set(W_COURSE_PAIR, 0x30003);
    w_word_set(W_COURSE_LEFT, 0);
    wram_long_set(W_GAME_SUB_STATE, ENDING_SUB_STATE);
    level_jump.state = LEVEL_NONE;
    if (stage_debug)
        fprintf(stderr, "[LEVEL] f%u ending: E18=%ld total=%ld\n", host_frame, long(wram_long(W_END_FLAG)),
                long(level_jump.total));
}

void course_apply() {
    int course = level_jump.course;
    w_cell_set(W_ARMED_FLAG, 0);  // else Start in the course select starts a new game
    wram_long_set(W_ATTRACT_SCENE_FLAG, 0);
    w_word_set(W_GAME_MODE, level_jump.advanced);
    wram_long_set(W_COURSE_NUMBER, course);
    if (level_jump.advanced) {
        wram_long_set(W_GAME_SUB_STATE, SUB_PRE_COURSE);
        wram_long_set(W_GAME_MODE, 0x10000);
        w_word_set(W_COURSES_LEFT, uint32_t(-(1 << course)) & 0xF);
        wram_long_set(W_COURSE_PAIR, (course << 16) | course);
        w_word_set(W_COURSE_LEFT, 0);
        if (course == 0) sound_play_or_defer(COURSE_SELECT_SOUND);
    } else {
        wram_long_set(W_GAME_SUB_STATE, SUB_COURSE_SELECT);
        sound_play_or_defer(COURSE_SELECT_SOUND);
    }
    level_jump.state = LEVEL_APPLIED;
    level_jump.arrival_frame = 0;
    if (stage_debug)
        fprintf(stderr, "[LEVEL] f%u apply adv=%d course=%d E2C=%X E66=%d sub=%ld\n", host_frame,
                int(level_jump.advanced), course, unsigned(w_word(W_COURSES_LEFT)) & 0xF,
                uint16_t(w_word(W_COURSE_PAIR + 2)), long(wram_long(W_GAME_SUB_STATE)));
}

// Course select is running: the cursor put on the requested course, Start pressed at
// the set frames after arrival.
bool course_select_steer() {
    if (level_jump.advanced && level_jump.course == 3) return false;  // the final stage is not offered
    if (!level_jump.arrival_frame) level_jump.arrival_frame = host_frame ? host_frame : 1;
    uint32_t offered = uint32_t(uint16_t(w_word(W_SELECT_MAX)));
    uint32_t courses = uint32_t(w_cell(W_SELECT_COURSES));
    for (uint32_t i = 0; i < offered && i < COURSE_SELECT_OFFER_MAX; i++) {
        if (int((courses >> (24 - 8 * i)) & 0xFF) != level_jump.course) continue;
        if (w_word(W_SELECT_HOLD) == 0) w_cell_set(W_SELECT_CURSOR, int32_t(i));
        return start_press_frame(host_frame - level_jump.arrival_frame);
    }
    return false;
}

}  // namespace

const char* level_label(bool advanced, int course) {
    static char label[64];
    if (course < 0 || course > 3)
        snprintf(label, sizeof label, "?");
    else if (advanced)
        snprintf(label, sizeof label, "ADVANCED day %d  %s", course + 1, level_course_names[course]);
    else
        snprintf(label, sizeof label, "NOVICE  %s", level_course_names[course]);
    return label;
}

void level_request(bool advanced, int course) {
    int top = advanced ? 3 : 2;
    course = course < 0 ? 0 : course > top ? top : course;
    level_jump.course = course;
    level_jump.advanced = advanced;
    level_jump.state = LEVEL_REQUESTED;
    level_jump.request_frame = host_frame;
    bus_write32(WRAM_BASE + W_GAME_STATE, uint32_t(STATE_STAGE_START));
    bus_write32(WRAM_BASE + W_PLAYER_CELL, 0);
    printf("[LEVEL] %s\n", level_label(advanced, course));
}

void ending_request(bool cleared, int phase, int total) {
    level_request(true, 3);
    level_jump.cleared = cleared;
    level_jump.ending_pending = true;
    level_jump.total = total;
    level_jump.ending_phase = unsigned(phase) <= unsigned(ENDING_PHASE_MAX) ? phase : -1;
    printf("[LEVEL] ENDING (%s)\n", cleared ? "cleared" : "bad, time up");
    if (level_jump.ending_phase >= 0) printf("[LEVEL]   phase %d\n", level_jump.ending_phase);
}

bool level_apply() {
    if (level_jump.state != LEVEL_REQUESTED) return false;
    textram_clear();
    camera_reset();
    sound_stop_all();
    if (level_jump.ending_pending)
        ending_apply();
    else
        course_apply();
    return true;
}

bool level_stage_chosen_log() {
    if (level_jump.state == LEVEL_NONE) return false;
    if (level_jump.state == LEVEL_REQUESTED) {
        if (host_frame - level_jump.request_frame > REQUEST_PATIENCE) level_jump.state = LEVEL_NONE;
        return false;
    }
    int32_t state = bus_read32(WRAM_BASE + W_GAME_STATE), sub = bus_read32(WRAM_BASE + W_GAME_SUB_STATE);
    if (state != STATE_GAMEPLAY) {
        level_jump.state = LEVEL_NONE;
        return false;
    }
    if (sub == 2 || sub == 3 || sub == 5) {  // the stage is under way
        if (stage_debug)
            fprintf(stderr, "[LEVEL] f%u stage chosen, course=%ld\n", host_frame,
                    long(bus_read32(WRAM_BASE + W_COURSE_NUMBER)));
        level_jump.state = LEVEL_NONE;
        return false;
    }
    return sub == SUB_COURSE_SELECT_RUN && course_select_steer();
}

bool parse_level_spec(const char* text, bool* advanced, int* course, uint32_t* frame) {
    if (!text || !*text || strncmp(text, "end", 3) == 0) return false;
    *advanced = !(strncmp(text, "nov", 3) == 0 || text[0] == 'N' || text[0] == 'n');
    const char* at;
    size_t head = spec_head(text, &at);
    const char* colon = static_cast<const char*>(memchr(text, ':', head));
    const char* digit = colon ? colon + 1 : text + strcspn(text, "0123456789");
    *course = colon || digit < text + head ? clamp_to_int(strtol(digit, nullptr, 10)) : 0;
    *frame = frame_after_at(at);
    return true;
}

bool parse_ending_spec(const char* text, bool* cleared, int* phase, uint32_t* frame) {
    if (!text || strncmp(text, "end", 3) != 0) return false;
    *cleared = true;
    *phase = -1;
    const char* at;
    size_t head = spec_head(text, &at);
    const char* end = text + head;
    const char* colon = static_cast<const char*>(memchr(text, ':', head));
    if (colon) {
        const char* field = colon + 1;
        if (strncmp(field, "bad", 3) == 0 || *field == 'b' || *field == 'f') *cleared = false;
        const char* second = static_cast<const char*>(memchr(field, ':', size_t(end - field)));
        if (second) *phase = clamp_to_int(strtol(second + 1, nullptr, 10));
    }
    *frame = frame_after_at(at);
    return true;
}
