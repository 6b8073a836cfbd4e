#include "host/settings.h"

int freeplay_override = -1;
