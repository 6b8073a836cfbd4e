// The BIOS listing and the image built from it.
#include "dsp/c25_bios.h"

#include "dsp/c25_translated.h"

#include <cstring>

constexpr c25_bios_line c25_bios_listing[] = {
    {0x0000, 0, {0, 0}, "; Vectors: reset and INT0-INT2 branch, the TINT, RINT, XINT and TRAP handlers sit in"},
    {0x0000, 0, {0, 0}, "; their own two words."},
    {0x0000, 0, {0, 0}, "        .org 0x0000"},
    {0x0000, 2, {0xFF80, 0x0022}, "        B reset                 ; reset"},
    {0x0002, 2, {0xFF80, 0x01BC}, "        B int0                  ; INT0: the frame doorbell"},
    {0x0004, 2, {0xFF80, 0x0020}, "        B int_return            ; INT1"},
    {0x0006, 2, {0xFF80, 0x0020}, "        B int_return            ; INT2"},
    {0x0018, 0, {0, 0}, "        .org 0x0018"},
    {0x0018, 1, {0xCE00, 0}, "        EINT                    ; TINT"},
    {0x0019, 1, {0xCE26, 0}, "        RET"},
    {0x001A, 1, {0xCE00, 0}, "        EINT                    ; RINT"},
    {0x001B, 1, {0xCE26, 0}, "        RET"},
    {0x001C, 1, {0xCE00, 0}, "        EINT                    ; XINT"},
    {0x001D, 1, {0xCE26, 0}, "        RET"},
    {0x001E, 1, {0xCE26, 0}, "        RET                     ; TRAP: INTM stays as it was"},
    {0x001F, 1, {0x5500, 0}, "        NOP"},
    {0x0020, 0, {0, 0}, "int_return:"},
    {0x0020, 1, {0xCE00, 0}, "        EINT"},
    {0x0021, 1, {0xCE26, 0}, "        RET"},
    {0x0022, 0, {0, 0}, "; Reset: status, the interrupt save pointer AR7 (the BIOS's own register), on-chip"},
    {0x0022, 0, {0, 0}, "; data memory 0x0060-0x03FF cleared, then the DSP RAM check and the point RAM clear."},
    {0x0022, 1, {0xCE07, 0}, "reset:  SSXM"},
    {0x0023, 1, {0xCE02, 0}, "        ROVM"},
    {0x0024, 1, {0xCE08, 0}, "        SPM 0"},
    {0x0025, 1, {0xC800, 0}, "        LDPK 0"},
    {0x0026, 2, {0xD700, 0x0060}, "        LRLK AR7,0x0060         ; INT0's save area, 0x0060-0x0063"},
    {0x0028, 1, {0xCA00, 0}, "        LACK 0"},
    {0x0029, 2, {0xD100, 0x0060}, "        LRLK AR1,0x0060"},
    {0x002B, 1, {0x5589, 0}, "        MAR *,AR1"},
    {0x002C, 1, {0xCBFF, 0}, "        RPTK 255"},
    {0x002D, 1, {0x60A0, 0}, "        SACL *+"},
    {0x002E, 1, {0xCBFF, 0}, "        RPTK 255"},
    {0x002F, 1, {0x60A0, 0}, "        SACL *+"},
    {0x0030, 1, {0xCBFF, 0}, "        RPTK 255"},
    {0x0031, 1, {0x60A0, 0}, "        SACL *+"},
    {0x0032, 1, {0xCB9F, 0}, "        RPTK 159"},
    {0x0033, 1, {0x60A0, 0}, "        SACL *+                 ; data 0x0064 is the zero word from here on"},
    {0x0034, 1, {0xED64, 0}, "        OUT 0x64,13             ; DSP RAM low halves"},
    {0x0035, 2, {0xFE80, 0x0250}, "        CALL ram_test"},
    {0x0037, 2, {0xFE80, 0x031B}, "        CALL point_clear"},
    {0x0039, 2, {0xFF80, 0x01A8}, "        B handoff"},
    {0x003B, 0, {0, 0}, "ram_bad:"},
    {0x003B, 2, {0xFF80, 0x003B}, "        B ram_bad               ; a DSP RAM word lost its value"},
    {0x01A8, 0, {0, 0}, "        .org 0x01A8"},
    {0x01A8, 0, {0, 0}, "handoff:"},
    {0x01A8, 2, {0xFF80, 0x4008}, "        B 0x4008                ; the game's DSP program"},
    {0x01BC, 0, {0, 0}, "        .org 0x01BC"},
    {0x01BC, 0, {0, 0}, "; INT0, the frame doorbell: saves ST1 (holding the interrupted ARP in its ARB field),"},
    {0x01BC, 0, {0, 0}, "; ST0 and ACC through AR7, waits while the game's busy word (DSP RAM word 0) is set,"},
    {0x01BC, 0, {0, 0}, "; restores and returns with interrupts on."},
    {0x01BC, 1, {0x558F, 0}, "int0:   MAR *,AR7"},
    {0x01BD, 1, {0x79A0, 0}, "        SST1 *+"},
    {0x01BE, 1, {0x78A0, 0}, "        SST *+"},
    {0x01BF, 1, {0x68A0, 0}, "        SACH *+"},
    {0x01C0, 1, {0x60A0, 0}, "        SACL *+"},
    {0x01C1, 1, {0xC900, 0}, "        LDPK 0x100              ; DSP RAM words 0-127"},
    {0x01C2, 1, {0x2000, 0}, "busy:   LAC 0"},
    {0x01C3, 2, {0xF580, 0x01C2}, "        BNZ busy"},
    {0x01C5, 1, {0x5590, 0}, "        MAR *-"},
    {0x01C6, 1, {0x4190, 0}, "        ZALS *-"},
    {0x01C7, 1, {0x4890, 0}, "        ADDH *-"},
    {0x01C8, 1, {0x5090, 0}, "        LST *-                  ; ST0: DP, OV, OVM; ARP 7 for the last load"},
    {0x01C9, 1, {0x5180, 0}, "        LST1 *                  ; ST1: ARP and ARB, TC, SXM, C, PM"},
    {0x01CA, 1, {0xCE00, 0}, "        EINT"},
    {0x01CB, 1, {0xCE26, 0}, "        RET"},
    {0x0250, 0, {0, 0}, "        .org 0x0250"},
    {0x0250, 0, {0, 0}, "; Every DSP RAM word takes its own data address in its low half and must give it back;"},
    {0x0250, 0, {0, 0}, "; then all are cleared again."},
    {0x0250, 0, {0, 0}, "ram_test:"},
    {0x0250, 2, {0xD100, 0x8000}, "        LRLK AR1,0x8000"},
    {0x0252, 2, {0xD200, 0x7FFF}, "        LRLK AR2,0x7FFF"},
    {0x0254, 1, {0x5589, 0}, "        MAR *,AR1"},
    {0x0255, 0, {0, 0}, "ram_fill:"},
    {0x0255, 1, {0x71AA, 0}, "        SAR AR1,*+,AR2"},
    {0x0256, 2, {0xFB99, 0x0255}, "        BANZ ram_fill,*-,AR1"},
    {0x0258, 2, {0xD100, 0x8000}, "        LRLK AR1,0x8000"},
    {0x025A, 2, {0xD200, 0x7FFF}, "        LRLK AR2,0x7FFF"},
    {0x025C, 1, {0x5589, 0}, "        MAR *,AR1"},
    {0x025D, 0, {0, 0}, "ram_check:"},
    {0x025D, 1, {0x7165, 0}, "        SAR AR1,0x65"},
    {0x025E, 1, {0x20AA, 0}, "        LAC *+,0,AR2"},
    {0x025F, 1, {0x1065, 0}, "        SUB 0x65"},
    {0x0260, 2, {0xF580, 0x003B}, "        BNZ ram_bad"},
    {0x0262, 2, {0xFB99, 0x025D}, "        BANZ ram_check,*-,AR1"},
    {0x0264, 2, {0xD100, 0x8000}, "        LRLK AR1,0x8000"},
    {0x0266, 1, {0xC27F, 0}, "        LARK AR2,127"},
    {0x0267, 1, {0xCA00, 0}, "        LACK 0"},
    {0x0268, 1, {0x5589, 0}, "        MAR *,AR1"},
    {0x0269, 0, {0, 0}, "ram_clear:"},
    {0x0269, 1, {0xCBFF, 0}, "        RPTK 255"},
    {0x026A, 1, {0x60A0, 0}, "        SACL *+                 ; 256 words a pass"},
    {0x026B, 1, {0x558A, 0}, "        MAR *,AR2"},
    {0x026C, 2, {0xFB99, 0x0269}, "        BANZ ram_clear,*-,AR1"},
    {0x026E, 1, {0xCE26, 0}, "        RET"},
    {0x031B, 0, {0, 0}, "        .org 0x031B"},
    {0x031B, 0, {0, 0}, "; Point RAM (point addresses 0xF80000-0xF9FFFF) to zero through the point ports."},
    {0x031B, 0, {0, 0}, "point_clear:"},
    {0x031B, 1, {0xCAF8, 0}, "        LACK 0xF8"},
    {0x031C, 1, {0x6066, 0}, "        SACL 0x66"},
    {0x031D, 1, {0xE366, 0}, "        OUT 0x66,3"},
    {0x031E, 1, {0xE364, 0}, "        OUT 0x64,3              ; point address 0xF80000"},
    {0x031F, 1, {0xE164, 0}, "        OUT 0x64,1              ; latch 0"},
    {0x0320, 2, {0xD200, 0x01FF}, "        LRLK AR2,511"},
    {0x0322, 1, {0x558A, 0}, "        MAR *,AR2"},
    {0x0323, 0, {0, 0}, "point_pass:"},
    {0x0323, 1, {0xCBFF, 0}, "        RPTK 255"},
    {0x0324, 1, {0xE064, 0}, "        OUT 0x64,0              ; 256 words a pass"},
    {0x0325, 2, {0xFB90, 0x0323}, "        BANZ point_pass,*-"},
    {0x0327, 1, {0xCE26, 0}, "        RET"},
};
constexpr uint32_t c25_bios_listing_lines = sizeof c25_bios_listing / sizeof c25_bios_listing[0];

