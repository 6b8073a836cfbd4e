// The synthetic game DSP program, assembled with the C25 test assembler.
#include "tests/support/c25_asm.h"
#include "tests/support/synth_framedump.h"
#include "tests/support/synth_rom_tables.h"

#include "dsp/c25_bios.h"
#include "dsp/c25_decode.h"
#include "dsp/c25_translated.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint16_t PROGRAM_BASE = 0x4000;
constexpr uint16_t TABLES = 0x4940;            // in the gap after the first game stretch
constexpr uint16_t LAST_BRANCH = 0x5929;        // B 0x40F2, the last translated instruction
constexpr uint16_t LAST_BRANCH_TARGET = 0x40F2;
constexpr uint16_t FILLER_TWO_WORD = 0xD001;    // LALK 0 (never executed)
constexpr double PITCH = 0.35;                  // radians
constexpr double TURN_FIRST = M_PI / 6;         // turn of step 0; each step adds 22.5 degrees

int16_t q15(double v) {
    return int16_t(std::lround(v * 0x7FFF));
}

// The product of two 1.15 words as the program keeps it: P = a x b, ACC = P, SACH ,1.
int16_t q15_product(int16_t a, int16_t b) {
    return int16_t(uint32_t(int32_t(a) * b) >> 15);
}

// The view and the cube, as they stand in DSP RAM from SYNTH_DSP_VIEW_AT on (24-bit
// words; the cube's rotation words are filled in by the program).
std::vector<uint32_t> packet_words() {
    std::vector<uint32_t> w;
    auto packet = [&](uint32_t code, uint32_t d, const std::vector<uint32_t>& payload) {
        uint32_t a = uint32_t(w.size());
        w.resize(a + 4 + d, 0);
        w[a] = code;
        w[a + 1] = d;
        for (size_t i = 0; i < payload.size(); i++) w[a + 3 + i] = payload[i];
        w[a + 3 + d] = SYNTH_DSP_VIEW_AT + a + 4 + d;
    };
    packet(0, 21, synth_view_payload());
    packet(uint32_t(SYNTH_MODEL_CUBE), 13,
           {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint32_t(SYNTH_DSP_CUBE_Y) & 0xFFFFFF, uint32_t(SYNTH_DSP_CUBE_Z)});
    return w;
}

std::string word_list(const std::vector<uint32_t>& values) {
    std::string s;
    for (size_t i = 0; i < values.size(); i += 8) {
        s += "        .word ";
        for (size_t k = i; k < i + 8 && k < values.size(); k++) {
            char v[16];
            snprintf(v, sizeof v, "%s0x%04X", k > i ? "," : "", values[k] & 0xFFFF);
            s += v;
        }
        s += "\n";
    }
    return s;
}

