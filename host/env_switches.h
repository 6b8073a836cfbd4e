// The start-up block of environment switches: read once, after the menu has applied the
// settings file and the --set overrides, before the input devices open.
#pragma once

// In the documented order: the renderer's switches, the replay (SKYVOLTA_REPLAY) and the
// recording (SKYVOLTA_RECORD), the board's and the host input's switches, the stage-debug
// lines (SKYVOLTA_STAGEDBG), the character-RAM and blink logs, the sound diagnostics, the
// model watch range (SKYVOLTA_WATCH), the animated objects' and scenery's switches
// (object_switches). The level jump's apply hook is filled here too.
void host_env_switches_read();