namespace {

constexpr std::array<uint16_t, C25_BIOS_WORDS> build_image() {
    std::array<uint16_t, C25_BIOS_WORDS> image{};
    for (uint32_t k = 0; k < C25_BIOS_STRETCHES; k++)
        for (uint32_t a = C25_STRETCHES[k].first; a <= C25_STRETCHES[k].last; a++) image[a] = C25_NOP;
    for (const c25_bios_line& line : c25_bios_listing)
        for (uint32_t i = 0; i < line.length; i++) image[line.address + i] = line.words[i];
    return image;
}

// Every line's words lie inside one BIOS stretch.
constexpr bool code_in_stretches() {
    for (const c25_bios_line& line : c25_bios_listing) {
        if (!line.length) continue;
        bool inside = false;
        for (uint32_t k = 0; k < C25_BIOS_STRETCHES; k++)
            inside |= line.address >= C25_STRETCHES[k].first &&
                      line.address + line.length - 1u <= C25_STRETCHES[k].last;
        if (!inside) return false;
    }
    return true;
}
static_assert(code_in_stretches());

const uint16_t* swapped;

}  // namespace

constexpr std::array<uint16_t, C25_BIOS_WORDS> c25_bios_image = build_image();

const uint16_t* c25_bios_words() {
    return swapped ? swapped : c25_bios_image.data();
}

void c25_bios_swap(const uint16_t* image) {
    swapped = image;
}

void c25_load_bios(c25_state* s) {
    memcpy(s->prog, c25_bios_words(), C25_BIOS_WORDS * sizeof s->prog[0]);
}
