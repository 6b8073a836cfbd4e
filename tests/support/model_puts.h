// The 13-word object records (0x8001 / 0x8002) a routine wrote into the display list,
// decoded: code, group, model, position and the first angle's (sine, cosine) pair.
#pragma once
#include <cstdint>
#include <vector>

struct model_put {
    int32_t code, group, model, x, y, z, sin_a, cos_a;
    bool operator==(const model_put&) const = default;
};

// Decodes words as consecutive 13-word records; `ok` false when a word run is not one.
inline std::vector<model_put> model_puts(const std::vector<int32_t>& w, bool* ok = nullptr) {
    std::vector<model_put> out;
    bool good = w.size() % 13 == 0;
    for (size_t i = 0; good && i + 13 <= w.size(); i += 13) {
        good = w[i] == 0x8001 || w[i] == 0x8002;
        out.push_back({w[i], w[i + 1], w[i + 2], w[i + 3], w[i + 4], w[i + 5], w[i + 6], w[i + 7]});
    }
    if (ok) *ok = good;
    return out;
}
