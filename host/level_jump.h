// The level jump: a course or an ending reached without playing through. A request
// (number keys, SKYVOLTA_LEVEL, the menu) sends the game to its stage start; gameplay
// initialisation then lets level_apply rewrite mode, course and sub-state, and the
// course-select screen is steered to the course by pressing Start at set frames.
#pragma once
#include <cstdint>

constexpr int ENDING_PHASE_MAX = 12;
constexpr int ENDING_TOTAL_DEFAULT = 8995;

enum level_request_state { LEVEL_NONE = 0, LEVEL_REQUESTED = 1, LEVEL_APPLIED = 2 };

struct level_jump_record {
    int state;               // level_request_state
    int course;              // 0..3
    bool advanced;           // story mode rather than point attack
    uint32_t request_frame;  // host frame of the request
    uint32_t arrival_frame;  // host frame the course select was first seen, 0 none
    bool ending_pending;
    bool cleared;            // the ending after a cleared game, else time up
    int total;               // score total handed to the ending
    int ending_phase;        // 0..12 to start the ending at, -1 none
};
extern level_jump_record level_jump;

// The four course names, also the menu's labels.
extern const char* const level_course_names[4];

// SKYVOLTA_STAGEDBG, read by the start-up block: the stage-debug lines.
extern bool stage_debug;

// "ADVANCED day %d  %s" or "NOVICE  %s"; "?" for a course outside 0..3. The buffer is
// reused by each call.
const char* level_label(bool advanced, int course);

// Clamps the course (advanced 0..3, novice 0..2), records the request and sends the
// game to its stage start through the byte image the next frame step imports.
void level_request(bool advanced, int course);
// An advanced course 3 request that ends in the ending: cleared or time up, the phase to
// start at (0..12, else none) and the score total.
void ending_request(bool cleared, int phase, int total);

// Called by gameplay initialisation every time it runs (through level_apply_hook):
// rewrites the work-RAM words of the waiting request. False, changing nothing, when no
// request waits.
bool level_apply();

// Called by the input layer every frame: true while Start is to be held to steer the
// course select to the requested course.
bool level_stage_chosen_log();

// SKYVOLTA_LEVEL forms. A level spec: "adv"/"A" or "nov"/"N", then ":course" or a digit
// before any '@', then "@frame" (frame 10 by default). False for an ending spec.
bool parse_level_spec(const char* text, bool* advanced, int* course, uint32_t* frame);
// An ending spec: "end", then ":bad" (or a field beginning 'b' or 'f'), ":phase",
// "@frame".
bool parse_ending_spec(const char* text, bool* cleared, int* phase, uint32_t* frame);
