// Work-RAM layout of the terrain and the probe collision: the course's table addresses,
// the "stage" holding the player's current cell (lookup grids, vertex pointers, seeds,
// the current triangle and its history), the player's cell words, the six probe
// records, the dynamic zone arrays and the published probe outputs. W 0xXXXX below is
// the slot of work-RAM byte offset 0xXXXX; byte tables keep one byte per slot.
#pragma once
#include <cstdint>

#include "board/game_state_ram.h"  // chunk model base, ground points
#include "game/services/animated_objects_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"

// ---- Cell grid -------------------------------------------------------------------
constexpr int32_t CELL_SIZE = 0x18000;      // world units per cell side
constexpr int32_t CELL_COLUMNS = 8;
constexpr int32_t CELL_COUNT = 128;         // 8 columns x 16 rows
constexpr int32_t LATTICE_SIZE = 16;        // lattice points per side; g stands for (g - 1) steps
constexpr int32_t LATTICE_SHIFT = 13;       // 0x2000 units per lattice step
constexpr int32_t HEIGHT_STEP = 1024;       // world units per height byte step
constexpr int32_t NO_SURFACE_HEIGHT = 255;  // vertex height byte of "no surface"
constexpr int32_t NO_VERTEX = 0xFF;         // lookup grid and seed value of "none"
constexpr int32_t STAGE_LAYERS = 3;         // layers the stage layout holds
constexpr int32_t LAYER_VERTICES = 128;     // vertex pointers per layer

// player_cell, written every frame from the player's x and z
constexpr uint32_t W_PLAYER_CELL = 0x0D24;
constexpr uint32_t W_PLAYER_COLUMN = 0x0D28;
constexpr uint32_t W_PLAYER_ROW = 0x0D2C;
constexpr uint32_t W_PLAYER_CELL_X = 0x0D30;     // x mod 0x18000
constexpr uint32_t W_PLAYER_CELL_Z = 0x0D34;
constexpr uint32_t W_PLAYER_STEP_X = 0x0D38;     // lattice step within the cell
constexpr uint32_t W_PLAYER_STEP_Z = 0x0D3C;
constexpr uint32_t W_PLAYER_FRACTION_X = 0x0D40;  // x & 0x1FFF
constexpr uint32_t W_PLAYER_FRACTION_Z = 0x0D44;

// ---- Stage: the loaded cell --------------------------------------------------------
constexpr uint32_t W_LOADED_CELL = 0x0010;
constexpr uint32_t W_LOOKUP_GRID = 0x0014;     // + L x 256 + gz x 16 + gx: primary vertex index
constexpr uint32_t LOOKUP_GRID_SIZE = 256;
constexpr uint32_t W_VERTEX_POINTERS = 0x0314; // + L x 0x200 + k x 4: ROM address of vertex k
constexpr uint32_t VERTEX_POINTER_LAYER = 0x200;
constexpr uint32_t W_SEED_VERTEX = 0x0914;     // + L x 4

// The current triangle: corners, the angle sector of each corner, height, slopes,
// edge flags and the corner-test flag; 17 longs that the history stores as one entry.
constexpr uint32_t W_TRI_CORNERS = 0x0920;     // x0, z0, x1, z1, x2, z2
constexpr uint32_t W_CORNER_1 = W_TRI_CORNERS + 8;
constexpr uint32_t W_CORNER_2 = W_TRI_CORNERS + 16;
constexpr uint32_t W_TRI_SECTORS = 0x0938;     // from, to of corners 0, 1, 2
constexpr uint32_t W_SECTOR_1 = W_TRI_SECTORS + 8;
constexpr uint32_t W_SECTOR_2 = W_TRI_SECTORS + 16;
constexpr uint32_t W_TRI_HEIGHT = 0x0950;      // height byte (255 = no surface)
constexpr uint32_t W_TRI_SLOPE_X = 0x0954;
constexpr uint32_t W_TRI_SLOPE_Z = 0x0958;
constexpr uint32_t W_TRI_EDGE_FLAGS = 0x095C;
constexpr uint32_t W_TRI_THREE_CORNERS = 0x0960;
constexpr uint32_t TRIANGLE_LONGS = 17;

constexpr uint32_t W_STAGE_LAYER_COUNT = 0x0964;
constexpr uint32_t W_STAGE_LAYER_MASK = 0x0968;
constexpr uint32_t W_WALK_LAYER = 0x096C;      // layer being searched
constexpr uint32_t W_WALK_HISTORY = 0x0970;    // history entry being tested
constexpr uint32_t W_WORK_COUNT = 0x0974;      // column work list: count,
constexpr uint32_t W_WORK_ENTRIES = 0x0978;    // three entries,
constexpr uint32_t W_WORK_FLAGS = 0x0984;      // and their edge flags
constexpr uint32_t W_STAGE_CELL = 0x0990;
constexpr uint32_t W_STAGE_COLUMN = 0x0994;
constexpr uint32_t W_STAGE_ROW = 0x0998;
constexpr uint32_t W_STAGE_ORIGIN_X = 0x099C;
constexpr uint32_t W_STAGE_ORIGIN_Z = 0x09A0;

