#include "tests/support/synth_structured_driver.h"

#include "tests/support/m37702_asm.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/synth_sound_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Start-up, the idle loop, the test entry and the tick; the vector set-up is inserted
// where the source says VECTORS.
constexpr const char* start_source = R"(
reset:  sei
        clp #$30
        ldx #$01ff
        txs
        lda #$0000
        tad
VECTORS
        sep #$20
        ldm #$05,$7d        ; INT0 (the tick) level 5
        ldm #$02,$7f        ; INT2 level 2
        cli
        jmp $c12b

        .org $c12b
        .m8
        .x16
idle:   lda $83
        beq idle
        ldm #$00,$83
        bra idle

        .org $c200
        .m16
call_stop_track:            ; a caller of stop_track: Y on the stack
        phy
        jmp $e18d

        .org $c258
tick:   clp #$3b
        .m16
        psh #$3f            ; A, B, X, Y, D, DT
        ldt #$00
        lda #$0000
        tad
        lda #$0100
        pha
        plp
        per tick_back
        jmp ($bfba)
tick_back:
        clp #$3b
        pul #$3f
        rti
)";

// The driver's work below the hooks: the routines behind the hook addresses and those
// the vectors name.
constexpr const char* work_source = R"(
        .m16
        .x16
main_work:                  ; vector 0x0104: the mailbox
        sep #$20
        jsr $d6e3
        clm
        rts

slot_work:                  ; vector 0x010A, X = the track record
        phy
        lda $0a,x
        bmi sw_live
        jmp $e18d           ; the owner stopped: stop the track
sw_live:
        inc $0e,x           ; ticks played
        lda $0e,x
        cmp #$0001
        bne sw_age
        jsr sw_voices
        ldx $d8
sw_age: lda $0a,x
        and #$001f
        clc
        adc #$0004
        cmp $0e,x
        bcs sw_done
        jmp $e18d           ; played out
sw_done:
        ply
        rts

        .m16
sw_voices:                  ; X = the track record
        lda $0a,x
        and #$0400
        beq sw_solo
        lda $d0             ; a child in the next slot
        inc a
        and #$001f
        asl a
        clc
        adc #$4000
        tay
        lda $0a,x
        and #$03ff
        ora #$4800
        sta $0000,y
        lda $e0
        sta $0040,y
sw_solo:
        lda $0a,x
        and #$0003
        inc a
        sta $0290           ; channels left
        lda $0a,x
        sta $0292           ; voice of the next channel (low five bits)
        and #$007f
        inc a
        sta $c2             ; claim priority
        ldx $d6
sw_chan:
        stx $0294
        sep #$20
        jsr $d95b           ; reset the channel
        clm
        lda $0292
        and #$001f
        sta $0296
        sep #$20
        sta $11,x
        clm
        asl a
        asl a
        asl a
        asl a
        asl a
        asl a
        sta $0298           ; 64 v
        asl a
        clc
        adc $0298
        clc
        adc #$7000
        sta $16,x           ; voice record 0x7000 + 192 v
        jsr $d8a0           ; claim the voice
        ldx $0294
        sep #$20
        jsr $d8cf           ; and take it
        clm
        lda $0296
        asl a
        asl a
        asl a
        asl a
        tax
        ldy $d8
        lda $000a,y
        sta $2004,x         ; the command word as the voice's "freq"
        lda $0292
        clc
        adc #$0009
        sta $0292
        lda $0294
        clc
        adc #$0020
        tax
        dec $0290
        bne sw_chan
        rts

        .m16
take_voice:                 ; vector 0x0110, X = the channel record
        php
        sep #$20
        jsr $d8cf
        plp
        rts

        .m16
release_voice:              ; vector 0x0112, X = the channel record
        lda $11,x
        and #$00ff
        sta $cc
        jsr $d8f9           ; no owner; X = the voice's claim row
        jsr $d912           ; the strongest claim left
        .m8
        cmp #$00
        beq rv_done
        pha
        jsr $d936           ; the voice goes to it
        sep #$20
        pla
rv_done:
        clm
        rts

        .m16
