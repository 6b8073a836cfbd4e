// The M37702 test assembler, test memory and dispatcher-like step.
#include "tests/support/m37702_asm.h"

#include "sound/m37702_bus.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum asm_mode : uint8_t {
    mode_imp,
    mode_acc,
    mode_imm_m,
    mode_imm_x,
    mode_imm8,
    mode_imm16,
    mode_dp,
    mode_dp_x,
    mode_dp_y,
    mode_dp_ind,
    mode_dp_x_ind,
    mode_dp_ind_y,
    mode_dp_long,
    mode_dp_long_y,
    mode_abs,
    mode_abs_x,
    mode_abs_y,
    mode_long,
    mode_long_x,
    mode_sr,
    mode_sr_ind_y,
    mode_rel8,
    mode_rel16,
    mode_abs_ind,
    mode_abs_x_ind,
    mode_abs_long_ind,
    mode_block,
    mode_imm_dp,  // LDM, SEB, CLB: address then an M-width immediate
    mode_imm_dp_x,
    mode_imm_abs,
    mode_imm_abs_x,
    mode_imm_dp_rel,  // BBS, BBC: address, M-width mask, displacement
    mode_imm_abs_rel,
};

struct asm_entry {
    char name[5];
    asm_mode mode;
    uint8_t opcode;
    uint8_t page;  // 0x89 for the extended page (opcode is then the second byte)
};

// Operand bytes of a mode, the opcode not counted.
int mode_length(asm_mode mode, bool m8, bool x8) {
    int m = m8 ? 1 : 2, x = x8 ? 1 : 2;
    switch (mode) {
    case mode_imp: case mode_acc: return 0;
    case mode_imm_m: return m;
    case mode_imm_x: return x;
    case mode_imm8: case mode_dp: case mode_dp_x: case mode_dp_y: case mode_dp_ind: case mode_dp_x_ind:
    case mode_dp_ind_y: case mode_dp_long: case mode_dp_long_y: case mode_sr: case mode_sr_ind_y: case mode_rel8:
        return 1;
    case mode_imm16: case mode_abs: case mode_abs_x: case mode_abs_y: case mode_rel16: case mode_abs_ind:
    case mode_abs_x_ind: case mode_abs_long_ind: case mode_block:
        return 2;
    case mode_long: case mode_long_x: return 3;
    case mode_imm_dp: case mode_imm_dp_x: return 1 + m;
    case mode_imm_abs: case mode_imm_abs_x: return 2 + m;
    case mode_imm_dp_rel: return 2 + m;
    case mode_imm_abs_rel: return 3 + m;
    }
    return 0;
}

