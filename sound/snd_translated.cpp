// The translated sound program: the walk that cuts the driver into operand streams,
// and the dispatch over them.
#include "sound/snd_translated.h"

#include "base/env_switch.h"
#include "sound/m37702_bus.h"
#include "sound/m37702_decode.h"
#include "sound/snd_hook_sites.h"
#include "sound/sound_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t mx0 = 1, mx2 = 4, mx02 = mx0 | mx2;
constexpr uint32_t max_stream_bytes = 6;

}  // namespace

// Driver addresses where the readable routines return to the emulated code, in the
// widths of the routine that leaves there.
const snd_walk_root snd_continuation_roots[] = {
    // sequencer and sequence commands (16-bit)
    {0xD879, mx0}, {0xDA11, mx0}, {0xDA2E, mx0}, {0xDA92, mx0}, {0xDCD6, mx0}, {0xDD3A, mx0},
    {0xDE61, mx0}, {0xDF2B, mx0}, {0xDF52, mx0}, {0xDFA9, mx0}, {0xDFF0, mx0}, {0xE054, mx0},
    {0xE07D, mx0}, {0xE108, mx0}, {0xE12D, mx0}, {0xE2BC, mx0},
    // sample streaming (16-bit)
    {0xEB47, mx0}, {0xEB86, mx0},
    // key-on (8-bit accumulator)
    {0xE5B8, mx2}, {0xE63C, mx2}, {0xE6BC, mx2}, {0xE6DD, mx2}, {0xE706, mx2}, {0xE72B, mx2},
    // fixed pan and pan scripts (8-bit accumulator)
    {0xE82B, mx2}, {0xE835, mx2}, {0xE83A, mx2}, {0xECD9, mx2}, {0xED0B, mx2}, {0xED12, mx2},
    {0xED31, mx2}, {0xED3F, mx2},
    // volume envelopes (8-bit accumulator) and the voice level after a pan (16-bit)
    {0xEF8C, mx2}, {0xEFBC, mx2}, {0xE987, mx02},
};
const int snd_continuation_root_count = int(sizeof snd_continuation_roots / sizeof snd_continuation_roots[0]);

bool snd_translated_strict = false;
uint32_t* snd_profile_counts = nullptr;
snd_decoded_step snd_decoded_steps[SND_TABLE_ENTRIES * 4];

namespace {

snd_translated_entry table[SND_TABLE_ENTRIES];
uint8_t stream_area[SND_TABLE_ENTRIES * 4 * max_stream_bytes];
uint32_t stream_used;
int variant_count;
const uint8_t* driver_image;

// Pairs (address << 2 | M/X) waiting to be translated; queued[i] bit m marks a pair
// queued or done, so each pair enters once.
uint32_t pending[SND_TABLE_ENTRIES * 4];
uint32_t pending_count;
uint8_t queued[SND_TABLE_ENTRIES];

char profile_path[4096];

void queue(uint32_t address, uint32_t mx) {
    uint32_t i = address - SND_TABLE_FIRST;
    if (i >= SND_TABLE_ENTRIES || (queued[i] & (1u << mx))) return;
    queued[i] |= uint8_t(1u << mx);
    pending[pending_count++] = address << 2 | mx;
}

void translate(uint32_t address, uint32_t mx) {
    const uint8_t* bytes = driver_image + address;
    uint32_t length = m377_instruction_length(bytes, mx);
    snd_translated_entry& e = table[address - SND_TABLE_FIRST];
    memcpy(stream_area + stream_used, bytes, length);
    e.stream[mx] = stream_area + stream_used;
    e.length[mx] = uint8_t(length);
    e.translated = true;
    // Hook sites, and every pair while the profile counts, keep the full dispatch.
    if (e.hook < 0 && !snd_profile_counts) {
        const uint8_t* stream = e.stream[mx];
        uint32_t taken = stream[0] == 0x42 ? 2 : 1;
        snd_decoded_steps[(address - SND_TABLE_FIRST) << 2 | mx] = {m377_performer_of(mx, stream[taken - 1]),
                                                                    stream + taken, taken};
    }
    stream_used += length;
    variant_count++;
}

uint32_t word_at(const uint8_t* p) {
    return p[0] | uint32_t(p[1]) << 8;
}

// Queues where control goes after the instruction at address under mx.
void queue_successors(uint32_t address, uint32_t mx) {
    const uint8_t* b = driver_image + address;
    uint32_t prefix = b[0] == 0x42 ? 1 : 0, op = b[prefix];
    uint32_t length = m377_instruction_length(b, mx);
    uint32_t next = (address + length) & 0xFFFF;
    uint32_t after = mx;
    auto relative = [&](uint32_t displacement) { return (next + displacement) & 0xFFFF; };
    switch (op) {
    case 0x00: case 0x40: case 0x60: case 0x6B: case 0x6C: case 0x7C: case 0xDC: case 0xDB: case 0x42:
        return;  // BRK, returns, indirect jumps, STP, a doubled prefix
    case 0x89:
        if (length - prefix == 2 && b[prefix + 1] != 0x28) return;  // unassigned: halts
        break;
    case 0x4C: queue(word_at(b + prefix + 1), mx); return;
    case 0x5C:
        if (b[prefix + 3] == 0) queue(word_at(b + prefix + 1), mx);
        return;
    case 0x80: queue(relative(uint32_t(int32_t(int8_t(b[prefix + 1])))), mx); return;
    case 0x82: queue(relative(word_at(b + prefix + 1)), mx); return;
    case 0x20: queue(word_at(b + prefix + 1), mx); break;
    case 0x22:
        if (b[prefix + 3] == 0) queue(word_at(b + prefix + 1), mx);
        break;
    case 0x24: case 0x34: case 0x2C: case 0x3C:  // BBS, BBC: the displacement is the last byte
        queue(relative(uint32_t(int32_t(int8_t(b[length - 1])))), mx);
        break;
    case 0xE2: after |= (b[prefix + 1] >> 4) & 3u; break;
    case 0xC2: after &= ~((b[prefix + 1] >> 4) & 3u); break;
    case 0xF8: after |= m377_mx_m; break;
    case 0xD8: after &= ~m377_mx_m; break;
    default:
        if ((op & 0x1F) == 0x10) queue(relative(uint32_t(int32_t(int8_t(b[prefix + 1])))), mx);
        break;
    }
    if (address + length <= 0xFFFF) queue(next, after);
}

void walk_from(uint32_t address, uint32_t mx_states) {
    for (uint32_t mx = 0; mx < 4; mx++)
        if (mx_states & (1u << mx)) queue(address, mx);
    while (pending_count) {
        uint32_t pair = pending[--pending_count];
        translate(pair >> 2, pair & 3);
        queue_successors(pair >> 2, pair & 3);
    }
}

}  // namespace