stop_common:                ; the current slot (0x00D0, 0x00D6, 0x00D8, 0x00E0)
        lda $d0
        and #$00ff
        tax
        ldy #$0020
sc_claim:
        sep #$20            ; the slot's column of claims
        lda #$00
        sta $008800,x
        clm
        txa
        clc
        adc #$0020
        tax
        dey
        bne sc_claim
        ldm #$0000,$c0
        ldm #$0008,$c4
        ldx $d6
sc_chan:
        sep #$20
        lda $13,x
        bne sc_live
        clm
        bra sc_next
        .m8
sc_live:
        ldm #$00,$13,x
        clm
        stx $c2
        lda $11,x
        and #$00ff
        sta $cc
        lda $16,x
        tax                 ; the voice record
        sep #$20
        lda $35,x
        sta $34,x           ; its pending events are dropped
        clm
        ldx $c2
        lda $1d,x
        and #$007f
        beq sc_soft
        lda $cc
        asl a
        asl a
        asl a
        asl a
        tax
        lda #$0000
        sta $002006,x       ; "flags" 0: the voice stops
        bra sc_calls
sc_soft:
        lda $16,x
        tax
        sep #$20
        lda $06,x
        beq sc_key_off
        ldm #$01,$2e,x      ; the envelope releases
        clm
        bra sc_calls
sc_key_off:
        clm
        lda $cc
        asl a
        asl a
        asl a
        asl a
        tax
        lda $002006,x
        and #$fffd
        sta $002006,x
sc_calls:
        ldx $c2
        per sc_call2
        jmp ($0112)
sc_call2:
        per sc_call3
        jmp ($010e)
sc_call3:
        sep #$20
        cmp #$00
        clm
        beq sc_called
        per sc_called
        jmp ($0114)
sc_called:
        ldx $c2
sc_next:
        txa
        clc
        adc #$0020
        tax
        dec $c4
        beq sc_done
        brl sc_chan
sc_done:
        ldx $e0
        lda $00,x
        and #$7fff
        sta $00,x
        ldm #$0000,$40,x
        ldx $d8
        ldm #$0000,$0a,x
        rts

        .m16
tick_body:                  ; 0xD684
        clp #$30
        lda $da
        clc
        adc #$0040
        sta $da
        sep #$20
        lda $d3
        beq tb_idle
        rts                 ; busy
tb_idle:
        lda $004480
        cmp #$5a
        beq tb_quiet
        lda $200002
        cmp #$aa
        bne tb_work
        lda $200003
        cmp #$99
        bne tb_work
tb_quiet:
        rts
tb_work:
        ldm #$01,$d3
        ldt #$00
        clm
        lda #$0000
        tad
        tsa
        sta $ee
        sep #$20
        lda $00448a
        sta $f4
        clm
        per tb_main_done
        jmp ($0104)
tb_main_done:
        sep #$20
        lda $0043fc
        cmp $0043fe
        clm
        beq tb_same
        jsr $d879
tb_same:
        lda $ee
        tas
        sep #$20
        ldm #$00,$d3
        clm
        tsa
        rts

        .m16
mailbox:                    ; 0xD6E3
        clp #$30
        ldm #$5000,$d6
        ldm #$4500,$d8
        sep #$20
        ldm #$00,$d0
        clm
        ldm #$4000,$e0
mb_slot:
        ldx $e0
        lda $00,x
        and #$4000
        beq mb_running
        per mb_next
        jmp ($0106)
mb_running:
        lda $40,x
        tax
        ldb $00,x           ; the owner's command word
        ldx $d8
        lda $0a,x
        bpl mb_next
        stb $0a,x
        per mb_level
        jmp ($010a)
mb_level:
        ldx $d8
        jsr $d745
mb_next:
        sep #$20
        inc $d0
        lda $d0
        cmp $004484
        clm
        beq mb_done
        lda $d6
        clc
        adc #$0100
        sta $d6
        lda $d8
        clc
        adc #$0050
        sta $d8
        inc $e0
        inc $e0
        bra mb_slot
mb_done:
        per mb_end
        jmp ($0126)
