// The list windows of what the last frame drew (objects, billboards, text blocks) and
// the drop-downs that show them. A hovered row, else the pinned one, is highlighted.
#include "board/text_print.h"
#include "host/menu_windows.h"
#include "render/pick_lists.h"

#include <cstdio>
#include <imgui.h>

namespace {

constexpr float LIST_X = 8, LIST_Y = 34, LIST_H = 420, ROW_H = 18;
const ImVec4 row_selected = ImColor(240, 170, 40, 255), row_selected_hot = ImColor(255, 196, 80, 255);

struct list_window {
    const char* title;
    const char* count_line;  // printf format of the count
    float width;
    bool* shown;
    int* pin;
    bool pin_is_code;  // objects pin the model code, the others the row index
    bool pause_hint;
    int (*count)();
    void (*row_label)(int i, char* out, size_t size, int* key);
    void (*highlight)(int key);
};

void object_row(int i, char* out, size_t size, int* key) {
    int32_t code = -1, quads = 0;
    object_info(i, &code, &quads);
    snprintf(out, size, "%-5d  %3d quad%s", int(code), int(quads), quads == 1 ? "" : "s");
    *key = int(code);
}

void billboard_row(int i, char* out, size_t size, int* key) {
    int32_t tile = -1, x = 0, y = 0, w = 0, h = 0;
    billboard_info(i, &tile, &x, &y, &w, &h);
    snprintf(out, size, "tile %-5d  (%d,%d) %dx%d", int(tile), int(x), int(y), int(w), int(h));
    *key = i;
}

void banner_row(int i, char* out, size_t size, int* key) {
    int column = 0, row = 0, w = 0, h = 0, base = 0, palette = 0;
    tdb_list_get(i, &column, &row, &w, &h, &base, &palette);
    snprintf(out, size, "c%-2d r%-2d %2dx%-2d base 0x%-4x pal %d", column, row, w, h, base, palette);
    *key = i;
}

void object_highlight(int key) {
    object_highlight_set(key);
}

list_window list_windows[] = {
    {"Objects on screen", "%d objects drawn", 240, &menu.object_list_shown, &menu.pinned_object, true, false, object_count, object_row,
     object_highlight},
    {"Billboards on screen", "%d billboards drawn", 260, &menu.billboard_list_shown, &menu.pinned_billboard, false, true, billboard_count,
     billboard_row, billboard_highlight_set},
    {"Banners on screen", "%d banner draws this frame", 280, &menu.banner_list_shown, &menu.pinned_banner, false, true, tdb_list_count, banner_row,
     banner_highlight_set},
};

// A list row: selected rows in orange with black text. True when clicked; *hovered when
// the mouse lies in its bounds (left and top edges inclusive).
bool list_row(const char* label, bool selected, bool* hovered) {
    if (selected) {
        ImGui::PushStyleColor(ImGuiCol_Header, row_selected);
        ImGui::PushStyleColor(ImGuiCol_HeaderHovered, row_selected_hot);
        ImGui::PushStyleColor(ImGuiCol_HeaderActive, row_selected_hot);
        ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
    }
    bool clicked = ImGui::Selectable(label, selected, 0, ImVec2(0, ROW_H));
    if (selected) ImGui::PopStyleColor(4);
    ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax(), m = ImGui::GetIO().MousePos;
    *hovered = m.x >= lo.x && m.x < hi.x && m.y >= lo.y && m.y < hi.y;
    return clicked;
}

void list_window_draw(const list_window& l) {
    ImGui::SetNextWindowPos(ImVec2(LIST_X, LIST_Y), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(l.width, LIST_H), ImGuiCond_FirstUseEver);
    bool keep = true;
    if (ImGui::Begin(l.title, &keep, ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoCollapse)) {
        int n = l.count();
        ImGui::Text(l.count_line, n);
        if (l.pause_hint && n == 0) {
            ImGui::TextUnformatted("(pause first -- P -- for a");
            ImGui::TextUnformatted("stable, readable list)");
        }
        if (ImGui::Button("Clear highlight")) *l.pin = -1;
        int hovered_key = -1;
        for (int i = 0; i < n; i++) {
            char label[80];
            int key = -1;
            l.row_label(i, label, sizeof label, &key);
            ImGui::PushID(i);
            bool hovered = false;
            if (list_row(label, *l.pin == key, &hovered)) *l.pin = *l.pin == key ? -1 : key;
            ImGui::PopID();
            if (hovered) hovered_key = key;
        }
        l.highlight(hovered_key >= 0 ? hovered_key : *l.pin);
    }
    ImGui::End();
    if (keep) return;
    *l.shown = false;
    l.highlight(-1);
}

void list_toggle(bool* shown, const char* show, const char* hide) {
    if (ImGui::Button(*shown ? hide : show)) *shown = !*shown;
}

}  // namespace

void list_windows_draw() {
    for (const list_window& l : list_windows) {
        if (*l.shown) {
            list_window_draw(l);
        } else if (*l.pin != -1) {
            *l.pin = -1;
            l.highlight(-1);
        }
    }
}

void objects_menu(SDL_Window*, bool*) {
    list_toggle(&menu.object_list_shown, "Show object list", "Hide object list");
    ImGui::TextUnformatted("Hover a row to highlight");
    ImGui::TextUnformatted("it on screen; click to pin.");
}

void billboards_menu(SDL_Window*, bool*) {
    list_toggle(&menu.billboard_list_shown, "Show billboard list", "Hide billboard list");
    ImGui::TextUnformatted("2D sprite billboards (particle");
    ImGui::TextUnformatted("effects etc), not full 3D objects.");
}

void banners_menu(SDL_Window*, bool*) {
    list_toggle(&menu.banner_list_shown, "Show banner list", "Hide banner list");
    ImGui::TextUnformatted("Text-tilemap blocks (title/tutorial/");
    ImGui::TextUnformatted("results text) -- spot bad tile/palette.");
}
