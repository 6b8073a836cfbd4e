#include "host/loop_hooks.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "board/game_state_ram.h"
#include "host/host_ram.h"
#include "host/level_jump.h"
#include "host/main_loop.h"
#include "host/options.h"
#include "host/terrain_cell.h"
#include "render/model_placement.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t STAGE_START_FRAME = 10;
constexpr long WARPSEQ_HOLD_DEFAULT = 60;
constexpr int WARPSEQ_POINTS_MAX = 64;

struct warp_point {
    long x, y, z;
};

struct loop_switches {
    bool read;
    bool no_autostart, story;
    int course;
    bool level_set, ending_set, level_done;
    bool level_advanced, ending_cleared;
    int level_course, ending_phase, ending_total;
    uint32_t level_frame;
    long test_pause;  // -1 off
    bool pausecam;
    double pausecam_offsets[3];
    bool warp, warp_done, warp_heading_set;
    long warp_frame, warp_heading;
    warp_point warp_at;
    int warpseq_count;
    long warpseq_hold, warpseq_frames;
    int warpseq_shown;  // the point last announced, -1 none
    warp_point warpseq[WARPSEQ_POINTS_MAX];
    bool test_warp, test_warp_heading_set;
    long test_warp_frame, test_warp_heading;
    warp_point test_warp_at;
};
loop_switches sw;

void warpseq_parse(const char* text) {
    sw.warpseq_hold = WARPSEQ_HOLD_DEFAULT;
    if (const char* at = strchr(text, '@')) {
        long hold = strtol(text, nullptr, 10);
        sw.warpseq_hold = hold >= 1 ? hold : 1;
        text = at + 1;
    }
    while (*text && sw.warpseq_count < WARPSEQ_POINTS_MAX) {
        warp_point& p = sw.warpseq[sw.warpseq_count];
        if (sscanf(text, "%ld,%ld,%ld", &p.x, &p.y, &p.z) == 3) sw.warpseq_count++;
        const char* next = strchr(text, ';');
        if (!next) break;
        text = next + 1;
    }
}

void switches_read() {
    if (sw.read) return;
    sw.read = true;
    sw.no_autostart = env_present("SKYVOLTA_NO_AUTOSTART");
    sw.story = env_present("SKYVOLTA_STORY");
    sw.course = env_int("SKYVOLTA_COURSE", 0);
    if (sw.course < 0 || sw.course > 3) sw.course = 0;
    const char* level = env_text("SKYVOLTA_LEVEL");
    uint32_t ending_frame = 0;
    sw.level_set = parse_level_spec(level, &sw.level_advanced, &sw.level_course, &sw.level_frame);
    sw.ending_set = parse_ending_spec(level, &sw.ending_cleared, &sw.ending_phase, &ending_frame);
    if (sw.ending_set) sw.level_frame = ending_frame;
    sw.ending_total = env_int("SKYVOLTA_ENDING_TOTAL", ENDING_TOTAL_DEFAULT, true);
    sw.test_pause = env_int("SKYVOLTA_TEST_PAUSE", -1, true);
    if (const char* v = env_text("SKYVOLTA_TEST_PAUSECAM"))
        sw.pausecam = sscanf(v, "%lf,%lf,%lf", &sw.pausecam_offsets[0], &sw.pausecam_offsets[1],
                             &sw.pausecam_offsets[2]) >= 2;
    if (const char* v = env_text("SKYVOLTA_WARP")) {
        int n = sscanf(v, "%ld,%ld,%ld,%ld,%ld", &sw.warp_at.x, &sw.warp_at.y, &sw.warp_at.z, &sw.warp_frame,
                       &sw.warp_heading);
        sw.warp = n >= 3;
        if (n < 4) sw.warp_frame = 0;
        sw.warp_heading_set = n == 5;
    }
    sw.warpseq_shown = -1;
    if (const char* v = env_text("SKYVOLTA_WARPSEQ")) warpseq_parse(v);
    if (const char* v = env_text("SKYVOLTA_TEST_WARP")) {
        int n = sscanf(v, "%ld:%ld,%ld,%ld,%ld", &sw.test_warp_frame, &sw.test_warp_at.x, &sw.test_warp_at.y,
                       &sw.test_warp_at.z, &sw.test_warp_heading);
        sw.test_warp = n >= 4;
        sw.test_warp_heading_set = n == 5;
    }
}

bool racing() {
    return w_cell(W_GAME_STATE) == STATE_GAMEPLAY && w_cell(W_GAME_SUB_STATE) == SUB_RACING;
}

void player_position_set(const warp_point& p) {
    both_images_long(W_PLAYER_X, int32_t(p.x));
    both_images_long(W_PLAYER_Y, int32_t(p.y));
    both_images_long(W_PLAYER_Z, int32_t(p.z));
}

