#include "render/palette_source.h"

#include "board/board_memory.h"
#include "render/side_files.h"

#include <cstdio>
#include <cstring>

uint8_t palette_3d[PALETTE_BYTES];
bool palette_3d_ready = false;

namespace {

constexpr uint32_t STATIC_PALETTE = 0x21B204;    // groups 1..127: 256 R, 256 G, 256 B bytes each
constexpr uint32_t OVERRIDE_COUNT = 0xB85B4;     // word: groups from 116 on replaced below
constexpr uint32_t OVERRIDE_TRIPLES = 0xB5EC0;   // RGB triples, 0x300 bytes per group
constexpr uint32_t OVERRIDE_FIRST_GROUP = 116;
constexpr uint32_t OVERRIDE_MAX_GROUPS = 12;     // 116 + 12 = 128: never past the last group

uint8_t composed[PALETTE_BYTES];
bool composed_base_ready = false;  // unmarked entries of `composed` hold palette_3d

void static_palette_build() {
    memset(palette_3d, 0, 3 * 256);
    for (uint32_t k = 1; k < 128; k++) {
        const uint8_t* block = program_rom + STATIC_PALETTE + 0x300 * (k - 1);
        for (uint32_t j = 0; j < 256; j++) {
            uint8_t* e = palette_3d + 3 * (256 * k + j);
            e[0] = block[j];
            e[1] = block[0x100 + j];
            e[2] = block[0x200 + j];
        }
    }
    uint32_t n = load_be16(program_rom + OVERRIDE_COUNT);
    if (n > OVERRIDE_MAX_GROUPS) n = OVERRIDE_MAX_GROUPS;
    memcpy(palette_3d + 3 * 256 * OVERRIDE_FIRST_GROUP, program_rom + OVERRIDE_TRIPLES, 0x300 * n);
}

}  // namespace

void palette_source_init(const char* rom_dir) {
    composed_base_ready = false;
    char path[SIDE_PATH_MAX];
    if (side_path(path, "%s/palette_runtime.bin", rom_dir) && side_file_read(path, palette_3d, PALETTE_BYTES)) {
        printf("  [3D] Palette: runtime dump (%s)\n", path);
    } else {
        static_palette_build();
        printf("  [3D] Palette: ROM static (group 127, the runtime colour ramps, is filled by the game)\n");
    }
    palette_3d_ready = true;
}

const uint8_t* palette_compose() {
    if (!palette_3d_ready) return nullptr;
    if (!composed_base_ready) {
        for (uint32_t e = 0; e < PALETTE_ENTRIES; e++) {
            composed[e] = palette_3d[3 * e];
            composed[PALETTE_ENTRIES + e] = palette_3d[3 * e + 1];
            composed[2 * PALETTE_ENTRIES + e] = palette_3d[3 * e + 2];
        }
        composed_base_ready = true;
    }
    // A mark is never cleared, so only the marked entries can differ from last time.
    for (uint32_t i = 0; i < palette_written_count; i++) {
        uint32_t e = palette_written_list[i];
        composed[e] = palette_ram[e];
        composed[PALETTE_ENTRIES + e] = palette_ram[PALETTE_ENTRIES + e];
        composed[2 * PALETTE_ENTRIES + e] = palette_ram[2 * PALETTE_ENTRIES + e];
    }
    return composed;
}
