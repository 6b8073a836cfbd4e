#include "render/framedump_draw.h"

#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "render/dl_packet_decode.h"

#include <cstdio>

framedump_view framedump_shown = {false, nullptr, 0, nullptr, 0, -1, -2, nullptr, nullptr};

namespace {

int decode(quad_sink sink, void* data, bool report) {
    int32_t focal = 0, shift = 0, ox = 0, oy = 0;
    dl_decode_request request = {0, 0, &focal, &shift, &ox, &oy};
    int primitives = dl_packet_decode(framedump_word, &request, sink, data);
    framedump_view& v = framedump_shown;
    if (report && v.index != v.last_reported && (verbose_enabled() || v.entries == 0)) {
        printf("framedump: %d primitives, zoom=%d>>%d vx=%d vy=%d\n", primitives, focal, shift, ox, oy);
        v.last_reported = v.index;
    }
    return primitives;
}

}  // namespace

uint32_t framedump_word(uint32_t index) {
    const framedump_view& v = framedump_shown;
    if (v.substitute) return v.substitute[index & (FRAMEDUMP_SUBSTITUTE_WORDS - 1)];
    return v.words && index < v.count ? v.words[index] : 0;
}

bool framedump_active() {
    return framedump_shown.entries > 0 || framedump_shown.loaded;
}

const sprite_input* framedump_sprite_state() {
    return framedump_shown.sprites;
}

const text_input* framedump_text_state() {
    return framedump_shown.text;
}

int framedump_step(quad_sink sink, void* data) {
    if (!framedump_advance_hook()) return 0;
    return framedump_draw(sink, data);
}

int framedump_draw(quad_sink sink, void* data) {
    return decode(sink, data, true);
}

int framedump_draw_words(const uint32_t* words, quad_sink sink, void* data) {
    framedump_shown.substitute = words;
    int primitives = decode(sink, data, false);
    framedump_shown.substitute = nullptr;
    return primitives;
}
