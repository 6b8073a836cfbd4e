#include "game/services/sound_commands.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/runtime_services.h"
#include "board/sprite_records.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"
#include "sound/sound_diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t COMMAND_PLAY = 0x4000;
constexpr uint32_t COMMAND_RUNNING = 0x8000;
constexpr int32_t LAST_STOPPABLE = int32_t(SOUND_STOPPABLE_SLOTS) - 1;
constexpr uint32_t COMMAND_HELD = 0x2000;
constexpr int32_t HOLD_FRAMES = 285;
constexpr int32_t RACE_GATE_TIMER = 56;
constexpr int32_t COOLDOWN_FRAMES = 45;
constexpr int32_t COOLDOWN_QUIET_SUB_STATE = 19;
constexpr int32_t BALLOON_COOLDOWN_PARAM = 82;
constexpr int32_t ONCE_PARAM = 0x76;
constexpr int32_t COIN_ONCE_PARAM = 0x77;
constexpr int32_t INDEXED_DIRECT = 4;    // entries below play as they are
constexpr int32_t LEVEL_ARG_MIN = -0x800000, LEVEL_ARG_MAX = 0x3F7FFFFF;
constexpr int32_t SCENERY_CONE = 3071;
constexpr int32_t SCENERY_AHEAD_RANGE = 0x7000;
constexpr int32_t SCENERY_RANGE = 4095;
constexpr int32_t CONTACT_SLOW_SPEED = 2048;
constexpr int32_t CONTACT_SLOW_LEVEL = 60;
constexpr int32_t PARAM_FULL = 0x00FF;

// G: game states 2..5, or the attract sound setting (its word or its long) non-zero.
bool state_gate(bool setting_long) {
    int32_t s = wram_long(W_GAME_STATE);
    int32_t setting = setting_long ? wram_long(W_ATTRACT_SOUND) : w_word(W_ATTRACT_SOUND);
    return (s >= 2 && s <= 5) || setting != 0;
}

// R: in the race (state 3, sub-state 3), nothing before the timer reaches 56 or once
// the end flag is set.
bool race_gate() {
    if (wram_long(W_GAME_STATE) != 3 || wram_long(W_GAME_SUB_STATE) != 3) return true;
    return wram_long(W_RACE_TIMER) >= RACE_GATE_TIMER && wram_long(W_END_FLAG) == 0;
}

bool hold_timer_runs() {
    return w_word(W_SOUND_HOLD_TIMER) >= 0;
}

void sound_log(const char* op, int32_t id, int32_t slot, uint32_t command, int32_t param) {
    if (!sound_log_enabled) return;
    fprintf(stderr, "[SOUND] f%-6u sub=%-3ld %-22s id=0x%02X  slot %-2d cmd=%04X", host_frame,
            long(wram_long(W_GAME_SUB_STATE)), op, unsigned(id), slot, command);
    if (param >= 0) fprintf(stderr, "  param=0x%02X", unsigned(param));
    fputc('\n', stderr);
}

// How a play writes a record.
struct play_how {
    int32_t param = -1;        // 0..0xFFFF: into the parameter slot; -1: none
    int32_t value2 = -1;       // 0..0xFFFF: replaces the record's second parameter
    bool hold = false;         // raise the hold level
    bool log = true;
};

// The parameter, the second parameter (a negative slot has none), the command with bit
// 14, the hold level, the log line (for a command written).
void record_play(const char* op, int32_t id, const sound_record& r, const play_how& how) {
    if (how.param >= 0) slot_param_set(r.param_slot, uint32_t(how.param));
    if (r.slot2 >= 0) slot_param_set(r.slot2, how.value2 >= 0 ? uint32_t(how.value2) : r.value2);
    uint32_t command = r.command | COMMAND_PLAY;
    bool written = slot_command_set(r.slot, command);
    if (how.hold && r.hold > w_word(W_SOUND_HOLD_LEVEL)) w_word_set(W_SOUND_HOLD_LEVEL, r.hold);
    if (written && how.log) sound_log(op, id, r.slot, command & 0xFFFF, how.param);
}

