// Frame pacing at the board's 59.906 Hz: vsync when the display runs at 59-61 Hz and a
// swap really waits, else an absolute timer (sleep to 1.5 ms before the deadline, then
// spin; re-anchor when more than 100 ms late); other picture rates drop or re-show
// pictures around the game frames.
//
// The logic works through pacing_ops so that it can run on an injected clock; the
// window's ops (SDL and GL) are installed by pacing_init.
#pragma once
#include <cstdint>

constexpr uint64_t GAME_PERIOD_NS = 16693000;
constexpr uint64_t SLEEP_MARGIN_NS = 1500000;  // wake this early, then spin
constexpr uint64_t SLEEP_MIN_NS = 2000000;     // sleep only when more than this remains
constexpr uint64_t REANCHOR_NS = 100000000;    // later than this: re-anchor, no catch-up
constexpr uint32_t FPS_LOG_FRAMES = 600;
constexpr int VSYNC_TEST_REFERENCE = 10;       // the swap that leaves 10 records the reference
constexpr int VSYNC_TEST_MEASURE = 60;         // the 60th measures 50 swaps
constexpr uint64_t VSYNC_TEST_MIN_NS = 600000000;  // 50 blocking swaps take at least this

struct pacing_ops {
    uint64_t (*now_ns)();
    void (*delay_ms)(uint32_t ms);
    void (*present)();
    bool (*swap_interval_set)(int interval);  // false when refused
    // Copies the back buffer into the re-show texture; false for a drawable of zero
    // size. With take_reference, the 16 test pixels become the reference.
    bool (*reshow_capture)(bool take_reference);
    // Draws the re-show texture over the drawable; true when, with compare, a test
    // pixel differs from the reference.
    bool (*reshow_draw)(bool compare);
    void (*log)(const char* line);  // a line for stderr
};

struct pacing_record {
    uint8_t vsync_active, vsync_wanted;
    int display_hz;
    int vsync_test_count;
    uint64_t vsync_test_reference;
    int picture_rate;            // 0: pictures at the game rate
    int requested_rate;          // -1 before the first set_picture_rate
    uint64_t game_clock;         // scheduled start of the current game frame
    uint64_t picture_period;
    uint64_t picture_clock;      // time of the next picture
    uint8_t shown_this_frame;
    uint8_t captured_this_frame;
    int reshow_test;             // 0 off, -1 armed by ENG_VSYNC_CHECK, 1 reference taken
    uint32_t game_frames, shown, reshown_checked, reshown_differing;
    uint64_t fps_log_time;       // 0: none yet
    bool fps_log;                // ENG_FPSLOG present
    bool rate_fixed;             // ENG_FPS given
};

extern pacing_record pacing;
extern pacing_ops pacing_io;

// Clears the record and sets it up for a display rate: vsync wanted at 59-61 Hz or as
// vsync_switch says (-1: not given), swap interval 1 asked for when wanted, both clocks
// at now. Prints nothing.
void pacing_setup(int display_hz, int vsync_switch, bool fps_log, bool vsync_check);
// The "[HOST] display %d Hz, %s" start-up line's text after the comma.
const char* pacing_mode_text();
// Chooses picture rate and vsync from a requested pictures per second.
void set_picture_rate(int rate);
// Presents this iteration's picture and waits for the next game frame.
void pacing_present_and_wait();
// Counts a game frame; the [FPS] line every 600 when a picture rate is set or ENG_FPSLOG.
void fps_log_tick();
