#include "host/menu.h"

#include "base/env_switch.h"
#include "board/board_memory.h"
#include "host/display_settings.h"
#include "host/gui_backend.h"
#include "host/menu_windows.h"
#include "host/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <imgui.h>
#include <imgui_internal.h>

menu_state menu = {
    .open = false, .pending_rebind = -1, .restart = false, .toast_text = "", .toast_frames = 0, .logged_w = 0,
    .logged_h = 0, .object_list_shown = false, .billboard_list_shown = false, .banner_list_shown = false,
    .pinned_object = -1, .pinned_billboard = -1, .pinned_banner = -1, .ending_phase_choice = 0,
    .display_changed = false, .save_failed = false,
};

namespace {

constexpr int SCANCODE_ESCAPE = 41;
constexpr int SAVE_FAILED_TOAST_FRAMES = 300;
constexpr float MENU_BAR_HEIGHT = 28, DROP_DOWN_TOP = 24;
constexpr float TOAST_WIDTH = 440, TOAST_HEIGHT = 28, TOAST_BOTTOM = 36;

using menu_contents = void (*)(SDL_Window*, bool*);
struct menu_header {
    const char* label;
    float w, h;  // the drop-down's size
    menu_contents draw;
};
const menu_header menu_headers[] = {
    {"File", 260, 150, file_menu},          {"Display", 330, 590, display_menu},
    {"Audio", 260, 200, audio_menu},        {"Levels", 300, 450, levels_menu},
    {"Maps", 240, 260, maps_menu},          {"Controls", 300, 400, controls_menu},
    {"Objects", 220, 110, objects_menu},    {"Billboards", 240, 110, billboards_menu},
    {"Record", 300, 160, record_menu},      {"Banners", 240, 110, banners_menu},
};

void toast_draw(SDL_Window* window) {
    if (menu.toast_frames <= 0 || !menu.toast_text[0]) return;
    menu.toast_frames--;
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    float w = ww - 8 <= TOAST_WIDTH ? float(ww - 8) : TOAST_WIDTH;
    ImGui::SetNextWindowPos(ImVec2((float(ww) - w) / 2, float(wh) - TOAST_BOTTOM));
    ImGui::SetNextWindowSize(ImVec2(w, TOAST_HEIGHT));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing;
    if (ImGui::Begin("hint", nullptr, flags)) {
        float text_w = ImGui::CalcTextSize(menu.toast_text).x;
        ImGui::SetCursorPosX((ImGui::GetWindowWidth() - text_w) / 2);
        ImGui::TextUnformatted(menu.toast_text);
    }
    ImGui::End();
    ImGui::PopStyleVar();
}

void window_size_log(SDL_Window* window) {
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    if (ww == menu.logged_w && wh == menu.logged_h) return;
    fprintf(stderr, "[DISPLAY] f%u window now %dx%d\n", host_frame, ww, wh);
    menu.logged_w = ww;
    menu.logged_h = wh;
}

void menu_bar_draw(SDL_Window* window, bool* quit) {
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(float(ww), MENU_BAR_HEIGHT));
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_MenuBar |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings;
    if (ImGui::Begin("menubar", nullptr, flags) && ImGui::BeginMenuBar()) {
        // A drop-down taller than the window keeps its lower rows in reach by scrolling.
        float most = float(wh) - DROP_DOWN_TOP;
        for (const menu_header& h : menu_headers) {
            ImGui::SetNextWindowSize(ImVec2(h.w, h.h < most ? h.h : most));
            if (!ImGui::BeginMenu(h.label)) continue;
            h.draw(window, quit);
            if (!menu.open) ImGui::CloseCurrentPopup();
            ImGui::EndMenu();
        }
        ImGui::EndMenuBar();
    }
    ImGui::End();
}

}  // namespace

void menu_init(SDL_Window* window) {
    if (gui_init(window)) {
        gui_font_stash_end();
        ImGuiStyle& style = ImGui::GetStyle();
        style.Colors[ImGuiCol_HeaderHovered] = ImColor(70, 70, 78, 255);
        style.WindowMinSize.y = MENU_BAR_HEIGHT;  // the bar and the toast are this high
    }
    default_bindings();
    load_settings_file();
    if (env_on("SKYVOLTA_MENU_OPEN")) menu.open = true;
    bool shown = window && !(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
    if (host_settings.display_settings_changed && shown) apply_window_mode(window);
    if (env_on("SKYVOLTA_FULLSCREEN") && shown) {
        host_settings.window_mode = 1;
        apply_window_mode(window);
    }
}

bool menu_is_open() {
    return menu.open;
}

void menu_close() {
    menu.open = false;
    menu.pending_rebind = -1;
    SDL_SetRelativeMouseMode(SDL_FALSE);
    if (!menu.save_failed) return;
    menu.save_failed = false;
    menu_toast("Settings not saved", SAVE_FAILED_TOAST_FRAMES);
}

void toggle_menu() {
    if (menu.open) {
        menu_close();
        return;
    }
    menu.open = true;
    SDL_SetRelativeMouseMode(SDL_FALSE);
}

bool take_pending_rebind() {
    if (menu.pending_rebind < 0) return false;
    menu.pending_rebind = -1;
    return true;
}

bool menu_event_filter(const SDL_Event* e) {
    if (!gui_ready() || !menu.open) return false;
    if (menu.pending_rebind >= 0 && e->type == SDL_KEYDOWN) {
        int scancode = e->key.keysym.scancode;
        if (scancode != SCANCODE_ESCAPE) key_bindings[menu.pending_rebind] = scancode;
        menu.pending_rebind = -1;
        return true;
    }
    gui_handle_event(e);
    return true;
}

void menu_settings_save() {
    if (!save_settings_file()) menu.save_failed = true;
}

void menu_draw(SDL_Window* window, bool* quit) {
    if (!gui_ready()) return;
    gui_frame_begin();
    if (!menu.open) {
        // A drop-down left open when the menu closed would come back with it.
        if (ImGui::GetCurrentContext()->OpenPopupStack.Size > 0) ImGui::ClosePopupToLevel(0, false);
        toast_draw(window);
        gui_render();
        return;
    }
    window_size_log(window);
    menu.display_changed = false;
    menu_bar_draw(window, quit);
    list_windows_draw();
    if (menu.display_changed) menu_settings_save();
    gui_render();
}

void menu_toast(const char* text, int frames) {
    snprintf(menu.toast_text, sizeof menu.toast_text, "%s", text ? text : "");
    menu.toast_frames = frames;
}

bool restart_requested() {
    return menu.restart;
}
