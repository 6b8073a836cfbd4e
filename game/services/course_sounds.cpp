#include "game/services/course_sounds.h"

#include "board/bus.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/runtime_services.h"
#include "game/services/area_sounds.h"
#include "game/services/gameplay_ram.h"
#include "game/services/sound_commands.h"
#include "game/services/sound_ram.h"
#include "game/services/sound_tables.h"

#include <algorithm>

namespace {

constexpr int32_t SILENT_ATTRACT_PHASE = 20;  // keeps whatever plays
constexpr int32_t LAST_COURSE = 3;
constexpr int32_t FADE_FULL = 255;

// The opening parameter words of slots 1, 2, 5, 6, 7, 8.
struct slot_word {
    int32_t slot;
    uint32_t word;
};
constexpr slot_word OPENING_PARAMS[] = {{1, 0x2000}, {2, 0x0020}, {5, 0x2000}, {6, 0x00FF}, {7, 0x2000}, {8, 0x00FF}};
// Course 3's opening command words.
constexpr slot_word LAST_COURSE_COMMANDS[] = {{1, 0x40D1}, {2, 0x40D2}, {4, 0x40D4}};

bool opening_sounds_wanted(int32_t state) {
    if (state == 3 || state == 10) return true;
    int32_t word;
    return state == 1 && attract_phase_sound(wram_long(W_ATTRACT_PHASE), &word) && word != 0 &&
           wram_long(W_ATTRACT_SOUND) != 0;
}

}  // namespace

void course_start_sound_play() {
    sound_call_trace("course_start_sound_play", -1, -1);
    int32_t id;
    if (course_sound_id(wram_long(W_COURSE_NUMBER), &id)) sound_play_or_defer(id);
}

void course_sounds_full() {
    sound_call_trace("course_sounds_full", -1, -1);
    int32_t slot;
    for (int32_t k = 0; course_slot(wram_long(W_COURSE_NUMBER), k, &slot); k++) slot_param_set(slot, 0x00FF);
}

void course_sounds_fade_in() {
    sound_call_trace("course_sounds_fade_in", -1, -1);
    int32_t level = std::min(w_word(W_COURSE_FADE_LEVEL) + 1, FADE_FULL);
    w_word_set(W_COURSE_FADE_LEVEL, level);
    int32_t slot;
    uint32_t word;
    for (int32_t k = 0; course_slot(wram_long(W_COURSE_NUMBER), k, &slot); k++) {
        if (!slot_param(slot, &word)) continue;
        int32_t f = int32_t(word) + 1;
        slot_param_set(slot, f > FADE_FULL ? 0x00FF : uint32_t(std::max(f, level)));
    }
}

void sound_course_reset() {
    for (uint32_t i = 0; i < 4; i++) bus_write16(AUX_SOUND_VOLUMES + 2 * i, 0);
    int32_t state = wram_long(W_GAME_STATE);
    if (!(state == 1 && wram_long(W_ATTRACT_PHASE) == SILENT_ATTRACT_PHASE)) sound_stop_all();
    if (opening_sounds_wanted(state)) {
        sound_play(SOUND_COURSE_RESET);
        for (const slot_word& p : OPENING_PARAMS) slot_param_set(p.slot, p.word);
        if (state == 3) {
            sound_play_or_defer(wram_long(W_COURSE_NUMBER) == LAST_COURSE ? SOUND_RACE_MUSIC_LAST : SOUND_RACE_MUSIC);
            if (wram_long(W_COURSE_NUMBER) == LAST_COURSE)
                for (const slot_word& c : LAST_COURSE_COMMANDS) slot_command_set(c.slot, c.word);
        }
        music_stem_reset(1);
    }
    wram_long_set(W_STEM_WAIT, 0);
    wram_long_set(W_CLIMB_COUNTER, 0);
    wram_long_set(W_SOUND_COOLDOWN, 0);
    wram_long_set(W_SOUND_LAYER_2C, 0);
    wram_long_set(W_LAST_RACE_TIMER, 0x7FFF7FFF);
    wram_long_set(W_IDLE_FRAME_MARK, wram_long(W_FRAME_COUNTER));
    wram_long_set(W_IDLE_FLAG, wram_long(W_GAME_SUB_STATE));
    wram_long_set(W_SOUND_ONCE_FLAG, 0x0000FFFF);  // hold level 0xFFFF, play-once flag 0
    wram_long_set(W_AREA_CELL, -1);                // no area sound, no cell
    w_word_set(W_COURSE_FADE_LEVEL, 0);
    w_word_set(W_CONTACT_BITS, 0);
    wram_long_set(W_POINT_COOLDOWN, wram_long(W_PLAYER_HEADING) & 0xFFFF);
}