constexpr asm_entry fixed_entries[] = {
    {"brk", mode_imp, 0x00, 0}, {"skp", mode_imm8, 0x02, 0},
    {"asl", mode_acc, 0x0A, 0}, {"asl", mode_dp, 0x06, 0}, {"asl", mode_abs, 0x0E, 0},
    {"asl", mode_dp_x, 0x16, 0}, {"asl", mode_abs_x, 0x1E, 0},
    {"rol", mode_acc, 0x2A, 0}, {"rol", mode_dp, 0x26, 0}, {"rol", mode_abs, 0x2E, 0},
    {"rol", mode_dp_x, 0x36, 0}, {"rol", mode_abs_x, 0x3E, 0},
    {"lsr", mode_acc, 0x4A, 0}, {"lsr", mode_dp, 0x46, 0}, {"lsr", mode_abs, 0x4E, 0},
    {"lsr", mode_dp_x, 0x56, 0}, {"lsr", mode_abs_x, 0x5E, 0},
    {"ror", mode_acc, 0x6A, 0}, {"ror", mode_dp, 0x66, 0}, {"ror", mode_abs, 0x6E, 0},
    {"ror", mode_dp_x, 0x76, 0}, {"ror", mode_abs_x, 0x7E, 0},
    {"inc", mode_acc, 0x1A, 0}, {"inc", mode_dp, 0xE6, 0}, {"inc", mode_abs, 0xEE, 0},
    {"inc", mode_dp_x, 0xF6, 0}, {"inc", mode_abs_x, 0xFE, 0},
    {"dec", mode_acc, 0x3A, 0}, {"dec", mode_dp, 0xC6, 0}, {"dec", mode_abs, 0xCE, 0},
    {"dec", mode_dp_x, 0xD6, 0}, {"dec", mode_abs_x, 0xDE, 0},
    {"ldx", mode_imm_x, 0xA2, 0}, {"ldx", mode_dp, 0xA6, 0}, {"ldx", mode_abs, 0xAE, 0},
    {"ldx", mode_dp_y, 0xB6, 0}, {"ldx", mode_abs_y, 0xBE, 0},
    {"ldy", mode_imm_x, 0xA0, 0}, {"ldy", mode_dp, 0xA4, 0}, {"ldy", mode_abs, 0xAC, 0},
    {"ldy", mode_dp_x, 0xB4, 0}, {"ldy", mode_abs_x, 0xBC, 0},
    {"stx", mode_dp, 0x86, 0}, {"stx", mode_abs, 0x8E, 0}, {"stx", mode_dp_y, 0x96, 0},
    {"sty", mode_dp, 0x84, 0}, {"sty", mode_abs, 0x8C, 0}, {"sty", mode_dp_x, 0x94, 0},
    {"cpx", mode_imm_x, 0xE0, 0}, {"cpx", mode_dp, 0xE4, 0}, {"cpx", mode_abs, 0xEC, 0},
    {"cpy", mode_imm_x, 0xC0, 0}, {"cpy", mode_dp, 0xC4, 0}, {"cpy", mode_abs, 0xCC, 0},
    {"inx", mode_imp, 0xE8, 0}, {"iny", mode_imp, 0xC8, 0}, {"dex", mode_imp, 0xCA, 0}, {"dey", mode_imp, 0x88, 0},
    {"ldm", mode_imm_dp, 0x64, 0}, {"ldm", mode_imm_dp_x, 0x74, 0},
    {"ldm", mode_imm_abs, 0x9C, 0}, {"ldm", mode_imm_abs_x, 0x9E, 0},
    {"seb", mode_imm_dp, 0x04, 0}, {"seb", mode_imm_abs, 0x0C, 0},
    {"clb", mode_imm_dp, 0x14, 0}, {"clb", mode_imm_abs, 0x1C, 0},
    {"bbs", mode_imm_dp_rel, 0x24, 0}, {"bbs", mode_imm_abs_rel, 0x2C, 0},
    {"bbc", mode_imm_dp_rel, 0x34, 0}, {"bbc", mode_imm_abs_rel, 0x3C, 0},
    {"bpl", mode_rel8, 0x10, 0}, {"bmi", mode_rel8, 0x30, 0}, {"bvc", mode_rel8, 0x50, 0},
    {"bvs", mode_rel8, 0x70, 0}, {"bcc", mode_rel8, 0x90, 0}, {"bcs", mode_rel8, 0xB0, 0},
    {"bne", mode_rel8, 0xD0, 0}, {"beq", mode_rel8, 0xF0, 0}, {"bra", mode_rel8, 0x80, 0},
    {"brl", mode_rel16, 0x82, 0},
    {"jmp", mode_abs, 0x4C, 0}, {"jml", mode_long, 0x5C, 0}, {"jmp", mode_abs_ind, 0x6C, 0},
    {"jmp", mode_abs_x_ind, 0x7C, 0}, {"jml", mode_abs_long_ind, 0xDC, 0},
    {"jsr", mode_abs, 0x20, 0}, {"jsr", mode_abs_x_ind, 0xFC, 0}, {"jsl", mode_long, 0x22, 0},
    {"rts", mode_imp, 0x60, 0}, {"rtl", mode_imp, 0x6B, 0}, {"rti", mode_imp, 0x40, 0},
    {"tax", mode_imp, 0xAA, 0}, {"tay", mode_imp, 0xA8, 0}, {"txa", mode_imp, 0x8A, 0},
    {"tya", mode_imp, 0x98, 0}, {"txs", mode_imp, 0x9A, 0}, {"tsx", mode_imp, 0xBA, 0},
    {"txy", mode_imp, 0x9B, 0}, {"tyx", mode_imp, 0xBB, 0}, {"tas", mode_imp, 0x1B, 0},
    {"tsa", mode_imp, 0x3B, 0}, {"tad", mode_imp, 0x5B, 0}, {"tda", mode_imp, 0x7B, 0},
    {"clc", mode_imp, 0x18, 0}, {"sec", mode_imp, 0x38, 0}, {"cli", mode_imp, 0x58, 0},
    {"sei", mode_imp, 0x78, 0}, {"clv", mode_imp, 0xB8, 0}, {"clm", mode_imp, 0xD8, 0},
    {"sem", mode_imp, 0xF8, 0}, {"clp", mode_imm8, 0xC2, 0}, {"sep", mode_imm8, 0xE2, 0},
    {"pha", mode_imp, 0x48, 0}, {"pla", mode_imp, 0x68, 0}, {"php", mode_imp, 0x08, 0},
    {"plp", mode_imp, 0x28, 0}, {"phx", mode_imp, 0xDA, 0}, {"plx", mode_imp, 0xFA, 0},
    {"phy", mode_imp, 0x5A, 0}, {"ply", mode_imp, 0x7A, 0}, {"phd", mode_imp, 0x0B, 0},
    {"pld", mode_imp, 0x2B, 0}, {"phg", mode_imp, 0x4B, 0}, {"pht", mode_imp, 0x8B, 0},
    {"plt", mode_imp, 0xAB, 0}, {"pea", mode_imm16, 0xF4, 0}, {"pei", mode_dp, 0xD4, 0},
    {"per", mode_rel16, 0x62, 0}, {"psh", mode_imm8, 0xEB, 0}, {"pul", mode_imm8, 0xFB, 0},
    {"mvn", mode_block, 0x54, 0}, {"mvp", mode_block, 0x44, 0},
    {"wai", mode_imp, 0xCB, 0}, {"stp", mode_imp, 0xDB, 0}, {"nop", mode_imp, 0xEA, 0},
    {"rla", mode_imm_m, 0x49, 0x89}, {"xab", mode_imp, 0x28, 0x89}, {"ldt", mode_imm8, 0xC2, 0x89},
};

