// The 3D palette: the ROM's static colours with the run-time written entries over them.
#pragma once

void palette_source_init(const char* rom_dir);