mb_end: sem
        rts

        .m16
slot_level:                 ; 0xD745, X = the track record
        lda $0a,x
        and #$3000
        bne sl_done
        sep #$20
        lda ($1e,x)
        sta $20,x
        clm
sl_done:
        rts

        .m16
new_command:                ; 0xD788
        ldx $d8
        lda $0a,x
        bpl nc_idle
        per nc_idle
        jmp ($0116)
nc_idle:
        ldx $e0
        lda $00,x
        and #$0800
        bne nc_child
        txa
        sta $40,x           ; started by the game: it owns itself
nc_child:
        lda $00,x
        and #$3fff
        ora #$8000
        sta $00,x
        pha
        and #$07ff
        sta $c0
        asl a
        adc $c0
        adc $210000
        tax
        lda $210000,x       ; the sequence
        tay
        lda $210002,x       ; and its bank
        ldx $d8
        sty $10,x
        ldy $da
        sty $00,x
        sep #$20
        sta $12,x
        clm
        ldm #$0000,$18,x
        ldm #$0000,$0e,x
        ldm #$0000,$1a,x
        ldm #$0000,$14,x
        ldm #$0000,$16,x
        pla
        sta $0a,x
        ldx $d6
        ldy #$0008
nc_chan:
        sep #$20
        ldm #$00,$13,x
        clm
        txa
        clc
        adc #$0020
        tax
        dey
        bne nc_chan
        rts

        .m16
stop_slot_children:         ; 0xD982
        lda $e0
        sta $c6
        pei $d6
        pei $d0
        ldm #$0000,$d0
        ldm #$5000,$d6
        ldm #$4000,$e0
ssc_slot:
        ldx $e0
        lda $00,x
        and #$c000
        beq ssc_next
        lda $40,x
        cmp $c6
        bne ssc_next
        jsr stop_common
        ldy $e0
        ldt #$00
ssc_next:
        inc $e0
        inc $e0
        sep #$20
        inc $d0
        clm
        lda $d6
        clc
        adc #$0100
        sta $d6
        cmp #$7000
        bne ssc_slot
        pla
        sta $d0
        pla
        sta $d6
        lda $c6
        sta $e0
        rts

        .m16
claim:                      ; 0xD8A0, X = the channel record
        txa
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        and #$0007
        sep #$20
        sta $c3
        clm
        lda $11,x
        and #$00ff
        asl a
        asl a
        asl a
        asl a
        asl a
        clc
        adc #$8800
        pha                 ; the voice's claim row
        lda $d0
        and #$00ff
        clc
        adc $01,s
        tax
        sep #$20
        lda $c2
        sta $00,x
        clm
        txa
        clc
        adc #$0400
        tax
        sep #$20
        lda $c3
        sta $00,x
        clm
        plx
        rts

        .m8
take:                       ; 0xD8CF, X = the channel record
        ldm #$ff,$13,x
        stx $ca
        lda $11,x
        clm
        and #$00ff
        asl a
        adc #$4f00
        tay                 ; the voice's owner entry
        ldx $00,y
        cpx $ca
        beq tk_done
        cpx #$0000
        beq tk_free
        sep #$20
        ldm #$00,$13,x      ; the old owner loses the voice
        clm
tk_free:
        tyx
        lda $ca
        sta $00,x
tk_done:
        ldx $ca
        sep #$20
        rts

        .m16
clear_owner:                ; 0xD8F9
        clm
        lda $cc
        asl a
        clc
        adc #$4f00
        sta $ca
        tax
        ldm #$0000,$00,x
        lda $cc
        asl a
        asl a
        asl a
        asl a
        asl a
        clc
        adc #$8800
        tax
        rts

        .m16
strongest:                  ; 0xD912, X = a claim row
        sep #$20
        lda $004482
        dec a
        sta $c0
        ldy #$0000
        tyb
        lda #$00
st_loop:
        cmp $00,x
        bcs st_next
        lda $00,x
        stx $de
        tyb
st_next:
        inx
        iny
        dec $c0
        bbs #$ff,$c0,st_end
        bra st_loop