// The eight ALU operations by column (opcode bits 0-4), and MPY / DIV on the 0x89 page.
constexpr struct {
    uint8_t column;
    asm_mode mode;
} alu_columns[] = {
    {0x01, mode_dp_x_ind}, {0x03, mode_sr},      {0x05, mode_dp},      {0x07, mode_dp_long},
    {0x09, mode_imm_m},    {0x0D, mode_abs},     {0x0F, mode_long},    {0x11, mode_dp_ind_y},
    {0x12, mode_dp_ind},   {0x13, mode_sr_ind_y}, {0x15, mode_dp_x},   {0x17, mode_dp_long_y},
    {0x19, mode_abs_y},    {0x1D, mode_abs_x},   {0x1F, mode_long_x},
};
constexpr const char* alu_names[8] = {"ora", "and", "eor", "adc", "sta", "lda", "cmp", "sbc"};
constexpr uint8_t muldiv_columns[] = {0x01, 0x03, 0x05, 0x09, 0x0D, 0x11, 0x12, 0x15, 0x19, 0x1D};

asm_entry entries[400];
int entry_count;

void build_table() {
    if (entry_count) return;
    for (const auto& e : fixed_entries) entries[entry_count++] = e;
    for (int g = 0; g < 8; g++)
        for (const auto& c : alu_columns) {
            if (g == 4 && c.mode == mode_imm_m) continue;  // 0x89 is the extended page
            asm_entry e{};
            strcpy(e.name, alu_names[g]);
            e.mode = c.mode;
            e.opcode = uint8_t(g << 5 | c.column);
            entries[entry_count++] = e;
        }
    for (int g = 0; g < 2; g++)
        for (uint8_t column : muldiv_columns) {
            asm_entry e{};
            strcpy(e.name, g ? "div" : "mpy");
            e.mode = alu_columns[0].mode;
            for (const auto& c : alu_columns)
                if (c.column == column) e.mode = c.mode;
            e.opcode = uint8_t(g << 5 | column);
            e.page = 0x89;
            entries[entry_count++] = e;
        }
}

