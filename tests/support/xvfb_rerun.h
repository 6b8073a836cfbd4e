// Windowed tests on a virtual X display: the test program runs one of its own cases
// again under xvfb-run, where SDL opens real X11 windows and events pushed into its
// queue come through the window system's event pump.
#pragma once
#include <string>

// True inside the re-run (the case's body then runs for real).
bool xvfb_rerun_child();
// Runs the test program's case `suite.name` under xvfb-run with SDL's X11 driver and
// the dummy audio driver; gives its exit status, its output in *out. -1 when xvfb-run
// is not installed.
int xvfb_rerun(const char* suite_and_name, std::string* out);
