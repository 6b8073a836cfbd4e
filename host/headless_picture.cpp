#include "host/headless_picture.h"

#include "base/env_switch.h"
#include "base/run_flags.h"
#include "board/board_memory.h"
#include "host/map_view.h"
#include "render/cz_fog.h"
#include "render/wide_margins.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int SHOT_HEIGHT = 480;
constexpr uint32_t PALETTE_DUMP_ENTRIES = 8192;
constexpr uint32_t PLANE = 0x8000;

bool file_write_all(const char* path, const void* data, size_t n, const char* header = nullptr) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = (!header || fputs(header, f) >= 0) && fwrite(data, 1, n, f) == n;
    return fclose(f) == 0 && ok;
}

}  // namespace

bool picture_colour_staged;

bool ppm_write(const char* path, int width, int height, const uint8_t* rgb) {
    char header[48];
    snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
    return file_write_all(path, rgb, size_t(width) * size_t(height) * 3, header);
}

uint8_t* picture_read_back(int width, int height, bool colour_table) {
    if (width <= 0 || height <= 0) return nullptr;
    size_t row = size_t(width) * 3, bytes = row * size_t(height);
    uint8_t* pixels = static_cast<uint8_t*>(malloc(bytes));
    uint8_t* flipped = static_cast<uint8_t*>(malloc(bytes));
    if (pixels && flipped) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        // The map view is no picture of the board: its shots are what the window shows.
        if (colour_table && !picture_colour_staged && !map_view_active())
            for (size_t i = 0; i < bytes; i += 3) mixer_colour_lut_apply(&pixels[i], &pixels[i + 1], &pixels[i + 2]);
        for (int y = 0; y < height; y++) memcpy(flipped + row * size_t(y), pixels + row * size_t(height - 1 - y), row);
    } else {
        free(flipped);
        flipped = nullptr;
    }
    free(pixels);
    return flipped;
}

bool headless_screenshot_write(const char* path) {
    int width = int(hud_margin_right - hud_margin_left + 0.5);
    uint8_t* rgb = picture_read_back(width, SHOT_HEIGHT, true);
    if (!rgb) {
        fprintf(stderr, "malloc failed for screenshot\n");
        return false;
    }
    bool ok = ppm_write(path, width, SHOT_HEIGHT, rgb);
    free(rgb);
    if (!ok) {
        fprintf(stderr, "Can't open %s\n", path);
        return false;
    }
    printf("Screenshot saved to %s\n", path);
    return true;
}

bool dspram_dump_write() {
    if (!file_write_all("dspram_dump.bin", dspram, sizeof dspram)) return false;
    printf("DSP RAM dumped to dspram_dump.bin (%d bytes)\n", int(sizeof dspram));
    return true;
}

bool wram_dump_write() {
    if (!file_write_all("wram_dump.bin", wram_bytes, sizeof wram_bytes)) return false;
    printf("Work RAM dumped to wram_dump.bin (%d bytes)\n", int(sizeof wram_bytes));
    return true;
}

bool palette_dump_write() {
    static uint8_t triples[PALETTE_DUMP_ENTRIES * 3];
    for (uint32_t i = 0; i < PALETTE_DUMP_ENTRIES; i++)
        for (uint32_t c = 0; c < 3; c++) triples[3 * i + c] = palette_ram[PLANE * c + i];
    if (!file_write_all("palette_dump.bin", triples, sizeof triples)) return false;
    if (verbose_enabled()) printf("PALETTE DUMPED to palette_dump.bin (8192 entries)\n");
    return true;
}

bool headless_end(const char* screenshot_path) {
    bool written = headless_screenshot_write(screenshot_path);
    dspram_dump_write();
    if (env_present("SKYVOLTA_WRAMDUMP")) wram_dump_write();
    run_flag = 0;
    return written;
}
