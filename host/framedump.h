// Frame-dump files (poly_f*.bin) and their viewer.
#pragma once

// Opens a frame-dump file or a directory of them for viewing; false with one line.
bool framedump_open(const char* path);
