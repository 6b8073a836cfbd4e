#include "game/world/camera.h"

#include "board/display_list.h"
#include "board/dspram.h"
#include "board/wram.h"

void camera_reset() {
    for (uint32_t w = W_CAMERA_X; w <= W_CAMERA_ROLL; w += 4) wram_long_set(w, 0);
}

void camera_rotation_words_emit() {
    uint32_t first = (DL_BUFFER_BASE + DL_BUFFER_SIZE * dl_buffer_current()) / 4 + 1;
    const uint32_t angles[3] = {W_CAMERA_PITCH, W_CAMERA_HEADING, W_CAMERA_ROLL};
    for (uint32_t i = 0; i < 3; i++) {
        int32_t pair[2];
        dl_rotation_pair(wram_long(angles[i]), pair);
        dsp_word_set(first + 2 * i, pair[0]);
        dsp_word_set(first + 2 * i + 1, pair[1]);
    }
}
