#include "host/flight_log.h"

#include "base/byte_order.h"
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/inputs.h"
#include "board/wram_cell.h"
#include "game/flow/object_ram.h"
#include "game/world/probe_ram.h"
#include "game/world/terrain_cells.h"
#include "game/world/terrain_ram.h"
#include "host/host_ram.h"
#include "host/terrain_cell.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t MODEL_CODE_BIAS = 69;
constexpr int32_t CHUNK_CODE_LO = 1099, CHUNK_CODE_HI = 1631;
constexpr uint32_t BLOCK_FIRST = 4900, BLOCK_LAST = 6652;  // the probe records' longs
constexpr uint32_t PACKET_WORDS = (DL_BUFFER_SIZE - DL_PACKET_OFFSET) / 4;
constexpr int32_t ENTRY_WORDS_4 = 4, ENTRY_WORDS_11 = 11;
constexpr int32_t NODE_FROM_MATRIX = 6;
constexpr uint32_t NODE_MATRIX_WORDS = 13, NODE_ANGLES_WORDS = 11, NODE_POSITION_WORDS = 15;

FILE* log_file;

// The F line names some longs by their offsets: z2918 and z2908 are the course's zone and
// geometry table addresses; its "zones" are the collision's sub-part slots
// (W_SUBPART_COUNT).
void f_line() {
    auto w = [](uint32_t x) { return long(w_cell(x)); };
    int32_t x = w_cell(W_PLAYER_X), z = w_cell(W_PLAYER_Z);
    terrain_cell c = terrain_cell_of(w_cell(W_COURSE_NUMBER), x, z);
    fprintf(log_file,
            "F %u st=%ld sub=%ld course=%ld p=%ld,%ld,%ld cam=%ld,%ld,%ld floor=%ld c1464=%ld c1964=%ld "
            "yaw12EC=%ld spd=%ld pitch=%ld hdg=%ld cell=%ld gx=%ld gz=%ld layers=%ld e10=%ld e38=%ld z2918=%ld "
            "z2908=%ld ped2C04=%ld zones=%ld h1324=%ld s12D4=%ld s12D0=%ld s12E4=%ld s12DC=%ld score=%ld tgt=%ld\n",
            host_frame, w(W_GAME_STATE), w(W_GAME_SUB_STATE), w(W_COURSE_NUMBER), long(x), w(W_PLAYER_Y), long(z),
            w(W_CAMERA_X), w(W_CAMERA_Y), w(W_CAMERA_Z), w(probe_field(PROBE_CENTRE, PROBE_CONTACT)),
            w(probe_field(PROBE_RIGHT_WING, PROBE_HIT)), w(probe_field(PROBE_LOOKAHEAD, PROBE_HIT)), w(W_WING_PUSH),
            w(W_PLAYER_SPEED), w(W_EASED_PITCH), w(W_EASED_HEADING) & 0xFFFF, long(c.cell), long(c.grid_x),
            long(c.grid_z), w(W_STAGE_LAYER_COUNT), w(W_GAME_MODE), w(W_COLLISION_OFF),
            long(int32_t(course_table(TABLE_ZONES))), long(int32_t(course_table(TABLE_GEOMETRY))), w(W_PEDAL_DELTA),
            w(W_SUBPART_COUNT), w(probe_field(PROBE_CENTRE, PROBE_HIT)),
            w(W_LOOKAHEAD_IMPACT), w(W_THRUST_OFF_TIMER), w(W_AVOID_STATE), w(W_LOOKAHEAD_FAST_AVOID),
            w(W_RUN_SCORE), w(W_TARGET_HEADING));
}

// SKYVOLTA_FLIGHTBLOCK "first,last": the probe block's longs for the frames in range.
void block_lines() {
    static bool read = false, on = false;
    static long first = 0, last = -1;
    if (!read) {
        read = true;
        const char* v = getenv("SKYVOLTA_FLIGHTBLOCK");
        on = v && sscanf(v, "%ld,%ld", &first, &last) == 2;
    }
    if (!on || long(host_frame) < first || long(host_frame) > last) return;
    fprintf(log_file, "B %u py=%ld floor=%ld\n", host_frame, long(w_cell(W_PLAYER_Y)),
            long(w_cell(probe_field(PROBE_CENTRE, PROBE_CONTACT))));
    for (uint32_t x = BLOCK_FIRST; x <= BLOCK_LAST; x += 4) fprintf(log_file, "%X %08X\n", x, uint32_t(w_cell(x)));
}

// A "T" line for every terrain-chunk model of the current buffer: the model code and
// the three words after the model. The walk ends at the cursor.
void chunk_lines() {
    const int32_t* area = dl_packet_area(dl_buffer_current());
    const int32_t* cursor = dl_cursor_get();
    uint32_t n = cursor >= area && cursor <= area + PACKET_WORDS ? uint32_t(cursor - area) : 0;
    int32_t entry = ENTRY_WORDS_4;
    auto model = [&](uint32_t at) {
        int32_t code = sign_extend24(uint32_t(area[at])) + MODEL_CODE_BIAS;
        int32_t words[3] = {0, 0, 0};
        for (uint32_t k = 0; k < 3 && at + 1 + k < n; k++) words[k] = sign_extend24(uint32_t(area[at + 1 + k]));
        if (code >= CHUNK_CODE_LO && code <= CHUNK_CODE_HI)
            fprintf(log_file, "T %d %d %d %d\n", code, words[0], words[1], words[2]);
    };
    for (uint32_t i = 0; i < n;) {
        int32_t v = sign_extend24(uint32_t(area[i]));
        if (v == DL_END) break;
        if (v >= 0 && v < DL_HEADER_4) {  // an entry under the last header
            model(i);
            i += uint32_t(entry);
            continue;
        }
        switch (v) {
        case DL_HEADER_4:
            entry = ENTRY_WORDS_4;
            i += 2;
            break;
        case DL_HEADER_11_HUD:
        case DL_HEADER_11:
            entry = ENTRY_WORDS_11;
            i += 2;
            break;
        case DL_NODE:  // from a matrix; from angles, with or without a position
            if (i + 2 < n && sign_extend24(uint32_t(area[i + 2])) == NODE_FROM_MATRIX)
                i += NODE_MATRIX_WORDS;
            else
                i += i + 10 < n && sign_extend24(uint32_t(area[i + 10])) == DL_END ? NODE_ANGLES_WORDS
                                                                                   : NODE_POSITION_WORDS;
            break;
        case DL_NODE_COMPOSE:
            i += 4;
            break;
        case DL_NODE_MODEL:  // model, slot, dx, dy, dz
            if (i + 1 < n) model(i + 1);
            i += 6;
            break;
        case DL_LINK:
            i += i + 1 < n && sign_extend24(uint32_t(area[i + 1])) == DL_END ? 2 : 4;
            break;
        default:
            i++;
            break;
        }
    }
}

}  // namespace

bool flight_log_open(const char* path) {
    flight_log_close();
    log_file = fopen(path, "w");
    if (!log_file) fprintf(stderr, "[FLIGHTLOG] cannot write %s: %s\n", path, strerror(errno));
    return log_file != nullptr;
}

void flight_log_close() {
    if (log_file) fclose(log_file);
    log_file = nullptr;
}

void flight_log_frame() {
    if (!log_file) return;
    f_line();
    chunk_lines();
    block_lines();
    fflush(log_file);
}
