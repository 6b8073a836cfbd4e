#include "tests/support/synth_structured_driver.h"

#include "tests/support/m37702_asm.h"
#include "tests/support/synth_rom_tables.h"
#include "tests/support/synth_sound_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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
        ldx #$7000
voice_init:                 ; each voice's next event: its ring's first entry
        txa
        clc
        adc #$0080
        sta $36,x
        txa
        clc
        adc #$00c0
        tax
        cpx #$8800
        bne voice_init
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

after_slots:                ; vector 0x0126: counted, then the channel walk
        inc $0322
        jmp $e46e

        .m16
voice_event:                ; vector 0x0124, X = the voice, Y = its event; the voice
        jsr $e4e7           ; routines end with a 16-bit accumulator and data bank 0
        bra voice_done
voice_key_on:               ; vector 0x0118, X = the voice
        sep #$20
        jsr $e5a7
        bra voice_done
voice_pitch_envelope:       ; vector 0x011E
        jsr $ebfd
        bra voice_done
voice_envelope:             ; vector 0x0120: the volume envelope's routine word
        sep #$20
        jsr $ef45
        bra voice_done
voice_volume:               ; vector 0x011C, the voice update's tail: pan and volume
        sep #$20
        jsr $ecaa
voice_done:
        ldt #$00
        clm
        rts

cmd_voices:                 ; sequence command 0x18, X = the track: voices for its channels
        phy
        pht
        ldt #$00
        jsr sw_voices
        plt
        ply
        ldx $d8
        rts

        .m16
sw_voices:                  ; X = the track record
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
)";

// The sequencer and its commands: the hook addresses jump to the bodies after 0xF400;
// the addresses where the emulated forms of commands continue hold jumps to a stub that
// counts at 0x0336 and returns. HANDLERS stands for the handler table's words.
constexpr const char* sequence_source = R"(
        .org $d9d0
        jmp sequencer
        .org $da11
        jmp seq_loop
        .org $da2e
        jmp h_cont
        .org $da92
        jmp h_cont
        .org $daaf
        jmp poke
        .org $daf0
        jmp field_daf0
        .org $db5c
        jmp track_db5c
        .org $db63
        jmp track_db63
        .org $db6d
        jmp field_db6d
        .org $db8d
        jmp level_param
        .org $db9d
        jmp track_db9d
        .org $dbf0
        jmp child
        .org $dc4a
        jmp instrument
        .org $dc83
        jmp field_dc83
        .org $dc90
        jmp field_dc90
        .org $dcd6
        jmp h_cont
        .org $dd01
        jmp field_dd01
        .org $dd3a
        jmp h_cont
        .org $dd85
        jmp arithmetic
        .org $de61
        jmp h_cont
        .org $de77
        jmp if_cmd
        .org $df2b
        jmp h_cont
        .org $df52
        jmp h_cont
        .org $df59
        jmp note_df59
        .org $df6d
        jmp note_df6d
        .org $dfa9
        jmp h_cont
        .org $dfed
        jsr note_start      ; returns to 0xDFF0
        jmp nt_next
        .org $e02a
        jsr note_start      ; returns to 0xE02D
        jmp nt_fnext
        .org $e054
        jmp h_cont
        .org $e07d
        jmp h_cont
        .org $e108
        jmp h_cont
        .org $e12d
        jmp h_cont
        .org $e143
        jmp message
        .org $e157
        jmp call
        .org $e185
        jmp return
        .org $e18d
        .m16
stop_track:
        clm
        jsr stop_common
        ply
        ldt #$00
        rts
        .org $e277
        jmp jump
        .org $e286
        jmp repeat
        .org $e2bc
        jmp h_cont
        .org $e342
        jmp field_e342
        .org $e38a
        jmp field_e38a
        .org $e3a3
        jmp field_e3a3
        .org $e46e
        jmp channels
        .org $e4e7
        jmp note_event
        .org $e5a7
        jmp key_on
        .org $e5b8
        jmp h_cont
        .org $e63c
        jmp h_cont
        .org $e6bc
        jmp h_cont
        .org $e6dd
        jmp h_cont
        .org $e706
        jmp h_cont
        .org $e72b
        jmp h_cont
        .org $e7fe
        jmp fixed_pan
        .org $e82b
        jmp h_cont
        .org $e835
        jmp h_cont
        .org $e83a
        jmp h_cont
        .org $e87e
        jmp pan_to_speakers
        .org $e8db
        jmp channel_update
        .org $e97e
        jmp voice_levels
        .org $e987
        jmp levels_scratch
        .org $e9d5
        rts                 ; no pitch effect, no envelope
        .org $e9d6
        jmp ($005a,x)       ; the voice's pitch-effect routine
        .org $eb29
        jmp streaming
        .org $eb47
        jmp h_cont
        .org $eb86
        jmp h_cont
        .org $ebb8
        jmp pitch_glide
        .org $ebfd
        jmp pitch_envelope
        .org $ecaa
        jmp ($0060,x)       ; its pan and volume routine
        .org $ecc4
        jmp pan_then_volume
        .org $ecd4
        jmp pan_count
        .org $ecd9
        jmp h_cont
        .org $ed0b
        jmp h_cont
        .org $ed12
        jmp h_cont
        .org $ed31
        jmp h_cont
        .org $ed3f
        jmp h_cont
        .org $ed7b
        jmp pan_glide_in
        .org $ed8b
        jmp pan_glide_out
        .org $ef45
        jmp ($005c,x)       ; its volume-envelope routine
        .org $ef48
        jmp envelope_rise
        .org $ef5c
        jmp envelope_fall
        .org $ef6d
        jmp envelope_hold
        .org $ef8c
        jmp h_cont
        .org $ef9d
        jmp envelope_read
        .org $efae
        jmp envelope_end
        .org $efbc
        jmp h_cont
        .org $f013
        jmp sample_change
        .org $f064
        jmp sample_restart

        .org $f448          ; after the driver's tables at 0xF106-0xF447
        .m16
        .x16
sequencer:                  ; X = the track, B = its owner's command word
        asl b
        bcs sq_live
        phy
        jmp $e18d           ; the owner stopped
sq_live:
        lda $00,x
        sec
        sbc $da
        beq sq_due
        bmi sq_due
        rts                 ; not yet
sq_due: sep #$20
        lda $12,x
        pha
        plt
        clm
        ldy $10,x
        sep #$20
        lda $1a,x
        beq sq_commands
        dec $1a,x
        clm
        bra sq_step
        .m8
sq_commands:
        clm
        jmp $da11
seq_loop:                   ; 0xDA11: the next command byte at DT:Y
        ldx $d8
        lda $0000,y
        and #$00ff
        cmp #$0080
        bcs sq_wait
        iny
        sep #$20
        sta $e2
        clm
        and #$003f
        asl a
        tax
        pea #$da11
        lda $000130,x
        pha
        ldx $d8
        clc
        clv
        rts                 ; into the handler, which returns to 0xDA11
sq_wait:
        iny
        and #$007f
        sep #$20
        sta $1a,x
        clm
sq_step:
        sep #$20
        lda $1b,x
        clm
        beq sq_plain
        jmp $da92
sq_plain:
        sep #$20
        lda $0d,x
        clm
        beq sq_time
        jmp $da2e
sq_time:                    ; time += (+0x09) x (+0x07)
        lda $09,x
        and #$00ff
        sta $f2
        phy
        lda $07,x
        and #$00ff
        tay
        lda $00,x
        cpy #$0000
        beq sq_timed
sq_mul: clc
        adc $f2
        dey
        bne sq_mul
