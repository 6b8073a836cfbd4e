// The layer rule over the whole source tree: a file includes only headers of its own
// folder and of the layers below it. Lowest first: base, board, then render, sound and
// dsp side by side, then the game's services, world, modes and flow, then host.
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct layer {
    const char* folder;
    int rank;
};

// Folders of one rank lie side by side: neither includes the other.
constexpr layer LAYERS[] = {
    {"base", 0},          {"board", 1},        {"render", 2},      {"sound", 2},     {"dsp", 2},
    {"game/services", 3}, {"game/world", 4},   {"game/modes", 5},  {"game/flow", 6}, {"host", 7},
};

// The layer whose folder holds `path` (a path from the source root), or null.
const layer* layer_of(const std::string& path) {
    for (const layer& l : LAYERS) {
        std::string folder = std::string(l.folder) + "/";
        if (path.compare(0, folder.size(), folder) == 0 && path.find('/', folder.size()) == std::string::npos) return &l;
    }
    return nullptr;
}

// True when a file of folder `from` may include `header` (a path from the source root):
// a header outside the layers (a system or test header) is always allowed.
bool include_allowed(const std::string& from, const std::string& header) {
    const layer* a = layer_of(from);
    const layer* b = layer_of(header);
    if (!a || !b) return true;
    return a == b || b->rank < a->rank;
}

// Every `#include "..."` of the file.
std::vector<std::string> quoted_includes(const std::string& path) {
    std::vector<std::string> found;
    std::ifstream in(path);
    const std::string mark = "#include \"";
    for (std::string line; std::getline(in, line);) {
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line.compare(at, mark.size(), mark) != 0) continue;
        size_t end = line.find('"', at + mark.size());
        if (end != std::string::npos) found.push_back(line.substr(at + mark.size(), end - at - mark.size()));
    }
    return found;
}

TEST(LayerRule, TheCheckKnowsTheOrder) {
    const struct {
        const char* from;
        const char* header;
        bool allowed;
    } cases[] = {
        {"board/bus.cpp", "base/run_flags.h", true},
        {"board/bus.cpp", "board/wram.h", true},
        {"base/run_flags.cpp", "board/wram.h", false},
        {"render/frame_render.cpp", "sound/sound_board.h", false},  // side by side
        {"dsp/c25_run.cpp", "render/quad.h", false},
        {"game/services/rom_table.cpp", "dsp/dsp_boot.h", true},
        {"game/services/rom_table.cpp", "game/world/camera.h", false},
        {"game/world/camera.cpp", "game/services/rom_table.h", true},
        {"game/world/camera.cpp", "game/modes/intro_screens.h", false},
        {"game/modes/intro_screens.cpp", "game/world/camera.h", true},
        {"game/modes/intro_screens.cpp", "game/flow/game_init.h", false},
        {"game/flow/game_init.cpp", "game/modes/intro_screens.h", true},
        {"game/flow/game_init.cpp", "host/main_loop.h", false},
        {"host/main_loop.cpp", "game/flow/game_init.h", true},
        {"host/main_loop.cpp", "tests/support/test_files.h", true},
        {"tests/host/menu_test.cpp", "host/menu.h", true},  // the tests lie outside the layers
    };
    for (const auto& c : cases) EXPECT_EQ(include_allowed(c.from, c.header), c.allowed) << c.from << " -> " << c.header;
}

TEST(LayerRule, NoFileIncludesAHigherLayer) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(source_folder(__FILE__)).parent_path().parent_path();
    std::vector<std::string> upward;
    for (const layer& l : LAYERS) {
        ASSERT_TRUE(fs::is_directory(root / l.folder)) << l.folder;
        for (const fs::directory_entry& e : fs::directory_iterator(root / l.folder)) {
            std::string ext = e.path().extension().string();
            if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            std::string from = std::string(l.folder) + "/" + e.path().filename().string();
            for (const std::string& header : quoted_includes(e.path().string()))
                if (!include_allowed(from, header)) upward.push_back(from + " -> " + header);
        }
    }
    std::string listed;
    for (const std::string& u : upward) listed += u + "\n";
    EXPECT_TRUE(upward.empty()) << upward.size() << " includes of a higher layer:\n" << listed;
}

}  // namespace