st_end: cmpb #$00
        rts

        .m16
give:                       ; 0xD936
        clm
        lda $de
        and #$001f
        asl a
        asl a
        asl a
        pha                 ; 8 x the claim's slot
        lda $de
        clc
        adc #$0400
        tax                 ; its channel number
        pla
        sep #$20
        adc $00,x
        clm
        and #$00ff
        asl a
        asl a
        asl a
        asl a
        asl a
        adc #$5000
        ldx $ca
        sta $00,x           ; the owner entry
        tax
        sep #$20
        ldm #$ff,$13,x
        clm
        txa
        rts

        .m8
reset_channel:              ; 0xD95B, X = a channel record
        ldm #$00,$10,x
        clm
        ldm #$0000,$00,x
        ldm #$0000,$02,x
        ldm #$0000,$04,x
        ldm #$0000,$06,x
        ldm #$0000,$08,x
        ldm #$0000,$0a,x
        ldm #$0000,$0c,x
        ldm #$0000,$0e,x
        ldm #$0000,$12,x
        ldm #$0000,$14,x
        ldm #$0000,$16,x
        ldm #$0000,$18,x
        ldm #$0000,$1c,x
        ldm #$0000,$1e,x
        txa
        sta $18,x
        sem
        rts

        .m16
int2:   pht
        ldt #$00
        clp #$20
        inc $0330
        plt
        rti
STUBS
        .org $d684
        jmp tick_body
        .org $d6e3
        jmp mailbox
        .org $d745
        jmp slot_level
        .org $d788
        jmp new_command
        .org $d879
        .m16
pair:   php                 ; the pair at 0x43FC / 0x43FE made equal
        sep #$20
        lda $0043fe
        sta $0043fc
        clm
        inc $0334
        plp
        rts
        .org $d8a0
        jmp claim
        .org $d8cf
        jmp take
        .org $d8f9
        jmp clear_owner
        .org $d912
        jmp strongest
        .org $d936
        jmp give
        .org $d95b
        jmp reset_channel
        .org $d982
        jmp stop_slot_children
        .org $e18d
        .m16
stop_track:
        clm
        jsr stop_common
        ply
        ldt #$00
        rts
)";

// Vectors 0x0104-0x012E: the driver's routines, the rest stubs.
constexpr struct {
    uint16_t vector;
    const char* target;
} used_vectors[] = {
    {0x0104, "main_work"}, {0x0106, "$d788"}, {0x010A, "slot_work"}, {0x0110, "take_voice"},
    {0x0112, "release_voice"}, {0x0116, "$d982"}, {0x0128, "$d8a0"},
};

const char* vector_target(uint32_t vector) {
    for (const auto& v : used_vectors)
        if (v.vector == vector) return v.target;
    return nullptr;
}

std::string replace(std::string text, const char* marker, const std::string& with) {
    size_t at = text.find(marker);
    if (at != std::string::npos) text.replace(at, strlen(marker), with);
    return text;
}

std::string driver_source() {
    std::string vectors, stubs;
    char line[160];
    for (uint32_t vector = 0x0104; vector <= 0x012E; vector += 2) {
        const char* target = vector_target(vector);
        char stub[16];
        snprintf(stub, sizeof stub, "stub_%04x", vector);
        snprintf(line, sizeof line, "        ldm #%s,$%04x\n", target ? target : stub, vector);
        vectors += line;
        if (target) continue;
        snprintf(line, sizeof line,
                 "%s:\n        php\n        pht\n        ldt #$00\n        clm\n        inc $%04x\n"
                 "        plt\n        plp\n        rts\n",
                 stub, synth_sd_stub_count_address(vector));
        stubs += line;
    }
    return replace(start_source, "VECTORS", vectors) + replace(work_source, "STUBS", stubs);
}

}  // namespace