sq_timed:
        sta $00,x
        ply
        sty $10,x
        ldt #$00
        clc
        clv
        rts

h_norm:                     ; a command's end: X = the track, A = 0, C and V clear
        ldx $d8
        lda #$0000
        clc
        clv
        rts

h_cont: php                 ; an emulated continuation: counted, then back to the caller
        pht
        ldt #$00
        clm
        inc $0336
        plt
        plp
        rts

h_other:                    ; a command without operands or work here
        rts

value_byte:                 ; Y at a value byte, 0x00C4 the field byte: A = the value
        lda $0000,y
        and #$00ff
        pha
        lda $c4
        and #$0080
        beq vb_plain
        pla
        asl a
        phx
        tax
        lda $004100,x       ; a parameter word's low byte
        plx
        and #$00ff
        rts
vb_plain:
        pla
        rts

poke:   lda $0002,y
        pha
        lda $0000,y
        tax
        pla
        sta $00,x
        iny
        iny
        iny
        iny
        jmp h_norm

track_db5c:
        sep #$20
        ldm #$00,$1b,x
        clm
        bra track_field
track_db63:
        txa
        clc
        adc #$0006
        sta $1e,x           ; the level source: the track's own byte
        bra track_field
track_db9d:
        ldm #$0000,$0c,x
track_field:                ; field byte, value byte
        lda $0000,y
        and #$00ff
        sta $c4
        iny
        jsr value_byte
        dey
        phx
        pha
        lda $c4
        and #$007f
        clc
        adc $03,s
        tax
        pla
        sep #$20
        sta $00,x
        clm
        plx
        iny
        iny
        jmp h_norm

level_param:
        lda $0000,y
        and #$00ff
        asl a
        clc
        adc #$4100
        sta $1e,x
        iny
        jmp h_norm

child:  lda $0000,y
        and #$00ff
        asl a
        tax
        lda $0001,y
        and #$07ff
        ora #$4800
        sta $004000,x
        lda $e0
        sta $004040,x
        iny
        iny
        iny
        jmp h_norm

instrument:                 ; n, a mask word, the data the mask selects
        lda $0000,y
        and #$00ff
        asl a
        asl a
        asl a
        asl a
        clc
        adc #$9000
        tax
        lda $0001,y
        sta $c0
        iny
        iny
        iny
        asl $c0
        bcc in_bytes
        lda $0000,y
        sta $00,x
        iny
        iny
in_bytes:
        inx
        inx
in_loop:
        lda $c0
        beq in_done
        asl $c0
        bcc in_skip
        sep #$20
        lda $0000,y
        sta $00,x
        clm
        iny
in_skip:
        inx
        bra in_loop
in_done:
        jmp h_norm

message:
        ldx #$0000
ms_loop:
        sep #$20
        lda $0000,y
        sta $004300,x
        clm
        iny
        inx
        and #$007f
        bne ms_loop
        sep #$20
        lda $0043fa
        inc a
        sta $0043fa
        clm
        jmp h_norm

call:   lda $14,x           ; the entry at +0x22 + 3 x depth
        and #$00ff
        sta $c0
        asl a
        clc
        adc $c0
        clc
        adc $d8
        tax
        tya
        clc
        adc #$0003
        sta $22,x
        lda $0000,y
        pha
        sep #$20
        pht
        pla
        sta $24,x
        lda $0002,y
        ldx $d8
        sta $12,x
        inc $14,x
        pha
        plt
        clm
        ply
        jmp h_norm

return: sep #$20
        lda $14,x
        clm
        bne rt_pop
        tya
        sta $01,s           ; Y in place of the return address, as stop_track wants
        jmp $e18d
rt_pop: sep #$20
        dec $14,x
        lda $14,x
        clm
        and #$00ff
        sta $c0
        asl a
        clc
        adc $c0
        clc
        adc $d8
        tax
        ldy $22,x
        sep #$20
        lda $24,x
        ldx $d8
        sta $12,x
        pha
        plt
        clm
        jmp h_norm

jump:   lda $0002,y
        pha
        lda $0000,y
        tay
        pla
        sep #$20
        sta $12,x
        pha
        plt
        clm
        rts

repeat: sep #$20
        lda $15,x
        clm
        beq rp_push
        and #$00ff
        dec a
        asl a
        asl a
        clc
        adc $d8
        tax                 ; the top entry - 0x34
        tya
        cmp $36,x
        bne rp_other
        sep #$20
        pht
        pla
        cmp $35,x
        clm
        bne rp_other
        sep #$20
        lda $34,x
        dec $34,x
        cmp #$01
        clm
        bne rp_again
        ldx $d8
        sep #$20
        dec $15,x
        clm
        iny
        iny
        iny
        iny
        jmp h_norm
rp_other:
        jsr h_norm
        jmp $e2bc
rp_push:
        lda $0000,y
        sep #$20
        sta $34,x
        pht
        pla
        sta $35,x
        clm
        tya
        sta $36,x
        sep #$20
        inc $15,x
        clm
rp_again:
        ldx $d8
        lda $0001,y
        pha
        sep #$20
        lda $0003,y
        sta $12,x
        pha
        plt
        clm
        ply
        jmp h_norm

arithmetic:                 ; flags, target t, the value
        lda $0000,y
        and #$0070
        cmp #$0030
        beq ar_word
        cmp #$0020
        beq ar_byte
        cmp #$0000
        beq ar_param
        jsr h_norm          ; bit 6, or bit 4 alone
        jmp h_cont
ar_word:
        lda $0002,y
        bra ar_value
ar_byte:
        lda $0002,y
        and #$00ff
        bra ar_value
ar_param:
        lda $0002,y
        and #$00ff
        asl a
        tax
        lda $004100,x
ar_value:
        sta $c0
        lda $0000,y
        and #$000f
        beq ar_assign
        cmp #$0001
        beq ar_add
        cmp #$0002
        beq ar_sub
        cmp #$0005
        beq ar_rem
        cmp #$0006
        beq ar_random
        asl a
        pha
        jsr h_norm
        plx
        jmp ($ddf7,x)
ar_assign:
        jsr ar_target
        lda $c0
        bra ar_store
ar_add: jsr ar_target
        lda $004100,x
        clc
        adc $c0
        bra ar_store
ar_sub: jsr ar_target
        lda $004100,x
        sec
        sbc $c0
        bra ar_store
ar_rem: jsr ar_target
        lda $c0
        bne ar_rem_any
        clc
        sep #$40            ; a zero value: 0 and V
        bra ar_store
ar_rem_any:
        lda $004100,x
        jsr remainder
        bra ar_store
ar_random:
        lda $c0
        bne ar_step
        jsr h_norm
        jmp $de61
ar_step:
        lda $e8             ; bit 6 XOR bit 14 into bit 0
        and #$4040
        beq ar_bit0
        cmp #$4040
        beq ar_bit0
        sec
        bra ar_shift
ar_bit0:
        clc
ar_shift:
        rol $e8
        lda $e8
        bne ar_state
        jsr h_norm
        jmp $de61
ar_state:
        jsr ar_target
        lda $e8
        jsr remainder
ar_store:
        sta $004100,x
        php
        pla
        sta $c4
        lda $0000,y         ; past the operands
        and #$0030
        cmp #$0030
        bne ar_short
        iny
ar_short:
        iny
        iny
        iny
        jmp h_norm
ar_target:                  ; X = 2t
        lda $0001,y
        and #$00ff
        asl a
        tax
        rts

