// Depth sort of a frame's quads: 12-byte keys sorted, then the records permuted in
// place along the cycles of the sorted order.
#include "render/quad_draw.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct sort_key {
    uint32_t zsort, seq, index;
};

sort_key* keys = nullptr;
int key_room = 0;

// The key array grows only when a frame has more quads than any before.
bool keys_reserve(int count) {
    if (count <= key_room) return true;
    void* grown = realloc(keys, sizeof(sort_key) * size_t(count));
    if (!grown) return false;
    keys = static_cast<sort_key*>(grown);
    key_room = count;
    return true;
}

}  // namespace

void quads_zsort(quad_record* records, int count, int tie_order) {
    if (count < 2 || !keys_reserve(count)) return;
    for (int i = 0; i < count; i++) keys[i] = {records[i].zsort, records[i].seq, uint32_t(i)};
    std::sort(keys, keys + count, [tie_order](const sort_key& a, const sort_key& b) {
        if (a.zsort != b.zsort) return a.zsort > b.zsort;
        if (a.seq != b.seq) return tie_order ? a.seq < b.seq : a.seq > b.seq;
        return a.index < b.index;
    });
    // Position i receives record keys[i].index; follow each cycle with one spare record.
    for (int start = 0; start < count; start++) {
        if (keys[start].index == uint32_t(start)) continue;
        quad_record spare = records[start];
        int i = start;
        while (true) {
            int from = int(keys[i].index);
            keys[i].index = uint32_t(i);  // mark the slot done
            if (from == start) {
                records[i] = spare;
                break;
            }
            records[i] = records[from];
            i = from;
        }
    }
}
