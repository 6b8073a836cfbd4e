#include "game/services/course_timers.h"

#include "board/board_memory.h"
#include "board/eeprom_settings.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/services/flight_ram.h"
#include "game/services/gameplay_ram.h"
#include "game/services/run_ram.h"

#include <algorithm>

namespace {

constexpr int32_t LAST_STAGE = 3;
constexpr int32_t STAGE_ROWS_MAX = 4;   // the stage table's last row: 4 or more stages
constexpr int32_t GRADE_MAX = 6;
constexpr int32_t RESULT_WORDS = 8;     // course results 0..7 are booked

// Bookkeeping words are 16-bit and wrap.
void word_raise(uint32_t address, int32_t by = 1) {
    w_write16(address, uint32_t(w_read16(address) + by));
}
void cell_add(uint32_t x, int32_t delta) {
    w_cell_set(x, int32_t(uint32_t(w_cell(x)) + uint32_t(delta)));
}

bool timing_enabled() {
    return w_word(W_TIMING_ENABLED) != 0;
}

// The course of stage j (0..3) as the stage started it; -1 and below: none recorded.
int32_t stage_course(int32_t j) {
    return int8_t(w_cell_byte(W_STAGE_COURSES + uint32_t(j)));
}

// The multi-stage game's tables: the stage reached by stage count, and per course the
// courses flown after it.
void book_story(int32_t stages_before) {
    int32_t stage = w_word(W_STAGE_INDEX), result = w_word(W_COURSE_RESULT);
    int32_t reached = result ? stage + 1 : stage;
    if (reached >= 0 && reached <= STAGE_ROWS_MAX && stages_before >= 0)
        word_raise(BOOK_STAGE_TABLE + 10 * uint32_t(std::min(stages_before, STAGE_ROWS_MAX)) + 2 * uint32_t(reached));
    int32_t t = stage_course(0);
    if (t < 0 || t > 3) return;
    word_raise(BOOK_STORY_COURSES + 20 * uint32_t(t));
    uint32_t a = stage_course(1) != (t == 0 ? 1 : 0) ? 1 : 0;
    for (int32_t j = 0; j < 3; j++)
        if (stage_course(j + 1) >= 0) word_raise(BOOK_STORY_STAGES + 20 * uint32_t(t) + 10 * a + 2 * uint32_t(j));
    if (stage == LAST_STAGE && result) word_raise(BOOK_STORY_CLEARED + 20 * uint32_t(t) + 10 * a);
}

// The single-course game: the course's frames, its count and its result (0..7); the
// count word is the result-0 word, so result 0 raises it twice.
void book_course() {
    int32_t t = stage_course(0);
    if (t < 0 || t > 3) return;
    cell_add(W_BOOK_COURSE_FRAMES + 4 * uint32_t(t), w_cell(W_COURSE_FRAMES));
    uint32_t row = BOOK_COURSE_RESULTS + 16 * uint32_t(t);
    word_raise(row);
    int32_t result = w_word(W_COURSE_RESULT);
    if (result >= 0 && result < RESULT_WORDS) word_raise(row + 2 * uint32_t(result));
}

}  // namespace

void course_timer_start() {
    if (!timing_enabled()) return;
    w_cell_set(W_COURSE_FRAMES, w_cell(W_FRAME_COUNTER));
    w_word_set(W_COURSE_RUNNING, 1);
    int32_t stage = w_cell(W_COURSE_PAIR);
    int32_t index = std::min(stage, LAST_STAGE);
    w_word_set(W_STAGE_INDEX, index);
    // A negative stage would write below the four course bytes: it records no course.
    if ((index < LAST_STAGE || stage > 2) && index >= 0)
        w_cell_set(W_STAGE_COURSES + uint32_t(index), int8_t(w_cell(W_COURSE_NUMBER)));
}

void course_timer_step() {
    if (w_word(W_STAGE_TIMING)) {
        w_cell_set(W_LAST_STAGE_FRAME, w_cell(W_FRAME_COUNTER));
        w_cell_set(W_STAGE_FRAMES, w_cell(W_FRAME_COUNTER) - w_cell(W_STAGE_FRAMES));
    } else {
        w_word_set(W_IDLE_STAGES, w_word(W_IDLE_STAGES) + 1);
    }
    w_word_set(W_STAGE_TIMING, 0);
    w_word_set(W_STAGE_COUNT, w_word(W_STAGE_COUNT) + 1);
}

void course_timer_finish() {
    if (!timing_enabled() || !w_word(W_COURSE_RUNNING)) return;
    if (w_word(W_GAME_MODE)) {
        w_word_set(W_COURSE_RESULT, w_cell(W_STAGE_QUOTA) <= w_cell(W_TIME_SCORE) ? 1 : 0);
    } else {
        w_cell_set(W_COURSE_FRAMES, w_cell(W_FRAME_COUNTER) - w_cell(W_COURSE_FRAMES));
        w_word_set(W_COURSE_RESULT, std::clamp(w_word(W_COURSE_GRADE) + 1, 1, GRADE_MAX));
    }
    w_word_set(W_COURSE_RUNNING, 0);
}

void course_timer_update() {
    if (!timing_enabled()) return;
    int32_t elapsed;
    if (w_word(W_STAGE_TIMING)) {
        elapsed = w_cell(W_FRAME_COUNTER) - w_cell(W_STAGE_FRAMES);
        w_cell_set(W_STAGE_FRAMES, elapsed);
    } else {
        cell_add(W_BOOK_IDLE_FRAMES, w_cell(W_FRAME_COUNTER) - w_cell(W_LAST_STAGE_FRAME));
        w_word_set(W_IDLE_STAGES, w_word(W_IDLE_STAGES) + 1);
        elapsed = w_cell(W_STAGE_FRAMES);
    }
    int32_t stages_before = w_word(W_STAGE_COUNT);
    cell_add(W_BOOK_PLAY_FRAMES, w_cell(W_FRAME_COUNTER) - w_cell(W_GAME_START_FRAME));
    w_cell_set(W_TIMING_ENABLED, 0);
    cell_add(W_BOOK_STAGE_FRAMES, elapsed);
    w_word_set(W_STAGE_COUNT, stages_before + 1);
    word_raise(WRAM_BASE + W_BOOK_GAMES);
    word_raise(WRAM_BASE + W_BOOK_GAMES + 2, w_word(W_IDLE_STAGES));
    word_raise(WRAM_BASE + W_BOOK_STAGES, w_word(W_STAGE_COUNT));
    if (w_word(W_GAME_MODE))
        book_story(stages_before);
    else
        book_course();
    eeprom_sync_all();
}

void stage_state_reset() {
    for (uint32_t x : {W_FRAME_COUNTER, W_BOOK_PLAY_FRAMES, W_BOOK_STAGE_FRAMES, W_BOOK_IDLE_FRAMES, W_BOOK_GAMES})
        w_cell_set(x, 0);
    for (uint32_t t = 0; t < 4; t++) w_cell_set(W_BOOK_COURSE_FRAMES + 4 * t, 0);
    w_word_set(W_BOOK_STAGES, 0);
    for (uint32_t a = BOOK_WORDS_FIRST; a < BOOK_WORDS_END; a += 2) w_write16(a, 0);
}