remainder:                  ; A mod the word at 0x00C0 (not 0), left at 0x00C2
        phx
        ldx #$0010
        ldm #$0000,$c2
rm_bit: asl a
        rol $c2
        pha
        lda $c2
        bcs rm_sub
        cmp $c0
        bcc rm_keep
rm_sub: sec
        sbc $c0
        sta $c2
rm_keep:
        pla
        dex
        bne rm_bit
        plx
        clc
        clv
        lda $c2
        rts

if_cmd:                     ; flags, two values, true address and bank, false address and bank
        lda $0000,y
        and #$00c0
        cmp #$00c0
        bne if_one
        jsr h_norm
        jmp $df52
if_one: cmp #$0040
        bne if_two
        jsr h_norm
        jmp $df2b
if_two: lda $0000,y
        and #$0010
        beq if_first
        jsr h_norm
        jmp $df2b
if_first:
        lda $0000,y
        and #$0080
        beq if_param1
        lda $0001,y
        and #$00ff
        bra if_v1
if_param1:
        lda $0001,y
        and #$00ff
        asl a
        tax
        lda $004100,x
if_v1:  sta $c0
        lda $0000,y
        and #$0020
        beq if_param2
        lda $0002,y
        and #$00ff
        bra if_v2
if_param2:
        lda $0002,y
        and #$00ff
        asl a
        tax
        lda $004100,x
if_v2:  pha                 ; the second value
        lda $0000,y
        and #$000f
        beq if_eq
        cmp #$0002
        beq if_ge
        cmp #$0003
        beq if_le
        asl a
        sta $01,s
        jsr h_norm
        plx
        jmp ($de90,x)
if_eq:  pla
        cmp $c0
        beq if_true
        bra if_false
if_ge:  lda $c0
        cmp $01,s
        pla
        bcs if_true
        bra if_false
if_le:  lda $01,s
        cmp $c0
        pla
        bcs if_true
if_false:
        lda $0006,y
        pha
        sep #$20
        lda $0008,y
        bra if_go
if_true:
        lda $0003,y
        pha
        sep #$20
        lda $0005,y
if_go:  ldx $d8
        sta $12,x
        pha
        plt
        clm
        ply
        jmp h_norm

note_df59:                  ; kind 0
        lda #$0000
        bra note
note_df6d:                  ; kind 1
        lda #$0001
note:   pha
        sep #$20
        lda $17,x
        clm
        bpl nt_readable
        pla
        jsr h_norm
        jmp $dfa9           ; notes the emulated code starts
nt_readable:
        pla
        sta $c0             ; the kind
        sep #$20
        ldm #$00,$e3
        ldm #$00,$d2
        lda $0000,y
        sta $ce             ; the channel mask
        iny
        lda $e2
        and #$40
        beq nt_walk
        lda $0000,y         ; one note for all
        sta $e2
        ldm #$ff,$d2
        iny
nt_walk:
        clm
        ldx $d6
nt_loop:
        sep #$20
        lda $ce
        clm
        beq nt_walked
        stx $f2
        sep #$20
        sta $1b,x           ; the mask before this channel's bit
        asl $ce
        clm
        bcc nt_next
        sep #$20
        lda $d2
        bne nt_shared
        lda $0000,y
        iny
        bra nt_store
nt_shared:
        lda $e2
nt_store:
        sta $1a,x
        clm
        jmp $dfed
nt_next:
        ldx $f2
        txa
        clc
        adc #$0020
        tax
        bra nt_loop
nt_walked:                  ; unselected channels that follow a selected one
        ldx $d6
nt_follow:
        stx $f2
        sep #$20
        lda $1b,x
        bmi nt_fnext
        lda $14,x
        beq nt_fnext
        clm
        and #$00ff
        dec a
        asl a
        asl a
        asl a
        asl a
        asl a
        clc
        adc $d6
        tax
        sep #$20
        lda $1b,x
        bpl nt_fnext
        lda $1a,x
        ldx $f2
        sta $1a,x
        clm
        jmp $e02a
nt_fnext:
        clm
        ldx $f2
        txa
        clc
        adc #$0020
        tax
        sec
        sbc $d6
        cmp #$0100
        bne nt_follow
        jmp h_norm          ; back to the command loop

note_start:                 ; X = a channel record
        sep #$20
        lda $13,x
        clm
        bne ns_active
        rts
ns_active:
        sep #$20
        lda $e3
        clm
        beq ns_map
        jsr h_norm
        jmp $e054
ns_map:
        sep #$20
        lda $1a,x
        clm
        and #$00ff
        pha                 ; the note
        sep #$20
        lda $10,x
        clm
        and #$00ff
        beq ns_own
        dec a
        asl a
        asl a
        asl a
        asl a
        clc
        adc $21000c
        tax                 ; the key map's entry
        lda $01,s
        cmp #$00ff
        bne ns_scan
        pla
        jsr h_norm
        jmp $e108
ns_scan:
        lda #$0008
        pha                 ; pairs left
ns_pair:
        lda $210002,x       ; the pair's bound
        and #$00ff
        cmp $03,s
        beq ns_more
        bcs ns_take
ns_more:
        lda $01,s
        dec a
        sta $01,s
        beq ns_take         ; the last pair
        inx
        inx
        bra ns_pair
ns_take:
        pla
        pla
        lda $210001,x       ; its value
        and #$00ff
        bne ns_instrument
        jsr h_norm
        jmp $e12d
ns_instrument:
        asl a
        asl a
        asl a
        asl a
        clc
        adc #$9000
        ldx $f2
        sta $18,x
        bra ns_kind
ns_own: pla
        txa
        sta $18,x           ; the channel is its own instrument
ns_kind:
        lda $c0
        and #$00ff
        cmp #$0002
        bne ns_event
        jsr h_norm
        jmp $e07d
ns_event:
        ldx $f2
        sep #$20
        lda $1a,x
        sta $c1
        clm
        lda $16,x
        tax                 ; the voice record
        sep #$20
        lda $34,x
        inc $34,x
        clm
        and #$0007
        asl a
        asl a
        asl a
        clc
        adc #$0080
        stx $f0
        clc
        adc $f0
        sta $f0             ; the event
        ldx $f2
        lda $c0
        pha
        sep #$20
        lda $12,x
        beq ns_untied
        dec $12,x
        lda $01,s
        ora #$80
        sta $01,s
ns_untied:
        clm
        pla
        ldx $f0
        sta $02,x
        ldx $f2
        lda $18,x
        ldx $f0
        sta $04,x
        ldx $f2
        lda $1c,x
        and #$00ff
        beq ns_track_level
        asl a
        clc
        adc #$4100
        bra ns_level
ns_track_level:
        lda $d8
        clc
        adc #$0020
ns_level:
        ldx $f0
        sta $06,x
        ldx $f2
        lda $08,x
        and #$00ff
        asl a
        asl a
        asl a
        asl a
        asl a
        asl a
        ldx $d8
        clc
        adc $00,x
        ldx $f0
        sta $00,x           ; due at the track's time + 64 x (+0x08)
        rts

field_dd01:                 ; channel fields with a second value above
        ldm #$dd01,$f0
        lda $0001,y
        and #$0080
        beq sv_plain
        jsr h_norm
        jmp $dd3a           ; values from parameters
sv_plain:
        sep #$20
        lda $0000,y
        sta $ce
        lda $0001,y
        sta $c4
        lda $e2
        and #$40
        beq sv_each
        lda $0003,y
        sta $c7             ; the shared second value
sv_each:
        clm
        iny
        iny
        ldx $d6
