// The 64 driver addresses at which a readable routine may take the step before the
// emulated instruction: each site's routine, its timing and the M/X states in which
// its address has an emulated instruction to fall back on.
#pragma once
#include "sound/snd_native.h"

struct snd_hook_site {
    uint16_t address;      // bank 0
    const char* routine_name;
    uint32_t maxcyc;       // declared maximum cost of a timed routine; 0 = untimed
    uint8_t emulated_mx;   // bit m set: an emulated instruction exists under M/X state m
    snd_routine routine;   // null while the routine is not written: the site declines
};

constexpr int SND_HOOK_SITE_COUNT = 64;
extern snd_hook_site snd_hook_sites[SND_HOOK_SITE_COUNT];

// The site at a bank-0 driver address; null when the address has none.
snd_hook_site* snd_hook_site_at(uint32_t address);

// Offers the step to the site's routine: a timed one only inside a granted window and
// cost-checked after it ran. Non-zero when the routine handled the step.
int snd_hook_run(m377_state* s, const snd_hook_site* site);
