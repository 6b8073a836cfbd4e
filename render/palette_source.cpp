#include "render/palette_source.h"

// Stand-in until the palette source exists.
void palette_source_init(const char*) {}
