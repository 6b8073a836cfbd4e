#include "render/map_view_scene.h"

#include "render/model_placement.h"
#include "render/model_walk.h"
#include "render/quad_sink.h"
#include "render/wide_margins.h"

#include <SDL_opengl.h>
#include <cmath>
#include <cstring>

namespace {

constexpr int32_t CHUNK_BASE[4] = {0x495, 0x515, 0x595, 0x615};
constexpr float GRADIENT_TOP[3] = {0.13f, 0.06f, 0.20f};
constexpr float GRADIENT_BOTTOM[3] = {0.02f, 0.01f, 0.04f};
constexpr int32_t ONE = 0x7FFF;
constexpr int32_t MAP_FOCAL = 0x4548, MAP_SHIFT = 5, MAP_PRIO_BASE = 7;

void gradient_draw() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glBegin(GL_QUADS);
    glColor3fv(GRADIENT_TOP);
    glVertex2f(float(hud_margin_left), 0);
    glVertex2f(float(hud_margin_right), 0);
    glColor3fv(GRADIENT_BOTTOM);
    glVertex2f(float(hud_margin_right), 480);
    glVertex2f(float(hud_margin_left), 480);
    glEnd();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_ALPHA_TEST);
}

}  // namespace

int32_t terrain_chunk_model(int32_t course, int32_t cell) {
    if (course < 0 || course > 3 || cell < 0 || cell >= COURSE_COLUMNS * COURSE_ROWS) return -1;
    return CHUNK_BASE[course] + cell;
}

void map_view_placement(const float rotation[9], const float position[3], float zoom, double x, double z,
                        int32_t m[9], int32_t t[3]) {
    const float* r = rotation;
    const double centre[3] = {COURSE_COLUMNS * COURSE_CELL_UNITS / 2.0, 0, COURSE_ROWS * COURSE_CELL_UNITS / 2.0};
    // The eye backs away from the target along the camera's forward axis (column 2).
    double back = MAP_VIEW_DISTANCE * zoom;
    double eye[3];
    for (int k = 0; k < 3; k++) eye[k] = centre[k] + position[k] - r[3 * k + 2] * back;
    const double rel[3] = {x - eye[0], -eye[1], z - eye[2]};
    // World to camera is the transpose; the model rotation's element (j, i) is rotation
    // row j, column i, which is the rotation's own row-major order.
    for (int k = 0; k < 9; k++) m[k] = int32_t(std::lround(r[k] * ONE)) >> 1;
    for (int i = 0; i < 3; i++) {
        double v = r[i] * rel[0] + r[3 + i] * rel[1] + r[6 + i] * rel[2];
        t[i] = int32_t(std::fmax(std::fmin(v, 2147483520.0), -2147483520.0));
    }
}

void map_view_scene_draw(int course, const float rotation[9], const float position[3], float zoom) {
    gradient_draw();
    for (int cell = 0; cell < COURSE_COLUMNS * COURSE_ROWS; cell++) {
        geo_camera_record c;
        memset(&c, 0, sizeof c);
        double x = double(cell % COURSE_COLUMNS) * COURSE_CELL_UNITS, z = double(cell / COURSE_COLUMNS) * COURSE_CELL_UNITS;
        int32_t t[3];
        map_view_placement(rotation, position, zoom, x, z, c.m, t);
        c.tx = t[0], c.ty = t[1], c.tz = t[2];
        for (int k = 0; k < 9; k++) c.v[k] = int32_t(std::lround(rotation[k] * ONE));
        c.focal = MAP_FOCAL, c.shift = MAP_SHIFT, c.prio_base = MAP_PRIO_BASE;
        c.lx = 0, c.ly = 0x5A82, c.lz = -0x5A82;
        c.ambient = 20, c.light_scale = 200;
        geo_camera_set(&c);
        // The chunk's model number, drawn at its point-ROM code as the race draws it.
        int32_t code = terrain_chunk_model(course, cell) + MODEL_CODE_OFFSET;
        geo_current_code = code;
        model_quads_emit(code, quad_sink_live, nullptr);
        geo_current_code = -1;
    }
}
