// The drop-downs that change the settings: File, Display, Audio and Controls.
#include "board/bus.h"
#include "board/eeprom_settings.h"
#include "host/display_settings.h"
#include "host/input_update.h"
#include "host/menu_windows.h"
#include "host/settings.h"
#include "render/renderer_switches.h"
#include "sound/audio_output.h"

#include <imgui.h>

namespace {

const int picture_rates[] = {0, 24, 30, 50, 60, 75, 90, 120, 144, 165, 240};
constexpr int RATE_COUNT = int(sizeof picture_rates / sizeof picture_rates[0]);
constexpr float ARROW_W = 30, RATE_LABEL_W = 230;
constexpr float RESOLUTIONS_H = 150;
constexpr double WIDE_MODE = 1.4;
constexpr float BINDING_COLUMN = 120;

const char* const window_mode_labels[] = {"Windowed", "Fullscreen (desktop)", "Fullscreen (exclusive)"};

void drawable_or_window_size(SDL_Window* window, int* w, int* h) {
    SDL_GL_GetDrawableSize(window, w, h);
    if (*w <= 0 || *h <= 0) SDL_GetWindowSize(window, w, h);
}

void frame_rate_row() {
    host_settings_state& s = host_settings;
    ImGui::TextUnformatted("Frame rate (the game always runs at 60)");
    float x0 = ImGui::GetCursorPosX(), gap = ImGui::GetStyle().ItemSpacing.x;
    int step = 0;
    if (ImGui::Button("<", ImVec2(ARROW_W, 0))) step = -1;
    ImGui::SameLine();
    if (s.frame_rate == 0)
        ImGui::TextUnformatted("Auto (default: the display's rate)");
    else if (s.frame_rate == 60)
        ImGui::TextUnformatted("60 fps (one per game frame)");
    else
        ImGui::Text("%d fps", s.frame_rate);
    ImGui::SameLine(x0 + ARROW_W + RATE_LABEL_W + 2 * gap);
    if (ImGui::Button(">", ImVec2(ARROW_W, 0))) step = 1;
    if (!step) return;
    s.frame_rate = frame_rate_step(s.frame_rate, step);
    menu.display_changed = true;
}

void resolution_list(SDL_Window* window) {
    host_settings_state& s = host_settings;
    ImGui::TextUnformatted("Resolution (render size, scaled to the window)");
    if (display_modes.count == 0) build_display_modes(window);
    int rw = 0, rh = 0, dw = 0, dh = 0;
    render_size(window, &rw, &rh);
    drawable_or_window_size(window, &dw, &dh);
    if (rw <= 0 || rh <= 0) {
        rw = dw;
        rh = dh;
    }
    bool wide_note = s.widescreen && s.resolution_w > 0 && s.resolution_w != rw;
    ImGui::Text("Rendering %d x %d  %s%s", rw, rh, aspect_name(rw, rh), wide_note ? "  (widescreen)" : "");
    ImGui::Text("  window %d x %d px", dw, dh);
    if (ImGui::BeginChild("resolutions", ImVec2(0, RESOLUTIONS_H), true)) {
        bool native = s.resolution_w == 0 && s.resolution_h == 0;
        if (ImGui::Selectable("Native (window size)", native) && !native) resolution_choose(window, 0, 0);
        for (int i = 0; i < display_modes.count; i++) {
            const display_mode_entry& m = display_modes.modes[i];
            char label[64];
            snprintf(label, sizeof label, "%d x %d  %s", m.w, m.h, aspect_name(m.w, m.h));
            bool chosen = s.resolution_w == m.w && s.resolution_h == m.h;
            if (ImGui::Selectable(label, chosen) && !chosen) resolution_choose(window, m.w, m.h);
        }
    }
    ImGui::EndChild();
}

}  // namespace

const char* aspect_name(int w, int h) {
    double r = h > 0 ? double(w) / h : 0;
    return r < 1.3 ? "5:4" : r < 1.4 ? "4:3" : r < 1.65 ? "16:10" : r < 1.85 ? "16:9" : "21:9";
}

int frame_rate_step(int rate, int direction) {
    int at = 0;
    for (int i = 0; i < RATE_COUNT; i++)
        if (picture_rates[i] == rate) at = i;
    return picture_rates[(at + direction + RATE_COUNT) % RATE_COUNT];
}