sv_loop:
        sep #$20
        lda $ce
        clm
        beq sv_done
        sep #$20
        asl $ce
        clm
        bcc sv_next
        phx
        lda $c4
        and #$007f
        clc
        adc $01,s
        tax
        sep #$20
        lda $0000,y
        sta $00,x
        lda $e2
        and #$40
        bne sv_shared
        lda $0001,y
        iny
        bra sv_second
sv_shared:
        lda $c7
sv_second:
        ora #$80
        sta $01,x
        lda $e2
        and #$40
        bne sv_kept
        iny
sv_kept:
        clm
        plx
sv_next:
        txa
        clc
        adc #$0020
        tax
        bra sv_loop
sv_done:
        sep #$20
        lda $e2
        clm
        and #$0040
        beq sv_end
        iny
        iny
sv_end: jmp h_norm

field_dc90:                 ; channel fields with 0x80 above, or parameter words
        ldm #$dc90,$f0
        sep #$20
        lda $0000,y
        sta $ce
        lda $0001,y
        sta $c4
        bpl fw_ok
        lda $e2
        and #$40
        bne fw_ok
        clm
        jsr h_norm
        jmp $dcd6           ; parameter words one per channel
fw_ok:  clm
        iny
        iny
        ldx $d6
fw_loop:
        sep #$20
        lda $ce
        clm
        beq fw_done
        sep #$20
        asl $ce
        clm
        bcc fw_next
        phx
        lda $c4
        and #$007f
        clc
        adc $01,s
        tax
        lda $c4
        and #$0080
        bne fw_word
        sep #$20
        lda $0000,y
        sta $00,x
        lda #$80
        sta $01,x
        lda $e2
        and #$40
        bne fw_kept
        iny
fw_kept:
        clm
        bra fw_stored
fw_word:
        lda $0000,y
        and #$00ff
        asl a
        phx
        tax
        lda $004100,x
        plx
        ora #$8000
        sta $00,x
fw_stored:
        plx
fw_next:
        txa
        clc
        adc #$0020
        tax
        bra fw_loop
fw_done:
        sep #$20
        lda $e2
        clm
        and #$0040
        beq fw_end
        iny
fw_end: jmp h_norm

field_daf0:
        ldm #$daf0,$f0
        ldm #$0000,$c8
        bra field_mask
field_db6d:
        ldm #$db6d,$f0
        ldm #$007f,$c8
        bra field_mask
field_e3a3:
        ldm #$e3a3,$f0
        ldm #$007e,$c8
        bra field_mask
field_dc83:
        ldm #$dc83,$f0
        ldm #$007d,$c8
        bra field_mask
field_e38a:
        ldm #$e38a,$f0
        ldm #$8000,$c8
        bra field_mask
field_e342:
        ldm #$e342,$f0
        ldm #$4000,$c8
field_mask:                 ; channel mask, field byte, values
        sep #$20
        lda $0000,y
        sta $ce
        lda $0001,y
        sta $c4
        clm
        iny
        iny
        ldx $d6             ; channel 0
fm_loop:
        sep #$20
        lda $ce
        clm
        beq fm_done
        sep #$20
        asl $ce
        clm
        bcc fm_next
        jsr value_byte
        phx
        pha
        lda $c4
        and #$007f
        clc
        adc $03,s
        tax
        pla
        sep #$20
        sta $00,x
        clm
        jsr fm_extra
        plx
        sep #$20
        lda $e2
        clm
        and #$0040
        bne fm_next         ; one shared value
        iny
fm_next:
        txa
        clc
        adc #$0020
        tax
        bra fm_loop
fm_done:
        sep #$20
        lda $e2
        clm
        and #$0040
        beq fm_end
        iny
fm_end: jmp h_norm
fm_extra:                   ; X = the field's address
        lda $c8
        beq fx_done
        bmi fx_high
        cmp #$4000
        beq fx_voice
        sep #$20
        sta $0b,x
        clm
        rts
fx_high:
        txa
        and #$fff0
        tax
        lda $00,x
        ora #$8000
        sta $00,x
fx_done:
        rts
fx_voice:                   ; a voice for the channel: claimed, its record, taken
        phy
        sep #$20
        lda $00,x
        sta $c2
        clm
        phx
        per fv_claimed
        jmp ($0128)
fv_claimed:
        plx
        phx
        sep #$20
        lda $11,x
        clm
        and #$00ff
        asl a
        asl a
        asl a
        asl a
        asl a
        asl a
        pha
        asl a
        clc
        adc $01,s
        sta $01,s
        pla
        clc
        adc #$7000
        sta $16,x           ; its voice record
        per fv_taken
        jmp ($0110)
fv_taken:
        plx
        phx
        per fv_told
        jmp ($010e)
fv_told:
        sep #$20
        cmp $c2
        clm
        bne fv_done
        plx
        phx
        sep #$20
        ldm #$00,$6e,x
        clm
        per fv_done
        jmp ($0108)
fv_done:
        plx
        ply
        rts

handlers:
HANDLERS
)";

// The voices: the channel walk over the voice records, a note event into its voice,
// the sample changes and streaming, the per-voice update and the plain pitch steps.
// Where their emulated forms continue in code the readable routines do not stand for,
// the continuation stub counts.
constexpr const char* voice_source = R"(
        .m16
        .x16
channels:                   ; 0xE46E
        ldm #$2000,$ea
        sep #$20
        ldm #$00,$d1
        clm
        ldt #$00
        ldx #$7000
ch_voice:
        stx $ec
        sep #$20
        lda $35,x
        cmp $34,x
        clm
        beq ch_live
        ldy $36,x
        lda $0000,y         ; the event's time against the driver's
        sec
        sbc $da
        beq ch_take
        bpl ch_live         ; not yet due
ch_take:                    ; Y = the event consumed
        sep #$20
        inc $35,x
        lda $35,x
        clm
        and #$0007
        asl a
        asl a
        asl a
        clc
        adc #$0080
        clc
        adc $ec
        sta $36,x
        sep #$20
        lda $35,x
        cmp $34,x
        clm
        beq ch_hand
        phy
        ldy $36,x
        lda $0000,y
        sec
        sbc $da
        bpl ch_last         ; the next one waits unless strictly overdue
        pla
        bra ch_take
ch_last:
        ply
ch_hand:
        per ch_live
        jmp ($0124)         ; the note event, Y = the last event consumed
ch_live:
        ldx $ec
        lda $38,x
        and #$00ff
        beq ch_next
        per ch_next
        jmp ($010c)
ch_next:
        sep #$20
        inc $d1
        lda $d1
        cmp $004482
        clm
        beq ch_done
        lda $ea
        clc
        adc #$0010
        sta $ea
        lda $ec
        clc
        adc #$00c0
        tax
        brl ch_voice
ch_done:
        sta $002404         ; key-on control: the requests are carried out
        rts

note_event:                 ; 0xE4E7, X = the voice, Y = the event
        lda $0002,y
        and #$007f
        beq ne_kind0
        cmp #$0001
        beq ne_kind
        jmp h_cont          ; other kinds
ne_kind0:
        lda $0002,y
        bpl ne_kind
        jmp h_cont          ; a note from 0x80
ne_kind:
        lda $0004,y
        sta $3c,x
        lda $0006,y
        sta $48,x
        lda $0002,y
        sta $c4
        ldy $3c,x
        and #$ff7f
        cmp #$7f00
        bne ne_note
        sep #$20            ; kind 0, note 0x7F: a release
        lda $06,x
        beq ne_end
        ldm #$01,$2e,x
        clm
        rts
        .m8
