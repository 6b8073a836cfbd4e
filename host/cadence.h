// Pedalling cadence from an encoder's counts (or a device that reports it directly),
// and the pedal level it stands for.
#pragma once
#include <cstdint>

constexpr int CADENCE_RING = 128;

struct cadence_ring {
    uint32_t time_ms[CADENCE_RING];
    int64_t total[CADENCE_RING];  // running total of counts at that time
    int write, fill;
    uint32_t last_stored_ms;      // time of the last sample given an entry of its own
    int64_t running_total;
    double counts_per_rev;
    bool direct;                  // the device reports the cadence itself
    uint32_t direct_ms;
    double direct_rpm;
};

void cadence_reset(cadence_ring* ring, double counts_per_rev);
// Counts at a time; a sample within 10 ms of the last stored one updates the newest
// entry instead of taking a new one.
void cadence_add_counts(cadence_ring* ring, uint32_t now_ms, int64_t counts);
// A cadence reported directly, valid for 1.5 s.
void cadence_set_rpm(cadence_ring* ring, uint32_t now_ms, double rpm);
// Revolutions per minute at now: direct, or over the last 400 ms of counts (a gap of
// more than 700 ms starts the window), capped so that it falls off when counts stop
// and 0 after 2 s without any.
double cadence_rpm(const cadence_ring* ring, uint32_t now_ms);

// 0 below 1 rpm, else rpm / full x 127 rounded, 1..127.
int cadence_to_level(double rpm, double full_rpm);

// Count step of an A/B quadrature change (state = A x 2 + B): +1, -1, or 0 for no
// change or a skipped state.
int quadrature_step(int old_state, int new_state);
