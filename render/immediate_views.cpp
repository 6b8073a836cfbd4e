#include "render/immediate_views.h"

#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/wram.h"
#include "render/dl_walker.h"
#include "render/map_view_scene.h"
#include "render/model_diagnostics.h"
#include "render/renderer_switches.h"

#include <SDL_opengl.h>
#include <algorithm>
#include <cstdio>

namespace {

constexpr double ANGLE_DEGREES = 0.005493164;   // 360 / 65536

struct preview_state {
    int frames;
    bool level_reported;
};
preview_state preview;

int32_t angle_word(uint32_t offset) {
    return int16_t(wram_long(offset) & 0xFFFF);
}

// The chunks of the 8 x 16 grid from the terrain base, each at its cell's corner
// relative to the camera.
void level_chunks_draw() {
    int32_t base = wram_long(W_CHUNK_MODEL_BASE);
    if (base <= 0) {
        if (!preview.level_reported)
            printf("[LEVEL] terrain base not set (W[0x12B4]=%d), press 'g' first\n", base);
        preview.level_reported = true;
        return;
    }
    int drawn = 0;
    for (int row = 0; row < COURSE_ROWS; row++)
        for (int col = 0; col < COURSE_COLUMNS; col++) {
            double x = double(col) * COURSE_CELL_UNITS - wram_long(W_CAMERA_X);
            double y = -double(wram_long(W_CAMERA_Y));
            double z = double(row) * COURSE_CELL_UNITS - wram_long(W_CAMERA_Z);
            if (track_models_log(base + row * COURSE_COLUMNS + col, x, y, z) > 0) drawn++;
        }
    if (!preview.level_reported) printf("[LEVEL] Rendered %d terrain chunks (base=%d)\n", drawn, base);
    preview.level_reported = true;
}

}  // namespace

void perspective_preview_draw() {
    int32_t heading = angle_word(W_CAMERA_HEADING), pitch = angle_word(W_CAMERA_PITCH);
    double heading_deg = heading * ANGLE_DEGREES, pitch_deg = pitch * ANGLE_DEGREES;
    if (preview.frames < 2 || preview.frames % 100 == 0) {
        auto w = [](uint32_t at) { return long(wram_long(at)); };
        printf("  [CAM] heading=%d (%.1f°) pitch=%d (%.1f°) cam=(%ld,%ld,%ld) player=(%ld,%ld,%ld)\n", heading,
               heading_deg, pitch, pitch_deg, w(W_CAMERA_X), w(W_CAMERA_Y), w(W_CAMERA_Z), w(W_PLAYER_X),
               w(W_PLAYER_Y), w(W_PLAYER_Z));
    }
    preview.frames++;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.3333317, 1.3333317, -0.9999987, 0.9999987, 1, 500000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1, -1, -1);
    glTranslatef(-free_camera.x, -free_camera.y, -free_camera.z);
    glRotated(pitch_deg, 1, 0, 0);
    glRotated(heading_deg, 0, 1, 0);
    walk_display_list();
    if (level_view) level_chunks_draw();
}

void model_viewer_draw() {
    int32_t code = int32_t(model_viewer.code);
    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    float g = 2.5f;
    if (model_vertex_box(code, lo, hi)) {
        float extent = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
        if (extent > 0) g = 2.5f * extent;
    }
    double near = 0.01 * g, top = 0.41421318 * near, right = top * 4.0 / 3.0;
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-right, right, -top, top, near, 100.0 * g);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -g);
    glRotatef(-20, 1, 0, 0);
    glRotatef(model_viewer.spin, 0, 1, 0);
    glTranslatef(-(lo[0] + hi[0]) / 2, -(lo[1] + hi[1]) / 2, -(lo[2] + hi[2]) / 2);
    track_models_log(code, 0, 0, 0);
    glDisable(GL_DEPTH_TEST);
    model_viewer.spin += 0.5f;
}
