// The C25 test assembler, the test translated program and the test machine.
#include "tests/support/c25_asm.h"

#include "dsp/c25_decode.h"
#include "dsp/c25_execute.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum format : uint8_t {
    f_none,         // the word alone
    f_data,         // data operand
    f_data_shift4,  // data operand [,shift 0-15]
    f_data_shift3,  // data operand [,shift 0-7]
    f_reg_data,     // ARn, data operand
    f_data_bit,     // data operand, bit code
    f_data_port,    // data operand, port
    f_indirect,     // indirect data operand only (MAR)
    f_norm,         // indirect operand, bits 2-0 010 without a new ARP
    f_k2,           // constant 0-3 in bits 1-0
    f_k8,
    f_k9,
    f_reg_k8,       // ARn, constant
    f_reg_long,     // ARn, second word
    f_long_shift,   // second word [,shift]
    f_branch,       // target as second word
    f_banz,         // target [,indirect operand], *- by default
    f_blkp,         // source as second word, data operand
};

struct mnemonic {
    const char* name;
    uint16_t word;
    format form;
};

constexpr mnemonic mnemonics[] = {
    {"ADD", 0x0000, f_data_shift4}, {"SUB", 0x1000, f_data_shift4}, {"LAC", 0x2000, f_data_shift4},
    {"LAR", 0x3000, f_reg_data}, {"MPY", 0x3800, f_data}, {"LT", 0x3C00, f_data}, {"LTA", 0x3D00, f_data},
    {"LTP", 0x3E00, f_data}, {"ZALH", 0x4000, f_data}, {"ZALS", 0x4100, f_data}, {"ADDC", 0x4300, f_data},
    {"SUBC", 0x4700, f_data}, {"ADDH", 0x4800, f_data}, {"ADDS", 0x4900, f_data}, {"RPT", 0x4B00, f_data},
    {"XOR", 0x4C00, f_data}, {"OR", 0x4D00, f_data}, {"AND", 0x4E00, f_data}, {"LST", 0x5000, f_data},
    {"LST1", 0x5100, f_data}, {"NOP", 0x5500, f_none}, {"MAR", 0x5500, f_indirect}, {"TBLR", 0x5800, f_data},
    {"SACL", 0x6000, f_data_shift3}, {"SACH", 0x6800, f_data_shift3}, {"SAR", 0x7000, f_reg_data},
    {"SST", 0x7800, f_data}, {"SST1", 0x7900, f_data}, {"SPL", 0x7C00, f_data}, {"ADRK", 0x7E00, f_k8},
    {"SBRK", 0x7F00, f_k8}, {"IN", 0x8000, f_data_port}, {"BIT", 0x9000, f_data_bit},
    {"LARK", 0xC000, f_reg_k8}, {"LDPK", 0xC800, f_k9}, {"LACK", 0xCA00, f_k8}, {"RPTK", 0xCB00, f_k8},
    {"ADDK", 0xCC00, f_k8}, {"SUBK", 0xCD00, f_k8},
    {"EINT", 0xCE00, f_none}, {"DINT", 0xCE01, f_none}, {"ROVM", 0xCE02, f_none}, {"SOVM", 0xCE03, f_none},
    {"CNFD", 0xCE04, f_none}, {"CNFP", 0xCE05, f_none}, {"RSXM", 0xCE06, f_none}, {"SSXM", 0xCE07, f_none},
    {"SPM", 0xCE08, f_k2}, {"RXF", 0xCE0C, f_none}, {"SXF", 0xCE0D, f_none}, {"PAC", 0xCE14, f_none},
    {"APAC", 0xCE15, f_none}, {"SPAC", 0xCE16, f_none}, {"SFL", 0xCE18, f_none}, {"SFR", 0xCE19, f_none},
    {"ABS", 0xCE1B, f_none}, {"PUSH", 0xCE1C, f_none}, {"POP", 0xCE1D, f_none}, {"TRAP", 0xCE1E, f_none},
    {"IDLE", 0xCE1F, f_none}, {"NEG", 0xCE23, f_none}, {"CALA", 0xCE24, f_none}, {"BACC", 0xCE25, f_none},
    {"RET", 0xCE26, f_none}, {"CMPL", 0xCE27, f_none}, {"RC", 0xCE30, f_none}, {"SC", 0xCE31, f_none},
    {"RTC", 0xCE32, f_none}, {"STC", 0xCE33, f_none}, {"ROL", 0xCE34, f_none}, {"ROR", 0xCE35, f_none},
    {"CMPR", 0xCE50, f_k2}, {"NORM", 0xCE80, f_norm}, {"MPYU", 0xCF00, f_data},
    {"LRLK", 0xD000, f_reg_long}, {"LALK", 0xD001, f_long_shift}, {"ADLK", 0xD002, f_long_shift},
    {"ANDK", 0xD004, f_long_shift}, {"ORK", 0xD005, f_long_shift}, {"XORK", 0xD006, f_long_shift},
    {"OUT", 0xE000, f_data_port},
    {"BGZ", 0xF180, f_branch}, {"BLZ", 0xF380, f_branch}, {"BGEZ", 0xF480, f_branch}, {"BNZ", 0xF580, f_branch},
    {"BZ", 0xF680, f_branch}, {"BBZ", 0xF880, f_branch}, {"BBNZ", 0xF980, f_branch}, {"BIOZ", 0xFA80, f_branch},
    {"BANZ", 0xFB80, f_banz}, {"BLKP", 0xFC00, f_blkp}, {"CALL", 0xFE80, f_branch}, {"B", 0xFF80, f_branch},
};