void synth_structured_driver_image(uint8_t* image) {
    memset(image + 0xC000, 0, 0x4000);
    auto p = std::make_unique<m377_program>();
    std::string source = driver_source();
    if (!synth_driver_put(image, 0xC030, source.c_str(), p.get())) abort();
    synth_driver_vector(image, 0xFFFE, 0xC030);
    synth_driver_vector(image, 0xFFF4, m377_label(p.get(), "tick"));
    synth_driver_vector(image, 0xFFF0, m377_label(p.get(), "int2"));
    synth_driver_command_table(image);
    synth_driver_id_bytes(image, 0, 0);
}

void synth_driver_comms_byte(uint8_t* comms, uint32_t address, uint32_t value) {
    comms[((address - 0x4000) ^ 1) & 0x7FFF] = uint8_t(value);
}

void synth_driver_comms_word(uint8_t* comms, uint32_t address, uint32_t value) {
    synth_driver_comms_byte(comms, address, value);
    synth_driver_comms_byte(comms, address + 1, value >> 8);
}

uint32_t synth_driver_comms_read16(const uint8_t* comms, uint32_t address) {
    return comms[((address - 0x4000) ^ 1) & 0x7FFF] | uint32_t(comms[((address + 1 - 0x4000) ^ 1) & 0x7FFF]) << 8;
}

void synth_driver_shared_bytes(uint8_t* comms, uint32_t voices, uint32_t slots) {
    synth_driver_comms_word(comms, 0xBFBA, 0xD684);
    synth_driver_comms_byte(comms, 0x4480, 0);
    synth_driver_comms_byte(comms, 0x4482, voices);
    synth_driver_comms_byte(comms, 0x4484, slots);
    synth_driver_comms_byte(comms, 0x448A, 0x0F);
    synth_driver_comms_byte(comms, 0x43FC, 0x21);
    synth_driver_comms_byte(comms, 0x43FE, 0x21);
}

void synth_driver_slot(uint8_t* comms, uint32_t slot, uint32_t command, uint32_t link) {
    synth_driver_comms_word(comms, 0x4000 + 2 * slot, command);
    synth_driver_comms_word(comms, 0x4040 + 2 * slot, link);
}

void synth_driver_track(uint8_t* comms, uint32_t slot, uint32_t command, uint32_t level_source) {
    uint32_t track = 0x4500 + 0x50 * slot;
    for (uint32_t i = 0; i < 0x50; i++) synth_driver_comms_byte(comms, track + i, 0xA0 + i);
    synth_driver_comms_word(comms, track + 0x0A, command);
    synth_driver_comms_word(comms, track + 0x0E, 0);
    synth_driver_comms_word(comms, track + 0x1E, level_source);
}

void synth_driver_channel(uint8_t* comms, uint32_t slot, uint32_t k, uint32_t active, uint32_t voice,
                          uint32_t voice_record, uint32_t stop_mode) {
    uint32_t channel = 0x5000 + 0x100 * slot + 32 * k;
    for (uint32_t i = 0; i < 32; i++) synth_driver_comms_byte(comms, channel + i, 0x30 + i + k);
    synth_driver_comms_byte(comms, channel + 0x13, active);
    synth_driver_comms_byte(comms, channel + 0x11, voice);
    synth_driver_comms_word(comms, channel + 0x16, voice_record);
    synth_driver_comms_byte(comms, channel + 0x1D, stop_mode);
}

void synth_driver_voice(uint8_t* comms, uint32_t voice, uint32_t envelope, uint32_t write_index,
                        uint32_t read_index) {
    uint32_t record = 0x7000 + 192 * voice;
    synth_driver_comms_byte(comms, record + 0x06, envelope);
    synth_driver_comms_byte(comms, record + 0x34, write_index);
    synth_driver_comms_byte(comms, record + 0x35, read_index);
}

void synth_driver_owner(uint8_t* comms, uint32_t voice, uint32_t channel_record) {
    synth_driver_comms_word(comms, 0x4F00 + 2 * voice, channel_record);
}

void synth_driver_claim(uint8_t* comms, uint32_t voice, uint32_t slot, uint32_t priority, uint32_t channel) {
    synth_driver_comms_byte(comms, 0x8800 + 32 * voice + slot, priority);
    synth_driver_comms_byte(comms, 0x8C00 + 32 * voice + slot, channel);
}
