// The host's environment switches, read once at start-up.
#pragma once

void host_env_switches_read();