ne_end: jmp $efae           ; no envelope: the voice ends at once
ne_note:
        lda $0002,y
        sta $02,x
        lda $0004,y
        sta $04,x
        sep #$20
        lda $c4
        sta $e2
        and #$7f
        beq ne_pitch
        lda $c5
        sta $02,x           ; a volume event
        bra ne_sample
ne_pitch:
        lda $c5
        sta $05,x
ne_sample:
        clm
        lda $000a,y
        sta $0a,x
        lda $0000,y
        bpl ne_same
        and #$7fff
        sta $0000,y
        jsr $f013
        bra ne_fields
ne_same:
        cmp $00,x
        beq ne_restart
        jsr $f013
        bra ne_fields
ne_restart:
        sep #$20
        lda $32,x
        beq ne_fields
        jsr $f064
ne_fields:                  ; Y = the instrument
        clm
        lda $0006,y
        sta $06,x
        lda $0008,y
        sta $08,x
        lda $000c,y
        sta $0c,x
        lda $000e,y
        sta $0e,x
        sep #$20
        lda $05,x
        clc
        adc $0b,x
        sta $05,x
        lda #$ff
        sta $38,x
        lda $e2
        bpl ne_key
        ldt #$00            ; a tie: no key-on
        clm
        rts
        .m8
ne_key: clm
        per ne_done
        jmp ($0118)
ne_done:
        rts

        .m16
sample_change:              ; 0xF013, X = the voice, A = the sample number
        sta $00,x
        asl a
        clc
        adc $210002
        phx
        tax
        lda $210000,x
        plx
        sta $10,x
        tay
        ldt #$21
        lda $0000,y
        sta $46,x
        lda $0002,y
        sta $14,x
        ldb $0004,y
        stb $2c,x
        bra sample_common
        .m8
sample_restart:             ; 0xF064
        clm
        ldy $10,x
        ldb $2c,x
        ldt #$21
sample_common:              ; X = the voice, Y = its sample header, B its flags
        lda $0a,x
        and #$00ff
        clc
        adc $0006,y
        phx
        ldx $ea
        sta $0a,x           ; "start"
        lda $0008,y
        sta $0c,x           ; "end"
        lda $000a,y
        sta $0e,x           ; "loop"
        plx
        tya
        clc
        adc #$0002
        sta $12,x
        ldt #$00
        phb
        pla
        and #$0020
        beq sc_plain
        lda #$00ff          ; a chain of streamed segments follows
sc_plain:
        sep #$20
        sta $32,x
        clm
        ldy $3c,x
        rts

streaming:                  ; 0xEB29, X = the voice
        ldt #$21
        ldy $12,x
        sep #$20
        lda $32,x
        cmp #$ff
        clm
        bne st_playing
        sep #$20
        ldm #$7f,$32,x
        clm
        phx
        ldx $ea
        lda $000c,y
        sta $0e,x           ; "loop"
        lda $0008,y
        sta $0a,x           ; "start"
        plx
        lda $000a,y
        and #$0001
        beq st_first
        jmp $eb47
st_first:
        tya
        clc
        adc #$0008
        sta $12,x
        ldt #$00
        rts
st_playing:
        phx
        ldx $ea
        lda $06,x
        and #$0800
        beq st_done         ; the segment plays on
        lda $0006,y
        sta $0c,x           ; "end"
        lda $0002,y
        sta $c0
        and #$0020
        beq st_last
        lda $0008,y
        bpl st_step
        plx
        jmp $eb86
st_step:                    ; on to the next segment
        lda $c0
        and #$fffe
        pha
        lda $000a,y
        and #$0001
        ora $01,s
        sta $06,x           ; "flags"
        lda $000c,y
        sta $0e,x           ; "loop"
        lda $0008,y
        sta $0a,x           ; "start"
        pla
        plx
        tya
        clc
        adc #$0008
        sta $12,x
        ldt #$00
        rts
st_last:
        lda $c0
        sta $06,x
        lda $0006,y
        sta $0c,x
        lda $0008,y
        sta $0e,x
st_done:
        plx
        ldt #$00
        rts

channel_update:             ; 0xE8DB, X = the voice, 0x00EA its chip block
        clm
        phx
        ldx $ea
        lda $06,x           ; "flags": bit 15 playing, bit 14 key-on requested
        plx
        ora #$0000
        bmi cu_playing
        cmp #$4000
        bcs cu_params
        sep #$20
        ldm #$00,$38,x      ; the voice is free
        clm
        rts
cu_playing:
        and #$0020
        beq cu_params
        lda #$0020
        ldt #$21
        per cu_params
        jmp ($012a)
cu_params:
        ldt #$00
        lda $0f,x
        and #$00ff
        beq cu_vectors
        asl a
        phx
        tax
        lda $004100,x       ; the game drives the pitch
        plx
        sta $04,x
cu_vectors:
        per cu_v2
        jmp ($011a)
cu_v2:  per cu_v3
        jmp ($011e)
cu_v3:  per cu_v4
        jmp ($0120)
cu_v4:  per cu_pitch
        jmp ($0122)
cu_pitch:
        lda $42,x
        clc
        adc $40,x
        clc
        adc $44,x
        clc
        adc $dc
        clc
        adc $46,x
        pha
        and #$00ff
        sta $f0             ; the fraction between two table steps
        pla
        and #$7f00
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        phx
        tax
        lda $00f348,x
        sec
        sbc $00f346,x
        mpy $f0
        phb
        pha
        lda $02,s           ; the middle 16 bits of the product
        clc
        adc $00f346,x
        ldx $ea
        sta $04,x           ; "freq"
        plx
        plx
        plx
        sep #$20
        lda $1f,x           ; attenuation: envelope + voice + level source
        clc
        adc $02,x
        bcs cu_silent
        adc ($48,x)
        bcc cu_level
cu_silent:
        lda #$ff
cu_level:
        sta $cc
        clm
        jmp ($011c)

pitch_glide:                ; 0xEBB8, X = the voice
        sep #$20
        lda $0d,x
        bne pg_glide
        clm
        lda $04,x
        sta $42,x
        ldt #$00
        rts
pg_glide:
        clm
        jmp h_cont

pitch_envelope:             ; 0xEBFD, X = the voice
        sep #$20
        lda $07,x
        bne pe_env
        ldt #$21
        rts
pe_env: jmp h_cont

        .m8
pan_then_volume:            ; 0xECC4, X = the voice: the pan from its parameter's byte
        ldt #$00
        lda ($5e,x)
        per pv_levels
        jmp ($012c)
pv_levels:
        clm
        jmp $e987

        .m8
fixed_pan:                  ; 0xE7FE, A = the position (signed), B = the rear byte
        ldm #$00,$c0
        ldm #$00,$c1
        ldm #$00,$c2
        ldm #$00,$c3
        ora #$00
        bmi fp_left
        asl a
        asl a
        sta $c1             ; to the right: the right pair attenuated
        sta $c3
        bra fp_rear
fp_left:
        eor #$ff
        asl a
        asl a
        sta $c0             ; -1 - p to the left pair
        sta $c2
fp_rear:
        phx
        tbx
        txa                 ; the rear byte
        plx
        ora #$00
        bpl fp_front_back
        jmp $e83a
fp_front_back:
        asl a
        asl a               ; 4 (r AND 0x3F), bit 6 of r into the carry
        pha
        adc $c3
        sta $c3
        pla
        bcc fp_rear_left
        jmp $e82b
fp_rear_left:
        clc
        adc $c2
        sta $c2
        bcc fp_done
        jmp $e835
fp_done:
        rts

        .m8
