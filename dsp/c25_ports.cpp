// The C25's I/O ports: the point-data ports 0, 1 and 3, the list walker behind IN 2,
// the DSP RAM access mode of port 13 and the optional hooks of ports 3, 7, 8 and 12.
#include "dsp/c25_memory.h"

namespace {

enum port : uint32_t {
    port_point_low = 0,    // IN: low half of the point word; OUT: store and advance
    port_point_high = 1,   // IN: 0x8000 | bits 16-23, advance; OUT: the latch's high part
    port_pdp = 2,          // IN: run the list walker; OUT: kept in port2_word
    port_point_addr = 3,   // IN: BIO / hook; OUT: shift the point address in
    port_hook7 = 7,
    port_hook8 = 8,
    port_id = 9,           // IN gives 99
    port_hook12 = 12,
    port_dspram_mode = 13,
};

constexpr uint32_t port9_value = 99;

}  // namespace

uint32_t c25_port_in(c25_state* s, uint32_t port) {
    switch (port) {
    case port_point_low: return uint32_t(c25_point_read(s, s->point_addr));
    case port_point_high: {
        uint32_t high = (uint32_t(c25_point_read(s, s->point_addr)) >> 16) & 0xFF;
        s->point_addr++;
        return 0x8000 | high;
    }
    case port_pdp: c25_pdp_run(s); return 0;
    case port_point_addr:
        if (s->bio_on_in3) s->bio = 1;
        if (s->on_in3) s->on_in3(s);
        return 0;
    case port_id: return port9_value;
    default: return 0;
    }
}

void c25_port_out(c25_state* s, uint32_t port, uint16_t value) {
    switch (port) {
    case port_point_low:
        s->point_latch |= value;
        if (uint32_t* slot = c25_point_ram_slot(s, s->point_addr)) *slot = s->point_latch & C25_POINT_WORD_MASK;
        s->point_addr++;
        break;
    case port_point_high: s->point_latch = uint32_t(value) << 16; break;
    case port_pdp: s->port2_word = value; break;
    case port_point_addr: s->point_addr = s->point_addr << 16 | value; break;
    case port_hook7:
        if (s->on_out7) s->on_out7(value);
        break;
    case port_hook8:
        if (s->on_out8) s->on_out8();
        break;
    case port_hook12:
        if (s->on_out12) s->on_out12(value);
        break;
    case port_dspram_mode: s->dspram_mode = value & 3; break;
    default: break;
    }
}