// Indirect forms and their modification codes (bits 6-4).
constexpr struct {
    const char* text;
    uint8_t code;
} indirect_forms[] = {
    {"*", 0}, {"*-", 1}, {"*+", 2}, {"*BR0-", 4}, {"*0-", 5}, {"*0+", 6}, {"*BR0+", 7},
};

constexpr int max_operands = 16;

struct assembler {
    c25_program* p;
    int pass;
    int line;
    bool failed;

    bool fail(const char* fmt, ...) {
        if (failed) return false;
        char text[128];
        va_list args;
        va_start(args, fmt);
        vsnprintf(text, sizeof text, fmt, args);
        va_end(args);
        snprintf(p->error, sizeof p->error, "line %d: %s", line, text);
        failed = true;
        return false;
    }

    // A number (decimal, 0x or > hex, optional '-') or a label; labels read 0 in pass 1.
    bool value(const char* text, int32_t* out) {
        bool negative = *text == '-';
        if (negative) text++;
        char* end = nullptr;
        long v;
        if (*text == '>') {
            v = strtol(text + 1, &end, 16);
        } else if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            v = strtol(text + 2, &end, 16);
        } else if (isdigit(uint8_t(*text))) {
            v = strtol(text, &end, 10);
        } else {
            uint32_t label = c25_label(p, text);
            if (label == UINT32_MAX && pass == 2) return fail("unknown label %s", text);
            v = label == UINT32_MAX ? 0 : long(label);
            end = const_cast<char*>(text + strlen(text));
        }
        if (!end || *end || end == text) return fail("bad number %s", text);
        *out = int32_t(negative ? -v : v);
        return true;
    }

    bool ranged(const char* text, int32_t low, int32_t high, uint32_t* out) {
        int32_t v = 0;
        if (!value(text, &v)) return false;
        if (v < low || v > high) return fail("%s out of range %d..%d", text, low, high);
        *out = uint32_t(v);
        return true;
    }

    // "ARn" or a plain number, 0-7.
    bool reg(const char* text, uint32_t* out) {
        if (toupper(uint8_t(text[0])) == 'A' && toupper(uint8_t(text[1])) == 'R') text += 2;
        return ranged(text, 0, 7, out);
    }

    // A data operand: direct (bits 6-0 of the address) or an indirect form.
    bool data_operand(const char* text, uint32_t* out) {
        if (text[0] != '*') {
            int32_t v = 0;
            if (!value(text, &v)) return false;
            *out = uint32_t(v) & 0x7F;
            return true;
        }
        for (const auto& form : indirect_forms)
            if (strcasecmp(text, form.text) == 0) {
                *out = 0x80u | uint32_t(form.code) << 4;
                return true;
            }
        return fail("bad indirect operand %s", text);
    }
};

bool is_new_arp(const char* text) {
    return toupper(uint8_t(text[0])) == 'A' && toupper(uint8_t(text[1])) == 'R' && isdigit(uint8_t(text[2])) &&
           !text[3];
}

const mnemonic* find_mnemonic(const char* name) {
    for (const mnemonic& m : mnemonics)
        if (strcasecmp(m.name, name) == 0) return &m;
    return nullptr;
}

uint32_t form_length(format form) {
    switch (form) {
    case f_reg_long: case f_long_shift: case f_branch: case f_banz: case f_blkp: return 2;
    default: return 1;
    }
}

