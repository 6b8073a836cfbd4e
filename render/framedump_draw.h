// The frame render's second scene source: a loaded frame dump's display-list words,
// replayed through the packet decoder into a quad sink, with the dump's own sprite and
// text inputs. The host's frame-dump viewer loads the files and fills framedump_shown;
// this side only reads it.
#pragma once
#include "render/quad_geometry.h"
#include "render/sprite_layer.h"
#include "render/text_layer.h"

#include <cstdint>

// Index mask of a substitute word array (32K DSP RAM words).
constexpr uint32_t FRAMEDUMP_SUBSTITUTE_WORDS = 0x8000;

struct framedump_view {
    bool loaded;              // a dump's words are loaded (an empty file too)
    const uint32_t* words;    // low 24 bits of each word
    uint32_t count;
    const uint32_t* substitute;  // replaces the words while set: FRAMEDUMP_SUBSTITUTE_WORDS words
    int32_t entries;          // dumps of the loaded sequence (0: a single dump)
    int32_t index;            // current entry, -1 without a sequence
    int32_t last_reported;    // entry of the last primitives line
    const sprite_input* sprites;  // the current entry's inputs when valid, else null
    const text_input* text;
};
extern framedump_view framedump_shown;

// The decoder's word reader: word index & 0x7FFF of the substitute array when one is
// set, else the loaded word when the index is below the count, else 0.
uint32_t framedump_word(uint32_t index);
// True when a sequence has entries or a dump's words are loaded.
bool framedump_active();
const sprite_input* framedump_sprite_state();
const text_input* framedump_text_state();

// Once per frame while a dump is shown: the viewer moves on (framedump_advance_hook),
// then the current words are drawn. Returns the primitives drawn.
int framedump_step(quad_sink sink, void* data);
// The current words through the decoder, without advancing; prints the primitives line
// once per entry (always for a single dump, with SKYVOLTA_VERBOSE for a sequence).
int framedump_draw(quad_sink sink, void* data);
// The same over `words` (FRAMEDUMP_SUBSTITUTE_WORDS of them) in place of the loaded ones.
int framedump_draw_words(const uint32_t* words, quad_sink sink, void* data);
