// SKYVOLTA_FLIGHTLOG: a per-iteration text log of the flight for studying the terrain
// walk. Each iteration after the sound step: an "F" line of the player, camera, probe
// and flight words; a "T" line per terrain-chunk model packet of the current display
// list (walked no further than the cursor); once, at the first racing frame, the zone
// lines ("# zones", "Z", "RAW"); at the SKYVOLTA_MASKDUMP frame the loaded cell's lookup
// grids ("# MASK", "M"); an "S" line of the probes' contacts and the surface words; within
// SKYVOLTA_FLIGHTBLOCK's frame range a "B" line and the probe block's longs.
#pragma once

// Opens (truncates) the log and reads SKYVOLTA_MASKDUMP; false, with a line, when it cannot be written.
bool flight_log_open(const char* path);
void flight_log_close();

// Step 9 of an iteration.
void flight_log_frame();
