#include "host/wide_view.h"

#include "base/env_switch.h"
#include "base/host_hooks.h"
#include "board/board_memory.h"
#include "board/dspram.h"
#include "board/game_state_ram.h"
#include "board/sprite_records.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "game/world/balloons.h"
#include "game/world/scenery_objects.h"
#include "game/world/terrain_chunks.h"
#include "game/world/terrain_props.h"
#include "game/world/world_stand_ins.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

wide_view_builder_set wide_view_builders;

namespace {

constexpr uint32_t SCRATCH_LOW = 0x10400, SCRATCH_HIGH = 0x18400;  // packet areas of the buffers
constexpr long PACKET_AREA_BYTES = 0x7C00;
constexpr int32_t CAPTURE_FIRST_WORDS = 16384;
constexpr int32_t HALF_ANGLE_EXTRA = 1024;

// The images a capture puts back: the four the builders work in, and the text RAM that
// a block draw among them would write.
struct image_span {
    void* at;
    size_t size;
};
const image_span SNAPSHOT_IMAGES[] = {
    {wram, sizeof wram}, {wram_bytes, sizeof wram_bytes}, {dspram, sizeof dspram},
    {commsram, sizeof commsram}, {textram, sizeof textram},
};
constexpr int SNAPSHOT_COUNT = sizeof SNAPSHOT_IMAGES / sizeof SNAPSHOT_IMAGES[0];

struct wide_view_state {
    uint8_t* snapshot[SNAPSHOT_COUNT];  // allocated on first use, kept
    int32_t* words;
    int32_t count, capacity;
    bool pause_done;
};
wide_view_state view;

bool snapshot_ready() {
    if (view.snapshot[0]) return true;
    for (int i = 0; i < SNAPSHOT_COUNT; i++) {
        view.snapshot[i] = static_cast<uint8_t*>(malloc(SNAPSHOT_IMAGES[i].size));
        if (view.snapshot[i]) continue;
        for (int k = 0; k < i; k++) {
            free(view.snapshot[k]);
            view.snapshot[k] = nullptr;
        }
        fprintf(stderr, "[PAUSE360] out of memory\n");
        return false;
    }
    return true;
}

void snapshot_copy(bool restore) {
    for (int i = 0; i < SNAPSHOT_COUNT; i++) {
        const image_span& s = SNAPSHOT_IMAGES[i];
        if (restore)
            memcpy(s.at, view.snapshot[i], s.size);
        else
            memcpy(view.snapshot[i], s.at, s.size);
    }
}

// Room for n more words: the first power-of-two multiple of 16384 that holds them.
bool capture_room(int32_t n) {
    int64_t need = int64_t(view.count) + n;
    if (need <= view.capacity) return true;
    int64_t capacity = view.capacity ? view.capacity : CAPTURE_FIRST_WORDS;
    while (capacity < need) capacity *= 2;
    if (capacity > INT32_MAX) return false;
    int32_t* grown = static_cast<int32_t*>(realloc(view.words, sizeof(int32_t) * size_t(capacity)));
    if (!grown) return false;
    view.words = grown;
    view.capacity = int32_t(capacity);
    return true;
}

void builders_run(int32_t heading) {
    const wide_view_builder_set& b = wide_view_builders;
    if (b.terrain_chunk_visibility)
        b.terrain_chunk_visibility(wram_long(W_CAMERA_X), wram_long(W_CAMERA_Y), wram_long(W_CAMERA_Z), heading);
    if (b.terrain_props_dispatch) b.terrain_props_dispatch();
    if (b.objects_render_master) b.objects_render_master();
    if (b.balloon_render_and_hit_check) b.balloon_render_and_hit_check();
}

bool in_flight() {
    int32_t sub = wram_long(W_GAME_SUB_STATE);
    return wram_long(W_GAME_STATE) == 3 && (sub == 3 || sub == 5);
}

const int32_t* captured(int32_t* count) {
    *count = view.count;
    return view.count > 0 ? view.words : nullptr;
}

}  // namespace

bool wide_view_capture(const int32_t* headings, int n, const char* name, bool turn) {
    int32_t* cursor = dl_cursor_get();
    int32_t* begin = reinterpret_cast<int32_t*>(dspram);
    if (!cursor || cursor < begin || cursor >= begin + sizeof dspram / 4) return false;
    uint32_t cursor_byte = uint32_t(cursor - begin) * 4;
    int32_t* scratch = begin + (cursor_byte < SCRATCH_HIGH ? SCRATCH_HIGH : SCRATCH_LOW) / 4;
    if (!snapshot_ready()) return false;
    snapshot_copy(false);
    int calls = sprite_call_list_count(), blocks = tdb_list_count();
    for (int i = 0; i < n; i++) {
        int32_t heading = headings[i] & 0xFFFF;
        dl_cursor_set(scratch);
        if (turn) wram_long_set(W_CAMERA_HEADING, heading);
        builders_run(heading);
        int32_t* end = dl_cursor_get();
        long bytes = end && end >= scratch && end <= begin + sizeof dspram / 4 ? long(end - scratch) * 4 : 0;
        if (bytes > PACKET_AREA_BYTES) {
            fprintf(stderr, "[%s] heading %d: %ld words overran the buffer, skipped\n", name, heading, bytes / 4);
        } else if (bytes > 0 && capture_room(int32_t(bytes / 4))) {
            memcpy(view.words + view.count, scratch, size_t(bytes));
            view.count += int32_t(bytes / 4);
        }
        snapshot_copy(true);
        sprite_call_list_truncate(calls);
        tdb_list_truncate(blocks);
    }
    return true;
}

int32_t wide_fill_half_angle(double margin, double distance) {
    double d = std::atan2(margin + 320, distance) - std::atan2(320, distance);
    return int32_t(d * 65536 / (2 * M_PI) + 0.5) + HALF_ANGLE_EXTRA;
}

const int32_t* wide_fill_update(int32_t* count, double margin, double distance) {
    static const bool fill_on = env_default_on("SKYVOLTA_WIDE_FILL");
    static const bool turn = env_present("SKYVOLTA_WIDEFILL_TURN") && env_text("SKYVOLTA_WIDEFILL_TURN")[0] == '1';
    view.count = 0;
    *count = 0;
    if (!fill_on || margin < 1 || distance <= 0 || !in_flight()) return nullptr;
    int32_t heading = wram_long(W_CAMERA_HEADING), d = wide_fill_half_angle(margin, distance);
    const int32_t headings[2] = {heading - d, heading + d};
    if (!wide_view_capture(headings, 2, "WIDEFILL", turn)) return nullptr;
    return captured(count);
}

const int32_t* pause360_update(int32_t* count) {
    if (view.pause_done) return captured(count);
    view.count = 0;
    *count = 0;
    view.pause_done = true;
    if (!env_default_on("SKYVOLTA_PAUSE360") || !in_flight()) return nullptr;
    int32_t heading = wram_long(W_CAMERA_HEADING);
    const int32_t headings[4] = {heading, heading + 0x4000, heading + 0x8000, heading + 0xC000};
    if (wide_view_capture(headings, 4, "PAUSE360", true))
        fprintf(stderr, "[PAUSE360] %d words from 4 headings\n", view.count);
    return captured(count);
}

void wide_view_reset() {
    view.pause_done = false;
    view.count = 0;
}

void wide_view_install() {
    wide_view_builders = {terrain_chunk_visibility, terrain_props_dispatch, objects_render_master,
                          balloon_render_and_hit_check};
    wide_fill_hook = wide_fill_update;
    pause360_hook = pause360_update;
    wide_view_reset_hook = wide_view_reset;
}