pan_to_speakers:            ; 0xE87E, A = the pan position
        and $f4
        clc
        adc #$20
        bpl pt_range
        jmp h_cont          ; beyond the table's half turn
pt_range:
        sta $c4
        clm
        ldm #$ffff,$c0      ; every speaker silent
        ldm #$ffff,$c2
        phx
        and #$003f
        tax
        sep #$20
        lda $00f306,x       ; the level towards the position
        sta $c5
        txa
        eor #$3f
        clm
        and #$003f
        tax
        sep #$20
        lda $00f306,x       ; and away from it
        pha
        lda $c4
        and #$40
        beq pt_front
        pla
        sta $c2
        lda $c5
        sta $c0
        bra pt_done
pt_front:
        pla
        sta $c0
        lda $c5
        sta $c1
pt_done:
        plx
        lda $c4
        asl a
        sta $c4
        lda $c5
        clv
        rts

        .m8
voice_levels:               ; 0xE97E, X = the voice: its fixed pan's four levels
        clm
        lda $70,x
        sta $c0
        lda $72,x
        sta $c2
levels_scratch:             ; 0xE987, the four levels in 0x00C0-0x00C3
        clm
        ldm #$0000,$c4
        ldm #$0000,$c6
        phx
        lda #$0000
        sep #$20
        lda $c0             ; each level + the voice's attenuation, through the
        clc                 ; level table while below 256
        adc $cc
        bcs vl_1
        tax
        lda $00f106,x
        sta $c4
vl_1:   lda $c1
        clc
        adc $cc
        bcs vl_2
        tax
        lda $00f106,x
        sta $c5
vl_2:   lda $c2
        clc
        adc $cc
        bcs vl_3
        tax
        lda $00f106,x
        sta $c6
vl_3:   lda $c3
        clc
        adc $cc
        bcs vl_4
        tax
        lda $00f106,x
        sta $c7
vl_4:   plx
        clm
        ldy $ea
        lda $c4
        sta $0000,y         ; "vol_f"
        lda $c6
        sta $0002,y         ; "vol_r"
        rts

        .m8
key_on:                     ; 0xE5A7, X = the voice, 8-bit accumulator
        phx
        ldx $ea
        clm
        lda #$0000
        sta $06,x           ; "flags" 0: the voice stops
        sep #$20
        plx
        ldt #$21
        lda $07,x
        beq ko_volume
        jmp $e5b8           ; a pitch envelope
ko_volume:
        lda $06,x
        beq ko_flat
        clm
        and #$00ff
        dec a
        asl a
        clc
        adc $210006
        sta $1c,x           ; the envelope's table entry
        phx
        tax
        lda $210000,x
        plx
        tay                 ; its script
        sep #$20
        lda $09,x
        sta $2e,x           ; the release delay
        lda $0000,y
        bmi ko_loud
        clm
        lda #$ffff
        sta $1e,x           ; it starts silent
        sep #$20
ko_loud:
        jsr $ef9d           ; the first step
        bra ko_pitch
ko_flat:
        ldm #$00,$1f,x      ; full level, no envelope
        clm
        ldm #$e9d5,$5c,x
        sep #$20
ko_pitch:
        clm
        ldm #$0000,$40,x
        ldm #$0000,$44,x
        sep #$20
        lda $0e,x           ; the pan mode
        bmi ko_by_mode
        cmp #$79
        beq ko_script
        cmp #$7a
        beq ko_script
        cmp #$7c
        beq ko_script
        cmp #$7e
        beq ko_script
        sta $6e,x
        lda $03,x
        sta $6f,x
        lda $0e,x
        cmp #$40
        bcc ko_by_mode
        cmp #$7f
        beq ko_pan
        cmp #$7d
        beq ko_param
        jmp $e63c
ko_script:
        jmp pan_start
ko_by_mode:                 ; A = the pan byte, B = the mode
        ldb $0e,x
        lda $03,x
        per ko_levels
        jmp ($012e)
ko_pan: lda $03,x
        per ko_levels
        jmp ($012c)
ko_levels:
        clm
        lda $c0
        sta $70,x
        lda $c2
        sta $72,x
        ldm #$e97e,$60,x
        bra ko_start
ko_param:                   ; the pan from a game parameter word
        clm
        lda $03,x
        and #$00ff
        asl a
        clc
        adc #$4100
        sta $5e,x
        ldm #$ecc4,$60,x
ko_start:
        sep #$20
        lda $0c,x
        beq ko_key
        jmp $e72b
ko_key: clm
        ldm #$e9d5,$5a,x
        lda $2c,x
        ora #$4000
        tay
        lda $14,x
        phx
        ldx $ea
        sta $08,x           ; "bank"
        tya
        sta $06,x           ; "flags" with the key-on request
        plx
        sep #$20
        rts

pan_start:                  ; pan modes 0x79, 0x7A, 0x7C, 0x7E: the script +0x03
        clm
        lda $03,x
        and #$00ff
        dec a
        asl a
        clc
        adc $210008
        phx
        tax
        lda $210000,x
        plx
        tay                 ; the script (bank 0x21)
        sep #$20
        lda $0000,y         ; its step count; 0xFF: it continues a running one
        cmp #$ff
        bne ps_count
        lda $0e,x
        cmp #$7e
        beq ps_takeover
        cmp #$7c
        bne ps_running
        jmp $e6dd
ps_running:
        lda $6f,x
        cmp $03,x
        bne ps_other
        jmp ko_start        ; the running script goes on
ps_other:
        jmp $e6bc
ps_takeover:
        lda #$7a
        sta $6e,x
        sta $0e,x
        clm
        lda $3c,x
        phx
        tax
        sep #$20
        lda #$7a
        sta $0e,x           ; the instrument's mode too
        plx
        lda $03,x
        sta $6f,x
        lda #$01
ps_count:
        cmp #$00
        bne ps_steps
        lda #$01
ps_steps:
        sta $31,x
        lda $0001,y         ; the first position
        sta $67,x
        sta $6c,x
        clm
        ldm #$ecd4,$60,x
        tya
        clc
        adc #$0002
        sta $3e,x
        sta $6a,x
        sep #$20
        lda $0e,x
        cmp #$7a
        beq ps_done
        cmp #$7e
        beq ps_done
        jmp $e706
ps_done:
        jmp ko_start

        .m8
envelope_read:              ; 0xEF9D, X = the voice, Y = its script (bank 0x21)
        lda $0000,y
        bne er_marks
        jmp $efbc           ; 0x00
er_marks:
        cmp #$ff
        bne er_hold
        jmp $efae           ; the end
er_hold:
        cmp #$fe
        bne er_step
        clm
        ldm #$ef6d,$5c,x    ; the hold point
        sep #$20
        rts
er_step:
        sta $c6             ; the rate index
        lda $0001,y         ; the target
        iny
        iny
        clm
        sty $20,x
        sep #$20
        sta $1a,x
        cmp $1f,x
        beq envelope_read   ; at that level already
        clm
        bcc er_falls
        ldm #$ef48,$5c,x
        bra er_rate
er_falls:
        ldm #$ef5c,$5c,x
er_rate:
        lda $c6
        and #$00ff
        asl a
        phx
        tax
        lda $00f206,x
        plx
        sta $18,x
        sep #$20
        rts

envelope_rise:              ; 0xEF48, X = the voice: the attenuation rises by the rate
        clm
        lda $1e,x
        clc
        adc $18,x
        sta $1e,x
        sep #$20
        bcs envelope_reached
        lda $1f,x
        cmp $1a,x
        bcs envelope_reached
        bra envelope_hold