// The trace line, then the record of id (false for an id outside 0..88).
bool traced_record(const char* op, int32_t id, int32_t param, sound_record* r) {
    sound_call_trace(op, id, param);
    return sound_record_read(id, r);
}

int32_t id_of(int32_t id_param) {
    return id_param >> 16;
}

int32_t param_of(int32_t id_param) {
    return id_param & 0xFFFF;
}

// The record's command word with `set` bits set and `clear` bits cleared, and the log.
void command_change(const char* op, int32_t id, const sound_record& r, uint32_t set, uint32_t clear) {
    uint32_t word;
    if (!slot_command(r.slot, &word)) return;
    word = (word | set) & ~clear & 0xFFFF;
    slot_command_set(r.slot, word);
    sound_log(op, id, r.slot, word, -1);
}



}  // namespace

uint32_t sound_ram_word(uint32_t offset) {
    if (offset >= sizeof commsram - 1) return 0;
    return uint32_t(commsram[offset]) << 8 | commsram[offset + 1];
}

void sound_ram_word_set(uint32_t offset, uint32_t value) {
    if (offset >= sizeof commsram - 1) return;
    commsram[offset] = uint8_t(value >> 8);
    commsram[offset + 1] = uint8_t(value);
}

bool slot_command(int32_t slot, uint32_t* word) {
    if (slot < 0 || slot >= int32_t(SOUND_COMMAND_SLOTS)) return false;
    *word = sound_ram_word(2 * uint32_t(slot));
    return true;
}

bool slot_command_set(int32_t slot, uint32_t word) {
    if (slot < 0 || slot >= int32_t(SOUND_COMMAND_SLOTS)) return false;
    sound_ram_word_set(2 * uint32_t(slot), word);
    return true;
}

bool slot_param(int32_t slot, uint32_t* word) {
    if (slot < SOUND_PARAM_SLOT_MIN || slot > SOUND_PARAM_SLOT_MAX) return false;
    *word = sound_ram_word(uint32_t(int32_t(SOUND_PARAMS) + 2 * slot));
    return true;
}

bool slot_param_set(int32_t slot, uint32_t word) {
    if (slot < SOUND_PARAM_SLOT_MIN || slot > SOUND_PARAM_SLOT_MAX) return false;
    sound_ram_word_set(uint32_t(int32_t(SOUND_PARAMS) + 2 * slot), word);
    return true;
}

void sound_play(int32_t id) {
    sound_record r;
    if (!traced_record("sound_play", id, -1, &r)) return;
    if (id == SOUND_COIN) {
        if (w_word(W_SOUND_ONCE_FLAG))
            sound_play_p(SOUND_GOAL << 16 | COIN_ONCE_PARAM);
        else
            slot_command_set(r.slot, r.command | COMMAND_PLAY);
        return;
    }
    if (!state_gate(false) || !race_gate()) return;
    record_play("sound_play", id, r, {.hold = true});
}

void sound_play_or_defer(int32_t id) {
    sound_record r;
    if (!traced_record("sound_play_or_defer", id, -1, &r) || !state_gate(true)) return;
    if (hold_timer_runs()) {
        w_word_set(W_SOUND_DEFERRED_ID, id);
        return;
    }
    record_play("sound_play_or_defer", id, r, {});
}

void sound_play_ungated(int32_t id) {
    sound_record r;
    if (!traced_record("sound_play_ungated", id, -1, &r)) return;
    record_play("sound_play_ungated", id, r, {.hold = true});
}

void sound_play_p(int32_t id_param) {
    sound_record r;
    int32_t id = id_of(id_param), param = param_of(id_param);
    if (!traced_record("sound_play_p", id, param, &r) || !state_gate(true) || !race_gate()) return;
    record_play("sound_play_p", id, r, {.param = param});
}

void sound_play_p_ungated(int32_t id_param) {
    sound_record r;
    int32_t id = id_of(id_param), param = param_of(id_param);
    if (!traced_record("sound_play_p_ungated", id, param, &r)) return;
    record_play("sound_play_p_ungated", id, r, {.param = param});
}