std::string program_source() {
    std::string src = R"(
        .org 0x4008
start:  SSXM
        SPM 0
        ROVM
        LDPK 4                  ; the program's words, data 0x0200-0x027F
        LACK 0
        SACL 0x00               ; 0: zero
        LACK 1
        SACL 0x01               ; 1: one
        LALK {SP}
        SACL 0x04               ; 4, 5, 6, 7: sin and cos of the pitch, negated
        LALK {CP}
        SACL 0x05
        LALK {NSP}
        SACL 0x06
        LALK {NCP}
        SACL 0x07
        OUT 0x00,13             ; DSP RAM low halves
        LDPK 0x100              ; DSP RAM words 0-127
        B wait
        .fill 0x404A,0x5500
wait:   LAC 1                   ; the doorbell, DSP RAM word 1
        BZ wait
; The list handed over: the buffer the game does not write now (word 4).
        LAC 4
        ANDK 1
        LRLK AR1,0xE100         ; buffer 1, DSP RAM word 0x6100
        BZ walk
        LRLK AR1,0xC100         ; buffer 0, word 0x4100
walk:   LRLK AR2,0x1DFF         ; at most 0x1E00 words
        LARK AR3,0              ; words before the end marker
        MAR *,AR1
next:   ZALS *+,AR3
        XORK 0xFFFF             ; -1 ends the list
        BZ emit
        MAR *+,AR2
        BANZ next,*-,AR1
; The cube's turn: step (words AND 15) of the table, then the pitch.
emit:   LDPK 4
        SAR AR3,0x11
        LAC 0x11,1
        ANDK 0x1E
        ADLK turns
        TBLR 0x02               ; sin of the turn
        ADDK 1
        TBLR 0x03               ; cos
        LAC 0x03
        SACL 0x08               ; m0 = cos
        LACK 0
        SACL 0x09               ; m1 = 0
        LAC 0x02
        SACL 0x0A               ; m2 = sin
        LT 0x02
        MPY 0x04
        PAC
        SACH 0x0B,1             ; m3 = sin pitch x sin
        LAC 0x05
        SACL 0x0C               ; m4 = cos pitch
        LT 0x03
        MPY 0x06
        PAC
        SACH 0x0D,1             ; m5 = -sin pitch x cos
        LT 0x02
        MPY 0x07
        PAC
        SACH 0x0E,1             ; m6 = -cos pitch x sin
        LAC 0x04
        SACL 0x0F               ; m7 = sin pitch
        LT 0x03
        MPY 0x05
        PAC
        SACH 0x10,1             ; m8 = cos pitch x cos
; DSP RAM from word 0: a 16-word and a matrix packet that the replay passes over (the
; game's control words stay as they are), the view, the cube, then a word that ends it.
        LDPK 0x100
        LACK 16
        SACL 1
        LACK 20
        SACL 19
        LACK 10
        SACL 21
        LACK 34
        SACL 33
        LACK 0
        SACL 77
        LDPK 4
        OUT 0x01,13             ; high halves
        LRLK AR4,0x8022         ; word 34
        MAR *,AR4
        RPTK 41                 ; the view's 25 words and the cube's 17
        BLKP packets_high,*+
        OUT 0x00,13             ; low halves
        LRLK AR4,0x8022
        RPTK 41
        BLKP packets_low,*+
        LRLK AR4,0x803E         ; the cube's rotation, word 62
        LRLK AR5,0x0208
        LARK AR6,8
        MAR *,AR5
turn:   LAC *+,0,AR4
        SACL *+,0,AR6
        BANZ turn,*-,AR5
        LDPK 0x100
        IDLE
        B wait
frame_end:
        .org {TABLES}
packets_high:
)";
    int16_t sp = q15(std::sin(PITCH)), cp = q15(std::cos(PITCH));
    const struct {
        const char* name;
        int value;
    } values[] = {{"{SP}", sp}, {"{CP}", cp}, {"{NSP}", -sp}, {"{NCP}", -cp}, {"{TABLES}", TABLES}};
    for (const auto& v : values) {
        size_t at = src.find(v.name);
        src.replace(at, strlen(v.name), std::to_string(v.value));
    }
    std::vector<uint32_t> packets = packet_words(), high, low, turns;
    for (uint32_t w : packets) high.push_back(w >> 16), low.push_back(w & 0xFFFF);
    for (int k = 0; k < 16; k++) {
        turns.push_back(uint32_t(q15(std::sin(TURN_FIRST + k * M_PI / 8))) & 0xFFFF);
        turns.push_back(uint32_t(q15(std::cos(TURN_FIRST + k * M_PI / 8))) & 0xFFFF);
    }
    src += word_list(high) + "packets_low:\n" + word_list(low) + "turns:\n" + word_list(turns);
    return src;
}

// Fills [from, to] with `two_word` fillers and then NOPs.
void fill(std::vector<uint16_t>& words, uint32_t from, uint32_t to, uint32_t two_word) {
    for (uint32_t a = from; a <= to;) {
        uint32_t i = a - PROGRAM_BASE;
        if (two_word) {
            words[i] = FILLER_TWO_WORD;
            words[i + 1] = 0;
            two_word--;
            a += 2;
        } else {
            words[i] = C25_NOP;
            a++;
        }
    }
}