const asm_entry* find_opcode(uint8_t opcode, uint8_t second) {
    build_table();
    for (int i = 0; i < entry_count; i++) {
        const asm_entry& e = entries[i];
        if (opcode == 0x89 ? (e.page == 0x89 && e.opcode == second) : (e.page == 0 && e.opcode == opcode)) return &e;
    }
    return nullptr;
}

const asm_entry* find_entry(const char* name, asm_mode mode) {
    build_table();
    for (int i = 0; i < entry_count; i++)
        if (entries[i].mode == mode && strcmp(entries[i].name, name) == 0) return &entries[i];
    return nullptr;
}

// Accumulator-B names: the A instruction behind the 0x42 prefix.
constexpr struct {
    const char* b_name;
    const char* a_name;
} b_names[] = {
    {"ldb", "lda"}, {"stb", "sta"}, {"orb", "ora"}, {"andb", "and"}, {"eorb", "eor"}, {"adcb", "adc"},
    {"sbcb", "sbc"}, {"cmpb", "cmp"}, {"tbx", "tax"}, {"tby", "tay"}, {"txb", "txa"}, {"tyb", "tya"},
    {"phb", "pha"}, {"plb", "pla"},
};

// Operand shapes as written; the mnemonic and the value's size pick the mode.
enum shape { shape_none, shape_a, shape_b, shape_imm, shape_plain, shape_x, shape_y, shape_s, shape_ind, shape_ind_x,
             shape_ind_y, shape_sr_ind_y, shape_long_ind, shape_long_ind_y, shape_pair, shape_imm_addr,
             shape_imm_addr_x, shape_imm_addr_target };

struct asm_context {
    m377_program* p;
    bool final_pass;
    bool m8, x8;
    uint32_t pc;
    int line;
};

bool fail(asm_context* c, const char* what, const char* text) {
    snprintf(c->p->error, sizeof c->p->error, "line %d: %s: %s", c->line, what, text);
    return false;
}

void skip_blanks(const char*& t) {
    while (*t == ' ' || *t == '\t') t++;
}

// One term: $hex, decimal, '*' or a label, with an optional size prefix < ! >.
// size: bytes the value needs (from the digits), 0 when unknown.
bool parse_term(asm_context* c, const char*& t, uint32_t* value, int* size) {
    skip_blanks(t);
    int forced = 0;
    if (*t == '<' || *t == '!' || *t == '>') forced = *t == '<' ? 1 : *t == '!' ? 2 : 3, t++;
    if (*t == '$') {
        t++;
        const char* start = t;
        *value = uint32_t(strtoul(t, const_cast<char**>(&t), 16));
        int digits = int(t - start);
        if (!digits) return fail(c, "bad number", start);
        *size = digits <= 2 ? 1 : digits <= 4 ? 2 : 3;
    } else if (isdigit((unsigned char)*t)) {
        *value = uint32_t(strtoul(t, const_cast<char**>(&t), 10));
        *size = *value < 0x100 ? 1 : *value < 0x10000 ? 2 : 3;
    } else if (*t == '*') {
        t++;
        *value = c->pc;
        *size = 2;
    } else if (isalpha((unsigned char)*t) || *t == '_') {
        char name[32];
        int n = 0;
        while ((isalnum((unsigned char)*t) || *t == '_') && n < 31) name[n++] = *t++;
        name[n] = 0;
        *value = m377_label(c->p, name);
        if (*value == UINT32_MAX) {
            if (c->final_pass) return fail(c, "unknown label", name);
            *value = c->pc;  // forward reference: placeholder on the first pass
        }
        *size = 0;
    } else {
        return fail(c, "expected a value", t);
    }
    if (forced) *size = forced;
    return true;
}

