#include "host/cadence.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int32_t MERGE_MS = 10;
constexpr int32_t DIRECT_VALID_MS = 1500;
constexpr int32_t STOPPED_MS = 2000;
constexpr int32_t GAP_MS = 700;
constexpr int32_t WINDOW_MS = 400;
constexpr int32_t MIN_SPAN_MS = 50;
constexpr double MS_PER_MINUTE = 60000.0;

// Milliseconds from a to b on the wrapping 32-bit clock.
int32_t elapsed(uint32_t a, uint32_t b) {
    return int32_t(b - a);
}

int back(int index, int k) {
    return ((index - k) % CADENCE_RING + CADENCE_RING) % CADENCE_RING;
}

}  // namespace

void cadence_reset(cadence_ring* ring, double counts_per_rev) {
    memset(ring, 0, sizeof *ring);
    ring->counts_per_rev = counts_per_rev;
}

void cadence_add_counts(cadence_ring* ring, uint32_t now_ms, int64_t counts) {
    ring->running_total += counts;
    if (ring->fill > 0 && elapsed(ring->last_stored_ms, now_ms) <= MERGE_MS) {
        int newest = back(ring->write, 1);
        ring->time_ms[newest] = now_ms;
        ring->total[newest] = ring->running_total;
        return;
    }
    ring->time_ms[ring->write] = now_ms;
    ring->total[ring->write] = ring->running_total;
    ring->write = (ring->write + 1) % CADENCE_RING;
    if (ring->fill < CADENCE_RING) ring->fill++;
    ring->last_stored_ms = now_ms;
}

void cadence_set_rpm(cadence_ring* ring, uint32_t now_ms, double rpm) {
    ring->direct = true;
    ring->direct_ms = now_ms;
    ring->direct_rpm = rpm;
}

double cadence_rpm(const cadence_ring* ring, uint32_t now_ms) {
    if (ring->direct) return elapsed(ring->direct_ms, now_ms) <= DIRECT_VALID_MS ? ring->direct_rpm : 0.0;
    if (ring->fill == 0 || ring->counts_per_rev <= 0) return 0.0;
    int newest = back(ring->write, 1);
    int32_t age = elapsed(ring->time_ms[newest], now_ms);
    if (age < 0) age = 0;
    if (age > STOPPED_MS) return 0.0;

    int start = -1;
    for (int k = 1; k < ring->fill; k++) {
        int i = back(newest, k), newer = back(newest, k - 1);
        if (elapsed(ring->time_ms[i], ring->time_ms[newer]) > GAP_MS) break;
        start = i;
        if (elapsed(ring->time_ms[i], ring->time_ms[newest]) >= WINDOW_MS) break;
    }
    if (start < 0) {
        if (ring->fill < 2) return 0.0;
        start = back(newest, 1);
    }
    int32_t span = elapsed(ring->time_ms[start], ring->time_ms[newest]);
    int64_t d = ring->total[newest] - ring->total[start];
    if (span < MIN_SPAN_MS || d <= 0) return 0.0;
    double rpm = double(d) / ring->counts_per_rev * MS_PER_MINUTE / span;
    if (age > 0) {
        double bound = MS_PER_MINUTE / (ring->counts_per_rev * age);
        if (bound < rpm) rpm = bound;
    }
    return rpm;
}

int cadence_to_level(double rpm, double full_rpm) {
    if (!(rpm >= 1.0) || !(full_rpm > 0.0)) return 0;
    double level = std::round(rpm / full_rpm * 127.0);
    return level < 1 ? 1 : level > 127 ? 127 : int(level);
}

int quadrature_step(int old_state, int new_state) {
    static const int8_t table[4][4] = {
        {0, +1, -1, 0},
        {-1, 0, 0, +1},
        {+1, 0, 0, -1},
        {0, -1, +1, 0},
    };
    return table[old_state & 3][new_state & 3];
}
