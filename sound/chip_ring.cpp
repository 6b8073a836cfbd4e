#include "sound/chip_ring.h"

#include "sound/audio_output.h"

#include <algorithm>
#include <cstring>

chip_ring_buffer chip_ring;
q904_chip q904;
std::atomic<bool> chip_present{false};
std::atomic<bool> chip_live{false};
chip_clock_state chip_clock;

namespace {

// Appends n frames, first dropping the oldest ones that would not fit. Ring lock held.
void ring_append(const chip_frame* src, int n) {
    if (chip_ring.fill + n > CHIP_RING_FRAMES) {
        int drop = std::min(chip_ring.fill, chip_ring.fill + n - CHIP_RING_FRAMES);
        memmove(chip_ring.frames, chip_ring.frames + drop, size_t(chip_ring.fill - drop) * sizeof(chip_frame));
        chip_ring.fill -= drop;
        chip_ring.read_pos = std::max(0.0, chip_ring.read_pos - drop);
    }
    memcpy(chip_ring.frames + chip_ring.fill, src, size_t(n) * sizeof(chip_frame));
    chip_ring.fill += n;
}

}  // namespace

void chip_catch_up(uint64_t cycles) {
    if (!chip_present.load(std::memory_order_relaxed)) return;
    uint64_t target = cycles / CHIP_CYCLES_PER_FRAME;
    if (!chip_clock.started) {
        // Output starts at the first access after start-up, not at cycle 0.
        chip_clock.time = target;
        chip_clock.started = true;
        return;
    }
    chip_frame chunk[CHIP_CHUNK_FRAMES];
    while (chip_clock.time < target) {
        int n = int(std::min<uint64_t>(target - chip_clock.time, CHIP_CHUNK_FRAMES));
        q904_render(&q904, chunk, n);
        chip_clock.time += uint64_t(n);
        if (!chip_live.load(std::memory_order_relaxed)) continue;
        audio_lock(&chip_ring.lock);
        ring_append(chunk, n);
        audio_unlock(&chip_ring.lock);
    }
}

void chip_write(uint32_t reg, uint16_t value) {
    if (chip_present.load(std::memory_order_relaxed)) q904_write(&q904, reg, value, 0xFFFF);
}

uint16_t chip_read(uint32_t reg) {
    return chip_present.load(std::memory_order_relaxed) ? q904_read(&q904, reg) : 0;
}

void chip_ring_empty() {
    audio_lock(&chip_ring.lock);
    chip_ring.fill = 0;
    chip_ring.read_pos = 0.0;
    audio_unlock(&chip_ring.lock);
}
