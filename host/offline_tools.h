// Offline image tools: each runs headless over a frame dump and ends the program.
#pragma once
#include "host/options.h"

// Runs the first offline tool asked for (--texttest, --sprtest, --geodump, --geotest);
// true on success.
bool offline_tool_run(const command_line* cl);