// Encodes one instruction from its operands into words[0..1].
bool encode(assembler* a, const mnemonic* m, char** ops, int n, uint16_t* words) {
    uint32_t word = m->word, x = 0, y = 0;
    // Where the data operand stands, and how many operands may follow it.
    int data_at = -1, after_max = 0;
    switch (m->form) {
    case f_data: case f_indirect: case f_norm: data_at = 0; break;
    case f_data_shift4: case f_data_shift3: case f_data_bit: case f_data_port:
        data_at = 0;
        after_max = 1;
        break;
    case f_reg_data: case f_blkp: data_at = 1; break;
    case f_banz: data_at = n > 1 ? 1 : -1; break;
    default: break;
    }
    // A trailing "ARn" after an indirect operand is the new ARP.
    uint32_t new_arp = 0;
    bool has_new_arp = false;
    if (data_at >= 0 && data_at < n && ops[data_at][0] == '*' && n > data_at + 1 && is_new_arp(ops[n - 1])) {
        if (!a->reg(ops[n - 1], &new_arp)) return false;
        has_new_arp = true;
        n--;
    }
    int expected_min = data_at >= 0 ? data_at + 1 : 0;
    if (m->form == f_data_bit || m->form == f_data_port) expected_min = 2;
    int expected_max = data_at >= 0 ? data_at + 1 + after_max : 0;
    switch (m->form) {
    case f_k2: case f_k8: case f_k9: case f_branch: expected_min = expected_max = 1; break;
    case f_reg_k8: case f_reg_long: expected_min = expected_max = 2; break;
    case f_long_shift: expected_min = 1, expected_max = 2; break;
    case f_banz: expected_min = 1, expected_max = 2; break;
    default: break;
    }
    if (n < expected_min || n > expected_max) return a->fail("%s takes %d to %d operands", m->name, expected_min,
                                                             expected_max);
    if (data_at >= 0 && data_at < n) {
        if (!a->data_operand(ops[data_at], &x)) return false;
        if ((m->form == f_indirect || m->form == f_norm) && !(x & 0x80)) return a->fail("%s needs *", m->name);
        if (has_new_arp) x |= 0x08 | new_arp;
        else if (m->form == f_norm) x |= 0x02;
        word |= x;
    }
    switch (m->form) {
    case f_data_shift4:
        if (n > 1 && !a->ranged(ops[1], 0, 15, &y)) return false;
        word |= y << 8;
        break;
    case f_data_shift3:
        if (n > 1 && !a->ranged(ops[1], 0, 7, &y)) return false;
        word |= y << 8;
        break;
    case f_data_bit:
        if (!a->ranged(ops[1], 0, 15, &y)) return false;
        word |= y << 8;
        break;
    case f_data_port: {
        const char* port = ops[1];
        if (toupper(uint8_t(port[0])) == 'P' && toupper(uint8_t(port[1])) == 'A') port += 2;
        if (!a->ranged(port, 0, 15, &y)) return false;
        word |= y << 8;
        break;
    }
    case f_reg_data:
    case f_reg_k8:
    case f_reg_long:
        if (!a->reg(ops[0], &y)) return false;
        word |= y << 8;
        if (m->form == f_reg_k8) {
            if (!a->ranged(ops[1], 0, 255, &x)) return false;
            word |= x;
        }
        if (m->form == f_reg_long && !a->ranged(ops[1], -0x8000, 0xFFFF, &x)) return false;
        break;
    case f_k2:
        if (!a->ranged(ops[0], 0, 3, &x)) return false;
        word |= x;
        break;
    case f_k8:
        if (!a->ranged(ops[0], 0, 255, &x)) return false;
        word |= x;
        break;
    case f_k9:
        if (!a->ranged(ops[0], 0, 511, &x)) return false;
        word |= x;
        break;
    case f_long_shift:
        if (!a->ranged(ops[0], -0x8000, 0xFFFF, &x)) return false;
        if (n > 1 && !a->ranged(ops[1], 0, 15, &y)) return false;
        word |= y << 8;
        break;
    case f_branch:
    case f_banz:
    case f_blkp:
        if (!a->ranged(ops[0], 0, 0xFFFF, &x)) return false;
        if (m->form == f_banz && n == 1) word |= 0x90;  // *-
        break;
    default: break;
    }
    words[0] = uint16_t(word);
    if (form_length(m->form) == 2) words[1] = uint16_t(x);
    return true;
}

void trim(char** text) {
    while (isspace(uint8_t(**text))) (*text)++;
    char* end = *text + strlen(*text);
    while (end > *text && isspace(uint8_t(end[-1]))) *--end = 0;
}

// Splits the operand text at commas into trimmed pieces; -1 for more than max_operands.
int split_operands(char* text, char** ops) {
    trim(&text);
    if (!*text) return 0;
    int n = 0;
    for (char* piece = text; piece;) {
        if (n == max_operands) return -1;
        char* comma = strchr(piece, ',');
        if (comma) *comma = 0;
        trim(&piece);
        ops[n++] = piece;
        piece = comma ? comma + 1 : nullptr;
    }
    return n;
}

