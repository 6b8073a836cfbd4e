#include "host/frame_pacing.h"

#include <cstdarg>
#include <cstdio>

pacing_record pacing;
pacing_ops pacing_io;

namespace {

constexpr uint64_t NS_PER_S = 1000000000;
constexpr uint64_t NS_PER_MS = 1000000;
constexpr int ACCEPTED_RATES[] = {0, 24, 30, 50, 60, 75, 90, 120, 144, 165, 240};

char rate_text[96];  // the mode text of the last set_picture_rate at another rate

bool display_near_game_rate(int hz) {
    return hz <= 0 || (hz >= 59 && hz <= 61);
}

void log_line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void log_line(const char* fmt, ...) {
    char line[256];
    va_list args;
    va_start(args, fmt);
    vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    pacing_io.log(line);
}

// Swap interval 1 when SDL accepts it (vsync active), else interval 0.
void vsync_try() {
    pacing.vsync_active = pacing_io.swap_interval_set(1);
    if (!pacing.vsync_active) pacing_io.swap_interval_set(0);
}

// Sleeps to 1.5 ms before t when more than 2 ms remain, then spins until t.
void wait_until(uint64_t t) {
    uint64_t now = pacing_io.now_ns();
    if (now >= t) return;
    if (t - now > SLEEP_MIN_NS) pacing_io.delay_ms(uint32_t((t - now - SLEEP_MARGIN_NS) / NS_PER_MS));
    while (pacing_io.now_ns() < t) {
    }
}

bool accepted(int rate) {
    for (int r : ACCEPTED_RATES)
        if (r == rate) return true;
    return false;
}

// The swap at the game rate and the vsync test; true while vsync is the wait.
bool vsync_swap_paces() {
    if (!pacing.vsync_active) return false;
    int count = ++pacing.vsync_test_count;
    if (count == VSYNC_TEST_REFERENCE + 1) pacing.vsync_test_reference = pacing_io.now_ns();
    if (count < VSYNC_TEST_MEASURE) return true;
    uint64_t now = pacing_io.now_ns();
    uint64_t measured = now - pacing.vsync_test_reference;
    pacing.vsync_test_count = VSYNC_TEST_REFERENCE;
    if (measured >= VSYNC_TEST_MIN_NS) return true;
    pacing.vsync_wanted = pacing.vsync_active = 0;
    pacing_io.swap_interval_set(0);
    pacing.game_clock = now;
    log_line("[HOST] vsync does not block here (%.1f ms a frame): timer-paced at 59.906 Hz\n",
             double(measured / 50) / double(NS_PER_MS));
    return false;
}

void pace_game_rate() {
    pacing_io.present();
    pacing.shown++;
    if (vsync_swap_paces()) return fps_log_tick();
    pacing.game_clock += GAME_PERIOD_NS;
    uint64_t now = pacing_io.now_ns();
    if (now < pacing.game_clock)
        wait_until(pacing.game_clock);
    else if (now - pacing.game_clock > REANCHOR_NS)
        pacing.game_clock = now;
    fps_log_tick();
}

void pace_other_rate() {
    pacing_record& p = pacing;
    uint64_t deadline = p.game_clock + GAME_PERIOD_NS;
    p.shown_this_frame = 0;
    p.captured_this_frame = 0;
    if (p.picture_clock < deadline) {
        p.shown_this_frame = 1;
        wait_until(p.picture_clock);
        if (p.picture_period < GAME_PERIOD_NS) {
            p.captured_this_frame = pacing_io.reshow_capture(p.reshow_test != 0);
            if (p.captured_this_frame && p.reshow_test) p.reshow_test = 1;
        }
        pacing_io.present();
    }
    uint64_t now = pacing_io.now_ns();
    if (p.picture_clock + p.picture_period < now)
        p.picture_clock += (now - p.picture_clock) / p.picture_period * p.picture_period;
    if (p.picture_clock < deadline) {
        if (p.shown_this_frame) p.shown++;
        for (p.picture_clock += p.picture_period; p.picture_clock < deadline; p.picture_clock += p.picture_period) {
            if (!p.shown_this_frame || !p.captured_this_frame) continue;
            wait_until(p.picture_clock);
            bool differs = pacing_io.reshow_draw(p.reshow_test == 1);
            if (p.reshow_test == 1) {
                p.reshown_checked++;
                p.reshown_differing += differs;
            }
            pacing_io.present();
            p.shown++;
        }
    }
    p.game_clock = deadline;
    now = pacing_io.now_ns();
    if (now > p.game_clock && now - p.game_clock > REANCHOR_NS) {
        p.vsync_test_count = 0;
        p.game_clock = p.picture_clock = now;
    } else {
        wait_until(p.game_clock);
    }
    fps_log_tick();
}

}  // namespace