bool parse_value(asm_context* c, const char*& t, uint32_t* value, int* size) {
    if (!parse_term(c, t, value, size)) return false;
    skip_blanks(t);
    while (*t == '+' || *t == '-') {
        char sign = *t++;
        uint32_t v;
        int ignored;
        if (!parse_term(c, t, &v, &ignored)) return false;
        *value = sign == '+' ? *value + v : *value - v;
        skip_blanks(t);
    }
    return true;
}

bool expect(asm_context* c, const char*& t, const char* token) {
    skip_blanks(t);
    size_t n = strlen(token);
    if (strncasecmp(t, token, n) != 0) return fail(c, "expected", token);
    t += n;
    return true;
}

bool at_end(const char* t) {
    while (*t == ' ' || *t == '\t') t++;
    return *t == 0;
}

struct operand {
    shape kind;
    uint32_t v[3];
    int size;  // of the address operand
};

bool parse_operand(asm_context* c, const char* t, operand* o) {
    *o = operand{};
    skip_blanks(t);
    int ignored;
    if (at_end(t)) return o->kind = shape_none, true;
    if ((tolower(t[0]) == 'a' || tolower(t[0]) == 'b') && at_end(t + 1))
        return o->kind = tolower(t[0]) == 'a' ? shape_a : shape_b, true;
    if (*t == '#') {
        t++;
        if (!parse_value(c, t, &o->v[0], &ignored)) return false;
        if (at_end(t)) return o->kind = shape_imm, true;
        if (!expect(c, t, ",") || !parse_value(c, t, &o->v[1], &o->size)) return false;
        if (at_end(t)) return o->kind = shape_imm_addr, true;
        if (!expect(c, t, ",")) return false;
        skip_blanks(t);
        if (tolower(*t) == 'x' && at_end(t + 1)) return o->kind = shape_imm_addr_x, true;
        if (!parse_value(c, t, &o->v[2], &ignored)) return false;
        o->kind = shape_imm_addr_target;
        return at_end(t) || fail(c, "trailing text", t);
    }
    if (*t == '(' || *t == '[') {
        bool is_long = *t++ == '[';
        if (!parse_value(c, t, &o->v[0], &o->size)) return false;
        skip_blanks(t);
        if (!is_long && *t == ',') {
            t++;
            skip_blanks(t);
            char reg = char(tolower(*t++));
            if (!expect(c, t, ")")) return false;
            if (reg == 'x') o->kind = shape_ind_x;
            else if (reg == 's' && expect(c, t, ",") && expect(c, t, "y")) o->kind = shape_sr_ind_y;
            else return fail(c, "bad indexed indirect", t);
            return at_end(t) || fail(c, "trailing text", t);
        }
        if (!expect(c, t, is_long ? "]" : ")")) return false;
        if (at_end(t)) return o->kind = is_long ? shape_long_ind : shape_ind, true;
        if (!expect(c, t, ",") || !expect(c, t, "y")) return false;
        o->kind = is_long ? shape_long_ind_y : shape_ind_y;
        return at_end(t) || fail(c, "trailing text", t);
    }
    if (!parse_value(c, t, &o->v[0], &o->size)) return false;
    if (at_end(t)) return o->kind = shape_plain, true;
    if (!expect(c, t, ",")) return false;
    skip_blanks(t);
    char reg = char(tolower(*t));
    if ((reg == 'x' || reg == 'y' || reg == 's') && at_end(t + 1))
        return o->kind = reg == 'x' ? shape_x : reg == 'y' ? shape_y : shape_s, true;
    if (!parse_value(c, t, &o->v[1], &ignored)) return false;
    o->kind = shape_pair;
    return at_end(t) || fail(c, "trailing text", t);
}

