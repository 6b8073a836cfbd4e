// The flight log's per-iteration lines: the F line, the terrain-chunk packets of the
// display list (never past the cursor), the zone and mask dumps, the S line and the probe
// block of SKYVOLTA_FLIGHTBLOCK.
#include "board/board_memory.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram_cell.h"
#include "game/services/object_ram.h"
#include "game/services/probe_ram.h"
#include "game/services/terrain_ram.h"
#include "host/flight_log.h"
#include "host/host_ram.h"
#include "tests/support/test_files.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// SKYVOLTA_FLIGHTBLOCK is read once per process: the case runs in a child with it set.
TEST(FlightLog, ChunkPacketsUpToTheCursor) {
    std::string out;
    EXPECT_EQ(test_child_run("SKYVOLTA_FLIGHTBLOCK=41,41", "FlightLogChild.ChunkPacketsUpToTheCursor", &out), 0) << out;
}

TEST(FlightLogChild, ChunkPacketsUpToTheCursor) {
    if (!test_child()) GTEST_SKIP() << "run by FlightLog.ChunkPacketsUpToTheCursor";
    std::string dir = temp_dir_make("flightlog");
    board_memory_clear();
    dsp_init();
    host_frame = 41;
    w_cell_set(W_PLAYER_X, 0x18000 * 3);
    w_cell_set(W_COURSE_NUMBER, 0);
    const int32_t packets[] = {
        DL_HEADER_4, 0, 1104, 10, 20, 30,      // code 1173: a chunk
        50, 1, 2, 3,                           // code 119: not a chunk
        DL_NODE, 4, 1, -1, -1, -1, -1, -1, -1, 0x1000, 0, 1, 2, 3, -1,  // a node whose pairs hold -1
        DL_HEADER_11, 0, 1562, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0,  // code 1631, the last chunk code
        DL_NODE_MODEL, 1030, 4, -5, -6, -7,    // code 1099, drawn through a node
        DL_LINK, -1,
        DL_HEADER_4, 0, 1200, 1, 1, 1,         // past the cursor: not walked
    };
    int32_t* area = dl_packet_area(dl_buffer_current());
    for (size_t i = 0; i < sizeof packets / sizeof packets[0]; i++) area[i] = packets[i];
    dl_cursor_set(area + sizeof packets / sizeof packets[0] - 6);
    ASSERT_TRUE(flight_log_open((dir + "/flight.log").c_str()));
    flight_log_frame();
    flight_log_close();
    std::vector<std::string> lines = file_lines(dir + "/flight.log");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("F 41 st=0 sub=0 course=0 p=294912,0,0 cam=0,0,0 ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(" cell=3 gx=3 gz=0 "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "T 1173 10 20 30");
    EXPECT_EQ(lines[2], "T 1631 7 8 9");
    EXPECT_EQ(lines[3], "T 1099 4 -5 -6");
    EXPECT_EQ(lines[4], "S 41 0 0 0 0 0 0 eb=0,0,0 slope=0,0,0,0,0,0");
    EXPECT_EQ(lines[5], "B 41 py=0 floor=0");
    EXPECT_EQ(lines[6], "1324 00000000");
    EXPECT_EQ(lines.back(), "19FC 00000000");
    EXPECT_EQ(lines.size(), 6u + (6652 - 4900) / 4 + 1);
    temp_dir_remove(dir);
}

// The zone lines go out once, at the first racing frame; the lookup grids only at the
// SKYVOLTA_MASKDUMP frame.
TEST(FlightLog, ZonesOnceAndTheMaskAtItsFrame) {
    std::string dir = temp_dir_make("flightlog");
    board_memory_clear();
    dsp_init();
    dl_cursor_set(dl_packet_area(dl_buffer_current()));
    w_cell_set(W_GAME_STATE, 3);
    w_cell_set(W_GAME_SUB_STATE, 3);
    w_cell_set(W_SUBPART_COUNT, 2);
    w_cell_set(W_SUBPART_X + 4, -70);           // slot 1
    w_cell_set(W_SUBPART_ANGLE + 4, -0x4000);   // printed unsigned
    w_cell_set(W_SUBPART_SIZE + 2 * SUBPART_ROW_BYTES + 4, 900);  // top of slot 1
    w_cell_set(probe_field(PROBE_NOSE, PROBE_CONTACT), 1234);
    w_cell_set(W_LOOKUP_GRID + 2 * LOOKUP_GRID_SIZE + 15 * LATTICE_SIZE + 15, 0xAB);  // layer 2, row 15, last
    w_cell_set(W_LOADED_CELL, 9);
    setenv("SKYVOLTA_MASKDUMP", "8", 1);
    ASSERT_TRUE(flight_log_open((dir + "/flight.log").c_str()));
    unsetenv("SKYVOLTA_MASKDUMP");
    for (host_frame = 7; host_frame <= 9; host_frame++) flight_log_frame();
    flight_log_close();
    std::vector<std::string> lines = file_lines(dir + "/flight.log");
    auto count = [&](const char* prefix) {
        int n = 0;
        for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0;
        return n;
    };
    EXPECT_EQ(count("# zones: count W[291C]=2  table W[2918]=0"), 1);
    EXPECT_EQ(count("Z "), 16);
    EXPECT_EQ(count("RAW "), 1);
    EXPECT_EQ(count("# MASK at f8 cell=9 layers=0 p=0,0,0"), 1);
    EXPECT_EQ(count("M "), 48);
    EXPECT_EQ(count("S "), 3);
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("Z  1 x=-70 y=0 z=0 hdg=4294950912 ex=0 ez=0 f2A40=900"));
    EXPECT_TRUE(has("M 2 15 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 AB"));
    EXPECT_TRUE(has("S 9 0 0 0 1234 0 0 eb=0,0,0 slope=0,0,0,0,0,0"));
    temp_dir_remove(dir);
}

TEST(FlightLog, AnUnwritablePathIsReported) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(flight_log_open("/nonexistent/dir/flight.log"));
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("[FLIGHTLOG] cannot write /nonexistent/dir/flight.log: ", 0),
              0u);
    flight_log_frame();  // nothing open: nothing happens
}

}  // namespace