// Triangle history: two entries of 0x50 bytes per layer, held count and write index.
constexpr uint32_t W_HISTORY = 0x1F90;
constexpr uint32_t HISTORY_LAYER = 0x320;
constexpr uint32_t HISTORY_ENTRY = 0x50;
constexpr int32_t HISTORY_ENTRIES = 2;
constexpr uint32_t W_HISTORY_HELD = 0x28F0;    // + L x 4
constexpr uint32_t W_HISTORY_NEXT = 0x28FC;    // + L x 4

// The course's five table addresses, in the order of course_terrain_table.
constexpr uint32_t W_COURSE_TABLES = 0x2908;
enum course_table_slot { TABLE_GEOMETRY, TABLE_SLOPES, TABLE_LAYER_COUNTS, TABLE_LAYER_MASKS, TABLE_ZONES,
                    COURSE_TABLES };
// W_CHUNK_MODEL_BASE (0x12B4): board/game_state_ram.h.
constexpr uint32_t W_CHUNK_MASK_ADDRESS = 0x12B8;
constexpr uint32_t W_CHUNK_SLOTS = 0x1234;     // 128 bytes, one per cell
// The chunks seen this frame: per visible chunk i (0..59) the longs cell, x and z
// relative to the camera at W_VISIBLE_CHUNKS + 16 i, and their count. Minus the camera
// y goes into W_TRAIN_BASE_Y, where the train emitter reads it.
constexpr uint32_t W_VISIBLE_CHUNKS = 0x0E6C;
constexpr uint32_t VISIBLE_CHUNK_BYTES = 16;
constexpr uint32_t W_VISIBLE_COUNT = 0x122C;

// Column entry kinds and the end entries.
constexpr int32_t KIND_PASS = 4;
constexpr int32_t KIND_SOLID = 12;
constexpr int32_t COLUMN_TOP = 0x42000;
constexpr int32_t COLUMN_BOTTOM = -8192;
constexpr int32_t END_SURFACE = 1;

// ---- Pedal hints ----------------------------------------------------------------------
// Flags the HUD turns into messages, with the counters that hold them.
constexpr uint32_t W_RACE_FRAMES = 0x0E5C;      // frames since the race started
constexpr uint32_t W_HINT_PEDAL = 0x12F8;       // not pedalling at the start, or slow on a light pedal
constexpr uint32_t W_HINT_HIGH_CONTACT = 0x12FC;  // a look-ahead contact up high
// Hard pedalling into a look-ahead contact: the first long of probe 0's record, which no
// probe field uses.
constexpr uint32_t W_HINT_HARD_PEDAL = probe_field(PROBE_CENTRE, 0);
constexpr uint32_t W_PEDAL_IDLE = 0x09A4;       // set at race frame 120 while the pedal rests
constexpr uint32_t W_HINT_SPARE = 0x09A8;       // cleared with the others; nothing reads it
constexpr uint32_t W_HIGH_CONTACT_HOLD = 0x09AC;  // frames W_HINT_HIGH_CONTACT stays up
constexpr uint32_t W_HARD_PEDAL_HOLD = 0x09B0;  // frames W_HINT_HARD_PEDAL stays up

// ---- Dynamic zones ---------------------------------------------------------------------
// The sub-part rows of game/services/object_ram.h (count, x, y, z, heading, then the three
// rows of W_SUBPART_SIZE: the two half sizes, the first row, and the top height).
constexpr uint32_t W_SUBPART_HALF_B = W_SUBPART_SIZE + SUBPART_ROW_BYTES;
constexpr uint32_t W_SUBPART_TOP = W_SUBPART_SIZE + 2 * SUBPART_ROW_BYTES;

// The animated-object slots from 8 on carry dynamic zones (W_ANIMATED_SLOTS).

// ---- Published probe outputs ----------------------------------------------------------
// W_GROUND_POINTS (0x2A70): board/game_state_ram.h.
constexpr uint32_t W_CONTACT_COPY = 0x2AAC;    // five (offset x, offset z, offset y) triples
constexpr uint32_t W_CONTACT_HITS = 0x2AE8;    // hit flags of probes 0..4
constexpr uint32_t W_CONTACT_SURFACES = 0x2B10;  // surface bytes of probes 0..4