void pacing_setup(int display_hz, int vsync_switch, bool fps_log, bool vsync_check) {
    pacing = pacing_record{};
    pacing.display_hz = display_hz;
    pacing.vsync_wanted = vsync_switch >= 0 ? vsync_switch != 0 : (display_hz >= 59 && display_hz <= 61);
    if (pacing.vsync_wanted) {
        vsync_try();
        pacing.vsync_wanted = pacing.vsync_active;
    } else {
        pacing_io.swap_interval_set(0);
    }
    pacing.picture_period = GAME_PERIOD_NS;
    pacing.requested_rate = -1;
    pacing.fps_log = fps_log;
    pacing.reshow_test = vsync_check ? -1 : 0;
    pacing.game_clock = pacing.picture_clock = pacing_io.now_ns();
}

const char* pacing_mode_text() {
    if (pacing.picture_rate) return rate_text;
    return pacing.vsync_active ? "vsync" : "timer-paced at 59.906 Hz";
}

void set_picture_rate(int rate) {
    if (!accepted(rate)) {
        if (pacing.requested_rate == 0) return;
        rate = 0;
    }
    if (rate == pacing.requested_rate) return;
    pacing.requested_rate = rate;
    if (rate == 60 || (rate == 0 && display_near_game_rate(pacing.display_hz))) {
        pacing.picture_rate = 0;
        pacing.picture_period = GAME_PERIOD_NS;
        if (pacing.vsync_wanted)
            vsync_try();
        else {
            pacing.vsync_active = 0;
            pacing_io.swap_interval_set(0);
        }
    } else {
        pacing.picture_rate = rate ? rate : pacing.display_hz;
        pacing.picture_period = NS_PER_S / uint64_t(pacing.picture_rate);
        if (rate == 0) {
            vsync_try();
        } else {
            pacing.vsync_active = 0;
            pacing_io.swap_interval_set(0);
        }
        snprintf(rate_text, sizeof rate_text, "%s %d pictures/s%s (game 59.906 Hz)",
                 rate ? "locked at" : "Auto: the display's", pacing.picture_rate, pacing.vsync_active ? ", vsync" : "");
    }
    pacing.fps_log_time = 0;
    pacing.vsync_test_count = 0;
    pacing.game_clock = pacing.picture_clock = pacing_io.now_ns();
    log_line("[HOST] pictures: %s\n", pacing_mode_text());
}

void pacing_present_and_wait() {
    if (pacing.picture_rate == 0)
        pace_game_rate();
    else
        pace_other_rate();
}

void fps_log_tick() {
    pacing_record& p = pacing;
    if (p.picture_rate == 0 && !p.fps_log) return;
    uint64_t now = pacing_io.now_ns();
    if (p.fps_log_time && ++p.game_frames < FPS_LOG_FRAMES) return;
    if (p.fps_log_time) {
        double seconds = double(now - p.fps_log_time) / double(NS_PER_S);
        char extra[96] = "";
        if (p.reshow_test)
            snprintf(extra, sizeof extra, "; re-shown pictures checked %u, differing %u", p.reshown_checked,
                     p.reshown_differing);
        log_line("[FPS] %s: %.2f pictures/s (%u game frames, %.2f/s)%s\n",
                 p.picture_rate ? "locked" : p.vsync_active ? "vsync" : "timer-paced at 59.906 Hz",
                 p.shown / seconds, p.game_frames, p.game_frames / seconds, extra);
    }
    p.fps_log_time = now;
    p.game_frames = p.shown = p.reshown_checked = p.reshown_differing = 0;
}