// The candidate modes of a shape, smallest address first.
int shape_modes(const operand& o, asm_mode* modes) {
    auto sized = [&](asm_mode dp, asm_mode abs, asm_mode lng, int n) {
        // A value of unknown size (a label) is an absolute address unless forced.
        int size = o.size ? o.size : 2;
        asm_mode all[3] = {dp, abs, lng};
        int count = 0;
        for (int i = size - 1; i < n; i++) modes[count++] = all[i];
        return count;
    };
    switch (o.kind) {
    case shape_none: modes[0] = mode_imp; modes[1] = mode_acc; return 2;
    case shape_a: case shape_b: modes[0] = mode_acc; return 1;
    case shape_imm: modes[0] = mode_imm_m; modes[1] = mode_imm_x; modes[2] = mode_imm8; modes[3] = mode_imm16; return 4;
    case shape_plain: {
        int n = sized(mode_dp, mode_abs, mode_long, 3);
        modes[n++] = mode_rel8;
        modes[n++] = mode_rel16;
        return n;
    }
    case shape_x: return sized(mode_dp_x, mode_abs_x, mode_long_x, 3);
    case shape_y: return sized(mode_dp_y, mode_abs_y, mode_abs_y, 2);
    case shape_s: modes[0] = mode_sr; return 1;
    case shape_ind: return sized(mode_dp_ind, mode_abs_ind, mode_abs_ind, 2);
    case shape_ind_x: return sized(mode_dp_x_ind, mode_abs_x_ind, mode_abs_x_ind, 2);
    case shape_ind_y: modes[0] = mode_dp_ind_y; return 1;
    case shape_sr_ind_y: modes[0] = mode_sr_ind_y; return 1;
    case shape_long_ind: return sized(mode_dp_long, mode_abs_long_ind, mode_abs_long_ind, 2);
    case shape_long_ind_y: modes[0] = mode_dp_long_y; return 1;
    case shape_pair: modes[0] = mode_block; return 1;
    case shape_imm_addr: return sized(mode_imm_dp, mode_imm_abs, mode_imm_abs, 2);
    case shape_imm_addr_x: return sized(mode_imm_dp_x, mode_imm_abs_x, mode_imm_abs_x, 2);
    case shape_imm_addr_target: return sized(mode_imm_dp_rel, mode_imm_abs_rel, mode_imm_abs_rel, 2);
    }
    return 0;
}

void emit(asm_context* c, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) {
        uint32_t at = c->pc - c->p->origin;
        if (c->final_pass && at < sizeof c->p->bytes) c->p->bytes[at] = uint8_t(value >> (8 * i));
        c->pc++;
    }
}

bool emit_branch(asm_context* c, uint32_t target, int bytes) {
    uint32_t next = c->pc + uint32_t(bytes);
    int32_t displacement = int32_t(uint16_t(target - next) & (bytes == 1 ? 0xFF : 0xFFFF));
    if (bytes == 1 && c->final_pass && (int32_t(target) - int32_t(next) < -128 || int32_t(target) - int32_t(next) > 127))
        return fail(c, "branch out of range", "");
    emit(c, uint32_t(displacement), bytes);
    return true;
}