// What [from, to) decodes to.
c25_translation_counts decoded(const std::vector<uint16_t>& words, uint32_t from, uint32_t to) {
    c25_translation_counts n{};
    for (uint32_t a = from; a < to;) {
        c25_decoded d = c25_decode(words[a - PROGRAM_BASE], words[a + 1 - PROGRAM_BASE]);
        n.addresses++;
        n.records += d.length == 2;
        a += d.length;
    }
    return n;
}

[[noreturn]] void builder_bug(const char* what) {
    fprintf(stderr, "synth_dsp_program: %s\n", what);
    abort();
}

}  // namespace

std::vector<uint16_t> synth_dsp_program_words(bool laid_out) {
    auto p = std::make_unique<c25_program>();
    if (!c25_assemble(p.get(), PROGRAM_BASE, program_source().c_str())) builder_bug(p->error);
    uint32_t end = laid_out ? LAST_BRANCH + 2u : p->high;
    std::vector<uint16_t> words(p->words + PROGRAM_BASE, p->words + end);
    if (!laid_out) return words;
    // Each game stretch decodes to its instruction counts: the code, then two-word
    // fillers and NOPs; the last stretch ends on B 0x40F2.
    uint32_t code_end = c25_label(p.get(), "frame_end");
    words[LAST_BRANCH - PROGRAM_BASE] = 0xFF80;
    words[LAST_BRANCH + 1 - PROGRAM_BASE] = LAST_BRANCH_TARGET;
    for (uint32_t k = C25_BIOS_STRETCHES; k < 16; k++) {
        const c25_stretch& st = C25_STRETCHES[k];
        uint32_t from = st.first, to = st.last;
        c25_translation_counts used{};
        if (k == C25_BIOS_STRETCHES) {
            used = decoded(words, st.first, code_end);
            from = code_end;
        }
        if (k == 15) {
            used = {1, 1};
            to = LAST_BRANCH - 1;
        }
        uint32_t two_word = st.two_word - used.records, one_word = st.instructions - used.addresses - two_word;
        if (used.records > st.two_word || 2 * two_word + one_word != to - from + 1) builder_bug("a stretch does not fit");
        fill(words, from, to, two_word);
    }
    return words;
}

void synth_dsp_program_store(uint8_t* program, const std::vector<uint16_t>& words) {
    auto put16 = [&](uint32_t at, uint16_t v) {
        program[at] = uint8_t(v >> 8);
        program[at + 1] = uint8_t(v);
    };
    put16(SYNTH_DSP_PROGRAM_SIZE_ADDR, uint16_t(words.size() - 1));
    for (size_t j = 0; j < words.size(); j++) put16(SYNTH_DSP_PROGRAM_ADDR + 2 * uint32_t(j), words[j]);
}

void synth_dsp_program(synth_rom_set* set) {
    std::vector<uint16_t> words = synth_dsp_program_words(true);
    synth_dsp_program_store(set->program, words);
    synth_rom_range_note(SYNTH_DSP_PROGRAM_SIZE_ADDR, 2);
    synth_rom_range_note(SYNTH_DSP_PROGRAM_ADDR, 2 * uint32_t(words.size()));
}

void synth_dsp_cube_rotation(uint32_t list_words, int16_t out[9]) {
    double yaw = TURN_FIRST + (list_words & 15) * M_PI / 8;
    int16_t sy = q15(std::sin(yaw)), cy = q15(std::cos(yaw)), sp = q15(std::sin(PITCH)), cp = q15(std::cos(PITCH));
    const int16_t m[9] = {cy, 0, sy, q15_product(sp, sy), cp, q15_product(int16_t(-sp), cy), q15_product(int16_t(-cp), sy),
                          sp, q15_product(cp, cy)};
    for (int i = 0; i < 9; i++) out[i] = m[i];
}