int snd_translated_build(const uint8_t* rom) {
    driver_image = rom;
    memset(table, 0, sizeof table);
    memset(queued, 0, sizeof queued);
    memset(snd_decoded_steps, 0, sizeof snd_decoded_steps);
    for (snd_translated_entry& e : table) e.hook = -1;
    stream_used = 0;
    variant_count = 0;
    pending_count = 0;
    for (int i = 0; i < SND_HOOK_SITE_COUNT; i++)
        table[snd_hook_sites[i].address - SND_TABLE_FIRST].hook = int8_t(i);
    // Interrupt entry keeps the interrupted code's widths: handlers are walked in all four.
    for (uint32_t vector = 0xFFD6; vector <= 0xFFFE; vector += 2) walk_from(word_at(rom + vector), 0xF);
    for (const snd_hook_site& site : snd_hook_sites) walk_from(site.address, site.emulated_mx);
    for (int i = 0; i < snd_continuation_root_count; i++)
        walk_from(snd_continuation_roots[i].address, snd_continuation_roots[i].mx_states);
    return variant_count;
}

int snd_translated_variant_count() {
    return variant_count;
}

const snd_translated_entry* snd_translated_entry_at(uint32_t address) {
    uint32_t i = address - SND_TABLE_FIRST;
    return i < SND_TABLE_ENTRIES ? &table[i] : nullptr;
}

void snd_profile_write() {
    if (!snd_profile_counts) return;
    FILE* f = fopen(profile_path, "w");
    if (!f) return;
    for (uint32_t a = 0; a < 0x10000; a++)
        if (snd_profile_counts[a]) fprintf(f, "%04X %u\n", a, snd_profile_counts[a]);
    fclose(f);
}

void snd_translated_init() {
    static bool first_call = true;
    if (first_call) {
        first_call = false;
        const char* path = env_text("SKYVOLTA_SNDXPROF");
        if (path) {
            snprintf(profile_path, sizeof profile_path, "%s", path);
            snd_profile_counts = static_cast<uint32_t*>(calloc(0x10000, sizeof(uint32_t)));
            if (snd_profile_counts) atexit(snd_profile_write);
        }
    }
    printf("[SND] translated sound program (%d instructions)\n", snd_translated_build(sound_driver_rom));
}

int snd_translated_halt(m377_state* s, uint32_t address, const char* reason) {
    int n = fprintf(stderr, "[SND] TRANSLATED DRIVER: %s at %06X (M/X=%u) -- sound stopped\n", reason, address,
                    unsigned(m377_mx_state(s->ps)));
    s->halted = 1;
    s->halt_pc = address;
    s->halt_code = m377_halt_translated;
    return n;
}

namespace {

// The dispatch of an address without its plain stream: strict halts, the hook site's
// routine, a variant the walk did not reach. Null when the step is over.
const uint8_t* stream_slow(m377_state* s, uint32_t address, snd_translated_entry& e, uint32_t mx) {
    if (!e.translated && snd_translated_strict) {
        snd_translated_halt(s, address, "no translation for this address");
        return nullptr;
    }
    if (e.hook >= 0 && snd_hook_run(s, &snd_hook_sites[e.hook])) return nullptr;
    if (!e.stream[mx]) {
        if (snd_translated_strict) {
            snd_translated_halt(s, address, "no translation for this M/X");
            return nullptr;
        }
        walk_from(address, 1u << mx);
    }
    return e.stream[mx];
}

}  // namespace

void snd_translated_dispatch_full(m377_state* s) {
    uint32_t address = uint32_t(s->pg) << 16 | s->pc;
    if (snd_profile_counts) snd_profile_counts[address & 0xFFFF]++;
    uint32_t mx = m377_mx_state(s->ps);
    uint32_t index = address - SND_TABLE_FIRST;
    if (index >= SND_TABLE_ENTRIES) {
        snd_translated_halt(s, address, "no translation for this address");
        return;
    }
    snd_translated_entry& e = table[index];
    const uint8_t* stream = e.stream[mx];
    if (!stream || e.hook >= 0) {
        stream = stream_slow(s, address, e, mx);
        if (!stream) return;
    }
    uint32_t taken = stream[0] == 0x42 ? 2 : 1;
    snd_run_decoded(s, m377_performer_of(mx, stream[taken - 1]), stream + taken, taken);
}

void snd_translated_program(m377_state* s) {
    snd_translated_step(s);
}
