#include "host/env_switches.h"

// Stand-in until the host's switches (replay, recording, exit frame...) are read here.
void host_env_switches_read() {}
