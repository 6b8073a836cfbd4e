#include "tests/support/synth_sound_driver.h"

#include "tests/support/m37702_asm.h"
#include "tests/support/synth_rom_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Everything but the idle loop, below 0xC12B.
constexpr const char* driver_body = R"(
reset:  sei
        clp #$30            ; 16-bit accumulator and index for the set-up
        ldx #$01ff
        txs
        lda #$0000
        tad
        sep #$20            ; the idle loop's widths: M = 1, X = 0
        ldm #$05,$7d        ; INT0 level 5
        ldm #$04,$7f        ; INT2 level 4
        cli
        jmp $c12b

int0:   clp #$30
        inc $90
        bbs #$4000,$4000,keyon
        rti
keyon:  lda $4000
        and #$3fff
        ora #$8000
        sta $4000
        lda $4100           ; the pitch
        sta $2004           ; voice 0: freq
        ldm #$ffff,$2000    ; vol_f
        ldm #$0001,$2008    ; bank
        ldm #$0000,$200a    ; start
        ldm #$003f,$200c    ; end
        ldm #$0000,$200e    ; loop
        ldm #$4002,$2006    ; flags: key-on request, looped
        ldm #$0000,$2404    ; key sweep
        rti

int2:   clp #$30
        inc $92
        rti

work:   clp #$30
        ldx #$0000
wl:     lda $94
        clc
        adc #$0101
        sta $94
        sta $2104,x         ; voices 16-31: freq
        lda $4102
        sta $4202
        txa
        clc
        adc #$0010
        tax
        cpx #$0100
        bne wl
        sep #$20
        rts
)";

}  // namespace

bool synth_driver_put(uint8_t* image, uint32_t origin, const char* source, m377_program* labels) {
    auto own = std::make_unique<m377_program>();
    m377_program* p = labels ? labels : own.get();
    if (!m377_assemble(p, origin, source)) {
        fprintf(stderr, "synth_driver_put at %04X: %s\n", origin, p->error);
        return false;
    }
    if (origin + p->size > 0x10000) {
        fprintf(stderr, "synth_driver_put at %04X: the program leaves bank 0\n", origin);
        return false;
    }
    memcpy(image + origin, p->bytes, p->size);
    return true;
}

void synth_driver_vector(uint8_t* image, uint32_t vector, uint32_t target) {
    image[vector] = uint8_t(target);
    image[vector + 1] = uint8_t(target >> 8);
}

void synth_sound_driver_image(uint8_t* image) {
    memset(image + 0xC000, 0, 0x4000);
    auto p = std::make_unique<m377_program>();
    if (!synth_driver_put(image, SYNTH_DRIVER_RESET, driver_body, p.get())) abort();
    if (SYNTH_DRIVER_RESET + p->size > 0xC12B) {
        fprintf(stderr, "synth_sound_driver: the body runs into the idle loop\n");
        abort();
    }
    uint32_t int0 = m377_label(p.get(), "int0"), int2 = m377_label(p.get(), "int2");
    char idle[256];
    snprintf(idle, sizeof idle,
             ".m8\n.x16\n"
             "idle:   lda $83\n"
             "        beq idle\n"
             "        jsr $%04X\n"
             "        bra idle\n",
             m377_label(p.get(), "work"));
    if (!synth_driver_put(image, 0xC12B, idle)) abort();
    synth_driver_vector(image, 0xFFFE, SYNTH_DRIVER_RESET);
    synth_driver_vector(image, 0xFFF4, int0);
    synth_driver_vector(image, 0xFFF0, int2);
}

void synth_sound_driver(synth_rom_set* set) {
    synth_sound_driver_image(set->sound_driver);
}