void resolution_choose(SDL_Window* window, int w, int h) {
    host_settings_state& s = host_settings;
    s.resolution_w = w;
    s.resolution_h = h;
    if (h > 0 && double(w) / h > WIDE_MODE && !s.widescreen && s.aspect != 0) s.widescreen = 1;
    if (s.window_mode == 2) apply_window_mode(window);
    menu.display_changed = true;
}

void file_menu(SDL_Window*, bool* quit) {
    char label[48];
    snprintf(label, sizeof label, "Test mode: %s###test", test_switch_state() ? "ON" : "OFF");
    if (ImGui::Button(label)) {
        test_switch_set(!test_switch_state());
        menu_close();
    }
    if (ImGui::Button("Service button (press)")) {
        service_button_press();
        menu_close();
    }
    if (ImGui::Button("Restart")) {
        menu.restart = true;
        *quit = true;
    }
    if (ImGui::Button("Exit")) *quit = true;
}

void display_menu(SDL_Window* window, bool*) {
    host_settings_state& s = host_settings;
    bool wide = s.widescreen != 0;
    if (ImGui::Checkbox(wide ? "Widescreen: ON  (fill the window)###wide" : "Widescreen: OFF (4:3 picture)###wide",
                        &wide)) {
        s.widescreen = wide;
        menu.display_changed = true;
    }
    ImGui::TextUnformatted("  more world at the sides, HUD in the corners");
    if (s.widescreen) {
        bool corners = s.wide_hud != 0;
        if (ImGui::Checkbox(corners ? "Widescreen HUD: at the corners###hud" : "Widescreen HUD: original (centre)###hud",
                            &corners)) {
            s.wide_hud = corners;
            menu.display_changed = true;
        }
        renderer_switches.hud_centre = !s.wide_hud;
    }
    ImGui::TextUnformatted("Window mode");
    for (int m = 0; m < 3; m++) {
        if (!ImGui::RadioButton(window_mode_labels[m], s.window_mode == m) || s.window_mode == m) continue;
        s.window_mode = m;
        apply_window_mode(window);
        menu.display_changed = true;
    }
    resolution_list(window);
    ImGui::TextUnformatted(s.widescreen ? "Aspect ratio (widescreen is on)" : "Aspect ratio");
    ImGui::BeginDisabled(s.widescreen != 0);
    for (int a = 0; a < ASPECT_ROWS; a++) {
        if (!ImGui::RadioButton(aspect_table[a].label, s.aspect == a) || s.aspect == a) continue;
        s.aspect = a;
        menu.display_changed = true;
    }
    ImGui::EndDisabled();
    frame_rate_row();
}

void audio_menu(SDL_Window*, bool*) {
    int percent = int(master_volume_get() * 100.0f + 0.5f);
    ImGui::Text("Volume  %d%%", percent);
    if (ImGui::SliderInt("##volume", &percent, 0, 100)) master_volume_set(float(percent) / 100.0f);
    const struct {
        const char* label;
        float volume;
    } presets[] = {{"Mute", 0.0f}, {"25%", 0.25f}, {"50%", 0.5f}, {"100%", 1.0f}};
    for (int i = 0; i < 4; i++) {
        if (i) ImGui::SameLine();
        if (ImGui::Button(presets[i].label)) master_volume_set(presets[i].volume);
    }
    if (ImGui::Button("Save")) menu_settings_save();
}

void controls_menu(SDL_Window*, bool*) {
    bool freeplay = (bus_read16(WRAM_BASE + W_FREE_PLAY) & 0xFFFF) != 0;
    if (ImGui::Checkbox("Free play (no coins needed)", &freeplay)) {
        host_settings.freeplay_override = freeplay;
        bus_write16(WRAM_BASE + W_FREE_PLAY, freeplay ? 1 : 0);
    }
    for (int i = 0; i < CONTROL_COUNT; i++) {
        ImGui::PushID(i);
        ImGui::TextUnformatted(control_name(i));
        ImGui::SameLine(BINDING_COLUMN);
        const char* name = menu.pending_rebind == i ? "press a key..." : SDL_GetScancodeName(SDL_Scancode(key_bindings[i]));
        if (ImGui::Button(name && name[0] ? name : "(none)")) menu.pending_rebind = i;
        ImGui::PopID();
    }
    if (ImGui::Button("Save")) menu_settings_save();
    ImGui::SameLine();
    if (ImGui::Button("Defaults")) default_bindings();
}
