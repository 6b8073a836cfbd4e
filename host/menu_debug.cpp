// The debug drop-downs: Levels (the level and ending jumps), Maps (the free-look course
// map) and Record (the flight recorder).
#include "host/flight_recorder.h"
#include "host/level_jump.h"
#include "host/map_view.h"
#include "host/menu_windows.h"

#include <cstdio>
#include <imgui.h>

namespace {

constexpr int COURSES = 4;
constexpr int NOVICE_COURSES = 3;
constexpr int BAD_ENDING_PHASE = 9;
constexpr float PHASE_COMBO_W = 160, PHASE_COMBO_H = 260, PHASE_ROW_H = 18;

const char* const ending_phase_names[ENDING_PHASE_MAX + 1] = {
    "0 fly-in", "1", "2", "3 staff roll", "4", "5", "6", "7 landing", "8 portrait", "9 BAD ending", "10", "11 re-enter",
    "12 END card",
};

const char* const map_view_help[] = {"MMB/LMB drag = orbit", "Shift+MMB / RMB = pan", "wheel = zoom",
                                     "WASD/QE = fly, Shift fast", "Ctrl = slow"};

void level_button(const char* label, bool advanced, int course) {
    if (!ImGui::Button(label)) return;
    level_request(advanced, course);
    menu_close();
}

void ending_button(const char* label, bool cleared, int phase) {
    if (!ImGui::Button(label)) return;
    ending_request(cleared, phase, ENDING_TOTAL_DEFAULT);
    menu_close();
}

void ending_phase_combo() {
    ImGui::SetNextItemWidth(PHASE_COMBO_W);
    ImGui::SetNextWindowSizeConstraints(ImVec2(PHASE_COMBO_W, 0), ImVec2(PHASE_COMBO_W, PHASE_COMBO_H));
    if (!ImGui::BeginCombo("##phase", ending_phase_names[menu.ending_phase_choice])) return;
    for (int i = 0; i <= ENDING_PHASE_MAX; i++)
        if (ImGui::Selectable(ending_phase_names[i], menu.ending_phase_choice == i, 0, ImVec2(0, PHASE_ROW_H)))
            menu.ending_phase_choice = i;
    ImGui::EndCombo();
}

}  // namespace

void levels_menu(SDL_Window*, bool*) {
    char label[48];
    ImGui::TextUnformatted("ADVANCED (story mode)");
    for (int c = 0; c < COURSES; c++) {
        if (c < COURSES - 1)
            snprintf(label, sizeof label, "Day %d  Level %d %s", c + 1, c + 1, level_course_names[c]);
        else
            snprintf(label, sizeof label, "Day %d  %s", c + 1, level_course_names[c]);
        ImGui::PushID(c);
        level_button(label, true, c);
        ImGui::PopID();
    }
    ImGui::TextUnformatted("NOVICE (point attack)");
    for (int c = 0; c < NOVICE_COURSES; c++) {
        snprintf(label, sizeof label, "Level %d %s", c + 1, level_course_names[c]);
        level_button(label, false, c);
    }
    ImGui::TextUnformatted("ENDING (cut scene + credits)");
    ending_button("Cleared", true, -1);
    ImGui::SameLine();
    ending_button("Bad (time up)", false, -1);
    ending_phase_combo();
    ImGui::SameLine();
    ending_button("Go to phase", menu.ending_phase_choice != BAD_ENDING_PHASE, menu.ending_phase_choice);
    ImGui::TextUnformatted("Keys: 1-3 NOVICE, 4 final stage.");
}

void maps_menu(SDL_Window*, bool*) {
    ImGui::TextUnformatted("Free-look course map");
    char label[16];
    for (int c = 0; c < COURSES; c++) {
        snprintf(label, sizeof label, "Course %d", c);
        if (!ImGui::Button(label)) continue;
        map_view_switch_on(c);
        menu_close();
    }
    if (ImGui::Button("Exit map view")) map_view_switch_off();
    for (const char* help : map_view_help) ImGui::TextUnformatted(help);
}

int record_status_lines(bool recording, char lines[RECORD_LINES_MAX][RECORD_LINE_SIZE]) {
    if (!recording) {
        const char* const idle[RECORD_LINES_MAX] = {"Records position, attitude, stick",
                                                    "and the COLLISION COLUMN per frame.",
                                                    "A frame with contact=1 is a wall.", "Key: F9 toggles without the menu."};
        for (int i = 0; i < RECORD_LINES_MAX; i++) snprintf(lines[i], RECORD_LINE_SIZE, "%s", idle[i]);
        return RECORD_LINES_MAX;
    }
    snprintf(lines[0], RECORD_LINE_SIZE, "REC  %d frames, %d contact, %d resets", recording_frames(),
             recording_contact_frames(), recording_resets());
    const char* path = recording_path();
    snprintf(lines[1], RECORD_LINE_SIZE, "%s", path ? path : "");
    snprintf(lines[2], RECORD_LINE_SIZE, "Fly the route, then Stop.");
    return 3;
}

void record_menu(SDL_Window*, bool*) {
    bool recording = recording_active();  // the lines below follow the state the frame began with
    if (ImGui::Button(recording ? "Stop recording" : "Start recording")) {
        if (recording)
            recording_stop();
        else
            recording_start();
    }
    char lines[RECORD_LINES_MAX][RECORD_LINE_SIZE];
    int n = record_status_lines(recording, lines);
    for (int i = 0; i < n; i++) ImGui::TextUnformatted(lines[i]);
}