envelope_fall:              ; 0xEF5C: it falls by the rate
        clm
        lda $1e,x
        sec
        sbc $18,x
        sta $1e,x
        sep #$20
        bcc envelope_reached
        lda $1a,x
        cmp $1f,x
        bcs envelope_reached
        bra envelope_hold
envelope_reached:           ; the target is the level: the next step
        lda $1a,x
        sta $1f,x
        lda #$80
        sta $1e,x
        ldy $20,x
        ldt #$21
        jmp envelope_read
envelope_hold:              ; 0xEF6D: the release counter
        lda $2e,x
        beq eh_done
        dec $2e,x
        cmp #$80
        bcs eh_done
        cmp #$01
        beq eh_release
eh_done:
        rts
eh_release:                 ; the release: the script's next mark, pair by pair
        ldy $20,x
        ldt #$21
eh_scan:
        lda $0000,y
        bne eh_mark
        jmp $ef8c           ; 0x00
eh_mark:
        cmp #$fe
        beq eh_held
        cmp #$ff
        bne eh_skip
        jmp envelope_end
eh_skip:
        iny
        iny
        bra eh_scan
eh_held:
        lda $1a,x
        sta $1f,x
        lda #$80
        sta $1e,x
        iny
        jmp envelope_read

pan_count:                  ; 0xECD4, X = the voice: the script's step counter
        dec $31,x
        beq pc_step
        jmp $ecd9
pc_step:
        ldy $6a,x
        ldt #$21
        lda $0000,y
        sta $67,x
        lda #$80
        sta $66,x
pan_read:                   ; Y = the script's read address (bank 0x21 in DT)
        lda $0000,y
        cmp #$84
        beq pr_loop
        cmp #$80
        bcc pr_in
        cmp #$85
        bcs pr_out
        cmp #$80
        bne pr_81
        jmp $ed3f
pr_81:  cmp #$81
        bne pr_82
        jmp $ed0b
pr_82:  cmp #$82
        bne pr_83
        jmp $ed31
pr_83:  jmp $ed12
pr_loop:                    ; back to the loop point, from the position before it
        lda #$00
        sta $31,x
        ldy $3e,x
        sty $6a,x
        dey
        lda $0000,y
        iny
        sta $67,x
        sta $6c,x
        clm
        ldm #$eda3,$00,x
        sep #$20
        bra pan_read
pr_in:  clm
        ldm #$ed7b,$60,x
        bra pr_rate
        .m8
pr_out: eor #$ff            ; entry 256 - c
        inc a
        clm
        ldm #$ed8b,$60,x
pr_rate:
        and #$00ff
        asl a
        phx
        tax
        lda $00f206,x
        plx
        sta $62,x
        sep #$20
        lda $0001,y         ; the target, its distance from the last
        sec
        sbc $6c,x
        sta $67,x
        lda $0001,y
        sta $6c,x
        ldm #$00,$66,x
        iny
        iny
        sty $6a,x
pan_out:                    ; the position short of the target by the distance
        lda $6c,x
        sec
        sbc $67,x
        per pan_levels
        jmp ($012c)
pan_levels:
        clm
        jmp $e987
pan_glide_in:               ; 0xED7B: the distance shrinks by the step
        clm
        lda $66,x
        cmp $62,x
        bcc pg_next
        sbc $62,x
        sta $66,x
        sep #$20
        bra pan_out
pan_glide_out:              ; 0xED8B: the (negative) distance grows by the step
        clm
        lda $66,x
        beq pg_next
        clc
        adc $62,x
        bcs pg_next
        sta $66,x
        sep #$20
        bra pan_out
pg_next:
        sep #$20
        ldy $6a,x
        ldt #$21
        jmp pan_read

        .m16
envelope_end:               ; 0xEFAE, X = the voice: it stops
        clm
        phx
        ldx $ea
        lda #$0000
        sta $06,x
        plx
        sep #$20
        ldm #$00,$38,x
        rts
)";

// Vectors 0x0104-0x012E: the driver's routines, the rest stubs.
constexpr struct {
    uint16_t vector;
    const char* target;
} used_vectors[] = {
    {0x0104, "main_work"}, {0x0106, "$d788"}, {0x010A, "$d9d0"}, {0x010C, "$e8db"},
    {0x0110, "take_voice"}, {0x0112, "release_voice"}, {0x0116, "$d982"}, {0x0118, "voice_key_on"},
    {0x011A, "$ebb8"}, {0x011C, "voice_volume"}, {0x011E, "voice_pitch_envelope"}, {0x0120, "voice_envelope"},
    {0x0122, "$e9d6"}, {0x0124, "voice_event"}, {0x0126, "after_slots"}, {0x0128, "$d8a0"},
    {0x012A, "$eb29"}, {0x012C, "$e87e"}, {0x012E, "$e7fe"},
};

const char* vector_target(uint32_t vector) {
    for (const auto& v : used_vectors)
        if (v.vector == vector) return v.target;
    return nullptr;
}

// The handler of a command code: its hook address, the voices command, or a command
// without operands.
std::string synth_sd_handler_label(uint32_t code) {
    char text[16];
    if (code < sizeof SYNTH_SD_HANDLERS / sizeof SYNTH_SD_HANDLERS[0] && SYNTH_SD_HANDLERS[code]) {
        snprintf(text, sizeof text, "$%04x", SYNTH_SD_HANDLERS[code]);
        return text;
    }
    return code == SYNTH_SD_CODE_VOICES ? "cmd_voices" : "h_other";
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
        snprintf(line, sizeof line,
                 "%s:\n        php\n        pht\n        ldt #$00\n        clm\n        inc $%04x\n"
                 "        plt\n        plp\n        rts\n",
                 stub, synth_sd_stub_count_address(vector));
        stubs += line;
    }
    // The handler table: the driver copies it to 0x0130 at start-up.
    vectors += "        ldx #$007e\nhandler_copy:\n        lda !handlers,x\n        sta $0130,x\n"
               "        dex\n        dex\n        bpl handler_copy\n";
    std::string handlers;
    for (uint32_t code = 0; code < 64; code++) {
        snprintf(line, sizeof line, "        .word %s\n", synth_sd_handler_label(code).c_str());
        handlers += line;
    }
    return replace(start_source, "VECTORS", vectors) + replace(work_source, "STUBS", voice_source + stubs) +
           replace(sequence_source, "HANDLERS", handlers);
}

uint16_t stub_addresses[SYNTH_SD_VECTOR_COUNT];

}  // namespace

uint32_t synth_sd_stub(uint32_t vector) {
    return stub_addresses[(vector - 0x0104) / 2 % SYNTH_SD_VECTOR_COUNT];
}

void synth_sd_stub_voice_vectors(uint8_t* iram_at_0x80) {
    for (uint32_t vector : SYNTH_SD_VOICE_VECTORS) {
        iram_at_0x80[vector - 0x80] = uint8_t(synth_sd_stub(vector));
        iram_at_0x80[vector - 0x80 + 1] = uint8_t(synth_sd_stub(vector) >> 8);
    }
}