void player_heading_set(long heading) {
    both_images_long(W_EASED_HEADING, int32_t(heading));
    both_images_long(W_TARGET_HEADING, int32_t(heading));
}

// SKYVOLTA_STAGEDBG: a line whenever state, sub-state or course changes.
void course_log() {
    static int32_t last[3] = {-1, -1, -1};
    if (!stage_debug) return;
    int32_t now[3] = {w_cell(W_GAME_STATE), w_cell(W_GAME_SUB_STATE), w_cell(W_COURSE_NUMBER)};
    if (memcmp(now, last, sizeof now) == 0) return;
    memcpy(last, now, sizeof now);
    fprintf(stderr, "[COURSE] f%u state=%ld sub=%ld course=%ld\n", host_frame, long(now[0]), long(now[1]),
            long(now[2]));
}

void stage_start(int course) {
    both_images_long(W_COURSE_NUMBER, course);
    both_images_long(W_GAME_STATE, STATE_STAGE_START);
}

// At frame 10: the --autostart course, else in a headless run SKYVOLTA_COURSE (story
// mode with SKYVOLTA_STORY) unless SKYVOLTA_NO_AUTOSTART.
void auto_start(const command_line* cl) {
    if (host_frame != STAGE_START_FRAME) return;
    if (cl && cl->autostart_course >= 0) {
        if (verbose_enabled()) printf("[AUTO] Forcing stage start (course %d)\n", cl->autostart_course);
        stage_start(cl->autostart_course);
        return;
    }
    if (!headless || sw.no_autostart) return;
    printf("  [SIM] Forcing stage start (course %d) at frame 10\n", sw.course);
    stage_start(sw.course);
    if (sw.story) both_images_word(W_GAME_MODE, 1);
}

void level_spec_request() {
    if (sw.level_done || (!sw.level_set && !sw.ending_set) || host_frame < sw.level_frame) return;
    sw.level_done = true;
    if (sw.level_set)
        level_request(sw.level_advanced, sw.level_course);
    else
        ending_request(sw.ending_cleared, sw.ending_phase, sw.ending_total);
}

void warp_once() {
    if (!sw.warp || sw.warp_done || !racing() || long(host_frame) < sw.warp_frame) return;
    sw.warp_done = true;
    player_position_set(sw.warp_at);
    both_images_long(W_PLAYER_SPEED, 0);
    if (sw.warp_heading_set) player_heading_set(sw.warp_heading);
    printf("[WARPDBG] WARPED at f=%u\n", host_frame);
}

// Each point held for its frames by writing it every racing frame; then the list ends.
void warp_sequence() {
    if (!sw.warpseq_count || !racing()) return;
    long index = sw.warpseq_frames / sw.warpseq_hold;
    if (index >= sw.warpseq_count) return;
    sw.warpseq_frames++;
    const warp_point& p = sw.warpseq[index];
    player_position_set(p);
    if (sw.warpseq_shown == index) return;
    sw.warpseq_shown = int(index);
    printf("[WARPSEQ] point (%ld,%ld,%ld) held %ld frames from f%u\n", p.x, p.y, p.z, sw.warpseq_hold, host_frame);
}

}  // namespace

void loop_hooks_before_step(const command_line* cl) {
    switches_read();
    course_log();
    auto_start(cl);
    level_spec_request();
    if (sw.test_pause >= 0 && long(host_frame) == sw.test_pause && !paused) pause_toggle("TEST_PAUSE");
    warp_once();
    warp_sequence();
}

void loop_hooks_paused() {
    switches_read();
    if (!sw.pausecam) return;
    pause_view.yaw = sw.pausecam_offsets[0];
    pause_view.pitch = sw.pausecam_offsets[1];
    pause_view.distance = sw.pausecam_offsets[2];
}

void loop_hooks_after_clear() {
    switches_read();
    if (!sw.test_warp || long(host_frame) != sw.test_warp_frame) return;
    player_position_set(sw.test_warp_at);
    char heading[32] = "";
    if (sw.test_warp_heading_set) {
        player_heading_set(sw.test_warp_heading);
        snprintf(heading, sizeof heading, " heading=%ld", sw.test_warp_heading);
    }
    terrain_cell c = terrain_cell_of(w_cell(W_COURSE_NUMBER), int32_t(sw.test_warp_at.x), int32_t(sw.test_warp_at.z));
    printf("[WARP] f%ld -> player (%ld,%ld,%ld)%s  cell=%ld\n", long(host_frame), sw.test_warp_at.x,
           sw.test_warp_at.y, sw.test_warp_at.z, heading, long(c.cell));
}