void sound_play_p2(int32_t id_param, int32_t value) {
    sound_record r;
    int32_t id = id_of(id_param), param = param_of(id_param);
    if (!traced_record("sound_play_p2", id, param, &r) || !state_gate(true)) return;
    record_play("sound_play_p2", id, r, {.param = param, .value2 = value & 0xFFFF});
}

void sound_play_p2val(int32_t id, int32_t value) {
    sound_record r;
    if (!traced_record("sound_play_p2val", id, value, &r) || !state_gate(false) || !race_gate()) return;
    record_play("sound_play_p2val", id, r, {.value2 = value & 0xFFFF, .hold = true, .log = false});
}

void sound_param2_set(int32_t id, int32_t value) {
    sound_record r;
    if (!traced_record("sound_param2_set", id, value, &r)) return;
    slot_param_set(r.slot2, uint32_t(value) & 0xFFFF);
}

void sound_play_throttled(int32_t id) {
    sound_call_trace("sound_play_throttled", id, -1);
    int32_t before = w_word(W_SOUND_HOLD_LEVEL);
    w_word_set(W_SOUND_HOLD_LEVEL, before - 1);
    if (before == 0 || before == 1 || (before < 0 && before != INT16_MIN)) sound_play(id);
}

void sound_play_cooldown(int32_t parameter) {
    sound_call_trace("sound_play_cooldown", SOUND_SCRAPE, parameter);
    if (w_word(W_SOUND_COOLDOWN) > 0 || wram_long(W_END_FLAG) > 0) return;
    if (wram_long(W_GAME_SUB_STATE) == COOLDOWN_QUIET_SUB_STATE) return;
    if (wram_long(W_ATTRACT_SOUND) == 0 && wram_long(W_GAME_STATE) == 1) return;
    sound_play_p_ungated(SOUND_SCRAPE << 16 | param_of(parameter));
    w_word_set(W_SOUND_COOLDOWN, COOLDOWN_FRAMES);
}

void balloon_sound_cooldown() {
    sound_call_trace("balloon_sound_cooldown", -1, -1);
    if (!(wram_long(W_PITCH_INPUT) & 2)) sound_play_cooldown(BALLOON_COOLDOWN_PARAM);
}

void sound_play_indexed(int32_t i) {
    sound_call_trace("sound_play_indexed", i, -1);
    int32_t id;
    if (!indexed_sound_id(i, &id) || id < 0) return;
    if (i < INDEXED_DIRECT)
        sound_play(id);
    else
        sound_play_p_ungated(SOUND_INDEXED_VOICE << 16 | id);
}

void sound_play_once() {
    sound_call_trace("sound_play_once", -1, -1);
    if (w_word(W_SOUND_ONCE_FLAG)) return;
    sound_stop_upper();
    sound_play_p_ungated(SOUND_GOAL << 16 | ONCE_PARAM);
    w_word_set(W_SOUND_ONCE_FLAG, 1);
}

void sound_once_flag_clear() {
    sound_call_trace("sound_once_flag_clear", -1, -1);
    w_word_set(W_SOUND_ONCE_FLAG, 0);
}

void scenery_sound_play(int32_t dx, int32_t dz) {
    sound_call_trace("scenery_sound_play", SOUND_SCENERY, -1);
    int32_t angle = math_atan2(dx, dz);
    int32_t c = math_cos(angle);
    int32_t scaled = wrap_shl(dz, 8);
    int32_t d = wrap_abs(wrap_abs(c) >= 32 ? wrap_div(scaled, c >> 5) : scaled);
    bool ahead = wrap_abs(int16_t(wrap_sub(angle, wram_long(W_CAMERA_HEADING)))) <= SCENERY_CONE;
    if (ahead ? d < SCENERY_AHEAD_RANGE : d <= SCENERY_RANGE) sound_play_p2val(SOUND_SCENERY, d >> 15);
}

void sound_stop(int32_t id) {
    sound_record r;
    if (traced_record("sound_stop", id, -1, &r)) command_change("sound_stop", id, r, 0, COMMAND_RUNNING);
}