void synth_structured_driver_image(uint8_t* image) {
    memset(image + 0xC000, 0, 0x4000);
    auto p = std::make_unique<m377_program>();
    std::string source = driver_source();
    if (!synth_driver_put(image, 0xC030, source.c_str(), p.get())) abort();
    synth_driver_vector(image, 0xFFFE, 0xC030);
    synth_driver_vector(image, 0xFFF4, m377_label(p.get(), "tick"));
    synth_driver_vector(image, 0xFFF0, m377_label(p.get(), "int2"));
    for (uint32_t k = 0; k < SYNTH_SD_VECTOR_COUNT; k++) {
        char stub[16];
        snprintf(stub, sizeof stub, "stub_%04x", 0x0104 + 2 * k);
        stub_addresses[k] = uint16_t(m377_label(p.get(), stub));
    }
    synth_driver_command_table(image);
    synth_driver_sequences(image);
    synth_driver_key_maps(image);
    synth_driver_condition_words(image);
    synth_driver_operation_words(image);
    synth_driver_id_bytes(image, 0, 0);
    synth_driver_pitch_table(image);
    synth_driver_sample_headers(image);
    synth_driver_level_table(image);
    synth_driver_rate_table(image);
    synth_driver_pan_table(image);
    synth_driver_envelopes(image);
    synth_driver_pan_scripts(image);
    synth_driver_tune(image);
}

void synth_driver_level_table(uint8_t* image) {
    for (uint32_t s = 0; s < 256; s++) image[SYNTH_SD_LEVEL_TABLE + s] = uint8_t(synth_sd_level(s));
}

void synth_driver_pan_table(uint8_t* image) {
    for (uint32_t q = 0; q < 64; q++) image[SYNTH_SD_PAN_TABLE + q] = uint8_t(synth_sd_pan(q));
}

void synth_driver_rate_table(uint8_t* image) {
    for (uint32_t i = 0; i < 128; i++) synth_driver_rom_word(image, SYNTH_SD_RATE_TABLE + 2 * i, synth_sd_rate(i));
}

namespace {

// A table of scripts in bank 0x21: the word at table_word names the table, entry k the
// script k + 1, 16 bytes apart from `scripts`.
template <size_t N>
void bank_scripts(uint8_t* image, uint32_t table_word, uint32_t table, uint32_t scripts, const uint8_t (&bytes)[N][8]) {
    synth_driver_rom_word(image, table_word, table);
    for (uint32_t k = 0; k < N; k++) {
        synth_driver_rom_word(image, 0x210000 + table + 2 * k, scripts + 0x10 * k);
        memcpy(image + 0x10000 + scripts + 0x10 * k, bytes[k], 8);
    }
}

}  // namespace

void synth_driver_envelopes(uint8_t* image) {
    bank_scripts(image, 0x210006, SYNTH_SD_ENVELOPE_TABLE, SYNTH_SD_ENVELOPES, SYNTH_SD_ENVELOPE_SCRIPTS);
}

void synth_driver_pan_scripts(uint8_t* image) {
    bank_scripts(image, 0x210008, SYNTH_SD_PAN_SCRIPT_TABLE, SYNTH_SD_PAN_SCRIPTS, SYNTH_SD_PAN_SCRIPT_BYTES);
}

void synth_driver_rom_word(uint8_t* image, uint32_t address, uint32_t value) {
    uint32_t at = address < 0x10000 ? address : address - 0x200000;
    image[at] = uint8_t(value);
    image[at + 1] = uint8_t(value >> 8);
}

void synth_driver_pitch_table(uint8_t* image) {
    for (uint32_t i = 0; i <= 0x80; i++) synth_driver_rom_word(image, SYNTH_SD_PITCH_TABLE + 2 * i, synth_sd_pitch(i));
}

void synth_driver_sample_headers(uint8_t* image) {
    synth_driver_rom_word(image, 0x210002, SYNTH_SD_SAMPLE_TABLE);
    for (uint32_t n = 0; n < SYNTH_SD_SAMPLES; n++) {
        uint32_t header = SYNTH_SD_SAMPLE_HEADERS + 0x40 * n;
        synth_driver_rom_word(image, 0x210000 + SYNTH_SD_SAMPLE_TABLE + 2 * n, header);
        const uint32_t words[6] = {0x0110 * n, 0x0100 + n, n & 1 ? 0x0023u : 0x0003u,
                                   0x1000 + 0x10 * n, 0x2000 + 0x10 * n, 0x3000 + 0x10 * n};
        for (uint32_t k = 0; k < 6; k++) synth_driver_rom_word(image, 0x210000 + header + 2 * k, words[k]);
        for (uint32_t k = 0; k < 26; k++)
            synth_driver_rom_word(image, 0x210000 + header + 12 + 2 * k, 0x4000 + 0x100 * n + 2 * k);
    }
    uint32_t tone = SYNTH_SD_SAMPLE_HEADERS + 0x40 * SYNTH_SD_TONE_SAMPLE;
    synth_driver_rom_word(image, 0x210000 + SYNTH_SD_SAMPLE_TABLE + 2 * SYNTH_SD_TONE_SAMPLE, tone);
    const uint32_t words[6] = {0, SYNTH_WAVE_TONE_ADDR >> 16, 0x0002, SYNTH_WAVE_TONE_ADDR & 0xFFFF,
                               (SYNTH_WAVE_TONE_ADDR & 0xFFFF) + SYNTH_WAVE_TONE_LEN - 1, SYNTH_WAVE_TONE_ADDR & 0xFFFF};
    for (uint32_t k = 0; k < 6; k++) synth_driver_rom_word(image, 0x210000 + tone + 2 * k, words[k]);
}

void synth_driver_tune(uint8_t* image) {
    std::vector<uint8_t> t = {
        0x18,                                // voices for the channels
        0x02, 0x07, 0x08, 0x02, 0x09, 0x08,  // a step of 8 x 8: one tick
        0x03, 0x06, 0x00,                    // the level: the track's own byte, 0
    };
    for (uint32_t k = 0; k < 4; k++) {
        t.insert(t.end(), {0x08, SYNTH_SD_TUNE_RECORDS[k], 0xFE, 0xFF});  // a word and 14 bytes
        if (t.size() != synth_sd_tune_instrument(k)) abort();
        t.insert(t.end(), SYNTH_SD_TUNE_INSTRUMENTS[k], SYNTH_SD_TUNE_INSTRUMENTS[k] + 16);
    }
    t.insert(t.end(), {
                          0x01, 0xF0, 0x10, 1, 2, 3, 4,  // channel k: instrument number k + 1
                          0x41, 0xF0, 0x1D, 0x01,        // stopped, its voice stops at once
                      });
    uint32_t body = SYNTH_TUNE_ADDRESS + uint32_t(t.size());
    t.insert(t.end(), {
                          0x0E, 0xF0, 0x30, 0x34, 0x38, 0x3C,  // the notes
                          uint8_t(0x80 | (SYNTH_SD_TUNE_NOTE_TICKS - 1)),
                          0x0E, 0xF0, 0x7F, 0x7F, 0x7F, 0x7F,  // released
                          uint8_t(0x80 | (SYNTH_SD_TUNE_REST_TICKS - 1)),
                          0x14, 0x01, uint8_t(body), uint8_t(body >> 8), 0x21,  // the body twice
                          0x12,                                                 // the track stops
                      });
    memcpy(image + 0x10000 + SYNTH_TUNE_ADDRESS, t.data(), t.size());
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
    // Its command's sequence, due at time 0, no wait, call or loop open.
    synth_driver_comms_word(comms, track + 0x00, 0);
    synth_driver_comms_word(comms, track + 0x10, SYNTH_SEQUENCE_BASE + 16 * (command & 0x7FF));
    synth_driver_comms_byte(comms, track + 0x12, SYNTH_SEQUENCE_BANK);
    for (uint32_t field : {0x0D, 0x14, 0x15, 0x17, 0x1A, 0x1B}) synth_driver_comms_byte(comms, track + field, 0);
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
