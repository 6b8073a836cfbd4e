// Replay of a DSP display-list packet sequence (the form a frame dump holds): view
// set-up, object shift and CZ, view matrix and render-object packets, each object
// expanded from the point ROM into a quad sink.
#pragma once
#include "render/quad_geometry.h"

// Returns packet word i.
using dl_word_fetch = uint32_t (*)(uint32_t index);

struct dl_decode_request {
    uint32_t start;      // word index of the first packet
    int fog_mode;        // nonzero: object-shift packets also set the fog mode
    int32_t* focal_out;  // each, when set, receives the last view's value at the end
    int32_t* shift_out;
    int32_t* ox_out;
    int32_t* oy_out;
};

// Returns the number of objects rendered.
int dl_packet_decode(dl_word_fetch fetch, const dl_decode_request* request, quad_sink sink, void* data);