void sound_stop_unless_held(int32_t id) {
    sound_call_trace("sound_stop_unless_held", id, -1);
    if (!hold_timer_runs()) sound_stop(id);
}

void sound_hold_and_defer(int32_t id) {
    sound_record r;
    if (!traced_record("sound_hold_and_defer", id, -1, &r)) return;
    command_change("sound_hold_and_defer", id, r, COMMAND_HELD, 0);
    w_word_set(W_SOUND_HOLD_TIMER, HOLD_FRAMES);
}

void running_bits_clear(int32_t first, int32_t last) {
    for (int32_t s = std::max(first, 0); s <= std::min(last, LAST_STOPPABLE); s++) {
        uint32_t word;
        if (slot_command(s, &word)) slot_command_set(s, word & ~COMMAND_RUNNING);
    }
}

void sound_params_reset() {
    sound_call_trace("sound_params_reset", -1, -1);
    int32_t slot;
    for (int32_t k = 0; param_reset_slot(k, &slot); k++) slot_param_set(slot, PARAM_FULL);
}

void sound_stop_all() {
    sound_call_trace("sound_stop_all", -1, -1);
    sound_params_reset();
    running_bits_clear(0, LAST_STOPPABLE);
}

void sound_reset_all() {
    sound_call_trace("sound_reset_all", -1, -1);
    sound_stop_all();
}

void sound_stop_upper() {
    sound_call_trace("sound_stop_upper", -1, -1);
    sound_params_reset();
    sound_record coin;
    if (!sound_record_read(SOUND_COIN, &coin) || coin.slot >= LAST_STOPPABLE) return;
    running_bits_clear(coin.slot + 1, LAST_STOPPABLE);
}

void sound_param_level_set(int32_t slot_level) {
    int32_t slot = slot_level >> 16, level = int16_t(slot_level);
    sound_call_trace("sound_param_level_set", slot, level & 0xFFFF);
    if (slot_level < LEVEL_ARG_MIN || slot_level > LEVEL_ARG_MAX) return;
    slot_param_set(slot, uint32_t(std::clamp(level + w_word(W_LEVEL_ADJUST), 0, 255)));
}

void sound_preset_from_rom() {
    sound_call_trace("sound_preset_from_rom", SOUND_PRESET, -1);
    sound_record r;
    uint32_t word;
    if (!sound_record_read(SOUND_PRESET, &r) || r.slot < 0 || (r.command & COMMAND_RUNNING)) return;
    if (slot_command(r.slot, &word) && word == (r.command | COMMAND_RUNNING)) slot_command_set(r.slot, r.command);
}

int32_t contact_pick(int32_t id, int32_t parameter, int32_t speed) {
    static const bool trace = env_present("SKYVOLTA_SNDTRIG");
    if (trace)
        fprintf(stderr, "T fc=%d st=%d sub=%d fn=contact_pick id=%x par=%x spd=%d\n", wram_long(W_FRAME_TICK),
                wram_long(W_GAME_STATE), wram_long(W_GAME_SUB_STATE), unsigned(id) & 0xFFFF,
                unsigned(parameter) & 0xFFFF, speed);
    if (id >= 2 && id <= 9) return 0;
    int32_t level = speed <= CONTACT_SLOW_SPEED ? CONTACT_SLOW_LEVEL : parameter;
    if (level > w_word(W_CONTACT_LEVEL)) w_word_set(W_CONTACT_LEVEL, level);
    return 1;
}

void sound_volumes_put() {
    for (uint32_t i = 0; i < 4; i++) bus_write16(AUX_SOUND_VOLUMES + 2 * i, uint32_t(w_cell(W_SOUND_VOLUMES + 2 * i)));
}

void sound_defer_tick() {
    int32_t timer = w_word(W_SOUND_HOLD_TIMER);
    if (timer < 0) return;
    w_word_set(W_SOUND_HOLD_TIMER, timer - 1);
    int32_t deferred = w_word(W_SOUND_DEFERRED_ID);
    if (timer - 1 >= 0 || deferred < 0) return;
    sound_play_or_defer(deferred);
    w_word_set(W_SOUND_DEFERRED_ID, -1);
}