bool assemble_instruction(asm_context* c, const char* mnemonic, const char* rest) {
    char name[16];
    snprintf(name, sizeof name, "%s", mnemonic);
    bool prefix = false;
    for (const auto& b : b_names)
        if (strcmp(name, b.b_name) == 0) {
            snprintf(name, sizeof name, "%s", b.a_name);
            prefix = true;
        }
    operand o;
    if (!parse_operand(c, rest, &o)) return false;
    if (o.kind == shape_b) prefix = true;
    asm_mode modes[6];
    int n = shape_modes(o, modes);
    const asm_entry* e = nullptr;
    for (int i = 0; i < n && !e; i++) e = find_entry(name, modes[i]);
    if (!e) return fail(c, "no such instruction form", mnemonic);

    if (prefix) emit(c, 0x42, 1);
    if (e->page) emit(c, e->page, 1);
    emit(c, e->opcode, 1);
    int m = c->m8 ? 1 : 2;
    switch (e->mode) {
    case mode_imp: case mode_acc: break;
    case mode_imm_m: case mode_imm_x: case mode_imm8: case mode_imm16:
        emit(c, o.v[0], mode_length(e->mode, c->m8, c->x8));
        break;
    case mode_rel8: case mode_rel16:
        if (!emit_branch(c, o.v[0], e->mode == mode_rel8 ? 1 : 2)) return false;
        break;
    case mode_block: emit(c, o.v[0], 1); emit(c, o.v[1], 1); break;
    case mode_imm_dp: case mode_imm_dp_x: case mode_imm_dp_rel: emit(c, o.v[1], 1); emit(c, o.v[0], m); break;
    case mode_imm_abs: case mode_imm_abs_x: case mode_imm_abs_rel: emit(c, o.v[1], 2); emit(c, o.v[0], m); break;
    default: emit(c, o.v[0], mode_length(e->mode, c->m8, c->x8)); break;
    }
    if (e->mode == mode_imm_dp_rel || e->mode == mode_imm_abs_rel)
        if (!emit_branch(c, o.v[2], 1)) return false;

    // Track the widths the way the CPU will have them.
    if (e->page == 0 && e->opcode == 0xE2) c->m8 |= (o.v[0] & 0x20) != 0, c->x8 |= (o.v[0] & 0x10) != 0;
    if (e->page == 0 && e->opcode == 0xC2) c->m8 &= !(o.v[0] & 0x20), c->x8 &= !(o.v[0] & 0x10);
    if (e->page == 0 && e->opcode == 0xF8) c->m8 = true;
    if (e->page == 0 && e->opcode == 0xD8) c->m8 = false;
    return true;
}

bool assemble_directive(asm_context* c, const char* directive, const char* rest) {
    if (!strcmp(directive, ".m8")) return c->m8 = true, true;
    if (!strcmp(directive, ".m16")) return c->m8 = false, true;
    if (!strcmp(directive, ".x8")) return c->x8 = true, true;
    if (!strcmp(directive, ".x16")) return c->x8 = false, true;
    if (!strcmp(directive, ".org")) {
        const char* t = rest;
        uint32_t target;
        int ignored;
        if (!parse_value(c, t, &target, &ignored)) return false;
        if (target < c->pc) return fail(c, ".org below the current address", rest);
        c->pc = target;
        return at_end(t) || fail(c, "trailing text", t);
    }
    int bytes = !strcmp(directive, ".byte") ? 1 : !strcmp(directive, ".word") ? 2 : 0;
    if (!bytes) return fail(c, "unknown directive", directive);
    const char* t = rest;
    for (;;) {
        uint32_t v;
        int ignored;
        if (!parse_value(c, t, &v, &ignored)) return false;
        emit(c, v, bytes);
        skip_blanks(t);
        if (*t != ',') break;
        t++;
    }
    return at_end(t) || fail(c, "trailing text", t);
}

