// Depth sort of a frame's quads: 16-byte keys (depth and arrival number folded into one
// 64-bit word, then the index) are radix sorted, so the large records never move unless
// a caller asks for the records themselves in order.
#include "render/quad_draw.h"

#include <cstdlib>
#include <cstring>

namespace {

struct sort_key {
    uint64_t key;  // ascending: zsort descending, then seq in the tie order
    uint32_t index;
};

sort_key* keys = nullptr;  // the keys, then as many for the scatter
int key_room = 0;

// The key arrays grow only when a frame has more quads than any before.
bool keys_reserve(int count) {
    if (count <= key_room) return true;
    void* grown = realloc(keys, sizeof(sort_key) * 2 * size_t(count));
    if (!grown) return false;
    keys = static_cast<sort_key*>(grown);
    key_room = count;
    return true;
}

// The keys in painting order, or null when the key arrays could not grow. A stable
// byte-wise radix sort from the low byte, over the bytes in which the keys differ;
// stability keeps equal keys by index.
const sort_key* keys_sort(const quad_record* records, int count, int tie_order) {
    if (!keys_reserve(count)) return nullptr;
    sort_key* from = keys;
    sort_key* to = keys + count;
    static uint32_t counts[8][256];
    memset(counts, 0, sizeof counts);
    for (int i = 0; i < count; i++) {
        uint32_t seq = tie_order ? records[i].seq : ~records[i].seq;
        uint64_t key = uint64_t(~records[i].zsort) << 32 | seq;
        from[i] = {key, uint32_t(i)};
        for (int b = 0; b < 8; b++) counts[b][key >> (8 * b) & 0xFF]++;
    }
    for (int b = 0; b < 8; b++) {
        uint32_t* c = counts[b];
        if (c[from[0].key >> (8 * b) & 0xFF] == uint32_t(count)) continue;  // one value: nothing to do
        uint32_t at = 0;
        for (int v = 0; v < 256; v++) {
            uint32_t n = c[v];
            c[v] = at;
            at += n;
        }
        for (int i = 0; i < count; i++) to[c[from[i].key >> (8 * b) & 0xFF]++] = from[i];
        sort_key* t = from;
        from = to, to = t;
    }
    return from;
}

}  // namespace

void quads_zsort_order(const quad_record* records, int count, int tie_order, int32_t* order) {
    const sort_key* sorted = count > 1 ? keys_sort(records, count, tie_order) : nullptr;
    for (int i = 0; i < count; i++) order[i] = sorted ? int32_t(sorted[i].index) : i;
}

void quads_zsort(quad_record* records, int count, int tie_order) {
    if (count < 2) return;
    int32_t* source = static_cast<int32_t*>(malloc(sizeof(int32_t) * size_t(count)));
    const sort_key* sorted = source ? keys_sort(records, count, tie_order) : nullptr;
    if (!sorted) {
        free(source);
        return;
    }
    // Position i receives record source[i]; follow each cycle with one spare record.
    for (int i = 0; i < count; i++) source[i] = int32_t(sorted[i].index);
    for (int start = 0; start < count; start++) {
        if (source[start] == start) continue;
        quad_record spare = records[start];
        int i = start;
        while (true) {
            int from = source[i];
            source[i] = i;  // mark the slot done
            if (from == start) {
                records[i] = spare;
                break;
            }
            records[i] = records[from];
            i = from;
        }
    }
    free(source);
}
