#include "host/flight_log.h"

#include "base/byte_order.h"
#include "base/env_switch.h"
#include "board/board_memory.h"
#include "board/bus.h"
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
long mask_frame = -1;     // SKYVOLTA_MASKDUMP: the frame whose lookup grids are dumped
bool zones_written;       // the zone lines go out once, at the first racing frame
constexpr uint32_t ZONE_LINES = 16, ZONE_RAW_LONGS = 16;
constexpr int32_t RACING_STATE = 3, RACING_SUB_STATE = 3;

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
        const char* v = env_text("SKYVOLTA_FLIGHTBLOCK");
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

// Once, at the first racing frame: the dynamic zones, the collision's sub-part slots
// (the rows adjoin, so lines 12..15 show the next row's first longs), and the first
// longs of the course's zone table.
void zone_lines() {
    if (zones_written || w_cell(W_GAME_STATE) != RACING_STATE || w_cell(W_GAME_SUB_STATE) != RACING_SUB_STATE)
        return;
    zones_written = true;
    uint32_t table = uint32_t(course_table(TABLE_ZONES));
    fprintf(log_file, "# zones: count W[291C]=%ld  table W[2918]=%lX\n", long(w_cell(W_SUBPART_COUNT)),
            static_cast<unsigned long>(table));
    for (uint32_t i = 0; i < ZONE_LINES; i++) {
        auto at = [i](uint32_t base) { return long(w_cell(base + 4 * i)); };
        fprintf(log_file, "Z %2u x=%ld y=%ld z=%ld hdg=%lu ex=%ld ez=%ld f2A40=%ld\n", i, at(W_SUBPART_X),
                at(W_SUBPART_Y), at(W_SUBPART_Z), static_cast<unsigned long>(uint32_t(w_cell(W_SUBPART_ANGLE + 4 * i))),
                at(W_SUBPART_SIZE), at(W_SUBPART_SIZE + SUBPART_ROW_BYTES), at(W_SUBPART_SIZE + 2 * SUBPART_ROW_BYTES));
    }
    fputs("RAW", log_file);
    for (uint32_t k = 0; k < ZONE_RAW_LONGS; k++) fprintf(log_file, " %08X", uint32_t(bus_read32(table + 4 * k)));
    fputc('\n', log_file);
}

// At the SKYVOLTA_MASKDUMP frame: the loaded cell's three lookup grids, a line per
// layer and lattice row.
void mask_lines() {
    if (long(host_frame) != mask_frame) return;
    fprintf(log_file, "# MASK at f%u cell=%ld layers=%ld p=%ld,%ld,%ld\n", host_frame, long(w_cell(W_LOADED_CELL)),
            long(w_cell(W_STAGE_LAYER_COUNT)), long(w_cell(W_PLAYER_X)), long(w_cell(W_PLAYER_Y)),
            long(w_cell(W_PLAYER_Z)));
    for (uint32_t layer = 0; layer < STAGE_LAYERS; layer++)
        for (uint32_t row = 0; row < LATTICE_SIZE; row++) {
            fprintf(log_file, "M %u %2u", layer, row);
            uint32_t base = W_LOOKUP_GRID + layer * LOOKUP_GRID_SIZE + row * LATTICE_SIZE;
            for (uint32_t k = 0; k < LATTICE_SIZE; k++) fprintf(log_file, " %02X", w_cell_byte(base + k));
            fputc('\n', log_file);
        }
}

// Every frame: the six probes' contact heights; eb= the edge hold of the centre and wing
// probes; slope= the current triangle's slopes x and z, the flight's slope term, the
// triangle's height byte, edge flags and corner-test flag.
void surface_line() {
    fprintf(log_file, "S %u", host_frame);
    for (uint32_t p = 0; p < PROBE_COUNT; p++) fprintf(log_file, " %ld", long(w_cell(probe_field(p, PROBE_CONTACT))));
    auto w = [](uint32_t x) { return long(w_cell(x)); };
    fprintf(log_file, " eb=%ld,%ld,%ld slope=%ld,%ld,%ld,%ld,%ld,%ld\n", w(probe_field(PROBE_CENTRE, PROBE_EDGE_HOLD)),
            w(probe_field(PROBE_RIGHT_WING, PROBE_EDGE_HOLD)), w(probe_field(PROBE_LEFT_WING, PROBE_EDGE_HOLD)),
            w(W_TRI_SLOPE_X), w(W_TRI_SLOPE_Z), w(W_SLOPE_TERM), w(W_TRI_HEIGHT), w(W_TRI_EDGE_FLAGS),
            w(W_TRI_THREE_CORNERS));
}

}  // namespace

bool flight_log_open(const char* path) {
    flight_log_close();
    log_file = fopen(path, "w");
    zones_written = false;
    const char* mask = env_text("SKYVOLTA_MASKDUMP");
    mask_frame = mask && *mask ? strtol(mask, nullptr, 10) : -1;
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
    zone_lines();
    mask_lines();
    surface_line();
    block_lines();
    fflush(log_file);
}