bool assemble_pass(asm_context* c, const char* source) {
    c->pc = c->p->origin;
    c->m8 = c->x8 = true;  // the reset state
    c->line = 0;
    const char* line = source;
    while (*line) {
        c->line++;
        const char* end = strchr(line, '\n');
        size_t length = end ? size_t(end - line) : strlen(line);
        char text[160];
        if (length >= sizeof text) return fail(c, "line too long", "");
        memcpy(text, line, length);
        text[length] = 0;
        if (char* comment = strchr(text, ';')) *comment = 0;
        for (char* ch = text; *ch; ch++) *ch = char(tolower((unsigned char)*ch));
        char* t = text;
        while (*t == ' ' || *t == '\t') t++;
        char* colon = strchr(t, ':');
        if (colon) {
            *colon = 0;
            if (!c->final_pass) {
                constexpr int most = int(sizeof c->p->labels / sizeof c->p->labels[0]);
                if (c->p->label_count == most || strlen(t) >= 32) return fail(c, "too many labels or name too long", t);
                auto& label = c->p->labels[c->p->label_count++];
                memcpy(label.name, t, strlen(t) + 1);
                label.address = c->pc;
            }
            t = colon + 1;
            while (*t == ' ' || *t == '\t') t++;
        }
        if (*t) {
            char word[16];
            int n = 0;
            while (*t && *t != ' ' && *t != '\t' && n < 15) word[n++] = *t++;
            word[n] = 0;
            bool ok = word[0] == '.' ? assemble_directive(c, word, t) : assemble_instruction(c, word, t);
            if (!ok) return false;
        }
        if (c->pc - c->p->origin > sizeof c->p->bytes) return fail(c, "program too large", "");
        line = end ? end + 1 : line + length;
    }
    c->p->size = c->pc - c->p->origin;
    return true;
}

}  // namespace

bool m377_assemble(m377_program* p, uint32_t origin, const char* source) {
    p->origin = origin;
    p->size = 0;
    p->label_count = 0;
    p->error[0] = 0;
    memset(p->bytes, 0, sizeof p->bytes);
    asm_context c{p, false, true, true, origin, 0};
    if (!assemble_pass(&c, source)) return false;
    c.final_pass = true;
    return assemble_pass(&c, source);
}

uint32_t m377_label(const m377_program* p, const char* name) {
    for (int i = 0; i < p->label_count; i++)
        if (strcmp(p->labels[i].name, name) == 0) return p->labels[i].address;
    return UINT32_MAX;
}

int m377_asm_length(uint8_t opcode, uint8_t second, bool m8, bool x8) {
    const asm_entry* e = find_opcode(opcode, second);
    if (!e) return 0;
    return (e->page ? 2 : 1) + mode_length(e->mode, m8, x8);
}

const char* m377_asm_name(uint8_t opcode, uint8_t second) {
    const asm_entry* e = find_opcode(opcode, second);
    return e ? e->name : "???";
}

uint8_t m377_test_read(void* user, uint32_t address) {
    return static_cast<m377_test_memory*>(user)->bytes[address & 0x3FFFF];
}

void m377_test_write(void* user, uint32_t address, uint8_t value) {
    auto* mem = static_cast<m377_test_memory*>(user);
    mem->bytes[address & 0x3FFFF] = value;
    mem->write_count++;
    mem->last_write = address;
}

void m377_test_load(m377_test_memory* mem, const m377_program* p) {
    for (uint32_t i = 0; i < p->size; i++) mem->bytes[(p->origin + i) & 0x3FFFF] = p->bytes[i];
}

int m377_test_step(m377_state* s) {
    uint32_t opcode = m377_fetch8(s);
    s->acc_b = 0;
    if (opcode == 0x42) {
        s->acc_b = 1;
        opcode = m377_fetch8(s);
    }
    s->cycles++;  // the dispatch
    int done = m377_execute(s, opcode);
    s->acc_b = 0;
    return done;
}

bool m377_test_boot(m377_test_cpu* t, const char* source, uint32_t origin) {
    memset(&t->mem, 0, sizeof t->mem);
    if (!m377_assemble(&t->program, origin, source)) return false;
    m377_test_load(&t->mem, &t->program);
    t->mem.bytes[0xFFFE] = uint8_t(origin);
    t->mem.bytes[0xFFFF] = uint8_t(origin >> 8);
    m377_init(&t->cpu, m377_test_read, m377_test_write, &t->mem);
    m377_reset(&t->cpu);
    return true;
}

int m377_test_run(m377_test_cpu* t, int max_steps) {
    int steps = 0;
    while (steps < max_steps && !t->cpu.stopped && !t->cpu.halted) {
        m377_test_step(&t->cpu);
        steps++;
    }
    return steps;
}