bool assemble_line(assembler* a, char* text, uint32_t* at) {
    c25_program* p = a->p;
    if (char* comment = strchr(text, ';')) *comment = 0;
    trim(&text);
    if (char* colon = strchr(text, ':')) {
        *colon = 0;
        char* name = text;
        trim(&name);
        if (a->pass == 1) {
            if (p->label_count >= int(sizeof p->labels / sizeof p->labels[0]) || strlen(name) >= sizeof p->labels[0].name)
                return a->fail("label %s does not fit", name);
            if (c25_label(p, name) != UINT32_MAX) return a->fail("label %s defined twice", name);
            snprintf(p->labels[p->label_count].name, sizeof p->labels[0].name, "%s", name);
            p->labels[p->label_count++].address = uint16_t(*at);
        }
        text = colon + 1;
        trim(&text);
    }
    if (!*text) return true;
    char* rest = text;
    while (*rest && !isspace(uint8_t(*rest))) rest++;
    if (*rest) *rest++ = 0;
    char* ops[max_operands];
    int n = split_operands(rest, ops);
    if (n < 0) return a->fail("more than %d operands", max_operands);
    uint16_t words[max_operands] = {};
    uint32_t length;
    if (strcasecmp(text, ".org") == 0) {
        uint32_t address = 0;
        if (n != 1 || !a->ranged(ops[0], 0, 0xFFFF, &address)) return a->fail(".org takes one address");
        *at = address;
        return true;
    }
    if (strcasecmp(text, ".fill") == 0) {
        uint32_t end = 0, word = 0;
        if (n != 2 || !a->ranged(ops[0], 0, 0x10000, &end) || !a->ranged(ops[1], 0, 0xFFFF, &word) || end < *at)
            return a->fail(".fill takes an address from here on and a word");
        if (end == *at) return true;
        for (uint32_t i = *at; i < end; i++) p->words[i] = uint16_t(word);
        if (*at < p->low) p->low = *at;
        *at = end;
        if (end > p->high) p->high = end;
        return true;
    }
    if (strcasecmp(text, ".word") == 0) {
        for (int i = 0; i < n; i++) {
            int32_t v = 0;
            if (!a->value(ops[i], &v)) return false;
            words[i] = uint16_t(v);
        }
        length = uint32_t(n);
    } else {
        const mnemonic* m = find_mnemonic(text);
        if (!m) return a->fail("unknown instruction %s", text);
        if (!encode(a, m, ops, n, words)) return false;
        length = form_length(m->form);
    }
    if (*at + length > sizeof p->words / sizeof p->words[0]) return a->fail("program runs past 0xFFFF");
    memcpy(p->words + *at, words, length * sizeof words[0]);
    if (*at < p->low) p->low = *at;
    *at += length;
    if (*at > p->high) p->high = *at;
    return true;
}

// The decoded instruction of each program address, valid while its words stay.
c25_decoded decoded_cache[0x10000];

}  // namespace

bool c25_assemble(c25_program* p, uint16_t origin, const char* source) {
    memset(p, 0, sizeof *p);
    p->origin = origin;
    assembler a{p, 1, 0, false};
    for (a.pass = 1; a.pass <= 2; a.pass++) {
        uint32_t at = origin;
        p->low = UINT32_MAX;
        p->high = 0;
        a.line = 0;
        for (const char* line = source; line && *line;) {
            const char* end = strchr(line, '\n');
            size_t len = end ? size_t(end - line) : strlen(line);
            char text[256];
            a.line++;
            if (len >= sizeof text) return a.fail("line too long");
            memcpy(text, line, len);
            text[len] = 0;
            if (!assemble_line(&a, text, &at)) return false;
            line = end ? end + 1 : nullptr;
        }
    }
    if (p->high == 0) p->low = p->high = origin;
    return true;
}

uint32_t c25_label(const c25_program* p, const char* name) {
    for (int i = 0; i < p->label_count; i++)
        if (strcmp(p->labels[i].name, name) == 0) return p->labels[i].address;
    return UINT32_MAX;
}

int c25_test_translated(c25_state* s, uint16_t pc) {
    c25_decoded& d = decoded_cache[pc];
    uint16_t first = s->prog[pc], second = s->prog[uint16_t(pc + 1)];
    if (d.length == 0 || d.words.first != first || (d.length == 2 && d.words.second != second))
        d = c25_decode(first, second);
    return c25_execute(s, &d, pc);
}

bool c25_test_boot(c25_test_dsp* t, const char* source, uint16_t origin) {
    memset(t, 0, sizeof *t);
    if (!c25_assemble(&t->program, origin, source)) return false;
    c25_state* s = &t->cpu;
    for (uint32_t a = t->program.low; a < t->program.high; a++) s->prog[a] = t->program.words[a];
    s->point_window_base = C25_TEST_POINT_WINDOW;
    s->pdp_enable = 1;
    s->translated_program = c25_test_translated;
    s->point_rom = t->point_rom;
    s->point_rom_words = C25_TEST_POINT_ROM_WORDS;
    s->dspram = t->dspram;
    c25_reset(s);
    s->pc = origin;
    return true;
}
